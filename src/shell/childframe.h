#pragma once
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

class QMdiSubWindow;

// The sub-window frame around one child window of the frame.
//
// It lets the child treat itself as the window: the frame follows when the
// child hides, shows, closes or deletes itself, and shows the child's
// caption as written.
//
// It also gives the child its first placement: the child's whole client area
// at the cascade position for the children already open, shrunk to the
// workspace when that is smaller, never below three quarters of what the
// workspace allows. Until the user moves or resizes the sub-window it keeps
// fitting the workspace when that changes size, so a child opened before the
// frame has settled its own size (the shared browser at start) still fits.
class ChildFrame : public QObject {
public:
    ChildFrame(QMdiSubWindow *sub, QWidget *child, QSize clientSize, int cascadeIndex);

    // The caption as a sub-window title: Qt reads "[*]" as the modified
    // placeholder and drops it, and "[*][*]" as a literal "[*]".
    static QString frameTitle(const QString &caption);

protected:
    bool eventFilter(QObject *obj, QEvent *e) override;

private:
    void fit();
    void followWorkspace();
    void syncTitle();

    QMdiSubWindow *m_sub;
    QPointer<QWidget> m_child;
    const QObject *m_childObject; // still comparable once the child is being deleted
    QSize m_client;
    int m_cascadeIndex;
    QRect m_given; // the geometry last given, while the user has not changed it
};
