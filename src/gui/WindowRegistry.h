// The one registry of live controls and windows. Every control is entered while it lives;
// a windowed control also owns a message window of the runtime, through which messages
// posted to it from any thread are delivered on the GUI thread.
#pragma once

#include "BvKitUtils.h"
#include "Types.h"

class TControl;
class TWinControl;

void RegisterControl(const TControl* control);
void UnregisterControl(const TControl* control);
// Gives the window its message window, whose messages go to the window's Perform.
void RegisterWindow(TWinControl* window);
// Releases the message window; messages still pending for it are dropped.
void UnregisterWindow(const TWinControl* window);
// The window's message window; 0 when the window does not live. Safe from any thread.
TMessageWindow MessageWindowOf(HWND window);
