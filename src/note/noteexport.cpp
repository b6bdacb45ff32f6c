#include "note/noteexport.h"

#include "common/dialogs.h"
#include "common/fileerror.h"
#include "common/paths.h"
#include "common/safelinks.h"
#include "common/savefile.h"
#include "model/note.h"
#include "model/notefile.h"
#include "note/frmDocument.h"
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
    for (const RecordedPage &c : doc.note->pages()) {
        out += QStringLiteral("<li>") + safelinks::linkOrText(c.address, c.title);
        if (c.recorded.isValid())
            out += QStringLiteral(" (記録: <time datetime=\"%1\">%2</time>)")
                       .arg(c.recorded.toString(Qt::ISODate), c.recorded.toString(QStringLiteral("yyyy/MM/dd HH:mm")));
        if (c.hasCopy())
            out += QStringLiteral(" <a href=\"%1\">保存したページ</a>").arg(linkTo(c.copyPath, htmlPath));
        out += QStringLiteral("</li>\n");
    }
    out += QStringLiteral("</ol>\n</body></html>\n");
    return out.toUtf8();
}

QString proposedName(const QString &notePath)
{
    if (notePath.isEmpty())
        return QString();
    // The note's name with ".html" in place of its extension, as its
    // companion is named.
    QString base = notefile::companionFor(notePath);
    base.chop(4);
    return base + QStringLiteral(".html");
}

void exportNote(frmDocument &doc)
{
    // A dialog of its own: the note's Save As keeps offering the note's name.
    CommonDialog dlg(&doc);
    dlg.DialogTitle = QStringLiteral("HTMLとして書き出す");
    dlg.CancelError = false;
    dlg.Filter = QStringLiteral("HTML (*.html)|*.html");
    dlg.Flags = CommonDialog::OverwritePrompt;
    dlg.FileName = proposedName(doc.note->fileName());
    dlg.ShowSave();
    if (dlg.FileName.isEmpty())
        return;
    const QString path = dlg.FileName;
    // Writing HTML over the note's own files would lose the note.
    const QString note = doc.note->fileName();
    const QString companion = note.isEmpty() ? QString() : notefile::companionFor(note);
    const QString copies = companion.isEmpty() ? QString() : notefile::copiesFolderFor(companion);
    if (!note.isEmpty()
        && (samePath(path, note) || samePath(path, companion)
            || samePath(QFileInfo(path).absolutePath(), copies))) {
        MsgBox(fileFailureMessage(QStringLiteral("ファイルを保存できませんでした。"), path,
                                  QStringLiteral("ノート自身のファイルです。別の名前を指定してください。")),
               MsgButtons::OK, QString(), &doc);
        return;
    }
    QString reason;
    if (!writeFileAtomically(path, html(doc, path), &reason))
        MsgBox(fileFailureMessage(QStringLiteral("ファイルを保存できませんでした。"), path, reason),
               MsgButtons::OK, QString(), &doc);
}

} // namespace mirka::noteexport
