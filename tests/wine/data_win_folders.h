#pragma once

#include <string>
#include <vector>

// Folders made for one test under the temporary folder, removed (with the
// files the test left in them) when the object goes.
class CTestFolders {
public:
    CTestFolders();
    ~CTestFolders();
    CTestFolders(const CTestFolders&) = delete;
    CTestFolders& operator=(const CTestFolders&) = delete;

    const std::string& Base() const { return m_base; }
    // A new folder whose full path has exactly length characters, made of
    // nested parts under Base(). Empty when that is not possible.
    std::string MakeFolderOfLength(std::size_t length);
    std::string MakeFolder(const std::string& name);
    // Writes bytes to Base() + "\" + name and returns the path.
    std::string WriteFile(const std::string& name, const std::string& bytes);

private:
    bool Make(const std::string& path);

    std::string m_base;
    std::vector<std::string> m_made;
};

std::string ReadWholeFile(const std::string& path);
bool PathExists(const std::string& path);
