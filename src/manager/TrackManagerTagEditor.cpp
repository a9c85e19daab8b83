// The tag editor: shows one track row and writes each edit straight into the
// track list. It follows its row by the row's private serial, so moved or
// deleted rows never make it edit another track.
#include "TrackManager.h"

namespace {

// "03:05", " 3:05" or "3:5": both parts must be plain numbers, the seconds at
// most two digits, so every reader of the column takes the written text.
bool ParseEditedTime(const std::string& text, std::string& normalized) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos)
        return false;
    const std::string minutes = Trim(text.substr(0, colon));
    const std::string seconds = Trim(text.substr(colon + 1));
    auto digits = [](const std::string& s, size_t maxLength) {
        if (s.empty() || s.size() > maxLength)
            return false;
        for (char c : s)
            if (c < '0' || c > '9')
                return false;
        return true;
    };
    if (!digits(minutes, 9) || !digits(seconds, 2))
        return false;
    normalized = minutes + ":" + seconds;
    return true;
}

} // namespace

void TTrackManager::BvPlaylistGLClick() {
    BV_ASSERT_GUI_THREAD();
    const int k = BvPlaylist.ItemIndex;
    if (k < 0 || k >= BvPlaylist.Count())
        return;
    ShowTrackTags(BvPlaylist.Lines[static_cast<size_t>(k)].Row);
}

void TTrackManager::ShowTrackTags(int row) {
    if (row < 0 || row >= Model.TrackCount())
        return;
    TTagEditorState& e = TagEditor;
    e.lbUID = IntToStr(row);
    Model.GetTrackField(row, TTrackColumn::Artist, e.edArtist);
    Model.GetTrackField(row, TTrackColumn::Title, e.edTitle);
    Model.GetTrackField(row, TTrackColumn::Album, e.edAlbum);
    Model.GetTrackField(row, TTrackColumn::BitRate, e.edBitrate);
    Model.GetTrackField(row, TTrackColumn::Size, e.edSize);
    Model.GetTrackField(row, TTrackColumn::FileName, e.edFileName);
    std::string time;
    Model.GetTrackField(row, TTrackColumn::Time, time);
    try {
        e.edTime = FormatTrackTime(TrackTimeSeconds(time));
    } catch (const EConvertError&) {
        // Shown as it stands, so the user can put it right.
        e.edTime = time;
    }
    e.RowSerial = Model.RowSerial(row);
    NotifyView(TViewId::TagEditor);
}

namespace {

// The row the editor edits, or -1 after clearing the editor when that row is gone.
int EditedRow(TTrackManager& m) {
    if (m.TagEditor.RowSerial == 0)
        return -1;
    const int row = m.Model.RowOfSerial(m.TagEditor.RowSerial);
    if (row < 0) {
        const bool expanded = m.TagEditor.Expanded;
        m.TagEditor = {};
        m.TagEditor.Expanded = expanded;
        m.NotifyView(TViewId::TagEditor);
    }
    return row;
}

// Writes one column of the edited row and rebuilds the view, keeping the focused
// line on the entry it showed.
void WriteEditedColumn(TTrackManager& m, TTrackColumn column, const std::string& value) {
    const int row = EditedRow(m);
    if (row < 0)
        return;
    TrackColumn(m.Model.TrackListHolder, column).Put(row, value);
    const int f = m.BvPlaylist.ItemIndex;
    const int entry =
        f >= 0 && f < m.BvPlaylist.Count() ? m.BvPlaylist.Lines[static_cast<size_t>(f)].Entry : -1;
    m.RefreshTrackView();
    int line = f;
    for (int i = 0; i < m.BvPlaylist.Count(); ++i)
        if (m.BvPlaylist.Lines[static_cast<size_t>(i)].Entry == entry)
            line = i;
    m.BvPlaylist.FocusLine(line);
}

} // namespace

void TTrackManager::edArtistChange(const std::string& text, bool focused) {
    BV_ASSERT_GUI_THREAD();
    if (!focused)
        return;
    TagEditor.edArtist = text;
    WriteEditedColumn(*this, TTrackColumn::Artist, text);
}

void TTrackManager::edTitleChange(const std::string& text, bool focused) {
    BV_ASSERT_GUI_THREAD();
    if (!focused)
        return;
    TagEditor.edTitle = text;
    WriteEditedColumn(*this, TTrackColumn::Title, text);
}

void TTrackManager::edAlbumChange(const std::string& text, bool focused) {
    BV_ASSERT_GUI_THREAD();
    if (!focused)
        return;
    TagEditor.edAlbum = text;
    WriteEditedColumn(*this, TTrackColumn::Album, text);
}

void TTrackManager::edTimeChange(const std::string& text, bool focused) {
    BV_ASSERT_GUI_THREAD();
    if (!focused)
        return;
    TagEditor.edTime = text;
    // A half-typed time is kept in the edit only; the row keeps its last valid one.
    std::string normalized;
    if (ParseEditedTime(text, normalized))
        WriteEditedColumn(*this, TTrackColumn::Time, normalized);
}

void TTrackManager::bvGroupBoxTagsExpanded() {
    BV_ASSERT_GUI_THREAD();
    TagEditor.Expanded = true;
    NotifyView(TViewId::TagEditor);
}

void TTrackManager::bvGroupBoxTagsCollapsed() {
    BV_ASSERT_GUI_THREAD();
    TagEditor.Expanded = false;
    NotifyView(TViewId::TagEditor);
}
