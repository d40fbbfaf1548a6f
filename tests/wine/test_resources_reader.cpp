#include "test_resources_reader.h"

#include <cstring>

namespace {

class TemplateCursor {
public:
    TemplateCursor(const void* data, size_t size)
        : begin_(static_cast<const uint8_t*>(data)), size_(size) {}

    bool Ok() const { return ok_; }

    template <typename T> T Read() {
        T value{};
        if (!Has(sizeof(T))) {
            return value;
        }
        std::memcpy(&value, begin_ + offset_, sizeof(T));
        offset_ += sizeof(T);
        return value;
    }

    std::string ReadString() {
        std::wstring text;
        for (;;) {
            wchar_t c = static_cast<wchar_t>(Read<uint16_t>());
            if (!ok_ || c == 0) {
                break;
            }
            text.push_back(c);
        }
        return ToCp1252(text.data(), text.size());
    }

    TemplateName ReadName() {
        TemplateName name;
        if (!Has(sizeof(uint16_t))) {
            return name;
        }
        uint16_t first;
        std::memcpy(&first, begin_ + offset_, sizeof first);
        if (first == 0xFFFF) {
            offset_ += sizeof first;
            name.isOrdinal = true;
            name.ordinal = Read<uint16_t>();
        } else {
            name.text = ReadString();
        }
        return name;
    }

    void Skip(size_t count) { Has(count) ? void(offset_ += count) : void(); }
    void AlignToDword() { Skip((4 - offset_ % 4) % 4); }

private:
    bool Has(size_t count) {
        if (!ok_ || size_ - offset_ < count) {
            ok_ = false;
        }
        return ok_;
    }

    const uint8_t* begin_;
    size_t size_;
    size_t offset_ = 0;
    bool ok_ = true;
};

void ReadRect(TemplateCursor& in, short& x, short& y, short& cx, short& cy) {
    x = in.Read<short>();
    y = in.Read<short>();
    cx = in.Read<short>();
    cy = in.Read<short>();
}

TemplateControl ReadControl(TemplateCursor& in, bool extended) {
    TemplateControl c;
    in.AlignToDword();
    if (extended) {
        c.helpId = in.Read<uint32_t>();
        c.exStyle = in.Read<uint32_t>();
        c.style = in.Read<uint32_t>();
    } else {
        c.style = in.Read<uint32_t>();
        c.exStyle = in.Read<uint32_t>();
    }
    ReadRect(in, c.x, c.y, c.cx, c.cy);
    c.id = extended ? in.Read<int32_t>() : in.Read<int16_t>();
    c.windowClass = in.ReadName();
    c.text = in.ReadName();
    c.extraBytes = in.Read<uint16_t>();
    in.Skip(c.extraBytes);
    return c;
}

} // namespace

std::string ToCp1252(const wchar_t* text, size_t length) {
    if (length == 0) {
        return {};
    }
    int wide = static_cast<int>(length);
    int bytes = WideCharToMultiByte(1252, 0, text, wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) {
        WideCharToMultiByte(1252, 0, text, wide, &out[0], bytes, nullptr, nullptr);
    }
    return out;
}

bool ParseDialogTemplate(const void* data, size_t size, DialogTemplate& out) {
    TemplateCursor in(data, size);
    out = DialogTemplate{};
    uint16_t version = in.Read<uint16_t>();
    uint16_t signature = in.Read<uint16_t>();
    out.extended = version == 1 && signature == 0xFFFF;
    if (out.extended) {
        in.Read<uint32_t>(); // help id
        out.exStyle = in.Read<uint32_t>();
        out.style = in.Read<uint32_t>();
    } else {
        out.style = static_cast<uint32_t>(version) | static_cast<uint32_t>(signature) << 16;
        out.exStyle = in.Read<uint32_t>();
    }
    uint16_t count = in.Read<uint16_t>();
    ReadRect(in, out.x, out.y, out.cx, out.cy);
    out.menu = in.ReadName();
    out.windowClass = in.ReadName();
    out.caption = in.ReadString();
    if (out.style & (DS_SETFONT | DS_SHELLFONT)) {
        out.pointSize = in.Read<uint16_t>();
        if (out.extended) {
            out.weight = in.Read<uint16_t>();
            out.italic = in.Read<uint8_t>();
            out.charset = in.Read<uint8_t>();
        }
        out.face = in.ReadString();
    }
    for (uint16_t i = 0; i < count && in.Ok(); ++i) {
        out.controls.push_back(ReadControl(in, out.extended));
    }
    return in.Ok();
}

ResourceData FindItalianResource(LPCSTR type, int id) {
    HMODULE module = GetModuleHandleA(nullptr);
    WORD italian = MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN);
    HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), italian);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    if (!loaded) {
        return {};
    }
    return {LockResource(loaded), SizeofResource(module, found)};
}
