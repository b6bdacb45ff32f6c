#pragma once
#include "common/dialogs.h"

#include <QHash>
#include <QList>
#include <QPixmap>
#include <QWidget>

class QAction;
class QActionGroup;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QStatusBar;
class QToolBar;
class RichTextBox;
class EditorFind;
namespace mirka {
class Note;
}

// The single note window: a view of the note (mirka::Note) with the body's
// editor. The theme box and the title list show the note's theme and pages;
// List2 holds the pages' addresses at the same rows, never visible.
class frmDocument : public QWidget {
    Q_OBJECT
public:
    // The note window, or nullptr when none exists.
    static frmDocument *instance();
    // The note window, created fresh (and shown inside the frame) when none
    // exists.
    static frmDocument &get();

    // Appends one recorded page, creating the note window when none exists
    // (the note window state is left alone), and marks the note modified.
    static void AddRecordedPage(const QString &title, const QString &address);

    // The note this window shows; it ends with the window.
    mirka::Note *note = nullptr;

    // The menus that take the place of the frame's while this window is the
    // active child.
    QList<QMenu *> menus() const { return m_menus; }

    RichTextBox *rtfText = nullptr;
    QLineEdit *Text1 = nullptr;   // theme name
    QListWidget *List1 = nullptr; // titles
    QListWidget *List2 = nullptr; // addresses, never visible
    QLabel *Label1 = nullptr;
    QPushButton *Command2 = nullptr;
    QToolBar *tbToolBar = nullptr;
    QStatusBar *sbStatusBar = nullptr;
    mirka::CommonDialog dlgCommonDialog;
    // Find and replace in the body, with its bar along the bottom.
    EditorFind *Find = nullptr;

    // The modified flag: set once the note has changed since it was created
    // or last saved.
    bool isModified() const;
    void setModified(bool modified);
    // Whether the window holds recorded pages or a body: work that closing
    // or Open would discard.
    bool holdsWork() const;

    // The window's menus and their items (objectNames as the member names).
    QMenu *mnuFile = nullptr;
    QAction *mnuFileNew = nullptr;
    QAction *mnuViewWebBrowser = nullptr;
    QAction *mnuFileOpen = nullptr;
    QAction *mnuFileBar0 = nullptr;
    QAction *mnuFileSave = nullptr;
    QAction *mnuFileSaveAs = nullptr;
    QAction *mnuFileExportHtml = nullptr;
    QAction *mnuFilePrint = nullptr;
    QAction *mnuFileExportPdf = nullptr;
    QAction *mnuFileBar1 = nullptr;
    QAction *mnuFileExit = nullptr;
    QMenu *mnuEdit = nullptr;
    QAction *mnuEditCut = nullptr;
    QAction *mnuEditCopy = nullptr;
    QAction *mnuEditPaste = nullptr;
    QAction *mnuEditFind = nullptr;
    QAction *mnuEditReplace = nullptr;
    QMenu *mnuView = nullptr;
    QAction *mnuViewOptions = nullptr;
    QAction *mnuViewZoomIn = nullptr;
    QAction *mnuViewZoomOut = nullptr;
    QAction *mnuViewZoomReset = nullptr;
    QMenu *mnuWindow = nullptr;
    QAction *mnuWindowTileHorizontal = nullptr;
    QAction *mnuWindowTileVertical = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuHelpAbout = nullptr;

    // The toolbar pictures by image key, 16 x 16.
    QHash<QString, QPixmap> imlToolbarIcons;

    // The toolbar button with this key, or nullptr; looked up every time.
    QAction *button(const QString &key) const;

    // The caption names the note's file: its path, "新規ファイル" for a new
    // note not saved yet, empty for a note made by recording a page.
    QString Caption() const { return windowTitle(); }

    // Show, hide and close the window together with its frame inside the
    // multiple-document area; closing runs the closing sequence.
    void showWindow();
    void hideWindow();
    void closeWindow();

    // The menu and toolbar commands.
    void mnuFileOpen_Click();
    void mnuFileSave_Click();
    void mnuEditCut_Click();
    void mnuEditCopy_Click();
    void mnuEditPaste_Click();
    void ButtonClick(QAction *button);
    void ChooseSelectionFont();
    void ChooseSelectionColour();

    ~frmDocument() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    frmDocument();
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    void applyLayout();
    void showNote();
    void updateCaption();
    void rtfText_SelChange();
    void showSelectionState();
    bool formattingKey(const QKeyEvent *key);
    void Command2_Click();
    void List1_DblClick();
    bool dragRecordedPage(QEvent *event);

    QList<QMenu *> m_menus;
    QPoint m_dragStart;
    QActionGroup *m_alignGroup = nullptr;
};
