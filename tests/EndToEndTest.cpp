// The built program as a separate process, without a terminal.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace jobshop
