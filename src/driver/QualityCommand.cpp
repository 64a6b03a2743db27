#include "driver/QualityCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <ostream>
#include <vector>

#include "driver/Command.h"
#include "driver/InsertionOrder.h"
#include "driver/LoadMessages.h"
#include "formats/InputFile.h"
#include "formats/TextLines.h"
#include "heuristic/Dispatching.h"
#include "heuristic/InsertionLoop.h"
#include "heuristic/ScheduleCheck.h"
#include "heuristic/TabuSearch.h"

namespace jobshop {
namespace {

namespace fs = std::filesystem;

constexpr Voice kVoice{"jobshop-quality", kQualitySynopsis};
constexpr std::string_view kBoundsFile = "bounds.tsv";
// The classic families in the order they are usually listed; others follow
// in alphabetical order.
constexpr std::array<std::string_view, 7> kFamilyOrder = {"ft",  "la", "abz", "orb",
                                                          "swv", "yn", "ta"};

// Best known bounds of the makespan; either may be unknown.
struct Bounds {
    std::optional<std::int32_t> lower;
    std::optional<std::int32_t> upper;
};
using BoundsTable = std::map<std::string, Bounds, std::less<>>;

// The methods compared, each a makespan per instance: the insertion (the
// program's own), the two dispatching rules, and with --search the tabu
// search after it.
enum Method { kInsertion, kMostWorkRemaining, kShortestProcessingTime, kSearch, kMethods };

struct QualityRow {
    std::string name;
    std::int32_t jobs = 0;
    std::int32_t machines = 0;
    std::array<std::optional<Time>, kMethods> cmax;
    Bounds bounds;
};

struct FamilySummary {
    std::string family;
    std::int32_t count = 0;
    std::array<std::vector<double>, kMethods> gaps;
};

// The makespan of the heuristic's schedule, built without a trace; nothing
// when the schedule graph closes a cycle.
std::optional<Time> HeuristicCmax(Model& model) {
    if (BuildSchedule(model) != ScheduleOutcome::kComplete) return std::nullopt;
    return model.Cmax;
}

std::vector<std::string_view> Cells(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::vector<std::string_view> cells;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos) return cells;
        start = tab + 1;
    }
}

Status ReadBound(const SourceText& source, std::int32_t line, std::string_view column,
                 std::string_view cell, std::optional<std::int32_t>& bound) {
    if (cell.empty()) return Status::Ok();
    bound = ParseInteger(cell);
    if (bound) return Status::Ok();
    return source.ErrorAt(line, std::string(column) + " " + Quoted(cell) + " is not an integer");
}

// bounds.tsv: a header naming the columns, then one row per instance; only
// the columns name, lower_bound and upper_bound are read.
Status ReadBounds(const fs::path& path, BoundsTable& table) {
    std::string text;
    if (auto e = ReadTextFile(path, text)) {
        return Status::Failure(ToolTextFileMessage(*e, path.string(), TextLimits()));
    }
    const SourceText source(path.string(), WithoutByteOrderMark(text));
    if (source.LineCount() == 0) return source.ErrorAt(0, "the file is empty");
    const std::vector<std::string_view> header = Cells(source.Line(0).text);
    std::array<std::size_t, 3> at{};
    const std::array<std::string_view, 3> columns = {"name", "lower_bound", "upper_bound"};
    for (std::size_t c = 0; c < columns.size(); ++c) {
        at[c] = std::find(header.begin(), header.end(), columns[c]) - header.begin();
        if (at[c] == header.size()) {
            return source.ErrorAt(1, "the header has no column " + std::string(columns[c]));
        }
    }
    const std::size_t needed = *std::max_element(at.begin(), at.end()) + 1;
    for (std::size_t i = 1; i < source.LineCount(); ++i) {
        const TextLine line = source.Line(i);
        if (line.tokens.empty()) continue;
        const std::vector<std::string_view> cells = Cells(line.text);
        if (cells.size() < needed) {
            return source.ErrorAt(line.number, "expected at least " + std::to_string(needed) +
                                                   " tab-separated columns, found " +
                                                   std::to_string(cells.size()));
        }
        Bounds bounds;
        for (const std::size_t c : {1, 2}) {
            std::optional<std::int32_t>& bound = c == 1 ? bounds.lower : bounds.upper;
            if (Status s = ReadBound(source, line.number, columns[c], cells[at[c]], bound);
                !s.ok()) {
                return s;
            }
        }
        if (bounds.lower && bounds.upper && *bounds.lower > *bounds.upper) {
            return source.ErrorAt(line.number, "lower_bound " + std::to_string(*bounds.lower) +
                                                   " is above upper_bound " +
                                                   std::to_string(*bounds.upper));
        }
        if (!table.emplace(cells[at[0]], bounds).second) {
            return source.ErrorAt(line.number,
                                  "instance " + Quoted(cells[at[0]]) + " is listed twice");
        }
    }
    return Status::Ok();
}

// The instance files of the folder, sorted: every name ending in .txt,
// whatever it is, so that one that is no file to read is reported too.
Status InstanceFiles(const fs::path& folder, std::vector<fs::path>& files) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->path().extension() == ".txt") files.push_back(it->path());
    }
    if (error) return Status::Failure(folder.string() + ": cannot read the folder");
    if (files.empty()) return Status::Failure(folder.string() + ": no instance files (*.txt)");
    std::sort(files.begin(), files.end());
    return Status::Ok();
}

// What a name ending in .txt is when it is not a file to read; nothing for a
// file, or a name that cannot even be looked at (a loop of links), which
// reading reports.
std::optional<std::string> NotAFile(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || fs::is_regular_file(status)) return std::nullopt;
    if (fs::is_directory(status)) return "a folder";
    // Opening a FIFO would wait for a writer that may never come.
    if (fs::is_fifo(status)) return "a FIFO";
    return "not a regular file";
}

Status RunInstance(const fs::path& path, std::optional<double> search, QualityRow& row) {
    if (const std::optional<std::string> what = NotAFile(path)) {
        return Status::Failure(path.string() + ": " + *what + ", not an instance file");
    }
    Model model;
    if (auto refused = LoadInstanceFile(path, model)) {
        return Status::Failure(ToolLoadMessage(*refused, path.string()));
    }
    SortInsertionOrder(model);
    Model dispatched = model;
    const std::optional<Time> cmax = HeuristicCmax(model);
    if (!cmax) {
        return Status::Failure(path.string() +
                               ": the schedule graph closed a cycle (times of 0 or below)");
    }
    row = {model.InstanceName, model.JobCount, model.MachineCount, {}, {}};
    row.cmax[kInsertion] = *cmax;
    // The schedules besides the insertion's are checked from their rows
    // before their makespans are reported.
    const auto checked = [&path](const Model& schedule) {
        if (CheckedMakespan(schedule) == schedule.Cmax) return Status::Ok();
        return Status::Failure(path.string() +
                               ": a schedule failed its check (a fault of this program)");
    };
    for (const Method method : {kMostWorkRemaining, kShortestProcessingTime}) {
        DispatchSchedule(dispatched, method == kMostWorkRemaining
                                         ? DispatchRule::kMostWorkRemaining
                                         : DispatchRule::kShortestProcessingTime);
        if (Status s = checked(dispatched); !s.ok()) return s;
        row.cmax[method] = dispatched.Cmax;
    }
    if (search) {
        SearchSettings settings;
        settings.seconds = search;
        ImproveSchedule(model, settings);
        if (Status s = checked(model); !s.ok()) return s;
        row.cmax[kSearch] = model.Cmax;
    }
    return Status::Ok();
}

// Percent above the best known upper bound.
std::optional<double> Gap(const QualityRow& row, Method method = kInsertion) {
    if (!row.bounds.upper || *row.bounds.upper <= 0 || !row.cmax[method]) return std::nullopt;
    return 100.0 * static_cast<double>(*row.cmax[method] - *row.bounds.upper) / *row.bounds.upper;
}

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Cell(const std::optional<std::int64_t>& value, std::string_view unknown) {
    return value ? std::to_string(*value) : std::string(unknown);
}

std::string Cell(const std::optional<double>& value, int decimals, std::string_view unknown) {
    return value ? Fixed(*value, decimals) : std::string(unknown);
}

// The letters a benchmark name starts with: "la" for la21, "ta" for ta01.
std::string FamilyOf(std::string_view name) {
    const std::size_t letters = name.find_first_of("0123456789");
    return std::string(letters == 0 ? name : name.substr(0, letters));
}

std::size_t FamilyRank(std::string_view family) {
    return std::find(kFamilyOrder.begin(), kFamilyOrder.end(), family) - kFamilyOrder.begin();
}

void SortByFamily(std::vector<QualityRow>& rows) {
    std::sort(rows.begin(), rows.end(), [](const QualityRow& a, const QualityRow& b) {
        const std::string familyA = FamilyOf(a.name);
        const std::string familyB = FamilyOf(b.name);
        return std::tuple(FamilyRank(familyA), familyA, a.name) <
               std::tuple(FamilyRank(familyB), familyB, b.name);
    });
}

// One summary per family, in the order of the sorted rows.
std::vector<FamilySummary> Summarize(const std::vector<QualityRow>& rows) {
    std::vector<FamilySummary> families;
    for (const QualityRow& row : rows) {
        const std::string family = FamilyOf(row.name);
        if (families.empty() || families.back().family != family)
            families.push_back({family, 0, {}});
        ++families.back().count;
        for (int method = 0; method < kMethods; ++method) {
            if (const std::optional<double> gap = Gap(row, Method(method))) {
                families.back().gaps[method].push_back(*gap);
            }
        }
    }
    return families;
}

// The methods a report shows: the search only when it ran.
std::vector<Method> Shown(bool search) {
    std::vector<Method> methods = {kMostWorkRemaining, kShortestProcessingTime};
    if (search) methods.push_back(kSearch);
    return methods;
}

constexpr std::array<std::string_view, kMethods> kLabel = {"", "MWKR", "SPT", "search"};
constexpr std::array<std::string_view, kMethods> kColumn = {"", "mwkr", "spt", "search"};

std::string TsvReport(const std::vector<QualityRow>& rows, bool search) {
    std::string text = "name\tjobs\tmachines\tcmax\tlower_bound\tupper_bound\tgap_percent";
    for (const Method method : Shown(search)) {
        text += "\t" + std::string(kColumn[method]) + "_cmax\t" + std::string(kColumn[method]) +
                "_gap_percent";
    }
    text += "\n";
    for (const QualityRow& row : rows) {
        text += row.name + "\t" + std::to_string(row.jobs) + "\t" + std::to_string(row.machines) +
                "\t" + Cell(row.cmax[kInsertion], "") + "\t" + Cell(row.bounds.lower, "") + "\t" +
                Cell(row.bounds.upper, "") + "\t" + Cell(Gap(row), 2, "");
        for (const Method method : Shown(search)) {
            text += "\t" + Cell(row.cmax[method], "") + "\t" + Cell(Gap(row, method), 2, "");
        }
        text += "\n";
    }
    return text;
}

std::optional<double> Mean(const std::vector<double>& gaps) {
    if (gaps.empty()) return std::nullopt;
    double sum = 0;
    for (const double gap : gaps) sum += gap;
    return sum / static_cast<double>(gaps.size());
}

std::optional<double> Largest(const std::vector<double>& gaps) {
    if (gaps.empty()) return std::nullopt;
    return *std::max_element(gaps.begin(), gaps.end());
}

std::string FamilyTable(const std::vector<QualityRow>& rows, bool search) {
    std::string text = "| family | instances | mean gap % | largest gap %";
    std::string rule = "|---|--:|--:|--:";
    for (const Method method : Shown(search)) {
        text += " | " + std::string(kLabel[method]) + " mean gap %";
        rule += "|--:";
    }
    if (search) {
        text += " | search largest gap %";
        rule += "|--:";
    }
    text += " |\n" + rule + "|\n";
    for (const FamilySummary& family : Summarize(rows)) {
        text += "| " + family.family + " | " + std::to_string(family.count) + " | " +
                Cell(Mean(family.gaps[kInsertion]), 1, "-") + " | " +
                Cell(Largest(family.gaps[kInsertion]), 1, "-");
        for (const Method method : Shown(search)) {
            text += " | " + Cell(Mean(family.gaps[method]), 1, "-");
        }
        if (search) text += " | " + Cell(Largest(family.gaps[kSearch]), 1, "-");
        text += " |\n";
    }
    return text;
}

std::string MarkdownReport(const std::vector<QualityRow>& rows, bool search) {
    std::string text = "| instance | jobs x machines | Cmax | lower bound | upper bound | gap %";
    std::string rule = "|---|---|--:|--:|--:|--:";
    for (const Method method : Shown(search)) {
        if (method == kSearch) {
            text += " | search Cmax";
            rule += "|--:";
        }
        text += " | " + std::string(kLabel[method]) + " gap %";
        rule += "|--:";
    }
    text += " |\n" + rule + "|\n";
    for (const QualityRow& row : rows) {
        text += "| " + row.name + " | " + std::to_string(row.jobs) + " x " +
                std::to_string(row.machines) + " | " + Cell(row.cmax[kInsertion], "-") + " | " +
                Cell(row.bounds.lower, "-") + " | " + Cell(row.bounds.upper, "-") + " | " +
                Cell(Gap(row), 1, "-");
        for (const Method method : Shown(search)) {
            if (method == kSearch) text += " | " + Cell(row.cmax[kSearch], "-");
            text += " | " + Cell(Gap(row, method), 1, "-");
        }
        text += " |\n";
    }
    return text + "\n" + FamilyTable(rows, search);
}

// Every instance of the folder with its bounds, sorted by family. A file
// that is not an instance, or whose schedule closes a cycle, is reported on
// `err` and left out; `skipped` counts them.
Status CollectRows(const fs::path& folder, std::optional<double> search,
                   std::vector<QualityRow>& rows, Command& command, int& skipped) {
    std::vector<fs::path> files;
    if (Status s = InstanceFiles(folder, files); !s.ok()) return s;
    BoundsTable bounds;
    if (Status s = ReadBounds(folder / kBoundsFile, bounds); !s.ok()) return s;
    for (const fs::path& file : files) {
        QualityRow row;
        if (Status s = RunInstance(file, search, row); !s.ok()) {
            command.Fail(s.message());
            ++skipped;
            continue;
        }
        if (const auto it = bounds.find(row.name); it != bounds.end()) row.bounds = it->second;
        rows.push_back(std::move(row));
    }
    SortByFamily(rows);
    return Status::Ok();
}

}  // namespace

int RunQuality(std::span<const std::string> args, const fs::path& defaultFolder, std::ostream& out,
               std::ostream& err) {
    Command command(kVoice, out, err);
    CLI::App app(
        "Runs the heuristic on every instance of a folder and compares each Cmax "
        "with the best known bounds.",
        std::string(kVoice.name));
    std::string folder = defaultFolder.string();
    bool tsv = false;
    app.add_option("FOLDER", folder, "Folder of instance files (*.txt) and bounds.tsv")
        ->capture_default_str();
    app.add_flag("--tsv", tsv, "Print the rows alone, tab-separated");
    std::optional<double> search;
    app.add_option(
           "--search", search,
           "Also improve each schedule by tabu search for SECONDS (seed 1) and show its gap")
        ->type_name("SECONDS")
        ->check(CLI::PositiveNumber);
    if (const std::optional<int> status = command.Parse(app, args)) return *status;
    std::vector<QualityRow> rows;
    int skipped = 0;
    if (Status s = CollectRows(folder, search, rows, command, skipped); !s.ok()) {
        return command.Fail(s.message());
    }
    const bool searched = search.has_value();
    const int printed =
        command.Print(tsv ? TsvReport(rows, searched) : MarkdownReport(rows, searched));
    if (printed != kExitOk || skipped == 0) return printed;
    return command.Fail(std::to_string(skipped) + (skipped == 1 ? " file was" : " files were") +
                        " left out (see above)");
}

}  // namespace jobshop
