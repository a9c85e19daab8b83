#include "TrackTableRows.h"

int AppendTableRow(TBvMultiStringHolder& table, const TTrackRowSnapshot& row) {
    for (TTrackColumn c : TrackColumns)
        TrackColumn(table, c).Add(row.*TrackRowField(c));
    return TrackColumn(table, TTrackColumn::FileName).Count() - 1;
}

TTrackRowSnapshot TableRow(const TBvMultiStringHolder& table, int row) {
    TTrackRowSnapshot r;
    for (TTrackColumn c : TrackColumns)
        r.*TrackRowField(c) = TrackColumn(table, c).Get(row);
    return r;
}

void RemoveTableRows(TBvMultiStringHolder& table, const std::vector<bool>& remove) {
    for (TTrackColumn c : TrackColumns) {
        TStringList& column = TrackColumn(table, c);
        std::vector<std::string> kept;
        kept.reserve(column.Items().size());
        const std::vector<std::string>& items = column.Items();
        for (size_t i = 0; i < items.size(); ++i)
            if (i >= remove.size() || !remove[i])
                kept.push_back(items[i]);
        if (kept.size() == items.size())
            continue;
        column.BeginUpdate();
        column.Clear();
        for (std::string& value : kept)
            column.Add(std::move(value));
        column.EndUpdate();
    }
}

void ClearTable(TBvMultiStringHolder& table) {
    for (TTrackColumn c : TrackColumns)
        TrackColumn(table, c).Clear();
}

int TableRowCount(const TBvMultiStringHolder& table) {
    return TrackColumn(table, TTrackColumn::Time).Count();
}

int AppendTableRow(TPackedTable& table, const TTrackRowSnapshot& row) {
    size_t added = 0;
    try {
        for (TTrackColumn c : TrackColumns) {
            TrackColumn(table, c).Add(row.*TrackRowField(c));
            ++added;
        }
    } catch (...) {
        // A column too full for the row: the columns that took it give it back, so that
        // they never differ in length.
        for (size_t i = 0; i < added; ++i) {
            TTextColumn& column = TrackColumn(table, TrackColumns[i]);
            column.Delete(column.Count() - 1);
        }
        throw;
    }
    return TrackColumn(table, TTrackColumn::FileName).Count() - 1;
}

TTrackRowSnapshot TableRow(const TPackedTable& table, int row) {
    TTrackRowSnapshot r;
    for (TTrackColumn c : TrackColumns)
        r.*TrackRowField(c) = TrackColumn(table, c).Get(row);
    return r;
}

void RemoveTableRows(TPackedTable& table, const std::vector<bool>& remove) {
    for (TTrackColumn c : TrackColumns)
        TrackColumn(table, c).Remove(remove);
}

void ClearTable(TPackedTable& table) {
    for (TTrackColumn c : TrackColumns)
        TrackColumn(table, c).Clear();
}

int TableRowCount(const TPackedTable& table) {
    return TrackColumn(table, TTrackColumn::Time).Count();
}

void PermuteTableRows(TPackedTable& table, const std::vector<int>& order) {
    for (TTrackColumn c : TrackColumns)
        TrackColumn(table, c).Permute(order);
}
