#include "resource.h"
#include "test_resources_reader.h"
#include "version.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<char> ReadVersionBlock() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    DWORD unused = 0;
    std::vector<char> block(GetFileVersionInfoSizeA(path, &unused));
    if (block.empty() ||
        !GetFileVersionInfoA(path, 0, static_cast<DWORD>(block.size()), block.data())) {
        block.clear();
    }
    return block;
}

TEST(VersionBlock, FixedPart) {
    std::vector<char> block = ReadVersionBlock();
    ASSERT_FALSE(block.empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(length, sizeof *fixed);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    // The program's version and the Tessaro build, as version.h has them
    // from the top-level CMakeLists.txt.
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(KVELMORA_VERSION_MINOR, KVELMORA_VERSION_MAJOR));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, KVELMORA_VERSION_PATCH));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(KVELMORA_BUILD_MONTH, KVELMORA_BUILD_YEAR));
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(0, KVELMORA_BUILD_DAY));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0410);
    EXPECT_EQ(translation[1], 0x04B0);
}

TEST(VersionBlock, Strings) {
    struct Row {
        const char* key;
        const char* value;
    };
    const Row rows[] = {
        {"FileDescription", "kvelmora Applicazione MFC"},
        {"FileVersion", KVELMORA_VERSION_TEXT},
        {"InternalName", "kvelmorae"},
        {"OriginalFilename", "kvelmora.EXE"},
        {"ProductName", "kvelmora Applicazione"},
        {"ProductVersion", KVELMORA_VERSION_TEXT},
        {"PrivateBuild", KVELMORA_BUILD_TEXT},
        {"SpecialBuild", KVELMORA_BUILD_TEXT},
        {"Comments", ""},
        {"CompanyName", ""},
        {"LegalTrademarks", ""},
    };
    std::vector<char> block = ReadVersionBlock();
    ASSERT_FALSE(block.empty());
    for (const Row& row : rows) {
        std::string query = std::string("\\StringFileInfo\\041004b0\\") + row.key;
        char* value = nullptr;
        UINT length = 0;
        EXPECT_TRUE(
            VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
            << row.key;
        EXPECT_STREQ(value ? value : "(none)", row.value) << row.key;
    }
}

// Windows shows the fixed numbers in some places and the texts in others:
// they must tell the same version, whoever edits either.
TEST(VersionBlock, TextsMatchTheNumbers) {
    std::vector<char> block = ReadVersionBlock();
    ASSERT_FALSE(block.empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    char* text = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\041004b0\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_EQ(std::string(text), std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                                     std::to_string(LOWORD(fixed->dwFileVersionMS)));
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\041004b0\\PrivateBuild",
                               reinterpret_cast<void**>(&text), &length));
    char build[16] = {};
    std::snprintf(build, sizeof build, "%02u.%02u.%02u",
                  static_cast<unsigned>(HIWORD(fixed->dwProductVersionMS)),
                  static_cast<unsigned>(LOWORD(fixed->dwProductVersionMS)),
                  static_cast<unsigned>(HIWORD(fixed->dwProductVersionLS)));
    EXPECT_STREQ(text, build);
    EXPECT_EQ(LOWORD(fixed->dwProductVersionLS), 0u);
}

std::string ManifestText() {
    ResourceData manifest =
        FindItalianResource(MAKEINTRESOURCEA(24), 1); // RT_MANIFEST, CREATEPROCESS id
    return std::string(static_cast<const char*>(manifest.data), manifest.size);
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(Manifest, NamesThisTargetAndAsksForElevation) {
    std::string text = ManifestText();
    ASSERT_FALSE(text.empty());
#ifdef _WIN64
    const char* mine = "processorArchitecture=\"amd64\"";
    const char* other = "processorArchitecture=\"X86\"";
#else
    const char* mine = "processorArchitecture=\"X86\"";
    const char* other = "processorArchitecture=\"amd64\"";
#endif
    EXPECT_EQ(Count(text, mine), 2u) << "the program and its common controls" << text;
    EXPECT_EQ(Count(text, other), 0u) << text;
    EXPECT_EQ(Count(text, "name=\"Microsoft.Windows.Common-Controls\""), 1u);
    EXPECT_EQ(Count(text, "version=\"6.0.0.0\""), 1u);
    EXPECT_EQ(Count(text, "<requestedExecutionLevel level=\"requireAdministrator\""), 1u);
}

// A manifest the loader rejects, or one for the wrong processor, leaves the
// program on the old common controls without any error. The version number
// the library reports is no help: this Wine reports 5 for both.
TEST(Manifest, LoadsVersion6OfTheCommonControls) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS};
    ASSERT_TRUE(InitCommonControlsEx(&classes));
    char path[MAX_PATH] = {};
    ASSERT_TRUE(GetModuleFileNameA(GetModuleHandleA("comctl32.dll"), path, sizeof path));
    CharLowerA(path);
    EXPECT_TRUE(strstr(path, "\\winsxs\\") && strstr(path, "common-controls_6595b64144ccf1df_6."))
        << path;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
    reinterpret_cast<std::set<WORD>*>(found)->insert(language);
    return TRUE;
}

TEST(Resources, AreAllInItalianOnly) {
    struct Row {
        LPCSTR type;
        int id;
    };
    const Row rows[] = {
        {RT_DIALOG, IDD_WIZARD},        {RT_DIALOG, IDD_WELCOME_PAGE},
        {RT_DIALOG, IDD_HEADER_PAGE},   {RT_DIALOG, IDD_UPDATE_LIST_PAGE},
        {RT_DIALOG, IDD_PROGRESS_PAGE}, {RT_DIALOG, IDD_FINISH_PAGE},
        {RT_BITMAP, IDB_LEFT_PANEL},    {RT_BITMAP, IDB_LOGO},
        {RT_GROUP_ICON, IDI_PROGRAM},   {RT_VERSION, 1},
        {MAKEINTRESOURCEA(24), 1},
    };
    for (const Row& row : rows) {
        std::set<WORD> languages;
        EnumResourceLanguagesA(GetModuleHandleA(nullptr), row.type, MAKEINTRESOURCEA(row.id),
                               CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
        EXPECT_EQ(languages, std::set<WORD>{0x0410})
            << "type " << reinterpret_cast<uintptr_t>(row.type) << " id " << row.id;
    }
}

} // namespace
