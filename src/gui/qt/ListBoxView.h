// The Qt side of a list box: its items as Qt's model, and the view that shows them. The view
// lays its rows out itself from their heights, so one item added, removed or changed costs
// the same however long the list is: Qt's list view places every row again on each change.
#pragma once

#include "RowHeights.h"
#include "Types.h"
#include "qt/ListBoxSelection.h"

#include <QAbstractItemView>
#include <QAbstractListModel>

#include <cstdint>
#include <vector>

class TCustomListBox;
struct TStringsChange;

// The list box's items as Qt's model. It hears of each change after the items made it, so
// it keeps its own row count and tells the view about the one row that changed, as a model
// over its own store would: the selection and current row follow, and nothing is reset.
class TListBoxModel : public QAbstractListModel {
public:
    explicit TListBoxModel(TCustomListBox* owner);
    int rowCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    void Follow(const TStringsChange& change);
    void Reset();
    // The rows stay, with their selection; the view asks for their sizes again.
    void Relayout();
    // One row's height changed.
    void RowResized(int row);

private:
    TCustomListBox* owner_;
    int rows_;
};

// The view behind a list box. Vertically it scrolls by whole items (the bar's position is
// the top item), sideways by pixels over the horizontal extent. The box hears of a
// selection the user changed (mouse or keyboard) once the input event is handled, when the
// selection is complete, and never of one changed in code.
class TBvListView : public QAbstractItemView {
public:
    TBvListView(TCustomListBox* owner, QWidget* parent);
    // The chosen lines: the view's selection model, set with its model.
    TListBoxSelection* Selection() const;
    void SelectionMoved();
    // Rows of their own heights (a variable-height list) or all of one height.
    void SetVariableHeights(bool variable);
    int TopRow() const;

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;
    void doItemsLayout() override;
    void reset() override;
    void setModel(QAbstractItemModel* model) override;

protected:
    bool event(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex&) const override { return false; }
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void paintEvent(QPaintEvent* e) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles) override;

private:
    template <class F> bool Deliver(QEvent* e, F handle);
    int MeasureRow(int row) const;
    int RowHeight(int row) const;
    int64_t RowTop(int row) const;
    int RowAtOffset(int64_t offset) const;
    // The smallest top row that shows everything from the top row down to the offset.
    int TopToShowUpTo(int64_t bottom) const;
    int RowWidth() const;
    int LastVisibleRow() const;
    void Remeasure();
    // Rows of a variable-height virtual list are measured when first needed: in sight, at
    // the end of the list (the scroll range), or passed by a page move. Until then a row
    // counts as one item height, which nothing on screen shows, so a long list opens at the
    // cost of the rows in sight. A list of stored items is measured whole, as it always was.
    // MeasureDown measures from the row down until the rows fill `pixels`, MeasureUp from the
    // row up.
    void MeasureOne(int row) const;
    void MeasureDown(int row, int64_t pixels) const;
    void MeasureUp(int row, int64_t pixels) const;

    TCustomListBox* owner_;
    bool variable_ = false;
    int count_ = 0;
    int uniformHeight_ = 16;
    mutable TRowHeights heights_;
    // One flag a row, 1 once measured; empty when every row is.
    mutable std::vector<uint8_t> measured_;
    mutable int unmeasured_ = 0;
    int inInput_ = 0;
    bool moved_ = false;
    // What Qt's view keeps of a press to decide the commands of the release and of a drag
    // with Ctrl held.
    mutable QPersistentModelIndex pressed_;
    mutable QItemSelectionModel::SelectionFlags ctrlDrag_ = QItemSelectionModel::NoUpdate;
};
