#include "resource.h"
#include "test_resources_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace {

struct ExpectedBitmap {
    int id;
    LONG width, height;
    WORD bitsPerPixel;
    DWORD paletteColours;
};

const ExpectedBitmap kBitmaps[] = {
    {IDB_LEFT_PANEL, 164, 314, 4, 16},
    {IDB_LOGO, 354, 80, 24, 0},
};

// An uncompressed device-independent bitmap resource: header, palette, rows.
class RawBitmap {
public:
    explicit RawBitmap(int id) : resource_(FindItalianResource(RT_BITMAP, id)) {}

    bool Found() const { return resource_.size >= sizeof(BITMAPINFOHEADER); }
    const BITMAPINFOHEADER& Header() const {
        return *static_cast<const BITMAPINFOHEADER*>(resource_.data);
    }
    DWORD PaletteColours() const {
        const BITMAPINFOHEADER& h = Header();
        return h.biClrUsed ? h.biClrUsed : h.biBitCount <= 8 ? 1u << h.biBitCount : 0;
    }
    size_t Stride() const { return (Header().biWidth * Header().biBitCount + 31) / 32 * 4; }
    size_t ExpectedSize() const {
        return Header().biSize + PaletteColours() * sizeof(RGBQUAD) +
               Stride() * static_cast<size_t>(Header().biHeight);
    }
    size_t Size() const { return resource_.size; }

    // Rows are stored bottom-up; y counts from the top.
    RGBQUAD Pixel(LONG x, LONG y) const {
        const BITMAPINFOHEADER& h = Header();
        const auto* base = static_cast<const BYTE*>(resource_.data) + h.biSize;
        const auto* palette = reinterpret_cast<const RGBQUAD*>(base);
        const BYTE* row = base + PaletteColours() * sizeof(RGBQUAD) +
                          Stride() * static_cast<size_t>(h.biHeight - 1 - y);
        if (h.biBitCount == 4) {
            BYTE pair = row[x / 2];
            return palette[x % 2 ? pair & 0x0F : pair >> 4];
        }
        const BYTE* bgr = row + x * 3;
        return RGBQUAD{bgr[0], bgr[1], bgr[2], 0};
    }

private:
    ResourceData resource_;
};

TEST(Images, BitmapsHaveTheirSizesAndDepths) {
    for (const ExpectedBitmap& want : kBitmaps) {
        SCOPED_TRACE("bitmap " + std::to_string(want.id));
        RawBitmap raw(want.id);
        ASSERT_TRUE(raw.Found());
        const BITMAPINFOHEADER& h = raw.Header();
        EXPECT_EQ(h.biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(h.biWidth, want.width);
        EXPECT_EQ(h.biHeight, want.height) << "bottom-up rows";
        EXPECT_EQ(h.biPlanes, 1);
        EXPECT_EQ(h.biBitCount, want.bitsPerPixel);
        EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
        EXPECT_EQ(raw.PaletteColours(), want.paletteColours);
        EXPECT_GE(raw.Size(), raw.ExpectedSize());

        HANDLE image = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(want.id),
                                  IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        ASSERT_TRUE(image);
        DIBSECTION section = {};
        EXPECT_EQ(GetObjectA(image, sizeof section, &section), int(sizeof section));
        EXPECT_EQ(section.dsBm.bmWidth, want.width);
        EXPECT_EQ(section.dsBm.bmHeight, want.height);
        EXPECT_EQ(section.dsBm.bmBitsPixel, want.bitsPerPixel);
        DeleteObject(image);
    }
}

// Guards against a swapped or blank picture: the left panel is dark blue
// throughout, the logo is drawn on white.
TEST(Images, PicturesHaveTheirGrounds) {
    RawBitmap panel(IDB_LEFT_PANEL);
    ASSERT_TRUE(panel.Found());
    ASSERT_GE(panel.Size(), panel.ExpectedSize());
    long red = 0, green = 0, blue = 0;
    const LONG w = panel.Header().biWidth, h = panel.Header().biHeight;
    for (LONG y = 0; y < h; ++y) {
        for (LONG x = 0; x < w; ++x) {
            RGBQUAD c = panel.Pixel(x, y);
            red += c.rgbRed;
            green += c.rgbGreen;
            blue += c.rgbBlue;
        }
    }
    const long pixels = long(w) * h;
    EXPECT_GT(blue, red + green / 2)
        << "mean " << red / pixels << "," << green / pixels << "," << blue / pixels;
    EXPECT_LT((red + green + blue) / 3 / pixels, 110) << "not dark";

    RawBitmap logo(IDB_LOGO);
    ASSERT_TRUE(logo.Found());
    ASSERT_GE(logo.Size(), logo.ExpectedSize());
    const LONG lw = logo.Header().biWidth, lh = logo.Header().biHeight;
    long white = 0;
    for (LONG y = 0; y < lh; ++y) {
        for (LONG x = 0; x < lw; ++x) {
            RGBQUAD c = logo.Pixel(x, y);
            white += c.rgbRed == 255 && c.rgbGreen == 255 && c.rgbBlue == 255;
        }
    }
    for (auto corner : {std::pair<LONG, LONG>{0, 0}, {lw - 1, 0}, {0, lh - 1}, {lw - 1, lh - 1}}) {
        RGBQUAD c = logo.Pixel(corner.first, corner.second);
        EXPECT_TRUE(c.rgbRed == 255 && c.rgbGreen == 255 && c.rgbBlue == 255)
            << "corner " << corner.first << "," << corner.second;
    }
    EXPECT_GT(white, long(lw) * lh / 2) << "white ground";
    EXPECT_LT(white, long(lw) * lh * 19 / 20) << "logo drawn";
}

#pragma pack(push, 2)
struct IconGroupHeader {
    WORD reserved, type, count;
};
struct IconGroupEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

// Without an alpha channel the system draws an icon through its mask: a clear
// pixel whose colour is not black tints whatever lies behind the icon.
int TintingClearPixels(const BITMAPINFOHEADER& header, size_t size) {
    const LONG side = header.biWidth;
    const size_t colours = header.biBitCount <= 8 ? size_t(1) << header.biBitCount : 0;
    const size_t stride = (side * header.biBitCount + 31) / 32 * 4;
    const size_t maskStride = (side + 31) / 32 * 4;
    const auto* palette =
        reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(&header) + header.biSize);
    const auto* bits = reinterpret_cast<const BYTE*>(palette + colours);
    const BYTE* mask = bits + stride * side;
    if (header.biSize + colours * sizeof(RGBQUAD) + (stride + maskStride) * side > size) {
        return -1;
    }
    int tinting = 0;
    for (LONG y = 0; y < side; ++y) {
        for (LONG x = 0; x < side; ++x) {
            if (!(mask[y * maskStride + x / 8] & (0x80 >> (x % 8)))) {
                continue;
            }
            const BYTE* row = bits + y * stride;
            RGBQUAD c = {};
            if (header.biBitCount == 4) {
                c = palette[x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4];
            } else if (header.biBitCount == 8) {
                c = palette[row[x]];
            } else {
                c = RGBQUAD{row[x * 3], row[x * 3 + 1], row[x * 3 + 2], 0};
            }
            tinting += (c.rgbRed | c.rgbGreen | c.rgbBlue) != 0;
        }
    }
    return tinting;
}

TEST(Images, ProgramIconHasSixImages) {
    ResourceData group = FindItalianResource(RT_GROUP_ICON, IDI_PROGRAM);
    ASSERT_GE(group.size, sizeof(IconGroupHeader));
    const auto* header = static_cast<const IconGroupHeader*>(group.data);
    EXPECT_EQ(header->type, 1);
    ASSERT_EQ(group.size, sizeof(IconGroupHeader) + header->count * sizeof(IconGroupEntry));
    const auto* entries = reinterpret_cast<const IconGroupEntry*>(header + 1);

    std::vector<std::pair<int, int>> found; // size, bits per pixel
    for (WORD i = 0; i < header->count; ++i) {
        const IconGroupEntry& entry = entries[i];
        SCOPED_TRACE("icon " + std::to_string(entry.id) + ", " + std::to_string(entry.width) +
                     " pixels at " + std::to_string(entry.bitCount) + " bits");
        found.emplace_back(entry.width, entry.bitCount);
        EXPECT_EQ(entry.height, entry.width);
        EXPECT_EQ(entry.colourCount, entry.bitCount == 4 ? 16 : 0);
        EXPECT_EQ(entry.planes, 1);

        ResourceData image = FindItalianResource(RT_ICON, entry.id);
        ASSERT_GE(image.size, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(image.size, entry.bytes);
        const auto* bits = static_cast<const BITMAPINFOHEADER*>(image.data);
        EXPECT_EQ(bits->biWidth, entry.width);
        EXPECT_EQ(bits->biHeight, 2 * entry.width) << "image and mask";
        EXPECT_EQ(bits->biBitCount, entry.bitCount);
        if (entry.bitCount <= 24) {
            EXPECT_EQ(TintingClearPixels(*bits, image.size), 0);
        }
        HICON icon = CreateIconFromResourceEx(static_cast<PBYTE>(const_cast<void*>(image.data)),
                                              static_cast<DWORD>(image.size), TRUE, 0x00030000,
                                              entry.width, entry.width, LR_DEFAULTCOLOR);
        EXPECT_TRUE(icon);
        DestroyIcon(icon);
    }
    std::sort(found.begin(), found.end());
    const std::vector<std::pair<int, int>> expected = {{16, 4}, {16, 8}, {16, 32},
                                                       {32, 4}, {32, 8}, {32, 24}};
    EXPECT_EQ(found, expected);
}

} // namespace
