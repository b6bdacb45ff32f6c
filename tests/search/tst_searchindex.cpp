#include "browser/WebBrowser.h"
#include "browser/frmBrowser.h"
#include "common/codepage.h"
#include "common/fieldrecord.h"
#include "common/twips.h"
#include "note/frmDocument.h"
#include "note/richtext/richtextbox.h"
#include "note/richtext/rtf.h"
#include "search/findbar.h"
#include "search/indexer.h"
#include "search/pagefind.h"
#include "search/searchwindow.h"
#include "shell/frmMain.h"
#include "../support/scripteddialogs.h"
#include "../support/testenv.h"

#include <QDir>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTextDocument>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>
#include <memory>

using mirka::search::Indexer;

namespace {

// Bytes above ASCII (and '=') as =HH, with a soft line break now and then,
// as a page saved by the engine has them.
QByteArray quotedPrintable(const QByteArray &bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes[i]);
        out += (b >= 0x80 || b == '=') ? QByteArray("=") + QByteArray::number(b, 16).toUpper().rightJustified(2, '0')
                                       : QByteArray(1, char(b));
        if (i % 40 == 39)
            out += "=\r\n";
    }
    return out;
}

QByteArray savedPage(const QByteArray &type, const QByteArray &encoding, const QByteArray &body)
{
    return "From: <Saved by Blink>\r\nMIME-Version: 1.0\r\nContent-Type: multipart/related;\r\n"
           "\ttype=\"text/html\";\r\n\tboundary=\"----B--x----\"\r\n\r\n------B--x----\r\nContent-Type: "
        + type + "\r\nContent-Transfer-Encoding: " + encoding + "\r\n\r\n" + body
        + "\r\n------B--x----\r\nContent-Type: image/png\r\nContent-Transfer-Encoding: base64\r\n\r\n"
          "iVBORw0KGgo=\r\n------B--x------\r\n";
}

// A note as the program saves it: body, companion file, and two saved
// copies (UTF-8 quoted-printable; Shift_JIS base64) listed in its folder
// under the names the program gives copies.
void writeNote(const QString &folder, const QString &name, const QString &body)
{
    QDir().mkpath(folder + u'/' + name + QStringLiteral(".files"));
    QTextDocument doc;
    doc.setPlainText(body);
    auto write = [&](const QString &file, const QByteArray &bytes) {
        QFile f(folder + u'/' + file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    write(name + QStringLiteral(".rtf"), mirka::rtf::write(&doc));
    mirka::FieldRecordWriter w;
    w.text(QStringLiteral("図書館の調査")).endLine();
    w.text(QStringLiteral("ケンキュウのページ")).text(QStringLiteral("http://example.com/kenkyu")).endLine();
    write(name + QStringLiteral(".qvt"), w.data());
    const QString files = name + QStringLiteral(".files/");
    write(files + QStringLiteral("20261201-100000-000.mhtml"),
          savedPage("text/html", "quoted-printable",
                    quotedPrintable(QStringLiteral("<html><head><meta charset=\"utf-8\"><script>var 研究所=1;</script>"
                                                   "</head><body><p>ケンキュウの<b>成</b>果&amp;研究</p></body></html>")
                                        .toUtf8())));
    write(files + QStringLiteral("20261202-113000-000.mhtml"),
          savedPage("text/html; charset=Shift_JIS", "base64",
                    mirka::cp932::encode(QStringLiteral("<p>ﾃﾞｰﾀの資料</p>")).toBase64()));
    write(files + QStringLiteral("index.txt"),
          QStringLiteral("2026-12-01T10:00:00+09:00\thttp://example.com/kenkyu\tケンキュウのページ\t20261201-100000-000.mhtml\r\n"
                         "2026-12-02T11:30:00+09:00\thttp://example.com/data\tデータ\t20261202-113000-000.mhtml\r\n")
              .toUtf8());
}

QStringList found(Indexer &indexer, const QString &query, mirka::textfold::Options options = {})
{
    QStringList out;
    for (const mirka::search::Hit &h : indexer.search(query, options))
        out << QFileInfo(h.entry.path).fileName();
    out.sort();
    return out;
}

bool settled(Indexer &indexer)
{
    return QTest::qWaitFor([&indexer] { return !indexer.building() && !indexer.search(QStringLiteral("図書館"), {}).isEmpty(); },
                           20000);
}

} // namespace

// The search across notes and saved pages on real files, with the real
// SQLite index built by its thread, and its window driven as the user does.
class TestSearchIndex : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnv> env;
    std::unique_ptr<Indexer> indexer;
    QString notes;

private slots:
    void initTestCase()
    {
        mirka::twips::setDpiForTesting(96);
        env = std::make_unique<TestEnv>();
        notes = env->path(QStringLiteral("notes"));
        writeNote(notes, QStringLiteral("n1"), QStringLiteral("研究所で研究した。ABC and abc."));
        indexer = std::make_unique<Indexer>(env->path(QStringLiteral("index")));
        indexer->addFolder(notes);
        indexer->start();
        QVERIFY(settled(*indexer));
    }

    void cleanupTestCase()
    {
        indexer.reset();
        env.reset();
    }

    void queries_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<bool>("kana");
        QTest::addColumn<QStringList>("files");
        const QStringList note{"n1.rtf"}, first{"20261201-100000-000.mhtml"}, both{"20261201-100000-000.mhtml", "n1.rtf"};
        QTest::newRow("one character") << "研" << false << false << both;
        QTest::newRow("two characters") << "研究" << false << false << both;
        QTest::newRow("three characters, script left out") << "研究所" << false << false << note;
        QTest::newRow("half-width query") << "ｹﾝｷｭｳ" << false << false << both;
        QTest::newRow("kana apart") << "けんきゅう" << false << false << QStringList{};
        QTest::newRow("kana together") << "けんきゅう" << false << true << both;
        QTest::newRow("half-width page, Shift_JIS") << "データ" << false << false << QStringList{"20261202-113000-000.mhtml"};
        QTest::newRow("case folded") << "ABC" << false << false << note;
        QTest::newRow("case kept") << "Abc" << true << false << QStringList{};
        QTest::newRow("reference and tag") << "成果&研究" << false << false << first;
        QTest::newRow("theme and address, two words") << "図書館 kenkyu" << false << false << note;
        QTest::newRow("nothing") << "資料室" << false << false << QStringList{};
    }

    void queries()
    {
        QFETCH(QString, query);
        QFETCH(bool, caseSensitive);
        QFETCH(bool, kana);
        QFETCH(QStringList, files);
        QCOMPARE(found(*indexer, query, {caseSensitive, kana}), files);
    }

    // Kept up to date: a note another program rewrote, a note saved in a
    // new folder, a folder removed from the disk and one from the list, an
    // index found damaged at start.
    void keptUpToDate()
    {
        writeNote(notes, QStringLiteral("n1"), QStringLiteral("改訂版の本文"));
        QTRY_COMPARE_WITH_TIMEOUT(found(*indexer, QStringLiteral("改訂")), QStringList{"n1.rtf"}, 10000);
        QCOMPARE(found(*indexer, QStringLiteral("研究所")), QStringList{});

        const QString other = env->path(QStringLiteral("other"));
        writeNote(other, QStringLiteral("n2"), QStringLiteral("別の研究所"));
        indexer->noteTouched(other + QStringLiteral("/n2.rtf"));
        QTRY_COMPARE_WITH_TIMEOUT(found(*indexer, QStringLiteral("研究所")), QStringList{"n2.rtf"}, 10000);
        QCOMPARE(indexer->folders(), (QStringList{notes, other}));
        QVERIFY(QDir(other).removeRecursively());
        QTRY_COMPARE_WITH_TIMEOUT(found(*indexer, QStringLiteral("研究所")), QStringList{}, 10000);

        indexer.reset();
        QFile damaged(env->path(QStringLiteral("index/search.sqlite")));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(8192, 'x'));
        damaged.close();
        indexer = std::make_unique<Indexer>(env->path(QStringLiteral("index")));
        indexer->start();
        QVERIFY(settled(*indexer));
        QCOMPARE(found(*indexer, QStringLiteral("改訂")), QStringList{"n1.rtf"});

        indexer->removeFolder(notes);
        QTRY_COMPARE_WITH_TIMEOUT(found(*indexer, QStringLiteral("改訂")), QStringList{}, 10000);
        indexer->addFolder(notes);
        QVERIFY(settled(*indexer));
    }

    // Ctrl+Shift+F in the frame, a two-character word, Enter on the note
    // (opened at the match) and on the saved page (found in the browser).
    void searchWindow()
    {
        ScriptedDialogs script;
        frmMain frame;
        frame.show();
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        Indexer::instance().addFolder(notes);
        QTest::keyClick(&frame, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        SearchWindow *w = SearchWindow::instance();
        QVERIFY(w);
        QTRY_COMPARE(QApplication::focusWidget(), w->txtQuery);
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("本文"));
        QApplication::sendEvent(w->txtQuery, &commit);
        QTRY_COMPARE_WITH_TIMEOUT(w->lstResults->model()->rowCount(), 1, 20000);
        QVERIFY(w->lstResults->model()->index(0, 0).data().toString().contains(QStringLiteral("<b>本文</b>")));
        QTest::keyClick(w->txtQuery, Qt::Key_Return);
        QTest::keyClick(w->lstResults, Qt::Key_Return);
        frmDocument *d = frmDocument::instance();
        QVERIFY(d);
        QCOMPARE(d->rtfText->textCursor().selectedText(), QStringLiteral("本文"));

        w->txtQuery->setText(QStringLiteral("ﾃﾞｰﾀ"));
        w->Search();
        QCOMPARE(w->lstResults->model()->rowCount(), 1);
        w->OpenResult(0);
        frmBrowser *b = frmBrowser::sharedIfOpen();
        QVERIFY(b);
        FindBar *bar = PageFind::of(b)->bar();
        QTRY_COMPARE_WITH_TIMEOUT(bar->countLabel->text(), QStringLiteral("1 / 1 件"), 20000);
        QCOMPARE(bar->findText->text(), QStringLiteral("ﾃﾞｰﾀ"));
        d->setModified(false);
    }
};

QTEST_MAIN(TestSearchIndex)
#include "tst_searchindex.moc"
