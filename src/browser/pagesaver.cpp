#include "browser/pagesaver.h"

#include "browser/WebBrowser.h"
#include "note/frmDocument.h"
#include "note/pagecopies.h"

#include <QDateTime>
#include <QDir>
#include <QPointer>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <functional>

namespace mirka::pagesaver {

namespace {

const char kLoadFailed[] = "mirkaLoadFailed";
// A copy that never reports back is given up after this long.
constexpr int kGiveUpMs = 120000;

using Done = std::function<void(bool)>;

// Copies being written, by target path.
QHash<QString, Done> &waiting()
{
    static QHash<QString, Done> w;
    return w;
}

void finish(const QString &path, bool ok)
{
    const Done done = waiting().take(path);
    if (done)
        done(ok);
}

void follow(QWebEngineDownloadRequest *request)
{
    if (!request->isSavePageDownload())
        return;
    const QString path = QDir::cleanPath(request->downloadDirectory() + u'/' + request->downloadFileName());
    if (!waiting().contains(path))
        return;
    auto ended = [request, path] {
        if (request->isFinished())
            finish(path, request->state() == QWebEngineDownloadRequest::DownloadCompleted);
    };
    QObject::connect(request, &QWebEngineDownloadRequest::isFinishedChanged, request, ended);
    if (request->state() == QWebEngineDownloadRequest::DownloadRequested)
        request->accept();
    ended();
}

void followProfile(QWebEngineProfile *profile)
{
    if (profile->property("mirkaFollowsCopies").toBool())
        return;
    profile->setProperty("mirkaFollowsCopies", true);
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile, follow);
}

bool worthACopy(WebBrowser *b)
{
    const QUrl url = b->view()->url();
    const QString scheme = url.scheme();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")
        && scheme != QLatin1String("file"))
        return false;
    return !b->property(kLoadFailed).toBool() && !b->ShowsErrorPage() && !b->Busy();
}

} // namespace

void watch(WebBrowser *browser)
{
    QObject::connect(browser->view()->page(), &QWebEnginePage::loadingChanged, browser,
                     [browser](const QWebEngineLoadingInfo &info) {
                         if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
                             browser->setProperty(kLoadFailed, false);
                         else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus
                                  || info.isErrorPage())
                             browser->setProperty(kLoadFailed, true);
                     });
}

void keepCopy(WebBrowser *browser, const QString &title, const QString &address)
{
    frmDocument *doc = frmDocument::instance();
    if (!doc || !doc->Copies)
        return;
    QString path;
    const int id = doc->Copies->record(title, address, QDateTime::currentDateTime(), &path);
    QPointer<PageCopies> copies = doc->Copies;
    if (path.isEmpty() || !worthACopy(browser)) {
        copies->copyWritten(id, false);
        return;
    }
    path = QDir::cleanPath(path);
    waiting().insert(path, [copies, id](bool ok) {
        if (copies)
            copies->copyWritten(id, ok);
    });
    QWebEnginePage *page = browser->view()->page();
    followProfile(page->profile());
    page->save(path, QWebEngineDownloadRequest::MimeHtmlSaveFormat);
    QTimer::singleShot(kGiveUpMs, [path] { finish(path, false); });
}

} // namespace mirka::pagesaver
