#include "loopbackserver.h"

#include <QTcpSocket>
#include <utility>

LoopbackServer::LoopbackServer(QTcpServer *server)
    : m_server(server ? server : new QTcpServer)
{
    m_server->setParent(this);
    m_server->listen(QHostAddress::LocalHost);
    connect(m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket *s = m_server->nextPendingConnection())
            connect(s, &QTcpSocket::readyRead, this, [this, s] { serve(s); });
    });
}

QString LoopbackServer::url(const QString &path, const QString &host) const
{
    const QString scheme = m_server->inherits("QSslServer") ? QStringLiteral("https")
                                                             : QStringLiteral("http");
    return QStringLiteral("%1://%2:%3%4").arg(scheme, host).arg(port()).arg(path);
}

void LoopbackServer::releaseSlow()
{
    for (const QPointer<QTcpSocket> &s : std::exchange(m_held, {}))
        if (s)
            answer(s, "200 OK", "<title>Slow</title>");
}

void LoopbackServer::route(const QByteArray &path, const QByteArray &head, const QByteArray &body,
                           const QByteArray &type)
{
    m_routes.insert(path, {head, body, type});
}

void LoopbackServer::serve(QTcpSocket *s)
{
    const QByteArray request = s->property("r").toByteArray() + s->readAll();
    s->setProperty("r", request);
    const qsizetype end = request.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QByteArray path = request.split(' ').value(1);
    m_requests.insert(path, request.left(end));
    if (m_routes.contains(path)) {
        const Response &r = m_routes[path];
        answer(s, r.head, r.body, r.type);
    } else if (path == "/dir") {
        answer(s, "301 Moved Permanently\r\nLocation: /dir/", {});
    } else if (path == "/slow") {
        m_held << s;
    } else {
        answer(s, "200 OK", "<title>" + path + "</title>");
    }
}

void LoopbackServer::answer(QTcpSocket *s, const QByteArray &head, const QByteArray &body,
                            const QByteArray &type)
{
    s->write("HTTP/1.1 " + head + "\r\nContent-Type: " + type + "\r\nContent-Length: "
             + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    s->disconnectFromHost();
}
