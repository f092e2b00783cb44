// The update check against a local server: offers, questions, downloads
// and every way the server can fail.
#include "info/http_client.h"
#include "info/update_check.h"
#include "support/recording_seams.h"
#include "support/testdata.h"
#include "test_http_server.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace tessolo;
using tessolo::test::Prompt;

namespace {

const QString kRevisionsPath = "/sites/default/files/softwarerevs/revisions.txt";
const QString kInstallerPath = "/sites/default/files/Tessolo_Installer_V1.1.2.deb";

QByteArray InstallerBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 200000; ++i)
        bytes += static_cast<char>((i * 7919) % 251 % 3 == 0 ? 0 : i % 256);
    return bytes;
}

std::string Question(const std::string& offered)
{
    return "There is a new version (" + offered +
           ") available\r\nYou have version 1.1.1.20.\r\nWould you like to download it?\r\n\r\n"
           "If you choose Yes, Tessolo will automatically terminate\r\nand the installer will be "
           "downloaded and then automatically run.";
}

}  // namespace

class UpdateCheckTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<tessolo::test::TempDir> home_;
    std::unique_ptr<tessolo::test::TestHttpServer> server_;
    tessolo::test::RecordingPrompts prompts_;
    tessolo::test::RecordingDesktop desktop_;
    int closes_ = 0;
    std::unique_ptr<UpdateCheck> check_;

    QString Downloads() const { return QString::fromStdString(*home_ / "Downloads"); }

    QStringList DownloadedFiles() const
    {
        return QDir(Downloads()).entryList(QDir::Files | QDir::Hidden);
    }

    CheckResult Run(bool fromMenu)
    {
        QSignalSpy finished(check_.get(), &UpdateCheck::Finished);
        fromMenu ? check_->StartFromMenu() : check_->StartSilent();
        if (!finished.wait(10000))
            qFatal("the update check did not finish");
        return finished.at(0).at(0).value<CheckResult>();
    }

    std::vector<Prompt> Messages() const
    {
        std::vector<Prompt> messages;
        for (const Prompt& prompt : prompts_.prompts)
            if (!prompt.question)
                messages.push_back(prompt);
        return messages;
    }

    void ExpectOnlyMessage(const std::string& caption, const std::string& text)
    {
        QCOMPARE(prompts_.prompts.size(), std::size_t{1});
        QCOMPARE(prompts_.prompts[0].question, false);
        QCOMPARE(prompts_.prompts[0].caption, caption);
        QCOMPARE(prompts_.prompts[0].text, text);
    }

private slots:
    void initTestCase()
    {
        // The tests talk to 127.0.0.1 only, never through a proxy.
        for (const char* name : {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY",
                                 "HTTPS_PROXY", "ALL_PROXY"})
            qunsetenv(name);
    }

    void init()
    {
        home_ = std::make_unique<tessolo::test::TempDir>();
        qputenv("HOME", QByteArray::fromStdString(home_->Path().string()));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(*home_ / "config"));
        server_ = std::make_unique<tessolo::test::TestHttpServer>();
        qputenv("TESSOLO_UPDATE_HOST", server_->Host().toUtf8());
        prompts_ = {};
        desktop_ = {};
        closes_ = 0;
        check_ = std::make_unique<UpdateCheck>(prompts_, desktop_, [this] { ++closes_; });
    }

    void cleanup()
    {
        check_.reset();
        server_.reset();
        home_.reset();
    }

    void offerAcceptedDownloadsOpensAndCloses()
    {
        server_->Serve(kRevisionsPath, "[revisions]\r\nTessolo.exe,1.1.2\r\n");
        server_->Serve(kInstallerPath, InstallerBytes());
        prompts_.answers = {true};

        QCOMPARE(Run(true), CheckResult::NewVersionOffered);

        QCOMPARE(prompts_.prompts.size(), std::size_t{1});
        QVERIFY(prompts_.prompts[0].question);
        QCOMPARE(prompts_.prompts[0].caption, std::string("Tessolo - New Version Available"));
        QCOMPARE(prompts_.prompts[0].text, Question("1.1.2"));
        QCOMPARE(server_->requests, QStringList({kRevisionsPath, kInstallerPath}));
        QString installer = Downloads() + "/Tessolo_Installer_V1.1.2.deb";
        QFile written(installer);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), InstallerBytes());
        QCOMPARE(DownloadedFiles(), QStringList{"Tessolo_Installer_V1.1.2.deb"});
        QCOMPARE(desktop_.files, std::vector<std::string>{installer.toStdString()});
        QCOMPARE(closes_, 1);
    }

    void fourthNumberShownButLeftOutOfTheInstallerName()
    {
        server_->Serve(kRevisionsPath, "[revisions]\nTessolo.exe,1.1.2.7\n");
        server_->Serve(kInstallerPath, "package");
        prompts_.answers = {true};
        QCOMPARE(Run(false), CheckResult::NewVersionOffered);
        QCOMPARE(prompts_.prompts.at(0).text, Question("1.1.2.7"));
        QCOMPARE(server_->requests.value(1), kInstallerPath);
        QCOMPARE(desktop_.files.size(), std::size_t{1});
    }

    void offerDeclinedDownloadsNothing()
    {
        server_->Serve(kRevisionsPath, "[revisions]\nTessolo.exe,1.10.0\n");
        QCOMPARE(Run(true), CheckResult::NewVersionOffered);
        QCOMPARE(prompts_.prompts.size(), std::size_t{1});
        QCOMPARE(prompts_.prompts[0].text, Question("1.10.0"));
        QCOMPARE(server_->requests, QStringList{kRevisionsPath});
        QVERIFY(desktop_.files.empty());
        QCOMPARE(closes_, 0);
    }

    void everyNewerLineAsksItsOwnQuestion()
    {
        server_->Serve(kRevisionsPath,
                       "[revisions]\nTessolo.exe,1.1.2\nOther.exe,9.9\nTessolo.exe,2.0\n");
        server_->Serve(kInstallerPath, "first");
        prompts_.answers = {true, false};
        QCOMPARE(Run(true), CheckResult::NewVersionOffered);
        QCOMPARE(prompts_.prompts.size(), std::size_t{2});
        QCOMPARE(prompts_.prompts[0].text, Question("1.1.2"));
        QCOMPARE(prompts_.prompts[1].text, Question("2.0"));
        QCOMPARE(desktop_.files.size(), std::size_t{1});
        QCOMPARE(closes_, 1);
    }

    void noNewerVersion_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("older and equal") << QByteArray("[revisions]\nTessolo.exe,1.1.1\n"
                                                       "Tessolo.exe,1.0.9\nTessolo.exe,1.1.1.20");
        QTest::newRow("other names") << QByteArray("[revisions]\ntessolo.exe,9.9.9\n"
                                                   "Other.exe,9.9.9\n");
        QTest::newRow("first line") << QByteArray("Tessolo.exe,9.9.9 [revisions]\n");
        QTest::newRow("empty list") << QByteArray("[revisions]");
    }

    void noNewerVersion()
    {
        QFETCH(QByteArray, body);
        server_->Serve(kRevisionsPath, body);
        QCOMPARE(Run(false), CheckResult::LatestVersion);
        QVERIFY(prompts_.prompts.empty());
        QCOMPARE(Run(true), CheckResult::LatestVersion);
        ExpectOnlyMessage("Tessolo Version Check", "You already  have the latest version");
    }

    void unreadableVersionSkippedWithAMessageFromTheMenuOnly()
    {
        server_->Serve(kRevisionsPath, "[revisions]\nTessolo.exe, 1.1.2\n");
        QCOMPARE(Run(false), CheckResult::LatestVersion);
        QVERIFY(prompts_.prompts.empty());
        QCOMPARE(Run(true), CheckResult::LatestVersion);
        std::vector<Prompt> messages = Messages();
        QCOMPARE(messages.size(), std::size_t{2});
        QCOMPARE(messages[0].caption, std::string("Tessolo Version Check"));
        QVERIFY(messages[0].text.find("\" 1.1.2\"") != std::string::npos);
        QCOMPARE(messages[0].icon, PromptIcon::Warning);
        QCOMPARE(messages[1].text, std::string("You already  have the latest version"));
    }

    void serverFailures_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("withLength");
        QTest::newRow("not a revisions file") << QByteArray("<html>Tessolo.exe,9.9</html>") << true;
        QByteArray large = "[revisions]\nTessolo.exe,9.9\n";
        large += QByteArray(kMaxRevisionsFileBytes, 'x');
        QTest::newRow("over the limit, announced") << large << true;
        QTest::newRow("over the limit, streamed") << large << false;
    }

    void serverFailures()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, withLength);
        server_->Serve(kRevisionsPath, body, withLength);
        QCOMPARE(Run(false), CheckResult::NoConnection);
        QVERIFY(prompts_.prompts.empty());
        QCOMPARE(Run(true), CheckResult::NoConnection);
        ExpectOnlyMessage("Tessolo Version Check",
                          "Unable to connect to server at " + server_->Host().toStdString());
    }

    void missingFileIsAFailure()
    {
        QCOMPARE(Run(true), CheckResult::NoConnection);
        QCOMPARE(server_->requests, QStringList{kRevisionsPath});
    }

    void connectionRefused()
    {
        std::string host = server_->Host().toStdString();
        server_.reset();  // nothing listens on the port any more
        QCOMPARE(Run(true), CheckResult::NoConnection);
        ExpectOnlyMessage("Tessolo Version Check", "Unable to connect to server at " + host);
    }

    void silentServerTimesOutWhileTheEventLoopRuns()
    {
        server_->Silent(kRevisionsPath);
        check_->SetTimeout(std::chrono::milliseconds(400));
        QSignalSpy finished(check_.get(), &UpdateCheck::Finished);
        bool timerRan = false;
        QTimer::singleShot(50, [&] { timerRan = true; });
        QElapsedTimer clock;
        clock.start();
        check_->StartSilent();
        QVERIFY(check_->IsRunning());
        QVERIFY(finished.wait(10000));
        QVERIFY(timerRan);
        QVERIFY(clock.elapsed() >= 300);
        QCOMPARE(finished.at(0).at(0).value<CheckResult>(), CheckResult::NoConnection);
        QVERIFY(prompts_.prompts.empty());
    }

    void menuDuringTheSilentCheckReportsItsResult()
    {
        server_->Serve(kRevisionsPath, "[revisions]\n");
        QSignalSpy finished(check_.get(), &UpdateCheck::Finished);
        check_->StartSilent();
        check_->StartFromMenu();
        QVERIFY(finished.wait(10000));
        QCOMPARE(server_->requests.size(), 1);
        ExpectOnlyMessage("Tessolo Version Check", "You already  have the latest version");
    }

    void redirectsAreFollowedUpToFive()
    {
        server_->Redirect(kRevisionsPath, "/moved/1");
        for (int i = 1; i < 5; ++i)
            server_->Redirect(QString("/moved/%1").arg(i), QString("/moved/%1").arg(i + 1));
        server_->Serve("/moved/5", "[revisions]\nTessolo.exe,1.1.2\n");
        QCOMPARE(Run(false), CheckResult::NewVersionOffered);

        server_->Redirect("/moved/5", "/moved/6");
        server_->Serve("/moved/6", "[revisions]\nTessolo.exe,1.1.2\n");
        QCOMPARE(Run(false), CheckResult::NoConnection);
    }

    void failedDownloadWritesAndOpensNothing()
    {
        server_->Serve(kRevisionsPath, "[revisions]\nTessolo.exe,1.1.2\nTessolo.exe,1.1.3\n");
        prompts_.answers = {true, true};
        QCOMPARE(Run(false), CheckResult::NewVersionOffered);
        QCOMPARE(prompts_.prompts.size(), std::size_t{2});
        const Prompt& error = prompts_.prompts[1];
        QCOMPARE(error.caption, std::string("Tessolo"));
        QCOMPARE(error.icon, PromptIcon::Error);
        QVERIFY(error.text.starts_with("Cannot download http://" + server_->Host().toStdString() +
                                       kInstallerPath.toStdString() + ": "));
        QVERIFY(DownloadedFiles().isEmpty());
        QVERIFY(desktop_.files.empty());
        QCOMPARE(closes_, 0);
    }

    void unwritableDownloadFolderIsReportedAndNothingOpens()
    {
        QFile blocker(Downloads());  // a file where the folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        server_->Serve(kRevisionsPath, "[revisions]\nTessolo.exe,1.1.2\n");
        server_->Serve(kInstallerPath, "package");
        prompts_.answers = {true};
        QCOMPARE(Run(false), CheckResult::NewVersionOffered);
        QCOMPARE(Messages().size(), std::size_t{1});
        QCOMPARE(Messages()[0].text,
                 "Cannot create file " + Downloads().toStdString() +
                     "/Tessolo_Installer_V1.1.2.deb: Not a directory.");
        QVERIFY(desktop_.files.empty());
        QCOMPARE(closes_, 0);
    }
};

QTEST_MAIN(UpdateCheckTest)
#include "update_check_test.moc"
