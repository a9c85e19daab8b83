// The Qt side of the scroll box (its scroll bar) and of the hint window (a tool-tip window).
#include "ExtCtrls.h"
#include "qt/ControlWidget.h"
#include "qt/QtBridge.h"

#include <QScrollBar>
#include <QWidget>

QWidget* TScrollBox::CreateWidget(QWidget* parent) {
    QWidget* w = TCustomControl::CreateWidget(parent);
    bar_ = new QScrollBar(Qt::Vertical, w);
    bar_->setVisible(false);
    QObject::connect(bar_, &QScrollBar::valueChanged, [this](int v) {
        if (!updating_)
            SetVertPosition(v);
    });
    return w;
}

QWidget* THintWindow::CreateWidget(QWidget*) {
    auto* w = new TBvWidget(this, nullptr);
    w->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    return w;
}

namespace BvQt {

void SetScrollBar(QScrollBar* bar, const TRect& bounds, int maximum, int page, int step,
                  int position, bool visible) {
    bar->setGeometry(ToQ(bounds));
    bar->setRange(0, maximum);
    bar->setPageStep(page);
    bar->setSingleStep(step);
    bar->setValue(position);
    bar->setVisible(visible);
    bar->raise();
}

} // namespace BvQt
