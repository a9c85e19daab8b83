// The file-name edit's history in Qt's own file dialog, shown for real (offscreen): the
// name field is a combo box that drops down the earlier names; a person picks one with the
// keys and presses Enter, and the edit takes it.
#include "BvToolEdit.h"
#include "Drives.h"
#include "GuiTestEnvironment.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "ShownFileDialog.h"

namespace fs = std::filesystem;

namespace {

TEST(FilenameEditHistory, AnEarlierNameIsPickedFromTheDialogsNameBox) {
    std::string tmpl = (fs::temp_directory_path() / "bvhistory-XXXXXX").string();
    ASSERT_NE(nullptr, mkdtemp(tmpl.data()));
    const std::string card = tmpl;
    fs::create_directories(card + "/bin");
    for (const char* f : {"bin/lame", "bin/lame-3.100", "notes.txt"})
        std::ofstream(card + "/" + f).put('x');
    setenv("BRISVANE_DRIVES", ("E=" + card + ":removable").c_str(), 1);
    RefreshDriveTable();
    SetDialogResponder({});

    TForm* form = MakeTestForm(320, 80);
    auto* edit = new TBvFilenameEdit(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 240, 21);
    edit->SetText("E:\\notes.txt");
    edit->SetFilter("All files|*");
    TStringList history{"E:\\bin\\lame", "E:\\bin\\lame-3.100"};
    edit->SetHistoryList(&history);
    edit->SetFileEditStyle(TFileEditStyle::fsComboBox);
    form->Show();
    PumpEvents();

    std::vector<std::string> offered;
    bool picked = false;
    bool timedOut = false;
    QTimer person;
    person.setInterval(20);
    QObject::connect(&person, &QTimer::timeout, [&] {
        QFileDialog* fd = ShownFileDialog();
        if (!fd || picked)
            return;
        auto* view = fd->findChild<QAbstractItemView*>("listView");
        auto* combo = fd->findChild<QComboBox*>("fileNameCombo");
        if (!view || !combo || view->model()->rowCount(view->rootIndex()) < 2)
            return;
        picked = true;
        person.stop();
        for (int i = 0; i < combo->count(); ++i)
            offered.push_back(combo->itemText(i).toStdString());
        EXPECT_FALSE(fd->findChild<QLineEdit*>("fileNameEdit")->isVisible());
        fd->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(fd, 2000));
        combo->setFocus();
        // Alt+Down drops the list down; Down twice goes to the second name, Enter takes it.
        QTest::keyClick(combo, Qt::Key_Down, Qt::AltModifier);
        EXPECT_TRUE(combo->view()->isVisible());
        const std::string shot = std::string(BV_BINARY_DIR) + "/kit_filename_history_box.png";
        // The dialog with the open list over it, as they lie on the screen.
        QPixmap picture = fd->grab();
        {
            QWidget* popup = combo->view()->window();
            QPainter painter(&picture);
            painter.drawPixmap(fd->mapFromGlobal(popup->mapToGlobal(QPoint(0, 0))), popup->grab());
        }
        EXPECT_TRUE(picture.save(QString::fromStdString(shot)));
        QTest::keyClick(combo->view(), Qt::Key_Down);
        QTest::keyClick(combo->view(), Qt::Key_Down);
        QTest::keyClick(combo->view(), Qt::Key_Return);
        EXPECT_EQ(combo->currentText().toStdString(), card + "/bin/lame-3.100");
        QTest::keyClick(combo, Qt::Key_Return);
    });
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
    QWidget* line = edit->Widget();
    const QPoint button(edit->Width() - 2 - edit->ButtonWidth() / 2, edit->Height() / 2);
    QTest::mouseClick(line->childAt(button), Qt::LeftButton, Qt::NoModifier,
                      line->childAt(button)->mapFrom(line, button));
    PumpEvents();

    EXPECT_FALSE(timedOut) << "the dialog was never answered";
    EXPECT_EQ((std::vector<std::string>{card + "/bin/lame", card + "/bin/lame-3.100"}), offered);
    EXPECT_EQ("E:\\bin\\lame-3.100", edit->GetText());

    delete form;
    PumpEvents();
    unsetenv("BRISVANE_DRIVES");
    RefreshDriveTable();
    fs::remove_all(card);
}

} // namespace
