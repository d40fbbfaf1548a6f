#pragma once

#include "PackageChecker.h"
#include "ProblemList.h"

#include <filesystem>
#include <ostream>
#include <string>

// How the files of a package are named in messages: where check found them,
// or where build took them from.
struct PlaceNames {
    std::string package;
    std::string listFile;
    std::string sizeFile;
    std::string installTree;
    std::string checksumFile;

    static PlaceNames Of(const PackagePaths& paths);
};

// Writes what the wizard will show for a package and the problems found, in
// the "file:line: error: text" form that editors can jump to.
class CReportWriter {
public:
    explicit CReportWriter(std::ostream& out) : m_out(out) {}

    void WriteView(const PackageReport& report);
    void WriteProblems(const CProblemList& problems, const PlaceNames& names);
    void WriteSummary(const CProblemList& problems);

    static std::string FormatProblem(const Problem& problem, const PlaceNames& names);

private:
    std::ostream& m_out;
};
