// The frame: start-up, placement and exit, its child windows as the user
// first sees them, the Options dialog with its file, and the texts Qt itself
// shows, on the real frame and engine.
#include "../support/windowdriving.h"
#include "common/apptitle.h"
#include "common/dialogs.h"
#include "common/paths.h"
#include "common/twips.h"
#include "model/options.h"
#include "shell/options.h"
#include "shell/placement.h"
#include "shell/qtjapanese.h"

#include <QCheckBox>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QWindow>

using windowdriving::engineTimeout;
using windowdriving::startProgram;

namespace {
// The stored placement, after storing the given values if there are any.
QStringList storedPlacement(const QStringList &values = {})
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("webMirkabrowser"));
    s.beginGroup(QStringLiteral("Settings"));
    QStringList out;
    for (const char *key : {"MainLeft", "MainTop", "MainWidth", "MainHeight"}) {
        if (!values.isEmpty())
            s.setValue(key, values[out.size()]);
        out << s.value(key).toString();
    }
    return out;
}

QStringList asTwips(const QRect &r)
{
    using namespace mirka::twips;
    return {QString::number(fromPixelsX(r.x())), QString::number(fromPixelsY(r.y())),
            QString::number(fromPixelsX(r.width())), QString::number(fromPixelsY(r.height()))};
}

void exitProgram(std::unique_ptr<frmMain> &frame)
{
    frame->mnuFileExit->trigger();
    QVERIFY(!frame->isVisible());
    frame.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QMdiSubWindow *plainChild(frmMain &frame, const QString &caption)
{
    auto *w = new QWidget;
    w->setWindowTitle(caption);
    return frame.addChild(w);
}

QList<QAction *> barActions(const QList<QMenu *> &menus)
{
    QList<QAction *> out;
    for (QMenu *m : menus)
        out << m->menuAction();
    return out;
}

// Notes, when the note window asks its question at exit, how far the exit
// has got.
struct ExitWatch : ScriptedDialogs {
    bool optionsLoaded = false, placementStored = false;
    mirka::MsgAnswer message(QWidget *w, const QString &text, mirka::MsgButtons buttons,
                             const QString &title) override
    {
        optionsLoaded = Form1::isLoaded();
        placementStored = !storedPlacement().first().isEmpty();
        return ScriptedDialogs::message(w, text, buttons, title);
    }
};

// The design client areas at the screen's resolution.
QSize noteDesign() { return mirka::twips::toPixels(0, 0, 8310, 5055).size(); }
QSize browserDesign() { return mirka::twips::toPixels(0, 0, 9870, 6630).size(); }

// A placement that makes the frame the whole (offscreen) screen: room for
// both designs.
QStringList wholeScreen() { return asTwips(QGuiApplication::primaryScreen()->availableGeometry()); }

QMdiSubWindow *frameOf(QWidget *child)
{
    return child ? qobject_cast<QMdiSubWindow *>(child->parentWidget()) : nullptr;
}

// What the user sees of a child: its frame inside the workspace, its whole
// design client area when the workspace has room for it from where it
// stands, or as much as the workspace has room for, never less than three
// quarters of it.
void seesWholeArea(QMdiSubWindow *sub, const QSize &design)
{
    QVERIFY(sub && sub->isVisible() && !sub->isMaximized() && !sub->isMinimized());
    const QRect workspace = sub->mdiArea()->viewport()->rect();
    QVERIFY(workspace.contains(sub->geometry()));
    const QSize border = sub->size() - sub->widget()->size();
    const QSize room = workspace.size() - QSize(sub->x(), sub->y()) - border;
    QCOMPARE(sub->widget()->size(), design.boundedTo(room));
    QVERIFY(sub->width() >= qMin(design.width() + border.width(), workspace.width()) * 3 / 4);
    QVERIFY(sub->height() >= qMin(design.height() + border.height(), workspace.height()) * 3 / 4);
}

} // namespace

// The frame, its start-up and exit, and the Options dialog with its file.
class TestShell : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { mirka::installQtJapanese(); }

    void cleanup()
    {
        Form1::unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The outer rectangle is stored in twips and comes back, a maximized one
    // as a normal window at that rectangle; each stored value that does not
    // read as a number gets its default; a minimized exit stores nothing.
    void placement()
    {
        TestEnv env;
        auto frame = startProgram();
        frame->move(40, 30);
        frame->resize(520, 410);
        QTRY_COMPARE(frame->frameGeometry().topLeft(), QPoint(40, 30));
        for (bool maximized : {false, true}) {
            if (maximized) {
                frame->showMaximized();
                QTRY_COMPARE(frame->frameGeometry(), frame->screen()->availableGeometry());
            }
            const QRect outer = frame->frameGeometry(); // border and title included
            exitProgram(frame);
            QCOMPARE(storedPlacement(), asTwips(outer));
            frame = startProgram();
            QVERIFY(!frame->isMaximized());
            QCOMPARE(frame->frameGeometry(), outer);
        }
        exitProgram(frame);

        const QStringList odd = {"1500", "abc", "", "4500"};
        storedPlacement(odd);
        frame = startProgram();
        QCOMPARE(frame->frameGeometry(), mirka::twips::toPixels(1500, 1000, 6500, 4500));
        frame->showMinimized();
        QTRY_VERIFY(frame->isMinimized());
        exitProgram(frame);
        QCOMPARE(storedPlacement(), odd);
    }

    void startupOpensBrowserOnlyForOne()
    {
        for (const char *value : {"0", "1", "2"}) {
            TestEnv env;
            env.write(QStringLiteral("mirka.ini"), QByteArray("\"\"\r\n\"\"\r\n") + value + "\r\n");
            auto frame = startProgram();
            const bool one = QByteArray(value) == "1";
            QVERIFY(mirka::Options::isLoaded() && !Form1::isLoaded());
            QCOMPARE(frmBrowser::sharedIfOpen() != nullptr, one);
            QCOMPARE(frame->mdiArea()->subWindowList().size(), one ? 1 : 0);
            exitProgram(frame);
            QVERIFY(!frmBrowser::sharedIfOpen());
        }
    }

    void tilingAndWindowList()
    {
        TestEnv env;
        storedPlacement(wholeScreen());
        auto frame = startProgram();
        QMdiSubWindow *subs[] = {plainChild(*frame, "A"), plainChild(*frame, "B & C"),
                                 plainChild(*frame, "D")};
        subs[2]->showMaximized();
        QTRY_COMPARE(frame->mdiArea()->viewport()->size(), frame->mdiArea()->size());
        const QSize area = frame->mdiArea()->viewport()->size();

        // Horizontal: full width, stacked; vertical: full height, side by side.
        for (bool horizontal : {true, false}) {
            (horizontal ? frame->mnuWindowTileHorizontal : frame->mnuWindowTileVertical)->trigger();
            int pos = 0;
            for (QMdiSubWindow *s : subs) {
                const QRect g = s->geometry();
                QCOMPARE(g, horizontal ? QRect(0, pos, area.width(), g.height())
                                       : QRect(pos, 0, g.width(), area.height()));
                const int extent = horizontal ? g.height() : g.width();
                QVERIFY(qAbs(extent - (horizontal ? area.height() : area.width()) / 3) <= 1);
                pos += extent;
            }
            QCOMPARE(pos, horizontal ? area.height() : area.width());
        }

        // The list follows the two tiling items and a separator, rebuilt (not
        // appended) each time the menu opens.
        const auto listed = [&frame] {
            emit frame->mnuWindow->aboutToShow();
            QStringList out;
            for (QAction *a : frame->mnuWindow->actions().mid(3))
                out << a->text();
            return out;
        };
        frame->mdiArea()->setActiveSubWindow(subs[0]);
        listed();
        QCOMPARE(listed(), (QStringList{"&1 A", "&2 B && C", "&3 D"}));
        QList<QAction *> items = frame->mnuWindow->actions();
        QVERIFY(items[2]->isSeparator() && items[3]->isChecked() && !items[4]->isChecked());
        items[4]->trigger();
        QCOMPARE(frame->mdiArea()->activeSubWindow(), subs[1]);
        subs[1]->close();
        QCOMPARE(listed(), (QStringList{"&1 A", "&2 D"}));
        frame.reset(); // deleted outright, with an active child
    }

    void noteWindowMenusReplaceFrameMenus()
    {
        TestEnv env;
        ScriptedDialogs dialogs;
        auto frame = startProgram();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        QMenuBar *bar = frame->menuBar();
        const QList<QAction *> frameBar = barActions(frame->frameMenus());
        QCOMPARE(bar->actions(), frameBar);
        QMdiSubWindow *plainSub = plainChild(*frame, "plain");

        // The frame's Ctrl+N makes the note; then only the note's Ctrl+N
        // answers (it refuses a second note), with no ambiguity between them.
        QTest::keyClick(frame.get(), Qt::Key_N, Qt::ControlModifier);
        QVERIFY(frmDocument::instance());
        frmDocument &doc = *frmDocument::instance();
        auto *docSub = qobject_cast<QMdiSubWindow *>(doc.parentWidget());
        QVERIFY(!doc.menus().isEmpty());
        QCOMPARE(bar->actions(), barActions(doc.menus()));
        QTest::keyClick(frame.get(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(dialogs.messages(), QStringList(QStringLiteral("一つしかファイルは開くことができません")));

        // Another top-level window taking the focus leaves the note's menus.
        Form1::showOptions();
        QTRY_VERIFY(QApplication::activeWindow() != frame.get());
        QCOMPARE(bar->actions(), barActions(doc.menus()));
        frame->mdiArea()->setActiveSubWindow(plainSub);
        QCOMPARE(bar->actions(), frameBar);
        frame->mdiArea()->setActiveSubWindow(docSub);
        docSub->close();
        QCOMPARE(bar->actions(), frameBar);
        exitProgram(frame);
    }

    void exitOrderLosesOptionEdits()
    {
        TestEnv env;
        ExitWatch dialogs;
        const QByteArray ini("\"A\"\r\n\"B\"\r\n0\r\n");
        env.write(QStringLiteral("mirka.ini"), ini);
        auto frame = startProgram();
        frame->mnuFileNew->trigger();
        frmDocument::instance()->setModified(true);
        frame->mnuViewOptions->trigger();
        QVERIFY(Form1::get().isVisible());
        Form1::get().Text1->setText(QStringLiteral("edited"));

        // Children first (the note asks: キャンセル stops the exit, No lets
        // it go on), then the placement, then the dialog goes unsaved.
        dialogs.messageAnswers << mirka::MsgAnswer::Cancel;
        QVERIFY(!frame->close());
        QVERIFY(frmDocument::instance() && !dialogs.placementStored && Form1::isLoaded());
        dialogs.messageAnswers << mirka::MsgAnswer::No;
        frame->close();
        QCOMPARE(dialogs.messages(), QStringList(2, QStringLiteral("ファイルを保存しますか")));
        QVERIFY(dialogs.optionsLoaded && !dialogs.placementStored);
        QVERIFY(!frmDocument::instance() && !Form1::isLoaded());
        QVERIFY(!storedPlacement().first().isEmpty());
        QCOMPARE(env.read(QStringLiteral("mirka.ini")), ini);
    }

    // A child that hides, shows, minimizes, closes or deletes itself takes
    // its sub-window frame along.
    void childrenCarryTheirFrames()
    {
        TestEnv env;
        auto frame = startProgram();
        QPointer<QMdiSubWindow> closingSub = plainChild(*frame, "c");
        QMdiSubWindow *hidingSub = plainChild(*frame, "h");
        QPointer<QMdiSubWindow> deletedSub = plainChild(*frame, "d");

        hidingSub->widget()->hide();
        QVERIFY(hidingSub->isHidden());
        hidingSub->widget()->show();
        hidingSub->showMinimized(); // hides the widget, not the frame
        QVERIFY(!hidingSub->isHidden());

        delete deletedSub->widget();
        QVERIFY(deletedSub->isHidden());
        closingSub->widget()->close();
        QVERIFY(closingSub->isHidden());
        QTRY_VERIFY(!closingSub && !deletedSub);
        QCOMPARE(frame->mdiArea()->subWindowList(), QList<QMdiSubWindow *>({hidingSub}));
        exitProgram(frame);
    }

    // OK saves three lines and hides the dialog; a comma, Japanese text and
    // the grey state come back whole; the window's close control unloads it
    // without saving; a failed save is told.
    void saveAndClose()
    {
        TestEnv env;
        ScriptedDialogs dialogs;
        Form1::showOptions();
        Form1 &f = Form1::get();
        f.Text1->setText(QStringLiteral("A"));
        f.setCheck1Value(1);
        QTest::mouseClick(f.Command1, Qt::LeftButton);
        QVERIFY(!f.isVisible() && Form1::isLoaded());
        QCOMPARE(env.read(QStringLiteral("mirka.ini")), QByteArray("\"A\"\r\n\"\"\r\n1\r\n"));

        const QString comma = QStringLiteral("http://example.com/?a=1,b=2");
        const QString japanese = QStringLiteral("http://検索.example/");
        f.Text1->setText(comma);
        f.Text2->setText(japanese);
        f.setCheck1Value(2);
        QTest::mouseClick(f.Command1, Qt::LeftButton);
        const QByteArray saved = env.read(QStringLiteral("mirka.ini"));
        Form1::showOptions();
        f.Text1->setText(QStringLiteral("edited"));
        QPointer<Form1> old(&f);
        QVERIFY(old->close());
        QVERIFY(!Form1::isLoaded());
        QTRY_VERIFY(!old);
        QCOMPARE(env.read(QStringLiteral("mirka.ini")), saved);
        Form1 &g = Form1::get();
        QCOMPARE(g.Text1->text(), comma);
        QCOMPARE(g.Text2->text(), japanese);
        QCOMPARE(g.Check1Value(), 2);
        QVERIFY(!g.isVisible());
        QVERIFY(dialogs.asked.isEmpty());

        // Clicks check and uncheck; only the program sets grey.
        for (int expected : {1, 0, 1}) {
            QTest::mouseClick(g.Check1, Qt::LeftButton, {}, QPoint(6, g.Check1->height() / 2));
            QCOMPARE(g.Check1Value(), expected);
        }

        // A file that cannot be written is reported with the file and why;
        // the values stay in force for the running program.
        Form1::showOptions();
        g.Text1->setText(QStringLiteral("new"));
        mirka::setExecutableFolder(env.path(QStringLiteral("gone")));
        QTest::mouseClick(g.Command1, Qt::LeftButton);
        QCOMPARE(dialogs.messages().size(), 1);
        const QStringList lines = dialogs.messages().first().split(u'\n');
        QCOMPARE(lines.value(1), mirka::fileBesideExecutable(QStringLiteral("mirka.ini")));
        QVERIFY(!lines.value(2).isEmpty());
        QVERIFY(!g.isVisible());
        QCOMPARE(Form1::get().Text1->text(), QStringLiteral("new"));
    }

    void childrenShowTheirDesignArea_data()
    {
        QTest::addColumn<QStringList>("placement");
        QTest::newRow("default frame") << QStringList();
        QTest::newRow("large frame") << wholeScreen();
    }

    // Every way a child comes into being, measured as it opens: New, Open,
    // recording into no note, the shared browser at start, a menu-made
    // browser, a page's new window; the next one cascades.
    void childrenShowTheirDesignArea()
    {
        QFETCH(QStringList, placement);
        TestEnv env;
        ScriptedDialogs dialogs;
        if (!placement.isEmpty())
            storedPlacement(placement);
        const QString opener = windowdriving::writePage(env, "opener.html", "Opener",
                                                         "<script>addEventListener('click', () => window.open('opener.html'));</script>");
        env.write("mirka.ini", ("\"" + opener + "\"\r\n\"\"\r\n1\r\n").toUtf8());

        auto frame = startProgram();
        QMdiArea *area = frame->mdiArea();
        // The shared browser was opened before the frame had its final size.
        frmBrowser *shared = frmBrowser::sharedIfOpen();
        QVERIFY(shared);
        seesWholeArea(frameOf(shared), browserDesign());
        const auto closeAll = [area] {
            area->closeAllSubWindows();
            QTRY_VERIFY_WITH_TIMEOUT(area->subWindowList().isEmpty(), engineTimeout);
        };

        // A page's request for a new window; it cascades from the first.
        QTRY_VERIFY_WITH_TIMEOUT(!shared->brwWebBrowser->Busy(), engineTimeout);
        // Pages open windows only on a click.
        QTest::mouseClick(frame->windowHandle(), Qt::LeftButton, {},
                          shared->brwWebBrowser->mapTo(frame.get(), QPoint(20, 20)));
        QTRY_COMPARE_WITH_TIMEOUT(area->subWindowList().size(), 2, engineTimeout);
        QMdiSubWindow *opened = area->subWindowList(QMdiArea::CreationOrder).last();
        seesWholeArea(opened, browserDesign());
        const int titleBar = opened->widget()->y();
        QCOMPARE(opened->pos(), frameOf(shared)->pos() + QPoint(titleBar, titleBar));
        closeAll();

        frame->mnuViewWebBrowser->trigger();
        seesWholeArea(area->currentSubWindow(), browserDesign());
        closeAll();

        frmDocument::AddRecordedPage(QStringLiteral("t"), QStringLiteral("u"));
        seesWholeArea(frameOf(frmDocument::instance()), noteDesign());
        dialogs.messageAnswers << mirka::MsgAnswer::No; // the recorded page is not kept
        closeAll();

        frame->mnuFileNew->trigger();
        seesWholeArea(frameOf(frmDocument::instance()), noteDesign());
        dialogs.fileAnswers << env.path("note.rtf");
        Module1::SaveNoteAs();
        closeAll();

        dialogs.fileAnswers << env.path("note.rtf");
        frame->mnuFileOpen->trigger();
        QCOMPARE(frmDocument::instance()->windowTitle(), env.path("note.rtf"));
        seesWholeArea(frameOf(frmDocument::instance()), noteDesign());
        frame.reset();
    }

    // A new child opens maximized while the current one is, and comes back
    // to its own placement.
    void newChildWhileMaximized()
    {
        TestEnv env;
        storedPlacement(wholeScreen());
        auto frame = startProgram();
        frame->mnuViewWebBrowser->trigger();
        QMdiSubWindow *browser = frame->mdiArea()->currentSubWindow();
        browser->showMaximized();
        frame->mnuViewWebBrowser->trigger();
        QMdiSubWindow *second = frame->mdiArea()->currentSubWindow();
        QVERIFY(second != browser && second->isMaximized());
        second->showNormal();
        seesWholeArea(second, browserDesign());
        frame.reset();
    }

    // A page title holding "[*]" shows as written; the window list cuts long
    // captions; a browser's caption before any page is its address or
    // "about:blank".
    void captionsAsWritten()
    {
        TestEnv env;
        auto frame = startProgram();
        frmBrowser *blank = frmBrowser::createNew();
        const QString odd = QStringLiteral("a[*]b [*][*] c");
        const QString page = windowdriving::writePage(env, "odd.html", odd);
        env.write("mirka.ini", ("\"" + page + "\"\r\n\"\"\r\n0\r\n").toUtf8());
        Form1::unload();
        frmBrowser *titled = frmBrowser::createNew();
        QCOMPARE(titled->windowTitle(), page);
        frmDocument::AddRecordedPage(QString(QChar(u'長')).repeated(4096), QStringLiteral("u"));
        frmDocument::instance()->setWindowTitle(QString(QChar(u'長')).repeated(4096));

        emit frame->mnuWindow->aboutToShow();
        QStringList listed;
        for (QAction *a : frame->mnuWindow->actions().mid(3, 2))
            listed << a->text().section(u' ', 1);
        QCOMPARE(listed, (QStringList{blank->windowTitle(), page}));
        QCOMPARE(blank->windowTitle(), QStringLiteral("about:blank"));
        QVERIFY(frame->mnuWindow->sizeHint().width() < 800);

        QTRY_COMPARE_WITH_TIMEOUT(titled->windowTitle(), odd, engineTimeout);
        // Maximized, the frame's own title carries the caption.
        frameOf(titled)->showMaximized();
        QTRY_COMPARE(frame->windowHandle()->title(), QStringLiteral("Mirka - [%1]").arg(odd));
        frmDocument::instance()->setModified(false);
        frame.reset();
    }

    // Restored placements that would leave the frame unreachable or
    // unusable land whole on the screen; exit still stores the frame's own.
    void restoredPlacementLandsOnScreen()
    {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QSize least = mirka::twips::toPixels(0, 0, frmMain::LeastWidth, frmMain::LeastHeight).size();
        const QStringList cases[] = {
            {"1000", "1000", "99999999", "99999999"}, // huge
            {"900000", "-400000", "6500", "6500"},    // off every screen
            {"-2000", "1000", "15", "0"},             // tiny, partly off the left edge
        };
        for (const QStringList &stored : cases) {
            TestEnv env;
            storedPlacement(stored);
            auto frame = startProgram();
            const QRect r = frame->frameGeometry();
            QVERIFY2(screen.contains(r), qPrintable(stored.join(u',')));
            QVERIFY(r.width() >= least.width() && r.height() >= least.height());
            frame->mnuFileExit->trigger();
            QSettings s(QSettings::NativeFormat, QSettings::UserScope, mirka::appTitle());
            QCOMPARE(s.value("Settings/MainWidth").toString(),
                     QString::number(mirka::twips::fromPixelsX(r.width())));
        }

        // Between two screens: the one the frame overlaps most, else the
        // nearest; a rectangle that fits one is kept.
        const QList<QRect> two = {QRect(0, 0, 1000, 800), QRect(1000, 0, 1600, 1000)};
        const QSize small(200, 150);
        QCOMPARE(mirka::placeOnScreens(QRect(1100, 50, 500, 400), two, small), QRect(1100, 50, 500, 400));
        QCOMPARE(mirka::placeOnScreens(QRect(900, 50, 500, 400), two, small), QRect(1000, 50, 500, 400));
        QCOMPARE(mirka::placeOnScreens(QRect(-5000, 900, 300, 300), two, small), QRect(0, 500, 300, 300));
        QCOMPARE(mirka::placeOnScreens(QRect(5000, 200, 9000, 90), two, small), QRect(1000, 200, 1600, 150));
    }

    // Qt's own texts are Japanese, as the real message box's buttons show.
    void qtSpeaksJapanese()
    {
        QStringList buttons;
        QTimer::singleShot(0, [&buttons] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                for (QAbstractButton *b : box->buttons())
                    buttons << b->text().remove(QRegularExpression(QStringLiteral("\\(&.\\)|&")));
                box->done(QMessageBox::No);
            }
        });
        QCOMPARE(mirka::MsgBox(QStringLiteral("ファイルを保存しますか"), mirka::MsgButtons::YesNo,
                               QStringLiteral("保存")),
                 mirka::MsgAnswer::No);
        buttons.sort();
        QCOMPARE(buttons, (QStringList{QStringLiteral("いいえ"), QStringLiteral("はい")}));
        QCOMPARE(QLocale().language(), QLocale::Japanese);
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
