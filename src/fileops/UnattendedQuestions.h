#pragma once
// The answers when nobody sits at the screen (/passive, /quiet).
#include "fileops/CopyQuestions.h"
#include <string>

// A path that cannot be used is tried again (the answer Retry, after a wait
// of ProcessRetryTimings().intervalMs that keeps the window alive) until
// ProcessRetryTimings().unattendedMs have passed since the first question
// about that path; then the answer is Abort, and the run is undone. Ignore is
// never given: skipping a file would install part of a package and call it
// installed. Errors that waiting cannot mend (a path too long, a link, a
// file where a folder must go, a name Windows refuses, the safety net's own
// folder in the package) are answered Abort at once instead of after the wait.
// A damaged package file is read once more (Retry at once: a disc often reads
// right the second time), then the answer is Abort.
class CUnattendedQuestions : public ICopyQuestions {
public:
    int AskAbout(const char* path, DWORD error) override;
    bool IsAutomatic() const override { return true; }

private:
    std::string m_path; // the path asked about last
    ULONGLONG m_firstAsked = 0;
    bool m_damagedRetried = false; // m_path was damaged and read once more
};
