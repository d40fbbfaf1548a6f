#pragma once

#include <filesystem>
#include <string>

// A folder beside the package being built, where the new package is laid
// out; it takes the package's place only once it is complete, and is removed
// with everything in it if that never happens.
class CStagingFolder {
public:
    CStagingFolder() = default;
    ~CStagingFolder();
    CStagingFolder(const CStagingFolder&) = delete;
    CStagingFolder& operator=(const CStagingFolder&) = delete;

    // Makes a new, empty folder beside target. False with a message on failure.
    bool Create(const std::filesystem::path& target, std::string& failure);
    const std::filesystem::path& Path() const { return m_path; }

    // Moves the folder to target. A folder standing at target is first moved
    // aside and put back if the move fails, so target always holds a whole
    // package. leftOver names the old package when it could not be removed.
    bool Publish(const std::filesystem::path& target, std::string& failure, std::string& leftOver);

private:
    static std::filesystem::path FreeNameBeside(const std::filesystem::path& target,
                                                const char* kind);

    std::filesystem::path m_path;
};
