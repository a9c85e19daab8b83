// A drag from a control with drag images shows the picture under the pointer, held at its
// hot spot, on a window that takes no input; it follows every move and goes with the drop.
#include "ExtCtrls.h"
#include "GuiTestEnvironment.h"
#include "qt/WidgetBinding.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class TDragSource : public TCustomControl {
public:
    explicit TDragSource(TComponent* owner) : TCustomControl(owner), images(this, 20, 10) {
        DragMode = TDragMode::dmAutomatic;
        ControlStyle |= csDisplayDragImage;
        TBitmap picture(20, 10);
        picture.Canvas()->Brush()->SetColor(clRed);
        picture.Canvas()->FillRect(Rect(0, 0, 20, 10));
        // The right half is white, the list's transparent colour.
        picture.Canvas()->Brush()->SetColor(clWhite);
        picture.Canvas()->FillRect(Rect(10, 0, 20, 10));
        images.AddMasked(&picture, clWhite);
        images.SetDragImage(0, 5, 3);
    }
    TDragImageList* GetDragImages() override { return &images; }
    TDragImageList images;
};

} // namespace

TEST(DragImage, ThePictureFollowsThePointerAtItsHotSpot) {
    TForm* form = MakeTestForm(300, 200);
    auto* source = new TDragSource(form);
    source->SetBounds(10, 10, 120, 80);
    source->SetParent(form);
    auto* target = new TPanel(form);
    target->SetBounds(150, 10, 120, 80);
    target->SetParent(form);
    bool dropped = false;
    target->OnDragOver = [](TObject*, TObject*, int, int, TDragState, bool& accept) {
        accept = true;
    };
    target->OnDragDrop = [&](TObject*, TObject*, int, int) { dropped = true; };
    form->Show();
    PumpEvents();

    QWidget* w = source->Widget();
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(20, 20));
    PumpEvents();
    QWidget* image = BvQt::DragImageWindow();
    EXPECT_TRUE(!image || !image->isVisible()) << "no picture before the drag starts";

    struct TStep {
        QPoint At;
    };
    const TStep steps[] = {{{40, 30}}, {{60, 50}}, {{100, 70}}};
    for (const TStep& s : steps) {
        QTest::mouseMove(w, s.At);
        PumpEvents();
        image = BvQt::DragImageWindow();
        ASSERT_NE(image, nullptr);
        EXPECT_TRUE(image->isVisible());
        TPoint pointer = source->ClientToScreen({s.At.x(), s.At.y()});
        EXPECT_EQ(image->geometry().topLeft(), QPoint(pointer.X - 5, pointer.Y - 3));
        EXPECT_EQ(image->size(), QSize(20, 10));
    }
    EXPECT_TRUE(image->windowFlags().testFlag(Qt::WindowTransparentForInput));
    QImage shot = image->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(shot.pixel(2, 2) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(qAlpha(shot.pixel(15, 2)), 0) << "the masked half is see-through";

    // Over the panel, which shows no drag images, the picture hides; the drop still lands.
    QPoint overTarget = w->mapFromGlobal(target->Widget()->mapToGlobal(QPoint(30, 30)));
    QTest::mouseMove(w, overTarget);
    PumpEvents();
    EXPECT_FALSE(image->isVisible());
    QTest::mouseRelease(w, Qt::LeftButton, {}, overTarget);
    PumpEvents();
    EXPECT_TRUE(dropped);
    EXPECT_FALSE(image->isVisible());
    EXPECT_FALSE(source->images.Dragging());
    delete form;
    PumpEvents();
}

TEST(DragImage, ADragObjectBringsItsOwnPicture) {
    // An object made by OnStartDrag carries the pictures, whatever the control has.
    struct TPictureDrag : TDragObject {
        TDragImageList* Images = nullptr;
        TDragImageList* GetDragImages() override { return Images; }
    };
    TForm* form = MakeTestForm(300, 200);
    auto* source = new TPanel(form);
    source->SetBounds(10, 10, 120, 80);
    source->SetParent(form);
    source->DragMode = TDragMode::dmAutomatic;
    source->ControlStyle |= csDisplayDragImage;
    TDragImageList images(nullptr, 8, 8);
    TBitmap picture(8, 8);
    picture.Canvas()->Brush()->SetColor(clBlue);
    picture.Canvas()->FillRect(Rect(0, 0, 8, 8));
    images.AddMasked(&picture, clWhite);
    images.SetDragImage(0, 4, 4);
    TPictureDrag drag;
    drag.Images = &images;
    source->OnStartDrag = [&](TObject*, TDragObject*& object) { object = &drag; };
    form->Show();
    PumpEvents();
    QWidget* w = source->Widget();
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseMove(w, QPoint(50, 40));
    PumpEvents();
    QWidget* image = BvQt::DragImageWindow();
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->isVisible());
    TPoint pointer = source->ClientToScreen({50, 40});
    EXPECT_EQ(image->geometry(), QRect(pointer.X - 4, pointer.Y - 4, 8, 8));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(50, 40));
    PumpEvents();
    EXPECT_FALSE(image->isVisible());
    delete form;
    PumpEvents();
}
