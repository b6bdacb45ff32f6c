#include "browser/frmBrowser.h"
#include "common/twips.h"
#include "note/frmDocument.h"
#include "../support/scripteddialogs.h"
#include "shell/Form1.h"
#include "shell/frmMain.h"
#include "../support/testenv.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTest>
#include <memory>

using mirka::twips::fromPixelsX;
using mirka::twips::fromPixelsY;

namespace {

QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("webMirkabrowser"));
}

QStringList storedPlacement()
{
    QSettings s = store();
    s.beginGroup(QStringLiteral("Settings"));
    QStringList out;
    for (const char *key : {"MainLeft", "MainTop", "MainWidth", "MainHeight"})
        out << s.value(QLatin1String(key)).toString();
    return out;
}

void storePlacement(const QStringList &values)
{
    QSettings s = store();
    s.beginGroup(QStringLiteral("Settings"));
    const char *keys[] = {"MainLeft", "MainTop", "MainWidth", "MainHeight"};
    for (int i = 0; i < 4; ++i)
        s.setValue(QLatin1String(keys[i]), values[i]);
}

// The figures the exit would store for a frame rectangle.
QStringList asTwips(const QRect &r)
{
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

QWidget *plainChild(frmMain &frame, const QString &caption, QMdiSubWindow **sub)
{
    auto *w = new QWidget;
    w->setWindowTitle(caption);
    *sub = frame.addChild(w);
    return w;
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
    bool closed = false;
    bool optionsLoadedThen = false;
    bool placementStoredThen = false;
};

class WatchingChild : public QWidget {
public:
    explicit WatchingChild(ExitLog *log) : m_log(log) {}

protected:
    void closeEvent(QCloseEvent *e) override
    {
        m_log->closed = true;
        m_log->optionsLoadedThen = Form1::isLoaded();
        m_log->placementStoredThen = !storedPlacement().first().isEmpty();
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

    void placementRoundTrip();
    void placementMaximizedAndMinimized();
    void startupOpensBrowserOnlyForOne();
    void tilingAndWindowList();
    void noteWindowMenusReplaceFrameMenus();
    void exitOrderLosesOptionEdits();
};

void TestFrame::placementRoundTrip()
{
    TestEnv env;
    QRect outer; // border and title included
    {
        auto frame = start();
        QCOMPARE(frame->windowTitle(), QStringLiteral("Mirka"));
        QCOMPARE(frame->frameGeometry(), mirka::twips::toPixels(1000, 1000, 6500, 6500));
        frame->move(40, 30);
        frame->resize(520, 410);
        QTRY_COMPARE(frame->frameGeometry().topLeft(), QPoint(40, 30));
        outer = frame->frameGeometry();
        exitProgram(frame);
        QCOMPARE(storedPlacement(), asTwips(outer));
    }
    {
        auto frame = start();
        QCOMPARE(frame->frameGeometry(), outer);
        exitProgram(frame);
    }
    // Each value on its own: one that does not read as a number gets its default.
    storePlacement({QStringLiteral("1500"), QStringLiteral("abc"), QStringLiteral(""),
                    QStringLiteral("4500")});
    auto frame = start();
    QCOMPARE(frame->frameGeometry(), mirka::twips::toPixels(1500, 1000, 6500, 4500));
    exitProgram(frame);
}

void TestFrame::placementMaximizedAndMinimized()
{
    TestEnv env;
    QRect maximized;
    {
        auto frame = start();
        frame->showMaximized();
        QTRY_VERIFY(frame->isMaximized());
        QTRY_VERIFY(frame->frameGeometry().width() > mirka::twips::toPixelsX(6500));
        maximized = frame->frameGeometry();
        exitProgram(frame);
        QCOMPARE(storedPlacement(), asTwips(maximized));
    }
    {
        // Opens normal, at the maximized rectangle.
        auto frame = start();
        QVERIFY(!frame->isMaximized());
        QCOMPARE(frame->frameGeometry(), maximized);
        exitProgram(frame);
    }
    storePlacement({QStringLiteral("1020"), QStringLiteral("150"), QStringLiteral("7005"),
                    QStringLiteral("5010")});
    auto frame = start();
    QCOMPARE(frame->frameGeometry().topLeft(),
             QPoint(mirka::twips::toPixelsX(1020), mirka::twips::toPixelsY(150)));
    frame->showMinimized();
    QTRY_VERIFY(frame->isMinimized());
    exitProgram(frame);
    QCOMPARE(storedPlacement(), QStringList({QStringLiteral("1020"), QStringLiteral("150"),
                                             QStringLiteral("7005"), QStringLiteral("5010")}));
}

void TestFrame::startupOpensBrowserOnlyForOne()
{
    for (const char *value : {"0", "1", "2"}) {
        TestEnv env;
        env.write(QStringLiteral("mirka.ini"), QByteArray("\"\"\r\n\"\"\r\n") + value + "\r\n");
        auto frame = start();
        const bool one = QByteArray(value) == "1";
        QVERIFY(Form1::isLoaded());
        QVERIFY(!Form1::get().isVisible());
        QCOMPARE(frmBrowser::sharedIfOpen() != nullptr, one);
        QCOMPARE(frame->mdiArea()->subWindowList().size(), one ? 1 : 0);
        if (one)
            QCOMPARE(frmBrowser::sharedIfOpen()->window(), frame.get());
        QVERIFY(!frmDocument::instance());
        exitProgram(frame);
        QVERIFY(!frmBrowser::sharedIfOpen());
    }
}

void TestFrame::tilingAndWindowList()
{
    TestEnv env;
    auto frame = start();
    frame->resize(900, 700);
    QMdiSubWindow *subs[3];
    plainChild(*frame, QStringLiteral("A"), &subs[0]);
    plainChild(*frame, QStringLiteral("B & C"), &subs[1]);
    plainChild(*frame, QStringLiteral("D"), &subs[2]);
    subs[2]->showMaximized();
    QTRY_COMPARE(frame->mdiArea()->viewport()->size(), frame->mdiArea()->size());
    const QRect area = frame->mdiArea()->viewport()->rect();

    frame->mnuWindowTileHorizontal->trigger();
    int y = 0;
    for (QMdiSubWindow *s : subs) {
        QVERIFY(!s->isMaximized());
        QCOMPARE(s->geometry().left(), 0);
        QCOMPARE(s->geometry().width(), area.width());
        QCOMPARE(s->geometry().top(), y);
        QVERIFY(qAbs(s->geometry().height() - area.height() / 3) <= 1);
        y = s->geometry().bottom() + 1;
    }
    QCOMPARE(y, area.height());

    frame->mnuWindowTileVertical->trigger();
    int x = 0;
    for (QMdiSubWindow *s : subs) {
        QCOMPARE(s->geometry().top(), 0);
        QCOMPARE(s->geometry().height(), area.height());
        QCOMPARE(s->geometry().left(), x);
        QVERIFY(qAbs(s->geometry().width() - area.width() / 3) <= 1);
        x = s->geometry().right() + 1;
    }
    QCOMPARE(x, area.width());

    // The list follows the tiling items, rebuilt (not appended) each time.
    frame->mdiArea()->setActiveSubWindow(subs[0]);
    for (int round = 0; round < 2; ++round)
        emit frame->mnuWindow->aboutToShow();
    QList<QAction *> items = frame->mnuWindow->actions();
    QCOMPARE(items.size(), 6);
    QCOMPARE(items[0], frame->mnuWindowTileHorizontal);
    QCOMPARE(items[1], frame->mnuWindowTileVertical);
    QVERIFY(items[2]->isSeparator());
    QCOMPARE(items[3]->text(), QStringLiteral("&1 A"));
    QCOMPARE(items[4]->text(), QStringLiteral("&2 B && C"));
    QCOMPARE(items[5]->text(), QStringLiteral("&3 D"));
    QVERIFY(items[3]->isChecked());
    QVERIFY(!items[4]->isChecked());
    items[4]->trigger();
    QCOMPARE(frame->mdiArea()->activeSubWindow(), subs[1]);

    subs[1]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    emit frame->mnuWindow->aboutToShow();
    items = frame->mnuWindow->actions();
    QCOMPARE(items.size(), 5);
    QCOMPARE(items[4]->text(), QStringLiteral("&2 D"));
    exitProgram(frame);
}

void TestFrame::noteWindowMenusReplaceFrameMenus()
{
    TestEnv env;
    auto frame = start();
    QMenuBar *bar = frame->menuBar();
    const QList<QAction *> frameBar = barActions(frame->frameMenus());
    QCOMPARE(bar->actions(), frameBar);
    QStringList fileItems;
    for (QAction *a : frame->mnuFile->actions())
        fileItems << a->objectName();
    QCOMPARE(fileItems, QStringList({"mnuFileNew", "mnuViewWebBrowser", "mnuFileOpen",
                                     "mnuFileBar0", "mnuFileExit"}));

    QMdiSubWindow *plainSub = nullptr;
    plainChild(*frame, QStringLiteral("plain"), &plainSub);
    frmDocument &doc = frmDocument::get();
    QMdiSubWindow *docSub = nullptr;
    for (QMdiSubWindow *s : frame->mdiArea()->subWindowList())
        if (s->widget() == &doc)
            docSub = s;
    QVERIFY(docSub);

    frame->mdiArea()->setActiveSubWindow(docSub);
    QCOMPARE(bar->actions(), barActions(doc.menus()));
    // Another top-level window taking the focus leaves the note's menus.
    Form1::showOptions();
    QTRY_VERIFY(QApplication::activeWindow() != frame.get());
    QCOMPARE(bar->actions(), barActions(doc.menus()));
    Form1::get().hide();

    frame->mdiArea()->setActiveSubWindow(plainSub);
    QCOMPARE(bar->actions(), frameBar);
    frame->mdiArea()->setActiveSubWindow(docSub);
    QCOMPARE(bar->actions(), barActions(doc.menus()));

    // The note window closing brings the frame's menus back.
    docSub->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(bar->actions(), frameBar);
    exitProgram(frame);
}

void TestFrame::exitOrderLosesOptionEdits()
{
    TestEnv env;
    ScriptedDialogs dialogs;
    const QByteArray ini("\"A\"\r\n\"B\"\r\n0\r\n");
    env.write(QStringLiteral("mirka.ini"), ini);
    auto frame = start();
    ExitLog log;
    frame->addChild(new WatchingChild(&log));
    frame->mnuViewOptions->trigger();
    QVERIFY(Form1::get().isVisible());
    Form1::get().Text1->setText(QStringLiteral("edited"));

    // Children first, then the placement, then the dialog goes unsaved.
    frame->close();
    QVERIFY(log.closed);
    QVERIFY(log.optionsLoadedThen);
    QVERIFY(!log.placementStoredThen);
    QVERIFY(!storedPlacement().first().isEmpty());
    QVERIFY(!Form1::isLoaded());
    QCOMPARE(env.read(QStringLiteral("mirka.ini")), ini);
    QCOMPARE(Form1::get().Text1->text(), QStringLiteral("A"));
    QVERIFY(dialogs.asked.isEmpty());
    frame.reset();
}

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
