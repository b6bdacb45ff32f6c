#include "browser/LocalFileGuard.h"

#include <QFileInfo>
#include <algorithm>
#include <QUrl>
#include <QWebEnginePage>

namespace {

#ifdef _WIN32
constexpr Qt::CaseSensitivity pathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity pathCase = Qt::CaseSensitive;
#endif

// The real folder a local page was opened from; empty when there is none.
QString folderOf(const QUrl &page)
{
    if (!page.isLocalFile())
        return QString();
    const QString real = QFileInfo(page.toLocalFile()).canonicalFilePath();
    return real.isEmpty() ? QString() : QFileInfo(real).path();
}

// Whether file, its links resolved, is in folder or below. A file that is
// not there counts as outside, so a refusal tells nothing about it.
bool inFolder(const QString &folder, const QUrl &file)
{
    if (folder.isEmpty())
        return false;
    const QString real = QFileInfo(file.toLocalFile()).canonicalFilePath();
    if (real.isEmpty())
        return false;
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    return real.startsWith(prefix, pathCase);
}

// A frame may show another page of a saved site.
bool isPage(const QUrl &file)
{
    static const QStringList pageSuffixes = {"htm", "html", "xhtml", "xht", "shtml", "mht", "mhtml"};
    const QFileInfo real(QFileInfo(file.toLocalFile()).canonicalFilePath());
    return pageSuffixes.contains(real.suffix(), Qt::CaseInsensitive);
}

} // namespace

// The guards of the pages there are.
QList<LocalFileGuard *> &pageGuards()
{
    static QList<LocalFileGuard *> guards;
    return guards;
}

LocalFileGuard::LocalFileGuard(QObject *parent, QWebEnginePage *page)
    : QWebEngineUrlRequestInterceptor(parent), m_page(page)
{
    if (m_page)
        pageGuards() << this;
}

LocalFileGuard::~LocalFileGuard() { pageGuards().removeOne(this); }

bool LocalFileGuard::mayOpen(const QUrl &page, const QUrl &file)
{
    return !file.isLocalFile() || inFolder(folderOf(page), file);
}

void LocalFileGuard::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    // Only a local page's own requests for local files: no other page can
    // reach a file, and the user's own navigations have no initiator.
    const QUrl file = info.requestUrl();
    if (!file.isLocalFile() || info.initiator().scheme() != QLatin1String("file"))
        return;
    bool allowed = false;
    switch (info.resourceType()) {
    case QWebEngineUrlRequestInfo::ResourceTypeMainFrame:
        // The request's first party is the file itself: the page that
        // starts it is the one on screen.
        switch (info.navigationType()) {
        case QWebEngineUrlRequestInfo::NavigationTypeTyped:
        case QWebEngineUrlRequestInfo::NavigationTypeBackForward:
        case QWebEngineUrlRequestInfo::NavigationTypeReload:
            allowed = true;
            break;
        default:
            if (m_page)
                allowed = mayOpen(m_page->url(), file);
            else
                allowed = std::any_of(pageGuards().cbegin(), pageGuards().cend(), [&file](const LocalFileGuard *g) {
                    return g->m_page->url().isLocalFile() && mayOpen(g->m_page->url(), file);
                });
            break;
        }
        break;
    case QWebEngineUrlRequestInfo::ResourceTypeStylesheet:
    case QWebEngineUrlRequestInfo::ResourceTypeScript:
    case QWebEngineUrlRequestInfo::ResourceTypeImage:
    case QWebEngineUrlRequestInfo::ResourceTypeFontResource:
    case QWebEngineUrlRequestInfo::ResourceTypeMedia:
    case QWebEngineUrlRequestInfo::ResourceTypeFavicon:
        allowed = m_page || inFolder(folderOf(info.firstPartyUrl()), file);
        break;
    case QWebEngineUrlRequestInfo::ResourceTypeSubFrame:
    case QWebEngineUrlRequestInfo::ResourceTypeObject:
        allowed = m_page || (isPage(file) && inFolder(folderOf(info.firstPartyUrl()), file));
        break;
    default:
        allowed = m_page;
        break;
    }
    if (!allowed)
        info.block(true);
}
