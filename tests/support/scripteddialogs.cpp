#include "scripteddialogs.h"

#include <QDir>
#include <QPrinter>

ScriptedDialogs::ScriptedDialogs() { mirka::setDialogProvider(this); }
ScriptedDialogs::~ScriptedDialogs() { mirka::setDialogProvider(nullptr); }

QStringList ScriptedDialogs::messages() const
{
    QStringList out;
    for (const Asked &a : asked)
        if (a.kind == QLatin1String("message"))
            out << a.text;
    return out;
}

mirka::MsgAnswer ScriptedDialogs::message(QWidget *, const QString &text,
                                          mirka::MsgButtons buttons, const QString &title)
{
    Asked a;
    a.kind = QStringLiteral("message");
    a.text = text;
    a.title = title;
    a.buttons = buttons;
    asked << a;
    if (buttons == mirka::MsgButtons::OK) {
        if (!messageAnswers.isEmpty() && messageAnswers.first() == mirka::MsgAnswer::OK)
            messageAnswers.removeFirst();
        return mirka::MsgAnswer::OK;
    }
    if (messageAnswers.isEmpty()) {
        ++unscripted;
        return mirka::MsgAnswer::No;
    }
    return messageAnswers.takeFirst();
}

QString ScriptedDialogs::input(QWidget *, const QString &prompt, const QString &title,
                               const QString &defaultText)
{
    Asked a;
    a.kind = QStringLiteral("input");
    a.text = prompt;
    a.title = title;
    a.file.initialFile = defaultText;
    asked << a;
    if (inputAnswers.isEmpty()) {
        ++unscripted;
        return QString();
    }
    const std::optional<QString> r = inputAnswers.takeFirst();
    return r ? *r : QString();
}

QString ScriptedDialogs::fileName(QWidget *, const mirka::FileDialogRequest &request)
{
    Asked a;
    a.kind = request.save ? QStringLiteral("save") : QStringLiteral("open");
    a.text = request.title;
    a.file = request;
    asked << a;
    if (fileAnswers.isEmpty()) {
        ++unscripted;
        return QString();
    }
    return fileAnswers.takeFirst();
}

bool ScriptedDialogs::font(QWidget *, mirka::FontChoice *choice, int flags)
{
    Asked a;
    a.kind = QStringLiteral("font");
    a.font = *choice;
    a.flags = flags;
    asked << a;
    if (fontAnswers.isEmpty()) {
        ++unscripted;
        return false;
    }
    const std::optional<mirka::FontChoice> r = fontAnswers.takeFirst();
    if (!r)
        return false;
    *choice = *r;
    return true;
}

bool ScriptedDialogs::color(QWidget *, QColor *color, int flags)
{
    Asked a;
    a.kind = QStringLiteral("color");
    a.color = *color;
    a.flags = flags;
    asked << a;
    if (colorAnswers.isEmpty()) {
        ++unscripted;
        return false;
    }
    const std::optional<QColor> r = colorAnswers.takeFirst();
    if (!r)
        return false;
    *color = *r;
    return true;
}

bool ScriptedDialogs::printPreview(QWidget *, QPrinter *printer,
                                   const std::function<void(QPrinter *)> &paint)
{
    Asked a;
    a.kind = QStringLiteral("preview");
    asked << a;
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(previewFile.isEmpty() ? QDir::temp().filePath(QStringLiteral("mirka-preview.pdf"))
                                                     : previewFile);
    paint(printer);
    if (previewAnswers.isEmpty()) {
        ++unscripted;
        return false;
    }
    return previewAnswers.takeFirst();
}
