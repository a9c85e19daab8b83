// A window hook that handles a mouse or key message before the control keeps it from a stock
// control's own handling under real input: a stock button is not clicked, a stock edit does
// not type.
#include "BvWndProcHook.h"
#include "GuiTestEnvironment.h"
#include "StdCtrls.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>
#include <set>

namespace {

// A before-hook that takes the messages it is told to and counts them.
struct TTaker {
    std::set<uint32_t> Take;
    int Taken = 0;
    bool Hook(TMessage& m) {
        if (!Take.count(m.Msg))
            return false;
        ++Taken;
        return true;
    }
};

class HookInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = MakeTestForm(300, 160);
        button = new TButton(form);
        button->SetParent(form);
        button->SetBounds(20, 20, 120, 30);
        button->SetCaption("Click me");
        button->OnClick = [this](TObject*) { ++clicks; };
        edit = new TEdit(form);
        edit->SetParent(form);
        edit->SetBounds(20, 80, 200, 26);
        form->Show();
        QWidget* window = form->Widget()->window();
        QApplication::setActiveWindow(window);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        PumpEvents();
    }
    void TearDown() override {
        delete form;
        PumpEvents();
    }
    // A click through the window system, on the middle of the control.
    void Click(TWinControl* control) {
        QWidget* window = form->Widget()->window();
        QPoint at = control->Widget()->mapTo(window, control->Widget()->rect().center());
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, at);
        PumpEvents();
    }
    void Type(const char* text) {
        for (const char* c = text; *c; ++c)
            QTest::keyClick(form->Widget()->window()->windowHandle(),
                            static_cast<Qt::Key>(Qt::Key_A + (*c - 'a')));
        PumpEvents();
    }
    TForm* form = nullptr;
    TButton* button = nullptr;
    TEdit* edit = nullptr;
    int clicks = 0;
};

TEST_F(HookInputTest, AHookThatTakesTheMouseKeepsTheStockButtonFromBeingClicked) {
    TTaker taker{{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK}};
    TBvHookMethod hook(&taker, &TTaker::Hook);
    ASSERT_TRUE(RegisterWndProcHook(button, hook, TBvHookOrder::hoBeforeMsg));
    Click(button);
    EXPECT_EQ(taker.Taken, 2);
    EXPECT_EQ(clicks, 0);
    ASSERT_TRUE(UnRegisterWndProcHook(button, hook, TBvHookOrder::hoBeforeMsg));
    Click(button);
    EXPECT_EQ(clicks, 1);
}

TEST_F(HookInputTest, AHookThatTakesTheKeysKeepsTheStockEditFromTyping) {
    edit->SetFocus();
    PumpEvents();
    ASSERT_EQ(QApplication::focusWidget(), edit->Widget());
    TTaker taker{{WM_KEYDOWN, WM_CHAR}};
    TBvHookMethod hook(&taker, &TTaker::Hook);
    ASSERT_TRUE(RegisterWndProcHook(edit, hook, TBvHookOrder::hoBeforeMsg));
    Type("abc");
    EXPECT_EQ(taker.Taken, 3);
    EXPECT_EQ(edit->GetText(), "");
    // Taking only the characters is enough too.
    taker.Take = {WM_CHAR};
    Type("de");
    EXPECT_EQ(edit->GetText(), "");
    ASSERT_TRUE(UnRegisterWndProcHook(edit, hook, TBvHookOrder::hoBeforeMsg));
    Type("xyz");
    EXPECT_EQ(edit->GetText(), "xyz");
}

// A hook that lets the message pass, or an after-hook that reports it handled, changes
// nothing for the control.
TEST_F(HookInputTest, AHookThatOnlyWatchesLeavesTheInputAlone) {
    TTaker watcher{{}};
    TTaker after{{WM_LBUTTONDOWN, WM_LBUTTONUP}};
    TBvHookMethod watch(&watcher, &TTaker::Hook);
    TBvHookMethod late(&after, &TTaker::Hook);
    ASSERT_TRUE(RegisterWndProcHook(button, watch, TBvHookOrder::hoBeforeMsg));
    ASSERT_TRUE(RegisterWndProcHook(button, late, TBvHookOrder::hoAfterMsg));
    Click(button);
    EXPECT_EQ(after.Taken, 2);
    EXPECT_EQ(clicks, 1);
    UnRegisterWndProcHook(button, watch, TBvHookOrder::hoBeforeMsg);
    UnRegisterWndProcHook(button, late, TBvHookOrder::hoAfterMsg);
}

} // namespace
