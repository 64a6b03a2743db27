// The built programs as separate processes: what only a process shows
// (closed or full standard output, a file-size limit, signals, memory).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "driver/Run.h"
#include "formats/Generator.h"

namespace jobshop {
namespace {

namespace fs = std::filesystem;
using testing::BuiltProgram;
using testing::FolderContent;
using testing::ProcessSetup;
using testing::ReadText;
using testing::RunProcess;
using testing::SourcePath;
using testing::TempFolder;
using testing::WriteText;

// Every program: standard output full or closed is a failure with a
// message, after --help as after a run.
TEST(Programs, FailedStandardOutputFails) {
    struct Case {
        const char* program;
        std::vector<std::string> args;
    };
    const std::string ft06 = SourcePath("benchmarks/ft06.txt").string();
    const Case cases[] = {
        {"jobshop-convert", {"--help"}},
        {"jobshop-convert", {ft06}},
        {"jobshop-quality", {"--help"}},
        {"jobshop-quality", {"."}},
        {"jobshop-replay", {"--help"}},
        {"jobshop-replay", {ft06}},
        {"jobshop-generate", {"--help"}},
        {"jobshop-generate", {"--jobs", "3", "--machines", "3"}},
        {"jobshop-class", {"--help"}},
        {"jobshop-class", {"--students", "2", "--jobs", "2", "--machines", "2", "-o", "set"}},
    };
    for (const auto out : {ProcessSetup::Output::kDiskFull, ProcessSetup::Output::kClosed}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.program) + " " + (c.args.empty() ? "" : c.args[0]) +
                         (out == ProcessSetup::Output::kClosed ? " >&-" : " >/dev/full"));
            TempFolder folder;
            WriteText(folder / "ft06.txt", ReadText(ft06));
            WriteText(folder / "bounds.tsv", "name\tlower_bound\tupper_bound\nft06\t55\t55\n");
            const testing::ProcessResult run =
                RunProcess(folder.path(), BuiltProgram(c.program), c.args, {.out = out});
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.err.find("standard"), std::string::npos) << run.err;
        }
    }
}

// A file-size limit (ulimit -f) makes a write fail: each program reports it
// as such and leaves no temporary file; jobshop-insert with its own message.
TEST(Programs, FileSizeLimitIsAFailedWrite) {
    struct Case {
        const char* program;
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {"jobshop-insert", {}, "\nBlad: nie mozna zapisac pliku ta71_krok_po_kroku.txt.\n"},
        {"jobshop-replay", {}, "\nBlad: nie mozna zapisac pliku ta71_krok_po_kroku.html.\n"},
        {"jobshop-convert",
         {"input.txt", "--from", "program", "--to", "standard", "-o", "out.txt"},
         "jobshop-convert: out.txt: cannot write: File too large\n"},
        {"jobshop-generate",
         {"--jobs", "100", "--machines", "100", "-o", "out.txt"},
         "jobshop-generate: out.txt: cannot write: File too large\n"},
        {"jobshop-class",
         {"--students", "2", "--jobs", "3", "--machines", "3", "-o", "set"},
         "jobshop-class: set/arkusze.html: cannot write: File too large\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        TempFolder folder;
        WriteText(folder / "input.txt", ReadText(SourcePath("bench/instances/ta71.txt")));
        const testing::ProcessResult run =
            RunProcess(folder.path(), BuiltProgram(c.program), c.args, {.fileSizeLimit = 4096});
        EXPECT_EQ(run.signal, 0);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, c.message);
        for (const std::string& name : FolderContent(folder.path())) {
            EXPECT_FALSE(name.starts_with(".jobshop")) << name;
            EXPECT_NE(name, "set") << "a class set's folder made for files that failed";
            // No disk space stays reserved past what the file holds.
            struct stat info {};
            ASSERT_EQ(::stat((folder / name).c_str(), &info), 0);
            EXPECT_LT(info.st_blocks * 512, 1 << 20) << name;
        }
    }
}

// A signal while an output is written takes its temporary file with it. The
// data goes to a FIFO nobody reads, so the program waits there with the page
// written to its temporary file.
TEST(Programs, InterruptedReplayRemovesItsTemporaryFile) {
    TempFolder folder;
    WriteText(folder / "input.txt", ReadText(SourcePath("benchmarks/ft06.txt")));
    ASSERT_EQ(::mkfifo((folder / "data").c_str(), 0600), 0);
    const pid_t child = testing::StartProcess(folder.path(), BuiltProgram("jobshop-replay"),
                                              {"-o", "page.html", "--json", "data"});
    const auto hidden = [&folder] {
        for (const std::string& name : FolderContent(folder.path())) {
            if (name.starts_with(".jobshop-replay")) return true;
        }
        return false;
    };
    for (int wait = 0; wait < 500 && !hidden(); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(hidden());
    ::kill(child, SIGTERM);
    const testing::ProcessResult run = testing::FinishProcess(child, folder.path());
    EXPECT_EQ(run.signal, SIGTERM);
    EXPECT_EQ(FolderContent(folder.path()), (std::vector<std::string>{"data", "input.txt"}));
    EXPECT_TRUE(fs::is_fifo(folder / "data"));
}

// The same with more files at once than the program keeps room for at
// start: a class of instances, the last of which is a FIFO nobody reads.
TEST(Programs, InterruptedGenerateRemovesAllItsTemporaryFiles) {
    TempFolder folder;
    constexpr int kCount = 40;
    const std::string last = GeneratedName(2, 2, ClassSeeds(5, kCount - 1), TimeRange{}) + ".txt";
    ASSERT_EQ(::mkfifo((folder / last).c_str(), 0600), 0);
    const pid_t child = testing::StartProcess(folder.path(), BuiltProgram("jobshop-generate"),
                                              {"--jobs", "2", "--machines", "2", "--seed", "5",
                                               "--count", std::to_string(kCount), "-o", "."});
    const auto staged = [&folder] {
        int hidden = 0;
        for (const std::string& name : FolderContent(folder.path())) {
            hidden += name.starts_with(".jobshop-generate");
        }
        return hidden;
    };
    for (int wait = 0; wait < 500 && staged() < kCount - 1; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(staged(), kCount - 1);
    ::kill(child, SIGTERM);
    const testing::ProcessResult run = testing::FinishProcess(child, folder.path());
    EXPECT_EQ(run.signal, SIGTERM);
    EXPECT_EQ(FolderContent(folder.path()), std::vector<std::string>{last});
}

// jobshop-class --pdf ended by a signal while the browser prints: the
// browser goes, and so does the scratch folder with the browser's profile
// and temporary files. The browser here makes a profile, says its process
// id and waits, as one printing a long class set does.
TEST(Programs, InterruptedClassPrintLeavesNothingBehind) {
    TempFolder folder, temporary, bin;
    const fs::path pid = bin / "browser.pid";
    WriteText(bin / "chromium",
              "#!/bin/sh\nfor a; do case $a in --user-data-dir=*) d=${a#--user-data-dir=};\n"
              "  mkdir -p \"$d/Default/Cache\" \"$TMPDIR/.org.chromium.x\" && echo 1 > "
              "\"$d/Default/Cache/data\";;\nesac; done\necho $$ > '" +
                  pid.string() + "'\nexec sleep 60\n");
    fs::permissions(bin / "chromium", fs::perms::owner_all);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    const char* tmpdir = std::getenv("TMPDIR");
    const std::string savedTmpdir = tmpdir ? tmpdir : "";
    ::setenv("PATH", (bin.path().string() + ":" + path).c_str(), 1);
    ::setenv("TMPDIR", temporary.path().c_str(), 1);
    const pid_t child = testing::StartProcess(
        folder.path(), BuiltProgram("jobshop-class"),
        {"--students", "2", "--jobs", "2", "--machines", "2", "--pdf", "-o", "set"});
    ::setenv("PATH", path.c_str(), 1);
    if (tmpdir) {
        ::setenv("TMPDIR", savedTmpdir.c_str(), 1);
    } else {
        ::unsetenv("TMPDIR");
    }
    for (int wait = 0; wait < 1000 && ReadText(pid).empty(); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const pid_t browser = std::atoi(ReadText(pid).c_str());
    ASSERT_GT(browser, 0);
    EXPECT_EQ(FolderContent(temporary.path()).size(), 1u);
    ::kill(child, SIGTERM);
    EXPECT_EQ(testing::FinishProcess(child, folder.path()).signal, SIGTERM);
    EXPECT_EQ(FolderContent(temporary.path()), std::vector<std::string>{});
    EXPECT_NE(::kill(browser, 0), 0) << "the browser is still running";
    EXPECT_FALSE(fs::exists(folder / "set"));
}

// A class is made one instance at a time, in the memory of one; a folder
// the run made goes again when the run fails or is ended by a signal, one
// that was there stays.
TEST(Programs, GenerateMakesAClassOneInstanceAtATime) {
    TempFolder folder;
    const auto args = [](const char* output) {
        return std::vector<std::string>{"--jobs", "300",     "--machines", "300", "--seed",
                                        "3",      "--count", "30",         "-o",  output};
    };
    const std::string program = BuiltProgram("jobshop-generate");
    const testing::ProcessResult made = RunProcess(folder.path(), program, args("made"));
    EXPECT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(FolderContent(folder / "made").size(), 30u);
    if (!testing::kSanitized) {
        EXPECT_LT(made.peakKilobytes, 12 * 1024);  // the class: 17 MB
    }

    const pid_t child = testing::StartProcess(folder.path(), program, args("killed"));
    for (int wait = 0; wait < 5000 && !fs::exists(folder / "killed"); ++wait) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ::kill(child, SIGTERM);
    EXPECT_EQ(testing::FinishProcess(child, folder.path()).signal, SIGTERM);

    fs::create_directory(folder / "kept");
    for (const char* output : {"failed", "kept"}) {
        const testing::ProcessResult run =
            RunProcess(folder.path(), program, args(output), {.fileSizeLimit = 4096});
        EXPECT_EQ(run.status, 1) << output;
    }
    EXPECT_EQ(FolderContent(folder.path()), (std::vector<std::string>{"kept", "made"}));
    EXPECT_TRUE(FolderContent(folder / "kept").empty());
}

// Reading ends at once on an endless device, with a message, in little
// memory.
TEST(Programs, ConvertEndsOnEndlessInput) {
    for (const char* device : {"/dev/zero", "/dev/urandom"}) {
        SCOPED_TRACE(device);
        TempFolder folder;
        const testing::ProcessResult run =
            RunProcess(folder.path(), BuiltProgram("jobshop-convert"), {device},
                       {.limitMemory = true, .timeoutSeconds = 10});
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.status, 1);
        // Random bytes may hold a line break before the first control byte.
        const std::string line = device == std::string("/dev/zero") ? ":1:" : ":";
        EXPECT_EQ(run.err.rfind("jobshop-convert: " + std::string(device) + line, 0), 0u)
            << run.err;
        EXPECT_NE(run.err.find(": not a text file (it holds the byte 0x"), std::string::npos)
            << run.err;
        EXPECT_LT(run.peakKilobytes, 64 * 1024);
    }
}

// A large file takes a small multiple of its size: the text, the instance
// and the converted text, not a token table eight times the text.
TEST(Programs, ConvertMemoryFollowsTheFile) {
    if (testing::kSanitized) GTEST_SKIP() << "the sanitizers' memory is not the program's";
    TempFolder folder;
    std::mt19937 rng(15);
    constexpr int kJobs = 2000;
    constexpr int kMachines = 500;
    std::string text = std::to_string(kJobs) + " " + std::to_string(kMachines) + "\n";
    std::vector<int> machines(kMachines);
    for (int job = 0; job < kJobs; ++job) {
        for (int m = 0; m < kMachines; ++m) machines[m] = m;
        std::shuffle(machines.begin(), machines.end(), rng);
        for (int m = 0; m < kMachines; ++m) {
            text += std::to_string(machines[m]) + " " + std::to_string(1 + rng() % 99) + " ";
        }
        text += "\n";
    }
    WriteText(folder / "big.txt", text);
    const testing::ProcessResult run =
        RunProcess(folder.path(), BuiltProgram("jobshop-convert"), {"big.txt", "-o", "out.txt"});
    EXPECT_EQ(run.status, 0) << run.err;
    const long fileKilobytes = static_cast<long>(text.size() / 1024);
    EXPECT_LT(run.peakKilobytes, 4 * fileKilobytes + 8 * 1024)
        << "file " << fileKilobytes << " KiB";
}

}  // namespace
}  // namespace jobshop
