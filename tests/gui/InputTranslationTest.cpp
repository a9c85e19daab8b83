// Real Qt key events into real widgets: each key message carries its shift state in the one
// key-data encoding that every reader decodes.
#include "GuiTestEnvironment.h"
#include "StdCtrls.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <vector>

namespace {

void Pump() {
    for (int i = 0; i < 5; ++i)
        Application->ProcessMessages();
}

struct TKeySeen {
    uint32_t Msg;
    uint16_t Key;
    TShiftState Shift;
};

class TKeyPad : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<TKeySeen> Seen;

protected:
    void WndProc(TMessage& m) override {
        // QTest presses the modifier keys first; only the key itself is of interest.
        bool modifier = m.WParam == VK_SHIFT || m.WParam == VK_CONTROL || m.WParam == VK_MENU;
        if ((m.Msg == WM_KEYDOWN || m.Msg == WM_SYSKEYDOWN) && !modifier)
            Seen.push_back({m.Msg, static_cast<uint16_t>(m.WParam), KeyDataToShiftState(m.LParam)});
        TCustomControl::WndProc(m);
    }
};

struct TKeyCase {
    const char* Name;
    Qt::Key QtKey;
    Qt::KeyboardModifiers Mods;
    uint32_t Msg;
    uint16_t Key;
    TShiftState Shift;
};

} // namespace

TEST(InputTranslation, KeyMessagesCarryTheShiftStateInTheFrameworksKeyData) {
    const TKeyCase cases[] = {
        {"plain letter", Qt::Key_Q, Qt::NoModifier, WM_KEYDOWN, 'Q', 0},
        {"Ctrl+X", Qt::Key_X, Qt::ControlModifier, WM_KEYDOWN, 'X', ssCtrl},
        {"Shift+Ctrl+A", Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, WM_KEYDOWN, 'A',
         ssCtrl | ssShift},
        {"Alt+N is a system key", Qt::Key_N, Qt::AltModifier, WM_SYSKEYDOWN, 'N', ssAlt},
        {"Shift+Down", Qt::Key_Down, Qt::ShiftModifier, WM_KEYDOWN, VK_DOWN, ssShift},
    };
    TForm* form = MakeTestForm(200, 150);
    auto* pad = new TKeyPad(form);
    pad->SetBounds(10, 10, 100, 80);
    pad->SetParent(form);
    std::vector<TShiftState> handlerShift;
    pad->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState shift) {
        if (key != VK_SHIFT && key != VK_CONTROL && key != VK_MENU)
            handlerShift.push_back(shift);
    };
    form->Show();
    Pump();
    for (const TKeyCase& c : cases) {
        SCOPED_TRACE(c.Name);
        pad->Seen.clear();
        handlerShift.clear();
        QTest::keyPress(pad->Widget(), c.QtKey, c.Mods);
        QTest::keyRelease(pad->Widget(), c.QtKey, c.Mods);
        ASSERT_EQ(pad->Seen.size(), 1u);
        EXPECT_EQ(pad->Seen[0].Msg, c.Msg);
        EXPECT_EQ(pad->Seen[0].Key, c.Key);
        EXPECT_EQ(pad->Seen[0].Shift, c.Shift);
        ASSERT_EQ(handlerShift.size(), 1u);
        EXPECT_EQ(handlerShift[0], c.Shift);
    }
    delete form;
    Pump();
}

TEST(InputTranslation, KeyDataRoundTripsEveryShiftCombination) {
    for (TShiftState s = 0; s <= (ssShift | ssAlt | ssCtrl); ++s)
        EXPECT_EQ(KeyDataToShiftState(ShiftStateToKeyData(s)), s) << s;
}

TEST(InputTranslation, EveryKeyOfTheKeyboardHasItsVirtualKey) {
    const TKeyCase cases[] = {
        {"plus", Qt::Key_Plus, Qt::ShiftModifier, WM_KEYDOWN, VK_OEM_PLUS, ssShift},
        {"equals", Qt::Key_Equal, Qt::NoModifier, WM_KEYDOWN, VK_OEM_PLUS, 0},
        {"minus", Qt::Key_Minus, Qt::NoModifier, WM_KEYDOWN, VK_OEM_MINUS, 0},
        {"comma", Qt::Key_Comma, Qt::NoModifier, WM_KEYDOWN, VK_OEM_COMMA, 0},
        {"period", Qt::Key_Period, Qt::NoModifier, WM_KEYDOWN, VK_OEM_PERIOD, 0},
        {"Pause", Qt::Key_Pause, Qt::NoModifier, WM_KEYDOWN, VK_PAUSE, 0},
        {"the menu key", Qt::Key_Menu, Qt::NoModifier, WM_KEYDOWN, VK_APPS, 0},
        {"Caps Lock", Qt::Key_CapsLock, Qt::NoModifier, WM_KEYDOWN, VK_CAPITAL, 0},
        {"Num Lock", Qt::Key_NumLock, Qt::NoModifier, WM_KEYDOWN, VK_NUMLOCK, 0},
        {"main 5", Qt::Key_5, Qt::NoModifier, WM_KEYDOWN, '5', 0},
        {"shifted 5 is the 5 key", Qt::Key_Percent, Qt::ShiftModifier, WM_KEYDOWN, '5', ssShift},
        {"keypad 0", Qt::Key_0, Qt::KeypadModifier, WM_KEYDOWN, VK_NUMPAD0, 0},
        {"keypad 5", Qt::Key_5, Qt::KeypadModifier, WM_KEYDOWN, VK_NUMPAD0 + 5, 0},
        {"keypad 9", Qt::Key_9, Qt::KeypadModifier, WM_KEYDOWN, VK_NUMPAD9, 0},
        {"keypad plus", Qt::Key_Plus, Qt::KeypadModifier, WM_KEYDOWN, VK_ADD, 0},
        {"keypad minus", Qt::Key_Minus, Qt::KeypadModifier, WM_KEYDOWN, VK_SUBTRACT, 0},
        {"keypad Home is Home", Qt::Key_Home, Qt::KeypadModifier, WM_KEYDOWN, VK_HOME, 0},
        {"F11", Qt::Key_F11, Qt::NoModifier, WM_KEYDOWN, VK_F1 + 10, 0},
    };
    TForm* form = MakeTestForm(200, 150);
    auto* pad = new TKeyPad(form);
    pad->SetBounds(10, 10, 100, 80);
    pad->SetParent(form);
    form->Show();
    Pump();
    for (const TKeyCase& c : cases) {
        SCOPED_TRACE(c.Name);
        pad->Seen.clear();
        QTest::keyPress(pad->Widget(), c.QtKey, c.Mods);
        QTest::keyRelease(pad->Widget(), c.QtKey, c.Mods);
        ASSERT_EQ(pad->Seen.size(), 1u);
        EXPECT_EQ(pad->Seen[0].Msg, c.Msg);
        EXPECT_EQ(pad->Seen[0].Key, c.Key);
        EXPECT_EQ(pad->Seen[0].Shift, c.Shift);
    }
    delete form;
    Pump();
}
