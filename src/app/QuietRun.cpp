#include "app/QuietRun.h"
#include "app/UpdateLog.h"
#include "fileops/UnattendedQuestions.h"
#include "texts/Texts.h"

RunSummary RunQuietly(const PackagePaths& package, StartupFacts& facts, CUpdateLog& log) {
    RunSummary summary;
    summary.startup = LearnStartupFacts(facts, package);
    if (summary.startup != StartupResult::Ready)
        return summary;
    summary.installStarted = true;
    CInstallationRun run(TargetFor(facts, package.tree));
    const InstallationTarget& target = run.Target();
    // Every run that ends 1603 says why in the log.
    const RunStart start = run.Start();
    if (start == RunStart::NotEnoughSpace)
        log.Line(texts::kLogNoRoom, static_cast<long long>(run.NeededBytes()),
                 static_cast<long long>(run.AvailableBytes()));
    else if (start == RunStart::CannotPrepare)
        log.Line(texts::kLogCannotPrepare, target.installFolder.c_str(),
                 SetupProblemText(run.LastError()), run.LastError());
    if (start != RunStart::Started) {
        summary.outcome = InstallOutcome::NotStarted;
        return summary;
    }
    CUnattendedQuestions rule;
    summary.outcome = run.Install(rule, log);
    const unsigned long error = run.LastError();
    if (EndedWithErrors(summary.outcome) && error != 0)
        log.Line(texts::kLogStampNotWritten, target.stampFilePath.c_str(), error);
    return summary;
}
