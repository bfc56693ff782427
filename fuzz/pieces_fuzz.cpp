// Fuzzes the piecewise paths of palimp-replace under the sanitizers: the decoders, the encoders
// and the replace-many stream, each cut into pieces of a size the input chooses, must read
// nothing outside their buffers and give exactly what the whole-text functions give.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/replace_many.h"
#include "core/text_codec.h"

#include "fuzz_check.h"

namespace {

using palimp::TextEncoding;

// Piece sizes from 1 up, in a sequence the input's first byte picks.
class Pieces {
public:
    explicit Pieces(std::uint8_t seed) : state_(seed) {}
    std::size_t Next() {
        state_ = state_ * 1103515245u + 12345u;
        return 1 + (state_ >> 16) % (state_ & 1 ? 3 : 40);
    }

private:
    std::uint32_t state_;
};

void CheckDecoding(std::string_view bytes, Pieces pieces) {
    const palimp::DecodedText whole = palimp::DecodeTextFileWithEncoding(bytes);
    palimp::EncodingDetector detector;
    palimp::TextDecoder decoder(whole.encoding, palimp::DefaultAnsiCodePage(), false);
    std::u16string text;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::string_view piece = bytes.substr(at, pieces.Next());
        detector.Feed(piece);
        std::vector<char16_t> room(palimp::TextDecoder::MaxUnits(piece.size()));
        text.append(room.data(), decoder.Decode(piece, room.data()));
        at += piece.size();
    }
    std::vector<char16_t> rest(palimp::TextDecoder::MaxUnits(0));
    text.append(rest.data(), decoder.Finish(rest.data()));
    FUZZ_CHECK(detector.Encoding() == whole.encoding);
    FUZZ_CHECK(text == whole.text);
}

void CheckEncoding(std::u16string_view text, Pieces pieces) {
    for (const TextEncoding encoding : {TextEncoding::kUtf16BeBom, TextEncoding::kUtf8Bom,
                                        TextEncoding::kAnsi}) {
        const palimp::EncodedText whole = palimp::EncodeText(text, encoding);
        palimp::TextEncoder encoder(encoding, palimp::DefaultAnsiCodePage());
        palimp::LineBreakNormalizer normalizer;
        std::string bytes;
        std::u16string normalized;
        for (std::size_t at = 0; at < text.size();) {
            const std::u16string_view piece = text.substr(at, pieces.Next());
            std::vector<char> room(palimp::TextEncoder::MaxBytes(piece.size()));
            bytes.append(room.data(), encoder.Encode(piece, room.data()));
            std::vector<char16_t> lines(palimp::LineBreakNormalizer::MaxUnits(piece.size()));
            normalized.append(lines.data(), normalizer.Normalize(piece, lines.data()));
            at += piece.size();
        }
        std::vector<char> room(palimp::TextEncoder::MaxBytes(0));
        bytes.append(room.data(), encoder.Finish(room.data()));
        FUZZ_CHECK(bytes == whole.bytes && encoder.Lossless() == whole.lossless);
        FUZZ_CHECK(normalized == palimp::NormalizeLineBreaks(text));
    }
}

// The first units make a small table (a phrase, a replacement and options per row, cut at
// U+0000); the rest is the text.
void CheckStream(std::u16string_view units, Pieces pieces) {
    std::vector<std::u16string> cells;
    std::size_t at = 0;
    while (cells.size() < 12 && at < units.size()) {
        const std::size_t end = std::min(units.find(u'\0', at), units.size());
        cells.emplace_back(units.substr(at, std::min<std::size_t>(end - at, 6)));
        at = end + 1;
    }
    std::vector<palimp::ReplacePair> rows;
    for (std::size_t c = 0; c + 2 < cells.size(); c += 3) {
        rows.push_back({cells[c], cells[c + 1], cells[c + 2]});
    }
    const std::u16string_view text = units.substr(std::min(at, units.size()));
    const palimp::ReplaceManyEngine engine(rows);
    const palimp::ReplaceResult whole = engine.Run(text);
    palimp::ReplaceStream stream(engine);
    std::u16string output;
    for (std::size_t k = 0; k < text.size();) {
        const std::u16string_view piece = text.substr(k, pieces.Next());
        stream.Write(piece);
        output += stream.Output();
        stream.ClearOutput();
        k += piece.size();
    }
    stream.Finish();
    output += stream.Output();
    FUZZ_CHECK(stream.AnyPairKept() == whole.anyPairKept);
    FUZZ_CHECK(stream.Found() == whole.found && stream.RowHits() == whole.rowHits);
    FUZZ_CHECK(output == (whole.anyPairKept ? whole.output : std::u16string(text)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const Pieces pieces(data[0]);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    CheckDecoding(bytes, pieces);
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t k = 0; k < units.size(); ++k) {
        units[k] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                         static_cast<unsigned char>(bytes[2 * k + 1]) << 8);
    }
    CheckEncoding(units, pieces);
    CheckStream(units, pieces);
    return 0;
}
