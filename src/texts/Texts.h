#pragma once
// Every text the program shows or writes to its log, in one place, so that a
// wording is changed once and a translator finds them all. Sources are UTF-8;
// the Windows builds turn them into code page 1252. The dialog templates
// carry the texts of the screens themselves (src/res).
//
// Formats hold their printf conversions; the caller's arguments are checked
// against them by the compiler.
#include "data/PackageLayout.h"
#include <cstddef>
#include <cstdio>

namespace texts {

// The wizard's title, and the title of every message box but the copier's:
// with the product version code, "Aggiornamento Tessaro Vers. 0002".
inline constexpr char kCaptionFormat[] = "Aggiornamento Tessaro Vers. %s";

inline void FormatCaption(char* buffer, std::size_t size) {
    std::snprintf(buffer, size, kCaptionFormat, kProductVersionCode);
}

// --- The command line -----------------------------------------------------

// Shown by /? and under a bad argument.
inline constexpr char kUsage[] =
    "Uso: kvelmora.exe [/passive | /quiet] [/log FILE]\n"
    "\n"
    "Senza opzioni: la procedura guidata di aggiornamento.\n"
    "/passive\tinstalla subito, senza domande, mostrando l'avanzamento; si chiude da solo.\n"
    "/quiet\tinstalla senza domande e senza finestre.\n"
    "/log FILE\tscrive il registro in FILE (anche /log:FILE); senza, in "
    "%TEMP%\\kvelmora.log.\n"
    "/? o /help\tmostra questo messaggio.\n"
    "\n"
    "Codici di uscita: 0 installato o niente da installare, 1602 annullato dall'utente, "
    "1603 installazione non riuscita, 1605 Tessaro non installato, 1618 programma già in "
    "esecuzione, 1619 pacchetto illeggibile, 1620 pacchetto danneggiato, 1638 pacchetto più "
    "vecchio dell'installazione, "
    "87 riga di comando errata.";
// Before the argument not understood, then the usage.
inline constexpr char kBadArgument[] = "Argomento non valido: ";

// --- Why the update cannot start ------------------------------------------

// A second copy of the program, while one runs.
inline constexpr char kAlreadyRunning[] = "Il programma di aggiornamento è già in esecuzione.";
// The wizard's window could not be made.
inline constexpr char kCannotStart[] = "Impossibile avviare il programma di aggiornamento.";
inline constexpr char kNotInstalled[] =
    "Programma Tessaro non risulta essere installato su questo computer.";
inline constexpr char kNoUpdateInformation[] = "Nessuna informazione di aggiornamento.";
inline constexpr char kNothingToInstall[] = "Nessun Aggiornamento da installare.";
// The package's checksum file, list or size file is not as the vendor built
// it: the box names the file; the log's words come without it.
inline constexpr char kDamagedPackageFormat[] =
    "Il pacchetto di aggiornamento è danneggiato: %s. Si prega di contattare il Vs. Fornitore.";
inline constexpr char kDamagedPackage[] = "il pacchetto di aggiornamento è danneggiato";
// Unattended only: never in a box, only in the log.
inline constexpr char kOlderPackage[] =
    "Il pacchetto è più vecchio dell'aggiornamento installato: non installato.";

// What the start found of an earlier update that was interrupted.
inline constexpr char kRecovered[] = "Un aggiornamento precedente non è stato completato: tutte le "
                                     "modifiche sono state annullate.";
inline constexpr char kNotAllRecovered[] =
    "Un aggiornamento precedente non è stato completato e alcuni file non sono stati "
    "ripristinati perché in uso: chiudere i programmi che usano Tessaro e avviare di nuovo il "
    "programma di aggiornamento.";
inline constexpr char kRecoveryRefused[] =
    "Un aggiornamento precedente non è stato completato, ma i dati per annullarlo non "
    "appartengono a questa installazione o sono danneggiati: nessun file è stato modificato. "
    "Si prega di contattare il Vs. Fornitore.";

// Why "Installa" did not start the run: nothing has changed. The sizes are
// whole MB, the need rounded up.
inline constexpr char kNotEnoughSpaceFormat[] =
    "Spazio su disco insufficiente per l'aggiornamento: servono %lld MB, disponibili %lld MB.";
inline constexpr char kCannotPrepare[] =
    "Impossibile preparare l'aggiornamento: nessun file è stato modificato.";

// --- The copy's questions -------------------------------------------------

// The box that asks Abort, Retry or Ignore about one path.
inline constexpr char kCopyQuestionCaption[] = "Errore";
// Before the path.
inline constexpr char kCannotOpen[] = "Impossibile accedere a: ";
inline constexpr char kDamagedFile[] = "File danneggiato: ";

// --- The package's checksum file ------------------------------------------

// Why a file of the package is not as its checksum file says.
inline constexpr char kNotListedIn[] = "non elencato in %s"; // the checksum file
inline constexpr char kListedButMissing[] = "elencato in %s ma mancante";
inline constexpr char kDoesNotList[] = "non elenca %s";           // the list file
inline constexpr char kDigestDiffers[] = "SHA-256 %s, atteso %s"; // read, expected
// What is wrong with the checksum file itself.
inline constexpr char kChecksumNoProblem[] = "nessun problema";
inline constexpr char kUnreadable[] = "non leggibile";
inline constexpr char kChecksumTooLarge[] = "troppo grande";
inline constexpr char kChecksumBadLine[] = "riga non nella forma \"hash  percorso\"";
inline constexpr char kChecksumBadPath[] = "percorso non ammesso";
inline constexpr char kChecksumNotCp1252[] = "nome non rappresentabile nella codifica di Windows";
inline constexpr char kChecksumOutside[] = "file fuori dal pacchetto";
inline constexpr char kChecksumTwice[] = "file elencato due volte";
// After the problem, where the file says it.
inline constexpr char kAtLine[] = " alla riga ";
// In the log's line about a damaged file, in place of a digest.
inline constexpr char kDigestUnlisted[] = "(non elencato in SHA256SUMS)";
inline constexpr char kDigestAbsent[] = "(file mancante)";
inline constexpr char kDigestNotComputed[] = "(SHA-256 non calcolabile)";
inline constexpr char kDigestNotRead[] = "(non letto)";

// --- The wizard's screens -------------------------------------------------

inline constexpr char kConfirmCancel[] = "Terminare il programma di aggiornamento?";
// The list page, when the installation has no stamp.
inline constexpr char kNoUpdateInstalled[] = "Nessun aggiornamento effettuato";
// Before the date form of the newest stamp (" del 16/4/2004").
inline constexpr char kStatusLinePrefix[] = "Aggiornamento";
inline constexpr char kComputingSpace[] = "Calcolo spazio necessario...";
// The header band's titles.
inline constexpr char kListTitle[] = "Elenco degli Aggiornamenti che verranno installati";
inline constexpr char kInstallingTitle[] = "Installazione Aggiornamenti in corso";
// The buttons.
inline constexpr char kNextText[] = "Avanti>";
inline constexpr char kInstallText[] = "Installa";
inline constexpr char kFinishText[] = "Fine";
// The progress screen's status line, before each file's destination.
inline constexpr char kCopyingInto[] = "Copia in ";

// The result page: the endings of its title, after the product version code.
inline constexpr char kEndedWell[] = " in modo corretto.";
inline constexpr char kEndedWithErrors[] = " con errori.";
// Its second text after errors: what became of the changes, then the advice.
inline constexpr char kAllUndone[] = "Tutte le modifiche sono state annullate.\n";
inline constexpr char kNotAllUndone[] =
    "Alcuni file non sono stati ripristinati: avviare di nuovo il programma di aggiornamento.\n";
inline constexpr char kErrorAdvice[] = "Si prega di contattare il Vs. Fornitore.\n\n"
                                       "Premere fine per terminare il programma.";

// --- The administrator's log ----------------------------------------------

inline constexpr char kLogProgram[] = "kvelmora %s (build %s), aggiornamento Tessaro Vers. %s";
inline constexpr char kLogStart[] = "Avvio: %02u/%02u/%04u %02u:%02u:%02u";
inline constexpr char kLogCommandLine[] = "Riga di comando: %s";
inline constexpr char kLogMode[] = "Modalità: %s";
inline constexpr char kLogModeInteractive[] = "interattiva";
inline constexpr char kLogModePassive[] = "senza domande, con finestra (/passive)";
inline constexpr char kLogModeQuiet[] = "senza domande, senza finestre (/quiet)";

inline constexpr char kLogInterrupted[] = "Aggiornamento precedente interrotto: %s";
inline constexpr char kLogInstallFolder[] = "Cartella di installazione: %s";
inline constexpr char kLogInstalled[] = "Aggiornamento installato: %s";
inline constexpr char kLogPackage[] = "Pacchetto: %s";
inline constexpr char kLogNewest[] = "Aggiornamento più recente del pacchetto: %s";
// The package against its checksum file (named by %s).
inline constexpr char kLogNotVerified[] =
    "File del pacchetto non verificati: il pacchetto non ha %s";
inline constexpr char kLogVerified[] = "File del pacchetto verificati con %s (%u file elencati)";
// The file, then why.
inline constexpr char kLogPackageDamaged[] = "Pacchetto danneggiato: %s: %s";
inline constexpr char kLogPackageSize[] = "Dimensione del pacchetto: %lld byte (%s)";
inline constexpr char kLogSizeFromFile[] = "da sizeofupds.txt";
inline constexpr char kLogSizeComputed[] = "calcolata dai file";
// A stamp that is not there.
inline constexpr char kLogNone[] = "nessuno";

// What the start found of an interrupted update.
inline constexpr char kLogRecoveryNone[] = "nessuno";
inline constexpr char kLogRecoveryRolledBack[] = "tutte le modifiche sono state annullate";
inline constexpr char kLogRecoveryCompleted[] = "era già completo: rimossi i dati di ripristino";
inline constexpr char kLogRecoveryNotAll[] =
    "alcuni file non sono stati ripristinati (in uso, o dati di ripristino incompleti)";
inline constexpr char kLogRecoveryRefused[] =
    "dati di ripristino di un'altra cartella o danneggiati: nulla modificato";
inline constexpr char kLogRecoveryBusy[] = "un'altra copia del programma lo sta eseguendo";

// How the start ended (the refusals are those above).
inline constexpr char kLogReady[] = "pronto";
inline constexpr char kLogCannotFinishInterrupted[] =
    "un aggiornamento precedente interrotto non può essere completato";

inline constexpr char kLogNotStarted[] = "Installazione non avviata: %s";
inline constexpr char kLogNoRoom[] =
    "Installazione non avviata: spazio insufficiente (%lld byte necessari, %lld disponibili)";

inline constexpr char kLogCannotPrepare[] =
    "Installazione non avviata: impossibile preparare i dati di ripristino in %s\\~kvu (%s, "
    "errore %lu)";
// Why the safety net's folder could not be made.
inline constexpr char kSetupFileInTheWay[] = "al suo posto c'è un file";
inline constexpr char kSetupLinkInTheWay[] = "al suo posto c'è un collegamento";
inline constexpr char kSetupEarlierData[] = "contiene i dati di un aggiornamento precedente";
inline constexpr char kSetupPathTooLong[] = "percorso troppo lungo";
inline constexpr char kSetupAccessDenied[] = "accesso negato";
inline constexpr char kSetupDiskFull[] = "disco pieno";
inline constexpr char kSetupSystemError[] = "errore di sistema";
// The run failed at its end: the stamp, then the error.
inline constexpr char kLogStampNotWritten[] =
    "Impossibile completare l'aggiornamento: %s non scritto (errore %lu)";

inline constexpr char kLogCopyStarted[] = "Copia dei file iniziata";
inline constexpr char kLogCopied[] = "Copiato: %s (%lld byte)";
inline constexpr char kLogRetriedWell[] = "Riprovato senza chiedere per %lu ms: %s: riuscito";
inline constexpr char kLogRetriedStillHeld[] =
    "Riprovato senza chiedere per %lu ms: %s (errore %lu): ancora in uso";
// What was wrong, path, error, who answered, the answer.
inline constexpr char kLogAnswered[] = "Domanda: %s %s (errore %lu); risposta %s: %s";
inline constexpr char kLogCannotOpen[] = "impossibile accedere a";
inline constexpr char kLogDamagedFile[] = "file danneggiato";
// A package file against its checksum: path, the digest expected, the one read.
inline constexpr char kLogFileDamaged[] = "File danneggiato: %s: SHA-256 atteso %s, letto %s";
inline constexpr char kLogByRule[] = "automatica";
inline constexpr char kLogByUser[] = "dell'utente";
inline constexpr char kLogRetry[] = "Riprova";
inline constexpr char kLogIgnore[] = "Ignora";
inline constexpr char kLogAbort[] = "Interrompi";
inline constexpr char kLogSameAnswer[] = "  stessa risposta automatica altre %lu volte";
inline constexpr char kLogCopyEnded[] = "Copia dei file %s";
inline constexpr char kLogCopyFinished[] = "terminata";
inline constexpr char kLogCopyStopped[] = "interrotta";

inline constexpr char kLogStartStopped[] = "Avvio interrotto: %s";
inline constexpr char kLogOutcome[] = "Esito: %s%s";
inline constexpr char kLogInstalledWell[] = "installato";
inline constexpr char kLogFailed[] = "non riuscito, installazione lasciata com'era";
inline constexpr char kLogNotAllRestored[] = "non riuscito, alcuni file non ancora ripristinati";
inline constexpr char kLogRunNotStarted[] = "non avviato";
inline constexpr char kLogByCancel[] = " (annullato dall'utente)";
inline constexpr char kLogCancelledBeforeInstall[] =
    "Esito: annullato dall'utente prima dell'installazione";
inline constexpr char kLogExitCode[] = "Codice di uscita: %d";

} // namespace texts
