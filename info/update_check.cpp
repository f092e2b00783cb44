#include "info/update_check.h"

#include "info/http_client.h"
#include "info/update_paths.h"
#include "info/version_strings.h"
#include "platform/error.h"
#include "platform/files.h"

#include <QDir>
#include <QPointer>
#include <QStandardPaths>

#include <span>

namespace tessolo {

namespace {

std::string NewVersionQuestion(const std::string& offered, const std::string& current)
{
    return "There is a new version (" + offered + ") available\r\nYou have version " + current +
           ".\r\nWould you like to download it?\r\n\r\nIf you choose Yes, Tessolo will "
           "automatically terminate\r\nand the installer will be downloaded and then "
           "automatically run.";
}

std::string UnreadableVersionText(const std::string& offered)
{
    return "The update server names \"" + offered +
           "\" as a version of Tessolo, but it is not a version number such as 1.2.3, so it "
           "was skipped.";
}

}  // namespace

UpdateCheck::UpdateCheck(UserPrompts& prompts, DesktopServices& desktop,
                         std::function<void()> closeProgram, QObject* parent)
    : QObject(parent),
      prompts_(prompts),
      desktop_(desktop),
      closeProgram_(std::move(closeProgram)),
      timeout_(HttpClient::kDefaultTimeout)
{
}

void UpdateCheck::StartSilent()
{
    if (!running_)
        CheckForNewVersion();
}

void UpdateCheck::StartFromMenu()
{
    reportAll_ = true;
    if (!running_)
        CheckForNewVersion();
}

void UpdateCheck::CheckForNewVersion()
{
    running_ = true;
    result_ = CheckResult::LatestVersion;
    host_ = UpdateHost();
    offers_.clear();
    nextOffer_ = 0;
    client_ = new HttpClient(timeout_, this);
    client_->Get(QUrl(QString::fromStdString(RevisionsFileUrl(host_))), kMaxRevisionsFileBytes,
                 [this](const HttpResult& response) { RevisionsArrived(response); });
}

void UpdateCheck::RevisionsArrived(const HttpResult& response)
{
    ReleaseClient();
    std::string_view body(response.body.constData(), static_cast<std::size_t>(response.body.size()));
    if (!response.ok || !IsRevisionsFile(body)) {
        End(CheckResult::NoConnection);
        return;
    }
    try {
        std::vector<std::string> versionStrings;
        ReadVersionStrings(versionStrings);
        currentVersion_ = versionStrings.at(kFileVersionItem);
        offers_ = FindOffers(body, versionStrings.at(kOriginalFileNameItem), currentVersion_);
    } catch (const std::exception& error) {
        ReportError(error.what());
        End(CheckResult::LatestVersion);
        return;
    }
    AskNextOffer();
}

// Every line with a newer version asks its own question, also after an
// installer was opened for an earlier one.
void UpdateCheck::AskNextOffer()
{
    while (nextOffer_ < offers_.size()) {
        const RevisionOffer& offer = offers_[nextOffer_++];
        if (!offer.version) {
            if (reportAll_)
                prompts_.Show(kVersionCheckCaption, UnreadableVersionText(offer.versionText),
                              PromptIcon::Warning);
            continue;
        }
        result_ = CheckResult::NewVersionOffered;
        if (prompts_.AskYesNo(kNewVersionCaption,
                              NewVersionQuestion(offer.versionText, currentVersion_))) {
            DownloadInstaller(*offer.version);
            return;
        }
    }
    End(result_);
}

void UpdateCheck::DownloadInstaller(const VersionNumber& version)
{
    std::string fileName = InstallerFileName(version);
    std::string url = InstallerUrl(host_, fileName);
    client_ = new HttpClient(timeout_, this);
    client_->Get(QUrl(QString::fromStdString(url)), kMaxInstallerBytes,
                 [this, fileName, url](const HttpResult& response) {
                     InstallerArrived(fileName, url, response);
                 });
}

void UpdateCheck::InstallerArrived(const std::string& fileName, const std::string& url,
                                   const HttpResult& response)
{
    ReleaseClient();
    if (!response.ok) {
        ReportError("Cannot download " + url + ": " + response.error.toStdString());
        End(result_);
        return;
    }
    QPointer<UpdateCheck> alive(this);
    SaveAndOpenInstaller(fileName, response);
    if (alive)
        AskNextOffer();
}

// Writes the installer into the user's download folder under a temporary
// name, renames it once complete, opens it and closes the program. Nothing
// is opened when the file cannot be written.
void UpdateCheck::SaveAndOpenInstaller(const std::string& fileName, const HttpResult& response)
{
    std::string path;
    try {
        QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
        QDir().mkpath(folder);
        path = InstallerPath(folder.toStdString(), fileName);
        const auto* data = reinterpret_cast<const std::uint8_t*>(response.body.constData());
        WriteFileReplacing(path, std::span(data, static_cast<std::size_t>(response.body.size())));
    } catch (const std::exception& error) {
        ReportError(error.what());
        return;
    }
    desktop_.OpenFile(path);
    closeProgram_();
}

void UpdateCheck::End(CheckResult result)
{
    running_ = false;
    if (std::exchange(reportAll_, false)) {
        if (result == CheckResult::LatestVersion)
            prompts_.Show(kVersionCheckCaption, "You already  have the latest version",
                          PromptIcon::Information);
        else if (result == CheckResult::NoConnection)
            prompts_.Show(kVersionCheckCaption, "Unable to connect to server at " + host_,
                          PromptIcon::Warning);
    }
    emit Finished(result);
}

void UpdateCheck::ReleaseClient()
{
    std::exchange(client_, nullptr)->deleteLater();
}

void UpdateCheck::ReportError(const std::string& message)
{
    prompts_.Show(kErrorReportCaption, ErrorReportText(message), PromptIcon::Error);
}

}  // namespace tessolo
