#include "search/pagefind.h"

#include "search/findbar.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QShortcut>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineView>

PageFind::PageFind(QWidget *window, QWebEngineView *view, QBoxLayout *layout)
    : QObject(window), m_view(view), m_bar(new FindBar(FindBar::Plain, window))
{
    setObjectName(QStringLiteral("PageFind"));
    const int below = layout->indexOf(view);
    layout->insertWidget(below >= 0 ? below + 1 : layout->count(), m_bar);
    connect(m_bar, &FindBar::queryChanged, this, [this] { find(false); });
    connect(m_bar, &FindBar::findNext, this, [this] { find(false); });
    connect(m_bar, &FindBar::findPrevious, this, [this] { find(true); });
    connect(m_bar, &FindBar::closed, this, &PageFind::closed);
    connect(view->page(), &QWebEnginePage::findTextFinished, this, &PageFind::finished);
    connect(view, &QWebEngineView::loadFinished, this, [this] {
        if (!m_pending.isEmpty() && m_pending == m_bar->query()) {
            m_pending.clear();
            find(false);
        } else if (!m_bar->isHidden()) {
            m_bar->showCount(0, 0);
        }
    });
    auto key = [this, window](QKeySequence keys, auto slot) {
        auto *s = new QShortcut(keys, window);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    key(QKeySequence(Qt::CTRL | Qt::Key_F), [this] { open(); });
    key(QKeySequence(Qt::Key_F3), [this] { m_bar->isHidden() ? open() : find(false); });
    key(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { m_bar->isHidden() ? open() : find(true); });
}

PageFind *PageFind::attach(QWidget *window, QWebEngineView *view, QBoxLayout *layout)
{
    return layout ? new PageFind(window, view, layout) : nullptr;
}

PageFind *PageFind::of(QWidget *window)
{
    return window ? window->findChild<PageFind *>(QStringLiteral("PageFind"), Qt::FindDirectChildrenOnly) : nullptr;
}

void PageFind::open() { m_bar->open(false); }

void PageFind::findWhenLoaded(const QString &query)
{
    m_pending = query;
    {
        const QSignalBlocker quiet(m_bar);
        m_bar->setQuery(query);
    }
    m_bar->open(false);
    m_bar->showMessage(QStringLiteral("読み込み中…"));
}

void PageFind::find(bool backward)
{
    if (m_bar->isHidden())
        return;
    QWebEnginePage::FindFlags flags;
    if (m_bar->matchCase->isChecked())
        flags |= QWebEnginePage::FindCaseSensitively;
    if (backward)
        flags |= QWebEnginePage::FindBackward;
    if (m_bar->query().isEmpty())
        m_bar->showCount(0, 0);
    m_view->page()->findText(m_bar->query(), flags);
}

void PageFind::finished(const QWebEngineFindTextResult &result)
{
    if (m_bar->isHidden() || m_bar->query().isEmpty())
        return;
    m_bar->showCount(result.activeMatch(), result.numberOfMatches());
}

void PageFind::closed()
{
    m_pending.clear();
    // An empty search ends the engine's finding; the match stays selected.
    m_view->page()->findText(QString());
    m_view->setFocus(Qt::OtherFocusReason);
}
