#include "Dialogs.h"

#include "TextCodec.h"

#include "Forms.h"
#include "ShellAPI.h"
#include "qt/WidgetBinding.h"

namespace {

TDialogResponder& Responder() {
    static TDialogResponder responder;
    return responder;
}

TDialogAnswer Ask(const TDialogRequest& request) {
    if (Responder())
        return Responder()(request);
    return BvQt::AskQt(request);
}

} // namespace

void SetDialogResponder(TDialogResponder responder) {
    Responder() = std::move(responder);
}

int ShowMessageBox(const std::string& text, const std::string& caption, int flags) {
    TDialogRequest r;
    r.Kind = TDialogRequest::dkMessage;
    r.Caption = caption;
    r.Text = text;
    r.Flags = flags;
    return Ask(r).Button;
}

std::string MessageBoxShownText(const std::string& text) {
    // Longer runs lose their middle; the two ends (a path's drive and its file name) stay.
    constexpr size_t kLongestRun = 1000;
    constexpr size_t kKeptEachEnd = 480;
    constexpr size_t kWrapEvery = 48;
    const std::string zeroWidthSpace = "\xE2\x80\x8B";
    // Split into code points, lines unified to "\n".
    std::vector<std::string> chars;
    chars.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '\r') {
            chars.emplace_back("\n");
            i += i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
            continue;
        }
        size_t next = i;
        DecodeUtf8(text, next);
        chars.emplace_back(text.substr(i, next - i));
        i = next;
    }
    auto isBreak = [](const std::string& c) { return c == " " || c == "\n" || c == "\t"; };
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    size_t i = 0;
    while (i < chars.size()) {
        if (isBreak(chars[i])) {
            out += chars[i++];
            continue;
        }
        size_t end = i;
        while (end < chars.size() && !isBreak(chars[end]))
            ++end;
        const bool cut = end - i > kLongestRun;
        size_t sinceBreak = 0;
        for (size_t k = i; k < end; ++k) {
            if (cut && k == i + kKeptEachEnd) {
                out += "\xE2\x80\xA6" + zeroWidthSpace; // an ellipsis where the middle was
                k = end - kKeptEachEnd - 1;
                sinceBreak = 0;
                continue;
            }
            out += chars[k];
            const bool separator = chars[k] == "\\" || chars[k] == "/";
            if (k + 1 < end && (separator || ++sinceBreak >= kWrapEvery)) {
                out += zeroWidthSpace;
                sinceBreak = 0;
            }
        }
        i = end;
    }
    return out;
}

void ShowMessage(const std::string& text) {
    ShowMessageBox(text, Application ? Application->Title() : std::string(), MB_OK);
}

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int) {
    int flags = MB_OK;
    if ((buttons & mbYes) && (buttons & mbNo))
        flags = (buttons & mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
    else if ((buttons & mbOK) && (buttons & mbCancel))
        flags = MB_OKCANCEL;
    else if (buttons & mbAbort)
        flags = MB_ABORTRETRYIGNORE;
    else if ((buttons & mbRetry) && (buttons & mbCancel))
        flags = MB_RETRYCANCEL;
    switch (type) {
    case TMsgDlgType::mtWarning:
        flags |= MB_ICONWARNING;
        break;
    case TMsgDlgType::mtError:
        flags |= MB_ICONSTOP;
        break;
    case TMsgDlgType::mtInformation:
        flags |= MB_ICONINFORMATION;
        break;
    case TMsgDlgType::mtConfirmation:
        flags |= MB_ICONQUESTION;
        break;
    default:
        break;
    }
    static const char* kCaptions[] = {"Warning", "Error", "Information", "Confirm", ""};
    std::string caption = kCaptions[static_cast<int>(type)];
    if (caption.empty() && Application)
        caption = Application->Title();
    // Button IDs and modal results share their numbers.
    return ShowMessageBox(text, caption, flags);
}

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    TDialogRequest r;
    r.Kind = TDialogRequest::dkInput;
    r.Caption = caption;
    r.Text = prompt;
    r.Value = value;
    TDialogAnswer a = Ask(r);
    if (a.Accepted)
        value = a.Text;
    return a.Accepted;
}

std::string InputBox(const std::string& caption, const std::string& prompt,
                     const std::string& defaultValue) {
    std::string value = defaultValue;
    InputQuery(caption, prompt, value);
    return value;
}

bool SelectDirectory(const std::string& caption, const std::string& root, std::string& directory,
                     bool allowCreate) {
    TDialogRequest r;
    r.Kind = TDialogRequest::dkSelectFolder;
    r.Caption = caption;
    r.AllowCreate = allowCreate;
    std::string start = directory.empty() ? root : directory;
    try {
        r.Value = start.empty() ? std::string() : ProgramPathToLocal(start);
    } catch (const Exception&) {
        r.Value.clear();
    }
    TDialogAnswer a = Ask(r);
    if (!a.Accepted || a.Paths.empty())
        return false;
    try {
        directory = LocalPathToProgram(a.Paths.front());
    } catch (const Exception&) {
        return false;
    }
    return true;
}

TRect PlaceInWorkArea(const TRect& area, int width, int height, int naturalWidth,
                      int naturalHeight) {
    const int w = std::min(std::max(width, naturalWidth), std::max(0, area.Width()));
    const int h = std::min(std::max(height, naturalHeight), std::max(0, area.Height()));
    const int left = area.Left + (area.Width() - w) / 2;
    const int top = area.Top + (area.Height() - h) / 3;
    return {left, top, left + w, top + h};
}

const TClassInfo& TOpenDialog::StaticClassInfo() {
    static const TClassInfo info("TOpenDialog", &TComponent::StaticClassInfo(), {}, "Dialogs");
    return info;
}
const TClassInfo& TSaveDialog::StaticClassInfo() {
    static const TClassInfo info("TSaveDialog", &TOpenDialog::StaticClassInfo(), {}, "Dialogs");
    return info;
}

TOpenDialog::TOpenDialog(TComponent* owner)
    : TComponent(owner), files_(std::make_unique<TStringList>()),
      historyList_(std::make_unique<TStringList>()) {}
TOpenDialog::~TOpenDialog() {
    Destroying();
}

void TOpenDialog::SetHistoryList(const TStrings* value) {
    if (value)
        historyList_->Assign(*value);
    else
        historyList_->Clear();
}

bool TOpenDialog::Execute() {
    TDialogRequest r;
    r.Kind = Saving() ? TDialogRequest::dkSaveFile : TDialogRequest::dkOpenFile;
    r.Caption = Title;
    r.Filter = Filter;
    r.MultiSelect = (Options & ofAllowMultiSelect) != 0;
    try {
        if (!FileName.empty())
            r.Value = ProgramPathToLocal(FileName);
        else if (!InitialDir.empty())
            r.Value = ProgramPathToLocal(InitialDir);
    } catch (const Exception&) {
        r.Value.clear();
    }
    r.FileNameCombo = FileEditStyle == TFileEditStyle::fsComboBox;
    if (r.FileNameCombo)
        for (const std::string& name : historyList_->Items()) {
            try {
                r.History.push_back(ProgramPathToLocal(name));
            } catch (const Exception&) {
                r.History.push_back(name); // a bare name, or one of no drive: as it is
            }
        }
    PrepareRequest(r);
    lastError_ = 0;
    TDialogAnswer a;
    try {
        a = Ask(r);
    } catch (const std::exception&) {
        lastError_ = CDERR_DIALOGFAILURE;
        throw;
    }
    files_->Clear();
    if (!a.Accepted || a.Paths.empty())
        return false;
    for (const auto& p : a.Paths) {
        try {
            files_->Add(LocalPathToProgram(p));
        } catch (const Exception&) {
            // A file outside every drive cannot be named in the program's form.
        }
    }
    if (files_->Count() == 0) {
        lastError_ = FNERR_INVALIDFILENAME;
        return false;
    }
    FileName = files_->Get(0);
    if (Saving() && !DefaultExt.empty()) {
        std::string base = FileName.substr(FileName.find_last_of('\\') + 1);
        if (base.find('.') == std::string::npos)
            FileName += "." + DefaultExt;
    }
    return true;
}
