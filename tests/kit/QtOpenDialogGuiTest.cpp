// Qt's own open dialog, shown for real (offscreen): a person types two names into it and
// presses Enter; the kit's dialog hands them back in the drive-letter form, in order.
#include "BvDialogs.h"
#include "Drives.h"
#include "GuiTestEnvironment.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "ShownFileDialog.h"

namespace fs = std::filesystem;

namespace {

TEST(QtOpenDialog, TwoFilesTypedIntoQtsDialogComeBackInDriveLetterFormInOrder) {
    std::string tmpl = (fs::temp_directory_path() / "bvqtdialog-XXXXXX").string();
    ASSERT_NE(nullptr, mkdtemp(tmpl.data()));
    const std::string card = tmpl;
    for (const char* f : {"a.mp3", "b.mp3", "c.mp3"})
        std::ofstream(card + "/" + f).put('x');
    setenv("BRISVANE_DRIVES", ("E=" + card + ":removable").c_str(), 1);
    RefreshDriveTable();
    SetDialogResponder({});

    TBvOpenDialog dialog(nullptr);
    dialog.Options |= ofAllowMultiSelect;
    dialog.InitialDir = "E:\\";
    dialog.Filter = "Music|*.mp3|All files|*";
    std::vector<uint32_t> errors;
    dialog.OnError = [&](TObject*, uint32_t code) { errors.push_back(code); };

    // The dialog runs its own event loop; these timers act inside it. The person waits until
    // the folder is listed (Qt reads it in the background), types, and presses Enter.
    bool typed = false;
    bool timedOut = false;
    QTimer person;
    person.setInterval(20);
    QObject::connect(&person, &QTimer::timeout, [&] {
        QFileDialog* fd = ShownFileDialog();
        if (!fd || typed)
            return;
        auto* view = fd->findChild<QAbstractItemView*>("listView");
        auto* line = fd->findChild<QLineEdit*>("fileNameEdit");
        if (!view || !line || view->model()->rowCount(view->rootIndex()) < 3)
            return;
        typed = true;
        person.stop();
        // Typing goes to the name field only while it has the focus; without it the dialog
        // writes the list's selection over what was typed.
        fd->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(fd, 2000));
        line->setFocus();
        QTest::keyClicks(line, "\"a.mp3\" \"b.mp3\"");
        if (line->completer() && line->completer()->popup())
            line->completer()->popup()->hide();
        QTest::keyClick(line, Qt::Key_Return);
    });
    // Whatever happens, the dialog closes: the test can never hang in it.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        if (QFileDialog* fd = ShownFileDialog()) {
            timedOut = true;
            fd->reject();
        }
    });
    watchdog.start(10000);
    person.start();
    const bool chosen = dialog.Execute();
    person.stop();

    EXPECT_FALSE(timedOut) << "the dialog was never answered";
    EXPECT_TRUE(typed);
    ASSERT_TRUE(chosen);
    ASSERT_EQ(2, dialog.Files()->Count());
    EXPECT_EQ("E:\\a.mp3", dialog.Files()->Get(0));
    EXPECT_EQ("E:\\b.mp3", dialog.Files()->Get(1));
    EXPECT_EQ("E:\\a.mp3", dialog.FileName);
    EXPECT_TRUE(errors.empty());

    unsetenv("BRISVANE_DRIVES");
    RefreshDriveTable();
    fs::remove_all(card);
    PumpEvents();
}

} // namespace
