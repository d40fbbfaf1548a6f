#include "pages/PageStyle.h"
#include "pages/BitmapPanel.h"
#include "framework/DataExchange.h"
#include "framework/String.h"
#include "framework/Wnd.h"
#include "res/resource.h"
#include <cstring>

namespace {

// Texts of the page controls fit this buffer with room for their endings.
constexpr int kTextBufferSize = 512;

} // namespace

void MakeTitleFont(CWnd& page, int taller, const char* face, CFont& font, const int* ids,
                   int idCount) {
    font.DeleteObject();
    HGDIOBJ dialogFont = reinterpret_cast<HGDIOBJ>(page.SendMessage(WM_GETFONT));
    LOGFONTA description{};
    if (!dialogFont || ::GetObjectA(dialogFont, sizeof description, &description) == 0)
        return;
    description.lfWeight = FW_BOLD;
    // Dialog fonts give a negative height in pixels: subtracting makes it taller.
    description.lfHeight -= taller;
    if (face) {
        std::strncpy(description.lfFaceName, face, LF_FACESIZE - 1);
        description.lfFaceName[LF_FACESIZE - 1] = '\0';
    }
    if (!font.CreateFontIndirect(&description))
        return;
    for (int i = 0; i < idCount; ++i) {
        if (CWnd* control = page.GetDlgItem(ids[i]))
            control->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(font)), 0);
    }
}

void FillPlaceholder(CWnd& page, int id, const char* code, const char* ending) {
    char text[kTextBufferSize];
    page.GetDlgItemText(id, text, sizeof text);
    const char* placeholder = std::strstr(text, "%s");
    CString result;
    if (placeholder) {
        result.Format("%.*s%s%s%s", static_cast<int>(placeholder - text), text, code,
                      placeholder + 2, ending);
    } else {
        result.Format("%s%s", text, ending);
    }
    page.SetDlgItemText(id, result);
}

void ExchangeSidePanels(CDataExchange* dx, CBitmapPanel& logoPanel, CBitmapPanel& leftPanel) {
    DDX_Control(dx, IDC_LOGO_PANEL, logoPanel);
    DDX_Control(dx, IDC_LEFT_PANEL, leftPanel);
}
