#include "common/dialogs.h"

#include "common/apptitle.h"
#include "common/colordialog.h"
#include "common/fontdialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStringList>

namespace mirka {

namespace {

// "desc|pattern|desc|pattern" → Qt's "desc (pattern);;desc (pattern)".
QString qtFilter(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i];
        const QString pattern = QString(parts[i + 1]).replace(u';', u' ');
        if (!desc.contains(u'(' + pattern + u')'))
            desc += QStringLiteral(" (") + pattern + u')';
        out << desc;
    }
    return out.join(QStringLiteral(";;"));
}

class QtDialogs : public DialogProvider {
public:
    MsgAnswer message(QWidget *parent, const QString &text, MsgButtons buttons,
                      const QString &title) override
    {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, parent);
        if (buttons == MsgButtons::OK) {
            box.setStandardButtons(QMessageBox::Ok);
        } else {
            box.setStandardButtons(buttons == MsgButtons::YesNoCancel
                                       ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                                       : QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(buttons == MsgButtons::YesNoDefaultNo ? QMessageBox::No : QMessageBox::Yes);
        }
        if (buttons == MsgButtons::YesNoCancel) {
            box.button(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
            box.setEscapeButton(QMessageBox::Cancel);
        }
        const int r = box.exec();
        if (buttons == MsgButtons::OK)
            return MsgAnswer::OK;
        return r == QMessageBox::Yes ? MsgAnswer::Yes
            : r == QMessageBox::No   ? MsgAnswer::No
                                     : MsgAnswer::Cancel;
    }

    QString input(QWidget *parent, const QString &prompt, const QString &title,
                  const QString &defaultText) override
    {
        bool ok = false;
        const QString s = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal,
                                                defaultText, &ok);
        return ok ? s : QString();
    }

    QString fileName(QWidget *parent, const FileDialogRequest &r) override
    {
        QFileDialog::Options opts;
        if (r.save && !r.confirmOverwrite)
            opts |= QFileDialog::DontConfirmOverwrite;
        if (r.save)
            return QFileDialog::getSaveFileName(parent, r.title, r.initialFile, qtFilter(r.filter),
                                                nullptr, opts);
        return QFileDialog::getOpenFileName(parent, r.title, r.initialFile, qtFilter(r.filter),
                                            nullptr, opts);
    }

    // Flags 3 (no effects) is the only use: neither dialog offers more.
    bool font(QWidget *parent, FontChoice *c, int) override
    {
        FontDialog dialog(*c, parent);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        *c = *dialog.choice();
        return true;
    }

    // Flags 5: the preset selected, no custom-colour panel.
    bool color(QWidget *parent, QColor *color, int) override
    {
        ColorDialog dialog(*color, parent);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        *color = dialog.color();
        return true;
    }

    bool printPreview(QWidget *parent, QPrinter *printer,
                      const std::function<void(QPrinter *)> &paint) override
    {
        QPrintPreviewDialog dialog(printer, parent);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
        return dialog.exec() == QDialog::Accepted;
    }
};

DialogProvider *g_provider = nullptr;

} // namespace

DialogProvider &dialogs()
{
    static QtDialogs real;
    return g_provider ? *g_provider : real;
}

void setDialogProvider(DialogProvider *provider) { g_provider = provider; }

MsgAnswer MsgBox(const QString &text, MsgButtons buttons, const QString &title, QWidget *parent)
{
    return dialogs().message(parent, text, buttons, title.isEmpty() ? appTitle() : title);
}

QString InputBox(const QString &prompt, const QString &title, const QString &defaultText,
                 QWidget *parent)
{
    return dialogs().input(parent, prompt, title.isEmpty() ? appTitle() : title, defaultText);
}

QDialogButtonBox *okCancelButtons(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

bool CommonDialog::showFile(bool save)
{
    FileDialogRequest r;
    r.save = save;
    r.title = DialogTitle;
    r.filter = Filter;
    r.initialFile = FileName;
    r.confirmOverwrite = (Flags & OverwritePrompt) != 0;
    const QString chosen = dialogs().fileName(owner, r);
    if (chosen.isEmpty()) {
        if (CancelError)
            return false;
        FileName.clear();
        FileTitle.clear();
        return true;
    }
    FileName = chosen;
    FileTitle = QFileInfo(chosen).fileName();
    return true;
}

bool CommonDialog::ShowOpen() { return showFile(false); }
bool CommonDialog::ShowSave() { return showFile(true); }

bool CommonDialog::ShowFont()
{
    FontChoice c{FontName, FontSize, FontBold, FontItalic};
    if (!dialogs().font(owner, &c, Flags))
        return !CancelError;
    FontName = c.name;
    FontSize = c.size;
    FontBold = c.bold;
    FontItalic = c.italic;
    return true;
}

bool CommonDialog::ShowColor()
{
    QColor c = Color;
    if (!dialogs().color(owner, &c, Flags))
        return !CancelError;
    Color = c;
    return true;
}

} // namespace mirka
