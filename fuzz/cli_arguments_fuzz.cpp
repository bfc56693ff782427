// palimp-replace's command line on any arguments: an accepted line obeys every rule between
// the options, errors are one line, and an accepted line written out again in a canonical form
// (long options with their values glued on, then "--" and the files) means the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "fuzz_check.h"

namespace {

using namespace palimp::cli;

// Arguments are cut at NUL bytes; one that starts with a byte below 0x20 is a word of the
// command line's own, so that options, values and their clashes are common.
std::string Word(std::string_view arg) {
    static const char* const kWords[] = {
        "-t", "--table", "--table=t.palimp", "-tt.palimp", "--tsv", "-o", "--output", "-oout.txt", "-i",
        "--in-place", "--backup", "--backup=.bak", "--keep-links", "--encoding", "--encoding=utf8", "utf16le", "UTF-8", "keep",
        "--ansi", "--ansi=1252", "65001", "cp437", "--count", "--stats", "--check", "--diff",
        "--fail-if-none", "-h", "--help", "--version", "--", "-", "t.palimp", "a.txt", "", "-x", "--table="};
    if (arg.empty() || static_cast<unsigned char>(arg[0]) >= 0x20) return std::string(arg);
    return kWords[static_cast<unsigned char>(arg[0]) % std::size(kWords)] + std::string(arg.substr(1));
}

std::string EncodingName(OutputEncoding encoding) {
    switch (encoding) {
        case OutputEncoding::kUtf16Le: return "utf16le";
        case OutputEncoding::kUtf8: return "utf8";
        case OutputEncoding::kKeep: break;
    }
    return "keep";
}

std::vector<std::string> Canonical(const Options& options) {
    std::vector<std::string> args{"--encoding=" + EncodingName(options.encoding)};
    if (!options.table.empty()) args.push_back("--table=" + options.table);
    for (const CommandLinePair& pair : options.pairs) {
        args.insert(args.end(), {"--pair", pair.search, pair.replace});
        if (!pair.options.empty()) args.push_back(pair.options);
    }
    auto flag = [&](bool on, const char* name) {
        if (on) args.push_back(name);
    };
    auto value = [&](const std::string& text, const char* name) {
        if (!text.empty()) args.push_back(std::string(name) + "=" + text);
    };
    flag(options.tsv, "--tsv");
    value(options.output, "--output");
    flag(options.inPlace, "--in-place");
    value(options.backup, "--backup");
    flag(options.keepLinks, "--keep-links");
    if (options.ansi != 0) args.push_back("--ansi=" + std::to_string(options.ansi));
    flag(options.count, "--count");
    flag(options.stats, "--stats");
    flag(options.check, "--check");
    flag(options.diff, "--diff");
    flag(options.failIfNone, "--fail-if-none");
    flag(options.quiet, "--quiet");
    value(options.files0From, "--files0-from");
    args.push_back("--");
    args.insert(args.end(), options.files.begin(), options.files.end());
    return args;
}

bool Same(const Options& a, const Options& b) {
    return a.table == b.table && a.tsv == b.tsv && a.output == b.output && a.inPlace == b.inPlace &&
           a.backup == b.backup && a.keepLinks == b.keepLinks && a.encoding == b.encoding &&
           a.ansi == b.ansi && a.count == b.count && a.stats == b.stats && a.check == b.check &&
           a.diff == b.diff && a.failIfNone == b.failIfNone && a.help == b.help &&
           a.version == b.version && a.files == b.files && a.quiet == b.quiet && a.files0From == b.files0From &&
           std::equal(a.pairs.begin(), a.pairs.end(), b.pairs.begin(), b.pairs.end(),
                      [](const CommandLinePair& x, const CommandLinePair& y) {
                          return x.search == y.search && x.replace == y.replace && x.options == y.options;
                      });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> args;
    for (std::size_t at = 0; at <= bytes.size() && args.size() < 24;) {
        const std::size_t end = std::min(bytes.find('\0', at), bytes.size());
        args.push_back(Word(bytes.substr(at, end - at)));
        at = end + 1;
    }
    const ParsedArguments parsed = ParseArguments(args);
    const Options& o = parsed.options;
    // One line, unless it quotes an argument that holds a line break.
    bool breaks = false;
    for (const std::string& arg : args) breaks = breaks || arg.find('\n') != std::string::npos;
    FUZZ_CHECK(breaks || parsed.error.find('\n') == std::string::npos);
    // Every file is an argument, in order; those after the first "--" all are.
    std::size_t next = 0;
    for (const std::string& file : o.files) {
        while (next < args.size() && args[next] != file) ++next;
        FUZZ_CHECK(next < args.size());
        ++next;
    }
    if (o.help || o.version) {
        FUZZ_CHECK(parsed.error.empty());
        return 0;
    }
    if (!parsed.error.empty()) return 0;
    const auto stdinCount = std::count(o.files.begin(), o.files.end(), std::string(kStdinArgument));
    FUZZ_CHECK(!o.table.empty() || !o.pairs.empty());  // a table file, or pairs on the command line
    FUZZ_CHECK(o.output.empty() || o.files.size() <= 1);
    FUZZ_CHECK(!(o.inPlace && !o.output.empty()));
    FUZZ_CHECK(!o.inPlace || (!o.files.empty() && stdinCount == 0));
    FUZZ_CHECK(o.backup.empty() || o.inPlace);
    FUZZ_CHECK(!o.keepLinks || o.WritesFiles());
    FUZZ_CHECK(stdinCount <= 1);
    FUZZ_CHECK(!o.check || (!o.WritesFiles() && !o.count && !o.diff));
    FUZZ_CHECK(!o.diff || (o.output.empty() && !o.count));
    const ParsedArguments again = ParseArguments(Canonical(o));
    FUZZ_CHECK(again.error.empty());
    FUZZ_CHECK(Same(again.options, o));
    return 0;
}
