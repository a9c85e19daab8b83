// The picture that follows the pointer during a drag: a top-level window without frame or
// background that takes no input, showing the image list's picture where its mask allows.
#include "Graphics.h"
#include "qt/WidgetBinding.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>

namespace {

class TBvDragImageWindow : public QWidget {
public:
    TBvDragImageWindow()
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus) {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_ShowWithoutActivating);
    }
    void SetPicture(QImage picture) {
        picture_ = std::move(picture);
        resize(picture_.size());
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, picture_);
    }

private:
    QImage picture_;
};

QPointer<TBvDragImageWindow> gWindow;

} // namespace

namespace BvQt {

void ShowDragImage(const TBitmap& image, const TBitmap* mask, TPoint topLeft) {
    QImage picture = image.Image().convertToFormat(QImage::Format_ARGB32);
    if (mask) {
        const QImage& m = mask->Image();
        for (int y = 0; y < picture.height() && y < m.height(); ++y)
            for (int x = 0; x < picture.width() && x < m.width(); ++x)
                if ((m.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF)
                    picture.setPixel(x, y, 0);
    }
    if (!gWindow)
        gWindow = new TBvDragImageWindow;
    gWindow->SetPicture(std::move(picture));
    gWindow->move(topLeft.X, topLeft.Y);
    gWindow->show();
    gWindow->raise();
}

void MoveDragImage(TPoint topLeft) {
    if (gWindow)
        gWindow->move(topLeft.X, topLeft.Y);
}

void SetDragImageVisible(bool visible) {
    if (gWindow)
        gWindow->setVisible(visible);
}

void HideDragImage() {
    if (gWindow)
        gWindow->hide();
}

QWidget* DragImageWindow() {
    return gWindow.data();
}

} // namespace BvQt
