#include "BvWndProcHook.h"
#include "GuiTestEnvironment.h"

#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t WM_TEST = WM_USER + 1;

class TRecordingControl : public TCustomControl {
public:
    explicit TRecordingControl(TComponent* owner, std::vector<std::string>* log)
        : TCustomControl(owner), log_(log) {}
    void WndProc(TMessage& m) override {
        if (m.Msg == WM_TEST) {
            log_->push_back("own");
            m.Result = 42;
            return;
        }
        TCustomControl::WndProc(m);
    }

private:
    std::vector<std::string>* log_;
};

// A hook owner whose methods log their name and may act on the control.
struct THooks {
    explicit THooks(std::vector<std::string>* log) : Log(log) {}
    std::vector<std::string>* Log;
    std::function<void()> Action;
    bool Handle = false;
    bool A(TMessage& m) { return Run("A", m); }
    bool B(TMessage& m) { return Run("B", m); }
    bool C(TMessage& m) { return Run("C", m); }
    bool Run(const char* name, TMessage& m) {
        if (m.Msg != WM_TEST)
            return false;
        Log->push_back(name);
        if (Action) {
            auto act = Action;
            Action = nullptr;
            act();
        }
        return Handle;
    }
};

class MessageTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = MakeTestForm();
        control = new TRecordingControl(form, &log);
        control->SetParent(form);
    }
    void TearDown() override {
        delete form;
        Application->ProcessMessages();
    }
    std::vector<std::string> log;
    TForm* form = nullptr;
    TRecordingControl* control = nullptr;
};

TEST(MessageNumbers, MatchTheFramework) {
    struct Case {
        uint32_t Value, Expected;
    } cases[] = {{CM_DIALOGCHAR, 0xB006},         {CM_FOCUSCHANGED, 0xB007},
                 {CM_PARENTCOLORCHANGED, 0xB009}, {CM_HITTEST, 0xB00A},
                 {CM_TEXTCHANGED, 0xB012},        {CM_MOUSEENTER, 0xB013},
                 {CM_MOUSELEAVE, 0xB014},         {CM_SHOWINGCHANGED, 0xB019},
                 {CM_SHOWHINTCHANGED, 0xB022},    {CM_CONTROLLISTCHANGE, 0xB02C},
                 {CM_HINTSHOW, 0xB030},           {CM_CONTROLCHANGE, 0xB036},
                 {CN_DRAWITEM, 0xBC2B},           {CN_COMMAND, 0xBD11},
                 {WM_DROPFILES, 0x233},           {WM_PRINTCLIENT, 0x318},
                 {LB_SETHORIZONTALEXTENT, 0x194}, {CB_FINDSTRINGEXACT, 0x158}};
    for (const auto& c : cases)
        EXPECT_EQ(c.Value, c.Expected);
}

TEST_F(MessageTest, PerformReachesWndProcAndWindowProcCanBeReplaced) {
    EXPECT_EQ(control->Perform(WM_TEST, 0, 0), 42);
    TWndMethod old = control->WindowProc;
    control->WindowProc = [&](TMessage& m) {
        log.push_back("replacement");
        old(m);
    };
    EXPECT_EQ(control->Perform(WM_TEST, 0, 0), 42);
    EXPECT_EQ(log, (std::vector<std::string>{"own", "replacement", "own"}));
}

TEST_F(MessageTest, HooksRunBeforeOwnAfterInRegistrationOrder) {
    THooks h(&log);
    ASSERT_TRUE(RegisterWndProcHook(control, {&h, &THooks::C}, TBvHookOrder::hoAfterMsg));
    ASSERT_TRUE(RegisterWndProcHook(control, {&h, &THooks::A}, TBvHookOrder::hoBeforeMsg));
    ASSERT_TRUE(RegisterWndProcHook(control, {&h, &THooks::B}, TBvHookOrder::hoBeforeMsg));
    EXPECT_EQ(control->Perform(WM_TEST, 0, 0), 42);
    EXPECT_EQ(log, (std::vector<std::string>{"A", "B", "own", "C"}));

    // A before-hook that handles the message keeps it from the control and the after-hooks.
    log.clear();
    h.Handle = true;
    control->Perform(WM_TEST, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"A"}));

    h.Handle = false;
    EXPECT_TRUE(UnRegisterWndProcHook(control, {&h, &THooks::A}, TBvHookOrder::hoBeforeMsg));
    EXPECT_TRUE(UnRegisterWndProcHook(control, {&h, &THooks::B}, TBvHookOrder::hoBeforeMsg));
    EXPECT_TRUE(UnRegisterWndProcHook(control, {&h, &THooks::C}, TBvHookOrder::hoAfterMsg));
    log.clear();
    control->Perform(WM_TEST, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"own"}));
}

TEST_F(MessageTest, UnregisteringWhatIsNotThereIsRefused) {
    THooks h(&log);
    EXPECT_FALSE(UnRegisterWndProcHook(control, {&h, &THooks::A}, TBvHookOrder::hoBeforeMsg));
    ASSERT_TRUE(RegisterWndProcHook(control, {&h, &THooks::A}, TBvHookOrder::hoBeforeMsg));
    EXPECT_FALSE(UnRegisterWndProcHook(control, {&h, &THooks::B}, TBvHookOrder::hoBeforeMsg));
    EXPECT_FALSE(UnRegisterWndProcHook(control, {&h, &THooks::A}, TBvHookOrder::hoAfterMsg));
    EXPECT_FALSE(UnRegisterWndProcHook(nullptr, {&h, &THooks::A}, TBvHookOrder::hoBeforeMsg));
    EXPECT_FALSE(RegisterWndProcHook(nullptr, {&h, &THooks::A}, TBvHookOrder::hoBeforeMsg));
    EXPECT_FALSE(RegisterWndProcHook(control, TBvHookMethod(), TBvHookOrder::hoBeforeMsg));
    EXPECT_TRUE(UnRegisterWndProcHook(control, {&h, &THooks::A}, TBvHookOrder::hoBeforeMsg));
}

TEST_F(MessageTest, SameMethodTwiceIsCalledTwice) {
    THooks h(&log);
    RegisterWndProcHook(control, {&h, &THooks::A}, TBvHookOrder::hoBeforeMsg);
    RegisterWndProcHook(control, {&h, &THooks::A}, TBvHookOrder::hoBeforeMsg);
    control->Perform(WM_TEST, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"A", "A", "own"}));
}

TEST_F(MessageTest, HookAddedDuringAfterPassRunsInThatPass) {
    THooks h(&log);
    h.Action = [&] { RegisterWndProcHook(control, {&h, &THooks::B}, TBvHookOrder::hoAfterMsg); };
    RegisterWndProcHook(control, {&h, &THooks::A}, TBvHookOrder::hoAfterMsg);
    control->Perform(WM_TEST, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"own", "A", "B"}));
}

TEST_F(MessageTest, HookRemovedDuringDispatchIsSkipped) {
    THooks h(&log);
    h.Action = [&] { UnRegisterWndProcHook(control, {&h, &THooks::B}, TBvHookOrder::hoBeforeMsg); };
    RegisterWndProcHook(control, {&h, &THooks::A}, TBvHookOrder::hoBeforeMsg);
    RegisterWndProcHook(control, {&h, &THooks::B}, TBvHookOrder::hoBeforeMsg);
    RegisterWndProcHook(control, {&h, &THooks::C}, TBvHookOrder::hoBeforeMsg);
    control->Perform(WM_TEST, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"A", "C", "own"}));

    // A hook that removes itself while it runs.
    log.clear();
    h.Action = [&] { UnRegisterWndProcHook(control, {&h, &THooks::A}, TBvHookOrder::hoBeforeMsg); };
    control->Perform(WM_TEST, 0, 0);
    control->Perform(WM_TEST, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"A", "C", "own", "C", "own"}));
}

TEST_F(MessageTest, HookSendingToTheSameControlReentersWithItsOwnCursors) {
    THooks h(&log);
    int depth = 0;
    TBvHookMethod nested(&depth, [&](TMessage& m) {
        if (m.Msg == WM_TEST && depth == 0) {
            ++depth;
            log.push_back("nested>");
            control->Perform(WM_TEST, 0, 0);
            log.push_back("<nested");
        }
        return false;
    });
    RegisterWndProcHook(control, nested, TBvHookOrder::hoBeforeMsg);
    RegisterWndProcHook(control, {&h, &THooks::B}, TBvHookOrder::hoBeforeMsg);
    control->Perform(WM_TEST, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"nested>", "B", "own", "<nested", "B", "own"}));
}

TEST_F(MessageTest, ControlFreedInsideAHookEndsThePassSafely) {
    THooks h(&log);
    int before = HookRecordCount();
    h.Action = [&] { delete control; };
    RegisterWndProcHook(control, {&h, &THooks::A}, TBvHookOrder::hoBeforeMsg);
    RegisterWndProcHook(control, {&h, &THooks::B}, TBvHookOrder::hoBeforeMsg);
    RegisterWndProcHook(control, {&h, &THooks::C}, TBvHookOrder::hoAfterMsg);
    EXPECT_EQ(HookRecordCount(), before + 1);
    control->Perform(WM_TEST, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"A"}));
    EXPECT_EQ(form->ControlCount(), 0);
    // The record waits for the releaser, then goes.
    EXPECT_EQ(HookRecordCount(), before + 1);
    Application->ProcessMessages();
    EXPECT_EQ(HookRecordCount(), before);
}

TEST_F(MessageTest, WindowHookComponentCallsItsEvents) {
    auto* hook = new TBvWindowHook(form);
    int before = 0, after = 0;
    hook->SetBeforeMessage([&](TObject*, TMessage& m, bool&) { before += m.Msg == WM_TEST; });
    hook->SetAfterMessage([&](TObject*, TMessage& m, bool&) { after += m.Msg == WM_TEST; });
    hook->SetControl(control);
    control->Perform(WM_TEST, 0, 0);
    hook->SetActive(false);
    control->Perform(WM_TEST, 0, 0);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(MessageTest, GraphicChildGetsMouseMessagesInItsOwnCoordinates) {
    struct TChild : TGraphicControl {
        using TGraphicControl::TGraphicControl;
        std::vector<TPoint> downs;
        int enter = 0, leave = 0;
        void WndProc(TMessage& m) override {
            if (m.Msg == CM_MOUSEENTER)
                ++enter;
            if (m.Msg == CM_MOUSELEAVE)
                ++leave;
            TGraphicControl::WndProc(m);
        }
        void MouseDown(TMouseButton, TShiftState, int x, int y) override {
            downs.push_back({x, y});
        }
    };
    auto* child = new TChild(form);
    child->SetParent(form);
    child->SetBounds(50, 40, 20, 10);
    int clicks = 0;
    child->OnClick = [&](TObject* sender) { clicks += sender == child; };
    form->Perform(WM_MOUSEMOVE, 0, MakeLParam(55, 45));
    form->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(55, 45));
    form->Perform(WM_LBUTTONUP, 0, MakeLParam(56, 46));
    form->Perform(WM_MOUSEMOVE, 0, MakeLParam(5, 5));
    ASSERT_EQ(child->downs.size(), 1u);
    EXPECT_EQ(child->downs[0], (TPoint{5, 5}));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(child->enter, 1);
    EXPECT_EQ(child->leave, 1);
}

TEST_F(MessageTest, ControlListNotificationsBracketInsertAndRemove) {
    std::vector<std::pair<uint32_t, intptr_t>> seen;
    TWndMethod old = form->WindowProc;
    form->WindowProc = [&](TMessage& m) {
        if (m.Msg == CM_CONTROLLISTCHANGE || m.Msg == CM_CONTROLCHANGE)
            seen.push_back({m.Msg, m.LParam});
        old(m);
    };
    auto* extra = new TRecordingControl(form, &log);
    extra->SetParent(form);
    extra->SetParent(nullptr);
    form->WindowProc = old;
    delete extra;
    EXPECT_EQ(seen, (std::vector<std::pair<uint32_t, intptr_t>>{{CM_CONTROLLISTCHANGE, 1},
                                                                {CM_CONTROLCHANGE, 1},
                                                                {CM_CONTROLCHANGE, 0},
                                                                {CM_CONTROLLISTCHANGE, 0}}));
}

TEST_F(MessageTest, AlignPlacesControlsInTheClientArea) {
    auto* top = new TRecordingControl(form, &log);
    top->SetHeight(20);
    top->SetParent(form);
    top->SetAlign(TAlign::alTop);
    auto* left = new TRecordingControl(form, &log);
    left->SetWidth(30);
    left->SetParent(form);
    left->SetAlign(TAlign::alLeft);
    auto* client = new TRecordingControl(form, &log);
    client->SetParent(form);
    client->SetAlign(TAlign::alClient);
    EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 300, 20));
    EXPECT_EQ(left->BoundsRect(), Rect(0, 20, 30, 200));
    EXPECT_EQ(client->BoundsRect(), Rect(30, 20, 300, 200));
    form->SetBounds(0, 0, 400, 250);
    EXPECT_EQ(client->BoundsRect(), Rect(30, 20, 400, 250));

    auto* anchored = new TRecordingControl(form, &log);
    anchored->SetParent(form);
    anchored->SetBounds(350, 200, 40, 40);
    anchored->SetAnchors(akRight | akBottom);
    form->SetBounds(0, 0, 500, 300);
    EXPECT_EQ(anchored->BoundsRect(), Rect(450, 250, 490, 290));
}

} // namespace

// Windows made by AllocateHWnd and ordinary controls share one message-window system:
// posts from any thread arrive on the GUI thread in order, and die with their window.
TEST_F(MessageTest, PostedMessagesArriveInOrderAndDieWithTheirWindow) {
    std::vector<intptr_t> got;
    HWND util = AllocateHWnd([&](TMessage& m) {
        if (m.Msg == WM_TEST)
            got.push_back(static_cast<intptr_t>(m.WParam));
    });
    ASSERT_TRUE(IsWindow(util));
    std::thread worker([&] {
        for (intptr_t i = 1; i <= 3; ++i)
            EXPECT_TRUE(PostMessage(util, WM_TEST, i, 0));
    });
    worker.join();
    EXPECT_TRUE(PostMessage(control, WM_TEST, 0, 0));
    EXPECT_TRUE(got.empty()) << "a post waits for the pump";
    Application->ProcessMessages();
    EXPECT_EQ(got, (std::vector<intptr_t>{1, 2, 3}));
    EXPECT_EQ(log, (std::vector<std::string>{"own"}));

    // Freed before the pump: the pending message is dropped, later posts are refused.
    EXPECT_TRUE(PostMessage(util, WM_TEST, 4, 0));
    DeallocateHWnd(util);
    EXPECT_FALSE(IsWindow(util));
    EXPECT_FALSE(PostMessage(util, WM_TEST, 5, 0));
    EXPECT_EQ(SendMessage(util, WM_TEST, 6, 0), 0);
    Application->ProcessMessages();
    EXPECT_EQ(got, (std::vector<intptr_t>{1, 2, 3}));
}

TEST_F(MessageTest, SendMessageFromAWorkerRunsOnTheGuiThread) {
    std::thread::id ranOn;
    control->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_TEST) {
            ranOn = std::this_thread::get_id();
            m.Result = 7;
        }
    };
    std::atomic<intptr_t> result{0};
    std::thread worker([&] { result = SendMessage(control, WM_TEST, 0, 0); });
    while (result == 0)
        Application->ProcessMessages();
    worker.join();
    EXPECT_EQ(result, 7);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}
