// Parsing of palimp-replace's command line. Hand-written: a dozen options do not justify a
// library, and the rules about which options go together are easier to read in one place.
#include "cli/arguments.h"

#include <optional>

namespace palimp::cli {

namespace {

constexpr std::string_view kUsage =
    "Usage: palimp-replace -t TABLE.palimp [options] [FILE...]\n"
    "Replace many text phrases at once: applies a Palimp table to text files in one pass.\n"
    "At every position the first table row that matches wins; replacements are never\n"
    "scanned again. Without FILE, standard input is read and standard output written.\n"
    "\n"
    "  -t, --table TABLE     the table file (.palimp)\n"
    "  -o, --output FILE     write the result of the single input there\n"
    "  -i, --in-place        rewrite each FILE in place (atomically)\n"
    "      --encoding E      keep (default): the input's encoding, mark and line breaks;\n"
    "                        utf16le: what the editor writes (FF FE, CR LF);\n"
    "                        utf8: UTF-8 without mark\n"
    "      --count           write nothing; print the number of replacements\n"
    "                        (\"N\", or \"PATH<TAB>N\" per file when there are several)\n"
    "      --stats           print to standard error, per input, \"Found: N; Time: X.Xs\"\n"
    "                        and \"row R: N\" for every table row that matched\n"
    "  -h, --help            show this help\n"
    "      --version         show the version\n"
    "\n"
    "Exit status: 0 success, 1 an input or output failed, 2 usage error.\n";

struct OptionForm {
    std::string_view shortName;  // "-t", or empty
    std::string_view longName;   // "--table"
    bool takesValue;
};

enum OptionId { kTable, kOutput, kInPlace, kEncoding, kCount, kStats, kHelp, kVersion };

constexpr OptionForm kOptions[] = {
    {"-t", "--table", true},      {"-o", "--output", true}, {"-i", "--in-place", false},
    {"", "--encoding", true},     {"", "--count", false},   {"", "--stats", false},
    {"-h", "--help", false},      {"", "--version", false},
};

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

std::optional<OutputEncoding> EncodingNamed(std::string_view name) {
    if (name == "keep") return OutputEncoding::kKeep;
    if (name == "utf16le") return OutputEncoding::kUtf16Le;
    if (name == "utf8") return OutputEncoding::kUtf8;
    return std::nullopt;
}

// Stores one option's value; returns an error text or empty.
std::string Apply(int id, const std::string& value, Options& options) {
    switch (id) {
        case kTable: options.table = value; break;
        case kOutput: options.output = value; break;
        case kInPlace: options.inPlace = true; break;
        case kEncoding: {
            auto encoding = EncodingNamed(value);
            if (!encoding) return "unknown encoding '" + value + "' (keep, utf16le or utf8)";
            options.encoding = *encoding;
            break;
        }
        case kCount: options.count = true; break;
        case kStats: options.stats = true; break;
        case kHelp: options.help = true; break;
        case kVersion: options.version = true; break;
    }
    return {};
}

// The rules between options, checked once everything is read.
std::string CheckCombination(const Options& options) {
    if (options.table.empty()) return "no table given (-t TABLE.palimp)";
    if (!options.output.empty() && options.files.size() > 1)
        return "-o takes the result of a single input, but " +
               std::to_string(options.files.size()) + " files were given";
    if (options.inPlace && !options.output.empty()) return "-i and -o exclude each other";
    if (options.inPlace && options.files.empty()) return "-i needs at least one FILE";
    if (options.count && (options.inPlace || !options.output.empty()))
        return "--count writes nothing, so it does not go with -o or -i";
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
        if (kOptions[match->id].takesValue && value.empty() && result.error.empty())
            result.error = "option '" + arg + "' needs a non-empty value";
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

std::string_view UsageText() { return kUsage; }

}  // namespace palimp::cli
