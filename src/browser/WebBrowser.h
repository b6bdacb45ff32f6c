#pragma once
#include <QDeadlineTimer>
#include <QTimer>
#include <QUrl>
#include <QWidget>

class DownloadStatus;
class QUrl;
class QWebEngineLoadingInfo;
class QWebEngineView;

// The page area of a browser window: a small control over QWebEngineView
// with the members a browser window relies on.
//
// How the engine's signals become this control's state and events:
//
// - Busy is true from a request made through Navigate, GoBack, GoForward or
//   Refresh until the engine reports the end of loading, and whenever the
//   page says it is loading. The engine starts loading a moment after the
//   request (asynchronously), so the request itself counts: a busy indicator
//   that polls Busy right after Navigate must not see an idle control. A
//   request that never starts a load (javascript: addresses, addresses handed
//   to another program such as mailto:) ends by itself after 1.5 seconds.
// - NavigateComplete2 is emitted when a load ends on the page it loaded:
//   successfully, or failed or stopped while that page's address is on
//   display (an error page, a page stopped after it began to show).
//   LocationURL is then the final address (after redirects). A load that
//   fell back to the previous page (stopped early, a download, "204 No
//   Content") raises none, so the address history never gets an address that
//   was not reached. A new load that replaces one still running ends both in
//   one completion.
// - DownloadComplete is emitted at every end of loading (after
//   NavigateComplete2 when both are raised, stopped loads included), and when
//   the page changes its title while the control is idle, so a window caption
//   that follows LocationName on DownloadComplete stays current.
// - NewWindow2 is raised for a page's new-window request that the user made
//   with a click or a key (one per click; others open nothing): the handler
//   puts the control the new page is to open in into *target (nullptr
//   refuses); the engine then loads the requested page there, replacing
//   whatever that control was loading.
// - A certificate error shows a Japanese page saying the site is not
//   trusted, never the site; its load completes the navigation.
// - Permission requests are asked once per site and feature for the run;
//   downloads are offered in the save dialog and followed on a line under
//   the page (DownloadStatus).
// - CommandStateChange tells when GoBack or GoForward becomes possible or
//   impossible, as the page history grows and is walked.
// - LocationName is the page's title; for a page without a title (where the
//   engine would put a shortened address) it is the page's address.
class WebBrowser : public QWidget {
    Q_OBJECT
public:
    enum { CSC_NAVIGATEFORWARD = 1, CSC_NAVIGATEBACK = 2 };

    explicit WebBrowser(QWidget *parent = nullptr);

    // Goes where a browser's address bar would take the text: a text without
    // a scheme becomes an address by QUrl::fromUserInput (example.org is
    // http://example.org, an absolute path a file). An empty text, or one
    // that gives no address, does nothing.
    void Navigate(const QString &address);
    void GoBack();
    void GoForward();
    void Refresh();
    void Stop();
    bool Busy() const;
    QString LocationName() const;
    QString LocationURL() const;
    // The page shown stands for a failed load: the engine's error page, a
    // server's error page, the certificate page.
    bool ShowsErrorPage() const { return m_errorPage; }
    // Marks a control made for a page's new-window request; nothing else
    // depends on it.
    bool RegisterAsBrowser = false;

    QWebEngineView *view() const { return m_view; }
    // Says on the status line that the copy of a page just recorded could
    // not be kept, and why; the page stays recorded without it.
    void tellCopyFailure(const QString &reason);

signals:
    void DownloadComplete();
    void NavigateComplete2();
    // A page asks for a new window; the handler sets *target to the control
    // the page opens in (nullptr refuses).
    void NewWindow2(WebBrowser **target);
    // A file from this control's page has been saved (or refused): the page
    // on screen stays.
    void FileDownloadRequested();
    // GoBack (CSC_NAVIGATEBACK) or GoForward (CSC_NAVIGATEFORWARD) has
    // become possible or impossible.
    void CommandStateChange(int command, bool enable);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class WebBrowserPage;
    void requested();
    // The user clicked, pressed a key in the page or gave an address.
    void userRequest();
    bool takeUserRequest();
    void navigationRequested(const QUrl &url, bool redirect);
    // Whether the user asked for the download arriving now: the navigation
    // it came from, or a click or key just before. Asked once.
    bool downloadAsked(const QUrl &url);
    void loadingChanged(const QWebEngineLoadingInfo &info);
    void titleChanged();
    void permissionRequested(const QUrl &origin, int feature);

    QWebEngineView *m_view = nullptr;
    DownloadStatus *m_downloads = nullptr;
    // Runs from a request until the engine answers it; one that started no
    // load ends when it runs out.
    QTimer m_requestTimeout;
    // Runs from the user's last click, key or address until a navigation
    // or a download takes it.
    QDeadlineTimer m_userRequest;
    // Where the last navigation went (after a server's redirects) when it
    // was asked for and has not shown a page yet; empty otherwise.
    QUrl m_askedUrl;
    bool m_errorPage = false;
    bool m_certificatePage = false; // its load is under way
};
