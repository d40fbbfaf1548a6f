#pragma once
// The program's exit codes, which deployment scripts test: the codes the
// system gives these meanings, so a script's existing checks read them right.
// Portable: the decision is tested natively.
#include "run/InstallationRun.h"
#include "run/StartupFacts.h"

enum ExitCode : int {
    kExitInstalled = 0, // installed, or nothing to install, or the usage shown
    kExitBadCommandLine = 87,
    kExitCancelled = 1602,
    kExitFailed = 1603,
    kExitNotInstalled = 1605,
    kExitAlreadyRunning = 1618,
    kExitNoPackage = 1619,
    kExitDamagedPackage = 1620,
    kExitOlderPackage = 1638,
};

// How one run of the update went, as far as the exit code cares.
struct RunSummary {
    StartupResult startup = StartupResult::Ready;
    bool installStarted = false; // "Installa" was reached (or the run began by itself)
    InstallOutcome outcome = InstallOutcome::NotStarted;
    bool stoppedByUser = false; // Cancel pressed while an unattended copy ran
};

int DecideExitCode(const RunSummary& run);
