#include "../support/scripteddialogs.h"
#include "../support/testenv.h"
#include "browser/frmBrowser.h"
#include "common/twips.h"
#include "note/frmDocument.h"
#include "shell/Form1.h"
#include "shell/frmMain.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <memory>

namespace {

const char *const kKeys[] = {"MainLeft", "MainTop", "MainWidth", "MainHeight"};

QStringList storedPlacement()
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("webMirkabrowser"));
    QStringList out;
    for (const char *key : kKeys)
        out << s.value(QStringLiteral("Settings/") + QLatin1String(key)).toString();
    return out;
}

void storePlacement(const QStringList &values)
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("webMirkabrowser"));
    for (int i = 0; i < 4; ++i)
        s.setValue(QStringLiteral("Settings/") + QLatin1String(kKeys[i]), values[i]);
}

QStringList asTwips(const QRect &r)
{
    using namespace mirka::twips;
    return {QString::number(fromPixelsX(r.x())), QString::number(fromPixelsY(r.y())),
            QString::number(fromPixelsX(r.width())), QString::number(fromPixelsY(r.height()))};
}

std::unique_ptr<frmMain> start()
{
    auto frame = std::make_unique<frmMain>();
    frame->Form_Load();
    frame->show();
    if (!QTest::qWaitForWindowExposed(frame.get()))
        qWarning("frame not exposed");
    return frame;
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

// Records, while a child closes, how far the exit has got.
struct ExitLog {
    int closes = 0;
    bool optionsLoaded = false;
    bool placementStored = false;
};

class WatchingChild : public QWidget {
public:
    explicit WatchingChild(ExitLog *log) : m_log(log) {}

protected:
    void closeEvent(QCloseEvent *e) override
    {
        ++m_log->closes;
        m_log->optionsLoaded = Form1::isLoaded();
        m_log->placementStored = !storedPlacement().first().isEmpty();
        QWidget::closeEvent(e);
    }

private:
    ExitLog *m_log;
};

} // namespace

class TestFrame : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { Form1::unload(); }

    void placementRoundTrip()
    {
        TestEnv env;
        auto frame = start();
        QCOMPARE(frame->frameGeometry(), mirka::twips::toPixels(1000, 1000, 6500, 6500));
        frame->move(40, 30);
        frame->resize(520, 410);
        QTRY_COMPARE(frame->frameGeometry().topLeft(), QPoint(40, 30));
        const QRect outer = frame->frameGeometry(); // border and title included
        exitProgram(frame);
        QCOMPARE(storedPlacement(), asTwips(outer));
        frame = start();
        QCOMPARE(frame->frameGeometry(), outer);
        exitProgram(frame);

        // Each value on its own: one that does not read as a number gets its default.
        storePlacement({"1500", "abc", "", "4500"});
        frame = start();
        QCOMPARE(frame->frameGeometry(), mirka::twips::toPixels(1500, 1000, 6500, 4500));
        exitProgram(frame);
    }

    void placementMaximizedAndMinimized()
    {
        TestEnv env;
        auto frame = start();
        frame->showMaximized();
        QTRY_COMPARE(frame->frameGeometry(), frame->screen()->availableGeometry());
        const QRect maximized = frame->frameGeometry();
        exitProgram(frame);
        QCOMPARE(storedPlacement(), asTwips(maximized));
        frame = start();
        QVERIFY(!frame->isMaximized()); // opens normal, at the maximized rectangle
        QCOMPARE(frame->frameGeometry(), maximized);
        exitProgram(frame);

        storePlacement({"1020", "150", "7005", "5010"});
        frame = start();
        frame->showMinimized();
        QTRY_VERIFY(frame->isMinimized());
        exitProgram(frame);
        QCOMPARE(storedPlacement(), QStringList({"1020", "150", "7005", "5010"}));
    }

    void startupOpensBrowserOnlyForOne()
    {
        for (const char *value : {"0", "1", "2"}) {
            TestEnv env;
            env.write(QStringLiteral("mirka.ini"), QByteArray("\"\"\r\n\"\"\r\n") + value + "\r\n");
            auto frame = start();
            const bool one = QByteArray(value) == "1";
            QVERIFY(Form1::isLoaded() && !Form1::get().isVisible());
            QCOMPARE(frmBrowser::sharedIfOpen() != nullptr, one);
            QCOMPARE(frame->mdiArea()->subWindowList().size(), one ? 1 : 0);
            exitProgram(frame);
            QVERIFY(!frmBrowser::sharedIfOpen());
        }
    }

    void tilingAndWindowList()
    {
        TestEnv env;
        auto frame = start();
        frame->resize(900, 700);
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

        // The list follows the tiling items, rebuilt (not appended) each time.
        frame->mdiArea()->setActiveSubWindow(subs[0]);
        emit frame->mnuWindow->aboutToShow();
        emit frame->mnuWindow->aboutToShow();
        QList<QAction *> items = frame->mnuWindow->actions();
        QCOMPARE(items.size(), 6);
        QCOMPARE(items[1], frame->mnuWindowTileVertical);
        QVERIFY(items[2]->isSeparator());
        QCOMPARE(items[3]->text(), QStringLiteral("&1 A"));
        QCOMPARE(items[4]->text(), QStringLiteral("&2 B && C"));
        QCOMPARE(items[5]->text(), QStringLiteral("&3 D"));
        QVERIFY(items[3]->isChecked() && !items[4]->isChecked());
        items[4]->trigger();
        QCOMPARE(frame->mdiArea()->activeSubWindow(), subs[1]);
        subs[1]->close();
        emit frame->mnuWindow->aboutToShow();
        QCOMPARE(frame->mnuWindow->actions().size(), 5);
        QCOMPARE(frame->mnuWindow->actions()[4]->text(), QStringLiteral("&2 D"));
        frame.reset(); // deleted outright, with an active child
    }

    void noteWindowMenusReplaceFrameMenus()
    {
        TestEnv env;
        ScriptedDialogs dialogs;
        auto frame = start();
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
        QCOMPARE(frame->mdiArea()->currentSubWindow(), docSub);
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
        ScriptedDialogs dialogs;
        const QByteArray ini("\"A\"\r\n\"B\"\r\n0\r\n");
        env.write(QStringLiteral("mirka.ini"), ini);
        auto frame = start();
        ExitLog log;
        frame->addChild(new WatchingChild(&log));
        frame->mnuFileNew->trigger();
        frmDocument::instance()->Modified = true;
        frame->mnuViewOptions->trigger();
        QVERIFY(Form1::get().isVisible());
        Form1::get().Text1->setText(QStringLiteral("edited"));

        // Children first, then the placement, then the dialog goes unsaved.
        frame->close();
        QCOMPARE(log.closes, 1);
        QVERIFY(log.optionsLoaded && !log.placementStored);
        QVERIFY(!storedPlacement().first().isEmpty());
        QVERIFY(!Form1::isLoaded());
        QCOMPARE(env.read(QStringLiteral("mirka.ini")), ini);
        QCOMPARE(Form1::get().Text1->text(), QStringLiteral("A"));
        // The note window asked its question on the way (unscripted: No).
        QCOMPARE(dialogs.messages(), QStringList(QStringLiteral("ファイルを保存しますか")));
        QVERIFY(!frmDocument::instance());
    }

    void childrenCarryTheirFrames()
    {
        TestEnv env;
        auto frame = start();
        ExitLog log;
        auto *closing = new WatchingChild(&log);
        QPointer<QMdiSubWindow> closingSub = frame->addChild(closing);
        QMdiSubWindow *hidingSub = plainChild(*frame, "h");
        QPointer<QMdiSubWindow> deletedSub = plainChild(*frame, "d");

        hidingSub->widget()->hide();
        QVERIFY(hidingSub->isHidden());
        hidingSub->widget()->show();
        QVERIFY(!hidingSub->isHidden());
        hidingSub->showMinimized(); // hides the widget, not the frame
        QVERIFY(!hidingSub->isHidden());

        delete deletedSub->widget();
        QVERIFY(deletedSub->isHidden());
        closing->close();
        QCOMPARE(log.closes, 1);
        QVERIFY(closingSub->isHidden());
        QTRY_VERIFY(!closingSub && !deletedSub);
        QCOMPARE(frame->mdiArea()->subWindowList(), QList<QMdiSubWindow *>({hidingSub}));
        exitProgram(frame);
    }
};

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
