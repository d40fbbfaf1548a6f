#pragma once

#include <cstddef>

// A version (two digits, 50 = 5.0), a build (six digits yymmdd, 40416 =
// 04.04.16) and the key that orders stamps: build + version * 1000000 when
// both are non-zero, else 0, which marks "no valid stamp".
struct VersionStamp {
    int version = 0;
    int build = 0;
    int key = 0;
};

int MakeStampKey(int version, int build);

// Whether an update with stamp candidate is newer than what is installed.
inline bool IsNewerThan(const VersionStamp& candidate, const VersionStamp& installed) {
    return candidate.key > installed.key;
}

// Reads width digits from text, skipping dots anywhere, stopping at any other
// character and padding a short field with zeros on the right ("5" read with
// width 2 is 50). A value beyond the int range (width 10 and up) gives INT_MAX.
int ParseDigitField(const char* text, int width);

// Looks for "@versione=" and "@build=" anywhere in line. Without both tags it
// returns 0 and leaves the outputs untouched; with both it stores version,
// build and key (even when the key is 0) and returns the key.
int ParseVersionStamp(const char* line, int& version, int& build, int& key);
int ParseVersionStamp(const char* line, VersionStamp& stamp);

// Display forms: numberPart gives "5.0 [04.04.16]", datePart appends
// " del 16/4/2004". The text is cut to capacity and always terminated (when
// capacity is above 0); the longest form of a parsed stamp has 29 characters.
void FormatVersionStamp(int version, int build, char* text, std::size_t capacity, bool numberPart,
                        bool datePart);

// The line written into the installed stamp file, without a line end:
// "@versione=5.0  @build=04.04.16" (30 characters for any parsed stamp).
// Returns the length of the full line; the line is complete only when that is
// below capacity.
int FormatStampLine(const VersionStamp& stamp, char* text, std::size_t capacity);
inline constexpr int kStampLineBufferSize = 64;
