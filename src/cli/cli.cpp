// palimp-replace: the table is read, checked and built once, then every input goes through the
// same steps (read, decode, replace, encode, write) a piece at a time, and a failing input
// never stops the others. --check and --diff take the same road and write nothing.
#include "cli/cli.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

#include "cli/arguments.h"
#include "cli/diff_tap.h"
#include "cli/input_list.h"
#include "cli/table_report.h"
#include "cli/transcode.h"
#include "core/errors.h"
#include "core/file_io.h"
#include "core/line_diff.h"
#include "core/pass_rows.h"
#include "core/product.h"
#include "core/replace_many.h"
#include "core/table_check.h"
#include "os/file_replace.h"
#include "os/input_file.h"

namespace palimp::cli {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kProgram = "palimp-replace";
constexpr std::string_view kStdinName = "standard input";
constexpr std::string_view kStdoutName = "standard output";

// Arguments are UTF-8 on Windows, where paths are UTF-16, and plain bytes elsewhere.
fs::path PathFromArgument(const std::string& arg) {
    if constexpr (sizeof(fs::path::value_type) == sizeof(char16_t)) {
        return PathFromUtf16(DecodeUtf8(arg));
    } else {
        return fs::path(arg);
    }
}

// Every byte left in file, or (with limit) the first limit + 1 when there are more.
std::string ReadToEnd(os::InputFile& file, std::size_t limit = std::string::npos) {
    std::string bytes;
    char piece[1 << 16];
    for (std::size_t got; bytes.size() <= limit && (got = file.Read(piece, sizeof piece)) > 0;) {
        bytes.append(piece, got);
    }
    return bytes;
}

// A table is read whole; a file beyond this is no table (-t /dev/zero would grow without end).
constexpr std::size_t kMaxTableBytes = std::size_t{256} << 20;

// What a failed write did to the file, for the line that names it.
std::string WriteFailureText(const os::FileWriteError& error) {
    using Kind = os::FileWriteError::Kind;
    switch (error.GetKind()) {
    case Kind::kPartlyWritten:
    case Kind::kNotDurable:
        return "cannot write: " + error.Reason();
    case Kind::kHardLinks:
    case Kind::kOwner:
        return "cannot write: " + error.Reason() + "; nothing written (--keep-links overwrites it"
               " where it is)";
    default:
        return "cannot write: " + error.Reason() + "; nothing written";
    }
}

std::string Seconds(double seconds, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, seconds);
    return text;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// How the result of an input is written, for the note on a file converted in place.
std::string EncodingTitle(TextEncoding encoding, unsigned codePage) {
    switch (encoding) {
        case TextEncoding::kUtf16LeBom: return "UTF-16 LE with mark";
        case TextEncoding::kUtf16BeBom: return "UTF-16 BE with mark";
        case TextEncoding::kUtf8Bom: return "UTF-8 with mark";
        case TextEncoding::kUtf8: return "UTF-8";
        case TextEncoding::kAnsi: break;
    }
    return CodePageTitle(codePage);
}

TextEncoding WrittenEncoding(OutputEncoding mode, TextEncoding input) {
    switch (mode) {
        case OutputEncoding::kUtf16Le: return TextEncoding::kUtf16LeBom;
        case OutputEncoding::kUtf8: return TextEncoding::kUtf8;
        case OutputEncoding::kKeep: break;
    }
    return input;
}

std::string RepeatedInPlaceFile(const Options& options, const std::vector<std::string>& files);

class Run {
public:
    Run(const Options& options, const Environment& environment)
        : options_(options), env_(environment) {
        settings_.mode = options_.encoding;
        settings_.count = options_.check || (options_.count && !options_.WritesFiles());
        if (env_.pieceBytes != 0) settings_.pieceBytes = env_.pieceBytes;
    }

    int Execute() {
        if (!ChooseCodePage()) return kExitUsage;
        if (const int status = LoadTable(); status != kExitOk) return status;
        std::vector<std::string> inputs = options_.files;
        if (!options_.files0From.empty()) {
            if (!ReadInputNames(inputs)) return kExitFailure;
        } else if (inputs.empty() && !options_.check) {
            inputs.emplace_back(kStdinArgument);
        }
        severalInputs_ = inputs.size() > 1;
        for (const std::string& input : inputs) {
            if (input == kStdinArgument && options_.files0From.empty()) {
                ProcessInput(std::string(kStdinName), std::nullopt);
            } else {
                ProcessInput(input, PathFromArgument(input));
            }
        }
        if (options_.check) ReportCheck();
        if (options_.diff) ReportDiffHits();
        if (options_.failIfNone && totalFound_ == 0) {
            env_.writeStderr(std::string(kProgram) + ": nothing was replaced (--fail-if-none)\n");
            failed_ = true;
        }
        return failed_ ? kExitFailure : kExitOk;
    }

private:
    void Report(std::string_view name, std::string_view problem) {
        std::string line(kProgram);
        line += ": ";
        line += name;
        line += ": ";
        line += problem;
        line += '\n';
        env_.writeStderr(line);
    }

    void Fail(std::string_view name, std::string_view problem) {
        Report(name, problem);
        failed_ = true;
    }

    void WriteStdout(std::string_view bytes) {
        if (stdoutBroken_) return;
        if (const std::error_code error = env_.writeStdout(bytes)) {
            Fail(kStdoutName, "cannot write: " + error.message());
            stdoutBroken_ = true;  // said once; the rest would fail alike
        }
    }

    bool ChooseCodePage() {
        codePageNumber_ = options_.ansi != 0 ? options_.ansi : env_.defaultCodePage;
        settings_.codePage = env_.codePages ? env_.codePages(codePageNumber_) : PortableCodePage(codePageNumber_);
        if (settings_.codePage.page) return true;
        env_.writeStderr(std::string(kProgram) + ": code page " + std::to_string(codePageNumber_) +
                         " is not available here (--ansi utf8 or 1252)\n");
        return false;
    }

    int LoadTable() {
        if (!options_.table.empty()) {
            const fs::path path = PathFromArgument(options_.table);
            std::string bytes;
            try {
                os::InputFile file(path);
                bytes = ReadToEnd(file, kMaxTableBytes);
            } catch (const os::FileReadError& error) {
                Fail(options_.table, "cannot open: " + error.Reason());
                return kExitFailure;
            }
            if (bytes.size() > kMaxTableBytes) {
                Report(options_.table, "is larger than 256 MiB, too large for a table");
                return kExitUsage;
            }
            TableRead read = ReadTable(bytes, settings_.codePage, options_.tsv);
            if (!read.refusal.empty()) {
                Report(options_.table, read.refusal);
                return kExitUsage;
            }
            table_ = std::move(read.table);
        }
        if (const std::string problem = AddPairs(options_.pairs, table_); !problem.empty()) {
            Report(problem, "is not UTF-8");
            return kExitUsage;
        }
        if (const std::string warnings = WarningLines(options_.table, table_); !warnings.empty() && !options_.quiet) {
            std::string text;
            for (std::size_t at = 0; at < warnings.size();) {
                const std::size_t end = warnings.find('\n', at) + 1;
                text += std::string(kProgram) + ": " + warnings.substr(at, end - at);
                at = end;
            }
            env_.writeStderr(text);
        }
        if (const std::string escapes = EscapeWarningLines(kProgram, options_.table, table_); !escapes.empty()) {
            env_.writeStderr(escapes);
        }
        if (options_.check || options_.stats) reach_ = FindRowsThatNeverWin(PassRowsOf(table_.rows));
        const Clock::time_point start = Clock::now();
        engine_.emplace(std::span(table_.rows));
        totalHits_.assign(table_.rows.size(), 0);
        if (options_.stats) {
            std::size_t pairs = 0;
            for (const RowReach& reach : reach_) pairs += reach.canWin ? 1 : 0;
            env_.writeStderr("Table: " + std::to_string(table_.rows.size()) + " rows, " +
                             std::to_string(pairs) + " pairs that can match; Build: " +
                             Seconds(SecondsSince(start), 3) + "s\n");
        }
        return kExitOk;
    }

    // The input's bytes: a regular file read as the pass needs it, perhaps twice; standard
    // input, a pipe or a device as a stream, a piece at a time. A file rewritten in place must be a regular file (a FIFO is
    // refused before a byte is taken from it), and its stamp is what the result replaces.
    std::unique_ptr<ByteSource> OpenInput(const std::string& name, const std::optional<fs::path>& path,
                                          std::optional<os::FileStamp>& stamp) {
        if (!path) {
            try {
                return env_.openStdin();
            } catch (const os::FileReadError& error) {
                Fail(name, "cannot read: " + error.Reason());
                return nullptr;
            }
        }
        try {
            os::InputFile file(*path, options_.inPlace);
            if (file.Rewindable()) stamp = file.Stamp();
            return SourceOf(std::move(file));
        } catch (const os::FileReadError& error) {
            Fail(name, "cannot open: " + error.Reason());
            return nullptr;
        }
    }

    // Whether the input may be written out; a decoding that loses bytes is refused when the
    // result should keep the input's encoding, and only noted when the user asked to convert.
    bool AcceptDecoding(const std::string& name, const std::string& unfaithful, std::string_view written) {
        if (unfaithful.empty() || settings_.count) return true;
        if (options_.encoding == OutputEncoding::kKeep) {
            Fail(name, "holds " + unfaithful +
                           ", which would not be written back unchanged; " + std::string(written) +
                           " (--encoding utf8 or utf16le converts it as read)");
            return false;
        }
        Report(name, "warning: holds " + unfaithful + "; converted as read");
        return true;
    }

    void PrintStats(const std::string& name, const PassOutcome& outcome) {
        const std::string prefix = severalInputs_ ? name + ": " : std::string();
        env_.writeStderr(prefix + "Found: " + std::to_string(outcome.found) + "; Time: " +
                         Seconds(outcome.seconds, 1) + "s\n" + HitLines(table_, outcome.rowHits, prefix));
    }

    void PrintCount(const std::string& name, int found) {
        std::string line = severalInputs_ ? name + "\t" : std::string();
        line += std::to_string(found) + "\n";
        if (options_.WritesFiles()) {
            env_.writeStderr(line);
        } else {
            WriteStdout(line);
        }
    }

    // Where one input's result goes as the pass hands it out: standard output at once, as a
    // filter does (a failure then stops it where the result stops being right), or a new file
    // that replaces the target only once the result is known to be good, so that a failure
    // leaves nothing behind. -o naming the program's own standard output or error is that
    // stream, never a new file put where the stream leads.
    class Output {
    public:
        Output(Run& run, const std::string& name, const std::optional<fs::path>& inputPath,
               const std::optional<os::FileStamp>& inputStamp)
            : run_(run), stream_(run.options_.WritesFiles() ? 0 : 1), discard_(run.options_.DryRun()) {
            if (stream_ != 0 || discard_) return;
            targetName_ = run.options_.inPlace ? name : run.options_.output;
            target_ = run.options_.inPlace ? *inputPath : PathFromArgument(run.options_.output);
            if (!run.options_.inPlace && run.env_.standardStreamOf) {
                stream_ = run.env_.standardStreamOf(target_);
                if (stream_ != 0) return;
            }
            // In place, the result replaces the file it was computed from, or nothing.
            if (run.options_.inPlace) replace_.expected = inputStamp;
            replace_.overwriteInPlace = run.options_.keepLinks;
            // The old file itself stays under its name with the suffix.
            if (run.options_.inPlace && !run.options_.backup.empty()) {
                replace_.backup = *inputPath;
                *replace_.backup += PathFromArgument(run.options_.backup);
            }
        }

        void Add(std::string_view bytes) {
            if (discard_) return;
            if (stream_ != 0) {
                sent_ = sent_ || !bytes.empty();
                if (stream_ == 1) {
                    run_.WriteStdout(bytes);
                } else {
                    run_.WriteStderrResult(bytes);
                }
                return;
            }
            if (failure_) return;
            try {
                if (!writer_) writer_.emplace(target_, replace_);
                writer_->Write(bytes);
            } catch (const os::FileWriteError& error) {
                failure_ = error;  // reported when the result would be delivered
                writer_.reset();
            }
        }

        // Puts the result in place, keeping the backup first when asked; true when delivered.
        bool Deliver() {
            if (stream_ != 0) return true;
            if (!failure_) {
                try {
                    if (!writer_) writer_.emplace(target_, replace_);
                    writer_->Commit();
                    return true;
                } catch (const os::FileWriteError& error) {
                    failure_ = error;
                    writer_.reset();
                }
            }
            if (failure_->GetKind() == os::FileWriteError::Kind::kBackup) {
                run_.Fail(targetName_, "cannot keep the old content in " + ToUtf8(PathToUtf16(*replace_.backup)) +
                                           ": " + failure_->Reason() + "; nothing written");
            } else {
                run_.Fail(targetName_, WriteFailureText(*failure_));
            }
            return false;
        }

        // What a failure leaves for the user, for its message.
        std::string_view Written() const { return sent_ ? "the output stops before it" : "nothing written"; }

    private:
        Run& run_;
        int stream_;  // 1 standard output, 2 standard error, 0 a file
        bool discard_;
        bool sent_ = false;  // to a stream
        std::string targetName_;
        fs::path target_;
        os::ReplaceOptions replace_;
        std::optional<os::FileReplacer> writer_;  // abandoned unless delivered
        std::optional<os::FileWriteError> failure_;
    };

    // A result for standard error (-o naming it), with its failure said once, as for output.
    void WriteStderrResult(std::string_view bytes) {
        if (stderrBroken_) return;
        const std::error_code error = env_.writeStderrChecked ? env_.writeStderrChecked(bytes)
                                                              : (env_.writeStderr(bytes), std::error_code());
        if (error) {
            Fail("standard error", "cannot write: " + error.message());
            stderrBroken_ = true;
        }
    }

    void ProcessInput(const std::string& name, const std::optional<fs::path>& path) {
        ++inputsGiven_;
        std::optional<os::FileStamp> stamp;
        std::unique_ptr<ByteSource> source = OpenInput(name, path, stamp);
        if (!source) return;
        Output output(*this, name, path, stamp);
        PassSettings settings = settings_;
        std::optional<DiffTap> diff;
        if (options_.diff) {
            diff.emplace(path ? name : std::string(kStdinArgument), [this](std::string_view hunk) { WriteStdout(hunk); });
            settings.tap = &*diff;
        }
        // What a failure leaves for the user; a diff goes out hunk by hunk.
        const auto leftBehind = [&] {
            if (diff) return std::string(diff->Wrote() ? "its diff stops before it" : "nothing written");
            return std::string(output.Written());
        };
        PassOutcome outcome;
        try {
            outcome = RunPass(*source, *engine_, settings,
                              [&output](std::string_view bytes) { output.Add(bytes); });
        } catch (const os::FileReadError& error) {
            Fail(name, "cannot read: " + error.Reason());
            return;
        }
        source.reset();  // closed before the file may be replaced in place
        if (outcome.changedWhileRead) {
            Fail(name, "changed while it was read; " + leftBehind());
            return;
        }
        if (outcome.notUtf8) {
            Fail(name, NotUtf8Text(outcome) + "; " + leftBehind() + NotUtf8Advice(outcome));
            return;
        }
        if (!AcceptDecoding(name, outcome.unfaithful, leftBehind())) return;
        if (outcome.tooLarge) {
            Fail(name, "is too large (more than 2,147,483,647 UTF-16 units); " + leftBehind());
            return;
        }
        totalFound_ += outcome.found;
        ++inputsRead_;
        if (outcome.found > 0) ++inputsWithHits_;
        for (std::size_t r = 0; r < outcome.rowHits.size(); ++r) totalHits_[r] += outcome.rowHits[r];
        if (options_.stats) PrintStats(name, outcome);
        if (options_.count) PrintCount(name, outcome.found);
        if (settings.count) return;
        // A file that would come back byte for byte is not rewritten in place.
        const bool unchanged = options_.encoding == OutputEncoding::kKeep && outcome.found == 0;
        if (options_.inPlace && unchanged) return;
        if (!outcome.unwritable.empty()) {
            Fail(name, outcome.unwritable + "; " + leftBehind());
            return;
        }
        if (diff) {
            diff->Finish();
            return;
        }
        if (!output.Deliver()) return;
        const TextEncoding written = WrittenEncoding(options_.encoding, outcome.encoding);
        if (options_.inPlace && written != outcome.encoding) {
            Report(name, "note: " + EncodingTitle(outcome.encoding, codePageNumber_) + " written as " +
                             EncodingTitle(written, codePageNumber_) +
                             (written == TextEncoding::kUtf16LeBom ? " with CR LF line breaks" : "") +
                             " (--encoding)");
        }
    }

    // --check: the rows that never win and, after inputs, the rows without a hit in them.
    void ReportCheck() {
        std::string text;
        std::size_t rows = 0, neverWin = 0, withoutHits = 0, withoutTab = 0;
        const std::string inputs = inputsRead_ == 1 ? std::string("in the input")
                                                    : "across " + std::to_string(inputsRead_) + " inputs";
        for (std::size_t r = 0; r < table_.rows.size(); ++r) {
            if (IsBlankRow(table_.rows[r]) || IsRowOff(table_.rows[r])) continue;
            const std::string where = RowPlace(options_.table, table_.lines[r]) + ": ";
            ++rows;
            if (HasNoTab(table_, r)) {
                ++withoutTab;
                text += where + "no TAB: the whole line is a phrase replaced by nothing\n";
            }
            if (!reach_[r].canWin) {
                ++neverWin;
                text += where + NeverWinsText(table_, r, reach_[r]) + "\n";
            } else if (inputsRead_ > 0 && totalHits_[r] == 0) {
                ++withoutHits;
                text += where + "no hit " + inputs + "\n";
            }
        }
        text += TableName() + ": " + std::to_string(rows) + (rows == 1 ? " row" : " rows");
        if (withoutTab > 0) text += "; " + std::to_string(withoutTab) + (withoutTab == 1 ? " has" : " have") + " no TAB";
        if (neverWin + withoutHits == 0) {
            if (withoutTab > 0) failed_ = true;
            text += inputsRead_ > 0 ? "; every one can win and has hits " + inputs : "; every one can win";
        } else {
            if (neverWin > 0) text += "; " + std::to_string(neverWin) + (neverWin == 1 ? " never wins" : " never win");
            if (withoutHits > 0) {
                text += "; " + std::to_string(withoutHits) + (withoutHits == 1 ? " has" : " have") +
                        " no hit " + inputs;
            }
            failed_ = true;
        }
        WriteStdout(text + "\n");
    }

    // --diff: the hits of every row across the inputs, and how many inputs were refused.
    void ReportDiffHits() {
        std::string line = "Found: " + std::to_string(totalFound_) + " in " + std::to_string(inputsWithHits_) + " of " +
                           std::to_string(inputsGiven_) + (inputsGiven_ == 1 ? " input" : " inputs");
        if (inputsGiven_ > inputsRead_) line += "; " + std::to_string(inputsGiven_ - inputsRead_) + " not read (above)";
        env_.writeStderr(line + "\n" + HitLines(table_, totalHits_, ""));
    }

    // The name of the whole table in messages: its file's, or --pair for pairs alone.
    std::string TableName() const { return options_.table.empty() ? std::string("--pair") : options_.table; }

    // --files0-from: the names of the inputs; false when the list cannot be read.
    bool ReadInputNames(std::vector<std::string>& inputs) {
        const bool fromStdin = options_.files0From == kStdinArgument;
        const std::string listName = fromStdin ? std::string(kStdinName) : options_.files0From;
        std::string bytes;
        try {
            if (fromStdin) {
                const std::unique_ptr<ByteSource> source = env_.openStdin();
                char piece[1 << 16];
                for (std::size_t got; (got = source->Read(piece, sizeof piece)) > 0;) bytes.append(piece, got);
            } else {
                os::InputFile file(PathFromArgument(options_.files0From));
                bytes = ReadToEnd(file);
            }
        } catch (const os::FileReadError& error) {
            Fail(listName, "cannot read: " + error.Reason());
            return false;
        }
        const FileNameList list = SplitFileNames(bytes);
        for (std::size_t entry : list.emptyEntries) {
            Fail(listName, "name " + std::to_string(entry) + " is empty");
        }
        inputs = list.names;
        if (const std::string twice = RepeatedInPlaceFile(options_, inputs); !twice.empty()) {
            Fail(listName, twice);
            return false;
        }
        return true;
    }

    const Options& options_;
    const Environment& env_;
    PassSettings settings_;
    unsigned codePageNumber_ = 0;
    LinedTable table_;
    std::vector<RowReach> reach_;
    std::optional<ReplaceManyEngine> engine_;
    bool severalInputs_ = false;
    bool failed_ = false;
    bool stdoutBroken_ = false;
    bool stderrBroken_ = false;
    long long totalFound_ = 0;
    std::vector<int> totalHits_;
    int inputsRead_ = 0;
    int inputsGiven_ = 0;
    int inputsWithHits_ = 0;
};

// Rewriting one file twice in place would apply the table to its own result.
std::string RepeatedInPlaceFile(const Options& options, const std::vector<std::string>& files) {
    if (!options.inPlace) return {};
    std::set<fs::path> seen;
    for (const std::string& file : files) {
        std::error_code error;
        fs::path canonical = fs::weakly_canonical(PathFromArgument(file), error);
        if (error) canonical = PathFromArgument(file);
        if (!seen.insert(canonical).second) return "'" + file + "' given twice with -i";
    }
    return {};
}

void UsageError(const Environment& environment, std::string_view problem) {
    std::string text(kProgram);
    text += ": ";
    text += problem;
    text += "\nTry 'palimp-replace --help'.\n";
    environment.writeStderr(text);
}

}  // namespace

int RunReplaceCli(std::span<const std::string> args, const Environment& environment) {
    ParsedArguments parsed = ParseArguments(args);
    const bool informational = parsed.options.help || parsed.options.version;
    if (parsed.error.empty() && !informational) parsed.error = RepeatedInPlaceFile(parsed.options, parsed.options.files);
    if (!parsed.error.empty()) {
        UsageError(environment, parsed.error);
        return kExitUsage;
    }
    const Options& options = parsed.options;
    if (options.help || options.version) {
        const std::string text = options.help ? UsageText(environment.defaultCodePage)
                                              : std::string(kProgram) + " " + PALIMP_FILE_VERSION + "\n";
        if (const std::error_code error = environment.writeStdout(text)) {
            environment.writeStderr(std::string(kProgram) + ": " + std::string(kStdoutName) +
                                    ": cannot write: " + error.message() + "\n");
            return kExitFailure;
        }
        return kExitOk;
    }
    return Run(options, environment).Execute();
}

}  // namespace palimp::cli
