#include "fileops/CopyQuestions.h"
#include <string>

int CPromptQuestions::AskAbout(const char* path, DWORD error) {
    // The text is built afresh for every box.
    const std::string text = std::string(error == ERROR_FILE_CORRUPT ? "File danneggiato: "
                                                                     : "Impossibile accedere a: ") +
                             path;
    const int answer =
        MessageBoxA(m_owner, text.c_str(), "Errore", MB_ICONERROR | MB_ABORTRETRYIGNORE);
    // A box that could not be shown answers nothing: asking again could loop for ever.
    return answer == IDRETRY || answer == IDIGNORE ? answer : IDABORT;
}
