#include "driver/ChromiumPdf.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace jobshop {
namespace {

namespace fs = std::filesystem;

// A class set of a few hundred pages prints in seconds; a browser that
// takes longer than this is stuck.
constexpr auto kPrintTimeLimit = std::chrono::minutes(5);

// `path` as a file: URL, every byte but the unreserved ones and '/' escaped.
std::string FileUrl(const fs::path& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : fs::absolute(path).string()) {
        const auto b = static_cast<unsigned char>(c);
        if (std::isalnum(b) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            url += c;
        } else {
            url += '%';
            url += kHex[b >> 4];
            url += kHex[b & 15];
        }
    }
    return url;
}

// The last line the browser wrote that says something, for a message.
std::string LastLine(const fs::path& log) {
    std::ifstream in(log);
    std::string line, last;
    while (std::getline(in, line)) {
        if (!line.empty()) last = line;
    }
    return last;
}

}  // namespace

std::optional<fs::path> FindChromium() {
    const char* path = std::getenv("PATH");
    std::string_view dirs = path ? path : "";
    for (const char* name : {"chromium", "chromium-browser"}) {
        for (std::string_view rest = dirs; !rest.empty();) {
            const std::size_t colon = rest.find(':');
            const std::string_view dir = rest.substr(0, colon);
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
            if (dir.empty()) continue;
            const fs::path candidate = fs::path(dir) / name;
            if (::access(candidate.c_str(), X_OK) == 0 && !fs::is_directory(candidate))
                return candidate;
        }
    }
    return std::nullopt;
}

// The program's environment, with TMPDIR set to `folder`.
std::vector<std::string> EnvironmentWithTemporaryFolder(const fs::path& folder) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::string_view(*e).starts_with("TMPDIR=")) continue;
        env.emplace_back(*e);
    }
    env.push_back("TMPDIR=" + folder.string());
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

std::optional<std::string> PrintToPdf(const fs::path& chromium, const fs::path& html,
                                      const fs::path& pdf, ScratchFolder& scratchFolder) {
    const fs::path& scratch = scratchFolder.path();
    const fs::path log = scratch / "chromium.log";
    std::vector<std::string> args = {chromium.string(),
                                     "--headless",
                                     "--disable-gpu",
                                     "--no-first-run",
                                     "--disable-extensions",
                                     "--disable-background-networking",
                                     "--disable-component-update",
                                     "--disable-sync",
                                     "--no-pdf-header-footer",
                                     "--disable-pdf-tagging",
                                     "--user-data-dir=" + (scratch / "profile").string(),
                                     "--print-to-pdf=" + fs::absolute(pdf).string()};
    // Chromium will not start as root inside its sandbox.
    if (::geteuid() == 0) args.push_back("--no-sandbox");
    args.push_back(FileUrl(html));
    std::vector<char*> argv = Pointers(args);
    // The browser's own temporary files go into the scratch folder too.
    std::vector<std::string> env = EnvironmentWithTemporaryFolder(scratch);
    std::vector<char*> envp = Pointers(env);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    // A group of its own, which a signal to the program ends as a whole; no
    // signal held, as the program holds them while it starts the browser.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);
    int spawned = 0;
    const pid_t child = scratchFolder.StartWorker([&] {
        pid_t started = 0;
        spawned = posix_spawn(&started, argv[0], &actions, &attributes, argv.data(), envp.data());
        return spawned == 0 ? started : 0;
    });
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return "cannot start " + chromium.string();
    // Waited for below: no longer the scratch folder's worker then.
    struct Released {
        ScratchFolder& folder;
        ~Released() { folder.Release(); }
    } released{scratchFolder};

    const auto deadline = std::chrono::steady_clock::now() + kPrintTimeLimit;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child) break;
        if (done < 0 && errno != EINTR) return "lost the browser while it printed";
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(-child, SIGKILL);
            ::waitpid(child, &status, 0);
            return chromium.string() + " did not finish printing " + html.filename().string() +
                   " in 5 minutes";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::ifstream printed(pdf, std::ios::binary);
    char magic[5] = {};
    printed.read(magic, sizeof magic);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::string_view(magic, sizeof magic) != "%PDF-") {
        const std::string said = LastLine(log);
        return chromium.string() + " did not print " + html.filename().string() +
               (said.empty() ? std::string() : ": " + said);
    }
    return std::nullopt;
}

}  // namespace jobshop
