// The QWidget behind a windowed control that paints itself, and the event filter that
// turns the events of Qt's own widgets into the control's messages.
#pragma once

#include "Controls.h"
#include "qt/WidgetBinding.h"

#include <QCursor>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

class TWinControl;

class TBvWidget : public QWidget {
public:
    TBvWidget(TWinControl* control, QWidget* parent);
    TWinControl* Control;
    // Moves the kept image's pixels inside rect, as the widget's own are moved.
    void ScrollBacking(int dx, int dy, const QRect& rect);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // The paint of a control larger than the screen.
    void PaintUnkept(QPaintEvent* event);

private:
    // What the control painted last, kept between paints: a paint redraws only the part
    // that was invalidated and puts only that part on screen.
    QImage backing_;
};

class TBvEventFilter : public QObject {
public:
    TBvEventFilter(TWinControl* control, QObject* parent) : QObject(parent), Control(control) {}
    TWinControl* Control;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A drag event over a form's frame (its menu bar) as one in client coordinates; null
    // for every other event.
    QEvent* ClientDropEvent(QObject* watched, QEvent* event) const;
};

// An image of a logical size in whole device pixels per logical pixel (the ratio rounded),
// for the canvas to draw a self-drawn face into sharply; the second form takes a widget's
// size and its screen's ratio.
QImage DeviceImage(const QSize& size, qreal devicePixelRatio);
QImage DeviceImage(const QWidget* widget);
// Whether the widget is no larger than its screen (the whole desktop): only then does a kept
// image of all of it cost no more than a screenful of pixels.
bool FitsTheScreen(const QWidget* widget);

// A Qt key as the system's virtual key (0 for keys it has none for); the keypad modifier
// tells the keypad's digits and operators from the main ones.
int QtKeyToVirtualKey(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier);

// The modifier keys and buttons of a Qt event as a mouse message's key flags, and as a
// shift state.
intptr_t QtKeys(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
TShiftState QtShift(Qt::KeyboardModifiers mods);
// The screen's cursor numbers as Qt's shapes.
QCursor QtCursor(TCursor cursor);

class QMimeData;
class QIcon;
namespace BvQt {
// A picture of the desktop's icon theme, Tango's where the desktop has none.
QIcon ThemeQIcon(const std::string& name);
// The local files a drag carries, as Linux paths in their own bytes (a name need not be
// UTF-8); web addresses and files of other machines are left out.
std::vector<std::string> DroppedLocalFiles(const QMimeData* mime);
} // namespace BvQt
