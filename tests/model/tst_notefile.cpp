// The note's data on real files without windows: companion names, pages and
// copies by identity, the save as one commit and its interruption at each
// step, the sweep of unnamed copies, and what older versions wrote.
#include "common/codepage.h"
#include "common/fileerror.h"
#include "common/savefile.h"
#include "model/note.h"
#include "model/notefile.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using mirka::Note;
using mirka::RecordedPage;
namespace nf = mirka::notefile;

namespace {

// Records a page whose copy the engine would write; the copy holds text.
quint64 recordWithCopy(Note &n, const QString &title, const QString &address, const QByteArray &text)
{
    QString path;
    const quint64 id = n.AddRecordedPage(title, address, QDateTime::currentDateTime(), &path);
    mirka::writeFileAtomically(path, text);
    n.copyWritten(id, true);
    return id;
}

bool save(Note &n, const QString &path, const QByteArray &body = "{\\rtf1 body}")
{
    QList<RecordedPage> saved;
    QString failed, reason;
    if (!nf::write(path, body, n.theme(), n.pages(), &saved, &failed, &reason))
        return false;
    n.copiesSaved(saved);
    return true;
}

QStringList files(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QByteArray read(const QString &path)
{
    QByteArray b;
    mirka::readWholeFile(path, &b);
    return b;
}

nf::Content open(const QString &path)
{
    nf::Content c;
    QString failed, reason;
    if (!nf::read(path, &c, &failed, &reason))
        c.theme = QStringLiteral("failed: ") + failed + u' ' + reason;
    return c;
}

} // namespace

class TestNoteFile : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void companionNames_data()
    {
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("companion");
        QTest::addColumn<QString>("older");
        QTest::newRow("extension") << "/n/調査.rtf" << "/n/調査.qvt" << "/n/調査.qvt";
        QTest::newRow("other extension") << "/n/memo.txt" << "/n/memo.qvt" << "/n/memo.qvt";
        QTest::newRow("no extension") << "/n/研究ノート" << "/n/研究ノート.qvt" << "/n/研.qvt";
        QTest::newRow("dots elsewhere") << "/n.d/v1.2" << "/n.d/v1.2.qvt" << "/n.d/.qvt";
        QTest::newRow("short") << "/n/ab" << "/n/ab.qvt" << "/n/ab.qvt";
    }
    void companionNames()
    {
        QFETCH(QString, note);
        QFETCH(QString, companion);
        QFETCH(QString, older);
        QCOMPARE(nf::companionFor(note), companion);
        QCOMPARE(nf::oldCompanionFor(note), older);
        QCOMPARE(nf::copiesFolderFor(companion), companion.chopped(4) + ".files");
    }

    // The companion byte for byte: CP932, CR LF, a double quote kept apart
    // so that pages stay paired, no control character inside a line, an
    // address in a form that leads back.
    void companionBytes_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QStringList>("pages"); // title, address, ...
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("theme only") << "地域の歴史" << QStringList() << QByteArray("\"\x92\x6e\x88\xe6\x82\xcc\x97\xf0\x8e\x6a\"\r\n");
        QTest::newRow("comma and quote")
            << "" << QStringList{"年表, 1900-1950", "file:///C:/docs/a.html", "say \"hi\"", "about:blank"}
            << "\"\"\r\n\"" + mirka::cp932::encode(u"年表, 1900-1950")
                   + "\",\"file:///C:/docs/a.html\"\r\n\"say \x81\x68hi\x81\x68\",\"about:blank\"\r\n";
        QTest::newRow("control characters") << "a\r\nb" << QStringList{"c\td", "x\ny\x7f"}
                                            << QByteArray("\"a  b\"\r\n\"c d\",\"x y \"\r\n");
        QTest::newRow("counterparts") << "テーマ名" << QStringList{"〜", "http://127.0.0.1/über"}
                                      << "\"" + mirka::cp932::encode(u"テーマ名")
                                             + "\"\r\n\"\x81\x60\",\"http://127.0.0.1/%C3%BCber\"\r\n";
    }
    void companionBytes()
    {
        QFETCH(QString, theme);
        QFETCH(QStringList, pages);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        Note n;
        n.setTheme(theme);
        for (int i = 0; i + 1 < pages.size(); i += 2)
            n.AddRecordedPage(pages[i], pages[i + 1]);
        QVERIFY(save(n, dir.path() + "/n.rtf"));
        QCOMPARE(read(dir.path() + "/n.qvt"), bytes);
    }

    void indexPairsPagesAndIgnoresForeignNames()
    {
        const QDateTime tokyo(QDate(2026, 12, 7), QTime(10, 56, 3), Qt::OffsetFromUTC, 9 * 3600);
        QTemporaryDir dir;
        for (const char *name : {"20261207-105603-001.mhtml", "20261207-105603-002.mhtml", "index.txt"})
            mirka::writeFileAtomically(dir.path() + "/" + name, "x");
        RecordedPage a{0, "年表\t1900", "http://a/?q=1", tokyo, dir.path() + "/20261207-105603-001.mhtml"};
        RecordedPage b{0, "B", "file:///C:/x.html", tokyo.addDays(1), {}};
        const QByteArray bytes = nf::indexBytes({a, b});
        QVERIFY(bytes.startsWith("2026-12-07T10:56:03+09:00\thttp://a/?q=1\t年表 1900\t20261207-105603-001.mhtml\r\n"));

        // Equal pages take their own entries in order; a page read back
        // through the code page (quotes as U+201D, emoji as "?") finds its
        // entry; names that are not the program's copies are not followed.
        const QByteArray index = bytes + "broken line\n" + "\tq\tA\tindex.txt\n" + "\tq\tA\t../../etc/passwd\n"
            + "\thttp://a.jp/?q=🙂\t引用 \"x\" 🙂\t20261207-105603-002.mhtml\n";
        QList<RecordedPage> pages{{0, "引用 ”x” ?", "http://a.jp/?q=%F0%9F%99%82"}, {0, "A", "q"}, {0, "A", "q"},
                                  {0, "年表 1900", "http://a/?q=1"}, {0, "B", "file:///C:/x.html"}};
        nf::pairWithIndex(&pages, index, dir.path());
        QCOMPARE(pages[0].copyPath, dir.path() + "/20261207-105603-002.mhtml");
        QVERIFY(pages[1].copyPath.isEmpty() && pages[2].copyPath.isEmpty());
        QCOMPARE(pages[3].copyPath, a.copyPath);
        QCOMPARE(pages[3].recorded, tokyo);
        QCOMPARE(pages[3].recorded.offsetFromUtc(), 9 * 3600);
        QCOMPARE(pages[4].recorded, tokyo.addDays(1));
    }

    void copiesFollowPagesByIdentity()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/調査.rtf", folder = dir.path() + "/調査.files";
        QString waiting;
        {
            Note n;
            recordWithCopy(n, "A", "http://a/", "first copy of A");
            QTest::qSleep(5); // another time, another file
            const quint64 second = recordWithCopy(n, "A", "http://a/", "second copy of A");
            QString none;
            const quint64 pdf = n.AddRecordedPage("PDF", "http://p/", QDateTime::currentDateTime(), &none);
            n.copyWritten(pdf, false); // the page could not be saved
            waiting = n.waitingFolder();
            QCOMPARE(files(waiting).filter(".mhtml").size(), 2);

            // The first save moves the waiting copies beside the note.
            QVERIFY(save(n, path));
            QCOMPARE(files(waiting).filter(".mhtml").size(), 0);
            QCOMPARE(files(folder).size(), 3);
            QVERIFY(n.pages()[2].copyPath.isEmpty() && n.pages()[2].recorded.isValid());

            // Deleting the first of two equal pages leaves the second its
            // own copy, now and after the next save and open, and the
            // modified flag as it was.
            n.setModified(false);
            n.removePage(0);
            QVERIFY(!n.isModified());
            QCOMPARE(n.pages()[0].id, second);
            QVERIFY(save(n, path));
            QCOMPARE(read(n.pages()[0].copyPath), QByteArray("second copy of A"));
            QCOMPARE(files(folder).size(), 2);
            const nf::Content back = open(path);
            QCOMPARE(back.pages.size(), 2);
            QCOMPARE(read(back.pages[0].copyPath), QByteArray("second copy of A"));
            QCOMPARE(back.pages[0].recorded, n.pages()[0].recorded);

            // Save As elsewhere copies; the first note keeps its own.
            QVERIFY(save(n, dir.path() + "/写し.rtf"));
            QCOMPARE(files(folder).size(), 2);
            QCOMPARE(files(dir.path() + "/写し.files").size(), 2);

            // No pages left: the folder goes.
            n.removePage(0);
            n.removePage(0);
            QVERIFY(save(n, path));
            QVERIFY(!QFileInfo::exists(folder));
            recordWithCopy(n, "E", "http://e/", "unsaved");
        }
        // Closed without saving: nothing waits any more.
        QVERIFY(!QFileInfo::exists(waiting));
    }

    // Each step a kill can stop a save at, as the files stand afterwards.
    void interruptedSaveKeepsOneVersion()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/n.rtf", qvt = dir.path() + "/n.qvt";
        Note n;
        n.setTheme("v1");
        QVERIFY(save(n, path, "{\\rtf1 v1}"));
        auto state = [&] { return QString::fromLatin1(open(path).body) + u'|' + open(path).theme; };
        QCOMPARE(state(), QStringLiteral("{\\rtf1 v1}|v1"));
        const QStringList clean = files(dir.path());

        // New files written, no commit marker: the old version stands and
        // what was written goes.
        mirka::writeFileAtomically(path + ".mirka-new", "{\\rtf1 v2}");
        mirka::writeFileAtomically(qvt + ".mirka-new", "\"v2\"\r\n");
        QCOMPARE(state(), QStringLiteral("{\\rtf1 v1}|v1"));
        QCOMPARE(files(dir.path()), clean);

        // Marker written, renames not made, or made in part: the new one.
        const QByteArray marker = "mirka-commit\r\nrename\tn.rtf\r\nrename\tn.qvt\r\n";
        for (bool bodyRenamed : {false, true}) {
            mirka::writeFileAtomically(path + ".mirka-new", bodyRenamed ? "{\\rtf1 v3}" : "{\\rtf1 v2}");
            mirka::writeFileAtomically(qvt + ".mirka-new", bodyRenamed ? "\"v3\"\r\n" : "\"v2\"\r\n");
            if (bodyRenamed)
                QVERIFY(QFile::remove(path) && QFile::rename(path + ".mirka-new", path));
            mirka::writeFileAtomically(qvt + ".mirka-commit", marker);
            QCOMPARE(state(), bodyRenamed ? QStringLiteral("{\\rtf1 v3}|v3") : QStringLiteral("{\\rtf1 v2}|v2"));
            QCOMPARE(files(dir.path()), clean);
        }

        // A marker edited to name other files is not acted on.
        mirka::writeFileAtomically(dir.path() + "/other.mirka-new", "x");
        mirka::writeFileAtomically(qvt + ".mirka-commit", "mirka-commit\r\nrename\tother\r\nremove\tn.rtf\r\n");
        QCOMPARE(state(), QStringLiteral("{\\rtf1 v3}|v3"));
        QVERIFY(!QFileInfo::exists(dir.path() + "/other"));
    }

    void saveSweepsUnnamedCopiesOnly()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/n.rtf", folder = dir.path() + "/n.files";
        Note n;
        recordWithCopy(n, "A", "http://a/", "copy");
        QVERIFY(save(n, path));
        // Left by a killed save, put there by the user, and an index
        // edited to name itself.
        mirka::writeFileAtomically(folder + "/20200101-000000-000.mhtml", "orphan");
        mirka::writeFileAtomically(folder + "/notes of mine.mhtml", "mine");
        QByteArray index = read(folder + "/index.txt");
        mirka::writeFileAtomically(folder + "/index.txt", index + "\tx\ty\tindex.txt\r\n");
        QVERIFY(save(n, path));
        QCOMPARE(files(folder), (QStringList{QFileInfo(n.pages()[0].copyPath).fileName(), "index.txt",
                                             "notes of mine.mhtml"}));
    }

    void savesNeverTakeAnotherNotesCompanion()
    {
        QTemporaryDir dir;
        Note n;
        n.setTheme("研究");
        n.AddRecordedPage("P", "http://p/");
        // Two names without an extension keep companions of their own.
        QVERIFY(save(n, dir.path() + "/研究ノート"));
        n.setTheme("研修");
        QVERIFY(save(n, dir.path() + "/研修メモ帳"));
        QCOMPARE(open(dir.path() + "/研究ノート").theme, QStringLiteral("研究"));

        // A name whose companion is another body's is refused.
        QVERIFY(save(n, dir.path() + "/a.rtf"));
        QList<RecordedPage> saved;
        QString failed, reason;
        QVERIFY(!nf::write(dir.path() + "/a.txt", "{\\rtf1 x}", "t", {}, &saved, &failed, &reason));
        QCOMPARE(failed, dir.path() + "/a.qvt");
        QVERIFY(reason.contains("a.rtf"));
        QCOMPARE(open(dir.path() + "/a.rtf").pages.size(), 1);

        // An older version's companion is found when the new one is missing;
        // a body with none opens with an empty theme and no pages.
        mirka::writeFileAtomically(dir.path() + "/古いノート", "{\\rtf1 old}");
        mirka::writeFileAtomically(dir.path() + "/古.qvt",
                                   mirka::cp932::encode(u"\"昔のテーマ\"\r\n\"T\",\"http://t/\"\r\n"));
        const nf::Content old = open(dir.path() + "/古いノート");
        QCOMPARE(old.theme, QStringLiteral("昔のテーマ"));
        QCOMPARE(old.pages.size(), 1);
        mirka::writeFileAtomically(dir.path() + "/外部.rtf", "{\\rtf1 other program}");
        const nf::Content outside = open(dir.path() + "/外部.rtf");
        QVERIFY(outside.theme.isEmpty() && outside.pages.isEmpty());
        QCOMPARE(outside.companionPath, dir.path() + "/外部.qvt");
        // A name that is its own companion's is refused; so is a companion
        // that is a folder, the body left as it was.
        QVERIFY(!nf::write(dir.path() + "/x.qvt", "{\\rtf1 x}", "t", {}, &saved, &failed, &reason));
        QVERIFY(!QFileInfo::exists(dir.path() + "/x.qvt"));
        QVERIFY(QDir(dir.path()).mkpath("f.qvt/inside"));
        mirka::writeFileAtomically(dir.path() + "/f.rtf", "{\\rtf1 old}");
        QVERIFY(!nf::write(dir.path() + "/f.rtf", "{\\rtf1 new}", "t", {}, &saved, &failed, &reason));
        QCOMPARE(failed, dir.path() + "/f.qvt");
        QCOMPARE(read(dir.path() + "/f.rtf"), QByteArray("{\\rtf1 old}"));
    }

    // No more pages than a note holds are read, and the rest is told of;
    // a companion cut in a page, too large or not a file, and a folder as
    // the note, fail with the file and the reason.
    void readWithinBounds()
    {
        QTemporaryDir dir;
        const QString note = dir.path() + "/g.rtf", qvt = dir.path() + "/g.qvt";
        mirka::writeFileAtomically(note, "{\\rtf1 g}");
        QByteArray many = "\"t\"\r\n";
        for (int i = 0; i < nf::maxPages + 3; ++i)
            many += "\"t" + QByteArray::number(i) + "\",\"u\"\r\n";
        mirka::writeFileAtomically(qvt, many);
        const nf::Content c = open(note);
        QCOMPARE(c.pages.size(), nf::maxPages);
        QCOMPARE(c.pages.last().title, QStringLiteral("t32766"));
        QVERIFY(c.morePages);

        mirka::writeFileAtomically(qvt, "\"t\"\r\n\"only a title\"\r\n");
        QCOMPARE(open(note).theme, "failed: " + qvt + QStringLiteral(" テーマと記録したページが途中で切れています。"));
        QFile big(qvt);
        QVERIFY(big.resize(100LL * 1024 * 1024));
        QCOMPARE(open(note).theme, "failed: " + qvt + u' ' + mirka::tooLargeReason(mirka::maxSettingsFileSize));
#ifndef _WIN32
        QVERIFY(QFile::remove(qvt));
        QCOMPARE(::mkfifo(QFile::encodeName(qvt).constData(), 0600), 0);
        QCOMPARE(open(note).theme, "failed: " + qvt + u' ' + mirka::notRegularFileReason());
#endif
        QVERIFY(QDir(dir.path()).mkdir("h.rtf"));
        QCOMPARE(open(dir.path() + "/h.rtf").theme, "failed: " + dir.path() + "/h.rtf " + mirka::notRegularFileReason());
    }

    // A copies folder that cannot be made is told and does not stop the
    // save; the copy waits for the next save, which puts it in place.
    void copiesThatCannotBeWrittenDoNotStopTheSave()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/塞.rtf", folder = dir.path() + "/塞.files";
        mirka::writeFileAtomically(folder, "a file in the folder's place");
        Note n;
        recordWithCopy(n, "F", "http://f/", "copy of F");
        QList<RecordedPage> saved;
        QString failed, reason;
        QList<std::pair<QString, QString>> copyFailures;
        QVERIFY(nf::write(path, "{\\rtf1 x}", "t", n.pages(), &saved, &failed, &reason, &copyFailures));
        n.copiesSaved(saved);
        QCOMPARE(copyFailures.size(), 1);
        QCOMPARE(copyFailures[0].first, folder);
        QVERIFY(!copyFailures[0].second.isEmpty());
        QCOMPARE(open(path).pages.size(), 1);
        QCOMPARE(read(n.pages()[0].copyPath), QByteArray("copy of F"));

        QFile::remove(folder);
        QVERIFY(save(n, path));
        QCOMPARE(read(open(path).pages[0].copyPath), QByteArray("copy of F"));
    }

    void foldersLeftByAnEndedProgramGo()
    {
        Note open;
        const QString live = open.waitingFolder();
        const QString left = QFileInfo(live).path() + "/left-behind";
        QDir().mkpath(left);
        mirka::writeFileAtomically(left + "/x.mhtml", "copy");
        Note next;
        QVERIFY(QFileInfo::exists(next.waitingFolder()));
        QVERIFY(!QFileInfo::exists(left));
        QVERIFY(QFileInfo::exists(live)); // still held by the open note
    }
};

QTEST_GUILESS_MAIN(TestNoteFile)
#include "tst_notefile.moc"
