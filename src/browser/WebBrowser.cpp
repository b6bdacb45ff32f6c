#include "browser/WebBrowser.h"

#include <QWebEngineView>

WebBrowser::WebBrowser(QWidget *parent) : QWidget(parent), m_view(new QWebEngineView(this)) {}
void WebBrowser::Navigate(const QString &address) { m_view->setUrl(QUrl::fromUserInput(address)); }
void WebBrowser::GoBack() { m_view->back(); }
void WebBrowser::GoForward() { m_view->forward(); }
void WebBrowser::Refresh() { m_view->reload(); }
void WebBrowser::Stop() { m_view->stop(); }
bool WebBrowser::Busy() const { return false; }
QString WebBrowser::LocationName() const { return m_view->title(); }
QString WebBrowser::LocationURL() const { return m_view->url().toString(); }
