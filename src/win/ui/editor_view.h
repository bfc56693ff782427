// The document view: a Scintilla window behind the document's own terms, so that no form sends
// Scintilla messages itself. Text is UTF-16; positions and lengths are UTF-16 units from 0, a
// CR LF line break counting two, as the find, special-search and replace code count them.
// Scintilla keeps UTF-8; positions are mapped through its UTF-16 line index, never through a
// copy of the text.
//
// Use: EditorView view;  view.Create(parent, id);  view.Load(u"text");
//      view.Select(2, 3);  auto [start, length] = view.Selection();
//      view.ReplaceAll(result);  // one undo step
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace palimp {

class EditorView {
public:
    EditorView() = default;
    EditorView(const EditorView&) = delete;
    EditorView& operator=(const EditorView&) = delete;

    // Creates the window (a child of parent, hidden until shown) with the look of a plain editor:
    // no margins, system colours, CR LF line ends. Null when the system refuses it.
    HWND Create(HWND parent, int id);
    HWND Handle() const { return hwnd_; }
    // A message of the editor's background work (wrapping and laying out a long document in
    // steps, the caret's blink), which it starts again by its own timer: a busy command that
    // lets waiting input and paint through may leave such a message out.
    static bool IsBackgroundWork(const MSG& msg);

    // The whole text, U+0000 included.
    std::u16string Text() const;
    int Length() const;
    bool Empty() const;
    // A new document: the text, an empty history, unmodified, the caret at the start.
    // Both take the text by value and let it go once converted, before the editor takes its
    // copy: a document of tens of megabytes is then never held three times over.
    void Load(std::u16string text);
    // The whole text replaced as one undo step (the history before it kept); the caret at the
    // end, scrolled into view.
    void ReplaceAll(std::u16string text);
    // The selected text, and whether the selection reaches over a line break.
    std::u16string SelectedText() const;
    bool SelectionSpansLines() const;
    // The selection replaced as one undo step; the selection then covers the new text.
    void ReplaceSelection(std::u16string text);

    // The selection as start and length; Select puts the caret at its end and scrolls it into
    // view. A position inside a surrogate pair is taken as the pair's start.
    std::pair<int, int> Selection() const;
    void Select(int start, int length);
    void SelectAll();
    // The caret's line and column (both from 0, the column in UTF-16 units).
    std::pair<int, int> CaretLineColumn() const;
    // What a status line shows, counted in characters (a surrogate pair one, a CR LF line end
    // two) within the caret's line and the selection only: the caret's line and column from 0
    // and the selection's length.
    struct CaretPlace {
        int line = 0;
        int column = 0;
        int selected = 0;
    };
    CaretPlace Place() const;
    // Changes whenever the caret or the selection's other end moves; nothing is counted.
    std::pair<long long, long long> CaretStamp() const;

    // The modified flag follows the history: undoing back to the last save clears it.
    bool Modified() const;
    void SetSavePoint();

    bool CanUndo() const;
    bool CanRedo() const;
    void Undo();
    void Redo();
    void EmptyUndoHistory();

    bool HasSelection() const;
    bool CanPaste() const;
    void Cut();
    void Copy();
    void Paste();
    // The selection, or else the character after the caret (a CR LF line end as a whole).
    void Delete();

    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wrap);
    // The face (a missing one falls back to its look-alike) and size in points at dpi.
    void SetFont(const std::wstring& face, int points, int dpi);
    // The face the text is shown in.
    std::wstring FontFace() const;
    // The height of one line in pixels, as laid out.
    int LineHeight() const;
    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);

    // Ctrl + mouse wheel, which Scintilla would take as its own zoom: +1 larger, -1 smaller.
    void OnZoomWheel(std::function<void(int)> handler) { zoomWheel_ = std::move(handler); }

    // Position mapping, exposed for tests: UTF-16 units <-> Scintilla's byte positions.
    long long BytePosition(int unitPosition) const;
    int UnitPosition(long long bytePosition) const;

private:
    LRESULT Call(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void RefreshUnitIndex() const;
    long long ByteAt(int unitPosition) const;  // through the index as it stands
    int UnitAt(long long bytePosition) const;
    int CharactersBetween(long long startByte, long long endByte) const;
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);

    HWND hwnd_ = nullptr;
    bool wordWrap_ = false;
    std::function<void(int)> zoomWheel_;
};

}  // namespace palimp
