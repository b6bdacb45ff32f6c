#include "browser/frmBrowser.h"

#include "browser/WebBrowser.h"
#include "shell/frmMain.h"

#include <QComboBox>

static frmBrowser *g_shared = nullptr;

frmBrowser::frmBrowser()
{
    cboAddress = new QComboBox(this);
    cboAddress->setEditable(true);
    brwWebBrowser = new WebBrowser(this);
}

frmBrowser::~frmBrowser()
{
    if (g_shared == this)
        g_shared = nullptr;
}

frmBrowser *frmBrowser::createNew()
{
    auto *b = new frmBrowser;
    if (frmMain *f = frmMain::instance())
        f->addChild(b);
    return b;
}

frmBrowser &frmBrowser::shared()
{
    if (!g_shared)
        g_shared = createNew();
    return *g_shared;
}

frmBrowser *frmBrowser::sharedIfOpen() { return g_shared; }
