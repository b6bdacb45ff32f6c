#include "browser/WebBrowser.h"

#include "browser/DownloadStatus.h"
#include "browser/LocalFileGuard.h"
#include "browser/browserprofile.h"
#include "browser/externallinks.h"
#include "common/dialogs.h"

#include <QAction>
#include <QApplication>
#include <QHash>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <utility>

// Gives the engine's pages the program's profile and a guard of their own
// for local files, and routes a page's request for a new window to the
// control's NewWindow2. Only a request the user made with a click or a key
// opens one; the engine already blocks most others, and a page may not open
// more than one window per click. A local page's window stays in its folder.
class WebBrowserPage : public QWebEnginePage {
    // The engine's own texts for its context menu are English, and Qt ships
    // no Japanese catalogue for them here.
    void nameActionsInJapanese()
    {
        static const std::pair<WebAction, const char *> names[] = {
            {Back, "戻る"}, {Forward, "進む"}, {Stop, "中止"}, {Reload, "再読み込み"},
            {ReloadAndBypassCache, "キャッシュを使わずに再読み込み"},
            {Cut, "切り取り"}, {Copy, "コピー"}, {Paste, "貼り付け"}, {Undo, "元に戻す"},
            {Redo, "やり直し"}, {SelectAll, "すべて選択"}, {Unselect, "選択を解除"},
            {PasteAndMatchStyle, "書式なしで貼り付け"},
            {OpenLinkInThisWindow, "リンクをこのウィンドウで開く"},
            {OpenLinkInNewWindow, "リンクを新しいウィンドウで開く"},
            {OpenLinkInNewBackgroundTab, "リンクを新しいウィンドウで開く"},
            {CopyLinkToClipboard, "リンクのアドレスをコピー"},
            {DownloadLinkToDisk, "リンク先を保存..."},
            {CopyImageToClipboard, "画像をコピー"},
            {CopyImageUrlToClipboard, "画像のアドレスをコピー"},
            {DownloadImageToDisk, "画像を保存..."},
            {CopyMediaUrlToClipboard, "メディアのアドレスをコピー"},
            {DownloadMediaToDisk, "メディアを保存..."},
            {ToggleMediaControls, "コントロールを表示"}, {ToggleMediaLoop, "繰り返し再生"},
            {ToggleMediaPlayPause, "再生/一時停止"}, {ToggleMediaMute, "消音"},
            {InspectElement, "要素を調査"}, {ExitFullScreen, "全画面表示を終了"},
            {SavePage, "ページを保存..."}, {ViewSource, "ページのソースを表示"},
        };
        for (const auto &[act, text] : names)
            if (QAction *a = action(act))
                a->setText(QString::fromUtf8(text));
        // There are no tabs: the engine's "new tab" entry would repeat the
        // new-window one.
        if (QAction *a = action(OpenLinkInNewTab))
            a->setVisible(false);
    }

public:
    WebBrowserPage(WebBrowser *control, QObject *parent)
        : QWebEnginePage(mirka::browserProfile(), parent), m_control(control)
    {
        setUrlRequestInterceptor(new LocalFileGuard(this, this));
        nameActionsInJapanese();
        connect(this, &QWebEnginePage::newWindowRequested, this,
                [this, control](QWebEngineNewWindowRequest &request) {
                    if (!request.isUserInitiated() || !LocalFileGuard::mayOpen(url(), request.requestedUrl()))
                        return;
                    if (mirka::externallinks::goesOutside(request.requestedUrl())) {
                        askLater(request.requestedUrl());
                        return;
                    }
                    WebBrowser *target = nullptr;
                    emit control->NewWindow2(&target);
                    if (!target)
                        return;
                    // A local page's window is opened afresh, out of the
                    // page's reach: the engine makes a window before asking
                    // for it, and its opener could send it elsewhere and read
                    // it before it has a guard of its own.
                    if (url().isLocalFile()) {
                        target->Navigate(request.requestedUrl().toString());
                    } else {
                        target->userRequest();
                        request.openIn(target->view()->page());
                    }
                });
    }

protected:
    // Each navigation says whether the user asked for it (a download it
    // turns into may then ask where to save). For an address another
    // program would open, the engine asks only on a click (or a typed
    // address): the answer is no here, and the user's Yes to the question
    // opens it.
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool) override
    {
        if (!mirka::externallinks::goesOutside(url)) {
            m_control->navigationRequested(url, type == NavigationTypeRedirect);
            return true;
        }
        askLater(url);
        return false;
    }

private:
    // Asked after the engine's call has returned: the question is modal.
    void askLater(const QUrl &url)
    {
        QTimer::singleShot(0, this, [this, url] {
            QWebEngineView *view = QWebEngineView::forPage(this);
            mirka::externallinks::askAndOpen(url, view ? view->window() : nullptr);
        });
    }

    WebBrowser *m_control;
};

namespace {

// A request that has not started loading after this long never will.
constexpr int requestTimeoutMs = 1500;
// How long a click, a key or an address the user gave lets what follows
// (a navigation, a download) count as asked for.
constexpr int userRequestMs = 10000;

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

QString featureName(QWebEnginePage::Feature feature)
{
    switch (feature) {
    case QWebEnginePage::Notifications:
        return QStringLiteral("通知の表示");
    case QWebEnginePage::Geolocation:
        return QStringLiteral("現在地の取得");
    case QWebEnginePage::MediaAudioCapture:
        return QStringLiteral("マイクの使用");
    case QWebEnginePage::MediaVideoCapture:
        return QStringLiteral("カメラの使用");
    case QWebEnginePage::MediaAudioVideoCapture:
        return QStringLiteral("カメラとマイクの使用");
    case QWebEnginePage::MouseLock:
        return QStringLiteral("マウスポインタの固定");
    case QWebEnginePage::DesktopVideoCapture:
        return QStringLiteral("画面の共有");
    case QWebEnginePage::DesktopAudioVideoCapture:
        return QStringLiteral("画面と音声の共有");
    }
    return QStringLiteral("機能 %1 の使用").arg(int(feature));
}

// The user's answers for this run, by site and feature.
QHash<QString, bool> &permissionAnswers()
{
    static QHash<QString, bool> answers;
    return answers;
}

// The page shown in place of a site whose certificate is not trusted.
QString untrustedPage(const QUrl &url)
{
    return QStringLiteral(
               "<!DOCTYPE html><html lang=\"ja\"><head><meta charset=\"utf-8\">"
               "<title>証明書エラー</title></head><body>"
               "<h1>このサイトの証明書は信頼できません</h1>"
               "<p>%1 の証明書を確かめられなかったため、ページを表示しません。</p>"
               "</body></html>")
        .arg(url.toString().toHtmlEscaped());
}

} // namespace

WebBrowser::WebBrowser(QWidget *parent) : QWidget(parent), m_view(new QWebEngineView(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view, 1);
    m_downloads = new DownloadStatus(this);
    layout->addWidget(m_downloads);
    m_view->setPage(new WebBrowserPage(this, m_view));

    // A click or key in the page lets it ask for one download.
    qApp->installEventFilter(this);
    m_requestTimeout.setSingleShot(true);
    m_requestTimeout.setInterval(requestTimeoutMs);

    QWebEnginePage *page = m_view->page();
    for (auto [action, command] : {std::pair(QWebEnginePage::Back, int(CSC_NAVIGATEBACK)),
                                   std::pair(QWebEnginePage::Forward, int(CSC_NAVIGATEFORWARD))}) {
        QAction *a = page->action(action);
        connect(a, &QAction::changed, this, [this, a, command] { emit CommandStateChange(command, a->isEnabled()); });
    }
    connect(page, &QWebEnginePage::loadingChanged, this, &WebBrowser::loadingChanged);
    connect(page, &QWebEnginePage::titleChanged, this, &WebBrowser::titleChanged);
    // Asked after the engine's call has returned: the question is modal.
    connect(page, &QWebEnginePage::featurePermissionRequested, this,
            &WebBrowser::permissionRequested, Qt::QueuedConnection);
    connect(page->profile(), &QWebEngineProfile::downloadRequested, this,
            [this](QWebEngineDownloadRequest *download) {
                // A recorded page's copy is written by the recording itself.
                if (download->page() != m_view->page() || download->isSavePageDownload())
                    return;
                m_downloads->start(download, downloadAsked(download->url()));
                emit FileDownloadRequested();
            });
}

void WebBrowser::permissionRequested(const QUrl &origin, int feature)
{
    const auto f = QWebEnginePage::Feature(feature);
    const QString key = origin.toString() + u' ' + QString::number(feature);
    auto it = permissionAnswers().constFind(key);
    if (it == permissionAnswers().constEnd()) {
        const bool yes =
            mirka::MsgBox(QStringLiteral("%1 が%2を求めています。許可しますか?")
                              .arg(origin.toString(), featureName(f)),
                          mirka::MsgButtons::YesNo, QString(), window())
            == mirka::MsgAnswer::Yes;
        it = permissionAnswers().insert(key, yes);
    }
    m_view->page()->setFeaturePermission(origin, f,
                                         *it ? QWebEnginePage::PermissionGrantedByUser
                                             : QWebEnginePage::PermissionDeniedByUser);
}

void WebBrowser::requested() { m_requestTimeout.start(); }

void WebBrowser::userRequest() { m_userRequest.setRemainingTime(userRequestMs); }

bool WebBrowser::takeUserRequest()
{
    const bool asked = !m_userRequest.hasExpired();
    m_userRequest = QDeadlineTimer();
    return asked;
}

void WebBrowser::navigationRequested(const QUrl &url, bool redirect)
{
    // A server's redirect goes on with what the user asked for; a page
    // that sends itself elsewhere (a client redirect, once it is shown)
    // already lost it when it was shown.
    if (!redirect ? takeUserRequest() : !m_askedUrl.isEmpty())
        m_askedUrl = url.adjusted(QUrl::RemoveFragment);
    else
        m_askedUrl.clear();
}

bool WebBrowser::downloadAsked(const QUrl &url)
{
    // Only the asked navigation itself turning into a download: a page
    // that starts one of its own as it loads (before the engine says it
    // is shown) asks nothing in the user's name.
    const QUrl asked = std::exchange(m_askedUrl, QUrl());
    return (!asked.isEmpty() && url.adjusted(QUrl::RemoveFragment) == asked) || takeUserRequest();
}

bool WebBrowser::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::TouchBegin:
        if (watched->isWidgetType() && m_view->isAncestorOf(static_cast<QWidget *>(watched)))
            userRequest();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void WebBrowser::Navigate(const QString &address)
{
    const QUrl url = QUrl::fromUserInput(address);
    if (!url.isValid() || url.isEmpty())
        return;
    requested();
    userRequest();
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
void WebBrowser::tellCopyFailure(const QString &reason) { m_downloads->tellCopyFailure(reason); }

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
        // The certificate page stands for the site's error, as the engine's
        // own error pages do.
        m_errorPage = std::exchange(m_certificatePage, false);
        return;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        m_askedUrl.clear();
        m_downloads->clearFinished();
        emit NavigateComplete2();
        break;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        // The site is not shown; a page in Japanese says why, and its load
        // completes the navigation.
        m_errorPage = true;
        if (info.errorDomain() == QWebEngineLoadingInfo::CertificateErrorDomain) {
            m_certificatePage = true;
            m_view->setHtml(untrustedPage(info.url()), info.url());
            return;
        }
        [[fallthrough]];
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
    // A new page is shown (the engine titles it at once): what the user
    // asked for has arrived, and the page asks nothing in the user's name.
    m_askedUrl.clear();
    if (!Busy())
        emit DownloadComplete();
}
