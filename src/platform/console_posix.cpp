#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <iterator>

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

std::optional<std::string> ReadStandardInput() {
    std::string bytes{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
    if (std::cin.bad()) return std::nullopt;
    return bytes;
}
