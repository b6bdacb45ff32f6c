#pragma once
#include <QWidget>

class QWebEngineView;

// The page area of a browser window: a small control over QWebEngineView
// with the members a browser window relies on.
class WebBrowser : public QWidget {
    Q_OBJECT
public:
    explicit WebBrowser(QWidget *parent = nullptr);

    void Navigate(const QString &address);
    void GoBack();
    void GoForward();
    void Refresh();
    void Stop();
    bool Busy() const;
    QString LocationName() const;
    QString LocationURL() const;
    bool RegisterAsBrowser = false;

    QWebEngineView *view() const { return m_view; }

signals:
    void DownloadComplete();
    void NavigateComplete2();
    // A page asks for a new window; the handler sets *target to the control
    // the page opens in (nullptr refuses).
    void NewWindow2(WebBrowser **target);

private:
    QWebEngineView *m_view = nullptr;
};
