// The Qt side of the dialogs: message boxes, file and folder choosers and text input
// shown with Qt's own dialogs, and their answers in the layer's terms.
#include "Dialogs.h"
#include "Forms.h"
#include "ShellAPI.h"
#include "qt/ControlWidget.h"
#include "qt/QtBridge.h"
#include "qt/WidgetBinding.h"

#include <QBoxLayout>
#include <QDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QIcon>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <algorithm>
#include <utility>
#include <vector>

namespace BvQt {

namespace {

// "Music|*.mp3;*.m4a|All|*.*" becomes Qt's "Music (*.mp3 *.m4a);;All (*.*)". Qt shows the
// patterns after the description itself, so a description that already names them in
// brackets at its end ("Music (*.mp3;*.m4a)") gives them up: they are shown once.
QString QtFilter(const std::string& filter) {
    QStringList parts = ToQ(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        if (description.endsWith(')')) {
            const qsizetype open = description.lastIndexOf('(');
            if (open >= 0) {
                QStringList named = description.mid(open + 1, description.size() - open - 2)
                                        .split(QRegularExpression("[;,\\s]+"), Qt::SkipEmptyParts);
                if (named == patterns)
                    description = description.left(open).trimmed();
            }
        }
        out << description + " (" + patterns.join(' ') + ")";
    }
    return out.join(";;");
}

// A message box as the system draws one: the text as plain text with its lines, the
// buttons of the flags with their mnemonics, Enter on the default button, Escape on Cancel
// (or on OK when it is the only button) and nowhere when there is neither.
class TMessageBoxDialog : public QDialog {
public:
    explicit TMessageBoxDialog(const TDialogRequest& request) {
        setWindowTitle(ToQ(request.Caption));
        setModal(true);
        struct TButton {
            const char* Text;
            int Id;
        };
        std::vector<TButton> buttons;
        switch (request.Flags & 0x0F) {
        case MB_OKCANCEL:
            buttons = {{"OK", IDOK}, {"Cancel", IDCANCEL}};
            break;
        case MB_ABORTRETRYIGNORE:
            buttons = {{"&Abort", IDABORT}, {"&Retry", IDRETRY}, {"&Ignore", IDIGNORE}};
            break;
        case MB_YESNOCANCEL:
            buttons = {{"&Yes", IDYES}, {"&No", IDNO}, {"Cancel", IDCANCEL}};
            break;
        case MB_YESNO:
            buttons = {{"&Yes", IDYES}, {"&No", IDNO}};
            break;
        case MB_RETRYCANCEL:
            buttons = {{"&Retry", IDRETRY}, {"Cancel", IDCANCEL}};
            break;
        default:
            buttons = {{"OK", IDOK}};
        }
        for (const auto& b : buttons)
            if (b.Id == IDCANCEL || (buttons.size() == 1 && b.Id == IDOK))
                escapeId_ = b.Id;
        if (!escapeId_)
            setWindowFlag(Qt::WindowCloseButtonHint, false);

        auto* layout = new QVBoxLayout(this);
        auto* row = new QHBoxLayout;
        layout->addLayout(row);
        const int iconKind = request.Flags & 0xF0;
        const char* iconName = iconKind == MB_ICONSTOP          ? "dialog-error"
                               : iconKind == MB_ICONWARNING     ? "dialog-warning"
                               : iconKind == MB_ICONINFORMATION ? "dialog-information"
                               : iconKind == MB_ICONQUESTION    ? "help-browser"
                                                                : nullptr;
        if (iconName) {
            const QIcon icon = ThemeQIcon(iconName);
            if (!icon.isNull()) {
                auto* picture = new QLabel(this);
                picture->setObjectName(QStringLiteral("icon"));
                picture->setPixmap(icon.pixmap(32, 32));
                picture->setAlignment(Qt::AlignTop);
                row->addWidget(picture, 0, Qt::AlignTop);
                row->addSpacing(12);
            }
        }
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("text"));
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setText(ToQ(MessageBoxShownText(request.Text)));
        // No wider than most of the screen; long lines wrap within it.
        QScreen* screen = QGuiApplication::primaryScreen();
        const int screenWidth = screen ? screen->availableGeometry().width() : 1024;
        // As wide as its widest line, up to most of the screen; longer lines wrap.
        int widest = 0;
        for (const QString& line : label->text().split(QLatin1Char('\n')))
            widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
        const int widestAllowed = screenWidth * 5 / 8;
        label->setMinimumWidth(std::min(widest + 2, widestAllowed));
        label->setMaximumWidth(widestAllowed);
        row->addWidget(label, 1);

        auto* bar = new QHBoxLayout;
        bar->addStretch(1);
        layout->addSpacing(8);
        layout->addLayout(bar);
        const size_t defaultIndex =
            std::min(buttons.size() - 1, static_cast<size_t>((request.Flags >> 8) & 0x0F));
        for (size_t i = 0; i < buttons.size(); ++i) {
            auto* button = new QPushButton(QString::fromLatin1(buttons[i].Text), this);
            button->setMinimumWidth(88);
            const int id = buttons[i].Id;
            connect(button, &QPushButton::clicked, this, [this, id] { done(id); });
            bar->addWidget(button);
            if (i == defaultIndex) {
                button->setDefault(true);
                defaultButton_ = button;
            }
            if (const int amp = QString::fromLatin1(buttons[i].Text).indexOf('&'); amp >= 0)
                mnemonics_.push_back({QChar(buttons[i].Text[amp + 1]).toLower(), id});
        }
        layout->setSizeConstraint(QLayout::SetFixedSize);
    }

protected:
    void showEvent(QShowEvent* event) override {
        QDialog::showEvent(event);
        if (defaultButton_)
            defaultButton_->setFocus(Qt::OtherFocusReason);
    }
    void keyPressEvent(QKeyEvent* event) override {
        // A button's letter alone chooses it, as in the system's message boxes.
        const auto mods = event->modifiers() & ~(Qt::AltModifier | Qt::KeypadModifier);
        if (!event->text().isEmpty() && mods == Qt::NoModifier) {
            const QChar c = event->text().at(0).toLower();
            for (const auto& m : mnemonics_)
                if (m.first == c) {
                    done(m.second);
                    return;
                }
        }
        QDialog::keyPressEvent(event);
    }
    // Escape and the window's close button: Cancel where there is one, else nothing.
    void reject() override {
        if (escapeId_)
            done(escapeId_);
    }

private:
    int escapeId_ = 0;
    QPushButton* defaultButton_ = nullptr;
    std::vector<std::pair<QChar, int>> mnemonics_;
};

} // namespace

TDialogAnswer AskQt(const TDialogRequest& request) {
    TDialogAnswer a;
    QWidget* parent = nullptr;
    switch (request.Kind) {
    case TDialogRequest::dkMessage: {
        TMessageBoxDialog box(request);
        a.Button = box.exec();
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
