// The update check where it meets the desktop program: the real message
// boxes and the program's own shutdown.
#include "app/qt_user_prompts.h"
#include "app/spritemain.h"
#include "app/tessolo_app.h"
#include "support/recording_seams.h"
#include "test_http_server.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace tessolo;

namespace {

// Counts the close events that a window accepts.
class CloseCounter : public QObject {
public:
    explicit CloseCounter(QWidget& window) { window.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        closes += event->type() == QEvent::Close;
        return false;
    }
    int closes = 0;
};

}  // namespace

class UpdateWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> temp_;
    std::unique_ptr<test::TestHttpServer> server_;

private slots:
    void init()
    {
        for (const char* name : {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY",
                                 "HTTPS_PROXY", "ALL_PROXY"})
            qunsetenv(name);
        temp_ = std::make_unique<QTemporaryDir>();
        qputenv("HOME", temp_->path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (temp_->path() + "/config").toUtf8());
        server_ = std::make_unique<test::TestHttpServer>();
        qputenv("TESSOLO_UPDATE_HOST", server_->Host().toUtf8());
    }

    void cleanup()
    {
        server_.reset();
        temp_.reset();
    }

    // Two newer versions, and Yes to every question: one question, one
    // installer, and one close that ends the event loop and saves the store.
    void anAcceptedOfferEndsTheProgramOnceThroughTheOrderlyShutdown()
    {
        server_->Serve("/sites/default/files/softwarerevs/revisions.txt",
                       "[revisions]\r\nTessolo.exe,1.1.2\r\nTessolo.exe,1.1.3\r\n");
        server_->Serve("/sites/default/files/Tessolo_Installer_V1.1.2.deb", "package 1.1.2");
        server_->Serve("/sites/default/files/Tessolo_Installer_V1.1.3.deb", "package 1.1.3");
        QtUserPrompts prompts;
        test::RecordingDesktop desktop;
        auto app = std::make_unique<TessoloApp>(prompts, desktop);
        prompts.SetParent(&app->MainForm());
        CloseCounter counter(app->MainForm());

        QStringList questions;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            if (QAbstractButton* yes = box->button(QMessageBox::Yes)) {
                questions << box->text();
                yes->click();
            } else {
                box->accept();
            }
        });
        answerer.start(20);
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(2); });
        watchdog.start(20000);

        app->Show();
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(questions.size(), 1);
        QVERIFY(questions[0].startsWith("There is a new version (1.1.3) available"));
        QCOMPARE(counter.closes, 1);
        QCOMPARE(desktop.files.size(), std::size_t{1});
        QVERIFY(!QFile::exists(temp_->path() + "/config/Veltrand/Tessolo.reg"));
        app.reset();
        QVERIFY(QFile::exists(temp_->path() + "/config/Veltrand/Tessolo.reg"));
    }

    // Text from the update server may hold markup; no box reads it as such.
    void everyBoxShowsItsTextAsPlainText()
    {
        const QString text = "Reason: <b>bold</b><img src=\"file:///picture.png\">";
        QtUserPrompts prompts;
        std::vector<std::pair<Qt::TextFormat, QString>> shown;
        auto inspectNextBox = [&] {
            QTimer::singleShot(0, this, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box != nullptr);
                shown.emplace_back(box->textFormat(), box->text());
                box->buttons().front()->click();
            });
        };
        inspectNextBox();
        prompts.Show("Caption", text.toStdString(), PromptIcon::Warning);
        inspectNextBox();
        prompts.AskYesNo("Caption", text.toStdString());
        std::unique_ptr<ProgressPrompt> progress =
            prompts.ShowProgress("Caption", text.toStdString(), [] {});
        auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        QLabel* label = dialog->findChild<QLabel*>();
        QVERIFY(label != nullptr);
        shown.emplace_back(label->textFormat(), label->text());

        QCOMPARE(shown.size(), std::size_t{3});
        for (const auto& [format, shownText] : shown) {
            QCOMPARE(format, Qt::PlainText);
            QCOMPARE(shownText, text);
        }
    }
};

QTEST_MAIN(UpdateWindowTest)
#include "update_window_test.moc"
