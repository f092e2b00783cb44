#include "info/update_check.h"

#include "info/http_client.h"
#include "info/installer_download.h"
#include "info/update_paths.h"
#include "info/version_strings.h"
#include "platform/error.h"

#include <QDir>
#include <QStandardPaths>

namespace tessolo {

namespace {

// Of the unreadable version texts, this many are quoted, each shortened to
// kQuotedChars.
constexpr std::size_t kQuotedTexts = 3;
constexpr std::size_t kQuotedChars = 40;

std::string NewVersionQuestion(const std::string& offered, const std::string& current)
{
    return "There is a new version (" + offered + ") available\r\nYou have version " + current +
           ".\r\nWould you like to download it?\r\n\r\nIf you choose Yes, Tessolo will "
           "automatically terminate\r\nand the installer will be downloaded and then "
           "automatically run.";
}

std::string Quoted(const std::string& text)
{
    return '"' + (text.size() > kQuotedChars ? text.substr(0, kQuotedChars) + "..." : text) + '"';
}

// One warning for all of them, however many there are.
std::string UnreadableVersionsText(const std::vector<std::string>& texts)
{
    if (texts.size() == 1)
        return "The update server names " + Quoted(texts[0]) +
               " as a version of Tessolo, but it is not a version number such as 1.2.3, so it "
               "was skipped.";
    std::string quoted;
    std::size_t shown = std::min(texts.size(), kQuotedTexts);
    for (std::size_t i = 0; i < shown; ++i)
        quoted += (i == 0 ? "" : ", ") + Quoted(texts[i]);
    if (texts.size() > shown)
        quoted += " and " + std::to_string(texts.size() - shown) + " more";
    return "The update server names " + std::to_string(texts.size()) +
           " versions of Tessolo that are not version numbers such as 1.2.3 (" + quoted +
           "), so they were skipped.";
}

}  // namespace

UpdateCheck::UpdateCheck(UserPrompts& prompts, DesktopServices& desktop,
                         std::function<void()> closeProgram, QObject* parent)
    : QObject(parent), prompts_(prompts), desktop_(desktop), closeProgram_(std::move(closeProgram))
{
}

UpdateCheck::~UpdateCheck() = default;

void UpdateCheck::StartSilent()
{
    if (!running_)
        CheckForNewVersion();
}

void UpdateCheck::StartFromMenu()
{
    reportAll_ = true;
    if (running_)
        prompts_.Show(kVersionCheckCaption,
                      "Tessolo is already checking for a new version; the result follows when "
                      "the check ends.",
                      PromptIcon::Information);
    else
        CheckForNewVersion();
}

void UpdateCheck::CheckForNewVersion()
{
    running_ = true;
    host_ = UpdateHost();
    revisions_.clear();
    client_ = new HttpClient(this);
    HttpLimits limits{.idleTimeout = timeout_,
                      .deadline = deadline_,
                      .maxBodyBytes = kMaxRevisionsFileBytes};
    client_->Get(
        QUrl(QString::fromStdString(RevisionsFileUrl(host_))), limits,
        [this](const QByteArray& piece) { revisions_ += piece; },
        [this](const HttpResult& response) { RevisionsArrived(response); });
}

void UpdateCheck::RevisionsArrived(const HttpResult& response)
{
    std::exchange(client_, nullptr)->deleteLater();
    QByteArray body = std::exchange(revisions_, {});
    std::string_view text(body.constData(), static_cast<std::size_t>(body.size()));
    if (!response.ok) {
        End(CheckResult::NoConnection, response.error.toStdString());
        return;
    }
    if (!IsRevisionsFile(text)) {
        End(CheckResult::NoConnection, "its reply is not a revisions file");
        return;
    }
    RevisionsReading reading;
    try {
        std::vector<std::string> versionStrings;
        ReadVersionStrings(versionStrings);
        currentVersion_ = versionStrings.at(kFileVersionItem);
        reading = ReadRevisions(text, versionStrings.at(kOriginalFileNameItem), currentVersion_);
    } catch (const std::exception& error) {
        ReportError(error.what());
        End(CheckResult::LatestVersion);
        return;
    }
    Offer(reading);
}

// One warning for the unreadable lines, from the menu only, and one question
// for the newest version.
void UpdateCheck::Offer(const RevisionsReading& reading)
{
    if (reportAll_ && !reading.unreadable.empty())
        prompts_.Show(kVersionCheckCaption, UnreadableVersionsText(reading.unreadable),
                      PromptIcon::Warning);
    if (!reading.newest) {
        End(CheckResult::LatestVersion);
        return;
    }
    if (prompts_.AskYesNo(kNewVersionCaption,
                          NewVersionQuestion(reading.newest->versionText, currentVersion_)))
        DownloadInstaller(*reading.newest);
    else
        End(CheckResult::NewVersionOffered);
}

// Into the user's download folder; once the installer is in place it is
// opened and the program closes, which saves the settings.
void UpdateCheck::DownloadInstaller(const RevisionOffer& offer)
{
    std::string fileName = InstallerFileName(offer.version);
    download_ = new InstallerDownload(prompts_, timeout_, this);
    try {
        QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
        QDir().mkpath(folder);
        std::string path = InstallerPath(folder.toStdString(), fileName);
        download_->Start(InstallerUrl(host_, fileName), path, offer.sha256, kNewVersionCaption,
                         [this, path](const InstallerDownload::Outcome& outcome) {
                             std::exchange(download_, nullptr)->deleteLater();
                             if (!outcome.error.empty())
                                 ReportError(outcome.error);
                             if (outcome.placed) {
                                 desktop_.OpenFile(path);
                                 closeProgram_();
                             }
                             End(CheckResult::NewVersionOffered);
                         });
    } catch (const std::exception& error) {
        std::exchange(download_, nullptr)->deleteLater();
        ReportError(error.what());
        End(CheckResult::NewVersionOffered);
    }
}

void UpdateCheck::End(CheckResult result, const std::string& reason)
{
    running_ = false;
    if (std::exchange(reportAll_, false)) {
        if (result == CheckResult::LatestVersion)
            prompts_.Show(kVersionCheckCaption, "You already  have the latest version",
                          PromptIcon::Information);
        else if (result == CheckResult::NoConnection)
            prompts_.Show(kVersionCheckCaption,
                          "Unable to connect to server at " + host_ + ": " + reason + ".",
                          PromptIcon::Warning);
    }
    emit Finished(result);
}

void UpdateCheck::ReportError(const std::string& message)
{
    prompts_.Show(kErrorReportCaption, ErrorReportText(message), PromptIcon::Error);
}

}  // namespace tessolo
