#include "driver/Console.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iterator>

namespace jobshop {
namespace {

// The terminal state to put back if a signal ends the wait.
int gTerminal = -1;
termios gSaved{};

extern "C" void RestoreTerminalAndReraise(int signal) {
    ::tcsetattr(gTerminal, TCSANOW, &gSaved);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

}  // namespace

void WaitForKeyPress() {
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return;
    termios saved{};
    if (::tcgetattr(fd, &saved) != 0) {
        ::close(fd);
        return;
    }
    gTerminal = fd;
    gSaved = saved;
    struct sigaction restore {};
    restore.sa_handler = RestoreTerminalAndReraise;
    sigemptyset(&restore.sa_mask);
    struct sigaction previous[std::size(kEndingSignals)];
    for (std::size_t s = 0; s < std::size(kEndingSignals); ++s) {
        ::sigaction(kEndingSignals[s], &restore, &previous[s]);
    }

    termios raw = saved;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &raw) == 0) {
        char key = 0;
        while (::read(fd, &key, 1) < 0 && errno == EINTR) {
        }
        ::tcsetattr(fd, TCSANOW, &saved);
    }

    for (std::size_t s = 0; s < std::size(kEndingSignals); ++s) {
        ::sigaction(kEndingSignals[s], &previous[s], nullptr);
    }
    gTerminal = -1;
    ::close(fd);
}

void PrepareProcess() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free number: fd itself, as those below it are open.
        const int held = ::open("/dev/null", O_RDONLY);
        if (held >= 0 && held != fd) ::close(held);
    }
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace jobshop
