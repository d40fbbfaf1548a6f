#include "HeldFile.h"

namespace e2e {

HeldFile::HeldFile(const std::string& path)
    : m_file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr)) {}

void HeldFile::Release() {
    if (m_file != INVALID_HANDLE_VALUE)
        CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
}

} // namespace e2e
