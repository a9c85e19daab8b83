// The kit's window routines: the pixel-width limit of typed text, the message box with the
// application's title, whether the program is in front, and the start-up drag cursors.
#include "BvKitGuiUtils.h"
#include "BvMaxPixel.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "GuiTestEnvironment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

namespace {

void Pump() {
    for (int i = 0; i < 5; ++i)
        Application->ProcessMessages();
}

int WidthIn(const TFont& font, const std::string& text) {
    TBitmap measure(1, 1);
    measure.Canvas()->SetFont(font);
    return measure.Canvas()->TextWidth(text);
}

class KitWindowUtilsTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = MakeTestForm(200, 120);
        font.Assign(*form->Font());
    }
    void TearDown() override {
        delete form;
        SetDialogResponder(nullptr);
        Pump();
    }
    TForm* form = nullptr;
    TFont font;
};

TEST_F(KitWindowUtilsTest, MaxPixelCutsTheTextFromItsEndUntilItFits) {
    TBvMaxPixel limit(form);
    const std::string text = "Björk - Jóga";
    const int full = WidthIn(font, text);
    struct Case {
        int Length;
        bool ExpectResult;
        const char* What;
    } cases[] = {
        {0, true, "no limit: unchanged"},
        {full, false, "exactly as wide as the limit: unchanged"},
        {full + 50, false, "narrower than the limit: unchanged"},
        {full - 1, true, "one pixel too wide: loses its last character"},
        {WidthIn(font, "Bjö"), true, "cut to a start ending in a two-byte character"},
        {1, true, "narrower than any character: empty"},
    };
    for (const auto& c : cases) {
        limit.SetLength(c.Length);
        std::string cut = text;
        EXPECT_EQ(limit.Test(cut, &font), c.ExpectResult) << c.What;
        if (c.Length == 0 || c.Length >= full) {
            EXPECT_EQ(cut, text) << c.What;
            continue;
        }
        // The longest start of the text that fits, never cut inside a character.
        EXPECT_EQ(text.compare(0, cut.size(), cut), 0) << c.What;
        EXPECT_LE(WidthIn(font, cut), c.Length) << c.What;
        std::string oneMore = text.substr(0, cut.size() + 1);
        while (oneMore.size() < text.size() &&
               (static_cast<unsigned char>(text[oneMore.size()]) & 0xC0) == 0x80)
            oneMore = text.substr(0, oneMore.size() + 1);
        EXPECT_GT(WidthIn(font, oneMore), c.Length) << c.What;
    }
    limit.SetLength(WidthIn(font, "Bjö"));
    std::string cut = text;
    limit.Test(cut, &font);
    EXPECT_EQ(cut, "Bjö");
}

TEST_F(KitWindowUtilsTest, MaxPixelMeasuresInItsOwnFontWhenTold) {
    TBvMaxPixel limit(form);
    const std::string text = "Nothing Else Matters";
    limit.SetLength(WidthIn(font, text));
    limit.Font()->Assign(font);
    limit.Font()->SetHeight(font.Height() * 2);
    std::string withControlFont = text;
    EXPECT_FALSE(limit.Test(withControlFont, &font));
    EXPECT_EQ(withControlFont, text);
    limit.SetUseControlFont(false);
    std::string withOwnFont = text;
    EXPECT_TRUE(limit.Test(withOwnFont, &font));
    EXPECT_LT(withOwnFont.size(), text.size());
    EXPECT_LE(WidthIn(*limit.Font(), withOwnFont), limit.Length());
}

TEST_F(KitWindowUtilsTest, MaxPixelReportsEachRealChange) {
    TBvMaxPixel limit(form);
    int changes = 0;
    limit.OnChanged = [&](TObject* sender) {
        EXPECT_EQ(sender, &limit);
        ++changes;
    };
    struct Step {
        const char* What;
        std::function<void()> Do;
        int Expected;
    } steps[] = {
        {"same length", [&] { limit.SetLength(0); }, 0},
        {"new length", [&] { limit.SetLength(80); }, 1},
        {"same font switch", [&] { limit.SetUseControlFont(true); }, 0},
        {"font switch", [&] { limit.SetUseControlFont(false); }, 1},
        {"font size", [&] { limit.Font()->SetHeight(-20); }, 1},
        {"font given", [&] { limit.SetFont(&font); }, 1},
        {"its own font given", [&] { limit.SetFont(limit.Font()); }, 0},
    };
    for (const auto& s : steps) {
        changes = 0;
        s.Do();
        EXPECT_EQ(changes, s.Expected) << s.What;
    }
    EXPECT_EQ(limit.Font()->Height(), font.Height());
}

// Finds the message box Qt shows, notes its title and text, and presses its button.
struct TBoxWatcher {
    std::string Title, Text;
    void Arm() {
        QTimer::singleShot(0, [this] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!box) {
                Arm();
                return;
            }
            Title = box->windowTitle().toStdString();
            if (auto* label = box->findChild<QLabel*>(QStringLiteral("text")))
                Text = label->text().toStdString();
            QAbstractButton* ok = box->findChild<QPushButton*>();
            if (ok)
                QTest::mouseClick(ok, Qt::LeftButton);
            else
                box->reject();
        });
    }
};

TEST_F(KitWindowUtilsTest, MsgBoxShowsTheApplicationsTitleWhenGivenNoCaption) {
    Application->SetTitle("Brisvane");
    struct Case {
        std::string Caption, ExpectedTitle;
    } cases[] = {{"", "Brisvane"}, {"error in menu painter", "error in menu painter"}};
    for (const auto& c : cases) {
        TBoxWatcher watcher;
        watcher.Arm();
        EXPECT_EQ(MsgBox("Something happened", c.Caption, MB_OK | MB_ICONERROR), IDOK);
        EXPECT_EQ(watcher.Title, c.ExpectedTitle);
        EXPECT_EQ(watcher.Text, "Something happened");
    }
    // The flags reach the box unchanged.
    TDialogRequest asked;
    SetDialogResponder([&](const TDialogRequest& r) {
        asked = r;
        TDialogAnswer a;
        a.Button = IDNO;
        return a;
    });
    EXPECT_EQ(MsgBox("Delete?", "", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(asked.Flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(asked.Caption, "Brisvane");
}

TEST_F(KitWindowUtilsTest, ForegroundOnlyWithAnActiveWindowOnTheGuiThread) {
    form->Show();
    form->Widget()->activateWindow();
    Pump();
    ASSERT_NE(QApplication::activeWindow(), nullptr);
    EXPECT_TRUE(IsForegroundTask());
    bool onWorker = true;
    std::thread([&] { onWorker = IsForegroundTask(); }).join();
    EXPECT_FALSE(onWorker) << "a worker thread owns no window";
    form->Hide();
    Pump();
    EXPECT_EQ(IsForegroundTask(), QApplication::activeWindow() != nullptr);
}

TEST(KitCursors, StartUpFillsSlots100To103WithTheDragCursors) {
    InitKitCursors();
    const TCursor expected[] = {crMultiDrag, crDrag, crMultiDrag, crMultiDrag};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Screen->Cursors(100 + i), expected[i]) << "slot " << 100 + i;
    // The stock cursors themselves are untouched.
    EXPECT_EQ(Screen->Cursors(crDrag), crDrag);
    EXPECT_EQ(Screen->Cursors(99), 99);
}

TEST_F(KitWindowUtilsTest, AControlWithAKitCursorShowsTheDragCursorUnderTheMouse) {
    InitKitCursors();
    auto* bevel = new TBevel(form);
    bevel->SetParent(form);
    bevel->SetBounds(20, 20, 60, 40);
    auto* plain = new TBevel(form);
    plain->SetParent(form);
    plain->SetBounds(100, 20, 60, 40);
    plain->SetCursor(crHandPoint);
    form->Show();
    Pump();
    QWidget* client = form->ClientWidget();
    struct Case {
        TCursor Cursor;
        Qt::CursorShape Expected;
    } cases[] = {{100, Qt::DragCopyCursor},
                 {101, Qt::DragCopyCursor},
                 {103, Qt::DragCopyCursor},
                 {crDefault, Qt::ArrowCursor}};
    for (const auto& c : cases) {
        bevel->SetCursor(c.Cursor);
        // Away and back, so the control under the mouse changes each time.
        QTest::mouseMove(client, QPoint(130, 40));
        QTest::mouseMove(client, QPoint(50, 40));
        Pump();
        EXPECT_EQ(client->cursor().shape(), c.Expected) << "cursor " << c.Cursor;
    }
}

// A cursor the program draws: its picture with the transparent colour left out and its hot
// spot, shown over a control whose cursor slot holds it, and gone once destroyed.
TEST_F(KitWindowUtilsTest, ADrawnCursorInASlotShowsItsPicture) {
    TBitmap empty;
    EXPECT_EQ(CreateDrawnCursor(empty, clFuchsia, {0, 0}), 0) << "nothing to show";

    TBitmap picture(16, 12);
    picture.Canvas()->Brush()->SetColor(clFuchsia);
    picture.Canvas()->FillRect(Rect(0, 0, 16, 12));
    picture.Canvas()->Brush()->SetColor(clRed);
    picture.Canvas()->FillRect(Rect(2, 3, 6, 8));
    int drawn = CreateDrawnCursor(picture, clFuchsia, {3, 40});
    ASSERT_NE(drawn, 0);
    const TDrawnCursor* cursor = FindDrawnCursor(drawn);
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(cursor->HotSpot, (TPoint{3, 11})) << "the hot spot stays on the picture";
    EXPECT_EQ(FindDrawnCursor(crDrag), nullptr);
    EXPECT_EQ(FindDrawnCursor(105), nullptr) << "a slot number is no drawn cursor";

    const int slot = 150;
    Screen->SetCursors(slot, drawn);
    auto* bevel = new TBevel(form);
    bevel->SetParent(form);
    bevel->SetBounds(20, 20, 60, 40);
    bevel->SetCursor(slot);
    form->Show();
    Pump();
    QWidget* client = form->ClientWidget();
    QTest::mouseMove(client, QPoint(150, 80));
    QTest::mouseMove(client, QPoint(50, 40));
    Pump();
    QCursor shown = client->cursor();
    ASSERT_EQ(shown.shape(), Qt::BitmapCursor);
    EXPECT_EQ(shown.hotSpot(), QPoint(3, 11));
    QImage image = shown.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(16, 12));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "the transparent colour is not shown";
    EXPECT_EQ(image.pixel(4, 5), qRgba(255, 0, 0, 255));

    DestroyDrawnCursor(drawn);
    EXPECT_EQ(FindDrawnCursor(drawn), nullptr);
    QTest::mouseMove(client, QPoint(150, 80));
    QTest::mouseMove(client, QPoint(50, 40));
    Pump();
    EXPECT_EQ(client->cursor().shape(), Qt::ArrowCursor);
    Screen->SetCursors(slot, slot);
}

} // namespace
