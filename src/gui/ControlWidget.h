// The QWidget behind a windowed control that paints itself, and the event filter that
// turns the events of Qt's own widgets into the control's messages.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

class TWinControl;

class TBvWidget : public QWidget {
public:
    TBvWidget(TWinControl* control, QWidget* parent);
    TWinControl* Control;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

class TBvEventFilter : public QObject {
public:
    TBvEventFilter(TWinControl* control, QObject* parent) : QObject(parent), Control(control) {}
    TWinControl* Control;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Qt key codes to the system's virtual keys and back.
int QtKeyToVirtualKey(int qtKey);
