#pragma once
#include <QDialog>

// The About window: title, version and the system-information launcher.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    // Shows the window modally, owned by owner; returns when it closes.
    static void showModal(QWidget *owner);

private:
    explicit frmAbout(QWidget *owner);
};
