#include "ShotWizard.h"
#include "DiskWrite.h"
#include "framework/WinApp.h"
#include "resource.h"
#include <cstdio>

namespace {

enum : UINT_PTR { kPainted = 1, kWatchReadyFile = 2, kGiveUp = 3 };

// Wine hands a window's pixels to the X server a moment after they are
// painted; the picture is taken only after that.
constexpr UINT kSettleMilliseconds = 500;
constexpr UINT kGiveUpMilliseconds = 30000;

struct SampleEntry {
    const char* text;
    bool newer;
    const char* details[3];
};

// A package of three updates of which the last is not installed yet.
const SampleEntry kSampleList[] = {
    {"5.0 [04.03.29] del 29/3/2004",
     false,
     {"Nuova gestione dei listini di vendita", "Correzione nella stampa delle fatture", nullptr}},
    {"5.0 [04.04.15] del 15/4/2004",
     false,
     {"Esportazione dei movimenti in formato testo", nullptr, nullptr}},
    {"5.0 [04.04.16] del 16/4/2004",
     true,
     {"Calcolo delle scadenze di fine mese", "Archivio clienti: ricerca per codice fiscale",
      "Correzioni minori"}},
};

} // namespace

CShotWizard::CShotWizard(Screen screen, std::string readyFile)
    : CDialog(IDD_WIZARD), m_screen(screen), m_readyFile(std::move(readyFile)) {
    m_icon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDI_PROGRAM));
}

CShotWizard::~CShotWizard() = default;

const MessageMap* CShotWizard::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapTimer<&CShotWizard::OnTimer>(),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries};
    return &map;
}

BOOL CShotWizard::OnInitDialog() {
    SetWindowText("Aggiornamento Tessaro Vers. 0002");
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    SetDlgItemText(IDC_STATUS_LINE, "Aggiornamento del 16/4/2004");
    switch (m_screen) {
    case Screen::Welcome:
        ShowWelcome();
        break;
    case Screen::List:
        ShowList();
        break;
    case Screen::Progress:
        ShowProgress();
        break;
    case Screen::FinishCorrect:
        ShowFinish(0);
        break;
    case Screen::FinishErrors:
        ShowFinish(1);
        break;
    }
    SetTimer(kPainted, kSettleMilliseconds);
    SetTimer(kGiveUp, kGiveUpMilliseconds);
    return TRUE;
}

void CShotWizard::ShowWelcome() {
    m_welcome = std::make_unique<CWelcomePage>(this);
    if (!m_welcome->Create(CWelcomePage::IDD, this))
        return;
    m_welcome->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    SetButtons(false, "Avanti>", "Esci", true);
}

int CShotWizard::BandHeight() const {
    RECT band;
    m_header->GetWindowRect(&band);
    return band.bottom - band.top + 1;
}

void CShotWizard::ShowList() {
    m_header = std::make_unique<CHeaderPage>(this);
    m_list = std::make_unique<CUpdateListPage>(this);
    if (!m_header->Create(CHeaderPage::IDD, this) || !m_list->Create(CUpdateListPage::IDD, this))
        return;
    m_header->SetDlgItemText(IDC_HEADER_TITLE,
                             "Elenco degli Aggiornamenti che verranno installati");
    m_header->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    m_list->SetWindowPos(nullptr, 0, BandHeight(), 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);

    CTreeCtrl& tree = m_list->m_tree;
    HTREEITEM first = nullptr, last = nullptr;
    for (const SampleEntry& entry : kSampleList) {
        const UINT state = INDEXTOSTATEIMAGEMASK(2) | (entry.newer ? TVIS_BOLD : 0);
        last = tree.InsertItem(entry.text, state, TVIS_BOLD | TVIS_STATEIMAGEMASK, TVI_ROOT,
                               TVI_LAST);
        if (!first)
            first = last;
        for (const char* detail : entry.details) {
            if (detail)
                tree.InsertItem(detail, last);
        }
    }
    // As after a click on the newest entry's button.
    tree.SendMessage(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(last));
    tree.EnsureVisible(first);
    m_list->SetDlgItemText(IDC_NEWEST_STAMP, "5.0 [04.04.16]");
    m_list->SetDlgItemText(IDC_INSTALLED_STAMP, "5.0 [04.04.15]");
    SetButtons(true, "Installa", "Esci", false);
}

void CShotWizard::ShowProgress() {
    m_header = std::make_unique<CHeaderPage>(this);
    m_progress = std::make_unique<CProgressPage>(this);
    if (!m_header->Create(CHeaderPage::IDD, this) || !m_progress->Create(CProgressPage::IDD, this))
        return;
    m_header->SetDlgItemText(IDC_HEADER_TITLE, "Installazione Aggiornamenti in corso");
    m_header->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    m_progress->SetWindowPos(nullptr, 0, BandHeight(), 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    m_progress->m_statusText.SetWindowText(
        "Copia in C:\\Programmi\\Vantrel\\Tessaro\\Archivi\\listini.dat");
    m_progress->m_progressBar.SetRange32(0, 6000000);
    m_progress->m_progressBar.SetPos(3900000);
    SetButtons(false, nullptr, "Esci", true);
    if (CWnd* cancel = GetDlgItem(IDCANCEL))
        cancel->EnableWindow(FALSE);
}

void CShotWizard::ShowFinish(int errors) {
    m_finish = std::make_unique<CFinishPage>();
    if (!m_finish->Create(CFinishPage::IDD, this))
        return;
    m_finish->SetResult(errors);
    m_finish->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    SetButtons(false, nullptr, "Fine", true);
}

// `next` null hides the Next button.
void CShotWizard::SetButtons(bool back, const char* next, const char* cancel, bool statusLine) {
    if (CWnd* button = GetDlgItem(IDC_BACK))
        button->ShowWindow(back ? SW_SHOW : SW_HIDE);
    if (CWnd* button = GetDlgItem(IDC_NEXT)) {
        button->ShowWindow(next ? SW_SHOW : SW_HIDE);
        if (next)
            button->SetWindowText(next);
    }
    if (CWnd* button = GetDlgItem(IDCANCEL))
        button->SetWindowText(cancel);
    if (CWnd* line = GetDlgItem(IDC_STATUS_LINE))
        line->ShowWindow(statusLine ? SW_SHOW : SW_HIDE);
}

bool CShotWizard::WriteReadyFile() const {
    RECT rect;
    GetWindowRect(&rect);
    std::FILE* file = std::fopen(m_readyFile.c_str(), "w");
    if (!file)
        return false;
    // The script waits for this file and reads it once it exists: only a
    // file known to hold the whole line counts as written.
    const bool written = std::fprintf(file, "%ld %ld %ld %ld\n", rect.left, rect.top,
                                      rect.right - rect.left, rect.bottom - rect.top) > 0 &&
                         FlushToDisk(file);
    return std::fclose(file) == 0 && written;
}

void CShotWizard::OnTimer(UINT_PTR id) {
    switch (id) {
    case kPainted:
        KillTimer(kPainted);
        if (!WriteReadyFile()) {
            EndDialog(2);
            return;
        }
        SetTimer(kWatchReadyFile, 50);
        break;
    case kWatchReadyFile:
        if (::GetFileAttributesA(m_readyFile.c_str()) == INVALID_FILE_ATTRIBUTES)
            EndDialog(0);
        break;
    case kGiveUp:
        EndDialog(1);
        break;
    default:
        break;
    }
}
