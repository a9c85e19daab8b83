// The settings: loading them into the options' controls, saving them, and applying
// them to the main window.
#include "TrackManager.h"

#include "Files.h"
#include "IniFiles.h"
#include "iTunesDB.h"

#include <algorithm>

namespace {

constexpr std::string_view Section = "SETTINGS";

// A number field: its text, where the last valid value lives, its range and its caption.
struct TNumberField {
    std::string* Text;
    int32_t* Applied;
    TNumberRange Range;
    std::string_view Caption;
};

// A text without line breaks, so that one INI key never spills into the next line.
std::string OneLine(std::string value) {
    std::replace(value.begin(), value.end(), '\r', ' ');
    std::replace(value.begin(), value.end(), '\n', ' ');
    return value;
}

int32_t ClampIndex(int32_t value, size_t count, int32_t fallback) {
    if (value < 0 || value >= static_cast<int32_t>(count))
        return fallback;
    return value;
}

// The number a field's text stands for, clamped to its range; false when it is none.
bool ParseNumberField(const TNumberField& f, int32_t& value) {
    int32_t v = 0;
    if (!TryStrToInt(Trim(*f.Text), v))
        return false;
    value = std::clamp(v, f.Range.Min, f.Range.Max);
    return true;
}

} // namespace

std::string NormalizeUploadPath(std::string path) {
    path = Trim(path);
    if (path.empty() || path.front() != '\\')
        path.insert(path.begin(), '\\');
    if (path.back() != '\\')
        path.push_back('\\');
    return path;
}

void TTrackManager::OptionsFormCreate() {
    BV_ASSERT_GUI_THREAD();
    LoadSettings();
    ApplyOptions();
    ListBoxPlayLists.Items.Clear();
    ListBoxPlayLists.Items.Add(Messages.Text(MessageName::AllMusic));
    ListBoxPlayLists.ItemIndex = 0;
    BvPlaylist.ItemIndex = -1;
    BvPlaylist.SelectNone();
    NotifyView(TViewId::PlaylistBox);
}

void TTrackManager::LoadSettings() {
    TIniFile ini(SettingsFileName());
    TOptions& o = Options;
    const TOptions d;
    auto text = [&](std::string_view key, const std::string& def) {
        return ini.ReadString(Section, key, def);
    };
    auto flag = [&](std::string_view key, bool def) { return ini.ReadBool(Section, key, def); };

    o.edHintHide = text("InfoHintsHideAfter", d.edHintHide);
    o.edHintShowAfter = text("InfoHintsShowAfter", d.edHintShowAfter);
    o.comboRNTO = text("RenameTo", d.comboRNTO);
    o.cbInfoHints = flag("InfoHints", d.cbInfoHints);
    o.cbRNTO = flag("Rename", d.cbRNTO);
    o.cbMultiLinePlaylist = flag("MultiLinePlaylist", d.cbMultiLinePlaylist);
    o.cbAutoEncode = flag("AutoEncode", d.cbAutoEncode);
    o.cbAutoDetect = flag("AutoDetect", d.cbAutoDetect);
    o.cbChangeExt = flag("ChangeExt", d.cbChangeExt);
    o.cbCheckSpace = flag("CheckFreeSpace", d.cbCheckSpace);
    o.cbShowPanel = flag("ShowPanel", d.cbShowPanel);
    o.cbAutoReadDB = flag("AutoReadDB", d.cbAutoReadDB);
    o.cbOnlyRemovable = flag("OnlyRemovableDevices", d.cbOnlyRemovable);
    o.cbBitrate = text("MaxBitrate", d.cbBitrate);
    o.edChangeExt = text("ChangeExtTo", d.edChangeExt);
    o.edUpload = NormalizeUploadPath(text("UploadPath", d.edUpload));
    Model.UploadPath = NormalizeUploadPath(text("UploadPath", d.edUpload));
    o.edTFTime = IntToStr(ini.ReadInteger(Section, "TransFlashDetectInterval", 2000));
    o.comboConverters = text("Converter", Paths.ProgramFolder + "lame.exe");
    o.cbHighQualityM4a = flag("HighQualityM4a", d.cbHighQualityM4a);
    o.comboM4ABitrate = text("Bitrate", d.comboM4ABitrate);
    o.rbM4A_CBR = flag("CBR", d.rbM4A_CBR);
    o.rbM4A_VBR = flag("VBR", d.rbM4A_VBR);
    o.comboM4A_VBR_Quality = std::clamp<int32_t>(ini.ReadInteger(Section, "VBR_QUALITY", 4), 0,
                                                 static_cast<int32_t>(VbrQualityItems.size()) - 1);
    o.ComboFormat = std::clamp<int32_t>(ini.ReadInteger(Section, "ConvertToFormat", 0), 0,
                                        static_cast<int32_t>(FormatItems.size()) - 1);
    // Exactly one of the two radio buttons is on.
    if (o.rbM4A_CBR == o.rbM4A_VBR) {
        o.rbM4A_CBR = true;
        o.rbM4A_VBR = false;
    }

    o.comboLangItems.clear();
    TStringList found;
    try {
        FindFilesByExt(Paths.ProgramFolder, "lng", found);
    } catch (const Exception&) {
        found.Clear();
    }
    for (int i = 0; i < found.Count(); ++i)
        if (LowerCase(ExtractFileExt(found[i])) == ".lng")
            o.comboLangItems.push_back(found[i]);
    const std::string language = text("Language", "English.lng");
    Applied.Language = language;
    o.comboLang = o.comboLangItems.empty() ? -1 : 0;
    for (size_t i = 0; i < o.comboLangItems.size(); ++i)
        if (AnsiSameText(o.comboLangItems[i], language)) {
            o.comboLang = static_cast<int>(i);
            break;
        }
    NotifyView(TViewId::Options);
}

void TTrackManager::SaveSettings() {
    TIniFile ini(SettingsFileName());
    const TOptions& o = Options;
    // A number field saves what it holds when that is valid, else the last valid value.
    auto number = [](const std::string& fieldText, TNumberRange range, int32_t last) {
        int32_t v = 0;
        return TryStrToInt(Trim(fieldText), v) ? std::clamp(v, range.Min, range.Max) : last;
    };
    auto text = [&](std::string_view key, const std::string& value) {
        ini.WriteString(Section, key, OneLine(value));
    };
    auto flag = [&](std::string_view key, bool value) { ini.WriteBool(Section, key, value); };

    flag("AutoEncode", o.cbAutoEncode);
    flag("CheckFreeSpace", o.cbCheckSpace);
    flag("AutoDetect", o.cbAutoDetect);
    flag("ShowPanel", o.cbShowPanel);
    flag("OnlyRemovableDevices", o.cbOnlyRemovable);
    text("MaxBitrate", IntToStr(number(o.cbBitrate, MaxBitrateRange, Applied.MaxBitrate)));
    text("UploadPath", NormalizeUploadPath(o.edUpload));
    text("Converter", o.comboConverters);
    ini.WriteInteger(Section, "TransFlashDetectInterval",
                     number(o.edTFTime, DetectIntervalRange, Applied.TransFlashDetectInterval));
    flag("HighQualityM4a", o.cbHighQualityM4a);
    text("Bitrate", IntToStr(number(o.comboM4ABitrate, M4aBitrateRange, Applied.M4aBitrate)));
    flag("VBR", o.rbM4A_VBR);
    flag("CBR", o.rbM4A_CBR);
    ini.WriteInteger(Section, "VBR_QUALITY",
                     ClampIndex(o.comboM4A_VBR_Quality, VbrQualityItems.size(), 4));
    ini.WriteInteger(Section, "ConvertToFormat", ClampIndex(o.ComboFormat, FormatItems.size(), 0));
    // With no language file listed the saved language stays what it was.
    const std::string language = o.SelectedLanguage();
    text("Language", language.empty() ? Applied.Language : language);
    flag("AutoReadDB", o.cbAutoReadDB);
    flag("MultiLinePlaylist", o.cbMultiLinePlaylist);
    flag("Rename", o.cbRNTO);
    text("RenameTo", o.comboRNTO);
    flag("InfoHints", o.cbInfoHints);
    text("InfoHintsShowAfter",
         IntToStr(number(o.edHintShowAfter, HintDelayRange, Applied.InfoHintsShowAfter)));
    text("InfoHintsHideAfter",
         IntToStr(number(o.edHintHide, HintDelayRange, Applied.InfoHintsHideAfter)));
}

void TTrackManager::ApplyOptions() {
    TOptions& o = Options;
    o.edUpload = NormalizeUploadPath(o.edUpload);
    Model.UploadPath = o.edUpload;
    DriveComboVisible = !o.cbAutoDetect;
    TransFlashTimer.Enabled = o.cbAutoDetect;
    SpeedBarVisible = o.cbShowPanel;
    DriveComboOnlyRemovable = o.cbOnlyRemovable;

    // Every number field is checked; one that is no number keeps its last valid
    // value (shown again in its field) and all of them are named in one message.
    const TNumberField fields[] = {
        {&o.edTFTime, &Applied.TransFlashDetectInterval, DetectIntervalRange,
         "TransFlash detection"},
        {&o.edHintShowAfter, &Applied.InfoHintsShowAfter, HintDelayRange, "Show after:"},
        {&o.edHintHide, &Applied.InfoHintsHideAfter, HintDelayRange, "Hide after:"},
        {&o.cbBitrate, &Applied.MaxBitrate, MaxBitrateRange, "If bitrate is higher than"},
        {&o.comboM4ABitrate, &Applied.M4aBitrate, M4aBitrateRange, "Bitrate"},
    };
    std::string bad;
    for (const TNumberField& f : fields) {
        int32_t value = 0;
        if (ParseNumberField(f, value)) {
            *f.Applied = value;
        } else {
            bad += Format("\r\n\"%s\" (%s): %d is kept.", {*f.Text, f.Caption, *f.Applied});
        }
        *f.Text = IntToStr(*f.Applied);
    }
    TransFlashTimer.Interval = Applied.TransFlashDetectInterval;

    o.comboM4A_VBR_Quality = ClampIndex(o.comboM4A_VBR_Quality, VbrQualityItems.size(), 4);
    o.ComboFormat = ClampIndex(o.ComboFormat, FormatItems.size(), 0);
    o.cb2Step = o.ComboFormat == 1;

    comboLangChange();

    TimerBeforeShow.Interval = Applied.InfoHintsShowAfter;
    TimerAfterShow.Interval = Applied.InfoHintsHideAfter;
    NotifyView(TViewId::Options);
    if (!bad.empty())
        ui_.ShowWarning("These values are not valid numbers:" + bad);
}

void TTrackManager::btnOptionsClick() {
    BV_ASSERT_GUI_THREAD();
    // The dialog's controls write into the options as the user works them. Closed without
    // OK, the options are what they were when it opened: what was typed is neither applied
    // nor saved, and the dialog shows the applied values the next time. The language stays
    // as chosen, since choosing it applied it at once.
    const TOptions before = Options;
    const bool onlyRemovableVisible = OnlyRemovableVisible;
    if (ui_.ShowOptionsDialog()) {
        OptionsOkClick();
        return;
    }
    const int language = Options.comboLang;
    const std::string unitCaption = Options.Label10;
    Options = before;
    Options.comboLang = language;
    Options.Label10 = unitCaption;
    OnlyRemovableVisible = onlyRemovableVisible;
    NotifyView(TViewId::Options);
}

void TTrackManager::OptionsOkClick() {
    BV_ASSERT_GUI_THREAD();
    ApplyOptions();
    RefreshTrackView();
}

void TTrackManager::cbAutoDetectClick() {
    BV_ASSERT_GUI_THREAD();
    OnlyRemovableVisible = !Options.cbAutoDetect;
}

void TTrackManager::ComboFormatChange() {
    BV_ASSERT_GUI_THREAD();
    Options.ComboFormat = ClampIndex(Options.ComboFormat, FormatItems.size(), 0);
    Options.cb2Step = Options.ComboFormat == 1;
}

void TTrackManager::comboLangChange() {
    BV_ASSERT_GUI_THREAD();
    const std::string language = Options.SelectedLanguage();
    if (language.empty())
        return;
    Applied.Language = language;
    if (LanguageSink)
        LanguageSink(Paths.ProgramFolder + language);
}

void TTrackManager::rbM4A_VBRClick() {
    BV_ASSERT_GUI_THREAD();
    if (Options.ComboFormat == 0) {
        ui_.ShowMessage("No MP3 VBR support! Yet :-)");
        Options.rbM4A_VBR = false;
        Options.rbM4A_CBR = true;
        return;
    }
    Options.rbM4A_VBR = true;
    Options.rbM4A_CBR = false;
}

int32_t TTrackManager::EffectiveMaxBitrate() const {
    int32_t typed = 0;
    if (TryStrToInt(Trim(Options.cbBitrate), typed) && typed > 0)
        return typed;
    return Applied.MaxBitrate;
}

bool TTrackManager::TrackWouldBeReencoded(int row) const {
    if (!Options.cbAutoEncode)
        return false;
    std::string fileName, bitRate;
    Model.GetTrackField(row, TTrackColumn::FileName, fileName);
    Model.GetTrackField(row, TTrackColumn::BitRate, bitRate);
    // The encoder reads MP3; an M4A is decoded through the codec library first. Other
    // files go to the card as they are.
    const std::string ext = LowerCase(ExtractFileExt(fileName));
    if (Model.IsOnPhone(fileName) || (ext != ".mp3" && ext != ".m4a"))
        return false;
    int32_t kbps = 0;
    return TryStrToInt(Trim(bitRate), kbps) && kbps > EffectiveMaxBitrate();
}
