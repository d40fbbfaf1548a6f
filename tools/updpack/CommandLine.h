#pragma once

#include "PackageChecker.h"

#include <filesystem>
#include <string>

enum class Command { Help, Check, Build };

struct CommandLine {
    Command command = Command::Help;
    std::filesystem::path package; // check
    std::filesystem::path from;    // build
    std::filesystem::path list;    // build
    std::filesystem::path out;     // build
    bool replace = false;
    bool quiet = false;
    CheckOptions check;
};

// Fills line from argv; false with a message in error when the arguments do
// not make a valid command.
bool ParseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error);

extern const char kUsage[];
