#pragma once
#include <string>

// A text of any length; only what the pages need.
class CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}

    // Formats into a result of exactly the needed length. A format error
    // leaves the text empty.
    void Format(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));

    operator const char*() const { return m_text.c_str(); }
    int GetLength() const { return static_cast<int>(m_text.size()); }

private:
    std::string m_text;
};
