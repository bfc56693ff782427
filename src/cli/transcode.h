// One input through palimp-replace's pass, a piece at a time: bytes read, decoded as the
// editor reads files, replaced, encoded and handed on, so that only a few pieces are held
// whatever the size of the input. Every way a write-back could silently change bytes is noted
// for the caller to turn into a message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
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
    // The number of bytes, when it is known before reading.
    virtual std::optional<std::uint64_t> Size() const { return std::nullopt; }
    // Whether the bytes come once, as from a pipe: read again only as far as it keeps them.
    virtual bool Stream() const { return false; }
};

// Bytes held in memory, such as standard input.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
    std::size_t Read(char* buffer, std::size_t size) override;
    void Rewind() override { at_ = 0; }
    const std::string* Whole() const override { return &bytes_; }
    std::optional<std::uint64_t> Size() const override { return bytes_.size(); }

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
    std::optional<std::uint64_t> Size() const override { return file_.Size(); }

private:
    os::InputFile file_;
};

// Bytes that come once (standard input, a pipe, a device), read a piece at a time. It can be
// read again from the start once: the first piece is kept in memory, and what the search for
// the encoding reads beyond it goes to a scratch file on disk, so memory stays at a piece
// whatever the input's size.
class StreamSource final : public ByteSource {
public:
    // read fills up to size bytes and returns how many, fewer only at the end; it throws
    // EFOpenError when reading fails.
    explicit StreamSource(std::function<std::size_t(char* buffer, std::size_t size)> read);
    ~StreamSource() override;
    std::size_t Read(char* buffer, std::size_t size) override;
    // Throws EFOpenError on a second rewind.
    void Rewind() override;
    bool Stream() const override { return true; }

private:
    std::function<std::size_t(char*, std::size_t)> read_;
    std::string head_;                          // the first piece read
    std::unique_ptr<os::ScratchFile> spool_;    // what was read beyond it before the rewind
    bool rewound_ = false;
    std::size_t headAt_ = 0;                    // replaying: where in head_
    bool spoolDone_ = true;                     // replaying: the spool is read to its end
};

// The source for a file or standard input as opened: read as a file when it is one, else as
// a stream.
std::unique_ptr<ByteSource> SourceOf(os::InputFile file);

// What sees the text of a pass go by.
class TextTap {
public:
    virtual ~TextTap() = default;
    virtual void Read(std::u16string_view text) = 0;
    virtual void Written(std::u16string_view text) = 0;
};

struct PassSettings {
    OutputEncoding mode = OutputEncoding::kKeep;
    bool count = false;  // only count: nothing is encoded
    CodePageInfo codePage;
    std::size_t pieceBytes = std::size_t{1} << 17;  // bytes read at a time
    // When set, sees the text as read and the text as replaced, piece by piece, for a diff.
    TextTap* tap = nullptr;
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
    // is unknown. Then where: the first byte that is not UTF-8, its offset and line, and how
    // the bytes up to there look (UTF-16 without its mark, binary).
    bool notUtf8 = false;
    unsigned char badByte = 0;
    std::uint64_t badByteAt = 0;
    std::uint64_t badByteLine = 0;
    ByteLook look;
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
