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
}

void TForm1::UseBoxFont(TFont* font) {
    UseWindowFont(font);
    font->SetColor(clWindowText);
    font->SetStyle(0);
}

void TForm1::ShowListView(TBvPlaylist* box, const TListView& view, uint64_t& shown) {
    const bool rebuilt = shown != view.Generation || box->Items()->Count() != view.Count();
    if (rebuilt) {
        std::vector<std::pair<std::string, int>> entries;
        entries.reserve(view.Lines.size());
        for (const TViewLine& line : view.Lines)
            entries.emplace_back(line.Text, line.Row);
        box->SetEntries(entries);
        shown = view.Generation;
    } else if (view.ItemIndex < 0) {
        box->SetItemIndex(-1); // clears the selection too
    }
    const int count = box->Items()->Count();
    // Focusing a line selects it alone, so the focus goes first and the selection after.
    if (view.ItemIndex >= 0 && view.ItemIndex < count)
        box->SetItemIndex(view.ItemIndex);
    for (int line : view.Selected)
        if (line >= 0 && line < count)
            box->SetSelected(line, true);
    if (view.ItemIndex >= 0 && view.ItemIndex < count && !view.IsSelected(view.ItemIndex))
        box->SetSelected(view.ItemIndex, false);
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
    (void)view.DragEnabled; // read when a press turns into a drag
}

void TForm1::SyncTrackView() {
    ShowListView(BvPlaylist, Manager->BvPlaylist, ShownTrackLines);
    BvPlaylist->SetMultiLine(Manager->Options.cbMultiLinePlaylist);
}

void TForm1::TrackViewKeyDown(uint16_t& key, TShiftState shift) {
    ReadSelections();
    TKeyShift s;
    s.Shift = (shift & ssShift) != 0;
    s.Ctrl = (shift & ssCtrl) != 0;
    s.Alt = (shift & ssAlt) != 0;
    Manager->BvPlaylistGLKeyDown(key, s);
    // A moved line is focused where it went; the list must not move the focus again.
    if ((key == VK_UP || key == VK_DOWN) && s.Ctrl && !s.Shift && !s.Alt)
        key = 0;
}

void TForm1::BindBoxes() {
    // A drag takes what it carries from the view as it leaves it; a drop uses exactly that.
    auto dragFrom = [this](TBvPlaylist* box, TDragSource source) {
        box->OnStartDrag = [this, source](TObject*, TDragObject*&) {
            ReadSelections();
            Manager->BeginDrag(source);
        };
        box->OnEndDrag = [this](TObject*, TObject* target, int, int) {
            // A drag dropped nowhere carries nothing into the next one.
            if (!target)
                Manager->EndDrag();
        };
    };
    // A drag starts once the pressed mouse has moved a few pixels, so a click still selects
    // and Ctrl or Shift with a click still extend the selection; only a list with lines can be
    // dragged from.
    auto pressToDrag = [this](TBvPlaylist* box, const TListView* view) {
        box->OnMouseDown = [this, box](TObject*, TMouseButton button, TShiftState, int x, int y) {
            DragPressBox = button == TMouseButton::mbLeft ? box : nullptr;
            DragPressAt = Point(x, y);
        };
        box->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) {
            DragPressBox = nullptr;
        };
        return [this, box, view](TShiftState shift, int x, int y) {
            if (DragPressBox != box || !(shift & ssLeft) || !view->DragEnabled)
                return;
            if (std::abs(x - DragPressAt.X) + std::abs(y - DragPressAt.Y) < Mouse->DragThreshold)
                return;
            DragPressBox = nullptr;
            box->BeginDrag(true);
        };
    };
    auto trackDrag = pressToDrag(BvPlaylist, &Manager->BvPlaylist);
    auto libraryDrag = pressToDrag(MediaDBList, &Manager->MediaDBList);
    auto deletedDrag = pressToDrag(DeletedList, &Manager->DeletedList);
    MediaDBList->OnMouseMove = [libraryDrag](TObject*, TShiftState shift, int x, int y) {
        libraryDrag(shift, x, y);
    };
    DeletedList->OnMouseMove = [deletedDrag](TObject*, TShiftState shift, int x, int y) {
        deletedDrag(shift, x, y);
    };
    dragFrom(BvPlaylist, TDragSource::TrackView);
    dragFrom(MediaDBList, TDragSource::MediaDBList);
    dragFrom(DeletedList, TDragSource::DeletedList);
    BindEvent(BvPlaylist, "dragging lines out of a list", "BeginDrag", [] {});
    // The deleted list refuses drops like the library does.
    DeletedList->OnDragOver = [this](TObject*, TObject*, int, int, TDragState, bool& accept) {
        accept = false;
        (void)this;
    };
    BvGroupDeleted->OnDragOver = DeletedList->OnDragOver;

    // The row number stays out of sight when the box shows its children.
    auto tagsExpanded = bvGroupBoxTags->OnExpanded;
    bvGroupBoxTags->OnExpanded = [this, tagsExpanded](TObject* sender) {
        if (tagsExpanded)
            tagsExpanded(sender);
        lbUID->SetVisible(false);
    };

    // The hint follows the mouse over the track view.
    BvPlaylist->OnMouseMove = [this, trackDrag](TObject*, TShiftState shift, int x, int y) {
        Manager->BvPlaylistGLMouseMove({x, y});
        SyncHintTimers();
        trackDrag(shift, x, y);
    };
    BvPlaylist->OnMouseEnter = [this](TObject*) {
        Manager->BvPlaylistMouseEnter();
        SyncHintTimers();
    };
    BvPlaylist->OnMouseLeave = [this](TObject*) {
        Manager->BvPlaylistMouseLeave();
        SyncHintTimers();
    };
    BindEvent(BvPlaylist, "mouse over the track view", "BvPlaylistGLMouseMove", [] {});
    BvPlaylist->OnDblClick = [this](TObject*) {
        RunHandler("BvPlaylistDblClick", [this] { OpenTagEditorAtMouse(false); });
    };
    BindEvent(BvPlaylist, "double-click on the track view", "BvPlaylistDblClick",
              [this] { OpenTagEditorAtMouse(false); });

    BindTimer(TimerBeforeShow, "TimerBeforeShowTimer", [this] { TimerBeforeShowTimer(); });
    BindTimer(TimerAfterShow, "TimerAfterShowTimer", [this] { TimerAfterShowTimer(); });
    PanelHint->OnMouseEnter = [this](TObject*) {
        Manager->PanelHintMouseEnter();
        SyncHintTimers();
    };
    // Leaving the panel, or its label or check box, starts the hide delay wherever the pointer
    // goes; the pointer's place at the leave is not asked, as it may not have been updated yet.
    // Moving onto the panel's own label or check box enters it again, and any move over the
    // panel keeps the hint, so the delay stops while the pointer stays on it.
    PanelHint->OnMouseLeave = [this](TObject*) {
        Manager->PanelHintMouseLeave();
        TimerAfterShow->SetEnabled(false); // counts from the leave
        SyncHintTimers();
    };
    auto keepHint = [this](TObject*, TShiftState, int, int) {
        if (!TimerAfterShow->Enabled() || !PanelHint->Visible())
            return;
        Manager->PanelHintMouseEnter();
        SyncHintTimers();
    };
    PanelHint->OnMouseMove = keepHint;
    LabelPopupText->OnMouseMove = keepHint;
    cbInfoHints->OnMouseMove = keepHint;
    auto hintDblClick = [this](TObject*) {
        RunHandler("LabelPopupTextDblClick", [this] { OpenTagEditorAtMouse(true); });
    };
    PanelHint->OnDblClick = hintDblClick;
    LabelPopupText->OnDblClick = hintDblClick;
    BindEvent(PanelHint, "double-click on the hint", "LabelPopupTextDblClick",
              [this] { OpenTagEditorAtMouse(true); });
    BindButton(cbInfoHints, "cbInfoHintsClick", [this] {
        Manager->cbInfoHintsClick(cbInfoHints->Checked());
        if (!cbInfoHints->Checked())
            TimerAfterShowTimer();
    });
}
