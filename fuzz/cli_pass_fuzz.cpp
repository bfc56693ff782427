// palimp-replace's rewrite decision on any input and small tables: whenever the pass says the
// result may be written, it must not depend on the size of the pieces read, a count must not
// depend on whether the result is encoded, and in keep mode a pass without a replacement must
// give back the input byte for byte (-i leaves such a file alone on that promise).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/code_pages.h"
#include "cli/transcode.h"
#include "core/replace_many.h"
#include "fuzz_check.h"

namespace {

using namespace palimp;
using namespace palimp::cli;

// Read in pieces of the size asked, from a copy it does not show: the path of files.
class PieceSource final : public ByteSource {
public:
    explicit PieceSource(std::string_view bytes) : bytes_(bytes) {}
    std::size_t Read(char* buffer, std::size_t size) override {
        const std::size_t got = std::min(size, bytes_.size() - at_);
        std::copy_n(bytes_.data() + at_, got, buffer);
        at_ += got;
        return got;
    }
    void Rewind() override { at_ = 0; }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

struct Result {
    PassOutcome outcome;
    std::string bytes;
    int sinkCalls = 0;
    // Whether the caller would write the result.
    bool Usable(const PassSettings& settings) const {
        return !outcome.changedWhileRead && !outcome.notUtf8 && !outcome.tooLarge && outcome.unwritable.empty() &&
               (outcome.unfaithful.empty() || settings.mode != OutputEncoding::kKeep);
    }
};

Result Pass(ByteSource& source, const ReplaceManyEngine& engine, const PassSettings& settings) {
    Result result;
    result.outcome = RunPass(source, engine, settings, [&](std::string_view bytes) {
        result.bytes.append(bytes);
        ++result.sinkCalls;
    });
    return result;
}

// Table cells from bytes: a small alphabet with case pairs, a Latin letter, CR, LF, a NUL and a
// lone surrogate, so that matches, case folding, line breaks and unwritable results all occur.
char16_t Unit(std::uint8_t byte) {
    static const char16_t kUnits[] = {u'a', u'b', u'A', u'B', u' ', u'\r', u'\n', u'\u00E9', u'\u00C9',
                                      u'\u20AC', u'\0', u'\xD800', u'x', u'.', u'\u0130', u'\u0131'};
    return kUnits[byte % std::size(kUnits)];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::uint8_t flags = data[0];
    const std::size_t piece = 1 + data[1] % 9;
    std::size_t at = 2;
    // Up to four rows: phrase, replacement and option bits, each cell up to 4 units.
    std::vector<std::u16string> cells;
    const std::size_t rows = 1 + data[at++] % 4;
    for (std::size_t r = 0; r < rows && at < size; ++r) {
        for (int column = 0; column < 2 && at < size; ++column) {
            const std::size_t length = (column == 0 ? 1 : 0) + data[at++] % 4;
            std::u16string cell;
            for (std::size_t i = 0; i < length && at < size; ++i) cell += Unit(data[at++]);
            cells.push_back(cell);
        }
        const std::uint8_t options = at < size ? data[at++] : 0;
        cells.push_back(std::u16string(options & 1 ? u"C" : u"") + (options & 2 ? u",W" : u""));
    }
    while (cells.size() % 3) cells.emplace_back();
    std::vector<ReplacePair> pairs;
    for (std::size_t c = 0; c + 2 < cells.size(); c += 3) pairs.push_back({cells[c], cells[c + 1], cells[c + 2]});
    const ReplaceManyEngine engine(pairs);
    const std::string_view input(reinterpret_cast<const char*>(data + at), size - at);

    PassSettings settings;
    settings.mode = static_cast<OutputEncoding>(flags % 3);
    settings.codePage = PortableCodePage(flags & 4 ? kUtf8CodePage : kWindows1252);
    settings.pieceBytes = 4096;  // more than any input here: the whole at once
    MemorySource whole{std::string(input)};
    const Result reference = Pass(whole, engine, settings);
    PassSettings small = settings;
    small.pieceBytes = piece;
    PieceSource pieces(input);
    const Result inPieces = Pass(pieces, engine, small);

    // As from a pipe: read once, a piece at a time.
    std::size_t streamed = 0;
    StreamSource stream([&](char* buffer, std::size_t want) {
        const std::size_t got = std::min(want, input.size() - streamed);
        std::copy_n(input.data() + streamed, got, buffer);
        streamed += got;
        return got;
    });
    const Result fromStream = Pass(stream, engine, small);
    FUZZ_CHECK(reference.Usable(settings) == fromStream.Usable(small));
    if (reference.Usable(settings)) FUZZ_CHECK(reference.bytes == fromStream.bytes);

    FUZZ_CHECK(reference.outcome.encoding == inPieces.outcome.encoding);
    FUZZ_CHECK(!reference.outcome.changedWhileRead && !inPieces.outcome.changedWhileRead);
    FUZZ_CHECK(reference.Usable(settings) == inPieces.Usable(small));
    if (!reference.Usable(settings)) return 0;
    FUZZ_CHECK(reference.bytes == inPieces.bytes);
    FUZZ_CHECK(reference.outcome.found == inPieces.outcome.found);
    FUZZ_CHECK(reference.outcome.rowHits == inPieces.outcome.rowHits);
    FUZZ_CHECK(reference.outcome.unfaithful == inPieces.outcome.unfaithful);
    if (settings.mode == OutputEncoding::kKeep && reference.outcome.found == 0) {
        FUZZ_CHECK(reference.bytes == input);
    }
    if (settings.mode == OutputEncoding::kUtf16Le) FUZZ_CHECK(reference.bytes.starts_with("\xFF\xFE"));

    PassSettings count = small;
    count.count = true;
    pieces.Rewind();
    const Result counted = Pass(pieces, engine, count);
    FUZZ_CHECK(counted.sinkCalls == 0);
    FUZZ_CHECK(counted.outcome.found == reference.outcome.found);
    return 0;
}
