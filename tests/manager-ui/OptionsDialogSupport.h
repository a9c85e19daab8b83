// A program folder with a settings file and language files, a track manager over it, a
// stand-in main window that holds the translator and the message strings, and the options
// dialog created as the program creates it. Dialogs and message boxes are answered by a
// script.
#pragma once

#include "BvTranslator.h"
#include "Dialogs.h"
#include "Drives.h"
#include "GuiTestEnvironment.h"
#include "LanguageFiles.h"
#include "TrackManager.h"
#include "UnitOptions.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace OptionsTest {

namespace fs = std::filesystem;

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The language file the build ships beside the program.
inline std::string ShippedEnglish() {
    return ReadFile(std::string(BV_SOURCE_DIR) + "/src/manager-ui/English.lng");
}

// A small German language file: captions of both windows and two message strings, and an
// attempt to replace the encoder's path, which must never work.
inline const char* GermanLng() {
    return R"xml(<?xml version="1.0" encoding="utf-8"?>
<Language>
  <Form1 Caption="Brisvane (Deutsch)">
    <Variables>
      <Item Name="All music" Value="Alle Musik"/>
      <Item Name="Mobile updated!" Value="Handy aktualisiert!"/>
    </Variables>
  </Form1>
  <Form2 Caption="Einstellungen">
    <cbShowPanel Caption="Schaltflächenleiste im Hauptfenster zeigen"/>
    <lbHintHide Caption="Ausblenden nach:"/>
    <Label10 Caption="kbit/s"/>
    <comboConverters Text="C:\evil\program" Caption="C:\evil\program"/>
    <Button1 Caption="OK"/>
  </Form2>
</Language>)xml";
}

// Saves what the window shows as a PNG under the build folder, for a person to look at;
// the screen's device pixel ratio decides the picture's pixels. Returns the picture.
inline QImage SaveWindowShot(TWinControl* window, const std::string& name) {
    QImage shot = window->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const std::string path = std::string(BV_BINARY_DIR) + "/screenshots/" + name + ".png";
    fs::create_directories(fs::path(path).parent_path());
    EXPECT_TRUE(shot.save(QString::fromStdString(path))) << path;
    return shot;
}

// Whether this run is the one on a screen of two device pixels per logical pixel.
inline bool RatioTwoRun(TWinControl* window) {
    const char* expected = std::getenv("BV_EXPECT_DEVICE_RATIO");
    const double ratio = window->Widget()->devicePixelRatioF();
    if (expected && std::string(expected) == "2") {
        EXPECT_EQ(2.0, ratio) << "the run was to give the screen ratio 2";
    }
    return ratio == 2.0;
}

// A scripted user interface whose options dialog is the real one.
class TDialogUi : public TScriptedManagerUi {
public:
    std::function<bool()> ShowOptions;
    bool ShowOptionsDialog() override { return ShowOptions ? ShowOptions() : false; }
};

class TOptionsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "bvoptions-XXXXXX").string();
        ASSERT_NE(nullptr, mkdtemp(tmpl.data()));
        folder_ = tmpl;
        SetDialogResponder([this](const TDialogRequest& r) {
            Requests.push_back(r);
            if (!Answers.empty()) {
                TDialogAnswer a = Answers.front();
                Answers.erase(Answers.begin());
                return a;
            }
            TDialogAnswer ok;
            ok.Accepted = true;
            ok.Button = IDOK;
            return ok;
        });
    }
    void TearDown() override {
        DeleteWindows();
        SetDialogResponder({});
        fs::remove_all(folder_);
    }

    std::string Path(const std::string& name) const { return folder_ + "/" + name; }
    std::string ProgramFolder() const { return ToWindowsPath(folder_) + "\\"; }
    void WriteIni(const std::string& text) { WriteFile(Path("brisvane.ini"), text); }
    void WriteLanguages() {
        WriteFile(Path("English.lng"), ShippedEnglish());
        WriteFile(Path("Deutsch.lng"), GermanLng());
    }

    // The program's start: the main window, then the options dialog (which loads and
    // applies the settings).
    void Start() {
        Manager = std::make_unique<TTrackManager>(Ui, TManagerPaths{ProgramFolder(), {}});
        Main = MakeTestForm(400, 300);
        Main->SetName("Form1");
        Main->SetCaption("Brisvane");
        Translator = new TBvTranslator(Main);
        Translator->SetName("BvTranslator1");
        Variables = new TBvTranslatorStrings(Main);
        Variables->SetName("Variables");
        for (int i = 0; i < Manager->Messages.Count(); ++i) {
            const std::string name = Manager->Messages.Name(i);
            Variables->Add(name, Manager->Messages.Variable(name));
        }
        Manager->LanguageSink = [this](const std::string& file) {
            AppliedLanguages.push_back(file);
            ApplyLanguageFile(*Translator, *Manager, file);
        };
        Manager->FormCreate();
        Dialog = new TForm2(Application, *Manager);
        UseTestFont(Dialog->Font());
        Dialog->AfterConstruction();
        Ui.ShowOptions = [this] { return Dialog->Execute(); };
    }
    void DeleteWindows() {
        delete Dialog;
        Dialog = nullptr;
        delete Main;
        Main = nullptr;
        PumpEvents();
    }

    // Runs the Options command; `steps` runs once the dialog is up, as the user's hands.
    void RunOptionsCommand(const std::function<void()>& steps) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            PumpEvents();
            steps();
            ran = true;
            // A dialog the steps left open is closed as with its close box.
            if (Dialog->Modal() && Dialog->ModalResult() == mrNone)
                Dialog->SetModalResult(mrCancel);
        });
        Manager->btnOptionsClick();
        PumpEvents();
        EXPECT_TRUE(ran);
    }

    // ---- The user's hands
    static void Click(TControl* control, QPoint at = {}) {
        auto* w = static_cast<TWinControl*>(control)->Widget();
        if (at.isNull())
            at = QPoint(8, w->height() / 2);
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, at);
        PumpEvents();
    }
    static QLineEdit* LineOf(TWinControl* control) {
        if (auto* combo = qobject_cast<QComboBox*>(control->Widget()))
            return combo->lineEdit();
        return qobject_cast<QLineEdit*>(control->Widget());
    }
    // Selects the field's text and types over it.
    static void TypeInto(TWinControl* control, const char* text) {
        QLineEdit* line = LineOf(control);
        ASSERT_NE(nullptr, line);
        control->SetFocus();
        PumpEvents();
        QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(line, Qt::Key_Backspace);
        QTest::keyClicks(line, text);
        PumpEvents();
    }
    // Chooses an item of a drop-down list with the keyboard, from its first item.
    static void ChooseWithKeys(TWinControl* combo, int downs) {
        combo->SetFocus();
        PumpEvents();
        QTest::keyClick(combo->Widget(), Qt::Key_Home);
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(combo->Widget(), Qt::Key_Down);
        PumpEvents();
    }

    std::string folder_;
    TDialogUi Ui;
    std::unique_ptr<TTrackManager> Manager;
    TForm* Main = nullptr;
    TBvTranslator* Translator = nullptr;
    TBvTranslatorStrings* Variables = nullptr;
    TForm2* Dialog = nullptr;
    std::vector<std::string> AppliedLanguages;
    std::vector<TDialogRequest> Requests;
    std::vector<TDialogAnswer> Answers;
};

} // namespace OptionsTest
