// Finding in the note and in a page as the user does it, and the search
// across notes and saved pages on real files with the real SQLite index
// built by its thread.
#include "../support/windowdriving.h"
#include "common/codepage.h"
#include "common/fieldrecord.h"
#include "note/richtext/rtf.h"
#include "search/editorfind.h"
#include "search/findbar.h"
#include "search/indexer.h"
#include "search/pagefind.h"
#include "search/searchwindow.h"
#include "search/textfold.h"

#include <QCheckBox>
#include <QListView>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextDocument>

using mirka::search::Indexer;
using windowdriving::keyToFocus;
using mirka::textfold::Range;

Q_DECLARE_METATYPE(QList<Range>)

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

class TestSearch : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnv> env;
    std::unique_ptr<Indexer> indexer;
    QString notes;
    ScriptedDialogs script;

private slots:
    void initTestCase()
    {
        env = std::make_unique<TestEnv>();
        notes = env->path(QStringLiteral("notes"));
        writeNote(notes, QStringLiteral("n1"), QStringLiteral("研究所で研究した。ABC and abc."));
        indexer = std::make_unique<Indexer>(env->path(QStringLiteral("index")));
        indexer->addFolder(notes);
        indexer->start();
        QVERIFY(settled(*indexer));
    }

    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    void cleanupTestCase()
    {
        indexer.reset();
        env.reset();
    }

    void folding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<bool>("kana");
        QTest::addColumn<QList<Range>>("found");
        QTest::newRow("kanji") << "研究所の研究" << "研究" << false << false << QList<Range>{{0, 2}, {4, 6}};
        QTest::newRow("full-width letters") << "ＡＢＣ abc" << "abc" << false << false << QList<Range>{{0, 3}, {4, 7}};
        QTest::newRow("case matters") << "ABC abc Abc" << "Abc" << true << false << QList<Range>{{8, 11}};
        QTest::newRow("half-width kana with marks") << "ｶﾞｲﾄﾞを読む" << "ガイド" << false << false
                                                   << QList<Range>{{0, 5}};
        QTest::newRow("sound mark apart") << QStringLiteral("\u30AB\u3099イド") << "ｶﾞｲﾄﾞ" << false << false
                                          << QList<Range>{{0, 4}};
        QTest::newRow("kana kept apart") << "ひらがなとヒラガナ" << "ひらがな" << false << false
                                         << QList<Range>{{0, 4}};
        QTest::newRow("kana together") << "ひらがなとﾋﾗｶﾞﾅ" << "ヒラガナ" << false << true
                                       << QList<Range>{{0, 4}, {5, 10}};
        QTest::newRow("one sign, two letters") << "㍻元年" << "成元" << false << false << QList<Range>{{0, 2}};
        QTest::newRow("beyond the basic plane") << "𠮷野家の𠮷" << "𠮷" << false << false
                                                << QList<Range>{{0, 2}, {5, 7}};
        QTest::newRow("none") << "研究" << "究所" << false << false << QList<Range>{};
    }

    void folding()
    {
        QFETCH(QString, text);
        QFETCH(QString, query);
        QFETCH(bool, caseSensitive);
        QFETCH(bool, kana);
        QFETCH(QList<Range>, found);
        const mirka::textfold::Options o{caseSensitive, kana};
        const mirka::textfold::FoldedText folded(text, o);
        QCOMPARE(folded.findAll(mirka::textfold::fold(query, o)), found);
    }

    // Ctrl+F in the note: finding as the words are typed, the count, next
    // and previous, Escape; Ctrl+H: one and all replaced, formatting kept,
    // one undo.
    void inTheNote()
    {
        auto frame = windowdriving::startProgram();
        Module1::NewNote();
        frmDocument &d = *frmDocument::instance();
        d.rtfText->setHtml(QStringLiteral("<p>研究の話</p><p><b>研究</b>と<i>ｹﾝｷｭｳ</i></p><p>ケンキュウ、ＫＥＮ研究</p>"));
        d.rtfText->setFocus();
        keyToFocus(&d, Qt::Key_F, Qt::ControlModifier);
        FindBar *bar = d.Find->bar();
        QVERIFY(bar->isVisible());
        QVERIFY(bar->geometry().bottom() < d.sbStatusBar->y());
        QVERIFY(d.rtfText->geometry().bottom() < bar->y());
        commitText(QStringLiteral("研究"));
        QCOMPARE(bar->countLabel->text(), QStringLiteral("1 / 3 件"));
        QCOMPARE(d.rtfText->textCursor().selectedText(), QStringLiteral("研究"));
        keyToFocus(&d, Qt::Key_Return);
        keyToFocus(&d, Qt::Key_F3);
        QCOMPARE(bar->countLabel->text(), QStringLiteral("3 / 3 件"));
        keyToFocus(&d, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(bar->countLabel->text(), QStringLiteral("2 / 3 件"));
        QVERIFY(d.rtfText->textCursor().charFormat().fontWeight() == QFont::Bold);
        keyToFocus(&d, Qt::Key_Escape);
        QVERIFY(bar->isHidden());
        QCOMPARE(QApplication::focusWidget(), d.rtfText);
        QCOMPARE(d.rtfText->textCursor().selectedText(), QStringLiteral("研究"));

        // Half-width and full-width forms are one; kana only when asked.
        keyToFocus(&d, Qt::Key_H, Qt::ControlModifier);
        QVERIFY(bar->replaceText->isVisible());
        QCOMPARE(bar->findText->text(), QStringLiteral("研究")); // the selection
        bar->findText->setText(QStringLiteral("けんきゅう"));
        QCOMPARE(bar->countLabel->text(), QStringLiteral("見つかりません"));
        bar->matchKana->setChecked(true);
        QCOMPARE(bar->countLabel->text(), QStringLiteral("1 / 2 件"));
        bar->replaceText->setText(QStringLiteral("調査"));
        bar->replaceButton->click(); // the selected match, then on to the next
        QCOMPARE(bar->countLabel->text(), QStringLiteral("1 / 1 件"));
        bar->findText->setText(QStringLiteral("研究"));
        bar->replaceAllButton->click();
        QCOMPARE(d.rtfText->toPlainText(), QStringLiteral("調査の話\n調査と調査\nケンキュウ、ＫＥＮ調査"));
        QTextCursor c(d.rtfText->document()->findBlockByNumber(1));
        c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 1);
        QVERIFY(c.charFormat().fontWeight() == QFont::Bold);
        c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 3);
        QVERIFY(c.charFormat().fontItalic());
        d.rtfText->undo();
        QCOMPARE(d.rtfText->toPlainText(), QStringLiteral("研究の話\n研究と調査\nケンキュウ、ＫＥＮ研究"));
        bar->matchKana->setFocus(); // Escape closes from anywhere in the bar
        keyToFocus(&d, Qt::Key_Escape);
        QVERIFY(bar->isHidden());
        d.setModified(false);
    }

    // Ctrl+F in a browser window: the engine's count, F3, Escape leaving
    // the match selected.
    void inAPage()
    {
        auto frame = windowdriving::startProgram();
        env->write(QStringLiteral("page.html"),
                   QStringLiteral("<html><body><p>研究について</p><p>もう一つの研究</p></body></html>").toUtf8());
        frmBrowser *b = windowdriving::loaded(QUrl::fromLocalFile(env->path(QStringLiteral("page.html"))).toString());
        QVERIFY(b);
        b->brwWebBrowser->view()->setFocus();
        keyToFocus(b, Qt::Key_F, Qt::ControlModifier);
        FindBar *bar = PageFind::of(b)->bar();
        QVERIFY(bar->isVisible());
        commitText(QStringLiteral("研究"));
        QTRY_COMPARE(bar->countLabel->text(), QStringLiteral("1 / 2 件"));
        keyToFocus(b, Qt::Key_F3);
        QTRY_COMPARE(bar->countLabel->text(), QStringLiteral("2 / 2 件"));
        keyToFocus(b, Qt::Key_Escape);
        QVERIFY(bar->isHidden());
        QTRY_COMPARE(b->brwWebBrowser->view()->page()->selectedText(), QStringLiteral("研究"));
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
        auto frame = windowdriving::startProgram();
        Indexer::instance().addFolder(notes);
        QTest::keyClick(frame.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        SearchWindow *w = SearchWindow::instance();
        QVERIFY(w);
        QTRY_COMPARE(QApplication::focusWidget(), w->txtQuery);
        commitText(QStringLiteral("本文"));
        QTRY_COMPARE_WITH_TIMEOUT(w->lstResults->model()->rowCount(), 1, 20000);
        QVERIFY(w->lstResults->model()->index(0, 0).data().toString().contains(QStringLiteral("<b>本文</b>")));
        keyToFocus(w, Qt::Key_Return); // to the results
        keyToFocus(w, Qt::Key_Return);
        frmDocument *d = frmDocument::instance();
        QVERIFY(d);
        QCOMPARE(d->rtfText->textCursor().selectedText(), QStringLiteral("本文"));

        frame->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(w->parentWidget()));
        w->txtQuery->setFocus();
        w->txtQuery->selectAll();
        QTRY_VERIFY_WITH_TIMEOUT(!Indexer::instance().search(QStringLiteral("ﾃﾞｰﾀ"), {}).isEmpty(), 20000);
        // Enter at once, before the typing pause: this query's results.
        commitText(QStringLiteral("ﾃﾞｰﾀ"));
        keyToFocus(w, Qt::Key_Return);
        QCOMPARE(w->lstResults->model()->rowCount(), 1);
        QVERIFY(w->lstResults->model()->index(0, 0).data().toString().contains(QStringLiteral("資料")));
        keyToFocus(w, Qt::Key_Return);
        frmBrowser *b = frmBrowser::sharedIfOpen();
        QVERIFY(b);
        FindBar *bar = PageFind::of(b)->bar();
        QTRY_COMPARE_WITH_TIMEOUT(bar->countLabel->text(), QStringLiteral("1 / 1 件"), 20000);
        QCOMPARE(bar->findText->text(), QStringLiteral("ﾃﾞｰﾀ"));
        d->setModified(false);
    }
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
