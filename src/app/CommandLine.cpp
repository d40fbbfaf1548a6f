#include "app/CommandLine.h"

#include <cstdio>
#include <cstring>

namespace {

// One argument is never longer than the whole line the system allows
// (32767 characters); longer ones are cut here and refused as too long.
constexpr std::size_t kTokenSize = 1024;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameLetters(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (Lower(*a) != Lower(*b))
            return false;
    }
    return *a == *b;
}

// Splits arguments one at a time. A token that does not fit in the buffer is
// cut there and flagged, never written past its end.
class CArgumentReader {
public:
    explicit CArgumentReader(const char* line) : m_at(line ? line : "") { SkipProgramPath(); }

    // False at the end of the line.
    bool Next(char (&token)[kTokenSize], bool& cut) {
        while (IsBlank(*m_at))
            ++m_at;
        if (*m_at == '\0')
            return false;
        std::size_t length = 0;
        cut = false;
        bool quoted = false;
        while (*m_at != '\0' && (quoted || !IsBlank(*m_at))) {
            if (*m_at == '\\') {
                std::size_t slashes = 0;
                while (*m_at == '\\') {
                    ++slashes;
                    ++m_at;
                }
                if (*m_at == '"') {
                    Put(token, length, cut, '\\', slashes / 2);
                    if (slashes % 2) {
                        Put(token, length, cut, '"', 1);
                        ++m_at;
                    }
                } else {
                    Put(token, length, cut, '\\', slashes);
                }
                continue;
            }
            if (*m_at == '"') {
                // Two quotes inside a quoted part stand for one quote.
                if (quoted && m_at[1] == '"') {
                    Put(token, length, cut, '"', 1);
                    m_at += 2;
                    continue;
                }
                quoted = !quoted;
                ++m_at;
                continue;
            }
            Put(token, length, cut, *m_at, 1);
            ++m_at;
        }
        token[length] = '\0';
        return true;
    }

private:
    // The program path follows simpler rules: quotes group, nothing escapes.
    void SkipProgramPath() {
        if (*m_at == '"') {
            ++m_at;
            while (*m_at != '\0' && *m_at != '"')
                ++m_at;
            if (*m_at == '"')
                ++m_at;
        } else {
            while (*m_at != '\0' && !IsBlank(*m_at))
                ++m_at;
        }
    }

    static void Put(char (&token)[kTokenSize], std::size_t& length, bool& cut, char c,
                    std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (length + 1 < kTokenSize)
                token[length++] = c;
            else
                cut = true;
        }
    }

    const char* m_at;
};

void Refuse(CommandLineOptions& options, const char* argument) {
    if (options.result == CommandLineOptions::Result::Bad)
        return; // the first bad argument is the one named
    options.result = CommandLineOptions::Result::Bad;
    const std::size_t size = sizeof options.badArgument;
    const std::size_t length = std::strlen(argument);
    if (length < size) {
        std::memcpy(options.badArgument, argument, length + 1);
    } else {
        std::memcpy(options.badArgument, argument, size - 4);
        std::memcpy(options.badArgument + size - 4, "...", 4);
    }
}

bool SetLogPath(CommandLineOptions& options, const char* path, bool cut) {
    const std::size_t length = std::strlen(path);
    // A path cut to fit would be another file: refused, never shortened.
    if (cut || length == 0 || length >= sizeof options.logPath || path[0] == '/' ||
        options.logPath[0] != '\0')
        return false;
    std::memcpy(options.logPath, path, length + 1);
    return true;
}

bool SetMode(CommandLineOptions& options, RunMode mode) {
    // /passive with /quiet asks for two things at once: which one is meant
    // is not ours to guess.
    if (options.mode != RunMode::Interactive && options.mode != mode)
        return false;
    options.mode = mode;
    return true;
}

} // namespace

CommandLineOptions ParseCommandLine(const char* commandLine) {
    CommandLineOptions options;
    bool help = false;
    CArgumentReader reader(commandLine);
    char token[kTokenSize];
    bool cut = false;
    while (reader.Next(token, cut)) {
        const bool isSwitch = token[0] == '/' || token[0] == '-';
        const char* name = token + 1;
        if (isSwitch && SameLetters(name, "quiet"))
            options.quietAsked = true;
        if (cut || !isSwitch) {
            Refuse(options, token);
        } else if (SameLetters(name, "passive")) {
            if (!SetMode(options, RunMode::Passive))
                Refuse(options, token);
        } else if (SameLetters(name, "quiet")) {
            if (!SetMode(options, RunMode::Quiet))
                Refuse(options, token);
        } else if (SameLetters(name, "?") || SameLetters(name, "help")) {
            help = true;
        } else if (SameLetters(name, "log")) {
            char path[kTokenSize];
            bool pathCut = false;
            if (!reader.Next(path, pathCut) || !SetLogPath(options, path, pathCut))
                Refuse(options, token);
        } else if (std::strlen(name) > 4 && Lower(name[0]) == 'l' && Lower(name[1]) == 'o' &&
                   Lower(name[2]) == 'g' && name[3] == ':') {
            if (!SetLogPath(options, name + 4, false))
                Refuse(options, token);
        } else {
            Refuse(options, token);
        }
    }
    if (options.result != CommandLineOptions::Result::Bad && help)
        options.result = CommandLineOptions::Result::Help;
    return options;
}
