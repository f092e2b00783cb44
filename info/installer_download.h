// Fetches an installer into a file. It is streamed into a temporary file
// beside its final name while a progress box with a Cancel button is shown,
// and put in place only when it arrived whole, with the length the server
// announced and, when the revisions file lists one, the right SHA-256.
// Anything else leaves no file behind.
#pragma once

#include "info/http_client.h"
#include "platform/files.h"
#include "platform/user_prompts.h"

#include <QCryptographicHash>
#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace tessolo {

class InstallerDownload : public QObject {
    Q_OBJECT
public:
    struct Outcome {
        bool placed = false;  // the installer is in place under its final name
        std::string error;    // why not, for the error report; empty when placed or cancelled
    };
    using Done = std::function<void(const Outcome&)>;

    static constexpr qint64 kMaxBytes = qint64{512} << 20;

    InstallerDownload(UserPrompts& prompts, std::chrono::milliseconds idleTimeout,
                      QObject* parent = nullptr);
    ~InstallerDownload() override;

    // Starts fetching `url` into `path`; `sha256` is the expected checksum
    // in lower-case hex, or empty. `done` runs once from the event loop.
    // Throws FileCreateError when the temporary file cannot be made.
    void Start(const std::string& url, const std::string& path, const std::string& sha256,
               const std::string& caption, Done done);

private:
    void Arrived(const HttpResult& result);

    UserPrompts& prompts_;
    std::chrono::milliseconds idleTimeout_;
    std::string url_;
    std::string sha256_;
    Done done_;
    std::unique_ptr<ReplacementFile> file_;
    QCryptographicHash hash_{QCryptographicHash::Sha256};
    std::unique_ptr<ProgressPrompt> progress_;
    HttpClient* client_ = nullptr;
};

}  // namespace tessolo
