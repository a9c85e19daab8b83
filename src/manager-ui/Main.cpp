// The main window's life: construction over the track manager, creation and closing,
// failures of handlers, and following the manager's notices of what changed.
#include "Main.h"

#include "Dialogs.h"
#include "Dispatcher.h"
#include "MainLayout.h"

#include <exception>
#include <tuple>

TForm1* Form1 = nullptr;

const TClassInfo& TForm1::StaticClassInfo() {
    static const TClassInfo info("TForm1", &TForm::StaticClassInfo(), {}, "Main");
    return info;
}

TForm1::TForm1(TComponent* owner, TManagerPaths paths) : TForm(owner) {
    Manager = std::make_unique<TTrackManager>(*this, std::move(paths));
    // A long add of files goes in pieces that leave the window painting between them.
    Manager->AddPieceMs = 25;
    CreateComponents();
    BuildCommandMap();
    Manager->ViewSink = [this](TViewId view) { SyncView(view); };
    Manager->ProgressSink = [this](TProgressBarId bar, int position, int max) {
        SyncProgress(bar, position, max);
    };
    Manager->Log.SetSink([this](const std::string& line) {
        if (IsMainThread()) {
            AddLogLine(line);
            return;
        }
        Queue([this, line] { AddLogLine(line); });
    });
}

TForm1::~TForm1() {
    if (Form1 == this)
        Form1 = nullptr;
    // The manager's sinks point into this window; nothing may reach it while it goes.
    if (Manager) {
        Manager->ViewSink = nullptr;
        Manager->ProgressSink = nullptr;
        Manager->RunSink = nullptr;
        Manager->Log.SetSink(nullptr);
    }
}

const std::array<std::string_view, 28>& TForm1::MessageStringNames() {
    static const std::array<std::string_view, 28> names = {
        MessageName::BuildingiTunesDB,   MessageName::SavingiTunesDB,
        MessageName::MobileUpdated,      MessageName::SuccessfullyCopied,
        MessageName::NoSenseToCopy,      MessageName::CopyingFile,
        MessageName::EncodingFile,       MessageName::WasConverted,
        MessageName::DecodingFile,       MessageName::CreatingDirectories,
        MessageName::AllFilesCopied,     MessageName::AllFilesEncoded,
        MessageName::ReadingDatabase,    MessageName::BuildingPlaylists,
        MessageName::SearchingBadLinks,  MessageName::ScaningMobile,
        MessageName::NotEnoughSpace1,    MessageName::NotEnoughSpace2,
        MessageName::NoFloppy,           MessageName::DoYouWantToDelete1,
        MessageName::DoYouWantToDelete2, MessageName::DoYouWantToDelete3,
        MessageName::SkeepingFile,       MessageName::AllMusic,
        MessageName::NewPlaylist,        MessageName::RenamePlaylist,
        MessageName::CreatePlaylist,     MessageName::TypeNameOfPlaylist};
    return names;
}

// ---- Creation and closing -------------------------------------------------------------

void TForm1::FormCreate(TControlEventArgs&) {
    Manager->FormCreate();
    // The translator writes the manager's own texts, so every command reads the translation.
    for (std::string_view name : MessageStringNames())
        Variables->Add(std::string(name), Manager->Messages.Variable(name));
    SyncAll();
}

void TForm1::FormCloseQuery(TControlEventArgs& args) {
    args.Accept = Manager->FormCloseQuery();
}

void TForm1::FormClose(TControlEventArgs& args) {
    if (closing_)
        return;
    closing_ = true;
    // Saves the settings and the library; a failure is shown once, naming the file, and the
    // window closes all the same.
    Manager->FormClose();
    TransFlashTimer->SetEnabled(false);
    TimerBeforeShow->SetEnabled(false);
    TimerAfterShow->SetEnabled(false);
    args.Action = TCloseAction::caHide;
    if (Application && Application->MainForm() == this)
        Application->Terminate();
}

// ---- The window's own commands ----------------------------------------------------------

void TForm1::bvGroupActionsExpanded(TControlEventArgs&) {
    Manager->bvGroupActionsExpanded();
    BvDriveCombo1->SetVisible(Manager->DriveComboVisible);
}

void TForm1::bvGroupLogExpanded(TControlEventArgs&) {
    // The box shows every child as it opens; "Stop" shows only while a run can be stopped.
    btnCancel->SetVisible(Manager->IsBusy());
}

void TForm1::BvDriveCombo1Change(TControlEventArgs&) {
    // The only writer of the phone drive: the selector's letter, and none while it shows
    // none, so a card command says so instead of working on a drive nobody chose. A run
    // keeps the drive it took; the selector's choice is taken when the run ends.
    if (!Manager->IsBusy())
        Manager->Model.PhoneDrive = BvDriveCombo1->Drive();
}

void TForm1::Sortall1Click(TControlEventArgs&) {
    Manager->Sortall1Click();
    Sortall1->SetChecked(Manager->Sortall1Checked);
}

void TForm1::ParseiTunesDB1Click(TControlEventArgs&) {
    Manager->ParseiTunesDB1Click();
    if (ShowInspectorHook)
        ShowInspectorHook();
}

void TForm1::BvSpeedItem1Click(TControlEventArgs&) {
    if (ShowAboutHook)
        ShowAboutHook();
}

// ---- Running a row of the command map -----------------------------------------------------

void TForm1::RunHandler(const TCommandBinding& row, TControlEventArgs& args) {
    const std::string failed = "\"" + row.What + "\" failed";
    // A command may fire others while it runs (a tag editor filled by a double-click changes
    // its edits): those work on the manager's choice as it stands, as the lists do not show
    // the running command's choice yet and would undo it.
    const bool outermost = !runningCommand_;
    runningCommand_ = true;
    struct TDone {
        bool& Running;
        bool Outermost;
        ~TDone() {
            if (Outermost)
                Running = false;
        }
    } done{runningCommand_, outermost};
    try {
        // What the lists show is what a command works on.
        if (!row.Tracking && outermost)
            ReadSelections();
        row.Run(args);
    } catch (const Exception& e) {
        ShowWarning(failed + ":\r\n" + e.Message());
    } catch (const std::exception& e) {
        ShowWarning(failed + ":\r\n" + e.what());
    } catch (...) {
        ShowWarning(failed + ".");
    }
    // The manager's timers are state that any command may change.
    if (!row.Tracking)
        FollowTimers();
}

void TForm1::FollowTimers() {
    if (!Manager)
        return;
    const std::pair<TTimer*, const TTimerState*> timers[] = {
        {TransFlashTimer, &Manager->TransFlashTimer},
        {TimerBeforeShow, &Manager->TimerBeforeShow},
        {TimerAfterShow, &Manager->TimerAfterShow}};
    for (auto [timer, state] : timers) {
        if (closing_) {
            timer->SetEnabled(false);
            continue;
        }
        if (state->Interval > 0)
            timer->SetInterval(static_cast<unsigned>(state->Interval));
        timer->SetEnabled(state->Enabled);
    }
    // What the handler changed of the card state shows at once (MainCard.cpp).
    SyncCardState();
}

// ---- Following the manager --------------------------------------------------------------

void TForm1::SyncAll() {
    for (TViewId view :
         {TViewId::Options, TViewId::PlaylistBox, TViewId::TrackView, TViewId::MediaDBList,
          TViewId::DeletedList, TViewId::TagEditor, TViewId::Statistics})
        SyncView(view);
}

void TForm1::SyncView(TViewId view) {
    switch (view) {
    case TViewId::TrackView:
        SyncTrackView();
        break;
    case TViewId::PlaylistBox:
        SyncPlaylistBox();
        break;
    case TViewId::MediaDBList:
        SyncMediaDBList();
        break;
    case TViewId::DeletedList:
        SyncDeletedList();
        break;
    case TViewId::TagEditor:
        SyncTagEditor();
        break;
    case TViewId::Statistics:
        SyncStatistics();
        break;
    case TViewId::Options:
        SyncOptions();
        break;
    }
}

void TForm1::SyncOptions() {
    TTrackManager& m = *Manager;
    BvSpeedBar1->SetVisible(m.SpeedBarVisible);
    BvDriveCombo1->SetDriveTypes(m.DriveComboOnlyRemovable ? BvDriveRemov->DriveTypes()
                                                           : BvDriveAll->DriveTypes());
    if (!bvGroupActions->Collapsed())
        BvDriveCombo1->SetVisible(m.DriveComboVisible);
    FollowTimers();
    // Wrapped rows need variable heights; the style comes first, as a window made again for
    // the scroll bars keeps the multi-line mode only with it.
    const bool multiLine = m.Options.cbMultiLinePlaylist;
    BvPlaylist->SetStyle(multiLine ? TListBoxStyle::lbOwnerDrawVariable
                                   : TListBoxStyle::lbStandard);
    BvPlaylist->SetMultiLine(multiLine);
    BvPlaylist->SetScrollBars(multiLine ? TScrollStyle::ssVertical : TScrollStyle::ssBoth);
    BvPlaylist->SetMultiSelect(true);
    Sortall1->SetChecked(m.Sortall1Checked);
}

void TForm1::ReadSelections() {
    const std::tuple<TBvPlaylist*, TListView*, uint64_t*> lists[] = {
        {BvPlaylist, &Manager->BvPlaylist, &ShownTrackLines},
        {MediaDBList, &Manager->MediaDBList, &ShownLibraryLines},
        {DeletedList, &Manager->DeletedList, &ShownDeletedLines}};
    for (auto [box, view, shown] : lists) {
        // A list that does not hold the view's lines yet is shown them first: what it has
        // chosen then is the view's own choice, never lines of an older fill read as new ones.
        if (box->Count() != view->Count())
            ShowListView(box, *view, *shown);
        view->Selected.clear();
        // Ascending, so each line goes in at the end without a search.
        for (int line : box->SelectedLines())
            view->Selected.insert(view->Selected.end(), line);
        view->ItemIndex = box->ItemIndex();
        view->TopIndex = box->TopIndex();
    }
}
