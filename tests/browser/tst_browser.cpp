// Browser windows on the real engine: local pages and a loopback server.
#include "browsertestkit.h"

#include "../support/scripteddialogs.h"
#include "../support/testenv.h"
#include "common/twips.h"
#include "note/frmDocument.h"
#include "note/notefiles.h"
#include "shell/Form1.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
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

    void setOptions(const QString &start, const QString &search = QString())
    {
        Form1::get().Text1->setText(start);
        Form1::get().Text2->setText(search);
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
        dialogs.asked.clear();
    }

    void cleanupTestCase() { frame.reset(); }

    // Window load with and without a start page, the history rules, the
    // caption of titled and untitled pages, and addresses without a scheme.
    void loadAndHistory()
    {
        setOptions(QString());
        frmBrowser *empty = frmBrowser::createNew();
        QVERIFY(history(empty).isEmpty());
        QVERIFY(empty->cboAddress->currentText().isEmpty());
        QVERIFY(!empty->timTimer->isActive());
        QVERIFY(!empty->brwWebBrowser->Busy());
        QCOMPARE(empty->timTimer->interval(), 5);
        QCOMPARE(empty->cboAddress->x(), mirka::twips::toPixelsX(3200));
        // An empty address box goes nowhere.
        typeAndEnter(empty, QString());
        QVERIFY(!empty->brwWebBrowser->Busy());

        setOptions(pageA);
        frmBrowser *b = frmBrowser::createNew();
        QCOMPARE(history(b), QStringList{pageA});
        QVERIFY(b->timTimer->isActive());
        QSignalSpy done(b->brwWebBrowser, &WebBrowser::NavigateComplete2);
        QVERIFY(done.wait(engineTimeout));
        QCOMPARE(history(b), QStringList{pageA});
        QVERIFY(settles(b));
        QCOMPARE(b->windowTitle(), QStringLiteral("Page A"));

        QVERIFY(completes(b, [&] { typeAndEnter(b, pageB); }));
        QCOMPARE(history(b), (QStringList{pageB, pageA}));
        QVERIFY(completes(b, [&] { typeAndEnter(b, pageA); }));
        QCOMPARE(history(b), (QStringList{pageA, pageB}));
        QCOMPARE(b->cboAddress->currentText(), pageA);

        // A page without a title shows its address.
        QVERIFY(completes(b, [&] { typeAndEnter(b, untitled); }));
        QVERIFY(settles(b));
        QCOMPARE(b->windowTitle(), untitled);

        // No scheme: where an address bar would go; the history keeps what
        // the engine reports.
        QVERIFY(completes(b, [&] { typeAndEnter(b, QUrl(pageB).toLocalFile()); }));
        QCOMPARE(history(b).first(), pageB);
        QCOMPARE(history(b).size(), 3);
        QVERIFY(completes(b, [&] {
            typeAndEnter(b, QStringLiteral("127.0.0.1:%1/plain").arg(server.port()));
        }));
        QCOMPARE(history(b).first(), server.url("/plain"));
        QVERIFY(settles(b));
        QCOMPARE(b->windowTitle(), QStringLiteral("/plain"));

        // A start address the server redirects (trailing slash added): both
        // stay, the completed one first.
        setOptions(server.url("/dir"));
        frmBrowser *r = frmBrowser::createNew();
        QVERIFY(completes(r, [] {}));
        QCOMPARE(history(r), (QStringList{server.url("/dir/"), server.url("/dir")}));
        QCOMPARE(r->cboAddress->currentText(), server.url("/dir/"));
    }

    // The layout rule in twips, and a window too small for it.
    void layoutInTwips()
    {
        using namespace mirka::twips;
        frmBrowser *b = frmBrowser::createNew();
        QWidget *sub = b->parentWidget();
        sub->resize(900, 600);
        QTRY_VERIFY(b->width() > 800);
        const int w = fromPixelsX(b->width());
        const int h = fromPixelsY(b->height());
        QCOMPARE(b->tbToolBar->geometry(), QRect(0, 0, b->width(), toPixelsY(645)));
        QCOMPARE(b->picAddress->geometry(), QRect(0, toPixelsY(645), b->width(), toPixelsY(435)));
        QCOMPARE(b->Command2->geometry(), toPixels(120, 38, 255, 255));
        QCOMPARE(b->ImageCombo1->geometry(), toPixels(360, 0, 2295, 315));
        QCOMPARE(b->Command1->geometry(), toPixels(2640, 38, 495, 255));
        QCOMPARE(b->cboAddress->geometry(), toPixels(3200, 0, w - 3200, 300));
        QCOMPARE(b->brwWebBrowser->geometry(), toPixels(120, 1080, w - 100, h - 1180));

        // Narrower than 3200 twips and lower than the strips: the address box
        // and the page height keep their last extents, the page width follows.
        const QSize border = sub->size() - b->size();
        sub->resize(border + QSize(toPixelsX(3000), toPixelsY(1000)));
        QTRY_COMPARE(b->width(), toPixelsX(3000));
        QCOMPARE(b->cboAddress->width(), toPixelsX(w - 3200));
        QCOMPARE(b->brwWebBrowser->width(), toPixelsX(fromPixelsX(b->width()) - 100));
        QCOMPARE(b->brwWebBrowser->height(), toPixelsY(h - 1180));
    }

    // Enter and a choice from the list navigate; the window's own selection
    // of the newest entry does not.
    void addressBoxNavigation()
    {
        setOptions(pageA);
        frmBrowser *b = frmBrowser::createNew();
        QVERIFY(completes(b, [] {}));
        QVERIFY(completes(b, [&] { typeAndEnter(b, pageB); }));
        QCOMPARE(history(b), (QStringList{pageB, pageA}));

        // Checked right after the window's own handler ran: had selecting
        // entry 0 navigated, the control would be busy with a new request.
        bool busyAfterOwnSelection = true;
        connect(b->brwWebBrowser, &WebBrowser::NavigateComplete2, this,
                [&] { busyAfterOwnSelection = b->brwWebBrowser->Busy(); });
        QVERIFY(completes(b, [&] { chooseFromList(b->cboAddress, 1); }));
        QCOMPARE(history(b), (QStringList{pageA, pageB}));
        QCOMPARE(b->cboAddress->currentText(), pageA);
        QVERIFY(!busyAfterOwnSelection);
        QVERIFY(!b->holdNavigation);

        // Other keys do nothing; typed text stays as typed, case included.
        const QString upper = pageB.toUpper().replace(QLatin1String("FILE:"), QLatin1String("file:"));
        b->cboAddress->setEditText(upper);
        QTest::keyClick(b->cboAddress->lineEdit(), Qt::Key_End);
        QVERIFY(!b->brwWebBrowser->Busy());
        QCOMPARE(b->cboAddress->currentText(), upper);
    }

    // The busy caption while a page loads, recording and adding a favourite
    // at that moment, and Stop.
    void busyCaptionAndStop()
    {
        setOptions(pageA);
        frmBrowser *b = frmBrowser::createNew();
        QVERIFY(completes(b, [] {}));
        QVERIFY(settles(b));

        typeAndEnter(b, server.url("/slow"));
        QTRY_COMPARE_WITH_TIMEOUT(b->windowTitle(), QStringLiteral("**********"), engineTimeout);
        QVERIFY(b->brwWebBrowser->Busy());
        pressButton(b, "check");
        QCOMPARE(frmDocument::instance()->List1->item(0)->text(), QStringLiteral("**********"));
        QCOMPARE(frmDocument::instance()->List2->item(0)->text(), server.url("/slow"));
        dialogs.inputAnswers = {QStringLiteral("2")};
        pressButton(b, "fav");
        QCOMPARE(b->ImageCombo1->itemText(b->ImageCombo1->count() - 1), QStringLiteral("**********"));

        pressButton(b, "Stop");
        QVERIFY(!b->timTimer->isActive());
        QCOMPARE(b->windowTitle(), QStringLiteral("Page A"));
        QVERIFY(QTest::qWaitFor([b] { return !b->brwWebBrowser->Busy(); }, engineTimeout));
        server.releaseSlow();
        // The stopped load reached nothing: the history is as it was.
        QCOMPARE(history(b), QStringList{pageA});

        // An address that starts no load does not leave the indicator running.
        typeAndEnter(b, QStringLiteral("javascript:void(0)"));
        QVERIFY(b->brwWebBrowser->Busy());
        QVERIFY(settles(b));
        QCOMPARE(history(b), QStringList{pageA});
    }

    // Home and Search read the Options dialog's fields at the moment of use.
    void homeAndSearch()
    {
        setOptions(pageA);
        frmBrowser *b = frmBrowser::createNew();
        QVERIFY(completes(b, [] {}));
        QVERIFY(settles(b));

        setOptions(QString(), QString());
        pressButton(b, "Home");
        QCOMPARE(b->cboAddress->currentText(), QString());
        QVERIFY(settles(b));
        pressButton(b, "Search");
        QCOMPARE(b->cboAddress->currentText(), QString());
        QVERIFY(settles(b));
        QCOMPARE(history(b), QStringList{pageA});
        QCOMPARE(b->windowTitle(), QStringLiteral("Page A"));

        // Edited in the open dialog, after the window loaded.
        setOptions(pageB, server.url("/search"));
        QVERIFY(completes(b, [&] { pressButton(b, "Home"); }));
        QCOMPARE(history(b).first(), pageB);
        QVERIFY(completes(b, [&] { pressButton(b, "Search"); }));
        QCOMPARE(history(b).first(), server.url("/search"));

        // Back and Forward move through the control's own history.
        QVERIFY(completes(b, [&] { pressButton(b, "Back"); }));
        QCOMPARE(b->brwWebBrowser->LocationURL(), pageB);
        QVERIFY(completes(b, [&] { pressButton(b, "Forward"); }));
        QCOMPARE(b->brwWebBrowser->LocationURL(), server.url("/search"));
        QVERIFY(completes(b, [&] { pressButton(b, "Refresh"); }));
        QCOMPARE(history(b), (QStringList{server.url("/search"), pageB, pageA}));
    }

    // Recording: with no note window, after typing, twice, and from two
    // windows with separate histories into one note.
    void recording()
    {
        QVERIFY(!frmDocument::instance());
        setOptions(pageA);
        frmBrowser *one = frmBrowser::createNew();
        QVERIFY(completes(one, [] {}));
        QVERIFY(settles(one));
        pressButton(one, "check");
        QVERIFY(frmDocument::instance());
        QCOMPARE(Module1::NoteWindowState(), 3);
        frmDocument *note = frmDocument::instance();
        QVERIFY(note->Modified);

        one->cboAddress->setEditText(QStringLiteral("typed, not visited"));
        pressButton(one, "check");
        pressButton(one, "check");

        setOptions(pageB);
        frmBrowser *two = frmBrowser::createNew();
        QVERIFY(completes(two, [] {}));
        QVERIFY(settles(two));
        pressButton(two, "check");

        QCOMPARE(history(one), QStringList{pageA});
        QCOMPARE(history(two), QStringList{pageB});
        QCOMPARE(note->List1->count(), 4);
        QCOMPARE(note->List2->count(), 4);
        const QStringList titles = {"Page A", "Page A", "Page A", "Page B"};
        const QStringList addresses = {pageA, "typed, not visited", "typed, not visited", pageB};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(note->List1->item(i)->text(), titles[i]);
            QCOMPARE(note->List2->item(i)->text(), addresses[i]);
        }
    }

    // A page's request for a new window opens a further browser window,
    // which starts from the start page and shows the requested page.
    void newWindowFromPage()
    {
        env.write("tobla.ini", "4,\"Kept\",\"http://kept/\"\r\n");
        setOptions(opener);
        frmBrowser *b = frmBrowser::createNew();
        QVERIFY(completes(b, [] {}));
        QVERIFY(settles(b));

        b->brwWebBrowser->view()->page()->runJavaScript(QStringLiteral("go()"));
        QTRY_COMPARE_WITH_TIMEOUT(browserWindows().size(), 2, engineTimeout);
        frmBrowser *opened = browserWindows().last();
        QVERIFY(opened != b);
        QVERIFY(opened != frmBrowser::sharedIfOpen());
        QVERIFY(opened->brwWebBrowser->RegisterAsBrowser);
        QVERIFY(!b->brwWebBrowser->RegisterAsBrowser);
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
            list->setCurrentRow(0);
            const QRect r = list->visualItemRect(list->item(0));
            // A double click follows a first click, as with a real mouse.
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
        };

        setOptions(QString());
        QVERIFY(!frmBrowser::sharedIfOpen());
        doubleClickFirst();
        frmBrowser *shared = frmBrowser::sharedIfOpen();
        QVERIFY(shared);
        QCOMPARE(shared->cboAddress->currentText(), pageB);
        QVERIFY(completes(shared, [] {}));
        QCOMPARE(history(shared), QStringList{pageB});
        QCOMPARE(&frmBrowser::shared(), shared);

        // Closed, the next use makes a fresh one; menu-made windows are left
        // alone.
        setOptions(pageA);
        frmBrowser *menuMade = frmBrowser::createNew();
        QVERIFY(completes(menuMade, [] {}));
        for (QMdiSubWindow *sub : frame->mdiArea()->subWindowList())
            if (sub->widget() == shared)
                sub->close();
        QVERIFY(!frmBrowser::sharedIfOpen());
        doubleClickFirst();
        frmBrowser *again = frmBrowser::sharedIfOpen();
        QVERIFY(again && again != menuMade);
        QTRY_COMPARE_WITH_TIMEOUT(history(again).value(0), pageB, engineTimeout);
        QCOMPARE(history(menuMade), QStringList{pageA});
        QCOMPARE(menuMade->cboAddress->currentText(), pageA);
    }
};

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
