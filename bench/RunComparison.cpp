// Times the whole program against what its output costs anyway.
//
//   jobshop-compare <program> <instance> [runs] [folder]
//
// In a fresh folder (under `folder`, default the system's temporary folder)
// holding the instance as input.txt, each round times, in a new session (no
// terminal, so no key wait) with standard input from /dev/null:
//   program  the program, a trace from the previous round in place;
//   cp       cp of that trace over an existing copy;
//   floor    a replay of exactly the program's writes: the same sizes in the
//            same order, through the same file output (same block
//            reservation), of bytes computed in advance; what writing this
//            trace costs the file system, whatever the program;
//   null     the program with its trace name a symbolic link to /dev/null.
// Before each timed command the file system is synced (not timed), so no
// command pays for another's writeback. Reported per round and as medians:
// wall times, the ratios program/floor and program/cp (medians of the
// paired ratios), the program's user and system CPU time and peak resident
// memory (from wait4).
//
// The write sizes come from a run of the same code in this process, its trace
// going to a recorder of the size of every write instead of a file.
//
//   jobshop-compare --replay-writes <sizes> <trace>   (the floor; used by the above)
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <memory>

#include "driver/LoadMessages.h"
#include "driver/Run.h"
#include "driver/TraceDestination.h"

namespace {

using namespace jobshop;

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

// Records the total size of every write of a run's trace; a size of 0 marks
// where the trace is closed and opened again for appending.
class SizeRecorder final : public TraceDestination {
  public:
    std::unique_ptr<TraceSink> Open(const std::string&, FileSink::Mode) override {
        if (opened_++ > 0) sizes.push_back(0);
        return std::make_unique<Sink>(sizes);
    }
    std::vector<std::uint64_t> sizes;

  private:
    class Sink final : public TraceSink {
      public:
        explicit Sink(std::vector<std::uint64_t>& sizes) : sizes_(sizes) {}
        bool Write(std::span<const std::string_view> parts) override {
            std::uint64_t size = 0;
            for (const std::string_view part : parts) size += part.size();
            sizes_.push_back(size);
            return true;
        }
        bool Close() override { return true; }

      private:
        std::vector<std::uint64_t>& sizes_;
    };
    int opened_ = 0;
};

// The program's writes for `instance`, in order, with its trace name: the
// run itself, with its trace going to a recorder instead of a file.
std::vector<std::uint64_t> RecordWrites(const std::filesystem::path& instance,
                                        std::string& traceName) {
    Model model;
    SizeRecorder recorder;
    Status status = Status::Ok();
    if (auto refused = LoadSortedInstance(instance, model)) {
        status = Status::Failure(ProgramLoadMessage(*refused, instance.string()));
    } else {
        traceName = model.TraceFileName;
        status = RunSchedule(model, recorder);
    }
    if (!status.ok()) {
        std::fprintf(stderr, "%s: %s", instance.c_str(), status.message().c_str());
        std::exit(1);
    }
    return recorder.sizes;
}

// The floor: the recorded writes, of ready bytes, through the program's file
// output.
int ReplayWrites(const char* sizesFile, const char* trace) {
    std::vector<std::uint64_t> sizes;
    {
        std::ifstream in(sizesFile);
        for (std::uint64_t size; in >> size;) sizes.push_back(size);
    }
    const std::string bytes(*std::max_element(sizes.begin(), sizes.end()), 'x');
    auto file = FileSink::Open(trace, FileSink::Mode::kTruncate);
    for (const std::uint64_t size : sizes) {
        if (!file) return 1;
        if (size == 0) {
            if (!file->Close()) return 1;
            file = FileSink::Open(trace, FileSink::Mode::kAppend);
            continue;
        }
        const std::string_view part(bytes.data(), size);
        if (!file->Write(std::span(&part, 1))) return 1;
    }
    return file && file->Close() ? 0 : 1;
}

std::filesystem::path MakeFolder(const std::filesystem::path& base, const char* name) {
    std::string pattern = (base / name).string() + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--replay-writes")
        return ReplayWrites(argv[2], argv[3]);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <program> <instance> [runs] [folder]\n", argv[0]);
        return 2;
    }
    const std::string program = std::filesystem::absolute(argv[1]).string();
    const std::string replayer = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::filesystem::path instance = argv[2];
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;
    const std::filesystem::path base =
        argc > 4 ? std::filesystem::path(argv[4]) : std::filesystem::temp_directory_path();
    const std::filesystem::path folder = MakeFolder(base, "jobshop-compare");
    const std::filesystem::path nullFolder = MakeFolder(base, "jobshop-compare-null");
    std::filesystem::copy_file(instance, folder / "input.txt");
    std::filesystem::copy_file(instance, nullFolder / "input.txt");

    std::string trace;
    const std::vector<std::uint64_t> sizes = RecordWrites(instance, trace);
    {
        std::ofstream out(folder / "writes.txt");
        for (const std::uint64_t size : sizes) out << size << '\n';
    }
    std::filesystem::create_symlink("/dev/null", nullFolder / trace);
    const std::vector<std::string> runProgram = {program};
    const std::vector<std::string> copyTrace = {"/bin/cp", trace, trace + ".copy"};
    const std::vector<std::string> floor = {replayer, "--replay-writes", "writes.txt",
                                            trace + ".floor"};

    // Warm-up: every file exists before the first measured round.
    Run(runProgram, folder);
    Run(copyTrace, folder);
    Run(floor, folder);
    Run(runProgram, nullFolder);
    const auto bytes = std::filesystem::file_size(folder / trace);
    std::uint64_t recorded = 0;
    for (const std::uint64_t size : sizes) recorded += size;
    if (recorded != bytes || std::filesystem::file_size(folder / (trace + ".floor")) != bytes) {
        std::fprintf(stderr, "the recorded writes (%ju bytes) are not the trace (%ju bytes)\n",
                     static_cast<std::uintmax_t>(recorded), static_cast<std::uintmax_t>(bytes));
        return 1;
    }

    std::vector<double> programMs, cpMs, floorMs, nullMs, toFloor, toCp, user, system;
    long maxRss = 0;
    std::printf("%s: %ju trace bytes in %zu writes, folder %s\n", instance.c_str(),
                static_cast<std::uintmax_t>(bytes), sizes.size() - 1, base.c_str());
    std::printf("%5s %9s %8s %8s %8s %9s %7s %8s %9s %9s\n", "round", "program", "floor", "cp",
                "null", "/floor", "/cp", "user", "system", "peak KiB");
    for (int r = 1; r <= runs; ++r) {
        const Measure p = Run(runProgram, folder);
        const Measure c = Run(copyTrace, folder);
        const Measure f = Run(floor, folder);
        const Measure n = Run(runProgram, nullFolder);
        programMs.push_back(p.wallMs);
        cpMs.push_back(c.wallMs);
        floorMs.push_back(f.wallMs);
        nullMs.push_back(n.wallMs);
        toFloor.push_back(p.wallMs / f.wallMs);
        toCp.push_back(p.wallMs / c.wallMs);
        user.push_back(p.userMs);
        system.push_back(p.systemMs);
        maxRss = std::max({maxRss, p.maxRssKb, n.maxRssKb});
        std::printf("%5d %9.1f %8.1f %8.1f %8.1f %9.2f %7.2f %8.1f %9.1f %9ld\n", r, p.wallMs,
                    f.wallMs, c.wallMs, n.wallMs, p.wallMs / f.wallMs, p.wallMs / c.wallMs,
                    p.userMs, p.systemMs, std::max(p.maxRssKb, n.maxRssKb));
    }
    std::printf(
        "%5s %9.1f %8.1f %8.1f %8.1f %9.2f %7.2f %8.1f %9.1f %9ld   (ms; medians, peak "
        "the largest)\n",
        "med", Median(programMs), Median(floorMs), Median(cpMs), Median(nullMs), Median(toFloor),
        Median(toCp), Median(user), Median(system), maxRss);
    std::filesystem::remove_all(folder);
    std::filesystem::remove_all(nullFolder);
    return 0;
}
