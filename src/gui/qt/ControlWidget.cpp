// The widget behind a self-drawn windowed control: its events go to the control, and its
// paint runs the control's painting into an off-screen image that is then put on screen.
#include "qt/ControlWidget.h"

#include "Controls.h"
#include "Forms.h"
#include "Graphics.h"
#include "qt/QtBridge.h"

#include <QAbstractScrollArea>
#include <QContextMenuEvent>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <vector>

TBvWidget::TBvWidget(TWinControl* control, QWidget* parent) : QWidget(parent), Control(control) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
}

bool GuardedCall(TObject* sender, const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (...) {
        if (Application)
            Application->HandleException(sender);
        return false;
    }
}

bool TBvWidget::event(QEvent* e) {
    if (Control && e->type() != QEvent::Paint) {
        bool consumed = false;
        TWinControl* control = Control;
        if (!GuardedCall(control, [&] { consumed = control->QtEvent(e); }))
            return true;
        if (consumed)
            return true;
    }
    return QWidget::event(e);
}

namespace {
// Whole device pixels per logical pixel for a widget's kept image.
int BackingScale(qreal devicePixelRatio) {
    return std::max(1, qRound(devicePixelRatio));
}
QRect ToDevicePixels(const QRect& r, int scale) {
    return QRect(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale);
}
} // namespace

QImage DeviceImage(const QSize& size, qreal devicePixelRatio) {
    const int scale = BackingScale(devicePixelRatio);
    QImage image(size * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    return image;
}

QImage DeviceImage(const QWidget* widget) {
    return DeviceImage(widget->size(), widget->devicePixelRatioF());
}

void TBvWidget::paintEvent(QPaintEvent* event) {
    if (!Control)
        return;
    // The kept image holds the screen's device pixels, so the control's drawing reaches the
    // screen one to one instead of being enlarged from logical pixels.
    const int scale = BackingScale(devicePixelRatioF());
    if (backing_.size() != size() * scale || qRound(backing_.devicePixelRatio()) != scale) {
        backing_ = DeviceImage(this);
        backing_.fill(ToQColor(Control->Color()));
    }
    // A few separate rectangles are painted one by one; many become their bounding box.
    QRegion region = event->region().intersected(rect());
    std::vector<QRect> parts(region.begin(), region.end());
    if (parts.size() > 4)
        parts = {region.boundingRect()};
    QPainter p(this);
    TWinControl* control = Control;
    for (const QRect& part : parts) {
        if (part.isEmpty())
            continue;
        {
            QPainter fill(&backing_);
            fill.fillRect(part, ToQColor(control->Color()));
        }
        TCanvas canvas(&backing_);
        TRect clip = FromQ(part);
        canvas.SetClipRect(&clip);
        GuardedCall(control, [&] { control->PaintTo(canvas); });
        p.drawImage(QRectF(part), backing_, QRectF(ToDevicePixels(part, scale)));
    }
}

void TBvWidget::ScrollBacking(int dx, int dy, const QRect& rect) {
    // Logical coordinates, as the widget's own scroll takes them.
    QRect area = rect & QRect(QPoint(0, 0), backing_.deviceIndependentSize().toSize());
    if (backing_.isNull() || area.isEmpty())
        return;
    const int scale = qRound(backing_.devicePixelRatio());
    QImage moved = backing_.copy(ToDevicePixels(area, scale));
    moved.setDevicePixelRatio(scale);
    QPainter p(&backing_);
    p.setClipRect(area);
    p.drawImage(area.topLeft() + QPoint(dx, dy), moved);
}

bool TBvEventFilter::eventFilter(QObject* watched, QEvent* event) {
    if (!Control || event->type() == QEvent::Paint)
        return false;
    // A scroll area takes the mouse on its viewport, where the viewport's own filter
    // translates it; what reaches the frame is the viewport passing it up.
    if (qobject_cast<QAbstractScrollArea*>(watched)) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
            return false;
        case QEvent::ContextMenu:
            if (static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Mouse)
                return false;
            break;
        default:
            break;
        }
    }
    bool consumed = false;
    TWinControl* control = Control;
    if (!GuardedCall(control, [&] { consumed = control->QtEvent(event); }))
        return true;
    return consumed;
}
