// What the screen object asks of Qt: the screen's size, the active and focused windows,
// the application-wide cursor and the installed fonts.
#include "Controls.h"
#include "qt/ControlWidget.h"
#include "qt/QtBridge.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

namespace BvQt {

void PrimaryScreenSize(int& width, int& height) {
    if (auto* s = QGuiApplication::primaryScreen()) {
        width = s->geometry().width();
        height = s->geometry().height();
    }
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
    if (cursor == crHourGlass)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else if (cursor != crDefault)
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
}

std::vector<std::string> FontFamilies() {
    std::vector<std::string> out;
    for (const QString& f : QFontDatabase::families())
        out.push_back(FromQ(f));
    return out;
}

} // namespace BvQt
