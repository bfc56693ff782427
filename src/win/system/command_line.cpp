// Command-line splitting: quotes group and vanish, control characters and blanks separate.
#include "win/system/command_line.h"

namespace palimp {

namespace {

bool IsSeparator(wchar_t ch) { return ch >= 1 && ch <= 32; }

}  // namespace

std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine) {
    std::vector<std::wstring> arguments;
    size_t i = 0;
    while (true) {
        while (i < commandLine.size() && IsSeparator(commandLine[i])) ++i;
        if (i >= commandLine.size() || commandLine[i] == L'\0') break;
        std::wstring argument;
        bool quoted = false;
        while (i < commandLine.size() && commandLine[i] != L'\0' && (quoted || !IsSeparator(commandLine[i]))) {
            if (commandLine[i] == L'"') {
                quoted = !quoted;
            } else {
                argument += commandLine[i];
            }
            ++i;
        }
        if (!argument.empty()) arguments.push_back(std::move(argument));
    }
    return arguments;
}

}  // namespace palimp
