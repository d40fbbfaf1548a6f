#include "app/ExitCodes.h"

int DecideExitCode(const RunSummary& run) {
    switch (run.startup) {
    case StartupResult::Ready:
        break;
    case StartupResult::NotInstalled:
        return kExitNotInstalled;
    case StartupResult::NoList:
        return kExitNoPackage;
    case StartupResult::NothingToInstall:
        return kExitInstalled;
    case StartupResult::OlderPackage:
        return kExitOlderPackage;
    case StartupResult::DamagedPackage:
        return kExitDamagedPackage;
    case StartupResult::CannotStart:
    case StartupResult::Interrupted:
        return kExitFailed;
    }
    // Closed before "Installa": the user chose not to update.
    if (!run.installStarted)
        return kExitCancelled;
    switch (run.outcome) {
    case InstallOutcome::Installed:
        return kExitInstalled;
    case InstallOutcome::NotStarted:
        // The run was asked for but could not be set up: nothing installed.
        return kExitFailed;
    case InstallOutcome::NotAllRestored:
        // Even after Cancel: the installation is not as it was, which the
        // administrator must hear about as a failure.
        return kExitFailed;
    case InstallOutcome::Failed:
        break;
    }
    return run.stoppedByUser ? kExitCancelled : kExitFailed;
}
