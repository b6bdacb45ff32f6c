#include "../support/windowdriving.h"

#include <QMimeData>
#include <QTextBlock>

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
    void focusBody()
    {
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        r->setFocus();
        QCOMPARE(QApplication::focusWidget(), r);
    }

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
    // The formatted word came along as RTF (each attribute's way through
    // RTF is the editor's own test).
    bool formattedAt(int from)
    {
        select(from, from + 4);
        return r->SelText() == QStringLiteral("BOLD") && r->SelBold() == true
            && r->SelColor() == QColor(200, 0, 0) && r->SelFontSize() == 18.0;
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

    // Save and Open on the toolbar are the menu's commands.
    void fileButtons()
    {
        Module1::NewNote();
        d->setModified(true);
        click("上書き保存");
        QCOMPARE(script->asked.value(0).kind, QStringLiteral("save"));
        d->setModified(false);
        click("開く");
        QCOMPARE(script->asked.value(1).kind, QStringLiteral("open"));
    }

    // Bold, italic and underline from the buttons and from the keys, undone
    // and redone; the buttons follow the caret and every load; a mixed
    // selection shows released and a toggle makes all of it bold.
    void togglesFollowTheText()
    {
        r->setPlainText(QStringLiteral("one two three"));
        focusBody();
        const std::tuple<const char *, Qt::Key, std::optional<bool> (RichTextBox::*)() const> toggles[] = {
            {"太字", Qt::Key_B, &RichTextBox::SelBold},
            {"斜体", Qt::Key_I, &RichTextBox::SelItalic},
            {"下線", Qt::Key_U, &RichTextBox::SelUnderline}};
        for (const auto &[button, key, get] : toggles) {
            select(4, 7);
            click(button);
            QVERIFY2((r->*get)() == true && pressed(button), button);
            click(button);
            QVERIFY2((r->*get)() == false && !pressed(button), button);
            QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier);
            QVERIFY2((r->*get)() == true && pressed(button), button);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(r->SelUnderline() == false && !pressed("下線"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(r->SelUnderline() == true && pressed("下線"));
        QCOMPARE(r->Text(), QStringLiteral("one two three"));

        // Every selection change marks the note.
        d->setModified(false);
        select(5, 5);
        QVERIFY(d->isModified());
        QVERIFY(pressed("太字"));
        select(10, 10);
        QVERIFY(!pressed("太字"));
        select(2, 6);
        QVERIFY(!pressed("太字"));
        click("太字");
        QCOMPARE(r->SelBold(), std::optional<bool>(true));
        QVERIFY(pressed("太字"));

        // A centred bold heading at the caret right after Open; a new note
        // shows the plain left-aligned body.
        env->write("head.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\qc\\b\\f0 Heading\\par"
                               "\\pard\\b0 body\\par}");
        script->fileAnswers << env->path("head.rtf");
        d->setModified(false);
        Module1::OpenNote();
        QVERIFY(pressed("太字") && pressed("中央揃え") && !pressed("左揃え"));
        d->setModified(false);
        d->closeWindow();
        Module1::NewNote();
        d = frmDocument::instance();
        r = d->rtfText;
        QVERIFY(!pressed("太字") && pressed("左揃え"));
    }

    // One alignment button pressed at a time, following the caret's
    // paragraph; across two alignments, none.
    void alignmentGroup()
    {
        r->setPlainText(QStringLiteral("first\nsecond"));
        select(2, 2);
        click("右揃え");
        QCOMPARE(r->SelAlignment(), std::optional<int>(1));
        select(3, 3);
        QVERIFY(pressed("右揃え") && !pressed("左揃え"));
        click("中央揃え");
        QCOMPARE(r->SelAlignment(), std::optional<int>(2));
        QVERIFY(pressed("中央揃え") && !pressed("右揃え"));
        select(8, 8);
        QVERIFY(pressed("左揃え"));
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
        QCOMPARE(script->asked.value(1).color, QColor(200, 0, 0));
        QCOMPARE(r->SelColor(), std::optional<QColor>(QColor(0, 0, 255)));

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

    void fontDialogOkChangesNothing()
    {
        // Bold italic in the default face, which has no italic style here,
        // at the default 11.25 pt.
        r->setPlainText(QStringLiteral("本文 text"));
        select(0, 2);
        r->setSelBold(true);
        r->setSelItalic(true);
        script->fileAnswers << env->path("note.rtf");
        Module1::SaveNoteAs();
        const QByteArray before = env->read("note.rtf");
        QVERIFY(!before.isEmpty());

        select(0, 2);
        const QString face = *r->SelFontName();
        script->fontAnswers << mirka::FontChoice{face, 11.25, true, true}; // OK, untouched
        click("フォント");
        d->setModified(true); // the save writes even if nothing changed
        const ScriptedDialogs::Asked asked = script->asked.last();
        QCOMPARE(asked.font.name, RichTextBox::defaultBodyFont().family());
        QCOMPARE(asked.font.size, 11.25);
        QVERIFY(asked.font.bold && asked.font.italic);
        Module1::SaveNote();
        QCOMPARE(env->read("note.rtf"), before);

        // A fractional size is taken as it is.
        script->fontAnswers << mirka::FontChoice{face, 10.5, true, true};
        click("フォント");
        QCOMPARE(r->SelFontSize(), std::optional<double>(10.5));
        QCOMPARE(r->SelBold(), std::optional<bool>(true));
    }

    // The menu's and the toolbar's Copy put the RTF markup itself on the
    // clipboard as its text; Ctrl+C offers plain words, HTML and RTF; every
    // paste keeps the formatting, also from another program, and the
    // buttons follow it; the focus in the theme box does not matter.
    void clipboard()
    {
        formattedText();
        focusBody();
        select(6, 10);
        d->mnuEditCopy->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), r->SelRTF());
        select(16, 16);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(r->Text(), QStringLiteral("plain BOLD plainBOLD"));
        QVERIFY(formattedAt(16));

        select(6, 10);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
        const QMimeData *m = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(m->text(), QStringLiteral("BOLD"));
        QVERIFY(m->html().contains(QStringLiteral("BOLD")));
        for (const char *type : {"text/rtf", "text/richtext", "application/rtf"})
            QVERIFY2(m->data(QString::fromLatin1(type)).startsWith("{\\rtf"), type);
        select(0, 0);
        click("貼り付け");
        QCOMPARE(r->Text(), QStringLiteral("BOLDplain BOLD plainBOLD"));
        QVERIFY(formattedAt(0));
        QVERIFY(pressed("太字"));

        d->Text1->setFocus();
        select(0, 4);
        click("切り取り");
        QCOMPARE(r->Text(), QStringLiteral("plain BOLD plainBOLD"));
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("{\\rtf")));
        QCOMPARE(d->Text1->text(), QStringLiteral("テーマ名"));

        // From another program: an RTF format beside plain words, or HTML
        // only, or plain text.
        auto *rtf = new QMimeData;
        rtf->setText(QStringLiteral("red"));
        rtf->setData(QStringLiteral("text/rtf"), "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
                                                 "\\f0\\cf1\\i red}");
        QGuiApplication::clipboard()->setMimeData(rtf);
        r->setPlainText(QStringLiteral("[]"));
        select(1, 1);
        focusBody();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(r->Text(), QStringLiteral("[red]"));
        select(1, 4);
        QCOMPARE(r->SelItalic(), std::optional<bool>(true));
        QCOMPARE(r->SelColor(), std::optional<QColor>(QColor(255, 0, 0)));
        auto *html = new QMimeData;
        html->setText(QStringLiteral("big"));
        html->setHtml(QStringLiteral("<html><body><b>big</b></body></html>"));
        QGuiApplication::clipboard()->setMimeData(html);
        select(0, 0);
        click("貼り付け");
        QCOMPARE(r->Text(), QStringLiteral("big[red]"));
        select(0, 3);
        QCOMPARE(r->SelBold(), std::optional<bool>(true));
        QGuiApplication::clipboard()->setText(QStringLiteral("plain"));
        select(8, 8);
        d->mnuEditPaste->trigger();
        select(8, 13);
        QCOMPARE(r->SelText(), QStringLiteral("plain"));
        QCOMPARE(r->SelBold(), std::optional<bool>(false));

        // An empty clipboard replaces the selection by nothing.
        QGuiApplication::clipboard()->clear();
        d->mnuEditPaste->trigger();
        QCOMPARE(r->Text(), QStringLiteral("big[red]"));
    }
};

QTEST_MAIN(TestNoteToolbar)
#include "tst_notetoolbar.moc"
