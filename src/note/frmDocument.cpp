#include "note/frmDocument.h"

#include "about/frmAbout.h"
#include "browser/WebBrowser.h"
#include "browser/frmBrowser.h"
#include "common/childhost.h"
#include "common/datetimestatusbar.h"
#include "common/fonts.h"
#include "common/singleline.h"
#include "common/twips.h"
#include "model/note.h"
#include "note/notecopies.h"
#include "note/notefiles.h"
#include "note/noteexport.h"
#include "note/noteprint.h"
#include "note/notezoom.h"
#include "note/quotecapture.h"
#include "note/richtext/richtextbox.h"
#include "note/toolbarimages.h"
#include "search/editorfind.h"
#include "shell/Form1.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>

using mirka::twips::fromPixelsX;
using mirka::twips::fromPixelsY;
using mirka::twips::toPixels;
using mirka::twips::toPixelsY;

static frmDocument *g_doc = nullptr;

namespace {

// The selected index of a single-selection list, -1 when nothing is selected.
int listIndex(const QListWidget *list)
{
    const QList<QListWidgetItem *> sel = list->selectedItems();
    return sel.isEmpty() ? -1 : list->row(sel.first());
}

// Reaches the shared browser window (creating it when it is not open) and
// sends it to the address.
void openInSharedBrowser(const QString &address)
{
    if (frmBrowser::refusesStoredAddress(address, frmDocument::instance()))
        return;
    frmBrowser &b = frmBrowser::shared();
    b.cboAddress->setEditText(address);
    b.brwWebBrowser->Navigate(address);
    // The page comes up where the user sees it, not behind the note.
    mirka::raiseChild(&b);
}

// A clipboard may hand the text back with other line ends.
bool sameClipboardText(QString a, QString b)
{
    return a.remove(u'\r') == b.remove(u'\r');
}

struct ButtonSpec {
    const char *key; // empty for a separator
    const char *image;
    bool toggle;
    bool alignment;
};

// The toolbar's 20 entries in order.
const ButtonSpec kButtons[] = {
    {"開く", "open", false, false},
    {"上書き保存", "Save", false, false},
    {"", "", false, false},
    {"", "", false, false},
    {"切り取り", "Cut", false, false},
    {"ｺﾋﾟｰ", "Copy", false, false},
    {"貼り付け", "Paste", false, false},
    {"", "", false, false},
    {"太字", "Bold", true, false},
    {"斜体", "Italic", true, false},
    {"下線", "Underline", true, false},
    {"", "", false, false},
    {"左揃え", "Aline Left", false, true},
    {"中央揃え", "Center", false, true},
    {"右揃え", "Aline Right", false, true},
    {"", "", false, false},
    {"フォント", "Font", false, false},
    {"", "", false, false},
    {"カラー", "Pen", false, false},
    {"", "", false, false},
};

} // namespace

frmDocument::frmDocument() : dlgCommonDialog(this)
{
    g_doc = this;
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmDocument"));

    rtfText = new RichTextBox(this);
    rtfText->setObjectName(QStringLiteral("rtfText"));

    Text1 = new QLineEdit(QStringLiteral("テーマ名"), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFont(mirka::gothicFont(12));
    Text1->setGeometry(toPixels(3120, 480, 3615, 375));
    mirka::keepOnOneLine(Text1);

    Label1 = new QLabel(QStringLiteral("テーマ"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(mirka::gothicFont(12, true));
    Label1->setGeometry(toPixels(2160, 600, 975, 375));

    Command2 = new QPushButton(QStringLiteral("削除"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(toPixels(120, 840, 735, 255));

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setFont(mirka::gothicFont(11.25, true));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setGeometry(toPixels(100, 1000, 2000, 4000));

    List2 = new QListWidget(this);
    List2->setObjectName(QStringLiteral("List2"));
    List2->setGeometry(toPixels(240, 2040, 1455, 780));
    List2->hide();

    // The design lets the list overlap the button's lower edge; keep the
    // caption readable.
    Command2->raise();

    buildToolbar();
    buildStatusBar();
    buildMenus();

    // The menu's shortcuts win over the editing controls' own (Ctrl+A is
    // Save As here, not select-all).
    rtfText->installEventFilter(this);
    Text1->installEventFilter(this);
    List1->installEventFilter(this);

    note = &mirka::NoteSession::instance().ensureNote();
    showNote();
    connect(Text1, &QLineEdit::textChanged, note, &mirka::Note::setTheme);
    connect(rtfText, &RichTextBox::SelChange, this, &frmDocument::rtfText_SelChange);
    connect(rtfText, &RichTextBox::ContentReplaced, this, &frmDocument::showSelectionState);
    // Every change of the body's text or formatting (toolbar, dialogs,
    // paste, undo) marks the note, not only those that move the caret.
    connect(rtfText, &QTextEdit::textChanged, this, [this] { setModified(true); });
    connect(Command2, &QPushButton::clicked, this, &frmDocument::Command2_Click);
    connect(List1, &QListWidget::itemDoubleClicked, this, &frmDocument::List1_DblClick);
    connect(rtfText, &RichTextBox::linkActivated, this, [](const QString &href) { openInSharedBrowser(href); });
    List1->viewport()->installEventFilter(this);
    mirka::notecopies::attach(this);
    Find = new EditorFind(this, rtfText, mnuEditFind, mnuEditReplace, [this] { applyLayout(); });
    mirka::notezoom::attach(rtfText);

    // The design's client area.
    resize(toPixels(0, 0, 8310, 5055).size());
    applyLayout();
    showSelectionState();
}

frmDocument::~frmDocument()
{
    // Deleted without closing (the frame goes): the note goes with it.
    if (g_doc == this) {
        g_doc = nullptr;
        mirka::NoteSession::instance().endNote();
        mirka::NoteSession::instance().setWindowState(3);
    }
}

frmDocument *frmDocument::instance() { return g_doc; }

frmDocument &frmDocument::get()
{
    // The window takes the note there is, or makes one; announcing a new
    // note finds this window already registered.
    if (!g_doc)
        mirka::showChild(new frmDocument);
    return *g_doc;
}

void frmDocument::AddRecordedPage(const QString &title, const QString &address)
{
    get();
    mirka::AddRecordedPage(title, address);
}

// Fills the window from the note and follows its changes.
void frmDocument::showNote()
{
    auto row = [](const mirka::RecordedPage &p, QListWidget *titles, QListWidget *addresses, int at) {
        titles->insertItem(at, p.title);
        addresses->insertItem(at, p.address);
    };
    auto reset = [this, row] {
        List1->clear();
        List2->clear();
        const QList<mirka::RecordedPage> &pages = note->pages();
        for (int i = 0; i < pages.size(); ++i)
            row(pages[i], List1, List2, i);
    };
    reset();
    Text1->setText(note->theme());
    connect(note, &mirka::Note::pagesReset, this, reset);
    connect(note, &mirka::Note::pageAdded, this, [this, row](int i) { row(note->pages()[i], List1, List2, i); });
    connect(note, &mirka::Note::pageRemoved, this, [this](int i) {
        delete List1->takeItem(i);
        delete List2->takeItem(i);
    });
    connect(note, &mirka::Note::themeChanged, Text1, [this](const QString &theme) {
        if (Text1->text() != theme)
            Text1->setText(theme);
    });
    connect(note, &mirka::Note::fileNameChanged, this, &frmDocument::updateCaption);
    connect(note, &mirka::Note::passageTaken, this,
            [this](const mirka::quotecapture::Passage &p) { mirka::quotecapture::insert(rtfText, p); });
    connect(&mirka::NoteSession::instance(), &mirka::NoteSession::windowStateChanged, this,
            &frmDocument::updateCaption);
    updateCaption();
}

void frmDocument::updateCaption()
{
    if (!note->fileName().isEmpty())
        setWindowTitle(note->fileName());
    else
        setWindowTitle(mirka::NoteSession::instance().windowState() == 4 ? QStringLiteral("新規ファイル") : QString());
}

bool frmDocument::isModified() const { return note->isModified(); }
void frmDocument::setModified(bool modified) { note->setModified(modified); }

void frmDocument::buildMenus()
{
    auto item = [this](QMenu *menu, const char *name, const QString &caption,
                       const QKeySequence &shortcut = QKeySequence()) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(shortcut);
        addAction(a); // the shortcut works wherever the focus is in this window
        return a;
    };
    auto menu = [this](const char *name, const QString &caption) {
        auto *m = new QMenu(caption, this);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        m_menus << m;
        return m;
    };

    mnuFile = menu("mnuFile", QStringLiteral("ﾌｧｲﾙ(&F)"));
    mnuFileNew = item(mnuFile, "mnuFileNew", QStringLiteral("新規作成(&N)"), QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuViewWebBrowser = item(mnuFile, "mnuViewWebBrowser", QStringLiteral("新規wwwブラウザを開く"));
    mnuFileOpen = item(mnuFile, "mnuFileOpen", QStringLiteral("開く(&O)..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuFileBar0 = mnuFile->addSeparator();
    mnuFileBar0->setObjectName(QStringLiteral("mnuFileBar0"));
    mnuFileSave = item(mnuFile, "mnuFileSave", QStringLiteral("上書き保存(&S)"), QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuFileSaveAs = item(mnuFile, "mnuFileSaveAs", QStringLiteral("名前を付けて保存(&A)..."), QKeySequence(Qt::CTRL | Qt::Key_A));
    mnuFileExportHtml = item(mnuFile, "mnuFileExportHtml", QStringLiteral("HTMLとして書き出す(&H)..."));
    mnuFilePrint = item(mnuFile, "mnuFilePrint", QStringLiteral("印刷(&P)..."), QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuFileExportPdf = item(mnuFile, "mnuFileExportPdf", QStringLiteral("PDFとして書き出す..."));
    mnuFileBar1 = mnuFile->addSeparator();
    mnuFileBar1->setObjectName(QStringLiteral("mnuFileBar1"));
    mnuFileExit = item(mnuFile, "mnuFileExit", QStringLiteral("終了(&X)"));

    mnuEdit = menu("mnuEdit", QStringLiteral("編集(&E)"));
    mnuEditCut = item(mnuEdit, "mnuEditCut", QStringLiteral("切り取り"));
    mnuEditCopy = item(mnuEdit, "mnuEditCopy", QStringLiteral("ｺﾋﾟｰ"));
    mnuEditPaste = item(mnuEdit, "mnuEditPaste", QStringLiteral("貼り付け"));
    mnuEdit->addSeparator();
    mnuEditFind = item(mnuEdit, "mnuEditFind", QStringLiteral("検索(&F)..."), QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuEditReplace = item(mnuEdit, "mnuEditReplace", QStringLiteral("置換(&H)..."), QKeySequence(Qt::CTRL | Qt::Key_H));

    mnuView = menu("mnuView", QStringLiteral("表示(&V)"));
    mnuViewOptions = item(mnuView, "mnuViewOptions", QStringLiteral("ｵﾌﾟｼｮﾝ"));
    mnuView->addSeparator();
    mnuViewZoomIn = item(mnuView, "mnuViewZoomIn", QStringLiteral("拡大(&I)"), QKeySequence(Qt::CTRL | Qt::Key_Plus));
    mnuViewZoomIn->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    mnuViewZoomOut = item(mnuView, "mnuViewZoomOut", QStringLiteral("縮小(&O)"), QKeySequence(Qt::CTRL | Qt::Key_Minus));
    mnuViewZoomReset = item(mnuView, "mnuViewZoomReset", QStringLiteral("標準のサイズ(&R)"), QKeySequence(Qt::CTRL | Qt::Key_0));

    mnuWindow = menu("mnuWindow", QStringLiteral("ｳｨﾝﾄﾞｳ(&W)"));
    mnuWindowTileHorizontal = item(mnuWindow, "mnuWindowTileHorizontal", QStringLiteral("上下に並べて表示"));
    mnuWindowTileVertical = item(mnuWindow, "mnuWindowTileVertical", QStringLiteral("左右に並べて表示"));

    mnuHelp = menu("mnuHelp", QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    mnuHelpAbout = item(mnuHelp, "mnuHelpAbout", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));

    connect(mnuFileNew, &QAction::triggered, this, [] { Module1::NewNote(); });
    connect(mnuViewWebBrowser, &QAction::triggered, this, [] { frmBrowser::createNew(); });
    connect(mnuFileOpen, &QAction::triggered, this, &frmDocument::mnuFileOpen_Click);
    connect(mnuFileSave, &QAction::triggered, this, &frmDocument::mnuFileSave_Click);
    connect(mnuFileSaveAs, &QAction::triggered, this, [] { Module1::SaveNoteAs(); });
    connect(mnuFileExportHtml, &QAction::triggered, this, [this] { mirka::noteexport::exportNote(*this); });
    connect(mnuFilePrint, &QAction::triggered, this, [this] { mirka::noteprint::printNote(this); });
    connect(mnuFileExportPdf, &QAction::triggered, this, [this] { mirka::noteprint::exportPdf(this); });
    connect(mnuFileExit, &QAction::triggered, this, &frmDocument::closeWindow);
    connect(mnuEditCut, &QAction::triggered, this, &frmDocument::mnuEditCut_Click);
    connect(mnuEditCopy, &QAction::triggered, this, &frmDocument::mnuEditCopy_Click);
    connect(mnuEditPaste, &QAction::triggered, this, &frmDocument::mnuEditPaste_Click);
    connect(mnuViewOptions, &QAction::triggered, this, [] { Form1::showOptions(); });
    connect(mnuViewZoomIn, &QAction::triggered, this, [this] { mirka::notezoom::zoomIn(rtfText); });
    connect(mnuViewZoomOut, &QAction::triggered, this, [this] { mirka::notezoom::zoomOut(rtfText); });
    connect(mnuViewZoomReset, &QAction::triggered, this, [this] { mirka::notezoom::reset(rtfText); });
    connect(mnuWindowTileHorizontal, &QAction::triggered, this, [] {
        if (mirka::ChildHost *f = mirka::ChildHost::instance())
            f->TileHorizontal();
    });
    connect(mnuWindowTileVertical, &QAction::triggered, this, [] {
        if (mirka::ChildHost *f = mirka::ChildHost::instance())
            f->TileVertical();
    });
    connect(mnuWindow, &QMenu::aboutToShow, this, [this] {
        if (mirka::ChildHost *f = mirka::ChildHost::instance())
            f->fillWindowList(mnuWindow, 2);
    });
    connect(mnuHelpAbout, &QAction::triggered, this, [this] { frmAbout::showModal(this); });
}

void frmDocument::buildToolbar()
{
    tbToolBar = new QToolBar(this);
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setIconSize(QSize(16, 16));
    tbToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tbToolBar->setMovable(false);
    tbToolBar->setFloatable(false);

    for (const QString &key : mirka::toolbarimages::keys())
        imlToolbarIcons.insert(key, mirka::toolbarimages::draw(key));

    m_alignGroup = new QActionGroup(this);
    m_alignGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (const ButtonSpec &b : kButtons) {
        const QString key = QString::fromUtf8(b.key);
        if (key.isEmpty()) {
            tbToolBar->addSeparator();
            continue;
        }
        QAction *a = tbToolBar->addAction(QIcon(imlToolbarIcons.value(QString::fromUtf8(b.image))), key);
        a->setData(key);
        a->setToolTip(key);
        a->setCheckable(b.toggle || b.alignment);
        if (b.alignment)
            m_alignGroup->addAction(a);
    }
    connect(tbToolBar, &QToolBar::actionTriggered, this, &frmDocument::ButtonClick);
}

void frmDocument::buildStatusBar()
{
    sbStatusBar = new DateTimeStatusBar(this);
}

QAction *frmDocument::button(const QString &key) const
{
    for (QAction *a : tbToolBar->actions())
        if (!a->isSeparator() && a->data().toString() == key)
            return a;
    return nullptr;
}

void frmDocument::showWindow()
{
    show();
    if (auto *sw = qobject_cast<QMdiSubWindow *>(parentWidget())) {
        sw->show();
        if (QMdiArea *area = sw->mdiArea())
            area->setActiveSubWindow(sw);
    }
}

void frmDocument::hideWindow()
{
    if (auto *sw = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sw->hide();
    else
        hide();
}

void frmDocument::closeWindow()
{
    if (auto *sw = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sw->close();
    else
        close();
}

void frmDocument::closeEvent(QCloseEvent *event)
{
    if (g_doc != this) { // already closed
        event->accept();
        return;
    }
    if (!Module1::MayDiscardNote()) {
        event->ignore();
        return;
    }
    Module1::setNoteWindowState(3);
    // From here on the window and its note are gone for everyone, even
    // before Qt deletes it.
    g_doc = nullptr;
    mirka::NoteSession::instance().endNote();
    event->accept();
}

bool frmDocument::holdsWork() const { return !note->pages().isEmpty() || !rtfText->document()->isEmpty(); }

void frmDocument::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    tbToolBar->setGeometry(0, 0, width(), toPixelsY(420));
    const int sbHeight = toPixelsY(270);
    sbStatusBar->setGeometry(0, height() - sbHeight, width(), sbHeight);
    applyLayout();
}

void frmDocument::applyLayout()
{
    const int cw = fromPixelsX(width());
    const int ch = fromPixelsY(Find ? Find->layoutHeight(height(), toPixelsY(270)) : height());
    // Each step on its own: one whose size would be negative is skipped.
    if (cw - 2100 >= 0 && ch - 1200 >= 0)
        rtfText->Move(2100, 1000, cw - 2100, ch - 1200);
    if (rtfText->Width() - 400 >= 0)
        rtfText->setRightMargin(rtfText->Width() - 400);
    if (ch - 1100 >= 0)
        List1->setGeometry(toPixels(100, 1000, 2000, ch - 1100));
}

bool frmDocument::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == List1->viewport())
        return dragRecordedPage(event) || QWidget::eventFilter(watched, event);
    if (watched == rtfText && event->type() == QEvent::KeyPress
        && formattingKey(static_cast<QKeyEvent *>(event)))
        return true;
    if (event->type() == QEvent::ShortcutOverride) {
        const QKeySequence pressed(static_cast<QKeyEvent *>(event)->keyCombination());
        for (QAction *a : actions()) {
            if (!a->shortcut().isEmpty() && a->shortcut() == pressed) {
                event->ignore(); // let the shortcut run
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

// Ctrl+B, Ctrl+I and Ctrl+U in the body are the toolbar's toggles.
bool frmDocument::formattingKey(const QKeyEvent *key)
{
    if (key->modifiers() != Qt::ControlModifier)
        return false;
    const char *name = key->key() == Qt::Key_B ? "太字"
        : key->key() == Qt::Key_I              ? "斜体"
        : key->key() == Qt::Key_U              ? "下線"
                                               : nullptr;
    if (!name)
        return false;
    ButtonClick(button(QString::fromUtf8(name)));
    return true;
}

// A recorded page dragged from List1 carries its title and address, which
// the body takes as a link.
bool frmDocument::dragRecordedPage(QEvent *event)
{
    auto *m = static_cast<QMouseEvent *>(event);
    if (event->type() == QEvent::MouseButtonPress && m->button() == Qt::LeftButton) {
        m_dragStart = m->position().toPoint();
        return false;
    }
    if (event->type() != QEvent::MouseMove || !(m->buttons() & Qt::LeftButton)
        || (m->position().toPoint() - m_dragStart).manhattanLength() < QApplication::startDragDistance())
        return false;
    QListWidgetItem *item = List1->itemAt(m_dragStart);
    const int i = item ? List1->row(item) : -1;
    if (i < 0 || i >= List2->count())
        return false;
    auto *mime = new QMimeData;
    mime->setText(item->text());
    mime->setData(RichTextBox::recordedPageMimeType(), (item->text() + u'\n' + List2->item(i)->text()).toUtf8());
    auto *drag = new QDrag(List1);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction);
    return true;
}

void frmDocument::rtfText_SelChange()
{
    setModified(true);
    showSelectionState();
}

void frmDocument::showSelectionState()
{
    auto setValue = [this](const char *key, bool pressed) {
        if (QAction *b = button(QString::fromUtf8(key)))
            b->setChecked(pressed);
    };
    // A mixed state shows the button released.
    setValue("太字", rtfText->SelBold().value_or(false));
    setValue("斜体", rtfText->SelItalic().value_or(false));
    setValue("下線", rtfText->SelUnderline().value_or(false));
    const std::optional<int> align = rtfText->SelAlignment();
    setValue("左揃え", align == 0);
    setValue("中央揃え", align == 2);
    setValue("右揃え", align == 1);
}

void frmDocument::Command2_Click()
{
    note->removePage(listIndex(List1));
}

void frmDocument::List1_DblClick()
{
    const int i = listIndex(List1);
    if (i < 0 || i >= List2->count())
        return;
    openInSharedBrowser(List2->item(i)->text());
}

void frmDocument::mnuFileOpen_Click() { Module1::OpenNote(); }
void frmDocument::mnuFileSave_Click() { Module1::SaveNote(); }

void frmDocument::mnuEditCopy_Click()
{
    if (QClipboard *cb = QGuiApplication::clipboard())
        cb->setText(rtfText->SelRTF());
}

void frmDocument::mnuEditCut_Click()
{
    QClipboard *cb = QGuiApplication::clipboard();
    if (!cb)
        return;
    const QString rtf = rtfText->SelRTF();
    cb->setText(rtf);
    // Deleting text the clipboard did not take would lose it.
    if (sameClipboardText(cb->text(), rtf))
        rtfText->setSelText(QString());
}

void frmDocument::mnuEditPaste_Click()
{
    QClipboard *cb = QGuiApplication::clipboard();
    rtfText->pasteFrom(cb ? cb->mimeData() : nullptr);
    showSelectionState();
}

void frmDocument::ButtonClick(QAction *b)
{
    if (!b)
        return;
    const QString key = b->data().toString();
    auto toggle = [b](std::optional<bool> (RichTextBox::*get)() const,
                      void (RichTextBox::*set)(bool), RichTextBox *r) {
        // A mixed selection takes the attribute throughout, as word
        // processors do.
        (r->*set)(!(r->*get)().value_or(false));
        b->setChecked((r->*get)().value_or(false));
    };
    if (key == QStringLiteral("開く"))
        mnuFileOpen_Click();
    else if (key == QStringLiteral("上書き保存"))
        mnuFileSave_Click();
    else if (key == QStringLiteral("切り取り"))
        mnuEditCut_Click();
    else if (key == QStringLiteral("ｺﾋﾟｰ"))
        mnuEditCopy_Click();
    else if (key == QStringLiteral("貼り付け"))
        mnuEditPaste_Click();
    else if (key == QStringLiteral("太字"))
        toggle(&RichTextBox::SelBold, &RichTextBox::setSelBold, rtfText);
    else if (key == QStringLiteral("斜体"))
        toggle(&RichTextBox::SelItalic, &RichTextBox::setSelItalic, rtfText);
    else if (key == QStringLiteral("下線"))
        toggle(&RichTextBox::SelUnderline, &RichTextBox::setSelUnderline, rtfText);
    else if (key == QStringLiteral("左揃え"))
        rtfText->setSelAlignment(0);
    else if (key == QStringLiteral("中央揃え"))
        rtfText->setSelAlignment(2);
    else if (key == QStringLiteral("右揃え"))
        rtfText->setSelAlignment(1);
    else if (key == QStringLiteral("フォント"))
        ChooseSelectionFont();
    else if (key == QStringLiteral("カラー"))
        ChooseSelectionColour();
}

void frmDocument::ChooseSelectionFont()
{
    dlgCommonDialog.CancelError = true;
    dlgCommonDialog.Flags = 3; // screen and printer fonts, no effects
    const std::optional<QString> name = rtfText->SelFontName();
    const std::optional<double> size = rtfText->SelFontSize();
    const std::optional<bool> bold = rtfText->SelBold();
    const std::optional<bool> italic = rtfText->SelItalic();
    if (!name || !size || !bold || !italic)
        return; // a mixed selection cannot preset the dialog
    dlgCommonDialog.FontName = *name;
    dlgCommonDialog.FontSize = *size;
    dlgCommonDialog.FontBold = *bold;
    dlgCommonDialog.FontItalic = *italic;
    if (!dlgCommonDialog.ShowFont())
        return;
    // Only what the user changed is written, so OK on an untouched choice
    // leaves the text exactly as it was.
    if (dlgCommonDialog.FontName != *name)
        rtfText->setSelFontName(dlgCommonDialog.FontName);
    if (dlgCommonDialog.FontSize != *size)
        rtfText->setSelFontSize(dlgCommonDialog.FontSize);
    if (dlgCommonDialog.FontBold != *bold)
        rtfText->setSelBold(dlgCommonDialog.FontBold);
    if (dlgCommonDialog.FontItalic != *italic)
        rtfText->setSelItalic(dlgCommonDialog.FontItalic);
}

void frmDocument::ChooseSelectionColour()
{
    dlgCommonDialog.CancelError = true;
    dlgCommonDialog.Flags = 5; // preset selected, no custom colours
    const std::optional<QColor> colour = rtfText->SelColor();
    if (!colour)
        return;
    dlgCommonDialog.Color = *colour;
    if (!dlgCommonDialog.ShowColor() || dlgCommonDialog.Color.rgb() == colour->rgb())
        return;
    rtfText->setSelColor(dlgCommonDialog.Color);
}
