// Times the desktop program against the command line in one run: from start
// to a shown main window that lists a folder of 2 000 icons (and until their
// thumbnails are in), and a build of 1 000 icons from the window and through
// tessolo-cli. Run offscreen: QT_QPA_PLATFORM=offscreen window_timing
#include "app/spritemain.h"
#include "app/tessolo_app.h"
#include "app/thumbnails.h"
#include "codecs/bmp/bmp_codec.h"
#include "settings/settings_store.h"
#include "sprite/sprite_build.h"
#include "platform/bitmap.h"
#include "platform/files.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kIcons = 1000;
constexpr int kListedIcons = 2000;
constexpr int kRuns = 5;

class SilentPrompts : public tessolo::UserPrompts {
public:
    void Show(const std::string& caption, const std::string& text, tessolo::PromptIcon) override
    {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    std::unique_ptr<tessolo::ProgressPrompt> ShowProgress(const std::string&, const std::string&,
                                                          std::function<void()>) override
    {
        return nullptr;  // never asked: every question is answered No
    }
};

class NoDesktop : public tessolo::DesktopServices {
public:
    void OpenUrl(const std::string&) override {}
    void OpenFile(const std::string&) override {}
};

void WriteIcons(const QString& folder, int count = kIcons)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        tessolo::Bitmap icon(16, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                icon.SetPixel(x, y, tessolo::MakeColor(i % 256, x * 16, y * 16));
        char name[32];
        std::snprintf(name, sizeof name, "/icon%04d.bmp", i);
        tessolo::WriteFileReplacing((folder + name).toStdString(), tessolo::EncodeBmp(icon, 6));
    }
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir temp;
    qputenv("XDG_CONFIG_HOME", (temp.path() + "/config").toUtf8());
    // The start-up update check asks a port of this machine where nothing
    // listens, so it ends at once and sends nothing out.
    qputenv("TESSOLO_UPDATE_HOST", "127.0.0.1:9");
    const QString listed = temp.path() + "/listed";
    WriteIcons(listed, kListedIcons);
    {
        tessolo::FormatPrefsSet records;
        tessolo::OrvaneRegistry store(records);  // saved as it goes: the window starts there
        store.DefaultPath = listed.toStdString();
    }

    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication application(argc, argv);
    double applicationReady = sinceStart.nsecsElapsed() / 1e6;
    SilentPrompts prompts;
    NoDesktop desktop;
    tessolo::TessoloApp app(prompts, desktop);
    app.Show();
    tessolo::TSpriteform& form = app.MainForm();
    auto* available = form.findChild<QListWidget*>("FileListBox");
    while (!form.windowHandle()->isExposed() || available->count() < kListedIcons)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    QApplication::processEvents();
    double shown = sinceStart.nsecsElapsed() / 1e6;
    form.Thumbnails().WaitForDone();
    double thumbnails = sinceStart.nsecsElapsed() / 1e6;
    std::printf("start to shown main window listing %d icons: %.1f ms (of which QApplication "
                "%.1f ms); every thumbnail in after %.1f ms\n",
                available->count(), shown, applicationReady, thumbnails);

    QString window = temp.path() + "/window", cli = temp.path() + "/cli";
    WriteIcons(window);
    WriteIcons(cli);

    form.ShowFolder(window);
    available->selectAll();
    form.InBtnClick();
    form.Thumbnails().WaitForDone();  // no decoding beside the builds
    // The same build without a window, for the cost of showing it.
    struct : tessolo::BuildObserver {
        void ValidationFailed(const std::string&) override {}
        void CannotOpen(const std::string&) override {}
        void ErrorReport(const std::string&) override {}
    } quiet;
    tessolo::SpriteBuilder core;
    std::vector<double> windowTimes, coreTimes, cliTimes;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        form.MakeSprites();
        while (form.Building())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        windowTimes.push_back(timer.nsecsElapsed() / 1e6);

        timer.restart();
        core.MakeSprites(form.Model().Inputs(), tessolo::BuildSettings(), quiet);
        coreTimes.push_back(timer.nsecsElapsed() / 1e6);

        timer.restart();
        QProcess tool;
        tool.start(TESSOLO_CLI, {"--settings", temp.path() + "/cli.reg", cli});
        tool.waitForFinished(-1);
        cliTimes.push_back(timer.nsecsElapsed() / 1e6);
        if (tool.exitCode() != 0)
            std::fprintf(stderr, "tessolo-cli failed: %s\n", tool.readAllStandardError().constData());
    }
    double windowTime = Median(windowTimes), coreTime = Median(coreTimes), cliTime = Median(cliTimes);
    std::printf("%d-icon build, median of %d runs:\n", kIcons, kRuns);
    std::printf("  window %.1f ms, tessolo-cli %.1f ms (whole process), ratio %.2f\n", windowTime,
                cliTime, windowTime / cliTime);
    std::printf("  window %.1f ms, same build in-process without a window %.1f ms, ratio %.2f\n",
                windowTime, coreTime, windowTime / coreTime);
    form.close();
    return 0;
}
