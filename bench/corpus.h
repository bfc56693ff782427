// Deterministic English-like corpora and replacement tables for the benchmarks: the in-process
// engine benchmark and the end-to-end comparison with other tools use the same data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace palimp::bench {

// The corpus vocabulary: kVocabularySize distinct lower-case ASCII pseudo-words, most frequent
// first (frequent words are short, as in English). The same on every platform.
inline constexpr std::size_t kVocabularySize = 200000;
const std::vector<std::string>& Vocabulary();

// About bytes bytes (never more) of English-like ASCII text, which is also UTF-8: sentences of
// Zipf-distributed vocabulary words, a capital at each sentence start, commas, full stops, and
// "\n" after some sentences. The same seed gives the same text on every platform.
std::string EnglishLikeText(std::size_t bytes, std::uint64_t seed = 1);

// Which options every row of a table carries.
enum class TableKind {
    kCaseSensitive,    // "C"
    kCaseInsensitive,  // "" (the editor's default)
    kWholeWord,        // "W" (whole words, case ignored)
};
std::string_view OptionsOf(TableKind kind);
std::string_view NameOf(TableKind kind);  // "case-sensitive", "case-insensitive", "whole-word"

struct BenchPair {
    std::string search;   // a vocabulary word
    std::string replace;  // the word written backwards
    std::string options;
};

// pairs distinct vocabulary words (at most kVocabularySize), drawn from the 20 * pairs most
// frequent ones, in a random but fixed order. Small tables thus hit common words and large
// tables reach far into the vocabulary.
std::vector<BenchPair> ReplacementTable(std::size_t pairs, TableKind kind, std::uint64_t seed = 1);

// The table as the peers read it: one "phrase<TAB>replacement\n" line per pair (options are
// not written; only case-sensitive tables compare with peers).
std::string TableTsv(const std::vector<BenchPair>& pairs);

// ---- Long phrases: tables whose phrases, not their number, are large ----

// About bytes bytes (never more) of ASCII text made for long phrases: runs of 'a' (a tenth of
// them 'A'), half of them up to 10,000 units long and half up to 200,000, each ended by "b", by
// a tail of LongPhraseTable (the run then often just long enough for its phrase) or by a
// vocabulary word, then a space or "\n". Every position inside a run nearly matches the
// phrases below.
std::string LongRunText(std::size_t bytes, std::uint64_t seed = 1);

enum class LongTableKind {
    kOnePhrase,       // one phrase: 100,000 'a' and a 'b', case sensitive
    kSharedPrefixes,  // 1,000 phrases: 1,000 to 3,000 'a' and a tail word each, case sensitive
    kMixedOptions,    // the same phrases with the options "", "C", "W", "C,W" in turn
    kWholeWord,       // the same phrases, all whole-word ("W", case ignored)
};
inline constexpr LongTableKind kLongTableKinds[] = {
    LongTableKind::kOnePhrase, LongTableKind::kSharedPrefixes, LongTableKind::kMixedOptions,
    LongTableKind::kWholeWord};
// "one-phrase", "shared-prefixes", "mixed-options", "whole-word"
std::string_view NameOf(LongTableKind kind);
std::vector<BenchPair> LongPhraseTable(LongTableKind kind);

// ASCII or UTF-8 text as UTF-16 (well-formed input expected).
std::u16string Utf16(std::string_view text);

}  // namespace palimp::bench
