// The log as support reads it: one line per event, bounded, kept from run to run.
#include "UpdateLog.h"
#include "UnixLink.h"
#include "WineTestSupport.h"
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The lines of a log without their "hh:mm:ss.mmm " time.
std::vector<std::string> LogLines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream in(ReadBytes(path));
    std::string line;
    while (std::getline(in, line)) {
        EXPECT_TRUE(!line.empty() && line.back() == '\r') << "no CR LF: " << line;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        EXPECT_GT(line.size(), 13u) << line;
        EXPECT_EQ(':', line.size() > 2 ? line[2] : 0) << "no time: " << line;
        lines.push_back(line.size() > 13 ? line.substr(13) : line);
    }
    return lines;
}

class UpdateLogTest : public ::testing::Test {
protected:
    TempFolder m_root{"tessaro-log"};
    std::string Path() const { return m_root.Sub("kvelmora.log"); }
};

TEST_F(UpdateLogTest, TellsTheWholeRunOneLineEach) {
    StartupFacts facts;
    lstrcpyA(facts.installFolder, "C:\\Programmi\\Tessaro");
    facts.installed = {50, 40415, MakeStampKey(50, 40415)};
    facts.newest = {51, 40630, MakeStampKey(51, 40630)};
    facts.totalSize = 9600242;
    facts.sizeFromFile = true;
    {
        CUpdateLog log;
        ASSERT_TRUE(log.Open(Path().c_str()));
        log.FactsFrom(&facts, "D:\\r2718upd.dat");
        log.Started("\"D:\\kvelmora.exe\" /quiet", RunMode::Quiet);
        log.CopyStarted();
        log.FileStarted("C:\\Programmi\\Tessaro\\a.dll");
        log.TotalChanged(100);
        log.FileCopied("C:\\Programmi\\Tessaro\\a.dll", 4096);
        log.RetriedQuietly("C:\\Programmi\\Tessaro\\b.dll", ERROR_SHARING_VIOLATION, 2000, false);
        for (int i = 0; i < 5; ++i)
            log.Answered("C:\\Programmi\\Tessaro\\b.dll", ERROR_SHARING_VIOLATION, IDRETRY, true);
        log.Answered("C:\\Programmi\\Tessaro\\b.dll", ERROR_SHARING_VIOLATION, IDABORT, true);
        log.RetriedQuietly("C:\\Programmi\\Tessaro\\c.dll", 0, 700, true);
        log.Answered("C:\\Programmi\\Tessaro\\d.dll", ERROR_ACCESS_DENIED, IDIGNORE, false);
        log.FileDamaged("D:\\r2718upd.dat\\InstDir\\e.dll", "ab12", "cd34");
        log.Answered("D:\\r2718upd.dat\\InstDir\\e.dll", ERROR_FILE_CORRUPT, IDABORT, true);
        log.CopyEnded(0);
        RunSummary run;
        run.installStarted = true;
        run.outcome = InstallOutcome::Failed;
        log.Ended(run, 1603);
        EXPECT_FALSE(log.WriteFailed());
    }
    const std::vector<std::string> lines = LogLines(Path());
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(0u, lines[0].find("kvelmora 1.4 (build ")) << lines[0];
    EXPECT_EQ(0u, lines[1].find("Avvio: ")) << lines[1];
    const std::vector<std::string> expected = {
        "Riga di comando: \"D:\\kvelmora.exe\" /quiet",
        "Modalit\xE0: senza domande, senza finestre (/quiet)",
        "Cartella di installazione: C:\\Programmi\\Tessaro",
        "Aggiornamento installato: 5.0 [04.04.15] del 15/4/2004",
        "Pacchetto: D:\\r2718upd.dat",
        "File del pacchetto non verificati: il pacchetto non ha SHA256SUMS",
        "Aggiornamento pi\xF9 recente del pacchetto: 5.1 [04.06.30] del 30/6/2004",
        "Dimensione del pacchetto: 9600242 byte (da sizeofupds.txt)",
        "Copia dei file iniziata",
        "Copiato: C:\\Programmi\\Tessaro\\a.dll (4096 byte)",
        "Riprovato senza chiedere per 2000 ms: C:\\Programmi\\Tessaro\\b.dll (errore 32): ancora "
        "in uso",
        "Domanda: impossibile accedere a C:\\Programmi\\Tessaro\\b.dll (errore 32); risposta "
        "automatica: Riprova",
        "  stessa risposta automatica altre 4 volte",
        "Domanda: impossibile accedere a C:\\Programmi\\Tessaro\\b.dll (errore 32); risposta "
        "automatica: Interrompi",
        "Riprovato senza chiedere per 700 ms: C:\\Programmi\\Tessaro\\c.dll: riuscito",
        "Domanda: impossibile accedere a C:\\Programmi\\Tessaro\\d.dll (errore 5); risposta "
        "dell'utente: Ignora",
        "File danneggiato: D:\\r2718upd.dat\\InstDir\\e.dll: SHA-256 atteso ab12, letto cd34",
        "Domanda: file danneggiato D:\\r2718upd.dat\\InstDir\\e.dll (errore 1392); risposta "
        "automatica: Interrompi",
        "Copia dei file interrotta",
        "Esito: non riuscito, installazione lasciata com'era",
        "Codice di uscita: 1603",
    };
    const std::vector<std::string> rest(lines.begin() + 2, lines.end());
    EXPECT_EQ(expected, rest);
}

// Runs that stop before the copy: the facts known so far, then why.
TEST_F(UpdateLogTest, StartupStopsSayWhatWasKnown) {
    const struct {
        const char* name;
        StartupResult result;
        bool installStarted;
        int code;
        std::vector<std::string> tail;
    } rows[] = {
        {"NotInstalled",
         StartupResult::NotInstalled,
         false,
         1605,
         {"Avvio interrotto: Programma Tessaro non risulta essere installato su questo computer.",
          "Codice di uscita: 1605"}},
        {"NoList",
         StartupResult::NoList,
         false,
         1619,
         {"Cartella di installazione: C:\\T", "Aggiornamento installato: nessuno", "Pacchetto: P",
          "File del pacchetto non verificati: il pacchetto non ha SHA256SUMS",
          "Avvio interrotto: Nessuna informazione di aggiornamento.", "Codice di uscita: 1619"}},
        {"DamagedPackage",
         StartupResult::DamagedPackage,
         false,
         1620,
         {"Pacchetto: P", "Pacchetto danneggiato: r2718upd.txt: SHA-256 ab, atteso cd",
          "Avvio interrotto: il pacchetto di aggiornamento \xE8 danneggiato",
          "Codice di uscita: 1620"}},
        {"OlderPackage",
         StartupResult::OlderPackage,
         false,
         1638,
         {"Cartella di installazione: C:\\T", "Aggiornamento installato: nessuno", "Pacchetto: P",
          "File del pacchetto non verificati: il pacchetto non ha SHA256SUMS",
          "Aggiornamento pi\xF9 recente del pacchetto: nessuno",
          "Dimensione del pacchetto: 7 byte (calcolata dai file)",
          "Avvio interrotto: Il pacchetto \xE8 pi\xF9 vecchio dell'aggiornamento installato: non "
          "installato.",
          "Codice di uscita: 1638"}},
        {"ClosedBeforeInstalla",
         StartupResult::Ready,
         false,
         1602,
         {"Aggiornamento pi\xF9 recente del pacchetto: nessuno",
          "Dimensione del pacchetto: 7 byte (calcolata dai file)",
          "Esito: annullato dall'utente prima dell'installazione", "Codice di uscita: 1602"}},
    };
    for (const auto& row : rows) {
        StartupFacts facts;
        lstrcpyA(facts.installFolder, "C:\\T");
        facts.totalSize = 7;
        if (row.result == StartupResult::DamagedPackage) {
            facts.verification.state = PackageCheck::Damaged;
            facts.verification.damagedName = "r2718upd.txt";
            facts.verification.reason = "SHA-256 ab, atteso cd";
        }
        {
            CUpdateLog log;
            ASSERT_TRUE(log.Open(Path().c_str())) << row.name;
            log.FactsFrom(&facts, "P");
            RunSummary run;
            run.startup = row.result;
            run.installStarted = row.installStarted;
            log.Ended(run, row.code);
        }
        const std::vector<std::string> lines = LogLines(Path());
        ASSERT_GE(lines.size(), row.tail.size()) << row.name;
        EXPECT_EQ(row.tail, std::vector<std::string>(lines.end() - row.tail.size(), lines.end()))
            << row.name;
    }
}

TEST_F(UpdateLogTest, CutsLongLinesAndKeepsThePreviousLog) {
    const std::string previous = m_root.Sub("kvelmora.old.log");
    ASSERT_TRUE(WriteBytes(Path(), "la volta prima\r\n"));
    {
        CUpdateLog log;
        ASSERT_TRUE(log.Open(Path().c_str(), previous.c_str()));
        log.FileCopied(std::string(5000, 'x').c_str(), 1);
        log.Line("%s", std::string(3000, 'y').c_str());
    }
    EXPECT_EQ("la volta prima\r\n", ReadBytes(previous));
    const std::string bytes = ReadBytes(Path());
    const std::vector<std::string> lines = LogLines(Path());
    ASSERT_EQ(2u, lines.size()) << bytes.substr(0, 200);
    for (const std::string& line : lines) {
        EXPECT_EQ(CUpdateLog::kLineSize - 2 - 13, line.size());
        EXPECT_EQ("...", line.substr(line.size() - 3));
    }
}

// Support may lack the log; the update must not lack anything for it.
TEST_F(UpdateLogTest, ALogThatCannotBeOpenedChangesNothing) {
    CUpdateLog log;
    EXPECT_FALSE(log.Open(m_root.Sub("manca\\kvelmora.log").c_str()));
    log.Started("x", RunMode::Passive);
    log.FileCopied("C:\\a", 1);
    log.Ended(RunSummary{}, 1602);
    EXPECT_FALSE(log.IsOpen());
    EXPECT_FALSE(Exists(m_root.Sub("manca")));
}

// The log's folder may be one ordinary users write to: a link left at the
// log's name or at its old copy's never has the log written, moved or
// deleted through it. What it points to keeps its bytes and attributes and
// stays where it is; the new log is a file of its own.
TEST_F(UpdateLogTest, ALinkAtTheLogsNamesNeverReachesWhatItPointsTo) {
    const std::string previous = m_root.Sub("kvelmora.old.log");
    const std::string outside = m_root.Sub("outside.txt");
    struct Row {
        const char* name;
        std::string link;
        bool hard;
    };
    const Row rows[] = {
        {"the log, symbolic", Path(), false},
        {"the log, hard link", Path(), true},
        {"the old copy, symbolic", previous, false},
        {"the old copy, hard link", previous, true},
    };
    for (const Row& row : rows) {
        SetFileAttributesA(outside.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(WriteBytes(outside, "someone else's")) << row.name;
        ASSERT_TRUE(SetFileAttributesA(outside.c_str(), FILE_ATTRIBUTE_READONLY)) << row.name;
        const DWORD attributes = GetFileAttributesA(outside.c_str());
        if (row.link == previous) {
            ASSERT_TRUE(WriteBytes(Path(), "la volta prima\r\n")) << row.name;
        }
        ASSERT_TRUE(row.hard ? MakeUnixHardLink(outside, row.link)
                             : MakeUnixFileLink(outside, row.link))
            << row.name;
        {
            CUpdateLog log;
            EXPECT_TRUE(log.Open(Path().c_str(), previous.c_str())) << row.name;
            log.Line("%s", "una riga");
        }
        EXPECT_EQ("someone else's", ReadBytes(outside)) << row.name;
        EXPECT_EQ(attributes, GetFileAttributesA(outside.c_str())) << row.name;
        const std::vector<std::string> lines = LogLines(Path());
        EXPECT_EQ(std::vector<std::string>{"una riga"}, lines) << row.name;
        if (row.link == previous) {
            EXPECT_EQ("la volta prima\r\n", ReadBytes(previous)) << row.name;
        }
        // Only names go; a host link to a file is removed as a name by rm.
        RemoveUnixLink(Path());
        RemoveUnixLink(previous);
    }
}

} // namespace
