#pragma once
// Message maps: a static table of entries per class, chained to the base
// class's table. Entries are made by templates on the handler's member
// pointer, so the class is deduced and each handler keeps its own signature:
//
//   const MessageMap* CMyDlg::GetMessageMap() const
//   {
//       static const MessageMapEntry entries[] = {
//           MapCommand<&CMyDlg::OnNext>(IDC_NEXT),
//           MapTimer<&CMyDlg::OnTimer>(),
//       };
//       static const MessageMap map{CDialog::GetMessageMap(), entries};
//       return &map;
//   }
#include <windows.h>
#include <commctrl.h>
#include <cstddef>

class CWnd;

using MessageThunk = LRESULT (*)(CWnd* self, UINT message, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
    UINT firstMessage;
    UINT lastMessage;
    UINT code; // notification code, for WM_COMMAND and WM_NOTIFY entries
    UINT id;   // control id, for WM_COMMAND and WM_NOTIFY entries
    MessageThunk thunk;
};

struct MessageMap {
    const MessageMap* base;
    const MessageMapEntry* entries;
    std::size_t count;

    explicit constexpr MessageMap(const MessageMap* baseMap)
        : base(baseMap), entries(nullptr), count(0) {}
    template <std::size_t N>
    constexpr MessageMap(const MessageMap* baseMap, const MessageMapEntry (&table)[N])
        : base(baseMap), entries(table), count(N) {}

    // The first entry that takes the message, searching this class's table
    // and then the base classes'; null when no class maps it.
    const MessageMapEntry* Find(UINT message, WPARAM wParam, LPARAM lParam) const;
};

namespace message_map_detail {

template <typename> struct MemberOf;
template <typename T, typename R, typename... A> struct MemberOf<R (T::*)(A...)> {
    using type = T;
};

template <auto Handler> auto* Self(CWnd* w) {
    return static_cast<typename MemberOf<decltype(Handler)>::type*>(w);
}

template <auto Handler> LRESULT CallVoid(CWnd* w, UINT, WPARAM, LPARAM) {
    (Self<Handler>(w)->*Handler)();
    return 0;
}
template <auto Handler> LRESULT CallTimer(CWnd* w, UINT, WPARAM wParam, LPARAM) {
    (Self<Handler>(w)->*Handler)(static_cast<UINT_PTR>(wParam));
    return 0;
}
template <auto Handler> LRESULT CallQueryDragIcon(CWnd* w, UINT, WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>((Self<Handler>(w)->*Handler)());
}
template <auto Handler> LRESULT CallCtlColor(CWnd* w, UINT message, WPARAM wParam, LPARAM lParam) {
    // The kind is the CTLCOLOR_* constant: the family's messages are consecutive.
    return reinterpret_cast<LRESULT>((Self<Handler>(w)->*Handler)(reinterpret_cast<HDC>(wParam),
                                                                  reinterpret_cast<HWND>(lParam),
                                                                  message - WM_CTLCOLORMSGBOX));
}
template <auto Handler> LRESULT CallNotify(CWnd* w, UINT, WPARAM, LPARAM lParam) {
    return (Self<Handler>(w)->*Handler)(reinterpret_cast<NMHDR*>(lParam));
}
template <auto Handler> LRESULT CallMessage(CWnd* w, UINT, WPARAM wParam, LPARAM lParam) {
    return (Self<Handler>(w)->*Handler)(wParam, lParam);
}

} // namespace message_map_detail

// Button click (WM_COMMAND, BN_CLICKED) from control `id`: void Handler().
template <auto Handler> constexpr MessageMapEntry MapCommand(UINT id) {
    return {WM_COMMAND, WM_COMMAND, BN_CLICKED, id, &message_map_detail::CallVoid<Handler>};
}

// WM_NOTIFY with `code` from control `id`: LRESULT Handler(NMHDR*). The
// only way a notification reaches a handler.
template <auto Handler> constexpr MessageMapEntry MapNotify(UINT id, UINT code) {
    return {WM_NOTIFY, WM_NOTIFY, code, id, &message_map_detail::CallNotify<Handler>};
}

// WM_TIMER: void Handler(UINT_PTR id).
template <auto Handler> constexpr MessageMapEntry MapTimer() {
    return {WM_TIMER, WM_TIMER, 0, 0, &message_map_detail::CallTimer<Handler>};
}

// WM_PAINT: void Handler().
template <auto Handler> constexpr MessageMapEntry MapPaint() {
    return {WM_PAINT, WM_PAINT, 0, 0, &message_map_detail::CallVoid<Handler>};
}

// WM_QUERYDRAGICON: HCURSOR Handler().
template <auto Handler> constexpr MessageMapEntry MapQueryDragIcon() {
    return {WM_QUERYDRAGICON, WM_QUERYDRAGICON, 0, 0,
            &message_map_detail::CallQueryDragIcon<Handler>};
}

// The whole WM_CTLCOLORMSGBOX ... WM_CTLCOLORSTATIC family in one entry:
// HBRUSH Handler(HDC dc, HWND control, UINT kind), kind being CTLCOLOR_*.
template <auto Handler> constexpr MessageMapEntry MapCtlColor() {
    return {WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, 0, 0, &message_map_detail::CallCtlColor<Handler>};
}

// Any other message: LRESULT Handler(WPARAM, LPARAM).
template <auto Handler> constexpr MessageMapEntry MapMessage(UINT message) {
    return {message, message, 0, 0, &message_map_detail::CallMessage<Handler>};
}
