#pragma once
#include "data/PackageFiles.h"
#include <windows.h>
#include <commctrl.h>
#include <cstddef>
#include <vector>

class CTreeCtrl;

// Shows the package's list of updates in a tree, from two reads of the list
// file: the first adds each entry at the root under its long display form,
// bold when it is newer than the installation and ticked; the second adds
// each detail line, as read, under its entry.
//
// The entries go in first because a message that names an item (a parent)
// makes the tree search its items in the order they were made, under some
// platforms: a parent made before all details is found at once, one made
// after the details of every earlier entry only after all of them, which
// made long lists take quadratic time.
//
// The tree neither paints nor measures itself while it is filled, from the
// filler's making to Finish: doing so after every item cost more than the
// items. It measures the text of every item at the root when it is allowed
// again, about ten microseconds each under some platforms, so it is let do so
// after every EntriesMeasuredAtOnce entries: the caller's window answers in
// between, instead of not at all for the seconds a huge list would take.
class CUpdateTreeFiller : public CUpdateListSink {
public:
    enum : unsigned { EntriesMeasuredAtOnce = 20000 };

    CUpdateTreeFiller(CTreeCtrl& tree, const VersionStamp& installed);
    ~CUpdateTreeFiller() override;
    CUpdateTreeFiller(const CUpdateTreeFiller&) = delete;
    CUpdateTreeFiller& operator=(const CUpdateTreeFiller&) = delete;

    void OnListLine(const ListLine& line) override;
    // The first read is over: the lines of the next one go under their entries.
    void StartDetails();
    // The tree paints and measures itself again; also done when the filler goes.
    void Finish();

    // The first entry, for scrolling it into view; null without entries.
    HTREEITEM FirstEntry() const;

private:
    CTreeCtrl& m_tree;
    VersionStamp m_installed;
    // In file order; null for an entry the tree could not take, whose details
    // must not land under another.
    std::vector<HTREEITEM> m_entries;
    bool m_readingDetails = false;
    bool m_finished = false;
    unsigned m_entriesUnmeasured = 0;
    std::size_t m_entriesSeen = 0; // during the second read
};
