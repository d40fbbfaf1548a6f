#include "UpdateTreeFiller.h"
#include "framework/TreeCtrl.h"

void CUpdateTreeFiller::OnListLine(const ListLine& line) {
    if (line.kind == ListLineKind::Entry) {
        // Only the stamp of an entry line is shown; the rest of it is not.
        char text[64];
        FormatVersionStamp(line.stamp.version, line.stamp.build, text, sizeof text, true, true);
        HTREEITEM item = m_tree.InsertItem(text, TVI_ROOT, TVI_LAST);
        // Details of an entry that could not be shown must not land under another.
        m_latestEntry = item;
        if (!item)
            return;
        if (!m_firstEntry)
            m_firstEntry = item;
        if (IsNewerThan(line.stamp, m_installed))
            m_tree.SetItemState(item, TVIS_BOLD, TVIS_BOLD);
        m_tree.SetCheck(item, TRUE);
    } else if (line.kind == ListLineKind::Detail && m_latestEntry) {
        m_tree.InsertItem(line.text, m_latestEntry, TVI_LAST);
    }
}
