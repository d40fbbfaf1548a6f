#include "app/QuietRun.h"
#include "app/UpdateLog.h"
#include "fileops/UnattendedQuestions.h"

RunSummary RunQuietly(const PackagePaths& package, StartupFacts& facts, CUpdateLog& log) {
    RunSummary summary;
    summary.startup = LearnStartupFacts(facts, package);
    if (summary.startup != StartupResult::Ready)
        return summary;
    InstallationTarget target;
    target.packageTree = package.tree;
    target.installFolder = facts.installFolder;
    target.stampFilePath = facts.stampFilePath;
    target.newest = facts.newest;
    target.packageTotal = facts.totalSize;
    target.checksums = facts.verification.sums;
    summary.installStarted = true;
    CInstallationRun run(target);
    // The same room check as the wizard's "Installa": a full disk found
    // half way would cost a rollback for nothing.
    int64_t needed = 0;
    int64_t available = 0;
    if (!run.HasFreeSpace(needed, available)) {
        log.Line("Installazione non avviata: spazio insufficiente (%lld byte necessari, %lld "
                 "disponibili)",
                 static_cast<long long>(needed), static_cast<long long>(available));
        summary.outcome = InstallOutcome::NotStarted;
        return summary;
    }
    CUnattendedQuestions rule;
    summary.outcome = run.Install(rule, log);
    return summary;
}
