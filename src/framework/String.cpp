#include "framework/String.h"
#include <cstdarg>
#include <cstdio>

void CString::Format(const char* format, ...) {
    if (!format) {
        m_text.clear();
        return;
    }
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    // Built aside: the format may be this very text.
    std::string result;
    if (length > 0) {
        result.resize(static_cast<std::size_t>(length));
        std::vsnprintf(&result[0], result.size() + 1, format, args);
    }
    va_end(args);
    m_text.swap(result);
}
