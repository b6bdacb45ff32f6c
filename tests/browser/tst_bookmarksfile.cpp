// Favourites through the bookmarks HTML file: the format both ways, export
// then import from the favourites box's context menu, and what an import
// says about a file it cannot or will not take whole.
#include "../support/userinput.h"
#include "../support/scripteddialogs.h"
#include "../support/testenv.h"
#include "browser/bookmarksfile.h"
#include "browser/frmBrowser.h"
#include "common/fieldrecord.h"
#include "shell/frmMain.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QImage>
#include <QMenu>
#include <QtTest>
#include <memory>

using mirka::favourites::Favourite;

class TestBookmarksFile : public QObject {
    Q_OBJECT

    TestEnv env;
    ScriptedDialogs script;
    std::unique_ptr<frmMain> frame;
    frmBrowser *b = nullptr;

    void import(const QString &path)
    {
        script.fileAnswers << path;
        chooseFromContextMenu(b->ImageCombo1, b->ImageCombo1->rect().center(), QStringLiteral("お気に入りを読み込む..."));
    }

private slots:
    void initTestCase()
    {
        mirka::FieldRecordWriter options;
        options.text(QString()).endLine().text(QString()).endLine().number(0).endLine();
        env.write("mirka.ini", options.data());
        frame = std::make_unique<frmMain>();
        frame->Form_Load();
        frame->show();
        b = frmBrowser::createNew();
    }

    void cleanupTestCase() { frame.reset(); }

    void formatAndParse()
    {
        const QList<Favourite> list{{3, "図書館 & 資料", "http://a.jp/?x=1&y=2"},
                                    {6, "年表 \"1900\"", "file:///C:/docs/a.html"},
                                    // Escapes in an address are not placeholders of the line.
                                    {2, "検索 %1", "http://x/?u=a%2Fb%3Ac"}};
        const QList<Favourite> back = mirka::bookmarksfile::parse(mirka::bookmarksfile::format(list));
        QCOMPARE(back.size(), list.size());
        for (int i = 0; i < list.size(); ++i) {
            QCOMPARE(back[i].icon, list[i].icon);
            QCOMPARE(back[i].text, list[i].text);
            QCOMPARE(back[i].address, list[i].address);
        }
        // Another browser's file: nested folders, no icon, an icon out of range.
        const QList<Favourite> other = mirka::bookmarksfile::parse(
            "<DL><p><DT><H3>Folder</H3><DL><p><DT><a href=\"http://b/\" ADD_DATE=\"1\">B\n <b>site</b></a>"
            "<DT><A HREF='http://c/' MIRKA_ICON=\"9\">C</A><DT><A NAME=x>no address</A></DL></DL>");
        QCOMPARE(other.size(), 2);
        QCOMPARE(other[0].text, QStringLiteral("B site"));
        QCOMPARE(other[0].icon, 1);
        QCOMPARE(other[1].address, QStringLiteral("http://c/"));
        QCOMPARE(other[1].icon, 1);
    }

    void exportThenImportGivesTheSameFavourites()
    {
        const QByteArray favourites = mirka::favourites::format(
            {{2, "いぬ", "http://dog.example/"}, {5, "むし, 昆虫", "http://bug.example/?a=1&b=2"}});
        env.write("tobla.ini", favourites);
        script.fileAnswers << env.path("bookmarks.html");
        chooseFromContextMenu(b->ImageCombo1, b->ImageCombo1->rect().center(), QStringLiteral("お気に入りを書き出す..."));
        QTRY_VERIFY(!env.read("bookmarks.html").isEmpty());

        env.write("tobla.ini", QByteArray());
        import(env.path("bookmarks.html"));
        QTRY_COMPARE(env.read("tobla.ini"), favourites);
        QCOMPARE(b->ImageCombo1->count(), 2);
        QCOMPARE(script.messages().last(), QStringLiteral("お気に入りに 2 件を読み込みました。"));
        // Importing again adds nothing twice.
        import(env.path("bookmarks.html"));
        QCOMPARE(env.read("tobla.ini"), favourites);
        QCOMPARE(script.messages().last(),
                 QStringLiteral("お気に入りに 0 件を読み込みました。\n\n読み込まなかったもの:\nすでにあるもの 2 件"));
    }

    // One message at the end says what was taken and why the rest was not;
    // a file that is no bookmarks file is named as such.
    void importReports_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("held"); // favourites before the import
        QTest::addColumn<int>("added");
        QTest::addColumn<QString>("message");
        QByteArray png;
        {
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            QImage(4, 4, QImage::Format_RGB32).save(&buffer, "PNG");
        }
        QTest::newRow("picture named .html") << png << 0 << 0 << "このファイルはお気に入り (ブックマーク) のファイルではありません。";
        QByteArray scripts = "<!DOCTYPE NETSCAPE-Bookmark-file-1><DL>";
        for (const char *a : {"javascript:alert(1)", "JaVaScRiPt:alert(1)", "data:text/html,x", "file:///etc/passwd",
                              "mailto:x@example.org", "https://ok.example/"})
            scripts += QByteArray("<DT><A HREF=\"") + a + "\">x</A>";
        QTest::newRow("addresses that are not web pages")
            << scripts << 0 << 1
            << "お気に入りに 1 件を読み込みました。\n\n読み込まなかったもの:\n"
               "Webページでないアドレス (javascript:、data:、file: など) 5 件";
        QByteArray many = "<!DOCTYPE NETSCAPE-Bookmark-file-1><DL>";
        for (int i = 0; i < 3; ++i)
            many += "<DT><A HREF=\"http://new/" + QByteArray::number(i) + "\">n</A>";
        QTest::newRow("past the limit") << many << mirka::favourites::maxFavourites - 1 << 1
                                        << "お気に入りに 1 件を読み込みました。\n\n読み込まなかったもの:\n"
                                           "お気に入りの上限 (32767 件) を超える 2 件";
    }

    void importReports()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, held);
        QFETCH(int, added);
        QFETCH(QString, message);
        QByteArray favourites;
        for (int i = 0; i < held; ++i)
            favourites += "1,\"f\",\"http://held/" + QByteArray::number(i) + "\"\r\n";
        env.write("tobla.ini", favourites);
        env.write("import.html", file);
        const int asked = script.messages().size();
        import(env.path("import.html"));
        QTRY_COMPARE(script.messages().size(), asked + 1);
        QVERIFY(script.messages().last().startsWith(message));
        QCOMPARE(mirka::favourites::parse(env.read("tobla.ini")).size(), held + added);
    }
};

QTEST_MAIN(TestBookmarksFile)
#include "tst_bookmarksfile.moc"
