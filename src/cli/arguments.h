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

// The file name that stands for standard input.
inline constexpr std::string_view kStdinArgument = "-";

// A pair given on the command line: --pair FROM TO [OPTIONS].
struct CommandLinePair {
    std::string search, replace, options;  // UTF-8
};

struct Options {
    std::string table;                 // -t: the table file; empty: the pairs alone
    std::vector<CommandLinePair> pairs;  // --pair, in order, after the table's rows
    bool tsv = false;                  // --tsv: the table is TAB-separated lines, no marker
    std::string output;                // -o: where the single result goes; empty: no -o
    bool inPlace = false;              // -i
    std::string backup;                // --backup: suffix of the copies -i keeps; empty: none
    bool keepLinks = false;            // --keep-links: overwrite files a new one would not match
    OutputEncoding encoding = OutputEncoding::kKeep;
    unsigned ansi = 0;                 // --ansi: code page number (65001: UTF-8); 0: default
    bool count = false;                // --count
    bool stats = false;                // --stats
    bool check = false;                // --check
    bool diff = false;                 // --diff
    bool failIfNone = false;           // --fail-if-none
    bool quiet = false;                // -q: no warnings about the table
    std::string files0From;            // --files0-from: NUL-separated input names; "-": stdin
    bool help = false;                 // -h, --help
    bool version = false;              // -V, --version
    std::vector<std::string> files;    // none: standard input to standard output; "-" is it too

    // Whether results are written to files (-o or -i), so that standard output is free.
    bool WritesFiles() const { return inPlace || !output.empty(); }
    // Whether the run writes no result at all.
    bool DryRun() const { return check || diff || (count && !WritesFiles()); }
};

struct ParsedArguments {
    Options options;
    std::string error;  // non-empty: a usage error, one line without the program name
};

// Parses the arguments after the program name. Options and files may be mixed; "--" ends the
// options. Help and version win over every other check. Otherwise the result is an error when
// an option is unknown, lacks its value or is given twice (--pair may be repeated), when
// there is neither a table nor a pair, or when the options contradict each other or the files
// (-o with several inputs, -i without files or with standard input, -i with -o, --backup
// without -i, --keep-links without -i or -o, --check with anything that writes, --diff with -i,
// -o or --count, standard input twice, --files0-from with FILEs, --tsv without a table).
// --pair takes FROM and TO, and a third word when it is made of the option letters C and W
// (and commas): "--pair cat dog W".
ParsedArguments ParseArguments(std::span<const std::string> args);

// The text of --help, ending in a line break; defaultCodePage is the code page --ansi has when
// it is not given.
std::string UsageText(unsigned defaultCodePage);
// The same with the note that follows --ansi, "(default here: utf8)", given.
std::string UsageText(std::string_view defaultNote);

}  // namespace palimp::cli
