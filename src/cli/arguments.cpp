// Parsing of palimp-replace's command line. Hand-written: a dozen options do not justify a
// library, and the rules about which options go together are easier to read in one place.
#include "cli/arguments.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "cli/code_pages.h"

namespace palimp::cli {

namespace {

constexpr std::string_view kUsage = R"(Usage: palimp-replace -t TABLE.palimp [options] [FILE...]
   or: palimp-replace --pair FROM TO [C|W|C,W] [options] [FILE...]
Replace many text phrases at once: applies a Palimp table to text in one pass.
At every position the first table row that matches wins; replacements are never
scanned again. Without FILE, and for FILE -, standard input is read; results go
to standard output unless -o or -i says otherwise.

  -t, --table TABLE     the table file (format below)
      --pair FROM TO    one more pair, after the table's rows: FROM becomes TO;
                        repeatable, in order; a third word C, W or C,W after TO
                        gives its options
      --tsv             the table is TAB-separated lines without "##", every
                        line a pair, as the editor's Copy All gives them
  -o, --output FILE     write the result of the single input there
  -i, --in-place        rewrite each FILE in place (atomically); a FILE without
                        a replacement is left untouched
      --backup SUFFIX   with -i, keep each rewritten FILE's old content in
                        FILE+SUFFIX
      --keep-links      with -i or -o, a file with other names (hard links) or
                        of another owner is overwritten where it is, which keeps
                        them but is not atomic; without it such a file is not
                        written
      --files0-from F   the FILEs are the names in F, each ended by a NUL byte,
                        as find -print0 writes them (F -: standard input)
      --encoding E      how each result is written, whatever the other inputs:
                        keep (default): the input's encoding, mark and breaks;
                        utf16le: what the editor writes (FF FE, CR LF);
                        utf8: UTF-8 without mark (UTF-16 input becomes UTF-8)
      --ansi CODEPAGE   how a file without a byte order mark is read when it is
                        not UTF-8: utf8 refuses it (plain ASCII stays UTF-8),
                        1252 reads it, and plain ASCII, as Windows-1252
@DEFAULT@
      --check           write nothing; list the table rows that can never win
                        or have no TAB and, with FILEs, the rows without a hit
                        in them; exit 1 if any
      --diff            write nothing; show the changes as a unified diff (in
                        UTF-8) and the hits of every row on standard error
      --count           print the number of replacements ("N", or "PATH<TAB>N"
                        per input when there are several); alone it writes
                        nothing, with -o or -i the counts go to standard error
      --stats           print to standard error the number of rows and of pairs
                        that can match and, per input, "Found: N; Time: X.Xs",
                        the hits by table line and the lines without a hit
      --fail-if-none    exit 1 when nothing was replaced
  -q, --quiet           no warnings about the table
  -h, --help            show this help
  -V, --version         show the version

The table file: a line or more about the table, a line "##", then one line per
pair: the phrase, a TAB, the replacement, a TAB and the options, C for case
sensitive and W for whole words only (both: C,W). It is UTF-16 with a byte order
mark, as the editor saves it, or UTF-8. For example:

    British to American spelling
    ##
    Colour<TAB>Color<TAB>C,W
    colour<TAB>color<TAB>W
    centre<TAB>center<TAB>W

Without C, case is ignored, each letter folded alone: ss is no match for ß.
W: no letter just before or after the match; digits and _ are no letters.

The first row that matches wins, so "Colour" keeps its capital and "COLOUR" and
"colour" become "color". Starter tables come with Palimp: the replace folder
beside Palimp.exe, PREFIX/share/palimp/replace once installed, dist/replace in
the sources. Warnings about the table, with its line numbers, go to standard
error (-q: none); a line without a TAB is warned about, as its whole text is a
phrase replaced by nothing. --check finds rows that can never win.

Exit status: 0 success; 1 an input or output failed, --check found rows or
--fail-if-none found nothing; 2 a usage error or an unusable table (no "##"
line, not UTF-8 in a UTF-8 code page, UTF-16 without its mark, or binary).
)";

struct OptionForm {
    std::string_view shortName;  // "-t", or empty
    std::string_view longName;   // "--table"
    bool takesValue;
};

enum OptionId {
    kTable, kTsv, kOutput, kInPlace, kBackup, kKeepLinks, kEncoding, kAnsi, kCount, kStats, kCheck, kDiff,
    kFailIfNone, kHelp, kVersion, kQuiet, kFiles0From, kPair,
};

constexpr OptionForm kOptions[] = {
    {"-t", "--table", true},   {"", "--tsv", false},      {"-o", "--output", true},
    {"-i", "--in-place", false}, {"", "--backup", true},  {"", "--keep-links", false},
    {"", "--encoding", true},
    {"", "--ansi", true},      {"", "--count", false},    {"", "--stats", false},
    {"", "--check", false},    {"", "--diff", false},     {"", "--fail-if-none", false},
    {"-h", "--help", false},   {"-V", "--version", false}, {"-q", "--quiet", false},
    {"", "--files0-from", true},
    {"", "--pair", false},  // its words are taken by the parser itself
};

// Whether a word after --pair FROM TO is the pair's options rather than a file: only the
// option letters and commas.
bool IsPairOptions(std::string_view word) {
    return !word.empty() && word.find_first_not_of("CW,") == std::string_view::npos &&
           word.find_first_of("CW") != std::string_view::npos;
}

// The option an argument names, with its value when it is glued on ("--table=x", "-tx").
struct Match {
    int id;
    std::optional<std::string> gluedValue;
};

std::optional<Match> FindOption(const std::string& arg) {
    for (int id = 0; id < static_cast<int>(std::size(kOptions)); ++id) {
        const OptionForm& form = kOptions[id];
        if (arg == form.longName || (!form.shortName.empty() && arg == form.shortName))
            return Match{id, std::nullopt};
        if (!form.takesValue) continue;
        const std::string longPrefix = std::string(form.longName) + "=";
        if (arg.starts_with(longPrefix)) return Match{id, arg.substr(longPrefix.size())};
        if (!form.shortName.empty() && arg.size() > 2 && arg.starts_with(form.shortName))
            return Match{id, arg.substr(2)};
    }
    return std::nullopt;
}

// Encoding names in any letter case, with or without a hyphen: utf8, UTF-8, UTF-16LE.
std::optional<OutputEncoding> EncodingNamed(std::string_view name) {
    std::string key;
    for (char c : name) {
        if (c != '-' && c != '_') key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (key == "keep") return OutputEncoding::kKeep;
    if (key == "utf16le") return OutputEncoding::kUtf16Le;
    if (key == "utf8") return OutputEncoding::kUtf8;
    return std::nullopt;
}

// Stores one option's value; returns an error text or empty.
std::string Apply(int id, const std::string& value, Options& options) {
    switch (id) {
        case kTable: options.table = value; break;
        case kTsv: options.tsv = true; break;
        case kOutput: options.output = value; break;
        case kInPlace: options.inPlace = true; break;
        case kBackup: options.backup = value; break;
        case kKeepLinks: options.keepLinks = true; break;
        case kEncoding: {
            auto encoding = EncodingNamed(value);
            if (!encoding) return "unknown encoding '" + value + "' (keep, utf16le or utf8)";
            options.encoding = *encoding;
            break;
        }
        case kAnsi:
            options.ansi = CodePageNumber(value);
            if (options.ansi == 0) return "unknown code page '" + value + "' (utf8, 1252 or a number)";
            break;
        case kCount: options.count = true; break;
        case kStats: options.stats = true; break;
        case kCheck: options.check = true; break;
        case kDiff: options.diff = true; break;
        case kFailIfNone: options.failIfNone = true; break;
        case kHelp: options.help = true; break;
        case kVersion: options.version = true; break;
        case kQuiet: options.quiet = true; break;
        case kFiles0From: options.files0From = value; break;
        case kPair: break;
    }
    return {};
}

// The rules between options, checked once everything is read.
std::string CheckCombination(const Options& options) {
    const auto& files = options.files;
    const auto stdinCount = std::count(files.begin(), files.end(), std::string(kStdinArgument));
    if (options.table.empty() && options.pairs.empty()) return "no table given (-t TABLE.palimp or --pair FROM TO)";
    if (options.tsv && options.table.empty()) return "--tsv says how the table file is read, but -t is not given";
    if (!options.files0From.empty() && !files.empty())
        return "--files0-from names the FILEs, so no FILE may be given beside it";
    if (!options.output.empty() && files.size() > 1)
        return "-o takes the result of a single input, but " + std::to_string(files.size()) +
               " files were given";
    if (options.inPlace && !options.output.empty()) return "-i and -o exclude each other";
    if (options.inPlace && files.empty() && options.files0From.empty()) return "-i needs at least one FILE";
    if (options.inPlace && stdinCount > 0) return "-i cannot rewrite standard input ('-')";
    if (!options.backup.empty() && !options.inPlace) return "--backup keeps copies of what -i rewrites, but -i is not given";
    if (options.keepLinks && !options.WritesFiles())
        return "--keep-links concerns the files -i or -o write, but neither is given";
    if (stdinCount > 1) return "standard input ('-') given twice";
    if (options.check && (options.WritesFiles() || options.count || options.diff))
        return "--check writes nothing, so it does not go with -o, -i, --count or --diff";
    if (options.diff && (options.WritesFiles() || options.count))
        return "--diff shows what -i would do and writes nothing, so it does not go with -i, -o or --count";
    return {};
}

}  // namespace

ParsedArguments ParseArguments(std::span<const std::string> args) {
    ParsedArguments result;
    Options& options = result.options;
    bool seen[std::size(kOptions)] = {};
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            options.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::optional<Match> match = FindOption(arg);
        if (!match) {
            if (result.error.empty()) result.error = "unknown option '" + arg + "'";
            continue;
        }
        if (match->id == kPair) {
            if (args.size() - i < 3) {
                if (result.error.empty()) result.error = "option '--pair' needs FROM and TO";
                break;
            }
            CommandLinePair pair{args[i + 1], args[i + 2], {}};
            i += 2;
            if (i + 1 < args.size() && IsPairOptions(args[i + 1])) pair.options = args[++i];
            options.pairs.push_back(std::move(pair));
            continue;
        }
        std::string value;
        if (match->gluedValue) {
            value = *match->gluedValue;
        } else if (kOptions[match->id].takesValue) {
            if (i + 1 == args.size()) {
                if (result.error.empty()) result.error = "option '" + arg + "' needs a value";
                continue;
            }
            value = args[++i];
        }
        if (seen[match->id] && result.error.empty())
            result.error = "option '" + std::string(kOptions[match->id].longName) + "' given twice";
        seen[match->id] = true;
        if (kOptions[match->id].takesValue && value.empty()) {
            if (result.error.empty()) result.error = "option '" + arg + "' needs a non-empty value";
            continue;
        }
        std::string error = Apply(match->id, value, options);
        if (result.error.empty()) result.error = std::move(error);
    }
    // Asking for help or the version is never an error, whatever else the line holds.
    if (options.help || options.version) {
        result.error.clear();
        return result;
    }
    if (result.error.empty()) result.error = CheckCombination(options);
    return result;
}

std::string UsageText(unsigned defaultCodePage) {
    return UsageText("(default here: " + CodePageName(defaultCodePage) + ")");
}

std::string UsageText(std::string_view defaultNote) {
    std::string text(kUsage);
    const std::size_t at = text.find("@DEFAULT@");
    text.replace(at, 9, std::string(24, ' ') + std::string(defaultNote));
    return text;
}

}  // namespace palimp::cli
