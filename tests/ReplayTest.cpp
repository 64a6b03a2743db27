// The replay's data against the trace, its JSON escaping, and the command.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <map>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "RandomInstance.h"
#include "TestSupport.h"
#include "driver/ReplayCommand.h"
#include "driver/ReplayRun.h"
#include "driver/Run.h"
#include "heuristic/InsertionLoop.h"
#include "report/ReplayJson.h"
#include "report/ReplayPage.h"
#include "report/ReplayRecorder.h"

namespace jobshop {
namespace {

using testing::FolderContent;
using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

// ---------------------------------------------------------------------------
// A small JSON reader, enough for the replay's data: objects, arrays,
// integers and strings. Anything else fails the test.

struct Json {
    std::vector<Json> items;
    std::map<std::string, Json> fields;
    std::int64_t number = 0;
    std::string text;

    const Json& operator[](std::size_t i) const { return items.at(i); }
    const Json& operator[](const std::string& key) const { return fields.at(key); }
    std::size_t size() const { return items.size(); }
    std::vector<std::int64_t> Numbers() const {
        std::vector<std::int64_t> out;
        for (const Json& item : items) out.push_back(item.number);
        return out;
    }
};

class JsonReader {
  public:
    explicit JsonReader(std::string_view text) : s_(text) {}

    Json Read() {
        Json value = Value();
        Space();
        EXPECT_EQ(pos_, s_.size()) << "text after the JSON value";
        return value;
    }

  private:
    void Space() {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\n')) ++pos_;
    }
    bool Take(char c) {
        Space();
        if (pos_ < s_.size() && s_[pos_] == c) return ++pos_, true;
        return false;
    }
    Json Value() {
        Json v;
        if (Take('[')) {
            if (!Take(']')) {
                do v.items.push_back(Value());
                while (Take(','));
                EXPECT_TRUE(Take(']'));
            }
        } else if (Take('{')) {
            if (!Take('}')) {
                do {
                    const std::string key = String();
                    EXPECT_TRUE(Take(':'));
                    v.fields[key] = Value();
                } while (Take(','));
                EXPECT_TRUE(Take('}'));
            }
        } else if (pos_ < s_.size() && s_[pos_] == '"') {
            v.text = String();
        } else {
            const auto [end, ec] =
                std::from_chars(s_.data() + pos_, s_.data() + s_.size(), v.number);
            EXPECT_EQ(ec, std::errc()) << "no value at " << pos_;
            pos_ = static_cast<std::size_t>(end - s_.data());
        }
        return v;
    }
    std::string String() {
        Space();
        EXPECT_EQ(s_.at(pos_++), '"');
        std::string out;
        while (s_.at(pos_) != '"') {
            const char c = s_[pos_++];
            EXPECT_GE(static_cast<unsigned char>(c), 0x20) << "raw control byte in a string";
            if (c != '\\') {
                out += c;
                continue;
            }
            const char e = s_.at(pos_++);
            if (e != 'u') {
                EXPECT_NE(std::string_view("\"\\").find(e), std::string_view::npos) << e;
                out += e;
                continue;
            }
            unsigned code = 0;
            std::from_chars(s_.data() + pos_, s_.data() + pos_ + 4, code, 16);
            pos_ += 4;
            if (code < 0x80) {
                out += static_cast<char>(code);
            } else if (code < 0x800) {
                out += static_cast<char>(0xC0 | (code >> 6));
                out += static_cast<char>(0x80 | (code & 0x3F));
            } else {
                out += static_cast<char>(0xE0 | (code >> 12));
                out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (code & 0x3F));
            }
        }
        ++pos_;
        return out;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
};

Json ParseJson(std::string_view text) {
    return JsonReader(text).Read();
}

// ---------------------------------------------------------------------------
// The replay's data of an instance, and its trace written by the program.

Json ReplayDataOf(const std::string& input) {
    Model model = testing::LoadText(input);
    ReplayRecorder recorder;
    EXPECT_EQ(BuildSchedule(model, &recorder), ScheduleOutcome::kComplete);
    return ParseJson(ReplayJson(recorder.recording()));
}

struct TraceStep {
    std::vector<std::int64_t> topo, R, Q;  // R and Q indexed by operation (entry 0 unused)
};
struct Trace {
    std::vector<TraceStep> evaluated;  // the steps with a table, in order
    std::vector<std::vector<std::int64_t>> pi;
    std::int64_t cmax = -1;
};

std::vector<std::int64_t> Fields(const std::string& line) {
    std::vector<std::int64_t> out;
    std::istringstream in(line);
    for (std::int64_t x; in >> x;) out.push_back(x);
    return out;
}

Trace TraceOf(const std::string& input) {
    TempFolder folder;
    WriteText(folder / "input.txt", input);
    const testing::RunResult run = testing::RunInFolder(folder.path());
    EXPECT_EQ(run.status, 0) << run.err;
    std::string name;
    std::istringstream(input) >> name;
    std::istringstream in(ReadText(folder / (name + "_krok_po_kroku.txt")));
    Trace trace;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("Topologicznie:")) {
            TraceStep& step = trace.evaluated.emplace_back();
            step.topo = Fields(line.substr(line.find('\t')));
            step.R.assign(step.topo.size() + 1, 0);
            step.Q = step.R;
            std::getline(in, line);  // empty
            std::getline(in, line);  // header
            for (std::size_t k = 1; k <= step.topo.size() && std::getline(in, line); ++k) {
                const std::vector<std::int64_t> row = Fields(line);
                step.R[k] = row.at(7);
                step.Q[k] = row.at(8);
            }
        } else if (line.ends_with(", permutacja koncowa PI:")) {
            // A row per machine (a bare line end without jobs), then an empty line.
            while (std::getline(in, line) && !line.starts_with("Funkcja")) {
                trace.pi.push_back(Fields(line));
            }
            trace.pi.pop_back();
            trace.cmax = std::stoll(line.substr(line.find('=') + 1));
        }
    }
    return trace;
}

// R, Q and Level of every evaluation, decoded from the snapshots and the
// change lists as the page does it, but walking every change from the start.
struct Evaluation {
    std::vector<std::int64_t> R, Q, Level;
};
std::vector<Evaluation> DecodeEvaluations(const Json& data) {
    const Json& ev = data["evaluations"];
    const std::size_t n = data["operations"].size();
    std::vector<Evaluation> out;
    Evaluation current{std::vector<std::int64_t>(n + 1), std::vector<std::int64_t>(n + 1),
                       std::vector<std::int64_t>(n + 1)};
    const std::int64_t every = ev["snapshotEvery"].number;
    for (std::size_t e = 0; e < ev["changes"].size(); ++e) {
        std::vector<std::int64_t>* fields[] = {&current.R, &current.Q, &current.Level};
        for (std::size_t f = 0; f < 3; ++f) {
            const std::vector<std::int64_t> list = ev["changes"][e][f].Numbers();
            std::int64_t k = 0;
            for (std::size_t i = 0; i + 1 < list.size(); i += 2)
                (*fields[f])[k += list[i]] += list[i + 1];
        }
        if (static_cast<std::int64_t>(e) % every == 0) {
            const Json& snap = ev["snapshots"][e / every];
            const char* names[] = {"R", "Q", "level"};
            for (std::size_t f = 0; f < 3; ++f) {
                const std::vector<std::int64_t> full = snap[names[f]].Numbers();
                // A later snapshot must agree with the changes that lead to it.
                if (e > 0) {
                    EXPECT_TRUE(std::equal(full.begin(), full.end(), fields[f]->begin() + 1)) << e;
                }
                std::copy(full.begin(), full.end(), fields[f]->begin() + 1);
            }
        }
        out.push_back(current);
    }
    return out;
}

// The steps and final result of the data against the rules of the
// insertion and against the program's trace of the same instance.
void ExpectDataAgreesWithTrace(const std::string& input) {
    SCOPED_TRACE(input.substr(0, 60));
    const Json data = ReplayDataOf(input);
    const Trace trace = TraceOf(input);
    const std::size_t machines = static_cast<std::size_t>(data["machines"].number);
    std::vector<std::vector<std::int64_t>> sequences(machines + 1);
    for (std::size_t t = 0; t < data["steps"].size(); ++t) {
        const Json& step = data["steps"][t];
        const std::vector<std::int64_t> estimates = step["estimates"].Numbers();
        std::vector<std::int64_t>& row =
            sequences.at(static_cast<std::size_t>(step["machine"].number));
        const std::int64_t position = step["position"].number;
        EXPECT_EQ(step["op"].number, data["order"][t].number);
        if (row.empty()) {
            EXPECT_TRUE(estimates.empty()) << "step " << t + 1;
            EXPECT_EQ(position, 1);
        } else {
            ASSERT_EQ(estimates.size(), row.size() + 1) << "step " << t + 1;
            const auto best = std::min_element(estimates.begin(), estimates.end());
            EXPECT_EQ(position, best - estimates.begin() + 1) << "step " << t + 1;
        }
        row.insert(row.begin() + (position - 1), step["op"].number);
    }
    const std::int64_t jobs = data["jobs"].number;
    ASSERT_EQ(trace.pi.size(), machines);
    // Without operations every sequence is empty and none is listed.
    const bool listed = data["operations"].size() > 0;
    ASSERT_EQ(data["sequences"].size(), listed ? machines : 0u);
    for (std::size_t i = 1; listed && i <= machines; ++i) {
        EXPECT_EQ(data["sequences"][i - 1].Numbers(), sequences[i]) << "machine " << i;
        std::vector<std::int64_t> shown = sequences[i];
        shown.resize(static_cast<std::size_t>(jobs), 0);
        EXPECT_EQ(trace.pi[i - 1], shown) << "machine " << i;
    }
    EXPECT_EQ(data["cmax"].number, trace.cmax);

    const std::vector<Evaluation> evaluations = DecodeEvaluations(data);
    ASSERT_EQ(evaluations.size(), trace.evaluated.size() + 1);
    for (std::size_t e = 0; e < trace.evaluated.size(); ++e) {
        const TraceStep& shown = trace.evaluated[e];
        const Evaluation& ev = evaluations[e];
        EXPECT_EQ(std::vector(ev.R.begin() + 1, ev.R.end()),
                  std::vector(shown.R.begin() + 1, shown.R.end()))
            << e;
        EXPECT_EQ(std::vector(ev.Q.begin() + 1, ev.Q.end()),
                  std::vector(shown.Q.begin() + 1, shown.Q.end()))
            << e;
        // The page orders by (Level, operation): it must be the trace's line.
        std::vector<std::int64_t> topo(shown.topo.size());
        std::iota(topo.begin(), topo.end(), 1);
        std::stable_sort(topo.begin(), topo.end(),
                         [&ev](auto a, auto b) { return ev.Level[a] < ev.Level[b]; });
        EXPECT_EQ(topo, shown.topo) << e;
    }
    // The finished schedule: its longest paths end at Cmax.
    const Evaluation& last = evaluations.back();
    std::int64_t longest = 0;
    for (std::size_t k = 1; k < last.R.size(); ++k) {
        const std::int64_t through = last.R[k] + last.Q[k] - data["operations"][k - 1][1].number;
        EXPECT_LE(through, data["cmax"].number);
        longest = std::max(longest, through);
    }
    if (last.R.size() > 1) {
        EXPECT_EQ(longest, data["cmax"].number);
    }
}

struct WorkedStep {
    std::int64_t op, position;
    std::vector<std::int64_t> estimates;
};
struct WorkedExample {
    const char* input;
    std::vector<WorkedStep> steps;
    std::vector<std::vector<std::int64_t>> sequences;
    std::int64_t cmax;
};

// The insertion loop's example (3 jobs on 2 machines, a tie in step 6 won by
// the front position), the trace's demo (2 jobs on 2 machines), and machines
// without jobs, whose schedule has no rows to read and no sequence to list.
TEST(Replay, WorkedExamples) {
    const WorkedExample examples[] = {
        {"ex 3 2\n2 1 1 1\n2 5 1 6\n2 4 1 2\n",
         {{4, 1, {}},
          {3, 1, {}},
          {5, 2, {15, 11}},
          {6, 2, {17, 13}},
          {1, 3, {14, 12, 11}},
          {2, 2, {19, 14, 14}}},
         {{4, 2, 6}, {3, 5, 1}},
         14},
        {"demo 2 2\n1 1 2 2\n2 3 1 4\n",
         {{4, 1, {}}, {3, 1, {}}, {2, 2, {10, 5}}, {1, 1, {5, 10}}},
         {{1, 4}, {3, 2}},
         7},
        {"none 0 100000\n", {}, {}, 0},
    };
    for (const WorkedExample& example : examples) {
        const Json data = ReplayDataOf(example.input);
        ASSERT_EQ(data["steps"].size(), example.steps.size());
        for (std::size_t t = 0; t < example.steps.size(); ++t) {
            EXPECT_EQ(data["steps"][t]["op"].number, example.steps[t].op) << t;
            EXPECT_EQ(data["steps"][t]["position"].number, example.steps[t].position) << t;
            EXPECT_EQ(data["steps"][t]["estimates"].Numbers(), example.steps[t].estimates) << t;
        }
        ASSERT_EQ(data["sequences"].size(), example.sequences.size());
        for (std::size_t i = 0; i < example.sequences.size(); ++i) {
            EXPECT_EQ(data["sequences"][i].Numbers(), example.sequences[i]);
        }
        EXPECT_EQ(data["cmax"].number, example.cmax);
        ExpectDataAgreesWithTrace(example.input);
    }
}

// Random shapes, revisits included, and enough steps (ft06 has 36, the
// larger ones over 64 evaluations) to cross a snapshot.
TEST(Replay, DataAgreesWithTheTraceOnRandomInstances) {
    ExpectDataAgreesWithTrace(ReadText(testing::SourcePath("examples/ft06/input.txt")));
    std::mt19937 rng(20261208);
    const testing::InstanceShape shapes[] = {
        {.jobs = 1, .machines = 1},
        {.jobs = 5, .machines = 1},
        {.jobs = 1, .machines = 6},
        {.jobs = 4, .machines = 3, .maxTime = 3},
        {.jobs = 7, .machines = 4, .revisits = true},
        {.jobs = 15, .machines = 10},
        {.jobs = 20, .machines = 8, .minTime = 1, .maxTime = 5, .revisits = true},
    };
    for (const testing::InstanceShape& shape : shapes) {
        for (int repeat = 0; repeat < 3; ++repeat) {
            ExpectDataAgreesWithTrace(testing::RandomInstanceText(rng, shape));
        }
    }
}

// ---------------------------------------------------------------------------
// Escaping.

TEST(Replay, JsonStringsOfAnyBytes) {
    const struct {
        std::string bytes;
        std::string json;
    } cases[] = {
        {"ft06", "\"ft06\""},
        {"a<b</script>", "\"a\\u003cb\\u003c/script>\""},
        {"q\"b\\s", "\"q\\\"b\\\\s\""},
        {std::string("\x01\x1f\x7f", 3), "\"\\u0001\\u001f\x7f\""},
        {"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", "\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\""},
        {"a\xff", "\"a\\ufffd\""},                                 // never a UTF-8 byte
        {"\xc3", "\"\\ufffd\""},                                   // cut short at the end
        {"\xe2\x82z", "\"\\ufffd\\ufffdz\""},                      // cut short inside
        {"\xc0\x80", "\"\\ufffd\\ufffd\""},                        // overlong
        {"\xed\xa0\x80", "\"\\ufffd\\ufffd\\ufffd\""},             // a surrogate
        {"\xf4\x90\x80\x80", "\"\\ufffd\\ufffd\\ufffd\\ufffd\""},  // above U+10FFFF
    };
    for (const auto& c : cases) {
        std::string out;
        AppendJsonString(out, c.bytes);
        EXPECT_EQ(out, c.json);
    }
}

// A name that could open markup inside the page's script, and bytes
// that are not UTF-8: the page's data element holds no '<' at all, and reads
// back as the name with U+FFFD for the stray byte.
TEST(Replay, PageEmbedsAnyNameSafely) {
    const std::string name = "x<script><!--\"\xff";
    Model model = testing::LoadText(name + " 1 1\n1 5\n");
    ReplayRecorder recorder;
    ASSERT_EQ(BuildSchedule(model, &recorder), ScheduleOutcome::kComplete);
    const std::string json = ReplayJson(recorder.recording());
    const std::string page = ReplayPage(json);
    const std::string open = "<script type=\"application/json\" id=\"replay-data\">";
    const std::size_t start = page.find(open);
    ASSERT_NE(start, std::string::npos);
    const std::size_t end = page.find("</script>", start);
    const std::string embedded = page.substr(start + open.size(), end - start - open.size());
    EXPECT_EQ(embedded, json);
    EXPECT_EQ(embedded.find('<'), std::string::npos);
    EXPECT_EQ(ParseJson(embedded)["name"].text, "x<script><!--\"\xef\xbf\xbd");
    EXPECT_EQ(page.find(kReplayDataMarker), std::string::npos);
}

// ---------------------------------------------------------------------------
// The command.

struct CommandResult {
    int status;
    std::string out, err;
};

CommandResult Replay(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int status = RunReplay(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(ReplayCommand, UsageErrorsExitTwoWithOneLineAndTheUsage) {
    TempFolder folder;
    const std::string input = (folder / "input.txt").string();
    WriteText(input, "ex 1 1\n1 5\n");
    const std::string page = (folder / "p.html").string();
    const std::vector<std::string> cases[] = {
        {"--bogus"},
        {input, "extra"},
        {"-o"},
        {"-o", page, "-o", page},
        {"-o", ""},
        {input, "-o", input},
        {input, "--json", input},
        {input, "-o", page, "--json", page},
    };
    for (const std::vector<std::string>& args : cases) {
        const CommandResult r = Replay(args);
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_TRUE(r.err.starts_with("Blad: ")) << r.err;
        EXPECT_NE(r.err.find("\n\nUzycie: jobshop-replay"), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.begin() + r.err.find("\n\n"), '\n'), 0);
    }
    EXPECT_EQ(FolderContent(folder.path()), std::vector<std::string>{"input.txt"});
    const CommandResult help = Replay({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(
        help.out.starts_with("Uzycie: jobshop-replay [INSTANCJA] [-o STRONA] [--json DANE]\n"));
    EXPECT_EQ(help.err, "");
}

// Runs the command in `folder` as the current folder, as a user would.
CommandResult ReplayIn(const std::filesystem::path& folder, std::vector<std::string> args) {
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    CommandResult r = Replay(std::move(args));
    std::filesystem::current_path(before);
    return r;
}

TEST(ReplayCommand, WritesThePageAndTheDataUnderTheirNames) {
    TempFolder folder;
    WriteText(folder / "input.txt", "demo 2 2\n1 1 2 2\n2 3 1 4\n");
    WriteText(folder / "demo_krok_po_kroku.html", std::string(200000, 'x'));  // replaced whole
    const CommandResult r = ReplayIn(folder.path(), {"--json", "d.json"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Zapisano strone demo_krok_po_kroku.html\nZapisano dane d.json\n");
    const std::string json = ReadText(folder / "d.json");
    EXPECT_EQ(ParseJson(json)["cmax"].number, 7);
    EXPECT_EQ(ReadText(folder / "demo_krok_po_kroku.html"), ReplayPage(json));
    EXPECT_EQ(FolderContent(folder.path()),
              (std::vector<std::string>{"d.json", "demo_krok_po_kroku.html", "input.txt"}));
}

// Failures exit 1 with the program's own message and leave no file, not
// even a temporary one.
TEST(ReplayCommand, FailuresWriteNothing) {
    const struct {
        const char* input;
        const char* message;
    } cases[] = {
        {"ex 2 1\n1 x\n",
         "\nBlad w pliku in.txt: niepoprawna liczba \"x\": czas operacji 1 (zadanie 1).\n"},
        {"cyc 1 2\n1 0 1 0\n",
         "\nBlad: graf rozwiazania zawiera cykl (czasy wykonania musza byc dodatnie).\n"},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        WriteText(folder / "in.txt", c.input);
        const CommandResult r = ReplayIn(folder.path(), {"in.txt", "--json", "d.json"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, c.message);
        EXPECT_EQ(FolderContent(folder.path()), std::vector<std::string>{"in.txt"});
    }
    TempFolder folder;
    EXPECT_EQ(ReplayIn(folder.path(), {}).err, "\nBlad: nie mozna otworzyc pliku input.txt.\n");
    EXPECT_EQ(ReplayIn(folder.path(), {"missing.txt"}).err,
              "\nBlad: nie mozna otworzyc pliku missing.txt.\n");
    WriteText(folder / "input.txt", "ex 1 1\n1 5\n");
    std::filesystem::create_directory(folder / "ex_krok_po_kroku.html");
    const CommandResult r = ReplayIn(folder.path(), {});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "\nBlad: nie mozna zapisac pliku ex_krok_po_kroku.html.\n");
    EXPECT_EQ(FolderContent(folder.path()),
              (std::vector<std::string>{"ex_krok_po_kroku.html", "input.txt"}));
}

// An output through a link to the instance is over the instance; a link to
// a file not made yet leads to where the other output would be made.
TEST(ReplayCommand, RefusesAnOutputLinkedToTheInstance) {
    TempFolder folder;
    WriteText(folder / "in.txt", "ex 1 1\n1 5\n");
    std::filesystem::create_symlink("in.txt", folder / "page.html");
    const CommandResult r = ReplayIn(folder.path(), {"in.txt", "-o", "page.html"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(ReadText(folder / "in.txt"), "ex 1 1\n1 5\n");
    std::filesystem::create_symlink("new.html", folder / "dangling");
    for (const char* json : {"new.html", "./dangling"}) {
        const CommandResult both =
            ReplayIn(folder.path(), {"in.txt", "-o", "dangling", "--json", json});
        EXPECT_EQ(both.status, 2) << json << both.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "new.html"));
}

// Both outputs or neither; "-" is standard output, which then carries the
// page alone; a name is limited by the file system only.
TEST(ReplayCommand, OutputsFollowTheOutputPolicy) {
    TempFolder folder;
    WriteText(folder / "input.txt", "demo 2 2\n1 1 2 2\n2 3 1 4\n");
    WriteText(folder / "p.html", "old page");
    const CommandResult halfway =
        ReplayIn(folder.path(), {"-o", "p.html", "--json", "missing/d.json"});
    EXPECT_EQ(halfway.status, 1);
    EXPECT_EQ(halfway.err, "\nBlad: nie mozna zapisac pliku missing/d.json.\n");
    EXPECT_EQ(ReadText(folder / "p.html"), "old page");

    const CommandResult toStandardOutput = ReplayIn(folder.path(), {"-o", "-"});
    EXPECT_EQ(toStandardOutput.status, 0) << toStandardOutput.err;
    EXPECT_TRUE(toStandardOutput.out.starts_with("<!DOCTYPE html>")) << toStandardOutput.out;
    EXPECT_EQ(toStandardOutput.out.find("Zapisano"), std::string::npos);
    EXPECT_EQ(ReplayIn(folder.path(), {"-o", "-", "--json", "-"}).status, 2);

    // The default page of the longest names the file system can take, and
    // of a name whose page it cannot.
    const std::string fits(255 - std::string("_krok_po_kroku.html").size(), 'n');
    WriteText(folder / "input.txt", fits + " 1 1\n1 5\n");
    const CommandResult longest = ReplayIn(folder.path(), {});
    EXPECT_EQ(longest.status, 0) << longest.err;
    EXPECT_TRUE(std::filesystem::exists(folder / (fits + "_krok_po_kroku.html")));
    WriteText(folder / "input.txt", fits + "n 1 1\n1 5\n");
    const CommandResult tooLong = ReplayIn(folder.path(), {});
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_EQ(tooLong.err,
              "\nBlad: nazwa pliku " + fits + "n_krok_po_kroku.html jest zbyt dluga.\n");
    EXPECT_EQ(FolderContent(folder.path()),
              (std::vector<std::string>{"input.txt", fits + "_krok_po_kroku.html", "p.html"}));
}

// Standard output that does not take the usage or the closing lines is a
// failure, as in jobshop-insert.
TEST(ReplayCommand, FailedStandardOutputFails) {
    TempFolder folder;
    WriteText(folder / "input.txt", "demo 2 2\n1 1 2 2\n2 3 1 4\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, std::vector<std::string>{}}) {
        SCOPED_TRACE(args.size());
        const std::filesystem::path before = std::filesystem::current_path();
        std::filesystem::current_path(folder.path());
        std::ostringstream closed, err;
        closed.setstate(std::ios::badbit);
        EXPECT_EQ(RunReplay(args, closed, err), 1);
        std::filesystem::current_path(before);
        EXPECT_NE(err.str().find("nie mozna pisac na standardowe wyjscie"), std::string::npos);
    }
}

// The page's size is known before the schedule, as a least size, and while
// recording, as the numbers recorded: neither may pass what is written, or a
// page that opens would be refused.
TEST(Replay, SizeBoundsStayBelowTheData) {
    std::mt19937 rng(1515);
    const testing::InstanceShape shapes[] = {
        {.jobs = 1, .machines = 1},
        {.jobs = 6, .machines = 6},
        {.jobs = 30, .machines = 10},
        {.jobs = 40, .machines = 5, .minTime = -3, .maxTime = 5, .revisits = true},
    };
    for (const testing::InstanceShape& shape : shapes) {
        SCOPED_TRACE(shape.jobs * shape.machines);
        Model model = testing::LoadText(testing::RandomInstanceText(rng, shape));
        const std::uint64_t least = ReplayJsonLowerBound(model);
        ReplayRecorder recorder;
        if (BuildSchedule(model, &recorder) != ScheduleOutcome::kComplete) continue;
        const std::string json = ReplayJson(recorder.recording());
        EXPECT_LE(least, recorder.jsonBytes());
        EXPECT_LE(recorder.jsonBytes(), json.size());
        // Near enough to stop at the limit rather than far past it.
        const ReplayRecording& r = recorder.recording();
        EXPECT_GT(recorder.jsonBytes() + 400 + 16 * r.changes.size() + 4 * r.steps.size(),
                  json.size());
    }
}

// The size predicted from a sample of jobs stays below the data, and near
// enough to refuse at once a page well past the limit: on random times and
// on equal ones, revisits, few machines and many.
TEST(Replay, PredictedSizeStaysBelowTheData) {
    std::mt19937 rng(2121);
    const testing::InstanceShape shapes[] = {
        {.jobs = 150, .machines = 10},
        {.jobs = 150, .machines = 10, .maxTime = 1},
        {.jobs = 100, .machines = 12, .revisits = true},
        {.jobs = 1200, .machines = 1},
        {.jobs = 20, .machines = 60},
    };
    for (const testing::InstanceShape& shape : shapes) {
        SCOPED_TRACE(std::to_string(shape.jobs) + " x " + std::to_string(shape.machines));
        Model model = testing::LoadText(testing::RandomInstanceText(rng, shape));
        const std::uint64_t predicted = PredictReplayJsonBytes(model, 128);
        ReplayRecorder recorder(UINT64_MAX, ReplayRecorder::Keep::kCountOnly);
        ASSERT_EQ(BuildSchedule(model, &recorder), ScheduleOutcome::kComplete);
        EXPECT_LE(predicted, recorder.jsonBytes());
        EXPECT_GE(predicted, recorder.jsonBytes() * 7 / 10);
    }
}

// A page up to the limit is written; one that could not be opened is
// refused at once, without scheduling: by its least size (100,000
// operations) or by its predicted one (30,000, of about 690 MB).
TEST(ReplayCommand, RefusesPagesNoBrowserOpens) {
    TempFolder folder;
    std::mt19937 rng(30);
    WriteText(folder / "small.txt",
              testing::RandomInstanceText(rng, {.jobs = 250, .machines = 20, .name = "small"}));
    const CommandResult small = ReplayIn(folder.path(), {"small.txt"});
    EXPECT_EQ(small.status, 0) << small.err;
    for (const std::int32_t jobs : {5000, 1500}) {
        SCOPED_TRACE(jobs);
        WriteText(folder / "huge.txt",
                  testing::RandomInstanceText(rng, {.jobs = jobs, .machines = 20, .name = "huge"}));
        const auto start = std::chrono::steady_clock::now();
        const CommandResult huge = ReplayIn(folder.path(), {"huge.txt"});
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(huge.status, 1);
        EXPECT_EQ(huge.err,
                  "\nBlad: strona tej instancji mialaby ponad 500 MB, wiecej niz przegladarka moze "
                  "otworzyc.\n");
        EXPECT_LT(took.count(), 2.0);
        EXPECT_FALSE(std::filesystem::exists(folder / "huge_krok_po_kroku.html"));
    }
}

}  // namespace
}  // namespace jobshop
