#include "data/ChecksumFile.h"
#include "data/Cp1252Text.h"
#include "data/PackageLayout.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

const std::string& FoldedName(const char* name) {
    // Three names, folded once.
    static const std::string list = FoldCp1252(kListFileName);
    static const std::string size = FoldCp1252(kSizeFileName);
    static const std::string tree = FoldCp1252(std::string(kInstallTreeName) + "\\");
    return name == kListFileName ? list : name == kSizeFileName ? size : tree;
}

// The UTF-8 path of a line as the program names it: '/' becomes '\'. Every
// part must be a name Windows would take as the name itself.
ChecksumProblem ToProgramPath(const std::string& utf8, std::string& path) {
    if (utf8.empty() || utf8[0] == '/')
        return ChecksumProblem::BadPath;
    for (unsigned char c : utf8) {
        // Control characters, and what Windows allows in no name (a '?' is
        // also what a listing gives for a character it cannot show).
        if (c < 0x20 || c == 0x7F || std::strchr("\\:*?\"<>|", c) != nullptr)
            return ChecksumProblem::BadPath;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(utf8.find('/', start), utf8.size());
        const std::size_t length = end - start;
        if (length == 0 || (length <= 2 && utf8.compare(start, length, "..", length) == 0))
            return ChecksumProblem::BadPath;
        if (end == utf8.size())
            break;
        start = end + 1;
    }
    std::string cp1252;
    if (!Utf8ToCp1252(utf8, cp1252))
        return ChecksumProblem::NotCp1252;
    std::replace(cp1252.begin(), cp1252.end(), '/', '\\');
    path = cp1252;
    return ChecksumProblem::None;
}

bool InsidePackage(const std::string& folded) {
    if (folded == FoldedName(kListFileName) || folded == FoldedName(kSizeFileName))
        return true;
    const std::string& tree = FoldedName(kInstallTreeName);
    return folded.size() > tree.size() && folded.compare(0, tree.size(), tree) == 0;
}

bool Fail(ChecksumError& error, ChecksumProblem problem, long line, const std::string& path) {
    error.problem = problem;
    error.line = line;
    error.path = path;
    return false;
}

} // namespace

bool CChecksumList::Parse(const std::string& text, ChecksumError& error) {
    m_entries.clear();
    m_index.clear();
    error = ChecksumError{};
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    std::vector<ChecksumEntry> entries;
    entries.reserve(lines + 1);
    std::unordered_map<std::string, std::size_t> index;
    index.reserve(lines + 1);
    std::size_t at = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        at = 3;
    long number = 0;
    while (at < text.size()) {
        ++number;
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::size_t stop = end;
        if (stop > at && text[stop - 1] == '\r')
            --stop;
        const char* line = text.data() + at;
        const std::size_t length = stop - at;
        at = end + 1;
        if (length == 0)
            continue;
        ChecksumEntry entry;
        entry.line = number;
        if (length < 67 || !ParseDigest(line, 64, entry.digest) || line[64] != ' ' ||
            (line[65] != ' ' && line[65] != '*'))
            return Fail(error, ChecksumProblem::BadLine, number, std::string());
        const std::string written(line + 66, length - 66);
        const ChecksumProblem problem = ToProgramPath(written, entry.path);
        if (problem != ChecksumProblem::None)
            return Fail(error, problem, number, written);
        std::string folded = FoldCp1252(entry.path);
        if (!InsidePackage(folded))
            return Fail(error, ChecksumProblem::OutsidePackage, number, written);
        if (!index.emplace(std::move(folded), entries.size()).second)
            return Fail(error, ChecksumProblem::Twice, number, written);
        entries.push_back(std::move(entry));
    }
    m_entries = std::move(entries);
    m_index = std::move(index);
    return true;
}

bool CChecksumList::Read(const char* path, ChecksumError& error) {
    m_entries.clear();
    error = ChecksumError{};
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file)
        return Fail(error, ChecksumProblem::Unreadable, 0, std::string());
    std::string text;
    char block[64 * 1024];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) {
        if (text.size() + got > kMaxFileBytes)
            return Fail(error, ChecksumProblem::TooLarge, 0, std::string());
        text.append(block, got);
    }
    if (std::ferror(file.get()))
        return Fail(error, ChecksumProblem::Unreadable, 0, std::string());
    return Parse(text, error);
}

const ChecksumEntry* CChecksumList::Find(const std::string& path) const {
    const auto it = m_index.find(FoldCp1252(path));
    return it != m_index.end() ? &m_entries[it->second] : nullptr;
}

bool FormatChecksumFile(const std::vector<ChecksumLine>& lines, std::string& text) {
    std::vector<std::pair<std::string, std::string>> sorted; // UTF-8 path, hex
    sorted.reserve(lines.size());
    for (const ChecksumLine& line : lines) {
        std::string utf8 = Cp1252ToUtf8(line.path);
        std::replace(utf8.begin(), utf8.end(), '\\', '/');
        std::string back;
        if (ToProgramPath(utf8, back) != ChecksumProblem::None || back != line.path ||
            !InsidePackage(FoldCp1252(back)))
            return false;
        sorted.emplace_back(std::move(utf8), DigestToHex(line.digest));
    }
    std::sort(sorted.begin(), sorted.end());
    std::string out;
    for (const auto& line : sorted)
        out += line.second + "  " + line.first + "\n";
    text = std::move(out);
    return true;
}
