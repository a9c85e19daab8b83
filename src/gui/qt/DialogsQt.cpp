// The Qt side of the dialogs: message boxes, file and folder choosers and text input
// shown with Qt's own dialogs, and their answers in the layer's terms.
#include "Dialogs.h"
#include "Forms.h"
#include "ShellAPI.h"
#include "qt/QtBridge.h"
#include "qt/WidgetBinding.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>

namespace BvQt {

namespace {

// "Music|*.mp3;*.m4a|All|*.*" becomes Qt's "Music (*.mp3 *.m4a);;All (*.*)".
QString QtFilter(const std::string& filter) {
    QStringList parts = ToQ(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i] + " (" + parts[i + 1].split(';').join(' ') + ")";
    return out.join(";;");
}

} // namespace

TDialogAnswer AskQt(const TDialogRequest& request) {
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
    case TDialogRequest::dkSaveFile: {
        QFileDialog dialog(parent, ToQ(request.Caption), ToQ(request.Value),
                           QtFilter(request.Filter));
        // Qt's own dialog, never the desktop's: a desktop dialog may hand back a path of
        // its document portal, which names no drive of the program.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setOption(QFileDialog::DontUseCustomDirectoryIcons);
        const bool saving = request.Kind == TDialogRequest::dkSaveFile;
        dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(saving                ? QFileDialog::AnyFile
                           : request.MultiSelect ? QFileDialog::ExistingFiles
                                                 : QFileDialog::ExistingFile);
        if (request.UserSize) {
            QScreen* screen =
                parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
            const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
            const QSize natural = dialog.sizeHint();
            const TRect r =
                PlaceInWorkArea({area.left(), area.top(), area.right() + 1, area.bottom() + 1},
                                request.Width, request.Height, natural.width(), natural.height());
            dialog.setGeometry(r.Left, r.Top, r.Width(), r.Height());
        }
        if (dialog.exec() == QDialog::Accepted)
            for (const QString& f : dialog.selectedFiles())
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

} // namespace BvQt
