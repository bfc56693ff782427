// The program's command line split into arguments (core/command_line.h), in the system's
// wide strings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace palimp {

// core's SplitCommandLine on a wide command line: white space separates, double quotes group
// and vanish, the program name comes first, empty quotes ("") give no argument.
std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine);

}  // namespace palimp
