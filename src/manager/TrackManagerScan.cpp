// The card file scan: music files on the card that the track list does not hold yet.
#include "TrackManagerUpdateState.h"

#include "Files.h"
#include "RtFileUtils.h"
#include "SafeFiles.h"

bool FloppyGuard(TTrackManager& m); // TrackManagerCard.cpp

#include <optional>
#include <set>

namespace {

// Whether the path lies on the card itself: a file reached through a symbolic link may lie
// anywhere on the computer, and the phone would never find it. Each link is said once.
bool OnTheCard(TTrackManager& m, const TContainedRoot& root, std::set<std::string>& saidLinks,
               const std::string& path) {
    std::string link;
    try {
        link = root.FirstLink(path);
    } catch (const Exception&) {
        return false;
    }
    if (link.empty())
        return true;
    if (saidLinks.insert(link).second)
        m.Log.AddLog(m.Messages.Fmt("link_skipped", {link}));
    return false;
}

// Adds one found path unless `listed` holds it; a file that cannot be read is
// logged and passed over.
void AddFoundFile(TTrackManager& m, TFileNameSet& listed, const std::string& path) {
    const int attr = FileGetAttr(path);
    // A folder named like a music file is no track.
    if (attr < 0 || (attr & faDirectory))
        return;
    const std::string ext = LowerCase(ExtractFileExt(path));
    if (ext != ".mp3" && ext != ".m4a")
        return;
    if (listed.Contains(path))
        return;
    try {
        const int row = ext == ".mp3" ? m.AddMp3ToTrackList(path) : m.AddM4aToTrackList(path);
        if (row >= 0)
            listed.Add(path);
    } catch (const Exception& e) {
        m.Log.AddLog(path + ": " + e.Message());
    }
}

} // namespace

void ScanCardForFiles(TTrackManager& m) {
    if (!FloppyGuard(m)) {
        const std::string root = std::string(1, m.Model.PhoneDrive) + ":\\";
        // The listed names once per scan: a search of the track list per file
        // made a large card take minutes.
        TFileNameSet listed(TrackColumn(m.Model.TrackListHolder, TTrackColumn::FileName));
        TStringList list;
        std::set<std::string> saidLinks;
        std::optional<TContainedRoot> drive;
        try {
            drive = TContainedRoot::OfDrive(root);
        } catch (const Exception&) {
            // A drive that is not there has nothing to find.
        }
        const TContainedRoot& card = drive ? *drive : TContainedRoot::OfDrive("C:\\");
        for (const char* folder : {"iTunes", "mobile"}) {
            list.Clear();
            if (!OnTheCard(m, card, saidLinks, root + folder))
                continue;
            FindMusicFilesRecursive(root + folder + "\\", list);
            for (int i = 0; i < list.Count(); ++i)
                if (OnTheCard(m, card, saidLinks, list[i]))
                    AddFoundFile(m, listed, list[i]);
        }
        for (const char* ext : {"mp3", "m4a"}) {
            FindFilesByExt(root, ext, list);
            for (int i = 0; i < list.Count(); ++i)
                if (OnTheCard(m, card, saidLinks, root + list[i]))
                    AddFoundFile(m, listed, root + list[i]);
        }
    }
    m.Model.UpdateAllMusic();
    if (m.ListBoxPlayLists.Items.Count() > 0)
        m.ListBoxPlayLists.ItemIndex = 0;
    m.RefreshTrackView();
}

void TTrackManager::btnScanMobileClick() {
    BV_ASSERT_GUI_THREAD();
    auto& st = UpdateStateOf(*this);
    if (RefuseWhileBusy() || FloppyGuard(*this))
        return;
    TFolderLock lock;
    if (!LockCard(*this, lock))
        return;
    ++st.CardBusy;
    try {
        ScanCardForFiles(*this);
    } catch (...) {
        --st.CardBusy;
        throw;
    }
    --st.CardBusy;
}
