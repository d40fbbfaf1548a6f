#include "app/QuietRun.h"
#include "app/UpdateLog.h"
#include "fileops/UnattendedQuestions.h"

namespace {

// Why the safety net could not be set up, for the log.
const char* SetupProblemText(DWORD error) {
    switch (error) {
    case ERROR_DIRECTORY:
        return "al suo posto c'è un file";
    case ERROR_CANT_ACCESS_FILE:
        return "al suo posto c'è un collegamento";
    case ERROR_ALREADY_EXISTS:
        return "contiene i dati di un aggiornamento precedente";
    case ERROR_FILENAME_EXCED_RANGE:
        return "percorso troppo lungo";
    case ERROR_ACCESS_DENIED:
        return "accesso negato";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "disco pieno";
    default:
        return "errore di sistema";
    }
}

} // namespace

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
    // Every run that ends 1603 says why in the log.
    const unsigned long error = run.LastError();
    if (summary.outcome == InstallOutcome::NotStarted)
        log.Line("Installazione non avviata: impossibile preparare i dati di ripristino in "
                 "%s\\~kvu (%s, errore %lu)",
                 target.installFolder.c_str(), SetupProblemText(run.LastError()), error);
    else if (EndedWithErrors(summary.outcome) && error != 0)
        log.Line("Impossibile completare l'aggiornamento: %s non scritto (errore %lu)",
                 target.stampFilePath.c_str(), error);
    return summary;
}
