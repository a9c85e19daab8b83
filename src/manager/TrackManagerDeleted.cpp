// The deleted-tracks list: its view and the restore and delete commands.
#include "TrackManager.h"

#include "TrackTableRows.h"

#include <algorithm>

namespace {

// The deleted rows the selected lines show, in line order, each once.
std::vector<int> SelectedRows(const TListView& view, int rowCount) {
    std::vector<int> rows;
    std::vector<bool> seen(static_cast<size_t>(rowCount), false);
    for (int line : view.SelectedLines()) {
        const int row = view.Lines[static_cast<size_t>(line)].Row;
        if (row < 0 || row >= rowCount || seen[static_cast<size_t>(row)])
            continue;
        seen[static_cast<size_t>(row)] = true;
        rows.push_back(row);
    }
    return rows;
}

// Removes the rows together, so that no removal shifts a row still to be removed.
void RemoveRows(TBvMultiStringHolder& table, const std::vector<int>& rows) {
    std::vector<bool> remove(static_cast<size_t>(TableRowCount(table)), false);
    for (int row : rows)
        remove[static_cast<size_t>(row)] = true;
    RemoveTableRows(table, remove);
}

} // namespace

void TTrackManager::RefreshDeletedList() {
    std::vector<TViewLine> lines;
    const int rows = TableRowCount(Model.DeletedHolder);
    lines.reserve(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        try {
            std::string text = ExpandDisplayTemplate(
                Options.comboShowTracksAs,
                [&](TTrackColumn column, std::string& value) {
                    Model.GetDeletedField(r, column, value);
                },
                "");
            lines.push_back({std::move(text), r, r});
        } catch (const Exception&) {
            // A row that cannot be shown has no line; the view is not emptied.
        }
    }
    // Every refresh of the track view comes here; a list that did not change is not shown
    // again, which for a long list of wrapped lines costs a measure of every line.
    const auto same = [](const TViewLine& a, const TViewLineRef& b) {
        return a.Row == b.Row && a.Entry == b.Entry && a.Text == b.Text;
    };
    if (std::equal(lines.begin(), lines.end(), DeletedList.Lines.begin(), DeletedList.Lines.end(),
                   same))
        return;
    DeletedList.SetLines(std::move(lines), true);
    NotifyView(TViewId::DeletedList);
}

void TTrackManager::BvGroupDeletedExpanded() {
    BV_ASSERT_GUI_THREAD();
    RefreshDeletedList();
}

void TTrackManager::MenuItem1Click() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    const std::vector<int> rows = SelectedRows(DeletedList, TableRowCount(Model.DeletedHolder));
    if (!rows.empty()) {
        // Every row is read before any is removed, so each line restores the row it shows.
        std::vector<TTrackRowSnapshot> restored;
        restored.reserve(rows.size());
        for (int row : rows)
            restored.push_back(TableRow(Model.DeletedHolder, row));
        for (const TTrackRowSnapshot& r : restored)
            Model.AppendTrack(r);
        RemoveRows(Model.DeletedHolder, rows);
    }
    Model.SyncAllMusic();
    RefreshTrackView();
}

void TTrackManager::Delete1Click() {
    BV_ASSERT_GUI_THREAD();
    const std::vector<int> rows = SelectedRows(DeletedList, TableRowCount(Model.DeletedHolder));
    RemoveRows(Model.DeletedHolder, rows);
    RefreshDeletedList();
}

void TTrackManager::Clear4Click() {
    BV_ASSERT_GUI_THREAD();
    ClearTable(Model.DeletedHolder);
    RefreshDeletedList();
}
