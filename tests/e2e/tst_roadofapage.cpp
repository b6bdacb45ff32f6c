// The road of recorded pages through the real windows and the real web
// engine: browse, record with saved copies, save under a Japanese name,
// exit, start again offline, open, and reach every page through its copy.
#include "../support/windowdriving.h"
#include "../browser/loopbackserver.h"
#include "common/codepage.h"
#include "model/note.h"

#include <QRegularExpression>

using namespace windowdriving;

namespace {

bool shows(frmBrowser *b, const QString &url, const QString &title = {})
{
    return !b->brwWebBrowser->Busy() && b->brwWebBrowser->LocationURL() == url
        && (title.isEmpty() || b->windowTitle() == title);
}

bool copiesWritten(frmDocument *doc)
{
    for (const mirka::RecordedPage &c : doc->note->pages())
        if (c.copyPending)
            return false;
    return true;
}

void chooseFromListMenu(frmDocument *doc, int row, const QString &text)
{
    chooseFromContextMenu(doc->List1->viewport(), doc->List1->visualItemRect(doc->List1->item(row)).center(), text);
}

QByteArray pageLine(const QString &title, const QString &address)
{
    return "\"" + mirka::cp932::encode(title) + "\",\"" + address.toLatin1() + "\"\r\n";
}

} // namespace

class TestRoadOfAPage : public QObject {
    Q_OBJECT
private slots:
    void roadOfRecordedPages()
    {
        TestEnv env;
        ScriptedDialogs script;
        auto server = std::make_unique<LoopbackServer>();
        const QStringList titles{"Page A", "ページB", "年表, 1900-1950"};
        QStringList urls;
        for (int i = 0; i < 3; ++i) {
            const QByteArray path = "/p" + QByteArray::number(i);
            server->route(path, "200 OK", ("<meta charset=utf-8><title>" + titles[i] + "</title><p>text of "
                                           + titles[i] + " 本文</p>").toUtf8());
            urls << server->url(QString::fromLatin1(path));
        }
        env.write("mirka.ini", ("\"" + urls[0] + "\"\r\n\"\"\r\n1\r\n").toUtf8());
        const QString notePath = env.path("調査.rtf");
        QList<QDateTime> recorded;
        {
            auto frame = startProgram();
            // The option asks for the browser at start: it goes to the start page.
            frmBrowser *shared = frmBrowser::sharedIfOpen();
            QVERIFY(shared);
            QTRY_VERIFY_WITH_TIMEOUT(shows(shared, urls[0], titles[0]), engineTimeout);
            QVERIFY(completes(shared, [&] { typeAndEnter(shared, urls[1]); }) && settles(shared));
            clickToolbar(shared, "check");

            // A second page from a menu-made browser.
            frame->mnuViewWebBrowser->trigger();
            frmBrowser *menuMade = browserWindows().last();
            QVERIFY(menuMade != shared);
            QVERIFY(completes(menuMade, [&] { typeAndEnter(menuMade, urls[2]); }) && settles(menuMade));
            clickToolbar(menuMade, "check");

            // New keeps the recorded pages; the theme and body as an input
            // method gives them; save.
            frame->mnuFileNew->trigger();
            frmDocument *doc = frmDocument::instance();
            QCOMPARE(doc->List1->count(), 2);
            QTRY_VERIFY_WITH_TIMEOUT(copiesWritten(doc), engineTimeout);
            for (const mirka::RecordedPage &c : doc->note->pages()) {
                QVERIFY2(c.hasCopy(), qPrintable(c.title));
                recorded << c.recorded;
            }
            doc->Text1->setFocus();
            doc->Text1->clear();
            commitText(QStringLiteral("地域の歴史"));
            doc->rtfText->setFocus();
            commitText(QStringLiteral("城下町の"));
            doc->rtfText->setSelBold(true);
            commitText(QStringLiteral("年表"));
            script.fileAnswers << notePath;
            doc->mnuFileSave->trigger();
            QVERIFY(!doc->isModified());
            // The companion is that of a note without copies; the copies and
            // their index sit beside it.
            QCOMPARE(env.read("調査.qvt"), "\"\x92\x6e\x88\xe6\x82\xcc\x97\xf0\x8e\x6a\"\r\n" + pageLine(titles[1], urls[1])
                                                + pageLine(titles[2], urls[2]));
            QCOMPARE(QDir(env.path("調査.files")).entryList(QDir::Files).size(), 3);

            frame->close(); // saved: nothing is asked
            QCOMPARE(script.messages(), QStringList());
        }
        server.reset(); // offline from here on

        auto frame = startProgram();
        script.fileAnswers << notePath;
        frame->mnuFileOpen->trigger();
        frmDocument *doc = frmDocument::instance();
        QVERIFY(doc);
        QCOMPARE(doc->windowTitle(), notePath);
        QCOMPARE(doc->Text1->text(), QStringLiteral("地域の歴史"));
        QCOMPARE(doc->rtfText->Text(), QStringLiteral("城下町の年表"));
        QTextCursor cur(doc->rtfText->document());
        cur.setPosition(5);
        QVERIFY(cur.charFormat().fontWeight() >= QFont::Bold);
        QCOMPARE(doc->List1->item(1)->text(), titles[2]);
        for (int i = 0; i < 2; ++i)
            QCOMPARE(doc->note->pages()[i].recorded, recorded[i]);
        QTRY_VERIFY(doc->List1->item(1)->toolTip().contains(recorded[1].toString(QStringLiteral("yyyy/MM/dd HH:mm"))));
        QVERIFY(doc->isModified()); // opening fills the theme box

        // Each copy opens offline, in the shared browser, with its text.
        frmBrowser *shared = frmBrowser::sharedIfOpen();
        for (int i = 0; i < 2; ++i) {
            chooseFromListMenu(doc, i, QStringLiteral("保存したページを開く"));
            const QString copyUrl = QUrl::fromLocalFile(doc->note->pages()[i].copyPath).toString();
            QTRY_VERIFY_WITH_TIMEOUT(shows(shared, copyUrl), engineTimeout);
            QTRY_VERIFY(shared->windowTitle().startsWith(QStringLiteral("保存したページ (")));
            QVERIFY(shared->windowTitle().endsWith(titles[i + 1]));
            QString text; // copies run no script: their text as the engine gives it
            shared->brwWebBrowser->view()->page()->toPlainText([&](const QString &t) { text = t; });
            QTRY_COMPARE(text.trimmed(), "text of " + titles[i + 1] + " 本文");
        }
        // The live page cannot be reached: the double click offers the copy.
        script.messageAnswers << mirka::MsgAnswer::Yes;
        doubleClickRow(doc->List1, 0);
        QTRY_VERIFY_WITH_TIMEOUT(script.messages().size() == 1, engineTimeout);
        QVERIFY(script.messages().first().startsWith(QStringLiteral("ページを開けませんでした。")));
        QTRY_VERIFY_WITH_TIMEOUT(shows(shared, QUrl::fromLocalFile(doc->note->pages()[0].copyPath).toString()),
                                 engineTimeout);
        chooseFromListMenu(doc, 1, QStringLiteral("アドレスをコピー"));
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), urls[2]);

        // The HTML export proposes the note's name and refuses its files; its
        // links lead to the pages and to the copies.
        const QByteArray rtf = env.read("調査.rtf");
        QAction *exportHtml = doc->findChild<QAction *>("mnuFileExportHtml");
        script.fileAnswers << notePath << env.path("調査.html");
        exportHtml->trigger();
        QCOMPARE(script.asked[script.asked.size() - 2].file.initialFile, env.path("調査.html"));
        QVERIFY(script.messages().last().contains(QStringLiteral("ノート自身のファイルです")));
        QCOMPARE(env.read("調査.rtf"), rtf);
        exportHtml->trigger();
        const QString exported = QString::fromUtf8(env.read("調査.html"));
        QVERIFY(exported.contains(QStringLiteral("<a href=\"%1\">%2</a>").arg(urls[1], titles[1])));
        const QRegularExpression copyLink("href=\"([^\"]+\\.mhtml)\"");
        QStringList linked;
        for (const QRegularExpressionMatch &m : copyLink.globalMatch(exported))
            linked << QUrl::fromPercentEncoding(m.captured(1).toUtf8());
        QCOMPARE(linked.size(), 2);
        const QString exportedUrl = QUrl::fromLocalFile(env.path("調査.html")).toString(QUrl::FullyEncoded);
        QVERIFY(completes(shared, [&] { typeAndEnter(shared, exportedUrl); }) && settles(shared));
        QCOMPARE(shared->windowTitle(), QStringLiteral("地域の歴史"));
        evaluate(shared, "document.querySelectorAll('a')[1].click()");
        QTRY_VERIFY_WITH_TIMEOUT(shows(shared, QUrl::fromLocalFile(env.path(linked[0])).toString()), engineTimeout);

        // Recording a saved copy records the page it was made from, without
        // a download.
        const int asked = script.asked.size();
        clickToolbar(shared, "check");
        QTRY_COMPARE(doc->List1->count(), 3);
        QCOMPARE(doc->List1->item(2)->text(), titles[1]);
        QCOMPARE(doc->List2->item(2)->text(), urls[1]);
        QCOMPARE(script.asked.size(), asked);
        QTRY_VERIFY_WITH_TIMEOUT(copiesWritten(doc), engineTimeout);

        // A copies folder that cannot be made: the note is saved all the
        // same, and the message says which copies stayed behind and why.
        env.write("失敗.files", "in the way");
        script.fileAnswers << env.path("失敗.rtf");
        doc->mnuFileSaveAs->trigger();
        const QStringList told = script.messages().last().split(u'\n');
        QCOMPARE(told.value(0), QStringLiteral("ノートは保存しましたが、保存したページを書き込めませんでした。"));
        QCOMPARE(told.value(1), QDir::toNativeSeparators(env.path("失敗.files")));
        QVERIFY(!told.value(2).isEmpty());
        QVERIFY(!doc->isModified());
        QCOMPARE(doc->windowTitle(), env.path("失敗.rtf"));
        QCOMPARE(env.read("失敗.qvt").count("\r\n"), 4); // the theme and three pages

        // Exit after a change: No closes without saving.
        const QByteArray saved = env.read("失敗.rtf");
        doc->rtfText->setText(QStringLiteral("変更"));
        script.messageAnswers << mirka::MsgAnswer::No;
        frame->close();
        QCOMPARE(script.messages().last(), QStringLiteral("ファイルを保存しますか"));
        QCOMPARE(script.asked.last().title, QStringLiteral("保存"));
        QCOMPARE(env.read("失敗.rtf"), saved);
        QCOMPARE(env.read("調査.rtf"), rtf);
        QCOMPARE(script.unscripted, 0);
    }
};

QTEST_MAIN(TestRoadOfAPage)
#include "tst_roadofapage.moc"
