#pragma once
// The copy on screen: the progress bar and the status line naming the file.
#include "fileops/CopyReport.h"
#include <string>

class CProgressCtrl;
class CWnd;

// Maps the running total (bytes read plus bytes written) onto the bar and
// names each file as "Copia in " and its destination. Painting is the cost
// that matters here (the platform may repaint at once on every move), so the
// controls are changed at most once per screen refresh and the bar only when
// its drawn length would change; before a question and at the end both show
// exactly where the copy is. Either control may be null.
class CWindowCopyReport : public ICopyReport {
public:
    CWindowCopyReport(CProgressCtrl* progress, CWnd* status);

    // The upper end of the bar's range for a package of `total` bytes:
    // exactly twice the total while that fits a signed 32-bit position
    // (packages below 1 GiB), else twice the total scaled down to fit.
    static int RangeFor(int64_t total);
    // The position the running total maps to on RangeFor(total).
    static int PositionFor(int64_t runningTotal, int64_t total);
    // The package size the bar's range was made for; before the copy.
    void SetPackageTotal(int64_t total) { m_total = total; }

    void CopyStarted() override;
    void FileStarted(const char* destination) override;
    void TotalChanged(int64_t runningTotal) override;
    void BeforeQuestion() override { ShowNow(); }
    void CopyEnded(int) override { ShowNow(); }

    // Times the controls were actually changed, for measurements.
    int BarMoves() const { return m_barMoves; }

private:
    // Pixels of the bar the position fills; a move inside one pixel shows nothing.
    int DrawnLength(int position) const;
    bool BarWouldChange() const;
    bool FrameDue();
    // What a screen refresh shows: the file, and the bar if it would look different.
    void ShowFrame();
    // Exactly where the copy is, before a question and at the end.
    void ShowNow();
    void ShowPosition();
    void ShowText();

    CProgressCtrl* m_progress;
    CWnd* m_status;
    int64_t m_total = 0;
    int m_lower = 0;
    int m_upper = 0;
    int m_barPixels = 0;
    int m_position = 0;      // where the running total maps to
    int m_shownPosition = 0; // what the bar was last given
    std::string m_text;      // the status line the copy is at
    bool m_textShown = true;
    ULONGLONG m_lastShown = 0;
    int m_barMoves = 0;
};
