#include "updpack_support.h"

#include "ReportWriter.h"
#include "Updpack.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

CUpdpackTempDir::CUpdpackTempDir() {
    std::string pattern = (fs::temp_directory_path() / "updpack-test-XXXXXX").string();
    if (mkdtemp(&pattern[0]) != nullptr)
        m_path = pattern;
    EXPECT_FALSE(m_path.empty()) << "cannot make a temporary folder";
}

CUpdpackTempDir::~CUpdpackTempDir() {
    std::error_code ignored;
    if (!m_path.empty())
        fs::remove_all(m_path, ignored);
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::error_code ignored;
    fs::create_directories(path.parent_path(), ignored);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteTree(const fs::path& root, const std::vector<TreeFile>& files) {
    std::error_code ignored;
    fs::create_directories(root, ignored);
    for (const TreeFile& file : files) {
        if (!file.relative.empty() && file.relative.back() == '/')
            fs::create_directories(root / file.relative, ignored);
        else
            WriteBytes(root / file.relative, file.bytes);
    }
}

std::vector<Problem> CheckFolder(const fs::path& package, const CheckOptions& options) {
    CProblemList folderProblems;
    const PackagePaths paths = CPackageChecker::PathsOf(package, folderProblems);
    std::vector<Problem> all = folderProblems.All();
    if (folderProblems.HasErrors())
        return all;
    const PackageReport report = CPackageChecker(options).Check(paths);
    all.insert(all.end(), report.problems.All().begin(), report.problems.All().end());
    return all;
}

std::string Describe(const std::vector<Problem>& problems) {
    const PlaceNames names{"<package>", "<list>", "<size>", "<tree>", "<sums>"};
    std::string text;
    for (const Problem& problem : problems)
        text += "  " + CReportWriter::FormatProblem(problem, names) + "\n";
    return text.empty() ? "  (no problems)\n" : text;
}

RunResult RunTool(const std::vector<std::string>& arguments) {
    std::vector<const char*> argv{"updpack"};
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    std::ostringstream out;
    std::ostringstream err;
    const int code = RunUpdpack(static_cast<int>(argv.size()), argv.data(), out, err);
    return RunResult{code, out.str(), err.str()};
}
