#include "qt/ListBoxView.h"

#include "Forms.h"
#include "StdCtrls.h"
#include "qt/QtBridge.h"
#include "qt/WidgetBinding.h"

#include <QInputEvent>
#include <QPainter>
#include <QScrollBar>

TListBoxModel::TListBoxModel(TCustomListBox* owner) : owner_(owner), rows_(owner->Count()) {}

int TListBoxModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant TListBoxModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::DisplayRole && index.row() < owner_->Count())
        return ToQ(owner_->ItemText(index.row()));
    return {};
}

void TListBoxModel::Follow(const TStringsChange& c) {
    switch (c.Kind) {
    case TStringsChangeKind::Inserted:
        beginInsertRows({}, c.Index, c.Index);
        ++rows_;
        endInsertRows();
        return;
    case TStringsChangeKind::Deleted:
        beginRemoveRows({}, c.Index, c.Index);
        --rows_;
        endRemoveRows();
        return;
    case TStringsChangeKind::Replaced:
        emit dataChanged(index(c.Index, 0), index(c.Index, 0));
        return;
    case TStringsChangeKind::Exchanged:
        emit dataChanged(index(c.Index, 0), index(c.Index, 0));
        emit dataChanged(index(c.Other, 0), index(c.Other, 0));
        return;
    case TStringsChangeKind::Moved:
        if (beginMoveRows({}, c.Index, c.Index, {}, c.Other > c.Index ? c.Other + 1 : c.Other))
            endMoveRows();
        return;
    case TStringsChangeKind::Reset:
        Reset();
        return;
    }
}

void TListBoxModel::Reset() {
    beginResetModel();
    rows_ = owner_->Count();
    endResetModel();
}

void TListBoxModel::Relayout() {
    emit layoutAboutToBeChanged();
    emit layoutChanged();
}

void TListBoxModel::RowResized(int row) {
    if (row >= 0 && row < rows_)
        emit dataChanged(index(row, 0), index(row, 0), {Qt::SizeHintRole});
}

TBvListView::TBvListView(TCustomListBox* owner, QWidget* parent)
    : QAbstractItemView(parent), owner_(owner) {
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerItem);
    setAutoScroll(true);
}

TListBoxSelection* TBvListView::Selection() const {
    return static_cast<TListBoxSelection*>(selectionModel());
}

void TBvListView::setModel(QAbstractItemModel* model) {
    QAbstractItemView::setModel(model);
    QItemSelectionModel* made = selectionModel();
    setSelectionModel(new TListBoxSelection(model, this));
    delete made;
}

QItemSelectionModel::SelectionFlags TBvListView::selectionCommand(const QModelIndex& index,
                                                                  const QEvent* event) const {
    using Flags = QItemSelectionModel::SelectionFlags;
    Flags command = QAbstractItemView::selectionCommand(index, event);
    // Qt's view decides some commands by asking its selection model whether the line is
    // chosen, through a call that does not reach ours; the same decisions are made here with
    // the answer of ours.
    if (!event || !index.isValid())
        return command;
    const auto* input = dynamic_cast<const QInputEvent*>(event);
    const Qt::KeyboardModifiers mods = input ? input->modifiers() : Qt::NoModifier;
    const bool chosen = Selection()->RowSelected(index.row());
    const bool rows = command & QItemSelectionModel::Rows;
    const Flags behaviour = rows ? Flags(QItemSelectionModel::Rows) : Flags();
    const QEvent::Type type = event->type();
    if (selectionMode() == SingleSelection) {
        if ((mods & Qt::ControlModifier) && chosen && type != QEvent::MouseMove &&
            type != QEvent::MouseButtonRelease && command != QItemSelectionModel::NoUpdate)
            return QItemSelectionModel::Deselect | behaviour;
        return command;
    }
    const auto* mouse = dynamic_cast<const QMouseEvent*>(event);
    switch (type) {
    case QEvent::MouseButtonPress:
        pressed_ = index;
        ctrlDrag_ = QItemSelectionModel::NoUpdate;
        if (selectionMode() == ExtendedSelection && chosen &&
            !(mods & (Qt::ShiftModifier | Qt::ControlModifier)))
            return QItemSelectionModel::NoUpdate;
        // A toggle on a press is a select or a deselect by the pressed line's state, and a
        // drag from it does the same to the lines it passes.
        if (command & QItemSelectionModel::Toggle) {
            ctrlDrag_ = chosen ? QItemSelectionModel::Deselect : QItemSelectionModel::Select;
            return (command & ~QItemSelectionModel::Toggle) | ctrlDrag_;
        }
        return command;
    case QEvent::MouseButtonRelease:
        if (selectionMode() == ExtendedSelection && mouse && index == pressed_ && chosen &&
            state() != DragSelectingState && !(mods & (Qt::ShiftModifier | Qt::ControlModifier)) &&
            !(mouse->button() & Qt::RightButton))
            return QItemSelectionModel::ClearAndSelect | behaviour;
        return command;
    case QEvent::MouseMove:
        if ((command & QItemSelectionModel::Toggle) && ctrlDrag_ != QItemSelectionModel::NoUpdate)
            return (command & ~QItemSelectionModel::Toggle) | ctrlDrag_;
        return command;
    default:
        return command;
    }
}

void TBvListView::SelectionMoved() {
    if (inInput_ > 0)
        moved_ = true;
}

void TBvListView::SetVariableHeights(bool variable) {
    variable_ = variable;
    Remeasure();
}

bool TBvListView::event(QEvent* e) {
    return Deliver(e, [&] { return QAbstractItemView::event(e); });
}

bool TBvListView::viewportEvent(QEvent* e) {
    return Deliver(e, [&] { return QAbstractItemView::viewportEvent(e); });
}

template <class F> bool TBvListView::Deliver(QEvent* e, F handle) {
    if (!dynamic_cast<QInputEvent*>(e))
        return handle();
    ++inInput_;
    bool result = handle();
    if (--inInput_ == 0 && moved_) {
        moved_ = false;
        TCustomListBox* owner = owner_;
        if (IsControlAlive(owner) && owner->Parent())
            GuardedCall(owner, [owner] {
                owner->Parent()->Perform(WM_COMMAND, (LBN_SELCHANGE << 16),
                                         reinterpret_cast<intptr_t>(owner));
            });
    }
    return result;
}

// ---------------------------------------------------------------- row layout

int TBvListView::MeasureRow(int row) const {
    int h = 16;
    GuardedCall(owner_, [&] { h = owner_->MeasureItemHeight(row); });
    return std::max(0, h);
}

int TBvListView::RowHeight(int row) const {
    return variable_ ? heights_.Get(row) : uniformHeight_;
}

int64_t TBvListView::RowTop(int row) const {
    row = std::clamp(row, 0, count_);
    return variable_ ? heights_.Top(row) : static_cast<int64_t>(row) * uniformHeight_;
}

int TBvListView::RowAtOffset(int64_t offset) const {
    if (offset < 0)
        return 0;
    if (variable_)
        return heights_.RowAt(offset);
    if (uniformHeight_ <= 0)
        return count_;
    return static_cast<int>(std::min<int64_t>(count_, offset / uniformHeight_));
}

void TBvListView::MeasureOne(int row) const {
    if (measured_.empty() || row < 0 || row >= count_ || measured_[static_cast<size_t>(row)])
        return;
    measured_[static_cast<size_t>(row)] = 1;
    heights_.Set(row, MeasureRow(row));
    if (--unmeasured_ == 0)
        measured_ = {};
}

void TBvListView::MeasureDown(int row, int64_t pixels) const {
    int64_t filled = 0;
    for (row = std::max(row, 0); !measured_.empty() && row < count_ && filled <= pixels; ++row) {
        MeasureOne(row);
        filled += RowHeight(row);
    }
}

void TBvListView::MeasureUp(int row, int64_t pixels) const {
    int64_t filled = 0;
    for (row = std::min(row, count_ - 1); !measured_.empty() && row >= 0 && filled <= pixels;
         --row) {
        MeasureOne(row);
        filled += RowHeight(row);
    }
}

int TBvListView::TopToShowUpTo(int64_t bottom) const {
    const int64_t from = bottom - viewport()->height();
    if (from <= 0)
        return 0;
    int row = RowAtOffset(from);
    if (row < count_ && RowTop(row) < from)
        ++row;
    return std::clamp(row, 0, std::max(0, count_ - 1));
}

int TBvListView::RowWidth() const {
    return std::max(viewport()->width(), owner_->RowWidth());
}

void TBvListView::Remeasure() {
    count_ = model() ? model()->rowCount() : 0;
    measured_ = {};
    unmeasured_ = 0;
    if (variable_ && owner_->IsVirtual()) {
        // A virtual list may be long beyond any need to measure it whole.
        heights_.Assign(
            std::vector<int>(static_cast<size_t>(count_), std::max(1, owner_->ItemHeight())));
        if (count_ > 0) {
            measured_.assign(static_cast<size_t>(count_), 0);
            unmeasured_ = count_;
        }
        MeasureDown(TopRow(), viewport()->height());
    } else if (variable_) {
        std::vector<int> h(static_cast<size_t>(count_));
        for (int i = 0; i < count_; ++i)
            h[static_cast<size_t>(i)] = MeasureRow(i);
        heights_.Assign(h);
    } else {
        heights_.Clear();
        uniformHeight_ = MeasureRow(0);
    }
    updateGeometries();
    viewport()->update();
}

int TBvListView::TopRow() const {
    return std::clamp(verticalScrollBar()->value(), 0, std::max(0, count_ - 1));
}

void TBvListView::doItemsLayout() {
    Remeasure();
    QAbstractItemView::doItemsLayout();
}

void TBvListView::reset() {
    QAbstractItemView::reset();
    Remeasure();
}

void TBvListView::updateGeometries() {
    QAbstractItemView::updateGeometries();
    // The scroll range rests on the rows at the end alone.
    MeasureUp(count_ - 1, viewport()->height());
    const int lastTop = TopToShowUpTo(RowTop(count_));
    QScrollBar* v = verticalScrollBar();
    v->setSingleStep(1);
    v->setPageStep(std::max(1, count_ - lastTop));
    v->setRange(0, lastTop);
    QScrollBar* h = horizontalScrollBar();
    const int width = RowWidth();
    h->setSingleStep(std::max(1, fontMetrics().averageCharWidth()));
    h->setPageStep(std::max(1, viewport()->width()));
    h->setRange(0, std::max(0, width - viewport()->width()));
}

void TBvListView::scrollContentsBy(int, int) {
    // The bar counts items, not pixels: the visible rows are painted again.
    viewport()->update();
}

int TBvListView::horizontalOffset() const {
    return horizontalScrollBar()->value();
}

int TBvListView::verticalOffset() const {
    return static_cast<int>(RowTop(TopRow()));
}

QRect TBvListView::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= count_)
        return {};
    if (index.row() >= TopRow())
        MeasureDown(TopRow(), viewport()->height());
    const int64_t top = RowTop(index.row()) - RowTop(TopRow());
    return QRect(-horizontalOffset(), static_cast<int>(top), RowWidth(), RowHeight(index.row()));
}

QModelIndex TBvListView::indexAt(const QPoint& point) const {
    if (!model() || point.x() + horizontalOffset() >= RowWidth())
        return {};
    MeasureDown(TopRow(), std::max(point.y(), viewport()->height()));
    const int64_t offset = RowTop(TopRow()) + point.y();
    if (offset < 0)
        return {};
    int row = RowAtOffset(offset);
    return row < count_ ? model()->index(row, 0) : QModelIndex();
}

void TBvListView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid() || index.row() >= count_)
        return;
    const int row = index.row();
    const int height = viewport()->height();
    int top = TopRow();
    if (hint != PositionAtTop) {
        MeasureDown(top, height);
        MeasureUp(row, height);
        MeasureDown(row, height);
    }
    switch (hint) {
    case PositionAtTop:
        top = row;
        break;
    case PositionAtBottom:
        top = TopToShowUpTo(RowTop(row + 1));
        break;
    case PositionAtCenter:
        top = TopToShowUpTo(RowTop(row) + (RowHeight(row) + height) / 2);
        break;
    case EnsureVisible:
        if (row < top)
            top = row;
        else if (RowTop(row + 1) - RowTop(top) > height)
            top = std::min(row, TopToShowUpTo(RowTop(row + 1)));
        break;
    }
    verticalScrollBar()->setValue(top);
}

QModelIndex TBvListView::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
    if (count_ == 0 || !model())
        return {};
    QModelIndex cur = currentIndex();
    if (!cur.isValid())
        return model()->index(0, 0);
    const int row = cur.row();
    const int height = viewport()->height();
    if (action == MovePageUp)
        MeasureUp(row, height);
    else if (action == MovePageDown)
        MeasureDown(row, height);
    int target = row;
    switch (action) {
    case MoveUp:
    case MoveLeft:
    case MovePrevious:
        target = row - 1;
        break;
    case MoveDown:
    case MoveRight:
    case MoveNext:
        target = row + 1;
        break;
    case MoveHome:
        target = 0;
        break;
    case MoveEnd:
        target = count_ - 1;
        break;
    case MovePageUp: {
        // The row a page above, whose span still shows together with the current one.
        const int64_t from = RowTop(row + 1) - height;
        target = RowAtOffset(std::max<int64_t>(0, from));
        if (RowTop(target) < from)
            ++target;
        target = std::min(target, row - 1);
        break;
    }
    case MovePageDown:
        target = std::max(row + 1, RowAtOffset(RowTop(row) + height) - 1);
        break;
    }
    return model()->index(std::clamp(target, 0, count_ - 1), 0);
}

void TBvListView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    if (!model() || count_ == 0)
        return;
    QRect r = rect.normalized();
    MeasureDown(TopRow(), std::max(r.bottom(), viewport()->height()));
    const int64_t base = RowTop(TopRow());
    int first = RowAtOffset(std::max<int64_t>(0, base + r.top()));
    int last = RowAtOffset(std::max<int64_t>(0, base + r.bottom()));
    if (first >= count_)
        return;
    last = std::min(last, count_ - 1);
    selectionModel()->select(QItemSelection(model()->index(first, 0), model()->index(last, 0)),
                             command);
}

int TBvListView::LastVisibleRow() const {
    MeasureDown(TopRow(), viewport()->height());
    return std::min(count_ - 1, RowAtOffset(RowTop(TopRow()) + viewport()->height()));
}

QRegion TBvListView::visualRegionForSelection(const QItemSelection& selection) const {
    // Only the visible part of each range: a range over most of a long list costs no more.
    const int first = TopRow();
    const int last = LastVisibleRow();
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        const int top = std::max(range.top(), first);
        const int bottom = std::min(range.bottom(), last);
        if (top > bottom)
            continue;
        QRect a = visualRect(model()->index(top, 0));
        QRect b = visualRect(model()->index(bottom, 0));
        region += a.united(b);
    }
    return region;
}

void TBvListView::paintEvent(QPaintEvent* e) {
    QPainter painter(viewport());
    const QRect area = e->rect();
    painter.fillRect(area, palette().base());
    if (count_ == 0 || !model())
        return;
    MeasureDown(TopRow(), viewport()->height());
    const int64_t base = RowTop(TopRow());
    const int first = RowAtOffset(base + std::max(0, area.top()));
    const int last = std::min(count_ - 1, RowAtOffset(base + area.bottom()));
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QModelIndex current = currentIndex();
    for (int row = first; row <= last; ++row) {
        QModelIndex index = model()->index(row, 0);
        option.rect = visualRect(index);
        option.state = QStyle::State_None;
        if (isEnabled())
            option.state |= QStyle::State_Enabled;
        if (Selection()->RowSelected(row))
            option.state |= QStyle::State_Selected;
        if (index == current && hasFocus())
            option.state |= QStyle::State_HasFocus;
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

void TBvListView::rowsInserted(const QModelIndex& parent, int start, int end) {
    if (!parent.isValid()) {
        for (int row = start; row <= end; ++row) {
            ++count_;
            if (variable_)
                heights_.Insert(row, MeasureRow(row));
            if (!measured_.empty())
                measured_.insert(measured_.begin() + row, 1);
        }
        updateGeometries();
        if (start <= LastVisibleRow() + 1)
            viewport()->update();
    }
    QAbstractItemView::rowsInserted(parent, start, end);
}

void TBvListView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    QAbstractItemView::rowsAboutToBeRemoved(parent, start, end);
    if (parent.isValid())
        return;
    // Rows below the view leave what it shows as it is.
    if (start <= LastVisibleRow())
        viewport()->update();
    for (int row = end; row >= start; --row) {
        --count_;
        if (variable_)
            heights_.Erase(row);
        if (!measured_.empty()) {
            if (!measured_[static_cast<size_t>(row)])
                --unmeasured_;
            measured_.erase(measured_.begin() + row);
        }
    }
    if (unmeasured_ == 0)
        measured_ = {};
    updateGeometries();
}

void TBvListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                              const QList<int>& roles) {
    if (variable_ && topLeft.isValid() && bottomRight.isValid()) {
        bool resized = false;
        for (int row = topLeft.row(); row <= bottomRight.row() && row < count_; ++row) {
            if (!measured_.empty() && !measured_[static_cast<size_t>(row)]) {
                measured_[static_cast<size_t>(row)] = 1;
                --unmeasured_;
            }
            int h = MeasureRow(row);
            if (h != heights_.Get(row)) {
                heights_.Set(row, h);
                resized = true;
            }
        }
        if (unmeasured_ == 0)
            measured_ = {};
        if (resized) {
            updateGeometries();
            viewport()->update();
        }
    }
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}
