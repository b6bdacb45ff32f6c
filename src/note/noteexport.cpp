#include "note/noteexport.h"

#include "common/dialogs.h"
#include "common/fileerror.h"
#include "common/safelinks.h"
#include "common/savefile.h"
#include "note/frmDocument.h"
#include "note/notecopies.h"
#include "note/richtext/richtextbox.h"
#include "note/richtext/rtfobjects.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QUrl>

namespace mirka::noteexport {

namespace {

QString bodyOf(const QString &document)
{
    const qsizetype open = document.indexOf(QLatin1String("<body"));
    const qsizetype start = open < 0 ? -1 : document.indexOf(u'>', open);
    const qsizetype end = document.lastIndexOf(QLatin1String("</body>"));
    return start < 0 || end < start ? QString() : document.mid(start + 1, end - start - 1);
}

// A link that still works when the page and the copies folder move together.
QString linkTo(const QString &file, const QString &htmlPath)
{
    const QString relative = QFileInfo(htmlPath).dir().relativeFilePath(file);
    return QString::fromUtf8(QUrl::toPercentEncoding(relative, "/"));
}

} // namespace

QByteArray html(const frmDocument &doc, const QString &htmlPath)
{
    const QString theme = doc.Text1->text().toHtmlEscaped();
    QString out = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title></head>\n"
                                 "<body>\n<h1>%1</h1>\n<div>%2</div>\n<h2>記録したページ</h2>\n<ol>\n")
                      .arg(theme, bodyOf(safelinks::withLinkableLinksOnly(mirka::rtf::exportHtml(doc.rtfText->document()))));
    const QList<RecordedPage> pages = notecopies::pages(doc);
    const QList<const PageCopy *> copies = doc.Copies->forPages(pages);
    for (int i = 0; i < pages.size(); ++i) {
        out += QStringLiteral("<li>") + safelinks::linkOrText(pages[i].second, pages[i].first);
        const PageCopy *c = copies.value(i);
        if (c && c->recorded.isValid())
            out += QStringLiteral(" (記録: <time datetime=\"%1\">%2</time>)")
                       .arg(c->recorded.toString(Qt::ISODate),
                            c->recorded.toString(QStringLiteral("yyyy/MM/dd HH:mm")));
        if (c && c->hasCopy())
            out += QStringLiteral(" <a href=\"%1\">保存したページ</a>").arg(linkTo(c->filePath(), htmlPath));
        out += QStringLiteral("</li>\n");
    }
    out += QStringLiteral("</ol>\n</body></html>\n");
    return out.toUtf8();
}

void exportNote(frmDocument &doc)
{
    CommonDialog &dlg = doc.dlgCommonDialog;
    dlg.DialogTitle = QStringLiteral("HTMLとして書き出す");
    dlg.CancelError = false;
    dlg.Filter = QStringLiteral("HTML (*.html)|*.html");
    dlg.Flags = CommonDialog::OverwritePrompt;
    dlg.ShowSave();
    if (dlg.FileName.isEmpty())
        return;
    const QString path = dlg.FileName;
    QString reason;
    if (!writeFileAtomically(path, html(doc, path), &reason))
        MsgBox(fileFailureMessage(QStringLiteral("ファイルを保存できませんでした。"), path, reason),
               MsgButtons::OK, QString(), &doc);
}

} // namespace mirka::noteexport
