#include "CommandLine.h"
#include "ExitCodes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Result = CommandLineOptions::Result;

struct LineRow {
    const char* name;
    std::string line; // the whole command line, program path first
    Result result;
    RunMode mode;
    std::string logPath;
    std::string bad;
    bool quietAsked;
};

const std::string kProgram = "\"C:\\Programmi Media\\kvelmora.exe\"";

const LineRow kLines[] = {
    {"NoArgument", kProgram, Result::Run, RunMode::Interactive, "", "", false},
    {"TrailingBlanks", kProgram + "  \t ", Result::Run, RunMode::Interactive, "", "", false},
    {"UnquotedProgram", "D:\\kvelmora.exe /passive", Result::Run, RunMode::Passive, "", "", false},
    // A program path with a blank in quotes is one token, its '/' no switch.
    {"ProgramPathLooksLikeSwitch", "\"D:\\a /quiet\\kvelmora.exe\"", Result::Run,
     RunMode::Interactive, "", "", false},
    {"Passive", kProgram + " /passive", Result::Run, RunMode::Passive, "", "", false},
    {"QuietDashUpper", kProgram + " -QUIET", Result::Run, RunMode::Quiet, "", "", true},
    {"QuietTwice", kProgram + " /quiet /Quiet", Result::Run, RunMode::Quiet, "", "", true},
    {"LogSeparate", kProgram + " /quiet /log C:\\log\\k.log", Result::Run, RunMode::Quiet,
     "C:\\log\\k.log", "", true},
    {"LogColon", kProgram + " /LOG:C:\\k.log /passive", Result::Run, RunMode::Passive, "C:\\k.log",
     "", false},
    {"LogQuotedWithBlank", kProgram + " /log \"C:\\Log files\\k.log\"", Result::Run,
     RunMode::Interactive, "C:\\Log files\\k.log", "", false},
    {"LogColonQuoted", kProgram + " \"/log:C:\\Log files\\k.log\"", Result::Run,
     RunMode::Interactive, "C:\\Log files\\k.log", "", false},
    // Backslashes escape only a quote; a trailing backslash before a quote
    // must be doubled, as on every Windows command line.
    {"BackslashesBeforeQuote", kProgram + " /log \"C:\\a\\\\\" /quiet", Result::Run, RunMode::Quiet,
     "C:\\a\\", "", true},
    {"EscapedQuoteInsideToken", kProgram + " /log a\\\"b", Result::Run, RunMode::Interactive,
     "a\"b", "", false},
    {"HelpQuestion", kProgram + " /?", Result::Help, RunMode::Interactive, "", "", false},
    {"HelpWord", kProgram + " -Help /quiet", Result::Help, RunMode::Quiet, "", "", true},
    {"Unknown", kProgram + " /install", Result::Bad, RunMode::Interactive, "", "/install", false},
    {"UnknownWithQuiet", kProgram + " /quiet /x", Result::Bad, RunMode::Quiet, "", "/x", true},
    {"QuietAfterBad", kProgram + " /x /quiet", Result::Bad, RunMode::Quiet, "", "/x", true},
    {"NotASwitch", kProgram + " quiet", Result::Bad, RunMode::Interactive, "", "quiet", false},
    {"BadWinsOverHelp", kProgram + " /? /nope", Result::Bad, RunMode::Interactive, "", "/nope",
     false},
    {"FirstBadNamed", kProgram + " /a /b", Result::Bad, RunMode::Interactive, "", "/a", false},
    {"PassiveAndQuiet", kProgram + " /passive /quiet", Result::Bad, RunMode::Passive, "", "/quiet",
     true},
    {"LogWithoutFile", kProgram + " /quiet /log", Result::Bad, RunMode::Quiet, "", "/log", true},
    {"LogColonEmpty", kProgram + " /log:", Result::Bad, RunMode::Interactive, "", "/log:", false},
    {"LogEmptyQuoted", kProgram + " /log \"\"", Result::Bad, RunMode::Interactive, "", "/log",
     false},
    // "/log /quiet": the file was forgotten; taking "/quiet" as its name
    // would open a window on a computer where nobody looks.
    {"LogFollowedBySwitch", kProgram + " /log /quiet", Result::Bad, RunMode::Interactive, "",
     "/log", false},
    {"LogTwice", kProgram + " /log a.log /log b.log", Result::Bad, RunMode::Interactive, "a.log",
     "/log", false},
    {"EmptyArgument", kProgram + " \"\"", Result::Bad, RunMode::Interactive, "", "", false},
    {"SwitchSignAlone", kProgram + " /", Result::Bad, RunMode::Interactive, "", "/", false},
    {"PrefixOfSwitch", kProgram + " /quie", Result::Bad, RunMode::Interactive, "", "/quie", false},
    {"LongerThanSwitch", kProgram + " /quietly", Result::Bad, RunMode::Interactive, "", "/quietly",
     false},
    {"NullLine", "", Result::Run, RunMode::Interactive, "", "", false},
};

TEST(CommandLine, ParsesEachLine) {
    for (const LineRow& row : kLines) {
        const CommandLineOptions o = ParseCommandLine(row.line.c_str());
        EXPECT_EQ(row.result, o.result) << row.name;
        EXPECT_EQ(row.mode, o.mode) << row.name;
        EXPECT_EQ(row.logPath, o.logPath) << row.name;
        EXPECT_EQ(row.bad, o.badArgument) << row.name;
        EXPECT_EQ(row.quietAsked, o.quietAsked) << row.name;
    }
}

TEST(CommandLine, NullLineRunsTheWizard) {
    const CommandLineOptions o = ParseCommandLine(nullptr);
    EXPECT_EQ(Result::Run, o.result);
}

// Arguments longer than every buffer: refused, never cut into a valid-looking
// value, never written past an end (the sanitizers watch).
TEST(CommandLine, BoundsEveryCopy) {
    const std::size_t logMax = CommandLineOptions::kLogPathSize - 1;
    const struct {
        const char* name;
        std::string line;
        Result result;
        std::size_t logLength;
        std::size_t badLength;
    } rows[] = {
        {"LogPathLongestThatFits", kProgram + " /log " + std::string(logMax, 'a'), Result::Run,
         logMax, 0},
        {"LogPathOneTooLong", kProgram + " /log " + std::string(logMax + 1, 'a'), Result::Bad, 0,
         4},
        {"LogColonTooLong", kProgram + " /log:" + std::string(logMax + 1, 'a'), Result::Bad, 0,
         CommandLineOptions::kShownArgumentSize - 1},
        {"LogPathBeyondTokenBuffer", kProgram + " /log " + std::string(5000, 'a'), Result::Bad, 0,
         4},
        {"BadArgumentCut", kProgram + " /" + std::string(3000, 'x'), Result::Bad, 0,
         CommandLineOptions::kShownArgumentSize - 1},
        {"HugeQuotedRun", kProgram + " \"" + std::string(40000, '\\') + "\"", Result::Bad, 0,
         CommandLineOptions::kShownArgumentSize - 1},
    };
    for (const auto& row : rows) {
        const CommandLineOptions o = ParseCommandLine(row.line.c_str());
        EXPECT_EQ(row.result, o.result) << row.name;
        EXPECT_EQ(row.logLength, std::string(o.logPath).size()) << row.name;
        EXPECT_EQ(row.badLength, std::string(o.badArgument).size()) << row.name;
        if (row.badLength == CommandLineOptions::kShownArgumentSize - 1) {
            EXPECT_EQ("...", std::string(o.badArgument).substr(row.badLength - 3)) << row.name;
        }
    }
}

TEST(ExitCode, OneCodePerSituation) {
    const struct {
        const char* name;
        RunSummary run;
        int code;
    } rows[] = {
        {"Installed", {StartupResult::Ready, true, InstallOutcome::Installed, false}, 0},
        {"NothingToInstall", {StartupResult::NothingToInstall, false, {}, false}, 0},
        {"ClosedBeforeInstalla", {StartupResult::Ready, false, {}, false}, 1602},
        {"CopyFailed", {StartupResult::Ready, true, InstallOutcome::Failed, false}, 1603},
        {"CancelDuringUnattendedCopy",
         {StartupResult::Ready, true, InstallOutcome::Failed, true},
         1602},
        // Cancel does not hide an installation left half restored.
        {"CancelButNotAllRestored",
         {StartupResult::Ready, true, InstallOutcome::NotAllRestored, true},
         1603},
        {"NotAllRestored",
         {StartupResult::Ready, true, InstallOutcome::NotAllRestored, false},
         1603},
        {"RunCouldNotBeSetUp",
         {StartupResult::Ready, true, InstallOutcome::NotStarted, false},
         1603},
        {"NotInstalled", {StartupResult::NotInstalled, false, {}, false}, 1605},
        {"NoList", {StartupResult::NoList, false, {}, false}, 1619},
        {"DamagedPackage", {StartupResult::DamagedPackage, false, {}, false}, 1620},
        {"OlderPackage", {StartupResult::OlderPackage, false, {}, false}, 1638},
        {"WindowNotMade", {StartupResult::CannotStart, false, {}, false}, 1603},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.code, DecideExitCode(row.run)) << row.name;
}

} // namespace
