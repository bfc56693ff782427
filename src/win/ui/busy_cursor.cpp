// The shared hourglass of all busy scopes.
#include "win/ui/busy_cursor.h"

namespace palimp {

namespace {

// One GUI thread: the scopes open now, and the cursor shown before the first of them.
int openScopes = 0;
HCURSOR cursorBefore = nullptr;

}  // namespace

BusyCursor::BusyCursor() {
    HCURSOR shown = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    if (openScopes++ == 0) cursorBefore = shown;
}

BusyCursor::~BusyCursor() {
    if (--openScopes == 0) SetCursor(cursorBefore);
}

bool BusyCursor::Active() { return openScopes > 0; }

void BusyCursor::Show() { SetCursor(LoadCursorW(nullptr, IDC_WAIT)); }

}  // namespace palimp
