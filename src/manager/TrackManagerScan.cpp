// The card file scan: music files on the card that the track list does not hold yet.
// The search runs on the card-read worker; the rows it builds are appended on the GUI
// thread (TrackManagerCard.cpp).
#include "TrackManagerUpdateState.h"

#include "Files.h"
#include "RtFileUtils.h"
#include "SafeFiles.h"

#include <optional>
#include <set>

bool FloppyGuard(TTrackManager& m); // TrackManagerCard.cpp
std::unique_ptr<TCardReadJob> NewCardJob(TTrackManager::TRunKind kind);
void StartCardJob(TTrackManager& m, std::unique_ptr<TCardReadJob> job);
bool LockCardForRead(TTrackManager& m);
std::vector<std::string> ColumnOf(const TBvMultiStringHolder& table, TTrackColumn name);

// Worker: the card's "\iTunes\" and "\mobile\" folders with their subfolders, then the
// root, each music file that `listed` does not hold made a row. A file that cannot be
// read is logged and passed over.
void SearchCardFiles(TTrackManager& owner, TCardReadJob& job, TFileNameSet& listed,
                     const std::atomic<uint8_t>& cancel,
                     const std::function<void(const std::string&)>& log) {
    const std::string root = std::string(1, job.Drive) + ":\\";
    auto add = [&](const std::string& path) {
        const int attr = FileGetAttr(path);
        // A folder named like a music file is no track.
        if (attr < 0 || (attr & faDirectory))
            return;
        const std::string ext = LowerCase(ExtractFileExt(path));
        if ((ext != ".mp3" && ext != ".m4a") || listed.Contains(path))
            return;
        try {
            // The row builders read only the file.
            job.Found.push_back(ext == ".mp3" ? owner.BuildMp3Row(path)
                                              : owner.BuildM4aRow(path, false));
            listed.Add(path);
        } catch (const Exception& e) {
            log(job.Texts.Fmt("could_not_add", {path, e.Message()}));
        }
    };
    // A file reached through a symbolic link may lie anywhere on the computer, and the
    // phone would never find it. Each link is said once.
    std::set<std::string> saidLinks;
    std::optional<TContainedRoot> drive;
    try {
        drive = TContainedRoot::OfDrive(root);
    } catch (const Exception&) {
        return; // a drive that is not there has nothing to find
    }
    auto onTheCard = [&](const std::string& path) {
        std::string link;
        try {
            link = drive->FirstLink(path);
        } catch (const Exception&) {
            return false;
        }
        if (link.empty())
            return true;
        if (saidLinks.insert(link).second)
            log(job.Texts.Fmt("link_skipped", {link}));
        return false;
    };
    TStringList list;
    for (const char* folder : {"iTunes", "mobile"}) {
        list.Clear();
        if (!onTheCard(root + folder))
            continue;
        FindMusicFilesRecursive(root + folder + "\\", list);
        for (int i = 0; i < list.Count() && !cancel; ++i)
            if (onTheCard(list[i]))
                add(list[i]);
    }
    for (const char* ext : {"mp3", "m4a"}) {
        if (cancel)
            break;
        FindFilesByExt(root, ext, list);
        for (int i = 0; i < list.Count() && !cancel; ++i)
            if (onTheCard(root + list[i]))
                add(root + list[i]);
    }
}

void TTrackManager::btnScanMobileClick() {
    BV_ASSERT_GUI_THREAD();
    UpdateStateOf(*this);
    if (RefuseWhileBusy() || FloppyGuard(*this) || !LockCardForRead(*this))
        return;
    auto job = NewCardJob(TRunKind::FileScan);
    job->Listed = ColumnOf(Model.TrackListHolder, TTrackColumn::FileName);
    StartCardJob(*this, std::move(job));
}
