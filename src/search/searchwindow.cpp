#include "search/searchwindow.h"

#include "browser/frmBrowser.h"
#include "common/childhost.h"
#include "common/dialogs.h"
#include "common/fonts.h"
#include "common/noteevents.h"
#include "note/frmDocument.h"
#include "note/notecopies.h"
#include "note/notefiles.h"
#include "search/editorfind.h"
#include "search/indexer.h"
#include "search/pagefind.h"

#include <QAbstractListModel>
#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QVBoxLayout>

using mirka::search::Hit;
using mirka::search::Kind;

// The results of one search; each row's words around the match are looked
// up when the row is first shown.
class SearchResults : public QAbstractListModel {
public:
    explicit SearchResults(mirka::search::Indexer &indexer, QObject *parent)
        : QAbstractListModel(parent), m_indexer(indexer) {}

    void reset(const QList<Hit> &hits, const QString &query, mirka::textfold::Options options)
    {
        beginResetModel();
        m_hits = hits;
        m_snippets = QList<std::optional<mirka::search::Snippet>>(hits.size());
        m_query = query;
        m_options = options;
        endResetModel();
    }
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_hits.size()); }
    const Hit &hit(int row) const { return m_hits[row]; }
    const mirka::search::Snippet &snippet(int row) const
    {
        std::optional<mirka::search::Snippet> &s = m_snippets[row];
        if (!s)
            s = m_indexer.snippet(m_hits[row].id, m_query, m_options);
        return *s;
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_hits.size())
            return {};
        const Hit &h = m_hits[index.row()];
        if (role == Qt::ToolTipRole)
            return h.entry.path;
        if (role == Qt::AccessibleTextRole)
            return QTextDocumentFragment::fromHtml(html(index.row())).toPlainText();
        if (role == Qt::DisplayRole)
            return html(index.row());
        return {};
    }

private:
    QString html(int row) const
    {
        const Hit &h = m_hits[row];
        const auto &e = h.entry;
        QString head;
        if (e.kind == Kind::Note) {
            head = QStringLiteral("<b>%1</b>").arg(QFileInfo(e.path).fileName().toHtmlEscaped());
            if (!e.title.isEmpty())
                head += QStringLiteral(" ― %1").arg(e.title.toHtmlEscaped());
            head += QStringLiteral(" <span style='color:gray'>(ノート %1)</span>")
                        .arg(e.when.toString(QStringLiteral("yyyy/MM/dd HH:mm")));
        } else {
            head = QStringLiteral("<b>%1</b> <span style='color:gray'>(保存したページ %2 記録, ノート %3)</span>")
                       .arg((e.title.isEmpty() ? e.address : e.title).toHtmlEscaped(),
                            e.when.toString(QStringLiteral("yyyy/MM/dd HH:mm")),
                            QFileInfo(e.note).fileName().toHtmlEscaped());
        }
        return head + QStringLiteral("<br>") + snippet(row).html;
    }

    mirka::search::Indexer &m_indexer;
    QList<Hit> m_hits;
    mutable QList<std::optional<mirka::search::Snippet>> m_snippets;
    QString m_query;
    mirka::textfold::Options m_options;
};

namespace {

SearchWindow *g_window = nullptr;
// More results than this are left for words that narrow them down.
constexpr int kShown = 500;

// Rows of HTML: a heading line and the words around the match.
class HtmlRows : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        QString html = o.text;
        if (o.state & QStyle::State_Selected) // grey would not read on the highlight
            html.remove(QStringLiteral(" style='color:gray'"));
        o.text.clear();
        o.widget->style()->drawControl(QStyle::CE_ItemViewItem, &o, painter, o.widget);
        QTextDocument doc;
        doc.setDefaultFont(o.font);
        doc.setHtml(html);
        doc.setTextWidth(o.rect.width());
        painter->save();
        painter->translate(o.rect.topLeft());
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.palette = o.palette;
        if (o.state & QStyle::State_Selected)
            ctx.palette.setColor(QPalette::Text, o.palette.color(QPalette::HighlightedText));
        doc.documentLayout()->draw(painter, ctx);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        QTextDocument doc;
        doc.setDefaultFont(o.font);
        doc.setHtml(o.text);
        const auto *view = qobject_cast<const QAbstractItemView *>(o.widget);
        doc.setTextWidth(view ? view->viewport()->width() : 400);
        return QSize(int(doc.idealWidth()), int(doc.size().height()) + 4);
    }
};

// The first word of the query as the user typed it.
QString firstWord(const QString &query)
{
    return query.simplified().section(u' ', 0, 0);
}

} // namespace

SearchWindow::SearchWindow(mirka::search::Indexer &indexer, QWidget *parent)
    : QWidget(parent), m_indexer(indexer), m_results(new SearchResults(indexer, this)), m_typing(new QTimer(this))
{
    setObjectName(QStringLiteral("SearchWindow"));
    setWindowTitle(QStringLiteral("ノートを横断検索"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *rows = new QVBoxLayout(this);

    auto *queryRow = new QHBoxLayout;
    queryRow->addWidget(new QLabel(QStringLiteral("検索する言葉:"), this));
    txtQuery = new QLineEdit(this);
    txtQuery->setObjectName(QStringLiteral("txtQuery"));
    txtQuery->setClearButtonEnabled(true);
    queryRow->addWidget(txtQuery, 1);
    rows->addLayout(queryRow);

    auto *optionRow = new QHBoxLayout;
    chkCase = new QCheckBox(QStringLiteral("大文字と小文字を区別する"), this);
    chkCase->setObjectName(QStringLiteral("chkCase"));
    chkKana = new QCheckBox(QStringLiteral("ひらがなとカタカナを区別しない"), this);
    chkKana->setObjectName(QStringLiteral("chkKana"));
    cmdFolders = new QPushButton(QStringLiteral("フォルダ(&D)..."), this);
    cmdFolders->setObjectName(QStringLiteral("cmdFolders"));
    cmdFolders->setCheckable(true);
    optionRow->addWidget(chkCase);
    optionRow->addWidget(chkKana);
    optionRow->addStretch();
    optionRow->addWidget(cmdFolders);
    rows->addLayout(optionRow);

    auto *statusRow = new QHBoxLayout;
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    prgIndex = new QProgressBar(this);
    prgIndex->setObjectName(QStringLiteral("prgIndex"));
    prgIndex->setMaximumWidth(160);
    statusRow->addWidget(lblStatus, 1);
    statusRow->addWidget(prgIndex);
    rows->addLayout(statusRow);

    lstResults = new QListView(this);
    lstResults->setObjectName(QStringLiteral("lstResults"));
    lstResults->setModel(m_results);
    lstResults->setItemDelegate(new HtmlRows(lstResults));
    lstResults->setAlternatingRowColors(true);
    lstResults->setWordWrap(true);
    lstResults->setResizeMode(QListView::Adjust);
    lstResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows->addWidget(lstResults, 1);

    // The folders searched, shown on demand.
    fraFolders = new QWidget(this);
    fraFolders->setObjectName(QStringLiteral("fraFolders"));
    auto *folderRows = new QVBoxLayout(fraFolders);
    folderRows->setContentsMargins(0, 0, 0, 0);
    folderRows->addWidget(new QLabel(QStringLiteral("検索するフォルダ (ノートを開いたり保存したりしたフォルダは自動で加わります):"), fraFolders));
    lstFolders = new QListWidget(fraFolders);
    lstFolders->setObjectName(QStringLiteral("lstFolders"));
    lstFolders->setMaximumHeight(100);
    folderRows->addWidget(lstFolders);
    auto *folderButtons = new QHBoxLayout;
    txtFolder = new QLineEdit(fraFolders);
    txtFolder->setObjectName(QStringLiteral("txtFolder"));
    txtFolder->setPlaceholderText(QStringLiteral("フォルダのパス"));
    auto *browse = new QPushButton(QStringLiteral("参照..."), fraFolders);
    cmdAddFolder = new QPushButton(QStringLiteral("追加"), fraFolders);
    cmdAddFolder->setObjectName(QStringLiteral("cmdAddFolder"));
    cmdRemoveFolder = new QPushButton(QStringLiteral("一覧から外す"), fraFolders);
    cmdRemoveFolder->setObjectName(QStringLiteral("cmdRemoveFolder"));
    folderButtons->addWidget(txtFolder, 1);
    folderButtons->addWidget(browse);
    folderButtons->addWidget(cmdAddFolder);
    folderButtons->addWidget(cmdRemoveFolder);
    folderRows->addLayout(folderButtons);
    rows->addWidget(fraFolders);
    fraFolders->hide();

    m_typing->setSingleShot(true);
    m_typing->setInterval(150);
    connect(txtQuery, &QLineEdit::textChanged, m_typing, qOverload<>(&QTimer::start));
    connect(txtQuery, &QLineEdit::returnPressed, this, [this] {
        // Typed faster than the pause: the results must be this query's.
        if (m_typing->isActive())
            Search();
        if (m_results->rowCount() > 0) {
            lstResults->setFocus();
            if (!lstResults->currentIndex().isValid())
                lstResults->setCurrentIndex(m_results->index(0));
        }
    });
    connect(m_typing, &QTimer::timeout, this, &SearchWindow::Search);
    connect(chkCase, &QCheckBox::toggled, this, &SearchWindow::Search);
    connect(chkKana, &QCheckBox::toggled, this, &SearchWindow::Search);
    connect(lstResults, &QListView::activated, this, [this](const QModelIndex &i) { OpenResult(i.row()); });
    connect(cmdFolders, &QPushButton::toggled, fraFolders, &QWidget::setVisible);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("検索するフォルダ"));
        if (!folder.isEmpty())
            txtFolder->setText(folder);
    });
    connect(cmdAddFolder, &QPushButton::clicked, this, [this] {
        const QString folder = txtFolder->text().trimmed();
        if (folder.isEmpty())
            return;
        if (!QFileInfo(folder).isDir()) {
            mirka::MsgBox(QStringLiteral("フォルダが見つかりません。\n%1").arg(folder), mirka::MsgButtons::OK, QString(), this);
            return;
        }
        m_indexer.addFolder(folder);
        txtFolder->clear();
    });
    connect(cmdRemoveFolder, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem *item = lstFolders->currentItem())
            m_indexer.removeFolder(item->text());
    });
    connect(&m_indexer, &mirka::search::Indexer::foldersChanged, this, &SearchWindow::showFolders);
    connect(&m_indexer, &mirka::search::Indexer::progress, this, &SearchWindow::showProgress);
    // What the index learns shows in the results, at most every second
    // while it is being built.
    auto *refresh = new QTimer(this);
    refresh->setSingleShot(true);
    refresh->setInterval(1000);
    connect(refresh, &QTimer::timeout, this, &SearchWindow::Search);
    connect(&m_indexer, &mirka::search::Indexer::updated, this, [this, refresh] {
        if (!m_indexer.building())
            Search();
        else if (!refresh->isActive())
            refresh->start();
    });

    showFolders();
    showProgress();
    m_indexer.start();
    resize(560, 420);
}

SearchWindow::~SearchWindow()
{
    if (g_window == this)
        g_window = nullptr;
}

SearchWindow *SearchWindow::instance() { return g_window; }

SearchWindow &SearchWindow::showInFrame()
{
    if (!g_window) {
        g_window = new SearchWindow(mirka::search::Indexer::instance());
        mirka::showChild(g_window);
    }
    if (auto *sub = qobject_cast<QWidget *>(g_window->parentWidget()))
        sub->show();
    if (mirka::ChildHost *f = mirka::ChildHost::instance())
        if (auto *sub = qobject_cast<QMdiSubWindow *>(g_window->parentWidget()))
            f->mdiArea()->setActiveSubWindow(sub);
    g_window->txtQuery->setFocus();
    g_window->txtQuery->selectAll();
    return *g_window;
}

QAction *SearchWindow::install(QMainWindow *frame, QMenu *fileMenu, QAction *before)
{
    auto *a = new QAction(QStringLiteral("ノートを横断検索(&S)..."), frame);
    a->setObjectName(QStringLiteral("mnuFileSearchNotes"));
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    fileMenu->insertAction(before, a);
    fileMenu->insertSeparator(before);
    frame->addAction(a); // the key works while a note window's menus are shown
    QObject::connect(a, &QAction::triggered, frame, [] { showInFrame(); });
    QObject::connect(&mirka::NoteEvents::instance(), &mirka::NoteEvents::touched, frame,
                     [](const QString &path) {
                         if (!mirka::search::Indexer::quitting())
                             mirka::search::Indexer::instance().noteTouched(path);
                     });
    return a;
}

mirka::textfold::Options SearchWindow::options() const { return {chkCase->isChecked(), chkKana->isChecked()}; }

void SearchWindow::Search()
{
    m_typing->stop();
    const QList<Hit> hits = m_indexer.search(txtQuery->text(), options(), kShown, &m_more);
    const int current = lstResults->currentIndex().row();
    m_results->reset(hits, txtQuery->text(), options());
    if (current >= 0 && current < hits.size())
        lstResults->setCurrentIndex(m_results->index(current));
    showProgress();
}

void SearchWindow::showProgress()
{
    const int total = m_indexer.progressTotal();
    prgIndex->setVisible(total > 0);
    prgIndex->setRange(0, total);
    prgIndex->setValue(m_indexer.progressDone());
    QString text;
    if (!txtQuery->text().trimmed().isEmpty())
        text = m_more ? QStringLiteral("新しい順に %1 件 (ほかにもあります。言葉を足すと絞れます)").arg(m_results->rowCount())
                      : QStringLiteral("%1 件").arg(m_results->rowCount());
    if (total > 0)
        text += (text.isEmpty() ? QString() : QStringLiteral("  ")) + QStringLiteral("索引を作成中… %1 / %2").arg(m_indexer.progressDone()).arg(total);
    else if (m_indexer.folders().isEmpty())
        text = QStringLiteral("ノートを開くか保存すると、そのフォルダが検索の対象になります。");
    lblStatus->setText(text);
}

void SearchWindow::showFolders()
{
    lstFolders->clear();
    lstFolders->addItems(m_indexer.folders());
    showProgress();
}

void SearchWindow::OpenResult(int row)
{
    if (row < 0 || row >= m_results->rowCount())
        return;
    const Hit hit = m_results->hit(row);
    const QString match = m_results->snippet(row).match;
    const QString words = match.isEmpty() ? firstWord(txtQuery->text()) : match;
    if (hit.entry.kind == Kind::Note) {
        // Open with its questions; the note found is shown at the match.
        Module1::OpenNote(hit.entry.path);
        frmDocument *d = frmDocument::instance();
        if (d && d->Caption() == hit.entry.path)
            d->Find->showFirst(words, options());
        return;
    }
    mirka::RecordedPage copy;
    copy.recorded = hit.entry.when;
    copy.address = hit.entry.address;
    copy.title = hit.entry.title;
    copy.copyPath = hit.entry.path;
    mirka::notecopies::openCopy(copy); // says so when the file is gone
    if (!QFileInfo(hit.entry.path).isFile())
        return;
    if (frmBrowser *b = frmBrowser::sharedIfOpen())
        if (PageFind *find = PageFind::of(b))
            find->findWhenLoaded(words);
}
