// The information hint over the track view: the two delays, the text of the hinted
// track and where the panel goes.
#include "TrackManager.h"

#include "RtFileUtils.h"

#include <algorithm>

namespace {

// Replaces every placeholder in one pass, without regard to case, so that a value
// holding a placeholder's text is shown as it stands.
std::string FillTemplate(std::string_view text,
                         const std::vector<std::pair<std::string_view, std::string>>& values) {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        bool replaced = false;
        if (text[i] == '<') {
            for (const auto& [tag, value] : values) {
                if (text.size() - i >= tag.size() && SameText(text.substr(i, tag.size()), tag)) {
                    out += value;
                    i += tag.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            out += text[i++];
    }
    return out;
}

} // namespace

std::string TTrackManager::HintText(int row) const {
    std::string artist, title, album, time, size, fileName, bitrate;
    Model.GetTrackField(row, TTrackColumn::Artist, artist);
    Model.GetTrackField(row, TTrackColumn::Title, title);
    Model.GetTrackField(row, TTrackColumn::Album, album);
    Model.GetTrackField(row, TTrackColumn::Time, time);
    Model.GetTrackField(row, TTrackColumn::Size, size);
    Model.GetTrackField(row, TTrackColumn::FileName, fileName);
    Model.GetTrackField(row, TTrackColumn::BitRate, bitrate);
    std::vector<std::pair<std::string_view, std::string>> values = {
        {"<artist>", TagLabels.Artist + " " + artist},
        {"<title>", TagLabels.Title + " " + title},
        {"<album>", TagLabels.Album + " " + album},
        {"<time>", TagLabels.Time + " " + FormatTrackTime(TrackTimeSeconds(time))},
        {"<size>", TagLabels.Size + " " + size},
        {"<bitrate>", TagLabels.Bitrate + " " + bitrate},
    };
    // Another kind of file keeps "<type>" as it stands.
    const std::string ext = LowerCase(ExtractFileExt(fileName));
    if (ext == ".mp3")
        values.push_back({"<type>", "MPEG Audio"});
    else if (ext == ".m4a")
        values.push_back({"<type>", "AAC Audio"});
    return FillTemplate(LabelPopup, values);
}

void TTrackManager::BvPlaylistGLMouseMove(TViewPoint pos) {
    if (!Options.cbInfoHints || BvPlaylist.Count() == 0)
        return;
    // A move along the same line keeps the running delay and the old position.
    if (pos.Y == Model.HintMousePos.Y && TimerBeforeShow.Enabled)
        return;
    TimerBeforeShow.Enabled = true;
    TimerAfterShow.Enabled = false;
    Model.HintMousePos = pos;
}

void TTrackManager::BvPlaylistMouseEnter() {
    TimerBeforeShow.Enabled = true;
}

void TTrackManager::BvPlaylistMouseLeave() {
    TimerAfterShow.Enabled = true;
}

bool TTrackManager::TimerBeforeShowTimer(int line) {
    // Off before anything else: a hint that cannot be built is not tried again on
    // every tick, which would stack up one error a second.
    TimerBeforeShow.Enabled = false;
    try {
        if (!Options.cbInfoHints || BvPlaylist.Count() == 0 || SelectedPlaylist() < 0 || line < 0 ||
            line >= BvPlaylist.Count())
            return false;
        const int row = BvPlaylist.Lines[static_cast<size_t>(line)].Row;
        if (row < 0 || row >= Model.TrackCount()) {
            Hint.Visible = false;
            return false;
        }
        std::string text = HintText(row);
        Hint.Text = std::move(text);
        Hint.Line = line;
        Hint.Row = row;
        Hint.Visible = true;
        TimerAfterShow.Enabled = true;
        return true;
    } catch (const std::exception&) {
        // The hint keeps its previous state.
        return false;
    }
}

void TTrackManager::TimerAfterShowTimer() {
    TimerBeforeShow.Enabled = false;
    Hint.Visible = false;
    TimerAfterShow.Enabled = false;
}

void TTrackManager::PanelHintMouseEnter() {
    if (Hint.Text.empty())
        return;
    Hint.Visible = true;
    TimerAfterShow.Enabled = false;
    // A show delay armed on the way over the track view would move the hint away from
    // under the pointer, and the next click would land on the line beneath it.
    TimerBeforeShow.Enabled = false;
}

void TTrackManager::PanelHintMouseLeave() {
    TimerAfterShow.Enabled = true;
}

void TTrackManager::cbInfoHintsClick(bool checked) {
    Options.cbInfoHints = checked;
}

void TTrackManager::BvPlaylistDblClick(int line) {
    if (line < 0 || line >= BvPlaylist.Count())
        return;
    BvPlaylist.FocusLine(line);
    BvPlaylistGLClick();
    NotifyView(TViewId::TrackView);
}

void TTrackManager::LabelPopupTextDblClick(int line) {
    BvPlaylistDblClick(line);
    Hint.Visible = false;
    TimerAfterShow.Enabled = false;
}

TViewPoint PlaceHint(TViewPoint viewOrigin, TViewPoint mouse, int panelWidth, int panelHeight,
                     int windowWidth, int windowHeight) {
    const int l = viewOrigin.X + mouse.X;
    const int u = viewOrigin.Y + mouse.Y;
    TViewPoint at;
    at.X = panelWidth + l + 10 > windowWidth ? l - panelWidth - 3 : l + 10;
    at.Y = panelHeight + u + 10 + 19 > windowHeight - 19 ? u - panelHeight - 12 : u + 10;
    // A panel larger than the room beside the pointer still stays inside the window.
    at.X = std::max(0, std::min(at.X, windowWidth - panelWidth));
    at.Y = std::max(0, std::min(at.Y, windowHeight - panelHeight));
    return at;
}
