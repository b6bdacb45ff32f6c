#pragma once
#include <QDialog>
#include <QIcon>

// The About window: title, version and the system-information launcher.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    // Shows the window modally, owned by owner; returns when it closes.
    static void showModal(QWidget *owner);
    // The program's icon (window icons, the About window, the desktop entry).
    static QIcon programIcon();

private:
    explicit frmAbout(QWidget *owner);
};
