// Shared by the palimp-replace tests: a scratch folder per test, table files built from rows,
// the expected bytes of each encoding written out independently of the codecs under test, and
// an in-process run with captured standard streams.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "cli/cli.h"
#include "cli/transcode.h"
#include "core/errors.h"
#include "core/file_io.h"
#include "core/table_file.h"
#include "os/input_file.h"
#include "os/system_error_text.h"
#ifdef _WIN32
#include "os/win_support.h"
#endif

namespace palimp::cli::test {

namespace fs = std::filesystem;

// The system's reasons as messages give them: errno's texts, or GetLastError's on Windows
// (ERROR_FILE_NOT_FOUND 2, ERROR_PATH_NOT_FOUND 3), whose words differ between systems.
#ifdef _WIN32
inline const std::string kNoSuchFile = os::detail::SystemErrorText(2);
inline const std::string kNoSuchFolder = os::detail::SystemErrorText(3);
inline const std::string kNotAFolder = kNoSuchFolder;
inline const std::string kIsAFolder = "it is a folder";
#else
inline const std::string kNoSuchFile = "No such file or directory";
inline const std::string kNoSuchFolder = kNoSuchFile;
inline const std::string kNotAFolder = "Not a directory";
inline const std::string kIsAFolder = "Is a directory";
#endif

// Whether -i rewrites an existing file by writing into it rather than putting a new file in
// its place, as under Wine (where a new file cannot keep the old one's Unix owner and mode).
inline bool ExistingFilesWrittenInPlace() {
#ifdef _WIN32
    return os::UnderWine();
#else
    return false;
#endif
}

// Names the tests of a parameterised table by their cases' name fields.
inline constexpr auto kCaseName = [](const auto& info) { return std::string(info.param.name); };

struct CliOutcome {
    int exit = -1;
    std::string out;
    std::string err;
};

// UTF-16 little- and big-endian units, with the mark in front when asked.
inline std::string Utf16Bytes(std::u16string_view text, bool bigEndian, bool mark) {
    std::string bytes;
    if (mark) bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("palimp-cli-") + info->test_suite_name() + "-" + info->name();
        for (char& c : name) {
            if (c == '/') c = '-';
        }
        dir_ = fs::temp_directory_path() / name;
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(dir_, ignored);
    }

    fs::path Path(const std::string& name) const { return dir_ / name; }
    // The file's name as the command line gives it (UTF-8 on Windows, bytes elsewhere).
    std::string Arg(const std::string& name) const { return ToUtf8(PathToUtf16(Path(name))); }

    void Write(const std::string& name, std::string_view bytes) const {
        std::ofstream out(Path(name), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good()) << name;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool Exists(const std::string& name) const { return fs::exists(Path(name)); }
    // Names in the scratch folder, so a test can see that nothing was left behind.
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            names.push_back(ToUtf8(PathToUtf16(entry.path().filename())));
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // Writes a table file of rows (search, replace, options) and returns its argument.
    std::string Table(std::initializer_list<std::array<std::u16string, 3>> rows,
                      const std::string& name = "table.palimp") const {
        TableFileContent content;
        content.rows.assign(rows.begin(), rows.end());
        Write(name, WriteTableFile(content));
        return Arg(name);
    }
    // cat -> dog whatever its case, whole words only; then the case-sensitive "Hat". The
    // table file holds them on lines 3 and 4.
    std::string AnimalTable() const { return Table({{{u"cat", u"dog", u"W"}}, {{u"Hat", u"Cap", u"C"}}}); }

    // Runs palimp-replace in-process with stdinBytes as standard input (nullptr: reading it
    // fails) and stdoutError the failure of every write to standard output (none: they work).
    CliOutcome Run(std::vector<std::string> args, const std::string* stdinBytes = &kNoInput,
                   std::error_code stdoutError = {}) const {
        CliOutcome outcome;
        Environment environment;
        // Standard input comes as from a pipe, once.
        environment.openStdin = [stdinBytes] {
            auto at = std::make_shared<std::size_t>(0);
            return std::make_unique<StreamSource>([stdinBytes, at](char* buffer, std::size_t size) {
                if (!stdinBytes) {
                    throw os::FileReadError("standard input", std::make_error_code(std::errc::io_error).message());
                }
                const std::size_t got = std::min(size, stdinBytes->size() - *at);
                std::copy_n(stdinBytes->data() + *at, got, buffer);
                *at += got;
                return got;
            });
        };
        environment.writeStdout = [&outcome, stdoutError](std::string_view bytes) {
            if (!stdoutError) outcome.out += bytes;
            return stdoutError;
        };
        environment.writeStderr = [&outcome](std::string_view bytes) { outcome.err += bytes; };
        environment.defaultCodePage = defaultCodePage_;
        environment.codePages = codePages_;
        environment.pieceBytes = pieceBytes_;
        environment.standardStreamOf = standardStreamOf_;
        environment.writeStderrChecked = [&outcome](std::string_view bytes) {
            outcome.err += bytes;
            return std::error_code();
        };
        outcome.exit = RunReplaceCli(args, environment);
        return outcome;
    }
    CliOutcome RunWithStdin(std::vector<std::string> args, const std::string& stdinBytes) const {
        return Run(std::move(args), &stdinBytes);
    }

    // Makes every code page the runs ask for this one, which may lose bytes.
    void UseCodePage(const AnsiCodePage& page) {
        codePages_ = [&page](unsigned) { return CodePageInfo{&page, false, false}; };
    }

    static inline const std::string kNoInput;
    fs::path dir_;
    // The code page of files without a mark. Most tests are about 8-bit files and read them as
    // Windows-1252; the tests of the code page choice set it themselves.
    unsigned defaultCodePage_ = kWindows1252;
    std::function<CodePageInfo(unsigned)> codePages_;  // unset: the portable code pages
    std::size_t pieceBytes_ = 0;  // bytes read at a time; 0: the program's choice
    // Which standard stream a path names (1, 2; 0 none), as the real program finds out.
    std::function<int(const fs::path&)> standardStreamOf_;
};

// A code page in which byte 0x81 has no character: it reads as U+FFFD and cannot come back.
// singleByte says whether it may be decoded byte by byte (as a piece reader would).
class GappedCodePage final : public AnsiCodePage {
public:
    explicit GappedCodePage(bool singleByte) : singleByte_(singleByte) {}
    std::u16string ToUtf16(std::string_view bytes) const override {
        std::u16string text = Windows1252().ToUtf16(bytes);
        for (char16_t& unit : text) {
            if (unit == 0x81) unit = 0xFFFD;
        }
        return text;
    }
    std::string FromUtf16(std::u16string_view text, bool& lossless) const override {
        return Windows1252().FromUtf16(text, lossless);
    }
    bool DecodesByteByByte() const override { return singleByte_; }

private:
    bool singleByte_;
};

}  // namespace palimp::cli::test
