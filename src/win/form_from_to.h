// The pair editor dialog of the table editor (one instance, FormFromTo): one replacement pair
// for Add, or the fields of the selected rows for Edit, with a "Change:" box per field when
// several rows are edited at once. The caller fills State() before showing it and reads it back
// after OK. The histories of both input boxes last for the whole run.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/table_editing.h"
#include "win/app_form.h"
#include "win/ui/layout.h"
#include "win/ui/panel.h"

namespace palimp {

class TFormFromTo : public AppForm {
public:
    explicit TFormFromTo(FormHost& host) : AppForm(host) {}
    ~TFormFromTo() override;

    void CreateForm() override;
    // Clears the state, the caption "Palimp", the field captions; the boxes take the grid font.
    void FormCreate() override;

    // What the dialog shows when it opens, and what OK leaves behind.
    PairEditState& State() { return state_; }
    // The font of both input boxes (the table grid's font).
    void SetInputFont(HFONT font);
    // The history of each input box, oldest first.
    const std::vector<std::u16string>& SearchHistory() const { return searchHistory_; }
    const std::vector<std::u16string>& ReplaceHistory() const { return replaceHistory_; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnActivate(bool active) override;
    void OnTimer(UINT_PTR id) override;
    void OnDpiChanged(int dpi) override;

private:
    void CreateActions();
    void CreateControls();
    HWND CreateCheckBox(HWND parent, Layout& layout, const char* name, const wchar_t* caption, DWORD type);
    HWND CreateLabel(const char* name, const wchar_t* caption, DWORD align);
    HWND CreateCombo(const char* name);
    // Places the fields under each other by the height the input boxes have in their font, to
    // the right of the "Change:" column when it shows.
    void ArrangeFields();
    static LRESULT CALLBACK InputProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self);
    // Pasted text whose TABs and line breaks became spaces; false when it has none (the box
    // pastes it itself).
    bool PasteInto(HWND edit);
    // A beep and a balloon at the box: a TAB or line break was refused, or pasted ones replaced.
    void TellCellBreaks(HWND edit, bool pasted);
    // With Extended ticked, a box whose text holds an invalid escape keeps the dialog open: a
    // beep, the caret on the escape and a balloon saying what is wrong. False when one does.
    bool CheckEscapes();

    void FormShow();
    void comboSearchChange();
    void comboReplaceChange();
    void checkChangeClick(HWND box);
    void checkOptionClick(HWND box);
    void UpdateOkButton();
    void UpdateUnicodeLabel();
    void btnOKClick();
    void actionEditSelectAllExecute();

    std::u16string InputText(HWND combo) const;
    void RefreshLength(HWND combo);

    PairEditState state_;
    std::vector<std::u16string> searchHistory_;
    std::vector<std::u16string> replaceHistory_;
    Layout layout_;
    HFONT inputFont_ = nullptr;
    bool focusOnActivate_ = false;
    HWND focusOnShow_ = nullptr;

    Panel panelChange;
    HWND checkChangeSearch = nullptr;
    HWND checkChangeReplace = nullptr;
    HWND checkChangeCase = nullptr;
    HWND checkChangeWord = nullptr;
    HWND checkChangeExtended = nullptr;
    HWND labelSearch1 = nullptr;
    HWND labelSearch2 = nullptr;
    HWND comboSearch = nullptr;
    HWND labelReplace1 = nullptr;
    HWND labelReplace2 = nullptr;
    HWND comboReplace = nullptr;
    HWND checkCase = nullptr;
    HWND checkWord = nullptr;
    HWND checkExtended = nullptr;
    HWND labelUnicode = nullptr;
    HWND btnOK = nullptr;
    HWND btnCancel = nullptr;
};

}  // namespace palimp
