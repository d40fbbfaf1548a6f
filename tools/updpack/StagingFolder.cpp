#include "StagingFolder.h"

#include "NativePath.h"

#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr int kNameAttempts = 1000;

// ".NAME" + kind + number, beside target: hidden, and plainly tied to it.
fs::path NameBeside(const fs::path& target, const char* kind, int number) {
    fs::path name(".");
    name += target.filename();
    name += kind;
    name += std::to_string(number);
    return target.parent_path() / name;
}

} // namespace

CStagingFolder::~CStagingFolder() {
    if (!m_path.empty()) {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
}

fs::path CStagingFolder::FreeNameBeside(const fs::path& target, const char* kind) {
    for (int i = 0; i < kNameAttempts; ++i) {
        const fs::path candidate = NameBeside(target, kind, i);
        std::error_code error;
        if (fs::symlink_status(candidate, error).type() == fs::file_type::not_found)
            return candidate;
    }
    return fs::path();
}

bool CStagingFolder::Create(const fs::path& target, std::string& failure) {
    for (int i = 0; i < kNameAttempts; ++i) {
        const fs::path candidate = NameBeside(target, ".updpack-new-", i);
        std::error_code error;
        // create_directory is false, without an error, for a folder that
        // already exists: some other build's, so try the next name.
        if (fs::create_directory(candidate, error)) {
            m_path = candidate;
            return true;
        }
        if (error) {
            failure = "cannot create a folder beside it (" + DisplayPath(candidate) +
                      "): " + error.message();
            return false;
        }
    }
    failure = "cannot find a free name for a folder beside it";
    return false;
}

bool CStagingFolder::Publish(const fs::path& target, std::string& failure, std::string& leftOver) {
    std::error_code error;
    const bool replacing = fs::exists(fs::symlink_status(target, error));
    fs::path aside;
    if (replacing) {
        aside = FreeNameBeside(target, ".updpack-old-");
        if (aside.empty()) {
            failure = "cannot find a free name to move the old package aside";
            return false;
        }
        fs::rename(target, aside, error);
        if (error) {
            failure = "cannot move the old package aside: " + error.message();
            return false;
        }
    }
    fs::rename(m_path, target, error);
    if (error) {
        failure = "cannot move the new package into place: " + error.message();
        if (replacing) {
            std::error_code restoreError;
            fs::rename(aside, target, restoreError);
            if (restoreError)
                failure += "; the old package is now at " + DisplayPath(aside);
        }
        return false;
    }
    m_path.clear();
    if (replacing) {
        fs::remove_all(aside, error);
        if (error)
            leftOver = DisplayPath(aside);
    }
    return true;
}
