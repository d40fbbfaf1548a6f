#pragma once
#include <windows.h>
#include <deque>
#include <string>
#include <vector>

struct MessageBoxRecord {
    HWND box = nullptr;
    HWND owner = nullptr;
    std::string caption;
    std::string text;
    std::vector<int> buttons; // IDOK ... IDNO, in control order, visible only
    int defaultButton = 0;    // the focused button when the box is up; 0 if none
    UINT icon = 0;            // MB_ICONERROR, MB_ICONQUESTION, MB_ICONWARNING,
                              // MB_ICONINFORMATION, or 0 for none or unknown
    int answer = 0;           // the button the answerer clicked
    bool HasButton(int id) const;
};

class MessageBoxAnswerer {
public:
    MessageBoxAnswerer();
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    void Queue(int answer) { m_answers.push_back(answer); }
    const std::vector<MessageBoxRecord>& Boxes() const { return m_boxes; }
    int Unexpected() const { return m_unexpected; }

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK AnswerLater(HWND box, UINT, UINT_PTR, DWORD);
    void Answer(HWND box);
    void Click(HWND box);

    HHOOK m_hook = nullptr;
    std::deque<int> m_answers;
    std::vector<MessageBoxRecord> m_boxes;
    int m_unexpected = 0;
};
