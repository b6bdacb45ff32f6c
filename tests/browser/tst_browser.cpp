// Browser windows on the real engine: local pages, a loopback server, and
// the favourites all windows share, with their bookmarks-file form.
#include "../support/windowdriving.h"
#include "loopbackserver.h"
#include "browser/bookmarksfile.h"
#include "common/codepage.h"
#include "common/paths.h"
#include "model/favourites.h"

#include <QAbstractItemView>
#include <QBuffer>
#include <QImage>

using namespace windowdriving;
using mirka::favourites::Favourite;

namespace {

QStringList history(const frmBrowser *b)
{
    QStringList out;
    for (int i = 0; i < b->cboAddress->count(); ++i)
        out << b->cboAddress->itemText(i);
    return out;
}

// Chooses an entry the way the user does: opens the list and clicks it.
void chooseFromList(QComboBox *box, int index)
{
    box->showPopup();
    QAbstractItemView *view = box->view();
    if (!QTest::qWaitFor([view] { return view->isVisible(); }, 2000))
        return;
    const QRect r = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
}

QByteArray line(int icon, const QString &text, const QString &address)
{
    return QByteArray::number(icon) + ",\"" + mirka::cp932::encode(text) + "\",\""
        + mirka::cp932::encode(address) + "\"\r\n";
}

const QString placeholder = QStringLiteral("お気に入り");

} // namespace

class TestBrowser : public QObject {
    Q_OBJECT

    TestEnv env;
    ScriptedDialogs dialogs;
    LoopbackServer server;
    std::unique_ptr<frmMain> frame;
    QString pageA, pageB, untitled;

    static void setOptions(const QString &start, const QString &search = QString())
    {
        Form1::get().Text1->setText(start);
        Form1::get().Text2->setText(search);
    }

    // Adds the page the window shows with this answer to the icon prompt.
    void add(frmBrowser *b, const QString &caption, const QString &address,
             const std::optional<QString> &answer)
    {
        b->setWindowTitle(caption);
        b->cboAddress->setEditText(address);
        dialogs.inputAnswers = {answer};
        clickToolbar(b, "fav");
    }

    void favouritesMenu(frmBrowser *b, const QString &item, const QString &file)
    {
        dialogs.fileAnswers << file;
        chooseFromContextMenu(b->ImageCombo1, b->ImageCombo1->rect().center(), item);
    }

private slots:
    void initTestCase()
    {
        pageA = writePage(env, "a.html", "Page A");
        pageB = writePage(env, "b.html", "Page B");
        untitled = writePage(env, "untitled.html", QString());
        frame = std::make_unique<frmMain>();
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    }

    void cleanup()
    {
        QVERIFY(closesAll());
        setOptions(QString());
        dialogs.asked.clear();
        QFile::remove(env.path("tobla.ini"));
        QDir(env.path("tobla.ini")).removeRecursively();
    }

    void cleanupTestCase() { frame.reset(); }

    // Window load with a start page, the history rules, the
    // caption of titled and untitled pages, addresses without a scheme.
    void loadAndHistory()
    {
        setOptions(pageA);
        frmBrowser *b = frmBrowser::createNew();
        QCOMPARE(history(b), QStringList{pageA});
        QVERIFY(b->timTimer->isActive());
        QVERIFY(completes(b, [] {}));
        QCOMPARE(history(b), QStringList{pageA});
        QVERIFY(settles(b));
        QCOMPARE(b->windowTitle(), QStringLiteral("Page A"));

        QVERIFY(completes(b, [&] { typeAndEnter(b, pageB); }));
        QVERIFY(completes(b, [&] { typeAndEnter(b, pageA); }));
        QCOMPARE(history(b), (QStringList{pageA, pageB}));
        QCOMPARE(b->cboAddress->currentText(), pageA);

        QVERIFY(completes(b, [&] { typeAndEnter(b, untitled); }));
        QVERIFY(settles(b));
        QCOMPARE(b->windowTitle(), untitled);

        // No scheme: where an address bar would go; the history keeps what
        // the engine reports.
        QVERIFY(completes(b, [&] { typeAndEnter(b, QUrl(pageB).toLocalFile()); }));
        QCOMPARE(history(b), (QStringList{pageB, untitled, pageA}));
        QVERIFY(completes(b, [&] {
            typeAndEnter(b, QStringLiteral("127.0.0.1:%1/plain").arg(server.port()));
        }));
        QCOMPARE(history(b).first(), server.url("/plain"));

        // A start address the server redirects (trailing slash added): both
        // stay, the completed one first.
        setOptions(server.url("/dir"));
        frmBrowser *r = frmBrowser::createNew();
        QVERIFY(completes(r, [] {}));
        QCOMPARE(history(r), (QStringList{server.url("/dir/"), server.url("/dir")}));
        QCOMPARE(r->cboAddress->currentText(), server.url("/dir/"));

        // A choice from the list navigates; the window's own selection of the
        // newest entry, checked right after its handler, does not.
        bool busyAfterOwnSelection = true;
        connect(b->brwWebBrowser, &WebBrowser::NavigateComplete2, this,
                [&] { busyAfterOwnSelection = b->brwWebBrowser->Busy(); });
        QVERIFY(completes(b, [&] { chooseFromList(b->cboAddress, 3); }));
        QCOMPARE(history(b), (QStringList{pageA, server.url("/plain"), pageB, untitled}));
        QVERIFY(!busyAfterOwnSelection);
    }

    // The busy caption while a page loads, recording at that moment, Stop,
    // and an address that starts no load.
    void busyCaptionAndStop()
    {
        frmBrowser *b = loaded(pageA);
        QVERIFY(b);
        typeAndEnter(b, server.url("/slow"));
        QTRY_COMPARE_WITH_TIMEOUT(b->windowTitle(), QStringLiteral("**********"), engineTimeout);
        // Recording waits for the load to end and takes the page then shown.
        clickToolbar(b, "check");
        QVERIFY(!frmDocument::instance());

        clickToolbar(b, "Stop");
        QVERIFY(!b->timTimer->isActive());
        QCOMPARE(b->windowTitle(), QStringLiteral("Page A"));
        QVERIFY(QTest::qWaitFor([b] { return !b->brwWebBrowser->Busy(); }, engineTimeout));
        server.releaseSlow();
        QCOMPARE(history(b), QStringList{pageA}); // the stopped load reached nothing
        QTRY_VERIFY(frmDocument::instance() && frmDocument::instance()->List1->count() == 1);
        QCOMPARE(frmDocument::instance()->List1->item(0)->text(), QStringLiteral("Page A"));
        QCOMPARE(frmDocument::instance()->List2->item(0)->text(), pageA);

        // Typing into the address box does not change the page recorded.
        b->cboAddress->setEditText(QStringLiteral("typed, not visited"));
        clickToolbar(b, "check");
        QTRY_COMPARE(frmDocument::instance()->List2->count(), 2);
        QCOMPARE(frmDocument::instance()->List2->item(1)->text(), pageA);

        typeAndEnter(b, QStringLiteral("javascript:void(0)"));
        QVERIFY(b->brwWebBrowser->Busy());
        QVERIFY(settles(b));
        QCOMPARE(history(b), QStringList{pageA});
    }

    // Home and Search read the Options dialog's fields at the moment of use;
    // Back, Forward and Refresh use the control's own history.
    void toolbarCommands()
    {
        frmBrowser *b = loaded(pageA);
        QVERIFY(b);
        setOptions(pageB, server.url("/search")); // edited after the window loaded
        QVERIFY(completes(b, [&] { clickToolbar(b, "Home"); }));
        QCOMPARE(history(b).first(), pageB);
        QVERIFY(completes(b, [&] { clickToolbar(b, "Search"); }));
        QCOMPARE(history(b).first(), server.url("/search"));

        // Back, greyed out where the page history ends (its key is the
        // keys' test).
        auto enabled = [b](const char *key) { return b->tbToolBar->findChild<QAction *>(key)->isEnabled(); };
        QVERIFY(enabled("Back") && !enabled("Forward"));
        QVERIFY(completes(b, [&] { clickToolbar(b, "Back"); }));
        QCOMPARE(b->brwWebBrowser->LocationURL(), pageB);
        QTRY_VERIFY(enabled("Back") && enabled("Forward"));
        QCOMPARE(history(b), (QStringList{pageB, server.url("/search"), pageA}));
    }

    // A double click on a recorded page reaches the shared window: made
    // when there is none, never one of the menu-made windows.
    void sharedWindowFromNote()
    {
        frmDocument::AddRecordedPage(QStringLiteral("Page B"), pageB);
        QListWidget *list = frmDocument::instance()->List1;
        QVERIFY(!frmBrowser::sharedIfOpen());
        doubleClickRow(list, 0);
        frmBrowser *shared = frmBrowser::sharedIfOpen();
        QVERIFY(shared);
        QVERIFY(completes(shared, [] {}));
        QCOMPARE(history(shared), QStringList{pageB});

        // Closed, the next use makes a fresh one; a menu-made window is left
        // alone.
        frmBrowser *menuMade = loaded(pageA);
        QVERIFY(menuMade);
        shared->parentWidget()->close();
        QVERIFY(!frmBrowser::sharedIfOpen());
        doubleClickRow(list, 0);
        frmBrowser *again = frmBrowser::sharedIfOpen();
        QVERIFY(again && again != menuMade);
        QTRY_COMPARE_WITH_TIMEOUT(history(again).value(0), pageB, engineTimeout);
        QCOMPARE(history(menuMade), QStringList{pageA});
    }

    // The first addition makes a one-line file, the prompt's answer read as
    // a number (the model's test) and preset to 1; text with a comma or a
    // double quote; every window reads the file when it becomes active and
    // keeps its choice; deleting moves the next up; the last leaves zero
    // bytes; refused answers add nothing and say so.
    void favouritesFile()
    {
        frmBrowser *one = frmBrowser::createNew();
        frmBrowser *two = frmBrowser::createNew();
        add(one, "年表, 1900-1950", "file:///C:/docs/a.html", "6.4");
        QCOMPARE(env.read("tobla.ini"), line(6, "年表, 1900-1950", "file:///C:/docs/a.html"));
        QCOMPARE(dialogs.asked.first().file.initialFile, QStringLiteral("1"));
        activate(two);
        chooseFromList(two->ImageCombo1, 0);
        add(one, "Say \"hi\"", "http://b/", "1");
        add(one, "くま", "http://c/", "3");
        QCOMPARE(one->ImageCombo1->currentText(), placeholder);
        for (const std::optional<QString> &refused : {std::optional<QString>("0.4"), std::optional<QString>("7"),
                                                      std::optional<QString>()}) {
            add(one, "refused", "http://r/", refused);
            QCOMPARE(dialogs.messages().last(), QStringLiteral("1～6の数字を入れてください"));
        }
        QCOMPARE(one->ImageCombo1->count(), 3);

        activate(two);
        QCOMPARE(two->ImageCombo1->count(), 3);
        QCOMPARE(two->ImageCombo1->currentIndex(), 0);
        QCOMPARE(two->ImageCombo1->itemText(1), QStringLiteral("Say \u201Dhi\u201D"));
        QCOMPARE(two->ImageCombo1->itemData(1, Qt::UserRole).toString(), QStringLiteral("http://b/"));
        QCOMPARE(two->ImageCombo1->itemIcon(2).cacheKey(), two->ImageList2[3 - 1].cacheKey());
        chooseFromList(two->ImageCombo1, 1);
        two->Command2->click();
        QCOMPARE(two->ImageCombo1->currentText(), placeholder);
        QCOMPARE(env.read("tobla.ini"), line(6, "年表, 1900-1950", "file:///C:/docs/a.html") + line(3, "くま", "http://c/"));
        for (int i = 0; i < 2; ++i) {
            chooseFromList(two->ImageCombo1, 0);
            two->Command2->click();
        }
        QCOMPARE(two->ImageCombo1->count(), 0);
        QVERIFY(QFile::exists(env.path("tobla.ini")));
        QCOMPARE(env.read("tobla.ini").size(), 0);
        QCOMPARE(dialogs.messages().size(), 3);
    }

    // GO opens the chosen favourite; choosing alone does not.
    void openFavourite()
    {
        const QString page = writePage(env, "fav.html", "Favourite page");
        frmBrowser *b = frmBrowser::createNew();
        add(b, "Favourite page", page, "4");
        b->setWindowTitle(QString());
        b->cboAddress->setEditText(QString());

        b->Command1->click();
        QVERIFY(!b->brwWebBrowser->Busy());
        chooseFromList(b->ImageCombo1, 0);
        QCOMPARE(b->ImageCombo1->currentText(), QStringLiteral("Favourite page"));
        QVERIFY(!b->brwWebBrowser->Busy());
        QVERIFY(completes(b, [&] { b->Command1->click(); }));
        QCOMPARE(history(b), QStringList{page});
        QVERIFY(settles(b));
        QCOMPARE(b->windowTitle(), QStringLiteral("Favourite page"));
    }

    // A favourites file that cannot be written: one message naming it per
    // command, the box keeps what the user sees, later commands still work.
    void favouritesWriteFailure()
    {
        frmBrowser *b = frmBrowser::createNew();
        QVERIFY(QDir().mkpath(env.path("tobla.ini")));
        add(b, "kept in the box", "http://k/", "2");
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY(dialogs.messages().first().contains(mirka::fileBesideExecutable("tobla.ini")));
        QCOMPARE(b->ImageCombo1->count(), 1);
        chooseFromList(b->ImageCombo1, 0);
        b->Command2->click();
        QCOMPARE(dialogs.messages().size(), 2);
        QCOMPARE(b->ImageCombo1->count(), 0);
        QCOMPARE(b->ImageCombo1->currentText(), placeholder);
        QVERIFY(QDir(env.path("tobla.ini")).removeRecursively());
        add(b, "after", "http://a/", "2");
        QCOMPARE(dialogs.messages().size(), 2);
        QCOMPARE(env.read("tobla.ini"), line(2, "after", "http://a/"));
    }

    // Another browser's bookmarks: nested folders, no icon, an icon out of
    // range, an entry without an address.
    void bookmarksFromElsewhere()
    {
        const QList<Favourite> other = mirka::bookmarksfile::parse(
            "<DL><p><DT><H3>Folder</H3><DL><p><DT><a href=\"http://b/\" ADD_DATE=\"1\">B\n <b>site</b></a>"
            "<DT><A HREF='http://c/' MIRKA_ICON=\"9\">C</A><DT><A NAME=x>no address</A></DL></DL>");
        QCOMPARE(other.size(), 2);
        QCOMPARE(other[0].text, QStringLiteral("B site"));
        QCOMPARE(other[0].icon, 1);
        QCOMPARE(other[1].address, QStringLiteral("http://c/"));
        QCOMPARE(other[1].icon, 1);
    }

    // Exported, then imported from the favourites box's menu: the same
    // favourites, and nothing twice. One message at the end says what was
    // taken and why the rest was not.
    void bookmarksExportAndImport_data()
    {
        QTest::addColumn<QByteArray>("file"); // empty: the export
        QTest::addColumn<int>("held");        // favourites before the import
        QTest::addColumn<int>("added");
        QTest::addColumn<QString>("message");
        QTest::newRow("export, import") << QByteArray() << 0 << 2 << "お気に入りに 2 件を読み込みました。";
        QTest::newRow("again") << QByteArray() << 2 << 0
                               << "お気に入りに 0 件を読み込みました。\n\n読み込まなかったもの:\nすでにあるもの 2 件";
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImage(4, 4, QImage::Format_RGB32).save(&buffer, "PNG");
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

    void bookmarksExportAndImport()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, held);
        QFETCH(int, added);
        QFETCH(QString, message);
        frmBrowser *b = frmBrowser::createNew();
        // Escapes in an address are not placeholders of the line.
        const QByteArray favourites = mirka::favourites::format(
            {{2, "いぬ & %1", "http://dog.example/?u=a%2Fb%3Ac"}, {5, "むし, 昆虫", "http://bug.example/?a=1&b=2"}});
        if (file.isEmpty()) {
            env.write("tobla.ini", favourites);
            favouritesMenu(b, QStringLiteral("お気に入りを書き出す..."), env.path("bookmarks.html"));
            QTRY_VERIFY(!env.read("bookmarks.html").isEmpty());
            file = env.read("bookmarks.html");
        }
        QByteArray before = held == 2 ? favourites : QByteArray();
        for (int i = 0; held > 2 && i < held; ++i)
            before += "1,\"f\",\"http://held/" + QByteArray::number(i) + "\"\r\n";
        env.write("tobla.ini", before);
        env.write("import.html", file);
        const int asked = dialogs.messages().size();
        favouritesMenu(b, QStringLiteral("お気に入りを読み込む..."), env.path("import.html"));
        QTRY_COMPARE(dialogs.messages().size(), asked + 1);
        QVERIFY(dialogs.messages().last().startsWith(message));
        QCOMPARE(mirka::favourites::parse(env.read("tobla.ini")).size(), held + added);
        QCOMPARE(b->ImageCombo1->count(), held + added);
        if (held + added == 2)
            QCOMPARE(env.read("tobla.ini"), favourites);
    }
};

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
