// The track view: its creation, showing the manager's lines and selection, its keys, and the
// events of the boxes' own controls that the command map binds.
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
    // The lines come whole from the display template, which drops a file's own extension
    // itself; cut here, a title would lose everything after a full stop.
    BvPlaylist->SetShowExtension(true);
    // A track list runs to many thousands of lines: the box reads the manager's lines as they
    // come into sight rather than holding a copy (ShowListView binds them), so a list read
    // from a card is shown at once however long it is.
    BvPlaylist->SetVirtualEntries(
        0, [](int) { return std::string(); }, [](int) { return -1; });
}

void TForm1::ShowListView(TBvPlaylist* box, const TListView& view, uint64_t& shown) {
    const bool rebuilt = shown != view.Generation || box->Count() != view.Count();
    if (rebuilt && box->VirtualEntries()) {
        // The box draws the view's lines as they come into sight, with no copy of its own.
        const TListView* lines = &view;
        box->SetVirtualEntries(
            view.Count(),
            [lines](int i) {
                return i < lines->Count() ? std::string(lines->Lines.Text(size_t(i)))
                                          : std::string();
            },
            [lines](int i) { return i < lines->Count() ? lines->Lines.Row(size_t(i)) : -1; });
        shown = view.Generation;
    } else if (rebuilt) {
        std::vector<std::pair<std::string, int>> entries;
        entries.reserve(view.Lines.size());
        for (const TViewLineRef line : view.Lines)
            entries.emplace_back(std::string(line.Text), line.Row);
        box->SetEntries(entries);
        shown = view.Generation;
    }
    const int count = box->Count();
    // The focus and the selection go to the box together, in one step: a long list with
    // many lines selected costs one pass, not one merge per line.
    std::vector<int> selected;
    selected.reserve(view.Selected.size());
    for (int line : view.Selected)
        if (line >= 0 && line < count)
            selected.push_back(line);
    box->SetSelection(selected, view.ItemIndex);
    if (rebuilt && count > 0)
        box->SetTopIndex(std::min(std::max(view.TopIndex, 0), count - 1));
    // A line focused by a search is scrolled into sight.
    if (!rebuilt && view.ItemIndex >= 0 && view.ItemIndex < count) {
        const int top = box->TopIndex();
        const int rowHeight = std::max(1, box->ItemRect(top).Height());
        const int rows = std::max(1, box->ClientHeight() / rowHeight);
        if (view.ItemIndex < top || view.ItemIndex >= top + rows)
            box->SetTopIndex(std::max(0, view.ItemIndex - rows / 2));
    }
}

void TForm1::SyncTrackView() {
    ShowListView(BvPlaylist, Manager->BvPlaylist, ShownTrackLines);
    BvPlaylist->SetMultiLine(Manager->Options.cbMultiLinePlaylist);
}

void TForm1::BvPlaylistGLKeyDown(TControlEventArgs& args) {
    // Ctrl+A is the shortcut of Tracklist > Select all; the view sees the other keys.
    if ((args.Shift & ssCtrl) && args.Key == 'A')
        return;
    TKeyShift s;
    s.Shift = (args.Shift & ssShift) != 0;
    s.Ctrl = (args.Shift & ssCtrl) != 0;
    s.Alt = (args.Shift & ssAlt) != 0;
    Manager->BvPlaylistGLKeyDown(args.Key, s);
    // A moved line is focused where it went; the list must not move the focus again.
    if ((args.Key == VK_UP || args.Key == VK_DOWN) && s.Ctrl && !s.Shift && !s.Alt)
        args.Key = 0;
}

// ---- A press that becomes a drag out of a list ------------------------------------------
// A drag starts once the pressed mouse has moved a few pixels, so a click still selects and
// Ctrl or Shift with a click still extend the selection; only a list with lines can be
// dragged from.

void TForm1::ListMouseDown(TControlEventArgs& args) {
    DragPressBox =
        args.Button == TMouseButton::mbLeft ? dynamic_cast<TBvPlaylist*>(args.Sender) : nullptr;
    DragPressAt = Point(args.X, args.Y);
}

void TForm1::ListMouseMove(TControlEventArgs& args) {
    auto* box = dynamic_cast<TBvPlaylist*>(args.Sender);
    if (!box || DragPressBox != box)
        return;
    // A move without the button: it went up since the press, which is no drag any more.
    if (!(args.Shift & ssLeft)) {
        DragPressBox = nullptr;
        return;
    }
    const TListView* view = box == BvPlaylist    ? &Manager->BvPlaylist
                            : box == MediaDBList ? &Manager->MediaDBList
                                                 : &Manager->DeletedList;
    if (!view->DragEnabled)
        return;
    if (std::abs(args.X - DragPressAt.X) + std::abs(args.Y - DragPressAt.Y) < Mouse->DragThreshold)
        return;
    DragPressBox = nullptr;
    box->BeginDrag(true);
}

void TForm1::ListStartDrag(TControlEventArgs& args) {
    // A drag takes what it carries from the list as it leaves it; a drop uses exactly that.
    Manager->BeginDrag(DragSourceOf(args.Sender));
}

void TForm1::ListEndDrag(TControlEventArgs& args) {
    DragPressBox = nullptr;
    // A drag dropped nowhere carries nothing into the next one.
    if (!args.Source)
        Manager->EndDrag();
}
