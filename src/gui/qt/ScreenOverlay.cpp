// Frames drawn "on the screen" (a bar being dragged to another side of its window): each frame
// is four thin frameless windows, one per edge, that take no input and show a dotted line.
// Drawing the same frame again removes it. Small opaque windows need no compositor: a window
// over the whole screen with a translucent background paints the screen black on an X server
// without one.
#include "Types.h"
#include "qt/WidgetBinding.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

// One edge of a frame: a line one pixel thick whose pixels alternate between dark and light
// by their place on the screen, so the dots of the four edges meet and show on any background.
class TBvFrameEdge : public QWidget {
public:
    explicit TBvFrameEdge(const QRect& screenRect)
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                               Qt::X11BypassWindowManagerHint | Qt::NoDropShadowWindowHint) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setObjectName(QStringLiteral("BvScreenFrameEdge"));
        setGeometry(screenRect);
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        const QRect r = e->rect();
        const QPoint at = geometry().topLeft();
        p.fillRect(r, Qt::white);
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (((x + at.x() + y + at.y()) & 1) == 0)
                    p.fillRect(x, y, 1, 1, Qt::black);
    }
};

// The edge windows are Qt's top-level widgets, deleted when their frame is drawn again; one
// still up when the program ends goes with the application's windows.
struct TScreenFrame {
    TRect Rect;
    std::vector<QPointer<TBvFrameEdge>> Edges;
    ~TScreenFrame() {
        for (const auto& e : Edges)
            delete e.data();
    }
};

std::vector<std::unique_ptr<TScreenFrame>>& Frames() {
    // Never destroyed: at exit the application is gone before static objects.
    static auto* frames = new std::vector<std::unique_ptr<TScreenFrame>>;
    return *frames;
}

std::unique_ptr<TScreenFrame> MakeFrame(const TRect& r) {
    auto frame = std::make_unique<TScreenFrame>();
    frame->Rect = r;
    const int w = r.Width();
    const int h = r.Height();
    // Top and bottom span the width; the sides fill the rows between them.
    std::array<QRect, 4> edges = {QRect(r.Left, r.Top, w, 1), QRect(r.Left, r.Bottom - 1, w, 1),
                                  QRect(r.Left, r.Top + 1, 1, h - 2),
                                  QRect(r.Right - 1, r.Top + 1, 1, h - 2)};
    if (h == 1)
        edges[1] = QRect();
    if (w == 1)
        edges[3] = QRect();
    for (const QRect& e : edges) {
        if (e.width() <= 0 || e.height() <= 0)
            continue;
        auto* edge = new TBvFrameEdge(e);
        edge->show();
        edge->raise();
        frame->Edges.emplace_back(edge);
    }
    return frame;
}

} // namespace

namespace BvQt {

void InvertScreenFrame(const TRect& screenRect) {
    if (screenRect.Width() <= 0 || screenRect.Height() <= 0)
        return;
    auto& frames = Frames();
    auto same = std::find_if(frames.begin(), frames.end(),
                             [&](const auto& f) { return f->Rect == screenRect; });
    if (same != frames.end()) {
        frames.erase(same);
        return;
    }
    frames.push_back(MakeFrame(screenRect));
}

std::vector<QWidget*> ScreenFrameWindows() {
    std::vector<QWidget*> out;
    for (const auto& f : Frames())
        for (const auto& e : f->Edges)
            if (e)
                out.push_back(e.data());
    return out;
}

} // namespace BvQt
