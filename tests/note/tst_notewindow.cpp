#include "browser/frmBrowser.h"
#include "common/codepage.h"
#include "common/fileerror.h"
#include "common/savefile.h"
#include "common/twips.h"
#include "model/notefile.h"
#include "note/frmDocument.h"
#include "note/notefiles.h"
#include "note/richtext/richtextbox.h"
#include "shell/Form1.h"
#include "shell/frmMain.h"
#include "../support/scripteddialogs.h"
#include "../support/testenv.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QFile>
#include <QToolBar>
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
#include <functional>
#include <memory>

#ifndef _WIN32
#include <sys/stat.h>
#endif

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

// The note window and its file pair, on real files in a folder of the
// test's own, inside the real frame, every dialog answered by the script.
class TestNoteWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnv> env;
    std::unique_ptr<ScriptedDialogs> script;
    std::unique_ptr<frmMain> frame;

    frmDocument &doc() { return *frmDocument::instance(); }
    int state() const { return Module1::NoteWindowState(); }
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
        QVERIFY(d.isModified());
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
        d.setModified(false);
        d.Command2->click();
        QCOMPARE(items(d.List1), (QStringList{"A", "B", "C"}));
        QCOMPARE(items(d.List2), (QStringList{"http://a/", "http://b/", "http://c/"}));
        QVERIFY(!d.isModified());
        // It leaves a "1" at "1" as well.
        d.setModified(true);
        d.List1->setCurrentRow(0);
        d.Command2->click();
        QVERIFY(d.isModified());
    }

    // Reading a saved pair back is the road the end-to-end test takes.
    void saveRules()
    {
        Module1::NewNote();
        QVERIFY(!doc().isModified());
        doc().Text1->setText(kTheme);
        doc().rtfText->setText(QStringLiteral("〜"));
        script->fileAnswers << env->path("調査.rtf");
        Module1::SaveNote(); // a new note: Save As
        QCOMPARE(lastKind(), QStringLiteral("save"));
        QVERIFY(script->asked.last().file.confirmOverwrite);
        QCOMPARE(env->read("調査.qvt"), kThemeLine);
        QVERIFY(env->read("調査.rtf").startsWith("{\\rtf"));
        QVERIFY(env->read("調査.rtf").contains("\\u12316\\'81\\'60")); // with CP932's bytes as the fallback
        QCOMPARE(doc().Caption(), env->path("調査.rtf"));
        QVERIFY(!doc().isModified());

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
        Module1::NewNote();
        script->fileAnswers << env->path("ab") << env->path("x.qvt");
        doc().setModified(true);
        Module1::SaveNoteAs();
        QVERIFY(QFile::exists(env->path("ab")));
        QCOMPARE(env->read("ab.qvt"), "\"" + mirka::cp932::encode(u"テーマ名") + "\"\r\n");
        // A name that is its own companion name is refused.
        doc().setModified(true);
        Module1::SaveNoteAs();
        QVERIFY(!QFile::exists(env->path("x.qvt")));
        QVERIFY(script->messages().last().contains(QStringLiteral("x.qvt")));
        QCOMPARE(doc().Caption(), env->path("ab"));
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

        // A companion ending after a title, a file that is not RTF: each
        // says which file and why, and the note stays as it was.
        doc().Text1->setText(QStringLiteral("changed again"));
        const QByteArray rtf = env->read("b.rtf");
        env->write("b.qvt", kThemeLine + "\"only a title\"\r\n");
        env->write("plain.rtf", "just text");
        script->messageAnswers << MsgAnswer::Yes << MsgAnswer::Yes;
        script->fileAnswers << env->path("b.rtf") << env->path("plain.rtf");
        Module1::OpenNote();
        Module1::OpenNote();
        const QStringList said = script->messages().filter(QStringLiteral("ファイルを開けませんでした。"));
        QCOMPARE(said.size(), 2);
        QVERIFY(said[0].contains(QDir::toNativeSeparators(env->path("b.qvt"))));
        QVERIFY(said[0].contains(QStringLiteral("途中で切れて")));
        QVERIFY(said[1].contains(QDir::toNativeSeparators(env->path("plain.rtf"))));
        QVERIFY(said[1].contains(QStringLiteral("RTF")));
        QCOMPARE(doc().Text1->text(), QStringLiteral("changed again"));
        QVERIFY(doc().isModified() && state() == 4 && doc().List1->count() == 2);
        QCOMPARE(env->read("b.rtf"), rtf);

        // An RTF from elsewhere, without a companion, opens with an empty
        // theme and no pages.
        env->write("外部.rtf", "{\\rtf1 from elsewhere\\par}");
        script->messageAnswers << MsgAnswer::Yes;
        script->fileAnswers << env->path("外部.rtf");
        Module1::OpenNote();
        QCOMPARE(doc().Caption(), env->path("外部.rtf"));
        QCOMPARE(doc().Text1->text(), QString());
        QCOMPARE(doc().List1->count(), 0);
        QCOMPARE(doc().rtfText->toPlainText(), QStringLiteral("from elsewhere"));
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

    void closingSequence()
    {
        savePair("c.rtf");
        doc().Text1->setText(QStringLiteral("changed"));
        script->messageAnswers << MsgAnswer::No;
        doc().closeWindow();
        QCOMPARE(script->asked.last().text, kAsk);
        QCOMPARE(script->asked.last().buttons, mirka::MsgButtons::YesNoCancel);
        QTRY_VERIFY(noteWindowGone());
        QCOMPARE(state(), 3);
        QVERIFY(env->read("c.qvt").startsWith(kThemeLine));

        // Yes shows Save As even for a note with a file. A save that cannot
        // be written is reported and the question comes again; cancelling
        // the save dialog keeps the window, as キャンセル does.
        script->fileAnswers << env->path("c.rtf");
        Module1::OpenNote();
        script->messageAnswers << MsgAnswer::Yes << MsgAnswer::Yes << MsgAnswer::Cancel;
        script->fileAnswers << env->path("no/such/e.rtf") << QString();
        const int asked = script->asked.size();
        doc().closeWindow();
        QCOMPARE(script->asked.size(), asked + 5);
        const QStringList said = script->messages().mid(script->messages().size() - 3);
        QCOMPARE(said[0], kAsk);
        QVERIFY(said[1].contains(QDir::toNativeSeparators(env->path("no/such/e.rtf"))));
        QCOMPARE(said[2], kAsk);
        doc().closeWindow();
        QCOMPARE(script->asked.size(), asked + 6);
        QVERIFY(frmDocument::instance() && doc().isModified() && state() == 4);
        script->messageAnswers << MsgAnswer::No;
        doc().closeWindow();
        QTRY_VERIFY(noteWindowGone());

        // Flag 0: nothing asked.
        const int n = script->asked.size();
        Module1::NewNote();
        doc().closeWindow();
        QTRY_VERIFY(noteWindowGone());
        QCOMPARE(script->asked.size(), n);

        // A window made by recording a page asks too: Yes saves it under a
        // name (the address in a form that leads back to the page), No
        // discards.
        frmDocument::AddRecordedPage(QStringLiteral("〜"), QStringLiteral("http://127.0.0.1/über"));
        script->messageAnswers << MsgAnswer::Yes << MsgAnswer::No;
        script->fileAnswers << env->path("rec.rtf");
        doc().closeWindow();
        QTRY_VERIFY(noteWindowGone());
        QCOMPARE(script->messages().last(), kAsk);
        QCOMPARE(env->read("rec.qvt"), "\"" + mirka::cp932::encode(u"テーマ名")
                     + "\"\r\n\"\x81\x60\",\"http://127.0.0.1/%C3%BCber\"\r\n");
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

    void saveFailures()
    {
        // A name the system refuses: reported, nothing changes.
        Module1::NewNote();
        doc().Text1->setText(kTheme);
        script->fileAnswers << env->path(QString(300, u'x') + ".rtf") << env->path("f.rtf");
        Module1::SaveNoteAs();
        QCOMPARE(script->messages().size(), 1);
        QVERIFY(script->messages().first().contains(QString(300, u'x')));
        QVERIFY(script->messages().first().contains(QStringLiteral("ファイル名が長すぎます")));
        QVERIFY(doc().isModified());
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
        QVERIFY(doc().isModified());
        QCOMPARE(doc().Caption(), env->path("f.rtf"));
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
        d.rtfText->moveCursor(QTextCursor::End);
        d.rtfText->paste();
        QTextCursor c(d.rtfText->document());
        c.setPosition(d.rtfText->document()->toPlainText().indexOf(QStringLiteral("図書館")) + 1);
        QCOMPARE(c.charFormat().anchorHref(), QStringLiteral("http://lib.example/"));
        auto *picture = new QMimeData;
        picture->setImageData(QImage(4, 4, QImage::Format_RGB32));
        QGuiApplication::clipboard()->setMimeData(picture);
        d.rtfText->paste();
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

    // A save the disk cannot hold: both old files stay byte for byte, the
    // flag stays, the user is told why.
    void fullDisk()
    {
        SmallFilesystem fs(64 * 1024);
        if (!fs.mounted())
            QSKIP(qPrintable(fs.whyNot()));
        const auto record = [](int from, int to) {
            for (int i = from; i < to; ++i)
                frmDocument::AddRecordedPage(QStringLiteral("page %1").arg(i), QStringLiteral("http://h/%1").arg(i));
        };
        Module1::NewNote();
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
        QVERIFY(mirka::readWholeFile(fs.path("n.rtf"), &now) && now == oldRtf);
        QVERIFY(mirka::readWholeFile(fs.path("n.qvt"), &now) && now == oldQvt);
    }

    // Only regular files of a sane size are read; no more recorded pages
    // than a note holds are loaded, and the user is told.
    void fileBounds()
    {
        savePair("g.rtf");
        const QByteArray rtf = env->read("g.rtf");
        doc().closeWindow();
        QTRY_VERIFY(noteWindowGone());
        QByteArray many = kThemeLine;
        for (int i = 0; i < 32770; ++i)
            many += "\"t" + QByteArray::number(i) + "\",\"u\"\r\n";
        env->write("g.qvt", many);
        script->fileAnswers << env->path("g.rtf");
        Module1::OpenNote();
        QCOMPARE(doc().List1->count(), 32767);
        QCOMPARE(doc().List2->item(32766)->text(), QStringLiteral("u"));
        QVERIFY(script->messages().last().contains(QStringLiteral("32767")));
        QCOMPARE(env->read("g.qvt"), many);
        doc().setModified(false);
        doc().closeWindow();
        QTRY_VERIFY(noteWindowGone());

        // A companion past 64 MB (sparse), a FIFO, a folder as the note.
        const auto refused = [this](const char *name, const QString &reason) {
            script->fileAnswers << env->path(name);
            Module1::OpenNote();
            QTRY_VERIFY(noteWindowGone());
            QVERIFY2(script->messages().last().contains(reason), name);
        };
        QFile big(env->path("g.qvt"));
        QVERIFY(big.resize(100LL * 1024 * 1024));
        refused("g.rtf", mirka::tooLargeReason(mirka::maxSettingsFileSize));
#ifndef _WIN32
        QVERIFY(QFile::remove(env->path("g.qvt")));
        QCOMPARE(::mkfifo(QFile::encodeName(env->path("g.qvt")).constData(), 0600), 0);
        refused("g.rtf", mirka::notRegularFileReason());
#endif
        QVERIFY(QDir(env->folder()).mkdir("h.rtf"));
        refused("h.rtf", mirka::notRegularFileReason());
        QCOMPARE(env->read("g.rtf"), rtf);
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
