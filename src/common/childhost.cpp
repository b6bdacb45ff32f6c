#include "common/childhost.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace mirka {

namespace {
ChildHost *g_host = nullptr;
} // namespace

ChildHost::ChildHost() { g_host = this; }

ChildHost::~ChildHost()
{
    if (g_host == this)
        g_host = nullptr;
}

ChildHost *ChildHost::instance() { return g_host; }

void showChild(QWidget *child)
{
    if (ChildHost *host = ChildHost::instance()) {
        host->addChild(child);
    } else {
        child->setAttribute(Qt::WA_DeleteOnClose);
        child->show();
    }
}

void raiseChild(QWidget *child)
{
    if (ChildHost *host = ChildHost::instance())
        for (QMdiSubWindow *sub : host->mdiArea()->subWindowList())
            if (sub->widget() == child) {
                if (sub->isMinimized())
                    sub->showNormal();
                host->mdiArea()->setActiveSubWindow(sub);
                return;
            }
    child->raise();
    child->activateWindow();
}

} // namespace mirka
