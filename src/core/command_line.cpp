// Command-line splitting: quotes group and vanish, control characters and blanks separate.
#include "core/command_line.h"

namespace palimp {

namespace {

bool IsSeparator(char16_t ch) { return ch >= 1 && ch <= 32; }

}  // namespace

std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine) {
    commandLine = commandLine.substr(0, commandLine.find(u'\0'));
    std::vector<std::u16string> arguments;
    std::size_t i = 0;
    while (true) {
        while (i < commandLine.size() && IsSeparator(commandLine[i])) ++i;
        if (i >= commandLine.size()) break;
        std::u16string argument;
        bool quoted = false;
        for (; i < commandLine.size() && (quoted || !IsSeparator(commandLine[i])); ++i) {
            if (commandLine[i] == u'"') {
                quoted = !quoted;
            } else {
                argument += commandLine[i];
            }
        }
        if (!argument.empty()) arguments.push_back(std::move(argument));
    }
    return arguments;
}

}  // namespace palimp
