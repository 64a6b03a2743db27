// The built program as a separate process, without a terminal.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "driver/Run.h"

namespace jobshop {
namespace {

using testing::ReadText;
using testing::RunProgramProcess;
using testing::SourcePath;
using testing::TempFolder;
using testing::WriteText;

const std::string kStartTexts =
    "\nProsze upewnic sie, ze w katalogu z aplikacja znajduje sie plik INPUT.TXT !!!"
    "\nPlik powinien zawierac nazwe i rozmiar instancji oraz zadania.\n"
    "\nNacisnij ENTER aby kontynuowac.\n\n";

TEST(EndToEnd, Ft06ProducesTheStoredTrace) {
    TempFolder folder;
    WriteText(folder / "input.txt", ReadText(SourcePath("examples/ft06/input.txt")));
    const testing::RunResult run = RunProgramProcess(folder.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, kStartTexts + "\nWygenerowano plik wyjsciowy!");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadText(folder / "ft06_krok_po_kroku.txt"),
              ReadText(SourcePath("tests/golden/ft06.trace")));
}

TEST(EndToEnd, MissingInputFails) {
    TempFolder folder;
    const testing::RunResult run = RunProgramProcess(folder.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, kStartTexts);
    EXPECT_EQ(run.err, "\nBlad: nie mozna otworzyc pliku input.txt.\n");
}

// input.txt that never ends is read only as far as its first bad token: the
// run ends at once, in little memory, with a message about that token.
TEST(EndToEnd, EndlessInputEndsAtOnce) {
    struct Case {
        const char* device;
        std::string message;  // "" for any input error
    };
    std::string nuls;
    for (int i = 0; i < 40; ++i) nuls += "\\x00";
    const std::string zeroMessage =
        "\nBlad w pliku input.txt: niepoprawna liczba \"" + nuls + "...\": liczba zadan.\n";
    const Case cases[] = {
        {"/dev/zero", zeroMessage}, {"/dev/full", zeroMessage}, {"/dev/urandom", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        TempFolder folder;
        std::filesystem::create_symlink(c.device, folder / "input.txt");
        const testing::ProcessResult run =
            RunProgramProcess(folder.path(), {.limitMemory = true, .timeoutSeconds = 10});
        EXPECT_FALSE(run.timedOut);
        EXPECT_LT(run.peakKilobytes, 256 * 1024);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, kStartTexts);
        if (c.message.empty()) {
            EXPECT_EQ(run.err.rfind("\nBlad w pliku input.txt: ", 0), 0u) << run.err;
        } else {
            EXPECT_EQ(run.err, c.message);
        }
    }
}

// Exit status 0 promises the final text was printed: a full or closed
// standard output is reported, and the trace is complete all the same.
TEST(EndToEnd, FailedStandardOutputFails) {
    for (const auto out :
         {testing::ProcessSetup::Output::kDiskFull, testing::ProcessSetup::Output::kClosed}) {
        SCOPED_TRACE(static_cast<int>(out));
        TempFolder folder;
        WriteText(folder / "input.txt", ReadText(SourcePath("examples/ft06/input.txt")));
        const testing::RunResult run = RunProgramProcess(folder.path(), {.out = out});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, kOutputFailure);
        EXPECT_EQ(ReadText(folder / "ft06_krok_po_kroku.txt"),
                  ReadText(SourcePath("tests/golden/ft06.trace")));
    }
}

// 2^31 - 1 machines without jobs: the closing section's 2^31 - 1 empty rows
// go to /dev/null and the run ends well within its time.
TEST(EndToEnd, HugeEmptyInstanceEnds) {
    TempFolder folder;
    WriteText(folder / "input.txt", "x 0 2147483647");
    std::filesystem::create_symlink("/dev/null", folder / "x_krok_po_kroku.txt");
    const testing::ProcessResult run = RunProgramProcess(folder.path(), {.timeoutSeconds = 10});
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, kStartTexts + "\nWygenerowano plik wyjsciowy!");
}

}  // namespace
}  // namespace jobshop
