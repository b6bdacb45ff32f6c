#include "browser/WebBrowser.h"

#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>

// Routes the engine's new-window requests to the control's NewWindow2.
class WebBrowserPage : public QWebEnginePage {
public:
    WebBrowserPage(WebBrowser *control, QObject *parent)
        : QWebEnginePage(parent), m_control(control)
    {
    }

protected:
    QWebEnginePage *createWindow(WebWindowType) override
    {
        WebBrowser *target = nullptr;
        emit m_control->NewWindow2(&target);
        return target ? target->view()->page() : nullptr;
    }

private:
    WebBrowser *m_control;
};

namespace {

// A request that has not started loading after this long never will.
constexpr int requestTimeoutMs = 1500;

// The engine gives a page without a title a shortened form of its address
// as the title: the file name for a file, the address without "http://"
// (and without the slash of a bare host) otherwise.
bool isStandInTitle(const QString &title, const QUrl &url)
{
    if (title.isEmpty())
        return true;
    for (const QString &full : {url.toString(), url.toDisplayString(),
                                url.toString(QUrl::FullyEncoded)}) {
        if (title == full)
            return true;
        if (url.isLocalFile()) {
            if (title == full.mid(full.lastIndexOf(u'/') + 1))
                return true;
            continue;
        }
        QString s = full;
        if (s.startsWith(QLatin1String("http://")))
            s.remove(0, 7);
        if (title == s)
            return true;
        if (s.endsWith(u'/') && title == s.chopped(1))
            return true;
    }
    return false;
}

} // namespace

WebBrowser::WebBrowser(QWidget *parent) : QWidget(parent), m_view(new QWebEngineView(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_view->setPage(new WebBrowserPage(this, m_view));

    m_requestTimeout.setSingleShot(true);
    m_requestTimeout.setInterval(requestTimeoutMs);

    QWebEnginePage *page = m_view->page();
    connect(page, &QWebEnginePage::loadingChanged, this, &WebBrowser::loadingChanged);
    connect(page, &QWebEnginePage::titleChanged, this, &WebBrowser::titleChanged);
}

void WebBrowser::requested() { m_requestTimeout.start(); }

void WebBrowser::Navigate(const QString &address)
{
    const QUrl url = QUrl::fromUserInput(address);
    if (!url.isValid() || url.isEmpty())
        return;
    requested();
    m_view->setUrl(url);
}

void WebBrowser::GoBack()
{
    if (!m_view->history()->canGoBack())
        return;
    requested();
    m_view->back();
}

void WebBrowser::GoForward()
{
    if (!m_view->history()->canGoForward())
        return;
    requested();
    m_view->forward();
}

void WebBrowser::Refresh()
{
    if (m_view->url().isEmpty())
        return;
    requested();
    m_view->reload();
}

void WebBrowser::Stop()
{
    m_requestTimeout.stop();
    m_view->stop();
}

// A request counts as loading until the engine answers it or its time runs out.
bool WebBrowser::Busy() const { return m_requestTimeout.isActive() || m_view->page()->isLoading(); }

QString WebBrowser::LocationName() const
{
    const QString title = m_view->title();
    const QUrl url = m_view->url();
    if (!url.isEmpty() && isStandInTitle(title, url))
        return LocationURL();
    return title;
}

QString WebBrowser::LocationURL() const { return m_view->url().toString(); }

void WebBrowser::loadingChanged(const QWebEngineLoadingInfo &info)
{
    // Any news from the engine answers the request: either a load is under
    // way (the page says so) or it has already ended.
    m_requestTimeout.stop();
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        return;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        emit NavigateComplete2();
        break;
    case QWebEngineLoadingInfo::LoadFailedStatus:
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        // A failed or stopped load that still left its address on display (the
        // engine's error page, a server's own error page, a page stopped after
        // it began to show) was reached; one that fell back to the previous
        // page was not.
        if (m_view->url() == info.url())
            emit NavigateComplete2();
        break;
    }
    emit DownloadComplete();
}

void WebBrowser::titleChanged()
{
    if (!Busy())
        emit DownloadComplete();
}
