#include "BvKitGuiUtils.h"

#include "Dispatcher.h"
#include "Forms.h"
#include "qt/WidgetBinding.h"

int MsgBox(const std::string& text, const std::string& caption, int flags) {
    if (!Application)
        return 0;
    return Application->MessageBox(text, caption.empty() ? Application->Title() : caption, flags);
}

bool IsForegroundTask() {
    // Every window of the program belongs to the GUI thread.
    return IsMainThread() && BvQt::HasApplication() && BvQt::ActiveWindow() != nullptr;
}

void InitKitCursors() {
    if (!Screen)
        return;
    try {
        const TCursor stock[] = {crMultiDrag, crDrag, crMultiDrag, crMultiDrag};
        for (int i = 0; i < 4; ++i)
            Screen->SetCursors(100 + i, Screen->Cursors(stock[i]));
    } catch (...) {
        // The cursors are a nicety; start-up goes on without them.
    }
}
