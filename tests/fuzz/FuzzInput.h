#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// Fuzz input turned into what the parsers get in real use: an open "file"
// (a memory stream) or a zero-terminated text.
class CFuzzInput {
public:
    CFuzzInput(const std::uint8_t* data, std::size_t size) : m_bytes(data, data + size) {}

    // The caller owns the stream; null for no bytes (a memory stream needs one).
    FILE* OpenStream() {
        if (m_bytes.empty())
            return nullptr;
        return fmemopen(m_bytes.data(), m_bytes.size(), "rb");
    }

    std::vector<char> Text() const {
        std::vector<char> text(m_bytes.begin(), m_bytes.end());
        text.push_back('\0');
        return text;
    }

private:
    std::vector<char> m_bytes;
};

// A failed check must stop the fuzzer with a crash it records.
inline void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}
