#include "ChecksumFile.h"

#include "FuzzInput.h"

#include <algorithm>
#include <string>

// A checksum file accepted is one whose every path is safe to join to the
// package folder, and that comes back the same when written again.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CChecksumList sums;
    ChecksumError error;
    if (!sums.Parse(text, error)) {
        Require(sums.Entries().empty() && error.problem != ChecksumProblem::None);
        return 0;
    }
    std::vector<ChecksumLine> lines;
    for (const ChecksumEntry& entry : sums.Entries()) {
        Require(entry.path.find(':') == std::string::npos);
        // Every part a name: none empty, "." or "..".
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = std::min(entry.path.find('\\', start), entry.path.size());
            const std::string part = entry.path.substr(start, end - start);
            Require(!part.empty() && part != "." && part != "..");
            if (end == entry.path.size())
                break;
            start = end + 1;
        }
        Require(sums.Find(entry.path) == &entry);
        lines.push_back({entry.path, entry.digest});
    }
    std::string again;
    Require(FormatChecksumFile(lines, again));
    CChecksumList back;
    Require(back.Parse(again, error) && back.Entries().size() == sums.Entries().size());
    return 0;
}
