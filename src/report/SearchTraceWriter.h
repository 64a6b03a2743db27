#pragma once

#include <cstdint>
#include <string_view>

#include "heuristic/SearchObserver.h"
#include "model/Model.h"
#include "report/TraceOutput.h"
#include "report/TraceWriter.h"

namespace jobshop {

// Why the search ended, as the trace and the console say it.
std::string_view SearchStopText(SearchStop stop);

// Writes the tabu search step by step, in the insertion trace's manner:
// Polish labels without diacritics, fields separated by one tab, "\n" line
// ends, sections closed by the line of asterisks. A heading with the start;
// per iteration the schedule's table (as the insertion's, with the current
// links, heads and tails), the critical path, its blocks, every candidate
// move with its bound, exact makespan and status, the move made, the tabu
// list and the best makespan, and the machine sequences after the move; a
// section for every new phase; a closing section with the best sequences.
// Asks for every move's exact makespan, and asks the search to stop once
// its output has failed.
class SearchTraceWriter final : public SearchObserver {
  public:
    SearchTraceWriter(const Model& model, TraceOutput& out);

    void SearchStarted(const Model& model, const SearchStart& start) override;
    void IterationEvaluated(const Model& model, const SearchIteration& iteration) override;
    void MoveApplied(const Model& model, const AppliedMove& move) override;
    void Restarted(const Model& model, const SearchRestart& restart) override;
    void SearchFinished(const Model& model, const SearchResult& result) override;

    bool WantsExactMoves() const override { return true; }
    bool StopRequested() const override { return out_.failed(); }

    // Fewer bytes than any iteration's section takes: its table and
    // machine sequences with every value that can vary one digit long.
    static std::uint64_t LeastIterationBytes(const Model& model);

    // A move as the trace names it: "a-b" swaps neighbours a and b, "a>b"
    // moves a behind b, "b<a" moves b in front of a.
    static void PutMove(TraceOutput& out, const CandidateMove& move);

  private:
    void PutSequences();
    void PutSeparator();

    const Model& model_;
    TraceOutput& out_;
    TraceWriter table_;
};

}  // namespace jobshop
