#include "WizardFixture.h"
#include "UpdateApp.h"
#include "resource.h"
#include <commctrl.h>

const char kCaption[] = "Aggiornamento Tessaro Vers. 0002";

namespace {

const char kKey[] = "SOFTWARE\\Vantrel\\Tessaro\\VERS0002";

struct Script {
    TestWizard* wizard;
    std::vector<Step> steps;
    std::size_t next = 0;
    int idleTicks = 0;
    bool running = false;
};
Script* g_script = nullptr;

// Runs from the wizard's loop (or a nested one); one step per tick.
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Script* s = g_script;
    if (!s || s->running || !s->wizard->m_hWnd)
        return;
    if (++s->idleTicks > 500) {
        ADD_FAILURE() << "wizard still open at step " << s->next << " of " << s->steps.size();
        g_script = nullptr;
        s->wizard->EndDialog(-2);
        return;
    }
    if (s->next >= s->steps.size())
        return;
    s->running = true;
    const bool done = s->steps[s->next](*s->wizard);
    s->running = false;
    if (done) {
        ++s->next;
        s->idleTicks = 0;
    }
}

BOOL CALLBACK CollectChild(HWND child, LPARAM found) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
    return TRUE;
}

std::vector<HWND> Descendants(HWND root) {
    std::vector<HWND> all;
    ::EnumChildWindows(root, &CollectChild, reinterpret_cast<LPARAM>(&all));
    return all;
}

} // namespace

TestWizard::TestWizard() {
    SetProgramFolder(&GetUpdateApp()->ProgramFolder());
}

BOOL TestWizard::OnInitDialog() {
    const BOOL result = CUpdateWizardDlg::OnInitDialog();
    if (afterInit)
        afterInit(*this);
    return result;
}

BOOL TestWizard::CreatePage(CDialog& page, UINT templateId) {
    return templateId == failingTemplate ? FALSE : CUpdateWizardDlg::CreatePage(page, templateId);
}

void TestWizard::AddFolderSize(const char* folder) {
    if (duringSizeWalk)
        duringSizeWalk(*this);
    CUpdateWizardDlg::AddFolderSize(folder);
}

void TestWizard::WhileListLoads() {
    if (whileListLoads)
        whileListLoads(*this);
}

bool TestWizard::CopyPackageTree(CTreeCopier& copier, const char* source, const char* destination) {
    if (beforeCopy)
        beforeCopy(*this);
    return CUpdateWizardDlg::CopyPackageTree(copier, source, destination);
}

void WizardTest::SetUp() {
    m_root.emplace("wizard");
    ASSERT_TRUE(m_root->Made());

    GetUpdateApp()->Enable3dControls();
    GetUpdateApp()->RecordProgramFolder(Path("prog\\kvelmora.exe").c_str());
    Put("inst\\Versione.txt", "@versione=5.0  @build=04.04.16");
    Put("inst\\old.txt", "old");
    Register(Path("inst").c_str());
    MakePackage("-> @versione=5.0  @build=04.04.16\n-> @versione=5.1  @build=04.11.30\n", "1510");
}

void WizardTest::TearDown() {
    if (m_registered)
        ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kKey, KEY_WOW64_32KEY, 0);
    m_root.reset();
}

void WizardTest::Put(const std::string& relative, const std::string& bytes) {
    ASSERT_TRUE(WriteBytes(Path(relative), bytes)) << Path(relative);
}

std::string WizardTest::Get(const std::string& relative) const {
    return ReadBytes(Path(relative));
}

void WizardTest::MakePackage(const std::string& list, const std::string& size) {
    Put("prog\\r2718upd.dat\\r2718upd.txt", list);
    if (!size.empty())
        Put("prog\\r2718upd.dat\\sizeofupds.txt", size);
    Put("prog\\r2718upd.dat\\InstDir\\a.txt", std::string(10, 'a'));
    Put("prog\\r2718upd.dat\\InstDir\\sub\\b.bin", std::string(1500, 'b'));
    Put("prog\\r2718upd.dat\\InstDir\\sub\\c.txt", "");
}

void WizardTest::Register(const char* folder) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0,
                                KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    m_registered = true;
    ::RegDeleteValueA(key, "InstallationDir");
    if (folder)
        ::RegSetValueExA(key, "InstallationDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder),
                         static_cast<DWORD>(strlen(folder) + 1));
    ::RegCloseKey(key);
}

INT_PTR WizardTest::Run(TestWizard& wizard, std::vector<Step> steps) {
    Script script{&wizard, std::move(steps)};
    g_script = &script;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, &Tick);
    const INT_PTR result = wizard.DoModal();
    ::KillTimer(nullptr, timer);
    g_script = nullptr;
    EXPECT_EQ(script.next, script.steps.size()) << "steps left undone";
    return result;
}

bool HasStyle(HWND wnd, DWORD style) {
    return wnd && (::GetWindowLongPtrA(wnd, GWL_STYLE) & style) == style;
}

std::string ShownPages(HWND wizard) {
    static const struct {
        int control;
        const char* name;
    } pages[] = {{IDC_TEXT3, "welcome"},
                 {IDC_HEADER_TITLE, "header"},
                 {IDC_UPDATE_TREE, "list"},
                 {IDC_COPY_PROGRESS, "progress"},
                 {IDC_TEXT2, "finish"}};
    std::string shown;
    for (const auto& page : pages) {
        HWND control = FindControl(wizard, page.control);
        HWND dialog = control ? ::GetParent(control) : nullptr;
        if (dialog != wizard && HasStyle(dialog, WS_VISIBLE))
            shown += (shown.empty() ? "" : "+") + std::string(page.name);
    }
    return shown;
}

HWND FindControl(HWND root, int id) {
    for (HWND child : Descendants(root)) {
        // The welcome page holds 1005 too: the finish page is the one without 1006.
        if (::GetDlgCtrlID(child) == id &&
            !(id == IDC_TEXT2 && ::GetDlgItem(::GetParent(child), IDC_TEXT3)))
            return child;
    }
    return nullptr;
}

std::string ControlTextById(HWND root, int id) {
    return ControlText(FindControl(root, id));
}

std::string TreeDump(HWND tree) {
    std::string dump;
    auto add = [&](HTREEITEM item, const char* indent) {
        char text[256] = {};
        TVITEMA data{};
        data.mask = TVIF_TEXT | TVIF_STATE;
        data.hItem = item;
        data.stateMask = TVIS_BOLD | TVIS_STATEIMAGEMASK;
        data.pszText = text;
        data.cchTextMax = sizeof text;
        ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
        dump += std::string(indent) + ((data.state & TVIS_BOLD) ? "B " : "") + text;
        if (const UINT image = (data.state & TVIS_STATEIMAGEMASK) >> 12)
            dump += " [" + std::to_string(image) + "]";
        dump += "\n";
    };
    for (HTREEITEM root = TreeView_GetRoot(tree); root;
         root = TreeView_GetNextSibling(tree, root)) {
        add(root, "");
        for (HTREEITEM child = TreeView_GetChild(tree, root); child;
             child = TreeView_GetNextSibling(tree, child))
            add(child, "    ");
    }
    return dump;
}

std::pair<int, int> ProgressRange(HWND wizard) {
    PBRANGE range{-1, -1};
    ::SendMessageA(FindControl(wizard, IDC_COPY_PROGRESS), PBM_GETRANGE, 0,
                   reinterpret_cast<LPARAM>(&range));
    return {range.iLow, range.iHigh};
}

void PressKey(HWND target, UINT key) {
    ::SetFocus(target);
    ::PostMessageA(target, WM_KEYDOWN, key, 1);
    ::PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}
