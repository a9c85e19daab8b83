// The program block: the application, its windows in their order, the message loop.
#include "BvKitGuiUtils.h"
#include "BvSpeedbar.h"
#include "BvThemes.h"
#include "Forms.h"
#include "ProgramWindows.h"
#include "System.h"

int main() {
    InitGui();
    Application->SetTitle("Brisvane");
    InitThemeSupport();
    InitKitCursors();
    InitSpeedbarDragCursor();

    // Each window's creation handler runs before the next window is made.
    CreateProgramWindows();

    Randomize();
    Application->Run();

    DestroyProgramWindows();
    DoneThemeSupport();
    return 0;
}
