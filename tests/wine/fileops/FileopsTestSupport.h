#pragma once
// Real files, folders and windows for the file-operation tests, beside the
// shared TempFolder, ExclusiveHold and file helpers (long paths included).
#include "ExclusiveHold.h"
#include "TempFolder.h"
#include "TestFiles.h"
#include "framework/ProgressCtrl.h"
#include "framework/Static.h"
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// Deterministic content of `count` bytes.
std::string Bytes(size_t count, unsigned seed = 1);
// A file of `size` bytes that occupies no space (the file system keeps it sparse).
bool MakeSparseFile(const std::string& path, int64_t size);
// Names in the order the file system lists `folder`, "." and ".." left out.
std::vector<std::string> ListingOrder(const std::string& folder);
// `folder` + "\" + `name` padded with 'x' in the name so that the whole path
// is exactly `length` characters long.
std::string PathOfLength(const std::string& folder, const std::string& prefix, size_t length);

// Computed ('c') and given ('g') positions in the order they happened.
struct PositionEvent {
    char kind;
    int position;
};
using PositionLog = std::vector<PositionEvent>;

// A progress bar that logs every PBM_SETPOS it receives.
class RecordingProgress : public CProgressCtrl {
public:
    PositionLog* log = nullptr;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A visible top-level window with a status line and a progress bar, as the
// progress screen has them.
class CopierWindow {
public:
    CopierWindow();
    ~CopierWindow();
    CopierWindow(const CopierWindow&) = delete;
    CopierWindow& operator=(const CopierWindow&) = delete;

    HWND Frame() const { return m_frame; }
    RecordingProgress& Progress() { return m_progress; }
    CStatic& Status() { return m_status; }
    std::string StatusText() const;

private:
    HWND m_frame = nullptr;
    RecordingProgress m_progress;
    CStatic m_status;
};

// Runs `onPrompt` when a message box opens on this thread, before it is
// answered: the moment to release what the copy could not open.
class PromptWatcher {
public:
    explicit PromptWatcher(std::function<void()> onPrompt);
    ~PromptWatcher();
    PromptWatcher(const PromptWatcher&) = delete;
    PromptWatcher& operator=(const PromptWatcher&) = delete;

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    HHOOK m_hook;
    std::function<void()> m_onPrompt;
};
