#include "Updpack.h"

#include <iostream>

#ifdef _WIN32
#include <windows.h>

namespace {

// Shows the wizard's cp1252 texts as they are, and gives the console back
// as it was.
class CConsoleCodePage {
public:
    CConsoleCodePage() : m_old(GetConsoleOutputCP()) {
        if (m_old != 0)
            SetConsoleOutputCP(1252);
    }
    ~CConsoleCodePage() {
        if (m_old != 0)
            SetConsoleOutputCP(m_old);
    }
    CConsoleCodePage(const CConsoleCodePage&) = delete;
    CConsoleCodePage& operator=(const CConsoleCodePage&) = delete;

private:
    UINT m_old;
};

} // namespace
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    const CConsoleCodePage codePage;
#endif
    return RunUpdpack(argc, argv, std::cout, std::cerr);
}
