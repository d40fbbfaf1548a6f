#pragma once

// The folder of the running program file and the builder of paths into the
// update package beside it. Usable before any application object exists.
//
// A path that cannot be built (the folder was never recorded, or folder plus
// relative path would not fit in 260 bytes) comes back as kUnusablePath. It
// names no file, so opening it fails and the caller goes its way for a
// missing file; it also fails as a folder to list ("|...|\*.*"), because
// '|' is not allowed in Windows file names. It is never empty (an empty path
// would name the current folder) and never a shortened, valid-looking path.
class CProgramFolder {
public:
    static constexpr const char* kUnusablePath = "|program path too long|";
    static constexpr int kBufferSize = 260;

    // Records the folder of the running program (GetModuleFileNameA). False
    // when the module path does not fit; every path built then is unusable.
    bool RecordProgramFolder();
    // The same from a given module path. A path without any backslash (or
    // slash) is taken to be in the current folder: the folder is ".".
    bool RecordProgramFolder(const char* modulePath);

    // Program folder, a backslash and relative (no leading backslash). The
    // result lives in this object and stays valid until the next call: each
    // call overwrites the previous path. A call that fails leaves it alone.
    const char* ProgramRelativePath(const char* relative);

private:
    char m_modulePath[kBufferSize] = {};
    char* m_cut = nullptr;
};
