#include "ProgressMeter.h"

#include <cstdio>

namespace {

constexpr std::chrono::seconds kReportEvery{1};
constexpr std::uint64_t kMebibyte = 1024 * 1024;

void PrintMegabytes(std::ostream& out, std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f",
                  static_cast<double>(bytes) / static_cast<double>(kMebibyte));
    out << text;
}

} // namespace

CProgressMeter::CProgressMeter(std::ostream& out, bool quiet, long files, std::uint64_t bytes)
    : m_out(out), m_quiet(quiet), m_totalFiles(files), m_totalBytes(bytes),
      m_lastReport(std::chrono::steady_clock::now()) {}

void CProgressMeter::AddBytes(std::uint64_t bytes) {
    m_bytes += bytes;
    ReportIfDue();
}

void CProgressMeter::FileDone() {
    ++m_files;
    ReportIfDue();
}

void CProgressMeter::Finish() {
    Report("copied");
}

void CProgressMeter::ReportIfDue() {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastReport < kReportEvery)
        return;
    m_lastReport = now;
    Report("copying");
}

void CProgressMeter::Report(const char* verb) {
    if (m_quiet)
        return;
    m_out << verb << ": " << m_files << " of " << m_totalFiles << " files, " << m_bytes << " of "
          << m_totalBytes << " bytes";
    if (m_totalBytes >= kMebibyte) {
        m_out << " (";
        PrintMegabytes(m_out, m_bytes);
        m_out << " of ";
        PrintMegabytes(m_out, m_totalBytes);
        m_out << " MiB)";
    }
    m_out << "\n";
    m_out.flush();
}
