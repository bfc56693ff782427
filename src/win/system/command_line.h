// The program's command line split into arguments, the way its first argument (a file to open)
// is read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace palimp {

// Arguments are separated by white space (characters 1 to 32); double quotes group characters
// into one argument and are removed. The program name comes first. Empty quotes ("") give no
// argument of their own.
std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine);

}  // namespace palimp
