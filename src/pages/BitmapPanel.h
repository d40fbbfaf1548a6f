#pragma once
#include "framework/Bitmap.h"
#include "framework/Static.h"

// A static frame that shows one bitmap of the program's resources,
// stretched over its whole client area whatever the proportions.
class CBitmapPanel : public CStatic {
public:
    CBitmapPanel() = default;
    ~CBitmapPanel() override = default;

    // Replaces the picture: the old bitmap is deleted first, and a resource
    // that cannot be loaded leaves the panel empty.
    void SetBitmap(UINT resourceId);
    HBITMAP GetBitmap() const { return m_bitmap; }

    const MessageMap* GetMessageMap() const override;

protected:
    void OnPaint();

private:
    CBitmap m_bitmap;
};
