#include "info/http_client.h"

#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace tessolo {

namespace {

HttpResult Failed(const QString& why)
{
    HttpResult result;
    result.error = why;
    return result;
}

HttpResult Succeeded(QByteArray body)
{
    HttpResult result;
    result.ok = true;
    result.body = std::move(body);
    return result;
}

}  // namespace

HttpClient::HttpClient(std::chrono::milliseconds timeout, QObject* parent)
    : QObject(parent), timeout_(timeout), network_(new QNetworkAccessManager(this))
{
    QNetworkProxyFactory::setUseSystemConfiguration(true);
}

HttpClient::~HttpClient()
{
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

void HttpClient::Get(const QUrl& url, qint64 maxBodyBytes, Done done)
{
    done_ = std::move(done);
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setTransferTimeout(static_cast<int>(timeout_.count()));
    reply_ = network_->get(request);

    connect(reply_, &QNetworkReply::downloadProgress, this,
            [this, maxBodyBytes](qint64 received, qint64 total) {
                if (received > maxBodyBytes || total > maxBodyBytes)
                    Finish(Failed(QStringLiteral("the response is larger than %1 bytes")
                                      .arg(maxBodyBytes)));
            });
    connect(reply_, &QNetworkReply::finished, this, [this] {
        if (reply_->error() != QNetworkReply::NoError) {
            bool timedOut = reply_->error() == QNetworkReply::OperationCanceledError;
            Finish(Failed(timedOut ? QStringLiteral("no answer within %1 seconds")
                                         .arg(timeout_.count() / 1000.0)
                                   : reply_->errorString()));
        } else {
            Finish(Succeeded(reply_->readAll()));
        }
    });
}

void HttpClient::Finish(HttpResult result)
{
    QNetworkReply* reply = std::exchange(reply_, nullptr);
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
    std::exchange(done_, nullptr)(result);
}

}  // namespace tessolo
