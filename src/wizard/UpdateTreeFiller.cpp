#include "wizard/UpdateTreeFiller.h"
#include "framework/TreeCtrl.h"

CUpdateTreeFiller::CUpdateTreeFiller(CTreeCtrl& tree, const VersionStamp& installed)
    : m_tree(tree), m_installed(installed) {
    m_tree.SetRedraw(FALSE);
}

CUpdateTreeFiller::~CUpdateTreeFiller() {
    Finish();
}

void CUpdateTreeFiller::Finish() {
    if (m_finished)
        return;
    m_finished = true;
    m_tree.SetRedraw(TRUE);
    m_tree.InvalidateRect(nullptr);
}

void CUpdateTreeFiller::OnListLine(const ListLine& line) {
    if (!m_readingDetails) {
        if (line.kind != ListLineKind::Entry)
            return;
        // Only the stamp of an entry line is shown; the rest of it is not.
        char text[64];
        FormatVersionStamp(line.stamp.version, line.stamp.build, text, sizeof text, true, true);
        const UINT bold = IsNewerThan(line.stamp, m_installed) ? TVIS_BOLD : 0;
        // Appended at the root and given its state in the same message: the
        // tree finds its root's last item without a search.
        m_entries.push_back(m_tree.InsertItem(text, bold | INDEXTOSTATEIMAGEMASK(2),
                                              TVIS_BOLD | TVIS_STATEIMAGEMASK, TVI_ROOT, TVI_LAST));
        if (++m_entriesUnmeasured >= EntriesMeasuredAtOnce && !m_finished) {
            m_entriesUnmeasured = 0;
            m_tree.SetRedraw(TRUE);
            m_tree.SetRedraw(FALSE);
        }
        return;
    }
    if (line.kind == ListLineKind::Entry) {
        ++m_entriesSeen;
    } else if (line.kind == ListLineKind::Detail && m_entriesSeen > 0 &&
               m_entriesSeen <= m_entries.size()) {
        // A file that gained entries since the first read has no place for
        // the details of the new ones.
        if (HTREEITEM entry = m_entries[m_entriesSeen - 1])
            m_tree.InsertItem(line.text, entry, TVI_LAST);
    }
}

HTREEITEM CUpdateTreeFiller::FirstEntry() const {
    for (HTREEITEM entry : m_entries) {
        if (entry)
            return entry;
    }
    return nullptr;
}

void CUpdateTreeFiller::StartDetails() {
    m_readingDetails = true;
    m_entriesSeen = 0;
}
