#pragma once
// Who decides when the copy cannot use a path: the person at the screen, or a
// rule when the update runs unattended. The copier only ever asks through
// this interface; it never shows a box itself.
#include <windows.h>

class ICopyQuestions {
public:
    virtual ~ICopyQuestions() = default;
    // `path` cannot be used; `error` is the system's reason (GetLastError of
    // the failed call, or ERROR_FILENAME_EXCED_RANGE / ERROR_CANT_ACCESS_FILE
    // for paths the copier refuses itself, ERROR_FILE_CORRUPT for a package
    // file that differs from the package's checksum file, is not listed in it
    // or is listed but missing). Returns IDABORT, IDRETRY or
    // IDIGNORE; anything else counts as IDABORT.
    virtual int AskAbout(const char* path, DWORD error) = 0;
    // True when the answers come from a rule, not from a person (the log
    // says who answered).
    virtual bool IsAutomatic() const = 0;
};

// The person: a modal box owned by `owner`, titled "Errore", with the error
// icon and Abort, Retry and Ignore, reading "Impossibile accedere a: " and
// the path ("File danneggiato: " and the path for a damaged package file).
// A box that cannot be shown answers Abort.
class CPromptQuestions : public ICopyQuestions {
public:
    explicit CPromptQuestions(HWND owner) : m_owner(owner) {}
    int AskAbout(const char* path, DWORD error) override;
    bool IsAutomatic() const override { return false; }

private:
    HWND m_owner;
};
