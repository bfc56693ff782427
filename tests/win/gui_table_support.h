// What the table editor's tests share: the table window and its grid, tables written as
// letters ("ABC": rows A, B, C whose other cells derive from the letter), and the pair editor
// shown through the scripted prompter.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/table_file.h"
#include "gui_support.h"
#include "win/form_from_to.h"
#include "win/form_table.h"

namespace palimp {

class TableTest : public GuiTest {
protected:
    TFormTable& Table() { return App().FormTable(); }
    TFormFromTo& Editor() { return App().FormFromTo(); }
    HWND TableControl(const char* name) { return Named(Table(), name); }
    HWND EditorControl(const char* name) { return Named(Editor(), name); }
    Grid& TheGrid() { return *dynamic_cast<Grid*>(Window::FromHandle(TableControl("sgTable"))); }
    std::wstring Counter() { return TextOf(TableControl("labelCount")); }

    // Starts the program and shows the table window (not modally), the grid focused.
    void StartShown() {
        Start();
        Table().Show();
        Pump();
    }
    static TableRow RowOf(char16_t letter) {
        return {std::u16string(1, letter), std::u16string(1, static_cast<char16_t>(letter + 32)), u""};
    }
    // Loads item rows from a table file in the test's folder.
    void LoadRows(const std::vector<TableRow>& rows, const std::wstring& name = L"rows.palimp") {
        WriteBytes(temp_.Path(name), WriteTableFile({u"", rows}));
        Table().LoadTable(temp_.Path(name));
        Pump();
    }
    void LoadLetters(std::u16string_view letters) {
        std::vector<TableRow> rows;
        for (char16_t c : letters) rows.push_back(RowOf(c));
        LoadRows(rows);
    }
    std::u16string Letters() {
        std::u16string letters;
        for (const TableRow& row : Table().Table().Items()) letters += row[0].empty() ? u'_' : row[0][0];
        return letters;
    }
    std::vector<TableRow> Rows() {
        auto items = Table().Table().Items();
        return {items.begin(), items.end()};
    }
    // Clicks a button of a form the way the user does, after checking that it can be clicked.
    void Press(HWND button) {
        EXPECT_TRUE(IsWindowEnabled(button)) << "pressed a disabled button";
        ClickCentre(button);
        Pump();
    }
    // The next Add or Edit shows the pair editor: steps run in it, then OK (when the steps
    // pressed it) or Cancel ends it.
    void InPairEditor(std::function<void()> steps, ModalResult result) {
        prompter_.WhenShownModally(Editor(), std::move(steps), result);
    }
    void TypeInto(HWND combo, std::wstring_view text) {
        SetFocus(combo);
        SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
        Type(text);
    }
};

}  // namespace palimp
