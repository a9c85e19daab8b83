// The kit's window routines that need the GUI: the message box with the application's title,
// whether the program is the one in front, and the drag cursors the kit puts in the screen's
// cursor slots at start-up.
#pragma once

#include "Controls.h"

#include <string>

// The application's message box; an empty caption shows the application's title.
int MsgBox(const std::string& text, const std::string& caption, int flags);
// True when the active window is one of the calling thread's windows: on the GUI thread,
// when one of the program's windows is active; never on a worker thread, which owns none.
bool IsForegroundTask();

// Fills the screen's cursor slots 100 to 103 with the framework's drag cursors (multi-drag,
// drag, multi-drag, multi-drag); nothing without a screen.
void InitKitCursors();
