#include "test_http_server.h"

#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <memory>

namespace tessolo::test {

namespace {

// Written while less than this waits in the socket, so that a client that
// stops reading stops the sending too.
constexpr qint64 kPieceBytes = 64 * 1024;

}  // namespace

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

void TestHttpServer::Serve(const QString& path, const Reply& reply) { replies_[path] = reply; }

void TestHttpServer::Serve(const QString& path, const QByteArray& body, bool withLength)
{
    Reply reply;
    reply.body = body;
    reply.length = withLength ? Reply::kTrueLength : Reply::kNoLength;
    Serve(path, reply);
}

void TestHttpServer::Redirect(const QString& path, const QString& location)
{
    Reply reply;
    reply.status = "302 Found";
    reply.headers = "Location: " + location.toUtf8() + "\r\n";
    Serve(path, reply);
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
    // "GET /path HTTP/1.0"; the rest of the request does not matter here.
    QList<QByteArray> requestLine = socket->readLine().trimmed().split(' ');
    QString path = requestLine.value(1);
    requests << path;
    if (silent_.contains(path))
        return;
    Reply reply;
    reply.status = "404 Not Found";
    reply.body = "Not found";
    reply = replies_.value(path, reply);

    qint64 size = reply.generatedBytes > 0 ? reply.generatedBytes : reply.body.size();
    QByteArray head = "HTTP/1.1 " + reply.status + "\r\nContent-Type: application/octet-stream\r\n";
    if (reply.length != Reply::kNoLength)
        head += "Content-Length: " +
                QByteArray::number(reply.length == Reply::kTrueLength ? size : reply.length) +
                "\r\n";
    socket->write(head + reply.headers + "Connection: close\r\n\r\n");
    SendBody(socket, reply);
}

// Sends the body as the client takes it, or trickling, and closes the
// connection after the last byte (or where the reply is cut).
void TestHttpServer::SendBody(QTcpSocket* socket, const Reply& reply)
{
    struct Sending {
        Reply reply;
        qint64 next = 0;
        qint64 end = 0;
        bool closing = false;
    };
    auto sending = std::make_shared<Sending>();
    sending->reply = reply;
    qint64 size = reply.generatedBytes > 0 ? reply.generatedBytes : reply.body.size();
    sending->end = reply.cutAfter >= 0 ? std::min(reply.cutAfter, size) : size;

    auto sendMore = [this, socket, sending](qint64 most) {
        Sending& s = *sending;
        while (s.next < s.end && socket->bytesToWrite() < kPieceBytes && most > 0) {
            qint64 count = std::min({kPieceBytes, s.end - s.next, most});
            socket->write(s.reply.generatedBytes > 0 ? QByteArray(count, 'x')
                                                     : s.reply.body.mid(s.next, count));
            s.next += count;
            most -= count;
            bodyBytesSent += count;
        }
        if (s.next >= s.end && !s.closing) {
            s.closing = true;
            socket->disconnectFromHost();
        }
    };
    if (reply.trickle.count() > 0) {
        auto* timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [sendMore] { sendMore(1); });
        timer->start(reply.trickle);
    } else {
        connect(socket, &QTcpSocket::bytesWritten, socket,
                [sendMore] { sendMore(std::numeric_limits<qint64>::max()); });
        sendMore(std::numeric_limits<qint64>::max());
    }
}

}  // namespace tessolo::test
