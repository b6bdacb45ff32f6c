#include "shell/childframe.h"

#include <QChildEvent>
#include <QMdiSubWindow>
#include <QTimer>

ChildFrame::ChildFrame(QMdiSubWindow *sub, QWidget *child, QSize clientSize, int cascadeIndex)
    : QObject(sub), m_sub(sub), m_child(child), m_childObject(child), m_client(clientSize),
      m_cascadeIndex(cascadeIndex)
{
    sub->installEventFilter(this);
    child->installEventFilter(this);
    if (QWidget *workspace = sub->parentWidget())
        workspace->installEventFilter(this);
    syncTitle();
    fit();
}

QString ChildFrame::frameTitle(const QString &caption)
{
    return QString(caption).replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
}

void ChildFrame::syncTitle()
{
    if (!m_child)
        return;
    // Qt copies the child's title only now and then (never an empty one);
    // the frame's title is set here alone.
    const QString wanted = frameTitle(m_child->windowTitle());
    if (m_sub->windowTitle() != wanted)
        m_sub->setWindowTitle(wanted);
}

void ChildFrame::fit()
{
    const QWidget *workspace = m_sub->parentWidget();
    if (!workspace)
        return;
    const QSize area = workspace->size();
    const QMargins m = m_sub->contentsMargins(); // title bar and borders
    // A child that tells no size of its own takes what the workspace offers.
    const QSize whole = m_client.isValid() ? m_client.grownBy(m) : area;

    // A cascade step is one title bar. The steps stop where the window would
    // no longer fit whole, or, in a workspace smaller than the window, where
    // it would be shrunk below three quarters of the workspace; then they
    // start again at the top left.
    const auto least = [](int want, int room) { return want <= room ? want : room * 3 / 4; };
    const int step = qMax(m.top(), 1);
    const int steps = qMin((area.width() - least(whole.width(), area.width())) / step,
                           (area.height() - least(whole.height(), area.height())) / step);
    const int k = steps > 0 ? m_cascadeIndex % (steps + 1) : 0;
    const QPoint at(k * step, k * step);
    const QSize size = whole.boundedTo(area - QSize(at.x(), at.y()))
                           .expandedTo(m_sub->minimumSizeHint());
    m_given = QRect(at, size);
    m_sub->setGeometry(m_given);
}

void ChildFrame::followWorkspace()
{
    if (m_given.isNull() || m_sub->isMaximized() || m_sub->isMinimized())
        return;
    if (m_sub->geometry() != m_given) {
        m_given = QRect(); // placed by the user (or tiled): left alone from now on
        if (QWidget *workspace = m_sub->parentWidget())
            workspace->removeEventFilter(this);
        return;
    }
    fit();
}

bool ChildFrame::eventFilter(QObject *obj, QEvent *e)
{
    if (obj != m_sub && obj != m_childObject) {
        if (e->type() == QEvent::Resize)
            followWorkspace();
        return false;
    }
    if (obj == m_sub) {
        if (e->type() == QEvent::ChildRemoved
            && static_cast<QChildEvent *>(e)->child() == m_childObject) {
            m_sub->hide();
            m_sub->deleteLater();
        } else if (e->type() == QEvent::WindowTitleChange) {
            syncTitle();
        }
        return false;
    }
    switch (e->type()) {
    case QEvent::WindowTitleChange:
        syncTitle();
        break;
    case QEvent::HideToParent:
        // The sub-window hides its child itself while minimized.
        if (!m_sub->isMinimized())
            m_sub->hide();
        break;
    case QEvent::ShowToParent:
        if (m_sub->isHidden())
            m_sub->show();
        break;
    case QEvent::Close: {
        // Known only after the child handled it: a close it accepted
        // leaves it hidden.
        QPointer<QMdiSubWindow> sub(m_sub);
        QPointer<QWidget> child(m_child);
        QTimer::singleShot(0, m_sub, [sub, child] {
            if (sub && child && child->isHidden() && sub->isHidden())
                sub->deleteLater();
        });
        break;
    }
    default:
        break;
    }
    return false;
}
