// A smoke test on a real X server (Xvfb, through Qt's xcb platform): a form with a menu, a
// list box and an edit, and a modal dialog over it, driven with clicks and typing through
// the window system, with screenshots saved under the build folder.
#include "GuiTestEnvironment.h"
#include "Menus.h"
#include "StdCtrls.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <string>

// The X client libraries and fontconfig keep their caches until exit; that is not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libxcb\nleak:libX11\nleak:libQt6XcbQpa\nleak:libdbus\n"
           "leak:libxkbcommon\nleak:libGLX\nleak:libEGL\n";
}

namespace {

void Pump() {
    for (int i = 0; i < 10; ++i)
        Application->ProcessMessages();
}

std::string ShotPath(const char* name) {
    return std::string(BV_BINARY_DIR) + "/screenshots/" + name;
}

// Saves the image and checks that it shows something (more than a few colours).
void Save(const QImage& image, const char* name) {
    std::string path = ShotPath(name);
    ASSERT_TRUE(image.save(QString::fromStdString(path))) << path;
    std::set<QRgb> colours;
    QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); y += 3)
        for (int x = 0; x < rgb.width(); x += 3)
            colours.insert(rgb.pixel(x, y));
    EXPECT_GT(colours.size(), 4u) << path << " looks blank";
}

// A click through the window system, where a modal window keeps the others out.
void ClickAt(TWinControl* control, QPoint local) {
    QWidget* target = control->Widget();
    if (auto* area = qobject_cast<QAbstractScrollArea*>(target))
        target = area->viewport();
    QWidget* window = target->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, target->mapTo(window, local));
    Pump();
}

void Activate(TForm* form) {
    QWidget* window = form->Widget();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    window->activateWindow();
    QApplication::setActiveWindow(window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(window, 2000)) << "the window did not become active";
    Pump();
}

} // namespace

TEST(XvfbSmoke, FormListMenuAndModalDialogOnARealXServer) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under Xvfb with QT_QPA_PLATFORM=xcb";
    std::system(("mkdir -p '" + std::string(BV_BINARY_DIR) + "/screenshots'").c_str());

    auto* form = new TForm(Application);
    UseTestFont(form->Font());
    form->SetCaption("Brisvane smoke test");
    form->SetBounds(40, 40, 420, 300);
    auto* menu = new TMainMenu(form);
    for (const char* caption : {"&File", "&Edit", "&Help"}) {
        auto* item = new TMenuItem(form);
        item->SetCaption(caption);
        menu->Items()->Add(item);
    }
    form->SetMenu(menu);
    auto* list = new TListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 180, 200);
    UseTestFont(list->Font());
    for (const char* track : {"01. Opening", "02. Second song", "03. Interlude", "04. Finale"})
        list->Items()->Add(track);
    int listClicks = 0;
    list->OnClick = [&](TObject*) { ++listClicks; };
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(200, 10, 200, 24);
    UseTestFont(edit->Font());
    auto* open = new TButton(form);
    open->SetParent(form);
    open->SetCaption("&Options...");
    open->SetBounds(200, 50, 100, 28);

    form->Show();
    Activate(form);

    // A click on the third line selects it; typing reaches the edit.
    ClickAt(list, QPoint(list->ItemRect(2).Left + 20, list->ItemRect(2).Top + 4));
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(listClicks, 1);
    ClickAt(edit, QPoint(10, 10));
    QTest::keyClicks(QApplication::focusWidget(), "Hello X");
    Pump();
    EXPECT_EQ(edit->GetText(), "Hello X");
    Save(form->Widget()->grab().toImage(), "xvfb-smoke-form.png");

    // The modal dialog: the main window takes no clicks while it runs; Enter answers it.
    auto* dialog = new TForm(Application);
    UseTestFont(dialog->Font());
    dialog->SetCaption("Options");
    dialog->SetBounds(150, 120, 260, 130);
    auto* label = new TLabel(dialog);
    label->SetParent(dialog);
    label->SetCaption("&Encoder:");
    label->SetBounds(10, 14, 60, 16);
    auto* path = new TEdit(dialog);
    path->SetParent(dialog);
    path->SetBounds(80, 10, 160, 24);
    label->FocusControl = path;
    auto* ok = new TButton(dialog);
    ok->SetParent(dialog);
    ok->SetCaption("OK");
    ok->SetBounds(80, 80, 75, 28);
    ok->Default = true;
    ok->ModalResult = mrOk;
    auto* cancel = new TButton(dialog);
    cancel->SetParent(dialog);
    cancel->SetCaption("Cancel");
    cancel->SetBounds(165, 80, 75, 28);
    cancel->Cancel = true;
    cancel->ModalResult = mrCancel;

    int clicksDuringModal = -1;
    int indexDuringModal = -1;
    QTimer::singleShot(0, [&] {
        Activate(dialog);
        ClickAt(list, QPoint(list->ItemRect(0).Left + 20, list->ItemRect(0).Top + 4));
        clicksDuringModal = listClicks;
        indexDuringModal = list->ItemIndex();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::AltModifier);
        Pump();
        QTest::keyClicks(QApplication::focusWidget(), "/usr/bin/lame");
        Pump();
        Save(dialog->Widget()->grab().toImage(), "xvfb-smoke-dialog.png");
        if (QScreen* screen = QGuiApplication::primaryScreen())
            Save(screen->grabWindow(0).toImage(), "xvfb-smoke-screen.png");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        Pump();
        if (dialog->ModalResult() == mrNone)
            dialog->SetModalResult(mrAbort);
    });
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_EQ(clicksDuringModal, 1) << "the main window took a click during the modal dialog";
    EXPECT_EQ(indexDuringModal, 2);
    EXPECT_EQ(path->GetText(), "/usr/bin/lame");
    delete dialog;
    delete form;
    Pump();
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    InitGui();
    return RUN_ALL_TESTS();
}
