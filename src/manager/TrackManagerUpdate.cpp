// The update run: the space check, the copy worker, the database build from a
// snapshot taken when both copying workers are done, Stop, and closing during a run.
#include "ScopeExit.h"
#include "TrackManagerUpdateState.h"

#include "BvID3v2.h"
#include "BvReadStream.h"
#include "CodecGate.h"
#include "Dispatcher.h"
#include "DriveSpace.h"
#include "Files.h"
#include "RtFileUtils.h"
#include "SafeFiles.h"
#include "TrackFileCopy.h"
#include "UploadNames.h"

#include <csignal>
#include <limits>
#include <sys/stat.h>

namespace {

// The section's own message strings, registered beside the program's.
constexpr std::string_view CopyFailedName = "copy_failed";
constexpr std::string_view EncodeFailedName = "encode_failed";
constexpr std::string_view ConvertFileFailedName = "convert_file_failed";
constexpr std::string_view UpdateFailedName = "update_failed";
constexpr std::string_view UpdateStoppedName = "update_stopped";
constexpr std::string_view CardAbsentName = "card_absent";
constexpr std::string_view FileMissingName = "file_missing";
constexpr std::string_view UploadFolderName = "upload_folder_failed";
constexpr std::string_view LeftOutName = "left_out_of_db";
constexpr std::string_view BuildFailedName = "build_failed";
constexpr std::string_view TooLargeName = "too_large_for_db";
constexpr std::string_view NotAllCopiedName = "not_all_copied";
constexpr std::string_view NotAllEncodedName = "not_all_encoded";
constexpr std::string_view LinkRefusedName = "link_refused";
constexpr std::string_view NoLongerMusicName = "no_longer_music";

std::string DriveText(char drive) {
    return std::string(1, drive) + ":";
}

// A file already on the card counts as the same when its size and its modification
// time (to the card file system's two seconds) match the source.
bool SameFileThere(const std::string& source, const std::string& dest) {
    try {
        struct stat s {
        }, d{};
        if (stat(ToLinuxPath(source).c_str(), &s) != 0 || !S_ISREG(s.st_mode))
            return false;
        const std::string destLinux = ResolvePath(dest);
        if (stat(destLinux.c_str(), &d) != 0 || !S_ISREG(d.st_mode))
            return false;
        const auto diff = s.st_mtim.tv_sec - d.st_mtim.tv_sec;
        return s.st_size == d.st_size && diff <= 2 && diff >= -2;
    } catch (const Exception&) {
        return false;
    }
}

// Removes the partial copies and the database temporaries that a killed run left in the
// upload and database folders: only names this program makes, only regular files. The
// caller holds the card's lock, so no other run is writing them.
int RemoveCardLeftovers(const std::string& uploadFolder, const std::string& dbFolder) {
    int removed = 0;
    auto remove = [&](const std::string& folder,
                      const std::function<bool(const std::string&)>& isLeftover) {
        try {
            const TContainedRoot root = TContainedRoot::OfDrive(folder);
            removed += RemoveUnlockedLeftoversIn(root.OpenFolder(folder, false), isLeftover);
        } catch (const Exception&) {
            // A folder that is not there holds nothing.
        }
    };
    remove(uploadFolder, [](const std::string& name) {
        return name.rfind(CopyTemporaryPrefix, 0) == 0 &&
               IsHexDigits(std::string_view(name).substr(CopyTemporaryPrefix.size()), 16);
    });
    remove(dbFolder, [](const std::string& name) { return IsReplacementName(name, "iTunesDB"); });
    return removed;
}

} // namespace

void RegisterUpdateMessages(TManagerMessages& m) {
    m.Register(CopyFailedName, "Copying failed: %s");
    m.Register(EncodeFailedName, "Encoding failed: %s");
    m.Register(ConvertFileFailedName, "Could not convert %s: %s");
    m.Register(UpdateFailedName,
               "Update failed. The database on the mobile phone was not changed.");
    m.Register(UpdateStoppedName,
               "Update stopped. The database on the mobile phone was not changed.");
    m.Register(CardAbsentName, "The memory card %s is not there.");
    m.Register(FileMissingName, "File not found, skipped: %s");
    m.Register(UploadFolderName, "Could not create the folder %s on the memory card.");
    m.Register(LeftOutName, "%s is not on the mobile phone and was left out of the database.");
    m.Register(BuildFailedName, "Could not write iTunesDB: %s");
    m.Register(TooLargeName,
               "%s was left out of the database: its size of %s bytes is more than the phone's "
               "database can describe.");
    m.Register("encoder_exit", "The encoder failed (exit code %s). %s");
    m.Register(NotAllCopiedName, "%s of %s files could not be copied.");
    m.Register(NotAllEncodedName, "%s of %s files could not be encoded.");
    m.Register(NoLongerMusicName, "%s changed since it was added and is no readable MP3 or "
                                  "M4A file any more; it was left out.");
    m.Register("not_audio", "The encoder's output is no audio: %s");
    m.Register("copied_as_is", "%s could not be re-encoded, so it was copied as it is: %s");
    m.Register("encoded_too_short",
               "the encoded file plays %s s of the source's %s s; the source is damaged");
    m.Register("tracks_missing", "The mobile phone was updated, but %s tracks are missing from "
                                 "it: they could not be copied, encoded or did not fit (see the "
                                 "log).");
    m.Register("gone_from_card", "%s is not on the memory card and was left out of the database.");
    m.Register("stop_to_close",
               "The mobile phone is being worked on. Stop it and close the program?");
    m.Register("not_ended", "These did not end in time: %s.");
    m.Register("leftovers_removed",
               "%s files left on the memory card by an interrupted run were removed.");
}

void RemoveEncoderFoldersOfEndedRuns() {
    const std::string prefix = std::string(ConvertFolderPrefix) + "-";
    try {
        RemoveUnlockedLeftoverFolders(ToLinuxPath(GetTempFolder()), [&](const std::string& name) {
            return name.size() == prefix.size() + 6 && name.rfind(prefix, 0) == 0;
        });
    } catch (const Exception&) {
        // A temporary folder that cannot be read keeps what it has.
    }
}

// ---- Space reservation -------------------------------------------------------

bool TSpaceReservation::Reserve(int64_t free, int64_t size) {
    std::lock_guard<std::mutex> guard(lock_);
    if (free < 0 || free - reserved_ < size)
        return false;
    reserved_ += size;
    return true;
}

void TSpaceReservation::Release(int64_t size) {
    std::lock_guard<std::mutex> guard(lock_);
    reserved_ -= size;
}

int64_t TSpaceReservation::Reserved() const {
    std::lock_guard<std::mutex> guard(lock_);
    return reserved_;
}

bool ReadCardFileAgain(const std::string& cardFile, TTrackRowSnapshot& row) {
    // The same figures the row builders take when a track is added.
    auto timeText = [](int64_t seconds) {
        return IntToStr(seconds / 60) + ":" + IntToStr(seconds % 60);
    };
    try {
        if (LowerCase(ExtractFileExt(cardFile)) == ".m4a") {
            const int64_t bytes = GetSizeOfFile(cardFile);
            const int64_t seconds = CodecGate::gettime("\"" + cardFile + "\"");
            if (seconds <= 0)
                return false;
            row.Size = IntToStr(bytes);
            row.Time = timeText(seconds);
            row.BitRate = IntToStr((bytes / 1024) * 8 / seconds);
            return true;
        }
        const std::unique_ptr<TBvReadStream> file = OpenTagFile(cardFile);
        TBvID3v2 tag;
        tag.OpenStream(*file);
        const TBvID3FileInfo& info = tag.FileInfo();
        if (info.BitrateKbps <= 0)
            return false;
        row.Size = IntToStr(info.FileByteSize);
        row.Time = timeText(info.LengthSeconds);
        row.BitRate = IntToStr(info.BitrateKbps);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

int64_t PlayingTimeMs(const std::string& file) {
    try {
        if (LowerCase(ExtractFileExt(file)) == ".m4a") {
            const int64_t ms = CodecGate::gettimems("\"" + file + "\"");
            return ms > 0 ? ms : -1;
        }
        const std::unique_ptr<TBvReadStream> stream = OpenTagFile(file);
        TBvID3v2 tag;
        tag.OpenStream(*stream);
        const TBvID3FileInfo& info = tag.FileInfo();
        if (info.BitrateKbps <= 0)
            return -1;
        // Counted in frames where the frame count is known: whole seconds are too coarse
        // to tell a short encoding from a sound one.
        if (info.FrameTotal > 0 && info.SampleRateHz > 0) {
            const int64_t samples = info.LayerCode == 3         ? 384
                                    : info.LayerCode == 2       ? 1152
                                    : info.MpegVersionCode == 3 ? 1152
                                                                : 576;
            return int64_t(info.FrameTotal) * samples * 1000 / info.SampleRateHz;
        }
        return info.LengthSeconds > 0 ? int64_t(info.LengthSeconds) * 1000 : -1;
    } catch (const Exception&) {
        return -1;
    }
}

bool DriveReady(char drive) {
    return DriveFreeSpace(drive) >= 0 && DirectoryExists(DriveText(drive) + "\\");
}

// ---- State -------------------------------------------------------------------

TTrackManager::TUpdateState::TUpdateState(TTrackManager& owner)
    : Owner(owner), Cancel(owner.Model.CancelRequested),
      Alive(std::make_shared<TTrackManager*>(&owner)) {
    FreeSpace = [](char drive) { return DriveFreeSpace(drive); };
    auto makeThread = [] {
        auto t = std::make_unique<TBvThread>();
        t->SetExclusive(true);
        t->SetRunOnCreate(true);
        t->SetFreeOnTerminate(true);
        return t;
    };
    ThreadCopy = makeThread();
    ThreadConvert = makeThread();
    ThreadBuildDB = makeThread();
    ThreadCopy->OnExecute = [this](TObject*, void*) { ThreadCopyExecute(); };
    ThreadCopy->OnFinish = [this](TObject*) { ThreadCopyFinish(); };
    ThreadConvert->OnExecute = [this](TObject*, void*) { ThreadConvertExecute(); };
    ThreadConvert->OnFinish = [this](TObject*) { ThreadConvertFinish(); };
    ThreadBuildDB->OnExecute = [this](TObject*, void* params) {
        ThreadBuildDBExecute(*static_cast<const TDatabaseSnapshot*>(params));
    };
    ThreadBuildDB->OnFinish = [this](TObject*) { ThreadBuildDBFinish(); };
    ThreadReadCard = makeThread();
    ThreadReadCard->OnExecute = [this](TObject*, void*) { ThreadReadCardExecute(); };
    ThreadReadCard->OnFinish = [this](TObject*) { ThreadReadCardFinish(); };
    FlushTimer.SetEnabled(false);
    FlushTimer.SetInterval(static_cast<uint32_t>(FlushInterval.count()));
    FlushTimer.SetOnTimer([this] {
        bool pending;
        {
            std::lock_guard<std::mutex> guard(MailLock);
            pending = !Mail.empty();
        }
        if (pending)
            Flush();
        else if (ProgressDirty)
            ShowProgress();
    });
    BvCreateProcess1 = std::make_unique<TBvCreateProcess>();
    BvCreateProcess1->OnTerminate = [this](TObject*, uint32_t exitCode) {
        Owner.Model.ConverterRunning = 0;
        std::string output;
        TStringList& lines = BvCreateProcess1->OutputLines();
        for (int i = std::max(0, lines.Count() - 3); i < lines.Count(); ++i) {
            const std::string line = Trim(lines[i]);
            if (line.empty())
                continue;
            if (!output.empty())
                output += ' ';
            output += line;
        }
        {
            std::lock_guard<std::mutex> guard(EncoderLock);
            EncoderEnded = true;
            EncoderExitCode = exitCode;
            EncoderOutput = output;
        }
        EncoderChanged.notify_all();
    };
}

TTrackManager::TUpdateState::~TUpdateState() {
    *Alive = nullptr;
    Cancel = 1;
    if (BvCreateProcess1) {
        BvCreateProcess1->KillProcessGroup(SIGKILL);
        BvCreateProcess1->StopWaiting();
    }
    NotifyEncoder();
    // The thread components wait for their workers and run the finish handlers,
    // which see the manager gone and do nothing.
    ThreadBuildDB.reset();
    ThreadCopy.reset();
    ThreadConvert.reset();
    ThreadReadCard.reset();
    BvCreateProcess1.reset();
}

void TTrackManager::TUpdateState::Post(std::function<void(TTrackManager&)> call) {
    bool queue = false;
    {
        std::lock_guard<std::mutex> guard(MailLock);
        Mail.push_back(std::move(call));
        if (!FlushQueued && std::chrono::steady_clock::now() - LastFlush >= FlushInterval) {
            FlushQueued = true;
            queue = true;
        }
    }
    // Sooner than that, the flush timer (or the worker's finish) takes the results.
    if (queue)
        Queue([alive = Alive] {
            BV_ASSERT_GUI_THREAD();
            if (*alive)
                (*alive)->Update->Flush();
        });
}

void TTrackManager::TUpdateState::Flush() {
    BV_ASSERT_GUI_THREAD();
    std::vector<std::function<void(TTrackManager&)>> calls;
    {
        std::lock_guard<std::mutex> guard(MailLock);
        calls.swap(Mail);
        FlushQueued = false;
        LastFlush = std::chrono::steady_clock::now();
    }
    if (calls.empty())
        return;
    ++FlushCount;
    const bool outer = !InFlush;
    InFlush = true;
    {
        TScopeExit leave([this, outer] {
            if (outer)
                InFlush = false;
        });
        for (auto& call : calls)
            call(Owner);
    }
    if (outer)
        ShowProgress(true);
}

void TTrackManager::TUpdateState::PostLog(const std::string& message) {
    Post([message](TTrackManager& m) { m.Log.AddLog(message); });
}

void TTrackManager::TUpdateState::PostSkippedForSpace(const std::string& name, uint64_t serial) {
    PostLog(Texts.Fmt(MessageName::SkeepingFile, {name}));
    Post([serial](TTrackManager& m) {
        ++m.Update->SkippedForSpace;
        const int row = m.Model.RowOfSerial(serial);
        if (row >= 0) {
            m.Model.DeleteTrack(row, 1);
            m.RefreshTrackView();
            m.RefreshDeletedList();
        }
    });
}

void TTrackManager::TUpdateState::PostProgress(TProgressBarId bar, int delta, int position) {
    Post([bar, delta, position](TTrackManager& m) {
        auto& st = *m.Update;
        int* pos = bar == TProgressBarId::Copy     ? &st.Progress1Pos
                   : bar == TProgressBarId::Encode ? &st.Progress2Pos
                                                   : &st.ProgressAllPos;
        if (position >= 0)
            *pos = position;
        *pos += delta;
        st.ShowProgress();
    });
}

void TTrackManager::TUpdateState::ShowProgress(bool force) {
    ProgressDirty = true;
    if (InFlush || !Owner.ProgressSink)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - LastShown < FlushInterval)
        return;
    LastShown = now;
    ProgressDirty = false;
    Owner.ProgressSink(TProgressBarId::Copy, Progress1Pos, Progress1Max);
    Owner.ProgressSink(TProgressBarId::Encode, Progress2Pos, Progress2Max);
    Owner.ProgressSink(TProgressBarId::All, ProgressAllPos, ProgressAllMax);
}

int64_t TTrackManager::TUpdateState::CardFree() const {
    if (!DirectoryExists(DriveText(PhoneDrive) + "\\"))
        return -1;
    return FreeSpace(PhoneDrive);
}

bool TTrackManager::TUpdateState::CardPresent() const {
    return CardFree() >= 0;
}

void TTrackManager::TUpdateState::NotifyEncoder() {
    { std::lock_guard<std::mutex> guard(EncoderLock); }
    EncoderChanged.notify_all();
}

// ---- Busy state and closing --------------------------------------------------

bool TTrackManager::IsBusy() const {
    return Update && (Update->UpdateRunning || Update->CardBusy > 0);
}

TTrackManager::TRunKind TTrackManager::CurrentRun() const {
    return IsBusy() ? Update->Running : TRunKind::None;
}

const std::vector<TCommand>& TTrackManager::CommandsHeldWhileBusy() {
    using C = TCommand;
    static const std::vector<TCommand> commands = {
        // The card commands.
        C::btnUpdateMobileClick, C::btnScanClick, C::ReadiTuneDB1Click, C::Checkforbadfiles1Click,
        C::DeletephoneDB1Click, C::btnScanMobileClick,
        // What changes the track list.
        C::btnAddFileClick, C::btnAddDIRClick, C::BvDragDrop1Drop, C::btnRemoveClick,
        C::btnResetProgClick, C::Copytotracklist1Click, C::MenuItem1Click,
        // Sorting.
        C::SortbyArtist1Click, C::SortbyTitle1Click, C::SortbyAlbum1Click, C::SortbyBitrate1Click,
        C::SortbySize1Click, C::Sortbylength1Click,
        // The playlists.
        C::mbNewPlstClick, C::Renameplaylist1Click, C::Deleteplaylist1Click,
        C::Clearplaylists2Click, C::ListBoxPlayListsDragDrop, C::MoveUp2Click, C::MoveDown2Click,
        C::CopyToPlayListPopup1Click, C::BvPlaylistGLDragDrop};
    return commands;
}

bool TTrackManager::CommandEnabled(TCommand command) const {
    if (command == TCommand::btnCancelClick)
        return IsBusy();
    if (!IsBusy())
        return true;
    const auto& held = CommandsHeldWhileBusy();
    return std::find(held.begin(), held.end(), command) == held.end();
}

void TTrackManager::TUpdateState::BeginRun(TRunKind kind) {
    Running = kind;
    {
        std::lock_guard<std::mutex> guard(MailLock);
        LastFlush = {};
    }
    FlushTimer.SetEnabled(true);
    if (Owner.RunSink)
        Owner.RunSink(kind, true);
}

void TTrackManager::TUpdateState::EndRun() {
    const TRunKind kind = Running;
    Running = TRunKind::None;
    Flush();
    FlushTimer.SetEnabled(false);
    ShowProgress(true);
    if (Owner.RunSink)
        Owner.RunSink(kind, false);
}

std::vector<std::string> TTrackManager::StopAndWaitForWorkers(int timeoutMs) {
    std::vector<std::string> left;
    if (!Update)
        return left;
    auto& st = *Update;
    const TBvChildWatch encoder = st.BvCreateProcess1->LastChild();
    if (IsBusy())
        btnCancelClick();
    // The finish handlers run through the dispatcher, so it is pumped while waiting.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    auto anyRunning = [&] {
        return IsBusy() || st.ThreadCopy->OneThreadIsRunning() ||
               st.ThreadConvert->OneThreadIsRunning() || st.ThreadBuildDB->OneThreadIsRunning() ||
               st.ThreadReadCard->OneThreadIsRunning();
    };
    // The runs that go on a timer's ticks (an add, the track view's fill) end on them.
    while (anyRunning() && std::chrono::steady_clock::now() < deadline) {
        CheckSynchronize(20);
        FireDueTimers();
    }
    const auto rest = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (!encoder.WaitDone(static_cast<int>(std::max<int64_t>(0, rest.count()))))
        left.push_back("the encoder (process " + IntToStr(st.BvCreateProcess1->ProcessId()) + ")");
    if (st.ThreadCopy->OneThreadIsRunning())
        left.push_back("the copy worker");
    if (st.ThreadConvert->OneThreadIsRunning())
        left.push_back("the convert worker");
    if (st.ThreadBuildDB->OneThreadIsRunning())
        left.push_back("the database build");
    if (st.ThreadReadCard->OneThreadIsRunning())
        left.push_back("the card read");
    return left;
}

// ---- Commands ----------------------------------------------------------------

bool FloppyGuard(TTrackManager& m); // TrackManagerCard.cpp

TTrackManager::TUpdateState& UpdateStateOf(TTrackManager& manager) {
    if (!manager.Update)
        manager.Update = std::make_shared<TTrackManager::TUpdateState>(manager);
    return *manager.Update;
}

void TTrackManager::btnUpdateMobileClick() {
    BV_ASSERT_GUI_THREAD();
    UpdateStateOf(*this);
    if (RefuseWhileBusy() || FloppyGuard(*this))
        return;
    auto& st = *Update;
    st.PhoneDrive = Model.PhoneDrive;
    const std::string drive = DriveText(Model.PhoneDrive);

    const int64_t free = st.CardFree();
    if (free < 0) {
        const std::string text = Messages.Fmt(CardAbsentName, {drive});
        Log.AddLog(text);
        ui_.ShowWarning(text);
        return;
    }
    int64_t needed = 0;
    for (int r = 0; r < Model.TrackCount(); ++r) {
        std::string fileName, size;
        Model.GetTrackField(r, TTrackColumn::FileName, fileName);
        Model.GetTrackField(r, TTrackColumn::Size, size);
        int64_t bytes = 0;
        if (!Model.IsOnPhone(fileName) && TryStrToInt64(Trim(size), bytes) && bytes > 0)
            needed += bytes;
    }
    if (needed > free && !Options.cbAutoEncode && Options.cbCheckSpace) {
        ui_.ShowWarning(
            Messages.Text(MessageName::NotEnoughSpace1) + "\r" +
            Messages.Fmt(MessageName::NotEnoughSpace2, {IntToStr((needed - free) / 1024)}));
        return;
    }

    // One card, one run: another process updating or reading the same card would mix its
    // files and its database with this run's.
    if (!LockCard(*this, st.CardLock))
        return;
    // The upload folder actually used, with every level of it. Nothing of the run is
    // written through a link on the card, which could lead anywhere: a link in the way of
    // the upload folder or of the database stops the run before anything is copied.
    const std::string uploadFolder = drive + Model.UploadPath;
    const std::string dbFolder = drive + std::string(iTunesDBFolder);
    try {
        const std::string link = TContainedRoot::OfDrive(dbFolder).FirstLink(dbFolder);
        if (!link.empty())
            throw ELinkRefused(link);
        ContainedForceDirectories(ExcludeTrailingPathDelimiter(uploadFolder));
    } catch (const ELinkRefused& e) {
        const std::string text = Messages.Fmt(LinkRefusedName, {e.Link});
        Log.AddLog(text);
        Log.AddLog(Messages.Text(UpdateFailedName));
        st.CardLock.Unlock();
        ui_.ShowWarning(text);
        return;
    } catch (const Exception&) {
        Log.AddLog(Messages.Fmt(UploadFolderName, {uploadFolder}));
        Log.AddLog(Messages.Text(UpdateFailedName));
        st.CardLock.Unlock();
        return;
    }
    if (const int removed = RemoveCardLeftovers(uploadFolder, dbFolder); removed > 0)
        Log.AddLog(Messages.Fmt("leftovers_removed", {IntToStr(removed)}));

    TransFlashTimer.Enabled = false;
    Model.ResetRunFlags();
    st.StopTag = 1;
    st.CopyPassFailed = st.ConvertPassFailed = st.BuildFailed = st.BuildWritten = false;
    st.CopyFilesFailed = st.CopyFilesTotal = st.ConvertFilesFailed = st.ConvertFilesTotal = 0;
    st.MissingTracks = st.SkippedForSpace = 0;
    st.FailureText.clear();
    st.Progress1Pos = st.Progress2Pos = st.ProgressAllPos = 0;
    st.Progress1Max = st.Progress2Max = 100;
    st.ProgressAllMax = 30;
    st.CheckSpace = Options.cbCheckSpace;
    st.Texts = Messages;

    // The plan: what each worker does, fixed now so the workers never read the tables.
    st.CopyJobs.clear();
    st.ConvertJobs.clear();
    TUploadNamer namer;
    // The card file of a row that is already on the card is never overwritten by
    // another track's upload: its name is taken before any new one is given. The rows
    // of the deleted list keep theirs too, so a restored row finds its own track.
    const std::string uploadKey = AnsiUpperCase(uploadFolder);
    for (const TBvMultiStringHolder* table : {&Model.TrackListHolder, &Model.DeletedHolder}) {
        const TStringList& names = TrackColumn(*table, TTrackColumn::FileName);
        for (int r = 0; r < names.Count(); ++r)
            if (Model.IsOnPhone(names[r]) && AnsiUpperCase(ExtractFilePath(names[r])) == uploadKey)
                namer.Claim(ExtractFileName(names[r]));
    }
    TConvertSettings& cv = st.Convert;
    cv.Format = Options.ComboFormat == 1 ? 1 : 0;
    cv.Encoder = EncoderProgramPath(Options.comboConverters);
    cv.EncodeTemplate = Options.ComboConvParams;
    cv.DecodeTemplate = Options.DecodeParams;
    cv.BitrateText = Trim(Options.comboM4ABitrate);
    cv.Cbr = Options.rbM4A_CBR;
    cv.Vbr = Options.rbM4A_VBR;
    cv.VbrQuality = Options.comboM4A_VBR_Quality;
    cv.HighQuality = Options.cbHighQualityM4a;
    for (int r = 0; r < Model.TrackCount(); ++r) {
        std::string fileName;
        Model.GetTrackField(r, TTrackColumn::FileName, fileName);
        if (Model.IsOnPhone(fileName))
            continue;
        std::string sizeText;
        Model.GetTrackField(r, TTrackColumn::Size, sizeText);
        int64_t listedSize = -1;
        if (!TryStrToInt64(Trim(sizeText), listedSize))
            listedSize = -1;
        std::string name = ExtractFileName(fileName);
        if (Options.cbRNTO) {
            try {
                name = MakeUploadName(
                    Options.comboRNTO,
                    UploadNameFieldsOf(Model.TrackListHolder, r, Model.PlaylistTracks[0]),
                    Options.Label10);
            } catch (const Exception&) {
                name = SanitizeFileName(name);
            }
        }
        if (TrackWouldBeReencoded(r)) {
            TConvertJob job;
            job.Serial = Model.RowSerial(r);
            job.Source = fileName;
            Model.GetTrackField(r, TTrackColumn::Artist, job.Artist);
            Model.GetTrackField(r, TTrackColumn::Title, job.Title);
            Model.GetTrackField(r, TTrackColumn::Album, job.Album);
            job.ListedSize = listedSize;
            job.DecodeFirst = LowerCase(ExtractFileExt(fileName)) == ".m4a";
            const std::string asIs = name;
            if (cv.Format == 1)
                name = ChangeFileExt(name, ".m4a");
            else if (job.DecodeFirst)
                name = ChangeFileExt(name, ".mp3");
            job.Dest = uploadFolder + namer.Claim(name);
            if (job.DecodeFirst)
                job.AsIsDest = AnsiUpperCase(asIs) == AnsiUpperCase(name)
                                   ? job.Dest
                                   : uploadFolder + namer.Claim(asIs);
            st.ConvertJobs.push_back(std::move(job));
        } else {
            TCopyJob job;
            job.Serial = Model.RowSerial(r);
            job.Source = fileName;
            job.OwnName = ExtractFileName(fileName);
            job.UploadName = name;
            job.ListedSize = listedSize;
            st.CopyJobs.push_back(std::move(job));
        }
    }
    st.UploadFolder = uploadFolder;
    st.Names = namer;
    cv.TempFolder.clear();
    if (!st.ConvertJobs.empty()) {
        try {
            cv.TempFolder = CreateTempFolder(ConvertFolderPrefix);
            // Locked while the run uses it: the start of another instance removes only the
            // folders of runs that have ended.
            st.ConvertFolderLock.TryLock(ToLinuxPath(cv.TempFolder));
        } catch (const Exception& e) {
            Log.AddLog(Messages.Fmt(EncodeFailedName, {e.Message()}));
            Log.AddLog(Messages.Text(UpdateFailedName));
            st.StopTag = 0;
            st.CardLock.Unlock();
            return;
        }
    }

    st.UpdateRunning = true;
    ui_.SetDriveSelectorEnabled(false);
    st.BeginRun(TRunKind::Update);
    st.ShowProgress(true);
    if (st.ThreadConvert->Execute(nullptr) == 0)
        st.ThreadConvertFinish();
    if (st.ThreadCopy->Execute(nullptr) == 0)
        st.ThreadCopyFinish();
}

void TTrackManager::btnCancelClick() {
    BV_ASSERT_GUI_THREAD();
    auto& st = UpdateStateOf(*this);
    if (st.StopTag == 1) {
        Model.CancelRequested = 1;
        TransFlashTimer.Enabled = true;
        // The encoder and everything it started end with the run.
        st.BvCreateProcess1->KillProcessGroup(SIGKILL);
        st.BvCreateProcess1->StopWaiting();
        st.NotifyEncoder();
        st.StopTag = 0;
    }
    Model.CancelRequested = 1;
    st.NotifyEncoder();
    TransFlashTimer.Enabled = true;
}

// ---- Copy worker -------------------------------------------------------------

void TTrackManager::TUpdateState::ThreadCopyExecute() {
    const TManagerMessages& msg = Texts;
    std::string failure;
    auto fail = [&](const std::string& text) {
        failure = text;
        PostLog(text);
    };
    const std::string cardAbsent = msg.Fmt(CardAbsentName, {DriveText(PhoneDrive)});
    int notCopied = 0;

    auto pointRowAt = [this](uint64_t serial, const std::string& dest) {
        Post([serial, dest](TTrackManager& m) {
            const int row = m.Model.RowOfSerial(serial);
            if (row >= 0)
                TrackColumn(m.Model.TrackListHolder, TTrackColumn::FileName).Put(row, dest);
        });
    };
    // First pass: tracks whose file already lies in the upload folder under its own name
    // are not copied again, but only where no other row claims that name. Then every
    // other track gets a name of its own; one whose file already lies there under that
    // name is not copied either.
    std::vector<bool> there(CopyJobs.size(), false);
    for (size_t i = 0; i < CopyJobs.size() && !Cancel; ++i) {
        TCopyJob& job = CopyJobs[i];
        if (!Names.IsClaimed(job.OwnName) &&
            SameFileThere(job.Source, UploadFolder + job.OwnName)) {
            job.Dest = UploadFolder + Names.Claim(job.OwnName);
            there[i] = true;
        }
    }
    std::vector<const TCopyJob*> toCopy;
    for (size_t i = 0; i < CopyJobs.size() && !Cancel; ++i) {
        TCopyJob& job = CopyJobs[i];
        if (!there[i]) {
            job.Dest = UploadFolder + Names.Claim(job.UploadName);
            there[i] = SameFileThere(job.Source, job.Dest);
        }
        if (there[i]) {
            pointRowAt(job.Serial, job.Dest);
            PostLog(msg.Fmt(MessageName::NoSenseToCopy, {ExtractFileName(job.Source)}));
        } else {
            toCopy.push_back(&job);
            Post([](TTrackManager& m) {
                m.Update->ProgressAllMax += 100;
                m.Update->ShowProgress();
            });
        }
    }

    for (const TCopyJob* job : toCopy) {
        if (Cancel)
            break;
        if (!CardPresent()) {
            fail(cardAbsent);
            break;
        }
        const std::string name = ExtractFileName(job->Source);
        const int64_t size = FileExists(job->Source) ? GetSizeOfFile(job->Source) : -1;
        if (size < 0) {
            PostLog(msg.Fmt(FileMissingName, {job->Source}));
            PostProgress(TProgressBarId::All, 100);
            ++notCopied;
            continue;
        }
        const int64_t free = CardFree();
        const bool fits =
            Space.Reserve(CheckSpace ? free : std::numeric_limits<int64_t>::max(), size);
        if (!fits) {
            if (free < 0) {
                fail(cardAbsent);
                break;
            }
            PostSkippedForSpace(name, job->Serial);
            PostProgress(TProgressBarId::All, 100);
            ++notCopied;
            continue;
        }
        PostLog(msg.Fmt(MessageName::CopyingFile, {name}));
        TFileCopyOptions options;
        options.Cancel = &Cancel;
        options.StayOnDrive = true;
        bool first = true;
        options.Progress = [&](int percent) {
            PostProgress(TProgressBarId::Copy, 0, percent);
            if (first && AfterFirstCopyBlock) {
                first = false;
                AfterFirstCopyBlock();
            }
        };
        TFileCopyResult result = TFileCopyResult::Completed;
        std::string error;
        bool linkRefused = false;
        try {
            result = CopyConvertedFile(job->Source, job->Dest, options);
        } catch (const ELinkRefused& e) {
            error = msg.Fmt(LinkRefusedName, {e.Link});
            linkRefused = true;
        } catch (const Exception& e) {
            error = e.Message();
        }
        Space.Release(size);
        if (linkRefused) {
            fail(error);
            break;
        }
        if (!error.empty()) {
            if (!CardPresent()) {
                fail(cardAbsent);
                break;
            }
            if (!FileExists(job->Source)) {
                PostLog(msg.Fmt(FileMissingName, {job->Source}));
                PostProgress(TProgressBarId::All, 100);
                ++notCopied;
                continue;
            }
            fail(msg.Fmt(CopyFailedName, {error}));
            break;
        }
        if (result == TFileCopyResult::Cancelled)
            break;
        // A card pulled out during the copy can leave a copy that seemed to succeed.
        if (!CardPresent() || !FileExists(job->Dest) || GetSizeOfFile(job->Dest) != size) {
            fail(CardPresent() ? msg.Fmt(CopyFailedName, {job->Dest}) : cardAbsent);
            break;
        }
        // The row describes the file on the card: a source that grew or shrank since it
        // was added gets its size, length and bitrate read again from the copy, and one
        // that is no readable music file any more is left out.
        TTrackRowSnapshot fresh;
        if (size != job->ListedSize && !ReadCardFileAgain(job->Dest, fresh)) {
            ContainedDeleteFile(job->Dest);
            PostLog(msg.Fmt(NoLongerMusicName, {job->Source}));
            PostProgress(TProgressBarId::All, 100);
            ++notCopied;
            continue;
        }
        PostLog(job->Dest + msg.Text(MessageName::SuccessfullyCopied));
        if (size == job->ListedSize) {
            pointRowAt(job->Serial, job->Dest);
        } else {
            Post([serial = job->Serial, dest = job->Dest, fresh](TTrackManager& m) {
                const int row = m.Model.RowOfSerial(serial);
                if (row < 0)
                    return;
                auto& t = m.Model.TrackListHolder;
                TrackColumn(t, TTrackColumn::FileName).Put(row, dest);
                TrackColumn(t, TTrackColumn::Size).Put(row, fresh.Size);
                TrackColumn(t, TTrackColumn::Time).Put(row, fresh.Time);
                TrackColumn(t, TTrackColumn::BitRate).Put(row, fresh.BitRate);
            });
        }
        PostProgress(TProgressBarId::All, 100);
    }
    const int total = static_cast<int>(CopyJobs.size());
    Post([failure, notCopied, total](TTrackManager& m) {
        auto& st = *m.Update;
        st.CopyFilesFailed = notCopied;
        st.CopyFilesTotal = total;
        st.Progress1Pos = st.Progress1Max;
        if (!failure.empty()) {
            st.CopyPassFailed = true;
            if (st.FailureText.empty())
                st.FailureText = failure;
        }
        st.ShowProgress();
    });
}

void TTrackManager::TUpdateState::ThreadCopyFinish() {
    BV_ASSERT_GUI_THREAD();
    if (!*Alive)
        return;
    // Everything the worker found is applied before its end is.
    Flush();
    if (!CopyPassFailed && !Cancel) {
        if (CopyFilesFailed == 0)
            Owner.Log.AddLog(Owner.Messages.Text(MessageName::AllFilesCopied));
        else
            Owner.Log.AddLog(Owner.Messages.Fmt(
                NotAllCopiedName, {IntToStr(CopyFilesFailed), IntToStr(CopyFilesTotal)}));
    }
    Owner.Model.CopyDone = 1;
    Progress1Pos = Progress1Max;
    ShowProgress();
    StartBuildWhenDone();
}

void TTrackManager::TUpdateState::ThreadConvertFinish() {
    BV_ASSERT_GUI_THREAD();
    if (!*Alive)
        return;
    // Everything the worker found is applied before its end is.
    Flush();
    if (!ConvertPassFailed && !Cancel) {
        if (ConvertFilesFailed == 0)
            Owner.Log.AddLog(Owner.Messages.Text(MessageName::AllFilesEncoded));
        else
            Owner.Log.AddLog(Owner.Messages.Fmt(
                NotAllEncodedName, {IntToStr(ConvertFilesFailed), IntToStr(ConvertFilesTotal)}));
    }
    Owner.Model.ConvertDone = 1;
    Progress2Pos = Progress2Max;
    ShowProgress();
    if (!Convert.TempFolder.empty()) {
        DeleteTree(Convert.TempFolder);
        Convert.TempFolder.clear();
    }
    ConvertFolderLock.Unlock();
    StartBuildWhenDone();
}

// ---- Database build ----------------------------------------------------------

void TTrackManager::TUpdateState::StartBuildWhenDone() {
    TTrackManager& m = Owner;
    if (!m.Model.CopyDone || !m.Model.ConvertDone || !UpdateRunning)
        return;
    if (Cancel) {
        m.Log.AddLog(m.Messages.Text(UpdateStoppedName));
        FinishRun();
        return;
    }
    if (CopyPassFailed || ConvertPassFailed) {
        m.Log.AddLog(m.Messages.Text(UpdateFailedName));
        FinishRun();
        return;
    }
    // The database lists only what lies on the card: a track that could not be put
    // there is left out, with the playlists renumbered.
    // The database goes to the drive the run started on, and names the tracks on it,
    // whatever drive is chosen meanwhile.
    TDatabaseSnapshot snapshot = m.Model.Snapshot(m.ListBoxPlayLists.Items);
    snapshot.PhoneDrive = PhoneDrive;
    const std::string runDrive = LowerCase(DriveText(PhoneDrive));
    auto onRunDrive = [&](const std::string& path) {
        return LowerCase(ExtractFileDrive(path)) == runDrive;
    };
    std::vector<int> newIndex(snapshot.Tracks.size(), -1);
    TTrackRows kept;
    for (size_t r = 0; r < snapshot.Tracks.size(); ++r) {
        const TTrackRowSnapshot& row = snapshot.Tracks[r];
        // Listed only when it is there: a card file that went away (deleted by hand,
        // never copied) would send the phone to nothing.
        if (onRunDrive(row.FileName) && !FileExists(row.FileName)) {
            m.Log.AddLog(m.Messages.Fmt("gone_from_card", {row.FileName}));
            ++MissingTracks;
            continue;
        }
        if (onRunDrive(row.FileName)) {
            bool fits = true;
            try {
                fits = TrackSizeFits(row.Size);
            } catch (const EConvertError&) {
                // Not a number at all: the build reports it.
            }
            if (!fits) {
                m.Log.AddLog(m.Messages.Fmt(TooLargeName, {row.FileName, row.Size}));
                ++MissingTracks;
                continue;
            }
            newIndex[r] = static_cast<int>(kept.size());
            kept.push_back(row);
        } else {
            m.Log.AddLog(m.Messages.Fmt(LeftOutName, {snapshot.Tracks[r].FileName}));
            ++MissingTracks;
        }
    }
    // Every entry written names a track of the database: a placeholder or an entry
    // past the rows would send the phone to a track that is not there.
    for (auto& entries : snapshot.PlaylistEntries) {
        std::vector<std::string> renumbered;
        for (const std::string& e : entries) {
            int32_t v = 0;
            if (TryStrToInt(e, v) && v >= 0 && v < static_cast<int32_t>(newIndex.size()) &&
                newIndex[static_cast<size_t>(v)] >= 0)
                renumbered.push_back(IntToStr(newIndex[static_cast<size_t>(v)]));
        }
        entries = std::move(renumbered);
    }
    if (kept.size() != snapshot.Tracks.size())
        snapshot.Tracks = std::move(kept);
    BuildSnapshot = std::move(snapshot);
    if (ThreadBuildDB->Execute(&BuildSnapshot) == 0) {
        m.Log.AddLog(m.Messages.Text(UpdateFailedName));
        FinishRun();
    }
}

void TTrackManager::TUpdateState::ThreadBuildDBExecute(const TDatabaseSnapshot& snapshot) {
    if (Cancel)
        return;
    const TManagerMessages& msg = Texts;
    PostProgress(TProgressBarId::Copy, 0, 100);
    PostProgress(TProgressBarId::Encode, 0, 100);
    const std::string drive = DriveText(PhoneDrive);
    std::string failure;
    try {
        if (!CardPresent())
            throw EInOutError(msg.Fmt(CardAbsentName, {drive}));
        const std::string folder = drive + std::string(iTunesDBFolder);
        if (!ContainedDirectoryExists(folder))
            PostLog(msg.Text(MessageName::CreatingDirectories));
        ContainedForceDirectories(ExcludeTrailingPathDelimiter(folder));
        PostLog(msg.Text(MessageName::BuildingiTunesDB));
        // Whatever the data may fail on fails here, before the card's file is touched;
        // the image is then written to it a piece at a time, never held whole.
        const TDatabaseImageWriter image(snapshot);
        PostLog(msg.Text(MessageName::SavingiTunesDB));
        if (Cancel)
            return;
        if (!CardPresent())
            throw EInOutError(msg.Fmt(CardAbsentName, {drive}));
        ContainedReplaceFile(drive + std::string(iTunesDBFile),
                             [&image](const TImagePieceSink& write) { image.Write(write); });
        PostLog(msg.Text(MessageName::MobileUpdated));
    } catch (const ELinkRefused& e) {
        failure = msg.Fmt(LinkRefusedName, {e.Link});
    } catch (const Exception& e) {
        failure = e.Message();
    } catch (const std::exception& e) {
        failure = e.what();
    }
    Post([failure](TTrackManager& m) {
        auto& st = *m.Update;
        if (failure.empty()) {
            st.BuildWritten = true;
            st.StopTag = 0;
        } else {
            st.BuildFailed = true;
            m.Log.AddLog(m.Messages.Fmt(BuildFailedName, {failure}));
        }
    });
}

void TTrackManager::TUpdateState::ThreadBuildDBFinish() {
    BV_ASSERT_GUI_THREAD();
    if (!*Alive)
        return;
    // Everything the worker found is applied before its end is.
    Flush();
    if (!BuildWritten)
        Owner.Log.AddLog(
            Owner.Messages.Text(Cancel && !BuildFailed ? UpdateStoppedName : UpdateFailedName));
    // "Mobile updated!" alone would hide the tracks the phone does not get.
    const int missing = MissingTracks + SkippedForSpace;
    const bool warn = BuildWritten && missing > 0;
    const std::string text = Owner.Messages.Fmt("tracks_missing", {IntToStr(missing)});
    if (warn)
        Owner.Log.AddLog(text);
    FinishRun();
    if (warn)
        Owner.Ui().ShowWarning(text);
}

void TTrackManager::TUpdateState::FinishRun() {
    ProgressAllPos = ProgressAllMax;
    ShowProgress();
    Owner.Ui().Beep();
    StopTag = 0;
    UpdateRunning = false;
    CardLock.Unlock();
    Owner.Ui().SetDriveSelectorEnabled(true);
    Owner.RefreshTrackView();
    EndRun();
}
