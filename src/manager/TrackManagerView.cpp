// The track view: filling it from the shown playlist, selection and removal.
#include "TrackManager.h"

void TTrackManager::ShowPlaylist(int index) {
    std::vector<TViewLine> lines;
    if (index >= 0 && index < MaxPlaylists) {
        const TStringList& entries = Model.PlaylistTracks[static_cast<size_t>(index)];
        const std::string suffix = " " + Options.Label10;
        for (int k = 0; k < entries.Count(); ++k) {
            try {
                const int row = StrToInt(entries[k]);
                if (row < 0 || row >= Model.TrackCount())
                    continue;
                std::string text = ExpandDisplayTemplate(
                    Options.comboShowTracksAs,
                    [&](int field, std::string& value) { Model.GetTrackField(row, field, value); },
                    suffix);
                lines.push_back({std::move(text), k, row});
            } catch (const Exception&) {
                // A row that cannot be shown has no line; the others keep their rows.
            }
        }
    }
    BvPlaylist.SetLines(std::move(lines));
    NotifyView(TViewId::TrackView);
}

void TTrackManager::RefreshTrackView() {
    ShowPlaylist(ListBoxPlayLists.ItemIndex);
    RefreshDeletedList();
}

std::vector<int> TTrackManager::SelectedEntries() const {
    std::vector<int> entries;
    for (int line : BvPlaylist.Selected)
        if (line >= 0 && line < BvPlaylist.Count())
            entries.push_back(BvPlaylist.Lines[static_cast<size_t>(line)].Entry);
    return entries;
}
