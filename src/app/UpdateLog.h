#pragma once
// The administrator's log: a plain text file a support person reads to learn
// what one run of the update did on one computer.
#include "app/CommandLine.h"
#include "app/ExitCodes.h"
#include "run/StartupFacts.h"
#include "fileops/CopyReport.h"
#include "fileops/FileHandle.h"
#include <string>

// Every line is written to the file as it happens (one WriteFile each), so a
// run that crashes leaves everything up to the crash. A line is cut to
// kLineSize bytes. A log that cannot be opened or written is given up
// silently: the update never stops for its log.
//
// The copy's events arrive as an ICopyReport: one line per file copied, one
// per quiet retry, one per answer. Automatic Retry answers about one path
// (one every interval for up to the unattended wait) make one line and a
// count, not hundreds of lines.
class CUpdateLog : public ICopyReport {
public:
    static constexpr std::size_t kLineSize = 1024;

    // Creates `path` afresh; with `previous`, the file that was at `path` is
    // first kept there (replacing an older one) when it is a plain file of
    // one name. Whatever else stands at `path` is removed as a name; when the
    // name stays taken (a reader holds it), the log is "NAME.<process id>.EXT"
    // beside it.
    bool Open(const char* path, const char* previous = nullptr);
    bool IsOpen() const { return m_file.IsOpen(); }
    // A line did not reach the file: the log was closed there.
    bool WriteFailed() const { return m_writeFailed; }

    // The facts about this run. Those of the start-up checks are read from
    // `facts` (not owned) once the checks are over: when the copy starts,
    // or when the run stops before it.
    void Started(const char* commandLine, RunMode mode);
    void FactsFrom(const StartupFacts* facts, const char* packageFolder);
    void Ended(const RunSummary& run, int exitCode);

    // One free line (bounded like all the others).
    void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));

    void CopyStarted() override;
    void FileCopied(const char* destination, int64_t bytes) override;
    void RetriedQuietly(const char* path, DWORD error, DWORD waitedMs, bool succeeded) override;
    void Answered(const char* path, DWORD error, int answer, bool automatic) override;
    void CopyEnded(int result) override;
    void FileDamaged(const char* path, const char* expected, const char* found) override;

private:
    void WriteFacts(StartupResult result);
    void WriteVerification(const PackageVerification& verification);
    void Write(const char* text);
    void FlushRepeats();

    CFileHandle m_file;
    bool m_writeFailed = false;
    const StartupFacts* m_facts = nullptr;
    std::string m_packageFolder;
    bool m_factsWritten = false;
    std::string m_repeatPath; // automatic Retry answers about it are being counted
    unsigned long m_repeats = 0;
};

// %TEMP%\kvelmora.log and %TEMP%\kvelmora.old.log; false when the temp
// folder is unknown or the paths do not fit (then there is no log).
bool DefaultLogPaths(char* path, std::size_t pathSize, char* previous, std::size_t previousSize);

// Texts of the log, also for the tests that read it.
const char* StartupResultText(StartupResult result);
const char* RecoveryText(RecoveryResult result);
const char* OutcomeText(InstallOutcome outcome);
