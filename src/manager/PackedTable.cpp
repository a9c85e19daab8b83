#include "PackedTable.h"

TTextColumn& TPackedTable::StringsByName(std::string_view name) {
    for (TTrackColumn column : TrackColumns)
        if (CompareText(TrackColumnName(column), name) == 0)
            return Column(column);
    throw EBvMultiStringHolderException(
        Format("No item found with name \"%s\"", {std::string(name)}));
}

const TTextColumn& TPackedTable::StringsByName(std::string_view name) const {
    return const_cast<TPackedTable*>(this)->StringsByName(name);
}
