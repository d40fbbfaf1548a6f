#pragma once

#include "PackageChecker.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed with all it
// holds when the test ends.
class CUpdpackTempDir {
public:
    CUpdpackTempDir();
    ~CUpdpackTempDir();
    CUpdpackTempDir(const CUpdpackTempDir&) = delete;
    CUpdpackTempDir& operator=(const CUpdpackTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

struct TreeFile {
    std::string relative; // '/' between parts; a trailing '/' makes an empty folder
    std::string bytes;
};

void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& path);
void WriteTree(const std::filesystem::path& root, const std::vector<TreeFile>& files);

// The problems check finds in a package folder, the folder's own included.
std::vector<Problem> CheckFolder(const std::filesystem::path& package,
                                 const CheckOptions& options = CheckOptions{});

// Problems as text, one a line, for failure messages.
std::string Describe(const std::vector<Problem>& problems);

// Runs the program's entry point with the given arguments (no program name).
struct RunResult {
    int exitCode;
    std::string out;
    std::string err;
};
RunResult RunTool(const std::vector<std::string>& arguments);
