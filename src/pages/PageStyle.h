#pragma once
// Looks the pages share: bold titles derived from the dialog font, the
// product version code in the title texts, white pages with transparent
// texts, and the pair of pictures of the welcome and finish pages.
#include "framework/Font.h"
#include <windows.h>

class CWnd;
class CBitmapPanel;
class CDataExchange;

// Makes `font` a bold copy of the page's dialog font, `taller` pixels higher,
// in `face` (or the dialog font's face when null), and sets it on the
// controls `ids`. Without a dialog font or on failure the font stays empty
// and the controls keep the dialog font.
void MakeTitleFont(CWnd& page, int taller, const char* face, CFont& font, const int* ids,
                   int idCount);

template <int N>
void MakeTitleFont(CWnd& page, int taller, const char* face, CFont& font, const int (&ids)[N]) {
    MakeTitleFont(page, taller, face, font, ids, N);
}

// Puts `code` in place of the first "%s" of the control's text. The text is
// never used as a format: whatever else it holds is shown as it stands.
void FillPlaceholder(CWnd& page, int id, const char* code, const char* ending = "");

// The left picture and the logo of the welcome and finish pages.
void ExchangeSidePanels(CDataExchange* dx, CBitmapPanel& logoPanel, CBitmapPanel& leftPanel);
