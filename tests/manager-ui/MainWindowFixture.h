// The main window as the program makes it, over a manager whose settings and library live in a
// folder of the test's own, shown at 1024 x 700; helpers for real keys and mouse clicks, open
// menus and pictures of the window with its open drop-downs.
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

// Every message box and dialog the window shows, answered with Cancel unless a test queues
// another answer.
struct TDialogRecorder {
    std::vector<TDialogRequest> Requests;
    std::vector<TDialogAnswer> Answers;
    TDialogRecorder() {
        SetDialogResponder([this](const TDialogRequest& r) {
            Requests.push_back(r);
            if (!Answers.empty()) {
                TDialogAnswer a = Answers.front();
                Answers.erase(Answers.begin());
                return a;
            }
            TDialogAnswer a;
            a.Button = (r.Flags & 0xF) == MB_OK ? IDOK : IDCANCEL;
            a.Accepted = false;
            return a;
        });
    }
    ~TDialogRecorder() { SetDialogResponder(nullptr); }
    int Messages() const {
        return static_cast<int>(std::count_if(Requests.begin(), Requests.end(), [](auto& r) {
            return r.Kind == TDialogRequest::dkMessage;
        }));
    }
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { dialogs = std::make_unique<TDialogRecorder>(); }
    void TearDown() override {
        CloseMenus();
        PumpEvents();
        if (form && !closed)
            form->Close();
        PumpEvents();
        delete form;
        form = nullptr;
        PumpEvents();
        dialogs.reset();
    }

    // Makes the window as the program block does (creation handler, then the options read
    // the settings) and shows it, active, at the size asked.
    void Start(int width = 1024, int height = 700) {
        TManagerPaths paths;
        paths.ProgramFolder = ToWindowsPath(folder.Path);
        paths.DataFolder = paths.ProgramFolder;
        form = new TForm1(Application, paths);
        form->AfterConstruction();
        form->Manager->OptionsFormCreate();
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
    std::unique_ptr<TDialogRecorder> dialogs;
    TForm1* form = nullptr;
    bool closed = false;
};
