#include "QuietRun.h"
#include "UpdateLog.h"
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
    summary.installStarted = true;
    CInstallationRun run(target);
    CUnattendedQuestions rule;
    summary.outcome = run.Install(rule, log);
    return summary;
}
