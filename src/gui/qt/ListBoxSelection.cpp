#include "qt/ListBoxSelection.h"

#include <algorithm>
#include <bit>

namespace {

using TBits = std::vector<uint64_t>;

bool Bit(const TBits& bits, int row) {
    return (bits[static_cast<size_t>(row) / 64] >> (static_cast<unsigned>(row) % 64)) & 1;
}

void SetBits(TBits& bits, int first, int last) {
    for (int row = first; row <= last;) {
        const size_t word = static_cast<size_t>(row) / 64;
        const unsigned from = static_cast<unsigned>(row) % 64;
        const unsigned to =
            static_cast<unsigned>(std::min(last - row, 63 - static_cast<int>(from))) + from;
        const uint64_t high = to == 63 ? ~uint64_t{0} : (uint64_t{1} << (to + 1)) - 1;
        bits[word] |= high & ~((uint64_t{1} << from) - 1);
        row += static_cast<int>(to - from) + 1;
    }
}

bool Any(const TBits& bits) {
    return std::any_of(bits.begin(), bits.end(), [](uint64_t w) { return w != 0; });
}

// Up to 64 bits from `pos` on, the first in the lowest bit.
uint64_t Read(const TBits& bits, size_t pos, unsigned n) {
    const size_t word = pos / 64;
    const unsigned offset = pos % 64;
    uint64_t v = bits[word] >> offset;
    if (offset != 0 && word + 1 < bits.size())
        v |= bits[word + 1] << (64 - offset);
    return n == 64 ? v : v & ((uint64_t{1} << n) - 1);
}

// Writes n bits at `pos`, whose bits the caller has left at zero.
void Write(TBits& bits, size_t pos, uint64_t v, unsigned n) {
    const size_t word = pos / 64;
    const unsigned offset = pos % 64;
    bits[word] |= v << offset;
    if (offset != 0 && offset + n > 64)
        bits[word + 1] |= v >> (64 - offset);
}

} // namespace

TListBoxSelection::TListBoxSelection(QAbstractItemModel* model, QObject* parent)
    : QItemSelectionModel(model, parent), count_(model ? model->rowCount() : 0) {
    held_ = Empty();
    making_ = Empty();
    if (!model)
        return;
    // Qt's model finishes the selection being made before rows come or go; so does this.
    connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex& parent, int, int) {
                if (!parent.isValid())
                    Finalize();
            });
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& parent, int first, int last) {
                if (!parent.isValid())
                    RowsInserted(first, last);
            });
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex& parent, int first, int last) {
                if (!parent.isValid())
                    RowsAboutToBeRemoved(first, last);
            });
    connect(model, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex& parent, int first, int last) {
                if (!parent.isValid())
                    RowsRemoved(first, last);
            });
    connect(model, &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex& from, int first, int last, const QModelIndex& to, int row) {
                if (!from.isValid() && !to.isValid())
                    RowsMoved(first, last, row);
            });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { ModelReset(); });
}

bool TListBoxSelection::RowSelected(int row) const {
    if (row < 0 || row >= count_)
        return false;
    bool selected = Bit(held_, row);
    if (makingAny_) {
        const bool making = Bit(making_, row);
        if ((command_ & Deselect) && selected)
            selected = !making;
        else if (command_ & Toggle)
            selected ^= making;
        else if ((command_ & Select) && !selected)
            selected = making;
    }
    return selected;
}

TListBoxSelection::TBits TListBoxSelection::Merged() const {
    TBits bits = held_;
    if (!makingAny_)
        return bits;
    for (size_t w = 0; w < bits.size(); ++w) {
        if (command_ & Deselect)
            bits[w] &= ~making_[w];
        else if (command_ & Toggle)
            bits[w] ^= making_[w];
        else if (command_ & Select)
            bits[w] |= making_[w];
    }
    return bits;
}

std::vector<int> TListBoxSelection::SelectedRows() const {
    const TBits bits = Merged();
    std::vector<int> rows;
    for (size_t w = 0; w < bits.size(); ++w)
        for (uint64_t v = bits[w]; v != 0; v &= v - 1)
            rows.push_back(static_cast<int>(w * 64) + std::countr_zero(v));
    return rows;
}

int TListBoxSelection::SelectedCount() const {
    int n = 0;
    for (uint64_t v : Merged())
        n += std::popcount(v);
    return n;
}

void TListBoxSelection::Finalize() {
    held_ = Merged();
    if (makingAny_) {
        std::fill(making_.begin(), making_.end(), 0);
        makingAny_ = false;
    }
}

void TListBoxSelection::Apply(const TBits& rows, SelectionFlags command) {
    if (command == NoUpdate)
        return;
    const TBits before = Merged();
    if (command & Clear) {
        std::fill(held_.begin(), held_.end(), 0);
        std::fill(making_.begin(), making_.end(), 0);
        makingAny_ = false;
    }
    if (!(command & Current))
        Finalize();
    if (command & (Toggle | Select | Deselect)) {
        command_ = command;
        making_ = rows;
        makingAny_ = Any(making_);
    }
    EmitChange(before, Merged());
}

QItemSelection TListBoxSelection::Span(int first, int last) const {
    if (first > last)
        return {};
    return QItemSelection(model()->index(first, 0), model()->index(last, 0));
}

void TListBoxSelection::EmitChange(const TBits& before, const TBits& after) {
    // The lines that changed, as one span each way: the view repaints what it shows of them.
    int selFirst = count_, selLast = -1, deselFirst = count_, deselLast = -1;
    for (size_t w = 0; w < after.size(); ++w) {
        const uint64_t on = after[w] & ~before[w];
        const uint64_t off = before[w] & ~after[w];
        const int base = static_cast<int>(w * 64);
        if (on != 0) {
            selFirst = std::min(selFirst, base + std::countr_zero(on));
            selLast = base + 63 - std::countl_zero(on);
        }
        if (off != 0) {
            deselFirst = std::min(deselFirst, base + std::countr_zero(off));
            deselLast = base + 63 - std::countl_zero(off);
        }
    }
    if (selLast >= 0 || deselLast >= 0)
        emit selectionChanged(Span(selFirst, selLast), Span(deselFirst, deselLast));
}

void TListBoxSelection::select(const QItemSelection& selection, SelectionFlags command) {
    if (!model() || command == NoUpdate)
        return;
    TBits rows = Empty();
    for (const QItemSelectionRange& range : selection) {
        if (!range.isValid() || range.parent().isValid() || range.model() != model())
            continue;
        const int first = std::max(range.top(), 0);
        const int last = std::min(range.bottom(), count_ - 1);
        if (first <= last)
            SetBits(rows, first, last);
    }
    Apply(rows, command);
}

void TListBoxSelection::ClearRows() {
    if (!makingAny_ && !Any(held_))
        return;
    Apply(Empty(), Clear);
}

void TListBoxSelection::clear() {
    ClearRows();
    clearCurrentIndex();
}

void TListBoxSelection::SetRows(const std::vector<int>& rows) {
    ClearRows();
    TBits bits = Empty();
    for (int row : rows)
        if (row >= 0 && row < count_)
            bits[static_cast<size_t>(row) / 64] |= uint64_t{1} << (static_cast<unsigned>(row) % 64);
    if (Any(bits))
        Apply(bits, Select);
}

void TListBoxSelection::Invert() {
    TBits gaps = Merged();
    for (uint64_t& w : gaps)
        w = ~w;
    if (count_ % 64 != 0 && !gaps.empty())
        gaps.back() &= (uint64_t{1} << (count_ % 64)) - 1;
    ClearRows();
    if (Any(gaps))
        Apply(gaps, Select);
}

// ---------------------------------------------------------------- rows that change

void TListBoxSelection::Rearrange(std::initializer_list<TPiece> pieces) {
    int rows = 0;
    for (const TPiece& p : pieces)
        rows += p.Rows;
    const int newCount = rows;
    const TBits oldHeld = std::move(held_);
    const TBits oldMaking = std::move(making_);
    count_ = newCount;
    held_ = Empty();
    making_ = Empty();
    size_t to = 0;
    for (const TPiece& p : pieces) {
        if (p.From >= 0) {
            for (size_t done = 0; done < static_cast<size_t>(p.Rows);) {
                const unsigned n =
                    static_cast<unsigned>(std::min<size_t>(64, static_cast<size_t>(p.Rows) - done));
                const size_t from = static_cast<size_t>(p.From) + done;
                Write(held_, to + done, Read(oldHeld, from, n), n);
                Write(making_, to + done, Read(oldMaking, from, n), n);
                done += n;
            }
        }
        to += static_cast<size_t>(p.Rows);
    }
    makingAny_ = Any(making_);
}

void TListBoxSelection::RowsInserted(int first, int last) {
    const int n = last - first + 1;
    Rearrange({{0, first}, {-1, n}, {first, count_ - first}});
}

void TListBoxSelection::RowsAboutToBeRemoved(int first, int last) {
    // As Qt's model: the selection being made is finished, and the chosen lines that go are
    // reported as no longer chosen while they still exist.
    Finalize();
    first = std::max(first, 0);
    last = std::min(last, count_ - 1);
    for (int row = first; row <= last; ++row)
        if (Bit(held_, row)) {
            emit selectionChanged(QItemSelection(), Span(first, last));
            return;
        }
}

void TListBoxSelection::RowsRemoved(int first, int last) {
    last = std::min(last, count_ - 1);
    if (first < 0 || first > last)
        return;
    Rearrange({{0, first}, {last + 1, count_ - last - 1}});
}

void TListBoxSelection::RowsMoved(int first, int last, int destination) {
    if (first < 0 || last >= count_ || first > last)
        return;
    const int n = last - first + 1;
    if (destination < first)
        Rearrange({{0, destination},
                   {first, n},
                   {destination, first - destination},
                   {last + 1, count_ - last - 1}});
    else if (destination > last + 1)
        Rearrange({{0, first},
                   {last + 1, destination - last - 1},
                   {first, n},
                   {destination, count_ - destination}});
}

void TListBoxSelection::ModelReset() {
    count_ = model() ? model()->rowCount() : 0;
    held_ = Empty();
    making_ = Empty();
    makingAny_ = false;
}
