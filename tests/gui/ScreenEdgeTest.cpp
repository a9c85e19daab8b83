// Windows and controls at and beyond the screen's edges: a window opens on the screen, a
// control larger than the screen paints without a picture of its whole size, and a caption
// wraps within its control's width.
#include "GuiTestEnvironment.h"
#include "StdCtrls.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

QRect WorkArea() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

} // namespace

TEST(ScreenEdge, EveryWindowOpensOnTheScreen) {
    const QRect area = WorkArea();
    struct TCase {
        const char* What;
        TPosition Position;
        int Left, Top, Width, Height;
    };
    const TCase cases[] = {
        {"placed past the bottom right corner", TPosition::poDesigned, area.right() - 40,
         area.bottom() - 30, 300, 200},
        {"placed above and left of the screen", TPosition::poDesigned, area.left() - 500,
         area.top() - 400, 300, 200},
        {"centred, narrower than the screen", TPosition::poScreenCenter, 0, 0, 300, 200},
        {"centred, wider than the screen", TPosition::poScreenCenter, 0, 0, area.width() + 600,
         200},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TForm* form = MakeTestForm(c.Width, c.Height);
        form->SetPosition(c.Position);
        form->SetBounds(c.Left, c.Top, c.Width, c.Height);
        form->Show();
        PumpEvents();
        const QRect frame = form->Widget()->frameGeometry();
        if (c.Width <= area.width()) {
            EXPECT_TRUE(area.contains(frame)) << frame.x() << "," << frame.y();
        } else {
            EXPECT_EQ(frame.left(), area.left()) << "its caption and menu stay reachable";
            EXPECT_GE(frame.top(), area.top());
            EXPECT_LE(frame.bottom(), area.bottom());
        }
        EXPECT_EQ(form->Width(), c.Width) << "moved, not resized";
        delete form;
        PumpEvents();
    }
}

namespace {

// Red everywhere, with a blue band far out to the right.
class TWideControl : public TCustomControl {
public:
    static constexpr int BandLeft = 1000000;
    using TCustomControl::TCustomControl;

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(clRed);
        Canvas()->FillRect(Rect(0, 0, Width(), Height()));
        Canvas()->Brush()->SetColor(clBlue);
        Canvas()->FillRect(Rect(BandLeft, 0, BandLeft + 100, Height()));
    }
};

} // namespace

// A control two million pixels wide (a caption nobody bounded once made one) is painted part by
// part as it is shown, never into one picture of its whole size (2.4 GB here).
TEST(ScreenEdge, AControlWiderThanTheScreenPaintsOnlyWhatIsShown) {
    TForm* form = MakeTestForm(400, 300);
    auto* wide = new TWideControl(form);
    wide->SetParent(form);
    wide->SetBounds(50 - TWideControl::BandLeft, 0, 2000000, 300);
    form->Show();
    PumpEvents();
    const QImage shot = form->ClientWidget()->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    const qreal ratio = shot.devicePixelRatio();
    EXPECT_EQ(shot.pixelColor(QPoint(100, 50) * ratio), QColor(Qt::blue));
    EXPECT_EQ(shot.pixelColor(QPoint(300, 50) * ratio), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(QPoint(20, 250) * ratio), QColor(Qt::red));
    delete form;
    PumpEvents();
}

// A check box's caption wraps at the box's width beside its mark; its text stays whole.
TEST(ScreenEdge, ACheckBoxCaptionWrapsWithinItsWidth) {
    TForm* form = MakeTestForm(420, 200);
    auto* box = new TCheckBox(form);
    box->SetParent(form);
    std::string caption;
    for (int i = 0; caption.size() < 300; ++i)
        caption += "word" + std::to_string(i) + " ";
    box->SetCaption(caption);
    box->SetBounds(10, 10, 300, 23);
    const int oneLine = box->CaptionHeight();
    box->SetWordWrap(true);
    const int wrapped = box->CaptionHeight();
    EXPECT_GE(wrapped, 5 * oneLine) << "300 characters in 300 pixels";
    box->SetBounds(10, 10, 300, wrapped + 6);
    form->Show();
    PumpEvents();
    EXPECT_EQ(box->Caption(), caption);
    auto* q = qobject_cast<QCheckBox*>(box->Widget());
    ASSERT_NE(q, nullptr);
    for (const QString& line : q->text().split('\n'))
        EXPECT_LE(q->fontMetrics().horizontalAdvance(line), 300) << line.toStdString();
    // Wider, it takes fewer lines; with the wrap off, one.
    box->SetBounds(10, 10, 400, 23);
    EXPECT_LT(box->CaptionHeight(), wrapped);
    box->SetWordWrap(false);
    EXPECT_EQ(box->CaptionHeight(), oneLine);
    delete form;
    PumpEvents();
}
