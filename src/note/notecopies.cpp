#include "note/notecopies.h"

#include "browser/WebBrowser.h"
#include "browser/frmBrowser.h"
#include "common/dialogs.h"
#include "note/frmDocument.h"
#include "note/noteexport.h"

#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace mirka::notecopies {

namespace {

const char kCopyUrl[] = "mirkaCopyUrl";
const char kCopyCaption[] = "mirkaCopyCaption";

QString when(const PageCopy &c)
{
    return c.recorded.isValid() ? c.recorded.toString(QStringLiteral("yyyy/MM/dd HH:mm")) : QString();
}

// A small sheet with a folded corner: the page has a saved copy.
QIcon copyMark(bool on)
{
    QPixmap pm(12, 14);
    pm.fill(Qt::transparent);
    if (on) {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(40, 90, 160), 1));
        p.setBrush(QColor(220, 232, 250));
        const QPointF sheet[] = {{1.5, 0.5}, {7.5, 0.5}, {10.5, 3.5}, {10.5, 13.5}, {1.5, 13.5}};
        p.drawPolygon(sheet, 5);
        p.drawLine(QPointF(7.5, 0.5), QPointF(7.5, 3.5));
        p.drawLine(QPointF(7.5, 3.5), QPointF(10.5, 3.5));
    }
    return QIcon(pm);
}

void refreshMarks(frmDocument *doc)
{
    static const QIcon on = copyMark(true), off = copyMark(false);
    const QList<const PageCopy *> found = doc->Copies->forPages(pages(*doc));
    for (int i = 0; i < doc->List1->count() && i < found.size(); ++i) {
        QListWidgetItem *item = doc->List1->item(i);
        const PageCopy *c = found[i];
        const QString address = i < doc->List2->count() ? doc->List2->item(i)->text() : QString();
        QString tip = address;
        if (c && c->recorded.isValid())
            tip += QStringLiteral("\n記録: %1").arg(when(*c));
        if (c && c->hasCopy())
            tip += QStringLiteral("\n保存したページあり");
        item->setIcon(c && c->hasCopy() ? on : off);
        item->setToolTip(tip);
    }
}

// Marks follow every change of the lists, once per turn of the event loop.
void scheduleMarks(frmDocument *doc)
{
    if (doc->property("mirkaMarksDue").toBool())
        return;
    doc->setProperty("mirkaMarksDue", true);
    QTimer::singleShot(0, doc, [doc] {
        doc->setProperty("mirkaMarksDue", false);
        refreshMarks(doc);
    });
}

const PageCopy *copyAt(frmDocument *doc, int row)
{
    const QList<const PageCopy *> found = doc->Copies->forPages(pages(*doc));
    return row >= 0 && row < found.size() ? found[row] : nullptr;
}

void showListMenu(frmDocument *doc, const QPoint &pos)
{
    QListWidgetItem *item = doc->List1->itemAt(pos);
    if (!item)
        return;
    doc->List1->setCurrentItem(item);
    const int row = doc->List1->row(item);
    const PageCopy *c = copyAt(doc, row);
    const QString address = row < doc->List2->count() ? doc->List2->item(row)->text() : QString();

    QMenu menu(doc);
    QAction *open = menu.addAction(QStringLiteral("ページを開く"));
    QAction *openCopyAction = menu.addAction(QStringLiteral("保存したページを開く"));
    openCopyAction->setEnabled(c && c->hasCopy());
    QAction *copyAddress = menu.addAction(QStringLiteral("アドレスをコピー"));
    const PageCopy copy = c ? *c : PageCopy();
    QAction *chosen = menu.exec(doc->List1->viewport()->mapToGlobal(pos));
    if (chosen == open)
        emit doc->List1->itemDoubleClicked(item);
    else if (chosen == openCopyAction)
        openCopy(copy);
    else if (chosen == copyAddress)
        QGuiApplication::clipboard()->setText(address);
}

// When the page a double click asked for cannot be reached (no
// connection, an HTTP error) and it has a copy, the copy is offered.
void offerCopyOnFailure(frmDocument *doc, QListWidgetItem *item)
{
    const PageCopy *c = copyAt(doc, doc->List1->row(item));
    frmBrowser *b = frmBrowser::sharedIfOpen();
    if (!c || !c->hasCopy() || !b)
        return;
    const PageCopy copy = *c;
    const QUrl wanted = QUrl::fromUserInput(copy.address).adjusted(QUrl::StripTrailingSlash);
    QWebEnginePage *page = b->brwWebBrowser->view()->page();
    auto *watch = new QObject(page);
    QObject::connect(page, &QWebEnginePage::loadingChanged, watch, [watch, copy, wanted](const QWebEngineLoadingInfo &info) {
        if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
            return;
        if (info.url().adjusted(QUrl::StripTrailingSlash) != wanted) {
            if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
                watch->deleteLater(); // the browser went elsewhere
            return;
        }
        watch->deleteLater();
        if (info.status() != QWebEngineLoadingInfo::LoadFailedStatus)
            return;
        if (mirka::MsgBox(QStringLiteral("ページを開けませんでした。\n保存したページ (%1 記録) を開きますか?").arg(when(copy)),
                          mirka::MsgButtons::YesNo, QString(), frmDocument::instance())
            == mirka::MsgAnswer::Yes)
            openCopy(copy);
    });
}

} // namespace

QList<RecordedPage> pages(const frmDocument &doc)
{
    QList<RecordedPage> out;
    const int n = doc.List1->count();
    out.reserve(n);
    for (int i = 0; i < n; ++i) {
        const QListWidgetItem *address = doc.List2->item(i);
        out << RecordedPage{doc.List1->item(i)->text(), address ? address->text() : QString()};
    }
    return out;
}

void attach(frmDocument *doc)
{
    doc->List1->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(doc->List1, &QWidget::customContextMenuRequested, doc,
                     [doc](const QPoint &pos) { showListMenu(doc, pos); });
    // At the end of the File menu, after everything the menu already holds.
    QAction *exportHtml = doc->mnuFile->addAction(QStringLiteral("HTMLとして書き出す(&H)..."));
    exportHtml->setObjectName(QStringLiteral("mnuFileExportHtml"));
    QObject::connect(exportHtml, &QAction::triggered, doc, [doc] { noteexport::exportNote(*doc); });
    QObject::connect(doc->List1, &QListWidget::itemDoubleClicked, doc,
                     [doc](QListWidgetItem *item) { offerCopyOnFailure(doc, item); });
    auto marks = [doc] { scheduleMarks(doc); };
    QObject::connect(doc->Copies, &PageCopies::changed, doc, marks);
    QAbstractItemModel *model = doc->List1->model();
    QObject::connect(model, &QAbstractItemModel::rowsInserted, doc, marks);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, doc, marks);
    QObject::connect(model, &QAbstractItemModel::modelReset, doc, marks);
}

bool save(frmDocument &doc, const QString &companionPath, const std::function<bool()> &writePair,
          const std::function<void(const QString &, const QString &)> &report)
{
    // A copy still being written has a few seconds to arrive.
    doc.Copies->waitForPending(10000);
    QString failed, reason;
    if (!doc.Copies->prepareSave(PageCopies::folderFor(companionPath), pages(doc), &failed, &reason)) {
        report(failed, reason);
        return false;
    }
    if (!writePair()) {
        doc.Copies->abandonSave();
        return false;
    }
    if (!doc.Copies->finishSave(&failed, &reason)) {
        report(failed, reason);
        return false;
    }
    return true;
}

void opened(frmDocument &doc, const QString &companionPath)
{
    doc.Copies->load(PageCopies::folderFor(companionPath));
}

void openCopy(const PageCopy &copy)
{
    if (!QFileInfo(copy.filePath()).isFile()) {
        mirka::MsgBox(QStringLiteral("保存したページが見つかりません。\n%1").arg(copy.filePath()),
                      mirka::MsgButtons::OK, QString(), frmDocument::instance());
        return;
    }
    const QString url = QUrl::fromLocalFile(copy.filePath()).toString();
    frmBrowser &b = frmBrowser::shared();
    b.setProperty(kCopyUrl, url);
    b.setProperty(kCopyCaption, QStringLiteral("保存したページ (%1 記録) - ").arg(when(copy)));
    if (!b.property("mirkaCaptionFollowsCopy").toBool()) {
        b.setProperty("mirkaCaptionFollowsCopy", true);
        // The caption says the window shows the copy, whoever sets it and
        // also when the title reads as before.
        auto follow = [bp = &b] {
            const QString prefix = bp->property(kCopyCaption).toString();
            const QString title = bp->windowTitle();
            if (bp->brwWebBrowser->LocationURL() == bp->property(kCopyUrl).toString()
                && !title.startsWith(prefix) && !title.startsWith(QLatin1String("**")))
                bp->setWindowTitle(prefix + title);
        };
        QObject::connect(&b, &QWidget::windowTitleChanged, &b, follow);
        QObject::connect(b.brwWebBrowser, &WebBrowser::NavigateComplete2, &b, follow);
        QObject::connect(b.brwWebBrowser, &WebBrowser::DownloadComplete, &b, follow);
    }
    b.cboAddress->setEditText(url);
    b.brwWebBrowser->Navigate(url);
}

} // namespace mirka::notecopies
