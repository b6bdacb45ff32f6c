#include "common/apptitle.h"
#include "common/codepage.h"
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
#include <QtTest>
#include <memory>

using mirka::MsgAnswer;

namespace {

const QString kTheme = QStringLiteral("地域の歴史");
const QByteArray kThemeLine = QByteArray("\"\x92\x6e\x88\xe6\x82\xcc\x97\xf0\x8e\x6a\"\r\n");

QStringList items(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace

// The file commands and the closing sequence, on real files in a folder of
// the test's own, with every dialog answered by the script.
class TestNoteFiles : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnv> env;
    std::unique_ptr<ScriptedDialogs> script;
    std::unique_ptr<frmMain> frame;

    frmDocument &doc() { return *frmDocument::instance(); }
    int state() const { return frame->NoteWindowState; }

    // Waits until the closed note window (and its frame) has been deleted.
    bool noteWindowGone()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return !frmDocument::instance() && frame->mdiArea()->subWindowList().isEmpty();
    }

    // A saved pair: the theme, two pages and a bold word in the body.
    void savePair(const QString &name)
    {
        Module1::NewNote();
        doc().Text1->setText(kTheme);
        doc().rtfText->setText(QStringLiteral("本文 bold"));
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

    void newNote()
    {
        // A page recorded with no note open makes an unregistered window.
        frmDocument::AddRecordedPage(QStringLiteral("図書館"), QStringLiteral("about:blank"));
        QVERIFY(frmDocument::instance());
        QCOMPARE(doc().Caption(), QString());
        QCOMPARE(state(), 3);
        QVERIFY(doc().Modified);

        // New keeps it, now as the open note.
        Module1::NewNote();
        QCOMPARE(doc().Caption(), QStringLiteral("新規ファイル"));
        QCOMPARE(state(), 4);
        QCOMPARE(items(doc().List1), QStringList{QStringLiteral("図書館")});
        QCOMPARE(doc().Text1->text(), QStringLiteral("テーマ名"));

        // A second New only says so.
        doc().Text1->setText(QStringLiteral("x"));
        Module1::NewNote();
        QCOMPARE(script->messages(), QStringList{QStringLiteral("一つしかファイルは開くことができません")});
        QCOMPARE(script->asked.last().title, mirka::appTitle());
        QCOMPARE(script->asked.last().buttons, mirka::MsgButtons::OK);
        QCOMPARE(doc().Text1->text(), QStringLiteral("x"));
        QCOMPARE(frame->mdiArea()->subWindowList().size(), 1);
    }

    void saveAsWritesTheExactPair()
    {
        Module1::NewNote();
        QVERIFY(!doc().Modified);
        doc().Text1->setText(kTheme);
        QVERIFY(doc().Modified);

        // Save of a new note runs Save As.
        script->fileAnswers << env->path("調査.rtf");
        Module1::SaveNote();
        const ScriptedDialogs::Asked &save = script->asked.last();
        QCOMPARE(save.kind, QStringLiteral("save"));
        QCOMPARE(save.text, QStringLiteral("名前を付けて保存"));
        QCOMPARE(save.file.filter, QStringLiteral("Mirkaのﾌｧｲﾙ (*.rtf)|*.rtf"));
        QVERIFY(save.file.confirmOverwrite);
        QCOMPARE(doc().dlgCommonDialog.Flags, 2);
        QVERIFY(!doc().dlgCommonDialog.CancelError);

        QCOMPARE(env->read("調査.qvt"), kThemeLine);
        QCOMPARE(env->read("調査.qvt").size(), 14);
        QVERIFY(env->read("調査.rtf").startsWith("{\\rtf"));
        QCOMPARE(doc().Caption(), env->path("調査.rtf"));
        QVERIFY(!doc().Modified);
        QCOMPARE(state(), 4);

        // Save right after a save does nothing.
        QFile::remove(env->path("調査.qvt"));
        Module1::SaveNote();
        QVERIFY(!QFile::exists(env->path("調査.qvt")));

        // Pages are written in order; Save overwrites without a dialog.
        const int asked = script->asked.size();
        frmDocument::AddRecordedPage(QStringLiteral("図書館"), QStringLiteral("about:blank"));
        frmDocument::AddRecordedPage(QStringLiteral("年表, 1900-1950"),
                                     QStringLiteral("file:///C:/docs/a.html"));
        Module1::SaveNote();
        QCOMPARE(script->asked.size(), asked);
        QCOMPARE(env->read("調査.qvt"),
                 kThemeLine + "\"" + mirka::cp932::encode(u"図書館") + "\",\"about:blank\"\r\n\""
                     + mirka::cp932::encode(u"年表, 1900-1950") + "\",\"file:///C:/docs/a.html\"\r\n");

        // Save As offers the remembered name.
        script->fileAnswers << QString();
        Module1::SaveNoteAs();
        QCOMPARE(script->asked.last().file.initialFile, env->path("調査.rtf"));
    }

    void companionNames()
    {
        QCOMPARE(Module1::CompanionFileName("/d/調査.rtf"), QStringLiteral("/d/調査.qvt"));
        QCOMPARE(Module1::CompanionFileName("/d/memo"), QStringLiteral("/d/.qvt"));
        QCOMPARE(Module1::CompanionFileName("/d/ab"), QStringLiteral("/d/ab.qvt"));
        QCOMPARE(Module1::CompanionFileName("/d.x/a"), QStringLiteral("/d.x/a.qvt"));

        // A four-character name keeps the rule; a shorter one keeps itself.
        Module1::NewNote();
        script->fileAnswers << env->path("memo") << env->path("ab");
        doc().Modified = true;
        Module1::SaveNoteAs();
        QVERIFY(QFile::exists(env->path("memo")));
        QCOMPARE(env->read(".qvt"), "\"" + mirka::cp932::encode(u"テーマ名") + "\"\r\n");
        Module1::SaveNoteAs();
        QVERIFY(QFile::exists(env->path("ab")));
        QCOMPARE(env->read("ab.qvt"), env->read(".qvt"));
        QCOMPARE(doc().Caption(), env->path("ab"));

        // A note name that is its own companion name is refused.
        script->fileAnswers << env->path("x.qvt");
        doc().Modified = true;
        Module1::SaveNoteAs();
        QVERIFY(!QFile::exists(env->path("x.qvt")));
        QVERIFY(script->messages().last().contains(QStringLiteral("x.qvt")));
        QVERIFY(doc().Modified);
        QCOMPARE(doc().Caption(), env->path("ab"));
    }

    void openRestoresThePair()
    {
        savePair("調査.rtf");
        // A double quote in a title is kept apart so later pages stay paired.
        frmDocument::AddRecordedPage(QStringLiteral("say \"hi\""), QStringLiteral("http://a/?q=\"x\""));
        frmDocument::AddRecordedPage(QStringLiteral("last"), QStringLiteral("about:blank"));
        Module1::SaveNote();
        doc().Modified = false;
        doc().closeWindow();
        QTRY_VERIFY(noteWindowGone());
        QCOMPARE(state(), 3);

        script->fileAnswers << env->path("調査.rtf");
        Module1::OpenNote();
        QCOMPARE(script->asked.last().kind, QStringLiteral("open"));
        QCOMPARE(script->asked.last().text, QStringLiteral("開く"));
        QVERIFY(doc().dlgCommonDialog.CancelError);
        QCOMPARE(state(), 4);
        QVERIFY(doc().isVisible());
        QCOMPARE(doc().Caption(), env->path("調査.rtf"));
        QCOMPARE(doc().Text1->text(), kTheme);
        QCOMPARE(doc().rtfText->Text(), QStringLiteral("本文 bold"));
        QCOMPARE(items(doc().List1),
                 (QStringList{"図書館", "年表, 1900-1950", "say ”hi”", "last"}));
        QCOMPARE(items(doc().List2),
                 (QStringList{"about:blank", "file:///C:/docs/a.html", "http://a/?q=”x”", "about:blank"}));
        QVERIFY(doc().Modified);
    }

    void openWhileModified()
    {
        savePair("a.rtf");
        doc().Text1->setText(QStringLiteral("changed"));

        // No: the second message, and nothing changes.
        script->messageAnswers << MsgAnswer::No;
        Module1::OpenNote();
        QCOMPARE(script->messages(), (QStringList{"現在、作成中のデータを消去します",
                                                  "ファイルを保存後、新しいデータを開いてください。"}));
        QCOMPARE(script->asked[script->asked.size() - 2].buttons, mirka::MsgButtons::YesNo);
        QCOMPARE(doc().Text1->text(), QStringLiteral("changed"));
        QCOMPARE(doc().Caption(), env->path("a.rtf"));

        // Yes: discarded unsaved, and the open dialog shows.
        script->messageAnswers << MsgAnswer::Yes;
        script->fileAnswers << env->path("a.rtf");
        Module1::OpenNote();
        QCOMPARE(script->asked[script->asked.size() - 1].kind, QStringLiteral("open"));
        QCOMPARE(doc().Text1->text(), kTheme);
        QCOMPARE(doc().List1->count(), 2);
        QCOMPARE(state(), 4);
    }

    void openFailures()
    {
        // Cancel with no note open: the emptied window goes, nothing is asked.
        Module1::OpenNote();
        QCOMPARE(script->asked.size(), 1);
        QTRY_VERIFY(noteWindowGone());
        QCOMPARE(state(), 3);

        // A file that is not RTF.
        env->write("plain.rtf", "just text");
        env->write("plain.qvt", "\"t\"\r\n");
        script->fileAnswers << env->path("plain.rtf");
        Module1::OpenNote();
        QTRY_VERIFY(noteWindowGone());

        // A companion ending after a title.
        savePair("b.rtf");
        env->write("b.qvt", kThemeLine + "\"only a title\"\r\n");
        doc().Modified = false;
        script->fileAnswers << env->path("b.rtf");
        Module1::OpenNote();
        // The emptied theme made the open note modified: the closing sequence asks.
        QCOMPARE(script->messages(), QStringList{QStringLiteral("ファイルを保存しますか")});
        QTRY_VERIFY(noteWindowGone());
        QCOMPARE(state(), 3);

        // A missing companion.
        QVERIFY(QFile::remove(env->path("b.qvt")));
        script->fileAnswers << env->path("b.rtf");
        Module1::OpenNote();
        QTRY_VERIFY(noteWindowGone());
        QCOMPARE(script->messages().size(), 1); // state was 3: nothing asked
    }

    void closingSequence()
    {
        // Flag 1: asked; No closes without saving.
        savePair("c.rtf");
        const QByteArray before = env->read("c.qvt");
        doc().Text1->setText(QStringLiteral("changed"));
        script->messageAnswers << MsgAnswer::No;
        doc().closeWindow();
        const ScriptedDialogs::Asked &q = script->asked.last();
        QCOMPARE(q.text, QStringLiteral("ファイルを保存しますか"));
        QCOMPARE(q.title, QStringLiteral("保存"));
        QCOMPARE(q.buttons, mirka::MsgButtons::YesNo);
        QTRY_VERIFY(noteWindowGone());
        QCOMPARE(state(), 3);
        QCOMPARE(env->read("c.qvt"), before);

        // Yes shows Save As even for a note with a file; the save is written.
        script->fileAnswers << env->path("c.rtf");
        Module1::OpenNote();
        doc().Text1->setText(QStringLiteral("after"));
        script->messageAnswers << MsgAnswer::Yes;
        script->fileAnswers << env->path("d.rtf");
        doc().closeWindow();
        QCOMPARE(script->asked.last().kind, QStringLiteral("save"));
        QTRY_VERIFY(noteWindowGone());
        QVERIFY(env->read("d.qvt").startsWith("\"after\""));

        // Yes, then a save that cannot be written: reported, asked again.
        Module1::NewNote();
        doc().Text1->setText(QStringLiteral("keep"));
        script->messageAnswers << MsgAnswer::Yes << MsgAnswer::Yes;
        script->fileAnswers << env->path("no/such/folder/e.rtf") << QString();
        const int asked = script->asked.size();
        doc().closeWindow();
        // question, save dialog, failure, question, save dialog (cancelled)
        QCOMPARE(script->asked.size(), asked + 5);
        const QStringList said = script->messages().mid(script->messages().size() - 3);
        QCOMPARE(said[0], QStringLiteral("ファイルを保存しますか"));
        QVERIFY(said[1].contains(QDir::toNativeSeparators(env->path("no/such/folder/e.rtf"))));
        QCOMPARE(said[2], QStringLiteral("ファイルを保存しますか"));
        // The cancel after Yes discards, as the question allows.
        QTRY_VERIFY(noteWindowGone());
        QCOMPARE(state(), 3);

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

        // The frame's exit closes the note first, through the same question.
        Module1::NewNote();
        doc().Text1->setText(QStringLiteral("at exit"));
        script->messageAnswers << MsgAnswer::No;
        frame->close();
        QCOMPARE(script->messages().last(), QStringLiteral("ファイルを保存しますか"));
        QTRY_VERIFY(noteWindowGone());
    }

    void saveFailures()
    {
        // Save As to a name the system refuses: reported, nothing changes.
        Module1::NewNote();
        doc().Text1->setText(kTheme);
        const QString tooLong = env->path(QString(300, u'x') + ".rtf");
        script->fileAnswers << tooLong;
        Module1::SaveNoteAs();
        QCOMPARE(script->messages().size(), 1);
        QVERIFY(script->messages().first().contains(QString(300, u'x')));
        QVERIFY(doc().Modified);
        QCOMPARE(doc().Caption(), QStringLiteral("新規ファイル"));

        // A saved pair whose companion cannot be replaced: the note file is
        // left as it was too, the flag stays, the caption keeps the name.
        script->fileAnswers << env->path("f.rtf");
        Module1::SaveNoteAs();
        const QByteArray note = env->read("f.rtf");
        const QByteArray companion = env->read("f.qvt");
        QVERIFY(QFile::remove(env->path("f.qvt")));
        QVERIFY(QDir(env->folder()).mkpath("f.qvt/inside"));
        doc().rtfText->setText(QStringLiteral("new body"));
        doc().Text1->setText(QStringLiteral("new theme"));
        Module1::SaveNote();
        QCOMPARE(script->messages().size(), 2);
        QVERIFY(script->messages().last().contains(QDir::toNativeSeparators(env->path("f.qvt"))));
        QCOMPARE(env->read("f.rtf"), note);
        QVERIFY(doc().Modified);
        QCOMPARE(doc().Caption(), env->path("f.rtf"));
        QVERIFY(!companion.isEmpty());
    }
};

QTEST_MAIN(TestNoteFiles)
#include "tst_notefiles.moc"
