#include "../support/scripteddialogs.h"
#include "../support/testenv.h"
#include "framesupport.h"
#include "browser/frmBrowser.h"
#include "common/paths.h"
#include "common/twips.h"
#include "note/frmDocument.h"
#include "model/options.h"
#include "shell/Form1.h"
#include "shell/frmMain.h"
#include "shell/options.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <memory>

namespace {

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

} // namespace

// The frame, its start-up and exit, and the Options dialog with its file.
class TestShell : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { Form1::unload(); }

    // The outer rectangle is stored in twips and comes back, a maximized one
    // as a normal window at that rectangle; each stored value that does not
    // read as a number gets its default; a minimized exit stores nothing.
    void placement()
    {
        TestEnv env;
        auto frame = start();
        QCOMPARE(frame->frameGeometry(), mirka::twips::toPixels(1000, 1000, 6500, 6500));
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
            frame = start();
            QVERIFY(!frame->isMaximized());
            QCOMPARE(frame->frameGeometry(), outer);
        }
        exitProgram(frame);

        const QStringList odd = {"1500", "abc", "", "4500"};
        storedPlacement(odd);
        frame = start();
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
            auto frame = start();
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
        auto frame = start();
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
        auto frame = start();
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
    // without saving.
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
    }

    void loadFollowsTheFailureRules()
    {
        TestEnv env;
        struct Case {
            QByteArray file;
            int preset, check;
            const char *text1, *text2;
        };
        const Case cases[] = {
            {QByteArray(), 1, 0, "", ""},         // no file
            {"\"A\"\r\n", 1, 0, "A", ""},         // only the first line
            {"\"A\"\r\n\"B\"\r\n7\r\n", 1, 1, "A", "B"}, // not 0, 1 or 2: unchanged
            {"\"A\"\r\n\"B\"\r\nyes\r\n", 2, 2, "A", "B"},
            {"\"C\"\r\n\"D\"\r\n 2 \r\n\"E\"\r\n1\r\n", 0, 2, "C", "D"}, // rest ignored
            {"\"\x81\"\r\n\"abc\r\n1\r\n", 0, 1, "\xef\xbf\xbd", "abc"}, // broken bytes
        };
        for (const Case &c : cases) {
            QFile::remove(env.path(QStringLiteral("mirka.ini")));
            if (!c.file.isNull())
                env.write(QStringLiteral("mirka.ini"), c.file);
            Form1::get().setCheck1Value(c.preset);
            Module1::LoadOptions();
            QCOMPARE(Form1::get().Text1->text(), QString::fromUtf8(c.text1));
            QCOMPARE(Form1::get().Text2->text(), QString::fromUtf8(c.text2));
            QCOMPARE(Form1::get().Check1Value(), c.check);
        }
    }

    void unwritableFileIsReported()
    {
        TestEnv env;
        ScriptedDialogs dialogs;
        Form1::showOptions();
        Form1 &f = Form1::get();
        f.Text1->setText(QStringLiteral("new"));
        mirka::setExecutableFolder(env.path(QStringLiteral("gone")));
        QTest::mouseClick(f.Command1, Qt::LeftButton);
        QCOMPARE(dialogs.messages().size(), 1);
        const QStringList lines = dialogs.messages().first().split(u'\n');
        QCOMPARE(lines.value(1), mirka::fileBesideExecutable(QStringLiteral("mirka.ini")));
        QVERIFY(!lines.value(2).isEmpty()); // the reason
        // The values stay in force for the running program.
        QVERIFY(!f.isVisible());
        QCOMPARE(Form1::get().Text1->text(), QStringLiteral("new"));
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
