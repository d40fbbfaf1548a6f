#pragma once
// The installation itself, the same with a window and without one: the
// package tree copied over the installation, then the new stamp written as
// the moment the update counts as done, or every change undone.
#include "data/VersionStamp.h"
#include "run/StartupFacts.h"
#include <cstdint>
#include <memory>
#include <string>

class CChecksumList;
class CCopyVerifier;
class CInstallTransaction;
class ICopyQuestions;
class ICopyReport;

// What one run installs, and where.
struct InstallationTarget {
    std::string packageTree;   // the package's InstDir beside the program
    std::string installFolder; // without a trailing backslash
    std::string stampFilePath; // Versione.txt in the installation folder
    VersionStamp newest;       // the package's newest stamp
    int64_t packageTotal = 0;  // bytes the package holds
    // The package's checksum file: every file copied is checked against it.
    // Null: the package has none, and its files are copied unverified.
    std::shared_ptr<const CChecksumList> checksums;
};

// What a run installs: the package tree beside the program over the
// installation the start found, up to the package's newest stamp, checked
// against the package's checksum file when it has one.
InstallationTarget TargetFor(const StartupFacts& facts, const char* packageTree);

// How Start went: Started, or why nothing was changed.
enum class RunStart {
    Started,
    NotEnoughSpace, // the installation's volume cannot hold the run (NeededBytes)
    CannotPrepare,  // the safety net could not be set up
};

enum class InstallOutcome {
    Installed,      // every file in place (or skipped by Ignore) and the stamp written
    Failed,         // stopped or failed; the installation is as it was before
    NotAllRestored, // stopped or failed, and some files could not be put back yet
    NotStarted,     // nothing was touched: the run could not be set up
};

// Use: Start, make the copier over Transaction() with Verifier(), copy, then
// Finish with what the copy gave. After Start, Install does the rest for a
// copier of its own.
//
// Every change goes through a safety net (CInstallTransaction): Finish
// writes the stamp as the moment the update counts as done, or undoes every
// change when the copy stopped, left a file incomplete or the stamp could
// not be written. A run destroyed without Finish (the process killed) is
// finished by RecoverInterruptedUpdate at the next start.
class CInstallationRun {
public:
    explicit CInstallationRun(const InstallationTarget& target);
    ~CInstallationRun();
    CInstallationRun(const CInstallationRun&) = delete;
    CInstallationRun& operator=(const CInstallationRun&) = delete;

    // Before anything changes, the same in every mode: room on the
    // installation's volume (a full disk found half way would cost a
    // rollback for nothing), then the safety net set up. Anything but
    // Started leaves the installation untouched; the run's outcome is then
    // NotStarted.
    RunStart Start();
    // What Start found: the bytes the run needs and those the volume has.
    int64_t NeededBytes() const { return m_neededBytes; }
    int64_t AvailableBytes() const { return m_availableBytes; }
    // Why Start did not start the run, as a person is told; empty when it did.
    std::string StartProblemText(RunStart start) const;
    // What the copier writes through; only after Start gave Started.
    CInstallTransaction& Transaction() { return *m_transaction; }
    // What the copier checks the package's files with (CTreeCopier::
    // SetVerifier); null when the package has no checksum file.
    CCopyVerifier* Verifier() { return m_verifier.get(); }

    // `copied`: whether CopyTree reached the end of the tree;
    // `leftIncomplete`: the copier's LeftIncomplete(). A stamp file held by
    // another program is tried again quietly and then asked about, as the
    // copy does with any held file, when `questions` is given.
    InstallOutcome Finish(bool copied, bool leftIncomplete, ICopyQuestions* questions = nullptr,
                          ICopyReport* report = nullptr);

    // After Start: copies with a copier of its own and finishes.
    InstallOutcome Install(ICopyQuestions& questions, ICopyReport& report);

    const InstallationTarget& Target() const { return m_target; }
    // Why Start could not set the safety net up, or why the commit failed (a
    // system error code); 0 when neither did.
    unsigned long LastError() const { return m_lastError; }

private:
    // Whether the installation's volume holds what the run needs: the new
    // files live beside the old ones until the end. Unknown counts as room.
    bool HasFreeSpace();
    bool Begin();
    InstallOutcome Undo();

    InstallationTarget m_target;
    int64_t m_neededBytes = 0;
    int64_t m_availableBytes = 0;
    bool Commit();

    std::unique_ptr<CInstallTransaction> m_transaction;
    std::unique_ptr<CCopyVerifier> m_verifier;
    unsigned long m_lastError = 0;
};

// Why the safety net could not be set up, in words, from LastError() after
// Start gave CannotPrepare.
const char* SetupProblemText(unsigned long error);

// True for the outcomes shown as an update "terminato con errori.".
inline bool EndedWithErrors(InstallOutcome outcome) {
    return outcome != InstallOutcome::Installed;
}
