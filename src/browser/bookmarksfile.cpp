#include "browser/bookmarksfile.h"

#include "browser/frmBrowser.h"
#include "common/dialogs.h"
#include "common/fileerror.h"
#include "common/paths.h"
#include "common/savefile.h"

#include "common/apptitle.h"
#include "common/safelinks.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProgressDialog>
#include <QSet>

namespace mirka::bookmarksfile {

using favourites::Favourite;

namespace {

const char kIconAttribute[] = "MIRKA_ICON";
const QString kFilter = QStringLiteral("HTML (*.html;*.htm)|*.html;*.htm");

// Text of the file between tags, as shown: tags dropped, references read,
// white space run together.
QString shownText(QStringView html)
{
    QString text;
    text.reserve(html.size());
    bool inTag = false;
    for (QChar c : html) {
        if (c == u'<')
            inTag = true;
        else if (c == u'>')
            inTag = false;
        else if (!inTag)
            text += c;
    }
    return safelinks::unescapeHtml(text).simplified();
}

// The value of one attribute in the text of an <A …> tag.
QString attribute(QStringView tag, QLatin1String name)
{
    qsizetype at = 0;
    while ((at = tag.indexOf(name, at, Qt::CaseInsensitive)) >= 0) {
        const qsizetype before = at - 1;
        at += name.size();
        if (before >= 0 && !tag[before].isSpace())
            continue;
        qsizetype p = at;
        while (p < tag.size() && tag[p].isSpace())
            ++p;
        if (p >= tag.size() || tag[p] != u'=')
            continue;
        ++p;
        while (p < tag.size() && tag[p].isSpace())
            ++p;
        if (p < tag.size() && (tag[p] == u'"' || tag[p] == u'\'')) {
            const qsizetype end = tag.indexOf(tag[p], p + 1);
            return safelinks::unescapeHtml(tag.mid(p + 1, (end < 0 ? tag.size() : end) - p - 1).toString());
        }
        qsizetype end = p;
        while (end < tag.size() && !tag[end].isSpace())
            ++end;
        return safelinks::unescapeHtml(tag.mid(p, end - p).toString());
    }
    return QString();
}

// The end of the tag that starts at from: its '>' outside quotes.
qsizetype tagEnd(QStringView html, qsizetype from)
{
    QChar quote;
    for (qsizetype p = from; p < html.size(); ++p) {
        const QChar c = html[p];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return p;
        }
    }
    return -1;
}

void tell(frmBrowser *b, const QString &headline, const QString &path, const QString &reason)
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
        tell(b, QStringLiteral("ファイルを保存できませんでした。"), dlg.FileName, reason);
}

// A progress dialog once reading has taken about a second.
class ImportProgress {
public:
    explicit ImportProgress(QWidget *parent) : m_parent(parent) { m_clock.start(); }
    ~ImportProgress() { delete m_dialog; }

    bool report(qsizetype done, qsizetype total)
    {
        constexpr int steps = 1000;
        if (!m_dialog && m_clock.elapsed() >= 1000) {
            m_dialog = new QProgressDialog(QStringLiteral("お気に入りを読み込んでいます..."),
                                           QStringLiteral("キャンセル"), 0, steps, m_parent);
            m_dialog->setWindowTitle(appTitle());
            m_dialog->setWindowModality(Qt::ApplicationModal);
            m_dialog->setMinimumDuration(0);
            m_dialog->setAutoClose(false);
            m_dialog->show();
        }
        if (!m_dialog)
            return true;
        m_dialog->setValue(total > 0 ? int(done * steps / total) : 0);
        QApplication::processEvents();
        return !m_dialog->wasCanceled();
    }

private:
    QWidget *m_parent;
    QPointer<QProgressDialog> m_dialog;
    QElapsedTimer m_clock;
};

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
        return tell(b, QStringLiteral("ファイルを開けませんでした。"), dlg.FileName, reason);
    if (!isBookmarksFile(bytes)) {
        MsgBox(QStringLiteral("このファイルはお気に入り (ブックマーク) のファイルではありません。\n%1")
                   .arg(QDir::toNativeSeparators(dlg.FileName)),
               MsgButtons::OK, QString(), b);
        return;
    }
    QList<Favourite> bookmarks;
    {
        ImportProgress progress(b);
        bool cancelled = false;
        bookmarks = parse(bytes, [&](qsizetype done, qsizetype total) {
            return !(cancelled = !progress.report(done, total));
        });
        if (cancelled)
            return;
    }
    QList<Favourite> list = favourites::load(favourites::filePath()).list;
    const Merged merged = merge(list, bookmarks);
    if (merged.added > 0 && !writeFileAtomically(favourites::filePath(), favourites::format(list), &reason))
        return tell(b, QStringLiteral("ファイルを保存できませんでした。"), favourites::filePath(), reason);
    b->LoadFavourites();
    MsgBox(report(merged), MsgButtons::OK, QString(), b);
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

QList<Favourite> parse(const QByteArray &html, const Progress &progress)
{
    // A title runs to its </A>, and no further than this in a broken file.
    constexpr qsizetype maxTitle = 4096;
    const QString text = QString::fromUtf8(html);
    const QStringView all(text);
    QList<Favourite> out;
    qsizetype pos = 0;
    qsizetype close = -1; // the first </A> at or after pos, once looked up
    for (int n = 0;; ++n) {
        if (progress && n % 1024 == 0 && !progress(pos, all.size()))
            return {};
        const qsizetype open = all.indexOf(u'<', pos);
        if (open < 0 || open + 2 >= all.size())
            break;
        pos = open + 1;
        if ((all[pos] != u'a' && all[pos] != u'A') || !all[++pos].isSpace())
            continue;
        const qsizetype end = tagEnd(all, pos);
        if (end < 0)
            break;
        pos = end + 1;
        if (close != all.size() && close < pos) {
            close = all.indexOf(QLatin1String("</a>"), pos, Qt::CaseInsensitive);
            if (close < 0)
                close = all.size();
        }
        const QStringView tag = all.mid(open + 2, end - open - 2);
        Favourite f;
        f.address = attribute(tag, QLatin1String("HREF"));
        if (f.address.isEmpty())
            continue;
        f.text = shownText(all.mid(pos, std::min(close - pos, maxTitle)));
        bool ok = false;
        const int icon = attribute(tag, QLatin1String(kIconAttribute)).toInt(&ok);
        f.icon = ok && icon >= 1 && icon <= favourites::iconCount ? icon : 1;
        out << f;
    }
    return out;
}

bool isBookmarksFile(const QByteArray &bytes)
{
    if (bytes.left(4096).contains("NETSCAPE-Bookmark-file"))
        return true;
    return !bytes.contains('\0') && (bytes.contains("<DT>") || bytes.contains("<dt>"));
}

Merged merge(QList<Favourite> &list, const QList<Favourite> &bookmarks)
{
    auto key = [](const Favourite &f) { return f.text + u'\n' + f.address + u'\n' + QString::number(f.icon); };
    QSet<QString> held;
    held.reserve(list.size() + bookmarks.size());
    for (const Favourite &f : std::as_const(list))
        held.insert(key(f));
    Merged m;
    for (const Favourite &f : bookmarks) {
        const QString address = f.address.trimmed();
        if (!address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
            && !address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
            ++m.unopened;
        else if (held.contains(key(f)))
            ++m.known;
        else if (list.size() >= favourites::maxFavourites)
            ++m.overLimit;
        else {
            list << f;
            held.insert(key(f));
            ++m.added;
        }
    }
    return m;
}

QString report(const Merged &m)
{
    QString text = QStringLiteral("お気に入りに %1 件を読み込みました。").arg(m.added);
    if (m.known || m.unopened || m.overLimit)
        text += QStringLiteral("\n\n読み込まなかったもの:");
    if (m.known)
        text += QStringLiteral("\nすでにあるもの %1 件").arg(m.known);
    if (m.unopened)
        text += QStringLiteral("\nWebページでないアドレス (javascript:、data:、file: など) %1 件").arg(m.unopened);
    if (m.overLimit)
        text += QStringLiteral("\nお気に入りの上限 (%1 件) を超える %2 件").arg(favourites::maxFavourites).arg(m.overLimit);
    return text;
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
