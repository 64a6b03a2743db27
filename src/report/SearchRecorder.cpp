#include "report/SearchRecorder.h"

#include "report/Decimal.h"

namespace jobshop {
namespace {

// Bytes of a number and its comma in the JSON.
std::uint64_t NumberBytes(std::int64_t value) {
    return DecimalLength(value) + 1;
}

// The fixed text of an iteration's object and of a move's array, at most.
constexpr std::uint64_t kIterationFrame = 120;
constexpr std::uint64_t kMoveFrame = 32;

}  // namespace

std::vector<std::vector<Operation>> Sequences(const Model& model) {
    std::vector<std::vector<Operation>> sequences(static_cast<std::size_t>(model.MachineCount));
    for (std::int32_t i = 1; i <= model.MachineCount; ++i) {
        for (std::int32_t j = 1; j <= model.Placed(i); ++j)
            sequences[i - 1].push_back(model.PI(i)[j]);
    }
    return sequences;
}

bool SearchRecorder::Fits(std::uint64_t bytes) {
    if (recording_.complete && bytes_ + bytes <= byteLimit_) {
        bytes_ += bytes;
        return true;
    }
    recording_.complete = false;
    return false;
}

std::uint64_t SequenceBytes(const Model& model) {
    return static_cast<std::uint64_t>(model.OpCount) * NumberBytes(model.OpCount) +
           4 * static_cast<std::uint64_t>(model.MachineCount);
}

void SearchRecorder::SearchStarted(const Model& model, const SearchStart&) {
    if (Fits(SequenceBytes(model))) recording_.start = Sequences(model);
}

void SearchRecorder::IterationEvaluated(const Model&, const SearchIteration& it) {
    if (!recording_.complete) return;
    SearchRecording::Iteration kept;
    kept.iteration = it.iteration;
    kept.cmax = it.cmax;
    kept.best = it.best;
    kept.path = it.path->ops;
    kept.blocks = it.path->blocks;
    kept.chosen = it.chosen;
    kept.rule = it.rule;
    kept.tabu.assign(it.tabu.begin(), it.tabu.end());
    std::uint64_t bytes = kIterationFrame + NumberBytes(it.iteration) + 3 * NumberBytes(it.cmax);
    for (const Operation k : kept.path) bytes += NumberBytes(k);
    bytes += 6 * kept.blocks.size() + 3 * kept.tabu.size() * NumberBytes(it.iteration);
    for (const CandidateMove& move : it.moves) {
        kept.moves.push_back(
            {move.kind, move.a, move.b, move.block, move.bound, move.cmax, move.status});
        bytes +=
            kMoveFrame + NumberBytes(move.a) + NumberBytes(move.b) + 2 * NumberBytes(move.cmax);
    }
    if (Fits(bytes)) recording_.iterations.push_back(std::move(kept));
}

void SearchRecorder::MoveApplied(const Model&, const AppliedMove& move) {
    if (!recording_.complete) return;
    recording_.iterations.back().after = move.move.cmax;
    recording_.iterations.back().improved = move.improved;
}

void SearchRecorder::Restarted(const Model& model, const SearchRestart& restart) {
    if (!recording_.complete || !Fits(SequenceBytes(model) + 64)) return;
    recording_.restarts.push_back(
        {restart.iteration, restart.kind, restart.cmax, Sequences(model)});
}

}  // namespace jobshop
