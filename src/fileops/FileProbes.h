#pragma once
// The Win32 file probes of the safety net: what stands at a name, and the
// only ways the safety net removes or renames a name.
//
// The program runs elevated in a folder ordinary users may write to, and a
// link does not always look like one: Wine shows a symbolic link to a file
// as a plain file and deletes or renames the file it points to when asked to
// delete or rename the link, and a hard link looks like a plain file on every
// system and shares its attributes with its other names. So a name is
// removed or renamed only through a handle that was checked to be the
// file's own name (the path the system resolves the handle to is the
// name's), and the attributes of a file with more than one name are never
// changed.
#include "fileops/FileHandle.h"
#include <windows.h>
#include <map>
#include <string>

inline bool IsFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool IsMissingError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// CreateDirectoryA, also beyond its 248-character limit for a full, plain path.
bool CreateFolder(const std::string& path);

// Whether `path` or a folder between `root` and it is a link (by its
// attributes). Components that do not exist end the walk.
bool CrossesLink(const std::string& root, const std::string& path);

// The path the system resolves an open file or folder to, without the "\\?\"
// prefix; empty when it cannot tell.
std::string FinalPath(HANDLE handle);

// The resolved paths of folders, each looked up once.
class CFolderFinals {
public:
    const std::string& Of(const std::string& folder);

private:
    std::map<std::string, std::string> m_finals; // by folded path
};

// Opens the existing file `path` for `access` when the name is the file's
// own: not a folder, not a link by its attributes, resolving to the name
// itself, and, unless `links` is given to take its number of names, its only
// name. ERROR_SUCCESS with `file` open; ERROR_CANT_ACCESS_FILE for a link
// (a hard link too); ERROR_DIRECTORY for a folder; or the system's error.
DWORD OpenOwnFile(const std::string& path, DWORD access, CFileHandle& file,
                  CFolderFinals* finals = nullptr, DWORD* links = nullptr,
                  DWORD* attributes = nullptr);

// Renames the open file `handle` (known by `path`) to `target` through the
// handle; by name where the system takes no rename through a handle.
BOOL RenameOpenFile(HANDLE handle, const std::string& path, const char* target,
                    bool replace = false);

// Deletes the open file (opened with DELETE access) when its last handle closes.
DWORD DeleteOpenFile(HANDLE file);

// Renames `path` to `target` (which must not exist) when it is the file's
// own name; the error of OpenOwnFile or of the rename otherwise.
DWORD RenameOwnFile(const std::string& path, const std::string& target,
                    CFolderFinals* finals = nullptr);

// Removes the name `path` and nothing else: a file with no other name is
// deleted (a read-only one too); a link or a hard link is replaced by a new
// empty file of ours, which is then deleted, so that what it points to or
// shares stays as it was. ERROR_SUCCESS also when nothing was there
// (`removed`, if given, tells which); ERROR_DIRECTORY for a folder; or the
// system's error (held, denied).
DWORD RemoveName(const std::string& path, CFolderFinals* finals = nullptr, bool* removed = nullptr);
