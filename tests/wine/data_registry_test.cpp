#include "InstallationRegistry.h"
#include "PackageLayout.h"

#include "TestFiles.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <windows.h>

namespace {

constexpr char kKey[] = "SOFTWARE\\Vantrel\\Tessaro\\VERS0002";

// A new folder whose full path has exactly length characters, made of nested
// parts under base. Empty when that is not possible.
std::string MakeFolderOfLength(const std::string& base, std::size_t length) {
    std::string path = base;
    if (path.empty() || length < path.size() + 2)
        return std::string();
    // The letter follows the length: folders of neighbouring lengths share no part.
    const char letter = static_cast<char>('a' + length % 26);
    while (path.size() < length) {
        std::size_t part = length - path.size() - 1;
        // Leave room for one more part rather than a part of nothing.
        if (part > 100)
            part = part - 100 >= 2 ? 100 : part - 2;
        path += "\\" + std::string(part, letter);
        if (!MakeFolder(path))
            return std::string();
    }
    return path;
}

// Writes the product's registry value as its 32-bit installer would, and
// removes the key again after each test.
class InstallationRegistry : public ::testing::Test {
protected:
    void SetUp() override { DeleteKeys(); }
    void TearDown() override { DeleteKeys(); }

    static void DeleteKeys() {
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kKey, KEY_WOW64_32KEY, 0);
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kKey, KEY_WOW64_64KEY, 0);
    }

    static void SetValue(DWORD type, const void* data, DWORD size, REGSAM view = KEY_WOW64_32KEY,
                         const char* name = kRegistryValueName) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0,
                                                 KEY_WRITE | view, nullptr, &key, nullptr));
        EXPECT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size));
        RegCloseKey(key);
    }

    static void SetText(const std::string& text, DWORD type = REG_SZ) {
        SetValue(type, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
};

struct Located {
    int installed;
    std::string folder;
    std::string stampPath;
};

Located Locate() {
    char folder[kPathBufferSize];
    char stampPath[kPathBufferSize];
    std::memset(folder, 'f', sizeof folder);
    std::memset(stampPath, 's', sizeof stampPath);
    const int installed = LocateInstallation(folder, sizeof folder, stampPath, sizeof stampPath);
    return {installed, folder, stampPath};
}

void ExpectNotInstalled(const char* what) {
    SCOPED_TRACE(what);
    const Located located = Locate();
    EXPECT_EQ(0, located.installed);
    EXPECT_EQ("", located.folder);
    EXPECT_EQ("", located.stampPath);
}

TEST_F(InstallationRegistry, NotInstalledWithoutAUsableValue) {
    TempFolder temp("tsd");
    ASSERT_TRUE(temp.Made());
    ExpectNotInstalled("no key");

    SetValue(REG_SZ, temp.Path().c_str(), static_cast<DWORD>(temp.Path().size() + 1),
             KEY_WOW64_32KEY, "OtherValue");
    ExpectNotInstalled("no value");

    const DWORD number = 42;
    SetValue(REG_DWORD, &number, sizeof number);
    ExpectNotInstalled("REG_DWORD");

    SetValue(REG_BINARY, temp.Path().c_str(), static_cast<DWORD>(temp.Path().size() + 1));
    ExpectNotInstalled("REG_BINARY holding a folder");

    SetText("");
    ExpectNotInstalled("empty text");

    SetText(temp.Path() + "\\missing");
    ExpectNotInstalled("folder does not exist");

    ASSERT_TRUE(WriteBytes(temp.Sub("Tessaro"), "not a folder"));
    SetText(temp.Path() + "\\Tessaro");
    ExpectNotInstalled("a file, not a folder");
    SetText(temp.Path() + "\\Tessaro\\");
    ExpectNotInstalled("a file, named with a trailing backslash");

    DeleteKeys();
    SetValue(REG_SZ, temp.Path().c_str(), static_cast<DWORD>(temp.Path().size() + 1),
             KEY_WOW64_64KEY);
    ExpectNotInstalled("only in the 64-bit view");
}

TEST_F(InstallationRegistry, FindsTheFolderAndItsStampFile) {
    TempFolder temp("tsd");
    const std::string base = temp.Sub("Prog");
    ASSERT_TRUE(MakeFolder(base));
    const struct {
        const char* name;
        std::string value;
        DWORD type;
        bool withZero;
        std::string folder;
        std::string stampPath;
    } cases[] = {
        {"plain", base, REG_SZ, true, base, base + "\\Versione.txt"},
        {"one trailing backslash", base + "\\", REG_SZ, true, base, base + "\\Versione.txt"},
        {"two trailing backslashes", base + "\\\\", REG_SZ, true, base + "\\",
         base + "\\\\Versione.txt"},
        {"stored without its zero", base, REG_SZ, false, base, base + "\\Versione.txt"},
        {"expandable string", base, REG_EXPAND_SZ, true, base, base + "\\Versione.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetValue(c.type, c.value.c_str(),
                 static_cast<DWORD>(c.value.size() + (c.withZero ? 1 : 0)));
        const Located located = Locate();
        EXPECT_EQ(1, located.installed);
        EXPECT_EQ(c.folder, located.folder);
        EXPECT_EQ(c.stampPath, located.stampPath);
    }
}

TEST_F(InstallationRegistry, TakesTheValueAsStored) {
    const struct {
        const char* name;
        std::string value;
        DWORD type;
        bool withZero;
        bool read;
    } cases[] = {
        {"expandable string is not expanded", "%SystemRoot%\\Tessaro", REG_EXPAND_SZ, true, true},
        {"259 characters", std::string(259, 'v'), REG_SZ, true, true},
        {"259 characters without zero", std::string(259, 'v'), REG_SZ, false, true},
        {"260 characters without zero", std::string(260, 'v'), REG_SZ, false, false},
        {"260 characters", std::string(260, 'v'), REG_SZ, true, false},
        {"600 characters", std::string(600, 'v'), REG_SZ, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetValue(c.type, c.value.c_str(),
                 static_cast<DWORD>(c.value.size() + (c.withZero ? 1 : 0)));
        char folder[kPathBufferSize + 8];
        std::memset(folder, 'f', sizeof folder);
        EXPECT_EQ(c.read, ReadInstallationFolder(folder, kPathBufferSize));
        EXPECT_EQ(c.read ? c.value : "", std::string(folder));
        EXPECT_EQ('f', folder[kPathBufferSize]) << "written past the buffer";
    }

    // A caller's buffer too small for the text gets nothing rather than a part.
    SetText("C:\\Program Files\\Tessaro");
    char small[8];
    EXPECT_FALSE(ReadInstallationFolder(small, sizeof small));
    EXPECT_STREQ("", small);
}

TEST_F(InstallationRegistry, LongFoldersNeedRoomForTheStampFile) {
    TempFolder temp("tsd");
    const std::string fits = MakeFolderOfLength(temp.Path(), 246);
    const std::string tooLong = MakeFolderOfLength(temp.Path(), 247);
    ASSERT_EQ(246u, fits.size());
    ASSERT_EQ(247u, tooLong.size());
    ASSERT_TRUE(Exists(tooLong));

    SetText(fits);
    Located located = Locate();
    EXPECT_EQ(1, located.installed);
    EXPECT_EQ(259u, located.stampPath.size());

    SetText(fits + "\\");
    located = Locate();
    EXPECT_EQ(1, located.installed) << "the trailing backslash goes before the length counts";
    EXPECT_EQ(fits, located.folder);

    SetText(tooLong);
    ExpectNotInstalled("247 characters");
}

} // namespace
