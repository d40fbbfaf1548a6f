#pragma once

#include "ProblemList.h"
#include "UpdateList.h"

#include <filesystem>
#include <set>
#include <string>
#include <vector>

// Reads the list file exactly as the wizard does (through the data core) and
// reports every line where what the wizard makes of it is probably not what
// the vendor meant. To see what was meant it reads the file twice more with
// the same reader: once with no length limit and once with no comments, and
// compares which lines are entries.
class CListFileChecker {
public:
    explicit CListFileChecker(CProblemList& problems) : m_problems(problems) {}

    // False when the file cannot be read at all (the problem is reported).
    bool Check(const std::filesystem::path& listFile, UpdateList& list);

private:
    struct ShownLine {
        long number;
        bool entry;
        const UpdateListLine* line;
        VersionStamp stamp;
    };

    bool ReadBytes(const std::filesystem::path& listFile);
    void CheckBytes();
    void CheckEntry(const ShownLine& shown);
    void CheckNonEntry(const ShownLine& shown, bool detail);
    void CheckMarker(const ShownLine& shown, bool detail);
    void CheckShownText(const ShownLine& shown);
    void CheckOrder(const UpdateList& list);
    const std::string* Alternative(const std::vector<std::string>& lines, long number) const;

    void Error(long line, std::string text) {
        m_errorLines.insert(line);
        m_problems.Error(ProblemPlace::ListFile, line, std::move(text));
    }
    void Warning(long line, std::string text) {
        m_problems.Warning(ProblemPlace::ListFile, line, std::move(text));
    }

    CProblemList& m_problems;
    std::string m_bytes;
    std::vector<std::string> m_physical;    // by line number - 1, line feed removed
    std::vector<std::string> m_uncut;       // logical lines with no length limit
    std::vector<std::string> m_uncommented; // ... and with no comments either
    std::set<long> m_errorLines;
};
