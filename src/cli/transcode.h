// One input through palimp-replace's pass, a piece at a time: bytes read, decoded as the
// editor reads files, replaced, encoded and handed on, so that only a few pieces are held
// whatever the size of the input. Every way a write-back could silently change bytes is noted
// for the caller to turn into a message.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "cli/code_pages.h"
#include "core/replace_many.h"
#include "core/text_codec.h"
#include "os/input_file.h"

namespace palimp::cli {

// Where an input's bytes come from. Finding the encoding of a file without a mark takes a
// look at all of it, so a source can be read again from the start.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to size bytes into buffer; fewer only at the end. Throws EFOpenError when
    // reading fails.
    virtual std::size_t Read(char* buffer, std::size_t size) = 0;
    virtual void Rewind() = 0;
    // Every byte, when they are held in memory anyway; else null.
    virtual const std::string* Whole() const { return nullptr; }
};

// Bytes held in memory, such as standard input.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
    std::size_t Read(char* buffer, std::size_t size) override;
    void Rewind() override { at_ = 0; }
    const std::string* Whole() const override { return &bytes_; }

private:
    std::string bytes_;
    std::size_t at_ = 0;
};

// A file, read as it is needed.
class FileSource final : public ByteSource {
public:
    explicit FileSource(os::InputFile file) : file_(std::move(file)) {}
    std::size_t Read(char* buffer, std::size_t size) override { return file_.Read(buffer, size); }
    void Rewind() override { file_.Rewind(); }

private:
    os::InputFile file_;
};

struct PassSettings {
    OutputEncoding mode = OutputEncoding::kKeep;
    bool count = false;  // only count: nothing is encoded
    CodePageInfo codePage;
    std::size_t pieceBytes = std::size_t{1} << 17;  // bytes read at a time
    // When set, the text as read and the text as replaced are appended there, for a diff.
    std::u16string* textRead = nullptr;
    std::u16string* textWritten = nullptr;
};

struct PassOutcome {
    int found = 0;
    std::vector<int> rowHits;
    // The input's. Without a mark and in a UTF-8 code page, plain ASCII is UTF-8 too.
    TextEncoding encoding = TextEncoding::kAnsi;
    double seconds = 0;                           // spent replacing
    // Why writing the text back in its own encoding would not give the input's bytes again
    // (ill-formed UTF-8 after a mark, an odd trailing byte after UTF-16, bytes the code page
    // does not map); empty when it would. In keep mode the pass stops at the first such byte
    // unless it only counts.
    std::string unfaithful;
    // Why the result cannot be written in the output encoding (characters outside the ANSI
    // code page, unpaired surrogates in UTF-8); empty when it can. Never a silent substitute.
    std::string unwritable;
    bool tooLarge = false;          // more than INT_MAX UTF-16 units; the pass stopped
    bool changedWhileRead = false;  // the second reading of a file did not match the first
    // Without a mark, not UTF-8, and the code page is UTF-8: the pass stopped, as the text
    // is unknown.
    bool notUtf8 = false;
};

// Runs source through engine: decoded as the editor reads files (mark, BOM-less UTF-8, ANSI;
// with a UTF-8 code page, a file without a mark is UTF-8 or refused),
// NULs and line breaks kept, line breaks made CR LF for kUtf16Le as in the editor; then
// replaced; then encoded in the input's own encoding (kKeep), as FF FE with UTF-16
// little-endian, or as UTF-8 without mark, and handed to sink piece by piece. The caller
// decides from the outcome whether what sink received may be used. Throws EFOpenError when
// reading fails.
PassOutcome RunPass(ByteSource& source, const ReplaceManyEngine& engine,
                    const PassSettings& settings,
                    const std::function<void(std::string_view bytes)>& sink);

}  // namespace palimp::cli
