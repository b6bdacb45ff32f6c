// Favourites through the bookmarks HTML file: the format both ways, and
// export then import from the favourites box's context menu.
#include "../support/contextmenu.h"
#include "../support/scripteddialogs.h"
#include "../support/testenv.h"
#include "browser/bookmarksfile.h"
#include "browser/frmBrowser.h"
#include "common/fieldrecord.h"
#include "shell/frmMain.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QtTest>

using mirka::favourites::Favourite;

class TestBookmarksFile : public QObject {
    Q_OBJECT
private slots:
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
            "<DL><p><DT><H3>Folder</H3><DL><p><DT><a href=\"http://b/\" ADD_DATE=\"1\">B\n site</a>"
            "<DT><A HREF=\"http://c/\" MIRKA_ICON=\"9\">C</A><DT><A NAME=x>no address</A></DL></DL>");
        QCOMPARE(other.size(), 2);
        QCOMPARE(other[0].text, QStringLiteral("B site"));
        QCOMPARE(other[0].icon, 1);
        QCOMPARE(other[1].icon, 1);
    }

    void exportThenImportGivesTheSameFavourites()
    {
        TestEnv env;
        ScriptedDialogs script;
        mirka::FieldRecordWriter options;
        options.text(QString()).endLine().text(QString()).endLine().number(0).endLine();
        env.write("mirka.ini", options.data());
        const QByteArray favourites = mirka::favourites::format(
            {{2, "いぬ", "http://dog.example/"}, {5, "むし, 昆虫", "http://bug.example/?a=1&b=2"}});
        env.write("tobla.ini", favourites);
        frmMain frame;
        frame.Form_Load();
        frame.show();
        frmBrowser *b = frmBrowser::createNew();
        QVERIFY(b);

        script.fileAnswers << env.path("bookmarks.html");
        chooseFromContextMenu(b->ImageCombo1, b->ImageCombo1->rect().center(), QStringLiteral("お気に入りを書き出す..."));
        QTRY_VERIFY(!env.read("bookmarks.html").isEmpty());

        env.write("tobla.ini", QByteArray());
        script.fileAnswers << env.path("bookmarks.html");
        chooseFromContextMenu(b->ImageCombo1, b->ImageCombo1->rect().center(), QStringLiteral("お気に入りを読み込む..."));
        QTRY_COMPARE(env.read("tobla.ini"), favourites);
        QCOMPARE(b->ImageCombo1->count(), 2);
        // Importing again adds nothing twice.
        script.fileAnswers << env.path("bookmarks.html");
        chooseFromContextMenu(b->ImageCombo1, b->ImageCombo1->rect().center(), QStringLiteral("お気に入りを読み込む..."));
        QTest::qWait(200);
        QCOMPARE(env.read("tobla.ini"), favourites);
        QCOMPARE(script.unscripted, 0);
    }
};

QTEST_MAIN(TestBookmarksFile)
#include "tst_bookmarksfile.moc"
