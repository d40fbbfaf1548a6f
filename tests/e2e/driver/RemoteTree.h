#pragma once

#include "RemoteWindow.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace e2e {

class RemoteBuffer;

struct TreeItem {
    HTREEITEM handle = nullptr;
    std::string text;
    bool bold = false;
    std::vector<TreeItem> children;
};

// Reads the items of a tree view of another process, with their texts (as
// bytes, in the program's code page) and their bold state.
class RemoteTree {
public:
    explicit RemoteTree(RemoteWindow tree) : m_tree(tree) {}

    // False when a message or the remote memory failed; items then holds
    // what was read so far.
    bool Read(std::vector<TreeItem>& items) const;
    bool Expand(HTREEITEM item) const;

private:
    bool ReadLevel(HTREEITEM first, RemoteBuffer& buffer, std::vector<TreeItem>& items) const;
    bool ReadItem(HTREEITEM handle, RemoteBuffer& buffer, TreeItem& item) const;
    HTREEITEM Next(HTREEITEM item, WPARAM relation) const;

    RemoteWindow m_tree;
};

} // namespace e2e
