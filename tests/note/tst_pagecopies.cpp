// The copies folder of a note on real files: its index, the pairing of pages
// and copies, and what each save leaves on disk.
#include "common/savefile.h"
#include "note/pagecopies.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using mirka::PageCopies;
using mirka::PageCopy;
using mirka::RecordedPage;

namespace {

// Records a page whose copy the engine would write; the copy holds text.
int recordWithCopy(PageCopies &c, const QString &title, const QString &address, const QByteArray &text)
{
    QString path;
    const int id = c.record(title, address, QDateTime::currentDateTime(), &path);
    mirka::writeFileAtomically(path, text);
    c.copyWritten(id, true);
    return id;
}

bool save(PageCopies &c, const QString &folder, const QList<RecordedPage> &pages)
{
    QString failed, reason;
    return c.prepareSave(folder, pages, &failed, &reason) && c.finishSave(&failed, &reason);
}

QStringList files(const QString &folder)
{
    return QDir(folder).entryList({"*.mhtml", "index.txt"}, QDir::Files, QDir::Name);
}

QByteArray read(const QString &path)
{
    QByteArray b;
    mirka::readWholeFile(path, &b);
    return b;
}

} // namespace

class TestPageCopies : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void indexKeepsTimesAndSkipsWhatItCannotRead()
    {
        const QDateTime tokyo(QDate(2026, 12, 7), QTime(10, 56, 3), Qt::OffsetFromUTC, 9 * 3600);
        PageCopy a{tokyo, "http://a/?q=1", "年表\t1900", "a.mhtml", "/f"};
        PageCopy b{tokyo.addDays(1), "file:///C:/x.html", "B", QString(), "/f"};
        const QByteArray bytes = PageCopies::indexBytes({a, b});
        QVERIFY(bytes.startsWith("2026-12-07T10:56:03+09:00\thttp://a/?q=1\t"));
        QCOMPARE(bytes.count("\r\n"), 2);
        const QDateTime utc(QDate(2026, 12, 7), QTime(1, 2, 3), Qt::UTC);
        QVERIFY(PageCopies::indexBytes({PageCopy{utc, "a", "t", "f"}}).startsWith("2026-12-07T01:02:03+00:00\t"));

        const QList<PageCopy> back = PageCopies::parseIndex(
            bytes + "broken line\n\t\t\t../../etc/passwd\nx\ty\tz\tsub/dir.mhtml\n", "/g");
        QCOMPARE(back.size(), 4);
        QCOMPARE(back[0].recorded, tokyo);
        QCOMPARE(back[0].recorded.offsetFromUtc(), 9 * 3600);
        QCOMPARE(back[0].title, QStringLiteral("年表 1900"));
        QCOMPARE(back[0].filePath(), QStringLiteral("/g/a.mhtml"));
        QVERIFY(back[1].fileName.isEmpty());
        // Names that reach outside the folder are not followed.
        QVERIFY(back[2].fileName.isEmpty() && back[3].fileName.isEmpty());
        QCOMPARE(PageCopies::folderFor("/n/調査.qvt"), QStringLiteral("/n/調査.files"));
    }

    void pagesPairWithCopiesInOrder()
    {
        QList<PageCopy> copies(4);
        copies[0].title = "A", copies[0].address = "a";
        copies[1].title = "B", copies[1].address = "b";
        copies[2].title = "A", copies[2].address = "a";
        copies[3].title = "A", copies[3].address = "other";
        const QList<RecordedPage> pages{{"A", "a"}, {"C", "c"}, {"A", "a"}, {"A", "a"}, {"B", "b"}};
        QCOMPARE(PageCopies::match(copies, pages), (QList<int>{0, -1, 2, -1, 1}));

        // A page read back from the note file finds its copy: the file
        // holds what the code page can, and quotes as U+201D.
        copies = {PageCopy{{}, "http://a.jp/?q=🙂", "引用 \"x\" 🙂", "a.mhtml", "/f"}};
        const QList<RecordedPage> readBack{{"引用 ”x” ?", "http://a.jp/?q=%F0%9F%99%82"}};
        QCOMPARE(PageCopies::match(copies, readBack), QList<int>{0});
    }

    void savesMoveCopyAndDropCopies()
    {
        QTemporaryDir dir;
        const QString a = dir.path() + "/調査.files", b = dir.path() + "/写し.files";
        QString waiting;
        {
            PageCopies c;
            recordWithCopy(c, "A", "http://a/", "text of A");
            recordWithCopy(c, "B", "http://b/", "text of B");
            QString failedPath;
            const int none = c.record("PDF", "http://p/", QDateTime::currentDateTime(), &failedPath);
            c.copyWritten(none, false); // the page could not be saved
            waiting = c.waitingFolder();
            QCOMPARE(files(waiting).size(), 2);
            QList<RecordedPage> pages{{"A", "http://a/"}, {"B", "http://b/"}, {"PDF", "http://p/"}};

            // The first save moves the waiting copies beside the note.
            QVERIFY(save(c, a, pages));
            QCOMPARE(files(waiting), QStringList());
            QCOMPARE(files(a).size(), 3);
            QCOMPARE(read(a + "/index.txt").count("\r\n"), 3);
            QVERIFY(c.entries()[2].fileName.isEmpty() && c.entries()[2].recorded.isValid());

            // Save As to another name copies; the first note keeps its own.
            QVERIFY(save(c, b, pages));
            QCOMPARE(files(a).size(), 3);
            QCOMPARE(files(b).size(), 3);
            QCOMPARE(read(c.entries()[1].filePath()), QByteArray("text of B"));

            // A deleted page's copy goes with the next save.
            pages.removeAt(0);
            QVERIFY(save(c, b, pages));
            QCOMPARE(files(b).size(), 2);
            QVERIFY(!read(b + "/index.txt").contains("http://a/"));

            // A save that fails after the copies were prepared leaves the
            // folder as it was.
            recordWithCopy(c, "D", "http://d/", "text of D");
            const QByteArray index = read(b + "/index.txt");
            QString failed, reason;
            QVERIFY(c.prepareSave(b, pages << RecordedPage{"D", "http://d/"}, &failed, &reason));
            QCOMPARE(files(b).size(), 3);
            c.abandonSave();
            QCOMPARE(files(b).size(), 2);
            QCOMPARE(read(b + "/index.txt"), index);

            // No pages left: the folder goes.
            QVERIFY(save(c, b, {}));
            QVERIFY(!QFileInfo::exists(b));

            // Opening reads the index only; a copy deleted by hand is simply missing.
            QFile::remove(a + "/" + files(a).first());
            c.load(a);
            QCOMPARE(c.entries().size(), 3);
            recordWithCopy(c, "E", "http://e/", "text of E");
        }
        // Closed without saving: nothing waits any more.
        QVERIFY(!QFileInfo::exists(waiting));
    }

    void foldersLeftByAnEndedProgramGo()
    {
        PageCopies open;
        const QString live = open.waitingFolder();
        const QString left = QFileInfo(live).path() + "/left-behind";
        QDir().mkpath(left);
        mirka::writeFileAtomically(left + "/x.mhtml", "copy");
        PageCopies next;
        QVERIFY(QFileInfo::exists(next.waitingFolder()));
        QVERIFY(!QFileInfo::exists(left));
        QVERIFY(QFileInfo::exists(live)); // still held by the open note
    }
};

QTEST_GUILESS_MAIN(TestPageCopies)
#include "tst_pagecopies.moc"
