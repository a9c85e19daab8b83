// The edits with a button as a person uses them: typing, the button pressed with the mouse and
// with Alt+Down, Enter and Esc reaching the form's buttons, files dropped from another
// program, the file dialog answered through the scripted seam, and names completed from the
// file system while typing.
#include "BvToolEdit.h"
#include "Drives.h"
#include "ExtCtrls.h"
#include "GuiTestEnvironment.h"
#include "ShellAPI.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QCompleter>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// A card folder mapped to "E:" holding a few files, one form, and the file dialog answered
// by a script.
class ToolEdit : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "bvtooledit-XXXXXX").string();
        ASSERT_NE(nullptr, mkdtemp(tmpl.data()));
        card_ = tmpl;
        setenv("BRISVANE_DRIVES", ("E=" + card_ + ":removable").c_str(), 1);
        RefreshDriveTable();
        fs::create_directories(card_ + "/Program Files/lame");
        fs::create_directories(card_ + "/music");
        for (const char* f : {"Program Files/lame/lame.exe", "music/abc.mp3", "music/abd.mp3",
                              "music/other.mp3", "lame"})
            std::ofstream(card_ + "/" + f).put('x');
        SetDialogResponder([this](const TDialogRequest& r) {
            requests_.push_back(r);
            return answer_;
        });
        form_ = MakeTestForm(320, 120);
        edit_ = new TBvFilenameEdit(form_);
        edit_->SetParent(form_);
        UseTestFont(edit_->Font());
        edit_->SetBounds(10, 10, 240, 21);
    }
    void TearDown() override {
        delete form_;
        PumpEvents();
        SetDialogResponder({});
        unsetenv("BRISVANE_DRIVES");
        RefreshDriveTable();
        fs::remove_all(card_);
    }
    void Show() {
        form_->Show();
        PumpEvents();
        edit_->SetFocus();
        PumpEvents();
    }
    QLineEdit* Line() const { return qobject_cast<QLineEdit*>(edit_->Widget()); }
    // Where the button lies on the edit's widget.
    QPoint ButtonCentre() const {
        return QPoint(edit_->Width() - 2 - edit_->ButtonWidth() / 2, edit_->Height() / 2);
    }
    void ClickButton() {
        QTest::mouseClick(Line()->childAt(ButtonCentre()), Qt::LeftButton, Qt::NoModifier,
                          Line()->childAt(ButtonCentre())->mapFrom(Line(), ButtonCentre()));
        PumpEvents();
    }

    std::string card_;
    TForm* form_ = nullptr;
    TBvFilenameEdit* edit_ = nullptr;
    TDialogAnswer answer_;
    std::vector<TDialogRequest> requests_;
};

TEST_F(ToolEdit, FileNameReadsTheTextByTheFileNameRule) {
    struct Case {
        const char* name;
        std::string text;
        std::string withQuotes; // FileName with AddQuotes on
    };
    const Case cases[] = {
        {"existing file with a blank, unquoted", "E:\\Program Files\\lame\\lame.exe",
         "E:\\Program Files\\lame\\lame.exe"},
        {"existing folder loses its separator", "E:\\Program Files\\lame\\",
         "E:\\Program Files\\lame"},
        {"drive root keeps it", "E:\\", "E:\\"},
        {"quoted text", "\"E:\\Program Files\\lame\\lame.exe\"",
         "E:\\Program Files\\lame\\lame.exe"},
        {"quoted with an argument after it", "\"E:\\Program Files\\x.exe\" -h",
         "E:\\Program Files\\x.exe"},
        {"missing path with a blank: its first word", "E:\\No Such\\lame.exe", "E:\\No"},
        {"Linux path", card_ + "/lame", card_ + "/lame"},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        edit_->SetText(c.text);
        edit_->AddQuotes = true;
        EXPECT_EQ(c.withQuotes, edit_->FileName());
        edit_->AddQuotes = false;
        EXPECT_EQ(c.text, edit_->FileName()) << "without AddQuotes the text as it stands";
    }
}

TEST_F(ToolEdit, WritingFileNameQuotesANameWithABlank) {
    struct Case {
        const char* name;
        bool addQuotes;
        const char* value;
        const char* text;
    };
    const Case cases[] = {
        {"blank, quotes on", true, "C:\\Program Files\\x\\lame.exe",
         "\"C:\\Program Files\\x\\lame.exe\""},
        {"blank, already quoted", true, "\"C:\\Program Files\\lame.exe\"",
         "\"C:\\Program Files\\lame.exe\""},
        {"no blank", true, "C:\\bin\\lame.exe", "C:\\bin\\lame.exe"},
        {"blank, quotes off", false, "C:\\Program Files\\x\\lame.exe",
         "C:\\Program Files\\x\\lame.exe"},
        {"quotes off takes enclosing quotes away", false, "\"C:\\a b\\lame\"", "C:\\a b\\lame"},
        {"a Linux path may hold \"/\"", true, "/usr/local/bin/lame", "/usr/local/bin/lame"},
        {"empty clears the edit", true, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        edit_->SetText("before");
        edit_->AddQuotes = c.addQuotes;
        edit_->SetFileName(c.value);
        EXPECT_EQ(c.text, edit_->GetText());
    }
    // What was written comes back without its quotes.
    edit_->AddQuotes = true;
    edit_->SetFileName("C:\\Program Files\\x\\lame.exe");
    EXPECT_EQ("C:\\Program Files\\x\\lame.exe", edit_->FileName());
}

TEST_F(ToolEdit, AnInvalidFileNameRaisesAndKeepsTheText) {
    edit_->SetText("E:\\music\\abc.mp3");
    for (const char* bad : {"a?b.mp3", "a*b", "a<b", "a>b", "a|b", "a\"b\"c"}) {
        SCOPED_TRACE(bad);
        try {
            edit_->SetFileName(bad);
            ADD_FAILURE() << "no error";
        } catch (const EComboEditError& e) {
            EXPECT_EQ(std::string("Invalid file name - ") + bad, e.Message());
        }
        EXPECT_EQ("E:\\music\\abc.mp3", edit_->GetText());
    }
}

TEST_F(ToolEdit, TextWithALineBreakIsCutThere) {
    edit_->SetText("first\nsecond");
    EXPECT_EQ("first", edit_->GetText());
    edit_->SetText("one\rtwo");
    EXPECT_EQ("one", edit_->GetText());
    Show();
    // Text that arrives in the widget by other ways is cut as well.
    Line()->setText("typed\r\nrest");
    EXPECT_EQ("typed", edit_->GetText());
    EXPECT_EQ("typed", Line()->text().toStdString());
    // Pasted with the keys between two letters: the pasted text is cut, the rest stays.
    edit_->SetText("X\xc3\xa9Y");
    Line()->setCursorPosition(2);
    QApplication::clipboard()->setText(QString::fromUtf8("\xc3\xa9"
                                                         "ab\ncd"));
    QTest::keyClick(Line(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ("X\xc3\xa9\xc3\xa9"
              "abY",
              edit_->GetText());
    // Typing goes on after the pasted text.
    QTest::keyClicks(Line(), "Z");
    EXPECT_EQ("X\xc3\xa9\xc3\xa9"
              "abZY",
              edit_->GetText());
}

// Three files dropped from another program: the first becomes the text, a long path whole.
TEST_F(ToolEdit, DroppedFilesTheFirstBecomesTheText) {
    Show();
    const std::string longDir = card_ + "/" + std::string(120, 'd') + "/" + std::string(120, 'e');
    fs::create_directories(longDir);
    const std::string longFile = longDir + "/a track with blanks and a long name.mp3";
    std::ofstream(longFile).put('x');
    ASSERT_GT(LocalPathToProgram(longFile).size(), 255u);

    int dropped = 0;
    edit_->OnDropFiles = [&](TObject*) { ++dropped; };
    auto drop = [&](const std::vector<std::string>& files) {
        QMimeData data;
        QList<QUrl> urls;
        for (const auto& f : files)
            urls << QUrl::fromLocalFile(QString::fromStdString(f));
        data.setUrls(urls);
        const QPoint at(20, 10);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Line(), &enter);
        QDropEvent dropEvent(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Line(), &dropEvent);
        PumpEvents();
    };
    drop({longFile, card_ + "/music/abc.mp3", card_ + "/music/abd.mp3"});
    EXPECT_EQ(1, dropped);
    EXPECT_EQ('"' + LocalPathToProgram(longFile) + '"', edit_->GetText());
    EXPECT_EQ(LocalPathToProgram(longFile), edit_->FileName());
    EXPECT_EQ(0, PendingDropHandles());

    // A dialog that allows several files keeps the others in its file list.
    edit_->SetDialogOptions(edit_->DialogOptions() | ofAllowMultiSelect);
    drop({card_ + "/music/other.mp3", card_ + "/music/abc.mp3", card_ + "/music/abd.mp3"});
    EXPECT_EQ("E:\\music\\other.mp3", edit_->GetText());
    ASSERT_EQ(3, edit_->Dialog()->Files()->Count());
    EXPECT_EQ("E:\\music\\abd.mp3", edit_->Dialog()->Files()->Get(2));

    // With AcceptFiles off the edit takes no file.
    edit_->SetAcceptFiles(false);
    drop({card_ + "/lame"});
    EXPECT_EQ(2, dropped);
    EXPECT_EQ(3, edit_->Dialog()->Files()->Count());
}

// The button clicked with the mouse opens the dialog where the text points; the chosen path
// with a blank comes back in quotes, and FileName gives it without them.
TEST_F(ToolEdit, DialogStartsAtTheTextAndItsChoiceBecomesTheText) {
    Show();
    edit_->SetFilter("LAME|lame|All files|*");
    edit_->SetText("E:\\music\\abc.mp3");
    answer_.Accepted = true;
    answer_.Paths = {card_ + "/Program Files/lame/lame.exe"};
    ClickButton();
    ASSERT_EQ(1u, requests_.size());
    EXPECT_EQ(TDialogRequest::dkOpenFile, requests_[0].Kind);
    EXPECT_EQ("Browse", requests_[0].Caption);
    EXPECT_EQ("LAME|lame|All files|*", requests_[0].Filter);
    EXPECT_EQ(card_ + "/music/abc.mp3", requests_[0].Value) << "the file preselected";
    EXPECT_EQ("\"E:\\Program Files\\lame\\lame.exe\"", edit_->GetText());
    EXPECT_EQ("E:\\Program Files\\lame\\lame.exe", edit_->FileName());
    EXPECT_EQ("E:\\Program Files\\lame", edit_->InitialDir());
    EXPECT_TRUE(edit_->Focused());

    struct Case {
        const char* name;
        const char* text;
        std::string value; // what the dialog starts at
    };
    const Case cases[] = {
        {"an invalid name starts with no file, in the last folder", "a?b",
         card_ + "/Program Files/lame"},
        {"a quoted existing file", "\"E:\\music\\abd.mp3\"", card_ + "/music/abd.mp3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        requests_.clear();
        answer_ = {};
        edit_->SetText(c.text);
        ClickButton();
        ASSERT_EQ(1u, requests_.size());
        EXPECT_EQ(c.value, requests_[0].Value);
        EXPECT_EQ(c.text, edit_->GetText()) << "a cancelled dialog changes nothing";
    }
}

TEST_F(ToolEdit, EventsAroundTheDialog) {
    Show();
    edit_->SetText("E:\\lame");
    std::vector<std::string> seen;
    edit_->OnBeforeDialog = [&](TObject*, std::string& name, bool& action) {
        seen.push_back("before " + name);
        action = name != "E:\\stop";
    };
    edit_->OnAfterDialog = [&](TObject*, std::string& name, bool& action) {
        seen.push_back("after " + name + (action ? " ok" : " cancelled"));
        name = "E:\\changed by the handler";
    };
    answer_.Accepted = true;
    answer_.Paths = {card_ + "/music/abc.mp3"};
    edit_->DoClick();
    EXPECT_EQ((std::vector<std::string>{"before E:\\lame", "after E:\\music\\abc.mp3 ok"}), seen);
    EXPECT_EQ("\"E:\\changed by the handler\"", edit_->GetText());
    // OnBeforeDialog can keep the dialog shut.
    seen.clear();
    requests_.clear();
    edit_->SetText("E:\\stop");
    edit_->DoClick();
    EXPECT_TRUE(requests_.empty());
    EXPECT_EQ((std::vector<std::string>{"before E:\\stop"}), seen);
}

// Alt+Down clicks the button; Enter and Esc go on to the form's default and cancel buttons;
// Ctrl+Enter goes to the form and no further.
TEST_F(ToolEdit, KeyRouting) {
    auto* ok = new TButton(form_);
    ok->SetParent(form_);
    ok->SetBounds(10, 60, 75, 25);
    ok->Default = true;
    auto* cancel = new TButton(form_);
    cancel->SetParent(form_);
    cancel->SetBounds(100, 60, 75, 25);
    cancel->Cancel = true;
    std::vector<std::string> seen;
    ok->OnClick = [&](TObject*) { seen.push_back("ok"); };
    cancel->OnClick = [&](TObject*) { seen.push_back("cancel"); };
    edit_->OnButtonClick = [&](TObject*) { seen.push_back("button"); };
    form_->KeyPreview = false;
    form_->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState shift) {
        if (key == VK_RETURN && shift == ssCtrl)
            seen.push_back("form Ctrl+Enter");
    };
    Show();
    ASSERT_TRUE(edit_->Focused());
    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        std::vector<std::string> seen;
    };
    const Case cases[] = {
        {"Alt+Down", Qt::Key_Down, Qt::AltModifier, {"button"}},
        {"Enter", Qt::Key_Return, Qt::NoModifier, {"ok"}},
        {"Esc", Qt::Key_Escape, Qt::NoModifier, {"cancel"}},
        {"Down alone", Qt::Key_Down, Qt::NoModifier, {}},
        {"Ctrl+Enter", Qt::Key_Return, Qt::ControlModifier, {"form Ctrl+Enter"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        seen.clear();
        requests_.clear();
        QTest::keyClick(Line(), c.key, c.mods);
        PumpEvents();
        EXPECT_EQ(c.seen, seen);
        EXPECT_EQ(c.name == std::string("Alt+Down") ? 1u : 0u, requests_.size());
    }
    // Without a button there is nothing for Alt+Down to click.
    edit_->SetShowButton(false);
    seen.clear();
    QTest::keyClick(Line(), Qt::Key_Down, Qt::AltModifier);
    EXPECT_TRUE(seen.empty());
}

TEST_F(ToolEdit, ReadOnlyAndDirectInput) {
    Show();
    int clicks = 0;
    edit_->OnButtonClick = [&](TObject*) { ++clicks; };
    edit_->SetText("keep");
    edit_->SetDirectInput(false);
    Line()->setCursorPosition(4);
    QTest::keyClicks(Line(), "xy");
    EXPECT_EQ("keep", edit_->GetText()) << "no typing without DirectInput";
    ClickButton();
    EXPECT_EQ(1, clicks) << "the button still works";
    EXPECT_EQ(1u, requests_.size());
    edit_->SetDirectInput(true);
    edit_->SetReadOnly(true);
    ClickButton();
    EXPECT_EQ(1, clicks) << "a read-only edit's button does nothing";
    edit_->AlwaysEnableButton = true;
    ClickButton();
    EXPECT_EQ(2, clicks);
    // The clear command empties the text only where it may change.
    edit_->Perform(WM_CLEAR, 0, 0);
    EXPECT_EQ("keep", edit_->GetText());
    edit_->SetReadOnly(false);
    edit_->Perform(WM_CLEAR, 0, 0);
    EXPECT_EQ("", edit_->GetText());
}

TEST_F(ToolEdit, TypingTheStartOfAPathOffersMatchingEntries) {
    Show();
    QCompleter* completer = Line()->completer();
    ASSERT_NE(nullptr, completer) << "the file-name edit completes from the file system";
    auto offered = [&] {
        std::vector<std::string> out;
        QAbstractItemModel* m = completer->completionModel();
        for (int i = 0; i < m->rowCount(); ++i)
            out.push_back(m->index(i, 0).data().toString().toStdString());
        std::sort(out.begin(), out.end());
        return out;
    };
    auto typeAndWait = [&](const char* text, size_t rows) {
        Line()->clear();
        QTest::keyClicks(Line(), text);
        for (int i = 0; i < 100 && (!completer->popup()->isVisible() ||
                                    static_cast<size_t>(completer->completionCount()) < rows);
             ++i)
            QTest::qWait(20);
    };
    typeAndWait("E:\\MUSIC\\ab", 2);
    EXPECT_TRUE(completer->popup()->isVisible());
    // The folder as it was typed, each entry as it is on the disk.
    EXPECT_EQ((std::vector<std::string>{"E:\\MUSIC\\abc.mp3", "E:\\MUSIC\\abd.mp3"}), offered());
    // Choosing an entry with the keys puts it into the edit.
    QTest::keyClick(completer->popup(), Qt::Key_Down);
    QTest::keyClick(completer->popup(), Qt::Key_Return);
    PumpEvents();
    EXPECT_EQ("E:\\MUSIC\\abc.mp3", edit_->GetText());
    EXPECT_EQ("E:\\MUSIC\\abc.mp3", edit_->FileName()) << "names the file";

    // A Linux path is completed as one.
    typeAndWait((card_ + "/mu").c_str(), 1);
    EXPECT_EQ((std::vector<std::string>{card_ + "/music"}), offered());

    // Without options there is no completion.
    edit_->SetAutoCompleteOptions(0);
    EXPECT_EQ(nullptr, Line()->completer());
}

// The base edit's button drops down a control of the program's; while it shows, Enter and Esc
// close it instead of reaching the form's buttons, and a press on the button only closes it.
TEST(ToolEditBase, PopupTakesEnterEscAndTheNextPress) {
    TForm* form = MakeTestForm(300, 200);
    auto* edit = new TBvCustomComboEdit(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 200, 21);
    auto* popup = new TPanel(form);
    popup->SetParent(form);
    popup->SetBounds(10, 31, 200, 80);
    popup->SetVisible(false);
    edit->PopupControl = popup;
    auto* ok = new TButton(form);
    ok->SetParent(form);
    ok->SetBounds(10, 150, 75, 25);
    ok->Default = true;
    auto* cancel = new TButton(form);
    cancel->SetParent(form);
    cancel->SetBounds(100, 150, 75, 25);
    cancel->Cancel = true;
    std::vector<std::string> seen;
    ok->OnClick = [&](TObject*) { seen.push_back("ok"); };
    cancel->OnClick = [&](TObject*) { seen.push_back("cancel"); };
    edit->OnButtonClick = [&](TObject*) { seen.push_back("button"); };
    form->Show();
    PumpEvents();
    auto* line = qobject_cast<QLineEdit*>(edit->Widget());
    const QPoint centre(edit->Width() - 2 - edit->ButtonWidth() / 2, edit->Height() / 2);
    auto clickButton = [&] {
        QWidget* holder = line->childAt(centre);
        ASSERT_NE(nullptr, holder);
        QTest::mouseClick(holder, Qt::LeftButton, Qt::NoModifier, holder->mapFrom(line, centre));
        PumpEvents();
    };
    clickButton();
    EXPECT_TRUE(edit->PopupVisible());
    EXPECT_TRUE(edit->Focused()) << "the press gives the edit the focus";
    seen.clear();
    QTest::keyClick(line, Qt::Key_Escape);
    EXPECT_FALSE(edit->PopupVisible());
    QTest::keyClick(line, Qt::Key_Down, Qt::AltModifier);
    EXPECT_TRUE(edit->PopupVisible());
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_FALSE(edit->PopupVisible());
    EXPECT_EQ((std::vector<std::string>{"button"}), seen) << "the form's buttons stay out";
    // Closed, Enter is the form's again.
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_EQ((std::vector<std::string>{"button", "ok"}), seen);
    // A press on the button while the popup shows closes it, and that is all.
    clickButton();
    ASSERT_TRUE(edit->PopupVisible());
    seen.clear();
    clickButton();
    EXPECT_FALSE(edit->PopupVisible());
    EXPECT_TRUE(seen.empty());
    clickButton();
    EXPECT_TRUE(edit->PopupVisible()) << "the next click drops it down again";
    delete form;
    PumpEvents();
}

TEST(ToolEditBase, CompletionFromItsOwnListAndTheGroup) {
    TForm* form = MakeTestForm(300, 100);
    auto* a = new TBvCustomComboEdit(form);
    a->SetParent(form);
    auto* b = new TBvCustomComboEdit(form);
    b->SetParent(form);
    b->SetTop(40);
    a->AutoCompleteItems()->Add("alpha");
    a->AutoCompleteItems()->Add("alpine");
    a->AutoCompleteItems()->Add("beta");
    a->SetAutoCompleteOptions(acoAutoSuggest);
    form->Show();
    PumpEvents();
    auto* line = qobject_cast<QLineEdit*>(a->Widget());
    ASSERT_NE(nullptr, line->completer());
    a->SetFocus();
    PumpEvents();
    QTest::keyClicks(line, "AL");
    PumpEvents();
    EXPECT_EQ(2, line->completer()->completionCount());
    line->completer()->popup()->hide();

    // Edits of one group: typing into one empties the others.
    a->GroupIndex = 1;
    b->GroupIndex = 1;
    b->SetText("other");
    EXPECT_EQ("", a->GetText());
    QTest::keyClicks(line, "x");
    EXPECT_EQ("", b->GetText());
    EXPECT_EQ("x", a->GetText());
    delete form;
    PumpEvents();
}

TEST(ToolEditBase, ButtonPictureFollowsTheImageKind) {
    TForm* form = MakeTestForm(200, 60);
    auto* e = new TBvCustomComboEdit(form);
    e->SetParent(form);
    struct Case {
        TBvImageKind kind;
        int width, height;
    };
    const Case cases[] = {{TBvImageKind::ikDropDown, 7, 4},
                          {TBvImageKind::ikEllipsis, 10, 3},
                          {TBvImageKind::ikDefault, 7, 4}};
    for (const Case& c : cases) {
        e->SetImageKind(c.kind);
        EXPECT_EQ(c.width, e->ButtonPicture()->Width());
        EXPECT_EQ(c.height, e->ButtonPicture()->Height());
        EXPECT_EQ(1, e->NumGlyphs());
    }
    TBitmap custom(32, 16);
    e->SetGlyph(&custom);
    e->SetNumGlyphs(2);
    e->SetImageKind(TBvImageKind::ikCustom);
    EXPECT_EQ(32, e->ButtonPicture()->Width());
    EXPECT_EQ(2, e->NumGlyphs());
    TBvFilenameEdit fileEdit(nullptr);
    EXPECT_EQ(TBvImageKind::ikDefault, fileEdit.ImageKind());
    EXPECT_EQ(14, fileEdit.ButtonPicture()->Width()) << "the folder picture";
    delete form;
}

TEST(ToolEditBase, DialogKindKeepsTheDialogsSettings) {
    TBvFilenameEdit e(nullptr);
    e.SetFilter("LAME|lame|All files|*");
    e.SetDialogTitle("Path to LAME");
    e.SetInitialDir("C:\\usr\\bin");
    e.SetDialogKind(TFileDialogKind::dkSave);
    EXPECT_NE(nullptr, dynamic_cast<TSaveDialog*>(e.Dialog()));
    EXPECT_EQ("LAME|lame|All files|*", e.Filter());
    EXPECT_EQ("Path to LAME", e.DialogTitle());
    EXPECT_EQ("C:\\usr\\bin", e.InitialDir());
}

TEST(ToolEditBase, DialogKindKeepsTheHistoryAndTheFileEditStyle) {
    TBvFilenameEdit e(nullptr);
    EXPECT_EQ(TFileEditStyle::fsEdit, e.FileEditStyle());
    EXPECT_EQ(0, e.HistoryList()->Count());
    TStringList history{"C:\\bin\\lame.exe", "C:\\usr\\bin\\lame"};
    e.SetHistoryList(&history);
    history.Clear(); // the dialog keeps its own copy
    e.SetFileEditStyle(TFileEditStyle::fsComboBox);
    e.SetDialogKind(TFileDialogKind::dkSave);
    EXPECT_EQ(TFileEditStyle::fsComboBox, e.FileEditStyle());
    ASSERT_EQ(2, e.HistoryList()->Count());
    EXPECT_EQ("C:\\usr\\bin\\lame", e.HistoryList()->Get(1));
}

// The dialog's file name box offers the history as a combo box only with fsComboBox.
TEST_F(ToolEdit, TheDialogOffersTheHistoryInAComboBox) {
    Show();
    TStringList history{"E:\\music\\abc.mp3", "lame.exe"};
    edit_->SetHistoryList(&history);
    ClickButton();
    ASSERT_EQ(1u, requests_.size());
    EXPECT_FALSE(requests_[0].FileNameCombo);
    EXPECT_TRUE(requests_[0].History.empty());
    requests_.clear();
    edit_->SetFileEditStyle(TFileEditStyle::fsComboBox);
    ClickButton();
    ASSERT_EQ(1u, requests_.size());
    EXPECT_TRUE(requests_[0].FileNameCombo);
    EXPECT_EQ((std::vector<std::string>{card_ + "/music/abc.mp3", "lame.exe"}),
              requests_[0].History);
}

// An action linked to the edit: its hint, picture index and key go to the button, its
// caption never becomes the text, and the button (clicked or by the key) runs it.
TEST_F(ToolEdit, AnActionRunsFromTheButtonAndLendsItsHintPictureAndKey) {
    TAction action(form_);
    action.SetCaption("Choose the encoder");
    action.SetHint("Where LAME lies");
    action.SetImageIndex(2);
    action.SetShortCut(ShortCut(VK_F4, 0));
    int executed = 0;
    TComponent* runBy = nullptr;
    action.OnExecute = [&](TObject*) {
        ++executed;
        runBy = action.ActionComponent();
    };
    edit_->SetText("E:\\lame");
    edit_->SetAction(&action);
    EXPECT_EQ("E:\\lame", edit_->GetText());
    EXPECT_EQ("Where LAME lies", edit_->ButtonHint());
    EXPECT_EQ("Where LAME lies", edit_->Hint());
    EXPECT_EQ(2, edit_->ImageIndex());
    EXPECT_EQ(ShortCut(VK_F4, 0), edit_->ClickKey);

    Show();
    ClickButton();
    EXPECT_EQ(1, executed);
    EXPECT_EQ(edit_, runBy);
    EXPECT_EQ(1u, requests_.size()) << "the dialog still follows the action";
    QTest::keyClick(Line(), Qt::Key_F4);
    PumpEvents();
    EXPECT_EQ(2, executed);
    EXPECT_EQ(2u, requests_.size());

    // The edit follows the action's changes while it still shows the action's values.
    action.SetHint("The encoder");
    action.SetShortCut(ShortCut(VK_F12, 0));
    EXPECT_EQ("The encoder", edit_->ButtonHint());
    EXPECT_EQ(ShortCut(VK_F12, 0), edit_->ClickKey);
    edit_->SetButtonHint("my own");
    action.SetHint("again");
    EXPECT_EQ("my own", edit_->ButtonHint());
    action.SetShortCut(0); // no key: the edit keeps one
    EXPECT_EQ(ShortCut(VK_F12, 0), edit_->ClickKey);
    action.SetEnabled(false);
    EXPECT_FALSE(edit_->Enabled());
    action.SetEnabled(true);

    // The edit's own handler stands in for the action's.
    edit_->OnButtonClick = [&](TObject*) {};
    ClickButton();
    EXPECT_EQ(2, executed);
    edit_->OnButtonClick = nullptr;
    edit_->SetAction(nullptr);
    ClickButton();
    EXPECT_EQ(2, executed);
}

// An action without a key leaves the edit its Alt+Down.
TEST(ToolEditBase, AnActionWithoutAKeyKeepsAltDown) {
    TBvFilenameEdit e(nullptr);
    TAction action(nullptr);
    e.SetAction(&action);
    EXPECT_EQ(ShortCut(VK_DOWN, ssAlt), e.ClickKey);
    e.SetAction(nullptr);
}

} // namespace
