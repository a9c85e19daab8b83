// One form with the drive selector dropped down over a scripted table of three drives and the
// encoder-path edit with its button, saved as a picture for a person to look at, with probes
// of what must show.
#include "BvDriveCtrls.h"
#include "BvToolEdit.h"
#include "Drives.h"
#include "GuiTestEnvironment.h"
#include "KitPictures.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTest>

#include <filesystem>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

int CountPixels(const QImage& image, const QRect& r, QRgb colour) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

TEST(ToolEditScreenshot, DriveSelectorDroppedDownAndTheEncoderPathEdit) {
    std::string tmpl = (fs::temp_directory_path() / "bvshot-XXXXXX").string();
    ASSERT_NE(nullptr, mkdtemp(tmpl.data()));
    const fs::path base = tmpl;
    std::vector<TDriveEntry> table;
    for (auto [letter, type] : {std::pair{'C', DRIVE_FIXED}, std::pair{'D', DRIVE_CDROM},
                                std::pair{'E', DRIVE_REMOVABLE}}) {
        TDriveEntry e;
        e.Letter = letter;
        e.Type = type;
        if (letter == 'C') {
            e.Root = "/";
        } else {
            const fs::path folder = base / (letter == 'E' ? "card" : "disc");
            fs::create_directories(folder);
            e.Root = folder.string();
        }
        table.push_back(e);
    }
    SetDriveTableSource([table] { return table; });
    RefreshDriveTable();

    TForm* form = MakeTestForm(420, 220);
    form->SetCaption("Options");
    form->SetColor(clBtnFace);
    auto* driveLabel = new TLabel(form);
    driveLabel->SetParent(form);
    UseTestFont(driveLabel->Font());
    driveLabel->SetBounds(10, 14, 90, 16);
    driveLabel->SetCaption("Phone drive:");
    auto* combo = new TBvDriveCombo(form);
    combo->SetParent(form);
    UseTestFont(combo->Font());
    combo->SetBounds(110, 10, 200, 24);
    combo->SetDriveTypes(
        DriveTypeSet(TBvDriveType::dtFixed, TBvDriveType::dtRemovable, TBvDriveType::dtCDROM));
    auto* lameLabel = new TLabel(form);
    lameLabel->SetParent(form);
    UseTestFont(lameLabel->Font());
    lameLabel->SetBounds(10, 154, 90, 16);
    lameLabel->SetCaption("Path to LAME:");
    auto* lame = new TBvFilenameEdit(form);
    lame->SetParent(form);
    UseTestFont(lame->Font());
    lame->SetBounds(110, 150, 290, 21);
    lame->SetFilter("LAME|lame|All files|*");
    lame->SetFileName("C:\\Program Files\\Brisvane\\encoders\\lame");
    // A disabled one shows its text in its own colours rather than the platform's grey.
    auto* off = new TBvFilenameEdit(form);
    off->SetParent(form);
    UseTestFont(off->Font());
    off->SetBounds(110, 185, 290, 21);
    off->SetText("C:\\usr\\bin\\lame");
    off->SetDisabledTextColor(RGB(160, 0, 0));
    off->SetEnabled(false);
    form->Show();
    PumpEvents();
    ASSERT_TRUE(combo->SetDrive('E'));

    auto* qc = qobject_cast<QComboBox*>(combo->Widget());
    ASSERT_NE(nullptr, qc);
    QTest::mouseClick(qc, Qt::LeftButton, Qt::NoModifier, QPoint(100, 12));
    PumpEvents();
    QAbstractItemView* view = qc->view();
    ASSERT_TRUE(view->isVisible());

    // The form and the open list, composed as they lie on the screen.
    QImage formShot = form->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage shot = ComposeWithPopup(formShot, form->Widget(), view->window());
    const std::string path = std::string(BV_BINARY_DIR) + "/kit_tool_edit.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(path)));

    EXPECT_EQ("\"C:\\Program Files\\Brisvane\\encoders\\lame\"", lame->GetText());
    EXPECT_EQ(3, combo->Items()->Count());
    // The folder picture on the button, inside the edit's right end.
    const QPoint editAt = lame->Widget()->mapTo(form->Widget(), QPoint(0, 0));
    const QRect button(editAt.x() + lame->Width() - 2 - lame->ButtonWidth(), editAt.y() + 2,
                       lame->ButtonWidth(), lame->Height() - 4);
    EXPECT_GT(CountPixels(formShot, button, qRgb(250, 208, 88)), 20) << "no folder on the button";
    // The text stops short of the button.
    auto* line = qobject_cast<QLineEdit*>(lame->Widget());
    EXPECT_GE(line->textMargins().right(), lame->ButtonWidth());

    const QPoint offAt = off->Widget()->mapTo(form->Widget(), QPoint(0, 0));
    const QRect offText(offAt.x() + 3, offAt.y() + 3, 80, off->Height() - 6);
    EXPECT_GT(CountPixels(formShot, offText, qRgb(160, 0, 0)), 10) << "disabled text colour";
    EXPECT_GT(CountPixels(formShot, offText, qRgb(255, 255, 255)), 100) << "disabled background";

    qc->hidePopup();
    delete form;
    PumpEvents();
    SetDriveTableSource({});
    RefreshDriveTable();
    fs::remove_all(base);
}

} // namespace
