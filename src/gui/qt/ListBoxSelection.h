// The chosen lines of a list box, one bit a line, behind Qt's selection model. Qt keeps a
// selection as a list of ranges that it searches line by line: a long list with every third
// line chosen is tens of thousands of ranges, and building them, painting, every click and
// every later change each went through them all. Here a line's state is one bit, a change
// costs the list's length in words, and what the user does keeps its meaning: each change
// follows the rules of Qt's model exactly (the selection being made, what finishes it, how
// Select, Deselect, Toggle, Clear and Current combine), so the view's mouse and key handling
// gives the same result as before.
#pragma once

#include <QItemSelectionModel>

#include <cstdint>
#include <initializer_list>
#include <vector>

class TListBoxSelection : public QItemSelectionModel {
public:
    TListBoxSelection(QAbstractItemModel* model, QObject* parent);

    bool RowSelected(int row) const;
    // The chosen lines in ascending order, and their number.
    std::vector<int> SelectedRows() const;
    int SelectedCount() const;
    // Nothing chosen, as Qt's clearSelection: it does nothing when nothing is held.
    void ClearRows();
    // The lines chosen are `rows` (any order; lines outside the list are left out), as
    // clearing and then selecting them does.
    void SetRows(const std::vector<int>& rows);
    // Every line not chosen becomes chosen and every chosen one not, as clearing and then
    // selecting the gaps does.
    void Invert();

    using QItemSelectionModel::select;
    void select(const QItemSelection& selection, SelectionFlags command) override;
    void clear() override;

private:
    using TBits = std::vector<uint64_t>;

    void Apply(const TBits& rows, SelectionFlags command);
    // The selection as the user sees it: what is held merged with the selection being made.
    TBits Merged() const;
    void Finalize();
    void EmitChange(const TBits& before, const TBits& after);
    QItemSelection Span(int first, int last) const;
    TBits Empty() const { return TBits(Words(), 0); }
    size_t Words() const { return (static_cast<size_t>(count_) + 63) / 64; }

    void RowsInserted(int first, int last);
    void RowsAboutToBeRemoved(int first, int last);
    void RowsRemoved(int first, int last);
    void RowsMoved(int first, int last, int destination);
    void ModelReset();
    // The rows rearranged: the new list is the given pieces (first old row, number of rows)
    // one after the other, a piece whose first row is -1 being new rows, not chosen.
    struct TPiece {
        int From;
        int Rows;
    };
    void Rearrange(std::initializer_list<TPiece> pieces);

    int count_ = 0;
    // Qt's two parts: the selection held, and the one being made with the command that
    // makes it (until a change without Current finishes it into the held one).
    TBits held_;
    TBits making_;
    bool makingAny_ = false;
    SelectionFlags command_ = NoUpdate;
};
