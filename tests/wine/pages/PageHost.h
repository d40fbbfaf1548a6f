#pragma once
// A wizard-sized window made from the wizard's own template, holding pages
// where the wizard puts them, and small readers of what reached the screen.
#include "framework/Dialog.h"
#include <windows.h>
#include <memory>

class PageHost : public CDialog {
public:
    PageHost();
    // Creates the window on the screen, in front.
    bool Open();

    // Creates `page` as a hidden child at (x, y), as the wizard does.
    template <class Page> std::unique_ptr<Page> Add(int x = 0, int y = 0) {
        auto page = std::make_unique<Page>(this);
        if (!page->Create(Page::IDD, this))
            return nullptr;
        page->SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return page;
    }

    int closes = 0; // WM_CLOSE messages received

    const MessageMap* GetMessageMap() const override;

private:
    LRESULT OnClose(WPARAM, LPARAM);
};

// Height of a page window in pixels.
int WindowHeight(HWND window);

// The colour of a pixel of `window`'s client area as painted.
COLORREF PixelAt(HWND window, int x, int y);

// Shows the window and lets every pending paint happen.
void ShowAndPaint(HWND window);
