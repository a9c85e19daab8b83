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
    ShowViewLines(BvPlaylist, Manager->BvPlaylist);
}

void TForm1::TrackViewKeyDown(uint16_t& key, TShiftState shift) {
    ReadSelections();
    TKeyShift s;
    s.Shift = (shift & ssShift) != 0;
    s.Ctrl = (shift & ssCtrl) != 0;
    s.Alt = (shift & ssAlt) != 0;
    Manager->BvPlaylistGLKeyDown(key, s);
}
