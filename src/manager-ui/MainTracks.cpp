// The track view: its creation, showing the manager's lines and selection, and its keys.
#include "Main.h"
#include "MainLayout.h"

void TForm1::CreateTrackView() {
    BvPlaylist = new TBvPlaylist(this);
    BvPlaylist->SetName("BvPlaylist");
    BvPlaylist->SetParent(this);
    UseWindowFont(BvPlaylist->Font());
    BvPlaylist->SetBounds(kColumnWidth + kSplitterWidth + 2, 0, 400, 300);
    BvPlaylist->SetAlign(TAlign::alClient);
    BvPlaylist->SetMultiSelect(true);
    BvPlaylist->SetShowNumbers(true);
    BvPlaylist->DragMode = TDragMode::dmAutomatic;
}

void TForm1::SyncTrackView() {
    const TListView& view = Manager->BvPlaylist;
    std::vector<std::pair<std::string, int>> entries;
    entries.reserve(view.Lines.size());
    for (const TViewLine& line : view.Lines)
        entries.emplace_back(line.Text, line.Row);
    BvPlaylist->SetEntries(entries);
    for (int line : view.Selected)
        BvPlaylist->SetSelected(line, true);
    if (view.ItemIndex >= 0 && view.ItemIndex < BvPlaylist->Items()->Count())
        BvPlaylist->SetItemIndex(view.ItemIndex);
}

void TForm1::TrackViewKeyDown(uint16_t& key, TShiftState shift) {
    ReadSelections();
    TKeyShift s;
    s.Shift = (shift & ssShift) != 0;
    s.Ctrl = (shift & ssCtrl) != 0;
    s.Alt = (shift & ssAlt) != 0;
    Manager->BvPlaylistGLKeyDown(key, s);
}
