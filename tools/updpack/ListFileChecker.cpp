#include "ListFileChecker.h"

#include "Cp1252Text.h"
#include "NativePath.h"
#include "PackageFiles.h"
#include "PackageLayout.h"
#include "TextLineReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kLargestList = 16u << 20;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t kShownChars = 60;

std::string Quoted(const std::string& cp1252) {
    std::string text = cp1252.size() > kShownChars ? cp1252.substr(0, kShownChars) + "..." : cp1252;
    return "\"" + ForConsole(text) + "\"";
}

std::string LongForm(const VersionStamp& stamp) {
    char text[64];
    FormatVersionStamp(stamp.version, stamp.build, text, sizeof text, true, true);
    return text;
}

std::string ShortForm(const VersionStamp& stamp) {
    char text[64];
    FormatVersionStamp(stamp.version, stamp.build, text, sizeof text, true, false);
    return text;
}

bool IsEntry(const std::string& text, VersionStamp& stamp) {
    return IsEntryLine(text.c_str(), stamp);
}

bool IsEntry(const std::string& text) {
    VersionStamp stamp;
    return IsEntryLine(text.c_str(), stamp);
}

bool SameStamp(const VersionStamp& a, const VersionStamp& b) {
    return a.version == b.version && a.build == b.build;
}

// Both tags stand in the line, whatever their fields read as.
bool HasBothTags(const std::string& text, VersionStamp& stamp) {
    int version = -1;
    int build = -1;
    int key = 0;
    ParseVersionStamp(text.c_str(), version, build, key);
    stamp = VersionStamp{version, build, key};
    return version >= 0;
}

bool LooksLikeTag(const std::string& text) {
    const std::string folded = FoldCp1252(text);
    return folded.find("@VERSIONE") != std::string::npos ||
           folded.find("@BUILD") != std::string::npos ||
           folded.find("VERSIONE=") != std::string::npos ||
           folded.find("BUILD=") != std::string::npos;
}

// Text after a carriage return on the same physical line: the reader drops
// the carriage return and joins the two sides.
bool HasTextAfterCarriageReturn(const std::string& line) {
    const std::size_t cr = line.find('\r');
    return cr != std::string::npos && line.find_first_not_of("\r \t", cr) != std::string::npos;
}

bool IsDate(int build) {
    static const int kDaysIn[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int month = (build / 100) % 100;
    const int day = build % 100;
    return month >= 1 && month <= 12 && day >= 1 && day <= kDaysIn[month - 1];
}

// Every logical line of the file, read with the data core's reader, by
// physical line number.
std::vector<std::string> ReadLogicalLines(const std::string& path, std::size_t lines, int maxChars,
                                          char comment) {
    std::vector<std::string> result(lines);
    CTextLineReader reader;
    if (!reader.Open(path.c_str()))
        return result;
    std::vector<char> buffer(static_cast<std::size_t>(maxChars) + 1);
    while (reader.ReadLine(buffer.data(), maxChars, comment)) {
        const long number = reader.LineNumber();
        if (number >= 1 && static_cast<std::size_t>(number) <= lines)
            result[static_cast<std::size_t>(number - 1)] = buffer.data();
    }
    return result;
}

} // namespace

bool CListFileChecker::Check(const fs::path& listFile, UpdateList& list) {
    list = UpdateList{};
    std::string narrow;
    if (!NarrowPath(listFile, narrow)) {
        Error(0, "its path cannot be written in this system's code page");
        return false;
    }
    if (!ReadBytes(listFile))
        return false;
    if (!LoadUpdateList(narrow.c_str(), list)) {
        Error(0, "cannot be opened");
        return false;
    }

    std::size_t longest = kLineMaxChars;
    for (const std::string& line : m_physical)
        longest = std::max(longest, line.size());
    const int unlimited = static_cast<int>(longest) + 1;
    m_uncut = ReadLogicalLines(narrow, m_physical.size(), unlimited, kCommentChar);
    // A NUL byte ends a line's text anyway, so it makes a harmless comment character.
    m_uncommented = ReadLogicalLines(narrow, m_physical.size(), unlimited, '\0');

    std::vector<ShownLine> shown;
    for (const UpdateListLine& line : list.dropped)
        shown.push_back(ShownLine{line.lineNumber, false, &line, VersionStamp{}});
    for (const UpdateEntry& entry : list.entries) {
        shown.push_back(ShownLine{entry.line.lineNumber, true, &entry.line, entry.stamp});
        for (const UpdateListLine& detail : entry.details)
            shown.push_back(ShownLine{detail.lineNumber, false, &detail, VersionStamp{}});
    }
    std::sort(shown.begin(), shown.end(),
              [](const ShownLine& a, const ShownLine& b) { return a.number < b.number; });

    CheckBytes();
    const long firstEntry = list.entries.empty() ? 0 : list.entries.front().line.lineNumber;
    for (const ShownLine& line : shown) {
        if (line.entry)
            CheckEntry(line);
        else
            CheckNonEntry(line, firstEntry != 0 && line.number > firstEntry);
    }
    CheckOrder(list);
    return true;
}

bool CListFileChecker::ReadBytes(const fs::path& listFile) {
    std::error_code error;
    if (fs::is_directory(listFile, error)) {
        Error(0, "is a folder, not a file: the wizard says \"Nessuna informazione di "
                 "aggiornamento.\" and ends");
        return false;
    }
    FilePtr file = OpenFile(listFile, "rb", error);
    if (!file) {
        if (error == std::errc::no_such_file_or_directory)
            Error(0, "is missing: the wizard says \"Nessuna informazione di aggiornamento.\" "
                     "and ends");
        else
            Error(0, "cannot be read: " + error.message());
        return false;
    }
    m_bytes.clear();
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        m_bytes.append(chunk, got);
        if (m_bytes.size() > kLargestList) {
            Error(0, "is larger than 16 MiB: this is not an update list");
            return false;
        }
    }
    if (std::ferror(file.get())) {
        Error(0, "cannot be read to its end");
        return false;
    }
    m_physical.clear();
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = m_bytes.find('\n', start);
        m_physical.push_back(m_bytes.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return true;
}

void CListFileChecker::CheckBytes() {
    if (m_bytes.compare(0, 3, kByteOrderMark) == 0) {
        const std::string& first = m_uncut.empty() ? m_bytes : m_uncut[0];
        if (first.compare(0, 3, kByteOrderMark) == 0 && IsEntry(first.substr(3)))
            Error(1, "a UTF-8 byte order mark stands before the \"-> \" marker: this update is "
                     "not listed (save the file without it)");
        else
            Warning(1, "the file starts with a UTF-8 byte order mark; the wizard reads the file "
                       "as code page 1252");
    }
    const bool hasLineFeed = m_bytes.find('\n') != std::string::npos;
    if (!hasLineFeed && HasTextAfterCarriageReturn(m_bytes)) {
        Error(1, "lines end with a carriage return only: the wizard reads the whole file as "
                 "one line");
        return;
    }
    for (std::size_t i = 0; i < m_physical.size(); ++i) {
        const std::string& line = m_physical[i];
        const long number = static_cast<long>(i + 1);
        if (HasTextAfterCarriageReturn(line))
            Warning(number, "a carriage return inside the line is dropped: the text on both "
                            "sides of it is joined");
        const std::size_t nul = line.find('\0');
        if (nul != std::string::npos &&
            line.find_first_not_of(" \t\r\0", nul, 4) != std::string::npos)
            Warning(number, "holds a NUL byte: the wizard reads the line only up to it");
    }
}

const std::string* CListFileChecker::Alternative(const std::vector<std::string>& lines,
                                                 long number) const {
    if (number < 1 || static_cast<std::size_t>(number) > lines.size())
        return nullptr;
    return &lines[static_cast<std::size_t>(number - 1)];
}

void CListFileChecker::CheckEntry(const ShownLine& shown) {
    const std::string* uncut = Alternative(m_uncut, shown.number);
    VersionStamp meant;
    if (shown.line->cut && uncut != nullptr && IsEntry(*uncut, meant) &&
        !SameStamp(meant, shown.stamp)) {
        Error(shown.number, "is longer than " + std::to_string(kLineMaxChars) +
                                " characters and its stamp is cut: the wizard reads " +
                                ShortForm(shown.stamp) + " instead of " + ShortForm(meant));
    }
    if (m_errorLines.count(shown.number) == 0 && !IsDate(shown.stamp.build)) {
        Warning(shown.number, "the build of this stamp is not a date (each of its three groups "
                              "needs two digits): the wizard shows \"" +
                                  LongForm(shown.stamp) + "\"");
    }
}

void CListFileChecker::CheckNonEntry(const ShownLine& shown, bool detail) {
    const std::string* uncut = Alternative(m_uncut, shown.number);
    const std::string* uncommented = Alternative(m_uncommented, shown.number);
    const char* const fate = detail ? "the wizard shows it as a detail line, not as an update"
                                    : "the wizard drops it, so the update is not listed";
    if (shown.line->cut && uncut != nullptr && IsEntry(*uncut)) {
        Error(shown.number, "is longer than " + std::to_string(kLineMaxChars) +
                                " characters and its stamp stands beyond them: " + fate);
        return;
    }
    if (uncommented != nullptr && IsEntry(*uncommented)) {
        Error(shown.number, std::string("a '#' hides the stamp tags (everything after a '#' is a "
                                        "comment): ") +
                                fate);
        return;
    }
    if (shown.line->text.compare(0, 2, "->") == 0 || IsEntry("-> " + shown.line->text)) {
        CheckMarker(shown, detail);
        return;
    }
    if (detail && shown.line->cut) {
        Warning(shown.number, "is longer than " + std::to_string(kLineMaxChars) +
                                  " characters: the wizard shows only the first " +
                                  std::to_string(kLineMaxChars));
    }
    if (detail)
        CheckShownText(shown);
}

void CListFileChecker::CheckMarker(const ShownLine& shown, bool detail) {
    const std::string& text = shown.line->text;
    if (shown.number == 1 && text.compare(0, 3, kByteOrderMark) == 0)
        return; // reported with the file's bytes
    const bool marker = text.compare(0, 3, "-> ") == 0;
    VersionStamp found;
    if (!marker && text.compare(0, 2, "->") == 0 && IsEntry("-> " + text.substr(2))) {
        Error(shown.number, "no blank after \"->\": the marker is \"-> \", so this update is not "
                            "listed (the line is shown as it stands)");
    } else if (!marker && IsEntry("-> " + text)) {
        Error(shown.number, "carries a stamp but does not begin with \"-> \": this update is not "
                            "listed");
    } else if (marker && HasBothTags(text, found)) {
        Error(shown.number, "the stamp is not valid: its version reads as " +
                                std::to_string(found.version / 10) + "." +
                                std::to_string(found.version % 10) + " and its build as " +
                                ShortForm(VersionStamp{0, found.build, 0}).substr(4) +
                                ", and both must be non-zero (a field that does not start with a "
                                "digit reads as 0): this update is not listed");
    } else if (LooksLikeTag(text)) {
        Error(shown.number, "a stamp tag is missing or misspelled (the tags are \"@versione=\" and "
                            "\"@build=\", in lower case): this update is not listed");
    } else {
        Warning(shown.number, detail ? "begins with \"->\" but carries no stamp: shown as a "
                                       "detail line, marker included"
                                     : "begins with \"->\" but carries no stamp, and stands "
                                       "before the first update: the wizard does not show it");
    }
}

void CListFileChecker::CheckShownText(const ShownLine& shown) {
    const std::string& text = shown.line->text;
    bool multiByte = false;
    bool notUtf8 = false;
    bool undefined = false;
    bool control = false;
    for (std::size_t pos = 0; pos < text.size();) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x20)
            control = true;
        if (byte >= 0x80 && Cp1252ToCodePoint(byte) == 0)
            undefined = true;
        char32_t codePoint = 0;
        std::size_t next = pos;
        if (DecodeUtf8(text, next, codePoint)) {
            multiByte = multiByte || codePoint >= 0x80;
            pos = next;
        } else {
            notUtf8 = true;
            ++pos;
        }
    }
    if (multiByte && !notUtf8) {
        Warning(shown.number, "looks like UTF-8 text; the wizard shows the bytes as code page "
                              "1252: " +
                                  Quoted(text));
    } else if (undefined) {
        Warning(shown.number, "holds a byte that code page 1252 does not define (0x81, 0x8D, "
                              "0x8F, 0x90 or 0x9D): it shows as a box or not at all");
    }
    if (control)
        Warning(shown.number, "holds a control character, which shows as a box or not at all");
}

void CListFileChecker::CheckOrder(const UpdateList& list) {
    if (list.entries.empty()) {
        Error(0, "holds no update (no line \"-> @versione=... @build=...\"): the wizard shows "
                 "an empty list and would write the zero stamp, \"@versione=0.0  "
                 "@build=00.00.00\", after installing");
        return;
    }
    // Lines already reported as lost updates need no second word.
    std::vector<long> dropped;
    for (const UpdateListLine& line : list.dropped) {
        if (m_errorLines.count(line.lineNumber) == 0)
            dropped.push_back(line.lineNumber);
    }
    if (!dropped.empty()) {
        const std::size_t more = dropped.size() - 1;
        Warning(dropped.front(),
                "stands before the first update" +
                    (more > 0 ? " with " + std::to_string(more) + " more line(s)" : std::string()) +
                    ": the wizard does not show it");
    }
    std::map<int, long> seen;
    for (const UpdateEntry& entry : list.entries) {
        const auto found = seen.emplace(entry.stamp.key, entry.line.lineNumber);
        if (found.second)
            continue;
        const std::string where = "line " + std::to_string(found.first->second);
        if (entry.stamp.key == list.newest.key) {
            Warning(entry.line.lineNumber, "has the same stamp as " + where +
                                               ", the newest: both are listed and the first "
                                               "one counts as the newest");
        } else {
            Warning(entry.line.lineNumber,
                    "has the same stamp as " + where + ": the update is listed twice");
        }
    }
}
