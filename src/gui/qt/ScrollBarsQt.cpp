// Scroll bars in the system's terms over Qt's scroll areas: scroll information, the codes of
// WM_HSCROLL and WM_VSCROLL both ways, window scrolling, and the edit's formatting rectangle.
#include "Controls.h"
#include "qt/ControlWidget.h"
#include "qt/QtBridge.h"
#include "qt/WidgetBinding.h"

#include <QAbstractScrollArea>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVariant>

namespace {

struct TViewportMargins : QAbstractScrollArea {
    using QAbstractScrollArea::setViewportMargins;
};

// While a user's action is handed to the control, the position the action aims at.
constexpr const char* kTrackPos = "bvTrackPos";

QScrollBar* BarOf(QWidget* widget, int bar) {
    auto* area = dynamic_cast<QAbstractScrollArea*>(widget);
    if (!area)
        return nullptr;
    if (bar == SB_HORZ)
        return area->horizontalScrollBar();
    if (bar == SB_VERT)
        return area->verticalScrollBar();
    return nullptr;
}

int CodeOf(int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        return SB_LINEDOWN;
    case QAbstractSlider::SliderSingleStepSub:
        return SB_LINEUP;
    case QAbstractSlider::SliderPageStepAdd:
        return SB_PAGEDOWN;
    case QAbstractSlider::SliderPageStepSub:
        return SB_PAGEUP;
    case QAbstractSlider::SliderToMinimum:
        return SB_TOP;
    case QAbstractSlider::SliderToMaximum:
        return SB_BOTTOM;
    case QAbstractSlider::SliderMove:
        return SB_THUMBTRACK;
    default:
        return -1;
    }
}

void Route(TWinControl* control, QScrollBar* sb, uint32_t msg) {
    QObject::connect(sb, &QAbstractSlider::actionTriggered, sb, [control, sb, msg](int action) {
        int code = CodeOf(action);
        if (code < 0 || !IsControlAlive(control))
            return;
        // The slider has moved its position but not yet its value: the move is taken back
        // here and made again by the message's default handling.
        int target = sb->sliderPosition();
        sb->setSliderPosition(sb->value());
        sb->setProperty(kTrackPos, target);
        GuardedCall(control, [&] {
            control->Perform(msg, code | ((static_cast<intptr_t>(target) & 0xFFFF) << 16), 0);
            if (code != SB_THUMBTRACK)
                control->Perform(msg, SB_ENDSCROLL, 0);
        });
        sb->setProperty(kTrackPos, QVariant());
    });
    QObject::connect(sb, &QAbstractSlider::sliderReleased, sb, [control, sb, msg] {
        if (!IsControlAlive(control))
            return;
        int pos = sb->value();
        GuardedCall(control, [&] {
            control->Perform(msg, SB_THUMBPOSITION | ((static_cast<intptr_t>(pos) & 0xFFFF) << 16),
                             0);
            control->Perform(msg, SB_ENDSCROLL, 0);
        });
    });
}

} // namespace

namespace BvQt {

void SetEditFormatRect(QWidget* edit, const TRect& rect, int width, int height) {
    // A multi-line edit lays its text out in its viewport: the margins around the viewport
    // are those the rectangle leaves (Qt keeps the setter for subclasses).
    if (auto* area = dynamic_cast<QPlainTextEdit*>(edit)) {
        void (QAbstractScrollArea::*setMargins)(int, int, int, int) =
            &TViewportMargins::setViewportMargins;
        if (IsRectEmpty(rect))
            (area->*setMargins)(0, 0, 0, 0);
        else
            (area->*setMargins)(std::max(0, rect.Left), std::max(0, rect.Top),
                                std::max(0, width - rect.Right), std::max(0, height - rect.Bottom));
        return;
    }
    auto* e = dynamic_cast<QLineEdit*>(edit);
    if (!e)
        return;
    if (IsRectEmpty(rect)) {
        e->setTextMargins(0, 0, 0, 0);
        return;
    }
    e->setTextMargins(std::max(0, rect.Left), std::max(0, rect.Top),
                      std::max(0, width - rect.Right), std::max(0, height - rect.Bottom));
}

bool GetScrollInfo(QWidget* widget, int bar, TScrollInfo& info) {
    QScrollBar* sb = BarOf(widget, bar);
    if (!sb)
        return false;
    // The system's range runs to the last position plus the page less one.
    int page = std::max(0, sb->pageStep());
    if (info.fMask & SIF_RANGE) {
        info.nMin = sb->minimum();
        info.nMax = sb->maximum() + (page > 0 ? page - 1 : 0);
    }
    if (info.fMask & SIF_PAGE)
        info.nPage = static_cast<uint32_t>(page);
    if (info.fMask & SIF_POS)
        info.nPos = sb->value();
    if (info.fMask & SIF_TRACKPOS) {
        QVariant t = sb->property(kTrackPos);
        info.nTrackPos = t.isValid() ? t.toInt() : sb->sliderPosition();
    }
    return true;
}

bool SetScrollInfo(QWidget* widget, int bar, const TScrollInfo& info) {
    QScrollBar* sb = BarOf(widget, bar);
    if (!sb)
        return false;
    int page = (info.fMask & SIF_PAGE) ? static_cast<int>(info.nPage) : sb->pageStep();
    if (info.fMask & SIF_PAGE)
        sb->setPageStep(static_cast<int>(info.nPage));
    if (info.fMask & SIF_RANGE) {
        int last = info.nMax - (page > 0 ? page - 1 : 0);
        sb->setRange(info.nMin, std::max(info.nMin, last));
    }
    if (info.fMask & SIF_POS)
        sb->setValue(info.nPos);
    return true;
}

bool ApplyScrollCode(QWidget* widget, int bar, int code, int position) {
    QScrollBar* sb = BarOf(widget, bar);
    if (!sb)
        return false;
    QVariant t = sb->property(kTrackPos);
    switch (code) {
    case SB_LINEUP:
        sb->setValue(sb->value() - sb->singleStep());
        break;
    case SB_LINEDOWN:
        sb->setValue(sb->value() + sb->singleStep());
        break;
    case SB_PAGEUP:
        sb->setValue(sb->value() - sb->pageStep());
        break;
    case SB_PAGEDOWN:
        sb->setValue(sb->value() + sb->pageStep());
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        sb->setValue(t.isValid() ? t.toInt() : position);
        break;
    case SB_TOP:
        sb->setValue(sb->minimum());
        break;
    case SB_BOTTOM:
        sb->setValue(sb->maximum());
        break;
    default:
        break;
    }
    return true;
}

bool CanScroll(QWidget* widget, int bar) {
    QScrollBar* sb = BarOf(widget, bar);
    return sb && sb->isVisible() && sb->isEnabled() && sb->maximum() > sb->minimum();
}

void RouteScrollBars(TWinControl* control, QWidget* widget) {
    auto* area = dynamic_cast<QAbstractScrollArea*>(widget);
    if (!area)
        return;
    Route(control, area->verticalScrollBar(), WM_VSCROLL);
    Route(control, area->horizontalScrollBar(), WM_HSCROLL);
}

void ScrollWidget(QWidget* widget, int dx, int dy, const TRect* rect) {
    if (auto* bw = dynamic_cast<TBvWidget*>(widget))
        bw->ScrollBacking(dx, dy, rect ? ToQ(*rect) : bw->rect());
    if (auto* area = dynamic_cast<QAbstractScrollArea*>(widget))
        widget = area->viewport();
    if (rect)
        widget->scroll(dx, dy, ToQ(*rect));
    else
        widget->scroll(dx, dy);
}

} // namespace BvQt
