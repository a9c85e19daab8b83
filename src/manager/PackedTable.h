// The media library's table: the eight track columns, each packed in one block of text,
// for a library of a hundred thousand rows that must not cost several times its files.
// The other track tables stay string lists: they are small and change a row at a time.
#pragma once

#include "TextColumn.h"
#include "TrackColumns.h"

#include <array>
#include <string_view>

class TPackedTable {
public:
    TTextColumn& Column(TTrackColumn column) { return columns_[static_cast<size_t>(column)]; }
    const TTextColumn& Column(TTrackColumn column) const {
        return columns_[static_cast<size_t>(column)];
    }
    // The column whose name equals `name` by CompareText, as the string-list tables look
    // theirs up; EBvMultiStringHolderException "No item found with name "%s"" otherwise.
    TTextColumn& StringsByName(std::string_view name);
    const TTextColumn& StringsByName(std::string_view name) const;

    bool operator==(const TPackedTable& other) const = default;

private:
    std::array<TTextColumn, std::size(TrackColumns)> columns_;
};

inline TTextColumn& TrackColumn(TPackedTable& table, TTrackColumn column) {
    return table.Column(column);
}
inline const TTextColumn& TrackColumn(const TPackedTable& table, TTrackColumn column) {
    return table.Column(column);
}
