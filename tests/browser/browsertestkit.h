#pragma once
// What the browser tests share: pages on disk, a page server on the loopback
// interface, and waiting for the real engine.
#include "browser/WebBrowser.h"
#include "browser/frmBrowser.h"
#include "shell/frmMain.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QtTest>

namespace kit {

constexpr int engineTimeout = 20000;

// Writes an HTML page into the folder and returns its address as the
// engine reports it. An empty title writes a page without a title element.
inline QString writePage(const QTemporaryDir &dir, const QString &name, const QString &title,
                         const QString &body = QString())
{
    const QString path = dir.path() + u'/' + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    QString html = QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\">");
    if (!title.isEmpty())
        html += QStringLiteral("<title>%1</title>").arg(title);
    html += QStringLiteral("</head><body>%1</body></html>").arg(body.isEmpty() ? name : body);
    f.write(html.toUtf8());
    return QUrl::fromLocalFile(path).toString();
}

// A page server on 127.0.0.1: "/dir" redirects to "/dir/"; "/slow" answers
// only when released; any other path is a page titled after the path.
class LoopbackServer : public QObject {
public:
    LoopbackServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection())
                connect(s, &QTcpSocket::readyRead, this, [this, s] { serve(s); });
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
    }
    void releaseSlow()
    {
        for (const QPointer<QTcpSocket> &s : std::exchange(m_held, {}))
            if (s)
                answer(s, "200 OK", "<title>Slow</title>");
    }

private:
    void serve(QTcpSocket *s)
    {
        const QByteArray request = s->property("r").toByteArray() + s->readAll();
        s->setProperty("r", request);
        if (!request.contains("\r\n\r\n"))
            return;
        const QByteArray path = request.split(' ').value(1);
        if (path == "/dir")
            answer(s, "301 Moved Permanently\r\nLocation: /dir/", {});
        else if (path == "/slow")
            m_held << s;
        else
            answer(s, "200 OK", "<title>" + path + "</title>");
    }
    static void answer(QTcpSocket *s, const QByteArray &status, const QByteArray &body)
    {
        s->write("HTTP/1.1 " + status + "\r\nContent-Type: text/html\r\nContent-Length: "
                 + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        s->disconnectFromHost();
    }

    QTcpServer m_server;
    QList<QPointer<QTcpSocket>> m_held;
};

inline QStringList history(const frmBrowser *b)
{
    QStringList out;
    for (int i = 0; i < b->cboAddress->count(); ++i)
        out << b->cboAddress->itemText(i);
    return out;
}

// Runs the action and waits for the window's next completed navigation.
template <typename Action>
bool completes(frmBrowser *b, Action action)
{
    QSignalSpy spy(b->brwWebBrowser, &WebBrowser::NavigateComplete2);
    action();
    return spy.count() > 0 || spy.wait(engineTimeout);
}

// Waits until the busy indicator has found the control idle.
inline bool settles(frmBrowser *b)
{
    return QTest::qWaitFor([b] { return !b->timTimer->isActive() && !b->brwWebBrowser->Busy(); },
                           engineTimeout);
}

inline void typeAndEnter(frmBrowser *b, const QString &text)
{
    b->cboAddress->setEditText(QString());
    QTest::keyClicks(b->cboAddress->lineEdit(), text);
    QTest::keyClick(b->cboAddress->lineEdit(), Qt::Key_Return);
}

inline void pressButton(frmBrowser *b, const QString &key)
{
    for (QAction *a : b->tbToolBar->actions())
        if (a->data().toString() == key)
            a->trigger();
}

// Chooses an entry the way the user does: opens the list and clicks it.
inline void chooseFromList(QComboBox *box, int index)
{
    box->showPopup();
    QAbstractItemView *view = box->view();
    if (!QTest::qWaitFor([view] { return view->isVisible(); }, 2000))
        return;
    const QRect r = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
}

inline QList<frmBrowser *> browserWindows()
{
    QList<frmBrowser *> out;
    for (QMdiSubWindow *sub : frmMain::instance()->mdiArea()->subWindowList(QMdiArea::CreationOrder))
        if (auto *b = qobject_cast<frmBrowser *>(sub->widget()))
            out << b;
    return out;
}

inline void activate(frmBrowser *b)
{
    frmMain::instance()->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(b->parentWidget()));
}

// Closes every child window of the frame and waits until they are gone.
inline bool closeAllChildren()
{
    QMdiArea *area = frmMain::instance()->mdiArea();
    area->closeAllSubWindows();
    return QTest::qWaitFor([area] { return area->subWindowList().isEmpty(); }, engineTimeout);
}

} // namespace kit
