#include "report/ClassExercise.h"

#include <cctype>

namespace jobshop {
namespace {

constexpr int kWordCount = static_cast<int>(std::size(kAskWords));

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

std::vector<Operation> Row(const Model& model, std::int32_t machine) {
    const Operation* row = model.PI(machine);
    return {row + 1, row + 1 + model.Placed(machine)};
}

}  // namespace

std::string Ask::Text() const {
    std::string text;
    for (int w = 0; w < kWordCount; ++w) {
        if (!Has(static_cast<AskWord>(w))) continue;
        if (!text.empty()) text += ',';
        text += kAskWords[w];
    }
    return text;
}

Ask DefaultAsk() {
    Ask ask;
    for (const AskWord w :
         {AskWord::kRQ, AskWord::kEst, AskWord::kPos, AskWord::kSeq, AskWord::kCmax}) {
        ask.Add(w);
    }
    return ask;
}

std::optional<Ask> ParseAsk(std::string_view text, std::string& unknown) {
    Ask ask;
    bool any = false;
    for (;;) {
        const std::size_t comma = text.find(',');
        std::string word(Trimmed(text.substr(0, comma)));
        for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!word.empty()) {
            int w = 0;
            while (w < kWordCount && kAskWords[w] != word) ++w;
            if (w == kWordCount) {
                unknown = word;
                return std::nullopt;
            }
            ask.Add(static_cast<AskWord>(w));
            any = true;
        }
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (!any) {
        unknown.clear();
        return std::nullopt;
    }
    return ask;
}

ExerciseRecorder::ExerciseRecorder(std::int32_t from, std::int32_t to) {
    recording_.from = from;
    recording_.to = to;
}

void ExerciseRecorder::OrderFixed(const Model& model) {
    if (recording_.from == 1) {
        recording_.start.assign(static_cast<std::size_t>(model.MachineCount), {});
    }
}

void ExerciseRecorder::StepEvaluated(const Model& model, const EvaluatedStep& step) {
    const auto upTo = [&](const auto& values) {
        using Value = typename std::decay_t<decltype(values)>::value_type;
        return std::vector<Value>(values.begin(), values.begin() + model.OpCount + 1);
    };
    // Steps between `to` and this one placed their operations on empty
    // machines, which adds no arc: this graph is the one after step `to`.
    if (step.t > recording_.to && !makespanKnown_) {
        for (Operation k = 1; k <= model.OpCount; ++k)
            recording_.makespan = std::max(recording_.makespan, step.R[k]);
        makespanKnown_ = true;
    }
    if (step.t < recording_.from || step.t > recording_.to) return;
    ExerciseStep& s = recording_.steps.emplace_back();
    s.t = step.t;
    s.op = step.op;
    s.machine = step.machine;
    s.evaluated = true;
    s.PO = model.PO[step.op];
    s.NO = model.NO[step.op];
    s.p = model.p[step.op];
    s.topo.assign(step.TopoOrder.begin() + 1, step.TopoOrder.begin() + model.OpCount + 1);
    s.NM = upTo(model.NM);
    s.PM = upTo(model.PM);
    s.R = upTo(step.R);
    s.Q = upTo(step.Q);
    s.estimates.assign(step.estimates.begin(), step.estimates.end());
    s.position = step.position;
    s.before = Row(model, step.machine);
}

void ExerciseRecorder::StepPlaced(const Model& model, const PlacedStep& step) {
    if (step.t == recording_.from - 1) {
        for (std::int32_t i = 1; i <= model.MachineCount; ++i)
            recording_.start.push_back(Row(model, i));
    }
    if (step.t < recording_.from || step.t > recording_.to) return;
    if (recording_.steps.empty() || recording_.steps.back().t != step.t) {
        // An empty machine: placed without an evaluation.
        ExerciseStep& s = recording_.steps.emplace_back();
        s.t = step.t;
        s.op = step.op;
        s.machine = step.machine;
        s.PO = model.PO[step.op];
        s.NO = model.NO[step.op];
        s.p = model.p[step.op];
        s.position = step.position;
    }
    recording_.steps.back().after = Row(model, step.machine);
}

void ExerciseRecorder::Finished(const Model& model, Time makespan) {
    (void)model;
    if (!makespanKnown_) recording_.makespan = makespan;
    makespanKnown_ = true;
}

std::vector<ExerciseCell> StepCells(const ExerciseStep& step, Ask ask) {
    std::vector<ExerciseCell> cells;
    if (!step.evaluated) return cells;
    const auto add = [&](std::string key, Time answer) {
        cells.push_back({std::move(key), answer, step.t});
    };
    const auto n = static_cast<std::int32_t>(step.topo.size());
    if (ask.Has(AskWord::kTopo)) {
        for (std::int32_t r = 1; r <= n; ++r) add("topo:" + std::to_string(r), step.topo[r - 1]);
    }
    if (ask.Has(AskWord::kLinks)) {
        for (Operation k = 1; k <= n; ++k) {
            add("NM:" + std::to_string(k), step.NM[k]);
            add("PM:" + std::to_string(k), step.PM[k]);
        }
    }
    if (ask.Has(AskWord::kRQ)) {
        for (const Operation k : step.topo) add("R:" + std::to_string(k), step.R[k]);
        for (auto k = step.topo.rbegin(); k != step.topo.rend(); ++k)
            add("Q:" + std::to_string(*k), step.Q[*k]);
    }
    for (std::int32_t b = 1; b <= static_cast<std::int32_t>(step.estimates.size()); ++b) {
        const std::string at = std::to_string(b);
        if (ask.Has(AskWord::kUV)) {
            add("u:" + at, step.U(b));
            add("v:" + at, step.V(b));
        }
        if (ask.Has(AskWord::kTerms)) {
            add("head:" + at, step.Head(b));
            add("tail:" + at, step.Tail(b));
        }
        if (ask.Has(AskWord::kEst)) add("est:" + at, step.estimates[b - 1]);
    }
    if (ask.Has(AskWord::kPos)) add("pos", step.position);
    if (ask.Has(AskWord::kSeq)) {
        for (std::size_t i = 0; i < step.after.size(); ++i)
            add("seq:" + std::to_string(i + 1), step.after[i]);
    }
    return cells;
}

std::optional<ExerciseCell> MakespanCell(const ExerciseRecording& recording, Ask ask) {
    if (!ask.Has(AskWord::kCmax)) return std::nullopt;
    return ExerciseCell{"cmax", recording.makespan, recording.to};
}

void BothObservers::OrderFixed(const Model& model) {
    first_.OrderFixed(model);
    second_.OrderFixed(model);
}
void BothObservers::StepEvaluated(const Model& model, const EvaluatedStep& step) {
    first_.StepEvaluated(model, step);
    second_.StepEvaluated(model, step);
}
void BothObservers::StepPlaced(const Model& model, const PlacedStep& step) {
    first_.StepPlaced(model, step);
    second_.StepPlaced(model, step);
}
void BothObservers::Finished(const Model& model, Time makespan) {
    first_.Finished(model, makespan);
    second_.Finished(model, makespan);
}

}  // namespace jobshop
