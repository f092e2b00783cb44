// One HTTP/1.0 GET over a TCP socket (TLS for https), through the system's
// HTTP proxy when one is set, following up to five redirects. The body is
// handed on piece by piece as it arrives, and the request ends as soon as a
// limit is passed: a time without progress, an overall deadline, a largest
// body, and on request a body whose length the server must announce and
// then send exactly. A client serves one request and is then released.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <functional>

class QTcpSocket;

namespace tessolo {

struct HttpLimits {
    std::chrono::milliseconds idleTimeout{};       // no byte for this long fails
    std::chrono::milliseconds deadline{0};         // for the whole request; 0: none
    qint64 maxBodyBytes = 0;
    bool lengthRequired = false;  // the server must announce the body's length
};

struct HttpResult {
    bool ok = false;
    bool cancelled = false;
    // Why the request failed, in words that follow "Unable to connect to
    // server at <host>: ", such as "the server answered 404 Not Found".
    QString error;
};

class HttpClient : public QObject {
    Q_OBJECT
public:
    // Takes each piece of the body; an exception it throws ends the request
    // with the exception's message.
    using Sink = std::function<void(const QByteArray& piece)>;
    // Bytes received so far and the announced length, -1 when not announced.
    using Progress = std::function<void(qint64 received, qint64 total)>;
    using Done = std::function<void(const HttpResult&)>;

    static constexpr int kMaxRedirects = 5;
    // At most this much is read from the connection at a time, so a limit
    // stops the transfer within one piece.
    static constexpr qint64 kReadPieceBytes = 16 * 1024;

    explicit HttpClient(QObject* parent = nullptr);
    ~HttpClient() override;

    // Starts a GET of `url`; `done` runs once on the event loop when the
    // whole body was handed to `sink` or the request failed. A status other
    // than 2xx fails.
    void Get(const QUrl& url, const HttpLimits& limits, Sink sink, Done done,
             Progress progress = {});
    // Ends the request; `done` runs at once with `cancelled` set.
    void Cancel();

private:
    void Request(const QUrl& url);
    void ReadAvailable();
    void ReadHead(const QByteArray& piece);
    void TakeHead(const QByteArray& head);
    void TakeBody(const QByteArray& piece);
    void ConnectionEnded();
    void Fail(const QString& why);
    void Finish(HttpResult result);
    void CloseConnection();

    HttpLimits limits_;
    Sink sink_;
    Progress progress_;
    Done done_;
    QTimer idleTimer_;
    QTimer deadlineTimer_;
    int redirects_ = 0;

    // The connection of the current address.
    QUrl url_;
    QTcpSocket* socket_ = nullptr;
    QByteArray head_;        // the reply's header while it arrives
    bool inBody_ = false;
    qint64 announced_ = -1;  // Content-Length, -1 when none
    qint64 received_ = 0;
};

}  // namespace tessolo
