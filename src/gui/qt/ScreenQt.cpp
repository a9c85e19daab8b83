// What the screen object asks of Qt: the screen's size, the active and focused windows,
// the application-wide cursor and the installed fonts.
#include "Controls.h"
#include "qt/ControlWidget.h"
#include "qt/QtBridge.h"

#include <QApplication>
#include <QCursor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

namespace {
// The drag's cursor sits on top of the screen's own while the drag runs.
bool gDragCursorShown = false;
} // namespace

namespace BvQt {

int WheelScrollLines() {
    return HasApplication() ? QApplication::wheelScrollLines() : 3;
}

void PrimaryScreenSize(int& width, int& height) {
    if (auto* s = QGuiApplication::primaryScreen()) {
        width = s->geometry().width();
        height = s->geometry().height();
    }
}

TRect ScreenWorkArea(TPoint point) {
    QScreen* screen = QGuiApplication::screenAt(QPoint(point.X, point.Y));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return Rect(0, 0, 1024, 768);
    return FromQ(screen->availableGeometry());
}

TRect WindowFrameMargins(QWidget* window) {
    if (!window || !window->isWindow())
        return {};
    const QRect frame = window->frameGeometry(), client = window->geometry();
    return Rect(client.left() - frame.left(), client.top() - frame.top(),
                frame.right() - client.right(), frame.bottom() - client.bottom());
}

QWidget* ActiveWindow() {
    return QApplication::activeWindow();
}

TWinControl* FocusedControl() {
    QWidget* w = QApplication::focusWidget();
    if (!w)
        return nullptr;
    if (auto* bw = dynamic_cast<TBvWidget*>(w))
        return bw->Control;
    for (QObject* child : w->children())
        if (auto* filter = dynamic_cast<TBvEventFilter*>(child))
            return filter->Control;
    return nullptr;
}

void SetScreenCursor(int cursor) {
    if (!QGuiApplication::instance())
        return;
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    gDragCursorShown = false;
    if (cursor != crDefault)
        QGuiApplication::setOverrideCursor(QtCursor(cursor));
}

TPoint CursorPos() {
    QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

void SetCursorPos(TPoint pos) {
    QCursor::setPos(pos.X, pos.Y);
}

void SetDragCursor(int cursor) {
    if (!QGuiApplication::instance())
        return;
    if (cursor == crDefault) {
        if (gDragCursorShown)
            QGuiApplication::restoreOverrideCursor();
        gDragCursorShown = false;
        return;
    }
    if (gDragCursorShown)
        QGuiApplication::changeOverrideCursor(QtCursor(cursor));
    else
        QGuiApplication::setOverrideCursor(QtCursor(cursor));
    gDragCursorShown = true;
}

int ScreenPixelsPerInch() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    QScreen* screen = app ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? qRound(screen->logicalDotsPerInch()) : 0;
}

std::vector<std::string> FontFamilies() {
    std::vector<std::string> out;
    for (const QString& f : QFontDatabase::families())
        out.push_back(FromQ(f));
    return out;
}

} // namespace BvQt
