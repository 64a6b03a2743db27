// Times the whole program against cp writing the same number of bytes.
//
//   jobshop-compare <program> <instance> [runs] [folder]
//
// In a fresh folder (under `folder`, default the system's temporary folder)
// holding the instance as input.txt, each run starts the program in a new
// session (no terminal, so no key wait) with standard input from /dev/null,
// a trace from the previous run already in place; then it copies that trace
// with cp over an existing copy. Reported per run and as medians: wall time of
// both, their ratio, the program's user and system CPU time and peak resident
// memory (from wait4, microsecond resolution). Before each timed command the
// file system is synced (not timed), so neither command pays for the other's
// writeback.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Measure {
    double wallMs;
    double userMs;
    double systemMs;
    long maxRssKb;
};

Measure Run(const std::vector<std::string>& argv, const std::filesystem::path& folder) {
    // Start from a quiet disk: otherwise the writeback of the previous
    // command's 166 MB lands on whichever command runs next.
    ::sync();
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed (status %d)\n", argv[0].c_str(), status);
        std::exit(1);
    }
    auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return {std::chrono::duration<double, std::milli>(end - start).count(), ms(usage.ru_utime),
            ms(usage.ru_stime), usage.ru_maxrss};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string TraceName(const std::filesystem::path& instance) {
    std::FILE* in = std::fopen(instance.c_str(), "rb");
    char name[4096] = {};
    if (in == nullptr || std::fscanf(in, "%4095s", name) != 1) {
        std::fprintf(stderr, "cannot read the instance name from %s\n", instance.c_str());
        std::exit(1);
    }
    std::fclose(in);
    return std::string(name) + "_krok_po_kroku.txt";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <program> <instance> [runs] [folder]\n", argv[0]);
        return 2;
    }
    const std::string program = std::filesystem::absolute(argv[1]).string();
    const std::filesystem::path instance = argv[2];
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;
    const std::filesystem::path base =
        argc > 4 ? std::filesystem::path(argv[4]) : std::filesystem::temp_directory_path();
    std::string pattern = (base / "jobshop-compare-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path folder = pattern;
    std::filesystem::copy_file(instance, folder / "input.txt");
    const std::string trace = TraceName(instance);
    const std::vector<std::string> runProgram = {program};
    const std::vector<std::string> copyTrace = {"/bin/cp", trace, trace + ".copy"};

    // Warm-up: the trace and its copy exist before the first measured run.
    Run(runProgram, folder);
    Run(copyTrace, folder);
    const auto bytes = std::filesystem::file_size(folder / trace);

    std::vector<double> program_ms, cp_ms, ratio, user, system;
    long maxRss = 0;
    std::printf("%s: %ju trace bytes, folder %s\n", instance.c_str(),
                static_cast<std::uintmax_t>(bytes), base.c_str());
    std::printf("%4s %12s %10s %7s %10s %10s %10s\n", "run", "program ms", "cp ms", "ratio",
                "user ms", "system ms", "peak KiB");
    for (int r = 1; r <= runs; ++r) {
        const Measure p = Run(runProgram, folder);
        const Measure c = Run(copyTrace, folder);
        program_ms.push_back(p.wallMs);
        cp_ms.push_back(c.wallMs);
        ratio.push_back(p.wallMs / c.wallMs);
        user.push_back(p.userMs);
        system.push_back(p.systemMs);
        maxRss = std::max(maxRss, p.maxRssKb);
        std::printf("%4d %12.1f %10.1f %7.2f %10.1f %10.1f %10ld\n", r, p.wallMs, c.wallMs,
                    p.wallMs / c.wallMs, p.userMs, p.systemMs, p.maxRssKb);
    }
    std::printf("%4s %12.1f %10.1f %7.2f %10.1f %10.1f %10ld   (medians; peak is the largest)\n",
                "med", Median(program_ms), Median(cp_ms), Median(ratio), Median(user),
                Median(system), maxRss);
    std::filesystem::remove_all(folder);
    return 0;
}
