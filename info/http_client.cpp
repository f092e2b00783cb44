#include "info/http_client.h"

#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QSslSocket>

#include <algorithm>

namespace tessolo {

namespace {

// A header longer than this is not one that a file server sends.
constexpr qsizetype kMaxHeadBytes = 32 * 1024;
// Of the server's reason phrase, at most this much reaches a message.
constexpr qsizetype kMaxReasonChars = 80;

QString Seconds(std::chrono::milliseconds time)
{
    return QString::number(static_cast<double>(time.count()) / 1000.0);
}

bool IsDigits(const QByteArray& text)
{
    return !text.isEmpty() &&
           std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
}

bool IsRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The reason phrase as printable ASCII, shortened.
QString ReasonPhrase(const QByteArray& text)
{
    QString reason;
    for (char c : text.left(kMaxReasonChars))
        reason += c >= ' ' && c <= '~' ? QChar(c) : QChar('?');
    return reason;
}

// Where the header ends and the body begins; -1 while the header is incomplete.
std::pair<qsizetype, qsizetype> HeadEnd(const QByteArray& data)
{
    qsizetype crlf = data.indexOf("\r\n\r\n");
    qsizetype lf = data.indexOf("\n\n");
    if (lf >= 0 && (crlf < 0 || lf < crlf))
        return {lf, lf + 2};
    return {crlf, crlf < 0 ? -1 : crlf + 4};
}

QNetworkProxy SystemProxy(const QUrl& url)
{
    QList<QNetworkProxy> proxies =
        QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(url));
    return proxies.isEmpty() ? QNetworkProxy(QNetworkProxy::NoProxy) : proxies.front();
}

}  // namespace

HttpClient::HttpClient(QObject* parent) : QObject(parent)
{
    idleTimer_.setSingleShot(true);
    deadlineTimer_.setSingleShot(true);
    connect(&idleTimer_, &QTimer::timeout, this, [this] {
        Fail(QStringLiteral("the server sent nothing for %1 seconds")
                 .arg(Seconds(limits_.idleTimeout)));
    });
    connect(&deadlineTimer_, &QTimer::timeout, this, [this] {
        Fail(QStringLiteral("the server did not send the whole reply within %1 seconds")
                 .arg(Seconds(limits_.deadline)));
    });
}

HttpClient::~HttpClient() { CloseConnection(); }

void HttpClient::Get(const QUrl& url, const HttpLimits& limits, Sink sink, Done done,
                     Progress progress)
{
    limits_ = limits;
    sink_ = std::move(sink);
    done_ = std::move(done);
    progress_ = std::move(progress);
    idleTimer_.setInterval(limits.idleTimeout);
    if (limits.deadline.count() > 0)
        deadlineTimer_.start(limits.deadline);
    // Started from the event loop, so that `done` never runs inside Get.
    QMetaObject::invokeMethod(this, [this, url] { Request(url); }, Qt::QueuedConnection);
}

void HttpClient::Cancel()
{
    HttpResult cancelled;
    cancelled.cancelled = true;
    cancelled.error = QStringLiteral("the download was cancelled");
    Finish(cancelled);
}

void HttpClient::Request(const QUrl& url)
{
    CloseConnection();
    url_ = url;
    head_.clear();
    inBody_ = false;
    announced_ = -1;
    received_ = 0;
    bool secure = url.scheme() == "https";
    if (!url.isValid() || url.host().isEmpty() || (!secure && url.scheme() != "http")) {
        Fail("the address " + url.toString() + " is not an http address");
        return;
    }

    // A plain request goes to an HTTP proxy whole; any other connection
    // passes through the proxy to the server.
    QNetworkProxy proxy = SystemProxy(url);
    bool toProxy = !secure && proxy.type() == QNetworkProxy::HttpProxy;
    QByteArray target = url.path(QUrl::FullyEncoded).toUtf8();
    if (target.isEmpty())
        target = "/";
    if (url.hasQuery())
        target += "?" + url.query(QUrl::FullyEncoded).toUtf8();
    if (toProxy)
        target = url.toEncoded(QUrl::RemoveUserInfo | QUrl::RemoveFragment);
    QByteArray request = "GET " + target + " HTTP/1.0\r\nHost: " +
                         url.authority(QUrl::RemoveUserInfo | QUrl::FullyEncoded).toUtf8() +
                         "\r\nAccept-Encoding: identity\r\nConnection: close\r\n\r\n";

    socket_ = secure ? new QSslSocket(this) : new QTcpSocket(this);
    socket_->setReadBufferSize(kReadPieceBytes);
    socket_->setProxy(toProxy ? QNetworkProxy(QNetworkProxy::NoProxy) : proxy);
    connect(socket_, &QAbstractSocket::connected, this, [this, request] {
        idleTimer_.start();
        socket_->write(request);
    });
    connect(socket_, &QIODevice::readyRead, this, &HttpClient::ReadAvailable);
    connect(socket_, &QAbstractSocket::disconnected, this, &HttpClient::ConnectionEnded);
    connect(socket_, &QAbstractSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError error) {
                // A closed connection ends the body; ConnectionEnded judges it.
                if (error != QAbstractSocket::RemoteHostClosedError)
                    Fail("the connection failed (" + socket_->errorString() + ")");
            });
    idleTimer_.start();
    if (secure)
        static_cast<QSslSocket*>(socket_)->connectToHostEncrypted(url.host(), url.port(443));
    else if (toProxy)
        socket_->connectToHost(proxy.hostName(), proxy.port());
    else
        socket_->connectToHost(url.host(), url.port(80));
}

void HttpClient::ReadAvailable()
{
    idleTimer_.start();
    // Every piece may end the request, which closes the connection, or start
    // a redirected one, whose connection has nothing to read yet.
    while (socket_ != nullptr && socket_->bytesAvailable() > 0) {
        QByteArray piece = socket_->read(kReadPieceBytes);
        inBody_ ? TakeBody(piece) : ReadHead(piece);
    }
}

void HttpClient::ReadHead(const QByteArray& piece)
{
    head_ += piece;
    auto [end, bodyStart] = HeadEnd(head_);
    if (end < 0) {
        if (head_.size() > kMaxHeadBytes)
            Fail(QStringLiteral("the reply's header is longer than %1 bytes").arg(kMaxHeadBytes));
        return;
    }
    QByteArray body = head_.mid(bodyStart);
    head_.truncate(end);
    TakeHead(head_);
    if (inBody_ && !body.isEmpty())
        TakeBody(body);
}

void HttpClient::TakeHead(const QByteArray& head)
{
    QList<QByteArray> lines = head.split('\n');
    // "HTTP/1.1 200 OK"
    QByteArray statusLine = lines.front().trimmed();
    QByteArray code = statusLine.mid(9, 3);
    if (!statusLine.startsWith("HTTP/1.") || statusLine.size() < 12 || statusLine[8] != ' ' ||
        !IsDigits(code) || (statusLine.size() > 12 && statusLine[12] != ' ')) {
        Fail(QStringLiteral("the reply is not an HTTP reply"));
        return;
    }
    int status = code.toInt();
    QByteArray location;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        qsizetype colon = lines[i].indexOf(':');
        if (colon < 0)
            continue;
        QByteArray name = lines[i].left(colon).trimmed().toLower();
        QByteArray value = lines[i].mid(colon + 1).trimmed();
        if (name == "content-length") {
            if (!IsDigits(value) || value.size() > 18) {
                Fail(QStringLiteral("the reply announces an unreadable length"));
                return;
            }
            if (announced_ >= 0 && announced_ != value.toLongLong()) {
                Fail(QStringLiteral("the reply announces two different lengths"));
                return;
            }
            announced_ = value.toLongLong();
        } else if (name == "location") {
            location = value;
        } else if (name == "transfer-encoding" && value.toLower() != "identity") {
            Fail(QStringLiteral("the server sent the reply in an encoding that is not read here"));
            return;
        }
    }

    if (IsRedirect(status) && !location.isEmpty()) {
        QUrl next = url_.resolved(QUrl::fromEncoded(location));
        if (++redirects_ > kMaxRedirects)
            Fail(QStringLiteral("the server redirected more than %1 times").arg(kMaxRedirects));
        else if (url_.scheme() == "https" && next.scheme() != "https")
            Fail(QStringLiteral("the server redirected from a secure address to an insecure one"));
        else
            Request(next);
        return;
    }
    if (status < 200 || status > 299) {
        Fail(QStringLiteral("the server answered %1 %2")
                 .arg(status)
                 .arg(ReasonPhrase(statusLine.mid(13)))
                 .trimmed());
        return;
    }
    if (announced_ > limits_.maxBodyBytes) {
        Fail(QStringLiteral("the reply is larger than %1 bytes").arg(limits_.maxBodyBytes));
        return;
    }
    if (limits_.lengthRequired && announced_ < 0) {
        Fail(QStringLiteral("the server did not announce the file's length"));
        return;
    }
    inBody_ = true;
    if (progress_)
        progress_(0, announced_);
}

void HttpClient::TakeBody(const QByteArray& piece)
{
    if (announced_ >= 0 && received_ + piece.size() > announced_) {
        Fail(QStringLiteral("the server sent more than the %1 bytes it announced").arg(announced_));
        return;
    }
    if (received_ + piece.size() > limits_.maxBodyBytes) {
        Fail(QStringLiteral("the reply is larger than %1 bytes").arg(limits_.maxBodyBytes));
        return;
    }
    received_ += piece.size();
    try {
        sink_(piece);
    } catch (const std::exception& error) {
        Fail(QString::fromStdString(error.what()));
        return;
    }
    if (progress_)
        progress_(received_, announced_);
}

// The server closed the connection: the end of the body, unless it came
// early.
void HttpClient::ConnectionEnded()
{
    ReadAvailable();
    if (socket_ == nullptr)
        return;
    if (!inBody_)
        Fail(QStringLiteral("the connection closed before a whole reply arrived"));
    else if (announced_ >= 0 && received_ < announced_)
        Fail(QStringLiteral("the connection ended after %1 of the %2 bytes the server announced")
                 .arg(received_)
                 .arg(announced_));
    else
        Finish(HttpResult{.ok = true, .cancelled = false, .error = {}});
}

void HttpClient::Fail(const QString& why)
{
    HttpResult failed;
    failed.error = why;
    Finish(failed);
}

void HttpClient::Finish(HttpResult result)
{
    if (!done_)
        return;
    idleTimer_.stop();
    deadlineTimer_.stop();
    CloseConnection();
    std::exchange(done_, nullptr)(result);
}

void HttpClient::CloseConnection()
{
    if (QTcpSocket* socket = std::exchange(socket_, nullptr)) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

}  // namespace tessolo
