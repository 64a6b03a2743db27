#include "report/MoodleXml.h"

#include <algorithm>
#include <cstdint>
#include <map>

namespace jobshop {
namespace {

// The words of the quiz in one language; {x} marks where a value goes.
struct Words {
    std::string_view title, variant, category, instance, job, jobs1, jobs2, jobs5, machines1,
        machines2, machines5, rules, start, whole, step, empty, table, topo, lp, candidates,
        position, estimate, chosen, sequence, cmax, worked, derivePosition, estimates, best, tie,
        seq, seqEmpty, links, rest, cmaxDerived, none;
};

constexpr Words kPolish{
    "Heurystyka wstawień",
    "Wariant {n}",
    "{title} (ziarno {seed}, kroki {from}–{to})",
    "Instancja {name}: {jobs}, {machines}.",
    "zadanie",
    "zadanie",
    "zadania",
    "zadań",
    "maszyna",
    "maszyny",
    "maszyn",
    "Operacje wstawia się w kolejności nierosnących czasów p (przy równych czasach rosnąco według "
    "numerów). R i Q obejmują czas samej operacji. Oszacowanie pozycji = max(R[PO], R[u]) + p + "
    "max(Q[NO], Q[v]), gdzie u i v to sąsiedzi operacji na maszynie po wstawieniu (0 = brak); "
    "wygrywa najmniejsze, przy równych pozycja najbliżej początku kolejki maszyny.",
    "Kolejki maszyn przed krokiem {t}:",
    "Wpisuj liczby całkowite; 0 oznacza brak operacji.",
    "Krok {t}: wstaw operację {op} (zadanie {job}, maszyna {machine}, p = {p})",
    "Maszyna {machine} jest pusta: operacja staje na pozycji 1, bez obliczeń.",
    "Tabela kroku (graf przed wstawieniem)",
    "Topologicznie:",
    "Lp",
    "Pozycje na maszynie {machine}",
    "poz.",
    "oszacowanie",
    "Wybrana pozycja:",
    "Kolejka maszyny {machine} po kroku:",
    "Cmax po kroku {t} (długość najdłuższej drogi w grafie):",
    "Rozwiązanie",
    "pozycja {b}",
    "Oszacowania pozycji od 1 do {last}: {estimates}.",
    "Najmniejsze oszacowanie ({best}) ma tylko pozycja {b}, więc ona wygrywa.",
    "Najmniejsze oszacowanie ({best}) mają pozycje {ties}; przy remisie wygrywa pozycja najbliżej "
    "początku kolejki maszyny: {b}.",
    "Maszyna {machine} przed wstawieniem: {before}; operacja {op} na pozycji {b} daje {after}.",
    "pusta",
    "NM i PM z kolejek maszyn przed wstawieniem:",
    "pozostałe operacje: NM = PM = 0",
    "Cmax po kroku {t} = największe R w grafie po kroku = {cmax}.",
    "–",
};

constexpr Words kEnglish{
    "The insertion heuristic",
    "Variant {n}",
    "{title} (seed {seed}, steps {from}–{to})",
    "Instance {name}: {jobs}, {machines}.",
    "job",
    "job",
    "jobs",
    "jobs",
    "machine",
    "machines",
    "machines",
    "Operations are inserted by non-increasing time p (equal times by increasing number). R and Q "
    "include the operation's own time. Estimate of a position = max(R[PO], R[u]) + p + max(Q[NO], "
    "Q[v]), where u and v are the operation's neighbours on the machine after the insertion (0 = "
    "none); the smallest wins, among equal ones the position nearest the front of the machine's "
    "sequence.",
    "Machine sequences before step {t}:",
    "Answer with whole numbers; 0 stands for no operation.",
    "Step {t}: insert operation {op} (job {job}, machine {machine}, p = {p})",
    "Machine {machine} is empty: the operation takes position 1, nothing to compute.",
    "The step's table (the graph before the insertion)",
    "Topological order:",
    "Op",
    "Positions on machine {machine}",
    "pos.",
    "estimate",
    "Chosen position:",
    "Machine {machine}'s sequence after the step:",
    "Cmax after step {t} (the length of the longest path in the graph):",
    "Worked answers",
    "position {b}",
    "Estimates of positions 1 to {last}: {estimates}.",
    "Only position {b} has the smallest estimate ({best}), so it wins.",
    "The smallest estimate ({best}) is shared by positions {ties}; of equal estimates the position "
    "nearest the front of the machine's sequence wins: {b}.",
    "Machine {machine} before the insertion: {before}; operation {op} at position {b} gives "
    "{after}.",
    "empty",
    "NM and PM from the machine sequences before the insertion:",
    "all other operations: NM = PM = 0",
    "Cmax after step {t} = the largest R of the graph after the step = {cmax}.",
    "–",
};

// `pattern` with each {name} replaced by its value.
std::string Fill(std::string_view pattern,
                 std::initializer_list<std::pair<std::string_view, std::string>> values) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        if (pattern[i] == '{') {
            const std::size_t end = pattern.find('}', i);
            const std::string_view name = pattern.substr(i + 1, end - i - 1);
            const auto found = std::find_if(values.begin(), values.end(),
                                            [&](const auto& v) { return v.first == name; });
            if (found != values.end()) {
                out += found->second;
                i = end + 1;
                continue;
            }
        }
        out += pattern[i++];
    }
    return out;
}

std::string N(Time value) {
    return std::to_string(value);
}

// A number after an operator: a negative one in parentheses.
std::string Operand(Time value) {
    return value < 0 ? "(" + N(value) + ")" : N(value);
}

std::string Joined(const std::vector<Operation>& list, std::string_view empty) {
    if (list.empty()) return std::string(empty);
    std::string out;
    for (const Operation k : list) {
        if (!out.empty()) out += ' ';
        out += N(k);
    }
    return out;
}

// "3 zadania" / "3 jobs".
std::string Counted(std::int64_t n, std::string_view one, std::string_view few,
                    std::string_view many, bool english) {
    std::string_view word = many;
    if (n == 1) {
        word = one;
    } else if (english) {
        word = few;
    } else if (n % 10 >= 2 && n % 10 <= 4 && (n % 100 < 12 || n % 100 > 14)) {
        word = few;
    }
    return N(n) + " " + std::string(word);
}

// Text for an XML element's content.
std::string XmlText(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else {
            out += c;
        }
    }
    return out;
}

// HTML in a CDATA section; a "]]>" in it is split across two sections.
std::string Cdata(std::string_view html) {
    std::string out = "<![CDATA[";
    for (std::size_t i = 0; i < html.size(); ++i) {
        if (html.compare(i, 3, "]]>") == 0) {
            out += "]]]]><![CDATA[>";
            i += 2;
        } else {
            out += html[i];
        }
    }
    return out + "]]>";
}

// A Moodle category path: '/' separates categories, so one inside a name
// is written twice.
std::string CategoryName(std::string_view name) {
    std::string out;
    for (const char c : name) out += c == '/' ? std::string("//") : std::string(1, c);
    return out;
}

// The question of one variant and its worked answers, built side by side.
class Question {
  public:
    Question(const ClassSet& set, const ClassVariant& v)
        : set_(set), v_(v), w_(set.english ? kEnglish : kPolish) {}

    void Build() {
        const std::string title = set_.title.empty() ? std::string(w_.title) : set_.title;
        text_ += "<div class=\"jobshop-class\" data-variant=\"" + N(v_.number) + "\">\n<p><b>" +
                 ClozeText(title) + "</b> · " + Fill(w_.variant, {{"n", N(v_.number)}}) + "</p>\n";
        text_ += "<p>" +
                 Fill(w_.instance,
                      {{"name", ClozeText(v_.name)},
                       {"jobs", Counted(v_.jobs, w_.jobs1, w_.jobs2, w_.jobs5, set_.english)},
                       {"machines", Counted(v_.machines, w_.machines1, w_.machines2, w_.machines5,
                                            set_.english)}}) +
                 "</p>\n";
        InstanceTable();
        text_ +=
            "<p>" + std::string(w_.rules) + "</p>\n<p>" + Fill(w_.start, {{"t", N(set_.from)}});
        const auto& start = v_.exercise.start;
        for (std::size_t i = 0; i < start.size(); ++i) {
            text_ += (i == 0 ? " M" : "; M") + N(static_cast<Time>(i + 1)) + ": " +
                     Joined(start[i], w_.none);
        }
        text_ += "</p>\n<p><i>" + std::string(w_.whole) + "</i></p>\n";
        for (const ExerciseStep& s : v_.exercise.steps) Step(s);
        if (const auto cell = MakespanCell(v_.exercise, set_.ask)) {
            text_ += "<p>" + Fill(w_.cmax, {{"t", N(cell->t)}}) + " " + Field(*cell) + "</p>\n";
            feedback_ += "<p>" +
                         Fill(w_.cmaxDerived, {{"t", N(cell->t)}, {"cmax", N(cell->answer)}}) +
                         "</p>\n";
        }
        text_ += "</div>";
    }

    std::string Xml() const {
        std::string name(Fill(w_.variant, {{"n", Padded(v_.number)}}));
        return "<question type=\"cloze\">\n<name><text>" + XmlText(name) +
               "</text></name>\n<questiontext format=\"html\"><text>" + Cdata(text_) +
               "</text></questiontext>\n<generalfeedback format=\"html\"><text>" +
               Cdata("<h4>" + std::string(w_.worked) + "</h4>\n" + feedback_) +
               "</text></generalfeedback>\n<defaultgrade>" + N(points_) +
               "</defaultgrade>\n<penalty>0.3333333</penalty>\n<hidden>0</hidden>\n</question>\n";
    }

  private:
    // The variant's number with as many digits as the set's largest, so
    // that a question bank sorting by name keeps the variants in order.
    std::string Padded(std::int32_t n) const {
        std::string text = N(n);
        const std::size_t digits = N(static_cast<Time>(set_.variants.size())).size();
        return std::string(digits > text.size() ? digits - text.size() : 0, '0') + text;
    }

    // A NUMERICAL subquestion, exact, inside the element that names its cell.
    std::string Field(const ExerciseCell& cell) {
        ++points_;
        return "<span data-cell=\"" + cell.key + "\" data-step=\"" + N(cell.t) +
               "\">{1:NUMERICAL:=" + N(cell.answer) + ":0}</span>";
    }

    // The field of `key` when the step asks it, else the given value.
    std::string Value(const std::string& key, Time value) {
        const auto at = asked_.find(key);
        return at == asked_.end() ? N(value) : Field(at->second);
    }

    void InstanceTable() {
        text_ += "<table border=\"1\" cellpadding=\"3\"><tr><th>" + std::string(w_.job) + "</th>";
        for (std::int32_t c = 1; c <= v_.machines; ++c) text_ += "<th>" + N(c) + "</th>";
        text_ += "</tr>\n";
        for (std::int32_t j = 1; j <= v_.jobs; ++j) {
            text_ += "<tr><th>" + N(j) + "</th>";
            for (std::int32_t c = 1; c <= v_.machines; ++c) {
                const std::int64_t k = std::int64_t{j - 1} * v_.machines + c;
                text_ += "<td><b>" + N(k) + "</b> M" + N(v_.M[k]) + " p=" + N(v_.p[k]) + "</td>";
            }
            text_ += "</tr>\n";
        }
        text_ += "</table>\n";
    }

    void Step(const ExerciseStep& s) {
        asked_.clear();
        for (ExerciseCell& cell : StepCells(s, set_.ask)) asked_.emplace(cell.key, cell);
        const std::int32_t job = (s.op - 1) / std::max(v_.machines, 1) + 1;
        const std::string heading = Fill(w_.step, {{"t", N(s.t)},
                                                   {"op", N(s.op)},
                                                   {"job", N(job)},
                                                   {"machine", N(s.machine)},
                                                   {"p", N(s.p)}});
        text_ += "<h4>" + heading + "</h4>\n";
        const std::size_t before = feedback_.size();
        if (s.evaluated) {
            text_ += "<p>" + std::string(w_.topo);
            for (std::size_t r = 0; r < s.topo.size(); ++r)
                text_ += " " + Value("topo:" + N(static_cast<Time>(r + 1)), s.topo[r]);
            text_ += "</p>\n<p>" + std::string(w_.table) +
                     "</p>\n<table border=\"1\" cellpadding=\"3\"><tr>";
            for (const std::string_view h :
                 {w_.lp, std::string_view("M"), std::string_view("p"), std::string_view("NO"),
                  std::string_view("PO"), std::string_view("NM"), std::string_view("PM"),
                  std::string_view("R"), std::string_view("Q")}) {
                text_ += "<th>" + std::string(h) + "</th>";
            }
            text_ += "</tr>\n";
            for (Operation k = 1; k < static_cast<Operation>(s.R.size()); ++k) {
                const std::string at = N(k);
                text_ += "<tr><td>" + at + "</td><td>" + N(v_.M[k]) + "</td><td>" + N(v_.p[k]) +
                         "</td><td>" + N(k % v_.machines != 0 ? k + 1 : 0) + "</td><td>" +
                         N((k - 1) % v_.machines != 0 ? k - 1 : 0) + "</td><td>" +
                         Value("NM:" + at, s.NM[k]) + "</td><td>" + Value("PM:" + at, s.PM[k]) +
                         "</td><td>" + Value("R:" + at, s.R[k]) + "</td><td>" +
                         Value("Q:" + at, s.Q[k]) + "</td></tr>\n";
            }
            text_ += "</table>\n";
            Candidates(s);
            text_ += "<p>" + std::string(w_.chosen) + " " + Value("pos", s.position) + "</p>\n";
            Derivations(s);
        } else {
            text_ += "<p>" + Fill(w_.empty, {{"machine", N(s.machine)}}) + "</p>\n";
        }
        text_ += "<p>" + Fill(w_.sequence, {{"machine", N(s.machine)}});
        for (std::size_t i = 0; i < s.after.size(); ++i)
            text_ += " " + Value("seq:" + N(static_cast<Time>(i + 1)), s.after[i]);
        text_ += "</p>\n";
        if (feedback_.size() > before) feedback_.insert(before, "<h4>" + heading + "</h4>\n");
    }

    void Candidates(const ExerciseStep& s) {
        // The max terms give the sums away: asked for the sums alone, they are left out.
        const bool terms = !set_.ask.Has(AskWord::kEst) || set_.ask.Has(AskWord::kTerms);
        text_ += "<p>" + Fill(w_.candidates, {{"machine", N(s.machine)}}) +
                 "</p>\n<table border=\"1\" cellpadding=\"3\"><tr><th>" + std::string(w_.position) +
                 "</th><th>u</th><th>v</th>" + (terms ? "<th>max(R[PO], R[u])</th>" : "") +
                 "<th>p</th>" + (terms ? "<th>max(Q[NO], Q[v])</th>" : "") + "<th>" +
                 std::string(w_.estimate) + "</th></tr>\n";
        for (std::int32_t b = 1; b <= static_cast<std::int32_t>(s.estimates.size()); ++b) {
            const std::string at = N(b);
            text_ += "<tr><td>" + at + "</td><td>" + Value("u:" + at, s.U(b)) + "</td><td>" +
                     Value("v:" + at, s.V(b)) + "</td>" +
                     (terms ? "<td>" + Value("head:" + at, s.Head(b)) + "</td>" : "") + "<td>" +
                     N(s.p) + "</td>" +
                     (terms ? "<td>" + Value("tail:" + at, s.Tail(b)) + "</td>" : "") + "<td>" +
                     Value("est:" + at, s.estimates[b - 1]) + "</td></tr>\n";
        }
        text_ += "</table>\n";
    }

    // max(R[PO]=R[3], R[u]=R[7]) and max(9, 12) of two terms.
    static std::string Named(char letter, std::string_view role1, Operation a,
                             std::string_view role2, Operation b) {
        const std::string l(1, letter);
        return "max(" + l + "[" + std::string(role1) + "]=" + l + "[" + N(a) + "], " + l + "[" +
               std::string(role2) + "]=" + l + "[" + N(b) + "])";
    }
    static std::string Values(Time a, Time b) { return "max(" + N(a) + ", " + N(b) + ")"; }

    void Line(const std::string& line) { feedback_ += "<li>" + line + "</li>\n"; }

    // The worked answers of what the step asks, in the computation's order.
    void Derivations(const ExerciseStep& s) {
        const Ask ask = set_.ask;
        const std::string open = "<ul>\n";
        const std::size_t start = feedback_.size();
        const std::int32_t m = v_.machines;
        const auto PO = [m](Operation k) { return (k - 1) % m != 0 ? k - 1 : 0; };
        const auto NO = [m](Operation k) { return k % m != 0 ? k + 1 : 0; };
        if (ask.Has(AskWord::kTopo)) Line(std::string(w_.topo) + " " + Joined(s.topo, w_.none));
        if (ask.Has(AskWord::kLinks)) {
            std::string links(w_.links);
            for (Operation k = 1; k < static_cast<Operation>(s.NM.size()); ++k) {
                if (s.NM[k] != 0 || s.PM[k] != 0)
                    links += " " + N(k) + ": NM = " + N(s.NM[k]) + ", PM = " + N(s.PM[k]) + ";";
            }
            Line(links + " " + std::string(w_.rest) + ".");
        }
        if (ask.Has(AskWord::kRQ)) {
            for (const Operation k : s.topo) {
                const Operation a = PO(k), b = s.PM[k];
                Line("R[" + N(k) + "] = " + Named('R', "PO", a, "PM", b) + " + p = " +
                     Values(s.R[a], s.R[b]) + " + " + Operand(v_.p[k]) + " = " + N(s.R[k]));
            }
            for (auto it = s.topo.rbegin(); it != s.topo.rend(); ++it) {
                const Operation k = *it, a = NO(k), b = s.NM[k];
                Line("Q[" + N(k) + "] = " + Named('Q', "NO", a, "NM", b) + " + p = " +
                     Values(s.Q[a], s.Q[b]) + " + " + Operand(v_.p[k]) + " = " + N(s.Q[k]));
            }
        }
        for (std::int32_t b = 1; b <= static_cast<std::int32_t>(s.estimates.size()); ++b) {
            const std::string where = Fill(w_.derivePosition, {{"b", N(b)}}) + ": ";
            const Operation u = s.U(b), v = s.V(b);
            const std::string head = Named('R', "PO", s.PO, "u", u),
                              tail = Named('Q', "NO", s.NO, "v", v);
            const std::string headValues = Values(s.R[s.PO], s.R[u]),
                              tailValues = Values(s.Q[s.NO], s.Q[v]);
            if (ask.Has(AskWord::kUV)) Line(where + "u = " + N(u) + ", v = " + N(v));
            if (ask.Has(AskWord::kTerms)) {
                Line(where + head + " = " + headValues + " = " + N(s.Head(b)));
                Line(where + tail + " = " + tailValues + " = " + N(s.Tail(b)));
            }
            if (ask.Has(AskWord::kEst)) {
                Line(where + head + " + p + " + tail + " = " + headValues + " + " + Operand(s.p) +
                     " + " + tailValues + " = " + N(s.Head(b)) + " + " + Operand(s.p) + " + " +
                     Operand(s.Tail(b)) + " = " + N(s.estimates[b - 1]));
            }
        }
        if (ask.Has(AskWord::kPos)) {
            const Time best = *std::min_element(s.estimates.begin(), s.estimates.end());
            std::string estimates, ties;
            std::int32_t tied = 0;
            for (std::size_t i = 0; i < s.estimates.size(); ++i) {
                if (i > 0) estimates += ", ";
                estimates += N(s.estimates[i]);
                if (s.estimates[i] != best) continue;
                if (tied++ > 0) ties += ", ";
                ties += N(static_cast<Time>(i + 1));
            }
            Line(Fill(w_.estimates, {{"last", N(static_cast<Time>(s.estimates.size()))},
                                     {"estimates", estimates}}) +
                 " " +
                 Fill(tied == 1 ? w_.best : w_.tie,
                      {{"best", N(best)}, {"ties", ties}, {"b", N(s.position)}}));
        }
        if (ask.Has(AskWord::kSeq)) {
            Line(Fill(w_.seq, {{"machine", N(s.machine)},
                               {"before", Joined(s.before, w_.seqEmpty)},
                               {"op", N(s.op)},
                               {"b", N(s.position)},
                               {"after", Joined(s.after, w_.seqEmpty)}}));
        }
        if (feedback_.size() > start) {
            feedback_.insert(start, open);
            feedback_ += "</ul>\n";
        }
    }

    const ClassSet& set_;
    const ClassVariant& v_;
    const Words& w_;
    std::string text_, feedback_;
    std::int64_t points_ = 0;
    std::map<std::string, ExerciseCell> asked_;
};

}  // namespace

std::string ClozeText(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '{':
                out += "&#123;";
                break;
            case '}':
                out += "&#125;";
                break;
            case '~':
                out += "&#126;";
                break;
            case '#':
                out += "&#35;";
                break;
            case '=':
                out += "&#61;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string MoodleXml(const ClassSet& set) {
    const Words& w = set.english ? kEnglish : kPolish;
    const std::string title = set.title.empty() ? std::string(w.title) : set.title;
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n";
    out +=
        "<question type=\"category\">\n<category><text>$course$/top/" +
        XmlText(CategoryName(Fill(
            w.category,
            {{"title", title}, {"seed", N(set.seed)}, {"from", N(set.from)}, {"to", N(set.to)}}))) +
        "</text></category>\n<info format=\"html\"><text></text></info>\n</question>\n";
    for (const ClassVariant& v : set.variants) {
        Question question(set, v);
        question.Build();
        out += question.Xml();
    }
    return out + "</quiz>\n";
}

}  // namespace jobshop
