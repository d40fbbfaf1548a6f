#include "data/TextLineReader.h"

#include <climits>

namespace {

constexpr int kBlank = 0x20;
constexpr int kTab = 0x09;
constexpr int kCarriageReturn = 0x0D;
constexpr int kLineFeed = 0x0A;

} // namespace

CTextLineReader::~CTextLineReader() {
    Close();
}

bool CTextLineReader::Open(const char* path) {
    Close();
    if (path == nullptr)
        return false;
    m_file = std::fopen(path, "rb");
    return m_file != nullptr;
}

void CTextLineReader::Attach(FILE* file) {
    Close();
    m_file = file;
}

void CTextLineReader::Close() {
    if (m_file != nullptr)
        std::fclose(m_file);
    m_file = nullptr;
    ResetCounters();
}

bool CTextLineReader::Rewind() {
    if (m_file == nullptr)
        return false;
    // A successful fseek clears the end-of-file mark, which ReadLine looks at first.
    if (std::fseek(m_file, 0, SEEK_SET) != 0)
        return false;
    std::clearerr(m_file);
    ResetCounters();
    return true;
}

void CTextLineReader::ResetCounters() {
    m_physicalLines = 0;
    m_lineNumber = 0;
    m_lastLineCut = false;
}

int CTextLineReader::MaxCharsFor(std::size_t bufferSize) {
    if (bufferSize == 0)
        return -1;
    return bufferSize - 1 > static_cast<std::size_t>(INT_MAX) ? INT_MAX
                                                              : static_cast<int>(bufferSize - 1);
}

int CTextLineReader::ReadLine(char* buffer, int maxChars, char comment) {
    if (m_file == nullptr || buffer == nullptr)
        return 0;
    if (std::feof(m_file))
        return 0;
    if (maxChars < 0)
        maxChars = 0;
    const int commentByte = static_cast<unsigned char>(comment);

    for (;;) {
        char* out = buffer;
        int remaining = maxChars;
        bool inComment = false;
        bool cut = false;
        ++m_physicalLines;

        int c = std::fgetc(m_file);
        while (c == kBlank || c == kTab)
            c = std::fgetc(m_file);

        while (c != kLineFeed && c != EOF) {
            if (c != kCarriageReturn) {
                if (c == kTab)
                    c = kBlank;
                if (remaining > 0) {
                    if (c == commentByte) {
                        remaining = 0;
                        inComment = true;
                    } else {
                        *out++ = static_cast<char>(c);
                        --remaining;
                    }
                } else if (!inComment) {
                    if (c == commentByte)
                        inComment = true;
                    else if (c != kBlank)
                        cut = true;
                }
            }
            c = std::fgetc(m_file);
        }

        *out = '\0';
        while (out > buffer && out[-1] == ' ')
            *--out = '\0';

        m_lineNumber = m_physicalLines;
        m_lastLineCut = cut;
        if (buffer[0] != '\0')
            return 1;
        if (c == EOF)
            return 0;
    }
}
