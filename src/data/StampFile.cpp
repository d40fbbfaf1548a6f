#include "data/StampFile.h"

#include "data/DiskWrite.h"
#include "data/PackageLayout.h"

#include <cstdio>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

constexpr char kStampFileSuffix[] = "\\Versione.txt";
static_assert(sizeof kStampFileSuffix - 2 == sizeof kStampFileName - 1);

// Beside the target and of the same length, so that it fits wherever the
// target's path fits: the last character becomes '~'.
bool MakeTempPath(const char* path, std::string& temp) {
    const std::size_t length = path == nullptr ? 0 : std::strlen(path);
    if (length == 0 || path[length - 1] == '\\' || path[length - 1] == '/')
        return false;
    temp.assign(path, length);
    temp.back() = temp.back() == '~' ? '_' : '~';
    return true;
}

// Owns one stream; Close reports what the destructor would swallow.
class CStdioFile {
public:
    explicit CStdioFile(std::FILE* file) : m_file(file) {}
    ~CStdioFile() { Close(); }
    CStdioFile(const CStdioFile&) = delete;
    CStdioFile& operator=(const CStdioFile&) = delete;

    bool IsOpen() const { return m_file != nullptr; }
    std::FILE* Get() const { return m_file; }
    bool Close() {
        std::FILE* const file = m_file;
        m_file = nullptr;
        return file != nullptr && std::fclose(file) == 0;
    }

private:
    std::FILE* m_file;
};

// A new file at `path` for writing, made only where nothing stands: an
// existing name (a link among them) is never opened.
std::FILE* CreateExclusively(const char* path) {
#ifdef _WIN32
    const HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
    if (descriptor == -1) {
        CloseHandle(file);
        DeleteFileA(path);
        return nullptr;
    }
    std::FILE* stream = _fdopen(descriptor, "wb");
#else
    const int descriptor = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (descriptor == -1)
        return nullptr;
    std::FILE* stream = fdopen(descriptor, "wb");
#endif
    if (stream == nullptr) {
#ifdef _WIN32
        _close(descriptor);
#else
        close(descriptor);
#endif
        std::remove(path);
    }
    return stream;
}

bool MoveOver(const char* from, const char* to) {
#ifdef _WIN32
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(from, to) == 0;
#endif
}

} // namespace

VersionStamp ReadInstalledStamp(CTextLineReader& reader, const char* path, char* line,
                                std::size_t lineSize) {
    VersionStamp stamp;
    const int maxChars = CTextLineReader::MaxCharsFor(lineSize);
    if (maxChars >= 0 && reader.Open(path)) {
        line[0] = '\0';
        reader.ReadLine(line, maxChars, kCommentChar);
        ParseVersionStamp(line, stamp);
    }
    reader.Close();
    return stamp;
}

VersionStamp ReadInstalledStamp(const char* path) {
    CTextLineReader reader;
    char line[kLineBufferSize];
    return ReadInstalledStamp(reader, path, line, sizeof line);
}

void StripOneTrailingBackslash(char* folder) {
    const std::size_t length = std::strlen(folder);
    if (length > 0 && folder[length - 1] == '\\')
        folder[length - 1] = '\0';
}

bool BuildStampFilePath(const char* folder, char* path, std::size_t capacity) {
    if (capacity == 0)
        return false;
    const std::size_t needed = std::strlen(folder) + sizeof kStampFileSuffix;
    if (needed > capacity) {
        path[0] = '\0';
        return false;
    }
    std::snprintf(path, capacity, "%s%s", folder, kStampFileSuffix);
    return true;
}

bool WriteStampTemporary(const char* path, const VersionStamp& stamp, std::string& temporary) {
    temporary.clear();
    char text[kStampLineBufferSize];
    const int length = FormatStampLine(stamp, text, sizeof text);
    std::string temp;
    if (length < 0 || length >= static_cast<int>(sizeof text) || !MakeTempPath(path, temp))
        return false;

    CStdioFile file(CreateExclusively(temp.c_str()));
    if (!file.IsOpen())
        return false;
    // Every step is checked on its own: the count, the flush and the sync
    // each catch a full disk that the others may let through.
    bool written = std::fwrite(text, 1, length, file.Get()) == static_cast<std::size_t>(length);
    written = written && FlushToDisk(file.Get());
    if (!file.Close())
        written = false;
    if (!written) {
        std::remove(temp.c_str());
        return false;
    }
    temporary = temp;
    return true;
}

bool StampTemporaryPath(const char* path, std::string& temporary) {
    return MakeTempPath(path, temporary);
}

bool ReplaceWithTemporary(const std::string& temporary, const char* path) {
    if (temporary.empty() || path == nullptr)
        return false;
    if (MoveOver(temporary.c_str(), path))
        return true;
    std::remove(temporary.c_str());
    return false;
}

bool WriteStampFile(const char* path, const VersionStamp& stamp) {
    std::string temporary;
    return WriteStampTemporary(path, stamp, temporary) && ReplaceWithTemporary(temporary, path);
}
