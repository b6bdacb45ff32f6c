#pragma once
#include "common/dialogs.h"

#include <QList>
#include <QStringList>
#include <optional>

// Answers every modal dialog from a script and records what was asked.
// Installed for its lifetime.
class ScriptedDialogs : public mirka::DialogProvider {
public:
    struct Asked {
        QString kind; // "message", "input", "open", "save", "font", "color", "preview"
        QString text; // message text, prompt, or file dialog title
        QString title;
        mirka::MsgButtons buttons = mirka::MsgButtons::OK;
        mirka::FileDialogRequest file;
        mirka::FontChoice font; // the preset
        QColor color;           // the preset
        int flags = 0;
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    // Queued answers, taken in order. An unscripted question answers No /
    // cancel and is counted in unscripted.
    QList<mirka::MsgAnswer> messageAnswers;
    QList<std::optional<QString>> inputAnswers;    // nullopt: cancel
    QStringList fileAnswers;                       // empty text: cancel
    QList<std::optional<mirka::FontChoice>> fontAnswers; // nullopt: cancel
    QList<std::optional<QColor>> colorAnswers;     // nullopt: cancel
    QList<bool> previewAnswers;                    // true: print from the preview
    // Each preview is drawn into this PDF file, as the dialog would show it.
    QString previewFile;

    QList<Asked> asked;
    int unscripted = 0;

    // The message texts asked so far, in order.
    QStringList messages() const;

    mirka::MsgAnswer message(QWidget *, const QString &text, mirka::MsgButtons buttons,
                             const QString &title) override;
    QString input(QWidget *, const QString &prompt, const QString &title,
                  const QString &defaultText) override;
    QString fileName(QWidget *, const mirka::FileDialogRequest &request) override;
    bool font(QWidget *, mirka::FontChoice *choice, int flags) override;
    bool color(QWidget *, QColor *color, int flags) override;
    bool printPreview(QWidget *, QPrinter *printer,
                      const std::function<void(QPrinter *)> &paint) override;
};
