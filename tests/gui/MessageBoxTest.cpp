// Message boxes answered with real keys through the window system, for each button set and
// default button, and pictures of boxes with a very long path and with text that looks like
// markup.
#include "Dialogs.h"
#include "GuiTestEnvironment.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct TKey {
    Qt::Key Key;
    Qt::KeyboardModifiers Mods = Qt::NoModifier;
};

// Shows the box and, once it is up, hands it to `act`; returns the button chosen. A box
// the action leaves open is closed with its first button so that the test never hangs.
int RunBox(const std::string& text, int flags, const std::function<void(QDialog*)>& act) {
    bool acted = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!box)
            return;
        PumpEvents(2);
        acted = true;
        act(box);
        if (box->isVisible()) {
            ADD_FAILURE() << "the box stayed open";
            box->done(-1);
        }
    });
    const int result = ShowMessageBox(text, "Brisvane", flags);
    EXPECT_TRUE(acted) << "no box came up";
    return result;
}

// A key through the window system; a mnemonic with Alt clicks its button as the button's
// short cut does, a moment later, so the box is given that moment.
void Press(QDialog* box, const TKey& key) {
    QTest::keyClick(box->windowHandle(), key.Key, key.Mods);
    for (int waited = 0; waited < 400 && box->isVisible(); waited += 10) {
        PumpEvents(1);
        QTest::qWait(10);
    }
}

QString Names(QDialog* box) {
    QStringList names;
    for (auto* b : box->findChildren<QPushButton*>())
        names << b->text();
    return names.join(',');
}

TEST(MessageBox, EachButtonSetAnswersItsKeys) {
    struct Case {
        const char* what;
        int flags;
        const char* buttons;
        std::vector<TKey> keys;
        int expected;
    } cases[] = {
        {"OK, Enter", MB_OK, "OK", {{Qt::Key_Return}}, IDOK},
        {"OK, Escape", MB_OK | MB_ICONINFORMATION, "OK", {{Qt::Key_Escape}}, IDOK},
        {"OK/Cancel, Enter", MB_OKCANCEL, "OK,Cancel", {{Qt::Key_Return}}, IDOK},
        {"OK/Cancel, second default",
         MB_OKCANCEL | MB_DEFBUTTON2,
         "OK,Cancel",
         {{Qt::Key_Enter}},
         IDCANCEL},
        {"OK/Cancel, Escape", MB_OKCANCEL, "OK,Cancel", {{Qt::Key_Escape}}, IDCANCEL},
        {"Yes/No, Enter", MB_YESNO | MB_ICONQUESTION, "&Yes,&No", {{Qt::Key_Return}}, IDYES},
        {"Yes/No, second default", MB_YESNO | MB_DEFBUTTON2, "&Yes,&No", {{Qt::Key_Return}}, IDNO},
        {"Yes/No, Escape does nothing",
         MB_YESNO,
         "&Yes,&No",
         {{Qt::Key_Escape}, {Qt::Key_Escape}, {Qt::Key_Y}},
         IDYES},
        {"Yes/No, mnemonic", MB_YESNO, "&Yes,&No", {{Qt::Key_N}}, IDNO},
        {"Yes/No, Alt and mnemonic", MB_YESNO, "&Yes,&No", {{Qt::Key_N, Qt::AltModifier}}, IDNO},
        {"Yes/No, Tab and Space", MB_YESNO, "&Yes,&No", {{Qt::Key_Tab}, {Qt::Key_Space}}, IDNO},
        {"Yes/No/Cancel, third default",
         MB_YESNOCANCEL | MB_DEFBUTTON3,
         "&Yes,&No,Cancel",
         {{Qt::Key_Return}},
         IDCANCEL},
        {"Yes/No/Cancel, Escape", MB_YESNOCANCEL, "&Yes,&No,Cancel", {{Qt::Key_Escape}}, IDCANCEL},
        {"Abort/Retry/Ignore, Enter",
         MB_ABORTRETRYIGNORE | MB_ICONSTOP,
         "&Abort,&Retry,&Ignore",
         {{Qt::Key_Return}},
         IDABORT},
        {"Abort/Retry/Ignore, second default",
         MB_ABORTRETRYIGNORE | MB_DEFBUTTON2,
         "&Abort,&Retry,&Ignore",
         {{Qt::Key_Return}},
         IDRETRY},
        {"Abort/Retry/Ignore, third default",
         MB_ABORTRETRYIGNORE | MB_DEFBUTTON3,
         "&Abort,&Retry,&Ignore",
         {{Qt::Key_Return}},
         IDIGNORE},
        {"Abort/Retry/Ignore, Escape does nothing",
         MB_ABORTRETRYIGNORE,
         "&Abort,&Retry,&Ignore",
         {{Qt::Key_Escape}, {Qt::Key_I}},
         IDIGNORE},
        {"Retry/Cancel, Enter",
         MB_RETRYCANCEL | MB_ICONWARNING,
         "&Retry,Cancel",
         {{Qt::Key_Return}},
         IDRETRY},
        {"Retry/Cancel, Escape", MB_RETRYCANCEL, "&Retry,Cancel", {{Qt::Key_Escape}}, IDCANCEL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int got = RunBox("Go on?", c.flags, [&](QDialog* box) {
            EXPECT_EQ(Names(box).toStdString(), c.buttons);
            for (size_t i = 0; i < c.keys.size(); ++i) {
                ASSERT_TRUE(box->isVisible()) << "closed before key " << i;
                Press(box, c.keys[i]);
            }
            EXPECT_FALSE(box->isVisible());
        });
        EXPECT_EQ(got, c.expected);
    }
}

TEST(MessageBox, TheCloseButtonIsCancelOrNothing) {
    const int cancelled = RunBox("Close me", MB_YESNOCANCEL, [](QDialog* box) { box->close(); });
    EXPECT_EQ(cancelled, IDCANCEL);
    const int answered = RunBox("Close me", MB_YESNO, [](QDialog* box) {
        box->close();
        PumpEvents(2);
        EXPECT_TRUE(box->isVisible());
        Press(box, {Qt::Key_Return});
    });
    EXPECT_EQ(answered, IDYES);
}

// Saves the open box's picture under the build folder; the box must lie within the screen
// and show its text whole.
void ShootBox(QDialog* box, const char* name) {
    PumpEvents(2);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(box->frameGeometry().width(), screen.width()) << name;
    EXPECT_LE(box->frameGeometry().height(), screen.height()) << name;
    auto* label = box->findChild<QLabel*>(QStringLiteral("text"));
    ASSERT_NE(label, nullptr);
    EXPECT_GE(label->height(), label->heightForWidth(label->width())) << "text cut off";
    const std::string path = std::string(BV_BINARY_DIR) + "/" + name;
    EXPECT_TRUE(box->grab().save(QString::fromStdString(path))) << path;
}

TEST(MessageBox, MarkupIsShownAsTextWithItsLines) {
    const std::string text = "The file \"C:\\Music\\<b>bold</b> &lt;1&gt;.mp3\" cannot be read.\r\n"
                             "Second line & more\nThird line";
    RunBox(text, MB_OK | MB_ICONSTOP, [&](QDialog* box) {
        auto* label = box->findChild<QLabel*>(QStringLiteral("text"));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        const QString shown = label->text().remove(QChar(0x200B));
        EXPECT_EQ(shown.toStdString(),
                  "The file \"C:\\Music\\<b>bold</b> &lt;1&gt;.mp3\" cannot be read.\n"
                  "Second line & more\nThird line");
        ShootBox(box, "message_box_markup.png");
        Press(box, {Qt::Key_Return});
    });
}

TEST(MessageBox, AVeryLongPathStaysReadableOnTheScreen) {
    std::string path = "E:\\iTunes_Control\\Music";
    while (path.size() < 2000)
        path += "\\F" + std::to_string(path.size() % 50) + "_folder_with_a_long_name";
    path.resize(1996);
    path += ".mp3";
    const std::string text = "Cannot copy \"" + path + "\": the card is full.";
    RunBox(text, MB_RETRYCANCEL | MB_ICONWARNING, [&](QDialog* box) {
        auto* label = box->findChild<QLabel*>(QStringLiteral("text"));
        ASSERT_NE(label, nullptr);
        const std::string shown = label->text().remove(QChar(0x200B)).toStdString();
        // Its start and its file name are there; the middle may give way to an ellipsis.
        EXPECT_EQ(shown.rfind("Cannot copy \"E:\\iTunes_Control\\Music", 0), 0u);
        EXPECT_NE(shown.find(path.substr(path.size() - 120) + "\": the card is full."),
                  std::string::npos);
        ShootBox(box, "message_box_long_path.png");
        Press(box, {Qt::Key_Escape});
    });
}

TEST(MessageBox, ShownTextKeepsLinesAndCutsOnlyOverlongRuns) {
    EXPECT_EQ(MessageBoxShownText("one\r\ntwo\rthree\nfour"), "one\ntwo\nthree\nfour");
    EXPECT_EQ(MessageBoxShownText("<b>x</b> &amp;"), "<b>x</\xE2\x80\x8B"
                                                     "b> &amp;");
    // A path may wrap after each separator.
    EXPECT_EQ(MessageBoxShownText("C:\\a\\b.mp3"), "C:\\\xE2\x80\x8B"
                                                   "a\\\xE2\x80\x8B"
                                                   "b.mp3");
    const std::string run(5000, 'x');
    std::string shown = MessageBoxShownText("[" + run + "]");
    std::string plain;
    for (size_t i = 0; i < shown.size(); ++i)
        if (shown.compare(i, 3, "\xE2\x80\x8B") == 0)
            i += 2;
        else
            plain += shown[i];
    EXPECT_LT(plain.size(), 1100u);
    EXPECT_EQ(plain.front(), '[');
    EXPECT_EQ(plain.back(), ']');
    EXPECT_NE(plain.find("\xE2\x80\xA6"), std::string::npos);
    // Letters that take several bytes are never split.
    const std::string cyrillic = "\xD0\x96";
    std::string word;
    for (int i = 0; i < 1500; ++i)
        word += cyrillic;
    shown = MessageBoxShownText(word);
    EXPECT_TRUE(
        QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size())).isValidUtf16());
    EXPECT_EQ(
        QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size())).count(QChar(0xFFFD)),
        0);
}

} // namespace
