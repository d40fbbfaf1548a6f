#include "PackageFiles.h"
#include "PackageLayout.h"

#include "FuzzInput.h"

#include <cstring>

namespace {

class CCheckingSink : public CUpdateListSink {
public:
    void OnListLine(const ListLine& line) override {
        switch (line.kind) {
        case ListLineKind::Entry:
            Require(std::strncmp(line.text, "-> ", 3) == 0);
            Require(line.stamp.key >= 1000001 && line.stamp.key <= 99999999);
            if (line.stamp.key > greatestKey)
                greatestKey = line.stamp.key;
            sawEntry = true;
            break;
        case ListLineKind::Detail:
            Require(sawEntry);
            break;
        case ListLineKind::Dropped:
            Require(!sawEntry);
            break;
        }
        VersionStamp again;
        Require(IsEntryLine(line.text, again) == (line.kind == ListLineKind::Entry));

        // Display forms of any stamp that can be parsed fit in 30 bytes.
        char text[30];
        FormatVersionStamp(line.stamp.version, line.stamp.build, text, sizeof text, true, true);
        Require(std::strlen(text) <= 29);
        ParsePackageSize(line.text);
    }

    int greatestKey = 0;
    bool sawEntry = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CFuzzInput input(data, size);
    CTextLineReader reader(input.OpenStream());
    if (!reader.IsOpen())
        return 0;
    char line[kLineBufferSize];
    CCheckingSink sink;
    const VersionStamp newest = ReadUpdateList(reader, line, sizeof line, sink);
    Require(newest.key == sink.greatestKey);
    return 0;
}
