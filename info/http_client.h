// One HTTP GET over Qt Network: http or https, up to five redirects, the
// system's proxies, a time-out without progress and a limit on the body.
// A client serves one request and is then released.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

namespace tessolo {

struct HttpResult {
    bool ok = false;
    QByteArray body;  // the whole body, zero bytes included; empty on failure
    QString error;    // why the request failed
};

class HttpClient : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const HttpResult&)>;

    static constexpr std::chrono::milliseconds kDefaultTimeout{20000};
    static constexpr qint64 kMaxRedirects = 5;

    explicit HttpClient(std::chrono::milliseconds timeout, QObject* parent = nullptr);
    ~HttpClient() override;

    // Starts a GET of `url`; `done` runs on the event loop once the whole
    // body arrived or the request failed. A failed connection, a time-out,
    // a status other than 2xx and a body over `maxBodyBytes` all fail.
    void Get(const QUrl& url, qint64 maxBodyBytes, Done done);

private:
    void Finish(HttpResult result);

    std::chrono::milliseconds timeout_;
    QNetworkAccessManager* network_;
    QNetworkReply* reply_ = nullptr;
    Done done_;
};

}  // namespace tessolo
