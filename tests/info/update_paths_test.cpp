#include "info/help_entries.h"
#include "info/update_paths.h"
#include "platform/error.h"
#include "support/recording_seams.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tessolo {
namespace {

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(UpdatePaths, HostFromTheBuildUnlessTheEnvironmentNamesOne)
{
    {
        ScopedEnv unset("TESSOLO_UPDATE_HOST", nullptr);
        EXPECT_EQ(UpdateHost(), "updates.example.com");
        ScopedEnv empty("TESSOLO_UPDATE_HOST", "");
        EXPECT_EQ(UpdateHost(), "updates.example.com");
    }
    ScopedEnv local("TESSOLO_UPDATE_HOST", "127.0.0.1:8080");
    EXPECT_EQ(UpdateHost(), "127.0.0.1:8080");
    EXPECT_EQ(RevisionsFileUrl(UpdateHost()),
              "http://127.0.0.1:8080/sites/default/files/softwarerevs/revisions.txt");
}

TEST(UpdatePaths, InstallerNameAndAddress)
{
    std::string name = InstallerFileName(*VersionNumber::Parse("1.1.2.7"));
    EXPECT_EQ(name, "Tessolo_Installer_V1.1.2.deb");
    EXPECT_EQ(InstallerUrl("updates.example.com", name),
              "http://updates.example.com/sites/default/files/Tessolo_Installer_V1.1.2.deb");
    EXPECT_EQ(WebSiteUrl("updates.example.com"), "http://updates.example.com/");
}

TEST(UpdatePaths, InstallerGoesIntoTheAbsoluteDownloadFolderOnly)
{
    EXPECT_EQ(InstallerPath("/home/u/Downloads", "Tessolo_Installer_V1.1.2.deb"),
              "/home/u/Downloads/Tessolo_Installer_V1.1.2.deb");
    EXPECT_EQ(InstallerPath("/home/u/Downloads/", "T.deb"), "/home/u/Downloads/T.deb");
    EXPECT_THROW(InstallerPath("Downloads", "T.deb"), Error);
    EXPECT_THROW(InstallerPath("", "T.deb"), Error);
}

TEST(HelpEntries, DataFilesLieInShareTessoloBesideTheProgramsFolder)
{
    std::string folder = ProgramDataFolder();
    // This test program lies in <build>/tests/info, so its data folder is
    // <build>/tests/share/tessolo.
    EXPECT_TRUE(folder.ends_with("/tests/share/tessolo")) << folder;
    EXPECT_EQ(ChangeLogPath("/opt/my apps/share/tessolo"),
              "/opt/my apps/share/tessolo/ChangeLog.txt");
    EXPECT_EQ(UserGuidePath("/opt/my apps/share/tessolo"),
              "/opt/my apps/share/tessolo/help/index.html");
}

TEST(HelpEntries, HelpOpensTheUserGuideAndWebOpensTheUpdateHostsSite)
{
    test::RecordingDesktop desktop;
    OpenUserGuide(desktop, "/opt/my apps/share/tessolo");
    EXPECT_EQ(desktop.files, std::vector<std::string>{"/opt/my apps/share/tessolo/help/index.html"});
    ScopedEnv host("TESSOLO_UPDATE_HOST", "www.example.org");
    OpenWebSite(desktop);
    EXPECT_EQ(desktop.urls, std::vector<std::string>{"http://www.example.org/"});
}

}  // namespace
}  // namespace tessolo
