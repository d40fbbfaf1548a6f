#include "MessageBoxAnswerer.h"
#include "ControlProbe.h"
#include "framework/Wnd.h"
#include <algorithm>

namespace {

thread_local MessageBoxAnswerer* t_answerer = nullptr;
const char kAnsweredProperty[] = "TessaroTestAnswered";
const UINT_PTR kAnswerTimer = 0x7E57;

bool IsMessageBoxButton(int id) {
    return (id >= IDOK && id <= IDNO) || id == IDHELP || id == IDTRYAGAIN || id == IDCONTINUE;
}

std::string ClassName(HWND hWnd) {
    char name[64] = "";
    ::GetClassNameA(hWnd, name, sizeof name);
    return name;
}

// A message box is a dialog that no framework object owns, with its text in
// control 0xFFFF and only message-box buttons.
bool IsMessageBox(HWND hWnd) {
    if (ClassName(hWnd) != "#32770" || CWnd::FromHandlePermanent(hWnd) ||
        !::GetDlgItem(hWnd, 0xFFFF))
        return false;
    for (HWND child = ::GetWindow(hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (_stricmp(ClassName(child).c_str(), "Button") == 0 &&
            !IsMessageBoxButton(::GetDlgCtrlID(child)))
            return false;
    }
    return true;
}

UINT IconKind(HWND box) {
    struct Kind {
        LPCSTR id;
        UINT style;
    };
    const Kind kinds[] = {{IDI_HAND, MB_ICONERROR},
                          {IDI_QUESTION, MB_ICONQUESTION},
                          {IDI_EXCLAMATION, MB_ICONWARNING},
                          {IDI_ASTERISK, MB_ICONINFORMATION}};
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const HICON icon = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
        if (!icon || _stricmp(ClassName(child).c_str(), "Static") != 0)
            continue;
        for (const Kind& kind : kinds) {
            if (::LoadIconA(nullptr, kind.id) == icon)
                return kind.style;
        }
    }
    return 0;
}

} // namespace

bool MessageBoxRecord::HasButton(int id) const {
    return std::find(buttons.begin(), buttons.end(), id) != buttons.end();
}

MessageBoxAnswerer::MessageBoxAnswerer() {
    t_answerer = this;
    m_hook = ::SetWindowsHookExA(WH_CBT, &CbtProc, nullptr, ::GetCurrentThreadId());
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    if (m_hook)
        ::UnhookWindowsHookEx(m_hook);
    if (t_answerer == this)
        t_answerer = nullptr;
}

LRESULT CALLBACK MessageBoxAnswerer::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && t_answerer) {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        if (!::GetPropA(hWnd, kAnsweredProperty) && IsMessageBox(hWnd))
            t_answerer->Answer(hWnd);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void MessageBoxAnswerer::Answer(HWND box) {
    ::SetPropA(box, kAnsweredProperty, reinterpret_cast<HANDLE>(1));
    MessageBoxRecord record;
    record.box = box;
    record.owner = ::GetWindow(box, GW_OWNER);
    record.caption = ControlText(box);
    record.text = DlgItemText(box, 0xFFFF);
    record.icon = IconKind(box);
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(child);
        // The box is not shown yet: its buttons' own style tells which are used.
        const LONG_PTR style = ::GetWindowLongPtrA(child, GWL_STYLE);
        if (!IsMessageBoxButton(id) || !(style & WS_VISIBLE) ||
            _stricmp(ClassName(child).c_str(), "Button") != 0)
            continue;
        record.buttons.push_back(id);
        if ((style & 0x0F) == BS_DEFPUSHBUTTON)
            record.defaultButton = id;
    }
    m_boxes.push_back(record);
    // The default button is known once the box is active: answer from
    // inside its own loop, a moment later.
    ::SetTimer(box, kAnswerTimer, 1, &AnswerLater);
}

void CALLBACK MessageBoxAnswerer::AnswerLater(HWND box, UINT, UINT_PTR, DWORD) {
    ::KillTimer(box, kAnswerTimer);
    if (t_answerer)
        t_answerer->Click(box);
}

void MessageBoxAnswerer::Click(HWND box) {
    auto it = std::find_if(m_boxes.rbegin(), m_boxes.rend(),
                           [box](const MessageBoxRecord& r) { return r.box == box; });
    if (it == m_boxes.rend())
        return;
    MessageBoxRecord& record = *it;
    HWND focus = ::GetFocus();
    if (focus && ::GetParent(focus) == box && record.HasButton(::GetDlgCtrlID(focus)))
        record.defaultButton = ::GetDlgCtrlID(focus);
    if (!m_answers.empty()) {
        record.answer = m_answers.front();
        m_answers.pop_front();
    } else {
        ++m_unexpected;
        record.answer = IDOK;
        for (int ending : {IDCANCEL, IDNO, IDABORT, IDOK}) {
            if (record.HasButton(ending)) {
                record.answer = ending;
                break;
            }
        }
    }
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(record.answer, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, record.answer)));
}
