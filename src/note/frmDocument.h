#pragma once
#include "common/dialogs.h"

#include <QList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QStatusBar;
class QToolBar;
class RichTextBox;

// The single note window: body, theme name and the recorded pages.
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

    // "1" once the note has changed since it was created or last saved.
    bool Modified = false;

    ~frmDocument() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    frmDocument();
    QList<QMenu *> m_menus;
};
