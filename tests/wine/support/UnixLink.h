#pragma once
// Links for the tests of what the program does with them. The platform
// under test shows a link of the host's file system as a reparse point, but
// offers no call that makes one: the host's own ln is run for it.
#include <string>

// Makes `link` (a Windows path) a symbolic link to `target` (a Windows
// path, which need not exist). False when it could not be made.
bool MakeUnixLink(const std::string& target, const std::string& link);

// The same for a link to a file, which the platform shows as a plain file:
// true once the link is there.
bool MakeUnixFileLink(const std::string& target, const std::string& link);

// Makes `link` a second name (a hard link) of the existing file `target`.
bool MakeUnixHardLink(const std::string& target, const std::string& link);

// Removes the link itself (the platform's own calls cannot remove a host
// link to a folder); false when it is still there.
bool RemoveUnixLink(const std::string& link);
