#include "note/frmDocument.h"

#include "note/richtext/richtextbox.h"
#include "shell/frmMain.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QListWidget>

static frmDocument *g_doc = nullptr;

frmDocument::frmDocument() : dlgCommonDialog(this)
{
    g_doc = this;
    rtfText = new RichTextBox(this);
    Text1 = new QLineEdit(QStringLiteral("テーマ名"), this);
    List1 = new QListWidget(this);
    List2 = new QListWidget(this);
    List2->hide();
}

frmDocument::~frmDocument()
{
    if (g_doc == this)
        g_doc = nullptr;
}

frmDocument *frmDocument::instance() { return g_doc; }

frmDocument &frmDocument::get()
{
    if (!g_doc) {
        auto *doc = new frmDocument;
        if (frmMain *f = frmMain::instance())
            f->addChild(doc);
    }
    return *g_doc;
}

void frmDocument::AddRecordedPage(const QString &title, const QString &address)
{
    frmDocument &d = get();
    d.List1->addItem(title);
    d.List2->addItem(address);
    d.Modified = true;
}

void frmDocument::closeEvent(QCloseEvent *event) { event->accept(); }
