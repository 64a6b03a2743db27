#include "TestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <sstream>
#include <thread>
#include <vector>

#include "driver/InsertionOrder.h"
#include "driver/LoadMessages.h"
#include "driver/Run.h"
#include "formats/Loader.h"

namespace jobshop::testing {

std::filesystem::path SourcePath(std::string_view relative) {
    return std::filesystem::path(JOBSHOP_SOURCE_DIR) / relative;
}

Model LoadText(std::string_view text) {
    Model model;
    const std::optional<LoadError> refused = LoadInstance(text, model);
    EXPECT_FALSE(refused) << ProgramLoadMessage(*refused, "input.txt");
    SortInsertionOrder(model);
    return model;
}

RunResult RunInFolder(const std::filesystem::path& folder) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunProgram(in, out, err, folder);
    return {status, out.str(), err.str()};
}

RunResult RunCommand(const std::function<int(std::ostream& out, std::ostream& err)>& command) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = command(out, err);
    return {status, out.str(), err.str()};
}

namespace {

// In the child: the standard streams as `setup` says, the limits, the program.
[[noreturn]] void StartChild(const std::filesystem::path& folder, const std::string& program,
                             const std::vector<std::string>& args, const ProcessSetup& setup) {
    const auto redirect = [](const std::filesystem::path& path, int flags, int fd) {
        const int opened = ::open(path.c_str(), flags, 0644);
        if (opened < 0 || ::dup2(opened, fd) < 0) ::_exit(126);
        ::close(opened);
    };
    if (::chdir(folder.c_str()) != 0 || ::setsid() < 0) ::_exit(126);
    redirect("/dev/null", O_RDONLY, 0);
    redirect(".stderr", O_WRONLY | O_CREAT | O_TRUNC, 2);
    switch (setup.out) {
        case ProcessSetup::Output::kCaptured:
            redirect(".stdout", O_WRONLY | O_CREAT | O_TRUNC, 1);
            break;
        case ProcessSetup::Output::kDiskFull:
            redirect("/dev/full", O_WRONLY, 1);
            break;
        case ProcessSetup::Output::kClosed:
            ::close(1);
            break;
    }
    if (setup.limitMemory && !kSanitized) {
        const rlimit limit{256u << 20, 256u << 20};
        if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(126);
    }
    if (setup.fileSizeLimit > 0) {
        const rlimit limit{static_cast<rlim_t>(setup.fileSizeLimit),
                           static_cast<rlim_t>(setup.fileSizeLimit)};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
    }
    // As a shell starts a program: no signal blocked, none ignored.
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    for (const int s : {SIGPIPE, SIGXFSZ, SIGTERM, SIGINT}) std::signal(s, SIG_DFL);
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

}  // namespace

std::string BuiltProgram(std::string_view name) {
    return (std::filesystem::path(JOBSHOP_PROGRAM).parent_path() / name).string();
}

pid_t StartProcess(const std::filesystem::path& folder, const std::string& program,
                   const std::vector<std::string>& args, const ProcessSetup& setup) {
    const pid_t child = ::fork();
    if (child == 0) StartChild(folder, program, args, setup);
    return child;
}

ProcessResult FinishProcess(pid_t child, const std::filesystem::path& folder,
                            const ProcessSetup& setup) {
    const auto start = std::chrono::steady_clock::now();
    int raw = 0;
    rusage usage{};
    bool timedOut = false;
    while (::wait4(child, &raw, WNOHANG, &usage) == 0) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(setup.timeoutSeconds)) {
            ::kill(child, SIGKILL);
            ::wait4(child, &raw, 0, &usage);
            timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    ProcessResult result{{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(folder / ".stdout"),
                          ReadText(folder / ".stderr")},
                         timedOut,
                         took.count(),
                         usage.ru_maxrss,
                         WIFSIGNALED(raw) ? WTERMSIG(raw) : 0};
    std::filesystem::remove(folder / ".stdout");
    std::filesystem::remove(folder / ".stderr");
    return result;
}

ProcessResult RunProcess(const std::filesystem::path& folder, const std::string& program,
                         const std::vector<std::string>& args, const ProcessSetup& setup) {
    return FinishProcess(StartProcess(folder, program, args, setup), folder, setup);
}

ProcessResult RunProgramProcess(const std::filesystem::path& folder, const ProcessSetup& setup) {
    return RunProcess(folder, JOBSHOP_PROGRAM, {}, setup);
}

}  // namespace jobshop::testing
