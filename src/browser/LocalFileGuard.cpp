#include "browser/LocalFileGuard.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A frame may show another page of a saved site: a page file in the folder
// of the page on screen or below it.
bool isPageBeside(const QUrl &file, const QUrl &page)
{
    static const QStringList pageSuffixes = {"htm", "html", "xhtml", "xht", "shtml", "mht", "mhtml"};
    if (!page.isLocalFile())
        return false;
    const QFileInfo target(file.toLocalFile());
    if (!pageSuffixes.contains(target.suffix(), Qt::CaseInsensitive))
        return false;
    const QString folder = QFileInfo(page.toLocalFile()).absolutePath();
    const QString relative = QDir(folder).relativeFilePath(target.absoluteFilePath());
    return !relative.startsWith(QLatin1String("..")) && !QDir::isAbsolutePath(relative);
}

} // namespace

void LocalFileGuard::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    // Only a local page's own requests for local files; no other page can
    // reach a file, and the user's own navigations have no initiator.
    if (!info.requestUrl().isLocalFile() || info.initiator().scheme() != QLatin1String("file"))
        return;
    switch (info.resourceType()) {
    case QWebEngineUrlRequestInfo::ResourceTypeMainFrame:
    case QWebEngineUrlRequestInfo::ResourceTypeStylesheet:
    case QWebEngineUrlRequestInfo::ResourceTypeScript:
    case QWebEngineUrlRequestInfo::ResourceTypeImage:
    case QWebEngineUrlRequestInfo::ResourceTypeFontResource:
    case QWebEngineUrlRequestInfo::ResourceTypeMedia:
    case QWebEngineUrlRequestInfo::ResourceTypeFavicon:
        return;
    case QWebEngineUrlRequestInfo::ResourceTypeSubFrame:
    case QWebEngineUrlRequestInfo::ResourceTypeObject:
        if (isPageBeside(info.requestUrl(), info.firstPartyUrl()))
            return;
        break;
    default:
        break;
    }
    info.block(true);
}
