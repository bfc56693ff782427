// Matching primitives on UTF-16 text: case folding, word characters, comparison of runs, match
// at one position, forward and backward searches. Every search and every replacement uses them.
//
// Positions are 1-based indexes of UTF-16 code units; 0 means "not found". A surrogate pair is
// two positions. An empty phrase never matches. No function allocates or reads outside its
// strings; out-of-range arguments give false or 0.
#pragma once

#include <string_view>

namespace palimp {

// The simple lowercase mapping of Unicode 3.1 (the case folding of every case-insensitive
// comparison): U+0130 -> 'i', U+212A -> 'k', U+03A3 -> U+03C3; U+03C2, U+0131, U+00DF stay.
char16_t FoldCase(char16_t ch);

// The word-character test of "whole words only": the Unicode 3.2 Alphabetic property, minus
// the cased letters new in 3.2. Digits and '_' are not word characters.
bool IsWordChar(char16_t ch);

int IntMax(int a, int b);
int IntMin(int a, int b);
int IntSign(int a);

// True when the first count units of a and b are equal; false when count < 1 or either string
// is empty or shorter than count.
bool SameChars(std::u16string_view a, std::u16string_view b, int count);
// The same, comparing FoldCase of each unit.
bool SameCharsNoCase(std::u16string_view a, std::u16string_view b, int count);

// Whether count units of phrase from phraseStart match text at textPos, with or without case,
// and (wholeWord) with no word character just before or just after the run in text.
bool MatchAt(std::u16string_view phrase, int phraseStart, std::u16string_view text, int textPos,
             int count, bool caseSensitive, bool wholeWord);

// First p >= start where the whole phrase occurs; 0 when none, when the phrase is empty or
// longer than the text, or when start lies outside 1..length(text).
int PosForward(std::u16string_view phrase, std::u16string_view text, int start);
int PosForwardNoCase(std::u16string_view phrase, std::u16string_view text, int start);
// Last p <= start where the whole phrase begins; same zero conditions (start is not clamped
// when beyond the text; it is lowered to the last position where the phrase fits).
int PosBackward(std::u16string_view phrase, std::u16string_view text, int start);
int PosBackwardNoCase(std::u16string_view phrase, std::u16string_view text, int start);

// Option-aware searches behind Find Next and Find Back: candidates that fail the whole-word
// test are skipped and the search goes on in the same direction.
int FindPhrase(std::u16string_view phrase, std::u16string_view text, bool caseSensitive,
               bool wholeWord, int start);
int FindPhraseBack(std::u16string_view phrase, std::u16string_view text, bool caseSensitive,
                   bool wholeWord, int start);

// The start-up self-check: thirteen fixed results, checks "units\uuFunctions" lines 51 to 63.
// Throws EAssertionFailed at the first wrong answer.
void MatchingSelfTest();

}  // namespace palimp
