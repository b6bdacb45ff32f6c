#include "shell/frmMain.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

static frmMain *g_frame = nullptr;

frmMain::frmMain(QWidget *parent) : QMainWindow(parent)
{
    g_frame = this;
    setWindowTitle(QStringLiteral("Mirka"));
    m_mdi = new QMdiArea(this);
    m_mdi->setBackground(QColor(113, 206, 190));
    setCentralWidget(m_mdi);
}

frmMain::~frmMain()
{
    if (g_frame == this)
        g_frame = nullptr;
}

frmMain *frmMain::instance() { return g_frame; }

QMdiSubWindow *frmMain::addChild(QWidget *child)
{
    QMdiSubWindow *sub = m_mdi->addSubWindow(child);
    sub->show();
    return sub;
}

void frmMain::TileHorizontal() {}
void frmMain::TileVertical() {}
void frmMain::fillWindowList(QMenu *, int) {}

void frmMain::closeEvent(QCloseEvent *event)
{
    m_mdi->closeAllSubWindows();
    event->accept();
}
