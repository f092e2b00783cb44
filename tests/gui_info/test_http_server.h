// A small HTTP/1.1 server on 127.0.0.1 for the update check's tests: it
// answers each GET from a table of paths and records what was asked.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QStringList>
#include <QTcpServer>

namespace tessolo::test {

class TestHttpServer : public QObject {
    Q_OBJECT
public:
    TestHttpServer();

    quint16 Port() const { return server_.serverPort(); }
    QString Host() const { return QStringLiteral("127.0.0.1:%1").arg(Port()); }

    // `path` answers 200 with `body`; with `withLength` false the body ends
    // when the connection closes.
    void Serve(const QString& path, const QByteArray& body, bool withLength = true);
    void Redirect(const QString& path, const QString& location);
    // `path` accepts the request and never answers.
    void Silent(const QString& path);

    QStringList requests;  // the paths asked for, in order

private:
    void Answer(QTcpSocket* socket);

    QTcpServer server_;
    QMap<QString, QByteArray> responses_;
    QSet<QString> silent_;
};

}  // namespace tessolo::test
