#include "browser/pagecommands.h"

#include "browser/WebBrowser.h"
#include "browser/frmBrowser.h"
#include "browser/selectioncapture.h"
#include "common/dialogs.h"
#include "common/fileerror.h"
#include "common/savefile.h"
#include "common/zoomsteps.h"
#include "model/note.h"

#include <QApplication>
#include <QChildEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <QMenu>
#include <QPageLayout>
#include <QPageSize>
#include <QPointer>
#include <QPrinter>
#include <QAction>
#include <QShortcut>
#include <QToolBar>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace mirka::pagecommands {

namespace {

// The window's zoom, which the engine would let go at the next site.
class PageZoom : public QObject {
public:
    explicit PageZoom(QWebEngineView *view) : QObject(view), m_view(view)
    {
        // The engine draws the page in a child widget it may replace.
        view->installEventFilter(this);
        for (QObject *child : view->children())
            child->installEventFilter(this);
        connect(view, &QWebEngineView::loadFinished, this, [this] { keep(); });
        connect(view, &QWebEngineView::urlChanged, this, [this] { keep(); });
    }

    void step(int direction) { set(zoom::step(m_factor, direction)); }
    void set(double factor)
    {
        m_factor = factor;
        keep();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_view && event->type() == QEvent::ChildAdded)
            static_cast<QChildEvent *>(event)->child()->installEventFilter(this);
        int dy = 0;
        if (!zoom::isZoomWheel(event, &dy))
            return false;
        if (dy)
            step(dy);
        return true;
    }

private:
    void keep()
    {
        if (!qFuzzyCompare(m_view->zoomFactor(), m_factor))
            m_view->setZoomFactor(m_factor);
    }

    QWebEngineView *m_view;
    double m_factor = 1.0;
};

const QPageLayout kPaper(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20),
                         QPageLayout::Millimeter);

// Draws the page on the printer; the engine prints in the background and
// the preview wants the pages now.
void drawPage(QWebEngineView *view, QPrinter *printer)
{
    QEventLoop wait;
    const auto done = QObject::connect(view, &QWebEngineView::printFinished, &wait, &QEventLoop::quit);
    view->print(printer);
    wait.exec();
    QObject::disconnect(done);
}

void printPage(frmBrowser *window)
{
    QWebEngineView *view = window->brwWebBrowser->view();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(kPaper);
    printer.setDocName(view->title());
    dialogs().printPreview(window, &printer, [view](QPrinter *p) { drawPage(view, p); });
}

void savePdf(frmBrowser *window)
{
    FileDialogRequest request;
    request.save = true;
    request.title = QStringLiteral("PDFとして保存");
    request.filter = QStringLiteral("PDF ファイル (*.pdf)|*.pdf");
    request.confirmOverwrite = true;
    QString path = dialogs().fileName(window, request);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    QPointer<frmBrowser> w(window);
    window->brwWebBrowser->view()->printToPdf(
        [w, path](const QByteArray &pdf) {
            QString error;
            if (pdf.isEmpty())
                error = QStringLiteral("ページをPDFにできませんでした。");
            else if (writeFileAtomically(path, pdf, &error))
                return;
            MsgBox(fileFailureMessage(QStringLiteral("PDFを保存できませんでした。"), path, error),
                   MsgButtons::OK, QString(), w);
        },
        kPaper);
}

void trigger(frmBrowser *window, const char *button)
{
    if (QAction *a = window->tbToolBar->findChild<QAction *>(QLatin1String(button)))
        a->trigger();
}

// The page makes its menu afresh for each right click, as a child of the
// view; the window's commands join it when it opens.
class PageMenu : public QObject {
public:
    PageMenu(frmBrowser *window) : QObject(window), m_window(window)
    {
        window->brwWebBrowser->view()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // Polished, not added: when added it is not yet a menu.
        if (event->type() == QEvent::ChildPolished)
            if (auto *menu = qobject_cast<QMenu *>(static_cast<QChildEvent *>(event)->child()))
                connect(menu, &QMenu::aboutToShow, this, [this, menu] { extend(menu); },
                        Qt::SingleShotConnection);
        return false;
    }

private:
    void extend(QMenu *menu)
    {
        if (menu->property("mirkaCommands").toBool())
            return;
        menu->setProperty("mirkaCommands", true);
        frmBrowser *w = m_window;
        menu->addSeparator();
        if (w->brwWebBrowser->view()->page()->hasSelection())
            menu->addAction(QStringLiteral("選択部分を記録\tCtrl+Shift+D"), w,
                            [w] { selectioncapture::recordSelection(w); });
        menu->addAction(QStringLiteral("ページ記録\tCtrl+D"), w, [w] { trigger(w, "check"); });
        menu->addAction(QStringLiteral("印刷...\tCtrl+P"), w, [w] { printPage(w); });
        menu->addAction(QStringLiteral("PDFとして保存..."), w, [w] { savePdf(w); });
    }

    frmBrowser *m_window;
};

const QString kRecordKeys = QStringLiteral("ページ記録 (Ctrl+D)\n選択部分を記録 (Ctrl+Shift+D)");

// The ページ記録 button shows whether the page on screen is among the note's
// recorded pages: pressed, and saying so in its tooltip.
class RecordedMark : public QObject {
public:
    RecordedMark(frmBrowser *window, QAction *button) : QObject(window), m_window(window), m_button(button)
    {
        button->setCheckable(true);
        button->setToolTip(kRecordKeys);
        // The toolbar's own style would draw a pressed button as any other.
        window->tbToolBar->setStyleSheet(window->tbToolBar->styleSheet()
                                         + QStringLiteral("QToolButton:checked { border-color: palette(mid);"
                                                          " background: palette(midlight); }"));
        QWebEngineView *view = window->brwWebBrowser->view();
        connect(view, &QWebEngineView::urlChanged, this, &RecordedMark::later);
        // A note comes (or goes); its pages change.
        connect(&NoteSession::instance(), &NoteSession::noteCreated, this, &RecordedMark::later);
        // Recording toggles a checkable button; the mark follows the note.
        connect(button, &QAction::triggered, this, &RecordedMark::later);
        later();
    }

private:
    // Once per turn of the event loop: Open refills the whole list.
    void later()
    {
        if (!m_pending) {
            m_pending = true;
            QTimer::singleShot(0, this, &RecordedMark::update);
        }
    }

    void update()
    {
        m_pending = false;
        Note *note = NoteSession::instance().note();
        if (note != m_note) {
            if (m_note)
                disconnect(m_note, nullptr, this, nullptr);
            m_note = note;
            if (note) {
                connect(note, &Note::pageAdded, this, &RecordedMark::later);
                connect(note, &Note::pageRemoved, this, &RecordedMark::later);
                connect(note, &Note::pageChanged, this, &RecordedMark::later);
                connect(note, &Note::pagesReset, this, &RecordedMark::later);
                connect(note, &QObject::destroyed, this, &RecordedMark::later);
            }
        }
        const QUrl shown = m_window->brwWebBrowser->view()->url().adjusted(kSamePage);
        bool recorded = false;
        if (note && !shown.isEmpty())
            for (const RecordedPage &page : note->pages())
                if ((recorded = QUrl::fromUserInput(page.address).adjusted(kSamePage) == shown))
                    break;
        m_button->setChecked(recorded);
        m_button->setToolTip(recorded ? QStringLiteral("このページは記録済みです\n") + kRecordKeys : kRecordKeys);
    }

    static constexpr QUrl::FormattingOptions kSamePage = QUrl::RemoveFragment | QUrl::StripTrailingSlash;
    frmBrowser *m_window;
    QAction *m_button;
    QPointer<Note> m_note;
    bool m_pending = false;
};

} // namespace

void attach(frmBrowser *window)
{
    new PageMenu(window);
    if (QAction *record = window->tbToolBar->findChild<QAction *>(QStringLiteral("check")))
        new RecordedMark(window, record);
    // The toolbar takes part in Tab's round, so the keyboard reaches it,
    // after the page. Back and Forward stay out (Alt+Left and Alt+Right
    // are theirs): greyed out while holding the focus, they would lose it.
    QWidget *before = window->brwWebBrowser;
    for (QAction *a : window->tbToolBar->actions().mid(2)) {
        if (QWidget *button = window->tbToolBar->widgetForAction(a)) {
            button->setFocusPolicy(Qt::TabFocus);
            QWidget::setTabOrder(before, button);
            before = button;
        }
    }
    auto *zoom = new PageZoom(window->brwWebBrowser->view());
    auto key = [window](const QList<QKeySequence> &keys, auto slot) {
        for (const QKeySequence &k : keys) {
            auto *s = new QShortcut(k, window);
            s->setContext(Qt::WidgetWithChildrenShortcut);
            QObject::connect(s, &QShortcut::activated, window, slot);
        }
    };
    key({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
        [zoom] { zoom->step(1); });
    key({QKeySequence(Qt::CTRL | Qt::Key_Minus)}, [zoom] { zoom->step(-1); });
    key({QKeySequence(Qt::CTRL | Qt::Key_0)}, [zoom] { zoom->set(1.0); });
    key({QKeySequence(Qt::CTRL | Qt::Key_P)}, [window] { printPage(window); });
    key({QKeySequence(Qt::CTRL | Qt::Key_D)}, [window] { trigger(window, "check"); });
    key({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D)}, [window] { selectioncapture::recordSelection(window); });
}

} // namespace mirka::pagecommands
