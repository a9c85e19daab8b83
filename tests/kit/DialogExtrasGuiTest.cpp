// The open dialog's extras shown in Qt's own dialog (offscreen): the OK button's and the file
// type label's captions, the details view, the file list focused, the natural size as the
// least size; the error code of a choice that names no drive; and the folder chooser's
// options for a folder that does not exist yet.
#include "BvDialogs.h"
#include "BvSelectDirectory.h"
#include "Drives.h"
#include "GuiTestEnvironment.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "ShownFileDialog.h"

namespace fs = std::filesystem;

namespace {

struct CardFolder {
    std::string path;
    CardFolder() {
        std::string tmpl = (fs::temp_directory_path() / "bvdlgextras-XXXXXX").string();
        EXPECT_NE(nullptr, mkdtemp(tmpl.data()));
        path = tmpl;
        std::ofstream(path + "/a.mp3").put('x');
        setenv("BRISVANE_DRIVES", ("E=" + path + ":removable").c_str(), 1);
        RefreshDriveTable();
    }
    ~CardFolder() {
        SetDialogResponder({});
        unsetenv("BRISVANE_DRIVES");
        RefreshDriveTable();
        fs::remove_all(path);
    }
};

TEST(BvOpenDialogExtras, CaptionsDetailsViewFocusedListAndLeastSize) {
    CardFolder card;
    SetDialogResponder({});
    TBvOpenDialog dialog(nullptr);
    dialog.InitialDir = "E:\\";
    dialog.Filter = "Music|*.mp3";
    dialog.DefBtnCaption = "&Add";
    dialog.FilterLabelCaption = "Kinds:";
    dialog.ActiveStyle = TBvOpenDialogAS::asReport;
    dialog.ActiveControl = TBvOpenDialogAC::acListView;

    QString okText, typeText;
    QFileDialog::ViewMode view = QFileDialog::List;
    bool listFocused = false, seen = false;
    QSize least, natural;
    QTimer look;
    look.setInterval(20);
    QObject::connect(&look, &QTimer::timeout, [&] {
        QFileDialog* fd = ShownFileDialog();
        if (!fd || seen)
            return;
        QWidget* focus = QApplication::focusWidget();
        if (!focus || !qobject_cast<QAbstractItemView*>(focus))
            return; // the focus moves to the list once the dialog shows
        seen = true;
        look.stop();
        okText = fd->labelText(QFileDialog::Accept);
        typeText = fd->labelText(QFileDialog::FileType);
        view = fd->viewMode();
        listFocused = true;
        least = fd->minimumSize();
        natural = fd->sizeHint();
        std::filesystem::create_directories(std::string(BV_BINARY_DIR) + "/screenshots");
        fd->grab().save(QString::fromStdString(std::string(BV_BINARY_DIR) +
                                               "/screenshots/kit_open_dialog_extras.png"));
        fd->reject();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        if (QFileDialog* fd = ShownFileDialog())
            fd->reject();
    });
    look.start();
    watchdog.start(8000);
    std::vector<uint32_t> errors;
    dialog.OnError = [&](TObject*, uint32_t code) { errors.push_back(code); };
    EXPECT_FALSE(dialog.Execute());
    ASSERT_TRUE(seen) << "the dialog showed with its list focused";
    EXPECT_EQ(okText, "&Add");
    EXPECT_EQ(typeText, "Kinds:");
    EXPECT_EQ(view, QFileDialog::Detail);
    EXPECT_TRUE(listFocused);
    EXPECT_GE(least.width(), natural.width()) << "never smaller than its natural size";
    EXPECT_EQ(errors, std::vector<uint32_t>{0}) << "a Cancel reports 0";
}

// A chosen file outside every drive cannot be named: the dialog fails with the invalid file
// name code, not as a Cancel.
TEST(BvOpenDialogExtras, AChoiceOutsideEveryDriveReportsAnInvalidName) {
    CardFolder card;
    // "C:" mapped to a folder of its own: no drive holds the rest of the file system.
    fs::create_directories(card.path + "/c");
    setenv("BRISVANE_DRIVES",
           ("C=" + card.path + "/c:fixed;E=" + card.path + "/e:removable").c_str(), 1);
    RefreshDriveTable();
    SetDialogResponder([](const TDialogRequest&) {
        TDialogAnswer a;
        a.Accepted = true;
        a.Paths = {"/usr/share/nowhere.mp3"};
        return a;
    });
    TBvOpenDialog dialog(nullptr);
    std::vector<uint32_t> errors;
    dialog.OnError = [&](TObject*, uint32_t code) { errors.push_back(code); };
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(errors, std::vector<uint32_t>{FNERR_INVALIDFILENAME});
}

// A folder typed that does not exist yet: refused without sdAllowCreate; with it, asked about
// (sdPrompt) and made (sdPerformCreate).
TEST(BvSelectDirectoryOptions, ANewFolderIsAskedForAndMadeAsTheOptionsSay) {
    CardFolder card;
    const std::string fresh = card.path + "/new folder";
    std::vector<TDialogRequest> asked;
    int answer = IDYES;
    SetDialogResponder([&](const TDialogRequest& r) {
        asked.push_back(r);
        TDialogAnswer a;
        a.Accepted = true;
        if (r.Kind == TDialogRequest::dkMessage)
            a.Button = answer;
        else
            a.Paths = {fresh};
        return a;
    });
    TBvSelectDirectory chooser(nullptr);
    chooser.InitialDir = "E:\\";

    chooser.Options = 0;
    EXPECT_FALSE(chooser.Execute()) << "without sdAllowCreate a missing folder is refused";
    EXPECT_FALSE(fs::exists(fresh));

    chooser.Options = sdAllowCreate | sdPrompt;
    answer = IDNO;
    asked.clear();
    EXPECT_FALSE(chooser.Execute()) << "the person said no";
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].Kind, TDialogRequest::dkMessage);
    EXPECT_NE(asked[1].Text.find("does not exist"), std::string::npos) << asked[1].Text;

    answer = IDYES;
    EXPECT_TRUE(chooser.Execute());
    EXPECT_EQ(chooser.Directory(), "E:\\new folder");
    EXPECT_FALSE(fs::exists(fresh)) << "made only with sdPerformCreate";

    chooser.Options = sdAllowCreate | sdPerformCreate;
    asked.clear();
    EXPECT_TRUE(chooser.Execute());
    EXPECT_EQ(asked.size(), 1u) << "no question without sdPrompt";
    EXPECT_TRUE(fs::is_directory(fresh));
    EXPECT_TRUE(asked[0].AllowCreate);

    chooser.Options = 0;
    asked.clear();
    EXPECT_TRUE(chooser.Execute()) << "an existing folder needs no option";
    EXPECT_FALSE(asked[0].AllowCreate) << "the dialog offers no new folder";
}

} // namespace
