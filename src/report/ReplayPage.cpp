#include "report/ReplayPage.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace jobshop {
namespace {

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t wrote = ::write(fd, content.data(), content.size());
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        content.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return true;
}

// A name beside `path` that no other writer uses: hidden, with the process
// id and a counter.
std::filesystem::path TemporaryName(const std::filesystem::path& path) {
    static std::atomic<unsigned> counter{0};
    std::string name = ".";
    name.append(path.filename().string());
    name.append(".tmp-");
    name.append(std::to_string(::getpid()));
    name.push_back('-');
    name.append(std::to_string(counter++));
    return path.parent_path() / name;
}

}  // namespace

std::string ReplayPage(std::string_view json) {
    const std::string_view page = ReplayPageTemplate();
    const std::size_t at = page.find(kReplayDataMarker);
    std::string out;
    out.reserve(page.size() + json.size());
    out.append(page.substr(0, at));
    out.append(json);
    out.append(page.substr(at + kReplayDataMarker.size()));
    return out;
}

bool WriteWholeFile(const std::filesystem::path& path, std::string_view content) {
    if (path.filename().empty()) return false;
    std::filesystem::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = TemporaryName(path);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    // On the disk before the rename makes it visible, so a crash cannot
    // leave a complete-looking name over a partial file.
    bool ok = WriteAll(fd, content) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

}  // namespace jobshop
