#include "note/notecopies.h"

#include "browser/WebBrowser.h"
#include "browser/frmBrowser.h"
#include "common/childhost.h"
#include "common/dialogs.h"
#include "note/frmDocument.h"

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

QString when(const RecordedPage &c)
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
    const QList<RecordedPage> &pages = doc->note->pages();
    for (int i = 0; i < doc->List1->count() && i < pages.size(); ++i) {
        QListWidgetItem *item = doc->List1->item(i);
        const RecordedPage &c = pages[i];
        QString tip = c.address;
        if (c.recorded.isValid())
            tip += QStringLiteral("\n記録: %1").arg(when(c));
        if (c.hasCopy())
            tip += QStringLiteral("\n保存したページあり");
        item->setIcon(c.hasCopy() ? on : off);
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

const RecordedPage *pageAt(frmDocument *doc, int row)
{
    const QList<RecordedPage> &pages = doc->note->pages();
    return row >= 0 && row < pages.size() ? &pages[row] : nullptr;
}

void showListMenu(frmDocument *doc, const QPoint &pos)
{
    QListWidgetItem *item = doc->List1->itemAt(pos);
    if (!item)
        return;
    doc->List1->setCurrentItem(item);
    const RecordedPage *c = pageAt(doc, doc->List1->row(item));
    const QString address = c ? c->address : QString();

    QMenu menu(doc);
    QAction *open = menu.addAction(QStringLiteral("ページを開く"));
    QAction *openCopyAction = menu.addAction(QStringLiteral("保存したページを開く"));
    openCopyAction->setEnabled(c && c->hasCopy());
    QAction *copyAddress = menu.addAction(QStringLiteral("アドレスをコピー"));
    const RecordedPage copy = c ? *c : RecordedPage();
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
    const RecordedPage *c = pageAt(doc, doc->List1->row(item));
    frmBrowser *b = frmBrowser::sharedIfOpen();
    if (!c || !c->hasCopy() || !b)
        return;
    const RecordedPage copy = *c;
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

void attach(frmDocument *doc)
{
    doc->List1->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(doc->List1, &QWidget::customContextMenuRequested, doc,
                     [doc](const QPoint &pos) { showListMenu(doc, pos); });
    QObject::connect(doc->List1, &QListWidget::itemDoubleClicked, doc,
                     [doc](QListWidgetItem *item) { offerCopyOnFailure(doc, item); });
    auto marks = [doc] { scheduleMarks(doc); };
    QObject::connect(doc->note, &Note::pageChanged, doc, marks);
    QAbstractItemModel *model = doc->List1->model();
    QObject::connect(model, &QAbstractItemModel::rowsInserted, doc, marks);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, doc, marks);
    QObject::connect(model, &QAbstractItemModel::modelReset, doc, marks);
}

void openCopy(const RecordedPage &copy)
{
    if (!QFileInfo(copy.copyPath).isFile()) {
        mirka::MsgBox(QStringLiteral("保存したページが見つかりません。\n%1").arg(copy.copyPath),
                      mirka::MsgButtons::OK, QString(), frmDocument::instance());
        return;
    }
    const QString url = QUrl::fromLocalFile(copy.copyPath).toString();
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
    mirka::raiseChild(&b);
}

} // namespace mirka::notecopies
