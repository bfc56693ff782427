// The editor reads every file it can, substituting what it cannot decode; a batch tool that
// rewrites files must not. Decoding here follows the editor, and each place where its reading
// loses bytes is noted, so that the caller can refuse to write such a file back unchanged.
//
// Pieces of 128 kB keep the bytes, the text and the output in the processor's caches from
// reading to writing, and no buffer grows with the input.
#include "cli/transcode.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <memory>
#include <stdexcept>
#include <utility>

namespace palimp::cli {

namespace {

using Clock = std::chrono::steady_clock;

// A buffer that is only ever written before it is read, so it is never cleared: fresh memory
// costs the system's page faults alone.
template <class T>
class Scratch {
public:
    explicit Scratch(std::size_t size = 0) { Reserve(size); }
    T* Reserve(std::size_t size) {
        if (size > size_) {
            data_ = std::make_unique_for_overwrite<T[]>(size);
            size_ = size;
        }
        return data_.get();
    }
    T* data() const { return data_.get(); }
    std::size_t size() const { return size_; }

private:
    std::unique_ptr<T[]> data_;
    std::size_t size_ = 0;
};

constexpr std::string_view kOddByte = "an odd trailing byte after the UTF-16 text";
constexpr std::string_view kIllFormed = "ill-formed UTF-8, read as U+FFFD";
constexpr std::string_view kUnmapped = "bytes that the ANSI code page does not map";

// Decoded text in, output bytes out: line breaks made CR LF when asked, the engine's stream,
// the encoder, and the sink.
class Pipeline {
public:
    Pipeline(const ReplaceManyEngine& engine, const PassSettings& settings, TextEncoding input,
             const std::function<void(std::string_view)>& sink)
        : stream_(engine),
          normalize_(settings.mode == OutputEncoding::kUtf16Le),
          count_(settings.count),
          encoder_(Target(settings.mode, input), *settings.codePage.page),
          sink_(sink),
          tap_(settings.tap) {}

    // Room for units of decoded text; Commit takes what was written.
    char16_t* Room(std::size_t units) {
        room_ = normalize_ ? scratch_.Reserve(units) : stream_.Room(units).data();
        return room_;
    }

    // Throws std::length_error when the text passes INT_MAX units.
    void Commit(std::size_t units) {
        if (tap_) tap_->Read(std::u16string_view(room_, units));
        if (normalize_) {
            char16_t* room = stream_.Room(LineBreakNormalizer::MaxUnits(units)).data();
            units = normalizer_.Normalize(std::u16string_view(scratch_.data(), units), room);
        }
        const Clock::time_point start = Clock::now();
        stream_.Commit(units);
        seconds_ += std::chrono::duration<double>(Clock::now() - start).count();
        Drain();
    }

    void Finish() {
        const Clock::time_point start = Clock::now();
        stream_.Finish();
        seconds_ += std::chrono::duration<double>(Clock::now() - start).count();
        Drain();
        if (count_ || !encoder_.Lossless()) return;
        Reserve(0);
        sink_(std::string_view(bytes_.data(), encoder_.Finish(bytes_.data())));
    }

    const ReplaceStream& Stream() const { return stream_; }
    bool Lossless() const { return encoder_.Lossless(); }
    double Seconds() const { return seconds_; }

private:
    static TextEncoding Target(OutputEncoding mode, TextEncoding input) {
        switch (mode) {
        case OutputEncoding::kUtf16Le:
            return TextEncoding::kUtf16LeBom;
        case OutputEncoding::kUtf8:
            return TextEncoding::kUtf8;
        case OutputEncoding::kKeep:
            break;
        }
        return input;
    }

    void Reserve(std::size_t units) { bytes_.Reserve(TextEncoder::MaxBytes(units)); }

    void Drain() {
        const std::u16string_view output = stream_.Output();
        if (tap_) tap_->Written(output);
        // Output stops before the first piece the encoding cannot hold: what the sink has is
        // right as far as it goes, even where it cannot be taken back (standard output).
        if (!count_ && !output.empty() && encoder_.Lossless()) {
            Reserve(output.size());
            const std::size_t size = encoder_.Encode(output, bytes_.data());
            if (encoder_.Lossless()) sink_(std::string_view(bytes_.data(), size));
        }
        stream_.ClearOutput();
    }

    ReplaceStream stream_;
    bool normalize_;
    bool count_;
    LineBreakNormalizer normalizer_;
    TextEncoder encoder_;
    const std::function<void(std::string_view)>& sink_;
    Scratch<char16_t> scratch_;
    Scratch<char> bytes_;
    double seconds_ = 0;
    char16_t* room_ = nullptr;  // where the text of the next Commit is
    TextTap* tap_;
};

// The encoding of the whole source, which is then read again from the start. A mark decides
// at once; without one every byte is looked at.
// markOnly: only a mark matters, which the first three bytes show.
// The UTF-16 units that UTF-8 bytes make (a 4-byte sequence makes two).
std::uint64_t Utf8Units(std::string_view bytes) {
    std::uint64_t units = 0;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        units += ((byte & 0xC0) != 0x80) + (byte >= 0xF0);
    }
    return units;
}

// The encoding of the source, which is rewound after. utf8Units, when given, receives the
// units the source makes as UTF-8 when it was read to its end, else stays unset.
TextEncoding FindEncoding(ByteSource& source, Scratch<char>& buffer, bool markOnly,
                          std::optional<std::uint64_t>* utf8Units = nullptr) {
    if (const std::string* whole = source.Whole()) return DetectTextEncoding(*whole);
    EncodingDetector detector;
    std::uint64_t units = 0;
    for (std::size_t seen = 0;;) {
        const std::size_t got = source.Read(buffer.data(), buffer.size());
        const std::string_view piece(buffer.data(), got);
        detector.Feed(piece);
        if (utf8Units) units += Utf8Units(piece);
        seen += got;
        if (got < buffer.size()) {
            if (utf8Units) *utf8Units = units;
            break;
        }
        if (detector.HasMark() || (markOnly && seen >= 3)) break;
    }
    source.Rewind();
    return detector.Encoding();
}

// Code pages that cannot be decoded a piece at a time (double-byte ones, UTF-8) are decoded
// whole, and what their reading loses is found by encoding the whole text again.
void RunWhole(ByteSource& source, Pipeline& pipeline, const PassSettings& settings,
              Scratch<char>& buffer, PassOutcome& outcome) {
    std::string bytes;
    for (;;) {
        const std::size_t got = source.Read(buffer.data(), buffer.size());
        bytes.append(buffer.data(), got);
        if (got < buffer.size()) break;
    }
    const AnsiCodePage& page = *settings.codePage.page;
    std::u16string text = page.ToUtf16(bytes);
    if (!settings.codePage.roundTrips) {
        bool lossless = false;
        if (page.FromUtf16(text, lossless) != bytes || !lossless) outcome.unfaithful = kUnmapped;
    }
    std::string().swap(bytes);
    if (!outcome.unfaithful.empty() && settings.mode == OutputEncoding::kKeep && !settings.count) {
        return;
    }
    const std::size_t piece = std::max<std::size_t>(settings.pieceBytes, 1);
    for (std::size_t at = 0; at < text.size(); at += piece) {
        const std::size_t units = std::min(piece, text.size() - at);
        std::copy_n(text.data() + at, units, pipeline.Room(units));
        pipeline.Commit(units);
    }
    pipeline.Finish();
}

// Reads the source a piece at a time, decoding each straight into the pipeline.
void RunPieces(ByteSource& source, Pipeline& pipeline, const PassSettings& settings,
               Scratch<char>& buffer, bool readAgain, TextEncoding detected, PassOutcome& outcome) {
    TextDecoder decoder(outcome.encoding, *settings.codePage.page, !settings.codePage.roundTrips);
    EncodingDetector again;  // a file read twice must read the same
    // UTF-8 without a mark was found well-formed, or must be in a UTF-8 code page: the file
    // changed, or is not UTF-8, if it is not.
    const bool markless = outcome.encoding == TextEncoding::kUtf8;
    const bool stopAtLoss = settings.mode == OutputEncoding::kKeep && !settings.count;
    // Where UTF-8 without a mark goes wrong, for the message: the bad byte, its offset and
    // line, and how the bytes look up to there.
    Utf8Scanner scanner;
    std::uint64_t offset = 0, lines = 0;
    std::string head, tail;  // the first bytes; the last few of the piece before
    const auto noteWhere = [&](std::string_view piece) {
        const std::uint64_t at = scanner.BadAt();
        outcome.badByteAt = at;
        if (at < offset) {  // in a sequence begun in the piece before, which holds no LF
            outcome.badByte = static_cast<unsigned char>(tail[tail.size() - static_cast<std::size_t>(offset - at)]);
            outcome.badByteLine = lines + 1;
        } else {
            const auto in = static_cast<std::ptrdiff_t>(at - offset);
            outcome.badByte = static_cast<unsigned char>(piece[static_cast<std::size_t>(in)]);
            outcome.badByteLine = lines + static_cast<std::uint64_t>(std::count(piece.begin(), piece.begin() + in, '\n')) + 1;
        }
        outcome.look = LookAtBytes(head);
    };
    for (;;) {
        const std::size_t got = source.Read(buffer.data(), buffer.size());
        const std::string_view piece(buffer.data(), got);
        if (readAgain) again.Feed(piece);
        if (markless) {
            if (head.size() < 4096) head.append(piece.substr(0, std::min(piece.size(), 4096 - head.size())));
            scanner.Feed(piece);
            // A sequence cut off by the piece's end shows as not well-formed until the next.
            if (!scanner.WellFormed() && scanner.BadAt() < offset + got) noteWhere(piece);
            lines += static_cast<std::uint64_t>(std::count(piece.begin(), piece.end(), '\n'));
            offset += got;
            tail.append(piece.substr(piece.size() - std::min<std::size_t>(piece.size(), 4)));
            if (tail.size() > 4) tail.erase(0, tail.size() - 4);
        }
        const std::size_t units =
            decoder.Decode(piece, pipeline.Room(TextDecoder::MaxUnits(piece.size())));
        // Stopped before the piece that cannot be written back, so that what went out holds.
        if ((stopAtLoss || markless) && (decoder.IllFormedUtf8() || decoder.UnmappedAnsi())) break;
        pipeline.Commit(units);
        if (got < buffer.size()) {
            const std::size_t last = decoder.Finish(pipeline.Room(TextDecoder::MaxUnits(0)));
            if ((stopAtLoss || markless) && (decoder.IllFormedUtf8() || decoder.UnmappedAnsi())) break;
            pipeline.Commit(last);
            pipeline.Finish();
            if (readAgain && again.Encoding() != detected) outcome.changedWhileRead = true;
            break;
        }
    }
    if (markless && decoder.IllFormedUtf8()) {
        // Found ASCII or not UTF-8 at first sight (a sequence cut off at the end too), the
        // file is not UTF-8; found UTF-8, it has changed.
        outcome.notUtf8 = detected == TextEncoding::kAnsi;
        outcome.changedWhileRead = !outcome.notUtf8;
    }
    if (decoder.OddByte()) outcome.unfaithful = kOddByte;
    if (decoder.IllFormedUtf8() && !markless) outcome.unfaithful = kIllFormed;
    if (decoder.UnmappedAnsi()) outcome.unfaithful = kUnmapped;
}

// The fewest UTF-16 units that size bytes in encoding decode to.
std::uint64_t UnitsAtLeast(std::uint64_t size, TextEncoding encoding, const AnsiCodePage& page) {
    switch (encoding) {
        case TextEncoding::kUtf16LeBom:
        case TextEncoding::kUtf16BeBom: return (size - 2) / 2;
        case TextEncoding::kUtf8Bom:
        case TextEncoding::kUtf8: return size / 3;
        case TextEncoding::kAnsi: break;
    }
    return page.DecodesByteByByte() ? size : size / 2;
}

// The UTF-16 units of the UTF-8 bytes from where the source is to its end; the source is
// rewound after.
std::uint64_t Utf8UnitsToEnd(ByteSource& source, Scratch<char>& buffer) {
    std::uint64_t units = 0;
    for (;;) {
        const std::size_t got = source.Read(buffer.data(), buffer.size());
        units += Utf8Units(std::string_view(buffer.data(), got));
        if (got < buffer.size()) break;
    }
    source.Rewind();
    return units;
}

}  // namespace

StreamSource::StreamSource(std::function<std::size_t(char*, std::size_t)> read) : read_(std::move(read)) {}

StreamSource::~StreamSource() = default;

std::size_t StreamSource::Read(char* buffer, std::size_t size) {
    std::size_t done = 0;
    if (rewound_) {
        const std::size_t fromHead = std::min(size, head_.size() - headAt_);
        std::copy_n(head_.data() + headAt_, fromHead, buffer);
        headAt_ += fromHead;
        done = fromHead;
        if (done < size && !spoolDone_) {
            const std::size_t got = spool_->Read(buffer + done, size - done);
            done += got;
            if (done < size) {
                spoolDone_ = true;
                spool_.reset();  // replayed: the disk space goes back
            }
        }
        return done + (done < size ? read_(buffer + done, size - done) : 0);
    }
    const std::size_t got = read_(buffer, size);
    if (head_.empty() && !spool_) {
        head_.assign(buffer, got);
    } else {
        if (!spool_) spool_ = std::make_unique<os::ScratchFile>();
        spool_->Write(std::string_view(buffer, got));
    }
    return got;
}

void StreamSource::Rewind() {
    if (rewound_) throw os::FileReadError("standard input", "it cannot be read a third time");
    rewound_ = true;
    if (spool_) {
        spool_->Rewind();
        spoolDone_ = false;
    }
}

std::unique_ptr<ByteSource> SourceOf(os::InputFile file) {
    if (file.Rewindable()) return std::make_unique<FileSource>(std::move(file));
    auto shared = std::make_shared<os::InputFile>(std::move(file));
    return std::make_unique<StreamSource>(
        [shared](char* buffer, std::size_t size) { return shared->Read(buffer, size); });
}

std::size_t MemorySource::Read(char* buffer, std::size_t size) {
    const std::size_t got = std::min(size, bytes_.size() - at_);
    std::copy_n(bytes_.data() + at_, got, buffer);
    at_ += got;
    return got;
}

PassOutcome RunPass(ByteSource& source, const ReplaceManyEngine& engine,
                    const PassSettings& settings,
                    const std::function<void(std::string_view bytes)>& sink) {
    PassOutcome outcome;
    Scratch<char> buffer(std::max<std::size_t>(settings.pieceBytes, 1));
    // A stream is not read twice; in a UTF-8 code page it is not looked at before the pass
    // either, since without a mark it is UTF-8 or refused as it is read.
    const bool stream = source.Stream();
    const bool readAgain = source.Whole() == nullptr && !stream;
    constexpr std::uint64_t kMaxUnits = std::numeric_limits<int>::max();
    // Too large for any encoding (three bytes at most make a unit): refused before reading.
    const std::optional<std::uint64_t> size = source.Size();
    if (size && *size / 3 > kMaxUnits) {
        outcome.tooLarge = true;
        return outcome;
    }
    // Between a third of a unit per byte and one, the units of UTF-8 are counted.
    const bool mayNotFit = size && *size > kMaxUnits && !stream;
    std::optional<std::uint64_t> utf8Units;
    TextEncoding detected = FindEncoding(source, buffer, stream && settings.codePage.utf8,
                                         mayNotFit ? &utf8Units : nullptr);
    if (stream && settings.codePage.utf8 && detected == TextEncoding::kUtf8) detected = TextEncoding::kAnsi;
    // In a UTF-8 code page a file without a mark is UTF-8: plain ASCII, or refused.
    const bool utf8 = detected == TextEncoding::kAnsi && settings.codePage.utf8;
    outcome.encoding = utf8 ? TextEncoding::kUtf8 : detected;
    if (size && UnitsAtLeast(*size, outcome.encoding, *settings.codePage.page) > kMaxUnits) {
        outcome.tooLarge = true;
        return outcome;
    }
    // UTF-8 of more bytes than a text may have units may still fit: one too large is refused
    // once its units are counted (while its encoding was found, or in a reading of its own),
    // before anything is written.
    const bool utf8Text = outcome.encoding == TextEncoding::kUtf8 || outcome.encoding == TextEncoding::kUtf8Bom;
    if (mayNotFit && utf8Text && (utf8Units ? *utf8Units : Utf8UnitsToEnd(source, buffer)) > kMaxUnits) {
        outcome.tooLarge = true;
        return outcome;
    }
    Pipeline pipeline(engine, settings, outcome.encoding, sink);
    try {
        if (outcome.encoding == TextEncoding::kAnsi &&
            !settings.codePage.page->DecodesByteByByte()) {
            RunWhole(source, pipeline, settings, buffer, outcome);
        } else {
            RunPieces(source, pipeline, settings, buffer, readAgain, detected, outcome);
        }
    } catch (const std::length_error&) {
        outcome.tooLarge = true;
    }
    outcome.found = pipeline.Stream().Found();
    outcome.rowHits = pipeline.Stream().RowHits();
    outcome.seconds = pipeline.Seconds();
    if (!pipeline.Lossless()) {
        if (settings.mode != OutputEncoding::kUtf8 && outcome.encoding == TextEncoding::kAnsi) {
            outcome.unwritable = "the result holds characters that the ANSI code page cannot"
                                 " represent (--encoding utf8 writes them)";
        } else {
            outcome.unwritable = "the result holds an unpaired surrogate, which UTF-8 cannot"
                                 " represent (--encoding utf16le writes it)";
        }
    }
    return outcome;
}

}  // namespace palimp::cli
