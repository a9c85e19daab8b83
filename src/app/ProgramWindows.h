// The program's four windows, created in their order and connected: the main window's
// Options, About and "Parse iTunesDB" commands show the other three, and a language file
// reaches every window that exists.
#pragma once

#include "TrackManager.h"

// Creates the main window, the options dialog (which loads and applies the settings), the
// inspector window and the About box, each window's creation handler running before the
// next is made.
void CreateProgramWindows(TManagerPaths paths = {});
// Frees them, last made first: the dialogs hold the main window's manager.
void DestroyProgramWindows();
