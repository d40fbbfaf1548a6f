#include "PackageFiles.h"
#include "VersionStamp.h"

#include "FuzzInput.h"

#include <cstring>
#include <memory>

// The input as one line: whatever stamp it yields must be in range, format
// within any buffer and come back unchanged from its stamp line.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<char> text = CFuzzInput(data, size).Text();

    int version = 0, build = 0, key = 0;
    const int result = ParseVersionStamp(text.data(), version, build, key);
    Require(result == key);
    Require(version >= 0 && version <= 99 && build >= 0 && build <= 999999);
    Require(key == 0 || (key >= 1000001 && key <= 99999999));

    char line[kStampLineBufferSize];
    Require(FormatStampLine(VersionStamp{version, build, key}, line, sizeof line) == 30);
    VersionStamp back;
    ParseVersionStamp(line, back);
    Require(back.version == version && back.build == build && back.key == key);

    if (size > 0) {
        const std::size_t capacity = data[0] % 40;
        std::unique_ptr<char[]> shown(new char[capacity + 1]);
        shown[capacity] = 'x';
        FormatVersionStamp(version, build, shown.get(), capacity, data[0] & 1, data[0] & 2);
        Require(shown[capacity] == 'x');
        Require(ParseDigitField(text.data() + 1, static_cast<signed char>(data[0])) >= 0);
    }
    Require(ParsePackageSize(text.data()) >= 0);
    return 0;
}
