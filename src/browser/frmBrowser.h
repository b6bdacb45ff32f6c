#pragma once
#include <QWidget>

class QComboBox;
class QPushButton;
class QTimer;
class QToolBar;
class WebBrowser;

// A browser window inside the frame.
class frmBrowser : public QWidget {
    Q_OBJECT
public:
    // A new window (never the shared one), shown and loaded.
    static frmBrowser *createNew();
    // The shared browser window, created and loaded on first use and again
    // after the user closed it.
    static frmBrowser &shared();
    static frmBrowser *sharedIfOpen();

    QToolBar *tbToolBar = nullptr;
    QWidget *picAddress = nullptr;
    QPushButton *Command2 = nullptr; // delete favourite
    QComboBox *ImageCombo1 = nullptr;
    QPushButton *Command1 = nullptr; // go to favourite
    QComboBox *cboAddress = nullptr;
    WebBrowser *brwWebBrowser = nullptr;
    QTimer *timTimer = nullptr;

    ~frmBrowser() override;

private:
    frmBrowser();
};
