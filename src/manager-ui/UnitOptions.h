// The options dialog "Options": one control per setting, bound to the track manager's
// TOptions. A control writes what the user does into TOptions at once, and shows
// TOptions again whenever the manager changes it (loading, applying). OK checks the
// number fields first and applies nothing while one holds no number.
#pragma once

#include "BvToolEdit.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "TrackManager.h"

#include <string>
#include <vector>

class TForm2 : public TForm {
    BV_CLASS_INFO()
public:
    TForm2(TComponent* owner, TTrackManager& manager);
    ~TForm2() override;

    // ---- View
    TGroupBox* gbView;
    TCheckBox* cbShowPanel;
    TCheckBox* cbMultiLinePlaylist;
    TLabel* lbShowTracksAs;
    TComboBox* comboShowTracksAs;
    TCheckBox* cbInfoHints;
    TLabel* lbHintShowAfter;
    TEdit* edHintShowAfter;
    TLabel* lbHintShowMsec;
    TLabel* lbHintHide;
    TEdit* edHintHide;
    TLabel* lbHintHideMsec;
    TLabel* lbLanguage;
    TComboBox* comboLang;

    // ---- Mobile
    TGroupBox* gbMobile;
    TCheckBox* cbAutoDetect;
    TEdit* edTFTime;
    TLabel* lbTFTimeMsec;
    TCheckBox* cbOnlyRemovable;
    TCheckBox* cbAutoReadDB;
    TCheckBox* cbCheckSpace;
    TLabel* lbUpload;
    TEdit* edUpload;
    TCheckBox* cbRNTO;
    TComboBox* comboRNTO;

    // ---- Encoding
    TGroupBox* gbEncoding;
    TCheckBox* cbAutoEncode;
    TLabel* lbMaxBitrate;
    TComboBox* cbBitrate;
    TLabel* lbMaxBitrateKbps;
    TLabel* lbEncodeTo;
    TComboBox* ComboFormat;
    TLabel* lbConverter;
    TBvFilenameEdit* comboConverters;
    TRadioButton* rbM4A_CBR;
    TComboBox* comboM4ABitrate;
    TLabel* Label10;
    TRadioButton* rbM4A_VBR;
    TComboBox* comboM4A_VBR_Quality;
    TCheckBox* cbHighQualityM4a;

    // ---- Hidden: kept because the settings file names them.
    TCheckBox* cbChangeExt;
    TEdit* edChangeExt;
    TEdit* ComboConvParams;
    TCheckBox* cb2Step;

    TButton* Button1; // OK

    // Shows the dialog modally; true when it was closed with OK. The caller then applies
    // the options (the manager's Options command does).
    bool Execute();
    // The controls show what TOptions holds now.
    void OptionsToControls();
    // Places the controls after their captions or the font changed (a language file).
    void LayoutControls();
    // Places the rows within limit pixels of group width (0: as wide as they need); returns
    // the width the rows took (what they need, without a limit).
    int LayoutRows(int limit);
    // The number field that holds no number or one out of range, with the message that says
    // so; nullptr when all hold one.
    TWinControl* FirstBadNumberField(std::string& message) const;

    // Handlers of the controls.
    void Button1Click();
    void cbAutoDetectClick();
    void ComboFormatChange();
    void comboLangChange();
    void rbM4A_VBRClick();

    TTrackManager& Manager() const { return manager_; }

private:
    void CreateControls();
    void BindControls();
    void FormShow();
    // Keeps digits only in a number field (what was typed or pasted).
    void KeepDigits(TWinControl* field);

    TTrackManager& manager_;
    TViewSink previousViewSink_;
    // Set while the controls are filled from TOptions, so their events write nothing back.
    bool syncing_ = false;
};

extern TForm2* Form2;
