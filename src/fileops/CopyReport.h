#pragma once
// What the copy tells the world while it works: the progress bar and the
// status line on screen, the administrator's log. Every event has an empty
// default, so each report handles only what it shows.
#include <windows.h>
#include <cstdint>
#include <vector>

class ICopyReport {
public:
    virtual ~ICopyReport() = default;
    // The copy begins; the running total is 0.
    virtual void CopyStarted() {}
    // The next file goes to `destination` (said before it is opened, also
    // when it is then skipped).
    virtual void FileStarted(const char* /*destination*/) {}
    // Bytes read plus bytes written so far. It only grows, except when a
    // file is copied again from its start (Retry), when it goes back.
    virtual void TotalChanged(int64_t /*runningTotal*/) {}
    // `destination` holds its new content of `bytes` bytes.
    virtual void FileCopied(const char* /*destination*/, int64_t /*bytes*/) {}
    // A folder the package needs was created.
    virtual void FolderCreated(const char* /*path*/) {}
    // `path` was held by another program (or otherwise refused) and was
    // tried again quietly for `waitedMs`; `succeeded` tells how it ended.
    virtual void RetriedQuietly(const char* /*path*/, DWORD /*error*/, DWORD /*waitedMs*/,
                                bool /*succeeded*/) {}
    // The package file `path` is not as the package's checksum file says:
    // `expected` and `found` are the two SHA-256 digests, or words saying
    // that the file is not listed or is missing. It is asked about next.
    virtual void FileDamaged(const char* /*path*/, const char* /*expected*/,
                             const char* /*found*/) {}
    // A question is about to be asked: what the screen shows must be current.
    virtual void BeforeQuestion() {}
    // The answer given about `path`; `automatic` when a rule gave it.
    virtual void Answered(const char* /*path*/, DWORD /*error*/, int /*answer*/,
                          bool /*automatic*/) {}
    // The copy is over: 1 when the walk reached its end, 0 when it stopped.
    virtual void CopyEnded(int /*result*/) {}
};

// Several reports as one, told in the order they were added.
class CCopyReports : public ICopyReport {
public:
    void Add(ICopyReport* report) {
        if (report)
            m_reports.push_back(report);
    }
    void CopyStarted() override {
        for (ICopyReport* r : m_reports)
            r->CopyStarted();
    }
    void FileStarted(const char* destination) override {
        for (ICopyReport* r : m_reports)
            r->FileStarted(destination);
    }
    void TotalChanged(int64_t runningTotal) override {
        for (ICopyReport* r : m_reports)
            r->TotalChanged(runningTotal);
    }
    void FileCopied(const char* destination, int64_t bytes) override {
        for (ICopyReport* r : m_reports)
            r->FileCopied(destination, bytes);
    }
    void FolderCreated(const char* path) override {
        for (ICopyReport* r : m_reports)
            r->FolderCreated(path);
    }
    void RetriedQuietly(const char* path, DWORD error, DWORD waitedMs, bool succeeded) override {
        for (ICopyReport* r : m_reports)
            r->RetriedQuietly(path, error, waitedMs, succeeded);
    }
    void FileDamaged(const char* path, const char* expected, const char* found) override {
        for (ICopyReport* r : m_reports)
            r->FileDamaged(path, expected, found);
    }
    void BeforeQuestion() override {
        for (ICopyReport* r : m_reports)
            r->BeforeQuestion();
    }
    void Answered(const char* path, DWORD error, int answer, bool automatic) override {
        for (ICopyReport* r : m_reports)
            r->Answered(path, error, answer, automatic);
    }
    void CopyEnded(int result) override {
        for (ICopyReport* r : m_reports)
            r->CopyEnded(result);
    }

private:
    std::vector<ICopyReport*> m_reports;
};
