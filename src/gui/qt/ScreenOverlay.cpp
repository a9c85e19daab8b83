// Frames drawn "on the screen" (a bar being dragged to another side of its window): a
// transparent top-level window over the whole screen that takes no input and shows only the
// frames, each drawn as a dotted line that a second drawing removes.
#include "Types.h"
#include "qt/WidgetBinding.h"

#include <QGuiApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace {

class TBvScreenOverlay : public QWidget {
public:
    TBvScreenOverlay()
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus) {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_ShowWithoutActivating);
        QRect screen(0, 0, 1024, 768);
        if (auto* s = QGuiApplication::primaryScreen())
            screen = s->virtualGeometry();
        setGeometry(screen);
        image_ = QImage(screen.size(), QImage::Format_ARGB32_Premultiplied);
        image_.fill(Qt::transparent);
    }

    // Every other pixel of the frame's border changes between nothing and ink, as an
    // inverting dotted frame does: the same frame drawn twice leaves nothing.
    void Toggle(const TRect& screenRect) {
        QRect r(screenRect.Left - x(), screenRect.Top - y(), screenRect.Width(),
                screenRect.Height());
        if (r.width() <= 0 || r.height() <= 0)
            return;
        auto flip = [&](int px, int py) {
            if (((px + py) & 1) != 0 || !image_.rect().contains(px, py))
                return;
            auto* p = reinterpret_cast<QRgb*>(image_.scanLine(py)) + px;
            bool inked = qAlpha(*p) != 0;
            // Dark ink on every pixel, with a light neighbour, shows on any background.
            *p = inked ? 0u : (((px / 2 + py / 2) & 1) ? 0xFFFFFFFFu : 0xFF000000u);
            inked_ += inked ? -1 : 1;
        };
        // Each border pixel once, so a one-pixel-high frame is not flipped twice.
        for (int px = r.left(); px <= r.right(); ++px) {
            flip(px, r.top());
            if (r.bottom() != r.top())
                flip(px, r.bottom());
        }
        for (int py = r.top() + 1; py < r.bottom(); ++py) {
            flip(r.left(), py);
            if (r.right() != r.left())
                flip(r.right(), py);
        }
        update(r.adjusted(-1, -1, 1, 1));
        setVisible(inked_ > 0);
        if (inked_ > 0)
            raise();
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(e->rect(), image_, e->rect());
    }

private:
    QImage image_;
    long inked_ = 0;
};

QPointer<TBvScreenOverlay> gOverlay;

} // namespace

namespace BvQt {

void InvertScreenFrame(const TRect& screenRect) {
    if (!gOverlay)
        gOverlay = new TBvScreenOverlay;
    gOverlay->Toggle(screenRect);
}

QWidget* ScreenOverlay() {
    return gOverlay.data();
}

} // namespace BvQt
