// The Qt side of a form: a top-level frame that holds the menu bar and the client widget
// the controls sit on, and the window events (close button, activation) as the form's.
#include "Forms.h"
#include "Graphics.h"
#include "Menus.h"
#include "qt/ControlWidget.h"
#include "qt/QtBridge.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>

QWidget* TCustomForm::ClientWidget() {
    HandleNeeded();
    return client_ ? client_ : widget_;
}

QWidget* TCustomForm::CreateWidget(QWidget* parent) {
    auto* frame = new QWidget(parent, parent ? Qt::Widget : Qt::Window);
    client_ = new TBvWidget(this, frame);
    if (menu_)
        menuBar_ = CreateMenuBarWidget(this, frame);
    return frame;
}

void TCustomForm::ApplyWidgetState() {
    TWinControl::ApplyWidgetState();
    if (!widget_)
        return;
    widget_->setWindowTitle(ToQ(GetText()));
    client_->setFont(Font()->ToQFont());
    client_->setMouseTracking(true);
    client_->setAcceptDrops(AcceptFiles());
    LayoutFrame();
    widget_->setVisible(Visible());
}

void TCustomForm::LayoutFrame() {
    if (!widget_)
        return;
    int bar = MenuBarHeight();
    if (menuBar_)
        menuBar_->setGeometry(0, 0, Width(), bar);
    if (client_)
        client_->setGeometry(0, bar, Width(), std::max(0, Height() - bar));
}

bool TCustomForm::QtEvent(QEvent* event) {
    if (event->type() == QEvent::Close) {
        // The window's own close button asks the form, which decides.
        event->ignore();
        Close();
        return true;
    }
    if (event->type() == QEvent::WindowActivate) {
        if (OnActivate)
            OnActivate(this);
        return false;
    }
    if (event->type() == QEvent::WindowDeactivate) {
        if (OnDeactivate)
            OnDeactivate(this);
        return false;
    }
    return TWinControl::QtEvent(event);
}

namespace BvQt {

void ShowMinimized(QWidget* window) {
    window->showMinimized();
}
void ShowMaximized(QWidget* window) {
    window->showMaximized();
}
void ShowNormal(QWidget* window) {
    window->showNormal();
}
TRect RestoredWindowBounds(QWidget* window) {
    if (!(window->windowState() &
          (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        return {};
    const QRect normal = window->normalGeometry();
    if (!normal.isValid())
        return {};
    // normalGeometry is the client area's; Left and Top are the frame's, as pos() is.
    const QPoint frame = window->geometry().topLeft() - window->pos();
    return Bounds(normal.x() - frame.x(), normal.y() - frame.y(), normal.width(), normal.height());
}
void SetWindowTitle(QWidget* window, const std::string& title) {
    window->setWindowTitle(ToQ(title));
}
void SetApplicationModal(QWidget* window, bool modal) {
    window->setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
}

} // namespace BvQt
