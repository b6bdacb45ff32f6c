#pragma once
#include <QColor>
#include <QString>
#include <functional>

class QDialog;
class QDialogButtonBox;
class QPrinter;
class QWidget;

// Everything modal goes through one provider: the program uses Qt's real
// dialogs, tests install a provider that answers from a script.
namespace mirka {

// YesNoDefaultNo: for a question whose Yes lets something leave the program;
// YesNoCancel: Escape answers Cancel.
enum class MsgButtons { OK, YesNo, YesNoDefaultNo, YesNoCancel };
enum class MsgAnswer { OK, Yes, No, Cancel };

struct FileDialogRequest {
    bool save = false;
    QString title;
    QString filter;      // in the "description|pattern" form of the common dialog
    QString initialFile; // offered as the initial file name
    bool confirmOverwrite = false;
};

struct FontChoice {
    QString name;
    double size = 0;
    bool bold = false;
    bool italic = false;
};

class DialogProvider {
public:
    virtual ~DialogProvider() = default;
    // No icon; with YesNo and YesNoCancel, Yes is the default button, with
    // YesNoDefaultNo, No.
    virtual MsgAnswer message(QWidget *parent, const QString &text, MsgButtons buttons,
                              const QString &title) = 0;
    // The typed text, or an empty text when the user cancels.
    virtual QString input(QWidget *parent, const QString &prompt, const QString &title,
                          const QString &defaultText) = 0;
    // The chosen full path, or an empty text when the user cancels.
    virtual QString fileName(QWidget *parent, const FileDialogRequest &request) = 0;
    // false when cancelled; *choice holds the preset on entry, the choice on return.
    virtual bool font(QWidget *parent, FontChoice *choice, int flags) = 0;
    virtual bool color(QWidget *parent, QColor *color, int flags) = 0;
    // The print preview of what paint draws on the printer; the user may
    // print from it. true when printed.
    virtual bool printPreview(QWidget *parent, QPrinter *printer,
                              const std::function<void(QPrinter *)> &paint) = 0;
};

DialogProvider &dialogs();
// Installs the provider to use; nullptr goes back to Qt's real dialogs.
void setDialogProvider(DialogProvider *provider);

// The message box of the whole program: text, buttons, title (the
// application title unless one is given).
MsgAnswer MsgBox(const QString &text, MsgButtons buttons = MsgButtons::OK,
                 const QString &title = QString(), QWidget *parent = nullptr);
QString InputBox(const QString &prompt, const QString &title, const QString &defaultText,
                 QWidget *parent = nullptr);

// "OK" and "キャンセル" for a dialog of our own, wired to accept and reject.
QDialogButtonBox *okCancelButtons(QDialog *dialog);

// The common dialog object: one instance remembers the properties each use
// leaves behind, and the next use starts from them.
class CommonDialog {
public:
    enum FileFlags { OverwritePrompt = 2 };

    explicit CommonDialog(QWidget *owner = nullptr) : owner(owner) {}

    QWidget *owner;
    QString DialogTitle;
    QString Filter;
    QString FileName;  // full path
    QString FileTitle; // name without folder
    int Flags = 0;
    bool CancelError = false;
    QString FontName;
    double FontSize = 0;
    bool FontBold = false;
    bool FontItalic = false;
    QColor Color = Qt::black;

    // Each returns false when the user cancelled and CancelError is set: the
    // caller's failure path. With CancelError unset a cancelled file dialog
    // leaves FileName and FileTitle empty and returns true.
    bool ShowOpen();
    bool ShowSave();
    bool ShowFont();
    bool ShowColor();

private:
    bool showFile(bool save);
};

} // namespace mirka
