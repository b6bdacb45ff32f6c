#include "browser/frmBrowser.h"

#include "browser/WebBrowser.h"
#include "browser/browserpictures.h"
#include "browser/bookmarksfile.h"
#include "browser/pagecommands.h"
#include "browser/pagesaver.h"
#include "common/childhost.h"
#include "common/dialogs.h"
#include "common/fileerror.h"
#include "common/paths.h"
#include "common/savefile.h"
#include "common/twips.h"
#include "model/favourites.h"
#include "model/options.h"
#include "search/pagefind.h"

#include <QAction>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

using mirka::favourites::Favourite;
namespace tw = mirka::twips;

namespace {

frmBrowser *g_shared = nullptr;

const QString favouritesPlaceholder = QStringLiteral("お気に入り");
const QString busyCaption = QStringLiteral("**********");

// Design extents in twips.
constexpr int toolbarHeight = 645;
constexpr int stripTop = 645;
constexpr int stripHeight = 435;
constexpr int addressLeft = 3200;
constexpr int addressDesignLeft = 3600;
constexpr int addressDesignWidth = 3795;
constexpr int addressHeight = 300;
constexpr int pageLeft = 120;
constexpr int pageTop = 1080;
constexpr int designInnerWidth = 9870;
constexpr int designInnerHeight = 6630;

// Where the favourites box keeps each entry's fields beside its text.
constexpr int addressRole = Qt::UserRole;
constexpr int iconRole = Qt::UserRole + 1;
constexpr int storedLineRole = Qt::UserRole + 2;

struct ToolbarButton {
    const char16_t *caption;
    const char *key;
    const char16_t *tooltip;
};

const ToolbarButton toolbarButtons[] = {
    {u"\u3000もどる\u3000", "Back", u"戻る  "},
    {u"\u3000すすむ\u3000", "Forward", u"進む"},
    {u"\u3000中止\u3000", "Stop", u"中止"},
    {u"\u3000更新\u3000", "Refresh", u"再表示"},
    {u"ホーム", "Home", u"ﾎｰﾑ"},
    {u"\u3000検索\u3000", "Search", u"検索"},
    {u"ページ記録", "check", u"ページ記録"},
    {u"お気に入り", "fav", u"このページをお気に入りに追加"},
};

Favourite entryAt(const QComboBox *box, int index)
{
    Favourite f;
    f.text = box->itemText(index);
    f.address = box->itemData(index, addressRole).toString();
    f.icon = box->itemData(index, iconRole).toInt();
    f.storedLine = box->itemData(index, storedLineRole).toByteArray();
    return f;
}

void appendEntry(QComboBox *box, const QIcon &icon, const Favourite &f)
{
    box->addItem(icon, f.text);
    const int i = box->count() - 1;
    box->setItemData(i, f.address, addressRole);
    box->setItemData(i, f.icon, iconRole);
    if (!f.storedLine.isEmpty())
        box->setItemData(i, f.storedLine, storedLineRole);
}

bool sameEntry(const Favourite &a, const Favourite &b)
{
    return a.text == b.text && a.address == b.address && a.icon == b.icon
        && a.storedLine == b.storedLine;
}

// Sets the box's selection and text back after its items changed: Qt moves
// both on its own when items come and go.
void restoreBox(QComboBox *box, int index, const QString &text)
{
    box->setCurrentIndex(index);
    box->setEditText(text);
}

} // namespace

frmBrowser::frmBrowser()
{
    setObjectName(QStringLiteral("frmBrowser"));
    ImageList2 = mirka::browserpictures::favouritePictures();

    tbToolBar = new QToolBar(this);
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setIconSize(QSize(24, 24));
    tbToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    // Picture and caption fit the bar's fixed height only without the
    // style's padding.
    tbToolBar->setStyleSheet(QStringLiteral(
        "QToolBar { border: none; padding: 0px; spacing: 0px; }"
        "QToolButton { border: 1px solid transparent; border-radius: 2px; padding: 0px 2px; }"
        "QToolButton:hover { border-color: palette(mid); background: palette(light); }"
        "QToolButton:pressed { background: palette(midlight); }"));
    for (const ToolbarButton &b : toolbarButtons) {
        const QString key = QString::fromLatin1(b.key);
        QAction *a = tbToolBar->addAction(mirka::browserpictures::toolbarPicture(key),
                                          QString::fromUtf16(b.caption));
        a->setObjectName(key);
        a->setData(key);
        a->setToolTip(QString::fromUtf16(b.tooltip));
    }
    tbToolBar->actions().constFirst()->setWhatsThis(QStringLiteral("もどる"));
    connect(tbToolBar, &QToolBar::actionTriggered, this, &frmBrowser::toolbarButtonClick);

    picAddress = new QWidget(this);
    picAddress->setObjectName(QStringLiteral("picAddress"));

    Command2 = new QPushButton(QStringLiteral("X"), picAddress);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setToolTip(QStringLiteral("お気に入りの削除"));
    Command2->setGeometry(tw::toPixels(120, 38, 255, 255));
    connect(Command2, &QPushButton::clicked, this, &frmBrowser::DeleteFavourite);

    ImageCombo1 = new QComboBox(picAddress);
    ImageCombo1->setObjectName(QStringLiteral("ImageCombo1"));
    ImageCombo1->setEditable(true);
    ImageCombo1->lineEdit()->setReadOnly(true);
    ImageCombo1->setInsertPolicy(QComboBox::NoInsert);
    ImageCombo1->setCompleter(nullptr);
    ImageCombo1->setIconSize(QSize(16, 16));
    ImageCombo1->setEditText(favouritesPlaceholder);
    ImageCombo1->setGeometry(tw::toPixels(360, 0, 2295, 315));
    ImageCombo1->lineEdit()->installEventFilter(this);

    Command1 = new QPushButton(QStringLiteral("GO"), picAddress);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setToolTip(QStringLiteral("ページ移動"));
    Command1->setGeometry(tw::toPixels(2640, 38, 495, 255));
    connect(Command1, &QPushButton::clicked, this, &frmBrowser::OpenFavourite);

    cboAddress = new QComboBox(picAddress);
    cboAddress->setObjectName(QStringLiteral("cboAddress"));
    cboAddress->setEditable(true);
    // The history is kept by the completed navigations alone, compared
    // exactly: Qt's own insertion, duplicate check (which ignores case) and
    // completion would change what the user typed.
    cboAddress->setInsertPolicy(QComboBox::NoInsert);
    cboAddress->setDuplicatesEnabled(true);
    cboAddress->setCompleter(nullptr);
    cboAddress->setGeometry(tw::toPixels(addressDesignLeft, 0, addressDesignWidth, addressHeight));
    // An editable combo box takes the keys itself and hands them to its line
    // edit directly; the line edit sees them first only when it has the focus.
    cboAddress->installEventFilter(this);
    connect(cboAddress, &QComboBox::activated, this, &frmBrowser::addressChosen);

    brwWebBrowser = new WebBrowser(this);
    brwWebBrowser->setObjectName(QStringLiteral("brwWebBrowser"));
    brwWebBrowser->move(tw::toPixelsX(pageLeft), tw::toPixelsY(pageTop));
    connect(brwWebBrowser, &WebBrowser::NavigateComplete2, this, &frmBrowser::navigateComplete);
    connect(brwWebBrowser, &WebBrowser::DownloadComplete, this, &frmBrowser::downloadComplete);
    connect(brwWebBrowser, &WebBrowser::NewWindow2, this, &frmBrowser::newWindowRequested);
    // Back and Forward are greyed out where the page history ends.
    connect(brwWebBrowser, &WebBrowser::CommandStateChange, this, [this](int command, bool enable) {
        tbToolBar->actions().at(command == WebBrowser::CSC_NAVIGATEBACK ? 0 : 1)->setEnabled(enable);
    });
    for (QAction *a : tbToolBar->actions().mid(0, 2))
        a->setEnabled(false);
    // A download leaves the page on screen, so the address box goes back to
    // it rather than keep the file's address beside the page's caption.
    connect(brwWebBrowser, &WebBrowser::FileDownloadRequested, this,
            [this] { cboAddress->setEditText(brwWebBrowser->LocationURL()); });
    mirka::pagesaver::watch(brwWebBrowser);
    mirka::bookmarksfile::attach(this);
    PageFind::attach(this, brwWebBrowser->view(), qobject_cast<QBoxLayout *>(brwWebBrowser->layout()));

    timTimer = new QTimer(this);
    timTimer->setObjectName(QStringLiteral("timTimer"));
    timTimer->setInterval(5);
    connect(timTimer, &QTimer::timeout, this, &frmBrowser::timerTick);

    addKeys();
    mirka::pagecommands::attach(this);
    resize(tw::toPixelsX(designInnerWidth), tw::toPixelsY(designInnerHeight));
    // The caption until a page tells its title: the window list never shows
    // an empty entry.
    setWindowTitle(QStringLiteral("about:blank"));
}

// The keys every browser has, as further ways to the address box and to
// the toolbar's commands.
void frmBrowser::addKeys()
{
    auto key = [this](QKeySequence keys, auto slot) {
        auto *s = new QShortcut(keys, this);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    for (QKeySequence keys : {QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::ALT | Qt::Key_D),
                              QKeySequence(Qt::Key_F6)})
        key(keys, [this] {
            cboAddress->setFocus(Qt::ShortcutFocusReason);
            cboAddress->lineEdit()->selectAll();
        });
    const std::pair<QKeySequence, const char *> commands[] = {
        {QKeySequence(Qt::ALT | Qt::Key_Left), "Back"},
        {QKeySequence(Qt::ALT | Qt::Key_Right), "Forward"},
        {QKeySequence(Qt::Key_F5), "Refresh"},
        {QKeySequence(Qt::Key_Escape), "Stop"},
    };
    for (const auto &[keys, name] : commands) {
        QAction *button = tbToolBar->findChild<QAction *>(QLatin1String(name));
        key(keys, [button] { button->trigger(); });
    }
}

frmBrowser::~frmBrowser()
{
    if (g_shared == this)
        g_shared = nullptr;
}

frmBrowser *frmBrowser::create()
{
    auto *b = new frmBrowser;
    if (mirka::ChildHost *f = mirka::ChildHost::instance()) {
        // Connected before the window is added, so its first activation
        // already loads the favourites.
        connect(f->mdiArea(), &QMdiArea::subWindowActivated, b, &frmBrowser::subWindowActivated);
        f->addChild(b);
    } else {
        b->setAttribute(Qt::WA_DeleteOnClose);
        b->show();
        b->LoadFavourites();
    }
    return b;
}

frmBrowser *frmBrowser::createNew()
{
    frmBrowser *b = create();
    b->windowLoad();
    return b;
}

frmBrowser &frmBrowser::shared()
{
    if (!g_shared)
        g_shared = createNew();
    return *g_shared;
}

frmBrowser *frmBrowser::sharedIfOpen() { return g_shared; }

void frmBrowser::closeEvent(QCloseEvent *event)
{
    // The next use of the shared window makes a fresh one, even before this
    // one is deleted.
    if (g_shared == this)
        g_shared = nullptr;
    timTimer->stop();
    event->accept();
}

void frmBrowser::windowLoad()
{
    tbToolBar->update();
    applyResizeRule();
    const QString start = mirka::Options::current().startPage();
    if (!start.isEmpty()) {
        cboAddress->setEditText(start);
        setWindowTitle(start);
        cboAddress->addItem(cboAddress->currentText());
        startBusyIndicator();
        brwWebBrowser->Navigate(start);
    }
    cboAddress->move(tw::toPixelsX(addressLeft), cboAddress->y());
    // A window without a start page waits for an address to be typed.
    if (start.isEmpty())
        cboAddress->setFocus();
}

void frmBrowser::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyResizeRule();
}

void frmBrowser::applyResizeRule()
{
    const int innerWidth = tw::fromPixelsX(width());
    const int innerHeight = tw::fromPixelsY(height());
    tbToolBar->setGeometry(0, 0, width(), tw::toPixelsY(toolbarHeight));
    picAddress->setGeometry(0, tw::toPixelsY(stripTop), width(), tw::toPixelsY(stripHeight));

    // An extent that would come out negative is skipped; the control keeps
    // the one it had.
    const int addressWidth = innerWidth - addressLeft;
    if (addressWidth >= 0)
        cboAddress->resize(tw::toPixelsX(addressWidth), cboAddress->height());
    const int pageWidth = innerWidth - 100;
    if (pageWidth >= 0)
        brwWebBrowser->resize(tw::toPixelsX(pageWidth), brwWebBrowser->height());
    const int pageHeight = innerHeight - (stripTop + stripHeight) - 100;
    if (pageHeight >= 0)
        brwWebBrowser->resize(brwWebBrowser->width(), tw::toPixelsY(pageHeight));
}

void frmBrowser::startBusyIndicator() { timTimer->start(); }

void frmBrowser::timerTick()
{
    if (!brwWebBrowser->Busy()) {
        timTimer->stop();
        setWindowTitle(brwWebBrowser->LocationName());
        return;
    }
    // The indicator grows "**" to "**********" within one tick, so only the
    // last step can ever be seen: setting it alone keeps the caption (and the
    // frame's window list) from changing a thousand times a second.
    setWindowTitle(busyCaption);
}

void frmBrowser::NavigateFromAddressBox()
{
    if (holdNavigation)
        return;
    startBusyIndicator();
    brwWebBrowser->Navigate(cboAddress->currentText());
}

void frmBrowser::addressChosen() { NavigateFromAddressBox(); }

bool frmBrowser::refusesStoredAddress(const QString &address, QWidget *parent)
{
    // Judged as Navigate reads the text, so no spelling gets past it.
    if (QUrl::fromUserInput(address).scheme() != QLatin1String("javascript"))
        return false;
    mirka::MsgBox(QStringLiteral("このアドレスは開けません\n%1").arg(address), mirka::MsgButtons::OK,
                  QString(), parent);
    return true;
}

bool frmBrowser::eventFilter(QObject *watched, QEvent *event)
{
    // The combo box is its line edit's focus proxy and passes keys on past
    // the line edit's filters, so this one filter sees every Enter once.
    if (watched == cboAddress && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            NavigateFromAddressBox();
        return false; // the box still gets the key
    }
    // The favourites box takes no typing; a click on its text opens the list.
    // It opens on the release: opened on the press, the release that follows
    // would land on the list and close it again.
    if (watched == ImageCombo1->lineEdit()) {
        switch (event->type()) {
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
                ImageCombo1->showPopup();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// Selecting from code reaches the same handler as the user's choice, as the
// history update relies on holdNavigation to keep it from navigating.
void frmBrowser::selectHistoryEntry(int index)
{
    cboAddress->setCurrentIndex(index);
    cboAddress->setEditText(cboAddress->itemText(index));
    addressChosen();
}

void frmBrowser::navigateComplete()
{
    setWindowTitle(brwWebBrowser->LocationName());
    const QString address = brwWebBrowser->LocationURL();
    const int found = cboAddress->findText(address, Qt::MatchExactly | Qt::MatchCaseSensitive);
    holdNavigation = true;
    if (found >= 0)
        cboAddress->removeItem(found);
    cboAddress->insertItem(0, address);
    selectHistoryEntry(0);
    holdNavigation = false;
}

void frmBrowser::downloadComplete() { setWindowTitle(brwWebBrowser->LocationName()); }

void frmBrowser::toolbarButtonClick(QAction *button)
{
    startBusyIndicator();
    const QString key = button->data().toString();
    if (key == QLatin1String("Back")) {
        brwWebBrowser->GoBack();
    } else if (key == QLatin1String("Forward")) {
        brwWebBrowser->GoForward();
    } else if (key == QLatin1String("Stop")) {
        timTimer->stop();
        brwWebBrowser->Stop();
        setWindowTitle(brwWebBrowser->LocationName());
    } else if (key == QLatin1String("Refresh")) {
        brwWebBrowser->Refresh();
    } else if (key == QLatin1String("Home")) {
        cboAddress->setEditText(mirka::Options::current().startPage());
        NavigateFromAddressBox();
    } else if (key == QLatin1String("Search")) {
        cboAddress->setEditText(mirka::Options::current().searchPage());
        NavigateFromAddressBox();
    } else if (key == QLatin1String("check")) {
        recordPage();
    } else if (key == QLatin1String("fav")) {
        AddFavourite();
    }
}

// The page on display as the engine knows it, not the caption (asterisks
// while loading) or the address box (whatever was typed since).
void frmBrowser::recordPage() { mirka::pagesaver::recordPage(brwWebBrowser); }

void frmBrowser::newWindowRequested(WebBrowser **target)
{
    frmBrowser *w = createNew();
    w->brwWebBrowser->RegisterAsBrowser = true;
    *target = w->brwWebBrowser;
    w->show();
}

void frmBrowser::subWindowActivated(QMdiSubWindow *window)
{
    if (window && window->widget() == this)
        LoadFavourites();
}

void frmBrowser::LoadFavourites()
{
    const QString text = ImageCombo1->currentText();
    const int selected = ImageCombo1->currentIndex();
    const Favourite selectedEntry = selected >= 0 ? entryAt(ImageCombo1, selected) : Favourite();

    const QSignalBlocker block(ImageCombo1);
    ImageCombo1->clear();
    const mirka::favourites::Loaded loaded = mirka::favourites::load(mirka::favourites::filePath());
    for (const Favourite &f : loaded.list)
        appendEntry(ImageCombo1, ImageList2.value(f.icon - 1), f);
    // The entry the user had chosen stays chosen while the file still holds
    // it at the same place, so GO and X keep working after switching windows.
    const bool keep = selected >= 0 && selected < ImageCombo1->count()
        && sameEntry(entryAt(ImageCombo1, selected), selectedEntry);
    restoreBox(ImageCombo1, keep ? selected : -1, text);
    if (!loaded.notice.isEmpty())
        mirka::MsgBox(loaded.notice, mirka::MsgButtons::OK, QString(), this);
}

bool frmBrowser::SaveFavourites()
{
    QList<Favourite> list;
    for (int i = 0; i < ImageCombo1->count(); ++i)
        list << entryAt(ImageCombo1, i);
    const QString path = mirka::favourites::filePath();
    QString error;
    if (mirka::writeFileAtomically(path, mirka::favourites::format(list), &error))
        return true;
    mirka::MsgBox(mirka::fileFailureMessage(QStringLiteral("お気に入りを保存できませんでした。"), path, error),
                  mirka::MsgButtons::OK, QString(), this);
    return false;
}

void frmBrowser::AddFavourite()
{
    const QString answer = mirka::InputBox(
        QStringLiteral("アイコン番号 1-くま2-いぬ3-ねこ4-音符5-むし6-パソコン"),
        QStringLiteral("アイコン設定"), QStringLiteral("1"), this);
    const double icon = mirka::favourites::readIconAnswer(answer);
    if (icon < 1 || icon > mirka::favourites::iconCount) {
        mirka::MsgBox(QStringLiteral("1～6の数字を入れてください"), mirka::MsgButtons::OK, QString(),
                      this);
        return;
    }
    if (ImageCombo1->count() >= mirka::favourites::maxFavourites)
        return;

    const QString text = ImageCombo1->currentText();
    const int selected = ImageCombo1->currentIndex();
    {
        const QSignalBlocker block(ImageCombo1);
        Favourite f;
        f.icon = int(icon);
        f.text = windowTitle();
        f.address = cboAddress->currentText();
        appendEntry(ImageCombo1, ImageList2.value(f.icon - 1), f);
        restoreBox(ImageCombo1, selected, text);
    }
    SaveFavourites();
}

void frmBrowser::OpenFavourite()
{
    if (ImageCombo1->currentText() == favouritesPlaceholder)
        return;
    const int selected = ImageCombo1->currentIndex();
    if (selected < 0)
        return;
    const QString address = ImageCombo1->itemData(selected, addressRole).toString();
    if (refusesStoredAddress(address, this))
        return;
    cboAddress->setEditText(address);
    NavigateFromAddressBox();
}

void frmBrowser::DeleteFavourite()
{
    if (ImageCombo1->currentText() == favouritesPlaceholder)
        return;
    const int selected = ImageCombo1->currentIndex();
    if (selected < 0)
        return;
    {
        const QSignalBlocker block(ImageCombo1);
        ImageCombo1->removeItem(selected);
        restoreBox(ImageCombo1, -1, favouritesPlaceholder);
    }
    SaveFavourites();
}
