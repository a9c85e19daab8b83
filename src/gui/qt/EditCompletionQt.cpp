// Completion while typing into a line edit, with Qt's completer: a fixed list, or the file
// system. The program's paths are in the drive-letter form, so the folder being typed is
// read through the drive table and its entries are offered in the form typed.
#include "qt/WidgetBinding.h"

#include "Drives.h"
#include "Files.h"
#include "Graphics.h"
#include "SysUtils.h"
#include "qt/QtBridge.h"

#include <QCompleter>
#include <QLineEdit>
#include <QPalette>
#include <QStringListModel>
#include <QWidget>

#include <algorithm>
#include <filesystem>

namespace {

// Offers the entries of the folder being typed, as the folder was typed followed by each
// entry's name. The folder is read again whenever the typed folder changes, at the moment
// the completer looks at the text, so the list always belongs to what is typed.
class TPathCompleter : public QCompleter {
public:
    TPathCompleter(QObject* parent, bool foldersOnly)
        : QCompleter(parent), foldersOnly_(foldersOnly), entries_(new QStringListModel(this)) {
        setModel(entries_);
    }

    QStringList splitPath(const QString& path) const override {
        const std::string typed = FromQ(path);
        const size_t cut = typed.find_last_of("\\/");
        const std::string folder =
            cut == std::string::npos ? std::string() : typed.substr(0, cut + 1);
        if (folder != folder_) {
            folder_ = folder;
            entries_->setStringList(List(folder));
        }
        return {path};
    }

private:
    QStringList List(const std::string& folder) const {
        QStringList out;
        if (folder.empty())
            return out;
        std::string local;
        try {
            // A drive-letter folder is looked up as the program looks up paths (any case).
            local = folder[0] == '/' ? folder : ResolvePath(folder);
        } catch (const Exception&) {
            return out;
        }
        std::error_code ec;
        std::vector<std::string> names;
        for (std::filesystem::directory_iterator it(local.empty() ? "." : local, ec), end;
             !ec && it != end; it.increment(ec)) {
            std::error_code typeError;
            if (foldersOnly_ && !it->is_directory(typeError))
                continue;
            names.push_back(it->path().filename().string());
        }
        std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            return QString::compare(ToQ(a), ToQ(b), Qt::CaseInsensitive) < 0;
        });
        for (const std::string& name : names)
            out << ToQ(folder + name);
        return out;
    }

    bool foldersOnly_;
    QStringListModel* entries_;
    mutable std::string folder_ = "\n"; // no folder read yet
};

} // namespace

namespace BvQt {

void SetEditCompletion(QWidget* edit, const TEditCompletion* completion) {
    auto* e = qobject_cast<QLineEdit*>(edit);
    if (!e)
        return;
    // The line edit deletes a completer it is the parent of when it lets it go.
    e->setCompleter(nullptr);
    if (!completion || (!completion->FileSystem && completion->Items.empty()))
        return;
    QCompleter* c = nullptr;
    if (completion->FileSystem) {
        c = new TPathCompleter(e, completion->FoldersOnly);
    } else {
        QStringList items;
        for (const std::string& item : completion->Items)
            items << ToQ(item);
        c = new QCompleter(new QStringListModel(items), e);
        c->model()->setParent(c);
    }
    // The program's paths and entries compare without regard to case.
    c->setCaseSensitivity(Qt::CaseInsensitive);
    c->setCompletionMode(completion->Inline ? QCompleter::InlineCompletion
                                            : QCompleter::PopupCompletion);
    e->setCompleter(c);
}

void SetEditDisabledColors(QWidget* edit, TColor background, TColor text) {
    if (!edit)
        return;
    QPalette p = edit->palette();
    p.setColor(QPalette::Disabled, QPalette::Base, ToQColor(ColorToRGB(background)));
    p.setColor(QPalette::Disabled, QPalette::Text, ToQColor(ColorToRGB(text)));
    edit->setPalette(p);
}

void SetTakesNoFocus(QWidget* widget) {
    if (widget)
        widget->setFocusPolicy(Qt::NoFocus);
}

} // namespace BvQt
