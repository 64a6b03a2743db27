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

}  // namespace

std::string ScheduleText(const Model& model) {
    std::string text = "Cmax " + std::to_string(model.Cmax) + "\n";
    for (const std::vector<Operation>& sequence : Sequences(model)) {
        for (std::size_t j = 0; j < sequence.size(); ++j) {
            if (j > 0) text += ' ';
            Append(text, sequence[j]);
        }
        text += '\n';
    }
    return text;
}

void AppendNumbers(std::string& out, const std::vector<Operation>& numbers) {
    out += '[';
    for (std::size_t j = 0; j < numbers.size(); ++j) {
        if (j > 0) out += ',';
        Append(out, numbers[j]);
    }
    out += ']';
}

void AppendSequences(std::string& out, const std::vector<std::vector<Operation>>& sequences) {
    out += '[';
    for (std::size_t i = 0; i < sequences.size(); ++i) {
        if (i > 0) out += ',';
        AppendNumbers(out, sequences[i]);
    }
    out += ']';
}

const char* KindName(MoveKind kind) {
    switch (kind) {
        case MoveKind::kSwap:
            return "swap";
        case MoveKind::kForward:
            return "forward";
        case MoveKind::kBackward:
            return "backward";
    }
    return "";
}

const char* StatusName(MoveStatus status) {
    switch (status) {
        case MoveStatus::kAllowed:
            return "allowed";
        case MoveStatus::kTabu:
            return "tabu";
        case MoveStatus::kAspirated:
            return "aspirated";
        case MoveStatus::kCycle:
            return "cycle";
    }
    return "";
}

const char* RuleName(ChoiceRule rule) {
    switch (rule) {
        case ChoiceRule::kBest:
            return "best";
        case ChoiceRule::kOldestTabu:
            return "oldestTabu";
        case ChoiceRule::kNone:
            return "none";
    }
    return "";
}

void AppendIteration(std::string& out, const SearchRecording::Iteration& it) {
    out += "{\"iteration\":";
    Append(out, it.iteration);
    out += ",\"cmax\":";
    Append(out, it.cmax);
    out += ",\"best\":";
    Append(out, it.best);
    out += ",\"path\":";
    AppendNumbers(out, it.path);
    out += ",\"blocks\":[";
    for (std::size_t b = 0; b < it.blocks.size(); ++b) {
        out += b > 0 ? ",[" : "[";
        Append(out, it.blocks[b].first);
        out += ',';
        Append(out, it.blocks[b].last);
        out += ']';
    }
    out += "],\"moves\":[";
    for (std::size_t i = 0; i < it.moves.size(); ++i) {
        const SearchRecording::Move& move = it.moves[i];
        out += i > 0 ? ",[\"" : "[\"";
        out += KindName(move.kind);
        out += "\",";
        Append(out, move.a);
        out += ',';
        Append(out, move.b);
        out += ',';
        Append(out, move.block);
        out += ',';
        Append(out, move.bound);
        out += ',';
        if (move.status == MoveStatus::kCycle) {
            out += "null";
        } else {
            Append(out, move.cmax);
        }
        out += ",\"";
        out += StatusName(move.status);
        out += "\"]";
    }
    out += "],\"chosen\":";
    Append(out, it.chosen);
    out += ",\"rule\":\"";
    out += RuleName(it.rule);
    out += "\",\"tabu\":[";
    for (std::size_t i = 0; i < it.tabu.size(); ++i) {
        out += i > 0 ? ",[" : "[";
        Append(out, it.tabu[i].a);
        out += ',';
        Append(out, it.tabu[i].b);
        out += ',';
        Append(out, it.tabu[i].until);
        out += ']';
    }
    out += "],\"after\":";
    if (it.chosen >= 0) {
        Append(out, it.after);
    } else {
        out += "null";
    }
    out += it.improved ? ",\"improved\":true}" : ",\"improved\":false}";
}

void AppendSteps(std::string& out, const SearchRecording& steps) {
    out += ",\"steps\":{\"complete\":";
    out += steps.complete ? "true" : "false";
    out += ",\"start\":";
    AppendSequences(out, steps.start);
    out += ",\"iterations\":[";
    for (std::size_t i = 0; i < steps.iterations.size(); ++i) {
        if (i > 0) out += ',';
        AppendIteration(out, steps.iterations[i]);
    }
    out += "],\"restarts\":[";
    for (std::size_t i = 0; i < steps.restarts.size(); ++i) {
        const SearchRecording::Restart& restart = steps.restarts[i];
        out += i > 0 ? ",{\"after\":" : "{\"after\":";
        Append(out, restart.iteration);
        out += restart.kind == RestartKind::kRandomStart ? ",\"kind\":\"random\""
                                                         : ",\"kind\":\"relinked\"";
        out += ",\"cmax\":";
        Append(out, restart.cmax);
        out += ",\"sequences\":";
        AppendSequences(out, restart.sequences);
        out += '}';
    }
    out += "]}";
}

std::string ImproveJson(const Model& model, const ImproveReport& report,
                        const SearchHistory& history, const SearchRecording* steps) {
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
    out += ",\"sequences\":";
    AppendSequences(out, Sequences(model));
    out += ",\"history\":{\"stride\":";
    Append(out, history.stride());
    out += ",\"points\":";
    AppendPoints(out, history.points(), true);
    out += ",\"improvements\":";
    AppendPoints(out, history.improvements(), false);
    out += ",\"restarts\":";
    AppendPoints(out, history.restarts(), true);
    out += '}';
    if (steps != nullptr) AppendSteps(out, *steps);
    out += "}\n";
    return out;
}

}  // namespace jobshop
