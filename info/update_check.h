// The update check: asks the maker's server for its revisions file and,
// when it lists a newer version of this program, offers the newest one: a
// Yes downloads the installer, opens it and closes the program. The requests
// run on the event loop, so the window stays responsive; the question is
// asked when the answer has arrived.
#pragma once

#include "info/desktop_services.h"
#include "info/revisions.h"
#include "platform/user_prompts.h"

#include <QByteArray>
#include <QObject>

#include <chrono>
#include <functional>
#include <string>

namespace tessolo {

class HttpClient;
class InstallerDownload;
struct HttpResult;

enum class CheckResult {
    NewVersionOffered = 0,  // whatever the user answered
    LatestVersion = 1,      // also when no line names this program
    NoConnection = 2,       // no revisions file could be obtained
};

inline constexpr const char* kVersionCheckCaption = "Tessolo Version Check";
inline constexpr const char* kNewVersionCaption = "Tessolo - New Version Available";
inline constexpr std::int64_t kMaxRevisionsFileBytes = 1 << 20;

class UpdateCheck : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{20000};
    static constexpr std::chrono::milliseconds kDefaultDeadline{30000};

    // `closeProgram` closes the main window, after an installer was opened.
    UpdateCheck(UserPrompts& prompts, DesktopServices& desktop, std::function<void()> closeProgram,
                QObject* parent = nullptr);
    ~UpdateCheck() override;

    // The check at start-up: says nothing unless a newer version is found.
    void StartSilent();
    // "Check for &Updates": reports every result. While a check is running
    // already, says so, and that check reports its result.
    void StartFromMenu();

    bool IsRunning() const { return running_; }
    // How long the server may stay silent before a request fails.
    void SetTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
    // How long the revisions request may take in all.
    void SetDeadline(std::chrono::milliseconds deadline) { deadline_ = deadline; }

signals:
    void Finished(tessolo::CheckResult result);

private:
    void CheckForNewVersion();
    void RevisionsArrived(const HttpResult& response);
    void Offer(const RevisionsReading& reading);
    void DownloadInstaller(const RevisionOffer& offer);
    void End(CheckResult result, const std::string& reason = {});
    void ReportError(const std::string& message);

    UserPrompts& prompts_;
    DesktopServices& desktop_;
    std::function<void()> closeProgram_;
    std::chrono::milliseconds timeout_ = kDefaultTimeout;
    std::chrono::milliseconds deadline_ = kDefaultDeadline;

    // The running check.
    bool running_ = false;
    bool reportAll_ = false;
    std::string host_;
    std::string currentVersion_;
    HttpClient* client_ = nullptr;  // the revisions request
    QByteArray revisions_;
    InstallerDownload* download_ = nullptr;
};

}  // namespace tessolo
