#include "../support/windowdriving.h"
#include "common/savefile.h"

#include <QMimeData>
#include <QProgressDialog>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <functional>

using mirka::MsgAnswer;

namespace {

const QString kTheme = QStringLiteral("地域の歴史");
const QByteArray kThemeLine = QByteArray("\"\x92\x6e\x88\xe6\x82\xcc\x97\xf0\x8e\x6a\"\r\n");
const QString kAsk = QStringLiteral("ファイルを保存しますか");

QStringList items(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace

// The note window and its file commands as the user meets them, inside the
// real frame on real files, every dialog answered by the script: the
// questions, Cancel, failed opens and saves, links, the modified flag. The
// file pair's own rules are the model's tests.
class TestNoteWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnv> env;
    std::unique_ptr<ScriptedDialogs> script;
    std::unique_ptr<frmMain> frame;

    frmDocument &doc() { return *frmDocument::instance(); }
    int state() const { return Module1::NoteWindowState(); }

    // True once the closed note window and its frame are deleted.
    bool noteWindowGone()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return !frmDocument::instance() && frame->mdiArea()->subWindowList().isEmpty();
    }

    // A saved pair: the theme and two pages.
    void savePair(const QString &name)
    {
        Module1::NewNote();
        doc().Text1->setText(kTheme);
        frmDocument::AddRecordedPage(QStringLiteral("図書館"), QStringLiteral("about:blank"));
        frmDocument::AddRecordedPage(QStringLiteral("年表, 1900-1950"),
                                     QStringLiteral("file:///C:/docs/a.html"));
        script->fileAnswers << env->path(name);
        Module1::SaveNote();
    }

private slots:

    void init()
    {
        env = std::make_unique<TestEnv>();
        script = std::make_unique<ScriptedDialogs>();
        frame = std::make_unique<frmMain>();
        frame->show();
    }

    void cleanup()
    {
        frame.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!frmDocument::instance());
        script.reset();
        env.reset();
    }

    void recordNewDeleteSave()
    {
        // Recording with no note open makes an unregistered window.
        frmDocument::AddRecordedPage("A", "http://a/");
        frmDocument &d = doc();
        QCOMPARE(d.Caption(), QString());
        QCOMPARE(state(), 3);
        QVERIFY(d.isModified());
        frmDocument::AddRecordedPage("B", "http://b/");
        frmDocument::AddRecordedPage("C", "http://c/");

        // New keeps the pages (a second New is the frame's test).
        Module1::NewNote();
        QCOMPARE(d.Caption(), QStringLiteral("新規ファイル"));
        QCOMPARE(state(), 4);

        // Delete: nothing selected does nothing; else the selected page.
        d.Command2->click();
        QCOMPARE(d.List1->count(), 3);
        d.List1->setCurrentRow(1);
        d.Command2->click();
        QCOMPARE(items(d.List1), (QStringList{"A", "C"}));
        QCOMPARE(items(d.List2), (QStringList{"http://a/", "http://c/"}));

        // A new note's Save is Save As; Save right after a save writes
        // nothing; a note with a file saves without asking.
        d.Text1->setText(kTheme);
        script->fileAnswers << env->path("調査.rtf");
        Module1::SaveNote();
        QVERIFY(script->asked.last().kind == "save" && script->asked.last().file.confirmOverwrite);
        const QByteArray pages = "\"A\",\"http://a/\"\r\n\"C\",\"http://c/\"\r\n";
        QCOMPARE(env->read("調査.qvt"), kThemeLine + pages);
        QCOMPARE(d.Caption(), env->path("調査.rtf"));
        QVERIFY(!d.isModified());
        QFile::remove(env->path("調査.qvt"));
        Module1::SaveNote();
        QVERIFY(!QFile::exists(env->path("調査.qvt")));
        frmDocument::AddRecordedPage(QStringLiteral("P"), QStringLiteral("about:blank"));
        Module1::SaveNote();
        QCOMPARE(script->asked.size(), 1);
        QCOMPARE(env->read("調査.qvt"), kThemeLine + pages + "\"P\",\"about:blank\"\r\n");
    }

    void openPaths()
    {
        // Cancel with no note open: no window appears, nothing is asked.
        Module1::OpenNote();
        QVERIFY(!frmDocument::instance());
        QCOMPARE(script->asked.size(), 1);

        // While modified: No keeps everything; Yes asks for a file, and a
        // cancel there still keeps everything.
        savePair("b.rtf");
        doc().Text1->setText(QStringLiteral("changed"));
        script->messageAnswers << MsgAnswer::No << MsgAnswer::Yes << MsgAnswer::Yes;
        Module1::OpenNote();
        QCOMPARE(script->messages(), (QStringList{"現在、作成中のデータを消去します",
                                                  "ファイルを保存後、新しいデータを開いてください。"}));
        Module1::OpenNote();
        QCOMPARE(doc().Text1->text(), QStringLiteral("changed"));
        QVERIFY(doc().isModified() && state() == 4 && doc().List1->count() == 2);
        QCOMPARE(script->asked.last().file.filter,
                 QStringLiteral("Mirkaのﾌｧｲﾙ (*.rtf)|*.rtf|すべてのファイル (*.*)|*.*"));
        script->fileAnswers << env->path("b.rtf");
        Module1::OpenNote();
        QCOMPARE(script->asked.last().file.initialFile, env->path("b.rtf")); // remembered
        QCOMPARE(doc().Text1->text(), kTheme);
        QCOMPARE(items(doc().List2), (QStringList{"about:blank", "file:///C:/docs/a.html"}));
        QVERIFY(doc().isModified() && state() == 4);

        // A file that is not RTF, or whose companion fails (the model's
        // test): which file and why, and the note stays as it was.
        doc().Text1->setText(QStringLiteral("changed again"));
        doc().rtfText->setText(QStringLiteral("body"));
        env->write("plain.rtf", "just text");
        script->messageAnswers << MsgAnswer::Yes;
        script->fileAnswers << env->path("plain.rtf");
        Module1::OpenNote();
        QVERIFY(script->messages().last().startsWith(QStringLiteral("ファイルを開けませんでした。")));
        QVERIFY(script->messages().last().contains(QDir::toNativeSeparators(env->path("plain.rtf"))));
        QVERIFY(script->messages().last().contains(QStringLiteral("RTF")));
        QCOMPARE(doc().Text1->text(), QStringLiteral("changed again"));
        QCOMPARE(doc().rtfText->toPlainText(), QStringLiteral("body"));
        QVERIFY(doc().isModified() && state() == 4 && doc().List1->count() == 2);
        doc().setModified(false);
    }

    void openLongNoteShowsProgress()
    {
        // A million empty paragraphs take seconds to read.
        QByteArray body = "{\\rtf1 ";
        for (int i = 0; i < 1000000; ++i)
            body += "\\par\r\n";
        env->write("long.rtf", body + "end}");
        env->write("long.qvt", kThemeLine);

        // The progress dialog appears while Open reads; Cancel ends Open as
        // cancelling the file dialog does.
        QString label, title;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            auto *p = frame->findChild<QProgressDialog *>();
            if (!p || !p->isVisible() || !label.isEmpty())
                return;
            label = p->labelText();
            title = p->windowTitle();
            QTest::mouseClick(p->findChild<QPushButton *>(), Qt::LeftButton);
        });
        watch.start(20);
        script->fileAnswers << env->path("long.rtf");
        const int asked = script->asked.size();
        Module1::OpenNote();
        watch.stop();
        QCOMPARE(label, QStringLiteral("ノートを読み込んでいます..."));
        QCOMPARE(title, QStringLiteral("webMirkabrowser"));
        QTRY_VERIFY(noteWindowGone());
        QCOMPARE(state(), 3);
        QCOMPARE(script->asked.size(), asked + 1); // the file dialog only

        // Left alone, it opens; Ctrl+End shows its end, where typing goes,
        // and Ctrl+Home its start. (Past about twenty million pixels the
        // editor's own scroll range overflowed and the view stayed at the top.)
        script->fileAnswers << env->path("long.rtf");
        Module1::OpenNote();
        QCOMPARE(state(), 4);
        QVERIFY(!frame->findChild<QProgressDialog *>());
        RichTextBox *box = doc().rtfText;
        QCOMPARE(box->document()->blockCount(), 1000001);
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_COMPARE(QApplication::focusWidget(), box);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("!"));
        QCOMPARE(box->document()->lastBlock().text(), QStringLiteral("end!"));
        // The window showed at its own width: the layout for it finishes a
        // slice at a time, and the scroll range follows.
        QScrollBar *bar = box->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 1000000);
        QTRY_VERIFY(bar->value() > bar->maximum() - box->viewport()->height());
        QVERIFY(box->viewport()->rect().contains(box->cursorRect()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home, Qt::ControlModifier);
        QVERIFY(bar->value() < box->viewport()->height());
        doc().setModified(false);
    }

    // Yes shows Save As even for a note with a file. A save that cannot be
    // written is reported and the question comes again; cancelling the save
    // dialog keeps the window, as キャンセル does.
    void closingSequence()
    {
        savePair("c.rtf");
        doc().Text1->setText(QStringLiteral("changed"));
        script->messageAnswers << MsgAnswer::Yes << MsgAnswer::Yes << MsgAnswer::Cancel;
        script->fileAnswers << env->path("no/such/e.rtf") << QString();
        const int asked = script->asked.size();
        doc().closeWindow();
        QCOMPARE(script->asked.size(), asked + 5);
        const QStringList said = script->messages().mid(script->messages().size() - 3);
        QCOMPARE(said[0], kAsk);
        QCOMPARE(script->asked[asked].buttons, mirka::MsgButtons::YesNoCancel);
        QVERIFY(said[1].contains(QDir::toNativeSeparators(env->path("no/such/e.rtf"))));
        QCOMPARE(said[2], kAsk);
        doc().closeWindow();
        QCOMPARE(script->asked.size(), asked + 6);
        QVERIFY(frmDocument::instance() && doc().isModified() && state() == 4);
        script->messageAnswers << MsgAnswer::No;
        doc().closeWindow();
        QTRY_VERIFY(noteWindowGone());
        QCOMPARE(state(), 3);

        // Flag 0: nothing asked.
        const int n = script->asked.size();
        Module1::NewNote();
        doc().closeWindow();
        QTRY_VERIFY(noteWindowGone());
        QCOMPARE(script->asked.size(), n);

        // A window made by recording a page asks too: Yes saves it under a
        // name (the address in a form that leads back to the page), No
        // discards.
        frmDocument::AddRecordedPage(QStringLiteral("R"), QStringLiteral("http://r/"));
        script->messageAnswers << MsgAnswer::Yes << MsgAnswer::No;
        script->fileAnswers << env->path("rec.rtf");
        doc().closeWindow();
        QTRY_VERIFY(noteWindowGone());
        QCOMPARE(script->messages().last(), kAsk);
        QVERIFY(env->read("rec.qvt").endsWith("\"R\",\"http://r/\"\r\n"));
        // Open asks before it empties such a window; No keeps the page.
        frmDocument::AddRecordedPage("t", "about:blank");
        script->messageAnswers << MsgAnswer::No << MsgAnswer::No;
        Module1::OpenNote();
        QCOMPARE(script->messages().last(), QStringLiteral("ファイルを保存後、新しいデータを開いてください。"));
        QCOMPARE(doc().List1->count(), 1);
        doc().closeWindow();
        QTRY_VERIFY(noteWindowGone());
        QCOMPARE(script->asked.size(), n + 5);
        QCOMPARE(script->unscripted, 0);
    }

    // A save that cannot be written, for a name the system refuses or on a
    // full disk: the user is told the file and why; the old files stay byte
    // for byte, the flag and the caption as they were.
    void saveFailures()
    {
        Module1::NewNote();
        doc().Text1->setText(kTheme);
        script->fileAnswers << env->path(QString(300, u'x') + ".rtf");
        Module1::SaveNoteAs();
        QCOMPARE(script->messages().size(), 1);
        QVERIFY(script->messages().first().contains(QString(300, u'x')));
        QVERIFY(script->messages().first().contains(QStringLiteral("ファイル名が長すぎます")));
        QVERIFY(doc().isModified());
        QCOMPARE(doc().Caption(), QStringLiteral("新規ファイル"));

        SmallFilesystem fs(64 * 1024);
        if (!fs.mounted())
            QSKIP(qPrintable(fs.whyNot()));
        const auto record = [](int from, int to) {
            for (int i = from; i < to; ++i)
                frmDocument::AddRecordedPage(QStringLiteral("page %1").arg(i), QStringLiteral("http://h/%1").arg(i));
        };
        record(0, 100);
        script->fileAnswers << fs.path("n.rtf");
        Module1::SaveNote();
        QByteArray oldRtf, oldQvt, now;
        QVERIFY(mirka::readWholeFile(fs.path("n.rtf"), &oldRtf) && mirka::readWholeFile(fs.path("n.qvt"), &oldQvt));
        fs.fillLeaving(4096);
        record(100, 200);
        doc().rtfText->setText(QString(3000, u'本'));
        Module1::SaveNote();
        QVERIFY(script->messages().last().contains(QStringLiteral("ディスクの空き容量が足りません")));
        QVERIFY(doc().isModified());
        QCOMPARE(doc().Caption(), fs.path("n.rtf"));
        QVERIFY(mirka::readWholeFile(fs.path("n.rtf"), &now) && now == oldRtf);
        QVERIFY(mirka::readWholeFile(fs.path("n.qvt"), &now) && now == oldQvt);
        doc().setModified(false);
    }

    void linksInTheBody()
    {
        frmDocument &d = frmDocument::get();
        QVERIFY(d.rtfText->LoadRtf(
            "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"javascript:alert(1)\"}{\\fldrslt bad}} and "
            "{\\field{\\*\\fldinst HYPERLINK \"about:blank\"}{\\fldrslt good}}\\par}"));
        const auto ctrlClick = [&](const QString &word) {
            QTextCursor c(d.rtfText->document());
            c.setPosition(d.rtfText->document()->toPlainText().indexOf(word) + 1);
            const QPoint at = d.rtfText->cursorRect(c).center();
            QTest::mouseClick(d.rtfText->viewport(), Qt::LeftButton, Qt::ControlModifier, at);
        };
        // A javascript: address is not run: it is named in a message.
        ctrlClick("bad");
        QCOMPARE(script->messages(), QStringList{QStringLiteral("このアドレスは開けません\njavascript:alert(1)")});
        QVERIFY(!frmBrowser::sharedIfOpen());
        // Any other link goes to the shared browser, as a recorded page does.
        ctrlClick("good");
        QVERIFY(frmBrowser::sharedIfOpen());
        QCOMPARE(frmBrowser::sharedIfOpen()->cboAddress->currentText(), QStringLiteral("about:blank"));

        // A recorded page dropped into the body is a link to its address;
        // a pasted picture is kept and saved as PNG.
        auto *mime = new QMimeData;
        mime->setData(RichTextBox::recordedPageMimeType(), QStringLiteral("図書館\nhttp://lib.example/").toUtf8());
        mime->setImageData(QImage(4, 4, QImage::Format_RGB32));
        QGuiApplication::clipboard()->setMimeData(mime);
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        d.rtfText->setFocus();
        d.rtfText->moveCursor(QTextCursor::End);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        QTextCursor c(d.rtfText->document());
        c.setPosition(d.rtfText->document()->toPlainText().indexOf(QStringLiteral("図書館")) + 1);
        QCOMPARE(c.charFormat().anchorHref(), QStringLiteral("http://lib.example/"));
        auto *picture = new QMimeData;
        picture->setImageData(QImage(4, 4, QImage::Format_RGB32));
        QGuiApplication::clipboard()->setMimeData(picture);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        const QByteArray rtf = d.rtfText->RtfBytes();
        QVERIFY(rtf.contains("HYPERLINK \"http://lib.example/\""));
        QVERIFY(rtf.contains("\\pngblip\\picw4\\pich4"));
    }

    // Every change of the body's text or formatting marks the note, also
    // when the caret does not move; a save of a note with a file clears it.
    void modifiedFlag()
    {
        Module1::NewNote();
        frmDocument &d = doc();
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        QVERIFY(!d.isModified());
        d.rtfText->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("abc def"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home, Qt::ShiftModifier);
        script->fileAnswers << env->path("m.rtf");
        Module1::SaveNote();
        QVERIFY(!d.isModified());

        const auto click = [&d](const char *key) {
            auto *b = qobject_cast<QAbstractButton *>(d.tbToolBar->widgetForAction(d.button(QString::fromUtf8(key))));
            b->click();
        };
        script->colorAnswers << QColor(Qt::red);
        const QList<std::function<void()>> changes{
            [&] { click("太字"); },
            [&] { click("中央揃え"); },
            [&] { click("カラー"); },
            [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier); },
            [&] {
                QGuiApplication::clipboard()->setText(QStringLiteral("x"));
                d.mnuEditPaste->trigger();
            },
        };
        QByteArray before = env->read("m.rtf");
        for (qsizetype i = 0; i < changes.size(); ++i) {
            changes[i]();
            QVERIFY2(d.isModified(), qPrintable(QString::number(i)));
            Module1::SaveNote();
            QVERIFY(!d.isModified());
            QVERIFY2(env->read("m.rtf") != before, qPrintable(QString::number(i)));
            before = env->read("m.rtf");
        }

        // Line breaks pasted into the theme box become spaces.
        QGuiApplication::clipboard()->setText(QStringLiteral("a\r\nb\nc"));
        d.Text1->setFocus();
        d.Text1->clear();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(d.Text1->text(), QStringLiteral("a b c"));
    }

    void keysAndMenu()
    {
        frmDocument &d = frmDocument::get();
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));

        // Ctrl+A is Save As, in the editor and in the theme box alike.
        d.rtfText->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(script->asked.value(0).kind, QStringLiteral("save"));
        QVERIFY(!d.rtfText->textCursor().hasSelection());
        d.Text1->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(script->asked.size(), 2);
        // The export stands before Exit, the File menu's last item.
        QCOMPARE(d.menus().first()->actions().last(), d.mnuFileExit);

        // Tiling from the note's Window menu tiles the frame's children.
        frmBrowser::createNew();
        d.mnuWindowTileVertical->trigger();
        for (QMdiSubWindow *sub : frame->mdiArea()->subWindowList())
            QCOMPARE(sub->height(), frame->mdiArea()->viewport()->height());

        // Exit closes only the note window.
        d.mnuFileExit->trigger();
        QTRY_COMPARE(frame->mdiArea()->subWindowList().size(), 1);
        QVERIFY(!frmDocument::instance() && frame->isVisible());
    }
};

QTEST_MAIN(TestNoteWindow)
#include "tst_notewindow.moc"
