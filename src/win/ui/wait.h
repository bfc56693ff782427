// Waiting while the windows stay alive: WaitMs handles the program's messages (painting, input,
// timers) for a while and sleeps between them instead of spinning.
//
// Use: { BusyCursor busy; CopyTheTable(); WaitMs(200, Host()); }   // the cursor comes back
#pragma once

#include <windows.h>

namespace palimp {

class FormHost;

// Handles every message that arrives for ms milliseconds (1 to 60000; a check "units\uuFunctions"
// line 117 or 118 otherwise) through host's message path, so commands and timers can run inside
// the wait. Returns early when the tick counter wraps around or the program is ending.
void WaitMs(int ms, FormHost& host);

}  // namespace palimp
