#include "BenchTree.h"
#include <cstring>
#include <vector>

namespace {

bool WriteFileOfSize(const std::string& path, int64_t bytes, uint32_t& seed) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    static std::vector<uint32_t> block(1 << 18);
    for (uint32_t& word : block) {
        seed = seed * 1664525u + 1013904223u;
        word = seed;
    }
    bool ok = true;
    for (int64_t left = bytes; ok && left > 0;) {
        const DWORD size = static_cast<DWORD>(
            left < static_cast<int64_t>(block.size() * 4) ? left : block.size() * 4);
        DWORD written = 0;
        ok = WriteFile(file, block.data(), size, &written, nullptr) && written == size;
        left -= size;
    }
    CloseHandle(file);
    return ok;
}

bool IsDots(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

} // namespace

int64_t GenerateTree(const std::string& root, const TreeShape& shape) {
    std::vector<std::string> folders{root};
    CreateDirectoryA(root.c_str(), nullptr);
    size_t levelStart = 0;
    for (int level = 1; level <= shape.folderDepth; ++level) {
        const size_t levelEnd = folders.size();
        for (size_t parent = levelStart; parent < levelEnd; ++parent) {
            for (int child = 0; child < shape.fanOut; ++child) {
                const std::string folder = folders[parent] + "\\d" + std::to_string(child);
                if (!CreateDirectoryA(folder.c_str(), nullptr))
                    return -1;
                folders.push_back(folder);
            }
        }
        levelStart = levelEnd;
    }
    uint32_t seed = 12345;
    int64_t total = 0;
    const int spread = shape.maxBytes - shape.minBytes + 1;
    for (int i = 0; i < shape.files; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int64_t bytes = shape.minBytes + static_cast<int64_t>((seed >> 8) % spread);
        const std::string path = folders[i % folders.size()] + "\\f" + std::to_string(i) + ".dat";
        if (!WriteFileOfSize(path, bytes, seed))
            return -1;
        total += bytes;
    }
    return total;
}

bool WalkTree(const std::string& source, const std::string& destination,
              const TreeVisitor& visitor) {
    if (visitor.onFolder && !visitor.onFolder(destination))
        return false;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((source + "\\*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    do {
        if (IsDots(entry.cFileName))
            continue;
        const std::string from = source + "\\" + entry.cFileName;
        const std::string to = destination + "\\" + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = WalkTree(from, to, visitor);
        else if (visitor.onFile)
            ok = visitor.onFile(from, to);
    } while (ok && FindNextFileA(find, &entry));
    FindClose(find);
    return ok;
}

void RemoveTree(const std::string& root) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((root + "\\*.*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (IsDots(entry.cFileName))
                continue;
            const std::string path = root + "\\" + entry.cFileName;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(root.c_str());
}
