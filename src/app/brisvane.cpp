// The program block: the application, its windows in their order, the message loop.
#include "BvKitGuiUtils.h"
#include "BvSpeedbar.h"
#include "BvThemes.h"
#include "Forms.h"
#include "Main.h"
#include "System.h"

int main() {
    InitGui();
    Application->SetTitle("Brisvane");
    InitThemeSupport();
    InitKitCursors();
    InitSpeedbarDragCursor();

    // Each window's creation handler runs before the next window is made.
    Application->CreateForm(Form1);
    // The options dialog reads the settings and applies them as it is created; until it joins
    // the block, the manager does the same here.
    Form1->Manager->OptionsFormCreate();

    Randomize();
    Application->Run();

    delete Form1;
    DoneThemeSupport();
    return 0;
}
