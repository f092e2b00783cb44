// tessolo-cli running as a child process that a test can signal, its output
// in files, and the waits that go with it.
#pragma once

#include "platform/files.h"
#include "slurp.h"
#include "support/testdata.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

namespace tessolo::test {

// Generous: the sanitizer builds are several times slower.
constexpr std::chrono::seconds kProcessBound{30};

// Polls until `done` holds; false when it did not within the bound.
inline bool Eventually(const std::function<bool()>& done)
{
    using namespace std::chrono_literals;
    for (auto deadline = std::chrono::steady_clock::now() + kProcessBound;
         std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(20ms))
        if (done())
            return true;
    return false;
}

// The temporary files of a build or a save left in `folder`.
inline std::vector<std::string> TemporaryFilesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (IsTemporaryFileName(entry.path().filename().string()))
            found.push_back(entry.path().filename().string());
    return found;
}

class CliProcess {
public:
    // Starts tessolo-cli with `arguments` (shell-quoted where needed), its
    // settings store in `scratch`, in `workingFolder` when one is given.
    CliProcess(const TempDir& scratch, const std::string& arguments,
               const std::string& workingFolder = "")
        : out_(scratch / "cli.out"), err_(scratch / "cli.err")
    {
        std::string command = "exec " + std::string(TESSOLO_CLI) + " " + arguments + " >" + out_ +
                              " 2>" + err_;
        if (!workingFolder.empty())
            command = "cd " + workingFolder + " && " + command;
        std::string config = "XDG_CONFIG_HOME=" + (scratch / "config");
        WriteFileReplacing(out_, {});  // readable before the child opens them
        WriteFileReplacing(err_, {});
        pid_ = ::fork();
        if (pid_ == 0) {
            ::putenv(config.data());
            ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~CliProcess()
    {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    std::string Err() const { return Slurp(err_); }
    std::string Out() const { return Slurp(out_); }

    // Sends `signal` and waits for the program to end; its exit status, or
    // -1 when a signal ended it or it did not end in time.
    int EndWith(int signal)
    {
        ::kill(pid_, signal);
        return WaitForExit();
    }
    int WaitForExit()
    {
        using namespace std::chrono_literals;
        for (auto deadline = std::chrono::steady_clock::now() + kProcessBound;
             std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(20ms)) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
        }
        return -1;
    }

private:
    std::string out_, err_;
    pid_t pid_ = -1;
    bool exited_ = false;
};

}  // namespace tessolo::test
