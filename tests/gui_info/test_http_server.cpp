#include "test_http_server.h"

#include <QTcpSocket>

namespace tessolo::test {

TestHttpServer::TestHttpServer()
{
    if (!server_.listen(QHostAddress::LocalHost, 0))
        qFatal("cannot listen on 127.0.0.1");
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Answer(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

void TestHttpServer::Serve(const QString& path, const QByteArray& body, bool withLength)
{
    QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n";
    if (withLength)
        head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    responses_[path] = head + "Connection: close\r\n\r\n" + body;
}

void TestHttpServer::Redirect(const QString& path, const QString& location)
{
    responses_[path] = "HTTP/1.1 302 Found\r\nLocation: " + location.toUtf8() +
                       "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
}

void TestHttpServer::Silent(const QString& path)
{
    silent_.insert(path);
}

void TestHttpServer::Answer(QTcpSocket* socket)
{
    if (!socket->canReadLine() || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    // "GET /path HTTP/1.1"; the rest of the request does not matter here.
    QList<QByteArray> requestLine = socket->readLine().trimmed().split(' ');
    QString path = requestLine.value(1);
    requests << path;
    if (silent_.contains(path))
        return;
    socket->write(responses_.value(
        path, "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nNot found"));
    socket->disconnectFromHost();
}

}  // namespace tessolo::test
