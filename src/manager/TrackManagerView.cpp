// The track view: filling it from the shown playlist, selection and removal.
#include "TrackManager.h"

#include "RtFileUtils.h"
#include "SafeFiles.h"
#include "ScopeExit.h"
#include "TrackManagerUpdateState.h"
#include "TrackTableRows.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace {

// A card file is deleted only when it is a plain file (or a link, removed as a link):
// never a folder or every file a wildcard matches, and never through a link on the card,
// which could lead to a file anywhere on the computer.
bool DeleteCardFile(const std::string& fileName) {
    if (fileName.find_first_of("*?") != std::string::npos)
        return false;
    try {
        return ContainedDeleteFile(fileName);
    } catch (const Exception&) {
        return false;
    }
}

} // namespace

void TTrackManager::AppendPlaylistLines(int index, int from, int to,
                                        std::vector<TViewLine>& lines) {
    if (index < 0 || index >= MaxPlaylists)
        return;
    const TStringList& entries = Model.PlaylistTracks[static_cast<size_t>(index)];
    const std::string suffix = " " + Options.Label10;
    to = std::min(to, entries.Count());
    for (int k = std::max(from, 0); k < to; ++k) {
        try {
            const int row = StrToInt(entries[k]);
            if (row < 0 || row >= Model.TrackCount())
                continue;
            std::string text = ExpandDisplayTemplate(
                Options.comboShowTracksAs,
                [&](TTrackColumn column, std::string& value) {
                    Model.GetTrackField(row, column, value);
                },
                suffix);
            lines.push_back({std::move(text), k, row, Model.RowSerial(row)});
        } catch (const Exception&) {
            // A row that cannot be shown has no line; the others keep their rows.
        }
    }
}

void TTrackManager::ShowPlaylist(int index) {
    std::vector<TViewLine> lines;
    AppendPlaylistLines(index, 0, std::numeric_limits<int>::max(), lines);
    // Showing the same playlist again keeps the selection, focus and scroll position
    // of the tracks that are still there; another playlist starts afresh.
    BvPlaylist.SetLines(std::move(lines), index == BvPlaylistShows);
    BvPlaylistShows = index;
    NotifyView(TViewId::TrackView);
}

void TTrackManager::FollowTagEditorRow() {
    // The tag editor follows its row; once the row is gone it edits nothing.
    if (TagEditor.RowSerial != 0) {
        const int row = Model.RowOfSerial(TagEditor.RowSerial);
        if (row < 0) {
            const bool expanded = TagEditor.Expanded;
            TagEditor = {};
            TagEditor.Expanded = expanded;
        } else {
            TagEditor.lbUID = IntToStr(row);
        }
        NotifyView(TViewId::TagEditor);
    }
}

void TTrackManager::RefreshTrackView() {
    ShowPlaylist(ListBoxPlayLists.ItemIndex);
    RefreshDeletedList();
    FollowTagEditorRow();
}

// ---- The refresh in pieces -------------------------------------------------------------

struct TTrackManager::TViewFill {
    int Playlist = -1;
    int Next = 0;
    // The view's lines when the fill began: a refresh that came between shows newer ones.
    uint64_t Generation = 0;
    std::vector<TViewLine> Lines;
    bool Built = false;
    std::function<void()> Done;
    TMainThreadTimer Timer;
};

void TTrackManager::RefreshTrackViewInPieces(std::function<void()> done) {
    BV_ASSERT_GUI_THREAD();
    // One fill at a time: one that still runs ends here, its lines left to this one.
    if (viewFill_)
        EndViewFill();
    if (AddPieceMs <= 0) {
        Queue([alive = UpdateStateOf(*this).Alive, done = std::move(done)] {
            if (!*alive)
                return;
            TScopeExit ended([&done] {
                if (done)
                    done();
            });
            (*alive)->RefreshTrackView();
        });
        return;
    }
    auto fill = std::make_shared<TViewFill>();
    fill->Playlist = ListBoxPlayLists.ItemIndex;
    fill->Generation = BvPlaylist.Generation;
    fill->Done = std::move(done);
    viewFill_ = fill;
    // A timer's tick runs one piece per turn of the event loop, as the add's pieces do.
    fill->Timer.SetInterval(1);
    fill->Timer.SetOnTimer([this] { ViewFillPiece(); });
    fill->Timer.SetEnabled(true);
}

void TTrackManager::ViewFillPiece() {
    std::shared_ptr<TViewFill> fill = viewFill_;
    if (!fill)
        return;
    // The fill ends however its last piece ends.
    bool ended = false;
    TScopeExit end([this, &ended] {
        if (ended)
            EndViewFill();
    });
    if (BvPlaylist.Generation != fill->Generation || ListBoxPlayLists.ItemIndex != fill->Playlist) {
        // A refresh or another playlist came between: the view shows newer lines than these.
        ended = true;
        RefreshDeletedList();
        FollowTagEditorRow();
        return;
    }
    if (!fill->Built) {
        const int count = fill->Playlist >= 0 && fill->Playlist < MaxPlaylists
                              ? Model.PlaylistTracks[static_cast<size_t>(fill->Playlist)].Count()
                              : 0;
        if (fill->Lines.capacity() == 0)
            fill->Lines.reserve(static_cast<size_t>(count));
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(AddPieceMs);
        constexpr int Slice = 512;
        while (fill->Next < count && std::chrono::steady_clock::now() < until) {
            const int to = std::min(count, fill->Next + Slice);
            AppendPlaylistLines(fill->Playlist, fill->Next, to, fill->Lines);
            fill->Next = to;
        }
        // The made lines are shown on a turn of their own.
        fill->Built = fill->Next >= count;
        return;
    }
    ended = true;
    BvPlaylist.SetLines(std::move(fill->Lines), fill->Playlist == BvPlaylistShows);
    BvPlaylistShows = fill->Playlist;
    NotifyView(TViewId::TrackView);
    RefreshDeletedList();
    FollowTagEditorRow();
}

void TTrackManager::EndViewFill() {
    std::shared_ptr<TViewFill> fill = std::move(viewFill_);
    if (!fill)
        return;
    fill->Timer.SetEnabled(false);
    // The timer goes on the next pump, not inside its own tick.
    Queue([fill] {});
    if (fill->Done)
        fill->Done();
}

std::vector<int> TTrackManager::SelectedEntries() const {
    std::vector<int> entries;
    for (int line : BvPlaylist.Selected)
        if (line >= 0 && line < BvPlaylist.Count())
            entries.push_back(BvPlaylist.Lines[static_cast<size_t>(line)].Entry);
    return entries;
}

void TTrackManager::btnRemoveClick() {
    BV_ASSERT_GUI_THREAD();
    if (RefuseWhileBusy())
        return;
    const int shown = SelectedPlaylist();
    if (shown < 0 || shown >= MaxPlaylists)
        return;
    if (shown > 0) {
        // A user playlist only loses its entries, all in one pass.
        TStringList& list = Model.PlaylistTracks[static_cast<size_t>(shown)];
        std::vector<bool> drop(static_cast<size_t>(list.Count()), false);
        bool any = false;
        for (int entry : SelectedEntries()) {
            if (entry >= 0 && entry < list.Count()) {
                drop[static_cast<size_t>(entry)] = true;
                any = true;
            }
        }
        if (any) {
            std::vector<std::string> kept;
            kept.reserve(drop.size());
            for (int k = 0; k < list.Count(); ++k)
                if (!drop[static_cast<size_t>(k)])
                    kept.push_back(list[k]);
            list.BeginUpdate();
            list.Clear();
            for (std::string& e : kept)
                list.Add(std::move(e));
            list.EndUpdate();
        }
        ShowPlaylist(shown);
        return;
    }

    // The rows of the selected lines, each once, in line order; each line names the
    // row it really shows.
    struct TDoomed {
        int Row;
        std::string FileName;
        bool OnCard;
    };
    std::vector<TDoomed> doomed;
    const int rows = Model.TrackCount();
    std::vector<bool> remove(static_cast<size_t>(rows), false);
    bool anyOnCard = false;
    for (int line : BvPlaylist.SelectedLines()) {
        if (line < 0 || line >= BvPlaylist.Count())
            continue;
        const int row = BvPlaylist.Lines[static_cast<size_t>(line)].Row;
        if (row < 0 || row >= rows || remove[static_cast<size_t>(row)])
            continue;
        remove[static_cast<size_t>(row)] = true;
        std::string fileName;
        Model.GetTrackField(row, TTrackColumn::FileName, fileName);
        const bool onCard = Model.IsOnPhone(fileName);
        anyOnCard = anyOnCard || onCard;
        doomed.push_back({row, std::move(fileName), onCard});
    }
    if (doomed.empty())
        return;

    TQuestionResult answer = TQuestionResult::No;
    if (anyOnCard) {
        answer = ui_.AskYesNoCancel(Messages.Text(MessageName::DoYouWantToDelete1) + "\r" +
                                    Messages.Text(MessageName::DoYouWantToDelete2) + "\r" +
                                    Messages.Text(MessageName::DoYouWantToDelete3));
        if (answer == TQuestionResult::Cancel)
            return;
    }
    std::vector<std::string> notDeleted;
    std::vector<bool> keepInDeletedList(doomed.size(), answer != TQuestionResult::Yes);
    if (answer == TQuestionResult::Yes) {
        for (size_t i = 0; i < doomed.size(); ++i) {
            if (!doomed[i].OnCard)
                continue;
            // A card file that stays keeps its track in the deleted list, so
            // nothing on the card is left without a trace.
            if (!DeleteCardFile(doomed[i].FileName)) {
                notDeleted.push_back(doomed[i].FileName);
                keepInDeletedList[i] = true;
            }
        }
    }
    // The deleted list takes the rows from the last line up, as removing them one by
    // one from the bottom would; then every row goes in one pass over the table and
    // the playlists, so removing many rows costs no more than reading them.
    for (size_t i = doomed.size(); i-- > 0;)
        if (keepInDeletedList[i])
            AppendTableRow(Model.DeletedHolder, TableRow(Model.TrackListHolder, doomed[i].Row));
    Model.DeleteTracks(remove);
    // The master list is the one shown: the refresh shows it once, keeping what stays
    // selected and focused.
    RefreshTrackView();
    if (!notDeleted.empty()) {
        std::string text = Messages.Text(MessageName::FilesNotDeleted);
        for (const std::string& f : notDeleted)
            text += "\r\n" + f;
        ui_.ShowWarning(text);
    }
}

void TTrackManager::Selectall1Click() {
    BV_ASSERT_GUI_THREAD();
    BvPlaylist.SelectAll();
    NotifyView(TViewId::TrackView);
}

void TTrackManager::Inverseselection1Click() {
    BV_ASSERT_GUI_THREAD();
    BvPlaylist.InvertSelection();
    NotifyView(TViewId::TrackView);
}

void TTrackManager::Selectnone1Click() {
    BV_ASSERT_GUI_THREAD();
    BvPlaylist.SelectNone();
    RefreshTrackView();
}

void TTrackManager::BvPlaylistGLKeyDown(uint16_t key, TKeyShift shift) {
    BV_ASSERT_GUI_THREAD();
    const bool onlyCtrl = shift.Ctrl && !shift.Shift && !shift.Alt;
    if (key == KeyDelete)
        btnRemoveClick();
    else if (key == KeyUp && onlyCtrl)
        MoveUp2Click();
    else if (key == KeyDown && onlyCtrl)
        MoveDown2Click();
}
