// The wide-string face of core's command-line splitting.
#include "win/system/command_line.h"

#include "core/command_line.h"
#include "win/system/wide.h"

namespace palimp {

std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine) {
    std::vector<std::wstring> arguments;
    for (const std::u16string& argument : SplitCommandLine(U16View(commandLine))) {
        arguments.push_back(ToWide(argument));
    }
    return arguments;
}

}  // namespace palimp
