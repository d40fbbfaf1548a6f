#include "RemoteTree.h"

#include "RemoteBuffer.h"

namespace e2e {
namespace {

constexpr UINT kQueryBoundMs = 3000;
// The program reads list lines into 1024 bytes, so no item text is longer.
constexpr std::size_t kTextCapacity = 1024;
constexpr std::size_t kTextOffset = (sizeof(TVITEMA) + 15) / 16 * 16;
// Deep enough for entries and their detail lines; stops a corrupt tree.
constexpr int kMaxItems = 10000;

} // namespace

HTREEITEM RemoteTree::Next(HTREEITEM item, WPARAM relation) const {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(m_tree.Handle(), TVM_GETNEXTITEM, relation,
                             reinterpret_cast<LPARAM>(item), SMTO_ABORTIFHUNG, kQueryBoundMs,
                             &result))
        return nullptr;
    return reinterpret_cast<HTREEITEM>(result);
}

bool RemoteTree::ReadItem(HTREEITEM handle, RemoteBuffer& buffer, TreeItem& item) const {
    char* remoteText = static_cast<char*>(buffer.Address()) + kTextOffset;
    TVITEMA record{};
    record.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_STATE;
    record.hItem = handle;
    record.stateMask = TVIS_BOLD;
    record.pszText = remoteText;
    record.cchTextMax = static_cast<int>(kTextCapacity);
    const char empty = '\0';
    DWORD_PTR ok = 0;
    if (!buffer.Write(0, &record, sizeof record) || !buffer.Write(kTextOffset, &empty, 1) ||
        !SendMessageTimeoutA(m_tree.Handle(), TVM_GETITEMA, 0,
                             reinterpret_cast<LPARAM>(buffer.Address()), SMTO_ABORTIFHUNG,
                             kQueryBoundMs, &ok) ||
        !ok || !buffer.Read(0, &record, sizeof record))
        return false;
    char text[kTextCapacity];
    // The control may answer with a pointer of its own instead of filling ours.
    if (record.pszText != remoteText || !buffer.Read(kTextOffset, text, sizeof text))
        return false;
    text[kTextCapacity - 1] = '\0';
    item.handle = handle;
    item.text = text;
    item.bold = (record.state & TVIS_BOLD) != 0;
    return true;
}

bool RemoteTree::ReadLevel(HTREEITEM first, RemoteBuffer& buffer,
                           std::vector<TreeItem>& items) const {
    int count = 0;
    for (HTREEITEM handle = first; handle; handle = Next(handle, TVGN_NEXT)) {
        if (++count > kMaxItems)
            return false;
        TreeItem item;
        if (!ReadItem(handle, buffer, item))
            return false;
        const HTREEITEM child = Next(handle, TVGN_CHILD);
        const bool ok = !child || ReadLevel(child, buffer, item.children);
        items.push_back(std::move(item));
        if (!ok)
            return false;
    }
    return true;
}

bool RemoteTree::Read(std::vector<TreeItem>& items) const {
    items.clear();
    RemoteBuffer buffer(m_tree.ProcessId(), kTextOffset + kTextCapacity);
    if (!buffer)
        return false;
    return ReadLevel(Next(nullptr, TVGN_ROOT), buffer, items);
}

bool RemoteTree::Expand(HTREEITEM item) const {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(m_tree.Handle(), TVM_EXPAND, TVE_EXPAND,
                               reinterpret_cast<LPARAM>(item), SMTO_ABORTIFHUNG, kQueryBoundMs,
                               &result) &&
           result;
}

} // namespace e2e
