// The widget behind a self-drawn windowed control: its events go to the control, and its
// paint runs the control's painting into an off-screen image that is then put on screen.
#include "qt/ControlWidget.h"

#include "Controls.h"
#include "Forms.h"
#include "Graphics.h"
#include "qt/QtBridge.h"

#include <QAbstractScrollArea>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <algorithm>
#include <memory>
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

bool FitsTheScreen(const QWidget* widget) {
    QScreen* screen = widget->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QSize desktop = screen ? screen->virtualSize() : QSize(4096, 4096);
    return widget->width() <= desktop.width() && widget->height() <= desktop.height();
}

void TBvWidget::paintEvent(QPaintEvent* event) {
    if (!Control)
        return;
    // The kept image holds the screen's device pixels, so the control's drawing reaches the
    // screen one to one instead of being enlarged from logical pixels.
    const int scale = BackingScale(devicePixelRatioF());
    if (!FitsTheScreen(this)) {
        PaintUnkept(event);
        return;
    }
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

void TBvWidget::PaintUnkept(QPaintEvent* event) {
    // No image of the whole control is kept: each part that is shown is painted into an image
    // of its own size, the canvas moved so that the control's coordinates still hold.
    backing_ = QImage();
    TWinControl* control = Control;
    QPainter p(this);
    const QRegion region = event->region().intersected(rect());
    for (const QRect& part : region) {
        if (part.isEmpty())
            continue;
        QImage piece = DeviceImage(part.size(), devicePixelRatioF());
        piece.fill(ToQColor(control->Color()));
        TCanvas canvas(&piece);
        canvas.SetViewportOrg({-part.x(), -part.y()});
        TRect clip = FromQ(part);
        canvas.SetClipRect(&clip);
        GuardedCall(control, [&] { control->PaintTo(canvas); });
        p.drawImage(part.topLeft(), piece);
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
    if (QEvent* mapped = ClientDropEvent(watched, event)) {
        std::unique_ptr<QEvent> own(mapped);
        if (!GuardedCall(control, [&] { consumed = control->QtEvent(mapped); }))
            return true;
        auto* from = static_cast<QDropEvent*>(mapped);
        auto* to = static_cast<QDropEvent*>(event);
        to->setDropAction(from->dropAction());
        to->setAccepted(from->isAccepted());
        return consumed;
    }
    if (!GuardedCall(control, [&] { consumed = control->QtEvent(event); }))
        return true;
    return consumed;
}

QEvent* TBvEventFilter::ClientDropEvent(QObject* watched, QEvent* event) const {
    // A form's frame takes a drop that lands on its menu bar; the form still gets the
    // point in its client coordinates, above the client area.
    const auto type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return nullptr;
    auto* frame = qobject_cast<QWidget*>(watched);
    if (!frame || frame != Control->Widget())
        return nullptr;
    QWidget* client = Control->ClientWidget();
    if (!client || client == frame)
        return nullptr;
    auto* de = static_cast<QDropEvent*>(event);
    QPointF at = client->mapFrom(frame, de->position());
    if (type == QEvent::DragEnter)
        return new QDragEnterEvent(at.toPoint(), de->possibleActions(), de->mimeData(),
                                   de->buttons(), de->modifiers());
    if (type == QEvent::DragMove)
        return new QDragMoveEvent(at.toPoint(), de->possibleActions(), de->mimeData(),
                                  de->buttons(), de->modifiers());
    return new QDropEvent(at, de->possibleActions(), de->mimeData(), de->buttons(),
                          de->modifiers());
}
