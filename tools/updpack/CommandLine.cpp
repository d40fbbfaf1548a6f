#include "CommandLine.h"

#include "NativePath.h"
#include "PackageLayout.h"
#include "VersionStamp.h"

#include <cstring>

const char kUsage[] =
    "usage:\n"
    "  updpack check PACKAGE_DIR [--install-dir-length N] [--program-dir-length N]\n"
    "                            [--installed \"@versione=5.0 @build=04.04.15\"] [--quiet]\n"
    "  updpack build --from TREE --list LIST_FILE --out PACKAGE_DIR [--replace] [--quiet]\n"
    "                [--install-dir-length N] [--program-dir-length N] [--installed STAMP]\n"
    "\n"
    "check   shows what the wizard will make of a package and reports every problem.\n"
    "build   lays out a package from a tree and a list file, with its size file, and\n"
    "        keeps it only when it has no errors.\n"
    "\n"
    "--install-dir-length N  length of the installation folder at the customer\n"
    "                        (default 32: C:\\Program Files\\Vantrel\\Tessaro)\n"
    "--program-dir-length N  length of the folder the wizard runs from (default 2: D:)\n"
    "--installed STAMP       the stamp line of Versione.txt at the customer\n"
    "--replace               replace PACKAGE_DIR once the new package is complete and clean\n"
    "--quiet                 print problems only\n"
    "\n"
    "Exit code: 0 no errors, 1 errors, 2 bad command line.\n";

namespace {

bool ParseLength(const char* text, int lowest, int highest, int& value) {
    if (*text == '\0' || std::strlen(text) > 4)
        return false;
    int parsed = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        parsed = parsed * 10 + (*p - '0');
    }
    if (parsed < lowest || parsed > highest)
        return false;
    value = parsed;
    return true;
}

// The longest installation folder that still leaves room for "\Versione.txt".
constexpr int kLongestInstallFolder =
    kPathBufferSize - 1 - 1 - static_cast<int>(sizeof kStampFileName - 1);

} // namespace

bool ParseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error) {
    line = CommandLine{};
    if (argc < 2) {
        error = "no command given";
        return false;
    }
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        line.command = Command::Help;
        return true;
    }
    if (command == "check") {
        line.command = Command::Check;
    } else if (command == "build") {
        line.command = Command::Build;
    } else {
        error = "unknown command \"" + command + "\"";
        return false;
    }
    const bool build = line.command == Command::Build;

    bool havePackage = false;
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        const bool takesValue =
            option == "--install-dir-length" || option == "--program-dir-length" ||
            option == "--installed" ||
            (build && (option == "--from" || option == "--list" || option == "--out"));
        if (takesValue && value == nullptr) {
            error = option + " needs a value";
            return false;
        }
        if (option == "--install-dir-length") {
            if (!ParseLength(value, 1, kLongestInstallFolder,
                             line.check.limits.installFolderLength)) {
                error = "--install-dir-length takes a number from 1 to " +
                        std::to_string(kLongestInstallFolder) +
                        " (a longer folder leaves no room for Versione.txt)";
                return false;
            }
        } else if (option == "--program-dir-length") {
            if (!ParseLength(value, 1, kPathBufferSize - 1,
                             line.check.limits.programFolderLength)) {
                error = "--program-dir-length takes a number from 1 to " +
                        std::to_string(kPathBufferSize - 1);
                return false;
            }
        } else if (option == "--installed") {
            int version = -1;
            int buildNumber = 0;
            int key = 0;
            ParseVersionStamp(value, version, buildNumber, key);
            if (version < 0) {
                error = "--installed takes a stamp line such as \"@versione=5.0 "
                        "@build=04.04.15\"";
                return false;
            }
            line.check.installedGiven = true;
            line.check.installed = VersionStamp{version, buildNumber, key};
        } else if (build && option == "--from") {
            line.from = PathFromArgument(value);
        } else if (build && option == "--list") {
            line.list = PathFromArgument(value);
        } else if (build && option == "--out") {
            line.out = PathFromArgument(value);
        } else if (build && option == "--replace") {
            line.replace = true;
            continue;
        } else if (option == "--quiet") {
            line.quiet = true;
            continue;
        } else if (!build && !havePackage && option.compare(0, 2, "--") != 0 && !option.empty()) {
            line.package = PathFromArgument(argv[i]);
            havePackage = true;
            continue;
        } else {
            error = "unexpected argument \"" + option + "\"";
            return false;
        }
        ++i; // the value
    }

    if (!build && !havePackage) {
        error = "check needs a PACKAGE_DIR";
        return false;
    }
    if (build && (line.from.empty() || line.list.empty() || line.out.empty())) {
        error = "build needs --from TREE, --list LIST_FILE and --out PACKAGE_DIR";
        return false;
    }
    return true;
}
