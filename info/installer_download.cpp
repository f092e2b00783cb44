#include "info/installer_download.h"

#include <filesystem>

namespace tessolo {

InstallerDownload::InstallerDownload(UserPrompts& prompts, std::chrono::milliseconds idleTimeout,
                                     QObject* parent)
    : QObject(parent), prompts_(prompts), idleTimeout_(idleTimeout)
{
}

InstallerDownload::~InstallerDownload() = default;

void InstallerDownload::Start(const std::string& url, const std::string& path,
                              const std::string& sha256, const std::string& caption, Done done)
{
    url_ = url;
    sha256_ = sha256;
    done_ = std::move(done);
    file_ = std::make_unique<ReplacementFile>(path);
    client_ = new HttpClient(this);
    progress_ = prompts_.ShowProgress(
        caption, "Downloading " + std::filesystem::path(path).filename().string() + " ...",
        [this] { client_->Cancel(); });
    HttpLimits limits{.idleTimeout = idleTimeout_,
                      .maxBodyBytes = kMaxBytes,
                      .lengthRequired = true};
    client_->Get(
        QUrl(QString::fromStdString(url)), limits,
        [this](const QByteArray& piece) {
            file_->Write(std::span(reinterpret_cast<const std::uint8_t*>(piece.constData()),
                                   static_cast<std::size_t>(piece.size())));
            hash_.addData(piece);
        },
        [this](const HttpResult& result) { Arrived(result); },
        [this](qint64 received, qint64 total) { progress_->SetProgress(received, total); });
}

void InstallerDownload::Arrived(const HttpResult& result)
{
    progress_.reset();
    Outcome outcome;
    if (!result.ok) {
        if (!result.cancelled)
            outcome.error = "Cannot download " + url_ + ": " + result.error.toStdString();
    } else if (!sha256_.empty() && hash_.result().toHex().toStdString() != sha256_) {
        outcome.error = "Cannot download " + url_ +
                        ": its SHA-256 checksum differs from the one the update server lists";
    } else {
        try {
            file_->PutInPlace();
            outcome.placed = true;
        } catch (const std::exception& error) {
            outcome.error = error.what();
        }
    }
    file_.reset();  // removes the temporary file unless it was put in place
    std::exchange(done_, nullptr)(outcome);
}

}  // namespace tessolo
