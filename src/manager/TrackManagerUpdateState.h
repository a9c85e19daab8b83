// The private state of the update, the card read, the detection and the scan.
// Only the files of that section (and their tests) include it.
//
// An update runs on three workers. They never touch the manager: each takes what
// it needs as a plan made on the GUI thread before it starts, and posts log lines,
// progress and row results back through the dispatcher, where they are applied
// by row serial. Only the atomics and the space reservation below are shared.
#pragma once

#include "BvCreateProcess.h"
#include "BvThread.h"
#include "DatabaseReader.h"
#include "Dispatcher.h"
#include "SafeFiles.h"
#include "TrackManager.h"
#include "UploadNames.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// One track the copy worker puts on the card.
struct TCopyJob {
    uint64_t Serial = 0;
    std::string Source;      // FileName on the PC
    std::string OwnName;     // the file's own name
    std::string UploadName;  // the name wanted on the card: its own or the rename template's
    std::string Dest;        // the card file, given by the copy worker before it copies
    int64_t ListedSize = -1; // the row's Size when the run started; -1 when no number
};

// One track the convert worker re-encodes.
struct TConvertJob {
    uint64_t Serial = 0;
    std::string Source;
    std::string Artist, Title, Album;
    std::string Dest; // with ".m4a" for the M4A format
    int64_t ListedSize = -1;
};

// What the convert worker needs of the options, fixed when the run starts.
struct TConvertSettings {
    int Format = 0; // 0 MP3, 1 M4A
    std::string Encoder;
    std::string EncodeTemplate;
    std::string DecodeTemplate;
    std::string BitrateText; // comboM4ABitrate
    bool Cbr = true;
    bool Vbr = false;
    int VbrQuality = 4;
    bool HighQuality = false;
    std::string TempFolder; // Windows form, private to this run
};

// Free card space handed out to the two copying workers, so that neither counts
// on bytes the other is about to write.
class TSpaceReservation {
public:
    // Reserves size bytes; false (and nothing reserved) when free space minus what
    // is reserved is smaller. free < 0 means the card is not there.
    bool Reserve(int64_t free, int64_t size);
    void Release(int64_t size);
    int64_t Reserved() const;

private:
    mutable std::mutex lock_;
    int64_t reserved_ = 0;
};

// What a card-read worker is given and what it finds; the GUI thread applies it.
struct TCardReadJob {
    TTrackManager::TRunKind Kind = TTrackManager::TRunKind::Read;
    char Drive = 'E';
    // Read the database on the card (the read commands), search the card for files
    // (the scans), look for dead files among Check (the dead-file check).
    bool ReadDatabase = false;
    bool SearchFiles = false;
    TManagerMessages Texts;
    // The track list's files when the job starts: what the search passes over, and
    // what the dead-file check looks at.
    std::vector<std::string> Listed;
    std::vector<uint64_t> CheckSerials;

    // ---- results --------------------------------------------------------------
    bool DatabaseFound = false;
    bool ReadFailed = false;
    std::string ReadError;
    bool CardThere = true;
    TScanResult Scan;
    TBvMultiStringHolder Temp = MakeTempStringHolder();
    TPlaylistLists Uids;
    // Per playlist, per entry: the row of Temp the entry names, -1 for none.
    std::vector<std::vector<int>> PlaylistRows;
    // Per row of Temp, or per entry of CheckSerials: the file is gone.
    std::vector<bool> Dead;
    std::vector<TTrackRowSnapshot> Found;
    bool Stopped = false;
};

struct TTrackManager::TUpdateState {
    explicit TUpdateState(TTrackManager& owner);
    ~TUpdateState();

    TTrackManager& Owner;

    // ---- GUI thread only ----------------------------------------------------
    std::unique_ptr<TBvThread> ThreadCopy, ThreadConvert, ThreadBuildDB, ThreadReadCard;
    std::unique_ptr<TBvCreateProcess> BvCreateProcess1;
    bool UpdateRunning = false; // from the start of a run until the build finish
    int CardBusy = 0;           // card read or scan in progress
    TRunKind Running = TRunKind::None;
    std::unique_ptr<TCardReadJob> CardJob;
    int StopTag = 0; // the Stop button's tag
    bool CopyPassFailed = false;
    bool ConvertPassFailed = false;
    // Tracks each pass could not put on the card (missing source, failed encoding),
    // while it went on with the others; out of how many it was given.
    int CopyFilesFailed = 0, CopyFilesTotal = 0;
    int ConvertFilesFailed = 0, ConvertFilesTotal = 0;
    // Tracks the phone does not get: moved to the deleted list for want of space, and
    // left out of the database (not on the card, gone from it, too large).
    int SkippedForSpace = 0, MissingTracks = 0;
    std::string FailureText; // the first reason a pass failed
    bool BuildFailed = false;
    bool BuildWritten = false;
    int Progress1Pos = 0, Progress1Max = 100;
    int Progress2Pos = 0, Progress2Max = 100;
    int ProgressAllPos = 0, ProgressAllMax = 30;
    // A tick never runs inside another.
    bool InTick = false;
    // The last detection error shown; a new box opens only for another text.
    bool ErrorBoxShown = false;

    // ---- fixed before the workers start ------------------------------------
    std::vector<TCopyJob> CopyJobs;
    std::vector<TConvertJob> ConvertJobs;
    TConvertSettings Convert;
    char PhoneDrive = 'E';
    // A detected letter that was refused, said once until another comes.
    char RefusedDetected = 0;
    // The upload folder of the run ("E:\mobile\audio\") and the names in it already
    // taken by rows and by the convert worker's tracks; the copy worker hands out the
    // rest, so a card file belongs to one row at most.
    std::string UploadFolder;
    TUploadNamer Names;
    bool CheckSpace = true;
    // The message texts of the run, so a language change never races a worker.
    TManagerMessages Texts;
    TDatabaseSnapshot BuildSnapshot;
    // The card's lock, held from the start of a run until it has ended: one card, one run,
    // also across processes.
    TFolderLock CardLock;
    // The card's lock while a card read, scan or dead-file check runs on its worker.
    TFolderLock CardReadLock;
    // The convert worker's private folder, locked while the run uses it.
    TFolderLock ConvertFolderLock;

    // ---- shared with the workers ---------------------------------------------
    // Whether the run must stop (Stop pressed, or the manager closing).
    std::atomic<uint8_t>& Cancel;
    TSpaceReservation Space;
    // The encoder's end, told by the runner's terminate event on the GUI thread.
    std::mutex EncoderLock;
    std::condition_variable EncoderChanged;
    bool EncoderEnded = false;
    uint32_t EncoderExitCode = 0;
    std::string EncoderOutput;
    std::atomic<int> EncoderPid{0};

    // ---- results on their way to the GUI thread --------------------------------
    // Workers put their results here; the GUI thread applies them in batches, at most
    // once per FlushInterval, so the window keeps up whatever the number of files.
    static constexpr std::chrono::milliseconds FlushInterval{40};
    std::mutex MailLock;
    std::vector<std::function<void(TTrackManager&)>> Mail;
    bool FlushQueued = false;
    std::chrono::steady_clock::time_point LastFlush{};
    // GUI thread: inside a flush, progress is shown once at its end.
    bool InFlush = false;
    bool ProgressDirty = false;
    std::chrono::steady_clock::time_point LastShown{};
    // Picks up what arrived too soon after a flush, while a run is on.
    TMainThreadTimer FlushTimer;
    int FlushCount = 0;

    // ---- seams for tests -------------------------------------------------
    // Free bytes of the card; the drive's real figure unless a test scripts it.
    std::function<int64_t(char drive)> FreeSpace;
    // Called on the copy worker after the first block of each file.
    std::function<void()> AfterFirstCopyBlock;
    // Called on the GUI thread right after the encoder was started.
    std::function<void()> EncoderStarted;
    // Called on the card-read worker when it starts.
    std::function<void()> CardReadStarted;
    // How long closing waits for what a stopped run still has going.
    int CloseWaitMs = 10000;
    // The card detection library: whether a card is present and its letter.
    std::function<uint8_t(uint8_t)> DetectConnect;
    std::function<char(char)> DetectDisk;

    // ---- helpers -------------------------------------------------------------
    // Posts a call to the GUI thread that runs only while the manager lives.
    void Post(std::function<void(TTrackManager&)> call);
    void PostLog(const std::string& message);
    void PostProgress(TProgressBarId bar, int delta, int position = -1);
    // Logs the skip and, on the GUI thread, moves the row with that serial to the
    // deleted list: the track did not fit on the card.
    void PostSkippedForSpace(const std::string& name, uint64_t serial);
    bool CardPresent() const;
    int64_t CardFree() const;

    // Workers and their finish handlers.
    void ThreadCopyExecute();
    void ThreadConvertExecute();
    void ThreadBuildDBExecute(const TDatabaseSnapshot& snapshot);
    void ThreadCopyFinish();
    void ThreadConvertFinish();
    void ThreadBuildDBFinish();
    void StartBuildWhenDone();
    // Shows the bars, at most once per FlushInterval unless forced.
    void ShowProgress(bool force = false);
    // GUI thread: applies every result the workers have put so far.
    void Flush();
    // The encoder's own progress, read from what it writes (GUI thread).
    void EncoderOutputRead(const std::string& block);
    // A run begins or ends: the busy state, the flush timer and the windows told.
    void BeginRun(TRunKind kind);
    void EndRun();
    // The card-read worker and its finish (TrackManagerCard.cpp).
    void ThreadReadCardExecute();
    void ThreadReadCardFinish();
    // A card read, scan or dead-file check has ended: the card and the commands are free.
    void EndCardRun();
    // The convert worker's encoder run: starts it on the GUI thread and waits for
    // its end or for Stop. False when stopped; raises when it cannot be started.
    bool RunConverter(const std::vector<std::string>& arguments);
    void NotifyEncoder();
    void FinishRun();

    // A liveness token the posted calls hold: cleared when the state goes.
    std::shared_ptr<TTrackManager*> Alive;
};

// The encoder's private folder in the temporary folder: this prefix, "-" and six characters.
inline constexpr std::string_view ConvertFolderPrefix = "brisvane-convert";

// Takes the card's lock for one command, or says that another run uses the card (logged
// and shown) and gives false. A card that cannot be opened is left to the command, which
// reports it its own way.
bool LockCard(TTrackManager& m, TFolderLock& lock);

// The section's state, made on first use (GUI thread).
TTrackManager::TUpdateState& UpdateStateOf(TTrackManager& manager);

// What the card file of a row says now, read again when the file on the card is not the
// size the row lists (its source changed since it was added). False when the file is no
// readable MP3 or M4A any more. Runs on a worker: it reads only the file.
bool ReadCardFileAgain(const std::string& cardFile, TTrackRowSnapshot& row);

// The playing time of an MP3 or M4A file in milliseconds; -1 when it is no readable
// MP3 or M4A. Runs on a worker: it reads only the file.
int64_t PlayingTimeMs(const std::string& file);

// Whether a file the encoder wrote is audio: an MP3 begins with an ID3 tag or an MPEG
// frame and holds at least one frame; a WAV begins as one. Empty when it is; else why not.
std::string EncoderOutputProblem(const std::string& file, bool wav);

// ---- The encoder's command lines (TrackManagerConvert.cpp) -----------------

// Splits an argument template by the command-line rules: blanks separate, double
// quotes group and are removed.
std::vector<std::string> SplitArgumentTemplate(const std::string& text);

struct TEncoderValues {
    std::string Bitrate; // " -b 96", " -v 4" or ""
    std::string InFile, OutDir, OutFile;
    std::string Artist, Title, Album;
};

// The argument vector (without the program) for a template: split first, then each
// placeholder replaced inside its own argument (any letter case), so a value can
// never add an option. An argument that is "<bitrate>" alone becomes the bitrate's
// own words. Arguments naming a file are turned into Linux paths.
std::vector<std::string> BuildEncoderArguments(const std::string& argumentTemplate,
                                               const TEncoderValues& values);

// The encoder's bitrate words: " -b 96" for CBR, " -V n" for a VBR quality, else empty.
std::string EncoderBitrateText(const TConvertSettings& settings);

// The encoder program as the child runner takes it: the file the setting's text names
// (FileNameFromText: an existing path as it stands, else its first parameter, quotes removed). The
// default "lame.exe" of the program folder, when it is not there, is the "lame" found in PATH.
std::string EncoderProgramPath(const std::string& converter);

// Whether the path lies below the drive's folder and the drive is ready.
bool DriveReady(char drive);
