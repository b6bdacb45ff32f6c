#pragma once
#include "common/childhost.h"

#include <QList>
#include <QMainWindow>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QAction;
class QStatusBar;

// The multiple-document frame: the program's first window. Its load step is
// the whole start-up; closing it is the exit sequence. It holds the child
// windows and wires them together: a note made by recording a page gets
// its window here.
class frmMain : public QMainWindow, public mirka::ChildHost {
    Q_OBJECT
public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // The one frame, or nullptr before it exists.
    static frmMain *instance();

    // The start-up: restores the placement, then reads the open-browser-at-
    // start option (which loads the Options dialog hidden) and opens the
    // shared browser window when it is exactly 1. Called once, before show.
    void Form_Load();

    // Shows a child window inside the frame (note or browser window) and
    // returns its sub-window. The widget's window title is the caption. The
    // child may hide, show, close or delete itself: its sub-window follows.
    // It opens showing the client area it was sized to (or its size hint) at
    // the next cascade position, fitted to the workspace; maximized when the
    // current child is.
    QMdiSubWindow *addChild(QWidget *child) override;
    QMdiArea *mdiArea() const override { return m_mdi; }

    // Each child full width, stacked top to bottom.
    void TileHorizontal() override;
    // Each child full height, left to right.
    void TileVertical() override;

    // Adds the window-list entries (one per open child, by caption) to a
    // Window menu; shared by the note window's own Window menu.
    void fillWindowList(QMenu *windowMenu, int fixedItems) override;

    QStatusBar *sbStatusBar = nullptr;

    QMenu *mnuFile = nullptr;
    QAction *mnuFileNew = nullptr;
    QAction *mnuViewWebBrowser = nullptr;
    QAction *mnuFileOpen = nullptr;
    QAction *mnuFileBar0 = nullptr;
    QAction *mnuFileSearchNotes = nullptr;
    QAction *mnuFileExit = nullptr;
    QMenu *mnuView = nullptr;
    QAction *mnuViewOptions = nullptr;
    QMenu *mnuWindow = nullptr;
    QAction *mnuWindowTileHorizontal = nullptr;
    QAction *mnuWindowTileVertical = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuHelpAbout = nullptr;

    // The frame's own menus, in menu-bar order (the bar shows the note
    // window's instead while that is the active child).
    QList<QMenu *> frameMenus() const;

    // Placement defaults in twips, and the settings section that holds it.
    static constexpr int DefaultLeft = 1000;
    static constexpr int DefaultTop = 1000;
    static constexpr int DefaultWidth = 6500;
    static constexpr int DefaultHeight = 6500;
    // The least restored size that still shows the menu and some workspace.
    static constexpr int LeastWidth = 3000;
    static constexpr int LeastHeight = 2250;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void createMenus();
    void updateMenuBar();
    void restorePlacement();
    void storePlacement();
    void applyPendingOuterSize();
    QList<QMdiSubWindow *> tiledChildren() const;
    void tile(Qt::Orientation stacking);

    QMdiArea *m_mdi = nullptr;
    // The stored outer size waits here until the window system tells the
    // frame's border; only then can the inner size be set from it.
    QSize m_pendingOuterSize;
};
