// palimp-replace as a function, so that tests run it in-process with their own standard
// streams, and main.cpp only connects it to the real process.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "cli/code_pages.h"

namespace palimp::cli {

class ByteSource;

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // an input or an output failed; --check found rows
inline constexpr int kExitUsage = 2;    // the command line or the table is unusable

// What the command line talks to besides files.
struct Environment {
    // Standard input as a source of bytes (SourceOf(os::InputFile::StandardInput()) in the
    // program); throws os::FileReadError when it cannot be read.
    std::function<std::unique_ptr<ByteSource>()> openStdin;
    // Writes bytes to standard output; the system's error when that fails.
    std::function<std::error_code(std::string_view bytes)> writeStdout;
    std::function<void(std::string_view bytes)> writeStderr;
    // Which of the program's own standard streams a path names however it is spelled (1
    // output, 2 error, 0 neither), so that -o naming one writes to that stream as the filter
    // does. Unset: none.
    std::function<int(const std::filesystem::path& path)> standardStreamOf;
    // Writes a result to standard error (-o naming it); the system's error when that fails.
    // Unset: writeStderr, whose failures go unseen.
    std::function<std::error_code(std::string_view bytes)> writeStderrChecked;
    // The code page of files without a mark when --ansi names none.
    unsigned defaultCodePage = kUtf8CodePage;
    // The code page of a number (a null page when there is none); unset: PortableCodePage.
    std::function<CodePageInfo(unsigned number)> codePages;
    // Bytes read at a time; 0: the program's choice. Tests make it small so that pieces end
    // inside every kind of sequence.
    std::size_t pieceBytes = 0;
};

// Runs palimp-replace with args (without the program name) and returns its exit status.
// File names are native bytes on POSIX and UTF-8 on Windows. Messages go to writeStderr as
// "palimp-replace: NAME: problem" lines. Output files are written atomically: a failure leaves
// the old file, or no file, never a partial one.
int RunReplaceCli(std::span<const std::string> args, const Environment& environment);

}  // namespace palimp::cli
