#pragma once

#include <cstddef>
#include <cstdio>

// Owns one open text file and yields its logical lines: leading blanks and
// tabs skipped, carriage returns dropped, tabs made blanks, everything from
// the comment character on dropped, trailing blanks removed, empty lines
// passed over. Bytes are not converted in any other way.
class CTextLineReader {
public:
    CTextLineReader() = default;
    explicit CTextLineReader(FILE* file) : m_file(file) {}
    virtual ~CTextLineReader();

    CTextLineReader(const CTextLineReader&) = delete;
    CTextLineReader& operator=(const CTextLineReader&) = delete;

    // Opens path in binary mode ("rb"), so that CR and LF reach the reader as
    // two bytes; any file held before is closed first.
    bool Open(const char* path);
    // Takes ownership of a stream opened by the caller (in "rb" mode).
    void Attach(FILE* file);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }
    // Back to the file's first byte and line 1, for a second read of the
    // same file; false (and the reader left as it was) when it cannot.
    bool Rewind();

    // Stores at most maxChars characters and a terminating zero, so buffer
    // needs maxChars + 1 bytes. Returns 1 with a non-empty logical line, 0
    // when there are no more. With no file, or with the stream already at its
    // end on entry, the buffer is left untouched; otherwise a 0 result leaves
    // the empty text in it.
    int ReadLine(char* buffer, int maxChars, char comment);

    // The maxChars that fills a buffer of bufferSize bytes; -1 for no room at all.
    static int MaxCharsFor(std::size_t bufferSize);

    // 1-based number of the physical line that the last logical line came from.
    long LineNumber() const { return m_lineNumber; }
    // Whether the last logical line lost characters beyond maxChars (trailing
    // blanks and a comment after the cut do not count).
    bool LastLineCut() const { return m_lastLineCut; }

private:
    void ResetCounters();

    FILE* m_file = nullptr;
    long m_physicalLines = 0;
    long m_lineNumber = 0;
    bool m_lastLineCut = false;
};
