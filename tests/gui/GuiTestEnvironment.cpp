#include "GuiTestEnvironment.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

// Fontconfig keeps its caches until exit; that is not ours to free.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

namespace {
class TGuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        InitGui();
        UseTestFont(Screen->MenuFont());
        UseTestFont(Screen->HintFont());
    }
};
[[maybe_unused]] auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TGuiEnvironment);
} // namespace

TForm* MakeTestForm(int width, int height) {
    auto* form = new TForm(Application);
    UseTestFont(form->Font());
    form->SetBounds(0, 0, width, height);
    return form;
}

void PumpEvents(int rounds) {
    for (int i = 0; i < rounds; ++i) {
        QApplication::processEvents();
        Application->ProcessMessages();
    }
}
