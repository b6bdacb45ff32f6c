#pragma once
#include <QPointer>
#include <QWebEngineUrlRequestInterceptor>

class QUrl;
class QWebEnginePage;

// Keeps a page opened from disk inside its own folder. The engine can only
// keep local pages apart by also refusing them their own pictures and
// styles, so the browser profile lets local pages load local files and
// these guards refuse every file request a local page makes outside the
// folder it was opened from (and its subfolders), judged on the real path
// with symbolic links resolved: scripts, styles, pictures, fonts and media
// from elsewhere never load, so none can be run, read or drawn, and a probe
// for a file elsewhere fails as one for a missing file does. Inside the
// folder, fetch and XMLHttpRequest, workers, and frames that are not pages
// stay refused. What the user opens (typed, favourites, history) is never
// refused.
//
// One guard sits on the profile and judges what a request tells by itself
// (the page a resource is for); each page's own guard judges the
// navigations its page starts by the page on screen. A window the engine
// makes for a page before any page of ours holds it has only the profile's
// guard: it may go only where some local page on screen could.
class LocalFileGuard : public QWebEngineUrlRequestInterceptor {
public:
    // With a page, the page's guard; without, the profile's.
    explicit LocalFileGuard(QObject *parent, QWebEnginePage *page = nullptr);
    ~LocalFileGuard() override;

    // Whether a local page at page may show or open file (a window it opens,
    // a navigation it starts). Anything that is not a local file passes.
    static bool mayOpen(const QUrl &page, const QUrl &file);

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

private:
    QWebEnginePage *m_page;
};
