// Whole-row operations on a track table, so that the eight columns are always
// changed together and never differ in length.
#pragma once

#include "BvStringHolder.h"
#include "PackedTable.h"
#include "TrackColumns.h"
#include "iTunesDB.h"

#include <vector>

// Appends the row to every column; returns its row index.
int AppendTableRow(TBvMultiStringHolder& table, const TTrackRowSnapshot& row);
// The eight values of a row; EListError for a row out of range.
TTrackRowSnapshot TableRow(const TBvMultiStringHolder& table, int row);
// Removes every row whose flag is set, keeping the others in order: the result of
// deleting them one by one from the highest index down, in one pass.
void RemoveTableRows(TBvMultiStringHolder& table, const std::vector<bool>& remove);
// Empties every column.
void ClearTable(TBvMultiStringHolder& table);
// The row count, taken from the Time column as the views count rows.
int TableRowCount(const TBvMultiStringHolder& table);

// The same for the media library's packed table.
int AppendTableRow(TPackedTable& table, const TTrackRowSnapshot& row);
TTrackRowSnapshot TableRow(const TPackedTable& table, int row);
void RemoveTableRows(TPackedTable& table, const std::vector<bool>& remove);
void ClearTable(TPackedTable& table);
int TableRowCount(const TPackedTable& table);
// Reorders every column alike: row i becomes the row that was at order[i].
void PermuteTableRows(TPackedTable& table, const std::vector<int>& order);
