// The thread dialog as a person meets it: the window comes up while the work
// runs, shows the info text and the elapsed time, and Cancel, clicked or
// pressed as Esc, asks the workers to stop; the window goes when they have.
#include "BvThreadSimpleDialog.h"
#include "GuiTestEnvironment.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace {

// A worker that runs until it is asked to terminate.
void RunUntilTerminated(TBvThread& thread, std::atomic<bool>& sawTerminate) {
    thread.OnExecute = [&sawTerminate](TObject* sender, void*) {
        auto* self = static_cast<TBvThread*>(sender);
        while (!self->Terminated())
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        sawTerminate = true;
    };
}

void UseTestFonts(TBvThreadSimpleDialogForm* form) {
    UseTestFont(form->Font());
    for (TControl* c :
         {static_cast<TControl*>(form->InfoLabel()), static_cast<TControl*>(form->TimeLabel()),
          static_cast<TControl*>(form->CancelButton())})
        UseTestFont(c->Font());
}

} // namespace

TEST(ThreadDialog, AModalWindowShowsTheWorkAndItsCancelButtonStopsIt) {
    TBvThreadSimpleDialog dialog;
    TBvThreadBaseDialogOptions& options = dialog.DialogOptions();
    options.SetShowDialog(true);
    options.SetCaption("Copying tracks");
    options.SetInfoText("Copying 12 tracks to the card. The window closes by itself when "
                        "the last one is on the card.");
    TBvThread thread;
    thread.SetThreadDialog(&dialog);
    std::atomic<bool> sawTerminate{false};
    RunUntilTerminated(thread, sawTerminate);
    bool finishedAll = false;
    thread.OnFinishAll = [&](TObject*) { finishedAll = true; };

    bool checked = false;
    // Runs inside the window's modal loop, as the user's clicks would.
    QTimer::singleShot(0, [&] {
        TBvThreadSimpleDialogForm* form = dialog.Form();
        ASSERT_NE(form, nullptr);
        UseTestFonts(form);
        options.SetInfoText(options.InfoText()); // arranged again in the test font
        PumpEvents();
        EXPECT_TRUE(form->Visible());
        EXPECT_TRUE(form->Modal());
        EXPECT_EQ(form->Caption(), "Copying tracks");
        EXPECT_EQ(form->TimeLabel()->Caption().rfind("Elapsed time: 0:00:0", 0), 0u);
        EXPECT_TRUE(form->CancelButton()->Enabled());
        const std::string path = std::string(BV_BINARY_DIR) + "/kit_thread_dialog.png";
        EXPECT_TRUE(form->Widget()->grab().save(QString::fromStdString(path)));
        QWidget* button = form->CancelButton()->Widget();
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
        EXPECT_TRUE(thread.Terminated());
        EXPECT_FALSE(form->CancelButton()->Enabled());
        checked = true;
    });
    ASSERT_NE(thread.Execute(nullptr), 0u); // returns once the window has closed
    EXPECT_TRUE(checked);
    EXPECT_TRUE(sawTerminate);
    EXPECT_TRUE(finishedAll);
    PumpEvents();
    EXPECT_EQ(dialog.Form(), nullptr); // released
    EXPECT_EQ(dialog.ThreadDialogForm(), nullptr);
}

TEST(ThreadDialog, TheCloseBoxCancelsAModelessWindowThatStaysUntilTheEnd) {
    TBvThreadSimpleDialog dialog;
    TBvThreadBaseDialogOptions& options = dialog.DialogOptions();
    options.SetShowDialog(true);
    options.SetShowModal(false);
    options.SetCaption("Building the database");
    options.SetCancelButtonCaption("Stop");
    TBvThread thread;
    thread.SetThreadDialog(&dialog);
    std::atomic<bool> release{false};
    thread.OnExecute = [&](TObject*, void*) {
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    };
    ASSERT_NE(thread.Execute(nullptr), 0u); // returns at once
    TBvThreadSimpleDialogForm* form = dialog.Form();
    ASSERT_NE(form, nullptr);
    PumpEvents();
    EXPECT_TRUE(form->Visible());
    EXPECT_FALSE(form->Modal());
    EXPECT_EQ(form->CancelButton()->Caption(), "Stop");
    EXPECT_EQ(form->InfoLabel()->Visible(), false); // no info text

    // The close box asks to cancel; the window stays while the work runs.
    form->Widget()->close();
    PumpEvents();
    EXPECT_TRUE(thread.Terminated());
    EXPECT_TRUE(form->Visible());

    options.SetEnableCancelButton(false);
    EXPECT_FALSE(form->CancelButton()->Enabled());
    options.SetShowElapsedTime(false);
    EXPECT_FALSE(form->TimeLabel()->Visible());

    release = true;
    while (thread.OneThreadIsRunning())
        PumpEvents(1);
    PumpEvents();
    EXPECT_EQ(dialog.Form(), nullptr);
}

TEST(ThreadDialog, EscPressesCancel) {
    TBvThreadSimpleDialog dialog;
    dialog.DialogOptions().SetShowDialog(true);
    dialog.DialogOptions().SetShowModal(false);
    TBvThread thread;
    thread.SetThreadDialog(&dialog);
    std::atomic<bool> sawTerminate{false};
    RunUntilTerminated(thread, sawTerminate);
    thread.Execute(nullptr);
    TBvThreadSimpleDialogForm* form = dialog.Form();
    ASSERT_NE(form, nullptr);
    form->Widget()->activateWindow();
    PumpEvents();
    QTest::keyClick(form->CancelButton()->Widget(), Qt::Key_Escape);
    PumpEvents();
    EXPECT_TRUE(thread.Terminated());
    while (thread.OneThreadIsRunning())
        PumpEvents(1);
    EXPECT_TRUE(sawTerminate);
}

TEST(ThreadDialog, ElapsedTimeText) {
    using std::chrono::seconds;
    EXPECT_EQ(TBvThreadSimpleDialogForm::ElapsedText(seconds(0)), "Elapsed time: 0:00:00");
    EXPECT_EQ(TBvThreadSimpleDialogForm::ElapsedText(seconds(3725)), "Elapsed time: 1:02:05");
}
