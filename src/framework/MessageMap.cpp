#include "framework/MessageMap.h"

namespace {

bool Matches(const MessageMapEntry& e, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message < e.firstMessage || message > e.lastMessage)
        return false;
    UINT id;
    UINT code;
    if (message == WM_COMMAND) {
        id = LOWORD(wParam);
        code = HIWORD(wParam);
    } else if (message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header)
            return false;
        id = static_cast<UINT>(header->idFrom);
        code = header->code;
    } else {
        return true;
    }
    return id == e.id && code == e.code;
}

} // namespace

const MessageMapEntry* MessageMap::Find(UINT message, WPARAM wParam, LPARAM lParam) const {
    for (const MessageMap* map = this; map; map = map->base) {
        for (std::size_t i = 0; i < map->count; ++i) {
            if (Matches(map->entries[i], message, wParam, lParam))
                return &map->entries[i];
        }
    }
    return nullptr;
}
