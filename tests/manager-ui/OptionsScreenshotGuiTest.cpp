// The options dialog filled from a settings file, saved as a picture at the screen's device
// pixel ratio: its captions fit their controls, the fields of a group start in one column,
// and no control runs past its group.
#include "OptionsDialogSupport.h"

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
