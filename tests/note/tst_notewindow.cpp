#include "browser/frmBrowser.h"
#include "common/codepage.h"
#include "common/twips.h"
#include "note/frmDocument.h"
#include "note/notefiles.h"
#include "note/richtext/richtextbox.h"
#include "shell/frmMain.h"
#include "../support/scripteddialogs.h"
#include "../support/testenv.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>
#include <memory>

using mirka::MsgAnswer;
using mirka::twips::toPixels;

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

// The note window and its file pair, on real files in a folder of the
// test's own, inside the real frame, every dialog answered by the script.
class TestNoteWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnv> env;
    std::unique_ptr<ScriptedDialogs> script;
    std::unique_ptr<frmMain> frame;

    frmDocument &doc() { return *frmDocument::instance(); }
    int state() const { return frame->NoteWindowState; }
    QString lastKind() const { return script->asked.isEmpty() ? QString() : script->asked.last().kind; }

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
    void initTestCase() { mirka::twips::setDpiForTesting(96); }

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

    void recordedPagesAndNew()
    {
        // Recording with no note open makes an unregistered window.
        frmDocument::AddRecordedPage("A", "http://a/");
        frmDocument &d = doc();
        QCOMPARE(d.Caption(), QString());
        QCOMPARE(state(), 3);
        QVERIFY(d.Modified);
        frmDocument::AddRecordedPage("B", "http://b/");
        frmDocument::AddRecordedPage("B", "http://b/");
        frmDocument::AddRecordedPage("C", "http://c/");

        // New keeps the pages; a second New only says so.
        Module1::NewNote();
        QCOMPARE(d.Caption(), QStringLiteral("新規ファイル"));
        QCOMPARE(state(), 4);
        Module1::NewNote();
        QCOMPARE(script->messages(), QStringList{QStringLiteral("一つしかファイルは開くことができません")});
        QCOMPARE(frame->mdiArea()->subWindowList().size(), 1);

        // Delete: nothing selected does nothing; the second keeps pairs.
        d.Command2->click();
        QCOMPARE(d.List1->count(), 4);
        d.List1->setCurrentRow(1);
        d.Modified = false;
        d.Command2->click();
        QCOMPARE(items(d.List1), (QStringList{"A", "B", "C"}));
        QCOMPARE(items(d.List2), (QStringList{"http://a/", "http://b/", "http://c/"}));
        QVERIFY(!d.Modified);
    }

    void layoutRule()
    {
        frmDocument &d = frmDocument::get();
        d.resize(600, 400); // 9000 x 6000 twips
        QCOMPARE(d.rtfText->geometry(), toPixels(2100, 1000, 6900, 4800));
        QCOMPARE(d.rtfText->RightMargin(), 6500);
        QCOMPARE(d.List1->geometry(), toPixels(100, 1000, 2000, 4900));
        // Too narrow for the editor: it stays, the list still follows.
        d.resize(133, 200); // about 2000 x 3000
        QCOMPARE(d.rtfText->geometry(), toPixels(2100, 1000, 6900, 4800));
        QCOMPARE(d.rtfText->RightMargin(), 6500);
        QCOMPARE(d.List1->geometry(), toPixels(100, 1000, 2000, 1900));
    }

    // Reading a saved pair back is the road the end-to-end test takes.
    void saveRules()
    {
        Module1::NewNote();
        QVERIFY(!doc().Modified);
        doc().Text1->setText(kTheme);
        script->fileAnswers << env->path("調査.rtf");
        Module1::SaveNote(); // a new note: Save As
        QCOMPARE(lastKind(), QStringLiteral("save"));
        QVERIFY(script->asked.last().file.confirmOverwrite);
        QCOMPARE(env->read("調査.qvt"), kThemeLine);
        QVERIFY(env->read("調査.rtf").startsWith("{\\rtf"));
        QCOMPARE(doc().Caption(), env->path("調査.rtf"));
        QVERIFY(!doc().Modified);

        // Save right after a save writes nothing.
        QFile::remove(env->path("調査.qvt"));
        Module1::SaveNote();
        QVERIFY(!QFile::exists(env->path("調査.qvt")));

        // Pages in order; a double quote is kept apart so pages stay paired.
        frmDocument::AddRecordedPage(QStringLiteral("年表, 1900-1950"), QStringLiteral("file:///C:/docs/a.html"));
        frmDocument::AddRecordedPage(QStringLiteral("say \"hi\""), QStringLiteral("about:blank"));
        const int asked = script->asked.size();
        Module1::SaveNote();
        QCOMPARE(script->asked.size(), asked);
        QCOMPARE(env->read("調査.qvt"),
                 kThemeLine + "\"" + mirka::cp932::encode(u"年表, 1900-1950")
                     + "\",\"file:///C:/docs/a.html\"\r\n\"say \x81\x68hi\x81\x68\",\"about:blank\"\r\n");
    }

    void companionNames()
    {
        QCOMPARE(Module1::CompanionFileName("/d/調査.rtf"), QStringLiteral("/d/調査.qvt"));
        QCOMPARE(Module1::CompanionFileName("/d/memo"), QStringLiteral("/d/.qvt"));
        QCOMPARE(Module1::CompanionFileName("/d.x/ab"), QStringLiteral("/d.x/ab.qvt"));

        Module1::NewNote();
        script->fileAnswers << env->path("ab") << env->path("x.qvt");
        doc().Modified = true;
        Module1::SaveNoteAs();
        QVERIFY(QFile::exists(env->path("ab")));
        QCOMPARE(env->read("ab.qvt"), "\"" + mirka::cp932::encode(u"テーマ名") + "\"\r\n");
        // A name that is its own companion name is refused.
        doc().Modified = true;
        Module1::SaveNoteAs();
        QVERIFY(!QFile::exists(env->path("x.qvt")));
        QVERIFY(script->messages().last().contains(QStringLiteral("x.qvt")));
        QCOMPARE(doc().Caption(), env->path("ab"));
    }

    void openPaths()
    {
        // Cancel with no note open: the emptied window goes, nothing asked.
        Module1::OpenNote();
        QTRY_VERIFY(noteWindowGone());
        QCOMPARE(script->asked.size(), 1);

        // While modified: No keeps everything; Yes discards and asks for a file.
        savePair("b.rtf");
        doc().Text1->setText(QStringLiteral("changed"));
        script->messageAnswers << MsgAnswer::No << MsgAnswer::Yes;
        Module1::OpenNote();
        QCOMPARE(script->messages(), (QStringList{"現在、作成中のデータを消去します",
                                                  "ファイルを保存後、新しいデータを開いてください。"}));
        QCOMPARE(doc().Text1->text(), QStringLiteral("changed"));
        script->fileAnswers << env->path("b.rtf");
        Module1::OpenNote();
        QCOMPARE(script->asked.last().file.initialFile, env->path("b.rtf")); // remembered
        QCOMPARE(doc().Text1->text(), kTheme);
        QCOMPARE(items(doc().List2), (QStringList{"about:blank", "file:///C:/docs/a.html"}));
        QVERIFY(doc().Modified && state() == 4);

        // A companion ending after a title; the emptied note asks first.
        env->write("b.qvt", kThemeLine + "\"only a title\"\r\n");
        doc().Modified = false;
        script->fileAnswers << env->path("b.rtf");
        Module1::OpenNote();
        QCOMPARE(script->messages().last(), kAsk);
        QVERIFY(script->messages().at(script->messages().size() - 2).contains(QStringLiteral("途中で切れて")));
        QTRY_VERIFY(noteWindowGone());
        QCOMPARE(state(), 3);

        // A missing companion, and a file that is not RTF.
        const int asked = script->asked.size();
        QFile::remove(env->path("b.qvt"));
        env->write("plain.rtf", "just text");
        env->write("plain.qvt", "\"t\"\r\n");
        script->fileAnswers << env->path("b.rtf") << env->path("plain.rtf");
        Module1::OpenNote();
        QTRY_VERIFY(noteWindowGone());
        Module1::OpenNote();
        QTRY_VERIFY(noteWindowGone());
        // Each failure says which file and why before the window closes.
        QCOMPARE(script->asked.size(), asked + 4);
        const QStringList said = script->messages().mid(script->messages().size() - 2);
        QVERIFY(said[0].startsWith(QStringLiteral("ファイルを開けませんでした。")));
        QVERIFY(said[0].contains(QDir::toNativeSeparators(env->path("b.qvt"))));
        QVERIFY(said[1].contains(QDir::toNativeSeparators(env->path("plain.rtf"))));
        QVERIFY(said[1].contains(QStringLiteral("RTF")));
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

        // Left alone, it opens, and scrolls to its end.
        script->fileAnswers << env->path("long.rtf");
        Module1::OpenNote();
        QCOMPARE(state(), 4);
        QVERIFY(!frame->findChild<QProgressDialog *>());
        RichTextBox *box = doc().rtfText;
        QCOMPARE(box->document()->blockCount(), 1000001);
        box->verticalScrollBar()->setValue(box->verticalScrollBar()->maximum());
        QCoreApplication::processEvents();
        QCOMPARE(box->document()->lastBlock().text(), QStringLiteral("end"));
    }

    void closingSequence()
    {
        savePair("c.rtf");
        doc().Text1->setText(QStringLiteral("changed"));
        script->messageAnswers << MsgAnswer::No;
        doc().closeWindow();
        QCOMPARE(script->asked.last().text, kAsk);
        QCOMPARE(script->asked.last().buttons, mirka::MsgButtons::YesNo);
        QTRY_VERIFY(noteWindowGone());
        QCOMPARE(state(), 3);
        QVERIFY(env->read("c.qvt").startsWith(kThemeLine));

        // Yes shows Save As even for a note with a file. A save that cannot
        // be written is reported and the question comes again; a cancel then
        // discards.
        script->fileAnswers << env->path("c.rtf");
        Module1::OpenNote();
        script->messageAnswers << MsgAnswer::Yes << MsgAnswer::Yes;
        script->fileAnswers << env->path("no/such/e.rtf") << QString();
        const int asked = script->asked.size();
        doc().closeWindow();
        QCOMPARE(script->asked.size(), asked + 5);
        const QStringList said = script->messages().mid(script->messages().size() - 3);
        QCOMPARE(said[0], kAsk);
        QVERIFY(said[1].contains(QDir::toNativeSeparators(env->path("no/such/e.rtf"))));
        QCOMPARE(said[2], kAsk);
        QTRY_VERIFY(noteWindowGone());

        // Flag 0, or an unregistered window: nothing asked.
        const int n = script->asked.size();
        Module1::NewNote();
        doc().closeWindow();
        QTRY_VERIFY(noteWindowGone());
        frmDocument::AddRecordedPage("t", "about:blank");
        doc().closeWindow();
        QTRY_VERIFY(noteWindowGone());
        QCOMPARE(script->asked.size(), n);
        QCOMPARE(script->unscripted, 0);
    }

    void saveFailures()
    {
        // A name the system refuses: reported, nothing changes.
        Module1::NewNote();
        doc().Text1->setText(kTheme);
        script->fileAnswers << env->path(QString(300, u'x') + ".rtf") << env->path("f.rtf");
        Module1::SaveNoteAs();
        QCOMPARE(script->messages().size(), 1);
        QVERIFY(script->messages().first().contains(QString(300, u'x')));
        QVERIFY(doc().Modified);
        QCOMPARE(doc().Caption(), QStringLiteral("新規ファイル"));

        // A companion that cannot be replaced leaves the note file as it was.
        Module1::SaveNoteAs();
        const QByteArray note = env->read("f.rtf");
        QVERIFY(QFile::remove(env->path("f.qvt")));
        QVERIFY(QDir(env->folder()).mkpath("f.qvt/inside"));
        doc().rtfText->setText(QStringLiteral("new body"));
        Module1::SaveNote();
        QCOMPARE(script->messages().size(), 2);
        QVERIFY(script->messages().last().contains(QDir::toNativeSeparators(env->path("f.qvt"))));
        QCOMPARE(env->read("f.rtf"), note);
        QVERIFY(doc().Modified);
        QCOMPARE(doc().Caption(), env->path("f.rtf"));
    }

    void keysAndMenu()
    {
        frmDocument &d = frmDocument::get();
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));

        // Ctrl+A is Save As, in the editor and in the theme box alike.
        d.rtfText->setFocus();
        QTest::keyClick(d.rtfText, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(lastKind(), QStringLiteral("save"));
        QVERIFY(!d.rtfText->textCursor().hasSelection());
        d.Text1->setFocus();
        QTest::keyClick(d.Text1, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(script->asked.size(), 2);

        // The Window menu lists the three children; tiling goes to the frame.
        frmBrowser::createNew();
        frmBrowser::createNew();
        emit d.mnuWindow->aboutToShow();
        QCOMPARE(d.mnuWindow->actions().size(), 2 + 1 + 3);
        d.mnuWindowTileVertical->trigger();
        for (QMdiSubWindow *sub : frame->mdiArea()->subWindowList())
            QCOMPARE(sub->height(), frame->mdiArea()->viewport()->height());

        // Exit closes only the note window.
        d.mnuFileExit->trigger();
        QTRY_COMPARE(frame->mdiArea()->subWindowList().size(), 2);
        QVERIFY(!frmDocument::instance() && frame->isVisible());
    }
};

QTEST_MAIN(TestNoteWindow)
#include "tst_notewindow.moc"
