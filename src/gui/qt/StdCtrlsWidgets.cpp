// The Qt side of the stock controls: the Qt widgets they wrap, made and wired here, and the
// calls that read and set those widgets' state.
#include "Forms.h"
#include "Mask.h"
#include "ScopeExit.h"
#include "StdCtrls.h"
#include "StdCtrlsShared.h"
#include "qt/ControlWidget.h"
#include "qt/ListBoxView.h"
#include "qt/QtBridge.h"

#include <QAbstractButton>
#include <QAbstractListModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QImage>
#include <QInputEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QWheelEvent>

namespace {

// Paints and measures items through the owning control, so owner drawing goes
// through the WM_DRAWITEM and WM_MEASUREITEM protocol.
class TBvItemDelegate : public QStyledItemDelegate {
public:
    using PaintFn = std::function<void(int, QImage&, const TRect&, uint32_t)>;
    using MeasureFn = std::function<int(int)>;
    using WidthFn = std::function<int()>;
    TBvItemDelegate(QObject* parent, PaintFn paint, MeasureFn measure, WidthFn width = nullptr)
        : QStyledItemDelegate(parent), paint_(std::move(paint)), measure_(std::move(measure)),
          width_(std::move(width)) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QRect r = option.rect;
        if (r.width() <= 0 || r.height() <= 0)
            return;
        QImage image = DeviceImage(r.size(), painter->device()->devicePixelRatioF());
        image.fill(Qt::white);
        uint32_t state = 0;
        if (option.state & QStyle::State_Selected)
            state |= ODS_SELECTED;
        if (option.state & QStyle::State_HasFocus)
            state |= ODS_FOCUS;
        if (!(option.state & QStyle::State_Enabled))
            state |= ODS_DISABLED;
        GuardedCall(nullptr, [&] { paint_(index.row(), image, FromQ(r), state); });
        painter->drawImage(r.topLeft(), image);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        int height = 16;
        GuardedCall(nullptr, [&] { height = measure_(index.row()); });
        // A list's rows are as wide as its horizontal extent; the view stretches them to
        // its own width, so an extent of 0 never asks for a horizontal scroll bar.
        if (width_)
            return QSize(width_(), height);
        return QSize(option.rect.width() > 0 ? option.rect.width() : 100, height);
    }

private:
    PaintFn paint_;
    MeasureFn measure_;
    WidthFn width_;
};

} // namespace

// A combo box whose closed face shows the chosen item through the owner-draw protocol
// when its style is owner-drawn, as the system draws the edit part of such a box.
// Some styles (Fusion among them) open a combo box's list over the box itself, with the
// current item where the box was. The program's users expect a drop-down list: it opens
// below the box (or above it near the bottom of the screen), and the box stays in sight.
class TBvDropDownStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QStyle* DropDownStyle() {
    static QPointer<TBvDropDownStyle> style;
    if (!style) {
        style = new TBvDropDownStyle;
        style->setParent(qApp);
    }
    return style;
}

class TBvComboWidget : public QComboBox {
public:
    TBvComboWidget(TCustomComboBox* owner, QWidget* parent) : QComboBox(parent), owner_(owner) {
        setStyle(DropDownStyle());
    }
    TCustomComboBox* owner_;
    // A read-only box: a click only focuses it, the wheel chooses nothing.
    bool ReadOnly = false;

protected:
    void mousePressEvent(QMouseEvent* e) override {
        if (!ReadOnly)
            return QComboBox::mousePressEvent(e);
        setFocus(Qt::MouseFocusReason);
        e->accept();
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        if (!ReadOnly)
            return QComboBox::mouseDoubleClickEvent(e);
        e->accept();
    }
    void wheelEvent(QWheelEvent* e) override {
        if (!ReadOnly)
            return QComboBox::wheelEvent(e);
        e->accept();
    }
    void paintEvent(QPaintEvent*) override {
        QStylePainter p(this);
        QStyleOptionComboBox opt;
        initStyleOption(&opt);
        bool ownerDraw = owner_ && owner_->DrawsFaceItself();
        if (ownerDraw)
            opt.currentText.clear();
        p.drawComplexControl(QStyle::CC_ComboBox, opt);
        if (!ownerDraw) {
            p.drawControl(QStyle::CE_ComboBoxLabel, opt);
            return;
        }
        QRect r =
            style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
        if (r.width() <= 0 || r.height() <= 0)
            return;
        QImage image = DeviceImage(r.size(), devicePixelRatioF());
        image.fill(Qt::white);
        uint32_t state = ODS_COMBOBOXEDIT | (hasFocus() ? (ODS_SELECTED | ODS_FOCUS) : 0) |
                         (isEnabled() ? 0 : ODS_DISABLED);
        GuardedCall(owner_, [&] { owner_->PaintItem(currentIndex(), image, FromQ(r), state); });
        p.drawImage(r.topLeft(), image);
    }
};

namespace {

// A push button the program draws: Qt keeps the pressing, focus and clicking; every picture
// is asked of the control's parent as WM_DRAWITEM, reflected to the button as CN_DRAWITEM.
class TBvOwnerDrawButton : public QPushButton {
public:
    TBvOwnerDrawButton(TButton* button, QWidget* parent) : QPushButton(parent), button_(button) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QImage image = DeviceImage(this);
        image.fill(ToQColor(button_->Color()));
        uint32_t state = (isDown() ? ODS_SELECTED : 0) | (hasFocus() ? ODS_FOCUS : 0) |
                         (isEnabled() ? 0 : ODS_DISABLED);
        GuardedCall(button_, [&] {
            SendDrawItem(button_, ODT_BUTTON, 0, image, Rect(0, 0, width(), height()), state, 0);
        });
        QPainter p(this);
        p.drawImage(0, 0, image);
    }

private:
    TButton* button_;
};

} // namespace

QWidget* TButton::CreateWidget(QWidget* parent) {
    auto* b = (WindowStyle() & BS_TYPEMASK) == BS_OWNERDRAW ? new TBvOwnerDrawButton(this, parent)
                                                            : new QPushButton(parent);
    BvQt::SetButtonText(b, GetText());
    b->setDefault(Default);
    QObject::connect(b, &QPushButton::clicked, [this] {
        GuardedCall(this, [this] { Perform(CN_COMMAND, BN_CLICKED << 16, 0); });
    });
    return b;
}

QWidget* TCustomCheckBox::CreateWidget(QWidget* parent) {
    auto* b = new QCheckBox(parent);
    BvQt::SetButtonText(b, GetText(), wordWrap_ ? Width() : 0);
    b->setTristate(AllowGrayed);
    b->setCheckState(state_ == TCheckBoxState::cbChecked  ? Qt::Checked
                     : state_ == TCheckBoxState::cbGrayed ? Qt::PartiallyChecked
                                                          : Qt::Unchecked);
    QObject::connect(b, &QCheckBox::stateChanged, [this](int s) {
        if (updating_)
            return;
        state_ = s == Qt::Checked            ? TCheckBoxState::cbChecked
                 : s == Qt::PartiallyChecked ? TCheckBoxState::cbGrayed
                                             : TCheckBoxState::cbUnchecked;
        GuardedCall(this, [this] { Click(); });
    });
    return b;
}

void TCustomCheckBox::SetState(TCheckBoxState state) {
    if (state == state_)
        return;
    state_ = state;
    if (auto* b = dynamic_cast<QCheckBox*>(widget_)) {
        updating_ = true;
        b->setCheckState(state == TCheckBoxState::cbChecked  ? Qt::Checked
                         : state == TCheckBoxState::cbGrayed ? Qt::PartiallyChecked
                                                             : Qt::Unchecked);
        updating_ = false;
    }
    // Setting the state in code clicks, as the framework does.
    if (!IsLoading())
        Click();
}

QWidget* TRadioButton::CreateWidget(QWidget* parent) {
    auto* b = new QRadioButton(parent);
    BvQt::SetButtonText(b, GetText(), wordWrap_ ? Width() : 0);
    b->setChecked(checked_);
    QObject::connect(b, &QRadioButton::toggled, [this](bool on) {
        if (updating_)
            return;
        checked_ = on;
        if (on)
            GuardedCall(this, [this] { Click(); });
    });
    return b;
}

void TRadioButton::SetChecked(bool value) {
    if (value == checked_)
        return;
    checked_ = value;
    if (auto* b = dynamic_cast<QRadioButton*>(widget_)) {
        updating_ = true;
        b->setChecked(value);
        updating_ = false;
    }
    if (value && Parent()) {
        // The other radio buttons of the same parent go off.
        for (int i = 0; i < Parent()->ControlCount(); ++i)
            if (auto* other = dynamic_cast<TRadioButton*>(Parent()->Controls(i));
                other && other != this)
                other->SetChecked(false);
    }
    if (value && !IsLoading())
        Click();
}

QWidget* TCustomEdit::CreateWidget(QWidget* parent) {
    const uint32_t style = WindowStyle();
    auto* e = new QLineEdit(ToQ(text_), parent);
    e->setReadOnly(readOnly_ || (style & ES_READONLY));
    if (MaxLength > 0)
        e->setMaxLength(MaxLength);
    if (style & ES_PASSWORD)
        e->setEchoMode(QLineEdit::Password);
    if (style & ES_RIGHT)
        e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    else if (style & ES_CENTER)
        e->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    if (!IsRectEmpty(formatRect_))
        BvQt::SetEditFormatRect(e, formatRect_, ClientWidth(), ClientHeight());
    QObject::connect(e, &QLineEdit::textChanged, [this, e](const QString& t) {
        // A masked edit's text is what it shows: its literals and the blanks not yet typed.
        text_ = FromQ(e->inputMask().isEmpty() ? t : e->displayText());
        if (!updating_) {
            Modified = true;
            GuardedCall(this, [this] { Change(); });
        }
    });
    return e;
}

QWidget* TCustomMaskEdit::CreateWidget(QWidget* parent) {
    QWidget* w = TCustomEdit::CreateWidget(parent);
    if (IsMasked()) {
        updating_ = true;
        text_ = BvQt::SetEditInputMask(w, QtInputMask(EditMask()));
        updating_ = false;
    }
    return w;
}

void TCustomEdit::SetText(const std::string& text) {
    if (text == text_)
        return;
    text_ = text;
    if (auto* e = dynamic_cast<QLineEdit*>(widget_)) {
        updating_ = true;
        e->setText(ToQ(text));
        updating_ = false;
    }
    Perform(CM_TEXTCHANGED, 0, 0);
    Change();
}

void TCustomEdit::SetReadOnly(bool value) {
    readOnly_ = value;
    if (auto* e = dynamic_cast<QLineEdit*>(widget_))
        e->setReadOnly(value);
    if (auto* p = dynamic_cast<QPlainTextEdit*>(widget_))
        p->setReadOnly(value);
}

int TCustomEdit::SelStart() const {
    if (auto* e = dynamic_cast<QLineEdit*>(widget_))
        return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
    return 0;
}

void TCustomEdit::SetSelStart(int start) {
    if (auto* e = dynamic_cast<QLineEdit*>(Widget()))
        e->setCursorPosition(start);
}

int TCustomEdit::SelLength() const {
    if (auto* e = dynamic_cast<QLineEdit*>(widget_))
        return e->selectionLength();
    return 0;
}

void TCustomEdit::SetSelLength(int length) {
    if (auto* e = dynamic_cast<QLineEdit*>(Widget()))
        e->setSelection(SelStart(), length);
}

std::string TCustomEdit::SelText() const {
    if (auto* e = dynamic_cast<QLineEdit*>(widget_))
        return FromQ(e->selectedText());
    return {};
}

void TCustomEdit::SelectAll() {
    if (auto* e = dynamic_cast<QLineEdit*>(Widget()))
        e->selectAll();
}

QWidget* TCustomMemo::CreateWidget(QWidget* parent) {
    const uint32_t style = WindowStyle();
    auto* p = new QPlainTextEdit(parent);
    p->setReadOnly(readOnly_ || (style & ES_READONLY));
    // An edit's scroll bars are there whenever its style asks for them, as the system
    // shows them; it wraps its lines unless it scrolls sideways.
    p->setVerticalScrollBarPolicy((style & WS_VSCROLL) ? Qt::ScrollBarAlwaysOn
                                                       : Qt::ScrollBarAlwaysOff);
    p->setHorizontalScrollBarPolicy((style & WS_HSCROLL) ? Qt::ScrollBarAlwaysOn
                                                         : Qt::ScrollBarAlwaysOff);
    bool wrap = !(style & (ES_AUTOHSCROLL | WS_HSCROLL));
    p->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    std::string text = lines_->Text();
    if (text.size() >= 2)
        text.resize(text.size() - 2);
    p->setPlainText(ToQ(text));
    if (!IsRectEmpty(formatRect_))
        BvQt::SetEditFormatRect(p, formatRect_, ClientWidth(), ClientHeight());
    QObject::connect(p, &QPlainTextEdit::textChanged, [this, p] {
        if (updating_)
            return;
        updating_ = true;
        auto handler = lines_->OnChange;
        lines_->OnChange = nullptr;
        lines_->SetText(FromQ(p->toPlainText()));
        lines_->OnChange = handler;
        updating_ = false;
        Modified = true;
        GuardedCall(this, [this] { Change(); });
    });
    return p;
}

void TCustomMemo::AppendLines(const std::string& text) {
    if (text.empty())
        return;
    TStringList added;
    added.SetText(text);
    const bool hadLines = lines_->Count() > 0;
    auto handler = lines_->OnChange;
    lines_->OnChange = nullptr;
    for (int i = 0; i < added.Count(); ++i)
        lines_->Add(added[i]);
    lines_->OnChange = handler;
    if (auto* p = dynamic_cast<QPlainTextEdit*>(widget_)) {
        updating_ = true;
        // The widget holds the lines without the last line break; a new piece starts its own
        // line after the ones shown.
        QString piece = ToQ(text);
        piece.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (piece.endsWith(QLatin1Char('\n')))
            piece.chop(1);
        if (hadLines)
            piece.prepend(QLatin1Char('\n'));
        QTextCursor cursor(p->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(piece);
        updating_ = false;
    }
    Change();
}

namespace {

// How long one turn of the event loop spends freeing a retired document.
constexpr auto FreeTurnTime = std::chrono::milliseconds(3);
// The lines freed in a retired document's first turn; later turns take as many as fit.
constexpr int FirstFreedLines = 2000;

// Frees a long document a part at a time, its last lines first, on the GUI thread: a
// document's laid-out blocks hold font engines whose caches belong to this thread, so no
// worker may free them, and freeing a report of a hundred thousand lines at once would stop
// the window for tens of milliseconds. Until it is gone the application holds it.
void FreeDocumentInPieces(QTextDocument* doc) {
    doc->setUndoRedoEnabled(false);
    doc->setParent(QCoreApplication::instance());
    auto* timer = new QTimer(doc);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, doc, [doc, timer, lines = FirstFreedLines]() mutable {
        const int blocks = doc->blockCount();
        if (blocks <= lines) {
            timer->stop();
            doc->deleteLater();
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        QTextCursor cursor(doc);
        cursor.setPosition(doc->findBlockByNumber(blocks - lines).position() - 1);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        const auto took = std::chrono::steady_clock::now() - start;
        const double fits = lines * std::chrono::duration<double>(FreeTurnTime).count() /
                            std::max(std::chrono::duration<double>(took).count(), 1e-5);
        lines = static_cast<int>(std::clamp(fits, 100.0, 1e6));
    });
    timer->start();
}

} // namespace

void TCustomMemo::RetireDocument() {
    auto* p = dynamic_cast<QPlainTextEdit*>(widget_);
    if (!p)
        return;
    QTextDocument* old = p->document();
    const QFont font = old->defaultFont();
    const QTextOption option = old->defaultTextOption();
    const qreal margin = old->documentMargin();
    const bool undo = old->isUndoRedoEnabled();
    const int maximumBlocks = old->maximumBlockCount();
    // The edit's own control deletes a document it parents when another takes its place.
    old->setParent(nullptr);
    p->setDocument(nullptr);
    QTextDocument* fresh = p->document();
    fresh->setDefaultFont(font);
    fresh->setDefaultTextOption(option);
    fresh->setDocumentMargin(margin);
    fresh->setUndoRedoEnabled(undo);
    fresh->setMaximumBlockCount(maximumBlocks);
    old->disconnect();
    FreeDocumentInPieces(old);
}

void TCustomMemo::LinesToWidget() {
    if (auto* p = dynamic_cast<QPlainTextEdit*>(widget_)) {
        updating_ = true;
        std::string text = lines_->Text();
        if (text.size() >= 2)
            text.resize(text.size() - 2);
        const bool appended = shownDocument_ == p->document() &&
                              shownRevision_ == p->document()->revision() && !shownText_.empty() &&
                              text.size() > shownText_.size() &&
                              text.compare(0, shownText_.size(), shownText_) == 0;
        if (appended) {
            QTextCursor cursor(p->document());
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(ToQ(text.substr(shownText_.size())));
        } else {
            if (p->document()->blockCount() > RetireLines)
                RetireDocument();
            p->setPlainText(ToQ(text));
        }
        shownText_ = std::move(text);
        shownDocument_ = p->document();
        shownRevision_ = p->document()->revision();
        p->moveCursor(QTextCursor::End);
        updating_ = false;
    }
    Change();
}

TBvListView* TCustomListBox::View() const {
    return dynamic_cast<TBvListView*>(widget_);
}

int TCustomListBox::RowWidth() const {
    return (WindowStyle() & WS_HSCROLL) ? horizontalExtent_ : 0;
}

void TCustomListBox::InvalidateItem(int index) {
    if (View() && model_ && index >= 0 && index < Count())
        View()->update(model_->index(index, 0));
}

int TCustomListBox::ItemWidth() const {
    if (int w = RowWidth(); w > 0)
        return w;
    if (TBvListView* v = View())
        return v->viewport()->width();
    // Without a window: the control less the sunken frame the window will have.
    return std::max(0, Width() - 4);
}

QWidget* TCustomListBox::CreateWidget(QWidget* parent) {
    const uint32_t style = WindowStyle();
    // The style bits a descendant's CreateParams set take effect.
    if (style & LBS_OWNERDRAWVARIABLE)
        style_ = TListBoxStyle::lbOwnerDrawVariable;
    else if ((style & LBS_OWNERDRAWFIXED) && style_ == TListBoxStyle::lbStandard)
        style_ = TListBoxStyle::lbOwnerDrawFixed;
    if ((style & LBS_SORT) && !items_->Sorted()) {
        sorted_ = true;
        items_->SetSorted(true);
    }
    if (style & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL))
        multiSelect_ = true;
    auto* v = new TBvListView(this, parent);
    model_ = new TListBoxModel(this);
    v->setModel(model_);
    model_->setParent(v);
    v->setSelectionMode((style & LBS_EXTENDEDSEL)   ? QAbstractItemView::ExtendedSelection
                        : (style & LBS_MULTIPLESEL) ? QAbstractItemView::MultiSelection
                        : multiSelect_              ? QAbstractItemView::ExtendedSelection
                                                    : QAbstractItemView::SingleSelection);
    // A vertical bar when the items do not fit; a horizontal one only when the horizontal
    // extent is wider than the box.
    v->setVerticalScrollBarPolicy(!(style & WS_VSCROLL)           ? Qt::ScrollBarAlwaysOff
                                  : (style & LBS_DISABLENOSCROLL) ? Qt::ScrollBarAlwaysOn
                                                                  : Qt::ScrollBarAsNeeded);
    v->setHorizontalScrollBarPolicy((style & WS_HSCROLL) ? Qt::ScrollBarAsNeeded
                                                         : Qt::ScrollBarAlwaysOff);
    v->SetVariableHeights(style_ == TListBoxStyle::lbOwnerDrawVariable);
    v->setItemDelegate(new TBvItemDelegate(
        v, [this](int i, QImage& img, const TRect& r, uint32_t s) { PaintItem(i, img, r, s); },
        [this](int i) { return MeasureItemHeight(i); }, [this] { return RowWidth(); }));
    QObject::connect(v->selectionModel(), &QItemSelectionModel::currentChanged,
                     [v](const QModelIndex&, const QModelIndex&) { v->SelectionMoved(); });
    QObject::connect(v->selectionModel(), &QItemSelectionModel::selectionChanged,
                     [v](const QItemSelection&, const QItemSelection&) { v->SelectionMoved(); });
    if (multiSelect_) {
        if (pendingIndex_ >= 0 && pendingIndex_ < Count())
            v->selectionModel()->setCurrentIndex(model_->index(pendingIndex_, 0),
                                                 QItemSelectionModel::NoUpdate);
        v->Selection()->SetRows(pendingSelected_);
    } else if (pendingIndex_ >= 0 && pendingIndex_ < Count()) {
        v->setCurrentIndex(model_->index(pendingIndex_, 0));
    }
    // The view scrolls once it has its size and rows, when the event loop next runs.
    if (int top = pendingTop_; top > 0 && top < Count())
        QMetaObject::invokeMethod(
            v,
            [v, top] {
                if (top < v->model()->rowCount())
                    v->scrollTo(v->model()->index(top, 0), QAbstractItemView::PositionAtTop);
            },
            Qt::QueuedConnection);
    pendingIndex_ = -1;
    pendingSelected_.clear();
    pendingTop_ = 0;
    return v;
}

void TCustomListBox::DestroyWnd() {
    if (TBvListView* v = View()) {
        pendingIndex_ = v->currentIndex().isValid() ? v->currentIndex().row() : -1;
        if (!multiSelect_ && pendingIndex_ >= 0 && !v->Selection()->RowSelected(pendingIndex_))
            pendingIndex_ = -1;
        pendingSelected_ = SelectedIndexes();
        pendingTop_ = TopIndex();
    }
    model_ = nullptr;
    TWinControl::DestroyWnd();
}

void TCustomListBox::ItemsChanged(const TStringsChange& change) {
    FollowItemChange(heights_, change, Count(), -1);
    if (!model_)
        return;
    // A single-selection list whose chosen item goes has nothing chosen, rather than the
    // neighbour Qt would move to.
    bool chosenGoes = change.Kind == TStringsChangeKind::Deleted && !multiSelect_ && View() &&
                      View()->Selection()->RowSelected(change.Index);
    model_->Follow(change);
    if (chosenGoes) {
        View()->selectionModel()->clearCurrentIndex();
        View()->Selection()->ClearRows();
    }
}

void TCustomListBox::SetVirtualCount(int count) {
    count = std::max(count, -1);
    // Stored items go first, through the ordinary reset, so nothing of them stays behind.
    if (count >= 0 && !IsVirtual() && items_->Count() > 0)
        items_->Clear();
    virtualCount_ = count;
    virtualCopy_.reset();
    heights_.assign(static_cast<size_t>(Count()), -1);
    if (model_) {
        model_->Reset();
    } else {
        pendingIndex_ = -1;
        pendingSelected_.clear();
        pendingTop_ = 0;
    }
}

void TCustomListBox::RemeasureAll() {
    heights_.assign(static_cast<size_t>(Count()), -1);
    Relayout();
}

void TCustomListBox::Relayout(int index) {
    if (!model_)
        return;
    if (index >= 0)
        model_->RowResized(index);
    else
        model_->Relayout();
}

int TCustomListBox::ItemIndex() const {
    if (!View())
        return pendingIndex_;
    QModelIndex i = View()->currentIndex();
    if (!i.isValid())
        return -1;
    if (!multiSelect_ && !View()->Selection()->RowSelected(i.row()))
        return -1;
    return i.row();
}

void TCustomListBox::SetItemIndex(int index) {
    if (!View()) {
        pendingIndex_ = index;
        return;
    }
    if (index < 0 || index >= Count()) {
        View()->selectionModel()->clearCurrentIndex();
        View()->Selection()->ClearRows();
        return;
    }
    View()->setCurrentIndex(model_->index(index, 0));
}

void TCustomListBox::SetMultiSelect(bool value) {
    multiSelect_ = value;
    if (View())
        View()->setSelectionMode(value ? QAbstractItemView::ExtendedSelection
                                       : QAbstractItemView::SingleSelection);
}

bool TCustomListBox::Selected(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    if (!View())
        return multiSelect_ ? std::find(pendingSelected_.begin(), pendingSelected_.end(), index) !=
                                  pendingSelected_.end()
                            : index == pendingIndex_;
    return View()->Selection()->RowSelected(index);
}

void TCustomListBox::SetSelected(int index, bool value) {
    if (index < 0 || index >= Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    HandleNeeded();
    View()->selectionModel()->select(model_->index(index, 0), value
                                                                  ? QItemSelectionModel::Select
                                                                  : QItemSelectionModel::Deselect);
}

void TCustomListBox::SetSelectedRange(int first, int last, bool value) {
    first = std::max(first, 0);
    last = std::min(last, Count() - 1);
    if (first > last)
        return;
    if (!View()) {
        if (!multiSelect_) {
            SetSelected(first, value);
            return;
        }
        std::erase_if(pendingSelected_, [&](int i) { return i >= first && i <= last; });
        if (value)
            for (int i = first; i <= last; ++i)
                pendingSelected_.push_back(i);
        return;
    }
    TListBoxSelection* model = View()->Selection();
    const QItemSelection range(model_->index(first, 0), model_->index(last, 0));
    const bool whole = first == 0 && last == Count() - 1;
    if (whole) {
        // The whole list: cleared, then one range, so that what is chosen next starts anew.
        model->ClearRows();
        if (value)
            model->select(range, QItemSelectionModel::Select);
    } else {
        model->select(range, value ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
    }
}

void TCustomListBox::SetSelection(const std::vector<int>& items, int current) {
    const int count = Count();
    if (current < 0 || current >= count)
        current = -1;
    if (!multiSelect_) {
        SetItemIndex(current);
        return;
    }
    if (!View()) {
        pendingSelected_.clear();
        for (int i : items)
            if (i >= 0 && i < count)
                pendingSelected_.push_back(i);
        pendingIndex_ = current;
        return;
    }
    TListBoxSelection* model = View()->Selection();
    if (current >= 0)
        model->setCurrentIndex(model_->index(current, 0), QItemSelectionModel::NoUpdate);
    else
        model->clearCurrentIndex();
    model->SetRows(items);
}

void TCustomListBox::InvertSelected() {
    const int count = Count();
    if (count == 0)
        return;
    if (!View()) {
        std::vector<int> was = SelectedIndexes();
        std::vector<int> now;
        for (int i = 0, k = 0; i < count; ++i) {
            if (k < static_cast<int>(was.size()) && was[static_cast<size_t>(k)] == i)
                ++k;
            else
                now.push_back(i);
        }
        if (multiSelect_)
            pendingSelected_ = std::move(now);
        else
            pendingIndex_ = now.empty() ? -1 : now.front();
        return;
    }
    View()->Selection()->Invert();
}

int TCustomListBox::SelCount() const {
    if (!View())
        return pendingIndex_ >= 0 ? 1 : 0;
    return View()->Selection()->SelectedCount();
}

std::vector<int> TCustomListBox::SelectedIndexes() const {
    if (View())
        return View()->Selection()->SelectedRows();
    std::vector<int> out;
    if (multiSelect_)
        out = pendingSelected_;
    else if (pendingIndex_ >= 0 && pendingIndex_ < Count())
        out.push_back(pendingIndex_);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

int TCustomListBox::TopIndex() const {
    if (!View())
        return 0;
    return View()->TopRow();
}

void TCustomListBox::SetTopIndex(int index) {
    HandleNeeded();
    if (index >= 0 && index < Count())
        View()->scrollTo(model_->index(index, 0), QAbstractItemView::PositionAtTop);
}

void TCustomListBox::SetStyle(TListBoxStyle style) {
    style_ = style;
    if (View())
        View()->SetVariableHeights(style == TListBoxStyle::lbOwnerDrawVariable);
    RemeasureAll();
}

void TCustomListBox::SetItemHeight(int height) {
    if (height <= 0)
        return;
    itemHeight_ = height;
    RemeasureAll();
}

int TCustomListBox::ItemAtPos(TPoint pos, bool existing) const {
    if (!View())
        return existing ? -1 : 0;
    QModelIndex i = View()->indexAt(QPoint(pos.X, pos.Y));
    if (i.isValid())
        return i.row();
    return existing ? -1 : Count();
}

TRect TCustomListBox::ItemRect(int index) const {
    if (!View() || index < 0 || index >= Count())
        return {};
    return FromQ(View()->visualRect(model_->index(index, 0)));
}

void TCustomListBox::PaintItem(int index, QImage& image, const TRect& rect, uint32_t state) {
    SendDrawItem(this, ODT_LISTBOX, index, image, rect, state, ItemDataAt(*items_, index));
}

namespace {

void SetComboTextColor(QComboBox* c, TColor fontColor) {
    const QColor color = ToQColor(fontColor);
    auto apply = [&color](QWidget* w) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Text, color);
        pal.setColor(QPalette::ButtonText, color);
        pal.setColor(QPalette::WindowText, color);
        w->setPalette(pal);
    };
    apply(c);
    if (QLineEdit* edit = c->lineEdit())
        apply(edit);
}

} // namespace

QComboBox* TCustomComboBox::Combo() const {
    return dynamic_cast<QComboBox*>(widget_);
}

void TCustomComboBox::DestroyWnd() {
    if (QComboBox* c = Combo()) {
        pendingIndex_ = c->currentIndex();
        text_ = FromQ(c->currentText());
    }
    TWinControl::DestroyWnd();
}

QWidget* TCustomComboBox::CreateWidget(QWidget* parent) {
    const uint32_t style = WindowStyle();
    if ((style & CBS_SORT) && !items_->Sorted()) {
        sorted_ = true;
        items_->SetSorted(true);
    }
    auto* c = new TBvComboWidget(this, parent);
    c->setEditable((style & 3) == CBS_DROPDOWN || (style & 3) == CBS_SIMPLE);
    c->setMaxVisibleItems(DropDownCount);
    c->setItemDelegate(new TBvItemDelegate(
        c, [this](int i, QImage& img, const TRect& r, uint32_t s) { PaintItem(i, img, r, s); },
        [this](int i) { return MeasureItemHeight(i); }));
    updating_ = true;
    for (const auto& s : items_->Items())
        c->addItem(ToQ(s));
    c->setCurrentIndex(pendingIndex_ >= 0 && pendingIndex_ < items_->Count() ? pendingIndex_ : -1);
    if (c->isEditable())
        c->setEditText(ToQ(text_));
    updating_ = false;
    c->ReadOnly = editReadOnly_;
    if (QLineEdit* edit = c->lineEdit())
        edit->setReadOnly(editReadOnly_);
    SetComboTextColor(c, Font()->Color());
    QObject::connect(c, QOverload<int>::of(&QComboBox::activated), [this](int) {
        if (updating_)
            return;
        text_ = FromQ(Combo()->currentText());
        GuardedCall(this, [this] {
            Perform(CN_COMMAND, static_cast<intptr_t>(CBN_SELCHANGE) << 16,
                    reinterpret_cast<intptr_t>(this));
        });
    });
    QObject::connect(c, &QComboBox::editTextChanged, [this](const QString& t) {
        if (updating_)
            return;
        text_ = FromQ(t);
        GuardedCall(this, [this] { Change(); });
    });
    return c;
}

bool TCustomComboBox::DrawsFaceItself() const {
    return style_ == TComboBoxStyle::csOwnerDrawFixed ||
           style_ == TComboBoxStyle::csOwnerDrawVariable ||
           (WindowStyle() & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0;
}

void TCustomComboBox::ApplyFontColor() {
    if (QComboBox* c = Combo())
        SetComboTextColor(c, Font()->Color());
}

void TCustomComboBox::ApplyEditReadOnly() {
    auto* c = dynamic_cast<TBvComboWidget*>(widget_);
    if (!c)
        return;
    c->ReadOnly = editReadOnly_;
    if (QLineEdit* edit = c->lineEdit())
        edit->setReadOnly(editReadOnly_);
}

void TCustomComboBox::RelayoutList() {
    if (QComboBox* c = Combo(); c && c->view())
        c->view()->doItemsLayout();
}

void TCustomComboBox::ItemsToWidget(const TStringsChange& change) {
    QComboBox* c = Combo();
    if (!c)
        return;
    updating_ = true;
    TScopeExit done([this] { updating_ = false; });
    // The chosen item and the typed text stay what they were; Qt would choose the first
    // item of a box that was empty, and show a new current item's text in the edit.
    int index = c->currentIndex();
    QString edit = c->isEditable() ? c->currentText() : QString();
    auto text = [this](int i) { return ToQ(items_->Get(i)); };
    switch (change.Kind) {
    case TStringsChangeKind::Inserted:
        c->insertItem(change.Index, text(change.Index));
        if (index < 0)
            c->setCurrentIndex(-1);
        break;
    case TStringsChangeKind::Deleted:
        c->removeItem(change.Index);
        if (index == change.Index)
            c->setCurrentIndex(-1);
        break;
    case TStringsChangeKind::Replaced:
        c->setItemText(change.Index, text(change.Index));
        break;
    case TStringsChangeKind::Exchanged:
        c->setItemText(change.Index, text(change.Index));
        c->setItemText(change.Other, text(change.Other));
        break;
    case TStringsChangeKind::Moved:
        c->removeItem(change.Index);
        c->insertItem(change.Other, text(change.Other));
        if (index == change.Index)
            c->setCurrentIndex(change.Other);
        break;
    case TStringsChangeKind::Reset:
        c->clear();
        for (const auto& s : items_->Items())
            c->addItem(ToQ(s));
        c->setCurrentIndex(index < items_->Count() ? index : -1);
        break;
    }
    if (c->isEditable() && c->currentText() != edit)
        c->setEditText(edit);
}

int TCustomComboBox::ItemIndex() const {
    return Combo() ? Combo()->currentIndex() : pendingIndex_;
}

void TCustomComboBox::SetItemIndex(int index) {
    if (index < 0 || index >= items_->Count())
        index = -1;
    if (!Combo()) {
        pendingIndex_ = index;
        text_ = index >= 0 ? items_->Get(index) : std::string();
        return;
    }
    updating_ = true;
    Combo()->setCurrentIndex(index);
    text_ = index >= 0 ? items_->Get(index) : std::string();
    if (Combo()->isEditable())
        Combo()->setEditText(ToQ(text_));
    updating_ = false;
}

std::string TCustomComboBox::GetText() const {
    if (QComboBox* c = Combo())
        return FromQ(c->currentText());
    return text_;
}

void TCustomComboBox::SetText(const std::string& text) {
    text_ = text;
    if (QComboBox* c = Combo()) {
        updating_ = true;
        if (c->isEditable())
            c->setEditText(ToQ(text));
        else
            c->setCurrentIndex(items_->IndexOf(text));
        updating_ = false;
    } else if (style_ == TComboBoxStyle::csDropDownList) {
        pendingIndex_ = items_->IndexOf(text);
    }
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TCustomComboBox::SetStyle(TComboBoxStyle style) {
    if (style == style_)
        return;
    style_ = style;
    // The style is the window's: a window made with another one is made again.
    RecreateWnd();
}

bool TCustomComboBox::DroppedDown() const {
    return Combo() && Combo()->view() && Combo()->view()->isVisible();
}

void TCustomComboBox::SetDroppedDown(bool value) {
    HandleNeeded();
    if (value) {
        if (OnDropDown)
            OnDropDown(this);
        Combo()->showPopup();
    } else {
        Combo()->hidePopup();
    }
}

void TCustomComboBox::PaintItem(int index, QImage& image, const TRect& rect, uint32_t state) {
    SendDrawItem(this, ODT_COMBOBOX, index, image, rect, state, ItemDataAt(*items_, index));
}

namespace BvQt {} // namespace BvQt

namespace {

// The caption's lines beside a check box's or radio button's mark within wrapWidth (the whole
// caption as one line without a wrap width, or for other buttons).
QStringList CaptionLines(QAbstractButton* b, const QString& text, int wrapWidth) {
    const bool check = qobject_cast<QCheckBox*>(b) != nullptr;
    const bool radio = qobject_cast<QRadioButton*>(b) != nullptr;
    if (wrapWidth <= 0 || (!check && !radio))
        return text.split(QLatin1Char('\n'));
    QStyleOptionButton option;
    option.initFrom(b);
    QStyle* style = b->style();
    const int mark =
        style->pixelMetric(check ? QStyle::PM_IndicatorWidth : QStyle::PM_ExclusiveIndicatorWidth,
                           &option, b) +
        style->pixelMetric(check ? QStyle::PM_CheckBoxLabelSpacing
                                 : QStyle::PM_RadioButtonLabelSpacing,
                           &option, b) +
        4;
    const qreal width = std::max(16, wrapWidth - mark);
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, b->font());
        QTextOption wrap;
        wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(wrap);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
        if (paragraph.isEmpty())
            lines << QString();
    }
    return lines;
}

} // namespace

namespace BvQt {

int ButtonCaptionHeight(QWidget* button, const std::string& text, int wrapWidth) {
    auto* b = dynamic_cast<QAbstractButton*>(button);
    if (!b)
        return 0;
    const QStringList lines = CaptionLines(b, ToQ(text), wrapWidth);
    return static_cast<int>(lines.size()) * QFontMetrics(b->font()).lineSpacing();
}

void SetButtonText(QWidget* button, const std::string& text, int wrapWidth) {
    if (auto* b = dynamic_cast<QAbstractButton*>(button)) {
        b->setText(CaptionLines(b, ToQ(text), wrapWidth).join(QLatin1Char('\n')));
        // Accelerators reach every control the same way, as dialog characters from its
        // form; Qt's own mnemonic short cut would click the button a second time.
        b->setShortcut(QKeySequence());
    }
}

std::string SetEditInputMask(QWidget* edit, const std::string& qtMask) {
    auto* e = qobject_cast<QLineEdit*>(edit);
    if (!e)
        return {};
    const QString text = e->text();
    e->setInputMask(ToQ(qtMask));
    if (!qtMask.empty())
        e->setText(text);
    return FromQ(qtMask.empty() ? e->text() : e->displayText());
}

void EditCommand(QWidget* edit, TEditCommand command) {
    auto* e = dynamic_cast<QLineEdit*>(edit);
    auto* p = dynamic_cast<QPlainTextEdit*>(edit);
    switch (command) {
    case TEditCommand::Cut:
        if (e)
            e->cut();
        if (p)
            p->cut();
        break;
    case TEditCommand::Copy:
        if (e)
            e->copy();
        if (p)
            p->copy();
        break;
    case TEditCommand::Paste:
        if (e)
            e->paste();
        if (p)
            p->paste();
        break;
    case TEditCommand::Clear:
        if (e)
            e->del();
        if (p)
            p->textCursor().removeSelectedText();
        break;
    case TEditCommand::Undo:
        if (e)
            e->undo();
        if (p)
            p->undo();
        break;
    }
}

} // namespace BvQt
