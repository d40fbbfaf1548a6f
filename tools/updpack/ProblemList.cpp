#include "ProblemList.h"

#include <utility>

void CProblemList::Add(Severity severity, ProblemPlace place, std::string path, long line,
                       std::string text) {
    if (severity == Severity::Error)
        ++m_errors;
    m_problems.push_back(Problem{severity, place, std::move(path), line, std::move(text)});
}

void CProblemList::Error(ProblemPlace place, long line, std::string text) {
    Add(Severity::Error, place, std::string(), line, std::move(text));
}

void CProblemList::Warning(ProblemPlace place, long line, std::string text) {
    Add(Severity::Warning, place, std::string(), line, std::move(text));
}

void CProblemList::TreeError(std::string path, std::string text) {
    Add(Severity::Error, ProblemPlace::InstallTree, std::move(path), 0, std::move(text));
}

void CProblemList::TreeWarning(std::string path, std::string text) {
    Add(Severity::Warning, ProblemPlace::InstallTree, std::move(path), 0, std::move(text));
}
