#include "PackageChecker.h"

#include "Cp1252Text.h"
#include "ListFileChecker.h"
#include "NativePath.h"
#include "PackageChecksums.h"
#include "PackageFiles.h"
#include "PackageLayout.h"
#include "TextLineReader.h"

#include <cctype>
#include <climits>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string ShortForm(const VersionStamp& stamp) {
    char text[64];
    FormatVersionStamp(stamp.version, stamp.build, text, sizeof text, true, false);
    return text;
}

std::string FirstLogicalLine(const std::string& path) {
    CTextLineReader reader;
    char line[kLineBufferSize] = "";
    if (reader.Open(path.c_str()))
        reader.ReadLine(line, kLineMaxChars, kCommentChar);
    return line;
}

// Why the wizard reads no usable size from the first line of the size file.
std::string WhyNoSize(const std::string& line) {
    if (line.empty())
        return "is empty";
    std::size_t pos = line.find_first_not_of(" \t");
    if (pos != std::string::npos && line[pos] == '+')
        ++pos;
    if (pos != std::string::npos && line[pos] == '-')
        return "holds a negative size";
    if (pos == std::string::npos || !std::isdigit(static_cast<unsigned char>(line[pos])))
        return "does not start with a number";
    if (line.find_first_not_of('0', pos) == std::string::npos ||
        !std::isdigit(static_cast<unsigned char>(line[line.find_first_not_of('0', pos)])))
        return "holds the size 0";
    return "holds a number beyond 64 bits";
}

std::string NumberEndHint(const std::string& line) {
    std::size_t pos = line.find_first_not_of(" \t+");
    if (pos == std::string::npos)
        return std::string();
    while (pos < line.size() && std::isdigit(static_cast<unsigned char>(line[pos])))
        ++pos;
    if (pos + 1 < line.size() && (line[pos] == '.' || line[pos] == ',') &&
        std::isdigit(static_cast<unsigned char>(line[pos + 1])))
        return std::string(" (the number ends at the '") + line[pos] + "': write digits only)";
    return std::string();
}

} // namespace

PackagePaths CPackageChecker::PathsOf(const fs::path& folder, CProblemList& problems) {
    PackagePaths paths;
    paths.folder = folder;
    paths.listFile = folder / kListFileName;
    paths.sizeFile = folder / kSizeFileName;
    paths.installTree = folder / kInstallTreeName;
    paths.checksumFile = folder / kChecksumFileName;

    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (!fs::exists(status)) {
        problems.Error(ProblemPlace::Package, 0, "the package folder does not exist");
        return paths;
    }
    if (!fs::is_directory(status)) {
        problems.Error(ProblemPlace::Package, 0, "is not a folder");
        return paths;
    }
    fs::directory_iterator it(folder, error);
    for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
        const fs::path name = it->path().filename();
        std::string wizardName;
        NameInCp1252(name, wizardName);
        const std::string folded = FoldCp1252(wizardName);
        fs::path* part = nullptr;
        const char* expected = nullptr;
        if (folded == FoldCp1252(kListFileName)) {
            part = &paths.listFile;
            expected = kListFileName;
        } else if (folded == FoldCp1252(kSizeFileName)) {
            part = &paths.sizeFile;
            expected = kSizeFileName;
        } else if (folded == FoldCp1252(kInstallTreeName)) {
            part = &paths.installTree;
            expected = kInstallTreeName;
        } else if (folded == FoldCp1252(kChecksumFileName)) {
            part = &paths.checksumFile;
            expected = kChecksumFileName;
        }
        const std::string display = DisplayPath(name);
        if (part == nullptr) {
            problems.Warning(ProblemPlace::Package, 0,
                             "holds \"" + display +
                                 "\", which is no part of a package: the "
                                 "wizard ignores it");
        } else if (wizardName != expected) {
            *part = it->path();
            problems.Warning(ProblemPlace::Package, 0,
                             "holds \"" + display +
                                 "\": the wizard finds it only because Windows "
                                 "ignores letter case; name it \"" +
                                 expected + "\"");
        }
    }
    if (error)
        problems.Error(ProblemPlace::Package, 0, "cannot be listed: " + error.message());
    return paths;
}

PackageReport CPackageChecker::Check(const PackagePaths& paths) const {
    PackageReport report;
    report.installedGiven = m_options.installedGiven;
    report.installed = m_options.installed;

    CListFileChecker listChecker(report.problems);
    report.listRead = listChecker.Check(paths.listFile, report.list);

    CInstallTreeScanner scanner(m_options.limits, report.problems);
    report.tree = scanner.Scan(paths.installTree);

    CheckSize(paths, report);
    CheckStamps(report);
    if (!paths.folder.empty())
        CheckPackageChecksums(paths, report.tree, report.problems);
    return report;
}

void CPackageChecker::CheckSize(const PackagePaths& paths, PackageReport& report) const {
    const std::uint64_t tree = report.tree.totalBytes;
    if (report.tree.present && tree == 0) {
        report.problems.Error(ProblemPlace::InstallTree, 0,
                              "holds no data to install: the wizard says \"Nessun Aggiornamento "
                              "da installare.\" and ends");
    }
    if (tree > static_cast<std::uint64_t>(INT_MAX)) {
        report.problems.Warning(ProblemPlace::InstallTree, 0,
                                "holds " + std::to_string(tree) +
                                    " bytes, beyond a signed 32-bit byte count: a wizard that "
                                    "counts in 32 bits cannot install it");
    }
    if (!paths.sizeFileExpected)
        return;

    std::error_code error;
    const fs::file_status status = fs::status(paths.sizeFile, error);
    if (!fs::exists(status)) {
        report.problems.Warning(ProblemPlace::SizeFile, 0,
                                "is missing: the wizard adds up the install tree at start, "
                                "which delays its first screen");
        return;
    }
    if (!fs::is_regular_file(status)) {
        report.problems.Error(ProblemPlace::SizeFile, 0, "is not a file");
        return;
    }
    report.sizeFilePresent = true;
    std::string narrow;
    if (!NarrowPath(paths.sizeFile, narrow)) {
        report.problems.Error(ProblemPlace::SizeFile, 0,
                              "its path cannot be written in this system's code page");
        return;
    }
    std::error_code openError;
    if (!OpenFile(paths.sizeFile, "rb", openError)) {
        report.problems.Error(ProblemPlace::SizeFile, 0, "cannot be read: " + openError.message());
        return;
    }
    report.sizeFromFile = ReadPackageSize(narrow.c_str());
    const std::string line = FirstLogicalLine(narrow);
    if (report.sizeFromFile <= 0) {
        report.problems.Warning(ProblemPlace::SizeFile, 1,
                                WhyNoSize(line) + ": the wizard adds up the install tree at "
                                                  "start instead, which delays its first screen");
        return;
    }
    const auto stated = static_cast<std::uint64_t>(report.sizeFromFile);
    if (report.tree.present && stated != tree) {
        report.problems.Error(ProblemPlace::SizeFile, 1,
                              "says " + std::to_string(stated) +
                                  (stated == 1 ? " byte" : " bytes") + NumberEndHint(line) +
                                  " but the install tree holds " + std::to_string(tree) + " bytes" +
                                  ": the wizard's progress bar " +
                                  (stated < tree ? "runs past its end" : "stops short of its end"));
    }
    if (stated > static_cast<std::uint64_t>(INT_MAX) && stated != tree) {
        report.problems.Warning(ProblemPlace::SizeFile, 1,
                                "says " + std::to_string(stated) +
                                    " bytes, beyond a signed 32-bit byte count: a wizard that "
                                    "counts in 32 bits cannot use it");
    }
}

void CPackageChecker::CheckStamps(PackageReport& report) const {
    const UpdateList& list = report.list;
    if (!report.installedGiven || list.entries.empty() || list.newestIndex < 0)
        return;
    const long line = list.entries[static_cast<std::size_t>(list.newestIndex)].line.lineNumber;
    const VersionStamp& installed = report.installed;
    if (list.newest.key < installed.key) {
        report.problems.Error(ProblemPlace::ListFile, line,
                              "the newest update, " + ShortForm(list.newest) +
                                  ", is older than the installed " + ShortForm(installed) +
                                  ": installing would set the installed stamp back");
    } else if (list.newest.key == installed.key) {
        report.problems.Warning(ProblemPlace::ListFile, line,
                                "no update is newer than the installed " + ShortForm(installed) +
                                    ": none shows in bold, and installing changes no stamp");
    }
}
