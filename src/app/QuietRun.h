#pragma once
// The update without any window (/quiet): the run layer's start-up checks
// and installation run, as the wizard makes them, with the unattended
// answers, told only to the log.
#include "app/ExitCodes.h"
#include "run/StartupFacts.h"

class CUpdateLog;

// `facts` receives what the start-up checks learn (the log reads it).
RunSummary RunQuietly(const PackagePaths& package, StartupFacts& facts, CUpdateLog& log);
