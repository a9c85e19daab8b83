#include "Dialogs.h"

#include "Forms.h"
#include "ShellAPI.h"
#include "qt/QtBridge.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {

TDialogResponder& Responder() {
    static TDialogResponder responder;
    return responder;
}

// "Music|*.mp3;*.m4a|All|*.*" becomes Qt's "Music (*.mp3 *.m4a);;All (*.*)".
QString QtFilter(const std::string& filter) {
    QStringList parts = ToQ(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i] + " (" + parts[i + 1].split(';').join(' ') + ")";
    return out.join(";;");
}

TDialogAnswer Ask(const TDialogRequest& request) {
    if (Responder())
        return Responder()(request);
    TDialogAnswer a;
    QWidget* parent = nullptr;
    switch (request.Kind) {
    case TDialogRequest::dkMessage: {
        QMessageBox box(parent);
        box.setWindowTitle(ToQ(request.Caption));
        box.setText(ToQ(request.Text));
        int kind = request.Flags & 0x0F;
        struct B {
            QMessageBox::StandardButton Qt;
            int Id;
        };
        std::vector<B> buttons;
        switch (kind) {
        case MB_OKCANCEL:
            buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
            break;
        case MB_ABORTRETRYIGNORE:
            buttons = {{QMessageBox::Abort, IDABORT},
                       {QMessageBox::Retry, IDRETRY},
                       {QMessageBox::Ignore, IDIGNORE}};
            break;
        case MB_YESNOCANCEL:
            buttons = {{QMessageBox::Yes, IDYES},
                       {QMessageBox::No, IDNO},
                       {QMessageBox::Cancel, IDCANCEL}};
            break;
        case MB_YESNO:
            buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
            break;
        case MB_RETRYCANCEL:
            buttons = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
            break;
        default:
            buttons = {{QMessageBox::Ok, IDOK}};
        }
        QMessageBox::StandardButtons set;
        for (auto& b : buttons)
            set |= b.Qt;
        box.setStandardButtons(set);
        int icon = request.Flags & 0xF0;
        box.setIcon(icon == MB_ICONSTOP          ? QMessageBox::Critical
                    : icon == MB_ICONQUESTION    ? QMessageBox::Question
                    : icon == MB_ICONWARNING     ? QMessageBox::Warning
                    : icon == MB_ICONINFORMATION ? QMessageBox::Information
                                                 : QMessageBox::NoIcon);
        int r = box.exec();
        a.Button = IDCANCEL;
        for (auto& b : buttons)
            if (r == b.Qt)
                a.Button = b.Id;
        a.Accepted = true;
        return a;
    }
    case TDialogRequest::dkOpenFile:
        if (request.MultiSelect) {
            for (const QString& f : QFileDialog::getOpenFileNames(
                     parent, ToQ(request.Caption), ToQ(request.Value), QtFilter(request.Filter)))
                a.Paths.push_back(FromQ(f));
        } else {
            QString f = QFileDialog::getOpenFileName(parent, ToQ(request.Caption),
                                                     ToQ(request.Value), QtFilter(request.Filter));
            if (!f.isEmpty())
                a.Paths.push_back(FromQ(f));
        }
        a.Accepted = !a.Paths.empty();
        return a;
    case TDialogRequest::dkSaveFile: {
        QString f = QFileDialog::getSaveFileName(parent, ToQ(request.Caption), ToQ(request.Value),
                                                 QtFilter(request.Filter));
        if (!f.isEmpty())
            a.Paths.push_back(FromQ(f));
        a.Accepted = !a.Paths.empty();
        return a;
    }
    case TDialogRequest::dkSelectFolder: {
        QString d =
            QFileDialog::getExistingDirectory(parent, ToQ(request.Caption), ToQ(request.Value));
        if (!d.isEmpty())
            a.Paths.push_back(FromQ(d));
        a.Accepted = !a.Paths.empty();
        return a;
    }
    case TDialogRequest::dkInput: {
        bool ok = false;
        QString t = QInputDialog::getText(parent, ToQ(request.Caption), ToQ(request.Text),
                                          QLineEdit::Normal, ToQ(request.Value), &ok);
        a.Accepted = ok;
        a.Text = FromQ(t);
        return a;
    }
    }
    return a;
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

bool SelectDirectory(const std::string& caption, const std::string& root, std::string& directory) {
    TDialogRequest r;
    r.Kind = TDialogRequest::dkSelectFolder;
    r.Caption = caption;
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

const TClassInfo& TOpenDialog::StaticClassInfo() {
    static const TClassInfo info("TOpenDialog", &TComponent::StaticClassInfo(), {}, "Dialogs");
    return info;
}
const TClassInfo& TSaveDialog::StaticClassInfo() {
    static const TClassInfo info("TSaveDialog", &TOpenDialog::StaticClassInfo(), {}, "Dialogs");
    return info;
}

TOpenDialog::TOpenDialog(TComponent* owner)
    : TComponent(owner), files_(std::make_unique<TStringList>()) {}
TOpenDialog::~TOpenDialog() {
    Destroying();
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
    TDialogAnswer a = Ask(r);
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
    if (files_->Count() == 0)
        return false;
    FileName = files_->Get(0);
    if (Saving() && !DefaultExt.empty()) {
        std::string base = FileName.substr(FileName.find_last_of('\\') + 1);
        if (base.find('.') == std::string::npos)
            FileName += "." + DefaultExt;
    }
    return true;
}
