#pragma once
// How the start found an earlier update of the installation that was
// interrupted (portable: the start-up facts carry it on every build).

// Busy: another copy of the program is writing the journal now; nothing touched.
enum class RecoveryResult { NothingToDo, RolledBack, Completed, NotAllRestored, Refused, Busy };
