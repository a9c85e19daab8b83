// The collapsible group box under a real mouse: a click on the caption collapses and expands
// it, boxes of one group behave as an accordion, a drag below the caption scrolls the column
// that holds them, and the main window's column of seven boxes keeps one box open.
#include "BvgGroupBox.h"
#include "ExtCtrls.h"
#include "GuiTestEnvironment.h"
#include "StdCtrls.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

void Pump() {
    for (int i = 0; i < 5; ++i)
        Application->ProcessMessages();
}

TBvgGroupBox* MakeBox(TForm* form, TWinControl* parent, const std::string& caption, int height) {
    auto* box = new TBvgGroupBox(form);
    box->SetParent(parent);
    UseTestFont(box->Font());
    box->SetCaption(caption);
    // Each new box below the ones before, so the column stacks them in order.
    box->SetBounds(0, parent->ControlCount() * 1000, 180, height);
    box->SetAlign(TAlign::alTop);
    return box;
}

void ClickCaption(TBvgGroupBox* box) {
    QTest::mouseClick(box->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(12, 4));
    Pump();
}

// "+" for an expanded box, "-" for a collapsed one.
std::string States(const std::vector<TBvgGroupBox*>& boxes) {
    std::string s;
    for (auto* b : boxes)
        s += b->Collapsed() ? '-' : '+';
    return s;
}

class GroupBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = MakeTestForm(220, 600);
        column = new TScrollBox(form);
        column->SetParent(form);
        column->SetBounds(0, 0, 200, 300);
    }
    void TearDown() override {
        delete form;
        Pump();
    }
    // Boxes report their events as "Name+" (expanded) and "Name-" (collapsed).
    void Watch(TBvgGroupBox* box) {
        box->OnExpanded = [this, box](TObject*) { events += box->Caption() + "+ "; };
        box->OnCollapsed = [this, box](TObject*) { events += box->Caption() + "- "; };
    }
    TForm* form = nullptr;
    TScrollBox* column = nullptr;
    std::string events;
};

} // namespace

TEST_F(GroupBoxTest, AccordionRules) {
    constexpr TglGroupBoxOptions kAccordion = kDefaultGroupBoxOptions | fgoCollapseOther;
    constexpr TglGroupBoxOptions kKeepOne = kAccordion | fgoOneAlwaysExpanded;
    struct Case {
        const char* Name;
        int Group;
        TglGroupBoxOptions Options[3];
        const char* Before;
        int Clicked;
        const char* After;
        const char* Events;
    } cases[] = {
        {"opening one closes the others silently",
         1,
         {kKeepOne, kKeepOne, kKeepOne},
         "+--",
         1,
         "-+-",
         "B+ "},
        {"the last open box that keeps one open stays",
         1,
         {kKeepOne, kKeepOne, kKeepOne},
         "+--",
         0,
         "+--",
         ""},
        {"a box that keeps none open closes as the last",
         1,
         {kAccordion, kKeepOne, kKeepOne},
         "+--",
         0,
         "---",
         "A- "},
        {"with another open it may close",
         1,
         {kKeepOne, kKeepOne, kKeepOne},
         "++-",
         0,
         "-+-",
         "A- "},
        {"without collapse-other the others stay",
         1,
         {kDefaultGroupBoxOptions, kDefaultGroupBoxOptions, kDefaultGroupBoxOptions},
         "+--",
         1,
         "++-",
         "B+ "},
        {"a box that cannot collapse refuses the group",
         1,
         {kKeepOne, kKeepOne, kKeepOne & ~fgoCanCollapse},
         "+-+",
         1,
         "-++",
         "B+ "},
        {"no group: each box on its own",
         0,
         {kKeepOne, kKeepOne, kKeepOne},
         "+--",
         0,
         "---",
         "A- "},
    };
    for (const auto& c : cases) {
        std::vector<TBvgGroupBox*> boxes;
        const char* names[] = {"A", "B", "C"};
        for (int i = 0; i < 3; ++i) {
            auto* box = MakeBox(form, column, names[i], 80);
            box->SetOptions(c.Options[i]);
            boxes.push_back(box);
        }
        // Joining a group while open would close the others: join closed, then open by code.
        for (auto* box : boxes)
            box->SetCollapsed(true);
        for (auto* box : boxes)
            box->SetGroupIndex(c.Group);
        for (int i = 0; i < 3; ++i)
            if (c.Before[i] == '+')
                boxes[i]->SetCollapsed(false);
        form->Show();
        Pump();
        ASSERT_EQ(States(boxes), c.Before) << c.Name;
        events.clear();
        for (auto* box : boxes)
            Watch(box);
        ClickCaption(boxes[c.Clicked]);
        EXPECT_EQ(States(boxes), c.After) << c.Name;
        EXPECT_EQ(events, c.Events) << c.Name;
        for (auto* box : boxes)
            delete box;
    }
}

TEST_F(GroupBoxTest, MainWindowColumnOfSevenBoxes) {
    const char* captions[] = {"Edit tags", "Actions",    "Log",    "Playlists",
                              "Media DB",  "Statistics", "Deleted"};
    std::vector<TBvgGroupBox*> boxes;
    for (const char* caption : captions) {
        auto* box = MakeBox(form, column, caption, 120);
        TglGroupBoxOptions options = box->Options() | fgoCollapseOther;
        if (std::string(caption) != "Deleted")
            options |= fgoOneAlwaysExpanded;
        box->SetOptions(options);
        boxes.push_back(box);
    }
    // At start only "Actions" is open.
    for (auto* box : boxes)
        if (box->Caption() != "Actions")
            box->SetCollapsed(true);
    for (auto* box : boxes) {
        box->SetGroupIndex(1);
        Watch(box);
    }
    form->Show();
    Pump();
    ASSERT_EQ(States(boxes), "-+-----");
    int collapsedHeight = boxes[0]->Height();
    EXPECT_LT(collapsedHeight, 30);
    EXPECT_EQ(boxes[1]->Height(), 120);
    struct Step {
        int Clicked;
        const char* After;
        const char* Events;
    } steps[] = {
        {2, "--+----", "Log+ "},       // the log opens, "Actions" closes
        {2, "--+----", ""},            // the last open box stays open
        {6, "------+", "Deleted+ "},   // "Deleted" opens like any other
        {6, "-------", "Deleted- "},   // and alone may close the last open box
        {0, "+------", "Edit tags+ "}, // any box opens again
        {5, "-----+-", "Statistics+ "},
    };
    for (const auto& s : steps) {
        events.clear();
        ClickCaption(boxes[s.Clicked]);
        EXPECT_EQ(States(boxes), s.After) << "after clicking " << captions[s.Clicked];
        EXPECT_EQ(events, s.Events) << "after clicking " << captions[s.Clicked];
    }
    // An open box shows its full height again; the others their caption.
    EXPECT_EQ(boxes[5]->Height(), 120);
    EXPECT_EQ(boxes[0]->Height(), collapsedHeight);
    // Stacked from the top, each right under the one before.
    for (size_t i = 1; i < boxes.size(); ++i)
        EXPECT_EQ(boxes[i]->Top(), boxes[i - 1]->Top() + boxes[i - 1]->Height());

    // The hint's double-click expands "Edit tags" through Collapse(False); asking an open box
    // to open again changes nothing on it and reports nothing, but the rule still closes others.
    events.clear();
    boxes[0]->Collapse(false);
    EXPECT_EQ(States(boxes), "+------");
    EXPECT_EQ(events, "Edit tags+ ");
    events.clear();
    boxes[5]->SetCollapsed(false); // by code: no rules, no events
    EXPECT_EQ(States(boxes), "+----+-");
    boxes[0]->Collapse(false);
    EXPECT_EQ(States(boxes), "+------");
    EXPECT_EQ(events, "");
}

TEST_F(GroupBoxTest, CollapsingMeasuresTheCaptionAndRestoresTheFullHeight) {
    // Never painted: the caption bar is measured when collapsing.
    auto* box = MakeBox(form, form, "Tags", 150);
    box->SetAlign(TAlign::alNone);
    auto* child = new TButton(form);
    child->SetParent(box);
    EXPECT_EQ(box->FullHeight(), 150) << "the height the box was built with";
    box->SetCollapsed(true);
    TCanvas measure;
    measure.SetFont(*box->Font());
    int textHeight = measure.TextHeight("Tags");
    // The caption bar is the text and its one-pixel frame on either side.
    EXPECT_EQ(box->CaptionRect().Bottom, textHeight + 2);
    EXPECT_EQ(box->Height(), textHeight + 3);
    EXPECT_FALSE(child->Visible()) << "children hide while collapsed";
    box->SetCollapsed(false);
    EXPECT_EQ(box->Height(), 150);
    EXPECT_TRUE(child->Visible());

    // Refusals.
    box->SetOptions(box->Options() & ~fgoCanCollapse);
    box->SetCollapsed(true);
    EXPECT_FALSE(box->Collapsed());
    box->SetOptions(kDefaultGroupBoxOptions);
    box->SetAlign(TAlign::alClient);
    box->Collapse(true);
    EXPECT_FALSE(box->Collapsed()) << "a box filling its parent never collapses";
    box->SetAlign(TAlign::alNone);

    // Built collapsed while loading: shown collapsed, and expands to the height it was built with.
    auto* built = new TBvgGroupBox(form);
    built->BeginLoading();
    built->SetParent(form);
    UseTestFont(built->Font());
    built->SetCaption("Log");
    built->SetBounds(0, 200, 180, 140);
    built->SetCollapsed(true);
    EXPECT_EQ(built->Height(), 140) << "while loading the state is only recorded";
    built->EndLoading();
    EXPECT_TRUE(built->Collapsed());
    EXPECT_EQ(built->Height(), textHeight + 3);
    built->SetCollapsed(false);
    EXPECT_EQ(built->Height(), 140);

    // Disabling the box disables its children.
    box->SetEnabled(false);
    EXPECT_FALSE(child->Enabled());
    box->SetEnabled(true);
    EXPECT_TRUE(child->Enabled());
}

TEST_F(GroupBoxTest, DragBelowTheCaptionScrollsTheColumnUntilReleasedOrCaptureLost) {
    std::vector<TBvgGroupBox*> boxes;
    for (int i = 0; i < 4; ++i)
        boxes.push_back(MakeBox(form, column, "Box " + std::to_string(i), 150));
    form->Show();
    Pump();
    ASSERT_TRUE(column->VertScrollBarVisible());
    QWidget* w = boxes[0]->Widget();
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(50, 100));
    Pump();
    EXPECT_TRUE(boxes[0]->DraggingToScroll());
    EXPECT_EQ(Screen->Cursor(), crHandPoint);
    EXPECT_FALSE(boxes[0]->Collapsed()) << "a press below the caption does not collapse";
    QTest::mouseMove(w, QPoint(50, 70));
    Pump();
    EXPECT_EQ(column->VertPosition(), 30) << "the grabbed point follows the pointer up";
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, QPoint(50, 70));
    Pump();
    EXPECT_FALSE(boxes[0]->DraggingToScroll());
    EXPECT_EQ(Screen->Cursor(), crDefault);

    // Another control takes the mouse capture in the middle of a drag: the drag ends there.
    QTest::mousePress(boxes[1]->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 100));
    Pump();
    ASSERT_TRUE(boxes[1]->DraggingToScroll());
    boxes[2]->SetMouseCapture(true);
    EXPECT_FALSE(boxes[1]->DraggingToScroll());
    EXPECT_EQ(Screen->Cursor(), crDefault);
    int position = column->VertPosition();
    QTest::mouseMove(boxes[1]->Widget(), QPoint(50, 40));
    Pump();
    EXPECT_EQ(column->VertPosition(), position) << "no scrolling after the capture went";
    boxes[2]->SetMouseCapture(false);
    QTest::mouseRelease(boxes[1]->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 40));
    Pump();

    // With the mouse ignored, a press does nothing at all.
    boxes[0]->SetOptions(boxes[0]->Options() | fgoIgnoreMouse);
    bool wasCollapsed = boxes[0]->Collapsed();
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(12, 4));
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, QPoint(12, 4));
    Pump();
    EXPECT_EQ(boxes[0]->Collapsed(), wasCollapsed);
    EXPECT_FALSE(boxes[0]->DraggingToScroll());
}

namespace {
// Where the first ink of a colour lies in the caption area of a box's picture.
TPoint FirstOf(const QImage& shot, TColor colour, const TRect& area) {
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x) {
            QRgb p = shot.pixel(x, y);
            if (RGB(qRed(p), qGreen(p), qBlue(p)) == colour)
                return {x, y};
        }
    return {-1, -1};
}
} // namespace

TEST_F(GroupBoxTest, CaptionGlyphAndTextShowTheStateAndTheDisabledLook) {
    auto* box = MakeBox(form, form, "Tags", 120);
    box->SetAlign(TAlign::alNone);
    box->SetBounds(0, 320, 180, 120);
    TBitmap glyph(8, 8);
    glyph.Canvas()->Brush()->SetColor(clFuchsia);
    glyph.Canvas()->FillRect(Rect(0, 0, 8, 8));
    glyph.Canvas()->Brush()->SetColor(clRed);
    glyph.Canvas()->FillRect(Rect(2, 2, 6, 6));
    box->SetGlyphExpanded(&glyph);
    auto* bare = MakeBox(form, form, "", 60);
    bare->SetAlign(TAlign::alNone);
    bare->SetBounds(0, 460, 180, 60);
    form->Show();
    Pump();
    auto shot = [](TBvgGroupBox* b) {
        return b->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    TRect caption = box->CaptionRect();
    QImage enabled = shot(box);
    TColor white = GetSysColor(COLOR_HIGHLIGHTTEXT);
    TPoint glyphInk = FirstOf(enabled, clRed, caption);
    EXPECT_NE(glyphInk.X, -1) << "the expanded glyph shows";
    EXPECT_EQ(FirstOf(enabled, clFuchsia, caption).X, -1) << "its key colour is transparent";
    TPoint textInk = FirstOf(enabled, white, Rect(caption.Left + 12, 0, caption.Right, 30));
    ASSERT_NE(textInk.X, -1);
    EXPECT_GT(textInk.X, glyphInk.X) << "the text follows the glyph";

    box->SetEnabled(false);
    Pump();
    QImage disabled = shot(box);
    EXPECT_EQ(FirstOf(disabled, clRed, caption).X, -1) << "a disabled glyph loses its colours";
    // Pushed text: its light copy lies one pixel down and right of where the face was.
    TPoint pushed = FirstOf(disabled, GetSysColor(COLOR_BTNHIGHLIGHT),
                            Rect(caption.Left + 12, 0, caption.Right, 30));
    EXPECT_EQ(pushed.Y, textInk.Y + 1);

    // Without a caption only the frame is drawn: nothing in the caption bar's colour.
    QImage frameOnly = shot(bare);
    EXPECT_EQ(FirstOf(frameOnly, GetSysColor(COLOR_BTNSHADOW), Rect(1, 0, 60, 5)).X, -1);
    EXPECT_NE(FirstOf(frameOnly, GetSysColor(COLOR_BTNSHADOW), Rect(0, 0, 180, 60)).X, -1)
        << "the frame itself";
}
