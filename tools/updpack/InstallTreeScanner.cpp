#include "InstallTreeScanner.h"

#include "Cp1252Text.h"
#include "NativePath.h"
#include "PackageLayout.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr int kLongestPath = kPathBufferSize - 1;
// CreateDirectoryA takes at most 248 characters: room for an 8.3 name after it.
constexpr int kLongestFolderToCreate = 248;
constexpr int kDeepestFolder = 128;
constexpr int kListingSuffix = 4; // "\*.*"

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

bool IsDeviceName(const std::string& name) {
    const std::string base = FoldCp1252(name.substr(0, name.find('.')));
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* device : kDevices) {
        if (base == device)
            return true;
    }
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

} // namespace

InstallTreeScan CInstallTreeScanner::Scan(const fs::path& root) {
    m_scan = InstallTreeScan{};
    std::error_code error;
    const fs::file_status status = fs::status(root, error);
    if (!fs::exists(status)) {
        m_problems.Error(ProblemPlace::InstallTree, 0,
                         "the install tree is missing: the wizard has nothing to install");
        return m_scan;
    }
    if (!fs::is_directory(status)) {
        m_problems.Error(ProblemPlace::InstallTree, 0,
                         "is not a folder: the wizard has nothing to install");
        return m_scan;
    }
    m_scan.present = true;
    ScanFolder(root, std::string(), fs::path(), 0, false);
    return std::move(m_scan);
}

void CInstallTreeScanner::ScanFolder(const fs::path& folder, const std::string& relative,
                                     const fs::path& displayRelative, int depth,
                                     bool lengthReported) {
    const std::string folderDisplay = DisplayPath(displayRelative);
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error) {
        m_problems.TreeError(folderDisplay, "cannot be listed: " + error.message());
        return;
    }
    std::vector<fs::directory_entry> children;
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        if (error)
            break;
        children.push_back(*it);
    }
    if (error) {
        m_problems.TreeError(folderDisplay, "cannot be listed to its end: " + error.message());
        return;
    }
    std::sort(children.begin(), children.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) {
                  return a.path().filename().native() < b.path().filename().native();
              });

    std::map<std::string, std::string> namesSeen; // folded cp1252 name -> display
    for (const fs::directory_entry& child : children) {
        const fs::path name = child.path().filename();
        TreeEntry entry;
        entry.source = child.path();
        std::string wizardName;
        const bool representable = NameInCp1252(name, wizardName);
        entry.relative = relative.empty() ? wizardName : relative + "\\" + wizardName;
        entry.display = DisplayPath(displayRelative / name);

        if (!representable) {
            m_problems.TreeError(entry.display,
                                 "the name is not in code page 1252: the wizard sees " +
                                     Quoted(ForConsole(wizardName)) + " and cannot open it");
        } else {
            CheckWindowsName(wizardName, entry.display);
        }
        const auto seen = namesSeen.emplace(FoldCp1252(wizardName), entry.display);
        if (!seen.second && representable) {
            m_problems.TreeError(entry.display, "differs from " + Quoted(seen.first->second) +
                                                    " only in letter case: on Windows they are "
                                                    "one file, and one overwrites the other");
        }

        // The wizard neither enters nor copies links: what one points to is
        // not what the package holds, and a link to a folder above it would
        // have the copy run until the paths are too long.
        const bool link = IsLink(entry.source, error);
        fs::file_status status;
        if (!error)
            status = link ? fs::status(entry.source, error) : child.status(error);
        if (link) {
            if (status.type() == fs::file_type::not_found)
                m_problems.TreeError(entry.display, "is a broken symbolic link");
            else if (!error && fs::is_directory(status))
                m_problems.TreeError(entry.display,
                                     "is a symbolic link to a folder, which is not followed");
            else
                m_problems.TreeError(entry.display,
                                     "is a symbolic link, which the wizard does not copy: put "
                                     "the file itself in the package");
            continue;
        }
        if (error) {
            m_problems.TreeError(entry.display, "cannot be reached: " + error.message());
            continue;
        }

        if (depth == 0 && FoldCp1252(wizardName) == FoldCp1252(kStampFileName)) {
            m_problems.TreeWarning(entry.display,
                                   "replaces the installed stamp file during the copy: after a "
                                   "copy that ends with errors it holds this file's stamp");
        }
        if (fs::is_directory(status)) {
            entry.folder = true;
            const bool tooLong = lengthReported || CheckLength(entry);
            ++m_scan.folders;
            m_scan.entries.push_back(entry);
            if (depth >= kDeepestFolder) {
                m_problems.TreeError(entry.display, "is nested too deeply to be installed");
                continue;
            }
            ScanFolder(entry.source, entry.relative, displayRelative / name, depth + 1, tooLong);
        } else if (fs::is_regular_file(status)) {
            entry.size = child.file_size(error);
            if (error) {
                m_problems.TreeError(entry.display, "its size cannot be read: " + error.message());
                continue;
            }
            std::error_code openError;
            if (!OpenFile(entry.source, "rb", openError)) {
                m_problems.TreeError(entry.display, "cannot be read: " + openError.message());
                continue;
            }
            if (!lengthReported)
                CheckLength(entry);
            ++m_scan.files;
            m_scan.totalBytes += entry.size;
            m_scan.entries.push_back(entry);
        } else {
            m_problems.TreeError(entry.display,
                                 "is neither a file nor a folder: it cannot be installed");
        }
    }
}

bool CInstallTreeScanner::CheckLength(const TreeEntry& entry) {
    const int relativeLength = static_cast<int>(entry.relative.size());
    const int destination = m_limits.installFolderLength + 1 + relativeLength;
    const int sourceFolder =
        m_limits.programFolderLength + 1 + static_cast<int>(std::strlen(kInstallTreeRelative));
    const int source = sourceFolder + 1 + relativeLength + (entry.folder ? kListingSuffix : 0);
    const char* const what = entry.folder ? "folder" : "file";

    if (destination > kLongestPath) {
        m_problems.TreeError(entry.display, "installs as a path of " + std::to_string(destination) +
                                                " characters under an installation folder of " +
                                                std::to_string(m_limits.installFolderLength) +
                                                "; the wizard's paths hold at most " +
                                                std::to_string(kLongestPath) + ": the " + what +
                                                " cannot be copied" +
                                                (entry.folder ? ", nor anything under it" : ""));
        return true;
    }
    if (source > kLongestPath) {
        m_problems.TreeError(
            entry.display, std::string("is read from the package through a ") +
                               (entry.folder ? "listing pattern" : "path") + " of " +
                               std::to_string(source) + " characters when the program folder has " +
                               std::to_string(m_limits.programFolderLength) +
                               "; the wizard's paths hold at most " + std::to_string(kLongestPath));
        return true;
    }
    if (entry.folder && destination > kLongestFolderToCreate) {
        m_problems.TreeWarning(entry.display,
                               "installs as a folder path of " + std::to_string(destination) +
                                   " characters; Windows creates folders of at most " +
                                   std::to_string(kLongestFolderToCreate) +
                                   ", so this works only where the folder already exists");
    }
    return false;
}

void CInstallTreeScanner::CheckWindowsName(const std::string& name, const std::string& display) {
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || std::strchr("<>:\"/\\|?*", c) != nullptr) {
            const std::string shown =
                byte < 0x20 ? "a control character" : Quoted(std::string(1, c));
            m_problems.TreeError(display, "the name holds " + shown +
                                              ", which Windows does not allow in names");
            return;
        }
    }
    if (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
        m_problems.TreeError(display, "the name ends with a dot or a blank, which Windows drops: "
                                      "the wizard cannot open it under this name");
        return;
    }
    if (IsDeviceName(name)) {
        m_problems.TreeError(display,
                             "the name is a device name on Windows: it cannot be a file there");
    }
}
