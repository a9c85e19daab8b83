// Playlists: create, rename, delete, clear, show, copy entries between them,
// reorder, and the drops onto the track view.
#include "TrackManager.h"

#include "RtFileUtils.h"

#include <algorithm>
#include <unordered_set>

namespace {

// Copies the rows of the selected track view lines into playlist `target`; each
// line names the row it really shows.
void CopySelectionToPlaylist(TTrackManager& m, int target) {
    if (target < 1 || target >= m.ListBoxPlayLists.Items.Count() || target >= MaxPlaylists)
        return;
    // The entries the playlist holds, as a set, so that each copied line costs one
    // lookup rather than a search of the whole playlist. Entries compare as texts.
    TStringList& list = m.Model.PlaylistTracks[static_cast<size_t>(target)];
    std::unordered_set<std::string> held(list.Items().begin(), list.Items().end());
    list.BeginUpdate();
    for (int line : m.BvPlaylist.SelectedLines()) {
        if (line < 0 || line >= m.BvPlaylist.Count())
            continue;
        std::string entry = IntToStr(m.BvPlaylist.Lines[static_cast<size_t>(line)].Row);
        if (held.insert(entry).second)
            list.Add(std::move(entry));
    }
    list.EndUpdate();
}

// Focuses the line that shows entry `entry` of the shown playlist, or else `fallback`.
void FocusEntry(TListView& view, int entry, int fallback) {
    for (int i = 0; i < view.Count(); ++i) {
        if (view.Lines[static_cast<size_t>(i)].Entry == entry) {
            view.FocusLine(i);
            return;
        }
    }
    view.FocusLine(fallback);
}

const TListView* DraggedView(const TTrackManager& m, TDragSource source) {
    switch (source) {
    case TDragSource::TrackView:
        return &m.BvPlaylist;
    case TDragSource::MediaDBList:
        return &m.MediaDBList;
    case TDragSource::DeletedList:
        return &m.DeletedList;
    default:
        return nullptr;
    }
}

// Whether the drag came from `source` and its view still shows the lines it had
// when the drag began (the same playlist, for the track view).
bool DragStillHolds(const TTrackManager& m, TDragSource source) {
    const TListView* view = DraggedView(m, source);
    if (!view || m.Drag.Source != source || view->Generation != m.Drag.Generation)
        return false;
    if (source == TDragSource::TrackView && m.Drag.Playlist != m.SelectedPlaylist())
        return false;
    for (int line : m.Drag.Lines)
        if (line < 0 || line >= view->Count())
            return false;
    return true;
}

} // namespace

void TTrackManager::AddToPlaylistUnique(const std::string& entry, int index) {
    if (index < 0 || index >= MaxPlaylists)
        return;
    TStringList& list = Model.PlaylistTracks[static_cast<size_t>(index)];
    if (list.IndexOf(entry) < 0)
        list.Add(entry);
}

void TTrackManager::RemovePlaylistSlot(int index) {
    if (index < 0 || index >= MaxPlaylists)
        return;
    for (int j = index; j < MaxPlaylists - 1; ++j)
        Model.PlaylistTracks[static_cast<size_t>(j)].Assign(
            Model.PlaylistTracks[static_cast<size_t>(j + 1)]);
    // The last slot is free now; left filled it would still feed the master list.
    Model.PlaylistTracks[MaxPlaylists - 1].Clear();
}

void TTrackManager::mbNewPlstClick() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    if (ListBoxPlayLists.Items.Count() >= MaxPlaylists) {
        ui_.ShowMessage(Messages.Text(MessageName::PlaylistLimit));
        return;
    }
    std::string name = Messages.Text(MessageName::NewPlaylist);
    if (!ui_.InputQuery(Messages.Text(MessageName::CreatePlaylist),
                        Messages.Text(MessageName::TypeNameOfPlaylist), name))
        return;
    ListBoxPlayLists.Items.Add(name);
    // The slot may still hold the entries of a playlist deleted earlier.
    Model.PlaylistTracks[static_cast<size_t>(ListBoxPlayLists.Items.Count() - 1)].Clear();
    NotifyView(TViewId::PlaylistBox);
}

void TTrackManager::Renameplaylist1Click() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    const int i = ListBoxPlayLists.ItemIndex;
    if (i < 0 || i >= ListBoxPlayLists.Items.Count())
        return;
    std::string name = ListBoxPlayLists.Items[i];
    if (!ui_.InputQuery(Messages.Text(MessageName::RenamePlaylist),
                        Messages.Text(MessageName::TypeNameOfPlaylist), name))
        return;
    ListBoxPlayLists.Items.Put(i, name);
    NotifyView(TViewId::PlaylistBox);
}

void TTrackManager::Deleteplaylist1Click() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    const int i = ListBoxPlayLists.ItemIndex;
    if (i < 0 || i >= ListBoxPlayLists.Items.Count())
        return;
    // The master playlist cannot be deleted.
    if (i >= 1) {
        RemovePlaylistSlot(i);
        ListBoxPlayLists.Items.Delete(i);
    }
    ListBoxPlayLists.ItemIndex = 0;
    NotifyView(TViewId::PlaylistBox);
    RefreshTrackView();
}

void TTrackManager::Clearplaylists2Click() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    for (auto& list : Model.PlaylistTracks)
        list.Clear();
    ListBoxPlayLists.Items.Clear();
    ListBoxPlayLists.Items.Add("All Music");
    ListBoxPlayLists.ItemIndex = 0;
    NotifyView(TViewId::PlaylistBox);
    RefreshTrackView();
}

void TTrackManager::ListBoxPlayListsClick(int index) {
    BV_ASSERT_GUI_THREAD();
    if (index >= 0 && index < ListBoxPlayLists.Items.Count())
        ListBoxPlayLists.ItemIndex = index;
    RefreshTrackView();
}

bool TTrackManager::ListBoxPlayListsDragOver(TDragSource source, int item) const {
    BV_ASSERT_GUI_THREAD();
    // Only the track view's selection can be dropped on a playlist name.
    return source == TDragSource::TrackView && item >= 0 && item < ListBoxPlayLists.Items.Count();
}

void TTrackManager::ListBoxPlayListsDragDrop(TDragSource source, int item) {
    BV_ASSERT_GUI_THREAD();
    const bool begun = Drag.Source != TDragSource::None;
    const bool holds = !begun || DragStillHolds(*this, TDragSource::TrackView);
    const TViewDrag drag = Drag;
    EndDrag();
    if (RefuseWhileBusy())
        return;
    // Only the track view's lines can be dropped on a playlist name.
    if (source != TDragSource::TrackView || !holds)
        return;
    if (begun)
        BvPlaylist.Selected = {drag.Lines.begin(), drag.Lines.end()};
    CopySelectionToPlaylist(*this, item);
}

void TTrackManager::MoveUp2Click() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    const int shown = SelectedPlaylist();
    const int f = BvPlaylist.ItemIndex;
    if (shown < 0 || shown >= MaxPlaylists || f <= 0 || f >= BvPlaylist.Count())
        return;
    const int from = BvPlaylist.Lines[static_cast<size_t>(f)].Entry;
    const int to = BvPlaylist.Lines[static_cast<size_t>(f - 1)].Entry;
    Model.PlaylistTracks[static_cast<size_t>(shown)].Exchange(from, to);
    RefreshTrackView();
    FocusEntry(BvPlaylist, to, f - 1);
    // The moved line shows focused and selected.
    NotifyView(TViewId::TrackView);
}

void TTrackManager::MoveDown2Click() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    const int shown = SelectedPlaylist();
    const int f = BvPlaylist.ItemIndex;
    if (shown < 0 || shown >= MaxPlaylists || f < 0 || f >= BvPlaylist.Count() - 1)
        return;
    const int from = BvPlaylist.Lines[static_cast<size_t>(f)].Entry;
    const int to = BvPlaylist.Lines[static_cast<size_t>(f + 1)].Entry;
    Model.PlaylistTracks[static_cast<size_t>(shown)].Exchange(from, to);
    RefreshTrackView();
    FocusEntry(BvPlaylist, to, f + 1);
    // The moved line shows focused and selected.
    NotifyView(TViewId::TrackView);
}

void TTrackManager::TrackListMenuPopup() {
    BV_ASSERT_GUI_THREAD();
    CopyToPlaylistItems.clear();
    for (int i = 1; i < ListBoxPlayLists.Items.Count() && i < MaxPlaylists; ++i)
        CopyToPlaylistItems.push_back(ListBoxPlayLists.Items[i]);
}

void TTrackManager::CopyToPlayListPopup1Click(int item) {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    // Item k targets playlist k + 1: names may repeat, positions do not.
    if (item < 0 || item >= static_cast<int>(CopyToPlaylistItems.size()))
        return;
    // A menu built before the playlists changed copies nothing.
    const int target = item + 1;
    if (target >= ListBoxPlayLists.Items.Count() ||
        ListBoxPlayLists.Items[target] != CopyToPlaylistItems[static_cast<size_t>(item)])
        return;
    CopySelectionToPlaylist(*this, target);
}

bool TTrackManager::BvPlaylistADragOver(TDragSource) const {
    BV_ASSERT_GUI_THREAD();
    return true;
}

void TTrackManager::BeginDrag(TDragSource source) {
    Drag = {};
    const TListView* view = DraggedView(*this, source);
    if (!view)
        return;
    Drag.Source = source;
    Drag.Generation = view->Generation;
    Drag.Playlist = SelectedPlaylist();
    Drag.FocusedLine = view->ItemIndex;
    Drag.Lines = view->SelectedLines();
}

void TTrackManager::BvPlaylistGLDragDrop(TDragSource source, int targetLine) {
    BV_ASSERT_GUI_THREAD();
    // A drag that began is dropped only while its lines are still the ones shown;
    // whatever happens, it is over after this drop.
    const bool begun = Drag.Source != TDragSource::None;
    const bool holds = !begun || DragStillHolds(*this, source);
    const TViewDrag drag = Drag;
    EndDrag();
    if (RefuseWhileBusy())
        return;
    if (!holds)
        return;
    switch (source) {
    case TDragSource::TrackView: {
        const int shown = SelectedPlaylist();
        const int f = begun ? drag.FocusedLine : BvPlaylist.ItemIndex;
        if (shown < 0 || shown >= MaxPlaylists || f < 0 || f >= BvPlaylist.Count())
            return;
        if (targetLine >= BvPlaylist.Count())
            targetLine = -1;
        if (targetLine == f)
            return;
        TStringList& list = Model.PlaylistTracks[static_cast<size_t>(shown)];
        const int from = BvPlaylist.Lines[static_cast<size_t>(f)].Entry;
        const int to = targetLine < 0 ? list.Count() - 1
                                      : BvPlaylist.Lines[static_cast<size_t>(targetLine)].Entry;
        if (from == to)
            return;
        list.Move(from, to);
        // The moved line alone is focused and selected where it landed.
        BvPlaylist.SelectNone();
        RefreshTrackView();
        BvPlaylist.SelectNone();
        FocusEntry(BvPlaylist, to, targetLine < 0 ? BvPlaylist.Count() - 1 : targetLine);
        NotifyView(TViewId::TrackView);
        return;
    }
    // Dropped lines do what the list's own command does, refusals and reports included,
    // on exactly the lines that were dragged.
    case TDragSource::MediaDBList:
        if (begun)
            MediaDBList.Selected = {drag.Lines.begin(), drag.Lines.end()};
        Copytotracklist1Click();
        return;
    case TDragSource::DeletedList:
        if (begun)
            DeletedList.Selected = {drag.Lines.begin(), drag.Lines.end()};
        MenuItem1Click();
        return;
    default:
        return;
    }
}
