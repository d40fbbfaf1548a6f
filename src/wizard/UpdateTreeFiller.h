#pragma once
#include "PackageFiles.h"
#include <windows.h>
#include <commctrl.h>

class CTreeCtrl;

// Shows the package's list of updates in a tree, line by line as the list
// file is read: each entry at the root under its long display form, bold
// when it is newer than the installation and ticked; each detail line, as
// read, under the latest entry.
class CUpdateTreeFiller : public CUpdateListSink {
public:
    CUpdateTreeFiller(CTreeCtrl& tree, const VersionStamp& installed)
        : m_tree(tree), m_installed(installed) {}

    void OnListLine(const ListLine& line) override;

    // The first entry, for scrolling it into view; null without entries.
    HTREEITEM FirstEntry() const { return m_firstEntry; }

private:
    CTreeCtrl& m_tree;
    VersionStamp m_installed;
    HTREEITEM m_firstEntry = nullptr;
    HTREEITEM m_latestEntry = nullptr;
};
