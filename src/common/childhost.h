#pragma once
#include <QWidget>

class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace mirka {

// What the child windows need of the frame that holds them. The frame
// installs itself; without one (a window used on its own) a child is a
// window of its own.
class ChildHost {
public:
    static ChildHost *instance();

    // Shows the child inside the frame and returns its sub-window.
    virtual QMdiSubWindow *addChild(QWidget *child) = 0;
    virtual QMdiArea *mdiArea() const = 0;
    virtual void TileHorizontal() = 0;
    virtual void TileVertical() = 0;
    // Adds the list of open children to a Window menu after its own items.
    virtual void fillWindowList(QMenu *windowMenu, int fixedItems) = 0;

protected:
    ChildHost();
    virtual ~ChildHost();
    ChildHost(const ChildHost &) = delete;
    ChildHost &operator=(const ChildHost &) = delete;
};

// Shows a child window inside the frame, or on its own when there is none.
void showChild(QWidget *child);
// Brings a child window to the front: its sub-window becomes the frame's
// active one.
void raiseChild(QWidget *child);

} // namespace mirka
