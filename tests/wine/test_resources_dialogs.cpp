#include "resource.h"
#include "test_resources_reader.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <type_traits>

// The expected texts below are the bytes the program sees only if this file
// is compiled to code page 1252.
static_assert(sizeof("à") == 2 && "à"[0] == '\xE0', "compile with -fexec-charset=CP1252");

namespace {

struct ExpectedControl {
    int id;
    const char* windowClass; // "Button" and "Static" are stored as the system's atoms
    uint32_t style;          // besides WS_CHILD | WS_VISIBLE
    const char* text;
    short x, y, cx, cy;
};

struct ExpectedTemplate {
    int id;
    bool extended;
    uint32_t style;
    uint32_t exStyle;
    short cx, cy;
    const char* caption;
    std::vector<ExpectedControl> controls;
};

constexpr uint32_t kPageStyle = WS_CHILD | DS_SETFONT;
constexpr uint32_t kText = WS_GROUP | SS_LEFT;

constexpr uint32_t kWizardStyle =
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr uint32_t kTreeStyle =
    WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_NOTOOLTIPS;

// clang-format off
const std::vector<ExpectedTemplate>& Templates() {
    static const std::vector<ExpectedTemplate> templates = {
        {IDD_WIZARD, true, kWizardStyle, WS_EX_APPWINDOW, 350, 225, "kvelmora", {
            {1002, "Button", WS_TABSTOP | BS_DEFPUSHBUTTON, "Avanti>", 221, 204, 50, 14},
            {2, "Button", WS_TABSTOP | BS_PUSHBUTTON, "Esci", 293, 204, 50, 14},
            {1000, "Static", SS_ETCHEDHORZ, "", 0, 199, 349, 1},
            {1001, "Button", WS_TABSTOP | BS_PUSHBUTTON, "<Precedente", 163, 204, 50, 14},
            {1026, "Static", WS_GROUP | SS_LEFT | SS_CENTERIMAGE, "Static", 7, 204, 143, 14},
        }},
        {IDD_WELCOME_PAGE, false, kPageStyle, 0, 350, 199, "", {
            {1003, "Static", SS_BLACKFRAME, "", 0, 0, 94, 199},
            {1004, "Static", kText, "Benvenuti nel programma di aggiornamento Tessaro Vers. %s.",
             115, 61, 195, 42},
            {1005, "Static", kText,
             "Questo programma effettuerà l'aggiornamento della Tessaro nel Vostro Computer.",
             115, 99, 195, 23},
            {1006, "Static", kText,
             "Si raccomanda di chiudere le applicazioni Vantrel prima di proseguire. Questo "
             "permetterà di effettuare le operazioni di aggiornamento in modo corretto e senza "
             "dover riavviare il computer.",
             115, 127, 195, 39},
            {1007, "Static", kText, "Selezionare Avanti> per continuare.", 115, 173, 195, 8},
            {1023, "Static", SS_BLACKFRAME, "", 143, 7, 200, 33},
        }},
        {IDD_HEADER_PAGE, false, kPageStyle, 0, 350, 47, "", {
            {1011, "Static", kText, "Bold Title", 7, 7, 99, 33},
            {1023, "Static", SS_BLACKFRAME, "", 143, 7, 200, 33},
        }},
        {IDD_UPDATE_LIST_PAGE, false, kPageStyle, 0, 350, 142, "", {
            {1004, "Static", kText,
             "Questo programma installerà i seguenti Aggiornamenti\ndella Tessaro Vers. %s:",
             15, 5, 300, 19},
            {1012, "SysTreeView32", kTreeStyle, "Tree1", 15, 27, 321, 50},
            {-1, "Static", SS_ETCHEDHORZ, "", 0, 0, 349, 1},
            {-1, "Static", kText, "Numero di riferimento di questo insieme di aggiornamenti:",
             15, 87, 188, 20},
            {-1, "Static", kText,
             "Numero di riferimento dell'ultimo aggiornamento\neffettuato su questo Computer:",
             15, 110, 188, 20},
            {1024, "Static", WS_GROUP | SS_RIGHT, "5.0 [04.04.16]", 234, 87, 102, 20},
            {1025, "Static", WS_GROUP | SS_RIGHT, "5.0 [04.04.15]", 234, 110, 102, 20},
        }},
        {IDD_PROGRESS_PAGE, false, kPageStyle, 0, 350, 142, "", {
            {1020, "Static", kText, "Static", 22, 22, 285, 8},
            {1021, "msctls_progress32", PBS_SMOOTH, "Progress1", 22, 38, 285, 14},
            {-1, "Static", SS_ETCHEDHORZ, "", 0, 0, 329, 1},
        }},
        {IDD_FINISH_PAGE, false, kPageStyle, 0, 350, 199, "", {
            {1003, "Static", SS_BLACKFRAME, "", 0, 0, 94, 199},
            {1004, "Static", kText, "Programma di Aggiornamento Tessaro Vers. %s terminato",
             115, 70, 195, 49},
            {1005, "Static", kText, "Selezionare Fine per chiudere il programma.",
             115, 127, 195, 57},
            {1023, "Static", SS_BLACKFRAME, "", 143, 7, 200, 33},
        }},
    };
    return templates;
}
// clang-format on

DialogTemplate LoadTemplate(int id) {
    DialogTemplate parsed;
    ResourceData resource = FindItalianResource(RT_DIALOG, id);
    EXPECT_TRUE(resource.data) << "no Italian dialog template " << id;
    if (resource.data) {
        EXPECT_TRUE(ParseDialogTemplate(resource.data, resource.size, parsed))
            << "template " << id << " ends early";
    }
    return parsed;
}

void ExpectClass(const TemplateName& actual, const char* expected) {
    if (strcmp(expected, "Button") == 0 || strcmp(expected, "Static") == 0) {
        EXPECT_TRUE(actual.isOrdinal) << "class " << actual.text;
        EXPECT_EQ(actual.ordinal, expected[0] == 'B' ? 0x0080 : 0x0082);
    } else {
        // windres stores class names upper-cased; the system compares them without case.
        EXPECT_FALSE(actual.isOrdinal);
        EXPECT_EQ(_stricmp(actual.text.c_str(), expected), 0) << actual.text << " vs " << expected;
    }
}

const TemplateControl* FindControl(const DialogTemplate& dialog, int id) {
    for (const TemplateControl& control : dialog.controls) {
        if (control.id == id) {
            return &control;
        }
    }
    return nullptr;
}

TEST(DialogTemplates, MatchTheirTables) {
    for (const ExpectedTemplate& want : Templates()) {
        SCOPED_TRACE("template " + std::to_string(want.id));
        DialogTemplate got = LoadTemplate(want.id);
        EXPECT_EQ(got.extended, want.extended);
        EXPECT_EQ(got.style, want.style) << std::hex << (got.style ^ want.style);
        EXPECT_EQ(got.exStyle, want.exStyle);
        EXPECT_EQ(got.x, 0);
        EXPECT_EQ(got.y, 0);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.caption, want.caption);
        EXPECT_TRUE(!got.menu.isOrdinal && got.menu.text.empty()) << "has a menu";
        EXPECT_TRUE(!got.windowClass.isOrdinal && got.windowClass.text.empty())
            << "has a window class";
        EXPECT_EQ(got.face, "Tahoma");
        EXPECT_EQ(got.pointSize, 8);
        if (want.extended) {
            EXPECT_EQ(got.weight, 0);
            EXPECT_EQ(got.italic, 0);
            EXPECT_EQ(got.charset, DEFAULT_CHARSET);
        }
        ASSERT_EQ(got.controls.size(), want.controls.size());
        for (size_t i = 0; i < want.controls.size(); ++i) {
            const ExpectedControl& w = want.controls[i];
            const TemplateControl& g = got.controls[i];
            SCOPED_TRACE("control #" + std::to_string(i) + " id " + std::to_string(w.id));
            EXPECT_EQ(g.id, w.id);
            ExpectClass(g.windowClass, w.windowClass);
            EXPECT_EQ(g.style, WS_CHILD | WS_VISIBLE | w.style)
                << std::hex << (g.style ^ (WS_CHILD | WS_VISIBLE | w.style));
            EXPECT_EQ(g.exStyle, 0u);
            EXPECT_FALSE(g.text.isOrdinal);
            EXPECT_EQ(g.text.text, w.text);
            EXPECT_EQ(g.x, w.x);
            EXPECT_EQ(g.y, w.y);
            EXPECT_EQ(g.cx, w.cx);
            EXPECT_EQ(g.cy, w.cy);
            EXPECT_EQ(g.extraBytes, 0);
        }
    }
}

TEST(DialogTemplates, PagesFillTheAreaAboveTheWizardButtons) {
    DialogTemplate wizard = LoadTemplate(IDD_WIZARD);
    const TemplateControl* line = FindControl(wizard, IDC_ETCHED_LINE);
    ASSERT_TRUE(line);
    for (int id : {IDC_NEXT, IDCANCEL, IDC_BACK, IDC_STATUS_LINE}) {
        const TemplateControl* below = FindControl(wizard, id);
        ASSERT_TRUE(below) << id;
        EXPECT_GT(below->y, line->y) << "control " << id << " is not below the line";
    }
    for (int id : {IDD_WELCOME_PAGE, IDD_FINISH_PAGE}) {
        DialogTemplate page = LoadTemplate(id);
        EXPECT_EQ(page.cx, wizard.cx) << "page " << id;
        EXPECT_EQ(page.cy, line->y) << "page " << id;
    }
    DialogTemplate header = LoadTemplate(IDD_HEADER_PAGE);
    EXPECT_EQ(header.cx, wizard.cx);
    for (int id : {IDD_UPDATE_LIST_PAGE, IDD_PROGRESS_PAGE}) {
        DialogTemplate page = LoadTemplate(id);
        EXPECT_EQ(page.cx, wizard.cx) << "page " << id;
        EXPECT_LE(header.cy + page.cy, line->y) << "page " << id << " below the header";
    }
}

INT_PTR CALLBACK InertDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

UniqueWindow CreateFromTemplate(int id, HWND parent) {
    return UniqueWindow(CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), parent,
                                           InertDialogProc, 0));
}

// The system itself builds every window from its template, with the texts
// the ANSI functions give back.
TEST(DialogTemplates, BuildWindowsWithTheirTexts) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS};
    ASSERT_TRUE(InitCommonControlsEx(&classes));
    UniqueWindow wizard = CreateFromTemplate(IDD_WIZARD, nullptr);
    ASSERT_TRUE(wizard) << GetLastError();
    for (const ExpectedTemplate& want : Templates()) {
        SCOPED_TRACE("template " + std::to_string(want.id));
        UniqueWindow page;
        HWND window = wizard.get();
        if (want.id != IDD_WIZARD) {
            page = CreateFromTemplate(want.id, wizard.get());
            ASSERT_TRUE(page) << GetLastError();
            EXPECT_FALSE(IsWindowVisible(page.get())) << "pages start hidden";
            window = page.get();
        }
        for (const ExpectedControl& control : want.controls) {
            if (control.id == IDC_STATIC) {
                continue;
            }
            HWND item = GetDlgItem(window, control.id);
            ASSERT_TRUE(item) << "control " << control.id;
            char text[512] = {};
            GetWindowTextA(item, text, sizeof text);
            EXPECT_STREQ(text, control.text) << "control " << control.id;
        }
    }
}

} // namespace
