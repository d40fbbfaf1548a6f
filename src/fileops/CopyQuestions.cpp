#include "fileops/CopyQuestions.h"
#include "texts/Texts.h"
#include <string>

int CPromptQuestions::AskAbout(const char* path, DWORD error) {
    // The text is built afresh for every box.
    const std::string text =
        std::string(error == ERROR_FILE_CORRUPT ? texts::kDamagedFile : texts::kCannotOpen) + path;
    const int answer = MessageBoxA(m_owner, text.c_str(), texts::kCopyQuestionCaption,
                                   MB_ICONERROR | MB_ABORTRETRYIGNORE);
    // A box that could not be shown answers nothing: asking again could loop for ever.
    return answer == IDRETRY || answer == IDIGNORE ? answer : IDABORT;
}
