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
#include <QPainter>

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

void TBvWidget::paintEvent(QPaintEvent*) {
    if (!Control)
        return;
    QImage image(size(), QImage::Format_RGB32);
    image.fill(ToQColor(Control->Color()));
    TCanvas canvas(&image);
    TWinControl* control = Control;
    GuardedCall(control, [&] { control->PaintTo(canvas); });
    QPainter p(this);
    p.drawImage(0, 0, image);
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
