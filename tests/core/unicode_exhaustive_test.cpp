// Every UTF-16 code unit against the expected properties that tests/core/unicode_oracle.mjs
// derives from the Unicode data at build time (independently of the table generator).
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include <gtest/gtest.h>

#include "core/char_classes.h"
#include "core/matching.h"

#ifndef PALIMP_UNICODE_ORACLE
#error "PALIMP_UNICODE_ORACLE must name the file written by tests/core/unicode_oracle.mjs"
#endif

namespace palimp {
namespace {

constexpr std::size_t kRecordSize = 3;  // uint16 fold (little-endian), flags
constexpr unsigned kWordFlag = 1, kPunctuationFlag = 2;

TEST(UnicodeExhaustive, EveryUnitMatchesTheUnicodeData) {
    std::ifstream file(PALIMP_UNICODE_ORACLE, std::ios::binary);
    ASSERT_TRUE(file) << "cannot open " << PALIMP_UNICODE_ORACLE;
    const std::vector<unsigned char> data{std::istreambuf_iterator<char>(file), {}};
    ASSERT_EQ(data.size(), 0x10000 * kRecordSize) << PALIMP_UNICODE_ORACLE;

    int wrong = 0;
    for (unsigned c = 0; c <= 0xFFFF && wrong < 20; ++c) {
        const unsigned char* r = &data[c * kRecordSize];
        const auto ch = static_cast<char16_t>(c);
        const unsigned fold = r[0] | (r[1] << 8);
        const bool word = r[2] & kWordFlag, punctuation = r[2] & kPunctuationFlag;
        if (FoldCase(ch) != fold || IsWordChar(ch) != word || IsPunctuationChar(ch) != punctuation) {
            ++wrong;
            ADD_FAILURE() << std::hex << "U+" << c << ": FoldCase " << int{FoldCase(ch)}
                          << " (expected " << fold << "), IsWordChar " << IsWordChar(ch)
                          << " (expected " << word << "), IsPunctuationChar "
                          << IsPunctuationChar(ch) << " (expected " << punctuation << ")";
        }
    }
}

}  // namespace
}  // namespace palimp
