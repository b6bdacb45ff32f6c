// Recorded pages with their saved copies through the real windows and the
// real engine: record from a loopback server, save, stop the server, open
// the note again and read every copy offline.
#include "../support/contextmenu.h"
#include "../support/scripteddialogs.h"
#include "../support/testenv.h"
#include "browser/WebBrowser.h"
#include "browser/frmBrowser.h"
#include "common/fieldrecord.h"
#include "common/savefile.h"
#include "note/frmDocument.h"
#include "model/note.h"
#include "shell/frmMain.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QToolBar>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>
#include <memory>

namespace {

constexpr int engineTimeout = 20000;

// Pages on 127.0.0.1, each titled after its path, with a body text of its
// own and a style sheet the copy has to carry.
class PageServer : public QObject {
public:
    PageServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection())
                connect(s, &QTcpSocket::readyRead, this, [s] { serve(s); });
        });
    }
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }
    void stop() { m_server.close(); }

private:
    static void serve(QTcpSocket *s)
    {
        const QByteArray request = s->property("r").toByteArray() + s->readAll();
        s->setProperty("r", request);
        if (!request.contains("\r\n\r\n"))
            return;
        const QByteArray path = request.split(' ').value(1);
        const bool css = path == "/style.css";
        const QByteArray body = css ? QByteArray("p { color: rgb(0, 128, 0); }")
                                    : "<html><head><meta charset=utf-8><title>" + path
                + "</title><link rel=stylesheet href=/style.css></head><body><p>text of " + path
                + " 本文</p></body></html>";
        s->write("HTTP/1.1 200 OK\r\nContent-Type: " + QByteArray(css ? "text/css" : "text/html")
                 + "\r\nContent-Length: " + QByteArray::number(body.size())
                 + "\r\nConnection: close\r\n\r\n" + body);
        s->disconnectFromHost();
    }
    QTcpServer m_server;
};

void clickToolbar(frmBrowser *b, const QString &key)
{
    for (QAction *a : b->tbToolBar->actions())
        if (a->data().toString() == key)
            QTest::mouseClick(b->tbToolBar->widgetForAction(a), Qt::LeftButton);
}

bool showsPage(frmBrowser *b, const QString &url)
{
    return !b->brwWebBrowser->Busy() && b->brwWebBrowser->LocationURL() == url;
}

QString pageText(frmBrowser *b)
{
    QString text;
    bool done = false;
    b->brwWebBrowser->view()->page()->toPlainText([&](const QString &t) {
        text = t;
        done = true;
    });
    QTest::qWaitFor([&] { return done; }, engineTimeout);
    return text;
}

bool copiesWritten(frmDocument *doc)
{
    for (const mirka::RecordedPage &c : doc->note->pages())
        if (c.copyPending)
            return false;
    return true;
}

// Chooses an item of the title list's context menu, as the user does.
void chooseFromListMenu(frmDocument *doc, int row, const QString &text)
{
    const QRect r = doc->List1->visualItemRect(doc->List1->item(row));
    chooseFromContextMenu(doc->List1->viewport(), r.center(), text);
}

QByteArray qvtWithoutCopies(const QString &theme, const QList<std::pair<QString, QString>> &pages)
{
    mirka::FieldRecordWriter w;
    w.text(theme).endLine();
    for (const auto &p : pages)
        w.text(p.first).text(p.second).endLine();
    return w.data();
}

} // namespace

class TestPageCopiesRoad : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void recordSaveAndReadOffline()
    {
        TestEnv env;
        ScriptedDialogs script;
        mirka::FieldRecordWriter options;
        options.text(QString()).endLine().text(QString()).endLine().number(0).endLine();
        env.write("mirka.ini", options.data());
        auto server = std::make_unique<PageServer>();
        const QStringList urls{server->url("/p1"), server->url("/p2"), server->url("/p3")};
        const QString notePath = env.path("調査.rtf");
        const QString folder = env.path("調査.files");
        QList<QDateTime> recorded;

        {
            frmMain frame;
            frame.Form_Load();
            frame.show();
            QVERIFY(QTest::qWaitForWindowExposed(&frame));
            frmBrowser *b = &frmBrowser::shared();
            for (const QString &url : urls) {
                b->cboAddress->setEditText(url);
                QTest::keyClick(b->cboAddress->lineEdit(), Qt::Key_Return);
                QTRY_VERIFY_WITH_TIMEOUT(showsPage(b, url) && !b->windowTitle().startsWith("*"),
                                         engineTimeout);
                clickToolbar(b, "check");
            }
            frmDocument *doc = frmDocument::instance();
            QVERIFY(doc);
            QCOMPARE(doc->List1->count(), 3);
            QTRY_VERIFY_WITH_TIMEOUT(copiesWritten(doc), engineTimeout);
            for (const mirka::RecordedPage &c : doc->note->pages()) {
                QVERIFY2(c.hasCopy(), qPrintable(c.title));
                recorded << c.recorded;
            }
            QTRY_COMPARE(doc->List1->item(0)->toolTip().split('\n').value(0), urls[0]);

            frame.mnuFileNew->trigger();
            script.fileAnswers << notePath;
            doc->mnuFileSave->trigger();
            QCOMPARE(doc->windowTitle(), notePath);
            frame.close();
            QCOMPARE(script.messages(), QStringList());
        }
        // The note files are those of a note without copies.
        const QList<std::pair<QString, QString>> pages{{"/p1", urls[0]}, {"/p2", urls[1]}, {"/p3", urls[2]}};
        QCOMPARE(env.read("調査.qvt"), qvtWithoutCopies("テーマ名", pages));
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 4);
        server.reset(); // offline from here on

        frmMain frame;
        frame.Form_Load();
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        script.fileAnswers << notePath;
        frame.mnuFileOpen->trigger();
        frmDocument *doc = frmDocument::instance();
        QVERIFY(doc);
        QCOMPARE(doc->List1->count(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(doc->note->pages()[i].recorded, recorded[i]);
        QTRY_VERIFY(doc->List1->item(2)->toolTip().contains(
            recorded[2].toString(QStringLiteral("yyyy/MM/dd HH:mm"))));

        // Each copy opens offline, in the shared browser, with its text and style.
        for (int i = 0; i < 3; ++i) {
            chooseFromListMenu(doc, i, QStringLiteral("保存したページを開く"));
            frmBrowser *b = frmBrowser::sharedIfOpen();
            QVERIFY(b);
            const QString copyUrl = QUrl::fromLocalFile(doc->note->pages()[i].copyPath).toString();
            QTRY_VERIFY_WITH_TIMEOUT(showsPage(b, copyUrl), engineTimeout);
            QTRY_VERIFY(b->windowTitle().startsWith(QStringLiteral("保存したページ (")));
            QVERIFY(b->windowTitle().endsWith(pages[i].first));
            QCOMPARE(pageText(b).trimmed(), QStringLiteral("text of %1 本文").arg(pages[i].first));
        }
        // The note as one HTML file: its links lead to the copies.
        script.fileAnswers << env.path("調査.html");
        doc->findChild<QAction *>("mnuFileExportHtml")->trigger();
        const QString exported = QString::fromUtf8(env.read("調査.html"));
        QVERIFY(exported.contains(QStringLiteral("<a href=\"%1\">/p2</a>").arg(urls[1])));
        const QRegularExpression copyLink("href=\"([^\"]+\\.mhtml)\"");
        QStringList linked;
        for (const QRegularExpressionMatch &m : copyLink.globalMatch(exported))
            linked << QUrl::fromPercentEncoding(m.captured(1).toUtf8());
        QCOMPARE(linked.size(), 3);
        QVERIFY(QFileInfo(env.path(linked[2])).isFile());
        frmBrowser *shared = &frmBrowser::shared();
        const QString exportedUrl = QUrl::fromLocalFile(env.path("調査.html")).toString();
        shared->cboAddress->setEditText(exportedUrl);
        QTest::keyClick(shared->cboAddress->lineEdit(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(showsPage(shared, exportedUrl), engineTimeout);
        QCOMPARE(shared->windowTitle(), QStringLiteral("テーマ名"));
        shared->brwWebBrowser->view()->page()->runJavaScript("document.querySelectorAll('a')[1].click()");
        QTRY_VERIFY_WITH_TIMEOUT(showsPage(shared, QUrl::fromLocalFile(env.path(linked[0])).toString()),
                                 engineTimeout);

        // The live page cannot be reached: the double click offers the copy.
        script.messageAnswers << mirka::MsgAnswer::Yes;
        const QRect r = doc->List1->visualItemRect(doc->List1->item(0));
        QTest::mouseClick(doc->List1->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(doc->List1->viewport(), Qt::LeftButton, {}, r.center());
        QTRY_VERIFY_WITH_TIMEOUT(script.messages().size() == 1, engineTimeout);
        QVERIFY(script.messages().first().startsWith(QStringLiteral("ページを開けませんでした。")));
        const QString firstCopy = QUrl::fromLocalFile(doc->note->pages()[0].copyPath).toString();
        QTRY_VERIFY_WITH_TIMEOUT(showsPage(frmBrowser::sharedIfOpen(), firstCopy), engineTimeout);

        chooseFromListMenu(doc, 1, QStringLiteral("アドレスをコピー"));
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), urls[1]);

        // Delete the second page: its copy goes with the next save.
        const QString secondCopy = doc->note->pages()[1].copyPath;
        doc->List1->setCurrentRow(1);
        QTest::mouseClick(doc->Command2, Qt::LeftButton);
        doc->mnuFileSave->trigger();
        QVERIFY(!QFileInfo::exists(secondCopy));
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 3);
        QCOMPARE(env.read("調査.qvt"), qvtWithoutCopies("テーマ名", {pages[0], pages[2]}));

        // Save As carries the copies; the first note keeps its own.
        script.fileAnswers << env.path("写し.rtf");
        doc->mnuFileSaveAs->trigger();
        QCOMPARE(QDir(env.path("写し.files")).entryList(QDir::Files).size(), 3);
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 3);
        QCOMPARE(doc->note->pages()[1].recorded, recorded[2]);

        // A copies folder that cannot be made: the note is saved all the
        // same, and the message says which copies stayed behind and why.
        env.write("失敗.files", "in the way");
        doc->Text1->setText(QStringLiteral("変更"));
        script.fileAnswers << env.path("失敗.rtf");
        doc->mnuFileSaveAs->trigger();
        const QStringList told = script.messages().last().split(u'\n');
        QCOMPARE(told.value(0), QStringLiteral("ノートは保存しましたが、保存したページを書き込めませんでした。"));
        QCOMPARE(told.value(1), QDir::toNativeSeparators(env.path("失敗.files")));
        QVERIFY(!told.value(2).isEmpty());
        QVERIFY(QFileInfo::exists(env.path("失敗.rtf")) && QFileInfo::exists(env.path("失敗.qvt")));
        QVERIFY(!doc->isModified());
        QCOMPARE(doc->windowTitle(), env.path("失敗.rtf"));

        frame.close();
        QCOMPARE(script.unscripted, 0);
    }
};

QTEST_MAIN(TestPageCopiesRoad)
#include "tst_pagecopies.moc"
