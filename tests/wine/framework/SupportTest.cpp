#include "FrameworkTestIds.h"
#include "WineTestSupport.h"
#include "framework/Framework.h"
#include <gtest/gtest.h>

namespace {

TEST(MessageBoxAnswerer, RecordsEachBoxAndClicksTheQueuedAnswer) {
    CDialog owner(IDD_T_MODAL);
    ASSERT_TRUE(owner.Create(IDD_T_MODAL, nullptr));
    MessageBoxAnswerer answerer;
    answerer.Queue(IDNO);
    answerer.Queue(IDRETRY);
    EXPECT_EQ(owner.MessageBox("Terminare?", "Titolo", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(::MessageBoxA(owner.m_hWnd, "Impossibile accedere a: x", "Errore",
                            MB_ICONERROR | MB_ABORTRETRYIGNORE),
              IDRETRY);
    // Nothing queued: ended with a button that closes it, counted.
    EXPECT_EQ(::MessageBoxA(owner.m_hWnd, "Nessuna", "Titolo", MB_ICONERROR), IDOK);

    ASSERT_EQ(answerer.Boxes().size(), 3u);
    const MessageBoxRecord& question = answerer.Boxes()[0];
    EXPECT_EQ(question.owner, owner.m_hWnd);
    EXPECT_EQ(question.caption, "Titolo");
    EXPECT_EQ(question.text, "Terminare?");
    EXPECT_EQ(question.buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(question.icon, UINT(MB_ICONQUESTION));
    const MessageBoxRecord& error = answerer.Boxes()[1];
    EXPECT_EQ(error.buttons, (std::vector<int>{IDABORT, IDRETRY, IDIGNORE}));
    EXPECT_EQ(error.defaultButton, IDABORT);
    EXPECT_EQ(error.icon, UINT(MB_ICONERROR));
    EXPECT_EQ(answerer.Boxes()[2].answer, IDOK);
    EXPECT_EQ(answerer.Unexpected(), 1);
}

TEST(ControlProbe, ReadsTextFontAndRealFace) {
    CDialog dlg(IDD_T_MODAL);
    ASSERT_TRUE(dlg.Create(IDD_T_MODAL, nullptr));
    HWND text = ::GetDlgItem(dlg.m_hWnd, IDC_T_TEXT);
    EXPECT_EQ(ControlText(text), "text");
    EXPECT_EQ(DlgItemText(dlg.m_hWnd, IDC_T_NEXT), "Next");
    LOGFONTA font;
    ASSERT_TRUE(ControlFont(text, font));
    EXPECT_STREQ(font.lfFaceName, "Tahoma");
    EXPECT_EQ(RealFaceName(text), "Tahoma");
}

} // namespace
