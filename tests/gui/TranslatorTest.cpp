#include "BvTranslator.h"
#include "Collections.h"
#include "ComCtrls.h"
#include "GuiTestEnvironment.h"
#include "Menus.h"
#include "PublishedTypes.h"
#include "StdCtrls.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include <gtest/gtest.h>

namespace {

std::string gHello = "Hello";
std::string gBye = "Bye";

class TranslatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = new TForm(Application);
        form->SetName("Form1");
        form->SetCaption("Brisvane");
        button = new TButton(form);
        button->SetName("btnUpdate");
        button->SetParent(form);
        button->SetCaption("Update");
        edit = new TEdit(form);
        edit->SetName("EncoderPath");
        edit->SetParent(form);
        edit->SetText("C:\\lame\\lame.exe");
        args = new TMemo(form);
        args->SetName("EncoderArgs");
        args->SetParent(form);
        args->Lines()->Add("-V 2");
        bitrate = new TComboBox(form);
        bitrate->SetName("Bitrate");
        bitrate->SetParent(form);
        bitrate->SetText("192");
        list = new TListBox(form);
        list->SetName("ListBox1");
        list->SetParent(form);
        list->Items()->Add("All music");
        list->Items()->Add("Rock");
        item = new TMenuItem(form);
        item->SetName("mnuFile");
        item->SetCaption("&File");
        strings = new TBvTranslatorStrings(form);
        strings->SetName("Variables");
        gHello = "Hello";
        gBye = "Bye";
        strings->Add("SHello", gHello);
        strings->Add("SBye", gBye);
        translator = new TBvTranslator(form);
    }
    void TearDown() override { delete form; }
    TForm* form = nullptr;
    TButton* button = nullptr;
    TEdit* edit = nullptr;
    TMemo* args = nullptr;
    TComboBox* bitrate = nullptr;
    TListBox* list = nullptr;
    TMenuItem* item = nullptr;
    TBvTranslatorStrings* strings = nullptr;
    TBvTranslator* translator = nullptr;
};

const char* kGerman = R"xml(<?xml version="1.0" encoding="utf-8"?>
<Language>
  <Form1 Caption="Brisvane (Deutsch)" Name="Hijacked" Left="999">
    <btnUpdate Caption="Aktualisieren" Hint="Zeile eins\nZeile zwei\nZeile drei"/>
    <EncoderPath Text="C:\evil\program.exe" Caption="C:\evil\program.exe"/>
    <EncoderArgs Text="--evil" Caption="--evil"><Lines><Item Index="0" Value="--evil"/></Lines>
      <Lines><![CDATA[--evil]]></Lines></EncoderArgs>
    <Bitrate Text="8" Caption="8"/>
    <ListBox1>
      <Items>
        <Item Index="1" Value="Rockmusik"/>
        <Item Index="2" Value="nie"/>
      </Items>
    </ListBox1>
    <mnuFile Caption="&amp;Datei"/>
    <Variables>
      <Item Name="shello" Value="Hallo\nWelt\n!"/>
      <Item Name="SUnknown" Value="x"/>
    </Variables>
  </Form1>
  <Form2 Caption="not there"/>
</Language>)xml";

TEST_F(TranslatorTest, LanguageFileChangesCaptionsItemsAndMessageStrings) {
    translator->TranslateText(kGerman);
    EXPECT_EQ(form->Caption(), "Brisvane (Deutsch)");
    EXPECT_EQ(button->Caption(), "Aktualisieren");
    // Properties take the first line break only; message strings take every one.
    EXPECT_EQ(button->Hint(), "Zeile eins\r\nZeile zwei\\nZeile drei");
    EXPECT_EQ(gHello, "Hallo\r\nWelt\r\n!");
    EXPECT_EQ(gBye, "Bye");
    EXPECT_EQ(list->Items()->Get(1), "Rockmusik");
    EXPECT_EQ(list->Items()->Count(), 2);
    EXPECT_EQ(item->Caption(), "&Datei");
}

TEST_F(TranslatorTest, LanguageFileCannotChangeNamesOrSettings) {
    translator->TranslateText(kGerman);
    EXPECT_EQ(form->Name(), "Form1");
    // The encoder's path is a setting the user typed; no language file may replace it.
    EXPECT_EQ(edit->GetText(), "C:\\lame\\lame.exe");
    // Nor the encoder's arguments in a memo, nor a value typed into a combo box.
    EXPECT_EQ(args->Lines()->Text(), "-V 2\r\n");
    EXPECT_EQ(bitrate->GetText(), "192");
}

TEST_F(TranslatorTest, BrokenOrMissingFilesChangeNothingAndRaiseNothing) {
    for (const char* text : {"<Language><Form1 Caption=\"x\"", "\xEF\xBB\xBF<", ""}) {
        translator->TranslateText(text);
        EXPECT_EQ(form->Caption(), "Brisvane");
    }
    translator->Translate("C:\\no\\such\\folder\\german.lng");
    EXPECT_EQ(form->Caption(), "Brisvane");
}

// A language file's text longer than the bound is cut (at a character, never inside one),
// and the message names the file and each cut text once, however often the file is applied.
TEST_F(TranslatorTest, ATextLongerThanTheBoundIsCutAndNamedOnce) {
    const std::string huge(1 << 20, 'x');
    std::string accents;
    for (int i = 0; i < 1500; ++i)
        accents += "\xC3\xA9"; // two bytes each
    const std::string xml = "<L><Form1><btnUpdate Caption=\"" + huge +
                            "\" Hint=\"short\"/><mnuFile Caption=\"" + accents +
                            "\"/><ListBox1><Items><Item Index=\"1\" Value=\"" + huge +
                            "\"/></Items></ListBox1><Variables><Item Name=\"SBye\" Value=\"" +
                            huge + "\"/></Variables></Form1></L>";
    const std::string path = (std::filesystem::temp_directory_path() / "bvlang-long.lng").string();
    std::ofstream(path, std::ios::binary) << xml;
    std::string windowsPath = "C:" + path;
    for (char& c : windowsPath)
        if (c == '/')
            c = '\\';
    const size_t bound = TBvTranslator::MaxTextLength;

    translator->Translate(windowsPath);
    EXPECT_EQ(button->Caption(), std::string(bound, 'x'));
    EXPECT_EQ(button->Hint(), "short");
    EXPECT_EQ(item->Caption(), accents.substr(0, 2 * bound)) << "1024 characters, 2048 bytes";
    EXPECT_EQ(list->Items()->Get(1), std::string(bound, 'x'));
    EXPECT_EQ(gBye, std::string(bound, 'x'));
    const std::string warning = translator->Warning();
    EXPECT_NE(warning.find("bvlang-long.lng"), std::string::npos) << warning;
    for (const char* name : {"Form1.btnUpdate.Caption", "Form1.mnuFile.Caption",
                             "Form1.ListBox1.Items[1]", "Form1.Variables.SBye"}) {
        SCOPED_TRACE(name);
        const size_t at = warning.find(name);
        ASSERT_NE(at, std::string::npos) << warning;
        EXPECT_EQ(warning.find(name, at + 1), std::string::npos) << "named twice";
    }
    EXPECT_EQ(warning.find("Hint"), std::string::npos) << "the short hint is not named";

    // Applied again (the program applies its language more than once): still cut, no new
    // message.
    translator->Translate(windowsPath);
    EXPECT_EQ(button->Caption(), std::string(bound, 'x'));
    EXPECT_TRUE(translator->Warning().empty()) << translator->Warning();
    std::remove(path.c_str());
}

TEST_F(TranslatorTest, BadListIndexStopsOnlyThatComponent) {
    translator->TranslateText(R"xml(<L><Form1>
        <ListBox1><Items><Item Index="x" Value="bad"/><Item Index="0" Value="never"/></Items>
          <Hint/></ListBox1>
        <btnUpdate Caption="still translated"/></Form1></L>)xml");
    EXPECT_EQ(list->Items()->Get(0), "All music");
    EXPECT_EQ(button->Caption(), "still translated");
}

TEST_F(TranslatorTest, IgnoredClassesKeepTheirTexts) {
    translator->IgnoreClass(TButton::StaticClassInfo());
    EXPECT_TRUE(translator->IsIgnored(TButton::StaticClassInfo(), ""));
    EXPECT_TRUE(translator->IsIgnored(TForm::StaticClassInfo(), "Name"));
    translator->TranslateText(kGerman);
    EXPECT_EQ(button->Caption(), "Update");
    EXPECT_EQ(form->Caption(), "Brisvane (Deutsch)");
}

// A section of a test component's collection: a text, a number and a switch.
class TTestSection : public TCollectionItem {
    BV_CLASS_INFO()
public:
    using TCollectionItem::TCollectionItem;
    std::string Caption() const { return caption_; }
    void SetCaption(const std::string& v) { caption_ = v; }
    int Width() const { return width_; }
    void SetWidth(int v) { width_ = v; }
    bool Checked() const { return checked_; }
    void SetChecked(bool v) { checked_ = v; }
    TFont* Font() const { return font_.get(); }

private:
    std::string caption_ = "Section";
    int width_ = 10;
    bool checked_ = false;
    std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
};
const TClassInfo& TTestSection::StaticClassInfo() {
    static const TClassInfo info(
        "TTestSection", &TCollectionItem::StaticClassInfo(),
        {StrProp<TTestSection>("Caption", &TTestSection::Caption, &TTestSection::SetCaption),
         IntProp<TTestSection, int>("Width", &TTestSection::Width, &TTestSection::SetWidth),
         BoolProp<TTestSection>("Checked", &TTestSection::Checked, &TTestSection::SetChecked),
         ObjProp<TTestSection, TFont>("Font", &TTestSection::Font)},
        "Test");
    return info;
}

// A component with a collection, a tree's nodes and a list view's items.
class TTestViews : public TComponent {
    BV_CLASS_INFO()
public:
    using TComponent::TComponent;
    TCollection* Sections() const { return sections_.get(); }
    TTreeNodes* Nodes() const { return nodes_.get(); }
    TListItems* Items() const { return items_.get(); }

private:
    std::unique_ptr<TCollection> sections_ = std::make_unique<TCollection>();
    std::unique_ptr<TTreeNodes> nodes_ = std::make_unique<TTreeNodes>();
    std::unique_ptr<TListItems> items_ = std::make_unique<TListItems>();
};
const TClassInfo& TTestViews::StaticClassInfo() {
    static const TClassInfo info(
        "TTestViews", &TComponent::StaticClassInfo(),
        {ObjProp<TTestViews, TCollection>("Sections", &TTestViews::Sections),
         ObjProp<TTestViews, TTreeNodes>("Nodes", &TTestViews::Nodes),
         ObjProp<TTestViews, TListItems>("Items", &TTestViews::Items)},
        "Test");
    return info;
}

TEST_F(TranslatorTest, EachPropertyKindTakesItsText) {
    auto* label = new TLabel(form);
    label->SetName("lblInfo");
    label->SetParent(form);
    label->SetAlign(TAlign::alNone);
    struct Case {
        const char* Xml; // inside <L><Form1>...</Form1></L>
        std::function<bool()> Check;
        const char* What;
    } cases[] = {
        {R"(<lblInfo Visible="False"/>)", [&] { return !label->Visible(); }, "Boolean by name"},
        {R"(<lblInfo Visible="0"/>)", [&] { return !label->Visible(); }, "Boolean zero"},
        {R"(<lblInfo Visible="2"/>)", [&] { return label->Visible(); }, "Boolean 2 stored: True"},
        {R"(<lblInfo Visible="true"/>)", [&] { return label->Visible(); }, "name without case"},
        {R"(<lblInfo Enabled="False"/>)", [&] { return !label->Enabled(); }, "Enabled"},
        {R"(<lblInfo Left="20" Top="7" Width="150"/>)",
         [&] { return label->Left() == 20 && label->Top() == 7 && label->Width() == 150; },
         "integers"},
        {R"(<lblInfo Left="abc"/>)", [&] { return label->Left() == -1; }, "not a number: -1"},
        {R"(<lblInfo Align="alClient"/>)", [&] { return label->Align() == TAlign::alClient; },
         "enumeration by name"},
        {R"(<lblInfo Align="3"/>)", [&] { return label->Align() == TAlign::alLeft; },
         "enumeration by number"},
        {R"(<lblInfo Align="99"/>)", [&] { return label->Align() == TAlign::alNone; },
         "a number outside the enumeration is refused"},
        {R"(<lblInfo Align="alNowhere"/>)", [&] { return label->Align() == TAlign::alNone; },
         "an unknown name (-1) is refused"},
        {R"(<mnuFile ShortCut="Ctrl+S"/>)", [&] { return item->ShortCut == ShortCut('S', ssCtrl); },
         "ShortCut text"},
        {R"(<mnuFile ShortCut="83"/>)", [&] { return item->ShortCut == 0; },
         "ShortCut attribute is always key text"},
        {R"(<mnuFile Visible="False" Enabled="False"/>)",
         [&] { return !item->Visible() && !item->Enabled(); }, "menu item switches"},
        {R"(<lblInfo><Font Style="[fsBold, fsItalic]" Name="DejaVu Serif"/></lblInfo>)",
         [&] {
             return label->Font()->Style() == (fsBold | fsItalic) &&
                    label->Font()->Name() == "DejaVu Serif";
         },
         "object property: attributes"},
        {R"(<lblInfo><Font><Height>-20</Height><Style>[fsUnderline]</Style>)"
         R"(<Name>DejaVu Serif\nBold\n</Name></Font></lblInfo>)",
         [&] {
             return label->Font()->Height() == -20 && label->Font()->Style() == fsUnderline &&
                    label->Font()->Name() == "DejaVu Serif\r\nBold\\n";
         },
         "object property: property elements, a text with its first line break"},
        {R"(<lblInfo><Font Style="[fsBogus]" Height="-30"/></lblInfo>)",
         [&] { return label->Font()->Style() == 0 && label->Font()->Height() == -30; },
         "a bad set member skips only that attribute"},
        {R"(<lblInfo><Caption>not an object</Caption></lblInfo>)",
         [&] { return label->Caption() == "Label"; }, "a text property names no object"},
    };
    for (const auto& c : cases) {
        label->SetVisible(true);
        label->SetEnabled(true);
        label->SetBounds(0, 0, 60, 13);
        label->SetAlign(TAlign::alNone);
        label->SetCaption("Label");
        label->Font()->SetStyle(0);
        label->Font()->SetName("DejaVu Sans");
        item->ShortCut = 0;
        item->SetVisible(true);
        item->SetEnabled(true);
        translator->TranslateText(std::string("<L><Form1>") + c.Xml + "</Form1></L>");
        EXPECT_TRUE(c.Check()) << c.What << ": " << c.Xml;
    }
}

TEST_F(TranslatorTest, CollectionsTreesAndListViewsByIndex) {
    auto* views = new TTestViews(form);
    views->SetName("Views");
    for (const char* caption : {"One", "Two"})
        views->Sections()->Add<TTestSection>()->SetCaption(caption);
    TTreeNode* root = views->Nodes()->AddChild(nullptr, "Root");
    TTreeNode* child = views->Nodes()->AddChild(root, "Child");
    views->Nodes()->AddChild(child, "Grandchild");
    views->Nodes()->AddChild(nullptr, "Second root");
    TListItem* row = views->Items()->Add();
    row->Caption = "Title";
    row->SubItems()->Add("Artist");
    row->SubItems()->Add("Album");

    translator->TranslateText(R"xml(<L><Form1><Views>
      <Sections>
        <Item Index="1" Caption="Zwei" Width="50" Checked="True"><Font Style="[fsBold]"/></Item>
        <Item Caption="no index"/>
        <Item Index="2" Caption="beyond the count"/>
        <Item Index="-1" Caption="minus one is no index"/>
      </Sections>
      <Nodes>
        <Node Index="0" Value="Wurzel"/>
        <Node Index="2" Value="Enkel"/>
        <Node Index="4" Value="beyond"/>
      </Nodes>
      <Items>
        <Item Index="0" Column="0" Value="Titel"/>
        <Item Index="0" Column="2" Value="Album (de)"/>
        <Item Index="0" Value="no column: nothing"/>
        <Item Index="0" Column="3" Value="beyond the columns"/>
        <Item Index="1" Column="0" Value="beyond the items"/>
      </Items>
    </Views></Form1></L>)xml");

    auto* one = static_cast<TTestSection*>(views->Sections()->Items(0));
    auto* two = static_cast<TTestSection*>(views->Sections()->Items(1));
    EXPECT_EQ(one->Caption(), "One");
    EXPECT_EQ(two->Caption(), "Zwei");
    EXPECT_EQ(two->Width(), 50);
    EXPECT_EQ(two->Font()->Style(), fsBold);
    EXPECT_FALSE(two->Checked()) << "Checked is a setting's value, never the language file's";

    const char* nodes[] = {"Wurzel", "Child", "Enkel", "Second root"};
    ASSERT_EQ(views->Nodes()->Count(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(views->Nodes()->Item(i)->Text, nodes[i]) << i;

    EXPECT_EQ(row->Caption, "Titel");
    EXPECT_EQ(row->SubItems()->Get(0), "Artist");
    EXPECT_EQ(row->SubItems()->Get(1), "Album (de)");
    EXPECT_EQ(views->Items()->Count(), 1);
}

TEST_F(TranslatorTest, SettingsStayOutOfReachWhileTheSameControlsAreTranslated) {
    auto* check = new TCheckBox(form);
    check->SetName("chkAutoDetect");
    check->SetParent(form);
    check->SetChecked(true);
    auto* radio = new TRadioButton(form);
    radio->SetName("rbMp3");
    radio->SetParent(form);
    radio->SetChecked(true);
    bitrate->Items()->Add("128");
    bitrate->Items()->Add("192");
    bitrate->SetItemIndex(1);
    list->SetItemIndex(0);
    item->SetChecked(true);
    for (const char* prop : {"Text", "Caption", "Lines"})
        EXPECT_TRUE(translator->IsIgnored(TMemo::StaticClassInfo(), prop)) << prop;
    for (const char* prop : {"Checked", "ItemIndex", "State"})
        EXPECT_TRUE(translator->IsIgnored(TCheckBox::StaticClassInfo(), prop)) << prop;
    EXPECT_FALSE(translator->IsIgnored(TEdit::StaticClassInfo(), "Hint"));

    translator->TranslateText(R"xml(<L><Form1>
      <EncoderPath Text="C:\evil.exe" Caption="C:\evil.exe" Hint="Pfad" Left="33">
        <Text>C:\evil.exe</Text></EncoderPath>
      <EncoderArgs Text="--evil" Hint="Argumente"><Lines><![CDATA[--evil]]></Lines>
        <Lines><Item Index="0" Value="--evil"/></Lines></EncoderArgs>
      <Bitrate Text="8" ItemIndex="0" Hint="Bitrate"><Items><Item Index="0" Value="128 kbit/s"/></Items>
        <ItemIndex>0</ItemIndex></Bitrate>
      <ListBox1 ItemIndex="1"/>
      <chkAutoDetect Checked="False" State="cbGrayed" Caption="Automatisch"><Checked>False</Checked></chkAutoDetect>
      <rbMp3 Checked="False" Caption="MP3 (de)"/>
      <mnuFile Checked="False" Caption="Datei"/>
    </Form1></L>)xml");

    // The values stay.
    EXPECT_EQ(edit->GetText(), "C:\\lame\\lame.exe");
    EXPECT_EQ(args->Lines()->Text(), "-V 2\r\n");
    EXPECT_EQ(bitrate->ItemIndex(), 1);
    EXPECT_EQ(list->ItemIndex(), 0);
    EXPECT_TRUE(check->Checked());
    EXPECT_EQ(check->State(), TCheckBoxState::cbChecked);
    EXPECT_TRUE(radio->Checked());
    EXPECT_TRUE(item->Checked());
    // What the user reads changes on the very same controls.
    EXPECT_EQ(edit->Hint(), "Pfad");
    EXPECT_EQ(edit->Left(), 33);
    EXPECT_EQ(args->Hint(), "Argumente");
    EXPECT_EQ(bitrate->Hint(), "Bitrate");
    EXPECT_EQ(bitrate->Items()->Get(0), "128 kbit/s");
    EXPECT_EQ(check->Caption(), "Automatisch");
    EXPECT_EQ(radio->Caption(), "MP3 (de)");
    EXPECT_EQ(item->Caption(), "Datei");
}

TEST_F(TranslatorTest, AWindowMadeLaterIsTranslatedWhenTheFileIsAppliedAgain) {
    const char* file = R"xml(<L><Form9 Caption="Optionen"/></L>)xml";
    translator->TranslateText(file);
    auto* later = new TForm(Application);
    later->SetName("Form9");
    later->SetCaption("Options");
    EXPECT_EQ(later->Caption(), "Options");
    translator->TranslateText(file);
    EXPECT_EQ(later->Caption(), "Optionen");
    delete later;
}

// Language files as translators save them: UTF-8 with and without a declaration, with
// character references, in Windows-1252 and in Windows-1251. Each is read from its file, and
// captions, hints and message strings show the letters the translator typed.
class TranslatedFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = MakeTestForm(360, 165);
        form->SetName("FormOptions");
        form->SetCaption("Options");
        label = new TLabel(form);
        label->SetName("lblSize");
        label->SetParent(form);
        label->SetBounds(16, 16, 320, 20);
        label->SetCaption("Size");
        check = new TCheckBox(form);
        check->SetName("chkAuto");
        check->SetParent(form);
        check->SetBounds(16, 48, 320, 22);
        check->SetCaption("Automatic");
        button = new TButton(form);
        button->SetName("btnApply");
        button->SetParent(form);
        button->SetBounds(16, 90, 200, 30);
        button->SetCaption("Apply");
        shown = new TLabel(form);
        shown->SetParent(form);
        shown->SetBounds(16, 132, 330, 20);
        strings = new TBvTranslatorStrings(form);
        strings->SetName("Messages");
        message = "Card full";
        strings->Add("SCardFull", message);
        translator = new TBvTranslator(form);
    }
    void TearDown() override {
        delete form;
        PumpEvents();
    }
    void Apply(const std::string& bytes, const char* name) {
        const std::string path =
            (std::filesystem::temp_directory_path() / (std::string("bvlang-") + name)).string();
        std::ofstream(path, std::ios::binary) << bytes;
        std::string windowsPath = "C:" + path;
        for (char& c : windowsPath)
            if (c == '/')
                c = '\\';
        translator->Translate(windowsPath);
        std::remove(path.c_str());
    }
    TForm* form = nullptr;
    TLabel* label = nullptr;
    TCheckBox* check = nullptr;
    TButton* button = nullptr;
    TLabel* shown = nullptr; // the window's title and a message string, as the program shows them
    TBvTranslatorStrings* strings = nullptr;
    TBvTranslator* translator = nullptr;
    std::string message;
};

// The file for one language: the declaration (or none) and the texts in the file's bytes.
std::string LanguageFile(const std::string& declaration, const std::string& caption,
                         const std::string& size, const std::string& automatic,
                         const std::string& apply, const std::string& hint,
                         const std::string& cardFull) {
    return declaration + "<Language>\r\n<FormOptions Caption=\"" + caption + "\">\r\n" +
           "  <lblSize Caption=\"" + size + "\"/>\r\n  <chkAuto Caption=\"" + automatic +
           "\"/>\r\n  <btnApply Caption=\"" + apply + "\" Hint=\"" + hint + "\"/>\r\n" +
           "  <Messages><Item Name=\"SCardFull\" Value=\"" + cardFull + "\"/></Messages>\r\n" +
           "</FormOptions>\r\n</Language>\r\n";
}

TEST_F(TranslatedFormTest, EachEncodingShowsTheTranslatorsLetters) {
    struct Case {
        const char* name;
        std::string file;
        std::vector<std::string> texts; // caption, size, automatic, apply, hint, card full
    } cases[] = {
        {"utf8-declared.xml",
         LanguageFile("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n", "Einstellungen",
                      "Gr\xC3\xB6\xC3\x9F"
                      "e",
                      "\xC3\x9C"
                      "ber alles",
                      "\xC3\x9C"
                      "bernehmen",
                      "\xC3\x84nderungen \xC3\xBC"
                      "bernehmen",
                      "Karte voll: \xE2\x80\x9E"
                      "zu gro\xC3\x9F\xE2\x80\x9C"),
         {"Einstellungen",
          "Gr\xC3\xB6\xC3\x9F"
          "e",
          "\xC3\x9C"
          "ber alles",
          "\xC3\x9C"
          "bernehmen",
          "\xC3\x84nderungen \xC3\xBC"
          "bernehmen",
          "Karte voll: \xE2\x80\x9E"
          "zu gro\xC3\x9F\xE2\x80\x9C"}},
        {"utf8-plain.xml",
         LanguageFile("", "R\xC3\xA9glages", "Taille", "Automatique", "Appliquer",
                      "Appliquer les r\xC3\xA9glages",
                      "Carte pleine \xE2\x80\x94 d\xC3\xA9j\xC3\xA0"),
         {"R\xC3\xA9glages", "Taille", "Automatique", "Appliquer", "Appliquer les r\xC3\xA9glages",
          "Carte pleine \xE2\x80\x94 d\xC3\xA9j\xC3\xA0"}},
        {"references.xml",
         LanguageFile("<?xml version=\"1.0\"?>\r\n", "&#xDC;ber", "Gr&#246;&#223;e", "&#252;ber",
                      "&#x20AC; 5", "&#1055;&#1088;&#1080;&#1074;&#1077;&#1090;",
                      "&#x266B; &#x2192;"),
         {"\xC3\x9C"
          "ber",
          "Gr\xC3\xB6\xC3\x9F"
          "e",
          "\xC3\xBC"
          "ber",
          "\xE2\x82\xAC 5", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
          "\xE2\x99\xAB \xE2\x86\x92"}},
        {"windows-1252.xml",
         LanguageFile("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n", "Einstellungen",
                      "Gr\xF6\xDF"
                      "e",
                      "\xDC"
                      "ber alles",
                      "\xDC"
                      "bernehmen",
                      "\xC4nderungen \xFC"
                      "bernehmen",
                      "Karte voll: \x84zu gro\xDF\x93 \x80"),
         {"Einstellungen",
          "Gr\xC3\xB6\xC3\x9F"
          "e",
          "\xC3\x9C"
          "ber alles",
          "\xC3\x9C"
          "bernehmen",
          "\xC3\x84nderungen \xC3\xBC"
          "bernehmen",
          "Karte voll: \xE2\x80\x9E"
          "zu gro\xC3\x9F\xE2\x80\x9C \xE2\x82\xAC"}},
        {"windows-1251.xml",
         LanguageFile("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n",
                      "\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE8", "\xD0\xE0\xE7\xEC\xE5\xF0",
                      "\xC0\xE2\xF2\xEE\xEC\xE0\xF2\xE8\xF7\xE5\xF1\xEA\xE8",
                      "\xCF\xF0\xE8\xEC\xE5\xED\xE8\xF2\xFC",
                      "\xD1\xEE\xF5\xF0\xE0\xED\xE8\xF2\xFC",
                      "\xCA\xE0\xF0\xF2\xE0 \xE7\xE0\xEF\xEE\xEB\xED\xE5\xED\xE0"),
         {"\xD0\x9D\xD0\xB0\xD1\x81\xD1\x82\xD1\x80\xD0\xBE\xD0\xB9\xD0\xBA\xD0\xB8",
          "\xD0\xA0\xD0\xB0\xD0\xB7\xD0\xBC\xD0\xB5\xD1\x80",
          "\xD0\x90\xD0\xB2\xD1\x82\xD0\xBE\xD0\xBC\xD0\xB0\xD1\x82\xD0\xB8\xD1\x87\xD0\xB5\xD1\x81"
          "\xD0\xBA\xD0\xB8",
          "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD0\xBD\xD0\xB8\xD1\x82\xD1\x8C",
          "\xD0\xA1\xD0\xBE\xD1\x85\xD1\x80\xD0\xB0\xD0\xBD\xD0\xB8\xD1\x82\xD1\x8C",
          "\xD0\x9A\xD0\xB0\xD1\x80\xD1\x82\xD0\xB0 "
          "\xD0\xB7\xD0\xB0\xD0\xBF\xD0\xBE\xD0\xBB\xD0\xBD\xD0\xB5\xD0\xBD\xD0\xB0"}},
    };
    form->Show();
    PumpEvents();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Apply(c.file, c.name);
        EXPECT_EQ(form->Caption(), c.texts[0]);
        EXPECT_EQ(label->Caption(), c.texts[1]);
        EXPECT_EQ(check->Caption(), c.texts[2]);
        EXPECT_EQ(button->Caption(), c.texts[3]);
        EXPECT_EQ(button->Hint(), c.texts[4]);
        EXPECT_EQ(message, c.texts[5]);
        // What Qt shows is the same text.
        EXPECT_EQ(form->Widget()->window()->windowTitle().toStdString(), c.texts[0]);
        shown->SetCaption(form->Caption() + " | " + message);
        PumpEvents();
        QImage shot = form->Widget()->window()->grab().toImage();
        const std::string path = std::string(BV_BINARY_DIR) + "/translated_form_" + c.name + ".png";
        EXPECT_TRUE(shot.save(QString::fromStdString(path))) << path;
    }
}

} // namespace
