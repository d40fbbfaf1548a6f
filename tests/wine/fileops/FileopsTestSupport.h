#pragma once
// Real files, folders and windows for the file-operation tests. File helpers
// go through the wide calls with the \\?\ prefix, so they also make, read and
// remove paths too long for the ANSI calls the code under test uses.
#include "framework/ProgressCtrl.h"
#include "framework/Static.h"
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// A fresh folder in the temp folder, removed with all it holds.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string Sub(const std::string& relative) const { return m_path + "\\" + relative; }

private:
    std::string m_path;
};

// Deterministic content of `count` bytes.
std::string Bytes(size_t count, unsigned seed = 1);
bool WriteBytes(const std::string& path, const std::string& data);
// The file's content, or "<missing>" when it cannot be read.
std::string ReadBytes(const std::string& path);
bool MakeFolder(const std::string& path);
bool IsFolder(const std::string& path);
bool Exists(const std::string& path);
void RemoveTree(const std::string& path);
// A file of `size` bytes that occupies no space (the file system keeps it sparse).
bool MakeSparseFile(const std::string& path, int64_t size);
// Names in the order the file system lists `folder`, "." and ".." left out.
std::vector<std::string> ListingOrder(const std::string& folder);
// `folder` + "\" + `name` padded with 'x' in the name so that the whole path
// is exactly `length` characters long.
std::string PathOfLength(const std::string& folder, const std::string& prefix, size_t length);

// A file or folder held open without sharing: every other open of it fails
// with a sharing violation until Release.
class ExclusiveHold {
public:
    explicit ExclusiveHold(const std::string& path);
    ~ExclusiveHold() { Release(); }
    ExclusiveHold(const ExclusiveHold&) = delete;
    ExclusiveHold& operator=(const ExclusiveHold&) = delete;
    bool IsHeld() const { return m_handle != INVALID_HANDLE_VALUE; }
    void Release();

private:
    HANDLE m_handle;
};

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
