#pragma once
#include <QMainWindow>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QAction;
class QStatusBar;

// The multiple-document frame: the program's first window. Its load step is
// the whole start-up; closing it is the exit sequence.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // The one frame, or nullptr before it exists.
    static frmMain *instance();

    // Shows a child window inside the frame (note or browser window) and
    // returns its sub-window. The widget's window title is the caption.
    QMdiSubWindow *addChild(QWidget *child);
    QMdiArea *mdiArea() const { return m_mdi; }

    // Each child full width, stacked top to bottom.
    void TileHorizontal();
    // Each child full height, left to right.
    void TileVertical();

    // Adds the window-list entries (one per open child, by caption) to a
    // Window menu; shared by the note window's own Window menu.
    void fillWindowList(QMenu *windowMenu, int fixedItems);

    // "3" while no note is open, "4" while one is.
    int NoteWindowState = 3;

    QStatusBar *sbStatusBar = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QMdiArea *m_mdi = nullptr;
};
