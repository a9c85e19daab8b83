// The deleted-tracks list: its view and the restore and delete commands.
#include "TrackManager.h"

void TTrackManager::RefreshDeletedList() {
    std::vector<TViewLine> lines;
    const int rows = Model.DeletedHolder.StringsByName("Time").Count();
    for (int r = 0; r < rows; ++r) {
        try {
            std::string text = ExpandDisplayTemplate(
                Options.comboShowTracksAs,
                [&](int field, std::string& value) { Model.GetDeletedField(r, field, value); }, "");
            lines.push_back({std::move(text), r, r});
        } catch (const Exception&) {
            // A row that cannot be shown has no line; the view is not emptied.
        }
    }
    DeletedList.SetLines(std::move(lines));
    NotifyView(TViewId::DeletedList);
}
