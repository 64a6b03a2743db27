// jobshop-quality in-process: its Cmax against full runs of the program, the
// gap arithmetic, and its rejections.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "driver/QualityCommand.h"

namespace jobshop {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::SourcePath;
using testing::TempFolder;
using testing::WriteText;

using Outcome = testing::RunResult;

Outcome Quality(const std::vector<std::string>& args) {
    return testing::RunCommand([&](std::ostream& out, std::ostream& err) {
        return RunQuality(args, SourcePath("benchmarks"), out, err);
    });
}

// The TSV rows by instance name, each as its cells.
std::map<std::string, std::vector<std::string>> TsvRows(const std::string& tsv) {
    std::map<std::string, std::vector<std::string>> rows;
    std::istringstream lines(tsv);
    std::string line;
    std::getline(lines, line);
    EXPECT_TRUE(line.starts_with(
        "name\tjobs\tmachines\tcmax\tlower_bound\tupper_bound\tgap_percent\tmwkr_cmax\t"
        "mwkr_gap_percent\tspt_cmax\tspt_gap_percent"))
        << line;
    while (std::getline(lines, line)) {
        std::vector<std::string> cells(1);
        for (const char c : line) {
            if (c == '\t') {
                cells.emplace_back();
            } else {
                cells.back().push_back(c);
            }
        }
        rows[cells.at(0)] = cells;
    }
    return rows;
}

// The number the closing section of a full run's trace prints.
std::string TraceCmax(const std::string& name) {
    TempFolder folder;
    WriteText(folder / "input.txt", ReadText(SourcePath("benchmarks/" + name + ".txt")));
    EXPECT_EQ(testing::RunInFolder(folder.path()).status, 0);
    const std::string trace = ReadText(folder / (name + "_krok_po_kroku.txt"));
    const std::string label = "Funkcja celu Cmax = ";
    const std::size_t at = trace.rfind(label);
    if (at == std::string::npos) return "no closing section";
    return trace.substr(at + label.size(), trace.find('\n', at) - at - label.size());
}

TEST(Quality, CmaxIsTheOneTheTraceOfAFullRunPrints) {
    // One of each family; orb07 holds a processing time of 0.
    const std::vector<std::string> sample = {"ft06",  "la01", "abz5", "orb07",
                                             "swv01", "yn1",  "ta01"};
    TempFolder folder;
    for (const std::string& name : sample) {
        fs::copy_file(SourcePath("benchmarks/" + name + ".txt"), folder / (name + ".txt"));
    }
    fs::copy_file(SourcePath("benchmarks/bounds.tsv"), folder / "bounds.tsv");
    const Outcome outcome = Quality({folder.path().string(), "--tsv"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const auto rows = TsvRows(outcome.out);
    ASSERT_EQ(rows.size(), sample.size());
    for (const std::string& name : sample) {
        SCOPED_TRACE(name);
        const std::vector<std::string>& row = rows.at(name);
        EXPECT_EQ(row.at(3), TraceCmax(name));
        const double cmax = std::stod(row.at(3));
        const double upper = std::stod(row.at(5));
        EXPECT_NEAR(std::stod(row.at(6)), 100 * (cmax - upper) / upper, 0.005);
    }
}

// Hand-made instances of one job on one machine: Cmax is the time.
TEST(Quality, GapsAndFamiliesByHand) {
    TempFolder folder;
    WriteText(folder / "xa1.txt", "xa1 1 1 1 10");
    WriteText(folder / "xa2.txt", "xa2 1 1 1 6");
    WriteText(folder / "xb1.txt", "xb1 1 1 1 7");
    WriteText(folder / "ft9.txt", "ft9 1 1 1 5");
    WriteText(folder / "notes.md", "not an instance");
    WriteText(folder / "bounds.tsv",
              "name\tupper_bound\tlower_bound\r\nxa1\t8\t4\r\nxa2\t6\t\r\nft9\t4\t4\r\n");
    const Outcome markdown = Quality({folder.path().string()});
    ASSERT_EQ(markdown.status, 0) << markdown.err;
    EXPECT_EQ(
        markdown.out,
        "| instance | jobs x machines | Cmax | lower bound | upper bound | gap % | MWKR gap % "
        "| SPT gap % |\n"
        "|---|---|--:|--:|--:|--:|--:|--:|\n"
        "| ft9 | 1 x 1 | 5 | 4 | 4 | 25.0 | 25.0 | 25.0 |\n"
        "| xa1 | 1 x 1 | 10 | 4 | 8 | 25.0 | 25.0 | 25.0 |\n"
        "| xa2 | 1 x 1 | 6 | - | 6 | 0.0 | 0.0 | 0.0 |\n"
        "| xb1 | 1 x 1 | 7 | - | - | - | - | - |\n"
        "\n"
        "| family | instances | mean gap % | largest gap % | MWKR mean gap % | SPT mean gap % "
        "|\n"
        "|---|--:|--:|--:|--:|--:|\n"
        "| ft | 1 | 25.0 | 25.0 | 25.0 | 25.0 |\n"
        "| xa | 2 | 12.5 | 25.0 | 12.5 | 12.5 |\n"
        "| xb | 1 | - | - | - | - |\n");
    const Outcome tsv = Quality({folder.path().string(), "--tsv"});
    EXPECT_EQ(TsvRows(tsv.out).at("xa1"),
              (std::vector<std::string>{"xa1", "1", "1", "10", "4", "8", "25.00", "10", "25.00",
                                        "10", "25.00"}));
    EXPECT_EQ(TsvRows(tsv.out).at("xb1"),
              (std::vector<std::string>{"xb1", "1", "1", "7", "", "", "", "7", "", "7", ""}));
}

// Worked by hand (Giffler and Thompson): job 1 is 3 on machine 1 then 1 on
// machine 2, job 2 is 2 then 6. Both rules start job 2 on machine 1; on
// machine 2, SPT then takes job 1's short operation first (Cmax 12), MWKR
// job 2, which has more left (Cmax 9, the optimum). The search, given
// time, ends at the optimum too.
TEST(Quality, DispatchingRulesAndSearchColumns) {
    TempFolder folder;
    WriteText(folder / "h1.txt", "h1 2 2  1 3 2 1  1 2 2 6");
    WriteText(folder / "bounds.tsv", "name\tlower_bound\tupper_bound\nh1\t9\t9\n");
    const Outcome tsv = Quality({folder.path().string(), "--tsv", "--search", "0.01"});
    ASSERT_EQ(tsv.status, 0) << tsv.err;
    const std::vector<std::string> row = TsvRows(tsv.out).at("h1");
    ASSERT_EQ(row.size(), 13u);
    EXPECT_EQ(std::vector<std::string>(row.begin() + 7, row.end()),
              (std::vector<std::string>{"9", "0.00", "12", "33.33", "9", "0.00"}));
    const Outcome markdown = Quality({folder.path().string(), "--search", "0.01"});
    EXPECT_NE(markdown.out.find("| SPT mean gap % | search mean gap % | search largest gap % |"),
              std::string::npos)
        << markdown.out;
    EXPECT_EQ(Quality({folder.path().string(), "--search", "0"}).status, 2);
}

TEST(Quality, RejectionsNameTheFileAndPrintNoTable) {
    struct Case {
        std::map<std::string, std::string> files;
        const char* message;
    };
    const std::string bounds = "name\tlower_bound\tupper_bound\n";
    const Case cases[] = {
        {{{"a1.txt", "a1 1 1 1 5"}}, "bounds.tsv: cannot read the file"},
        {{{"bounds.tsv", "name\tupper_bound\n"}, {"a1.txt", "a1 1 1 1 5"}},
         "bounds.tsv:1: the header has no column lower_bound"},
        {{{"bounds.tsv", bounds + "a1\t4\n"}, {"a1.txt", "a1 1 1 1 5"}},
         "bounds.tsv:2: expected at least 3 tab-separated columns, found 2"},
        {{{"bounds.tsv", bounds + "a1\t4\t5.5\n"}, {"a1.txt", "a1 1 1 1 5"}},
         "bounds.tsv:2: upper_bound \"5.5\" is not an integer"},
        {{{"bounds.tsv", bounds + "a1\t4\t5\na1\t4\t5\n"}, {"a1.txt", "a1 1 1 1 5"}},
         "bounds.tsv:3: instance \"a1\" is listed twice"},
        {{{"bounds.tsv", bounds}}, ": no instance files (*.txt)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        TempFolder folder;
        for (const auto& [name, content] : c.files) WriteText(folder / name, content);
        const Outcome outcome = Quality({folder.path().string()});
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.out, "");
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
    }
    EXPECT_EQ(Quality({"/nonexistent-folder"}).status, 1);
    EXPECT_EQ(Quality({"a", "b"}).status, 2);
    EXPECT_EQ(Quality({"--help"}).status, 0);

    std::ostringstream closed;
    closed.setstate(std::ios::badbit);
    std::ostringstream err;
    EXPECT_EQ(RunQuality(std::vector<std::string>{}, SourcePath("benchmarks"), closed, err), 1);
    EXPECT_NE(err.str().find("cannot write to standard output"), std::string::npos);
}

// A file that is not an instance, one whose schedule closes a cycle, a
// name that cannot be looked at (a loop of links), a folder and a FIFO (never
// opened, so nothing waits for its writer) are reported, and the other rows
// printed; the status says that something was left out.
TEST(Quality, ReportsFilesItCannotRunAndGoesOn) {
    TempFolder folder;
    WriteText(folder / "bounds.tsv", "name\tlower_bound\tupper_bound\n");
    WriteText(folder / "a1.txt", "a1 1 1 1 5");
    WriteText(folder / "bad.txt", "bad 1 1 2 5");
    WriteText(folder / "cyc.txt", "cyc 2 2 1 0 2 -1 2 0 1 0");
    fs::create_symlink("loop.txt", folder / "loop.txt");
    fs::create_directory(folder / "dir.txt");
    ASSERT_EQ(::mkfifo((folder / "fifo.txt").c_str(), 0600), 0);
    const Outcome outcome = Quality({folder.path().string(), "--tsv"});
    EXPECT_EQ(outcome.status, 1);
    const auto rows = TsvRows(outcome.out);
    EXPECT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows.count("a1"), 1u);
    for (const char* message :
         {"bad.txt:1: machine 2 is out of range 1..1", "cyc.txt: the schedule graph closed a cycle",
          "loop.txt: cannot read the file", "dir.txt: a folder, not an instance file",
          "fifo.txt: a FIFO, not an instance file", "5 files were left out"}) {
        EXPECT_NE(outcome.err.find(message), std::string::npos) << message << "\n" << outcome.err;
    }
}

// bounds.tsv as editors write it (a byte order mark, CR LF), a lower bound
// above its upper bound refused at its line, and an upper bound of 0 gives
// no gap.
TEST(Quality, BoundsFileEdges) {
    TempFolder folder;
    WriteText(folder / "a1.txt", "a1 1 1 1 5");
    WriteText(folder / "bounds.tsv", "\xef\xbb\xbfname\tlower_bound\tupper_bound\r\na1\t0\t0\r\n");
    const Outcome zero = Quality({folder.path().string()});
    EXPECT_EQ(zero.status, 0) << zero.err;
    EXPECT_NE(zero.out.find("| a1 | 1 x 1 | 5 | 0 | 0 | - |"), std::string::npos) << zero.out;
    WriteText(folder / "bounds.tsv", "name\tlower_bound\tupper_bound\na1\t7\t5\n");
    const Outcome crossed = Quality({folder.path().string()});
    EXPECT_EQ(crossed.status, 1);
    EXPECT_NE(crossed.err.find("bounds.tsv:2: lower_bound 7 is above upper_bound 5"),
              std::string::npos)
        << crossed.err;
}

}  // namespace
}  // namespace jobshop
