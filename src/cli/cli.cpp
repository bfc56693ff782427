// palimp-replace: the table is read and built once, then every input goes through the same
// steps (read, decode, replace, encode, write) a piece at a time, and a failing input never
// stops the others.
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
#include "cli/transcode.h"
#include "core/errors.h"
#include "core/file_io.h"
#include "core/product.h"
#include "core/replace_many.h"
#include "core/table_file.h"

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

std::string ErrorText(std::errc error) { return std::make_error_code(error).message(); }

// The reason a file could not be read, found after the fact from what the file system says
// about the path (the reader itself reports only that it failed).
std::string DescribeReadFailure(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) {
        return ErrorText(std::errc::no_such_file_or_directory);
    }
    if (error) return error.message();
    if (fs::is_directory(status)) return ErrorText(std::errc::is_a_directory);
    return ErrorText(std::errc::permission_denied);
}

std::string DescribeWriteFailure(const fs::path& path) {
    std::error_code error;
    fs::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    const fs::file_status folderStatus = fs::status(folder, error);
    if (folderStatus.type() == fs::file_type::not_found) {
        return ErrorText(std::errc::no_such_file_or_directory);
    }
    if (error) return error.message();
    if (!fs::is_directory(folderStatus)) return ErrorText(std::errc::not_a_directory);
    const fs::file_status target = fs::status(path, error);
    if (!error && fs::is_directory(target)) return ErrorText(std::errc::is_a_directory);
    if (!error && fs::exists(target) && !fs::is_regular_file(target)) return "not a regular file";
    if (!error && fs::exists(target) &&
        (target.permissions() & fs::perms::owner_write) == fs::perms::none) {
        return "the file is read-only";
    }
    return "the folder is not writable or the disk is full";
}

std::string Seconds(double seconds, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, seconds);
    return text;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class Run {
public:
    Run(const Options& options, const Environment& environment)
        : options_(options), env_(environment) {
        settings_.codePage.page = env_.codePage ? env_.codePage : &DefaultAnsiCodePage();
        settings_.codePage.roundTrips = env_.codePage ? env_.codePageRoundTrips : true;
        settings_.mode = options_.encoding;
        settings_.count = options_.count;
        if (env_.pieceBytes != 0) settings_.pieceBytes = env_.pieceBytes;
    }

    int Execute() {
        if (!LoadTable()) return kExitFailure;
        if (options_.files.empty()) {
            ProcessInput(std::string(kStdinName), std::nullopt);
        } else {
            for (const std::string& file : options_.files) {
                ProcessInput(file, PathFromArgument(file));
            }
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

    bool LoadTable() {
        const fs::path path = PathFromArgument(options_.table);
        std::string bytes;
        try {
            bytes = ReadFileBytes(path);
        } catch (const EFOpenError&) {
            Fail(options_.table, "cannot open: " + DescribeReadFailure(path));
            return false;
        }
        const TableFileContent content = ReadTableFile(bytes, *settings_.codePage.page);
        const Clock::time_point start = Clock::now();
        engine_.emplace(std::span(content.rows));
        if (options_.stats) {
            env_.writeStderr("Table: " + std::to_string(content.rows.size()) + " rows; Build: " +
                             Seconds(SecondsSince(start), 3) + "s\n");
        }
        return true;
    }

    // The input's bytes: a regular file read as the pass needs it, perhaps twice; anything
    // that cannot be read twice (standard input, a pipe, a device) read whole first.
    std::unique_ptr<ByteSource> OpenInput(const std::string& name,
                                          const std::optional<fs::path>& path) {
        if (!path) {
            std::string bytes;
            if (!env_.readStdin(bytes)) {
                Fail(name, "cannot read");
                return nullptr;
            }
            return std::make_unique<MemorySource>(std::move(bytes));
        }
        try {
            std::error_code error;
            if (fs::exists(*path, error) && !fs::is_regular_file(*path, error) &&
                !fs::is_directory(*path, error)) {
                return std::make_unique<MemorySource>(ReadFileBytes(*path));
            }
            return std::make_unique<FileSource>(*path);
        } catch (const EFOpenError&) {
            Fail(name, "cannot open: " + DescribeReadFailure(*path));
            return nullptr;
        }
    }

    // Whether the input may be written out; a decoding that loses bytes is refused when the
    // result should keep the input's encoding, and only noted when the user asked to convert.
    bool AcceptDecoding(const std::string& name, const std::string& unfaithful) {
        if (unfaithful.empty() || options_.count) return true;
        if (options_.encoding == OutputEncoding::kKeep) {
            Fail(name, "holds " + unfaithful +
                           ", which would not be written back unchanged; nothing written"
                           " (--encoding utf8 or utf16le converts it as read)");
            return false;
        }
        Report(name, "warning: holds " + unfaithful + "; converted as read");
        return true;
    }

    void PrintStats(const std::string& name, const PassOutcome& outcome) {
        const std::string prefix = options_.files.size() > 1 ? name + ": " : std::string();
        std::string text = prefix + "Found: " + std::to_string(outcome.found) +
                           "; Time: " + Seconds(outcome.seconds, 1) + "s\n";
        for (size_t row = 0; row < outcome.rowHits.size(); ++row) {
            if (outcome.rowHits[row] == 0) continue;
            text += prefix + "row " + std::to_string(row + 1) + ": " +
                    std::to_string(outcome.rowHits[row]) + "\n";
        }
        env_.writeStderr(text);
    }

    void PrintCount(const std::string& name, int found) {
        std::string line = options_.files.size() > 1 ? name + "\t" : std::string();
        line += std::to_string(found) + "\n";
        if (!env_.writeStdout(line)) Fail(kStdoutName, "cannot write");
    }

    // Where one input's result goes as the pass hands it out: standard output, held and written
    // whole once the result is known to be good, or a temporary file that replaces the target
    // only then. Until it is delivered nothing is visible, so a failure leaves nothing behind.
    class Output {
    public:
        Output(Run& run, const std::string& name, const std::optional<fs::path>& inputPath)
            : run_(run), toStdout_(!run.options_.inPlace && run.options_.output.empty()) {
            if (toStdout_) return;
            targetName_ = run.options_.inPlace ? name : run.options_.output;
            target_ = run.options_.inPlace ? *inputPath : PathFromArgument(run.options_.output);
        }

        void Add(std::string_view bytes) {
            if (toStdout_) {
                held_.append(bytes);
                return;
            }
            if (failed_) return;
            try {
                if (!writer_) writer_.emplace(target_);
                writer_->Write(bytes);
            } catch (const EFCreateError&) {
                failed_ = true;  // reported when the result would be delivered
                writer_.reset();
            }
        }

        void Deliver() {
            if (toStdout_) {
                if (!run_.env_.writeStdout(held_)) run_.Fail(kStdoutName, "cannot write");
                return;
            }
            if (!failed_) {
                try {
                    if (!writer_) writer_.emplace(target_);
                    writer_->Commit();
                    return;
                } catch (const EFCreateError&) {
                    writer_.reset();
                }
            }
            run_.Fail(targetName_,
                      "cannot write: " + DescribeWriteFailure(target_) + "; nothing written");
        }

    private:
        Run& run_;
        bool toStdout_;
        std::string held_;
        std::string targetName_;
        fs::path target_;
        std::optional<AtomicFileWriter> writer_;  // abandoned unless delivered
        bool failed_ = false;
    };

    void ProcessInput(const std::string& name, const std::optional<fs::path>& path) {
        std::unique_ptr<ByteSource> source = OpenInput(name, path);
        if (!source) return;
        Output output(*this, name, path);
        PassOutcome outcome;
        try {
            outcome = RunPass(*source, *engine_, settings_,
                              [&output](std::string_view bytes) { output.Add(bytes); });
        } catch (const EFOpenError&) {
            Fail(name, "cannot open: " + DescribeReadFailure(*path));
            return;
        }
        source.reset();  // closed before the file may be replaced in place
        if (outcome.changedWhileRead) {
            Fail(name, "changed while it was read; nothing written");
            return;
        }
        if (!AcceptDecoding(name, outcome.unfaithful)) return;
        if (outcome.tooLarge) {
            Fail(name, "is too large (more than 2,147,483,647 UTF-16 units)");
            return;
        }
        if (options_.stats) PrintStats(name, outcome);
        if (options_.count) {
            PrintCount(name, outcome.found);
            return;
        }
        // A file that would come back byte for byte is not rewritten in place.
        const bool unchanged = options_.encoding == OutputEncoding::kKeep && outcome.found == 0;
        if (options_.inPlace && unchanged) return;
        if (!outcome.unwritable.empty()) {
            Fail(name, outcome.unwritable + "; nothing written");
            return;
        }
        output.Deliver();
    }

    const Options& options_;
    const Environment& env_;
    PassSettings settings_;
    std::optional<ReplaceManyEngine> engine_;
    bool failed_ = false;
};

// Rewriting one file twice in place would apply the table to its own result.
std::string RepeatedInPlaceFile(const Options& options) {
    if (!options.inPlace) return {};
    std::set<fs::path> seen;
    for (const std::string& file : options.files) {
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
    if (parsed.error.empty() && !informational) parsed.error = RepeatedInPlaceFile(parsed.options);
    if (!parsed.error.empty()) {
        UsageError(environment, parsed.error);
        return kExitUsage;
    }
    const Options& options = parsed.options;
    if (options.help) {
        return environment.writeStdout(UsageText()) ? kExitOk : kExitFailure;
    }
    if (options.version) {
        std::string line = std::string(kProgram) + " " + PALIMP_FILE_VERSION + "\n";
        return environment.writeStdout(line) ? kExitOk : kExitFailure;
    }
    return Run(options, environment).Execute();
}

}  // namespace palimp::cli
