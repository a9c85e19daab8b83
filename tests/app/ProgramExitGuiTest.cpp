// File > Exit, chosen with the keys, writes the settings and the eight library files and ends
// the program's message loop.
#include "MainWindowFixture.h"

#include <QTimer>

namespace {

class ProgramExit : public MainWindowTest {};

TEST_F(ProgramExit, FileExitSavesAndEndsTheMessageLoop) {
    for (int i = 0; i < 8; ++i)
        folder.Write("MediaDB.db" + std::to_string(i), "value " + std::to_string(i) + "\r\n");
    Make(PathsIn());
    Application->SetMainForm(form);

    bool chosen = false;
    // Once the loop runs: Alt+F opens "File", Up goes round to "Exit", Enter chooses it.
    QTimer::singleShot(300, [&] {
        QWidget* window = form->Widget();
        QApplication::setActiveWindow(window);
        QTest::keyClick(window, Qt::Key_F, Qt::AltModifier);
        QApplication::processEvents();
        QWidget* menu = QApplication::activePopupWidget();
        ASSERT_NE(menu, nullptr);
        QTest::keyClick(menu, Qt::Key_Up);
        QTest::keyClick(menu, Qt::Key_Return);
        chosen = true;
    });
    // Should the keys not reach the menu, the loop ends all the same and the test fails.
    QTimer::singleShot(20000, [] { Application->Terminate(); });
    Application->Run();

    EXPECT_TRUE(chosen);
    EXPECT_NE(std::find(form->HandlerLog.begin(), form->HandlerLog.end(), "Exit1Click"),
              form->HandlerLog.end());
    EXPECT_NE(std::find(form->HandlerLog.begin(), form->HandlerLog.end(), "TForm1.FormClose"),
              form->HandlerLog.end());
    EXPECT_FALSE(form->Widget()->isVisible());
    EXPECT_TRUE(std::filesystem::exists(folder.File("brisvane.ini")));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(folder.Read("MediaDB.db" + std::to_string(i)),
                  "value " + std::to_string(i) + "\r\n");
    EXPECT_EQ(dialogs.Messages(), 0);
    closed = true;
}

} // namespace
