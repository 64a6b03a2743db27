// jobshop-class: the class set's instances and numbering, the Moodle quiz
// against the program's traces (read with a real XML parser), escaping, and
// what is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "driver/ClassCommand.h"
#include "driver/GenerateCommand.h"

namespace jobshop {
namespace {

namespace fs = std::filesystem;
using testing::FolderContent;
using testing::ReadText;
using testing::TempFolder;

testing::RunResult Class(std::vector<std::string> args) {
    return testing::RunCommand(
        [&](std::ostream& out, std::ostream& err) { return RunClass(args, out, err); });
}

std::vector<std::string> Lines(const std::string& text, char end = '\n') {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line, end);) lines.push_back(line);
    return lines;
}

std::vector<std::int64_t> Numbers(const std::string& line) {
    std::vector<std::int64_t> out;
    std::istringstream in(line);
    for (std::int64_t x; in >> x;) out.push_back(x);
    return out;
}

// ---------------------------------------------------------------------------
// The cells an exercise asks, worked out from jobshop-insert's trace alone:
// its tables, topological lines and permutation blocks, and the rules the
// sheets state (u and v the neighbours at position b, the estimate
// max(R[PO], R[u]) + p + max(Q[NO], Q[v])).

struct TraceStep {
    std::vector<std::int64_t> topo;
    std::vector<std::vector<std::int64_t>> table;  // rows of Lp M p NO PO NM PM R Q
    std::vector<std::vector<std::int64_t>> perm;   // machine rows after the step
};

struct Trace {
    std::vector<std::int64_t> order;
    std::vector<TraceStep> steps;
    std::int64_t cmax = 0;
};

Trace ReadTrace(const std::string& text) {
    Trace trace;
    const std::string stars = std::string(58, '*') + "\n";
    std::vector<std::string> sections;
    for (std::size_t at = 0, next; (next = text.find(stars, at)) != std::string::npos;
         at = next + stars.size()) {
        sections.push_back(text.substr(at, next - at));
    }
    std::vector<std::string> first = Lines(sections.front());
    for (const std::int64_t x :
         Numbers(std::regex_replace(first[1], std::regex("\\(-?\\d+\\)"), " "))) {
        trace.order.push_back(x);
    }
    for (std::size_t s = 0; s + 1 < sections.size(); ++s) {
        TraceStep step;
        const std::vector<std::string> lines = Lines(sections[s]);
        for (std::size_t i = s == 0 ? 3 : 0; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            if (line.rfind("Topologicznie:", 0) == 0) {
                step.topo = Numbers(line.substr(14));
            } else if (line.rfind("Lp", 0) == 0) {
                for (std::size_t k = 0; k < step.topo.size(); ++k)
                    step.table.push_back(Numbers(lines[i + 1 + k]));
                i += step.topo.size();
            } else if (!line.empty()) {
                step.perm.push_back(Numbers(line));
            }
        }
        trace.steps.push_back(step);
    }
    const std::smatch found = [&] {
        std::smatch m;
        std::regex_search(sections.back(), m, std::regex("Funkcja celu Cmax = (-?\\d+)"));
        return m;
    }();
    trace.cmax = std::stoll(found[1]);
    return trace;
}

// key -> answer of every cell the words ask at steps from..to.
std::map<std::string, std::int64_t> ExpectedCells(const Trace& trace,
                                                  const std::vector<std::string>& ask,
                                                  std::size_t from, std::size_t to) {
    const auto asks = [&](const char* w) {
        return std::find(ask.begin(), ask.end(), w) != ask.end();
    };
    std::map<std::string, std::int64_t> cells;
    for (std::size_t t = from; t <= to; ++t) {
        const TraceStep& s = trace.steps[t - 1];
        if (s.table.empty()) continue;
        const std::string at = std::string("@").append(std::to_string(t));
        const auto put = [&](const std::string& key, std::int64_t value) {
            cells[key + at] = value;
        };
        const std::int64_t op = trace.order[t - 1];
        const auto& row = s.table[op - 1];
        const auto R = [&](std::int64_t k) { return k == 0 ? 0 : s.table[k - 1][7]; };
        const auto Q = [&](std::int64_t k) { return k == 0 ? 0 : s.table[k - 1][8]; };
        std::vector<std::int64_t> before, after;
        for (const std::int64_t k : trace.steps[t - 2].perm[row[1] - 1])
            if (k != 0) before.push_back(k);
        for (const std::int64_t k : s.perm[row[1] - 1])
            if (k != 0) after.push_back(k);
        for (std::size_t r = 0; r < s.topo.size(); ++r)
            if (asks("topo")) put("topo:" + std::to_string(r + 1), s.topo[r]);
        for (const auto& cols : s.table) {
            const std::string k = std::to_string(cols[0]);
            if (asks("links")) put("NM:" + k, cols[5]), put("PM:" + k, cols[6]);
            if (asks("rq")) put("R:" + k, cols[7]), put("Q:" + k, cols[8]);
        }
        for (std::size_t b = 1; b <= before.size() + 1; ++b) {
            const std::string k = std::to_string(b);
            const std::int64_t u = b >= 2 ? before[b - 2] : 0,
                               v = b <= before.size() ? before[b - 1] : 0;
            const std::int64_t head = std::max(R(row[4]), R(u)), tail = std::max(Q(row[3]), Q(v));
            if (asks("uv")) put("u:" + k, u), put("v:" + k, v);
            if (asks("terms")) put("head:" + k, head), put("tail:" + k, tail);
            if (asks("est")) put("est:" + k, head + row[2] + tail);
        }
        if (asks("pos")) put("pos", std::find(after.begin(), after.end(), op) - after.begin() + 1);
        for (std::size_t i = 0; i < after.size(); ++i)
            if (asks("seq")) put("seq:" + std::to_string(i + 1), after[i]);
    }
    if (asks("cmax")) {
        // The longest path after step `to`: the largest R of the next table,
        // which shows that graph, or Cmax when no table follows.
        std::int64_t cmax = trace.cmax;
        for (std::size_t t = to + 1; t <= trace.steps.size(); ++t) {
            if (trace.steps[t - 1].table.empty()) continue;
            cmax = 0;
            for (const auto& cols : trace.steps[t - 1].table) cmax = std::max(cmax, cols[7]);
            break;
        }
        cells["cmax@" + std::to_string(to)] = cmax;
    }
    return cells;
}

// The subquestions of each cloze question: key@step -> its answer.
std::vector<std::map<std::string, std::int64_t>> QuizCells(const std::string& xml) {
    std::vector<std::map<std::string, std::int64_t>> questions;
    const std::regex field(
        "<span data-cell=\"([^\"]+)\" data-step=\"(\\d+)\">\\{1:NUMERICAL:=(-?\\d+):0\\}</span>");
    for (const std::string& question :
         Lines(std::regex_replace(xml, std::regex("<question type=\"cloze\">"), "\x01"), '\x01')) {
        if (question.rfind("<?xml", 0) == 0) continue;
        auto& cells = questions.emplace_back();
        const std::string text = question.substr(0, question.find("<generalfeedback"));
        for (std::sregex_iterator m(text.begin(), text.end(), field), end; m != end; ++m) {
            EXPECT_TRUE(
                cells.emplace((*m)[1].str() + "@" + (*m)[2].str(), std::stoll((*m)[3])).second)
                << (*m)[0];
        }
    }
    return questions;
}

// xmllint's answer to an XPath expression over `file`, or nothing when the
// file is not well-formed XML.
std::optional<std::string> XPath(const fs::path& file, const std::string& expression) {
    const std::string command =
        "xmllint --xpath \"" + expression + "\" '" + file.string() + "' 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    if (!pipe || ::pclose(pipe) != 0) return std::nullopt;
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

bool HaveXmllint() {
    return std::system("xmllint --version >/dev/null 2>&1") == 0;
}

// ---------------------------------------------------------------------------

TEST(Class, VariantsAreJobshopGenerateClassInstancesNumberedWithTheirTraceCmax) {
    TempFolder folder;
    const auto made = Class({"--students", "4", "--jobs", "3", "--machines", "3", "--seed", "2027",
                             "-o", (folder / "set").string()});
    ASSERT_EQ(made.status, 0) << made.err;
    const auto generated = testing::RunCommand([&](std::ostream& out, std::ostream& err) {
        const std::vector<std::string> args = {
            "--jobs", "3",    "--machines", "3", "--times", "1-9",
            "--seed", "2027", "--count",    "4", "-o",      (folder / "gen").string()};
        return RunGenerate(args, out, err);
    });
    ASSERT_EQ(generated.status, 0) << generated.err;
    const std::vector<std::string> names = FolderContent(folder / "gen");
    ASSERT_EQ(FolderContent(folder / "set" / "instancje"), names);
    for (const std::string& name : names) {
        EXPECT_EQ(ReadText(folder / "set" / "instancje" / name), ReadText(folder / "gen" / name))
            << name;
    }
    EXPECT_EQ(FolderContent(folder / "set"),
              (std::vector<std::string>{"arkusze.html", "instancje", "klucz.html", "moodle.xml",
                                        "warianty.csv"}));

    // Variant k is the class's k-th instance, whatever the class's size.
    const auto one = Class({"--students", "1", "--jobs", "3", "--machines", "3", "--seed", "2027",
                            "-o", (folder / "one").string()});
    ASSERT_EQ(one.status, 0) << one.err;
    const std::vector<std::string> roster = Lines(ReadText(folder / "set" / "warianty.csv"), '\n');
    ASSERT_EQ(roster.size(), 5u);
    EXPECT_EQ(roster[0], "variant,instance,seed,cmax\r");
    EXPECT_EQ(Lines(ReadText(folder / "one" / "warianty.csv"), '\n')[1], roster[1]);
    for (std::size_t v = 1; v <= 4; ++v) {
        const std::vector<std::string> fields =
            Lines(roster[v].substr(0, roster[v].size() - 1), ',');
        ASSERT_EQ(fields.size(), 4u) << roster[v];
        EXPECT_EQ(fields[0], std::to_string(v));
        EXPECT_EQ(fields[2], "2027");
        ASSERT_TRUE(fs::exists(folder / "set" / "instancje" / (fields[1] + ".txt")));
        TempFolder run;
        fs::copy_file(folder / "set" / "instancje" / (fields[1] + ".txt"), run / "input.txt");
        ASSERT_EQ(testing::RunInFolder(run.path()).status, 0);
        EXPECT_EQ(std::stoll(fields[3]),
                  ReadTrace(ReadText(run / (fields[1] + "_krok_po_kroku.txt"))).cmax);
    }

    // The same seed gives the same set, byte for byte.
    ASSERT_EQ(Class({"--students", "4", "--jobs", "3", "--machines", "3", "--seed", "2027", "-o",
                     (folder / "again").string()})
                  .status,
              0);
    for (const char* file : {"arkusze.html", "klucz.html", "moodle.xml", "warianty.csv"}) {
        EXPECT_EQ(ReadText(folder / "again" / file), ReadText(folder / "set" / file)) << file;
    }
}

// Every subquestion of every variant against the trace: all the words at
// every step of a 3 x 3, and a middle range of a 4 x 3 (its makespan from a
// later table), in both languages.
TEST(Class, EveryMoodleAnswerIsTheTracesNumber) {
    if (!HaveXmllint()) GTEST_SKIP() << "xmllint is not installed (Debian: libxml2-utils)";
    struct Case {
        std::vector<std::string> args;
        std::size_t from, to;
    };
    const std::vector<Case> cases = {
        {{"--jobs", "3", "--machines", "3", "--ask", "rq,links,topo,uv,est,terms,pos,seq,cmax"},
         1,
         9},
        {{"--jobs", "4", "--machines", "3", "--steps", "4-8", "--lang", "en"}, 4, 8},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        std::vector<std::string> args = {"--students", "3",    "--seed", "77",
                                         "--times",    "1-20", "-o",     folder.path().string()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto made = Class(args);
        ASSERT_EQ(made.status, 0) << made.err;
        const fs::path xml = folder / "moodle.xml";
        // The structure Moodle's importer reads, by a real XML parser.
        EXPECT_EQ(XPath(xml, "count(/quiz/question[@type='category']/category/text)"), "1");
        EXPECT_EQ(
            XPath(
                xml,
                "count(/quiz/question[@type='cloze'][name/text][questiontext[@format='html']/text]"
                "[generalfeedback[@format='html']/text])"),
            "3");
        const std::string text = ReadText(xml);
        std::size_t cdata = 0;
        for (std::size_t at = 0; (at = text.find("<questiontext format=\"html\"><text><![CDATA[",
                                                 at)) != std::string::npos;
             ++at)
            ++cdata;
        EXPECT_EQ(cdata, 3u);

        const bool english = std::find(c.args.begin(), c.args.end(), "en") != c.args.end();
        const std::vector<std::string> roster =
            Lines(ReadText(folder / (english ? "roster.csv" : "warianty.csv")));
        const auto quiz = QuizCells(text);
        ASSERT_EQ(quiz.size(), 3u);
        const std::vector<std::string> ask =
            c.args[5] == "rq,links,topo,uv,est,terms,pos,seq,cmax"
                ? std::vector<std::string>{"rq",    "links", "topo", "uv",  "est",
                                           "terms", "pos",   "seq",  "cmax"}
                : std::vector<std::string>{"rq", "est", "pos", "seq", "cmax"};
        for (std::size_t v = 0; v < 3; ++v) {
            const std::string name = Lines(roster[v + 1], ',')[1];
            TempFolder run;
            fs::copy_file(folder / (english ? "instances" : "instancje") / (name + ".txt"),
                          run / "input.txt");
            ASSERT_EQ(testing::RunInFolder(run.path()).status, 0);
            const Trace trace = ReadTrace(ReadText(run / (name + "_krok_po_kroku.txt")));
            EXPECT_EQ(quiz[v], ExpectedCells(trace, ask, c.from, c.to)) << name;
            const std::string grade =
                "<defaultgrade>" + std::to_string(quiz[v].size()) + "</defaultgrade>";
            EXPECT_NE(text.find(grade), std::string::npos) << grade;
        }
    }
}

TEST(Class, TitlesGoIntoTheQuizEscapedForXmlAndCloze) {
    if (!HaveXmllint()) GTEST_SKIP() << "xmllint is not installed (Debian: libxml2-utils)";
    TempFolder folder;
    const std::string title = "R&D <b>1/2</b> ]]> {1:NUMERICAL:=5:0} ~#= \"q\"";
    const auto made = Class({"--students", "2", "--jobs", "2", "--machines", "2", "--seed", "5",
                             "--title", title, "-o", folder.path().string()});
    ASSERT_EQ(made.status, 0) << made.err;
    const fs::path xml = folder / "moodle.xml";
    const auto category = XPath(xml, "string(/quiz/question[@type='category']/category/text)");
    ASSERT_TRUE(category) << "not well-formed";
    EXPECT_EQ(
        *category,
        "$course$/top/R&D <b>1//2<//b> ]]> {1:NUMERICAL:=5:0} ~#= \"q\" (ziarno 5, kroki 1–4)");
    EXPECT_EQ(XPath(xml, "string(/quiz/question[@type='cloze'][2]/name/text)"), "Wariant 2");
    const std::string text = ReadText(xml);
    EXPECT_NE(text.find("<b>R&amp;D &lt;b&gt;1/2&lt;/b&gt; ]]&gt; &#123;1:NUMERICAL:&#61;5:0&#125; "
                        "&#126;&#35;&#61; "
                        "&quot;q&quot;</b>"),
              std::string::npos);
    // Only the fields are subquestions.
    std::size_t braces = 0, fields = 0;
    for (std::size_t at = 0; (at = text.find("{1:NUMERICAL:", at)) != std::string::npos; ++at)
        ++braces;
    for (const auto& cells : QuizCells(text)) fields += cells.size();
    EXPECT_EQ(braces, fields + 1) << "the title's own, in the category";
}

TEST(Class, RefusesWhatCannotMakeASet) {
    TempFolder folder;
    const std::string out = (folder / "set").string();
    const std::vector<std::pair<std::vector<std::string>, std::string>> usage = {
        {{"--ask", "rq,speed"}, "no part is called 'speed'"},
        {{"--ask", " , "}, "name at least one part"},
        {{"--steps", "3-10"}, "steps 1-9"},
        {{"--jobs", "4", "--steps", "1-11"}, "at most 10 steps"},
        {{"--jobs", "4"}, "--steps A-B is needed"},
        {{"--jobs", "16"}, "--jobs"},
        {{"--title", "a\tb"}, "control characters"},
        {{"--title", "\xc5"}, "not UTF-8"},
        {{"--base-url", "https://x/p.html#top"}, "no '#'"},
        {{"--lang", "de"}, "--lang"},
    };
    for (const auto& [extra, message] : usage) {
        std::vector<std::string> args = {"--students", "2", "--machines", "3", "-o", out};
        if (extra[0] != "--jobs") args.insert(args.end(), {"--jobs", "3"});
        args.insert(args.end(), extra.begin(), extra.end());
        const auto refused = Class(args);
        EXPECT_EQ(refused.status, 2) << message;
        EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
    }
    // Without chromium on the path, --pdf names the package; with one that
    // fails, it says what the browser said. Neither writes anything.
    TempFolder bin;
    testing::WriteText(bin / "chromium", "#!/bin/sh\necho 'cannot open display' >&2\nexit 3\n");
    fs::permissions(bin / "chromium", fs::perms::owner_all);
    const char* path = std::getenv("PATH");
    const std::string saved = path ? path : "";
    for (const auto& [dir, message] :
         {std::pair{folder.path(), "apt-get install chromium"},
          std::pair{bin.path(), "did not print arkusze.html: cannot open display"}}) {
        ::setenv("PATH", dir.c_str(), 1);
        const auto failed =
            Class({"--students", "2", "--jobs", "3", "--machines", "3", "--pdf", "-o", out});
        ::setenv("PATH", saved.c_str(), 1);
        EXPECT_EQ(failed.status, 1);
        EXPECT_NE(failed.err.find(message), std::string::npos) << failed.err;
        EXPECT_EQ(FolderContent(folder.path()), std::vector<std::string>{});
    }
}

TEST(Class, RosterLinksOpenEachVariantInPractice) {
    TempFolder folder;
    ASSERT_EQ(Class({"--students", "2", "--jobs", "3", "--machines", "2", "--seed", "9", "--lang",
                     "en", "--ask", "uv,pos", "--base-url",
                     "https://uni.example/js/jobshop-web.html?v=2", "-o", folder.path().string()})
                  .status,
              0);
    const std::vector<std::string> roster = Lines(ReadText(folder / "roster.csv"));
    EXPECT_EQ(roster[0], "variant,instance,seed,cmax,link\r");
    const std::regex line(
        "2,gen3x2_t1-9_\\d+_\\d+,9,\\d+,\"https://uni\\.example/js/"
        "jobshop-web\\.html\\?v=2&practice&"
        "ask=uv,pos&steps=1-6&lang=en#i=1[A-Za-z0-9_-]+\"\r");
    EXPECT_TRUE(std::regex_match(roster[2], line)) << roster[2];
}

}  // namespace
}  // namespace jobshop
