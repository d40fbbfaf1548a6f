#include "ReportWriter.h"

#include "NativePath.h"
#include "VersionStamp.h"

#include <algorithm>
#include <vector>

#include <algorithm>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Form(const VersionStamp& stamp, bool numberPart, bool datePart) {
    char text[64];
    FormatVersionStamp(stamp.version, stamp.build, text, sizeof text, numberPart, datePart);
    return text;
}

std::string Count(long long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

PlaceNames PlaceNames::Of(const PackagePaths& paths) {
    return PlaceNames{DisplayPath(paths.folder), DisplayPath(paths.listFile),
                      DisplayPath(paths.sizeFile), DisplayPath(paths.installTree),
                      DisplayPath(paths.checksumFile)};
}

std::string CReportWriter::FormatProblem(const Problem& problem, const PlaceNames& names) {
    std::string where;
    switch (problem.place) {
    case ProblemPlace::Package:
        where = names.package;
        break;
    case ProblemPlace::ListFile:
        where = names.listFile;
        break;
    case ProblemPlace::SizeFile:
        where = names.sizeFile;
        break;
    case ProblemPlace::InstallTree:
        where = names.installTree;
        if (!problem.path.empty())
            where += static_cast<char>(fs::path::preferred_separator) + problem.path;
        break;
    case ProblemPlace::ChecksumFile:
        where = names.checksumFile;
        break;
    }
    if (problem.line > 0)
        where += ":" + std::to_string(problem.line);
    return where + (problem.severity == Severity::Error ? ": error: " : ": warning: ") +
           problem.text;
}

void CReportWriter::WriteView(const PackageReport& report) {
    const UpdateList& list = report.list;
    const VersionStamp installed = report.installedGiven ? report.installed : VersionStamp{};
    if (!report.listRead) {
        m_out << "Updates: none (the list cannot be read)\n";
    } else {
        m_out << "Updates, as the wizard lists them (* = bold: newer than the installed stamp):\n";
        for (const UpdateEntry& entry : list.entries) {
            m_out << (IsNewerThan(entry.stamp, installed) ? "  * " : "    ")
                  << Form(entry.stamp, true, true) << "    (line " << entry.line.lineNumber
                  << ")\n";
            for (const UpdateListLine& detail : entry.details)
                m_out << "        " << ForConsole(detail.text) << "\n";
        }
        if (list.entries.empty())
            m_out << "    (none)\n";
    }
    m_out << "Newest update:   " << Form(list.newest, true, false)
          << "  (status line \"Aggiornamento" << Form(list.newest, false, true) << "\")\n";
    m_out << "Installed stamp: ";
    if (!report.installedGiven)
        m_out << "none given (as without Versione.txt: every update is bold)\n";
    else if (installed.key == 0)
        m_out << "Nessun aggiornamento effettuato (the stamp given is not valid)\n";
    else
        m_out << Form(installed, true, false) << "\n";

    const InstallTreeScan& tree = report.tree;
    m_out << "Total size:      ";
    if (report.sizeFromFile > 0)
        m_out << Count(report.sizeFromFile, "byte", "bytes") << " (sizeofupds.txt)\n";
    else
        m_out << tree.totalBytes << " bytes (added up by the wizard at start)\n";
    m_out << "Install tree:    ";
    if (tree.present) {
        m_out << Count(tree.files, "file", "files") << ", "
              << Count(tree.folders, "folder", "folders") << ", " << tree.totalBytes << " bytes\n";
    } else {
        m_out << "missing\n";
    }
}

void CReportWriter::WriteProblems(const CProblemList& problems, const PlaceNames& names) {
    // File by file, and in line order within a file; the install tree keeps
    // the order of its walk.
    std::vector<const Problem*> sorted;
    for (const Problem& problem : problems.All())
        sorted.push_back(&problem);
    std::stable_sort(sorted.begin(), sorted.end(), [](const Problem* a, const Problem* b) {
        if (a->place != b->place)
            return a->place < b->place;
        return a->line < b->line;
    });
    for (const Problem* problem : sorted)
        m_out << FormatProblem(*problem, names) << "\n";
}

void CReportWriter::WriteSummary(const CProblemList& problems) {
    m_out << Count(problems.ErrorCount(), "error", "errors") << ", "
          << Count(problems.WarningCount(), "warning", "warnings") << "\n";
}
