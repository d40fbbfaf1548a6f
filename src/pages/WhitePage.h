#pragma once
#include "framework/Dialog.h"

// A page drawn white: its own background and every control on it (the
// welcome, header and finish pages). The list and progress pages keep the
// system's dialog colours.
class CWhitePage : public CDialog {
public:
    CWhitePage(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}

    const MessageMap* GetMessageMap() const override;

protected:
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind);
};
