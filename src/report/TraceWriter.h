#pragma once

#include <span>

#include "model/Model.h"
#include "report/TraceOutput.h"

namespace jobshop {

// Writes the sections of the step-by-step trace from the model; it only reads
// the model. Every line end is "\n"; fields are separated by one tab.
class TraceWriter {
  public:
    TraceWriter(const Model& model, TraceOutput& out) : model_(model), out_(out) {}

    // "Nierosnace czasy wykonania:", then every operation of InsertionOrder as
    // "k(p)" followed by a tab, then an empty line.
    void WriteSortedList();

    // "\nTopologicznie:\t" and ranks 1 ... OpCount of topoOrder, each followed
    // by a tab; the line end and the empty line after it are each flushed.
    void WriteTopologicalLine(std::span<const Operation> topoOrder);

    // The header "Lp M p NO PO NM PM R Q" and one row per operation with its
    // current links and the given heads and tails, then two empty lines.
    void WriteTable(std::span<const Time> R, std::span<const Time> Q);

    // Positions 1 ... JobCount of every machine, a flushed line each (0 where
    // no operation stands yet), then a flushed empty line.
    void WritePermutationBlock();

    // 58 asterisks and an empty line.
    void WriteStepSeparator();

    // The instance name with the final PI rows, Cmax and the separator.
    void WriteClosingSection();

    // True once a write to the output has failed.
    bool failed() const { return out_.failed(); }

  private:
    void WriteMachineRow(std::int32_t machine);

    const Model& model_;
    TraceOutput& out_;
};

}  // namespace jobshop
