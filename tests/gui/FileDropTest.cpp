// Files dropped from another program on a form whose drop component was made in code, as
// the main window makes its own: the drag enters, moves and drops through the form's
// top-level window, which Qt routes to the widget under the point as it does for a drop
// from the window system.
#include "BvDragDrop.h"
#include "Drives.h"
#include "GuiTestEnvironment.h"
#include "Menus.h"
#include "ShellAPI.h"
#include "StdCtrls.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// What the window system hands the window: the drag's enter, one move and the drop, at a
// point of the top-level window. Returns whether the window took the drag at its enter.
bool DropOnWindow(QWidget* topLevel, const QMimeData& mime, QPoint at) {
    QWindow* window = topLevel->windowHandle();
    if (!window)
        return false;
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    const bool accepted = enter.isAccepted();
    if (!accepted) {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(window, &leave);
        return false;
    }
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
    PumpEvents();
    return true;
}

// A file URL of a Linux name in its own bytes, as a file manager writes it in a uri-list.
QUrl FileUrl(const std::string& path) {
    return QUrl::fromEncoded(
        "file://" +
            QByteArray(path.data(), static_cast<qsizetype>(path.size())).toPercentEncoding("/"),
        QUrl::StrictMode);
}

std::string ReadWhole(const std::string& linuxPath) {
    std::ifstream in(linuxPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class FileDropTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "bvdrop-XXXXXX").string();
        ASSERT_NE(nullptr, mkdtemp(tmpl.data()));
        folder = tmpl;
        form = MakeTestForm(400, 300);
        auto* menu = new TMainMenu(form);
        auto* file = new TMenuItem(form);
        file->SetCaption("&File");
        menu->Items()->Add(file);
        form->SetMenu(menu);
        button = new TButton(form);
        button->SetParent(form);
        button->SetBounds(20, 20, 120, 30);
        button->SetCaption("Child");
        // Made in code and never switched: the drop must work as it stands.
        drop = new TBvDragDrop(form);
        drop->SetDropTarget(form);
        drop->OnDrop = [this](TObject*, TPoint& pos, TStrings* files) {
            ++calls;
            where = pos;
            got = files->Items();
        };
        form->Show();
        PumpEvents();
    }
    void TearDown() override {
        delete form;
        PumpEvents();
        fs::remove_all(folder);
    }
    // Makes a file holding its own name, so that opening tells which file was reached.
    std::string MakeFile(const std::string& name) {
        std::string path = folder + "/" + name;
        std::ofstream(path, std::ios::binary) << name;
        return path;
    }

    std::string folder;
    TForm* form = nullptr;
    TButton* button = nullptr;
    TBvDragDrop* drop = nullptr;
    int calls = 0;
    TPoint where;
    std::vector<std::string> got;
};

TEST_F(FileDropTest, EveryDroppedNameOpensTheVeryFileAndWebAddressesAreLeftOut) {
    const std::vector<std::string> names = {"b c.mp3",
                                            "\xC3\xBC"
                                            "ber Gr\xC3\xB6\xC3\x9F"
                                            "e.mp3",
                                            "a\\b.mp3", "caf\xE9.mp3"};
    std::vector<std::string> paths;
    for (const auto& n : names)
        paths.push_back(MakeFile(n));
    // The file a backslash would wrongly lead to, to be sure it is not the one opened.
    fs::create_directory(folder + "/a");
    std::ofstream(folder + "/a/b.mp3") << "the wrong file";
    const std::string sub = folder + "/sub folder";
    fs::create_directory(sub);

    QMimeData mime;
    QList<QUrl> urls;
    for (const auto& p : paths)
        urls << FileUrl(p);
    urls << FileUrl(sub) << QUrl("https://example.org/song.mp3");
    mime.setUrls(urls);

    // On the child button, which takes no drops itself: the form gets them.
    QWidget* top = form->Widget()->window();
    QPoint onButton = button->Widget()->mapTo(top, QPoint(10, 10));
    ASSERT_TRUE(DropOnWindow(top, mime, onButton));
    ASSERT_EQ(calls, 1);
    EXPECT_EQ(where, (TPoint{30, 30}));
    ASSERT_EQ(got.size(), names.size() + 1);
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(got[i]);
        EXPECT_EQ(got[i].substr(0, 2), "C:");
        const std::string local = ToLinuxPath(got[i]);
        EXPECT_EQ(local, paths[i]);
        EXPECT_EQ(ReadWhole(local), names[i]);
    }
    struct stat st {};
    ASSERT_EQ(stat(ToLinuxPath(got.back()).c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(ToLinuxPath(got.back()), sub);
    EXPECT_EQ(PendingDropHandles(), 0);
}

TEST_F(FileDropTest, ADragOfOnlyWebAddressesIsRefusedAtItsEnter) {
    QMimeData mime;
    mime.setUrls({QUrl("https://example.org/song.mp3"), QUrl("ftp://example.org/x.mp3")});
    mime.setText("https://example.org/song.mp3");
    QWidget* top = form->Widget()->window();
    EXPECT_FALSE(DropOnWindow(top, mime, QPoint(200, 150)));
    // Even a drop that comes without its enter raises nothing.
    QDropEvent dropEvent(QPointF(200, 150), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->ClientWidget(), &dropEvent);
    EXPECT_EQ(calls, 0);
}

TEST_F(FileDropTest, TheDropPointIsInClientCoordinatesAlsoOverTheMenuBar) {
    const std::string path = MakeFile("x.mp3");
    QMimeData mime;
    mime.setUrls({FileUrl(path)});
    QWidget* top = form->Widget()->window();
    ASSERT_GT(form->MenuBarHeight(), 4);
    struct Case {
        const char* where;
        QPoint at; // in the top-level window
        TPoint expected;
    } cases[] = {
        {"client area", QPoint(300, form->MenuBarHeight() + 100), TPoint{300, 100}},
        {"menu bar", QPoint(250, 2), TPoint{250, 2 - form->MenuBarHeight()}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        calls = 0;
        ASSERT_TRUE(DropOnWindow(top, mime, c.at));
        ASSERT_EQ(calls, 1);
        EXPECT_EQ(where, c.expected);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(ToLinuxPath(got[0]), path);
    }
}

TEST_F(FileDropTest, SwitchedOffTheFormTakesNoDragAndOnAgainItDoes) {
    const std::string path = MakeFile("x.mp3");
    QMimeData mime;
    mime.setUrls({FileUrl(path)});
    QWidget* top = form->Widget()->window();
    drop->SetAcceptDrag(false);
    EXPECT_FALSE(DropOnWindow(top, mime, QPoint(200, 150)));
    EXPECT_EQ(calls, 0);
    drop->SetAcceptDrag(true);
    EXPECT_TRUE(DropOnWindow(top, mime, QPoint(200, 150)));
    EXPECT_EQ(calls, 1);
    // A second component made in code for a new target takes that target's drops.
    auto* other = MakeTestForm(200, 150);
    auto* second = new TBvDragDrop(other);
    int secondCalls = 0;
    second->OnDrop = [&](TObject*, TPoint&, TStrings*) { ++secondCalls; };
    second->SetDropTarget(other);
    other->Show();
    PumpEvents();
    EXPECT_TRUE(DropOnWindow(other->Widget()->window(), mime, QPoint(50, 50)));
    EXPECT_EQ(secondCalls, 1);
    delete other;
}

} // namespace
