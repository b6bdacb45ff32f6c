#include "scripteddialogs.h"

#include <QDir>
#include <QPrinter>

namespace {

// The next answer from the script, or none (counted as unscripted).
template <typename T>
std::optional<T> next(QList<T> &answers, int *unscripted)
{
    if (answers.isEmpty()) {
        ++*unscripted;
        return std::nullopt;
    }
    return answers.takeFirst();
}

} // namespace

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
    Asked a{QStringLiteral("message"), text, title, buttons};
    asked << a;
    if (buttons == mirka::MsgButtons::OK) {
        if (!messageAnswers.isEmpty() && messageAnswers.first() == mirka::MsgAnswer::OK)
            messageAnswers.removeFirst();
        return mirka::MsgAnswer::OK;
    }
    return next(messageAnswers, &unscripted).value_or(mirka::MsgAnswer::No);
}

QString ScriptedDialogs::input(QWidget *, const QString &prompt, const QString &title,
                               const QString &defaultText)
{
    Asked a{QStringLiteral("input"), prompt, title};
    a.file.initialFile = defaultText;
    asked << a;
    return next(inputAnswers, &unscripted).value_or(std::nullopt).value_or(QString());
}

QString ScriptedDialogs::fileName(QWidget *, const mirka::FileDialogRequest &request)
{
    asked << Asked{request.save ? QStringLiteral("save") : QStringLiteral("open"), request.title, {}, {}, request};
    return next(fileAnswers, &unscripted).value_or(QString());
}

bool ScriptedDialogs::font(QWidget *, mirka::FontChoice *choice, int flags)
{
    asked << Asked{QStringLiteral("font"), {}, {}, {}, {}, *choice, {}, flags};
    const std::optional<mirka::FontChoice> r = next(fontAnswers, &unscripted).value_or(std::nullopt);
    if (r)
        *choice = *r;
    return r.has_value();
}

bool ScriptedDialogs::color(QWidget *, QColor *color, int flags)
{
    asked << Asked{QStringLiteral("color"), {}, {}, {}, {}, {}, *color, flags};
    const std::optional<QColor> r = next(colorAnswers, &unscripted).value_or(std::nullopt);
    if (r)
        *color = *r;
    return r.has_value();
}

bool ScriptedDialogs::printPreview(QWidget *, QPrinter *printer,
                                   const std::function<void(QPrinter *)> &paint)
{
    asked << Asked{QStringLiteral("preview")};
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(previewFile.isEmpty() ? QDir::temp().filePath(QStringLiteral("mirka-preview.pdf"))
                                                     : previewFile);
    paint(printer);
    return next(previewAnswers, &unscripted).value_or(false);
}
