// Browser windows on the real engine: local pages and a loopback server.
#include "browsertestkit.h"

#include "../support/scripteddialogs.h"
#include "../support/testenv.h"
#include "common/twips.h"
#include "note/frmDocument.h"
#include "note/notefiles.h"
#include "shell/Form1.h"

#include <QListWidget>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>

using namespace kit;

class TestBrowser : public QObject {
    Q_OBJECT

    TestEnv env;
    ScriptedDialogs dialogs;
    QTemporaryDir pages;
    LoopbackServer server;
    std::unique_ptr<frmMain> frame;
    QString pageA, pageB, untitled, opener, target;

    static void setOptions(const QString &start, const QString &search = QString())
    {
        Form1::get().Text1->setText(start);
        Form1::get().Text2->setText(search);
    }

    // A new window that has completed its start page.
    static frmBrowser *loaded(const QString &start)
    {
        setOptions(start);
        frmBrowser *b = frmBrowser::createNew();
        return completes(b, [] {}) && settles(b) ? b : nullptr;
    }

private slots:
    void initTestCase()
    {
        pageA = writePage(pages, "a.html", "Page A");
        pageB = writePage(pages, "b.html", "Page B");
        untitled = writePage(pages, "untitled.html", QString());
        target = writePage(pages, "target.html", "Target");
        opener = writePage(pages, "opener.html", "Opener",
                           "<script>function go(){window.open('target.html');}</script>");
        frame = std::make_unique<frmMain>();
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    }

    void cleanup()
    {
        QVERIFY(closeAllChildren());
        setOptions(QString());
    }

    void cleanupTestCase() { frame.reset(); }

    // Window load with and without a start page, the history rules, the
    // caption of titled and untitled pages, addresses without a scheme.
    void loadAndHistory()
    {
        setOptions(QString());
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
        pressButton(b, "check");
        QCOMPARE(frmDocument::instance()->List1->item(0)->text(), QStringLiteral("**********"));
        QCOMPARE(frmDocument::instance()->List2->item(0)->text(), server.url("/slow"));
        dialogs.inputAnswers = {QStringLiteral("2")};
        pressButton(b, "fav");
        QCOMPARE(b->ImageCombo1->itemText(0), QStringLiteral("**********"));

        pressButton(b, "Stop");
        QVERIFY(!b->timTimer->isActive());
        QCOMPARE(b->windowTitle(), QStringLiteral("Page A"));
        QVERIFY(QTest::qWaitFor([b] { return !b->brwWebBrowser->Busy(); }, engineTimeout));
        server.releaseSlow();
        QCOMPARE(history(b), QStringList{pageA}); // the stopped load reached nothing

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
        QCOMPARE(b->windowTitle(), QStringLiteral("Page A"));

        setOptions(pageB, server.url("/search")); // edited after the window loaded
        QVERIFY(completes(b, [&] { pressButton(b, "Home"); }));
        QCOMPARE(history(b).first(), pageB);
        QVERIFY(completes(b, [&] { pressButton(b, "Search"); }));
        QCOMPARE(history(b).first(), server.url("/search"));

        QVERIFY(completes(b, [&] { pressButton(b, "Back"); }));
        QCOMPARE(b->brwWebBrowser->LocationURL(), pageB);
        QVERIFY(completes(b, [&] { pressButton(b, "Forward"); }));
        QVERIFY(completes(b, [&] { pressButton(b, "Refresh"); }));
        QCOMPARE(history(b), (QStringList{server.url("/search"), pageB, pageA}));
    }

    // Recording: with no note window, after typing, twice, and from two
    // windows with separate histories into one note.
    void recording()
    {
        QVERIFY(!frmDocument::instance());
        frmBrowser *one = loaded(pageA);
        QVERIFY(one);
        pressButton(one, "check");
        frmDocument *note = frmDocument::instance();
        QVERIFY(note && note->Modified);
        QCOMPARE(Module1::NoteWindowState(), 3);

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
        const QString typed = QStringLiteral("Page A|typed, not visited");
        QCOMPARE(recorded, (QStringList{"Page A|" + pageA, typed, typed, "Page B|" + pageB}));
    }

    // A page's request for a new window opens a further browser window,
    // which starts from the start page and shows the requested page.
    void newWindowFromPage()
    {
        env.write("tobla.ini", "4,\"Kept\",\"http://kept/\"\r\n");
        frmBrowser *b = loaded(opener);
        QVERIFY(b);
        b->brwWebBrowser->view()->page()->runJavaScript(QStringLiteral("go()"));
        QTRY_COMPARE_WITH_TIMEOUT(browserWindows().size(), 2, engineTimeout);
        frmBrowser *opened = browserWindows().last();
        QVERIFY(opened != frmBrowser::sharedIfOpen());
        QVERIFY(opened->brwWebBrowser->RegisterAsBrowser);
        QTRY_COMPARE_WITH_TIMEOUT(history(opened), (QStringList{target, opener}), engineTimeout);
        QVERIFY(settles(opened));
        QCOMPARE(opened->windowTitle(), QStringLiteral("Target"));
        QCOMPARE(opened->ImageCombo1->count(), 1);
        QCOMPARE(history(b), QStringList{opener});
        QFile::remove(env.path("tobla.ini"));
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
        QCOMPARE(shared->cboAddress->currentText(), pageB);
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
};

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
