// The status line's texts, one row a case.
#include "core/status_line.h"

#include <gtest/gtest.h>

namespace palimp {
namespace {

TEST(StatusLine, CaretPlaceCountsFromOne) {
    const struct {
        int line, column;
        const char16_t* text;
    } rows[] = {
        {0, 0, u"Ln 1, Col 1"},
        {0, 4, u"Ln 1, Col 5"},
        {999, 998, u"Ln 1,000, Col 999"},
        {1'234'566, 0, u"Ln 1,234,567, Col 1"},
        {0, 4'194'303, u"Ln 1, Col 4,194,304"},  // the end of one 4 MB line
        {2'147'483'646, 2'147'483'646, u"Ln 2,147,483,647, Col 2,147,483,647"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CaretPlaceText(row.line, row.column), row.text) << row.line << ", " << row.column;
    }
}

TEST(StatusLine, SelectionShowsOnlyWhenThereIsOne) {
    const struct {
        int characters;
        const char16_t* text;
    } rows[] = {
        {0, u""},
        {-1, u""},
        {1, u"1 character selected"},
        {2, u"2 characters selected"},
        {999, u"999 characters selected"},
        {1000, u"1,000 characters selected"},
        {20'971'520, u"20,971,520 characters selected"},
    };
    for (const auto& row : rows) EXPECT_EQ(SelectionText(row.characters), row.text) << row.characters;
    EXPECT_GE(WidestSelectionText().size(), SelectionText(999'999'999).size());
}

}  // namespace
}  // namespace palimp
