// Reads the resources of the running module for the resource tests: dialog
// templates (plain or extended) become plain values, with texts converted to
// the ANSI code page 1252 as the program sees them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// A class, menu or text field of a template: a 16-bit ordinal or a string.
struct TemplateName {
    bool isOrdinal = false;
    uint16_t ordinal = 0;
    std::string text;
};

struct TemplateControl {
    uint32_t helpId = 0;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0; // sign-extended: -1 in either template kind
    TemplateName windowClass;
    TemplateName text;
    uint16_t extraBytes = 0;
};

struct DialogTemplate {
    bool extended = false;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    TemplateName menu;
    TemplateName windowClass;
    std::string caption;
    uint16_t pointSize = 0;
    uint16_t weight = 0;
    uint8_t italic = 0;
    uint8_t charset = 0;
    std::string face;
    std::vector<TemplateControl> controls;
};

// Returns false when the data ends before the template does.
bool ParseDialogTemplate(const void* data, size_t size, DialogTemplate& out);

std::string ToCp1252(const wchar_t* text, size_t length);

struct ResourceData {
    const void* data = nullptr;
    size_t size = 0;
};

// The resource in Italian (Italy), the only language the program carries;
// empty when the module has no such resource.
ResourceData FindItalianResource(LPCSTR type, int id);
