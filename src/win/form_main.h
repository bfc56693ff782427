// The main window (one instance, FormMain): the text editor with its toolbar, menu and command
// list, the document's life cycle (new, open, save, drop) and the view commands.
//
// The class is spread over several sources: form_main.cpp (creation, closing, messages),
// form_main_layout.cpp (controls, toolbar, command list, menu), form_main_document.cpp (the
// document), form_main_view.cpp (edit, view and format commands), form_main_find.cpp (the find
// panel and special searches), form_main_replace.cpp (Replace Many), form_main_status.cpp (the
// status line), form_main_settings.cpp (the kept settings) and form_main_help.cpp.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "os/file_replace.h"

#include "win/app_form.h"
#include "win/ui/actions.h"
#include "win/ui/editor_view.h"
#include "win/ui/flat_button.h"
#include "win/ui/layout.h"
#include "win/ui/panel.h"
#include "win/ui/prompter.h"

namespace palimp {

struct SearchOutcome;
struct Settings;
class ReplacementTable;

class TFormMain : public AppForm {
public:
    explicit TFormMain(FormHost& host);
    ~TFormMain() override;

    void CreateForm() override;
    void FormCreate() override;

    // The editor; its text is the document.
    HWND Memo() const { return memo.Handle(); }
    EditorView& Editor() { return memo; }
    std::u16string DocumentText() const;
    const std::wstring& DocumentName() const { return documentName; }

    // Asks "Save changes?" when the document is modified. True when the caller may go on and
    // discard the text: it was not modified, the user said No, or the user said Yes and the
    // document was saved. Cancel, a cancelled Save As dialog and a failed save all answer false.
    bool QuerySaveChanges();
    // Before the program ends after a failure: "Save changes?" with Yes and No when the document
    // is modified; Yes saves (through Save As when the document has no file yet). When Yes did
    // not save (Save As cancelled, the write failed), the text goes to a recovery file whose
    // path a message shows; should that fail too, the question comes again.
    void OfferToSaveBeforeExit();
    // Where OfferToSaveBeforeExit keeps text it could not save (DefaultRecoveryFolder unless
    // set; tests set a folder of their own).
    void SetRecoveryFolder(std::wstring folder) { recoveryFolder_ = std::move(folder); }
    // Loads a text file into the editor (any of the program's encodings, line breaks made CR
    // LF, U+0000 kept). The document is bound to path even when reading fails, but then Save
    // goes through Save As. A folder gives the load error and an untitled document.
    void OpenDocument(const std::wstring& path);
    // Writes the editor text to path as FF FE + UTF-16 LE, atomically; true when written. With
    // expected, the file must still have that stamp when it is replaced.
    bool SaveDocument(const std::wstring& path, std::optional<os::FileStamp> expected = std::nullopt);
    // Caption "<DocumentName> - Palimp 1.2 Free"; the application title follows it.
    void UpdateTitle();
    // Save follows the modified flag; Replace Many and the find commands follow "text not empty".
    void UpdateCommandStates();
    // The editor font size in points, clamped to 6..30; marks the matching size item.
    void SetEditorFontSize(int size);
    // The pass of Replace Many once the table window closed with OK: the progress dialog, the
    // result as one undoable edit, the count and time in the caption. In the selection, only
    // the selected text is rewritten, its edges taken as the text's ends, and the selection
    // covers the result.
    void ReplaceManyPass(const ReplacementTable& table, bool inSelection = false);
    // What a pass would rewrite: the selected text or the whole document.
    std::u16string PassText(bool inSelection) const;
    // The millisecond clock of the pass (GetTickCount); tests put a clock of their own here.
    void SetPassClock(std::function<std::uint32_t()> clock) { passClock_ = std::move(clock); }
    int EditorFontSize() const { return editorFontSize; }
    const std::wstring& EditorFontFace() const { return editorFontFace; }

    bool PreTranslateMessage(MSG& msg) override;

    // Shows the window at start-up, maximised when it was at the end of the last run.
    void ShowAtStart();
    // Puts the editor's, the find panel's and the window's settings into settings.
    void KeepSettings(Settings& settings) const;

protected:
    bool OnNotify(NMHDR& header, LRESULT& result) override;
    void OnSize(int width, int height) override;
    bool OnCloseQuery() override;
    void OnClose() override;
    void OnDestroy() override;
    void OnDpiChanged(int dpi) override;
    void OnGetMinMaxInfo(MINMAXINFO& info) override;
    void OnDropFiles(HDROP drop) override;
    bool OnDrawItem(const DRAWITEMSTRUCT& item) override;
    void OnTimer(UINT_PTR id) override;
    void OnActivate(bool active) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // Layout (form_main_layout.cpp).
    void CreateActions();
    void CreateMenus();
    void CreateControls();
    void CreateToolbar();
    void SizeToolbar();
    LRESULT DrawToolButton(NMTBCUSTOMDRAW& draw);
    void CreateMemo();
    void ApplyFonts();
    void LoadPictures();

    // The kept settings (form_main_settings.cpp): applied in FormCreate.
    void ApplyKeptSettings(const Settings& settings);

    // Creation and closing (form_main.cpp).
    bool FormCloseQuery();
    void FormClose();
    void WMDropFiles(HDROP drop);
    void OpenCommandLineFile();

    // The document (form_main_document.cpp).
    void actionNewExecute();
    void actionOpenExecute();
    void actionSaveExecute();
    void actionSaveAsExecute();
    bool SaveCommand();
    bool SaveAsCommand();
    void RememberFile(const std::wstring& path);
    void SetDocumentText(std::u16string text);
    void ClearDocument();
    void MakeUntitled();
    // The stamp of the bound file now, when it differs from the one the editor last read or
    // wrote; nullopt when it is the same, gone, or the editor holds none of it.
    std::optional<os::FileStamp> ChangedOnDisk() const;
    // When the window becomes active: a file changed by another program is offered for
    // reloading, once for each change.
    void CheckFileOnDisk();
    // Paints what waits to be painted (the new title, a closed menu's place) before long work.
    void RepaintNow();
    bool Modified() const;
    void memoChange();

    // Edit, view and format commands (form_main_view.cpp).
    // The find box when it has the focus: the edit commands act on it instead of the editor.
    HWND FocusedTextBox() const;
    void actionEditUndoExecute();
    void actionEditRedoExecute();
    void actionEditCutExecute();
    void actionEditCopyExecute();
    void actionEditPasteExecute();
    void actionEditDeleteExecute();
    void actionEditSelectAllExecute();
    void UpdateEditCommand(Action& action);
    void miFontSizeClick(MenuItem& sender);
    void actionFontLargerExecute();
    void actionFontSmallerExecute();
    void actionFontExecute();
    void actionWordWrapExecute();
    void actionFullScreenExecute();
    void actionXXXExecute();
    void miExitClick();
    void miAboutClick();
    void actionOnlineHelpExecute();
    void actionWebPageExecute();
    void ApplyEditorFont();
    void ApplyFontFaceToTableWindows(const std::wstring& face);

    // The status line (form_main_status.cpp): the caret's line and column, the selection's
    // length, the encoding a save writes. UpdateStatusLine looks at the editor and changes the
    // texts when the caret, the selection or the text moved (or always); ShowStatusTexts fits
    // the parts to them.
    void CreateStatusBar();
    void actionStatusBarExecute();
    void UpdateStatusLine(bool always);
    void ShowStatusTexts();
    void ApplyStatusFont();

    // The find panel and the special searches (form_main_find.cpp).
    void CreateFindPanel();
    void actionFindExecute();
    void actionFindNextExecute();
    void actionFindBackExecute();
    void actionShowHideFindPanelExecute();
    void actionRepeatSpecialSearchExecute();
    void SearchForSpecial(MenuItem& sender);
    void sbtnFindOptionsClick();
    void miCaseSensitiveClick(MenuItem& sender) { sender.SetChecked(!sender.Checked()); }
    void miWholeWordsOnlyClick(MenuItem& sender) { sender.SetChecked(!sender.Checked()); }
    void miHideFindPanelClick();
    // Enter and Escape in the find box; true when the key was taken.
    bool edFindKeyPress(const MSG& msg);
    void FocusFindBox();
    // Places the toolbar, the find panel and the logo in the top panel for the window's width:
    // the find panel stands left of the logo; where the row is too narrow the logo gives way,
    // and where it is too narrow even then the find panel takes a second row under the toolbar,
    // so the find box always shows whole.
    void ArrangeTopPanel();
    // The editor's selection as start and length, and showing a search's outcome there.
    std::pair<int, int> MemoSelection() const;
    void ShowSearchOutcome(const SearchOutcome& outcome);
    void DrawFindPanelPart(const DRAWITEMSTRUCT& item);

    // Replace Many (form_main_replace.cpp).
    void actionReplaceManyExecute();
    void DeliverReplaceResult(std::u16string output, bool inSelection);

    // Help (form_main_help.cpp): the application-wide F1 hook and the local help pages.
    bool applicationEventsMessage(MSG& msg);
    void actionHelpExecute();

    // Controls.
    Layout layout_;
    Panel panelTop;
    HWND toolBar = nullptr;
    HWND imageLogo = nullptr;
    EditorView memo;
    HWND statusBar = nullptr;
    Panel panelFind;
    Panel shapeFindEdit;
    Panel panelFindEdit;
    FlatButton sbtnFindOptions;
    FlatButton sbtnFindNext;
    FlatButton sbtnFindBack;
    HWND imageFind = nullptr;
    HWND edFind = nullptr;
    HWND bevelFind = nullptr;
    HIMAGELIST toolbarImages_ = nullptr;
    HICON logoIcon_ = nullptr;
    HMENU mainMenu = nullptr;
    HMENU pmFind = nullptr;
    HBRUSH findFrameBrush_ = CreateSolidBrush(RGB(127, 157, 185));  // the find box frame

    // Commands: the names are the command list's; the tests find them by name.
    Action* actionNew = nullptr;
    Action* actionOpen = nullptr;
    Action* actionSave = nullptr;
    Action* actionSaveAs = nullptr;
    Action* actionEditUndo = nullptr;
    Action* actionEditRedo = nullptr;
    Action* actionEditCut = nullptr;
    Action* actionEditCopy = nullptr;
    Action* actionEditPaste = nullptr;
    Action* actionEditDelete = nullptr;
    Action* actionEditSelectAll = nullptr;
    Action* actionFind = nullptr;
    Action* actionFindNext = nullptr;
    Action* actionFindBack = nullptr;
    Action* actionShowHideFindPanel = nullptr;
    Action* actionStatusBar = nullptr;
    Action* actionReplaceMany = nullptr;
    Action* actionRepeatSpecialSearch = nullptr;
    Action* actionWordWrap = nullptr;
    Action* actionFontLarger = nullptr;
    Action* actionFontSmaller = nullptr;
    Action* actionFont = nullptr;
    Action* actionFullScreen = nullptr;
    Action* actionXXX = nullptr;
    Action* actionHelp = nullptr;
    Action* actionOnlineHelp = nullptr;
    Action* actionWebPage = nullptr;
    MenuItem* miExit = nullptr;
    MenuItem* miAbout = nullptr;
    MenuItem* miSearchFor = nullptr;
    MenuItem* miSearchItems[6] = {};  // the six classes, tags 1 to 6
    MenuItem* miFontSizes[6] = {};
    MenuItem* miCaseSensitive = nullptr;
    MenuItem* miWholeWordsOnly = nullptr;
    MenuItem* miHideFindPanel = nullptr;

    // The document.
    std::wstring documentName = L"Untitled";
    FileDialogRequest openDialog;
    FileDialogRequest saveDialog;
    // The editor does not hold the file it is bound to (reading failed): Save goes through Save
    // As.
    bool partialRead_ = false;
    // The bound file as the editor last read or wrote it; a change the user chose not to reload
    // (asked once); whether that question is up.
    std::optional<os::FileStamp> fileStamp_;
    std::optional<os::FileStamp> declinedStamp_;
    bool checkingFile_ = false;
    std::wstring recoveryFolder_;

    // The view.
    std::wstring editorFontFace = L"Lucida Console";
    int editorFontSize = 10;
    bool wantTabs = true;  // Tab in the editor inserts a tab character
    std::function<std::uint32_t()> passClock_;
    int helpMarker_ = 0;  // 1 while Help runs because of the F1 key
    bool startMaximized_ = false;

    // The status line as last shown: the editor's caret and anchor then, whether the text
    // changed since, and the three parts' texts.
    std::pair<long long, long long> statusStamp_ = {-1, -1};
    bool statusStale_ = true;
    std::wstring statusTexts_[3];
};

}  // namespace palimp
