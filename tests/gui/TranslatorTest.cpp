#include "BvTranslator.h"
#include "GuiTestEnvironment.h"
#include "Menus.h"
#include "StdCtrls.h"

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

TEST_F(TranslatorTest, LanguageFileCannotChangeNamesNumbersOrSettings) {
    translator->TranslateText(kGerman);
    EXPECT_EQ(form->Name(), "Form1");
    EXPECT_EQ(form->Left(), 0);
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

} // namespace
