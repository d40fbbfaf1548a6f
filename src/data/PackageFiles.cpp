#include "data/PackageFiles.h"

#include "data/PackageLayout.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr char kEntryMarker[] = "-> ";

bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

bool IsEntryLine(const char* line, VersionStamp& stamp) {
    if (line == nullptr || std::strncmp(line, kEntryMarker, sizeof kEntryMarker - 1) != 0)
        return false;
    VersionStamp found;
    if (ParseVersionStamp(line, found) == 0)
        return false;
    stamp = found;
    return true;
}

VersionStamp ReadUpdateList(CTextLineReader& reader, char* line, std::size_t lineSize,
                            CUpdateListSink& sink) {
    VersionStamp newest;
    const int maxChars = CTextLineReader::MaxCharsFor(lineSize);
    if (maxChars < 0)
        return newest;

    bool haveEntry = false;
    while (sink.KeepReading() && reader.ReadLine(line, maxChars, kCommentChar)) {
        ListLine item{ListLineKind::Dropped, line, VersionStamp{}, reader.LineNumber(),
                      reader.LastLineCut()};
        if (IsEntryLine(line, item.stamp)) {
            item.kind = ListLineKind::Entry;
            haveEntry = true;
            if (item.stamp.key > newest.key)
                newest = item.stamp;
        } else if (haveEntry) {
            item.kind = ListLineKind::Detail;
        }
        sink.OnListLine(item);
    }
    return newest;
}

std::int64_t ParsePackageSize(const char* text) {
    if (text == nullptr)
        return 0;
    const char* p = text;
    while (IsCSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    std::int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        const int digit = *p - '0';
        if (value > (INT64_MAX - digit) / 10)
            return 0;
        value = value * 10 + digit;
    }
    return negative ? 0 : value;
}

std::int64_t ReadPackageSize(CTextLineReader& reader, const char* path, char* line,
                             std::size_t lineSize) {
    std::int64_t size = 0;
    const int maxChars = CTextLineReader::MaxCharsFor(lineSize);
    if (maxChars >= 0 && reader.Open(path)) {
        line[0] = '\0';
        reader.ReadLine(line, maxChars, kCommentChar);
        size = ParsePackageSize(line);
    }
    reader.Close();
    return size;
}

std::int64_t ReadPackageSize(const char* path) {
    CTextLineReader reader;
    char line[kLineBufferSize];
    return ReadPackageSize(reader, path, line, sizeof line);
}
