#pragma once
// Driving the program's windows as the user does, for the window tests:
// the windows, the dialog script, the test's files, and the ways keys,
// clicks and pages reach them.
#include "scripteddialogs.h"
#include "testenv.h"
#include "userinput.h"
#include "browser/WebBrowser.h"
#include "browser/frmBrowser.h"
#include "note/frmDocument.h"
#include "note/notefiles.h"
#include "note/richtext/richtextbox.h"
#include "shell/Form1.h"
#include "shell/frmMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>
#include <memory>

namespace windowdriving {

// The frame as main() starts it: its load step, then shown, and active.
inline std::unique_ptr<frmMain> startProgram()
{
    auto frame = std::make_unique<frmMain>();
    frame->Form_Load();
    frame->show();
    frame->activateWindow();
    if (!QTest::qWaitForWindowActive(frame.get()))
        qWarning("frame not active");
    return frame;
}

constexpr int engineTimeout = 20000;

// Runs the action and waits for the window's next completed navigation.
template <typename Action>
bool completes(frmBrowser *b, Action action)
{
    QSignalSpy spy(b->brwWebBrowser, &WebBrowser::NavigateComplete2);
    action();
    return spy.count() > 0 || spy.wait(engineTimeout);
}

// Waits until the busy indicator has found the control idle.
inline bool settles(frmBrowser *b)
{
    return QTest::qWaitFor([b] { return !b->timTimer->isActive() && !b->brwWebBrowser->Busy(); },
                           engineTimeout);
}

inline QList<frmBrowser *> browserWindows()
{
    QList<frmBrowser *> out;
    for (QMdiSubWindow *sub : frmMain::instance()->mdiArea()->subWindowList(QMdiArea::CreationOrder))
        if (auto *b = qobject_cast<frmBrowser *>(sub->widget()))
            out << b;
    return out;
}

// A new browser window that has completed the start page given.
inline frmBrowser *loaded(const QString &start)
{
    Form1::get().Text1->setText(start);
    frmBrowser *b = frmBrowser::createNew();
    return completes(b, [] {}) && settles(b) ? b : nullptr;
}

// Closes every child window of the frame and waits until they are gone.
inline bool closesAll()
{
    QMdiArea *area = frmMain::instance()->mdiArea();
    area->closeAllSubWindows();
    return QTest::qWaitFor([area] { return area->subWindowList().isEmpty(); }, engineTimeout);
}

inline void activate(frmBrowser *b)
{
    frmMain::instance()->activateWindow();
    frmMain::instance()->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(b->parentWidget()));
}

// Sends the key where the platform sends it: to whatever widget of the
// window has the focus.
inline void keyToFocus(QWidget *window, int k, Qt::KeyboardModifiers mods = {})
{
    QVERIFY(QTest::qWaitFor([window] {
        return QApplication::focusWidget() && window->isAncestorOf(QApplication::focusWidget());
    }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), mods);
}

// Gives the browser window the focus, then sends the key.
inline void key(frmBrowser *b, int k, Qt::KeyboardModifiers mods = {})
{
    activate(b);
    keyToFocus(b, k, mods);
}

// Types into the address box the way the user does: Ctrl+L puts the caret
// in the box with its text selected, the text replaces it, Enter goes.
inline void typeAndEnter(frmBrowser *b, const QString &text, Qt::Key enter = Qt::Key_Return)
{
    key(b, Qt::Key_L, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    QTest::keyClicks(QApplication::focusWidget(), text);
    QTest::keyClick(QApplication::focusWidget(), enter);
}

// Clicks the toolbar button with that key.
inline void clickToolbar(frmBrowser *b, const char *key)
{
    QAction *a = b->tbToolBar->findChild<QAction *>(QLatin1String(key));
    QTest::mouseClick(b->tbToolBar->widgetForAction(a), Qt::LeftButton);
}

// Clicks the page near its corner, the windows tiled so that it shows:
// pages open windows, downloads or other programs only on a click.
inline void clickPage(frmBrowser *b)
{
    frmMain *frame = frmMain::instance();
    frame->mnuWindowTileHorizontal->trigger();
    QTest::mouseClick(frame->windowHandle(), Qt::LeftButton, {}, b->brwWebBrowser->mapTo(frame, QPoint(20, 20)));
}

inline QVariant evaluate(frmBrowser *b, const QString &script)
{
    QVariant result;
    bool done = false;
    b->brwWebBrowser->view()->page()->runJavaScript(script, [&](const QVariant &v) {
        result = v;
        done = true;
    });
    (void)QTest::qWaitFor([&] { return done; }, engineTimeout);
    return result;
}

// Writes a page beside the program and returns its address; an empty title
// writes a page without a title element, an empty body one with its name.
inline QString writePage(const TestEnv &env, const QString &name, const QString &title, const QString &body = {})
{
    const QString head = title.isEmpty() ? QString() : "<title>" + title.toHtmlEscaped() + "</title>";
    env.write(name, ("<!DOCTYPE html><html><head><meta charset=\"utf-8\">" + head + "</head><body>"
                     + (body.isEmpty() ? name : body) + "</body></html>").toUtf8());
    return QUrl::fromLocalFile(env.path(name)).toString();
}

} // namespace windowdriving
