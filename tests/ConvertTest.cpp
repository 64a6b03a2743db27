// jobshop-convert in-process: every format on ft06, multi-instance files,
// every rejection, and the round trip of all bundled benchmarks.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "driver/ConvertCommand.h"
#include "formats/FormatError.h"
#include "formats/Instance.h"
#include "formats/Loader.h"

namespace jobshop {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::SourcePath;
using testing::TempFolder;
using testing::WriteText;

using Outcome = testing::RunResult;

Outcome Convert(const std::vector<std::string>& args) {
    return testing::RunCommand(
        [&](std::ostream& out, std::ostream& err) { return RunConvert(args, out, err); });
}

std::string Data(const std::string& relative) {
    return SourcePath("tests/data/" + relative);
}
std::string Bundled(const std::string& name) {
    return SourcePath("benchmarks/" + name + ".txt");
}

std::vector<std::string> FolderContent(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Convert, Ft06InEveryFormatGivesTheBundledFile) {
    struct Case {
        std::vector<std::string> args;
        const char* detected;
    };
    const Case cases[] = {
        {{Data("orlib/jobshop-sample.txt"), "--instance", "ft06"}, "standard"},
        {{Data("jsplib/ft06.txt")}, "standard"},
        {{Data("taillard/ft06.txt")}, "taillard"},
        {{Data("taillard/ft06-noheader.txt"), "--name", "ft06"}, "taillard"},
        {{Data("fjsp/ft06.txt")}, "fjsp"},
        {{Bundled("ft06")}, "program"},
    };
    const std::string expected = ReadText(Bundled("ft06"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        const Outcome detected = Convert(c.args);
        EXPECT_EQ(detected.status, 0) << detected.err;
        EXPECT_EQ(detected.out, expected);
        EXPECT_EQ(detected.err,
                  "jobshop-convert: detected format: " + std::string(c.detected) + "\n");
        // Named explicitly, the format is not reported.
        std::vector<std::string> named = c.args;
        named.insert(named.end(), {"--from", c.detected});
        const Outcome given = Convert(named);
        EXPECT_EQ(given.out, expected);
        EXPECT_EQ(given.err, "");
    }
}

TEST(Convert, PicksOneInstanceOfAMultiInstanceFile) {
    const std::string orlib = Data("orlib/jobshop-sample.txt");
    const std::string taillard = Data("taillard/ta01-02.txt");
    EXPECT_EQ(Convert({orlib, "--instance", "la01"}).out, ReadText(Bundled("la01")));
    EXPECT_EQ(Convert({orlib, "--index", "3"}).out, ReadText(Bundled("abz5")));
    const Outcome first = Convert({orlib});
    EXPECT_EQ(first.out, ReadText(Bundled("ft06")));
    EXPECT_NE(first.err.find("holds 3 instances; converting the first, ft06"), std::string::npos);
    EXPECT_EQ(Convert({taillard, "--index", "2", "--name", "ta02"}).out, ReadText(Bundled("ta02")));
    // Taillard's instances have no names: the file's, numbered.
    EXPECT_EQ(Convert({taillard}).out.substr(0, 10), "ta01-02_1\n");
    EXPECT_EQ(Convert({taillard, "--instance", "ta01-02_2"}).out.substr(0, 10), "ta01-02_2\n");
}

TEST(Convert, ToStandardWritesOrLibraryLayoutFromZero) {
    TempFolder folder;
    WriteText(folder / "tiny.txt", "tiny 2 2\r\n1 5 2 7\r\n2 3 1 4\r\n");
    const Outcome outcome = Convert({(folder / "tiny.txt").string(), "--to", "standard"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "instance tiny\ntiny: 2 jobs, 2 machines\n2 2\n0 5 1 7\n1 3 0 4\n");
}

// Standard -> program -> standard on every bundled benchmark, through files.
TEST(Convert, RoundTripOfEveryBundledBenchmark) {
    TempFolder folder;
    int count = 0;
    for (const auto& entry : fs::directory_iterator(SourcePath("benchmarks"))) {
        if (entry.path().extension() != ".txt") continue;
        ++count;
        const std::string name = entry.path().stem().string();
        SCOPED_TRACE(name);
        const std::string standard = (folder / (name + ".std")).string();
        const std::string program = (folder / (name + ".txt")).string();
        ASSERT_EQ(Convert({entry.path().string(), "--to", "standard", "-o", standard}).status, 0);
        ASSERT_EQ(Convert({standard, "-o", program}).status, 0);
        EXPECT_EQ(ReadText(program), ReadText(entry.path()));
        EXPECT_EQ(Convert({program, "--to", "standard"}).out, ReadText(standard));
    }
    EXPECT_EQ(count, 162);
}

TEST(Convert, RejectionsNameTheLineAndWriteNothing) {
    struct Case {
        const char* content;
        std::vector<std::string> args;
        const char* message;
    };
    const std::string ft06Flexible = "2 2 1.5\n2 1 1 5 2 1 3 2 4\n2 1 2 2 1 1 3\n";
    const Case cases[] = {
        {"instance s1\ndesc\n2 3\n0 1 1 2 2 3\n0 1 1 2\n",
         {},
         ":5: job 2 has 2 operations; the program needs exactly 3, one per machine"},
        {"2 3\n0 1 1 2 2 3\n0 1 1 2 2 3 0 4\n", {}, ":3: job 2 has 4 operations"},
        {"2 3\n0 1 1 2 2 3\n0 1 1 2 2\n", {}, ":3: job 2 has 5 numbers, not machine/time pairs"},
        {"2 3\n0 1 1 2 3 3\n0 1 1 2 2 3\n",
         {},
         ":2: machine 3 of job 1, operation 3 is out of range 0..2"},
        {"2 3\n0 1 1 -2 2 3\n0 1 1 2 2 3\n", {}, ":2: time -2 of job 1, operation 2 is negative"},
        {"2 3\n0 1 1 2.5 2 3\n0 1 1 2 2 3\n",
         {},
         ":2: time \"2.5\" of job 1, operation 2 is not an integer"},
        {"2 3\n0 1 1 2 2 9999999999\n",
         {},
         "time \"9999999999\" of job 1, operation 3 is not an integer"},
        {"# a comment\n2 3\n0 1 1 2 2 3\n", {}, ":3: the instance ends after 1 of its 2 jobs"},
        {"1 3\n0 1 1 2 2 3\n0 1 1 2 2 3\n", {}, ":3: numbers after the last of the 1 jobs"},
        {"0 3\n",
         {"--from", "standard"},
         ":1: the numbers of jobs and machines must be at least 1"},
        {"instance a\nd\n1 1\n0 5\n",
         {"--instance", "b"},
         ": no instance named \"b\" (the file holds a)"},
        {"instance a\nd\n1 1\n0 5\n",
         {"--index", "2"},
         " holds 1 instance; there is no instance 2"},
        {"number of jobs, number of machines, initial seed, upper bound and lower bound :\n"
         "2 2 1 10 10\nprocessing times :\n1 2\n3 4\n",
         {},
         ":1: this is a Taillard flow-shop file"},
        {"number of jobs, number of machines, time seed, machine seed, upper bound, lower "
         "bound :\n2 2 1 1 10 10\nprocessing times :\n1 2\n3 4\nmachines :\n1 2\n2 1\n",
         {},
         ":1: this is a Taillard open-shop file"},
        {"2 2\nTimes\n1 2\n3 4\nMachines\n1 2\n0 1\n",
         {},
         ":7: machine 0 of job 2, operation 1 is out of range 1..2"},
        {"2 2\nTimes\n1 2\n3\nMachines\n1 2\n2 1\n", {}, ":4: job 2 has 1 operations"},
        {"2 2\nTimes\n1 2\n3 4\n", {}, ":4: expected the line \"Machines\""},
        {"2 2\nTimes\n1 2\n3 4\nMachines\n1 2\n",
         {},
         ":6: the instance ends after 1 of its 2 rows of Machines"},
        {ft06Flexible.c_str(), {}, ":2: job 1, operation 2 can run on 2 machines"},
        {"2 2\n2 2 1 3 2 4 1 2 5\n2 1 1 2 1 2 3\n",
         {},
         ":2: job 1, operation 1 can run on 2 machines"},
        {"2 2\n1 1 1 3\n2 1 1 2 1 2 3\n", {"--from", "fjsp"}, ":2: job 1 has 1 operations"},
        {"p1 2 2 1 5 3 5 1 2 2 4", {}, "in.txt:1: machine 3 is out of range 1..2"},
        {"p1 1 2\n1 5 2 -4\n", {}, "in.txt: time -4 of job 1, operation 2 is negative"},
        {"1 2 3 4\n", {}, "in.txt: cannot tell the format; name it with --from"},
        {"", {}, "in.txt: cannot tell the format"},
        {"instance a/b\nd\n1 1\n0 5\n", {}, "the instance name contains / or \\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        TempFolder folder;
        WriteText(folder / "in.txt", c.content);
        std::vector<std::string> args = {(folder / "in.txt").string(), "-o",
                                         (folder / "out.txt").string()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome outcome = Convert(args);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(FolderContent(folder.path()), std::vector<std::string>{"in.txt"});
    }
}

TEST(Convert, RejectsNamesTakenFromTheFile) {
    TempFolder folder;
    WriteText(folder / "my ft06.txt", ReadText(Data("jsplib/ft06.txt")));
    const Outcome outcome = Convert({(folder / "my ft06.txt").string()});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("contains whitespace or a control character (\"my ft06\"); give "
                               "another with --name"),
              std::string::npos);
    EXPECT_EQ(Convert({(folder / "my ft06.txt").string(), "--name", "ft06"}).out,
              ReadText(Bundled("ft06")));
}

TEST(Convert, FailedWritesLeaveNothingBehind) {
    TempFolder folder;
    fs::create_directory(folder / "taken");
    const std::string ft06 = Bundled("ft06");
    for (const fs::path& out : {folder / "taken", folder / "missing" / "out.txt"}) {
        SCOPED_TRACE(out);
        const Outcome outcome = Convert({ft06, "-o", out.string()});
        EXPECT_EQ(outcome.status, 1);
        EXPECT_NE(outcome.err.find(out.string() + ": cannot write: "), std::string::npos);
    }
    EXPECT_EQ(FolderContent(folder.path()), std::vector<std::string>{"taken"});
    EXPECT_EQ(Convert({(folder / "none.txt").string()}).err,
              "jobshop-convert: " + (folder / "none.txt").string() +
                  ": cannot read the file (No such file or directory)\n");

    // A failed standard output is an error too.
    std::ostringstream closed;
    closed.setstate(std::ios::badbit);
    std::ostringstream err;
    EXPECT_EQ(RunConvert(std::vector<std::string>{ft06}, closed, err), 1);
    EXPECT_NE(err.str().find("cannot write to standard output"), std::string::npos);
}

TEST(Convert, ReplacesAnExistingOutputWhole) {
    TempFolder folder;
    WriteText(folder / "out.txt", std::string(10000, 'x'));
    fs::permissions(folder / "out.txt",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(Convert({Bundled("ft06"), "-o", (folder / "out.txt").string()}).status, 0);
    EXPECT_EQ(ReadText(folder / "out.txt"), ReadText(Bundled("ft06")));
    EXPECT_EQ(fs::status(folder / "out.txt").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(FolderContent(folder.path()), std::vector<std::string>{"out.txt"});
}

TEST(Convert, UsageErrorsExitTwoWithTheUsage) {
    const std::string ft06 = Bundled("ft06");
    const std::vector<std::string> cases[] = {
        {},
        {ft06, "--from", "csv"},
        {ft06, "--to", "taillard"},
        {ft06, "--instance", "a", "--index", "1"},
        {ft06, "--index", "0"},
        {ft06, "--index", "two"},
        {ft06, "--name", "a b"},
        {ft06, "--name", "../x"},
        {ft06, "--bogus"},
        {ft06, ft06},
    };
    for (const std::vector<std::string>& args : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const Outcome outcome = Convert(args);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err.rfind("jobshop-convert: ", 0), 0u);
        EXPECT_NE(outcome.err.find("\nUsage: " + std::string(kConvertSynopsis) + "\n"),
                  std::string::npos);
    }
    const Outcome help = Convert({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: " + std::string(kConvertSynopsis)), std::string::npos);
}

// The format is the one that reads the file, the program's own first: names
// that look like comments, separators, section titles or counts stay names.
// A file that two other formats read alike is refused; --from settles it.
TEST(Convert, DetectsTheFormatThatReadsTheFile) {
    struct Case {
        std::string content;
        std::vector<std::string> args;
        int status;
        std::string expected;  // the output, or a part of the message
    };
    const std::string both = "1 2\nTimes\n5 6\nMachines\n1 2\ninstance a\nd\n1 2\n0 5 1 6\n";
    const Case cases[] = {
        {"#x\n1 2\n1 5 1 3\n", {}, 0, "#x\n1 2\n1 5 1 3\n"},
        {"++\n1 2\n1 5 1 3\n", {}, 0, "++\n1 2\n1 5 1 3\n"},
        {"Times\n2 2\n1 5 2 3\n2 4 1 1\n", {}, 0, "Times\n2 2\n1 5 2 3\n2 4 1 1\n"},
        {"7\n2 2\n1 5 2 3\n2 4 1 1\n", {}, 0, "7\n2 2\n1 5 2 3\n2 4 1 1\n"},
        {"\xef\xbb\xbftiny 1 1\n1 5\n", {}, 0, "tiny\n1 1\n1 5\n"},
        {both, {}, 1, "reads as standard and taillard alike; name its format with --from"},
        {both, {"--from", "taillard"}, 0, "in\n1 2\n1 5 2 6\n"},
        {"instance\nd\n1 1\n0 5\n", {}, 1, ":1: expected \"instance NAME\""},
        {"instance a b\nd\n1 1\n0 5\n", {}, 1, ":1: expected \"instance NAME\""},
        // An unnamed instance starts with its counts; no line is skipped.
        {"junk\n1 1\n0 5\n",
         {"--from", "standard"},
         1,
         ":1: expected the number of jobs and the number of machines, found \"junk\""},
        {"instance a\nd\n1 1\n0 5\ninstance a\nd\n1 1\n0 6\n",
         {"--instance", "a"},
         1,
         "holds 2 instances named \"a\" (at 1, 2); choose one with --index"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        TempFolder folder;
        WriteText(folder / "in.txt", c.content);
        std::vector<std::string> args = {(folder / "in.txt").string()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome outcome = Convert(args);
        EXPECT_EQ(outcome.status, c.status) << outcome.err;
        if (c.status == 0) {
            EXPECT_EQ(outcome.out, c.expected);
        } else {
            EXPECT_NE(outcome.err.find(c.expected), std::string::npos) << outcome.err;
        }
    }
}

// The name rule of the program's loader: what convert writes, jobshop-insert
// reads back.
TEST(Convert, RefusesNamesTheProgramWouldRefuse) {
    TempFolder folder;
    const std::string longest(kMaxInstanceNameLength, 'n');
    const std::string tooLong = longest + "n";
    WriteText(folder / "long.txt", "instance " + tooLong + "\nd\n1 1\n0 5\n");
    const Outcome fromFile = Convert({(folder / "long.txt").string()});
    EXPECT_EQ(fromFile.status, 1);
    EXPECT_NE(fromFile.err.find("the instance name is longer than 237 bytes"), std::string::npos);
    EXPECT_EQ(Convert({Bundled("ft06"), "--name", tooLong}).status, 2);
    const Outcome longest237 = Convert({Bundled("ft06"), "--name", longest});
    ASSERT_EQ(longest237.status, 0);
    Model model;
    EXPECT_FALSE(LoadInstance(longest237.out, model));
}

// Output over the input would lose it: refused as a usage error, through a
// link too, and the input stays.
TEST(Convert, RefusesToWriteOverItsInput) {
    TempFolder folder;
    const std::string input = (folder / "x.txt").string();
    WriteText(input, ReadText(Bundled("ft06")));
    fs::create_symlink("x.txt", folder / "link.txt");
    for (const std::string& output : {input, (folder / "link.txt").string()}) {
        SCOPED_TRACE(output);
        const Outcome outcome = Convert({input, "-o", output, "--to", "standard"});
        EXPECT_EQ(outcome.status, 2);
        EXPECT_NE(outcome.err.find("is the input file"), std::string::npos);
        EXPECT_EQ(ReadText(input), ReadText(Bundled("ft06")));
    }
}

// The output policy: a link is followed and kept, a FIFO written through and
// kept, "-" is standard output, and any name the file system takes works
// (the temporary name never needs more room than the name itself).
TEST(Convert, WritesThroughLinksFifosAndStandardOutput) {
    TempFolder folder;
    const std::string ft06 = Bundled("ft06");
    const std::string expected = ReadText(ft06);

    WriteText(folder / "old.txt", "old");
    fs::create_symlink("old.txt", folder / "link.txt");
    ASSERT_EQ(Convert({ft06, "-o", (folder / "link.txt").string()}).status, 0);
    EXPECT_TRUE(fs::is_symlink(folder / "link.txt"));
    EXPECT_EQ(ReadText(folder / "old.txt"), expected);

    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = ReadText(folder / "fifo"); });
    const Outcome toFifo = Convert({ft06, "-o", (folder / "fifo").string()});
    reader.join();
    EXPECT_EQ(toFifo.status, 0) << toFifo.err;
    EXPECT_EQ(received, expected);
    EXPECT_TRUE(fs::is_fifo(folder / "fifo"));

    EXPECT_EQ(Convert({ft06, "-o", "-"}).out, expected);

    const std::string longest = (folder / std::string(255, 'o')).string();
    EXPECT_EQ(Convert({ft06, "-o", longest}).status, 0);
    EXPECT_EQ(ReadText(longest), expected);
    const Outcome tooLong = Convert({ft06, "-o", longest + "o"});
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_NE(tooLong.err.find("the file name is too long"), std::string::npos);
    EXPECT_EQ(FolderContent(folder.path()),
              (std::vector<std::string>{"fifo", "link.txt", "old.txt", std::string(255, 'o')}));
}

// Every refusal reads in Polish as well, naming the same values, the file,
// the line and the options the English does: a value left out, or a
// placeholder that names another, shows.
TEST(Convert, EveryRefusalHasAPolishTwinNamingTheSameValues) {
    using Kind = FormatError::Kind;
    const std::vector<std::string> values = {"<a>", "<b>", "<c>", "<d>", "<e>", "<f>"};
    const auto has = [](const std::string& text, std::string_view part) {
        return text.find(part) != std::string::npos;
    };
    for (int k = 0; k <= static_cast<int>(Kind::kCannotTell); ++k) {
        SCOPED_TRACE(k);
        const FormatError error{static_cast<Kind>(k), 7, values, Kind::kNameTooLong};
        const std::string english = FormatMessage(error, "f.txt", Language::kEnglish);
        const std::string polish = FormatMessage(error, "f.txt", Language::kPolish);
        EXPECT_NE(polish, english);
        for (const char* part : {"f.txt", "f.txt:7:", "{", "}", "237", "--from", "--name"}) {
            EXPECT_EQ(has(polish, part), has(english, part)) << part << "\n"
                                                             << english << "\n"
                                                             << polish;
        }
        for (const std::string& value : values) {
            EXPECT_EQ(has(polish, value), has(english, value)) << value << "\n"
                                                               << english << "\n"
                                                               << polish;
        }
    }
}

}  // namespace
}  // namespace jobshop
