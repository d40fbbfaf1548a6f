#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>

// Files and bytes done of a long copy, one line at most every second, and a
// closing line; nothing at all when quiet.
class CProgressMeter {
public:
    CProgressMeter(std::ostream& out, bool quiet, long files, std::uint64_t bytes);

    void AddBytes(std::uint64_t bytes);
    void FileDone();
    void Finish();

private:
    void ReportIfDue();
    void Report(const char* verb);

    std::ostream& m_out;
    bool m_quiet;
    long m_totalFiles;
    std::uint64_t m_totalBytes;
    long m_files = 0;
    std::uint64_t m_bytes = 0;
    std::chrono::steady_clock::time_point m_lastReport;
};
