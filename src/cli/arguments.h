// The command line of palimp-replace: what the user asked for, or why the request is unusable.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace palimp::cli {

// How results are written.
enum class OutputEncoding {
    kKeep,     // the input's own encoding, mark and line breaks
    kUtf16Le,  // what the editor writes: FF FE, UTF-16 little-endian, CR LF line breaks
    kUtf8,     // UTF-8 without mark, line breaks as read
};

struct Options {
    std::string table;                 // -t: the table file
    std::string output;                // -o: where the single result goes; empty: no -o
    bool inPlace = false;              // -i
    OutputEncoding encoding = OutputEncoding::kKeep;
    bool count = false;                // --count
    bool stats = false;                // --stats
    bool help = false;                 // -h, --help
    bool version = false;              // --version
    std::vector<std::string> files;    // none: standard input to standard output
};

struct ParsedArguments {
    Options options;
    std::string error;  // non-empty: a usage error, one line without the program name
};

// Parses the arguments after the program name. Options and files may be mixed; "--" ends the
// options. Help and version win over every other check. Otherwise the result is an error when
// an option is unknown, lacks its value or is given twice, when the table is missing, or when
// the options contradict each other or the number of files (-o with several files, -i without
// files, -i with -o, --count with -o or -i).
ParsedArguments ParseArguments(std::span<const std::string> args);

// The text of --help, ending in a line break.
std::string_view UsageText();

}  // namespace palimp::cli
