#pragma once
#include <string>

// A fresh folder under the system's temporary folder, named after the prefix
// and this process, removed with all it holds when the object goes.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "tessaro-test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool Made() const { return !m_path.empty(); }
    // The long form, without a trailing backslash; empty when not Made().
    const std::string& Path() const { return m_path; }
    std::string Sub(const std::string& relative) const { return m_path + "\\" + relative; }

private:
    std::string m_path;
};
