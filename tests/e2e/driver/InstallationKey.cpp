#include "InstallationKey.h"

#include <windows.h>

namespace e2e {
namespace {
const char kKey[] = "SOFTWARE\\Vantrel\\Tessaro\\VERS0002";
const char kValue[] = "InstallationDir";
} // namespace

InstallationKey::InstallationKey(const std::string& folder) {
    Remove();
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    m_registered =
        RegSetValueExA(key, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                       static_cast<DWORD>(folder.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
}

InstallationKey::~InstallationKey() {
    Remove();
}

void InstallationKey::Remove() {
    // Parents go only when empty: a deletion of a key with sub-keys fails.
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kKey, KEY_WOW64_32KEY, 0);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vantrel\\Tessaro", KEY_WOW64_32KEY, 0);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vantrel", KEY_WOW64_32KEY, 0);
}

} // namespace e2e
