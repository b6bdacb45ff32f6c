#pragma once
#include "about/systemaccess.h"

#include <QDialog>
#include <QIcon>

class QLabel;
class QPushButton;

// The About window: title, version and the system-information launcher.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    // Shows the window modally, owned by owner; returns when it closes.
    static void showModal(QWidget *owner);
    // The program's icon (window icons, the About window, the desktop entry).
    static QIcon programIcon();
    // The user guide the window points to: the installed one, or the copy in
    // the "docs" folder of a portable copy or build tree.
    static QString userGuide();

    // The window, loaded but not shown, looking the system-information
    // program up through system.
    frmAbout(QWidget *owner, SystemAccess &system);

    // Starts the system-information program, or tells the user that it is
    // not available.
    void StartSysInfo();
    // Reads the value SubKeyRef of the key KeyName under KeyRoot into KeyVal;
    // true when the value was read, whatever its type (only string and
    // number values set KeyVal).
    bool GetKeyValue(SystemAccess::Key KeyRoot, const QString &KeyName,
                     const QString &SubKeyRef, QString &KeyVal);

    QLabel *picIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QWidget *Line1 = nullptr; // the etched rule: a grey and a white line
    QLabel *lblDisclaimer = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    explicit frmAbout(QWidget *owner);
    void loadForm();

    SystemAccess &m_system;
};
