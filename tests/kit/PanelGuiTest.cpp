// The kit's panel under a real mouse: the hot colour while the pointer is over it, the shared
// mouse timer that notices a leave no window reported, the sizing grip and the size events.
#include "BvMouseTimer.h"
#include "BvPanel.h"
#include "GuiTestEnvironment.h"

#include <QTest>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace {

void Pump() {
    for (int i = 0; i < 5; ++i)
        Application->ProcessMessages();
}

// Time that moves only when the test says so.
class TFakeClock : public TBvMouseTimerClock {
public:
    void Start(unsigned intervalMs, std::function<void()> tick) override {
        interval_ = intervalMs;
        tick_ = std::move(tick);
        elapsed_ = 0;
        running_ = true;
    }
    void Stop() override { running_ = false; }
    bool Running() const override { return running_; }
    void Advance(unsigned ms) {
        while (running_ && ms > 0) {
            unsigned step = std::min(ms, interval_ - elapsed_);
            elapsed_ += step;
            ms -= step;
            if (elapsed_ == interval_) {
                elapsed_ = 0;
                tick_();
            }
        }
    }

private:
    unsigned interval_ = 0, elapsed_ = 0;
    bool running_ = false;
    std::function<void()> tick_;
};

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto owned = std::make_unique<TFakeClock>();
        clock = owned.get();
        SetSharedMouseTimer(std::make_unique<TBvMouseTimer>(std::move(owned)));
        form = MakeTestForm(300, 200);
        form->SetColor(clTeal);
        panel = new TBvPanel(form);
        panel->SetParent(form);
        UseTestFont(panel->Font());
        panel->SetBounds(50, 50, 120, 60);
        // Set up as the information hint over the track view.
        panel->SetColor(kHintPanelColor);
        panel->BevelOuter = TPanelBevel::bvLowered;
        panel->OnMouseEnter = [this](TObject*) { ++enters; };
        panel->OnMouseLeave = [this](TObject*) { ++leaves; };
        form->Show();
        Pump();
    }
    void TearDown() override {
        delete form;
        delete other;
        Pump();
        SetSharedMouseTimer(nullptr);
    }
    // Moves the real pointer over the panel or elsewhere on its form.
    void MoveOnForm(int x, int y) {
        QTest::mouseMove(form->ClientWidget(), QPoint(x, y));
        Pump();
    }
    void MoveOnPanel(int x, int y) {
        QTest::mouseMove(panel->Widget(), QPoint(x, y));
        Pump();
    }
    TFakeClock* clock = nullptr;
    TForm* form = nullptr;
    TForm* other = nullptr;
    TBvPanel* panel = nullptr;
    int enters = 0, leaves = 0;
};

} // namespace

TEST_F(PanelTest, HotColourWhileThePointerIsOver) {
    struct Case {
        const char* Name;
        TColor Hot;
        bool Transparent;
        TColor WhileOver;
    } cases[] = {
        {"the hint's default: button face", clBtnFace, false, clBtnFace},
        {"a hot colour of its own", clLime, false, clLime},
        {"see-through panels keep their colour", clLime, true, kHintPanelColor},
    };
    for (const auto& c : cases) {
        panel->SetHotColor(c.Hot);
        panel->SetTransparent(c.Transparent);
        enters = leaves = 0;
        MoveOnForm(10, 10);
        MoveOnPanel(30, 20);
        EXPECT_EQ(enters, 1) << c.Name;
        EXPECT_TRUE(panel->MouseOver()) << c.Name;
        EXPECT_EQ(panel->Color(), c.WhileOver) << c.Name;
        EXPECT_EQ(clock->Running(), !c.Transparent) << c.Name;
        MoveOnPanel(40, 30);
        EXPECT_EQ(enters, 1) << "moving inside is no new enter: " << c.Name;
        MoveOnForm(10, 10);
        EXPECT_EQ(leaves, 1) << c.Name;
        EXPECT_EQ(panel->Color(), kHintPanelColor) << c.Name;
        EXPECT_FALSE(clock->Running()) << c.Name;
    }
}

TEST_F(PanelTest, TimerRestoresTheColourWhenTheLeaveIsNeverReported) {
    other = MakeTestForm(200, 100);
    other->SetBounds(400, 0, 200, 100);
    other->Show();
    Pump();
    MoveOnForm(10, 10);
    MoveOnPanel(30, 20);
    ASSERT_EQ(panel->Color(), clBtnFace);
    ASSERT_EQ(SharedMouseTimer()->Watched(), panel);
    // The pointer lands on another window; no leave reaches the panel (the window system's
    // events are not delivered until the loop pumps, which it does not do here).
    Mouse->SetCursorPos(other->ClientToScreen({50, 50}));
    EXPECT_EQ(panel->Color(), clBtnFace) << "no window told the panel";
    clock->Advance(199);
    EXPECT_EQ(panel->Color(), clBtnFace) << "the timer has not looked yet";
    clock->Advance(1);
    EXPECT_EQ(panel->Color(), kHintPanelColor);
    EXPECT_EQ(leaves, 1);
    EXPECT_FALSE(panel->MouseOver());
    EXPECT_FALSE(clock->Running());
    EXPECT_EQ(SharedMouseTimer()->Watched(), nullptr);
    // A leave the window system delivers late is not a second leave.
    Pump();
    EXPECT_EQ(leaves, 1);
    // Coming back counts as a new enter, though no window leave came in between.
    MoveOnPanel(35, 25);
    EXPECT_EQ(enters, 2);
    EXPECT_EQ(panel->Color(), clBtnFace);
    // While the pointer stays inside, the timer leaves the panel alone.
    clock->Advance(1000);
    EXPECT_EQ(panel->Color(), clBtnFace);
    EXPECT_EQ(leaves, 1);
}

TEST_F(PanelTest, WatchedControlThatGoesAwayIsForgotten) {
    MoveOnForm(10, 10);
    MoveOnPanel(30, 20);
    ASSERT_EQ(SharedMouseTimer()->Watched(), panel);
    delete panel;
    panel = nullptr;
    EXPECT_EQ(SharedMouseTimer()->Watched(), nullptr);
    clock->Advance(400);
    // Attaching another control tells the one watched so far that the mouse left.
    auto* a = new TBvPanel(form);
    a->SetParent(form);
    auto* b = new TBvPanel(form);
    b->SetParent(form);
    int aLeft = 0;
    a->OnMouseLeave = [&](TObject*) { ++aLeft; };
    a->Perform(CM_MOUSEENTER, 0, 0);
    ASSERT_EQ(SharedMouseTimer()->Watched(), a);
    SharedMouseTimer()->Attach(b);
    EXPECT_EQ(aLeft, 1);
    EXPECT_EQ(SharedMouseTimer()->Watched(), b);
    SharedMouseTimer()->Detach(a); // not watched: nothing happens
    EXPECT_EQ(SharedMouseTimer()->Watched(), b);
}

TEST_F(PanelTest, SizingGripIsDrawnWithLinesAndDragsTheCorner) {
    panel->SetSizeable(true);
    Pump();
    QImage shot = panel->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int light = 0, dark = 0;
    for (int y = 60 - 20; y < 60; ++y)
        for (int x = 120 - 20; x < 120; ++x) {
            QRgb p = shot.pixel(x, y);
            TColor c = RGB(qRed(p), qGreen(p), qBlue(p));
            light += c == GetSysColor(COLOR_BTNHIGHLIGHT);
            dark += c == GetSysColor(COLOR_BTNSHADOW);
        }
    EXPECT_GT(light, 5);
    EXPECT_GT(dark, 10);
    std::vector<int> widths, heights;
    panel->OnChangedWidth = [&](TObject*, int w) { widths.push_back(w); };
    panel->OnChangedHeight = [&](TObject*, int h) { heights.push_back(h); };
    QWidget* w = panel->Widget();
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(115, 55));
    EXPECT_EQ(Screen->Cursor(), crSizeNWSE);
    QTest::mouseMove(w, QPoint(135, 65));
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, QPoint(135, 65));
    Pump();
    EXPECT_EQ(panel->Width(), 140);
    EXPECT_EQ(panel->Height(), 70);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    // Outside the grip a press does not size.
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QTest::mouseMove(w, QPoint(60, 40));
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, QPoint(60, 40));
    Pump();
    EXPECT_EQ(panel->Width(), 140);
    // The size setters report each real change.
    std::vector<int> resizes;
    panel->OnResizeParent = [&](TObject*, int, int, int nw, int nh) {
        resizes.push_back(nw * 1000 + nh);
    };
    widths.clear();
    heights.clear();
    panel->SetWidth(90);
    panel->SetWidth(90);
    panel->SetHeight(33);
    EXPECT_EQ(widths, std::vector<int>{90});
    EXPECT_EQ(heights, std::vector<int>{33});
    EXPECT_EQ(resizes, (std::vector<int>{90070, 90033}));
}

TEST_F(PanelTest, ArrangesChildrenInRowsByTabOrder) {
    auto add = [&](int w, int h, int tab) {
        auto* c = new TPanel(form);
        c->SetParent(panel);
        c->SetBounds(0, 0, w, h);
        c->TabOrder = tab;
        return c;
    };
    TPanel* second = add(50, 10, 1);
    TPanel* first = add(40, 20, 0);
    TPanel* third = add(60, 15, 2);
    TBvArrangeSettings* s = panel->ArrangeSettings();
    s->SetBorderLeft(2);
    s->SetBorderTop(3);
    s->SetDistanceHorizontal(4);
    s->SetDistanceVertical(5);
    s->SetAutoArrange(true);
    // Inside a lowered bevel of one pixel; the third does not fit beside the others.
    EXPECT_EQ(first->BoundsRect(), Bounds(3, 4, 40, 20));
    EXPECT_EQ(second->BoundsRect(), Bounds(47, 4, 50, 10));
    EXPECT_EQ(third->BoundsRect(), Bounds(3, 29, 60, 15));
    s->SetWrapControls(false);
    EXPECT_EQ(third->BoundsRect(), Bounds(101, 4, 60, 15));
    s->SetAutoSize(TBvAutoSizePanel::asBoth);
    EXPECT_EQ(panel->Width(), 162);
    EXPECT_EQ(panel->Height(), 25);
}

TEST_F(PanelTest, MovableByItsInnerAreaWhenAllowed) {
    panel->SetMovable(true);
    bool allow = true;
    std::vector<TPoint> asked;
    int afterMoves = 0;
    panel->OnBeforeMove = [&](TObject*, int x, int y, bool& ok) {
        asked.push_back({x, y});
        ok = allow;
    };
    panel->OnAfterMove = [&](TObject*) { ++afterMoves; };
    QWidget* w = panel->Widget();
    struct Case {
        const char* Name;
        bool Allow;
        QPoint Press, Release;
        TPoint TopLeft;
        int AfterMoves;
    } cases[] = {
        {"dragged by its middle", true, {60, 30}, {80, 40}, {70, 60}, 1},
        {"refused by the handler", false, {60, 30}, {80, 40}, {70, 60}, 1},
        {"the edge is no handle", true, {3, 30}, {40, 40}, {70, 60}, 1},
    };
    for (const auto& c : cases) {
        allow = c.Allow;
        QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, c.Press);
        QTest::mouseMove(w, c.Release);
        QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, c.Release);
        Pump();
        EXPECT_EQ(panel->BoundsRect().TopLeft(), c.TopLeft) << c.Name;
        EXPECT_EQ(afterMoves, c.AfterMoves) << c.Name;
    }
    EXPECT_EQ(asked.size(), 2u) << "the edge press asks nothing";
}
