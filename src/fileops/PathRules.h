#pragma once
// Which texts name a file the safety net may touch: portable rules on path
// texts alone (no file is looked at), shared by the forward path, the journal
// reader and recovery.
#include <string>

// True when `name` is a file or folder name Windows can create as it
// stands: not empty, no character it forbids (control characters, the
// wildcards * ? < > ", and / \ : |), not ending in a dot or blank (Win32
// drops those, so "..." or ".. " would climb), and not a device name (CON,
// PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension: "nul.txt").
bool IsWindowsName(const std::string& name);

// True when `path` names something strictly inside `folder`: folder, a
// backslash, then components that are each IsWindowsName. Letter case of the
// folder part is ignored.
bool IsPathInside(const std::string& folder, const std::string& path);

// Paths as Windows compares them: letter case ignored (code page 1252).
std::string FoldedPath(const std::string& path);
bool SamePath(const std::string& a, const std::string& b);
