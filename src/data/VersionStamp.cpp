#include "data/VersionStamp.h"

#include <climits>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kVersionTag[] = "@versione=";
constexpr char kBuildTag[] = "@build=";
constexpr int kMaxFieldWidth = 31;

} // namespace

int MakeStampKey(int version, int build) {
    if (version == 0 || build == 0)
        return 0;
    const long long key = build + version * 1000000LL;
    return key > INT_MAX ? INT_MAX : key < INT_MIN ? INT_MIN : static_cast<int>(key);
}

int ParseDigitField(const char* text, int width) {
    if (width > kMaxFieldWidth)
        width = kMaxFieldWidth;
    if (width <= 0 || text == nullptr)
        return 0;

    // Accumulated as the padded field would read, saturating instead of
    // overflowing for widths the stamps never use.
    long long value = 0;
    int collected = 0;
    for (const char* p = text; collected < width; ++p) {
        if (*p == '.')
            continue;
        if (*p < '0' || *p > '9')
            break;
        if (value <= INT_MAX)
            value = value * 10 + (*p - '0');
        ++collected;
    }
    for (; collected < width; ++collected) {
        if (value <= INT_MAX)
            value *= 10;
    }
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

int ParseVersionStamp(const char* line, int& version, int& build, int& key) {
    if (line == nullptr)
        return 0;
    const char* versionText = std::strstr(line, kVersionTag);
    const char* buildText = std::strstr(line, kBuildTag);
    if (versionText == nullptr || buildText == nullptr)
        return 0;

    version = ParseDigitField(versionText + sizeof kVersionTag - 1, 2);
    build = ParseDigitField(buildText + sizeof kBuildTag - 1, 6);
    key = MakeStampKey(version, build);
    return key;
}

int ParseVersionStamp(const char* line, VersionStamp& stamp) {
    return ParseVersionStamp(line, stamp.version, stamp.build, stamp.key);
}

void FormatVersionStamp(int version, int build, char* text, std::size_t capacity, bool numberPart,
                        bool datePart) {
    if (text == nullptr || capacity == 0)
        return;
    text[0] = '\0';

    const int yy = (build / 10000) % 100;
    const int mm = (build / 100) % 100;
    const int dd = build % 100;
    std::size_t used = 0;
    if (numberPart) {
        const int n = std::snprintf(text, capacity, "%d.%d [%02d.%02d.%02d]", version / 10,
                                    version % 10, yy, mm, dd);
        if (n < 0)
            return;
        used = static_cast<std::size_t>(n);
    }
    if (datePart && used < capacity - 1)
        std::snprintf(text + used, capacity - used, " del %d/%d/%d", dd, mm, yy + 2000);
}

int FormatStampLine(const VersionStamp& stamp, char* text, std::size_t capacity) {
    const int build = stamp.build;
    return std::snprintf(text, capacity, "@versione=%d.%d  @build=%02d.%02d.%02d",
                         stamp.version / 10, stamp.version % 10, (build / 10000) % 100,
                         (build / 100) % 100, build % 100);
}
