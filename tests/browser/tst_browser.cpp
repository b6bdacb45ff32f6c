// Browser windows on the real engine: local pages, a loopback server, and
// the favourites file all windows share.
#include "../support/scripteddialogs.h"
#include "../support/testenv.h"
#include "browserdriving.h"
#include "loopbackserver.h"
#include "browser/WebBrowser.h"
#include "model/favourites.h"
#include "browser/frmBrowser.h"
#include "common/codepage.h"
#include "common/paths.h"
#include "common/twips.h"
#include "note/frmDocument.h"
#include "note/notefiles.h"
#include "shell/Form1.h"
#include "shell/frmMain.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QToolBar>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>
#include <memory>

using namespace browserdriving;

namespace {

QStringList history(const frmBrowser *b)
{
    QStringList out;
    for (int i = 0; i < b->cboAddress->count(); ++i)
        out << b->cboAddress->itemText(i);
    return out;
}

void pressButton(frmBrowser *b, const QString &key)
{
    for (QAction *a : b->tbToolBar->actions())
        if (a->data().toString() == key)
            a->trigger();
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
    QString pageA, pageB, untitled, opener, target;

    static void setOptions(const QString &start, const QString &search = QString())
    {
        Form1::get().Text1->setText(start);
        Form1::get().Text2->setText(search);
    }

    // Writes a page beside the program and returns its address as the engine
    // reports it; an empty title writes a page without a title element.
    QString writePage(const QString &name, const QString &title, const QString &body = QString())
    {
        const QString head = title.isEmpty() ? QString() : "<title>" + title + "</title>";
        env.write(name, ("<!DOCTYPE html><html><head><meta charset=\"utf-8\">" + head + "</head><body>"
                         + (body.isEmpty() ? name : body) + "</body></html>").toUtf8());
        return QUrl::fromLocalFile(env.path(name)).toString();
    }

    // A new window that has completed its start page.
    static frmBrowser *loaded(const QString &start)
    {
        setOptions(start);
        frmBrowser *b = frmBrowser::createNew();
        return completes(b, [] {}) && settles(b) ? b : nullptr;
    }

    // Adds the page the window shows with this answer to the icon prompt.
    void add(frmBrowser *b, const QString &caption, const QString &address,
             const std::optional<QString> &answer)
    {
        b->setWindowTitle(caption);
        b->cboAddress->setEditText(address);
        dialogs.inputAnswers = {answer};
        pressButton(b, "fav");
    }

private slots:
    void initTestCase()
    {
        pageA = writePage("a.html", "Page A");
        pageB = writePage("b.html", "Page B");
        untitled = writePage("untitled.html", QString());
        target = writePage("target.html", "Target");
        opener = writePage("opener.html", "Opener",
                           "<button style=\"position:fixed;left:0;top:0;width:100%;height:100%\""
                           " onclick=\"window.open('target.html')\">open</button>");
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

    // Window load with and without a start page, the history rules, the
    // caption of titled and untitled pages, addresses without a scheme.
    void loadAndHistory()
    {
        frmBrowser *empty = frmBrowser::createNew();
        QVERIFY(history(empty).isEmpty());
        QVERIFY(empty->cboAddress->currentText().isEmpty());
        QVERIFY(!empty->timTimer->isActive());
        typeAndEnter(empty, QString()); // an empty address goes nowhere
        QVERIFY(!empty->brwWebBrowser->Busy());

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
    }

    // The resize rule in twips, and a window too small for it.
    void layoutInTwips()
    {
        using namespace mirka::twips;
        frmBrowser *b = frmBrowser::createNew();
        QWidget *sub = b->parentWidget();
        sub->resize(900, 600);
        QTRY_VERIFY(b->width() > 800);
        const int w = fromPixelsX(b->width());
        const int h = fromPixelsY(b->height());
        QCOMPARE(b->picAddress->geometry(), QRect(0, toPixelsY(645), b->width(), toPixelsY(435)));
        QCOMPARE(b->cboAddress->geometry(), toPixels(3200, 0, w - 3200, 300));
        QCOMPARE(b->brwWebBrowser->geometry(), toPixels(120, 1080, w - 100, h - 1180));

        // Narrower than 3200 twips and lower than the strips: the address box
        // and the page height keep their last extents, the page width follows.
        sub->resize(sub->size() - b->size() + QSize(toPixelsX(3000), toPixelsY(1000)));
        QTRY_COMPARE(b->width(), toPixelsX(3000));
        QCOMPARE(b->cboAddress->width(), toPixelsX(w - 3200));
        QCOMPARE(b->brwWebBrowser->width(), toPixelsX(fromPixelsX(b->width()) - 100));
        QCOMPARE(b->brwWebBrowser->height(), toPixelsY(h - 1180));
    }

    // A choice from the list navigates; the window's own selection of the
    // newest entry does not.
    void choosingFromHistory()
    {
        frmBrowser *b = loaded(pageA);
        QVERIFY(b);
        QVERIFY(completes(b, [&] { typeAndEnter(b, pageB); }));
        // Checked right after the window's own handler: had selecting entry 0
        // navigated, the control would be busy with a new request.
        bool busyAfterOwnSelection = true;
        connect(b->brwWebBrowser, &WebBrowser::NavigateComplete2, this,
                [&] { busyAfterOwnSelection = b->brwWebBrowser->Busy(); });
        QVERIFY(completes(b, [&] { chooseFromList(b->cboAddress, 1); }));
        QCOMPARE(history(b), (QStringList{pageA, pageB}));
        QVERIFY(!busyAfterOwnSelection);
    }

    // The busy caption while a page loads, recording and adding a favourite
    // at that moment, Stop, and an address that starts no load.
    void busyCaptionAndStop()
    {
        frmBrowser *b = loaded(pageA);
        QVERIFY(b);
        typeAndEnter(b, server.url("/slow"));
        QTRY_COMPARE_WITH_TIMEOUT(b->windowTitle(), QStringLiteral("**********"), engineTimeout);
        // Recording waits for the load to end and takes the page then shown.
        pressButton(b, "check");
        QVERIFY(!frmDocument::instance());
        dialogs.inputAnswers = {QStringLiteral("2")};
        pressButton(b, "fav");
        QCOMPARE(b->ImageCombo1->itemText(0), QStringLiteral("**********"));

        pressButton(b, "Stop");
        QVERIFY(!b->timTimer->isActive());
        QCOMPARE(b->windowTitle(), QStringLiteral("Page A"));
        QVERIFY(QTest::qWaitFor([b] { return !b->brwWebBrowser->Busy(); }, engineTimeout));
        server.releaseSlow();
        QCOMPARE(history(b), QStringList{pageA}); // the stopped load reached nothing
        QTRY_VERIFY(frmDocument::instance() && frmDocument::instance()->List1->count() == 1);
        QCOMPARE(frmDocument::instance()->List1->item(0)->text(), QStringLiteral("Page A"));
        QCOMPARE(frmDocument::instance()->List2->item(0)->text(), pageA);

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
        setOptions(QString(), QString());
        for (const char *key : {"Home", "Search"}) {
            pressButton(b, key);
            QCOMPARE(b->cboAddress->currentText(), QString());
            QVERIFY(settles(b));
        }
        QCOMPARE(history(b), QStringList{pageA});

        setOptions(pageB, server.url("/search")); // edited after the window loaded
        QVERIFY(completes(b, [&] { pressButton(b, "Home"); }));
        QCOMPARE(history(b).first(), pageB);
        QVERIFY(completes(b, [&] { pressButton(b, "Search"); }));
        QCOMPARE(history(b).first(), server.url("/search"));

        // Back and Forward are greyed out where the page history ends.
        auto enabled = [b](const char *key) { return b->tbToolBar->findChild<QAction *>(key)->isEnabled(); };
        QVERIFY(enabled("Back") && !enabled("Forward"));
        QVERIFY(completes(b, [&] { pressButton(b, "Back"); }));
        QCOMPARE(b->brwWebBrowser->LocationURL(), pageB);
        QTRY_VERIFY(enabled("Back") && enabled("Forward"));
        QVERIFY(completes(b, [&] { pressButton(b, "Forward"); }));
        QTRY_VERIFY(enabled("Back") && !enabled("Forward"));
        QVERIFY(completes(b, [&] { pressButton(b, "Refresh"); }));
        QCOMPARE(history(b), (QStringList{server.url("/search"), pageB, pageA}));
    }

    // Recording the page shown: with no note window, after typing, twice,
    // and from two windows with separate histories into one note.
    void recording()
    {
        frmBrowser *one = loaded(pageA);
        QVERIFY(one);
        pressButton(one, "check");
        frmDocument *note = frmDocument::instance();
        QVERIFY(note);
        one->cboAddress->setEditText(QStringLiteral("typed, not visited"));
        pressButton(one, "check");
        pressButton(one, "check");
        frmBrowser *two = loaded(pageB);
        QVERIFY(two);
        pressButton(two, "check");

        QCOMPARE(history(one), QStringList{pageA});
        QCOMPARE(history(two), QStringList{pageB});
        QStringList recorded;
        for (int i = 0; i < note->List1->count(); ++i)
            recorded << note->List1->item(i)->text() + u'|' + note->List2->item(i)->text();
        // Typing into the address box does not change the page shown.
        const QString shown = "Page A|" + pageA;
        QCOMPARE(recorded, (QStringList{shown, shown, shown, "Page B|" + pageB}));
    }

    // A page's request for a new window opens a further browser window,
    // which starts from the start page, shows the requested page and has the
    // favourites.
    void newWindowFromPage()
    {
        env.write("tobla.ini", line(4, "Kept", "http://kept/"));
        frmBrowser *b = loaded(opener);
        QVERIFY(b);
        // A click on the page, as only a user's gesture opens a window.
        frame->mnuWindowTileHorizontal->trigger();
        QTest::mouseClick(frame->windowHandle(), Qt::LeftButton, {},
                          b->brwWebBrowser->mapTo(frame.get(), QPoint(20, 20)));
        QMdiArea *area = frame->mdiArea();
        QTRY_COMPARE_WITH_TIMEOUT(area->subWindowList().size(), 2, engineTimeout);
        auto *opened = qobject_cast<frmBrowser *>(area->subWindowList(QMdiArea::CreationOrder).last()->widget());
        QVERIFY(opened && !frmBrowser::sharedIfOpen());
        QTRY_COMPARE_WITH_TIMEOUT(history(opened), (QStringList{target, opener}), engineTimeout);
        QVERIFY(settles(opened));
        QCOMPARE(opened->windowTitle(), QStringLiteral("Target"));
        QCOMPARE(opened->ImageCombo1->count(), 1);
        QCOMPARE(history(b), QStringList{opener});
    }

    // A double click on a recorded page reaches the shared window: made
    // when there is none, never one of the menu-made windows.
    void sharedWindowFromNote()
    {
        frmDocument::AddRecordedPage(QStringLiteral("Page B"), pageB);
        QListWidget *list = frmDocument::instance()->List1;
        auto doubleClickFirst = [list] {
            const QPoint at = list->visualItemRect(list->item(0)).center();
            // A double click follows a first click, as with a real mouse.
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        };

        QVERIFY(!frmBrowser::sharedIfOpen());
        doubleClickFirst();
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
        doubleClickFirst();
        frmBrowser *again = frmBrowser::sharedIfOpen();
        QVERIFY(again && again != menuMade);
        QTRY_COMPARE_WITH_TIMEOUT(history(again).value(0), pageB, engineTimeout);
        QCOMPARE(history(menuMade), QStringList{pageA});
    }

    // The icon prompt (its answer preset to 1) and how the answer is read;
    // refused answers add nothing and say so.
    void iconAnswers()
    {
        frmBrowser *b = frmBrowser::createNew();
        QCOMPARE(b->ImageCombo1->currentText(), placeholder);
        QCOMPARE(b->ImageCombo1->count(), 0);

        const QList<std::pair<QString, int>> accepted = {
            {"3", 3}, {" 4 ", 4}, {"5x", 5}, {"2.5", 2}, {"3.5", 4}, {"0.6", 1}, {"6.5", 6},
            {"\t+2\n", 2}, {".5e1", 5}, {"1e", 1}};
        for (const auto &[answer, icon] : accepted) {
            add(b, "Page", "http://a/", answer);
            QCOMPARE(b->ImageCombo1->count(), 1);
            QCOMPARE(env.read("tobla.ini"), line(icon, "Page", "http://a/"));
            b->ImageCombo1->setCurrentIndex(0);
            b->DeleteFavourite();
        }
        QVERIFY(dialogs.messages().isEmpty());
        QCOMPARE(dialogs.asked.first().kind, QStringLiteral("input"));
        QCOMPARE(dialogs.asked.first().file.initialFile, QStringLiteral("1"));

        const QList<std::optional<QString>> refused = {
            QString("6.6"), QString("0.4"), QString("-1"), QString("1 2"), QString("40000"),
            QString("abc"), QString(""), QString("1e999"), std::nullopt};
        for (const std::optional<QString> &answer : refused) {
            dialogs.asked.clear();
            add(b, "Page", "http://a/", answer);
            QCOMPARE(b->ImageCombo1->count(), 0);
            QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("1～6の数字を入れてください")});
        }
        QCOMPARE(env.read("tobla.ini"), QByteArray());
    }

    // The first addition makes a one-line file; text with a comma or a
    // double quote; order, icons and addresses survive a save and a load in
    // another window; deleting the last leaves zero bytes.
    void favouritesFile()
    {
        frmBrowser *one = frmBrowser::createNew();
        QVERIFY(!QFile::exists(env.path("tobla.ini")));
        add(one, "年表, 1900-1950", "file:///C:/docs/a.html", "6");
        QCOMPARE(env.read("tobla.ini"), line(6, "年表, 1900-1950", "file:///C:/docs/a.html"));
        add(one, "Say \"hi\"", "http://b/", "1");
        add(one, "くま", "http://c/", "3");
        QCOMPARE(one->ImageCombo1->currentText(), placeholder);
        QCOMPARE(one->ImageCombo1->currentIndex(), -1);

        frmBrowser *two = frmBrowser::createNew();
        QCOMPARE(two->ImageCombo1->count(), 3);
        const QStringList texts = {"年表, 1900-1950", "Say \u201Dhi\u201D", "くま"};
        const QStringList addresses = {"file:///C:/docs/a.html", "http://b/", "http://c/"};
        const QList<int> icons = {6, 1, 3};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(two->ImageCombo1->itemText(i), texts[i]);
            QCOMPARE(two->ImageCombo1->itemData(i, Qt::UserRole).toString(), addresses[i]);
            QCOMPARE(two->ImageCombo1->itemIcon(i).cacheKey(), two->ImageList2[icons[i] - 1].cacheKey());
        }

        // Deleting the middle one in the second window moves the next up.
        chooseFromList(two->ImageCombo1, 1);
        QCOMPARE(two->ImageCombo1->currentText(), texts[1]);
        two->Command2->click();
        QCOMPARE(two->ImageCombo1->currentText(), placeholder);
        QCOMPARE(env.read("tobla.ini"),
                 line(6, texts[0], addresses[0]) + line(3, texts[2], addresses[2]));
        for (int i = 0; i < 2; ++i) {
            chooseFromList(two->ImageCombo1, 0);
            two->Command2->click();
        }
        QCOMPARE(two->ImageCombo1->count(), 0);
        QVERIFY(QFile::exists(env.path("tobla.ini")));
        QCOMPARE(env.read("tobla.ini").size(), 0);
        QVERIFY(dialogs.messages().isEmpty());
    }

    // GO opens the chosen favourite; choosing alone does not; a favourite
    // named like the placeholder can be neither opened nor deleted.
    void openAndPlaceholder()
    {
        const QString page = writePage("fav.html", "Favourite page");
        frmBrowser *b = frmBrowser::createNew();
        add(b, "Favourite page", page, "4");
        add(b, placeholder, "http://never/", "2");
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

        const QByteArray before = env.read("tobla.ini");
        chooseFromList(b->ImageCombo1, 1);
        QCOMPARE(b->ImageCombo1->currentText(), placeholder);
        b->Command1->click();
        QCOMPARE(b->cboAddress->currentText(), page);
        QVERIFY(!b->timTimer->isActive());
        b->Command2->click();
        QCOMPARE(b->ImageCombo1->count(), 2);
        QCOMPARE(env.read("tobla.ini"), before);
    }

    // Every window reads the shared file when it becomes active; the choice
    // survives a reload that still holds it.
    void favouritesSharedBetweenWindows()
    {
        frmBrowser *one = frmBrowser::createNew();
        frmBrowser *two = frmBrowser::createNew();
        add(two, "first", "http://1/", "1");
        activate(one);
        QCOMPARE(one->ImageCombo1->count(), 1);
        chooseFromList(one->ImageCombo1, 0);

        add(one, "second", "http://2/", "5");
        QCOMPARE(two->ImageCombo1->count(), 1);
        activate(two);
        QCOMPARE(two->ImageCombo1->count(), 2);
        QCOMPARE(two->ImageCombo1->itemText(1), QStringLiteral("second"));

        activate(one);
        QCOMPARE(one->ImageCombo1->currentText(), QStringLiteral("first"));
        QCOMPARE(one->ImageCombo1->currentIndex(), 0);
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

    // Lines that do not follow the format show with the first icon, do not
    // shift the others and are written back unchanged.
    void damagedFavourites()
    {
        const QByteArray seven = "7,\"seven\",\"http://7/\"";
        const QByteArray lone = "\x82\xa0 no fields \xff";
        const QByteArray extra = "2,\"extra\",\"http://e/\",\"more\"";
        env.write("tobla.ini", line(3, "ねこ", "http://cat/") + seven + "\r\n" + lone + "\n\r\n"
                                   + extra + "\r\n" + "5,\"bug\",\"http://bug/\"");
        frmBrowser *b = frmBrowser::createNew();
        QCOMPARE(b->ImageCombo1->count(), 5);
        const QStringList texts = {"ねこ", "seven", mirka::cp932::decode(lone).trimmed(), "extra",
                                   "bug"};
        const QList<int> icons = {3, 1, 1, 1, 5};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(b->ImageCombo1->itemText(i), texts[i]);
            QCOMPARE(b->ImageCombo1->itemIcon(i).cacheKey(), b->ImageList2[icons[i] - 1].cacheKey());
        }
        QCOMPARE(b->ImageCombo1->itemData(1, Qt::UserRole).toString(), QStringLiteral("http://7/"));

        chooseFromList(b->ImageCombo1, 0);
        b->Command2->click();
        QCOMPARE(env.read("tobla.ini"), seven + "\r\n" + lone + "\r\n" + extra + "\r\n"
                                            + line(5, "bug", "http://bug/"));
    }

    // At 32,767 favourites the prompt is still asked, and nothing is added.
    void favouritesLimit()
    {
        QByteArray many;
        for (int i = 0; i < mirka::favourites::maxFavourites; ++i)
            many += "1,\"p\",\"http://p/\"\r\n";
        env.write("tobla.ini", many);
        frmBrowser *b = frmBrowser::createNew();
        QCOMPARE(b->ImageCombo1->count(), mirka::favourites::maxFavourites);
        add(b, "one too many", "http://x/", "1");
        QCOMPARE(dialogs.asked.size(), 1);
        QVERIFY(dialogs.messages().isEmpty());
        QCOMPARE(b->ImageCombo1->count(), mirka::favourites::maxFavourites);
        QCOMPARE(env.read("tobla.ini"), many);
    }
};

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
