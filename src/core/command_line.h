// A command line split into arguments, the way the editor reads its first argument (a file to
// open). Pure text work, so that it is tested and fuzzed without Windows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace palimp {

// Arguments are separated by white space (characters 1 to 32); double quotes group characters
// into one argument and are removed; a U+0000 ends the line. The program name comes first.
// Empty quotes ("") give no argument of their own.
//
// Use: SplitCommandLine(u"Palimp.exe \"My Notes\\a b.txt\"") gives
//      {u"Palimp.exe", u"My Notes\\a b.txt"}.
std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine);

}  // namespace palimp
