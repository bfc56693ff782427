// The document view on Scintilla: UTF-16 text and positions in, Scintilla's UTF-8 and byte
// positions inside.
#include "win/ui/editor_view.h"

#include <commctrl.h>

#include <Scintilla.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <utility>

#include "win/ui/busy_cursor.h"
#include "win/ui/fonts.h"

namespace palimp {

namespace {

// UTF-16 to UTF-8. A lone surrogate has no UTF-8 form: it is written as its three-byte pattern,
// which Scintilla keeps as it is (and shows as bytes), so that nothing is lost on the way back.
// Documents run to tens of megabytes: the size is counted first, then the bytes written, runs of
// ASCII in a tight loop.
bool StartsPair(std::u16string_view text, size_t i) {
    return text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
           text[i + 1] <= 0xDFFF;
}

// The UTF-8 size of text, and whether its bytes can be written over its own units from the
// front: no prefix is longer in UTF-8 than in UTF-16 (so for any text of ASCII and Latin letters).
std::pair<size_t, bool> Utf8Size(std::u16string_view text) {
    size_t size = 0;
    bool fits = true;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c < 0x80) {
            size += 1;
        } else if (c < 0x800) {
            size += 2;
        } else if (StartsPair(text, i)) {
            size += 4;
            ++i;
        } else {
            size += 3;
        }
        fits = fits && size <= 2 * (i + 1);
    }
    return {size, fits};
}

// Writes the UTF-8 of text at out. Each character's units are read before its bytes are written,
// so out may be the text's own storage when Utf8Size says it fits.
void WriteUtf8(std::u16string_view text, unsigned char* out) {
    const size_t n = text.size();
    unsigned char* o = out;
    for (size_t i = 0; i < n; ++i) {
        while (i < n && text[i] < 0x80) *o++ = static_cast<unsigned char>(text[i++]);
        if (i == n) break;
        char32_t c = text[i];
        if (StartsPair(text, i)) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
            *o++ = static_cast<unsigned char>(0xF0 | (c >> 18));
            *o++ = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
        } else if (c < 0x800) {
            *o++ = static_cast<unsigned char>(0xC0 | (c >> 6));
            *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
            continue;
        } else {
            *o++ = static_cast<unsigned char>(0xE0 | (c >> 12));
        }
        *o++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    }
}

std::string ToUtf8(std::u16string_view text) {
    std::string out(Utf8Size(text).first, '\0');
    WriteUtf8(text, reinterpret_cast<unsigned char*>(out.data()));
    return out;
}

// A whole document's text as UTF-8 for Scintilla, written over the text's own storage when it
// fits there: memory the program has never written to costs far more than a second pass over
// memory it has (a 20 MB copy is a tenth of a second under Wine in a virtual machine).
class Utf8Document {
public:
    explicit Utf8Document(std::u16string&& text) : units_(std::move(text)) {
        auto [size, fits] = Utf8Size(units_);
        size_ = size;
        if (fits) {
            WriteUtf8(units_, reinterpret_cast<unsigned char*>(units_.data()));
            data_ = reinterpret_cast<const char*>(units_.data());
        } else {
            own_.resize(size);
            WriteUtf8(units_, reinterpret_cast<unsigned char*>(own_.data()));
            std::u16string().swap(units_);
            data_ = own_.data();
        }
    }
    WPARAM Size() const { return size_; }
    LPARAM Data() const { return reinterpret_cast<LPARAM>(data_); }

private:
    std::u16string units_;
    std::string own_;
    const char* data_ = nullptr;
    size_t size_ = 0;
};

// UTF-8 back to UTF-16, the inverse of ToUtf8. A byte that starts no sequence (Scintilla holds
// what the user typed or pasted, always whole) is taken as the character of that code.
std::u16string ToUtf16(const char* bytes, size_t length) {
    std::u16string out(length, u'\0');  // never more units than bytes
    char16_t* o = out.data();
    auto* p = reinterpret_cast<const unsigned char*>(bytes);
    auto continuation = [&](size_t at) { return at < length && (p[at] & 0xC0) == 0x80; };
    for (size_t i = 0; i < length;) {
        while (i < length && p[i] < 0x80) *o++ = p[i++];
        if (i == length) break;
        unsigned char lead = p[i];
        char32_t c = lead;
        size_t size = 1;
        if (lead >= 0xC2 && lead < 0xE0 && continuation(i + 1)) {
            c = ((lead & 0x1F) << 6) | (p[i + 1] & 0x3F);
            size = 2;
        } else if (lead >= 0xE0 && lead < 0xF0 && continuation(i + 1) && continuation(i + 2)) {
            c = ((lead & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F);
            size = c >= 0x800 ? 3 : 1;
            if (size == 1) c = lead;
        } else if (lead >= 0xF0 && lead < 0xF5 && continuation(i + 1) && continuation(i + 2) && continuation(i + 3)) {
            c = ((lead & 0x07) << 18) | ((p[i + 1] & 0x3F) << 12) | ((p[i + 2] & 0x3F) << 6) | (p[i + 3] & 0x3F);
            size = c >= 0x10000 && c <= 0x10FFFF ? 4 : 1;
            if (size == 1) c = lead;
        }
        if (c >= 0x10000) {
            *o++ = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            *o++ = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            *o++ = static_cast<char16_t>(c);
        }
        i += size;
    }
    out.resize(static_cast<size_t>(o - out.data()));
    return out;
}

// The DPI Scintilla lays its fonts out at: the window's own, else the screen's.
int ScintillaDpi(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow) {
        if (UINT dpi = getDpiForWindow(hwnd)) return static_cast<int>(dpi);
    }
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

COLORREF System(int index) { return GetSysColor(index); }

constexpr UINT_PTR kSubclassId = 1;

// The message Scintilla posts itself for each step of its idle work (private to its Windows
// platform layer; a step is at most 50 ms, and it posts the next until the work is done).
constexpr UINT kScintillaIdleStep = 5001;

}  // namespace

HWND EditorView::Create(HWND parent, int id) {
    static const bool registered = Scintilla_RegisterClasses(GetModuleHandleW(nullptr)) != 0;
    if (!registered) return nullptr;
    hwnd_ = CreateWindowExW(0, L"Scintilla", L"", WS_CHILD | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL, 0, 0,
                            0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                            nullptr);
    if (!hwnd_) return nullptr;
    SetWindowSubclass(hwnd_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));

    // A document without style bytes: nothing is styled, and they would double the memory a
    // document takes and every whole-text step's work.
    LRESULT document = Call(SCI_CREATEDOCUMENT, 0, SC_DOCUMENTOPTION_STYLES_NONE);
    Call(SCI_SETDOCPOINTER, 0, document);
    Call(SCI_RELEASEDOCUMENT, 0, document);  // the view's reference keeps it
    Call(SCI_SETCODEPAGE, SC_CP_UTF8);
    Call(SCI_SETEOLMODE, SC_EOL_CRLF);
    Call(SCI_SETPASTECONVERTENDINGS, TRUE);
    Call(SCI_ALLOCATELINECHARACTERINDEX, SC_LINECHARACTERINDEX_UTF16);
    // A plain editor: no margins; without word wrap a horizontal bar, which grows with the
    // longest line shown.
    for (int margin = 0; margin < 5; ++margin) Call(SCI_SETMARGINWIDTHN, margin, 0);
    Call(SCI_SETMARGINLEFT, 0, 2);
    Call(SCI_SETSCROLLWIDTHTRACKING, TRUE);
    // Scrolling may go a page past the end, so the vertical bar is always there, as in an edit control.
    Call(SCI_SETENDATLASTLINE, FALSE);
    Call(SCI_SETCARETLINEVISIBLE, FALSE);
    // Wrapping is worked out for what is on screen first, the rest in idle time.
    Call(SCI_SETLAYOUTCACHE, SC_CACHE_PAGE);
    Call(SCI_SETWRAPINDENTMODE, SC_WRAPINDENT_FIXED);
    // System colours for text, selection and caret, whether or not the editor has the focus.
    Call(SCI_STYLESETFORE, STYLE_DEFAULT, System(COLOR_WINDOWTEXT));
    Call(SCI_STYLESETBACK, STYLE_DEFAULT, System(COLOR_WINDOW));
    Call(SCI_STYLECLEARALL);
    const auto opaque = [](COLORREF c) { return static_cast<LPARAM>(c | 0xFF000000u); };
    Call(SCI_SETELEMENTCOLOUR, SC_ELEMENT_SELECTION_TEXT, opaque(System(COLOR_HIGHLIGHTTEXT)));
    Call(SCI_SETELEMENTCOLOUR, SC_ELEMENT_SELECTION_BACK, opaque(System(COLOR_HIGHLIGHT)));
    Call(SCI_SETELEMENTCOLOUR, SC_ELEMENT_SELECTION_INACTIVE_TEXT, opaque(System(COLOR_HIGHLIGHTTEXT)));
    Call(SCI_SETELEMENTCOLOUR, SC_ELEMENT_SELECTION_INACTIVE_BACK, opaque(System(COLOR_HIGHLIGHT)));
    Call(SCI_SETELEMENTCOLOUR, SC_ELEMENT_CARET, opaque(System(COLOR_WINDOWTEXT)));
    // Scintilla's own commands that a plain edit control lacks and whose keys belong to the
    // program's commands or to a Windows user's habits: zoom, line cut, copy, delete and swap,
    // duplicate, case changes.
    const int ctrl = SCMOD_CTRL;
    const int ctrlShift = SCMOD_CTRL | SCMOD_SHIFT;
    const std::pair<int, int> cleared[] = {
        {SCK_ADD, ctrl}, {SCK_SUBTRACT, ctrl}, {SCK_DIVIDE, ctrl}, {'L', ctrl},     {'L', ctrlShift},
        {'T', ctrl},     {'T', ctrlShift},     {'D', ctrl},        {'U', ctrl},     {'U', ctrlShift},
        {'[', ctrl},     {'[', ctrlShift},     {']', ctrl},        {']', ctrlShift}, {'/', ctrl},
        {'/', ctrlShift}, {'\\', ctrl},        {'\\', ctrlShift},
    };
    for (auto [key, modifiers] : cleared) Call(SCI_CLEARCMDKEY, key | (modifiers << 16));
    SetWordWrap(false);
    return hwnd_;
}

bool EditorView::IsBackgroundWork(const MSG& msg) {
    if (msg.message != WM_TIMER && msg.message != kScintillaIdleStep) return false;
    wchar_t className[16] = {};
    return GetClassNameW(msg.hwnd, className, 16) && std::wcscmp(className, L"Scintilla") == 0;
}

// Every call goes through the window procedure, as for any control: the few calls a command
// makes cost nothing next to its work, and hooks and tests see them.
LRESULT EditorView::Call(UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendMessageW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK EditorView::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR self) {
    auto* view = reinterpret_cast<EditorView*>(self);
    if (message == WM_MOUSEWHEEL && (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL)) {
        if (view->zoomWheel_) view->zoomWheel_(GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? 1 : -1);
        return 0;
    }
    // Control characters that no command took (Ctrl+F with nothing to find, Ctrl+L) are not
    // typed into the text, as in an edit control; Tab and line breaks are.
    if (message == WM_CHAR && wParam < 0x20 && wParam != '\t' && wParam != '\r' && wParam != '\n') return 0;
    // While the program works, the hourglass over the text too: Scintilla would set its I-beam
    // without asking the window around it, as the other controls do.
    if (message == WM_SETCURSOR && BusyCursor::Active()) {
        BusyCursor::Show();
        return TRUE;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
        view->hwnd_ = nullptr;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

std::u16string EditorView::Text() const {
    auto length = static_cast<size_t>(Call(SCI_GETLENGTH));
    auto* bytes = reinterpret_cast<const char*>(Call(SCI_GETCHARACTERPOINTER));
    return bytes ? ToUtf16(bytes, length) : std::u16string();
}

int EditorView::Length() const { return UnitPosition(Call(SCI_GETLENGTH)); }

bool EditorView::Empty() const { return Call(SCI_GETLENGTH) == 0; }

void EditorView::Load(std::u16string text) {
    const Utf8Document bytes(std::move(text));
    bool readOnly = ReadOnly();
    Call(SCI_SETREADONLY, FALSE);
    Call(SCI_SETUNDOCOLLECTION, FALSE);
    Call(SCI_CLEARALL);
    Call(SCI_ADDTEXT, bytes.Size(), bytes.Data());
    Call(SCI_SETUNDOCOLLECTION, TRUE);
    Call(SCI_EMPTYUNDOBUFFER);
    Call(SCI_SETSAVEPOINT);
    Call(SCI_GOTOPOS, 0);
    Call(SCI_SETREADONLY, readOnly);
}

void EditorView::ReplaceAll(std::u16string text) {
    const Utf8Document bytes(std::move(text));
    Call(SCI_BEGINUNDOACTION);
    Call(SCI_SETTARGETRANGE, 0, Call(SCI_GETLENGTH));
    Call(SCI_REPLACETARGET, bytes.Size(), bytes.Data());
    Call(SCI_ENDUNDOACTION);
    Call(SCI_GOTOPOS, Call(SCI_GETLENGTH));
}

std::u16string EditorView::SelectedText() const {
    LRESULT start = Call(SCI_GETSELECTIONSTART);
    LRESULT length = Call(SCI_GETSELECTIONEND) - start;
    auto* bytes = reinterpret_cast<const char*>(Call(SCI_GETRANGEPOINTER, start, length));
    return bytes ? ToUtf16(bytes, static_cast<size_t>(length)) : std::u16string();
}

bool EditorView::SelectionSpansLines() const {
    return Call(SCI_LINEFROMPOSITION, Call(SCI_GETSELECTIONSTART)) !=
           Call(SCI_LINEFROMPOSITION, Call(SCI_GETSELECTIONEND));
}

void EditorView::ReplaceSelection(std::u16string text) {
    const Utf8Document bytes(std::move(text));
    Call(SCI_BEGINUNDOACTION);
    Call(SCI_TARGETFROMSELECTION);
    Call(SCI_REPLACETARGET, bytes.Size(), bytes.Data());
    Call(SCI_ENDUNDOACTION);
    Call(SCI_SETSEL, Call(SCI_GETTARGETSTART), Call(SCI_GETTARGETEND));
}

void EditorView::RefreshUnitIndex() const {
    // Scintilla 5.3.3 leaves the UTF-16 starts of the following lines wrong after a deletion
    // that joins lines across characters of more than one unit (and after its undo): the index
    // is made anew, in one pass over the text, before positions are mapped through it.
    Call(SCI_RELEASELINECHARACTERINDEX, SC_LINECHARACTERINDEX_UTF16);
    Call(SCI_ALLOCATELINECHARACTERINDEX, SC_LINECHARACTERINDEX_UTF16);
}

long long EditorView::BytePosition(int unitPosition) const {
    RefreshUnitIndex();
    return ByteAt(unitPosition);
}

int EditorView::UnitPosition(long long bytePosition) const {
    RefreshUnitIndex();
    return UnitAt(bytePosition);
}

long long EditorView::ByteAt(int unitPosition) const {
    if (unitPosition <= 0) return 0;
    LRESULT line = Call(SCI_LINEFROMINDEXPOSITION, unitPosition, SC_LINECHARACTERINDEX_UTF16);
    LRESULT lineStart = Call(SCI_POSITIONFROMLINE, line);
    LRESULT offset = unitPosition - Call(SCI_INDEXPOSITIONFROMLINE, line, SC_LINECHARACTERINDEX_UTF16);
    LRESULT position = Call(SCI_POSITIONRELATIVECODEUNITS, lineStart, offset);
    // Inside a surrogate pair Scintilla finds no position (it answers 0): the pair's start.
    if (offset > 0 && position <= lineStart) position = Call(SCI_POSITIONRELATIVECODEUNITS, lineStart, offset - 1);
    return position;
}

int EditorView::UnitAt(long long bytePosition) const {
    LRESULT line = Call(SCI_LINEFROMPOSITION, static_cast<WPARAM>(bytePosition));
    LRESULT lineStart = Call(SCI_POSITIONFROMLINE, line);
    return static_cast<int>(Call(SCI_INDEXPOSITIONFROMLINE, line, SC_LINECHARACTERINDEX_UTF16) +
                            Call(SCI_COUNTCODEUNITS, lineStart, static_cast<LPARAM>(bytePosition)));
}

std::pair<int, int> EditorView::Selection() const {
    RefreshUnitIndex();
    int start = UnitAt(Call(SCI_GETSELECTIONSTART));
    int end = UnitAt(Call(SCI_GETSELECTIONEND));
    return {start, end - start};
}

void EditorView::Select(int start, int length) {
    // SCI_SETSEL puts the caret at its second position and scrolls it into view.
    RefreshUnitIndex();
    Call(SCI_SETSEL, ByteAt(start), ByteAt(start + length));
}

void EditorView::SelectAll() { Call(SCI_SELECTALL); }

std::pair<int, int> EditorView::CaretLineColumn() const {
    LRESULT caret = Call(SCI_GETCURRENTPOS);
    LRESULT line = Call(SCI_LINEFROMPOSITION, caret);
    return {static_cast<int>(line), static_cast<int>(Call(SCI_COUNTCODEUNITS, Call(SCI_POSITIONFROMLINE, line), caret))};
}

int EditorView::CharactersBetween(long long start, long long end) const {
    // Every character of the UTF-8 text starts with one byte that is not a continuation byte
    // (10xxxxxx): a tight loop over the bytes in place, fast enough for a whole 20 MB selection
    // where Scintilla's own count steps from character to character.
    if (end <= start) return 0;
    const LRESULT range = Call(SCI_GETRANGEPOINTER, static_cast<WPARAM>(start), static_cast<LPARAM>(end - start));
    const auto* bytes = reinterpret_cast<const unsigned char*>(range);
    if (!bytes) return 0;
    int count = 0;
    for (long long i = 0; i < end - start; ++i) count += (bytes[i] & 0xC0) != 0x80;
    return count;
}

EditorView::CaretPlace EditorView::Place() const {
    const LRESULT caret = Call(SCI_GETCURRENTPOS);
    const LRESULT line = Call(SCI_LINEFROMPOSITION, caret);
    return {static_cast<int>(line), CharactersBetween(Call(SCI_POSITIONFROMLINE, line), caret),
            CharactersBetween(Call(SCI_GETSELECTIONSTART), Call(SCI_GETSELECTIONEND))};
}

std::pair<long long, long long> EditorView::CaretStamp() const { return {Call(SCI_GETCURRENTPOS), Call(SCI_GETANCHOR)}; }

bool EditorView::Modified() const { return Call(SCI_GETMODIFY) != 0; }

void EditorView::SetSavePoint() { Call(SCI_SETSAVEPOINT); }

bool EditorView::CanUndo() const { return Call(SCI_CANUNDO) != 0; }

bool EditorView::CanRedo() const { return Call(SCI_CANREDO) != 0; }

void EditorView::Undo() { Call(SCI_UNDO); }

void EditorView::Redo() { Call(SCI_REDO); }

void EditorView::EmptyUndoHistory() { Call(SCI_EMPTYUNDOBUFFER); }

bool EditorView::HasSelection() const { return Call(SCI_GETSELECTIONSTART) != Call(SCI_GETSELECTIONEND); }

bool EditorView::CanPaste() const { return Call(SCI_CANPASTE) != 0; }

void EditorView::Cut() { Call(SCI_CUT); }

void EditorView::Copy() { Call(SCI_COPY); }

void EditorView::Paste() { Call(SCI_PASTE); }

void EditorView::Delete() {
    if (HasSelection()) {
        Call(SCI_CLEAR);
        return;
    }
    LRESULT caret = Call(SCI_GETCURRENTPOS);
    LRESULT next = Call(SCI_POSITIONAFTER, caret);  // a CR LF and a whole character as one step
    if (next == caret) return;
    Call(SCI_DELETERANGE, caret, next - caret);
}

void EditorView::SetWordWrap(bool wrap) {
    wordWrap_ = wrap;
    Call(SCI_SETWRAPMODE, wrap ? SC_WRAP_WORD : SC_WRAP_NONE);
    // Wrapped lines never need a horizontal scroll bar.
    Call(SCI_SETHSCROLLBAR, !wrap);
}

void EditorView::SetFont(const std::wstring& face, int points, int dpi) {
    std::u16string resolved(reinterpret_cast<const char16_t*>(Fonts::ResolveFace(face).c_str()));
    std::string name = ToUtf8(resolved);
    // Scintilla scales points by the DPI it sees; the program's DPI (which tests may force) wins.
    int hundredths = MulDiv(points * SC_FONT_SIZE_MULTIPLIER, dpi, ScintillaDpi(hwnd_));
    Call(SCI_STYLESETFONT, STYLE_DEFAULT, reinterpret_cast<LPARAM>(name.c_str()));
    Call(SCI_STYLESETSIZEFRACTIONAL, STYLE_DEFAULT, hundredths);
    // A font whose ASCII characters are all one width is laid out by multiplying, without asking
    // GDI: a keystroke in a line of megabytes then costs milliseconds, not a new measurement of the
    // whole line. Scintilla checks the font itself and measures as before when it is proportional.
    Call(SCI_STYLESETCHECKMONOSPACED, STYLE_DEFAULT, TRUE);
    Call(SCI_STYLECLEARALL);
    Call(SCI_SETZOOM, 0);
}

std::wstring EditorView::FontFace() const {
    char name[LF_FACESIZE * 3 + 1] = {};
    Call(SCI_STYLEGETFONT, STYLE_DEFAULT, reinterpret_cast<LPARAM>(name));
    std::u16string face = ToUtf16(name, std::strlen(name));
    return std::wstring(face.begin(), face.end());
}

int EditorView::LineHeight() const { return static_cast<int>(Call(SCI_TEXTHEIGHT, 0)); }

bool EditorView::ReadOnly() const { return Call(SCI_GETREADONLY) != 0; }

void EditorView::SetReadOnly(bool readOnly) { Call(SCI_SETREADONLY, readOnly); }

}  // namespace palimp
