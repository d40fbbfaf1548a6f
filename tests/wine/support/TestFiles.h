#pragma once
// Real files and folders for the Windows tests, in-process or driving the
// program from outside. A full path with backslashes ("C:\...") goes to the
// wide calls with the \\?\ prefix, so these also make, read and remove paths
// too long for the ANSI calls the code under test uses; other paths go as
// they are.
#include <map>
#include <string>

std::wstring WidePath(const std::string& path);

// Writes the bytes, creating the file's missing folders first.
bool WriteBytes(const std::string& path, const std::string& bytes);
// False when the file cannot be read; bytes is then empty.
bool ReadBytes(const std::string& path, std::string& bytes);
// The file's content, or "<missing>" when it cannot be read.
std::string ReadBytes(const std::string& path);
// One new folder: false when it exists already or its parent is missing.
bool MakeFolder(const std::string& path);
// Every missing folder of the path; true when the folder is there at the end.
bool MakeFolders(const std::string& folder);
bool IsFolder(const std::string& path);
bool Exists(const std::string& path);
// Deletes a folder with everything under it.
bool RemoveTree(const std::string& folder);
// Every file below the folder, by its path under it ("bin\\a.dll"), with
// its bytes; links are listed as the files they look like.
std::map<std::string, std::string> ReadTree(const std::string& folder);
