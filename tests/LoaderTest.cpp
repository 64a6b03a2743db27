#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "driver/InsertionOrder.h"
#include "driver/LoadMessages.h"
#include "formats/InputFile.h"
#include "formats/Instance.h"
#include "formats/Loader.h"

namespace jobshop {
namespace {

using testing::LoadText;

std::vector<std::int32_t> Entries(const std::vector<std::int32_t>& table, std::int32_t count) {
    return {table.begin() + 1, table.begin() + 1 + count};
}

TEST(LoadInstance, ReadsOperationsLinksAndInsertionOrder) {
    const Model model = LoadText("ex1 2 3\n1 4 2 7 3 2\n2 5 1 7 3 4\n");
    EXPECT_EQ(model.InstanceName, "ex1");
    EXPECT_EQ(model.TraceFileName, "ex1_krok_po_kroku.txt");
    EXPECT_EQ(model.JobCount, 2);
    EXPECT_EQ(model.MachineCount, 3);
    ASSERT_EQ(model.OpCount, 6);
    EXPECT_EQ(Entries(model.M, 6), (std::vector<std::int32_t>{1, 2, 3, 2, 1, 3}));
    EXPECT_EQ(Entries(model.p, 6), (std::vector<std::int32_t>{4, 7, 2, 5, 7, 4}));
    EXPECT_EQ(Entries(model.NO, 6), (std::vector<std::int32_t>{2, 3, 0, 5, 6, 0}));
    EXPECT_EQ(Entries(model.PO, 6), (std::vector<std::int32_t>{0, 1, 2, 0, 4, 5}));
    EXPECT_EQ(Entries(model.InsertionOrder, 6), (std::vector<std::int32_t>{2, 5, 4, 1, 6, 3}));
    // The sentinels on both ends read as "no operation".
    for (const auto* table : {&model.p, &model.M, &model.NO, &model.PO, &model.NM, &model.PM}) {
        EXPECT_EQ(table->front(), 0);
        EXPECT_EQ(table->back(), 0);
        EXPECT_EQ(table->size(), 8u);
    }
}

TEST(LoadInstance, TokenLayoutDoesNotMatter) {
    const std::string reference = "ex1 2 3\n1 4 2 7 3 2\n2 5 1 7 3 4\n";
    const Model expected = LoadText(reference);
    for (const std::string& text : {
             std::string("ex1 2 3 1 4 2 7 3 2 2 5 1 7 3 4"),
             std::string("ex1\n2\n3\n1\n4\n2\n7\n3\n2\n2\n5\n1\n7\n3\n4\n"),
             std::string("ex1 2 3\r\n1 4 2 7 3 2\r\n2 5 1 7 3 4\r\n"),
             std::string("  \t\r\n ex1\t2\v3\f1 4 2 7 3 2 2 5 1 7 3 4 trailing text 9 x"),
             std::string("ex1 +2 3 1 4 2 7 3 2 2 5 1 7 3 004"),
             "ex1 2 3 1 4 2 7 3 2 2 5 1 7 3 +" + std::string(100000, '0') + "4",
         }) {
        SCOPED_TRACE(text);
        const Model model = LoadText(text);
        EXPECT_EQ(model.InstanceName, expected.InstanceName);
        EXPECT_EQ(model.OpCount, expected.OpCount);
        EXPECT_EQ(model.M, expected.M);
        EXPECT_EQ(model.p, expected.p);
        EXPECT_EQ(model.InsertionOrder, expected.InsertionOrder);
    }
}

TEST(SortInsertionOrder, OrdersByTimeThenOperationNumber) {
    struct Case {
        const char* text;
        std::vector<std::int32_t> order;
    };
    const Case cases[] = {
        {"equal 1 4 1 3 2 3 3 3 4 3", {1, 2, 3, 4}},
        {"falling 1 4 1 9 2 5 3 2 4 1", {1, 2, 3, 4}},
        {"rising 1 4 1 1 2 2 3 5 4 9", {4, 3, 2, 1}},
        {"ties 2 2 1 2 2 5 2 5 1 2", {2, 3, 1, 4}},
        {"signs 1 4 1 0 2 -3 3 7 4 0", {3, 1, 4, 2}},
        {"extremes 1 3 1 -2147483648 2 2147483647 3 0", {2, 3, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Model model = LoadText(c.text);
        EXPECT_EQ(Entries(model.InsertionOrder, model.OpCount), c.order);
    }
}

TEST(LoadInstance, SingleMachineAndSingleJobLinks) {
    const Model oneMachine = LoadText("m 3 1 1 5 1 6 1 7");
    EXPECT_EQ(Entries(oneMachine.NO, 3), (std::vector<std::int32_t>{0, 0, 0}));
    EXPECT_EQ(Entries(oneMachine.PO, 3), (std::vector<std::int32_t>{0, 0, 0}));
    const Model oneJob = LoadText("j 1 3 1 5 2 6 3 7");
    EXPECT_EQ(Entries(oneJob.NO, 3), (std::vector<std::int32_t>{2, 3, 0}));
    EXPECT_EQ(Entries(oneJob.PO, 3), (std::vector<std::int32_t>{0, 1, 2}));
}

TEST(LoadInstance, AcceptsUnusualButValidInstances) {
    const std::string longName(kMaxInstanceNameLength, 'n');
    const Model named = LoadText(longName + " 1 1 1 1");
    EXPECT_EQ(named.TraceFileName, longName + "_krok_po_kroku.txt");

    EXPECT_EQ(LoadText("nojobs 0 5").OpCount, 0);
    EXPECT_EQ(LoadText("nomachines 7 0").OpCount, 0);
    const Model revisit = LoadText("revisit 1 3 1 1 1 2 2 3");
    EXPECT_EQ(Entries(revisit.M, 3), (std::vector<std::int32_t>{1, 1, 2}));
    const Model zero = LoadText("zero 1 2 1 0 2 -4");
    EXPECT_EQ(Entries(zero.p, 2), (std::vector<std::int32_t>{0, -4}));
}

TEST(LoadInstance, RejectsBadFilesWithAMessageNamingTheProblem) {
    struct Case {
        std::string text;
        std::string message;
    };
    const std::string prefix = "\nBlad w pliku input.txt: ";
    const Case cases[] = {
        {"", "\nBlad: plik input.txt jest pusty.\n"},
        {" \r\n\t ", "\nBlad: plik input.txt jest pusty.\n"},
        {"x", prefix + "brak liczby: liczba zadan.\n"},
        {"x 2", prefix + "brak liczby: liczba maszyn.\n"},
        {"x 1 2 1 5", prefix + "brak liczby: maszyna operacji 2 (zadanie 1).\n"},
        {"x 2 2 1 5 2 1 1 1 2", prefix + "brak liczby: czas operacji 4 (zadanie 2).\n"},
        {"x abc 2", prefix + "niepoprawna liczba \"abc\": liczba zadan.\n"},
        {"x 2 2.5", prefix + "niepoprawna liczba \"2.5\": liczba maszyn.\n"},
        {"x 1 1 0x1 3", prefix + "niepoprawna liczba \"0x1\": maszyna operacji 1 (zadanie 1).\n"},
        {"x 1 1 1 2147483648",
         prefix + "niepoprawna liczba \"2147483648\": czas operacji 1 (zadanie 1).\n"},
        {"x 1 1 1 -2147483649",
         prefix + "niepoprawna liczba \"-2147483649\": czas operacji 1 (zadanie 1).\n"},
        {"x 1 1 1 5x", prefix + "niepoprawna liczba \"5x\": czas operacji 1 (zadanie 1).\n"},
        {"x + 1", prefix + "niepoprawna liczba \"+\": liczba zadan.\n"},
        {"x 1 +-1", prefix + "niepoprawna liczba \"+-1\": liczba maszyn.\n"},
        {std::string("\0x 1 1", 6), prefix + "niepoprawna liczba \"\\x00x\": liczba zadan.\n"},
        {"x 1 1 1 " + std::string(50, '7'), prefix + "niepoprawna liczba \"" +
                                                std::string(40, '7') +
                                                "...\": czas operacji 1 (zadanie 1).\n"},
        {"x 1 1 1 " + std::string(60, '0') + "x", prefix + "niepoprawna liczba \"" +
                                                      std::string(40, '0') +
                                                      "...\": czas operacji 1 (zadanie 1).\n"},
        {"x 1 1 1 -0002147483649",
         prefix + "niepoprawna liczba \"-0002147483649\": czas operacji 1 (zadanie 1).\n"},
        {"x -1 2", prefix + "liczba zadan i liczba maszyn nie moga byc ujemne.\n"},
        {"x 2 -3", prefix + "liczba zadan i liczba maszyn nie moga byc ujemne.\n"},
        {"x 2 2 1 1 2 1 1 1 3 1",
         prefix + "maszyna 3 spoza zakresu 1..2: maszyna operacji 4 (zadanie 2).\n"},
        {"x 1 2 0 1 1 1",
         prefix + "maszyna 0 spoza zakresu 1..2: maszyna operacji 1 (zadanie 1).\n"},
        {"x 1 2 -1 1 1 1",
         prefix + "maszyna -1 spoza zakresu 1..2: maszyna operacji 1 (zadanie 1).\n"},
        {"x 65536 65536 1 1", prefix + "instancja jest zbyt duza.\n"},
        // Exactly the most operations the tables hold is not too large.
        {"x 1 2147483645", prefix + "brak liczby: maszyna operacji 1 (zadanie 1).\n"},
        {"x 1 1 1 a\x7f", prefix + "niepoprawna liczba \"a\\x7f\": czas operacji 1 (zadanie 1).\n"},
        {"x 2147483647 2", prefix + "instancja jest zbyt duza.\n"},
        {"a/b 1 1 1 1", prefix + "nazwa instancji nie moze zawierac znakow / ani \\.\n"},
        {"..\\b 1 1 1 1", prefix + "nazwa instancji nie moze zawierac znakow / ani \\.\n"},
        {std::string(238, 'n') + " 1 1 1 1", prefix + "nazwa instancji jest zbyt dluga.\n"},
    };
    // Text in memory and a file go through one reader: the same message.
    testing::TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Model model;
        const std::optional<LoadError> refused = LoadInstance(c.text, model);
        ASSERT_TRUE(refused);
        EXPECT_EQ(ProgramLoadMessage(*refused, "input.txt"), c.message);
        testing::WriteText(folder / "input.txt", c.text);
        const std::optional<LoadError> fromFile = LoadInstanceFile(folder / "input.txt", model);
        ASSERT_TRUE(fromFile);
        EXPECT_EQ(ProgramLoadMessage(*fromFile, "input.txt"), c.message);
    }
}

// A refusal carries the line its token starts on, so that a page can show
// it; a missing number points at the last token there is.
TEST(LoadInstance, RefusalsTellTheLineOfTheToken) {
    struct Case {
        const char* text;
        LoadError::Kind kind;
        std::int64_t line;
    };
    using Kind = LoadError::Kind;
    const Case cases[] = {
        {"\n\nx\n2 2\n1 5 2 5\n1 5 2 x\n", Kind::kBadNumber, 6},
        {"x\n2 2\n1 5 2 5\n\n1 5\n\n", Kind::kMissingNumber, 5},
        {"x\r\n1 3\r\n1 5\r\n4 5\r\n", Kind::kMachineOutOfRange, 4},
        {"x 1\n\n-3\n", Kind::kNegativeSize, 3},
        {"x\n65536\n65536\n", Kind::kTooLarge, 3},
        {"\n\ta/b 1 1 1 1", Kind::kNameHasSeparator, 2},
        {"", Kind::kEmpty, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Model model;
        const std::optional<LoadError> refused = LoadInstance(c.text, model);
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->kind, c.kind);
        EXPECT_EQ(refused->line, c.line);
    }
}

TEST(LoadInstance, HugeClaimWithShortFileReportsMissingNumber) {
    // 2,000,000 operations claimed, two given: the file ends early, and the
    // tables are not sized for the claim first.
    Model model;
    const std::optional<LoadError> refused = LoadInstance("big 1000 2000 1 5 2 5", model);
    ASSERT_TRUE(refused);
    EXPECT_EQ(ProgramLoadMessage(*refused, "input.txt"),
              "\nBlad w pliku input.txt: brak liczby: maszyna operacji 3 (zadanie 1).\n");
    EXPECT_LT(model.M.capacity(), 100u);
}

// Writes `pieces` into the FIFO at `path` as a writer that pauses
// `pauseMs` between them would, from a thread of its own (joined while the
// pieces live).
std::thread FeedFifo(const std::filesystem::path& path, const std::vector<std::string>& pieces,
                     int pauseMs) {
    return std::thread([path, &pieces, pauseMs] {
        const int fd = ::open(path.c_str(), O_WRONLY);
        for (std::size_t i = 0; fd >= 0 && i < pieces.size(); ++i) {
            if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
            std::string_view rest = pieces[i];
            while (!rest.empty()) {
                const ssize_t written = ::write(fd, rest.data(), rest.size());
                if (written <= 0) break;  // the reader has gone
                rest.remove_prefix(static_cast<std::size_t>(written));
            }
        }
        if (fd >= 0) ::close(fd);
    });
}

// Reading a whole text file is bounded, from a pipe as from a file: the limit
// holds to the byte (a stream past it is refused, not cut short), a writer's
// pause is no end, a byte no text holds ends it with a message that escapes
// it, like any control byte of a name.
TEST(ReadTextFile, BoundedToTheByteAndPatient) {
    testing::TempFolder folder;
    const std::filesystem::path fifo = folder / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    const TextLimits small{.maxBytes = 1000, .idleMilliseconds = 10'000};
    const std::string huge((std::size_t{70} << 20) / 2, 'x');
    const struct {
        const char* what;
        std::vector<std::string> pieces;
        int pauseMs;
        TextLimits limits;
        std::optional<TextFileError::Kind> refused;
    } cases[] = {
        {"at the limit", {std::string(600, '1'), std::string(400, '2')}, 0, small, std::nullopt},
        {"past the limit",
         {std::string(600, '1'), std::string(401, '2')},
         0,
         small,
         TextFileError::Kind::kTooLarge},
        {"70 MiB", {huge, huge}, 0, TextLimits(), TextFileError::Kind::kTooLarge},
        {"a pause of 0.3 s", {"ex 1 1\n1", " 5\n"}, 300, TextLimits(), std::nullopt},
        {"a pause past the idle time",
         {"ex 1 1\n1", " 5\n"},
         300,
         TextLimits{.maxBytes = 1000, .idleMilliseconds = 100},
         TextFileError::Kind::kIdle},
        {"a DEL byte", {"ex 1 1\n1 5\x7f\n"}, 0, TextLimits(), TextFileError::Kind::kNotText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::size_t size = 0;
        std::string whole;
        for (const std::string& piece : c.pieces) size += piece.size();
        if (size < 4096) {
            for (const std::string& piece : c.pieces) whole += piece;
        }
        std::thread writer = FeedFifo(fifo, c.pieces, c.pauseMs);
        std::vector<std::filesystem::path> paths = {fifo};
        // A file never pauses, and one past the limit is refused by its size.
        if (c.pauseMs == 0 && size < 4096) {
            paths.push_back(folder / "file");
            testing::WriteText(paths.back(), whole);
        }
        for (const std::filesystem::path& path : paths) {
            std::string text;
            const std::optional<TextFileError> error = ReadTextFile(path, text, c.limits);
            if (writer.joinable()) writer.join();
            if (!c.refused) {
                EXPECT_FALSE(error) << path;
                EXPECT_EQ(text, whole) << path;
                continue;
            }
            if (!error) {
                ADD_FAILURE() << path << " was read whole";
                continue;
            }
            EXPECT_EQ(error->kind, *c.refused) << path;
            if (error->kind == TextFileError::Kind::kNotText) {
                EXPECT_EQ(ToolTextFileMessage(*error, "in\x7f.txt", c.limits),
                          "in\\x7f.txt:2: not a text file (it holds the byte 0x7f)");
            }
        }
    }
    std::signal(SIGPIPE, previous);
}

}  // namespace
}  // namespace jobshop
