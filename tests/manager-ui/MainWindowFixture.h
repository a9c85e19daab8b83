// The one way the tests make the main window: as the program makes it, over a manager whose
// settings and library live in a folder of the test's own, shown at 1024 x 700, with every
// dialog answered by a script; helpers for real keys and mouse clicks, open menus and pictures
// of the window with its open drop-downs.
#pragma once

#include "Dialogs.h"
#include "Drives.h"
#include "GuiTestEnvironment.h"
#include "Main.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <unistd.h>

// A folder of its own for one test, removed at the end.
struct TTempFolder {
    std::string Path;
    TTempFolder() {
        char name[] = "/tmp/bv-main-XXXXXX";
        if (mkdtemp(name))
            Path = name;
    }
    ~TTempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    std::string File(const std::string& name) const { return Path + "/" + name; }
    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(File(name), std::ios::binary) << text;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(File(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

// Every message box and dialog the window shows, kept in Requests and answered from the queues
// a test fills: first Answers (any kind), then by kind: a message box takes the next of Buttons
// (else OK for a box that has only OK, Cancel for a question), an input box the next of Inputs,
// a folder dialog the next of Folders and a file dialog the next of Files; an empty queue
// cancels. Installed while it lives.
struct TScriptedDialogs {
    std::vector<TDialogRequest> Requests;
    std::deque<TDialogAnswer> Answers;
    std::deque<int> Buttons; // IDYES, IDNO, IDOK...
    std::deque<std::string> Inputs;
    std::deque<std::string> Folders; // local paths
    std::deque<std::vector<std::string>> Files;

    TScriptedDialogs() { Install(); }
    ~TScriptedDialogs() { SetDialogResponder(nullptr); }
    TScriptedDialogs(const TScriptedDialogs&) = delete;
    TScriptedDialogs& operator=(const TScriptedDialogs&) = delete;
    // Answers again after a test let the real dialogs show.
    void Install() {
        SetDialogResponder([this](const TDialogRequest& r) { return Answer(r); });
    }

    TDialogAnswer Answer(const TDialogRequest& r) {
        Requests.push_back(r);
        if (!Answers.empty()) {
            TDialogAnswer a = Answers.front();
            Answers.pop_front();
            return a;
        }
        TDialogAnswer a;
        auto next = [&a](auto& queue, auto take) {
            a.Accepted = !queue.empty();
            if (a.Accepted) {
                take(queue.front());
                queue.pop_front();
            }
        };
        switch (r.Kind) {
        case TDialogRequest::dkMessage:
            a.Accepted = true;
            a.Button = (r.Flags & 0xF) == MB_OK ? IDOK : IDCANCEL;
            if (!Buttons.empty()) {
                a.Button = Buttons.front();
                Buttons.pop_front();
            }
            break;
        case TDialogRequest::dkInput:
            next(Inputs, [&a](const std::string& text) { a.Text = text; });
            break;
        case TDialogRequest::dkSelectFolder:
            next(Folders, [&a](const std::string& folder) { a.Paths = {folder}; });
            break;
        case TDialogRequest::dkOpenFile:
            next(Files, [&a](const std::vector<std::string>& files) { a.Paths = files; });
            break;
        default:
            break;
        }
        return a;
    }
    int Messages() const {
        return static_cast<int>(std::count_if(Requests.begin(), Requests.end(), [](auto& r) {
            return r.Kind == TDialogRequest::dkMessage;
        }));
    }
    // The texts of every message box and the prompts of the other dialogs, in order.
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const TDialogRequest& r : Requests)
            texts.push_back(r.Text);
        return texts;
    }
};

class MainWindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        CloseMenus();
        PumpEvents();
        if (form && !closed)
            form->Close();
        PumpEvents();
        delete form;
        form = nullptr;
        PumpEvents();
        if (cardMapped) {
            unsetenv("BRISVANE_DRIVES");
            RefreshDriveTable();
        }
    }

    // "E:" is the folder, a removable drive, until the test ends.
    void MapCard(const std::string& path) {
        std::filesystem::create_directories(path);
        setenv("BRISVANE_DRIVES", ("E=" + path + ":removable").c_str(), 1);
        RefreshDriveTable();
        cardMapped = true;
    }
    // The paths of a program whose settings and library live in the folder (the test's own
    // folder when none is named).
    TManagerPaths PathsIn(const std::string& programFolder = {}) const {
        TManagerPaths paths;
        paths.ProgramFolder = ToWindowsPath(programFolder.empty() ? folder.Path : programFolder);
        paths.DataFolder = paths.ProgramFolder;
        return paths;
    }
    // Makes the window as the program block does: the creation handler, then the options
    // read the settings.
    void Make(const TManagerPaths& paths) {
        form = new TForm1(Application, paths);
        form->AfterConstruction();
        form->Manager->OptionsFormCreate();
    }
    // Makes the window and shows it, active, at the size asked.
    void Start(int width = 1024, int height = 700) { Start(PathsIn(), width, height); }
    void Start(const TManagerPaths& paths, int width = 1024, int height = 700) {
        Make(paths);
        form->SetBounds(0, 0, width, height);
        form->Show();
        QWidget* window = form->Widget();
        QApplication::setActiveWindow(window);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        PumpEvents();
    }
    void Close() {
        form->Close();
        closed = true;
        PumpEvents();
    }

    TTrackManager& M() { return *form->Manager; }
    // n tracks in the track list and its master playlist, shown in the track view.
    void FillTracks(int n) {
        for (int r = 0; r < n; ++r)
            M().Model.AppendTrack({"Artist " + std::to_string(r % 7),
                                   "Song number " + std::to_string(r), "Album", "3:5", "3000000",
                                   "C:\\music\\Track " + std::to_string(r) + ".mp3", "192",
                                   std::to_string(r)});
        M().Model.SyncAllMusic();
        M().ListBoxPlayLists.ItemIndex = 0;
        M().RefreshTrackView();
        PumpEvents();
    }

    QWidget* KeyTarget() {
        if (QWidget* popup = QApplication::activePopupWidget())
            return popup;
        if (TWinControl* c = form->FocusedControl())
            return c->Widget();
        return form->Widget();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(KeyTarget(), key, mods);
        PumpEvents();
    }
    static QPoint Centre(const TRect& r) {
        return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    // A click with the real mouse in the middle of a windowed control.
    void Click(TWinControl* c, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(c->Widget(), button, {}, QPoint(c->Width() / 2, c->Height() / 2));
        PumpEvents();
    }
    // A click on a group box's caption bar.
    void ClickCaption(TBvgGroupBox* box) {
        QTest::mouseClick(box->Widget(), Qt::LeftButton, {}, QPoint(40, 6));
        PumpEvents();
    }

    // The form and every open drop-down, drawn at their screen places into one picture.
    QImage Picture() {
        PumpEvents();
        QWidget* window = form->Widget();
        std::vector<QWidget*> popups;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowType() == Qt::Popup)
                popups.push_back(w);
        std::sort(popups.begin(), popups.end(),
                  [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
        QRect all = window->frameGeometry();
        for (QWidget* p : popups)
            all = all.united(p->geometry());
        QImage shot(all.size() * window->devicePixelRatio(), QImage::Format_RGB32);
        shot.setDevicePixelRatio(window->devicePixelRatio());
        shot.fill(QColor(0x3a, 0x6e, 0xa5));
        QPainter painter(&shot);
        painter.drawImage(window->geometry().topLeft() - all.topLeft(), window->grab().toImage());
        for (QWidget* p : popups)
            painter.drawImage(p->geometry().topLeft() - all.topLeft(), p->grab().toImage());
        return shot;
    }
    std::string Save(const std::string& name) {
        const std::string path = std::string(BV_BINARY_DIR) + "/screenshots/" + name + ".png";
        std::filesystem::create_directories(std::string(BV_BINARY_DIR) + "/screenshots");
        EXPECT_TRUE(Picture().save(QString::fromStdString(path))) << path;
        return path;
    }

    TTempFolder folder;
    TScriptedDialogs dialogs;
    TForm1* form = nullptr;
    bool closed = false;
    bool cardMapped = false;
};
