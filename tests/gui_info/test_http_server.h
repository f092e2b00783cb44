// A small HTTP/1.1 server on 127.0.0.1 for the update check's tests: it
// answers each GET from a table of paths and records what was asked. A reply
// may lie about its length, leave it out, trickle, stop early or carry any
// status line, as a broken or hostile server would.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QMetaType>
#include <QSet>
#include <QStringList>
#include <QTcpServer>

#include <chrono>

namespace tessolo::test {

struct Reply {
    static constexpr qint64 kTrueLength = -1;
    static constexpr qint64 kNoLength = -2;

    QByteArray status = "200 OK";  // code and reason phrase
    QByteArray headers;            // further header lines, each ending in CR LF
    QByteArray body;
    qint64 generatedBytes = 0;     // instead of `body`: this many bytes made while sent
    qint64 length = kTrueLength;   // the Content-Length sent, or none
    qint64 cutAfter = -1;          // closes the connection after this many body bytes
    std::chrono::milliseconds trickle{0};  // one body byte at a time, this far apart
};

class TestHttpServer : public QObject {
    Q_OBJECT
public:
    TestHttpServer();

    quint16 Port() const { return server_.serverPort(); }
    QString Host() const { return QStringLiteral("127.0.0.1:%1").arg(Port()); }

    void Serve(const QString& path, const Reply& reply);
    // `path` answers 200 with `body`; with `withLength` false the body ends
    // when the connection closes.
    void Serve(const QString& path, const QByteArray& body, bool withLength = true);
    void Redirect(const QString& path, const QString& location);
    // `path` accepts the request and never answers.
    void Silent(const QString& path);

    QStringList requests;       // the paths asked for, in order
    qint64 bodyBytesSent = 0;   // handed to the system for sending, all replies together

private:
    void Answer(QTcpSocket* socket);
    void SendBody(QTcpSocket* socket, const Reply& reply);

    QTcpServer server_;
    QMap<QString, Reply> replies_;
    QSet<QString> silent_;
};

}  // namespace tessolo::test

Q_DECLARE_METATYPE(tessolo::test::Reply)
