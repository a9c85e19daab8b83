#include "ProgramWindows.h"

#include "LanguageFiles.h"
#include "Main.h"
#include "Unit1.h"
#include "UnitAbout.h"
#include "UnitOptions.h"

void CreateProgramWindows(TManagerPaths paths) {
    Form1 = new TForm1(Application, std::move(paths));
    if (!Application->MainForm())
        Application->SetMainForm(Form1);
    Form1->AfterConstruction();
    TTrackManager& manager = *Form1->Manager;
    // Set before the options dialog is made: making it applies the saved language.
    manager.LanguageSink = [&manager](const std::string& fileName) {
        if (Form1)
            ApplyLanguageFile(*Form1->BvTranslator1, manager, fileName);
    };
    Form2 = new TForm2(Application, manager);
    Form2->AfterConstruction();
    FormDecrypt = new TFormDecrypt(Application);
    FormDecrypt->AfterConstruction();
    AboutBox = new TAboutBox(Application);
    AboutBox->AfterConstruction();

    Form1->ShowOptionsHook = [] { return Form2 && Form2->Execute(); };
    Form1->ShowAboutHook = [] {
        if (AboutBox)
            AboutBox->Execute();
    };
    Form1->ShowInspectorHook = [] {
        if (FormDecrypt) {
            FormDecrypt->Show();
            FormDecrypt->BringToFront();
        }
    };
    // The inspector and the About box were made after the language was applied; they take
    // it now, so no window keeps its built-in texts under a chosen language.
    manager.comboLangChange();
}

void DestroyProgramWindows() {
    delete AboutBox;
    delete FormDecrypt;
    delete Form2;
    if (Form1) {
        Form1->Manager->LanguageSink = nullptr;
        delete Form1;
    }
}
