#pragma once
#include <QWebEngineUrlRequestInterceptor>

// Keeps a page opened from disk from reading other local files. The engine
// can only keep local pages apart by also refusing them their own pictures
// and styles, so the browser profile lets local pages load local files and
// this guard refuses what a page's scripts could read back: fetch and
// XMLHttpRequest, workers, and frames or objects that are not pages in the
// page's own folder or below. Pictures, styles, scripts, fonts and media
// load as before; what the user opens is never refused.
class LocalFileGuard : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo &info) override;
};
