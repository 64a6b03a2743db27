#include "report/ImproveOutput.h"

#include "report/ReplayJson.h"

namespace jobshop {
namespace {

const char* StopName(SearchStop stop) {
    switch (stop) {
        case SearchStop::kIterations:
            return "iterations";
        case SearchStop::kTime:
            return "time";
        case SearchStop::kLowerBound:
            return "lowerBound";
        case SearchStop::kNoMove:
            return "noMove";
        case SearchStop::kObserver:
            return "stopped";
    }
    return "";
}

const char* StopName(ExactStop stop) {
    switch (stop) {
        case ExactStop::kProven:
            return "proven";
        case ExactStop::kNodeLimit:
            return "nodes";
        case ExactStop::kTimeLimit:
            return "time";
        case ExactStop::kNegativeTimes:
            return "negativeTimes";
    }
    return "";
}

void Append(std::string& out, std::int64_t value) {
    out += std::to_string(value);
}

void Append(std::string& out, const std::optional<Time>& value) {
    if (value) {
        Append(out, *value);
    } else {
        out += "null";
    }
}

void AppendPoints(std::string& out, const std::vector<SearchHistory::Point>& points, bool cmax) {
    out += '[';
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i > 0) out += ',';
        out += '[';
        Append(out, points[i].iteration);
        if (cmax) {
            out += ',';
            Append(out, points[i].cmax);
        }
        out += ',';
        Append(out, points[i].best);
        out += ']';
    }
    out += ']';
}

// Calls put(machine, its operations in order) for machines 1 ...
// MachineCount.
template <class Put>
void ForEachSequence(const Model& model, Put put) {
    for (std::int32_t i = 1; i <= model.MachineCount; ++i) {
        const Operation* row = model.Placed(i) > 0 ? model.PI(i) : nullptr;
        put(i, std::span<const Operation>(row == nullptr ? nullptr : row + 1,
                                          static_cast<std::size_t>(model.Placed(i))));
    }
}

}  // namespace

std::string ScheduleText(const Model& model) {
    std::string text = "Cmax " + std::to_string(model.Cmax) + "\n";
    ForEachSequence(model, [&text](std::int32_t, std::span<const Operation> ops) {
        for (std::size_t j = 0; j < ops.size(); ++j) {
            if (j > 0) text += ' ';
            Append(text, ops[j]);
        }
        text += '\n';
    });
    return text;
}

std::string ImproveJson(const Model& model, const ImproveReport& report,
                        const SearchHistory& history) {
    std::string out = "{\"format\":\"jobshop-improve\",\"version\":1,\"name\":";
    AppendJsonString(out, model.InstanceName);
    out += ",\"jobs\":";
    Append(out, model.JobCount);
    out += ",\"machines\":";
    Append(out, model.MachineCount);
    out += ",\"insertion\":";
    Append(out, report.insertion);
    out += ",\"cmax\":";
    Append(out, model.Cmax);
    out += ",\"lowerBound\":";
    Append(out, report.search.lowerBound);
    out += ",\"seed\":" + std::to_string(report.seed);
    out += ",\"iterations\":";
    Append(out, report.search.iterations);
    out += ",\"bestIteration\":";
    Append(out, report.search.bestIteration);
    out += ",\"stop\":\"";
    out += StopName(report.search.stop);
    out += '"';
    if (report.exact) {
        out += ",\"exact\":{\"proven\":";
        out += report.exact->stop == ExactStop::kProven ? "true" : "false";
        out += ",\"lowerBound\":";
        Append(out, report.exact->lowerBound);
        out += ",\"nodes\":";
        Append(out, report.exact->nodes);
        out += ",\"stop\":\"";
        out += StopName(report.exact->stop);
        out += "\"}";
    }
    out += ",\"sequences\":[";
    ForEachSequence(model, [&out](std::int32_t i, std::span<const Operation> ops) {
        if (i > 1) out += ',';
        out += '[';
        for (std::size_t j = 0; j < ops.size(); ++j) {
            if (j > 0) out += ',';
            Append(out, ops[j]);
        }
        out += ']';
    });
    out += "],\"history\":{\"stride\":";
    Append(out, history.stride());
    out += ",\"points\":";
    AppendPoints(out, history.points(), true);
    out += ",\"improvements\":";
    AppendPoints(out, history.improvements(), false);
    out += ",\"restarts\":";
    AppendPoints(out, history.restarts(), true);
    out += "}}\n";
    return out;
}

}  // namespace jobshop
