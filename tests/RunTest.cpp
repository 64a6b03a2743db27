// Whole runs in-process: the console dialogue, rejections and failures.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <thread>

#include "TestSupport.h"
#include "driver/Run.h"
#include "report/TraceOutput.h"

namespace jobshop {
namespace {

using testing::FolderContent;
using testing::ReadText;
using testing::RunInFolder;
using testing::TempFolder;
using testing::WriteText;

const std::string kPrompt = std::string(kStartTexts[0]) + kStartTexts[1] + kStartTexts[2];

TEST(Run, StartTextsThenFinalText) {
    TempFolder folder;
    WriteText(folder / "input.txt", "demo 2 2 1 1 2 2 2 3 1 4");
    const testing::RunResult run = RunInFolder(folder.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "\nProsze upewnic sie, ze w katalogu z aplikacja znajduje sie plik INPUT.TXT !!!"
              "\nPlik powinien zawierac nazwe i rozmiar instancji oraz zadania.\n"
              "\nNacisnij ENTER aby kontynuowac.\n\n"
              "\nWygenerowano plik wyjsciowy!");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(FolderContent(folder.path()),
              (std::vector<std::string>{"demo_krok_po_kroku.txt", "input.txt"}));
}

// A stream that puts input.txt in place at the moment the user confirms.
class ConfirmingStream : public std::streambuf {
  public:
    ConfirmingStream(std::filesystem::path file, std::string text)
        : file_(std::move(file)), text_(std::move(text)) {}

  protected:
    int_type underflow() override {
        if (confirmed_) return traits_type::eof();
        confirmed_ = true;
        WriteText(file_, text_);
        setg(&enter_, &enter_, &enter_ + 1);
        return traits_type::to_int_type(enter_);
    }

  private:
    std::filesystem::path file_;
    std::string text_;
    char enter_ = '\n';
    bool confirmed_ = false;
};

TEST(Run, ReadsTheInstanceOnlyAfterEnter) {
    TempFolder folder;
    WriteText(folder / "input.txt", "broken 1");
    ConfirmingStream confirm(folder / "input.txt", "fixed 1 1 1 3");
    std::istream in(&confirm);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunProgram(in, out, err, folder.path()), 0) << err.str();
    EXPECT_TRUE(std::filesystem::exists(folder / "fixed_krok_po_kroku.txt"));
}

// Every rejection: the message on standard error, exit status 1, no final
// text, and no trace file left behind.
TEST(Run, RejectedInputWritesNothing) {
    struct Case {
        std::string input;  // "" with no file at all when `present` is false
        bool present;
        std::string message;
    };
    const std::string prefix = "\nBlad w pliku input.txt: ";
    const Case cases[] = {
        {"", false, "\nBlad: nie mozna otworzyc pliku input.txt.\n"},
        {"", true, "\nBlad: plik input.txt jest pusty.\n"},
        {"x", true, prefix + "brak liczby: liczba zadan.\n"},
        {"x 2 2 1 5 2 1 1", true, prefix + "brak liczby: czas operacji 3 (zadanie 2).\n"},
        {"x 2 y", true, prefix + "niepoprawna liczba \"y\": liczba maszyn.\n"},
        {"x 0 -1", true, prefix + "liczba zadan i liczba maszyn nie moga byc ujemne.\n"},
        {"x 1 2 1 1 9 1", true,
         prefix + "maszyna 9 spoza zakresu 1..2: maszyna operacji 2 (zadanie 1).\n"},
        {"x 100000 100000", true, prefix + "instancja jest zbyt duza.\n"},
        {"../x 1 1 1 1", true, prefix + "nazwa instancji nie moze zawierac znakow / ani \\.\n"},
        {std::string(238, 'n') + " 1 1 1 1", true, prefix + "nazwa instancji jest zbyt dluga.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        TempFolder folder;
        if (c.present) WriteText(folder / "input.txt", c.input);
        const testing::RunResult run = RunInFolder(folder.path());
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, c.message);
        EXPECT_EQ(run.out, kPrompt);
        EXPECT_EQ(FolderContent(folder.path()),
                  c.present ? std::vector<std::string>{"input.txt"} : std::vector<std::string>{});
    }
}

TEST(Run, FolderNamedInputTxtIsRejected) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "input.txt");
    const testing::RunResult run = RunInFolder(folder.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "\nBlad: nie mozna otworzyc pliku input.txt.\n");
    EXPECT_EQ(run.out, kPrompt);
}

// A trace that cannot be written is a failure, never a success. The message
// shows the trace's name with control bytes escaped.
TEST(Run, UnwritableTraceFails) {
    struct Case {
        const char* what;
        std::string name;
        void (*block)(const std::filesystem::path& trace);
        std::string shown;
    };
    const Case cases[] = {
        {"disk full", "demo",
         [](const std::filesystem::path& trace) {
             std::filesystem::create_symlink("/dev/full", trace);
         },
         "demo"},
        {"directory in the way", "demo",
         [](const std::filesystem::path& trace) { std::filesystem::create_directory(trace); },
         "demo"},
        {"terminal control in the name", "e\x1b[2J\x07",
         [](const std::filesystem::path& trace) { std::filesystem::create_directory(trace); },
         "e\\x1b[2J\\x07"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        WriteText(folder / "input.txt", c.name + " 2 2 1 1 2 2 2 3 1 4");
        c.block(folder / (c.name + "_krok_po_kroku.txt"));
        const testing::RunResult run = RunInFolder(folder.path());
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "\nBlad: nie mozna zapisac pliku " + c.shown + "_krok_po_kroku.txt.\n");
        EXPECT_EQ(run.out, kPrompt);
    }
    // However it was named, the message stays short.
    const std::string huge(1 << 20, 'n');
    EXPECT_EQ(TraceWriteFailure(huge).message(),
              "\nBlad: nie mozna zapisac pliku " + std::string(255, 'n') + "....\n");
}

// A failed standard output is a failure although the trace is complete:
// status 0 would claim the final text was printed.
TEST(Run, FailedStandardOutputFails) {
    struct FailingBuffer : std::streambuf {
        int_type overflow(int_type) override { return traits_type::eof(); }
    } failing;
    std::ostream out(&failing);
    std::istringstream in;
    std::ostringstream err;
    TempFolder folder;
    WriteText(folder / "input.txt", "demo 2 2 1 1 2 2 2 3 1 4");
    EXPECT_EQ(RunProgram(in, out, err, folder.path()), 1);
    EXPECT_EQ(err.str(), kOutputFailure);
    EXPECT_NE(ReadText(folder / "demo_krok_po_kroku.txt").find("Funkcja celu Cmax = 7\n"),
              std::string::npos);
}

// With no jobs, every machine still has its (empty) row in the closing
// section: 2^31 - 1 machines make 2^31 - 1 line ends, and the run ends.
TEST(Run, HugeInstancesWithoutOperationsEnd) {
    struct Case {
        const char* input;
        std::uint64_t rows;
    };
    const Case cases[] = {{"x 0 2147483647", 2147483647}, {"x 2147483647 0", 0}};
    // The sorted-list title and its empty line, ", permutacja koncowa PI:",
    // the Cmax line and what follows it; besides these, the name and rows.
    constexpr std::uint64_t kFrame = 28 + 2 + 25 + 22 + 2 + 60;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        TempFolder folder;
        WriteText(folder / "input.txt", c.input);
        testing::CountingDestination traces;
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunProgram(in, out, err, folder.path(), traces), 0) << err.str();
        EXPECT_EQ(traces.bytes, kFrame + 1 + c.rows);
        const std::string closing = "x, permutacja koncowa PI:\n" +
                                    std::string(std::min<std::uint64_t>(c.rows, 1000), '\n') +
                                    "\nFunkcja celu Cmax = 0\n\n" + std::string(58, '*') + "\n\n";
        EXPECT_EQ(traces.closingHead, closing.substr(0, traces.kKept));
        const std::size_t kept = std::min(closing.size(), traces.tail.size());
        EXPECT_EQ(traces.tail.substr(traces.tail.size() - kept),
                  closing.substr(closing.size() - kept));
    }
}

// A run on an input.txt that is a pipe whose writer sends `text` and keeps it
// open (for 10 s at the most), and how long the run took.
std::pair<testing::RunResult, double> RunOnPipeKeptOpen(const std::string& text) {
    TempFolder folder;
    EXPECT_EQ(::mkfifo((folder / "input.txt").c_str(), 0600), 0);
    std::promise<void> done;
    std::thread writer([&folder, &text, finished = done.get_future()] {
        std::ofstream fifo(folder / "input.txt");
        fifo << text << std::flush;
        finished.wait_for(std::chrono::seconds(10));
    });
    const auto start = std::chrono::steady_clock::now();
    testing::RunResult run = RunInFolder(folder.path());
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    done.set_value();
    writer.join();
    return {std::move(run), took.count()};
}

// input.txt that never ends (a pipe kept open) is read only as far as the
// instance goes.
TEST(Run, PipeKeptOpenIsReadOnlyToTheLastPair) {
    const auto [run, seconds] = RunOnPipeKeptOpen("pipe 1 2 1 5 2 3\nwhatever follows");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_LT(seconds, 5.0);
}

// A last token that is refused whatever bytes follow ends the reading at
// once, though the pipe stays open and the token is not yet ended.
TEST(Run, PipeKeptOpenAfterATokenAlreadyRefusedEndsAtOnce) {
    struct Case {
        std::string input;
        std::string message;
    };
    const std::string prefix = "\nBlad w pliku input.txt: ";
    const Case cases[] = {
        {"x abc", prefix + "niepoprawna liczba \"abc\": liczba zadan.\n"},
        {"x 1 1 1 4x", prefix + "niepoprawna liczba \"4x\": czas operacji 1 (zadanie 1).\n"},
        {"x -1", prefix + "liczba zadan i liczba maszyn nie moga byc ujemne.\n"},
        {"x -1 ", prefix + "liczba zadan i liczba maszyn nie moga byc ujemne.\n"},
        {"x 1 2 3", prefix + "maszyna 3 spoza zakresu 1..2: maszyna operacji 1 (zadanie 1).\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        const auto [run, seconds] = RunOnPipeKeptOpen(c.input);
        EXPECT_EQ(run.err, c.message);
        EXPECT_LT(seconds, 5.0);
    }
}

// Job 1: 1 (machine 1, p 0) then 2 (machine 2, p -1); job 2: 3 (machine 2,
// p 0) then 4 (machine 1, p 0). Estimates tie, so 4 goes in front of 1 and
// then 2 in front of 3, which closes 2 -> 3 -> 4 -> 1 -> 2; the final
// evaluation finds it.
TEST(Run, CycleStopsWithAMessageAndAnUnfinishedTrace) {
    TempFolder folder;
    WriteText(folder / "input.txt", "cyc 2 2 1 0 2 -1 2 0 1 0");
    const testing::RunResult run = RunInFolder(folder.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "\nBlad: graf rozwiazania zawiera cykl (czasy wykonania musza byc dodatnie).\n");
    EXPECT_EQ(run.out, kPrompt);
    const std::string trace = ReadText(folder / "cyc_krok_po_kroku.txt");
    EXPECT_EQ(trace.rfind("Nierosnace czasy wykonania:\n", 0), 0u);
    EXPECT_EQ(trace.find("permutacja koncowa"), std::string::npos);
}

TEST(Run, CmaxIsSetBackAfterTheClosingSection) {
    TempFolder folder;
    Model model = testing::LoadText("ex 3 2  2 1 1 1  2 5 1 6  2 4 1 2");
    ASSERT_TRUE(RunSchedule(model, folder.path()).ok());
    EXPECT_EQ(model.Cmax, 0);
    EXPECT_NE(ReadText(folder / "ex_krok_po_kroku.txt").find("Funkcja celu Cmax = 14\n"),
              std::string::npos);
}

}  // namespace
}  // namespace jobshop
