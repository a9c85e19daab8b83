// Making, setting up and letting go of the Qt widget behind a windowed control, and the
// small calls through which the control classes reach it.
#include "qt/WidgetBinding.h"

#include "Controls.h"
#include "Forms.h"
#include "Graphics.h"
#include "ScopeExit.h"
#include "qt/ControlWidget.h"
#include "qt/QtBridge.h"

#include <QAbstractScrollArea>
#include <QPixmap>
#include <QWidget>
#include <algorithm>

QWidget* TWinControl::CreateWidget(QWidget* parent) {
    return new TBvWidget(this, parent);
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.Caption = text_;
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (Visible())
        params.Style |= WS_VISIBLE;
    if (!Enabled())
        params.Style |= WS_DISABLED;
    if (TabStop)
        params.Style |= WS_TABSTOP;
    params.X = left_;
    params.Y = top_;
    params.Width = width_;
    params.Height = height_;
    params.WndParent = parent_;
}

void TWinControl::CreateWnd() {
    TCreateParams params;
    CreateParams(params);
    windowStyle_ = params.Style;
    windowExStyle_ = params.ExStyle;
    QWidget* parentWidget = parent_ ? parent_->ClientWidget() : nullptr;
    widget_ = CreateWidget(parentWidget);
    if (!parentWidget && (params.Style & WS_POPUP)) {
        // A popup window of the program's own (a picture that follows the pointer): above
        // every window, never active, and with WS_DISABLED no target for the mouse either.
        Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                Qt::WindowDoesNotAcceptFocus;
        if (params.Style & WS_DISABLED)
            flags |= Qt::WindowTransparentForInput;
        widget_->setWindowFlags(flags);
        widget_->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    if (!dynamic_cast<TBvWidget*>(widget_))
        widget_->installEventFilter(new TBvEventFilter(this, widget_));
    widget_->setMouseTracking(true);
    // Qt's scroll areas (list boxes, memos) take mouse and wheel input on their viewport.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget_)) {
        area->viewport()->installEventFilter(new TBvEventFilter(this, area->viewport()));
        area->viewport()->setMouseTracking(true);
    }
    BvQt::RouteScrollBars(this, widget_);
    ApplyWidgetState();
    CreateChildHandles();
}

void TWinControl::ApplyWidgetState() {
    if (!widget_)
        return;
    BvQt::SetGeometry(widget_, left_, top_, width_, height_);
    widget_->setEnabled(Enabled());
    widget_->setFont(Font()->ToQFont());
    if (parent_ || (windowStyle_ & WS_POPUP))
        widget_->setVisible(Visible());
    widget_->setAcceptDrops(acceptFiles_);
    if (Cursor() != crDefault)
        widget_->setCursor(QtCursor(Cursor()));
}

void TWinControl::DestroyWindowTree() {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if (auto* w = dynamic_cast<TWinControl*>(*it); w && w->widget_)
            w->DestroyWindowTree();
    DestroyWnd();
}

void TWinControl::RecreateWnd() {
    if (!widget_ || creatingHandle_)
        return;
    bool focused = widget_->hasFocus();
    bool shown = widget_->isVisible();
    DestroyWindowTree();
    creatingHandle_ = true;
    TScopeExit reset([&f = creatingHandle_] { f = false; });
    CreateWnd();
    if (!parent_ && shown)
        widget_->show();
    if (focused)
        widget_->setFocus(Qt::OtherFocusReason);
}

void TWinControl::DestroyWnd() {
    if (!widget_)
        return;
    QWidget* w = widget_;
    widget_ = nullptr;
    // Nothing left behind may reach the control once it is gone.
    if (auto* bw = dynamic_cast<TBvWidget*>(w); bw && bw->Control == this)
        bw->Control = nullptr;
    // Our classes carry no meta-object, so they are told apart by dynamic_cast.
    for (QObject* o : w->findChildren<QObject*>()) {
        if (auto* bw = dynamic_cast<TBvWidget*>(o); bw && bw->Control == this)
            bw->Control = nullptr;
        if (auto* filter = dynamic_cast<TBvEventFilter*>(o); filter && filter->Control == this)
            filter->Control = nullptr;
    }
    w->hide();
    w->setParent(nullptr);
    w->deleteLater();
}

namespace {
Qt::CursorShape StockCursorShape(TCursor cursor) {
    switch (cursor) {
    case crCross:
        return Qt::CrossCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crSizeNESW:
        return Qt::SizeBDiagCursor;
    case crSizeNS:
    case crVSplit:
        return Qt::SizeVerCursor;
    case crSizeNWSE:
        return Qt::SizeFDiagCursor;
    case crSizeWE:
    case crHSplit:
        return Qt::SizeHorCursor;
    case crUpArrow:
        return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait:
        return Qt::WaitCursor;
    case crAppStart:
        return Qt::BusyCursor;
    case crHelp:
        return Qt::WhatsThisCursor;
    case crDrag:
    case crMultiDrag:
        return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo:
        return Qt::ForbiddenCursor;
    case crHandPoint:
        return Qt::PointingHandCursor;
    case crSizeAll:
        return Qt::SizeAllCursor;
    case crNone:
        return Qt::BlankCursor;
    default:
        return Qt::ArrowCursor;
    }
}
} // namespace

QCursor QtCursor(TCursor cursor) {
    // A slot the program filled (the kit's drag cursors from 100 on) shows the stock cursor
    // or the drawn cursor it was given.
    if (cursor > 0 && Screen)
        cursor = static_cast<TCursor>(Screen->Cursors(cursor));
    if (const TDrawnCursor* drawn = FindDrawnCursor(cursor)) {
        QImage image(drawn->Width, drawn->Height, QImage::Format_ARGB32);
        for (int y = 0; y < drawn->Height; ++y)
            std::copy_n(drawn->Pixels.data() + static_cast<size_t>(y) * drawn->Width, drawn->Width,
                        reinterpret_cast<uint32_t*>(image.scanLine(y)));
        return QCursor(QPixmap::fromImage(image), drawn->HotSpot.X, drawn->HotSpot.Y);
    }
    return QCursor(StockCursorShape(cursor));
}

namespace BvQt {

void SetGeometry(QWidget* widget, int left, int top, int width, int height) {
    // A window's Left and Top are its frame's corner, as a window's position always is.
    if (widget->isWindow()) {
        widget->move(left, top);
        widget->resize(width, height);
        return;
    }
    widget->setGeometry(left, top, width, height);
}
void SetEnabled(QWidget* widget, bool enabled) {
    widget->setEnabled(enabled);
}
void SetVisible(QWidget* widget, bool visible) {
    widget->setVisible(visible);
}
bool IsVisible(const QWidget* widget) {
    return widget->isVisible();
}
void SetFont(QWidget* widget, const TFont& font) {
    widget->setFont(font.ToQFont());
}
void SetFocus(QWidget* widget) {
    widget->setFocus(Qt::OtherFocusReason);
}
bool HasFocus(const QWidget* widget) {
    return widget->hasFocus();
}
void Invalidate(QWidget* widget) {
    widget->update();
}
void InvalidateRect(QWidget* widget, const TRect& rect) {
    widget->update(ToQ(rect));
}
void Repaint(QWidget* widget) {
    widget->repaint();
}
void SetUpdatesEnabled(QWidget* widget, bool enabled) {
    widget->setUpdatesEnabled(enabled);
}
void Raise(QWidget* widget) {
    widget->raise();
}
void Detach(QWidget* widget) {
    widget->setParent(nullptr);
}
void DeleteWidget(QWidget* widget) {
    delete widget;
}
void SetAcceptDrops(QWidget* widget, bool accept) {
    widget->setAcceptDrops(accept);
}
void SetCursor(QWidget* widget, int cursor) {
    widget->setCursor(QtCursor(cursor));
}
TPoint GlobalClientOrigin(QWidget* widget) {
    QWidget* client = widget;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget))
        client = area->viewport();
    QPoint p = client->mapToGlobal(QPoint(0, 0));
    return {p.x(), p.y()};
}
TPoint WindowPosition(QWidget* widget) {
    QPoint p = widget->pos();
    return {p.x(), p.y()};
}

} // namespace BvQt
