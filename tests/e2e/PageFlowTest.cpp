// The welcome and list screens: texts, the tree of updates, Next, Back,
// the keyboard, and the confirmation before leaving.
#include "WizardTest.h"

#include "driver/KeyPress.h"

using namespace e2e;

namespace {

std::vector<TreeItem> ReadTree(const RemoteWindow& tree) {
    std::vector<TreeItem> items;
    EXPECT_TRUE(RemoteTree(tree).Read(items)) << "tree not readable";
    return items;
}

class PageFlow : public WizardTest {};

TEST_F(PageFlow, NextAndBackMoveBetweenWelcomeAndList) {
    ASSERT_NO_FATAL_FAILURE(MakeStandardWorld());
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(WaitWizard());
    ASSERT_TRUE(WaitScreen(Screen::Welcome()));
    EXPECT_EQ("Benvenuti nel programma di aggiornamento Tessaro Vers. 0002.",
              PageControl(ui::kWelcomeMarker, ui::kPageText).Text());
    EXPECT_EQ("Aggiornamento del 30/6/2004", Control(ui::kStatusLine).Text());

    ASSERT_TRUE(ClickButton(ui::kNext));
    ASSERT_TRUE(WaitScreen(Screen::List()));
    EXPECT_EQ("Elenco degli Aggiornamenti che verranno installati",
              PageControl(ui::kHeaderTitle, ui::kHeaderTitle).Text());
    EXPECT_EQ("Questo programma installerà i seguenti Aggiornamenti\ndella Tessaro Vers. 0002:",
              PageControl(ui::kTree, ui::kPageText).Text());
    EXPECT_EQ("5.1 [04.06.30]", PageControl(ui::kTree, ui::kNewestStamp).Text());
    EXPECT_EQ("5.0 [04.04.15]", PageControl(ui::kTree, ui::kInstalledStamp).Text());

    // Free text before the first entry is dropped; a "->" line without a
    // stamp is a detail; comments and blank lines never show.
    const std::string expected = "5.0 [04.03.22] del 22/3/2004\n"
                                 "    Correzione del calcolo IVA sulle note di credito\n"
                                 "5.0 [04.04.15] del 15/4/2004\n"
                                 "    Nuovo archivio clienti\n"
                                 "[bold] 5.0 [04.04.16] del 16/4/2004\n"
                                 "    Velocità di stampa migliorata\n"
                                 "    -> vedi sopra\n"
                                 "[bold] 5.1 [04.06.30] del 30/6/2004\n"
                                 "    Scadenzario con promemoria\n";
    const RemoteWindow tree = PageControl(ui::kTree, ui::kTree);
    EXPECT_EQ(expected, DescribeTree(ReadTree(tree)));

    ASSERT_TRUE(ClickButton(ui::kBack));
    ASSERT_TRUE(WaitScreen(Screen::Welcome()));
    EXPECT_EQ("Aggiornamento del 30/6/2004", Control(ui::kStatusLine).Text());

    // Enter on the welcome screen is Next; the list comes back as it was.
    ASSERT_TRUE(PressKey(m_wizard, VK_RETURN));
    ASSERT_TRUE(WaitScreen(Screen::List()));
    EXPECT_EQ(expected, DescribeTree(ReadTree(tree)));
    EXPECT_TRUE(Running());
}

struct StampRow {
    const char* name;
    const char* stampFile;  // null: no stamp file
    bool trailingBackslash; // in the registered folder
    const char* installedText;
    bool bold[4];
};

void PrintTo(const StampRow& row, std::ostream* out) {
    *out << row.name;
}

const StampRow kStamps[] = {
    {"OlderStamp",
     "@versione=5.0  @build=04.04.15",
     false,
     "5.0 [04.04.15]",
     {false, false, true, true}},
    {"EqualKeyIsNotNewer",
     "@versione=5.0  @build=04.04.16",
     false,
     "5.0 [04.04.16]",
     {false, false, false, true}},
    {"FolderWithTrailingBackslash",
     "@versione=5.0  @build=04.04.16",
     true,
     "5.0 [04.04.16]",
     {false, false, false, true}},
    {"CommentsBeforeTheStamp",
     "# installato dal CD\r\n\r\n@build=04.06.30 @versione=5.1\r\n",
     false,
     "5.1 [04.06.30]",
     {false, false, false, false}},
    {"NoStampFile", nullptr, false, "Nessun aggiornamento effettuato", {true, true, true, true}},
    {"StampWithoutBuild",
     "@versione=5.0\r\n",
     false,
     "Nessun aggiornamento effettuato",
     {true, true, true, true}},
};

class InstalledStamp : public WizardTest, public ::testing::WithParamInterface<StampRow> {};

TEST_P(InstalledStamp, MakesTheNewerEntriesBold) {
    const StampRow& row = GetParam();
    ASSERT_NO_FATAL_FAILURE(MakeStandardWorld());
    const std::string stamp = Stamp();
    if (row.stampFile)
        AddInstalledFile("Versione.txt", row.stampFile);
    else
        ASSERT_TRUE(DeleteFileA(stamp.c_str()));
    if (row.trailingBackslash) {
        ASSERT_NO_FATAL_FAILURE(Register(Install() + "\\"));
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(GoToList());
    EXPECT_EQ(row.installedText, PageControl(ui::kTree, ui::kInstalledStamp).Text());
    const std::vector<TreeItem> items = ReadTree(PageControl(ui::kTree, ui::kTree));
    ASSERT_EQ(4u, items.size()) << DescribeTree(items);
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(row.bold[i], items[i].bold) << items[i].text;
        for (const TreeItem& detail : items[i].children)
            EXPECT_FALSE(detail.bold) << detail.text;
    }
}

INSTANTIATE_TEST_SUITE_P(PageFlow, InstalledStamp, ::testing::ValuesIn(kStamps),
                         [](const auto& info) { return std::string(info.param.name); });

enum class Way { EsciButton, EscapeKey, CloseBox };

struct CancelRow {
    const char* name;
    Way way;
};

void PrintTo(const CancelRow& row, std::ostream* out) {
    *out << row.name;
}

const CancelRow kCancels[] = {
    {"EsciButton", Way::EsciButton},
    {"EscapeKey", Way::EscapeKey},
    {"CloseBox", Way::CloseBox},
};

class CancelConfirmation : public WizardTest, public ::testing::WithParamInterface<CancelRow> {
protected:
    void Ask() {
        switch (GetParam().way) {
        case Way::EsciButton:
            ASSERT_TRUE(ClickButton(ui::kCancel));
            break;
        case Way::EscapeKey:
            ASSERT_TRUE(PressKey(m_wizard, VK_ESCAPE));
            break;
        case Way::CloseBox:
            ASSERT_TRUE(m_wizard.Close());
            break;
        }
    }

    MessageBoxView WaitQuestion() {
        const MessageBoxView box = WaitMessageBox();
        EXPECT_TRUE(box) << "no confirmation";
        if (box) {
            EXPECT_EQ(kCaption, box.Caption());
            EXPECT_EQ("Terminare il programma di aggiornamento?", box.Text());
            EXPECT_EQ((std::vector<int>{IDYES, IDNO}), box.Buttons());
        }
        return box;
    }
};

TEST_P(CancelConfirmation, NoKeepsTheScreenYesEnds) {
    ASSERT_NO_FATAL_FAILURE(MakeStandardWorld());
    const std::string stamp = ReadFile(Stamp());
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(WaitWizard());
    ASSERT_TRUE(WaitScreen(Screen::Welcome()));

    Ask();
    MessageBoxView box = WaitQuestion();
    ASSERT_TRUE(box);
    ASSERT_TRUE(box.Answer(IDNO));
    ASSERT_TRUE(WaitFor([&] { return !WaitMessageBox(0); }, kDefaultBoundMs));
    EXPECT_TRUE(WaitScreen(Screen::Welcome()));

    ASSERT_TRUE(ClickButton(ui::kNext));
    ASSERT_TRUE(WaitScreen(Screen::List()));
    Ask();
    box = WaitQuestion();
    ASSERT_TRUE(box);
    ASSERT_TRUE(box.Answer(IDNO));
    ASSERT_TRUE(WaitFor([&] { return !WaitMessageBox(0); }, kDefaultBoundMs));
    EXPECT_TRUE(WaitScreen(Screen::List()));
    EXPECT_TRUE(Running());

    Ask();
    box = WaitQuestion();
    ASSERT_TRUE(box);
    ASSERT_TRUE(box.Answer(IDYES));
    EXPECT_TRUE(WaitExit()) << "Yes did not end the program";
    EXPECT_EQ(stamp, ReadFile(Stamp()));
    EXPECT_EQ(Pattern(5000, 'z'), ReadFile(Install() + "\\Tessaro.exe"));
}

INSTANTIATE_TEST_SUITE_P(PageFlow, CancelConfirmation, ::testing::ValuesIn(kCancels),
                         [](const auto& info) { return std::string(info.param.name); });

// A click beside the items gives the tree the focus without selecting or
// dragging anything.
bool FocusTree(const RemoteWindow& tree) {
    RECT client{};
    if (!GetClientRect(tree.Handle(), &client))
        return false;
    const LPARAM point = MAKELPARAM(client.right - 4, 4);
    tree.Post(WM_LBUTTONDOWN, MK_LBUTTON, point);
    tree.Post(WM_LBUTTONUP, 0, point);
    return WaitFor([&] { return FocusedWindow(tree).Handle() == tree.Handle(); }, kDefaultBoundMs);
}

TEST_F(PageFlow, KeysInTheTreeNeitherInstallNorLeaveTheList) {
    ASSERT_NO_FATAL_FAILURE(MakeStandardWorld());
    const std::string stamp = ReadFile(Stamp());
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(GoToList());
    const RemoteWindow tree = PageControl(ui::kTree, ui::kTree);
    ASSERT_TRUE(FocusTree(tree)) << "the tree did not take the focus";

    ASSERT_TRUE(PressKey(m_wizard, VK_RETURN));
    EXPECT_TRUE(NoMessageBoxWithin(500));
    EXPECT_TRUE(WaitScreen(Screen::List(), 0)) << "Enter in the tree";
    EXPECT_EQ(stamp, ReadFile(Stamp()));
    EXPECT_EQ(Pattern(5000, 'z'), ReadFile(Install() + "\\Tessaro.exe"));

    ASSERT_TRUE(FocusTree(tree));
    ASSERT_TRUE(PressKey(m_wizard, VK_ESCAPE));
    const MessageBoxView box = WaitMessageBox();
    ASSERT_TRUE(box) << "Escape in the tree asked nothing";
    EXPECT_EQ("Terminare il programma di aggiornamento?", box.Text());
    ASSERT_TRUE(box.Answer(IDNO));
    ASSERT_TRUE(WaitFor([&] { return !WaitMessageBox(0); }, kDefaultBoundMs));
    EXPECT_TRUE(WaitScreen(Screen::List()));
    EXPECT_TRUE(Running());
}

} // namespace
