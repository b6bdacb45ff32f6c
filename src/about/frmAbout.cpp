#include "about/frmAbout.h"

frmAbout::frmAbout(QWidget *owner) : QDialog(owner) {}

void frmAbout::showModal(QWidget *owner)
{
    frmAbout dlg(owner);
    dlg.exec();
}

QIcon frmAbout::programIcon() { return QIcon(); }
