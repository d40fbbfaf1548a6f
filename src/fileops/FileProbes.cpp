#include "fileops/FileProbes.h"

#include "fileops/PathRules.h"
#include "fileops/Paths.h"

#include <vector>

namespace {

std::string LongForm(const std::string& path) {
    char named[MAX_PATH];
    const DWORD length = GetLongPathNameA(path.c_str(), named, sizeof named);
    return length > 0 && length < sizeof named ? std::string(named, length) : std::string();
}

std::string ParentOf(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Whether the open file resolves to `path` itself (its folder may lie behind
// a junction, and a short name resolves to its long form).
bool NamesItself(HANDLE file, const std::string& path, CFolderFinals& finals) {
    const std::string resolved = FinalPath(file);
    const std::string& folder = finals.Of(ParentOf(path));
    if (resolved.empty() || folder.empty())
        return true; // cannot tell: the attributes said a plain file
    const size_t slash = path.rfind('\\');
    if (SamePath(resolved, folder + path.substr(slash)))
        return true;
    const std::string longPath = LongForm(path);
    const size_t longSlash = longPath.rfind('\\');
    return longSlash != std::string::npos &&
           SamePath(resolved, folder + longPath.substr(longSlash));
}

DWORD SetAttributes(HANDLE file, DWORD attributes) {
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) ? ERROR_SUCCESS
                                                                                 : GetLastError();
}

// A new empty file of ours beside `path`, open for deletion.
HANDLE CreateScratchBeside(const std::string& path, std::string& scratch) {
    const std::string folder = ParentOf(path);
    for (unsigned number = GetCurrentProcessId() % 10000; number < 10000 + 64; ++number) {
        scratch = folder + "\\~kvu" + std::to_string(number % 10000) + ".tmp";
        if (!PathFits(scratch))
            break;
        const HANDLE file = CreateFileA(scratch.c_str(), DELETE | GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    SetLastError(ERROR_TOO_MANY_NAMES);
    return INVALID_HANDLE_VALUE;
}

} // namespace

bool CreateFolder(const std::string& path) {
    // CreateDirectoryA stops at 248 characters (room for an 8.3 name after
    // them); the folders of an installation near its 246-character limit are
    // longer, and the \\?\ form of a full, plain path is not held to that.
    if (CreateDirectoryA(path.c_str(), nullptr))
        return true;
    const DWORD error = GetLastError();
    const bool plain =
        path.size() > 3 && path[1] == ':' && path[2] == '\\' && path.find('/') == std::string::npos;
    if (error == ERROR_FILENAME_EXCED_RANGE && plain) {
        const std::string longForm = "\\\\?\\" + path;
        if (PathFits(longForm) && CreateDirectoryA(longForm.c_str(), nullptr))
            return true;
    }
    SetLastError(error);
    return false;
}

bool CrossesLink(const std::string& root, const std::string& path) {
    size_t end = root.size();
    while (end < path.size()) {
        end = path.find('\\', end + 1);
        if (end == std::string::npos)
            end = path.size();
        const DWORD attributes = GetFileAttributesA(path.substr(0, end).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return false;
        if (IsLink(attributes))
            return true;
    }
    return false;
}

std::string FinalPath(HANDLE handle) {
    char final[MAX_PATH + 8];
    const DWORD length =
        GetFinalPathNameByHandleA(handle, final, sizeof final, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= sizeof final)
        return std::string();
    std::string resolved(final, length);
    if (resolved.compare(0, 8, "\\\\?\\UNC\\") == 0)
        resolved = "\\" + resolved.substr(7);
    else if (resolved.compare(0, 4, "\\\\?\\") == 0)
        resolved.erase(0, 4);
    return resolved;
}

const std::string& CFolderFinals::Of(const std::string& folder) {
    const std::string key = FoldedPath(folder);
    const auto found = m_finals.find(key);
    if (found != m_finals.end())
        return found->second;
    std::string& final = m_finals[key];
    CFileHandle opened(CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (opened.IsOpen())
        final = FinalPath(opened.Get());
    return final;
}

DWORD OpenOwnFile(const std::string& path, DWORD access, CFileHandle& file, CFolderFinals* finals,
                  DWORD* links, DWORD* attributes) {
    file.Reset(CreateFileA(path.c_str(), access | FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.IsOpen()) {
        const DWORD error = GetLastError();
        // A folder cannot be opened as a file.
        return error == ERROR_ACCESS_DENIED && IsFolder(GetFileAttributesA(path.c_str()))
                   ? DWORD(ERROR_DIRECTORY)
                   : error;
    }
    // The two small queries, not GetFileInformationByHandle: Wine answers
    // that one several times slower (it looks up the volume too).
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    if (!GetFileInformationByHandleEx(file.Get(), FileBasicInfo, &basic, sizeof basic) ||
        !GetFileInformationByHandleEx(file.Get(), FileStandardInfo, &standard, sizeof standard)) {
        const DWORD error = GetLastError();
        file.Close();
        return error;
    }
    DWORD result = ERROR_SUCCESS;
    CFolderFinals local;
    if (standard.Directory || (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        result = ERROR_DIRECTORY;
    else if (IsLink(basic.FileAttributes) ||
             !NamesItself(file.Get(), path, finals != nullptr ? *finals : local))
        result = ERROR_CANT_ACCESS_FILE;
    // A hard link counts as a link unless the caller deals with it.
    else if (links == nullptr && standard.NumberOfLinks > 1)
        result = ERROR_CANT_ACCESS_FILE;
    if (result != ERROR_SUCCESS) {
        file.Close();
        return result;
    }
    if (links != nullptr)
        *links = standard.NumberOfLinks;
    if (attributes != nullptr)
        *attributes = basic.FileAttributes;
    return ERROR_SUCCESS;
}

DWORD DeleteOpenFile(HANDLE file) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition)
               ? ERROR_SUCCESS
               : GetLastError();
}

BOOL RenameOpenFile(HANDLE handle, const std::string& path, const char* target, bool replace) {
    // An NT path: every version reads it as it stands.
    const std::string full = std::string("\\??\\") + target;
    const int length =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, full.c_str(), -1, nullptr, 0);
    if (length > 1) {
        const size_t nameBytes = static_cast<size_t>(length - 1) * sizeof(WCHAR);
        std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
        auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        rename->ReplaceIfExists = replace ? TRUE : FALSE;
        rename->RootDirectory = nullptr;
        rename->FileNameLength = static_cast<DWORD>(nameBytes);
        MultiByteToWideChar(CP_ACP, 0, full.c_str(), -1, rename->FileName, length);
        if (SetFileInformationByHandle(handle, FileRenameInfo, rename,
                                       static_cast<DWORD>(buffer.size())))
            return TRUE;
        const DWORD error = GetLastError();
        if (error != ERROR_INVALID_PARAMETER && error != ERROR_INVALID_NAME &&
            error != ERROR_NOT_SUPPORTED && error != ERROR_INVALID_FUNCTION &&
            error != ERROR_CALL_NOT_IMPLEMENTED)
            return FALSE;
    }
    return MoveFileExA(path.c_str(), target, replace ? MOVEFILE_REPLACE_EXISTING : 0);
}

DWORD RenameOwnFile(const std::string& path, const std::string& target, CFolderFinals* finals) {
    CFileHandle file;
    const DWORD opened = OpenOwnFile(path, DELETE, file, finals);
    if (opened != ERROR_SUCCESS)
        return opened;
    return RenameOpenFile(file.Get(), path, target.c_str()) ? ERROR_SUCCESS : GetLastError();
}

DWORD RemoveName(const std::string& path, CFolderFinals* finals, bool* removed) {
    if (removed != nullptr)
        *removed = false;
    CFileHandle file;
    DWORD links = 0;
    DWORD attributes = 0;
    const DWORD opened =
        OpenOwnFile(path, DELETE | FILE_WRITE_ATTRIBUTES, file, finals, &links, &attributes);
    if (IsMissingError(opened))
        return ERROR_SUCCESS;
    if (removed != nullptr)
        *removed = true;
    if (opened == ERROR_SUCCESS && links == 1) {
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            const DWORD cleared = SetAttributes(file.Get(), attributes & ~FILE_ATTRIBUTE_READONLY);
            if (cleared != ERROR_SUCCESS)
                return cleared;
        }
        return DeleteOpenFile(file.Get());
    }
    if (opened != ERROR_SUCCESS && opened != ERROR_CANT_ACCESS_FILE)
        return opened;
    file.Close();
    // A link, or a name the file shares: our own file takes the name, then goes.
    std::string scratch;
    CFileHandle ours(CreateScratchBeside(path, scratch));
    if (!ours.IsOpen())
        return GetLastError();
    if (!RenameOpenFile(ours.Get(), scratch, path.c_str(), true)) {
        const DWORD error = GetLastError();
        DeleteOpenFile(ours.Get());
        return error;
    }
    return DeleteOpenFile(ours.Get());
}
