#pragma once
// The program's switches, for administrators who run the update from a
// deployment script. Portable: tested natively under the sanitizers.
#include <cstddef>

enum class RunMode {
    Interactive, // no switch: the wizard as the customer knows it
    Passive,     // the wizard on the progress screen, no question, closes itself
    Quiet,       // no window at all
};

struct CommandLineOptions {
    enum class Result { Run, Help, Bad };
    static constexpr std::size_t kLogPathSize = 260;
    static constexpr std::size_t kShownArgumentSize = 128;

    Result result = Result::Run;
    RunMode mode = RunMode::Interactive;
    // Empty: the default log in the temp folder.
    char logPath[kLogPathSize] = {};
    // The first argument not understood, cut to fit (with "..." when cut).
    char badArgument[kShownArgumentSize] = {};
    // /quiet was on the line, even a bad one: no message box may be shown.
    bool quietAsked = false;
};

// Parses the whole command line as the system hands it over: the program
// path first, then the arguments, split as the Windows C runtime splits them
// (blanks separate, double quotes group, backslashes escape a quote only).
// Switches start with '/' or '-' and are read in any letter case.
CommandLineOptions ParseCommandLine(const char* commandLine);
