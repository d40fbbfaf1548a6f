#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

// Where this machine's names meet the wizard's: on Windows paths are wide
// and the wizard sees them in the ANSI code page; elsewhere they are bytes,
// taken to be UTF-8. Nothing here throws for a name it cannot convert.

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A path as typed on the command line.
std::filesystem::path PathFromArgument(const char* argument);

// The bytes to print for a path on this machine's console.
std::string DisplayPath(const std::filesystem::path& path);

// The path as the narrow (fopen-based) file functions take it; false when a
// character of it has no narrow form.
bool NarrowPath(const std::filesystem::path& path, std::string& narrow);

// One file or folder name as the wizard will see it, in code page 1252.
// False when the name is not representable there; cp1252 then holds '?' in
// place of each character that is not.
bool NameInCp1252(const std::filesystem::path& name, std::string& cp1252);

// True when the entry itself is a link of any kind, not followed: a symbolic
// link (lstat) here, any reparse point (a symbolic link, a junction, a mount
// point) on Windows. error is set when the entry cannot be looked at.
bool IsLink(const std::filesystem::path& path, std::error_code& error);

// fopen for any path this machine can name; error is set on failure.
FilePtr OpenFile(const std::filesystem::path& path, const char* mode, std::error_code& error);

// A cp1252 text of the wizard as this machine's console shows it.
std::string ForConsole(const std::string& cp1252);
