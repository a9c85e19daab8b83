// A speed bar dragged to another side of its window on a real X server without a compositor
// (Xvfb): while the drag runs the window still shows and the dotted frame lies over it, and
// the rest of the screen stays as it was. Screenshots go under the build folder.
#include "BvDrawUtils.h"
#include "BvSpeedbar.h"
#include "GuiTestEnvironment.h"
#include "StdCtrls.h"
#include "qt/WidgetBinding.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

// The X client libraries and fontconfig keep their caches until exit; that is not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libxcb\nleak:libX11\nleak:libQt6XcbQpa\nleak:libdbus\n"
           "leak:libxkbcommon\nleak:libGLX\nleak:libEGL\n";
}

namespace {

void Pump() {
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
        Application->ProcessMessages();
    }
    QTest::qWait(50);
}

QImage GrabScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32)
                  : QImage();
}

void Save(const QImage& image, const char* name) {
    const std::string path = std::string(BV_BINARY_DIR) + "/screenshots/" + name;
    EXPECT_TRUE(image.save(QString::fromStdString(path))) << path;
}

int Dark(const QImage& image, const QRect& area) {
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            dark += qGray(image.pixel(x, y)) < 40;
    return dark;
}

} // namespace

TEST(XvfbSpeedbarDrag, TheFrameLiesOverTheWindowAndTheScreenStaysAsItWas) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under Xvfb with QT_QPA_PLATFORM=xcb";
    std::system(("mkdir -p '" + std::string(BV_BINARY_DIR) + "/screenshots'").c_str());

    auto* form = new TForm(Application);
    UseTestFont(form->Font());
    form->SetCaption("Speed bar drag");
    form->SetBounds(60, 60, 420, 300);
    auto* bar = new TBvSpeedBar(form);
    bar->SetParent(form);
    UseTestFont(bar->Font());
    bar->SetHeight(30);
    auto* list = new TListBox(form);
    list->SetParent(form);
    list->SetAlign(TAlign::alClient);
    UseTestFont(list->Font());
    for (const char* track : {"01. Opening", "02. Second song", "03. Interlude", "04. Finale"})
        list->Items()->Add(track);
    form->Show();
    QWidget* window = form->Widget()->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    window->activateWindow();
    Pump();
    const QImage before = GrabScreen();
    ASSERT_FALSE(before.isNull());

    // Press on the bar, pass the drag threshold, and move to the bottom of the window.
    QWindow* handle = window->windowHandle();
    auto at = [&](TControl* c, int x, int y) {
        TPoint p = c->ClientToScreen({x, y});
        return handle->mapFromGlobal(QPoint(p.X, p.Y));
    };
    QTest::mousePress(handle, Qt::LeftButton, {}, at(bar, 100, 10));
    QTest::mouseMove(handle, at(bar, 110, 12));
    Pump();
    ASSERT_TRUE(bar->IsDragging());
    QTest::mouseMove(handle, at(form, 200, form->ClientHeight() - 10));
    Pump();
    ASSERT_TRUE(bar->IsDragging());
    const TRect frame = bar->DragFrame();
    ASSERT_GT(frame.Top, 150) << "the frame follows to the bottom";
    const QImage during = GrabScreen();
    Save(during, "xvfb-speedbar-drag.png");
    // The window with a margin of the screen around it, to be looked at.
    Save(during.copy(window->frameGeometry().adjusted(-20, -20, 20, 20)),
         "xvfb-speedbar-drag-window.png");

    // The window's inside, away from the frame, is as it was: nothing blacked out.
    QRect client(window->geometry().left() + 10, window->geometry().top() + 60, 380, 100);
    EXPECT_EQ(during.copy(client), before.copy(client)) << "the window under the drag changed";
    QRect outside(0, 0, during.width(), 50);
    EXPECT_EQ(during.copy(outside), before.copy(outside)) << "the screen beside it changed";
    // The frame's top edge is dotted: half its pixels dark.
    QRect topEdge(frame.Left, frame.Top, frame.Width(), 1);
    EXPECT_NEAR(Dark(during, topEdge), frame.Width() / 2, 2);
    EXPECT_EQ(BvQt::ScreenFrameWindows().size(), 4u);

    QTest::mouseRelease(handle, Qt::LeftButton, {}, at(form, 200, form->ClientHeight() - 10));
    Pump();
    EXPECT_FALSE(bar->IsDragging());
    EXPECT_EQ(bar->Align(), TAlign::alBottom);
    EXPECT_TRUE(BvQt::ScreenFrameWindows().empty()) << "the frame goes when the drag ends";
    Save(GrabScreen(), "xvfb-speedbar-docked.png");
    delete form;
    Pump();
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    InitGui();
    return RUN_ALL_TESTS();
}
