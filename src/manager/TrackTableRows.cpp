#include "TrackTableRows.h"

namespace {

struct TColumn {
    const char* Name;
    std::string TTrackRowSnapshot::*Field;
};

constexpr TColumn Columns[] = {
    {"Artist", &TTrackRowSnapshot::Artist},   {"Title", &TTrackRowSnapshot::Title},
    {"Album", &TTrackRowSnapshot::Album},     {"Time", &TTrackRowSnapshot::Time},
    {"Size", &TTrackRowSnapshot::Size},       {"FileName", &TTrackRowSnapshot::FileName},
    {"BitRate", &TTrackRowSnapshot::BitRate}, {"UID", &TTrackRowSnapshot::UID},
};

} // namespace

int AppendTableRow(TBvMultiStringHolder& table, const TTrackRowSnapshot& row) {
    for (const TColumn& c : Columns)
        table.StringsByName(c.Name).Add(row.*c.Field);
    return table.StringsByName("FileName").Count() - 1;
}

TTrackRowSnapshot TableRow(const TBvMultiStringHolder& table, int row) {
    TTrackRowSnapshot r;
    for (const TColumn& c : Columns)
        r.*c.Field = table.StringsByName(c.Name).Get(row);
    return r;
}

void RemoveTableRows(TBvMultiStringHolder& table, const std::vector<bool>& remove) {
    for (const TColumn& c : Columns) {
        TStringList& column = table.StringsByName(c.Name);
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
    for (const TColumn& c : Columns)
        table.StringsByName(c.Name).Clear();
}

int TableRowCount(const TBvMultiStringHolder& table) {
    return table.StringsByName("Time").Count();
}
