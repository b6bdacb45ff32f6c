#pragma once
#include <QIcon>
#include <QList>
#include <QWidget>

class QAction;
class QComboBox;
class QMdiSubWindow;
class QPushButton;
class QTimer;
class QToolBar;
class WebBrowser;

// A browser window inside the frame.
//
// The caption (window title) is the page title after each completed
// navigation, or "**********" while the busy indicator runs. The address
// box's list is the history of completed addresses, newest first, each once.
// The favourites box is refilled from "tobla.ini" on every activation and
// the file rewritten after each addition and deletion, so all windows share
// it.
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

    // The favourite icons, icon number n at position n - 1.
    QList<QIcon> ImageList2;
    // True only while the history is being rewritten after a completed
    // navigation: choosing an address then does not navigate.
    bool holdNavigation = false;

    // Starts the busy indicator and navigates to the address box text.
    void NavigateFromAddressBox();
    // Empties the favourites box and fills it from the favourites file.
    void LoadFavourites();
    // Rewrites the favourites file from the box; false (after telling the
    // user) when it could not be written.
    bool SaveFavourites();
    void AddFavourite();
    void OpenFavourite();
    void DeleteFavourite();

    // True, after telling the user, for a stored address (a recorded page, a
    // favourite) that would run a script in the page on screen rather than
    // open a page. Only an address typed into the box may do that.
    static bool refusesStoredAddress(const QString &address, QWidget *parent);

    ~frmBrowser() override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    frmBrowser();
    static frmBrowser *create();
    void windowLoad();
    void addKeys();
    void applyResizeRule();
    void startBusyIndicator();
    void timerTick();
    void toolbarButtonClick(QAction *button);
    void recordPage();
    void addressChosen();
    void selectHistoryEntry(int index);
    void navigateComplete();
    void downloadComplete();
    void newWindowRequested(WebBrowser **target);
    void subWindowActivated(QMdiSubWindow *window);
};
