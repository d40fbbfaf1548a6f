#include "Updpack.h"

#include "CommandLine.h"
#include "PackageBuilder.h"
#include "PackageChecker.h"
#include "ReportWriter.h"

#include <new>

namespace {

int RunCheck(const CommandLine& line, std::ostream& out) {
    CProblemList folderProblems;
    const PackagePaths paths = CPackageChecker::PathsOf(line.package, folderProblems);
    CReportWriter writer(out);
    const PlaceNames names = PlaceNames::Of(paths);
    if (folderProblems.HasErrors()) {
        writer.WriteProblems(folderProblems, names);
        writer.WriteSummary(folderProblems);
        return 1;
    }
    const PackageReport report = CPackageChecker(line.check).Check(paths);
    if (!line.quiet) {
        writer.WriteView(report);
        out << "\n";
    }
    writer.WriteProblems(folderProblems, names);
    writer.WriteProblems(report.problems, names);
    CProblemList all = folderProblems;
    for (const Problem& problem : report.problems.All())
        all.Add(problem.severity, problem.place, problem.path, problem.line, problem.text);
    writer.WriteSummary(all);
    return all.HasErrors() ? 1 : 0;
}

} // namespace

int RunUpdpack(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    try {
        CommandLine line;
        std::string error;
        if (!ParseCommandLine(argc, argv, line, error)) {
            err << "updpack: " << error << "\n" << kUsage;
            return 2;
        }
        switch (line.command) {
        case Command::Help:
            out << kUsage;
            return 0;
        case Command::Check:
            return RunCheck(line, out);
        case Command::Build:
            return CPackageBuilder(line, out, err).Run();
        }
        return 2;
    } catch (const std::bad_alloc&) {
        // The one exception that library code here can raise.
        err << "updpack: out of memory\n";
        return 1;
    }
}
