#pragma once
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>

class QTcpSocket;

// A page server on 127.0.0.1: "/dir" redirects to "/dir/"; "/slow" answers
// only when released; a path given a response answers with it; any other
// path is a page titled after the path. Plain HTTP, or HTTPS over the
// server handed in.
class LoopbackServer : public QObject {
public:
    explicit LoopbackServer(QTcpServer *server = nullptr);
    quint16 port() const { return m_server->serverPort(); }
    QString url(const QString &path, const QString &host = QStringLiteral("127.0.0.1")) const;
    void releaseSlow();
    // head: the status, then any header lines ("200 OK\r\nSet-Cookie: a=1").
    void route(const QByteArray &path, const QByteArray &head, const QByteArray &body,
               const QByteArray &type = "text/html");
    // The request lines and headers last received for the path.
    QByteArray lastRequest(const QByteArray &path) const { return m_requests.value(path); }

private:
    struct Response {
        QByteArray head, body, type;
    };
    void serve(QTcpSocket *s);
    static void answer(QTcpSocket *s, const QByteArray &head, const QByteArray &body,
                       const QByteArray &type = "text/html");

    QTcpServer *m_server;
    QList<QPointer<QTcpSocket>> m_held;
    QHash<QByteArray, Response> m_routes;
    QHash<QByteArray, QByteArray> m_requests;
};
