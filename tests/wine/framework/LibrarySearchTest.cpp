// Its own program: the restriction cannot be undone within a process.
#include "framework/SafeLibrarySearch.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

constexpr char kPlanted[] = "kvplanted.dll";

// True when a load by bare name finds the library; the module is let go at once.
bool LoadsByBareName() {
    const HMODULE module = LoadLibraryA(kPlanted);
    if (module == nullptr)
        return false;
    FreeLibrary(module);
    return true;
}

TEST(LibrarySearch, LibraryBesideTheProgramIsNoLongerFoundByName) {
    ASSERT_TRUE(LoadsByBareName()) << kPlanted << " must stand beside the test program";
    ASSERT_TRUE(RestrictLibrarySearch()) << "SetDefaultDllDirectories missing or refused";
    EXPECT_FALSE(LoadsByBareName()) << "a planted library is still found by bare name";
    // System libraries are still found by name.
    const HMODULE system = LoadLibraryA("version.dll");
    EXPECT_NE(nullptr, system);
    if (system != nullptr)
        FreeLibrary(system);
}

} // namespace
