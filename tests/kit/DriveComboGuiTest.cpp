// The drive selector over a scripted drive table, then with the mouse, and with a
// real volume mounted and unmounted while the event loop runs.
#include "BvDriveCtrls.h"
#include "DriveWatch.h"
#include "Drives.h"
#include "GuiTestEnvironment.h"
#include "KitPictures.h"
#include "ThemeIcons.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <sys/mount.h>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

constexpr TBvDriveTypes kAllTypes = DriveTypeSet(TBvDriveType::dtFixed, TBvDriveType::dtRemovable,
                                                 TBvDriveType::dtRemote, TBvDriveType::dtCDROM);

// Drives in a temporary folder, one sub-folder each; "C" is always "/".
class ScriptedDrives : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "bvdrives-XXXXXX").string();
        ASSERT_NE(nullptr, mkdtemp(tmpl.data()));
        base_ = tmpl;
        SetDriveTableSource([this] { return table_; });
        Script("C=f");
    }
    void TearDown() override {
        SetDriveTableSource({});
        RefreshDriveTable();
        fs::remove_all(base_);
    }
    // "C=f E=r D=c": letters with fixed, removable, CD; the folder of a removable
    // drive is named "card", of others after their letter.
    void Script(const std::string& drives) {
        table_.clear();
        for (size_t i = 0; i + 2 < drives.size() + 1; i += 4) {
            const char letter = drives[i];
            const char kind = drives[i + 2];
            TDriveEntry e;
            e.Letter = letter;
            e.Type = kind == 'r' ? DRIVE_REMOVABLE : kind == 'c' ? DRIVE_CDROM : DRIVE_FIXED;
            if (letter == 'C') {
                e.Root = "/";
            } else {
                fs::path folder = base_ / std::string(1, letter) /
                                  (kind == 'r' ? "card" : std::string(1, letter) + "vol");
                fs::create_directories(folder);
                e.Root = folder.string();
            }
            table_.push_back(e);
        }
        RefreshDriveTable();
    }
    // The drive table changed as a mount would change it.
    void Remount(const std::string& drives) {
        Script(drives);
        DrivesChanged();
    }
    static std::string Letters(const TBvDriveCombo& c) {
        return std::string(c.Letters().begin(), c.Letters().end());
    }

    fs::path base_;
    std::vector<TDriveEntry> table_;
};

// Exposes the user's change notification.
class TOpenDriveCombo : public TBvDriveCombo {
public:
    using TBvDriveCombo::Change;
    using TBvDriveCombo::TBvDriveCombo;
};

struct TSelectorCase {
    const char* name;
    const char* drives;  // the table at the start
    TBvDriveTypes types; // as set on the selector
    char first;          // a drive chosen before the step (0: none)
    char set;            // the letter the step sets (0: none)
    bool took;           // what setting it answers
    const char* after;   // the table after the step, brought by a mount change ("": same)
    const char* letters; // listed afterwards
    char drive;          // Drive afterwards
    const char* display; // DisplayName afterwards
};

TEST_F(ScriptedDrives, EdgeCasesOfTheList) {
    constexpr auto R = DriveTypeBit(TBvDriveType::dtRemovable);
    const TSelectorCase cases[] = {
        {"an empty type set lists the fixed drives", "C=f E=r F=f", 0, 0, 0, false, "", "CF", 0,
         ""},
        {"removable only, none present", "C=f F=f", R, 0, 'C', false, "", "", 0, ""},
        {"'e' selects E:", "C=f E=r", kAllTypes, 0, 'e', true, "", "CE", 'E', "card (E:)"},
        {"an unlisted letter changes nothing", "C=f E=r", kAllTypes, 'E', 'Q', false, "", "CE", 'E',
         "card (E:)"},
        {"a letter of an unlisted type changes nothing", "C=f E=r", R, 'E', 'C', false, "", "E",
         'E', "card (E:)"},
        {"D: arriving keeps E: chosen", "C=f E=r", kAllTypes, 'E', 0, false, "C=f D=r E=r", "CDE",
         'E', "card (E:)"},
        {"nothing chosen shows no name", "C=f E=r", R, 0, 0, false, "", "E", 0, ""},
        {"E: leaving shows no line and no drive", "C=f D=r E=r", kAllTypes, 'E', 0, false,
         "C=f D=r", "CD", 0, ""},
        {"the last line leaving selects nothing past the end", "C=f D=r E=r", kAllTypes, 'E', 0,
         false, "C=f", "C", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Script(c.drives);
        TBvDriveCombo combo(nullptr);
        combo.SetDriveTypes(c.types);
        if (c.first) {
            ASSERT_TRUE(combo.SetDrive(c.first));
        }
        if (c.set) {
            EXPECT_EQ(c.took, combo.SetDrive(c.set));
        }
        if (*c.after)
            Remount(c.after);
        EXPECT_EQ(c.letters, Letters(combo));
        EXPECT_EQ(c.drive, combo.Drive());
        EXPECT_EQ(c.display, combo.DisplayName());
        EXPECT_LT(combo.ItemIndex(), combo.Items()->Count());
        if (c.drive) {
            EXPECT_EQ(c.drive, combo.Letters()[static_cast<size_t>(combo.ItemIndex())]);
        } else {
            EXPECT_EQ(-1, combo.ItemIndex());
        }
        Script("C=f");
    }
    EXPECT_EQ(DriveTypeBit(TBvDriveType::dtFixed), [] {
        TBvDriveCombo combo(nullptr);
        combo.SetDriveTypes(0);
        return combo.DriveTypes();
    }());
}

// A card taken out and put back is the phone drive again; meanwhile the user's
// change notification with nothing chosen leaves the drive remembered.
TEST_F(ScriptedDrives, ACardTakenOutAndPutBackKeepsItsLetter) {
    Script("C=f D=r E=r");
    TOpenDriveCombo combo(nullptr);
    combo.SetDriveTypes(kAllTypes);
    int changes = 0;
    combo.OnChange = [&](TObject*) { ++changes; };
    ASSERT_TRUE(combo.SetDrive('E'));
    EXPECT_EQ(1, changes);
    Remount("C=f D=r");
    EXPECT_EQ(0, combo.Drive());
    EXPECT_EQ(-1, combo.ItemIndex());
    combo.Change();
    EXPECT_EQ(0, combo.Drive());
    Remount("C=f D=r E=r");
    EXPECT_EQ('E', combo.Drive());
    EXPECT_EQ(2, combo.ItemIndex());
    EXPECT_EQ("card (E:)", combo.DisplayName());
}

// A letter the list does not hold yet is looked for in a fresh table before it is refused.
TEST_F(ScriptedDrives, SettingAnUnlistedLetterReadsTheTableFirst) {
    Script("C=f");
    TBvDriveCombo combo(nullptr);
    combo.SetDriveTypes(kAllTypes);
    table_.push_back({'G', (base_ / "G").string(), DRIVE_REMOVABLE});
    fs::create_directories(base_ / "G");
    // No mount change told the selector; the letter itself makes it look.
    EXPECT_TRUE(combo.SetDrive('g'));
    EXPECT_EQ('G', combo.Drive());
    EXPECT_EQ("CG", Letters(combo));
    EXPECT_FALSE(combo.SetDrive('H'));
    EXPECT_EQ('G', combo.Drive());
}

// When its window is made the selector picks a drive itself, but never the system's.
TEST_F(ScriptedDrives, TheFirstChoiceIsNeverTheSystemDrive) {
    struct TCase {
        const char* drives;
        char drive;
    } cases[] = {{"C=f", 0}, {"C=f E=r", 'E'}, {"C=f D=c F=r", 'D'}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.drives);
        Script(c.drives);
        TForm* form = MakeTestForm(200, 60);
        auto* combo = new TBvDriveCombo(form);
        combo->SetParent(form);
        combo->SetDriveTypes(kAllTypes);
        form->Show();
        Application->ProcessMessages();
        EXPECT_EQ(c.drive, combo->Drive());
        delete form;
    }
}

QComboBox* QtCombo(TBvDriveCombo* c) {
    return qobject_cast<QComboBox*>(c->Widget());
}

// Three drives dropped down and the third clicked with the mouse; the picture of the
// open list is kept for a person to look at.
TEST_F(ScriptedDrives, ThreeDrivesDroppedDownAndOnePickedWithTheMouse) {
    Script("C=f D=c E=r");
    for (unsigned type : {DRIVE_FIXED, DRIVE_CDROM, DRIVE_REMOVABLE})
        EXPECT_TRUE(HasThemeIcon(TBvDriveCombo::DriveIconName(type))) << type;
    TForm* form = MakeTestForm(240, 160);
    form->SetCaption("Drives");
    auto* combo = new TBvDriveCombo(form);
    combo->SetParent(form);
    combo->SetBounds(10, 10, 200, 24);
    combo->SetDriveTypes(kAllTypes);
    std::vector<char> picked;
    combo->OnChange = [&](TObject*) { picked.push_back(combo->Drive()); };
    form->Show();
    Application->ProcessMessages();
    ASSERT_EQ("CDE", Letters(*combo));
    ASSERT_TRUE(combo->SetDrive('D'));
    picked.clear();

    QComboBox* qc = QtCombo(combo);
    ASSERT_NE(nullptr, qc);
    QTest::mouseClick(qc, Qt::LeftButton, Qt::NoModifier, QPoint(100, 12));
    Application->ProcessMessages();
    QAbstractItemView* view = qc->view();
    ASSERT_TRUE(view->isVisible());
    // A drop-down list opens below the box and leaves the box in sight, whatever the
    // current item; some styles would lay the list over the box instead.
    const int boxBottom = qc->mapToGlobal(QPoint(0, qc->height())).y();
    EXPECT_GE(view->window()->mapToGlobal(QPoint(0, 0)).y(), boxBottom - 1);

    // The form and the open list, composed as they lie on the screen.
    QImage formShot = form->Widget()->grab().toImage();
    QImage shot = ComposeWithPopup(formShot, form->Widget(), view->window());
    std::string path = std::string(BV_BINARY_DIR) + "/kit_drive_combo_dropped.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(path)));

    // Each line carries its icon: drawn pixels left of the text, on the window's white.
    const QRect third = view->visualRect(view->model()->index(2, 0));
    QImage lines = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int coloured = 0;
    for (int y = third.top(); y < third.bottom(); ++y)
        for (int x = third.left(); x < third.left() + 26; ++x) {
            coloured += qGray(lines.pixel(x, y)) < 200;
        }
    EXPECT_GT(coloured, 10) << "no icon drawn on the E: line";

    // The list ignores a release that comes as quickly as a double click's.
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, third.center());
    Application->ProcessMessages();
    EXPECT_EQ('E', combo->Drive());
    EXPECT_EQ((std::vector<char>{'E'}), picked);
    EXPECT_EQ("card (E:)", combo->DisplayName());
    delete form;
}

// The drive table read from three mount tables in turn, as the user makes them: the
// phone alone, a stick whose folder sorts first plugged in, the phone taken out. The
// phone's line keeps "D:" and stays chosen while the stick comes; when the phone goes
// nothing is chosen, never the stick; when it comes back it is chosen again.
TEST(DriveComboMountTables, ThePhoneKeepsItsLetterAndNoOtherVolumeTakesItsPlace) {
    std::string tmpl = (fs::temp_directory_path() / "bvmounts-XXXXXX").string();
    ASSERT_NE(nullptr, mkdtemp(tmpl.data()));
    const fs::path base = tmpl;
    // A made-up /sys in which both block devices hang on USB.
    const fs::path sys = base / "sys";
    for (const char* dev : {"8:17", "8:33"}) {
        const fs::path folder = sys / "devices/usb1" / dev;
        fs::create_directories(folder);
        fs::create_directories(sys / "dev/block");
        fs::create_symlink(folder, sys / "dev/block" / dev);
    }
    fs::create_directories(base / "PHONE");
    fs::create_directories(base / "A STICK");
    const std::string system = "28 1 254:0 / / rw - ext4 /dev/vda rw\n";
    const std::string phone =
        "41 28 8:17 / " + (base / "PHONE").string() + " rw - vfat /dev/sdb1 rw\n";
    const std::string stick =
        "42 28 8:33 / " + (base / "A\\040STICK").string() + " rw - vfat /dev/sdc1 rw\n";
    std::string mounts = system + phone;
    TDriveLetterBook book;
    SetDriveTableSource([&] { return BuildDriveTable(mounts, "", sys.string(), &book); });
    RefreshDriveTable();

    TForm* form = MakeTestForm(240, 120);
    form->SetCaption("Phone drive");
    auto* combo = new TBvDriveCombo(form);
    combo->SetParent(form);
    combo->SetBounds(10, 10, 200, 24);
    UseTestFont(combo->Font());
    combo->SetDriveTypes(DriveTypeBit(TBvDriveType::dtRemovable));
    std::vector<char> told;
    combo->OnChange = [&](TObject*) { told.push_back(combo->Drive()); };
    form->Show();
    PumpEvents();
    ASSERT_EQ("D", std::string(combo->Letters().begin(), combo->Letters().end()));
    EXPECT_EQ('D', combo->Drive());
    EXPECT_EQ("PHONE (D:)", combo->DisplayName());

    mounts = system + stick + phone;
    DrivesChanged();
    PumpEvents();
    EXPECT_EQ("DE", std::string(combo->Letters().begin(), combo->Letters().end()));
    EXPECT_EQ('D', combo->Drive());
    EXPECT_EQ("PHONE (D:)", combo->DisplayName());
    EXPECT_EQ(0, combo->ItemIndex());
    // The selector after the change, dropped down, for a person to look at.
    QComboBox* qc = QtCombo(combo);
    ASSERT_NE(nullptr, qc);
    QTest::mouseClick(qc, Qt::LeftButton, Qt::NoModifier, QPoint(100, 12));
    PumpEvents();
    ASSERT_TRUE(qc->view()->isVisible());
    const QImage shot =
        ComposeWithPopup(form->Widget()->grab().toImage(), form->Widget(), qc->view()->window());
    EXPECT_TRUE(shot.save(
        QString::fromStdString(std::string(BV_BINARY_DIR) + "/kit_drive_combo_after_change.png")));
    QTest::keyClick(qc->view(), Qt::Key_Escape);
    PumpEvents();
    EXPECT_EQ('D', combo->Drive());

    mounts = system + stick;
    DrivesChanged();
    PumpEvents();
    EXPECT_EQ("E", std::string(combo->Letters().begin(), combo->Letters().end()));
    EXPECT_EQ(0, combo->Drive()) << "the stick passed for the phone";
    EXPECT_EQ(-1, combo->ItemIndex());
    EXPECT_EQ("", combo->DisplayName());

    mounts = system + stick + phone;
    DrivesChanged();
    PumpEvents();
    EXPECT_EQ('D', combo->Drive());
    EXPECT_EQ("PHONE (D:)", combo->DisplayName());
    for (char c : told)
        EXPECT_NE('E', c) << "the selector named the stick";
    delete form;
    SetDriveTableSource({});
    RefreshDriveTable();
    fs::remove_all(base);
}

// The letter the phone had is given to another volume only when no other letter is
// free; even then the selector does not take that volume for the phone.
TEST_F(ScriptedDrives, AnotherVolumeUnderTheChosenLetterIsNotTheChosenDrive) {
    Script("C=f E=r");
    TBvDriveCombo combo(nullptr);
    combo.SetDriveTypes(kAllTypes);
    ASSERT_TRUE(combo.SetDrive('E'));
    Remount("C=f");
    fs::create_directories(base_ / "other");
    table_.push_back({'E', (base_ / "other").string(), DRIVE_REMOVABLE});
    RefreshDriveTable();
    DrivesChanged();
    EXPECT_EQ("CE", Letters(combo));
    EXPECT_EQ(0, combo.Drive());
    EXPECT_EQ(-1, combo.ItemIndex());
    // The user's own choice of the new volume is taken.
    EXPECT_TRUE(combo.SetDrive('E'));
    EXPECT_EQ('E', combo.Drive());
}

// A real volume: a tmpfs mounted where the desktop mounts user volumes shows up as a
// new line within a second of the event loop running, and goes when unmounted.
TEST(DriveComboMounts, AMountedVolumeComesAndGoesWhileTheLoopRuns) {
    unsetenv("BRISVANE_DRIVES");
    RefreshDriveTable();
    std::error_code ec;
    const bool madeMedia = fs::create_directory("/media", ec);
    std::string dir = "/media/bvmount-XXXXXX";
    if (ec || !mkdtemp(dir.data()))
        GTEST_SKIP() << "no folder can be made under /media: " << std::strerror(errno);
    if (mount("bvcard", dir.c_str(), "tmpfs", 0, "size=1m") != 0) {
        const std::string reason = std::strerror(errno);
        fs::remove(dir);
        if (madeMedia)
            fs::remove("/media");
        GTEST_SKIP() << "no tmpfs can be mounted here: " << reason;
    }
    // Unmounted again first: the selector must see it arrive, so it starts without it.
    umount(dir.c_str());
    TForm* form = MakeTestForm(200, 60);
    auto* combo = new TBvDriveCombo(form);
    combo->SetParent(form);
    combo->SetDriveTypes(DriveTypeBit(TBvDriveType::dtRemovable));
    form->Show();
    Application->ProcessMessages();
    ASSERT_TRUE(DriveWatchActive());
    const std::vector<char> before = combo->Letters();

    auto waitFor = [&](auto done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (!done() && std::chrono::steady_clock::now() < end)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return done();
    };
    ASSERT_EQ(0, mount("bvcard", dir.c_str(), "tmpfs", 0, "size=1m"));
    const std::string name = fs::path(dir).filename().string();
    auto listed = [&] {
        for (int i = 0; i < combo->Items()->Count(); ++i)
            if (combo->Items()->Get(i).starts_with(name))
                return true;
        return false;
    };
    EXPECT_TRUE(waitFor(listed)) << "the mounted volume did not show up";
    EXPECT_EQ(before.size() + 1, combo->Letters().size());
    umount(dir.c_str());
    EXPECT_TRUE(waitFor([&] { return !listed(); })) << "the unmounted volume stayed";
    EXPECT_EQ(before, combo->Letters());
    delete form;
    fs::remove(dir);
    if (madeMedia)
        fs::remove("/media");
}

} // namespace

namespace {

// A new font on a shown selector: the lines take the new text height (never less than the
// icons), the window is made again, and the chosen drive stays.
TEST_F(ScriptedDrives, ANewFontGivesTheLinesItsHeight) {
    Script("C=f E=r");
    TForm* form = MakeTestForm(240, 160);
    auto* combo = new TBvDriveCombo(form);
    combo->SetParent(form);
    combo->SetBounds(10, 10, 200, 40);
    combo->SetDriveTypes(kAllTypes);
    UseTestFont(combo->Font());
    form->Show();
    PumpEvents();
    ASSERT_TRUE(combo->SetDrive('E'));
    EXPECT_EQ(combo->ImageWidth(), combo->ItemHeight()) << "icons higher than the test font";

    QWidget* before = combo->Widget();
    combo->Font()->SetHeight(-30);
    PumpEvents();
    TCanvas c;
    c.SetFont(*combo->Font());
    EXPECT_EQ(c.TextHeight("Wg"), combo->ItemHeight());
    EXPECT_NE(before, combo->Widget()) << "a new window";
    EXPECT_EQ('E', combo->Drive());
    EXPECT_EQ("card (E:)", combo->DisplayName());
    delete form;
}

} // namespace
