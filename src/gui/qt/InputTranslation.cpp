// The one place where Qt's input events become the control's messages: mouse, wheel,
// keys and characters, focus, the context menu and file drops.
#include "Controls.h"
#include "Forms.h"
#include "ScopeExit.h"
#include "ShellAPI.h"
#include "WinApi.h"
#include "qt/ControlWidget.h"
#include "qt/QtBridge.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QUrl>
#include <QWheelEvent>

namespace BvQt {

std::vector<std::string> DroppedLocalFiles(const QMimeData* mime) {
    std::vector<std::string> files;
    if (!mime || !mime->hasUrls())
        return files;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString host = url.host();
        if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
            continue; // a file on another machine is not a file here
        // The name's own bytes, undecoded: a name that is not UTF-8 would otherwise
        // become U+FFFD and name no file.
        QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (bytes.isEmpty())
            continue;
        files.emplace_back(bytes.constData(), static_cast<size_t>(bytes.size()));
    }
    return files;
}

} // namespace BvQt

int QtKeyToVirtualKey(int k, Qt::KeyboardModifiers mods) {
    // The keypad's digits and operators are keys of their own, whatever Num Lock makes them.
    if (mods & Qt::KeypadModifier) {
        if (k >= Qt::Key_0 && k <= Qt::Key_9)
            return VK_NUMPAD0 + (k - Qt::Key_0);
        switch (k) {
        case Qt::Key_Asterisk:
            return VK_MULTIPLY;
        case Qt::Key_Plus:
            return VK_ADD;
        case Qt::Key_Minus:
            return VK_SUBTRACT;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return VK_DECIMAL;
        case Qt::Key_Slash:
            return VK_DIVIDE;
        default:
            break;
        }
    }
    if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9))
        return k;
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
        return VK_F1 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_Pause:
        return VK_PAUSE;
    case Qt::Key_CapsLock:
        return VK_CAPITAL;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Print:
        return VK_SNAPSHOT;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Help:
        return VK_HELP;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
        return VK_LWIN;
    case Qt::Key_Menu:
        return VK_APPS;
    case Qt::Key_NumLock:
        return VK_NUMLOCK;
    case Qt::Key_ScrollLock:
        return VK_SCROLL;
    // The punctuation keys of a US keyboard, shifted or not, as one key each.
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return VK_OEM_1;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return VK_OEM_PLUS;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return VK_OEM_COMMA;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return VK_OEM_MINUS;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return VK_OEM_PERIOD;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return VK_OEM_2;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return VK_OEM_3;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return VK_OEM_4;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return VK_OEM_5;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return VK_OEM_6;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return VK_OEM_7;
    // Shifted digits are their digit keys.
    case Qt::Key_ParenRight:
        return '0';
    case Qt::Key_Exclam:
        return '1';
    case Qt::Key_At:
        return '2';
    case Qt::Key_NumberSign:
        return '3';
    case Qt::Key_Dollar:
        return '4';
    case Qt::Key_Percent:
        return '5';
    case Qt::Key_AsciiCircum:
        return '6';
    case Qt::Key_Ampersand:
        return '7';
    case Qt::Key_Asterisk:
        return '8';
    case Qt::Key_ParenLeft:
        return '9';
    default:
        return 0;
    }
}

intptr_t QtKeys(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
    intptr_t k = 0;
    if (buttons & Qt::LeftButton)
        k |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        k |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        k |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier)
        k |= MK_SHIFT;
    if (mods & Qt::ControlModifier)
        k |= MK_CONTROL;
    return k;
}

namespace {

// Whether the control's focused text field (an edit, a memo, a combo box's edit) uses the key
// itself: Qt's fields answer the short-cut override that way for their editing keys (Ctrl+A
// selects the text, Ctrl+C copies it, a typed character, the caret keys), not for Tab, Enter
// or Esc, which stay the dialog's.
bool TextFieldTakesKey(TWinControl* control, QKeyEvent* key) {
    QWidget* focus = QApplication::focusWidget();
    QWidget* own = control->Widget();
    if (!focus || !own || (focus != own && !own->isAncestorOf(focus)))
        return false;
    if (!qobject_cast<QLineEdit*>(focus) && !qobject_cast<QPlainTextEdit*>(focus) &&
        !qobject_cast<QTextEdit*>(focus))
        return false;
    QKeyEvent ask(QEvent::ShortcutOverride, key->key(), key->modifiers(), key->text(),
                  key->isAutoRepeat(), static_cast<ushort>(key->count()));
    ask.ignore();
    QCoreApplication::sendEvent(focus, &ask);
    return ask.isAccepted();
}

} // namespace

TShiftState QtShift(Qt::KeyboardModifiers mods) {
    TShiftState s = 0;
    if (mods & Qt::ShiftModifier)
        s |= ssShift;
    if (mods & Qt::ControlModifier)
        s |= ssCtrl;
    if (mods & Qt::AltModifier)
        s |= ssAlt;
    return s;
}

bool TWinControl::QtEvent(QEvent* event) {
    bool own = dynamic_cast<TBvWidget*>(widget_) != nullptr || ClientWidget() != widget_;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        uint32_t msg = WM_MOUSEMOVE;
        bool press = event->type() == QEvent::MouseButtonPress;
        bool dbl = event->type() == QEvent::MouseButtonDblClick;
        if (event->type() != QEvent::MouseMove) {
            switch (me->button()) {
            case Qt::LeftButton:
                msg = press ? WM_LBUTTONDOWN : dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONUP;
                break;
            case Qt::RightButton:
                msg = press ? WM_RBUTTONDOWN : dbl ? WM_RBUTTONDBLCLK : WM_RBUTTONUP;
                break;
            case Qt::MiddleButton:
                msg = press || dbl ? WM_MBUTTONDOWN : WM_MBUTTONUP;
                break;
            default:
                return false;
            }
        }
        QPoint p = me->position().toPoint();
        bool draggingBefore = DragSourceControl() == this;
        TMessageTakenWatch watch;
        watch.Perform(this, msg, QtKeys(me->buttons() | me->button(), me->modifiers()),
                      MakeLParam(p.x(), p.y()));
        // While the control runs a drag, the widget underneath must not select or scroll.
        return own || watch.Taken() || draggingBefore || DragSourceControl() == this;
    }
    case QEvent::Wheel: {
        auto* we = static_cast<QWheelEvent*>(event);
        QPoint p = we->position().toPoint();
        TPoint screen = ClientToScreen({p.x(), p.y()});
        int delta = we->angleDelta().y();
        if (delta == 0)
            return false;
        // Handled by the control or scrolled by the default handling through WM_VSCROLL:
        // Qt must not scroll the widget a second time its own way.
        TMessageTakenWatch watch;
        return watch.Perform(this, WM_MOUSEWHEEL,
                             static_cast<intptr_t>(static_cast<uint32_t>(
                                 (QtKeys(we->buttons(), we->modifiers()) & 0xFFFF) |
                                 ((delta & 0xFFFF) << 16))),
                             MakeLParam(screen.X, screen.Y)) != 0 ||
               watch.Taken();
    }
    case QEvent::Enter:
        TrackMouse(this);
        return false;
    case QEvent::Leave:
        TrackMouse(nullptr);
        return false;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* ke = static_cast<QKeyEvent*>(event);
        int vk = QtKeyToVirtualKey(ke->key(), ke->modifiers());
        bool down = event->type() == QEvent::KeyPress;
        bool alt = ke->modifiers() & Qt::AltModifier;
        uint32_t msg = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
        intptr_t lp = ShiftStateToKeyData(QtShift(ke->modifiers()));
        bool swallowed = false;
        // A key the focused text field uses itself is its own before the window's short cuts.
        const bool wasTextKey = textKey_;
        textKey_ = down && TextFieldTakesKey(this, ke);
        TScopeExit restore([this, wasTextKey] {
            if (IsControlAlive(this))
                textKey_ = wasTextKey;
        });
        // A key a hook took is neither typed by the control's own handling nor by Qt's.
        TMessageTakenWatch watch;
        // Each key goes first to the control as a notification (menu short cuts, dialog keys
        // such as Tab, Enter and Esc, accelerators), and only when none takes it as the key.
        if (vk) {
            swallowed = Perform(msg + CN_BASE, vk, lp) != 0;
            if (!swallowed && IsControlAlive(this)) {
                TMessage m{msg, static_cast<uint64_t>(vk), lp, 0};
                watch.Perform(this, m);
                swallowed = m.Result != 0 || watch.Taken();
            }
        }
        if (down && !swallowed && !ke->text().isEmpty() &&
            !(ke->modifiers() & Qt::ControlModifier)) {
            uint32_t charMsg = alt ? WM_SYSCHAR : WM_CHAR;
            for (QChar ch : ke->text()) {
                if (!IsControlAlive(this))
                    break;
                if (Perform(charMsg + CN_BASE, ch.unicode(), lp) != 0) {
                    swallowed = true;
                    continue;
                }
                TMessage m{charMsg, ch.unicode(), lp, 0};
                watch.Perform(this, m);
                swallowed = swallowed || m.Result != 0 || watch.Taken();
            }
            // Alt with a character is a command, never typing.
            if (alt)
                swallowed = true;
        }
        return own || swallowed;
    }
    case QEvent::FocusIn:
        if (TCustomForm* form = ParentForm())
            form->FocusChanged(this);
        if (IsControlAlive(this))
            Perform(WM_SETFOCUS, 0, 0);
        return false;
    case QEvent::FocusOut:
        Perform(WM_KILLFOCUS, 0, 0);
        return false;
    case QEvent::ContextMenu: {
        auto* ce = static_cast<QContextMenuEvent*>(event);
        TPoint screen = ClientToScreen({ce->pos().x(), ce->pos().y()});
        TMessageTakenWatch watch;
        return watch.Perform(this, WM_CONTEXTMENU, 0, MakeLParam(screen.X, screen.Y)) != 0 ||
               watch.Taken() || own;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        // Only a drag that carries local files is offered the window: a web address or
        // text has nothing the drop could open.
        auto* de = static_cast<QDropEvent*>(event);
        if (acceptFiles_ && !BvQt::DroppedLocalFiles(de->mimeData()).empty()) {
            de->acceptProposedAction();
            return true;
        }
        de->ignore();
        return acceptFiles_;
    }
    case QEvent::Drop: {
        auto* de = static_cast<QDropEvent*>(event);
        if (!acceptFiles_)
            return false;
        std::vector<std::string> files = BvQt::DroppedLocalFiles(de->mimeData());
        if (files.empty()) {
            de->ignore();
            return true;
        }
        QPoint p = de->position().toPoint();
        DeliverDroppedFiles(this, files, {p.x(), p.y()});
        de->acceptProposedAction();
        return true;
    }
    case QEvent::Move: {
        // A window moved by its user or the window manager: Left and Top follow it.
        if (widget_ && !parent_) {
            TPoint at = BvQt::WindowPosition(widget_);
            left_ = at.X;
            top_ = at.Y;
        }
        return false;
    }
    case QEvent::Resize: {
        if (!widget_ || parent_)
            return false;
        QSize s = widget_->size();
        if (s.width() != width_ || s.height() != height_)
            SetBounds(left_, top_, s.width(), s.height());
        return false;
    }
    default:
        return false;
    }
}

// The keys and buttons held down now, as Qt knows them.
int16_t GetKeyState(int virtualKey) {
    if (!QGuiApplication::instance())
        return 0;
    bool down = false;
    Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
    Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    switch (virtualKey) {
    case VK_SHIFT:
        down = mods & Qt::ShiftModifier;
        break;
    case VK_CONTROL:
        down = mods & Qt::ControlModifier;
        break;
    case VK_MENU:
        down = mods & Qt::AltModifier;
        break;
    case VK_LBUTTON:
        down = buttons & Qt::LeftButton;
        break;
    case VK_RBUTTON:
        down = buttons & Qt::RightButton;
        break;
    default:
        break;
    }
    return down ? static_cast<int16_t>(0x8000) : 0;
}

namespace BvQt {

void Beep() {
    if (QGuiApplication::instance())
        QApplication::beep();
}

} // namespace BvQt
