// Hints as the user sees them: the pointer rests on a list box and its hint comes up below
// the pointer, as wide as its text; a long hint wraps at the width it is given.
#include "BvListBox.h"
#include "ExtCtrls.h"
#include "GuiTestEnvironment.h"
#include "KitPictures.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

namespace {

int TextWidthIn(const TFont& font, const std::string& text) {
    TCanvas c;
    c.SetFont(font);
    return c.TextWidth(text);
}

TEST(Hint, TheHintOfAListIsAsWideAsItsText) {
    TForm* form = MakeTestForm(320, 200);
    form->SetCaption("Hints");
    auto* list = new TBvListBox(form);
    list->SetParent(form);
    UseTestFont(list->Font());
    list->SetBounds(10, 10, 200, 120);
    for (const char* s : {"Artist - Title (3:05)", "Another artist - Song (4:10)"})
        list->Items()->Add(s);
    list->SetHint("A list hint");
    list->SetShowHint(true);
    const int pause = Application->HintPause;
    Application->HintPause = 50;
    form->Show();
    PumpEvents();

    auto* area = dynamic_cast<QAbstractScrollArea*>(list->Widget());
    ASSERT_NE(area, nullptr);
    QTest::mouseMove(area->viewport(), QPoint(60, 50));
    THintWindow* hint = nullptr;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        hint = Application->HintWindow();
        if (hint && hint->Widget() && hint->Widget()->isVisible())
            break;
    }
    ASSERT_TRUE(hint && hint->Widget() && hint->Widget()->isVisible()) << "no hint came up";
    EXPECT_EQ(hint->Caption(), "A list hint");
    const int text = TextWidthIn(*hint->Font(), "A list hint");
    EXPECT_EQ(hint->Width(), text + 6) << "as wide as the text and its margins";
    EXPECT_LT(hint->Width(), list->Width());
    EXPECT_EQ(hint->Widget()->width(), hint->Width());
    EXPECT_LE(hint->Left() + hint->Width(), Screen->Width()) << "off the screen";

    const QImage shot =
        ComposeWithPopup(form->Widget()->grab().toImage(), form->Widget(), hint->Widget());
    EXPECT_TRUE(shot.save(QString::fromStdString(std::string(BV_BINARY_DIR) + "/kit_hint.png")));

    QTest::mouseMove(form->Widget(), QPoint(300, 180));
    PumpEvents();
    Application->CancelHint();
    Application->HintPause = pause;
    delete form;
    PumpEvents();
}

// The measure behind it: the widest line, up to the limit; beyond the limit the words wrap.
TEST(Hint, AHintMeasuresItsWidestLineUpToTheLimit) {
    THintWindow hint(nullptr);
    UseTestFont(hint.Font());
    TCanvas c;
    c.SetFont(*hint.Font());
    const int line = c.TextHeight("Wg");
    struct TCase {
        const char* name;
        std::string text;
        int limit;
        int width;    // expected, margins included; 0: at most the limit and its margins
        int minLines; // lines of text at least
    } cases[] = {
        {"one line", "A list hint", 1000, c.TextWidth("A list hint") + 6, 1},
        {"two lines, the second wider", "Tracks\nAll tracks of the list", 1000,
         c.TextWidth("All tracks of the list") + 6, 2},
        {"wrapped at the limit",
         "A long hint that is wider than the limit and so wraps onto several lines", 150, 0, 3},
    };
    for (const TCase& k : cases) {
        SCOPED_TRACE(k.name);
        const TRect r = hint.CalcHintRect(k.limit, k.text);
        EXPECT_EQ(r.Left, 0);
        EXPECT_EQ(r.Top, 0);
        if (k.width)
            EXPECT_EQ(r.Width(), k.width);
        else
            EXPECT_LE(r.Width(), k.limit + 6);
        EXPECT_GE(r.Height(), k.minLines * line);
    }
}

} // namespace
