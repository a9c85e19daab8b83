// The speed bar in customization, driven by the real mouse: a button dragged about the bar
// with its picture following the pointer, dropped on the grid or off the bar, and the bar
// resized by its inner edge; the drag cursor's slot.
#include "BvSpeedbar.h"
#include "GuiTestEnvironment.h"

#include <QCursor>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>
#include <vector>

namespace {

// What the bar tells its customization window.
struct TNotice {
    intptr_t What;
    intptr_t Param;
    bool operator==(const TNotice&) const = default;
};

struct CustomizeForm {
    TForm* form = MakeTestForm(400, 300);
    TBvSpeedBar* bar = new TBvSpeedBar(form);
    std::vector<TNotice> notices;
    HWND editWindow = AllocateHWnd([this](TMessage& m) {
        if (m.Msg == CM_SPEEDBARCHANGED)
            notices.push_back({static_cast<intptr_t>(m.WParam), m.LParam});
    });
    std::vector<TBvSpeedItem*> items;

    CustomizeForm() {
        bar->SetParent(form);
        UseTestFont(bar->Font());
        bar->SetOptions(bar->Options() | sbAllowResize);
        for (int i = 0; i < 3; ++i) {
            auto* item = new TBvSpeedItem(form);
            item->SetName("item" + std::to_string(i));
            bar->AddItem(0, item);
            item->SetBtnCaption(std::string(1, static_cast<char>('A' + i)));
            item->SetLeft(bar->BtnOffsetHorz() + 24 * i);
            item->SetVisible(true);
            items.push_back(item);
        }
        bar->SetHeight(60);
        form->Show();
        bar->SetEditWindow(editWindow);
    }
    ~CustomizeForm() {
        bar->SetEditWindow(nullptr);
        delete form;
        DeallocateHWnd(editWindow);
    }
    QWidget* Surface() { return bar->Widget(); }
    // The centre of an item's button, in the bar.
    QPoint Centre(TBvSpeedItem* item) {
        return QPoint(item->Left() + item->Button()->Width() / 2,
                      item->Top() + item->Button()->Height() / 2);
    }
    QPoint FormPoint(int x, int y) {
        TPoint p = bar->ScreenToClient(form->ClientToScreen({x, y}));
        return QPoint(p.X, p.Y);
    }
};

TEST(SpeedbarCustomize, EditingItemsTakeTheirButtonsAlong) {
    CustomizeForm f;
    TBvSpeedItem* item = f.items[1];
    TBvSpeedBarButton* button = item->Button();
    QTest::mousePress(f.Surface(), Qt::LeftButton, {}, f.Centre(item));
    EXPECT_EQ(GetCaptureControl(), button);
    ASSERT_NE(button->DragPicture(), nullptr);
    EXPECT_EQ(Mouse->CursorPos(), button->ClientToScreen({24, 23}))
        << "the pointer takes the button by its bottom-right corner";
    EXPECT_FALSE(button->DragPicture()->HandleAllocated()) << "no picture before a move";

    // Inside the bar the picture hangs from the pointer by its bottom-right corner.
    const QPoint inside(120, 40);
    QTest::mouseMove(f.Surface(), inside);
    EXPECT_FALSE(button->Visible()) << "the button leaves its place while dragged";
    TBvBtnControl* picture = button->DragPicture();
    ASSERT_TRUE(picture->HandleAllocated());
    QWidget* window = picture->Widget();
    EXPECT_TRUE(window->isWindow());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowTransparentForInput)
        << "the picture never takes the mouse from the button";
    EXPECT_TRUE(window->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    TPoint pointer = f.bar->ClientToScreen({inside.x(), inside.y()});
    EXPECT_EQ(window->geometry(), QRect(pointer.X - 24, pointer.Y - 23, 24, 23));
    EXPECT_EQ(picture->Cursor(), crBvDragCursor);
    EXPECT_EQ(window->cursor().shape(), Qt::BitmapCursor) << "the drawn drag cursor";

    // The picture shows the button: its face and frame, and its caption.
    QImage shot = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::string path = std::string(BV_BINARY_DIR) + "/kit_speedbar_drag_picture.png";
    EXPECT_TRUE(shot.scaled(shot.size() * 4).save(QString::fromStdString(path)));
    auto rgb = [](TColor c) {
        c = ColorToRGB(c);
        return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
    };
    EXPECT_EQ(shot.pixel(2, 2), rgb(clBtnFace));
    EXPECT_EQ(shot.pixel(23, 10), rgb(clWindowFrame)) << "the outer frame's dark side";
    EXPECT_EQ(shot.pixel(0, 10), rgb(clBtnShadow)) << "the outer frame's light side";
    EXPECT_EQ(shot.pixel(1, 10), rgb(clBtnHighlight)) << "the inner frame";
    int caption = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 2; x < shot.width() - 2; ++x)
            if (shot.pixel(x, y) == rgb(clBtnText))
                ++caption;
    EXPECT_GT(caption, 5) << "the caption is drawn";

    // Off the bar the picture goes, back on the bar it comes again.
    QTest::mouseMove(f.Surface(), f.FormPoint(200, 250));
    EXPECT_FALSE(picture->HandleAllocated());
    QTest::mouseMove(f.Surface(), inside);
    EXPECT_TRUE(picture->HandleAllocated());
    QTest::mouseRelease(f.Surface(), Qt::LeftButton, {}, inside);
    EXPECT_EQ(button->DragPicture(), nullptr);
    EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST(SpeedbarCustomize, ADropSnapsToTheGridOrTakesTheButtonOff) {
    struct Case {
        const char* name;
        QPoint release; // in the form's client area
        bool visible;
        TPoint at;
        TNotice notice;
    };
    // Offsets 3 (two, and the bevel), grid 8 x 23 on a 60-pixel bar: the drop point is the
    // picture's corner, the pointer less the button size; X goes to the nearest step, Y down
    // to its row.
    const Case cases[] = {
        {"on the bar", {120, 40}, true, {99, 3}, {2, 0}},
        {"second row", {125, 55}, true, {99, 26}, {2, 0}},
        {"off the bar", {200, 250}, false, {}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CustomizeForm f;
        TBvSpeedItem* item = f.items[0];
        QTest::mousePress(f.Surface(), Qt::LeftButton, {}, f.Centre(item));
        QTest::mouseMove(f.Surface(), f.FormPoint(c.release.x(), c.release.y()));
        QTest::mouseRelease(f.Surface(), Qt::LeftButton, {},
                            f.FormPoint(c.release.x(), c.release.y()));
        EXPECT_EQ(item->Visible(), c.visible);
        EXPECT_EQ(item->Button()->Visible(), c.visible);
        TNotice expected = c.notice;
        expected.Param =
            c.visible ? reinterpret_cast<intptr_t>(item) : reinterpret_cast<intptr_t>(f.bar);
        ASSERT_EQ(f.notices.size(), 1u);
        EXPECT_EQ(f.notices[0], expected);
        if (c.visible) {
            EXPECT_EQ(item->Left(), c.at.X);
            EXPECT_EQ(item->Top(), c.at.Y);
        }
        EXPECT_EQ(GetCaptureControl(), nullptr);
        // The other buttons stay where they were.
        EXPECT_EQ(f.items[1]->Left(), f.bar->BtnOffsetHorz() + 24);
        EXPECT_TRUE(f.items[1]->Button()->Visible());
    }
}

TEST(SpeedbarCustomize, AClickWithoutMovingKeepsTheButton) {
    CustomizeForm f;
    TBvSpeedItem* item = f.items[2];
    int clicks = 0;
    item->SetOnClick([&](TObject*) { ++clicks; });
    TPoint before{item->Left(), item->Top()};
    // The pointer jumped to the button's corner, so that is where it lets go.
    QPoint corner(item->Left() + 24, item->Top() + 23);
    QTest::mousePress(f.Surface(), Qt::LeftButton, {}, f.Centre(item));
    QTest::mouseRelease(f.Surface(), Qt::LeftButton, {}, corner);
    EXPECT_EQ((TPoint{item->Left(), item->Top()}), before);
    EXPECT_TRUE(item->Button()->Visible());
    EXPECT_EQ(clicks, 0) << "customizing does not run the command";
}

// Resizing by the inner edge: only while customizing and allowed, rows of whole buttons,
// never beyond the parent.
TEST(SpeedbarCustomize, InnerEdgeResizesTheBarByWholeRows) {
    struct Case {
        const char* name;
        TAlign align;
        bool editing;
        bool allowed;
        QPoint press; // in the bar, where the pointer finds the edge (not over a button)
        QPoint move;  // in the form's client area
        int extent;   // the bar's height (top, bottom) or width (left, right) afterwards
    };
    // Button 24 x 23 (23 x 24 standing), offset 3: one row 29, two 52, three 75; the form's
    // client area is 400 x 300.
    const Case cases[] = {
        {"top, two rows", TAlign::alTop, true, true, {50, 27}, {50, 58}, 52},
        {"top, beyond the parent", TAlign::alTop, true, true, {50, 28}, {50, 340}, 300},
        {"top, never below a row", TAlign::alTop, true, true, {50, 26}, {50, 1}, 29},
        {"bottom, three rows", TAlign::alBottom, true, true, {200, 3}, {200, 300 - 81}, 75},
        {"left, two columns", TAlign::alLeft, true, true, {27, 50}, {58, 50}, 52},
        {"right, two columns", TAlign::alRight, true, true, {1, 50}, {400 - 58, 50}, 52},
        {"not customizing", TAlign::alTop, false, true, {50, 28}, {50, 80}, 29},
        {"not allowed", TAlign::alTop, true, false, {50, 28}, {50, 80}, 29},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CustomizeForm f;
        f.bar->SetAlign(c.align);
        bool horizontal = c.align == TAlign::alTop || c.align == TAlign::alBottom;
        if (horizontal)
            f.bar->SetHeight(29);
        else
            f.bar->SetWidth(29);
        if (!c.editing)
            f.bar->SetEditWindow(nullptr);
        if (!c.allowed)
            f.bar->SetOptions(f.bar->Options() & ~sbAllowResize);
        bool offered = c.editing && c.allowed;
        // Without a resize the press would start a drag of the whole bar.
        if (!offered)
            f.bar->SetOptions(f.bar->Options() & ~sbAllowDrag);
        QWidget* surface = f.Surface();
        QTest::mouseMove(surface, QPoint(60, 12));
        QTest::mouseMove(surface, c.press);
        EXPECT_EQ(f.bar->Cursor(), offered ? (horizontal ? crSizeNS : crSizeWE) : crDefault);
        if (offered) {
            EXPECT_EQ(surface->cursor().shape(),
                      horizontal ? Qt::SizeVerCursor : Qt::SizeHorCursor);
        }
        QTest::mousePress(surface, Qt::LeftButton, {}, c.press);
        EXPECT_EQ(f.bar->IsResizing(), offered);
        QTest::mouseMove(surface, f.FormPoint(c.move.x(), c.move.y()));
        ASSERT_EQ(f.form->ClientHeight(), 300);
        EXPECT_EQ(horizontal ? f.bar->Height() : f.bar->Width(), c.extent);
        QTest::mouseRelease(surface, Qt::LeftButton, {}, f.FormPoint(c.move.x(), c.move.y()));
        EXPECT_FALSE(f.bar->IsResizing());
        EXPECT_FALSE(f.bar->IsDragging());
        EXPECT_EQ(f.bar->Align(), c.align) << "a resize is no drag to another side";
        EXPECT_EQ(GetCaptureControl(), nullptr);
        QTest::mouseMove(surface, QPoint(12, 12));
        EXPECT_EQ(f.bar->Cursor(), crDefault) << "the bar's own cursor again";
    }
}

TEST(SpeedbarCustomize, ALostCaptureEndsAResize) {
    CustomizeForm f;
    f.bar->SetHeight(29);
    QTest::mouseMove(f.Surface(), QPoint(50, 27));
    QTest::mousePress(f.Surface(), Qt::LeftButton, {}, QPoint(50, 27));
    ASSERT_TRUE(f.bar->IsResizing());
    f.items[0]->Button()->SetMouseCapture(true);
    EXPECT_FALSE(f.bar->IsResizing());
    EXPECT_EQ(f.bar->Cursor(), crDefault);
    f.items[0]->Button()->SetMouseCapture(false);
}

TEST(SpeedbarDragCursor, TheProgramsOwnCursorInTheSlotStays) {
    Screen->SetCursors(crBvDragCursor, crHandPoint);
    {
        CustomizeForm f;
        EXPECT_EQ(Screen->Cursors(crBvDragCursor), crHandPoint);
    }
    // An empty slot gets the drawn cursor again.
    Screen->SetCursors(crBvDragCursor, crBvDragCursor);
    CustomizeForm f;
    EXPECT_NE(FindDrawnCursor(Screen->Cursors(crBvDragCursor)), nullptr);
}

} // namespace
