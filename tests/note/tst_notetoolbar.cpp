#include "note/frmDocument.h"
#include "note/notefiles.h"
#include "note/richtext/richtextbox.h"
#include "shell/frmMain.h"
#include "../support/scripteddialogs.h"
#include "../support/testenv.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTextBlock>
#include <QToolBar>
#include <QtTest>
#include <memory>

// The formatting toolbar, the selection state it shows and the clipboard
// commands, on the real editor and the real clipboard.
class TestNoteToolbar : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnv> env;
    std::unique_ptr<ScriptedDialogs> script;
    std::unique_ptr<frmMain> frame;
    frmDocument *d = nullptr;
    RichTextBox *r = nullptr;

    void select(int from, int to)
    {
        QTextCursor c = r->textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        r->setTextCursor(c);
    }
    void click(const char *key)
    {
        QAction *a = d->button(QString::fromUtf8(key));
        QVERIFY2(a, key);
        auto *b = qobject_cast<QAbstractButton *>(d->tbToolBar->widgetForAction(a));
        QVERIFY2(b, key);
        b->click();
    }
    bool pressed(const char *key) { return d->button(QString::fromUtf8(key))->isChecked(); }
    QClipboard *clipboard() { return QGuiApplication::clipboard(); }

    // "plain BOLD plain": the middle word bold, italic, underlined, red, in
    // another face and size.
    void formattedText()
    {
        r->setPlainText(QStringLiteral("plain BOLD plain"));
        select(6, 10);
        r->setSelBold(true);
        r->setSelItalic(true);
        r->setSelUnderline(true);
        r->setSelColor(QColor(200, 0, 0));
        r->setSelFontName(QStringLiteral("Noto Sans CJK JP"));
        r->setSelFontSize(18);
    }
    void verifyFormatted(int from, int to)
    {
        select(from, to);
        QCOMPARE(r->SelText(), QStringLiteral("BOLD"));
        QCOMPARE(r->SelBold(), std::optional<bool>(true));
        QCOMPARE(r->SelItalic(), std::optional<bool>(true));
        QCOMPARE(r->SelUnderline(), std::optional<bool>(true));
        QCOMPARE(r->SelColor(), std::optional<QColor>(QColor(200, 0, 0)));
        QCOMPARE(r->SelFontName(), std::optional<QString>(QStringLiteral("Noto Sans CJK JP")));
        QCOMPARE(r->SelFontSize(), std::optional<double>(18));
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        script = std::make_unique<ScriptedDialogs>();
        frame = std::make_unique<frmMain>();
        frame->show();
        d = &frmDocument::get();
        r = d->rtfText;
    }

    void cleanup()
    {
        frame.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        script.reset();
        env.reset();
    }

    void entries()
    {
        QStringList keys;
        for (QAction *a : d->tbToolBar->actions()) {
            keys << (a->isSeparator() ? QStringLiteral("|") : a->toolTip());
            QVERIFY(a->isSeparator() || a->icon().pixmap(16, 16).size() == QSize(16, 16));
        }
        QCOMPARE(keys, (QStringList{"開く", "上書き保存", "|", "|", "切り取り", "ｺﾋﾟｰ", "貼り付け", "|",
                                    "太字", "斜体", "下線", "|", "左揃え", "中央揃え", "右揃え", "|",
                                    "フォント", "|", "カラー", "|"}));
        QCOMPARE(d->imlToolbarIcons.size(), 13);

        // Save and Open on the toolbar are the menu's commands.
        Module1::NewNote();
        d->Modified = true;
        click("上書き保存");
        QCOMPARE(script->asked.value(0).kind, QStringLiteral("save"));
        d->Modified = false;
        click("開く");
        QCOMPARE(script->asked.value(1).kind, QStringLiteral("open"));
    }

    void togglesFollowTheText()
    {
        r->setPlainText(QStringLiteral("one two three"));
        const char *keys[] = {"太字", "斜体", "下線"};
        std::optional<bool> (RichTextBox::*get[])() const = {&RichTextBox::SelBold, &RichTextBox::SelItalic,
                                                             &RichTextBox::SelUnderline};
        for (int i = 0; i < 3; ++i) {
            select(4, 7);
            click(keys[i]);
            QCOMPARE((r->*get[i])(), std::optional<bool>(true));
            QVERIFY(pressed(keys[i]));
            click(keys[i]);
            QCOMPARE((r->*get[i])(), std::optional<bool>(false));
            QVERIFY(!pressed(keys[i]));
        }

        // The caret in bold text presses the button; plain text releases it.
        // Every selection change marks the note.
        select(4, 7);
        r->setSelBold(true);
        d->Modified = false;
        select(5, 5);
        QVERIFY(d->Modified);
        QVERIFY(pressed("太字"));
        select(10, 10);
        QVERIFY(!pressed("太字"));
        // A mixed selection shows released, and a toggle leaves it as it is.
        select(2, 6);
        QVERIFY(!pressed("太字"));
        click("太字");
        QCOMPARE(r->SelBold(), std::optional<bool>());
        QVERIFY(!pressed("太字"));
    }

    void alignmentGroup()
    {
        r->setPlainText(QStringLiteral("first\nsecond"));
        select(2, 2);
        click("右揃え");
        QCOMPARE(r->SelAlignment(), std::optional<int>(1));
        QVERIFY(pressed("右揃え"));
        select(3, 3);
        QVERIFY(pressed("右揃え"));
        QVERIFY(!pressed("左揃え"));
        click("中央揃え");
        QCOMPARE(r->SelAlignment(), std::optional<int>(2));
        QVERIFY(pressed("中央揃え"));
        QVERIFY(!pressed("右揃え"));
        select(1, 1);
        QVERIFY(pressed("中央揃え"));
        select(8, 8);
        QVERIFY(pressed("左揃え"));
        // Across a centred and a left-aligned paragraph: all released.
        select(2, 9);
        QVERIFY(!pressed("左揃え") && !pressed("中央揃え") && !pressed("右揃え"));
    }

    void fontAndColourDialogs()
    {
        formattedText();
        select(6, 10);
        script->fontAnswers << mirka::FontChoice{QStringLiteral("DejaVu Serif"), 9, false, false};
        click("フォント");
        const ScriptedDialogs::Asked font = script->asked.value(0);
        QCOMPARE(font.kind, QStringLiteral("font"));
        QCOMPARE(font.flags, 3);
        QCOMPARE(font.font.name, QStringLiteral("Noto Sans CJK JP"));
        QCOMPARE(font.font.size, 18.0);
        QVERIFY(font.font.bold && font.font.italic);
        // Exactly the four attributes change; underline and colour stay.
        QCOMPARE(r->SelFontName(), std::optional<QString>(QStringLiteral("DejaVu Serif")));
        QCOMPARE(r->SelFontSize(), std::optional<double>(9));
        QCOMPARE(r->SelBold(), std::optional<bool>(false));
        QCOMPARE(r->SelItalic(), std::optional<bool>(false));
        QCOMPARE(r->SelUnderline(), std::optional<bool>(true));
        QCOMPARE(r->SelColor(), std::optional<QColor>(QColor(200, 0, 0)));

        script->colorAnswers << QColor(0, 0, 255);
        click("カラー");
        QCOMPARE(script->asked.value(1).flags, 5);
        QCOMPARE(script->asked.value(1).color, QColor(200, 0, 0));
        QCOMPARE(r->SelColor(), std::optional<QColor>(QColor(0, 0, 255)));
        QVERIFY(d->dlgCommonDialog.CancelError);

        // Cancel changes nothing; a mixed selection shows no dialog at all.
        click("フォント");
        click("カラー");
        QCOMPARE(script->asked.size(), 4);
        QCOMPARE(r->SelFontName(), std::optional<QString>(QStringLiteral("DejaVu Serif")));
        QCOMPARE(r->SelColor(), std::optional<QColor>(QColor(0, 0, 255)));
        select(3, 8);
        click("フォント");
        click("カラー");
        QCOMPARE(script->asked.size(), 4);
    }

    void copyAndPaste()
    {
        formattedText();
        // Copy puts the RTF markup itself on the clipboard as plain text.
        select(6, 10);
        d->mnuEditCopy->trigger();
        QVERIFY(clipboard()->text().startsWith(QStringLiteral("{\\rtf")));
        QCOMPARE(clipboard()->text(), r->SelRTF());
        // Paste at the end keeps every attribute.
        select(16, 16);
        d->mnuEditPaste->trigger();
        QCOMPARE(r->Text(), QStringLiteral("plain BOLD plainBOLD"));
        verifyFormatted(16, 20);

        // Cut, then paste elsewhere; the toolbar runs the same commands, and
        // the focus in the theme box does not matter.
        d->Text1->setFocus();
        select(6, 10);
        click("切り取り");
        QCOMPARE(r->Text(), QStringLiteral("plain  plainBOLD"));
        QVERIFY(clipboard()->text().startsWith(QStringLiteral("{\\rtf")));
        select(0, 0);
        click("貼り付け");
        QCOMPARE(r->Text(), QStringLiteral("BOLDplain  plainBOLD"));
        verifyFormatted(0, 4);
        QCOMPARE(d->Text1->text(), QStringLiteral("テーマ名"));

        // Plain text from elsewhere pastes as plain text.
        clipboard()->setText(QStringLiteral("outside"));
        select(4, 4);
        click("貼り付け");
        QCOMPARE(r->Text(), QStringLiteral("BOLDoutsideplain  plainBOLD"));
        select(4, 11);
        QCOMPARE(r->SelText(), QStringLiteral("outside"));

        // An empty clipboard replaces the selection by nothing.
        clipboard()->clear();
        d->mnuEditPaste->trigger();
        QCOMPARE(r->Text(), QStringLiteral("BOLDplain  plainBOLD"));
        select(2, 2);
        d->mnuEditPaste->trigger();
        QCOMPARE(r->Text(), QStringLiteral("BOLDplain  plainBOLD"));
    }
};

QTEST_MAIN(TestNoteToolbar)
#include "tst_notetoolbar.moc"
