// The options dialog filled from a settings file, saved as a picture at the screen's device
// pixel ratio: its captions fit their controls, the fields of a group start in one column,
// and no control runs past its group.
#include "OptionsDialogSupport.h"

#include <QGuiApplication>
#include <QScreen>

using namespace OptionsTest;

namespace {

class OptionsScreenshot : public TOptionsFixture {
protected:
    void ShowFilled() {
        WriteLanguages();
        WriteIni("[SETTINGS]\r\nAutoEncode=1\r\nRename=1\r\nMaxBitrate=160\r\n"
                 "Converter=C:\\usr\\bin\\lame\r\nConvertToFormat=1\r\nVBR=1\r\nCBR=0\r\n"
                 "VBR_QUALITY=5\r\nUploadPath=\\mobile\\music\\\r\n");
        Start();
        Dialog->Show();
        PumpEvents(10);
    }
    // Every control lies inside its parent, and no two controls of a group overlap.
    void ExpectTidy() {
        for (TGroupBox* group : {Dialog->gbView, Dialog->gbMobile, Dialog->gbEncoding}) {
            EXPECT_LE(group->Left() + group->Width(), Dialog->ClientWidth());
            std::vector<TControl*> shown;
            for (int i = 0; i < group->ControlCount(); ++i)
                if (group->Controls(i)->Visible())
                    shown.push_back(group->Controls(i));
            for (TControl* c : shown) {
                EXPECT_LE(c->Left() + c->Width(), group->Width() - 4) << c->Name();
                EXPECT_LE(c->Top() + c->Height(), group->Height() - 4) << c->Name();
                for (TControl* other : shown) {
                    if (other == c)
                        continue;
                    TRect a = c->BoundsRect(), b = other->BoundsRect(), both;
                    EXPECT_FALSE(IntersectRect(both, a, b)) << c->Name() << " " << other->Name();
                }
            }
        }
        EXPECT_EQ(Dialog->edUpload->Left(), Dialog->comboRNTO->Left());
        EXPECT_EQ(Dialog->comboShowTracksAs->Left(), Dialog->comboLang->Left());
        EXPECT_EQ(Dialog->ComboFormat->Left(), Dialog->comboConverters->Left());
        EXPECT_EQ(Dialog->comboM4ABitrate->Left(), Dialog->comboM4A_VBR_Quality->Left());
        EXPECT_LE(Dialog->Button1->Top() + Dialog->Button1->Height(), Dialog->ClientHeight());
    }
};

} // namespace

TEST_F(OptionsScreenshot, FilledFromASettingsFile) {
    ShowFilled();
    ExpectTidy();
    const QImage shot = SaveWindowShot(Dialog, "options_dialog");
    EXPECT_EQ(Dialog->ClientWidth(), shot.width() / shot.devicePixelRatio());
    Dialog->Hide();
}

TEST_F(OptionsScreenshot, FilledFromASettingsFileRatio2) {
    ShowFilled();
    if (!RatioTwoRun(Dialog)) {
        Dialog->Hide();
        GTEST_SKIP() << "the screen's device pixel ratio is not 2";
    }
    ExpectTidy();
    const QImage shot = SaveWindowShot(Dialog, "options_dialog_ratio2");
    EXPECT_EQ(2 * Dialog->ClientWidth(), shot.width());
    Dialog->Hide();
}

// A translation whose captions are longer than the screen is wide: the dialog stays within the
// screen it opens on, the long captions wrap inside their groups, OK can be clicked, and a
// caption beyond the translator's bound is cut with one message naming the file and the text.
TEST_F(OptionsScreenshot, LongCaptionsWrapAndTheDialogLiesOnTheScreen) {
    struct TCase {
        const char* Shot;
        size_t Length;
        bool AlsoLabels; // the upload folder's caption and a radio button's too
    };
    const TCase cases[] = {
        {"options_dialog_caption_300", 300, false},
        {"options_dialog_captions_300", 300, true},
        {"options_dialog_caption_1mb", 1 << 20, false},
    };
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Shot);
        std::string caption;
        for (int i = 0; caption.size() < c.Length; ++i)
            caption += "Show the button panel " + std::to_string(i) + " ";
        caption.resize(c.Length);
        std::string lng = "<?xml version=\"1.0\" encoding=\"utf-8\"?><Language><Form2>"
                          "<cbShowPanel Caption=\"" +
                          caption + "\"/>";
        if (c.AlsoLabels)
            lng +=
                "<lbUpload Caption=\"" + caption + "\"/><rbM4A_VBR Caption=\"" + caption + "\"/>";
        lng += "</Form2></Language>";
        WriteFile(Path("Long.lng"), lng);
        WriteIni("[SETTINGS]\r\nLanguage=Long.lng\r\n");
        Start();
        bool checked = false;
        RunOptionsCommand([&] {
            checked = true;
            // Within the screen's width always; within its height where the screen is tall
            // enough for the dialog's rows (a 1280 x 800 screen is, 800 x 600 is not), else
            // from its top.
            const QRect frame = Dialog->Widget()->frameGeometry();
            EXPECT_GE(frame.left(), area.left());
            EXPECT_LE(frame.right(), area.right()) << frame.x() << " " << frame.width();
            const bool fits = frame.height() <= area.height();
            if (fits)
                EXPECT_TRUE(area.contains(frame)) << frame.y() << " " << frame.height();
            else
                EXPECT_EQ(frame.top(), area.top());
            ExpectTidy();
            // The long caption's check box is more than one line high inside its group.
            EXPECT_GT(Dialog->cbShowPanel->Height(), 23);
            EXPECT_TRUE(Dialog->cbShowPanel->WordWrap());
            SaveWindowShot(Dialog, c.Shot);
            // OK lies on the screen and takes the real click.
            const QPoint ok = Dialog->Button1->Widget()->mapToGlobal(
                QPoint(Dialog->Button1->Width() / 2, Dialog->Button1->Height() / 2));
            if (fits) {
                EXPECT_TRUE(area.contains(ok));
            }
            Click(Dialog->Button1, QPoint(Dialog->Button1->Width() / 2, 12));
            EXPECT_EQ(Dialog->ModalResult(), mrOk) << "OK closes the dialog";
        });
        EXPECT_TRUE(checked);
        EXPECT_FALSE(Dialog->Visible());
        // Only a caption beyond the bound is named, once, however often the file is applied.
        size_t named = 0;
        for (const std::string& w : Ui.Warnings)
            if (w.find("Long.lng") != std::string::npos &&
                w.find("Form2.cbShowPanel.Caption") != std::string::npos)
                ++named;
        EXPECT_EQ(named, c.Length > TBvTranslator::MaxTextLength ? 1u : 0u);
        EXPECT_LE(Dialog->cbShowPanel->Caption().size(), TBvTranslator::MaxTextLength);
        DeleteWindows();
        Ui.Warnings.clear();
    }
}
