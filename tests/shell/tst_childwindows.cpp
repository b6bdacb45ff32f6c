// Child windows as the user first sees them, the frame's placement on the
// screen, and the texts Qt itself shows, on the real frame and engine.
#include "../support/scripteddialogs.h"
#include "../support/testenv.h"
#include "framesupport.h"
#include "browser/WebBrowser.h"
#include "browser/frmBrowser.h"
#include "common/apptitle.h"
#include "common/dialogs.h"
#include "common/twips.h"
#include "note/frmDocument.h"
#include "note/notefiles.h"
#include "shell/Form1.h"
#include "shell/frmMain.h"
#include "shell/placement.h"
#include "shell/qtjapanese.h"

#include <QAbstractButton>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QTextEdit>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWindow>
#include <QtTest>
#include <memory>

namespace {

constexpr int engineTimeout = 20000;

// The design client areas at the screen's resolution.
QSize noteDesign() { return mirka::twips::toPixels(0, 0, 8310, 5055).size(); }
QSize browserDesign() { return mirka::twips::toPixels(0, 0, 9870, 6630).size(); }

// A placement that makes the frame the whole (offscreen) screen: room for
// both designs.
QStringList wholeScreen()
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    return {"0", "0", QString::number(mirka::twips::fromPixelsX(screen.width())),
            QString::number(mirka::twips::fromPixelsY(screen.height()))};
}

QString writePage(const TestEnv &env, const QString &name, const QString &title,
                  const QString &script = {})
{
    env.write(name, ("<!DOCTYPE html><html><head><meta charset=utf-8><title>" + title.toHtmlEscaped()
                     + "</title><script>" + script + "</script></head><body>" + name
                     + "</body></html>")
                        .toUtf8());
    return QUrl::fromLocalFile(env.path(name)).toString();
}

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

class TestChildWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { mirka::installQtJapanese(); }

    void cleanup()
    {
        Form1::unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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
        const QString opener = writePage(env, "opener.html", "Opener",
                                         "addEventListener('click', () => window.open('opener.html'));");
        env.write("mirka.ini", ("\"" + opener + "\"\r\n\"\"\r\n1\r\n").toUtf8());

        auto frame = start();
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

    // Children cascade one title bar apart; a new child opens maximized while
    // the current one is, and comes back to its own placement.
    void cascadeAndMaximized()
    {
        TestEnv env;
        storedPlacement(wholeScreen());
        auto frame = start();
        frame->mnuFileNew->trigger();
        QMdiSubWindow *note = frameOf(frmDocument::instance());
        frame->mnuViewWebBrowser->trigger();
        QMdiSubWindow *browser = frame->mdiArea()->currentSubWindow();
        QVERIFY(browser != note);
        const int step = note->widget()->y(); // one title bar
        QCOMPARE(browser->pos(), note->pos() + QPoint(step, step));
        seesWholeArea(browser, browserDesign());

        browser->showMaximized();
        frame->mnuViewWebBrowser->trigger();
        QMdiSubWindow *third = frame->mdiArea()->currentSubWindow();
        QVERIFY(third != browser && third->isMaximized());
        third->showNormal();
        seesWholeArea(third, browserDesign());
        frame.reset();
    }

    // A page title holding "[*]" shows as written; the window list cuts long
    // captions; a browser's caption before any page is its address or
    // "about:blank".
    void captionsAsWritten()
    {
        TestEnv env;
        auto frame = start();
        frmBrowser *blank = frmBrowser::createNew();
        const QString odd = QStringLiteral("a[*]b [*][*] c");
        const QString page = writePage(env, "odd.html", odd);
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
            {"-90000", "-90000", "6500", "6500"},     // negative
            {"900000", "400000", "6500", "6500"},     // off every screen
            {"1000", "1000", "15", "0"},              // tiny
            {"-2000", "1000", "6500", "6500"},        // partly off the left edge
        };
        for (const QStringList &stored : cases) {
            TestEnv env;
            storedPlacement(stored);
            auto frame = start();
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

    // Qt's own texts are Japanese: the real message box's buttons, the
    // editor's context menu.
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
        QTextEdit edit;
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList items;
        for (QAction *a : menu->actions())
            items << a->text();
        QVERIFY2(items.join(u' ').contains(QStringLiteral("貼り付け")), qPrintable(items.join(u' ')));
    }
};

QTEST_MAIN(TestChildWindows)
#include "tst_childwindows.moc"
