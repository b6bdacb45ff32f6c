#include "shell/frmMain.h"

#include "about/frmAbout.h"
#include "browser/frmBrowser.h"
#include "common/apptitle.h"
#include "common/datetimestatusbar.h"
#include "common/dialogs.h"
#include "common/twips.h"
#include "model/note.h"
#include "model/options.h"
#include "note/frmDocument.h"
#include "note/notefiles.h"
#include "search/searchwindow.h"
#include "shell/Form1.h"
#include "shell/childframe.h"
#include "shell/placement.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QSettings>

static frmMain *g_frame = nullptr;

namespace {

// Native format and user scope, so the store is the per-user one of the
// platform (the registry on Windows) and QSettings::setPath can move it.
QSettings placementStore()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, mirka::appTitle());
}

const char *const kSection = "Settings";
const char *const kLeft = "MainLeft";
const char *const kTop = "MainTop";
const char *const kWidth = "MainWidth";
const char *const kHeight = "MainHeight";

// The program only ever stores whole numbers; anything else (or nothing)
// falls back to the key's default.
int storedTwips(const QSettings &s, const char *key, int fallback)
{
    bool ok = false;
    const int v = s.value(QLatin1String(key)).toString().trimmed().toInt(&ok);
    return ok ? v : fallback;
}

QAction *item(QMenu *menu, const char *name, const QString &caption,
              const QKeySequence &shortcut = QKeySequence())
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    a->setShortcut(shortcut);
    return a;
}

QMenu *menu(QWidget *owner, const char *name, const QString &caption)
{
    auto *m = new QMenu(caption, owner);
    m->setObjectName(QLatin1String(name));
    return m;
}

} // namespace

frmMain::frmMain(QWidget *parent) : QMainWindow(parent)
{
    g_frame = this;
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Mirka"));
    m_mdi = new QMdiArea(this);
    m_mdi->setBackground(QColor(113, 206, 190));
    setCentralWidget(m_mdi);

    sbStatusBar = new DateTimeStatusBar(this);
    setStatusBar(sbStatusBar);

    createMenus();
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &frmMain::updateMenuBar);
    // A page recorded with no note open makes a note; it shows in the note
    // window.
    connect(&mirka::NoteSession::instance(), &mirka::NoteSession::noteCreated, this, [] { frmDocument::get(); });
    updateMenuBar();
}

frmMain::~frmMain()
{
    // Deleting the window deactivates its children on the way; the menu bar
    // is no longer there to follow them.
    disconnect(m_mdi, nullptr, this, nullptr);
    if (g_frame == this)
        g_frame = nullptr;
}

frmMain *frmMain::instance() { return g_frame; }

void frmMain::createMenus()
{
    mnuFile = menu(this, "mnuFile", QStringLiteral("ﾌｧｲﾙ(&F)"));
    mnuFileNew = item(mnuFile, "mnuFileNew", QStringLiteral("新規作成(&N)"),
                      QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuViewWebBrowser = item(mnuFile, "mnuViewWebBrowser", QStringLiteral("新規WWW ﾌﾞﾗｳｻﾞ"));
    mnuFileOpen = item(mnuFile, "mnuFileOpen", QStringLiteral("開く(&O)..."),
                       QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuFileBar0 = mnuFile->addSeparator();
    mnuFileBar0->setObjectName(QStringLiteral("mnuFileBar0"));
    mnuFileExit = item(mnuFile, "mnuFileExit", QStringLiteral("終了"));
    mnuFileSearchNotes = SearchWindow::install(this, mnuFile, mnuFileExit);

    mnuView = menu(this, "mnuView", QStringLiteral("表示"));
    mnuViewOptions = item(mnuView, "mnuViewOptions", QStringLiteral("ｵﾌﾟｼｮﾝ"));

    mnuWindow = menu(this, "mnuWindow", QStringLiteral("ｳｨﾝﾄﾞｳ"));
    mnuWindowTileHorizontal =
        item(mnuWindow, "mnuWindowTileHorizontal", QStringLiteral("上下に並べて表示"));
    mnuWindowTileVertical =
        item(mnuWindow, "mnuWindowTileVertical", QStringLiteral("左右に並べて表示"));

    mnuHelp = menu(this, "mnuHelp", QStringLiteral("ﾍﾙﾌﾟ"));
    mnuHelpAbout = item(mnuHelp, "mnuHelpAbout", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)"));

    connect(mnuFileNew, &QAction::triggered, this, [] { Module1::NewNote(); });
    connect(mnuViewWebBrowser, &QAction::triggered, this, [] { frmBrowser::createNew(); });
    connect(mnuFileOpen, &QAction::triggered, this, [] { Module1::OpenNote(); });
    connect(mnuFileExit, &QAction::triggered, this, &QWidget::close);
    connect(mnuViewOptions, &QAction::triggered, this, [] { Form1::showOptions(); });
    connect(mnuWindowTileHorizontal, &QAction::triggered, this, &frmMain::TileHorizontal);
    connect(mnuWindowTileVertical, &QAction::triggered, this, &frmMain::TileVertical);
    connect(mnuHelpAbout, &QAction::triggered, this, [this] { frmAbout::showModal(this); });
    connect(mnuWindow, &QMenu::aboutToShow, this, [this] { fillWindowList(mnuWindow, 2); });
}

QList<QMenu *> frmMain::frameMenus() const { return {mnuFile, mnuView, mnuWindow, mnuHelp}; }

void frmMain::updateMenuBar()
{
    // The current sub-window stays the last active one while another
    // top-level window (the Options dialog) has the focus, so the bar does
    // not flip back and forth with it.
    QMdiSubWindow *sub = m_mdi->currentSubWindow();
    const auto *doc = sub ? qobject_cast<frmDocument *>(sub->widget()) : nullptr;
    const QList<QMenu *> wanted = doc ? doc->menus() : frameMenus();

    QList<QAction *> wantedActions;
    for (QMenu *m : wanted)
        wantedActions << m->menuAction();
    QMenuBar *bar = menuBar();
    if (bar->actions() == wantedActions)
        return;
    for (QAction *a : bar->actions())
        bar->removeAction(a);
    bar->addActions(wantedActions);
}

QMdiSubWindow *frmMain::addChild(QWidget *child)
{
    for (QMdiSubWindow *existing : m_mdi->subWindowList())
        if (existing->widget() == child) {
            existing->show();
            return existing;
        }
    // The client area the child was made with (its design size), before the
    // sub-window takes it over.
    const QSize client = child->testAttribute(Qt::WA_Resized) ? child->size() : child->sizeHint();
    QMdiSubWindow *current = m_mdi->currentSubWindow();
    const bool maximized = current && current->isVisible() && current->isMaximized();
    const int cascadeIndex = int(tiledChildren().size());

    QMdiSubWindow *sub = m_mdi->addSubWindow(child);
    new ChildFrame(sub, child, client, cascadeIndex);
    if (maximized)
        sub->showMaximized();
    else
        sub->show();
    return sub;
}

QList<QMdiSubWindow *> frmMain::tiledChildren() const
{
    QList<QMdiSubWindow *> out;
    for (QMdiSubWindow *sub : m_mdi->subWindowList(QMdiArea::CreationOrder))
        if (!sub->isHidden() && !sub->isMinimized())
            out << sub;
    return out;
}

// Vertical stacks the children top to bottom, each the full width;
// horizontal places them left to right, each the full height.
void frmMain::tile(Qt::Orientation stacking)
{
    const QList<QMdiSubWindow *> subs = tiledChildren();
    const QRect area = m_mdi->viewport()->rect();
    const bool stacked = stacking == Qt::Vertical;
    const int length = stacked ? area.height() : area.width();
    const int n = int(subs.size());
    for (int i = 0; i < n; ++i) {
        const int from = length * i / n;
        const int to = length * (i + 1) / n;
        subs[i]->showNormal();
        subs[i]->setGeometry(stacked ? QRect(0, from, area.width(), to - from)
                                     : QRect(from, 0, to - from, area.height()));
    }
}

void frmMain::TileHorizontal() { tile(Qt::Vertical); }
void frmMain::TileVertical() { tile(Qt::Horizontal); }

void frmMain::fillWindowList(QMenu *windowMenu, int fixedItems)
{
    if (!windowMenu)
        return;
    // Drop the previous list; the menu's own items stay.
    const QList<QAction *> actions = windowMenu->actions();
    for (int i = fixedItems; i < actions.size(); ++i) {
        windowMenu->removeAction(actions[i]);
        if (actions[i]->parent() == windowMenu)
            delete actions[i];
    }

    QList<QMdiSubWindow *> subs;
    for (QMdiSubWindow *sub : m_mdi->subWindowList(QMdiArea::CreationOrder))
        if (!sub->isHidden())
            subs << sub;
    if (subs.isEmpty())
        return;
    windowMenu->addSeparator();
    QMdiSubWindow *current = m_mdi->currentSubWindow();
    // Long captions (a page title can run to thousands of characters) are
    // cut so that the list stays on the screen.
    const QFontMetrics metrics(windowMenu->font());
    const int widest = metrics.averageCharWidth() * 60;
    for (int i = 0; i < subs.size(); ++i) {
        const QWidget *child = subs[i]->widget();
        QString caption = metrics.elidedText(child ? child->windowTitle() : subs[i]->windowTitle(),
                                             Qt::ElideRight, widest);
        caption.replace(u'&', QStringLiteral("&&"));
        const QString text = i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(caption)
                                   : QStringLiteral("%1 %2").arg(i + 1).arg(caption);
        QAction *a = windowMenu->addAction(text);
        a->setCheckable(true);
        a->setChecked(subs[i] == current);
        QPointer<QMdiSubWindow> target(subs[i]);
        connect(a, &QAction::triggered, this, [this, target] {
            if (target)
                m_mdi->setActiveSubWindow(target);
        });
    }
}

void frmMain::Form_Load()
{
    restorePlacement();
    mirka::Options &options = mirka::Options::current();
    const QString notice = options.takeNotice();
    if (!notice.isEmpty())
        mirka::MsgBox(notice);
    if (options.openBrowserAtStart() == 1)
        frmBrowser::shared();
}

void frmMain::restorePlacement()
{
    QSettings s = placementStore();
    s.beginGroup(QLatin1String(kSection));
    const int left = storedTwips(s, kLeft, DefaultLeft);
    const int top = storedTwips(s, kTop, DefaultTop);
    const int width = storedTwips(s, kWidth, DefaultWidth);
    const int height = storedTwips(s, kHeight, DefaultHeight);

    // The stored figures are the outer rectangle, border and title included.
    // One that does not fit a screen (a monitor removed, a damaged store) is
    // brought onto the nearest one, so the frame can always be reached.
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const QRect placed = mirka::placeOnScreens(
        QRect(mirka::twips::toPixelsX(left), mirka::twips::toPixelsY(top),
              mirka::twips::toPixelsX(width), mirka::twips::toPixelsY(height)),
        screens, mirka::twips::toPixels(0, 0, LeastWidth, LeastHeight).size());
    move(placed.topLeft());
    const QSize outer = placed.size();
    const QSize border = frameGeometry().size() - size();
    resize(outer - border);
    if (border.isEmpty())
        m_pendingOuterSize = outer;
}

void frmMain::applyPendingOuterSize()
{
    if (!m_pendingOuterSize.isValid())
        return;
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) {
        m_pendingOuterSize = QSize();
        return;
    }
    const QSize border = frameGeometry().size() - size();
    if (border.isEmpty())
        return;
    const QSize outer = m_pendingOuterSize;
    m_pendingOuterSize = QSize();
    resize(outer - border);
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    applyPendingOuterSize();
}

void frmMain::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    applyPendingOuterSize();
}

void frmMain::storePlacement()
{
    const QRect r = frameGeometry();
    QSettings s = placementStore();
    s.beginGroup(QLatin1String(kSection));
    s.setValue(QLatin1String(kLeft), QString::number(mirka::twips::fromPixelsX(r.x())));
    s.setValue(QLatin1String(kTop), QString::number(mirka::twips::fromPixelsY(r.y())));
    s.setValue(QLatin1String(kWidth), QString::number(mirka::twips::fromPixelsX(r.width())));
    s.setValue(QLatin1String(kHeight), QString::number(mirka::twips::fromPixelsY(r.height())));
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // Children first: the note window's own closing asks about saving, and
    // a Cancel there keeps the program running.
    m_mdi->closeAllSubWindows();
    if (frmDocument::instance()) {
        event->ignore();
        return;
    }
    if (!isMinimized())
        storePlacement();
    Form1::unload();
    event->accept();
}
