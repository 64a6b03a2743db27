#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "heuristic/StepObserver.h"
#include "model/Model.h"
#include "report/KeptText.h"
#include "report/TraceOutput.h"

namespace jobshop {

// Writes the sections of the step-by-step trace from the model; it only reads
// the model. Every line end is "\n"; fields are separated by one tab. As an
// observer of the insertion loop it writes the sorted list when the order is
// fixed, the topological line and the table of every evaluated step, and the
// permutation block and separator of every step; it asks the loop to stop
// once its output has failed. The driver appends the closing section.
//
// Most of a trace repeats: consecutive tables differ in a few rows,
// consecutive topological lines in a few stretches, and a step changes one
// machine sequence. The writer keeps the text it wrote last for every table
// row, the table, the topological line and every machine row, formats a row
// again only when one of its values changed, and hands the unchanged text to
// the output in place.
class TraceWriter final : public StepObserver {
  public:
    TraceWriter(const Model& model, TraceOutput& out);

    void OrderFixed(const Model& model) override;
    void StepEvaluated(const Model& model, const EvaluatedStep& step) override;
    void StepPlaced(const Model& model, const PlacedStep& step) override;
    bool StopRequested() const override { return out_.failed(); }

    // "Nierosnace czasy wykonania:", then every operation of InsertionOrder as
    // "k(p)" followed by a tab, then an empty line.
    void WriteSortedList();

    // "\nTopologicznie:\t" and ranks 1 ... OpCount of topoOrder, each followed
    // by a tab; the line end and the empty line after it are each flushed.
    void WriteTopologicalLine(std::span<const Operation> topoOrder);

    // The header "Lp M p NO PO NM PM R Q" and one row per operation with its
    // current links and the given heads and tails, then two empty lines.
    // `changed`, when given, names every operation whose row may differ from
    // the previous table (others are not even looked at); without it every
    // row is compared.
    void WriteTable(std::span<const Time> R, std::span<const Time> Q,
                    std::optional<std::span<const Operation>> changed = std::nullopt);

    // Positions 1 ... JobCount of every machine, a flushed line each (0 where
    // no operation stands yet), then a flushed empty line.
    void WritePermutationBlock();

    // 58 asterisks and an empty line.
    void WriteStepSeparator();

    // The instance name with the final PI rows, Cmax and the separator.
    void WriteClosingSection();

  private:
    // Room for one table row: five fields of at most 11 characters and a tab
    // (12 for a negative p), two of 11 (NM, PM) and two of at most 20 plus a
    // separator (R, Q stay within 2^62 in magnitude).
    static constexpr std::size_t kRowSlot = 128;
    // Room for an operation number (at most 10 digits) and its tab.
    static constexpr std::size_t kLabelSlot = 16;

    char* RowSlot(Operation k) { return rowText_.data() + static_cast<std::size_t>(k) * kRowSlot; }
    const char* Label(Operation k) const {
        return labelText_.data() + static_cast<std::size_t>(k) * kLabelSlot;
    }
    void PrepareLabels();
    char* CopyLabel(char* to, Operation k) const;
    void PrepareTable();
    void CollectChangedRows(std::span<const Time> R, std::span<const Time> Q,
                            std::optional<std::span<const Operation>> changed, bool first);
    char* FormatFixedFields(char* at, Operation k) const;
    void FormatRowTail(Operation k, Time R, Time Q);
    void FormatMachineRow(std::int32_t machine, std::vector<char>& text) const;

    const Model& model_;
    TraceOutput& out_;

    // Table rows as last written: the text in fixed slots, its length, the
    // length of the part that never changes (Lp, M, p, NO, PO), where R and
    // Q start, and the values the changing part shows.
    std::vector<char> rowText_;
    std::vector<std::uint8_t> rowLength_;
    std::vector<std::uint8_t> fixedLength_;
    std::vector<std::uint8_t> rOffset_, qOffset_;
    std::vector<Operation> shownNM_, shownPM_;
    std::vector<Time> shownR_, shownQ_;
    std::vector<Operation> changedRows_;   // rows formatted anew for this table
    std::vector<std::uint64_t> rowMarks_;  // a bit per row named as changed, cleared after use
    KeptText<kRowSlot> table_;             // the rows of the table, item k is row k

    // Every operation number (0 included) with its tab, formatted once.
    std::vector<char> labelText_;
    std::vector<std::uint8_t> labelLength_;

    // The topological line as last written: the order it showed, and its
    // text (item r is the label of the operation at rank r).
    std::vector<Operation> shownTopo_;
    KeptText<kLabelSlot> topoLine_;

    // Machine rows as last written (line end included), and how many
    // operations each showed.
    std::vector<std::vector<char>> machineRow_;
    std::vector<std::int32_t> shownPlaced_;
};

}  // namespace jobshop
