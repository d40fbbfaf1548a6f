#include "TextLineReader.h"

#include "FuzzInput.h"

#include <cstring>
#include <memory>

// First byte: the line limit; the rest: the file. Every line handed out must
// be clean and fit the limit, and the reader must come to an end.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const int maxChars = data[0];
    CFuzzInput input(data + 1, size - 1);
    CTextLineReader reader(input.OpenStream());
    if (!reader.IsOpen())
        return 0;

    // Exactly the stated size, so that the sanitizer sees any overrun.
    std::unique_ptr<char[]> buffer(new char[maxChars + 1]);
    // A NUL byte hides the rest of a line from strlen, trailing blanks included.
    const bool hasNul = std::memchr(data + 1, 0, size - 1) != nullptr;
    std::size_t calls = 0;
    long lastLine = 0;
    while (reader.ReadLine(buffer.get(), maxChars, '#') == 1) {
        const std::size_t length = std::strlen(buffer.get());
        Require(length >= 1 && length <= static_cast<std::size_t>(maxChars));
        // Leading blanks after a carriage return are kept ("\r  x"), as
        // the skip before the text stops at the first other byte.
        Require(hasNul || buffer[length - 1] != ' ');
        Require(std::strpbrk(buffer.get(), "\t\r\n#") == nullptr);
        Require(reader.LineNumber() > lastLine);
        lastLine = reader.LineNumber();
        Require(++calls <= size);
    }
    return 0;
}
