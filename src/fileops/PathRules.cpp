#include "fileops/PathRules.h"

#include <cstring>

namespace {

// Windows compares file names without regard to case; the code page is 1252,
// whose accented capitals fold the way Latin-1's do, plus four pairs of its own.
unsigned char FoldCase(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 0x20);
    switch (c) {
    case 0x8A:
    case 0x8C:
    case 0x8E:
        return static_cast<unsigned char>(c + 0x10);
    case 0x9F:
        return 0xFF;
    default:
        return c;
    }
}

bool SameFolderName(const char* a, const char* b, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (FoldCase(static_cast<unsigned char>(a[i])) !=
            FoldCase(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// The name before its first dot, without the blanks before that dot, names a
// device whatever follows: "NUL", "nul.txt", "Com1 .log". The superscript
// digits of code page 1252 count as digits there.
bool IsDeviceName(const std::string& name) {
    std::string base = FoldedPath(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    if (base == "con" || base == "prn" || base == "aux" || base == "nul" || base == "conin$" ||
        base == "conout$")
        return true;
    if (base.size() != 4 || (base.compare(0, 3, "com") != 0 && base.compare(0, 3, "lpt") != 0))
        return false;
    const unsigned char digit = static_cast<unsigned char>(base[3]);
    return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

} // namespace

bool IsWindowsName(const std::string& name) {
    if (name.empty() || name.back() == '.' || name.back() == ' ')
        return false;
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("*?<>\"/\\:|", c) != nullptr)
            return false;
    }
    return !IsDeviceName(name);
}

bool IsPathInside(const std::string& folder, const std::string& path) {
    if (folder.empty() || path.size() <= folder.size() + 1 || path[folder.size()] != '\\' ||
        !SameFolderName(folder.data(), path.data(), folder.size()))
        return false;
    size_t start = folder.size() + 1;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        if (!IsWindowsName(path.substr(start, end - start)))
            return false;
        start = end + 1;
    }
    return true;
}

std::string FoldedPath(const std::string& path) {
    std::string folded = path;
    for (char& c : folded)
        c = static_cast<char>(FoldCase(static_cast<unsigned char>(c)));
    return folded;
}

bool SamePath(const std::string& a, const std::string& b) {
    return a.size() == b.size() && SameFolderName(a.data(), b.data(), a.size());
}
