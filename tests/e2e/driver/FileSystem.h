#pragma once

#include <string>

namespace e2e {

// Creates every missing folder of the path.
bool MakeFolders(const std::string& folder);
// Writes the bytes, creating the file's folders first.
bool WriteBytes(const std::string& path, const std::string& bytes);
// False when the file cannot be read; bytes is then empty.
bool ReadBytes(const std::string& path, std::string& bytes);
bool FileExists(const std::string& path);
// Deletes a folder with everything under it.
bool RemoveTree(const std::string& folder);
// A Linux path (/work/...) as Wine names it (Z:\work\...); other paths as given.
std::string FromHostPath(const std::string& path);

} // namespace e2e
