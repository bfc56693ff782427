// The table editor window (one instance, FormTable), shown modally by Replace Many: the grid of
// replacement pairs with its row commands (each undoable with Ctrl+Z), a check box per row to
// switch it off, Count (the hits of each row in the document, without changing it), the pair
// editor for Add and Edit, table files (Open, Save As, the table folder's menu) with a question
// before an edited table is replaced, Copy All and Paste All through the clipboard, and
// "Replace All", which closes it with OK once some row has a search phrase.
//
// The class is spread over two sources: form_table.cpp (controls, layout, fonts, the row
// commands) and form_table_files.cpp (table files, the folder menu, the clipboard).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "core/replacement_table.h"
#include "core/settings.h"
#include "core/table_history.h"
#include "win/app_form.h"
#include "win/ui/flat_button.h"
#include "win/ui/grid.h"
#include "win/ui/layout.h"
#include "win/ui/panel.h"
#include "win/ui/prompter.h"

namespace palimp {

// The table as its grid shows it: the cells, the switched-off rows, the selection.
class TableGridModel final : public GridModel {
public:
    explicit TableGridModel(ReplacementTable& table) : table_(table) {}
    int RowCount() const override { return table_.RowCount(); }
    std::u16string_view Cell(int column, int row) const override { return table_.Cell(column, row); }
    bool RowOff(int row) const override { return HasOption(table_.Cell(kOptionsColumn, row), kOptionOff); }
    int Row() const override { return table_.Row(); }
    int Top() const override { return table_.Top(); }
    int Bottom() const override { return table_.Bottom(); }
    int Anchor() const override { return table_.Anchor(); }
    void SetRow(int row) override { table_.SetRow(row); }
    void SelectRange(int anchor, int current) override { table_.SelectRange(anchor, current); }

private:
    ReplacementTable& table_;
};

class TFormTable : public AppForm {
public:
    explicit TFormTable(FormHost& host) : AppForm(host) {}
    ~TFormTable() override;

    void CreateForm() override;
    // Caption, file dialogs, the header captions, TableFolder, and a new table.
    void FormCreate() override;

    // The table the grid shows; Replace Many reads it when the window closes with OK.
    const ReplacementTable& Table() const { return table_; }

    // The face of the grid font; the font dialog of the main window sets it, the size stays,
    // and the pair editor's input boxes take the grid font.
    const std::wstring& GridFontFace() const { return gridFontFace_; }
    void SetGridFontFace(const std::wstring& face);
    int GridFontSize() const { return gridFontSize_; }
    HFONT GridFont() const;

    // The table files' folder beside the program (ProgramFolder + "replace\"): where both file
    // dialogs start and what the arrow button's menu lists. Set at creation.
    const std::wstring& TableFolder() const { return tableFolder_; }
    void SetTableFolder(std::wstring folder);
    // The current table file: the file name both file dialogs propose; empty for a new table.
    const std::wstring& FileName() const { return fileName_; }

    // Replaces the table by the file's content; nothing happens when there is no file at path.
    // A file that cannot be read gives a message and changes nothing.
    void LoadTable(const std::wstring& path);
    // Writes the table to path, asking before it replaces a file; an empty path only beeps. A
    // file that cannot be written gives a message and stays as it was. True once written.
    // Saving the table back to its own file asks nothing (askToReplace false).
    bool SaveTable(const std::wstring& path, bool askToReplace = true);

    // Whether the table was edited since it was opened, saved or started; "*" in the title.
    bool Modified() const { return modified_; }
    // Before the table is replaced or the program ends: with an edited table, "Save changes to
    // <table>?" (Yes, No, Cancel). True when the caller may go on: saved, No, or nothing to save.
    bool QuerySaveTable();
    // Before the window is shown for Replace Many: with text selected in the document the
    // "In selection" box is there to tick (ticked when the selection reaches over lines), else
    // it is greyed and clear. InSelection tells whether the pass and Count take the selection.
    void OfferSelection(bool offered, bool ticked);
    bool InSelection() const;
    // The hits of the last Count, empty when there is none (or it no longer holds).
    const std::vector<int>& CountedHits() const { return countedHits_; }

    // Puts the window's size, the grid font and the current table file into settings; FormCreate
    // takes them over from the settings kept at the last run.
    void KeepSettings(Settings& settings) const;

protected:
    void OnSize(int width, int height) override;
    void OnGetMinMaxInfo(MINMAXINFO& info) override;
    void OnDpiChanged(int dpi) override;
    void OnActivate(bool active) override;
    HBRUSH OnControlColour(UINT message, HWND control, HDC dc) override;
    bool OnDrawItem(const DRAWITEMSTRUCT& item) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // Layout (form_table.cpp).
    void CreateActions();
    void CreateControls();
    void CreateTitleRow();
    void CreateTools();
    void CreateOKCancel(int width);
    HWND CreateButton(HWND parent, Layout& layout, const char* name, const wchar_t* caption, Bounds bounds,
                      unsigned anchors, int id, DWORD style = 0);
    void LoadPictures();
    void ApplyFonts();
    // The grid font at its size, the row height that goes with it; the pair editor's boxes
    // follow when it exists.
    void ApplyGridFont(bool toPairEditor);

    // Handlers (form_table.cpp).
    void FormShow();
    void FormResize();
    void UpdateCountLabel();
    // Widens the tools column (never below its design width) so that the longest counter of
    // the table, and the text shown now, fit on one line in the counter's font; the grid gives
    // up the room.
    void FitToolsColumn(const std::wstring& shown);
    void TableChanged();
    // After a row command changed the table: modified, the count gone, the grid caught up.
    void TableEdited();
    // Records the table for Undo before a row command.
    void RecordUndo();
    // The title label: the table's name, "*" when modified.
    void ShowTitle(std::wstring name);
    // A command that cannot do what was asked says why in the counter line, with a beep.
    void Say(const std::wstring& why);
    void ClearCount();
    void sgTableSwitchClick();
    void actionCountExecute();
    void actionSwitchExecute();
    void actionUndoExecute();
    void sgTableClick();
    void sgTableDblClick();
    void btnOKClick();
    void sbtnMoreClick();
    void actionAddExecute();
    void actionEditExecute();
    void actionDeleteExecute();
    void actionMoveUpExecute();
    void actionMoveDownExecute();
    void actionSelectAllExecute();
    void actionSwapColumnsExecute();
    void actionFullScreenExecute();
    void actionFontLargerExecute();
    void actionFontSmallerExecute();

    // Files, the folder menu and the clipboard (form_table_files.cpp).
    FileDialogRequest DialogRequest(std::wstring title, DWORD flags) const;
    void NewTable();
    void stbnOpenClick();
    void sbtnSaveClick();
    void sbtnOpenLastClick();
    // "(new)" and the captions of the table files in TableFolder, in the file system's order.
    std::vector<std::wstring> BuildOpenMenu();
    void actionCopyAllExecute();
    void actionPasteAllExecute();
    void ShowError(const std::u16string& message);
    // Drops a popup menu down under button, its right edge at the button's lower right corner;
    // the chosen command id, or 0.
    int DropDown(HMENU menu, HWND button);

    ReplacementTable table_;
    TableGridModel gridModel_{table_};
    Layout layout_;
    std::wstring gridFontFace_ = L"Lucida Sans Unicode";
    int gridFontSize_ = 10;
    std::wstring tableFolder_;
    std::wstring fileName_;
    std::wstring titleName_;
    bool modified_ = false;
    TableHistory history_;
    // The last Count: each row's hits, the total, and the document's hash then.
    std::vector<int> countedHits_;
    int countedTotal_ = 0;
    std::size_t countedDocument_ = 0;
    HIMAGELIST pictures_ = nullptr;
    HMENU popupMenuMore = nullptr;
    HMENU popupMenuOpen = nullptr;
    bool focusGridOnActivate_ = false;
    int toolsWidth_ = 0;  // the tools column's width now (96 DPI)

    Grid sgTable;
    Panel panelTitle;
    HWND labelTitle = nullptr;
    FlatButton stbnOpen;
    FlatButton sbtnOpenLast;
    HWND bevelFind = nullptr;
    FlatButton sbtnSave;
    Panel panelTools;
    HWND labelCount = nullptr;
    FlatButton sbtnMore;
    Panel panelOKCancel;
    HWND btnOK = nullptr;
    HWND btnCancel = nullptr;
    HWND btnCount = nullptr;
    HWND checkInSelection = nullptr;

    Action* actionAdd = nullptr;
    Action* actionEdit = nullptr;
    Action* actionDelete = nullptr;
    Action* actionMoveUp = nullptr;
    Action* actionMoveDown = nullptr;
    Action* actionSelectAll = nullptr;
    Action* actionSwapColumns = nullptr;
    Action* actionCopyAll = nullptr;
    Action* actionPasteAll = nullptr;
    Action* actionCount = nullptr;
    Action* actionSwitch = nullptr;
    Action* actionUndo = nullptr;
    // Keyboard ways to the flat buttons of the title row and to the More menu, which take no focus.
    Action* actionOpen = nullptr;
    Action* actionOpenLast = nullptr;
    Action* actionSaveAs = nullptr;
    Action* actionMore = nullptr;
    Action* actionFullScreen = nullptr;
    Action* actionFontLarger = nullptr;
    Action* actionFontSmaller = nullptr;
};

}  // namespace palimp
