// The form placement on real forms: its handlers in front of the form's own, what it saves and
// restores, the version check, the size limits, and the window-placement routines.
#include "BvFormPlacement.h"
#include "GuiTestEnvironment.h"
#include "MemoryStorage.h"
#include "StdCtrls.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

class TMainWindowForm : public TForm {
    BV_CLASS_INFO()
public:
    using TForm::TForm;
};

const TClassInfo& TMainWindowForm::StaticClassInfo() {
    static const TClassInfo info("TMainWindowForm", &TForm::StaticClassInfo());
    return info;
}

// A store whose writes fail, as a full disk would make them.
class TFailingStorage : public TMemoryStorage {
public:
    using TMemoryStorage::TMemoryStorage;

protected:
    void DoWriteInteger(const std::string&, int32_t) override { throw EInOutError("disk full"); }
};

struct Placed {
    TForm* form;
    TMemoryStorage* storage;
    TBvFormPlacement* placement;
    Strings calls;
    Strings errors;
    explicit Placed(bool failing = false) {
        form = new TMainWindowForm(Application);
        form->SetName("Editor");
        UseTestFont(form->Font());
        form->SetBounds(40, 30, 320, 200);
        storage = failing ? new TFailingStorage(form) : new TMemoryStorage(form);
        placement = new TBvFormPlacement(form);
        placement->SetAppStorage(storage);
        form->OnShow = [this](TObject*) { calls.push_back("show"); };
        form->OnCloseQuery = [this](TObject*, bool&) { calls.push_back("closequery"); };
        form->OnDestroy = [this](TObject*) { calls.push_back("destroy"); };
        form->AfterConstruction();
        placement->ChainFormHandlers();
        Application->OnException = [this](TObject*, const std::exception& e) {
            errors.push_back(e.what());
        };
    }
    ~Placed() {
        Application->OnException = nullptr;
        delete form;
    }
    // As the window's close button does it.
    void CloseByWindow() {
        QCloseEvent close;
        QCoreApplication::sendEvent(form->Widget(), &close);
    }
};

TEST(FormPlacement, SavesOnCloseAndRestoresOnShowInFrontOfTheFormsOwnHandlers) {
    Placed p;
    p.form->Show();
    Application->ProcessMessages();
    EXPECT_EQ(p.calls, Strings{"show"});
    p.form->SetBounds(60, 50, 400, 260);
    p.CloseByWindow();
    Application->ProcessMessages();
    EXPECT_EQ(p.calls, (Strings{"show", "closequery"}));
    EXPECT_EQ(p.storage->Text("Editor\\FormVersion"), "int 0");
    EXPECT_EQ(p.storage->Text("Editor\\NormPos"), "60,50,460,310");
    EXPECT_EQ(p.storage->Text("Editor\\NormPos" + ScreenSizeSuffix()), "60,50,460,310");
    EXPECT_EQ(p.storage->Text("Editor\\ShowCmd"), "int 1");
    EXPECT_EQ(p.storage->Text("Editor\\PixelsPerInch"), "int 96");

    // Shown again elsewhere, it comes back where it was saved.
    p.form->SetBounds(0, 0, 200, 100);
    p.form->Show();
    Application->ProcessMessages();
    EXPECT_EQ(p.form->BoundsRect(), Rect(60, 50, 460, 310));
    EXPECT_TRUE(p.errors.empty());
}

TEST(FormPlacement, PreviousHandlersRunAlsoWhenSavingOrRestoringRaises) {
    Placed p(true);
    p.storage->Put("Editor\\FormVersion", std::string("not a number"));
    p.form->Show();
    Application->ProcessMessages();
    bool canClose = p.form->CloseQuery();
    EXPECT_TRUE(canClose);
    p.form->Hide();
    delete p.form;
    p.form = nullptr;
    EXPECT_EQ(p.calls, (Strings{"show", "closequery", "destroy"}));
    // Restore, save on close and save on destroy each raised once and were reported.
    EXPECT_EQ(p.errors.size(), 3u);
    p.form = new TForm(Application); // for the destructor
}

TEST(FormPlacement, WithoutStorageOnlyThePreviousHandlersRun) {
    Placed p;
    p.placement->SetAppStorage(nullptr);
    p.form->Show();
    p.form->CloseQuery();
    EXPECT_EQ(p.calls, (Strings{"show", "closequery"}));
    EXPECT_EQ(p.storage->Size(), 0u);
    EXPECT_TRUE(p.storage->Log.empty());
}

TEST(FormPlacement, AFormThatWasNeverShownSavesNothing) {
    auto* storage = new TMemoryStorage(nullptr);
    storage->Put("Editor\\NormPos", std::string("1,2,3,4"));
    {
        Placed p;
        p.placement->SetAppStorage(storage);
        delete p.form;
        p.form = new TForm(Application);
        EXPECT_EQ(p.calls, Strings{"destroy"});
    }
    EXPECT_EQ(storage->Size(), 1u);
    EXPECT_EQ(storage->Text("Editor\\NormPos"), "1,2,3,4");
    {
        // Shown and not saved since: its destruction saves.
        Placed p;
        p.placement->SetAppStorage(storage);
        p.form->Show();
        p.form->SetBounds(70, 80, 300, 200);
        p.form->Hide();
        delete p.form;
        p.form = new TForm(Application);
    }
    EXPECT_EQ(storage->Text("Editor\\NormPos"), "70,80,370,280");
    EXPECT_EQ(storage->Text("Editor\\FormVersion"), "int 0");
    delete storage;
}

TEST(FormPlacement, VersionCheck) {
    using V = TBvFormPlacementVersionCheck;
    struct Case {
        V check;
        int stored, version;
        bool restored;
    } cases[] = {
        {V::fpvcNocheck, 1, 2, true},           {V::fpvcCheckGreaterEqual, 1, 2, false},
        {V::fpvcCheckGreaterEqual, 2, 2, true}, {V::fpvcCheckGreaterEqual, 3, 2, true},
        {V::fpvcCheckEqual, 3, 2, false},       {V::fpvcCheckEqual, 2, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.check)) + " " + std::to_string(c.stored) +
                     " " + std::to_string(c.version));
        Placed p;
        p.placement->VersionCheck = c.check;
        p.placement->Version = c.version;
        p.storage->Put("Editor\\FormVersion", int32_t{c.stored});
        p.storage->Put("Editor\\NormPos", std::string("10,20,210,170"));
        p.storage->Put("Editor\\PixelsPerInch", int32_t{96});
        bool restoredEvent = false;
        p.placement->OnRestorePlacement = [&](TObject*) { restoredEvent = true; };
        p.placement->RestorePlacement();
        EXPECT_EQ(p.form->BoundsRect() == Rect(10, 20, 210, 170), c.restored);
        EXPECT_EQ(restoredEvent, c.restored);
    }
}

TEST(FormPlacement, StoragePathIsResolvedWhereverItIsUsed) {
    Placed p;
    p.placement->SetAppStoragePath("Windows\\%form_name%\\Place");
    EXPECT_EQ(p.placement->ResolvedStoragePath(), "Windows\\Editor\\Place\\");
    // Renamed after the path was set: the new name is used.
    p.form->SetName("Viewer");
    EXPECT_EQ(p.placement->ResolvedStoragePath(), "Windows\\Viewer\\Place\\");
    p.placement->SetAppStoragePath("%FORM_NAME%\\%FORM_NAME%");
    EXPECT_EQ(p.placement->ResolvedStoragePath(), "Viewer\\%FORM_NAME%\\");
    p.placement->SetAppStoragePath("");
    EXPECT_EQ(p.placement->ResolvedStoragePath(), "");
    p.form->SetName("Editor");
}

TEST(FormPlacement, ActiveControlAloneWritesNoPlacement) {
    Placed p;
    auto* edit = new TEdit(p.form);
    edit->SetName("NameEdit");
    edit->SetParent(p.form);
    p.placement->Options = fpActiveControl;
    p.form->Show();
    p.form->SetActiveControl(edit);
    p.placement->SavePlacement();
    Strings keys;
    for (const char* k : {"FormVersion", "ActiveControl", "ShowCmd", "NormPos", "Flags"})
        keys.push_back(p.storage->Text(std::string("Editor\\") + k));
    EXPECT_EQ(keys, (Strings{"int 0", "NameEdit", "<none>", "<none>", "<none>"}));
    p.form->SetActiveControl(nullptr);
    p.placement->RestorePlacement();
    EXPECT_EQ(p.form->ActiveControl(), edit);
}

TEST(FormPlacement, MinMaxInfoAnswersTheSizeQueryAndHooksOnlyWhileSet) {
    Placed p;
    EXPECT_FALSE(p.placement->HookAttached());
    auto query = [&] {
        TMinMaxInfo info{};
        info.MinTrackSize = {1, 1};
        info.MaxTrackSize = {5000, 5000};
        info.MaxPosition = {7, 7};
        p.form->Perform(WM_GETMINMAXINFO, 0, reinterpret_cast<intptr_t>(&info));
        return info;
    };
    p.placement->MinMaxInfo().SetMinTrackWidth(300);
    EXPECT_TRUE(p.placement->HookAttached());
    p.placement->MinMaxInfo().SetMaxTrackHeight(600);
    p.placement->MinMaxInfo().SetMaxPosLeft(-4);
    TMinMaxInfo info = query();
    EXPECT_EQ(info.MinTrackSize, Point(300, 1));
    EXPECT_EQ(info.MaxTrackSize, Point(5000, 600));
    EXPECT_EQ(info.MaxPosition, Point(-4, 7));

    p.placement->MinMaxInfo().SetMinTrackWidth(0);
    p.placement->MinMaxInfo().SetMaxTrackHeight(0);
    p.placement->MinMaxInfo().SetMaxPosLeft(0);
    EXPECT_FALSE(p.placement->HookAttached());
    EXPECT_EQ(query().MinTrackSize, Point(1, 1));

    // Kept from resizing: the limits are the form's own size while it shows.
    p.form->Show();
    p.placement->SetPreventResize(true);
    EXPECT_TRUE(p.placement->HookAttached());
    info = query();
    EXPECT_EQ(info.MinTrackSize, Point(320, 200));
    EXPECT_EQ(info.MaxTrackSize, Point(320, 200));
    p.placement->SetPreventResize(false);
    EXPECT_FALSE(p.placement->HookAttached());
}

TEST(FormPlacement, HandlersGoBackOnlyWhenTheyAreStillThePlacements) {
    for (bool replaced : {false, true}) {
        SCOPED_TRACE(replaced ? "replaced" : "kept");
        Placed p;
        Strings later;
        if (replaced)
            p.form->OnShow = [&](TObject*) { later.push_back("later show"); };
        delete p.placement;
        p.form->Show();
        EXPECT_EQ(p.calls, replaced ? Strings{} : Strings{"show"});
        EXPECT_EQ(later, replaced ? Strings{"later show"} : Strings{});
        EXPECT_EQ(p.storage->Size(), 0u);
    }
}

TEST(FormPlacement, LinksSaveAndLoadWithThePlacement) {
    Placed p;
    Strings heard;
    {
        TBvIniLink link;
        link.OnSave = [&](TObject*) { heard.push_back("save"); };
        link.OnLoad = [&](TObject*) { heard.push_back("load"); };
        link.SetStorage(p.placement);
        EXPECT_EQ(p.placement->LinkCount(), 1);
        p.placement->SavePlacement();
        p.placement->RestorePlacement();
    }
    EXPECT_EQ(p.placement->LinkCount(), 0);
    EXPECT_EQ(heard, (Strings{"save", "load"}));
}

TEST(WindowPlacement, ReadPrefersTheScreenSizedKeyAndKeepsTheWindowOnTheScreen) {
    Placed p;
    std::string sized = ScreenSizeSuffix();
    struct Case {
        const char* plain;
        const char* forScreen;
        int ppi;
        TPlacementOptions options;
        TRect expected;
    } cases[] = {
        {"10,20,110,220", nullptr, 96, fpSize | fpLocation, Rect(10, 20, 110, 220)},
        {"10,20,110,220", "30,40,330,240", 96, fpSize | fpLocation, Rect(30, 40, 330, 240)},
        {"10,20,110,220", nullptr, 120, fpSize | fpLocation, Rect(40, 30, 360, 230)},
        {"10,20,110,220", nullptr, 96, fpLocation, Rect(10, 20, 330, 220)},
        {"10,20,110,220", nullptr, 96, fpSize, Rect(40, 30, 140, 230)},
        // Saved on a larger screen: moved back inside this one, shrunk when it must be.
        {"5000,4000,5300,4200", nullptr, 96, fpSize | fpLocation,
         Rect(GetSystemMetrics(SM_CXSCREEN) - 300, GetSystemMetrics(SM_CYSCREEN) - 200,
              GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN))},
        {"-50,-60,99950,300", nullptr, 96, fpSize | fpLocation,
         Rect(0, 0, GetSystemMetrics(SM_CXSCREEN), 360)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.plain) + (c.forScreen ? " + sized" : ""));
        TMemoryStorage s;
        s.Put("Sec\\NormPos", std::string(c.plain));
        if (c.forScreen)
            s.Put("Sec\\NormPos" + sized, std::string(c.forScreen));
        s.Put("Sec\\PixelsPerInch", int32_t{c.ppi});
        p.form->SetBounds(40, 30, 320, 200);
        ReadWindowPlacement(p.form, &s, "Sec", c.options);
        EXPECT_EQ(p.form->BoundsRect(), c.expected);
    }
    // A form that cannot be resized keeps its size.
    TMemoryStorage s;
    s.Put("Sec\\NormPos", std::string("10,20,110,220"));
    s.Put("Sec\\PixelsPerInch", int32_t{96});
    p.form->BorderStyle = TFormBorderStyle::bsDialog;
    p.form->SetBounds(40, 30, 320, 200);
    ReadWindowPlacement(p.form, &s, "Sec", fpSize | fpLocation);
    EXPECT_EQ(p.form->BoundsRect(), Rect(10, 20, 330, 220));
    // Exactly the active control: neither routine touches anything.
    TMemoryStorage none;
    WriteWindowPlacement(p.form, &none, "Sec", fpActiveControl);
    EXPECT_EQ(none.Size(), 0u);
}

// Damaged positions in the store are garbage: read in no time, applied not at all, and
// never computed with (a sum past the integer range would be undefined behaviour).
TEST(WindowPlacement, DamagedPositionsAreIgnored) {
    Placed p;
    const char* damaged[] = {
        "-2000000000,10,2000000000,300",
        "10,-2147483648,300,2147483647",
        "10,20,99999999999,300",
        "10,20,330",
        "10,20,330,220,7",
        "ten,twenty,330,220",
        "",
    };
    for (const char* norm : damaged) {
        SCOPED_TRACE(norm);
        for (TPlacementOptions options :
             {TPlacementOptions(fpSize | fpLocation), TPlacementOptions(fpSize),
              TPlacementOptions(fpLocation)}) {
            TMemoryStorage s;
            s.Put("Sec\\NormPos", std::string(norm));
            s.Put("Sec\\MinMaxPos", std::string("-2000000000,0,2000000000,0"));
            s.Put("Sec\\PixelsPerInch", int32_t{96});
            p.form->SetBounds(40, 30, 320, 200);
            ReadWindowPlacement(p.form, &s, "Sec", options);
            EXPECT_EQ(p.form->BoundsRect(), Rect(40, 30, 360, 230));
        }
    }
    // A sound position beside a damaged one is still taken.
    TMemoryStorage s;
    s.Put("Sec\\NormPos", std::string("10,20,110,220"));
    s.Put("Sec\\MinMaxPos", std::string("-2000000000,0,2000000000,0"));
    s.Put("Sec\\PixelsPerInch", int32_t{96});
    ReadWindowPlacement(p.form, &s, "Sec", fpSize | fpLocation);
    EXPECT_EQ(p.form->BoundsRect(), Rect(10, 20, 110, 220));
}

// A form closed while maximized keeps the bounds the user gave it: un-maximized after the
// next start, it is that window again, not the whole screen.
TEST(FormPlacement, AMaximizedFormStoresItsNormalBounds) {
    TMemoryStorage kept;
    {
        Placed p;
        p.form->Show();
        PumpEvents();
        p.form->SetBounds(60, 50, 400, 260);
        PumpEvents();
        p.form->SetWindowState(TWindowState::wsMaximized);
        PumpEvents();
        if (p.form->BoundsRect() == Rect(60, 50, 460, 310))
            GTEST_SKIP() << "this platform does not maximize windows";
        ASSERT_EQ(p.form->NormalBoundsRect(), Rect(60, 50, 460, 310));
        p.CloseByWindow();
        PumpEvents();
        EXPECT_EQ(p.storage->Text("Editor\\ShowCmd"), "int 3");
        EXPECT_EQ(p.storage->Text("Editor\\NormPos"), "60,50,460,310");
        EXPECT_EQ(p.storage->Text("Editor\\NormPos" + ScreenSizeSuffix()), "60,50,460,310");
        for (const char* key : {"ShowCmd", "NormPos", "PixelsPerInch", "FormVersion", "Flags"}) {
            const auto* value = p.storage->Get(std::string("Editor\\") + key);
            ASSERT_NE(value, nullptr) << key;
            kept.Put(std::string("Editor\\") + key, *value);
        }
        p.form->SetWindowState(TWindowState::wsNormal);
        PumpEvents();
    }
    // The next start: shown maximized, and restored to the saved window.
    Placed next;
    for (const char* key : {"ShowCmd", "NormPos", "PixelsPerInch", "FormVersion", "Flags"})
        next.storage->Put(std::string("Editor\\") + key, *kept.Get(std::string("Editor\\") + key));
    next.form->SetBounds(0, 0, 200, 100);
    next.form->Show();
    PumpEvents();
    EXPECT_EQ(next.form->WindowState(), TWindowState::wsMaximized);
    next.form->SetWindowState(TWindowState::wsNormal);
    PumpEvents();
    EXPECT_EQ(next.form->BoundsRect(), Rect(60, 50, 460, 310));
}

TEST(WindowPlacement, StateIsSavedAndRestored) {
    Placed p;
    TMemoryStorage s;
    p.form->Show();
    p.form->SetWindowState(TWindowState::wsMaximized);
    WriteWindowPlacement(p.form, &s, "Sec", fpState);
    EXPECT_EQ(s.Text("Sec\\ShowCmd"), "int 3");
    EXPECT_EQ(s.Size(), 1u);
    p.form->SetWindowState(TWindowState::wsNormal);
    ReadWindowPlacement(p.form, &s, "Sec", fpState);
    EXPECT_EQ(p.form->WindowState(), TWindowState::wsMaximized);
    p.form->SetWindowState(TWindowState::wsNormal);
}

TEST(WindowPlacement, DefaultSections) {
    auto* form = new TMainWindowForm(Application);
    auto* edit = new TEdit(form);
    edit->SetName("Search");
    edit->SetParent(form);
    auto* storage = new TMemoryStorage(form);
    storage->SetName("Store");
    EXPECT_EQ(GetDefaultSection(nullptr), "");
    EXPECT_EQ(GetDefaultSection(form), "TMainWindowForm");
    EXPECT_EQ(GetDefaultSection(edit), "TMainWindowFormSearch");
    EXPECT_EQ(GetDefaultSection(storage), "TMainWindowForm.Store");
    delete form;
}

} // namespace
