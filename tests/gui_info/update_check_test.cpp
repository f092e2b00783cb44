// The update check against a local server: offers, questions, downloads
// and every way the server can fail or lie.
#include "info/update_check.h"
#include "support/program_version.h"
#include "support/recording_seams.h"
#include "support/testdata.h"
#include "test_http_server.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace tessolo;
using tessolo::test::Prompt;
using tessolo::test::Reply;

namespace {

const QString kRevisionsPath = "/sites/default/files/softwarerevs/revisions.txt";
const QString kInstallerPath = "/sites/default/files/Tessolo_Installer_V1.1.2.deb";
// What the system may hold in its buffers beyond what the client read.
constexpr qint64 kSocketSlack = qint64{16} << 20;

QByteArray InstallerBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 200000; ++i)
        bytes += static_cast<char>((i * 7919) % 251 % 3 == 0 ? 0 : i % 256);
    return bytes;
}

QByteArray Sha256Field(const QByteArray& bytes)
{
    return ",sha256=" + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

Reply MakeReply(QByteArray body, qint64 length = Reply::kTrueLength, qint64 cutAfter = -1)
{
    Reply reply;
    reply.body = std::move(body);
    reply.length = length;
    reply.cutAfter = cutAfter;
    return reply;
}

Reply StatusReply(QByteArray status)
{
    Reply reply;
    reply.status = std::move(status);
    return reply;
}

std::string Question(const std::string& offered)
{
    return "There is a new version (" + offered +
           ") available\r\nYou have version " + test::ProgramVersion() +
           ".\r\nWould you like to download it?\r\n\r\n"
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

    std::string ConnectionFailure(const QString& reason) const
    {
        return "Unable to connect to server at " + server_->Host().toStdString() + ": " +
               reason.toStdString() + ".";
    }

    // Nothing written, nothing opened, the program left running.
    void ExpectNoInstaller()
    {
        QVERIFY(DownloadedFiles().isEmpty());
        QVERIFY(desktop_.files.empty());
        QCOMPARE(closes_, 0);
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

    void offerAcceptedDownloadsOpensAndCloses_data()
    {
        QTest::addColumn<QByteArray>("checksum");
        QTest::newRow("no checksum") << QByteArray();
        QTest::newRow("matching checksum")
            << ",sha256=" + QCryptographicHash::hash(InstallerBytes(), QCryptographicHash::Sha256)
                                .toHex()
                                .toUpper();
    }

    void offerAcceptedDownloadsOpensAndCloses()
    {
        QFETCH(QByteArray, checksum);
        server_->Serve(kRevisionsPath, "[revisions]\r\nTessolo.exe,1.1.2" + checksum + "\r\n");
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
        // The download showed its progress, and its box is gone.
        QCOMPARE(prompts_.progress.size(), std::size_t{1});
        QCOMPARE(prompts_.progress[0].done, InstallerBytes().size());
        QCOMPARE(prompts_.progress[0].total, InstallerBytes().size());
        QVERIFY(!prompts_.progress[0].open);
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

    void onlyTheNewestOfSeveralNewerVersionsIsOffered_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("newest");
        QTest::newRow("two") << QByteArray("[revisions]\nTessolo.exe,2.0\nOther.exe,9.9\n"
                                           "Tessolo.exe,1.1.2\n")
                             << "2.0";
        QByteArray many = "[revisions]\n";
        for (int i = 0; i < 5000; ++i)
            many += "Tessolo.exe,1.2." + QByteArray::number(i) + "\n" +
                    (i == 2500 ? "Tessolo.exe,3.0.1\n" : "");
        QTest::newRow("thousands") << many << "3.0.1";
    }

    void onlyTheNewestOfSeveralNewerVersionsIsOffered()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, newest);
        QString installerPath = "/sites/default/files/Tessolo_Installer_V" +
                                (newest == "2.0" ? QString("2.0.0") : newest) + ".deb";
        server_->Serve(kRevisionsPath, body);
        server_->Serve(installerPath, "package");
        prompts_.answers = {true, true};
        QCOMPARE(Run(true), CheckResult::NewVersionOffered);
        QCOMPARE(prompts_.prompts.size(), std::size_t{1});
        QCOMPARE(prompts_.prompts[0].text, Question(newest.toStdString()));
        QCOMPARE(server_->requests, QStringList({kRevisionsPath, installerPath}));
        QCOMPARE(desktop_.files.size(), std::size_t{1});
        QCOMPARE(closes_, 1);
    }

    void noNewerVersion_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("older and equal")
            << QByteArray(("[revisions]\nTessolo.exe," + test::ProgramVersionPrefix(3) +
                           "\nTessolo.exe," + test::ProgramVersionChanged(0, -1) +
                           "\nTessolo.exe," + test::ProgramVersion()).c_str());
        QTest::newRow("fourth number only")
            << QByteArray(("[revisions]\nTessolo.exe," + test::ProgramVersionChanged(3, 1) + "\n").c_str());
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

    void unreadableVersionsGetOneWarningFromTheMenuOnly_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("named");
        QTest::newRow("one") << 1 << "\" 1.1.2\"";
        QTest::newRow("thousands") << 5000 << "5000 versions";
    }

    void unreadableVersionsGetOneWarningFromTheMenuOnly()
    {
        QFETCH(int, lines);
        QFETCH(QString, named);
        QByteArray body = "[revisions]\n";
        for (int i = 0; i < lines; ++i)
            body += "Tessolo.exe, 1.1.2\n";
        server_->Serve(kRevisionsPath, body);
        QCOMPARE(Run(false), CheckResult::LatestVersion);
        QVERIFY(prompts_.prompts.empty());
        QCOMPARE(Run(true), CheckResult::LatestVersion);
        std::vector<Prompt> messages = Messages();
        QCOMPARE(messages.size(), std::size_t{2});
        QCOMPARE(messages[0].caption, std::string("Tessolo Version Check"));
        QVERIFY2(messages[0].text.find(named.toStdString()) != std::string::npos,
                 messages[0].text.c_str());
        QCOMPARE(messages[0].icon, PromptIcon::Warning);
        QCOMPARE(messages[1].text, std::string("You already  have the latest version"));
    }

    void serverFailuresNameTheirReason_data()
    {
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not a revisions file")
            << MakeReply("<html>Tessolo.exe,9.9</html>") << "its reply is not a revisions file";
        QTest::newRow("missing") << StatusReply("404 Not Found")
                                 << "the server answered 404 Not Found";
        QTest::newRow("tags in the reason phrase")
            << StatusReply("503 <b>Down</b><img src=\"http://x/y.png\">")
            << "the server answered 503 <b>Down</b><img src=\"http://x/y.png\">";
        Reply large;
        large.generatedBytes = qint64{256} << 20;
        QTest::newRow("over the limit, announced")
            << large << "the reply is larger than 1048576 bytes";
        large.length = Reply::kNoLength;
        QTest::newRow("over the limit, counted")
            << large << "the reply is larger than 1048576 bytes";
        QTest::newRow("cut short")
            << MakeReply("[revisions]\nTessolo.exe,9.9\n", Reply::kTrueLength, 12)
            << "the connection ended after 12 of the 28 bytes the server announced";
        QTest::newRow("longer than announced")
            << MakeReply("[revisions]\nTessolo.exe,9.9\n", 12)
            << "the server sent more than the 12 bytes it announced";
        Reply trickle = MakeReply(QByteArray(2000, ' ') + "[revisions]\n");
        trickle.trickle = std::chrono::milliseconds(10);
        QTest::newRow("trickling past the deadline")
            << trickle << "the server did not send the whole reply within 0.6 seconds";
    }

    void serverFailuresNameTheirReason()
    {
        QFETCH(Reply, reply);
        QFETCH(QString, reason);
        server_->Serve(kRevisionsPath, reply);
        // The trickle sends a byte every 10 ms, far within the time-out.
        check_->SetTimeout(std::chrono::milliseconds(3000));
        check_->SetDeadline(std::chrono::milliseconds(600));
        QCOMPARE(Run(false), CheckResult::NoConnection);
        QVERIFY(prompts_.prompts.empty());
        QCOMPARE(Run(true), CheckResult::NoConnection);
        ExpectOnlyMessage("Tessolo Version Check", ConnectionFailure(reason));
        // An over-long reply is left unread soon after the limit.
        QVERIFY2(server_->bodyBytesSent < 2 * (kMaxRevisionsFileBytes + kSocketSlack),
                 qPrintable(QString::number(server_->bodyBytesSent)));
    }

    void connectionRefused()
    {
        std::string host = server_->Host().toStdString();
        server_.reset();  // nothing listens on the port any more
        QCOMPARE(Run(true), CheckResult::NoConnection);
        QCOMPARE(prompts_.prompts.size(), std::size_t{1});
        QCOMPARE(prompts_.prompts[0].text, "Unable to connect to server at " + host +
                                               ": the connection failed (Connection refused).");
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
        QCOMPARE(Run(true), CheckResult::NoConnection);
        ExpectOnlyMessage("Tessolo Version Check",
                          ConnectionFailure("the server sent nothing for 0.4 seconds"));
    }

    void menuDuringARunningCheckSaysSoAndReportsItsResult()
    {
        server_->Serve(kRevisionsPath, "[revisions]\n");
        QSignalSpy finished(check_.get(), &UpdateCheck::Finished);
        check_->StartSilent();
        check_->StartFromMenu();
        QVERIFY(finished.wait(10000));
        QCOMPARE(server_->requests.size(), 1);
        std::vector<Prompt> messages = Messages();
        QCOMPARE(messages.size(), std::size_t{2});
        QCOMPARE(messages[0].text, std::string("Tessolo is already checking for a new version; "
                                               "the result follows when the check ends."));
        QCOMPARE(messages[1].text, std::string("You already  have the latest version"));
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

    void requestsGoThroughTheSystemsProxy()
    {
        auto restore = qScopeGuard([] {
            qunsetenv("http_proxy");
            qputenv("TESSOLO_UPDATE_HOST", QByteArray());
        });
        qputenv("http_proxy", ("http://" + server_->Host()).toUtf8());
        qputenv("TESSOLO_UPDATE_HOST", "updates.example.invalid");
        server_->Serve("http://updates.example.invalid" + kRevisionsPath, "[revisions]\n");
        QCOMPARE(Run(false), CheckResult::LatestVersion);
    }

    void refusedInstallersLeaveNothingBehind_data()
    {
        QTest::addColumn<Reply>("installer");
        QTest::addColumn<QByteArray>("checksum");
        QTest::addColumn<QString>("reason");
        QByteArray bytes = InstallerBytes();
        QTest::newRow("length not announced")
            << MakeReply(bytes, Reply::kNoLength, bytes.size() / 2) << QByteArray()
            << "the server did not announce the file's length";
        QTest::newRow("shorter than announced")
            << MakeReply(bytes, Reply::kTrueLength, 100000) << QByteArray()
            << "the connection ended after 100000 of the 200000 bytes the server announced";
        QTest::newRow("longer than announced")
            << MakeReply(bytes.left(100000), 10) << QByteArray()
            << "the server sent more than the 10 bytes it announced";
        QTest::newRow("over the limit")
            << MakeReply(bytes, qint64{600} << 20) << QByteArray()
            << "the reply is larger than 536870912 bytes";
        QTest::newRow("checksum differs")
            << MakeReply(bytes) << Sha256Field(bytes.left(1000))
            << "its SHA-256 checksum differs from the one the update server lists";
        QTest::newRow("missing") << StatusReply("404 Not Found") << QByteArray()
                                 << "the server answered 404 Not Found";
    }

    void refusedInstallersLeaveNothingBehind()
    {
        QFETCH(Reply, installer);
        QFETCH(QByteArray, checksum);
        QFETCH(QString, reason);
        server_->Serve(kRevisionsPath, "[revisions]\nTessolo.exe,1.1.2" + checksum + "\n");
        server_->Serve(kInstallerPath, installer);
        prompts_.answers = {true};
        QCOMPARE(Run(false), CheckResult::NewVersionOffered);
        std::vector<Prompt> messages = Messages();
        QCOMPARE(messages.size(), std::size_t{1});
        QCOMPARE(messages[0].caption, std::string("Tessolo"));
        QCOMPARE(messages[0].icon, PromptIcon::Error);
        QCOMPARE(messages[0].text, "Cannot download http://" + server_->Host().toStdString() +
                                       kInstallerPath.toStdString() + ": " +
                                       reason.toStdString() + ".");
        ExpectNoInstaller();
    }

    void cancelledDownloadLeavesNothingBehind()
    {
        Reply installer = MakeReply(InstallerBytes());
        installer.trickle = std::chrono::milliseconds(5);
        server_->Serve(kRevisionsPath, "[revisions]\nTessolo.exe,1.1.2\n");
        server_->Serve(kInstallerPath, installer);
        prompts_.answers = {true};
        QSignalSpy finished(check_.get(), &UpdateCheck::Finished);
        check_->StartSilent();
        QTRY_VERIFY(!prompts_.progress.empty() && prompts_.progress[0].done > 0);
        QCOMPARE(prompts_.progress[0].total, InstallerBytes().size());
        prompts_.progress[0].cancel();
        QCOMPARE(finished.size(), 1);
        QVERIFY(!prompts_.progress[0].open);
        QVERIFY(Messages().empty());
        ExpectNoInstaller();
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
