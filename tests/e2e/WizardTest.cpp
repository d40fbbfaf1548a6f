#include "WizardTest.h"

#include "driver/FileSystem.h"
#include "driver/RemoteWindow.h"
#include "driver/WizardPages.h"

#include "TestFiles.h"
#include "data/ChecksumFile.h"
#include <algorithm>

#include <sstream>

using namespace e2e;

Screen Screen::Welcome() {
    Screen s;
    s.welcome = true;
    s.next = true;
    s.nextText = "Avanti>";
    s.cancelEnabled = true;
    s.cancelText = "Esci";
    s.statusLine = true;
    return s;
}

Screen Screen::List() {
    Screen s;
    s.header = s.list = true;
    s.back = true;
    s.next = true;
    s.nextText = "Installa";
    s.cancelEnabled = true;
    s.cancelText = "Esci";
    return s;
}

Screen Screen::Progress() {
    Screen s;
    s.header = s.progress = true;
    s.cancelText = "Esci";
    s.statusLine = true;
    return s;
}

Screen Screen::Finish() {
    Screen s;
    s.finish = true;
    s.cancelEnabled = true;
    s.cancelText = "Fine";
    s.statusLine = true;
    return s;
}

bool Screen::operator==(const Screen& o) const {
    return welcome == o.welcome && header == o.header && list == o.list && progress == o.progress &&
           finish == o.finish && back == o.back && next == o.next &&
           (!next || nextText == o.nextText) && cancelEnabled == o.cancelEnabled &&
           cancelText == o.cancelText && statusLine == o.statusLine;
}

std::string Screen::Describe() const {
    std::ostringstream out;
    out << "pages{" << (welcome ? " welcome" : "") << (header ? " header" : "")
        << (list ? " list" : "") << (progress ? " progress" : "") << (finish ? " finish" : "")
        << " } back " << (back ? "shown" : "hidden") << ", next "
        << (next ? "\"" + nextText + "\"" : std::string("hidden")) << ", cancel \"" << cancelText
        << "\" " << (cancelEnabled ? "enabled" : "disabled") << ", status line "
        << (statusLine ? "shown" : "hidden");
    return out.str();
}

std::string Pattern(std::size_t size, char seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] =
            static_cast<char>((i * 7 + static_cast<unsigned char>(seed) * 31 + i / 251) & 0xFF);
    return bytes;
}

std::string DescribeTree(const std::vector<TreeItem>& items) {
    std::string out;
    for (const TreeItem& item : items) {
        out += (item.bold ? "[bold] " : "") + item.text + "\n";
        for (const TreeItem& child : item.children)
            out += "    " + std::string(child.bold ? "[bold] " : "") + child.text + "\n";
    }
    return out;
}

void WizardTest::SetUp() {
    m_root = std::make_unique<TempFolder>("tessaro-e2e");
    ASSERT_TRUE(m_root->Made());
    ASSERT_TRUE(MakeFolders(Media() + "\\r2718upd.dat"));
    ASSERT_TRUE(MakeFolders(Install()));
    const std::string program = FromHostPath(TESSARO_KVELMORA_EXE);
    ASSERT_TRUE(CopyFileA(program.c_str(), (Media() + "\\kvelmora.exe").c_str(), FALSE))
        << program << " error " << GetLastError();
    InstallationKey::Remove();
}

void WizardTest::TearDown() {
    m_process.Kill();
    m_key.reset();
    m_root.reset();
}

void WizardTest::WriteList(const std::string& text) {
    ASSERT_TRUE(WriteBytes(Media() + "\\r2718upd.dat\\r2718upd.txt", text));
}

void WizardTest::WriteSize(const std::string& text) {
    ASSERT_TRUE(WriteBytes(Media() + "\\r2718upd.dat\\sizeofupds.txt", text));
}

void WizardTest::AddPackageFile(const std::string& relative, const std::string& bytes) {
    ASSERT_TRUE(WriteBytes(InstDir() + "\\" + relative, bytes)) << relative;
}

void WizardTest::AddPackageFolder(const std::string& relative) {
    ASSERT_TRUE(MakeFolders(InstDir() + "\\" + relative)) << relative;
}

void WizardTest::AddInstalledFile(const std::string& relative, const std::string& bytes) {
    ASSERT_TRUE(WriteBytes(Install() + "\\" + relative, bytes)) << relative;
}

void WizardTest::Register() {
    Register(Install());
}

void WizardTest::Register(const std::string& folder) {
    // The old registration goes first: its removal would take the new one along.
    m_key.reset();
    m_key = std::make_unique<InstallationKey>(folder);
    ASSERT_TRUE(m_key->Registered());
}

std::string WizardTest::StandardList() const {
    return "Pacchetto di prova: questa riga non appartiene ad alcun aggiornamento\r\n"
           "-> @versione=5.0  @build=04.03.22\r\n"
           "Correzione del calcolo IVA sulle note di credito\r\n"
           "-> @versione=5.0  @build=04.04.15\r\n"
           "  Nuovo archivio clienti\r\n"
           "-> @versione=5.0  @build=04.04.16\r\n"
           "Velocità di stampa migliorata\r\n"
           "-> vedi sopra\r\n"
           "->\t@build=04.06.30 @versione=5.1   # il tab vale come spazio\r\n"
           "# commento del fornitore\r\n"
           "\r\n"
           "Scadenzario con promemoria   # nota interna\r\n";
}

void WizardTest::WriteChecksums(const std::vector<std::string>& wrong) {
    const std::string package = Media() + "\\r2718upd.dat";
    std::vector<ChecksumLine> lines;
    for (const auto& [path, bytes] : ReadTree(package)) {
        if (path == "SHA256SUMS")
            continue;
        // A file named wrong is listed with the digest of nothing.
        const bool isWrong = std::find(wrong.begin(), wrong.end(), path) != wrong.end();
        CSha256 hash;
        if (!isWrong)
            hash.Add(bytes.data(), bytes.size());
        ChecksumLine line{path, {}};
        hash.Finish(line.digest);
        lines.push_back(line);
    }
    std::string text;
    ASSERT_TRUE(FormatChecksumFile(lines, text));
    ASSERT_TRUE(WriteBytes(package + "\\SHA256SUMS", text));
}

void WizardTest::MakeStandardWorld() {
    WriteList(StandardList());
    WriteSize(std::to_string(kStandardSize) + "\r\n");
    AddPackageFile("Tessaro.exe", Pattern(3000, 'a'));
    AddPackageFile("bin\\archivio.dll", Pattern(2500, 'b'));
    AddPackageFile("bin\\stampa\\moduli.dll", Pattern(1500, 'c'));
    AddPackageFile("modelli\\fattura.mod", "FATTURA\r\n\r\n");
    AddPackageFile("dati\\vuoto.dat", "");
    AddPackageFolder("doc\\vuota");
    AddInstalledFile("Tessaro.exe", Pattern(5000, 'z'));
    AddInstalledFile("bin\\archivio.dll", "vecchia libreria");
    AddInstalledFile("Tessaro.ini", "[Tessaro]\r\nLingua=it\r\n");
    AddInstalledFile("Versione.txt", "@versione=5.0  @build=04.04.15");
    Register();
}

void WizardTest::Start(const std::string& arguments, int timeDivisor) {
    m_process =
        RemoteProcess::Start(Media() + "\\kvelmora.exe", kDefaultBoundMs, arguments, timeDivisor);
    ASSERT_TRUE(m_process.Started()) << "CreateProcess error " << m_process.LastError();
}

::testing::AssertionResult WizardTest::WaitWizard() {
    const ProcessWindows windows(m_process.Id());
    if (WaitFor(
            [&] {
                m_wizard = windows.Dialog(kCaption, ui::kNext);
                // Start-up work is over once Cancel can be pressed.
                return m_wizard.Visible() && m_wizard.Child(ui::kCancel).Visible();
            },
            kDefaultBoundMs))
        return ::testing::AssertionSuccess();
    const MessageBoxView box(windows.MessageBox());
    if (box)
        return ::testing::AssertionFailure()
               << "no wizard; a message box says \"" << box.Text() << "\"";
    return ::testing::AssertionFailure()
           << (m_process.Running() ? "no wizard on screen" : "the program ended");
}

MessageBoxView WizardTest::WaitMessageBox(DWORD boundMs) {
    const ProcessWindows windows(m_process.Id());
    RemoteWindow box;
    WaitFor(
        [&] {
            box = windows.MessageBox();
            return static_cast<bool>(box);
        },
        boundMs);
    return MessageBoxView(box);
}

bool WizardTest::NoMessageBoxWithin(DWORD boundMs) {
    return !WaitMessageBox(boundMs);
}

bool WizardTest::WaitExit(DWORD boundMs) {
    return m_process.WaitExit(boundMs);
}

RemoteWindow WizardTest::FinishPage() const {
    return FinishPageOf(m_wizard);
}

std::string WizardTest::FinishText(int id) const {
    const RemoteWindow page = FinishPage();
    return page ? RemoteWindow(GetDlgItem(page.Handle(), id)).Text() : std::string();
}

Screen WizardTest::ReadScreen() const {
    Screen s;
    s.welcome = m_wizard.PageWith(ui::kWelcomeMarker).Visible();
    s.header = m_wizard.PageWith(ui::kHeaderTitle).Visible();
    s.list = m_wizard.PageWith(ui::kTree).Visible();
    s.progress = m_wizard.PageWith(ui::kProgressBar).Visible();
    s.finish = FinishPage().Visible();
    s.back = Control(ui::kBack).Visible();
    const RemoteWindow next = Control(ui::kNext);
    s.next = next.Visible();
    s.nextText = next.Text();
    const RemoteWindow cancel = Control(ui::kCancel);
    s.cancelEnabled = cancel.Visible() && cancel.Enabled();
    s.cancelText = cancel.Text();
    s.statusLine = Control(ui::kStatusLine).Visible();
    return s;
}

::testing::AssertionResult WizardTest::WaitScreen(const Screen& expected, DWORD boundMs) {
    Screen seen;
    if (WaitFor(
            [&] {
                seen = ReadScreen();
                return seen == expected;
            },
            boundMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "expected " << expected.Describe() << "\n     saw " << seen.Describe();
}

::testing::AssertionResult WizardTest::ClickButton(int id) {
    const RemoteWindow button = Control(id);
    if (!WaitFor([&] { return button.Visible() && button.Enabled(); }, kDefaultBoundMs))
        return ::testing::AssertionFailure() << "button " << id << " is not there to click";
    if (!button.Click())
        return ::testing::AssertionFailure() << "click on button " << id << " not posted";
    return ::testing::AssertionSuccess();
}

void WizardTest::GoToList() {
    ASSERT_TRUE(WaitWizard());
    ASSERT_TRUE(WaitScreen(Screen::Welcome()));
    ASSERT_TRUE(ClickButton(ui::kNext));
    ASSERT_TRUE(WaitScreen(Screen::List()));
}

void WizardTest::WaitFinish() {
    ASSERT_TRUE(WaitScreen(Screen::Finish()));
}

std::string WizardTest::ReadFile(const std::string& path) const {
    std::string bytes;
    return ReadBytes(path, bytes) ? bytes : std::string("<unreadable>");
}

bool WizardTest::SmallDiskMounted(std::string& why) {
    std::string status;
    ReadBytes(FromHostPath(TESSARO_FULL_DISK_STATUS), status);
    if (status == "mounted\n")
        return true;
    why = status.empty() ? "the CTest fixture e2e_full_disk did not mount one" : status;
    return false;
}

std::string WizardTest::SmallDisk() {
    return FromHostPath(TESSARO_FULL_DISK_DIR);
}
