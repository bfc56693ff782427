// The benchmark corpora: a pseudo-English vocabulary built from syllables, Zipf-distributed
// text over it, and tables drawn from it, all from a fixed pseudo-random sequence.
#include "corpus.h"

#include <algorithm>
#include <unordered_set>

namespace palimp::bench {

namespace {

// splitmix64: the same sequence everywhere (the standard distributions are not portable).
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t bound) { return static_cast<std::size_t>(Next() % bound); }
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

private:
    std::uint64_t state_;
};

// Letters repeat in these lists roughly as often as they do in English syllables.
constexpr std::string_view kOnsets[] = {
    "",   "",   "",   "",   "t",  "t",  "th", "th", "s",   "s",  "r",  "n",  "m",  "l",  "d",
    "h",  "w",  "b",  "c",  "f",  "g",  "p",  "v",  "y",   "k",  "j",  "st", "tr", "pr", "br",
    "ch", "sh", "wh", "pl", "cl", "fr", "gr", "sp", "str", "bl", "sl", "dr", "sc", "qu", "z",
};
constexpr std::string_view kVowels[] = {
    "e", "e", "e", "e",  "a",  "a",  "a",  "o",  "o",  "o", "i",  "i",
    "i", "u", "u", "ea", "ee", "ai", "ou", "oo", "ie", "y", "io",
};
constexpr std::string_view kCodas[] = {
    "",  "",  "",  "",  "",   "",   "",   "n",  "n",  "r",  "r", "s",  "s",  "t",
    "t", "l", "d", "m", "ng", "st", "nd", "ck", "ss", "th", "x", "ll", "nt",
};

template <std::size_t N>
std::string_view Pick(const std::string_view (&list)[N], Random& random) {
    return list[random.Below(N)];
}

// Frequent words get fewer syllables, as in English, where running text averages under five
// letters a word while the dictionary's words are longer.
std::size_t SyllablesFor(std::size_t rank, Random& random) {
    if (rank < 1000) return 1;
    if (rank < 10000) return 1 + random.Below(2);
    if (rank < 60000) return 2;
    return 2 + random.Below(2);
}

std::vector<std::string> MakeVocabulary() {
    Random random(20240601);
    std::vector<std::string> words;
    words.reserve(kVocabularySize);
    std::unordered_set<std::string> seen;
    seen.reserve(kVocabularySize * 2);
    while (words.size() < kVocabularySize) {
        const std::size_t rank = words.size();
        std::size_t syllables = SyllablesFor(rank, random);
        for (int attempt = 0;; ++attempt) {
            std::string word;
            for (std::size_t s = 0; s < syllables; ++s) {
                word += Pick(kOnsets, random);
                word += Pick(kVowels, random);
                word += Pick(kCodas, random);
            }
            if (seen.insert(word).second) {
                words.push_back(std::move(word));
                break;
            }
            if (attempt % 50 == 49) ++syllables;  // the short words of this length are used up
        }
    }
    return words;
}

// Cumulative Zipf weights 1/(rank + 1) over the vocabulary.
const std::vector<double>& ZipfCumulative() {
    static const std::vector<double> cumulative = [] {
        std::vector<double> c(kVocabularySize);
        double sum = 0;
        for (std::size_t r = 0; r < kVocabularySize; ++r) {
            c[r] = sum += 1.0 / static_cast<double>(r + 1);
        }
        return c;
    }();
    return cumulative;
}

}  // namespace

const std::vector<std::string>& Vocabulary() {
    static const std::vector<std::string> words = MakeVocabulary();
    return words;
}

std::string EnglishLikeText(std::size_t bytes, std::uint64_t seed) {
    const std::vector<std::string>& words = Vocabulary();
    const std::vector<double>& cumulative = ZipfCumulative();
    Random random(seed);
    std::string text;
    text.reserve(bytes + 256);
    while (text.size() < bytes) {
        const std::size_t count = 4 + random.Below(14);
        for (std::size_t w = 0; w < count; ++w) {
            const double target = random.Unit() * cumulative.back();
            const auto rank = static_cast<std::size_t>(
                std::upper_bound(cumulative.begin(), cumulative.end(), target) -
                cumulative.begin());
            const std::string& word = words[std::min(rank, words.size() - 1)];
            const std::size_t at = text.size();
            text += word;
            if (w == 0) text[at] = static_cast<char>(text[at] - 'a' + 'A');
            if (w + 1 < count) text += random.Below(100) < 7 ? ", " : " ";
        }
        text += random.Below(100) < 25 ? ".\n" : ". ";
    }
    text.resize(bytes);
    return text;
}

std::string_view OptionsOf(TableKind kind) {
    switch (kind) {
        case TableKind::kCaseSensitive:
            return "C";
        case TableKind::kCaseInsensitive:
            return "";
        case TableKind::kWholeWord:
            return "W";
    }
    return "";
}

std::string_view NameOf(TableKind kind) {
    switch (kind) {
        case TableKind::kCaseSensitive:
            return "case-sensitive";
        case TableKind::kCaseInsensitive:
            return "case-insensitive";
        case TableKind::kWholeWord:
            return "whole-word";
    }
    return "";
}

std::vector<BenchPair> ReplacementTable(std::size_t pairs, TableKind kind, std::uint64_t seed) {
    const std::vector<std::string>& words = Vocabulary();
    pairs = std::min(pairs, words.size());
    const std::size_t pool = std::min(words.size(), pairs * 20);
    std::vector<std::uint32_t> ranks(pool);
    for (std::size_t r = 0; r < pool; ++r) ranks[r] = static_cast<std::uint32_t>(r);
    Random random(seed * 7919 + pairs);
    std::vector<BenchPair> table;
    table.reserve(pairs);
    for (std::size_t k = 0; k < pairs; ++k) {  // a partial shuffle draws distinct ranks
        std::swap(ranks[k], ranks[k + random.Below(pool - k)]);
        const std::string& word = words[ranks[k]];
        table.push_back(
            {word, std::string(word.rbegin(), word.rend()), std::string(OptionsOf(kind))});
    }
    return table;
}

std::string TableTsv(const std::vector<BenchPair>& pairs) {
    std::string tsv;
    for (const BenchPair& pair : pairs) tsv += pair.search + '\t' + pair.replace + '\n';
    return tsv;
}

namespace {

constexpr std::size_t kLongPhrases = 1000;

// The tail word of long phrase k: vocabulary words of the middle ranks, distinct and none of
// them "b".
const std::string& LongPhraseTail(std::size_t k) { return Vocabulary()[5000 + k]; }

}  // namespace

std::string LongRunText(std::size_t bytes, std::uint64_t seed) {
    const std::vector<std::string>& words = Vocabulary();
    Random random(seed * 104729 + 3);
    std::string text;
    text.reserve(bytes + 256);
    while (text.size() < bytes) {
        std::size_t run = random.Below(random.Below(2) == 0 ? 10000 : 200000);
        const std::size_t end = random.Below(10);
        std::string_view word = "b";
        if (end >= 3 && end < 8) {
            // Now and then the run is just as long as the phrase of its tail needs.
            const std::size_t k = random.Below(kLongPhrases);
            word = LongPhraseTail(k);
            if (random.Below(2) == 0) run = 1000 + 2 * k;
        } else if (end >= 8) {
            word = words[random.Below(20000)];
        }
        text.append(run, random.Below(10) == 0 ? 'A' : 'a');
        text += word;
        text += random.Below(4) == 0 ? '\n' : ' ';
    }
    text.resize(bytes);
    return text;
}

std::string_view NameOf(LongTableKind kind) {
    switch (kind) {
        case LongTableKind::kOnePhrase:
            return "one-phrase";
        case LongTableKind::kSharedPrefixes:
            return "shared-prefixes";
        case LongTableKind::kMixedOptions:
            return "mixed-options";
        case LongTableKind::kWholeWord:
            return "whole-word";
    }
    return "";
}

std::vector<BenchPair> LongPhraseTable(LongTableKind kind) {
    if (kind == LongTableKind::kOnePhrase) return {{std::string(100000, 'a') + "b", "X", "C"}};
    constexpr std::string_view kMixed[] = {"", "C", "W", "C,W"};
    std::vector<BenchPair> table;
    table.reserve(kLongPhrases);
    for (std::size_t k = 0; k < kLongPhrases; ++k) {
        const std::string& tail = LongPhraseTail(k);
        const std::string_view options = kind == LongTableKind::kSharedPrefixes ? "C"
                                         : kind == LongTableKind::kWholeWord   ? "W"
                                                                               : kMixed[k % 4];
        table.push_back({std::string(1000 + 2 * k, 'a') + tail,
                         "<" + std::string(tail.rbegin(), tail.rend()) + ">",
                         std::string(options)});
    }
    return table;
}

std::u16string Utf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += length;
    }
    return out;
}

}  // namespace palimp::bench
