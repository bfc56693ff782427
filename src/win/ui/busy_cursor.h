// The hourglass while the program works on its one thread: reading and showing a big file,
// saving, re-wrapping the editor, a replace-many pass. It shows from construction to
// destruction, nested scopes share one showing, and while any scope is open every window of the
// program answers WM_SETCURSOR with the hourglass, so neither a mouse move nor a pass that lets
// messages be handled brings the arrow back early (the scheme of MFC's CWaitCursor). The first
// scope also paints what waits to be painted in every window of the program and tells the
// window under the pointer at once, so that the hourglass shows wherever the pointer is, also
// where a dialog just closed, and the windows are whole while the work runs.
//
// Use:
//   bool TFormMain::SaveDocument(const std::wstring& path) {
//       {
//           BusyCursor busy;                   // the hourglass from here...
//           WriteFileReplacing(path, bytes);
//       }                                      // ...to here; the cursor before it comes back
//       ... message boxes after the scope: a user reading a message sees the arrow
//   }
#pragma once

#include <windows.h>

namespace palimp {

class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

    // Whether a scope is open.
    static bool Active();
    // Puts the hourglass up (again): the windows' WM_SETCURSOR answer while Active().
    static void Show();
};

}  // namespace palimp
