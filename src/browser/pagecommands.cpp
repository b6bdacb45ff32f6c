#include "browser/pagecommands.h"

#include "browser/WebBrowser.h"
#include "browser/frmBrowser.h"
#include "common/zoomsteps.h"

#include <QApplication>
#include <QChildEvent>
#include <QShortcut>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWheelEvent>

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
        if (event->type() != QEvent::Wheel)
            return false;
        auto *wheel = static_cast<QWheelEvent *>(event);
        if (!(wheel->modifiers() & Qt::ControlModifier))
            return false;
        if (const int dy = wheel->angleDelta().y())
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

} // namespace

void attach(frmBrowser *window)
{
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
}

} // namespace mirka::pagecommands
