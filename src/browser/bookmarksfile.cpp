#include "browser/bookmarksfile.h"

#include "browser/frmBrowser.h"
#include "common/dialogs.h"
#include "common/fileerror.h"
#include "common/paths.h"
#include "common/savefile.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTextDocumentFragment>

namespace mirka::bookmarksfile {

using favourites::Favourite;

namespace {

const char kIconAttribute[] = "MIRKA_ICON";
const QString kFilter = QStringLiteral("HTML (*.html;*.htm)|*.html;*.htm");

QString attribute(const QString &attributes, const QString &name)
{
    const QRegularExpression re(QStringLiteral("\\b%1\\s*=\\s*\"([^\"]*)\"").arg(name),
                                QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(attributes);
    return m.hasMatch() ? QTextDocumentFragment::fromHtml(m.captured(1)).toPlainText() : QString();
}

void report(frmBrowser *b, const QString &headline, const QString &path, const QString &reason)
{
    MsgBox(fileFailureMessage(headline, path, reason), MsgButtons::OK, QString(), b);
}

void exportFavourites(frmBrowser *b)
{
    CommonDialog dlg(b);
    dlg.DialogTitle = QStringLiteral("お気に入りを書き出す");
    dlg.Filter = kFilter;
    dlg.Flags = CommonDialog::OverwritePrompt;
    dlg.ShowSave();
    if (dlg.FileName.isEmpty())
        return;
    QString reason;
    if (!writeFileAtomically(dlg.FileName, bookmarksfile::format(favourites::load(favourites::filePath()).list), &reason))
        report(b, QStringLiteral("ファイルを保存できませんでした。"), dlg.FileName, reason);
}

// Bookmarks the favourites do not hold yet are added at the end.
void importFavourites(frmBrowser *b)
{
    CommonDialog dlg(b);
    dlg.DialogTitle = QStringLiteral("お気に入りを読み込む");
    dlg.CancelError = true;
    dlg.Filter = kFilter;
    if (!dlg.ShowOpen())
        return;
    QByteArray bytes;
    QString reason;
    if (!readWholeFile(dlg.FileName, &bytes, &reason, maxSettingsFileSize))
        return report(b, QStringLiteral("ファイルを開けませんでした。"), dlg.FileName, reason);
    QList<Favourite> list = favourites::load(favourites::filePath()).list;
    for (const Favourite &f : bookmarksfile::parse(bytes)) {
        const bool known = std::any_of(list.cbegin(), list.cend(), [&f](const Favourite &g) {
            return g.text == f.text && g.address == f.address && g.icon == f.icon;
        });
        if (!known && list.size() < favourites::maxFavourites)
            list << f;
    }
    if (!writeFileAtomically(favourites::filePath(), favourites::format(list), &reason))
        return report(b, QStringLiteral("ファイルを保存できませんでした。"), favourites::filePath(), reason);
    b->LoadFavourites();
}

} // namespace

QByteArray format(const QList<Favourite> &list)
{
    QString out = QStringLiteral(
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
        "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n");
    for (const Favourite &f : list)
        out += QStringLiteral("    <DT><A HREF=\"%1\" %2=\"%3\">%4</A>\n")
                   .arg(f.address.toHtmlEscaped(), QLatin1String(kIconAttribute),
                        QString::number(f.icon), f.text.toHtmlEscaped());
    out += QStringLiteral("</DL><p>\n");
    return out.toUtf8();
}

QList<Favourite> parse(const QByteArray &html)
{
    static const QRegularExpression link(QStringLiteral("<A\\s([^>]*)>(.*?)</A>"),
                                         QRegularExpression::CaseInsensitiveOption
                                             | QRegularExpression::DotMatchesEverythingOption);
    QList<Favourite> out;
    for (const QRegularExpressionMatch &m : link.globalMatch(QString::fromUtf8(html))) {
        Favourite f;
        f.address = attribute(m.captured(1), QStringLiteral("HREF"));
        if (f.address.isEmpty())
            continue;
        f.text = QTextDocumentFragment::fromHtml(m.captured(2)).toPlainText().simplified();
        bool ok = false;
        const int icon = attribute(m.captured(1), QLatin1String(kIconAttribute)).toInt(&ok);
        f.icon = ok && icon >= 1 && icon <= favourites::iconCount ? icon : 1;
        out << f;
    }
    return out;
}

void attach(frmBrowser *b)
{
    auto showMenu = [b](QWidget *w, const QPoint &pos) {
        QMenu menu(b);
        QAction *out = menu.addAction(QStringLiteral("お気に入りを書き出す..."));
        QAction *in = menu.addAction(QStringLiteral("お気に入りを読み込む..."));
        QAction *chosen = menu.exec(w->mapToGlobal(pos));
        if (chosen == out)
            exportFavourites(b);
        else if (chosen == in)
            importFavourites(b);
    };
    for (QWidget *w : {static_cast<QWidget *>(b->ImageCombo1), static_cast<QWidget *>(b->ImageCombo1->lineEdit())}) {
        if (!w)
            continue;
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(w, &QWidget::customContextMenuRequested, b,
                         [showMenu, w](const QPoint &pos) { showMenu(w, pos); });
    }
}

} // namespace mirka::bookmarksfile
