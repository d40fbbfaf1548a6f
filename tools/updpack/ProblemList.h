#pragma once

#include <string>
#include <vector>

// Errors: the wizard would refuse the package or misbehave with it.
// Warnings: the wizard works, but probably not as the vendor meant.
enum class Severity { Warning, Error };

// Which file of the package a problem is about; the caller decides how to
// name that file (in the package, or where build took it from).
enum class ProblemPlace { Package, ListFile, SizeFile, InstallTree, ChecksumFile };

struct Problem {
    Severity severity;
    ProblemPlace place;
    std::string path; // under the install tree; empty for the other places
    long line;        // 1-based physical line, 0 when none
    std::string text;
};

class CProblemList {
public:
    void Add(Severity severity, ProblemPlace place, std::string path, long line, std::string text);
    void Error(ProblemPlace place, long line, std::string text);
    void Warning(ProblemPlace place, long line, std::string text);
    void TreeError(std::string path, std::string text);
    void TreeWarning(std::string path, std::string text);

    const std::vector<Problem>& All() const { return m_problems; }
    int ErrorCount() const { return m_errors; }
    int WarningCount() const { return static_cast<int>(m_problems.size()) - m_errors; }
    bool HasErrors() const { return m_errors > 0; }

private:
    std::vector<Problem> m_problems;
    int m_errors = 0;
};
