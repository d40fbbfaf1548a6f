#pragma once

#include <cstddef>

// Where the installed product lives: HKEY_LOCAL_MACHINE, key
// "SOFTWARE\Vantrel\Tessaro\VERS0002", value "InstallationDir". The key is
// read in the 32-bit registry view, the one the product's 32-bit installer
// writes on 64-bit Windows, so a 64-bit build sees what the 32-bit program sees.

// Copies the value into folder (capacity bytes), as stored: nothing expanded.
// Only string values (REG_SZ, REG_EXPAND_SZ) count; a missing key or value,
// another type, or a text that does not fit leaves folder empty and returns
// false, as does an empty value.
bool ReadInstallationFolder(char* folder, std::size_t capacity);

// Returns 1 when the product is installed: the registry names a folder that
// exists (a file of that name does not count) and whose stamp file path fits
// in stampPath. folder then holds that path without one trailing backslash
// and stampPath holds folder + "\Versione.txt". Otherwise returns 0 with both texts empty.
int LocateInstallation(char* folder, std::size_t folderCapacity, char* stampPath,
                       std::size_t stampPathCapacity);
