// The update check: asks the maker's server for its revisions file and,
// when it lists a newer version of this program, offers to download the
// installer, open it and close the program. The request runs on the event
// loop, so the window stays responsive; questions are asked when the answer
// has arrived.
#pragma once

#include "info/desktop_services.h"
#include "info/revisions.h"
#include "platform/user_prompts.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tessolo {

class HttpClient;
struct HttpResult;

enum class CheckResult {
    NewVersionOffered = 0,  // whatever the user answered
    LatestVersion = 1,      // also when no line names this program
    NoConnection = 2,       // no revisions file could be obtained
};

inline constexpr const char* kVersionCheckCaption = "Tessolo Version Check";
inline constexpr const char* kNewVersionCaption = "Tessolo - New Version Available";
inline constexpr std::int64_t kMaxRevisionsFileBytes = 1 << 20;
inline constexpr std::int64_t kMaxInstallerBytes = std::int64_t{512} << 20;

class UpdateCheck : public QObject {
    Q_OBJECT
public:
    // `closeProgram` closes the main window, after an installer was opened.
    UpdateCheck(UserPrompts& prompts, DesktopServices& desktop, std::function<void()> closeProgram,
                QObject* parent = nullptr);

    // The check at start-up: says nothing unless a newer version is found.
    void StartSilent();
    // "Check for &Updates": reports every result. While a check is running
    // already, that one reports its result instead.
    void StartFromMenu();

    bool IsRunning() const { return running_; }
    // How long the server may stay silent before a request fails.
    void SetTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }

signals:
    void Finished(tessolo::CheckResult result);

private:
    void CheckForNewVersion();
    void RevisionsArrived(const HttpResult& response);
    void AskNextOffer();
    void DownloadInstaller(const VersionNumber& version);
    void InstallerArrived(const std::string& fileName, const std::string& url,
                          const HttpResult& response);
    void SaveAndOpenInstaller(const std::string& fileName, const HttpResult& response);
    void End(CheckResult result);
    void ReleaseClient();
    void ReportError(const std::string& message);

    UserPrompts& prompts_;
    DesktopServices& desktop_;
    std::function<void()> closeProgram_;
    std::chrono::milliseconds timeout_;

    // The running check.
    bool running_ = false;
    HttpClient* client_ = nullptr;  // the one request under way
    bool reportAll_ = false;
    std::string host_;
    std::string currentVersion_;
    std::vector<RevisionOffer> offers_;
    std::size_t nextOffer_ = 0;
    CheckResult result_ = CheckResult::LatestVersion;
};

}  // namespace tessolo
