// The offscreen application the gui benchmarks run in, started on first use.
#pragma once

#include "Forms.h"

#include <cstdlib>

inline void EnsureGui() {
    static const bool started = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        InitGui();
        return true;
    }();
    (void)started;
}

inline void PumpGui() {
    for (int i = 0; i < 3; ++i)
        Application->ProcessMessages();
}
