#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/console.h"

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

void ConsoleWrite(bool toStandardError, std::string_view utf8) {
    std::FILE* stream = toStandardError ? stderr : stdout;
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fflush(stream);
}

bool StandardOutputIsTerminal() { return ::isatty(STDOUT_FILENO) == 1; }

// Read directly, so that an error (standard input a folder, say) is told apart from the end.
std::optional<std::string> ReadStandardInput() {
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got == 0) return bytes;
        if (got < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}
