// Shared helpers of the gui tests: the offscreen application and a fixed test font.
#pragma once

#include "Controls.h"
#include "Forms.h"

#include <string>

// Every test font is DejaVu Sans at a fixed size, so text metrics are the same everywhere.
inline void UseTestFont(TFont* font) {
    font->SetName("DejaVu Sans");
    font->SetHeight(-12);
}

// A form for one test, built without showing it unless asked to.
TForm* MakeTestForm(int width = 300, int height = 200);

// Lets Qt's events and the layer's posted messages run for a few rounds, as the event loop
// would between two user actions.
void PumpEvents(int rounds = 5);
