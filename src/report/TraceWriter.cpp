#include "report/TraceWriter.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <limits>

#include "report/Decimal.h"

namespace jobshop {
namespace {

constexpr std::string_view kSeparator =
    "**********************************************************\n\n";
constexpr std::string_view kTableHeader = "Lp\tM\tp\tNO\tPO\tNM\tPM\tR\tQ\n";

// Writes `value` and `end` at `out`; returns the position after them.
char* Field(char* out, std::int64_t value, char end) {
    out = FormatDecimal(out, value);
    *out = end;
    return out + 1;
}

// No R is this low, so every row is formatted for the first table.
constexpr Time kNeverShown = std::numeric_limits<Time>::min();

}  // namespace

TraceWriter::TraceWriter(const Model& model, TraceOutput& out) : model_(model), out_(out) {}

void TraceWriter::OrderFixed(const Model&) {
    WriteSortedList();
}

void TraceWriter::StepEvaluated(const Model&, const EvaluatedStep& step) {
    WriteTopologicalLine(step.TopoOrder);
    WriteTable(step.R, step.Q, step.changed);
}

void TraceWriter::StepPlaced(const Model&, const PlacedStep&) {
    WritePermutationBlock();
    WriteStepSeparator();
}

void TraceWriter::WriteSortedList() {
    out_.Put("Nierosnace czasy wykonania:\n");
    for (Operation t = 1; t <= model_.OpCount; ++t) {
        const Operation k = model_.InsertionOrder[t];
        char* at = out_.Reserve(32);
        at = Field(at, k, '(');
        at = Field(at, model_.p[k], ')');
        *at++ = '\t';
        out_.Commit(at);
    }
    out_.Put("\n\n");
}

void TraceWriter::PrepareLabels() {
    const std::size_t entries = static_cast<std::size_t>(model_.OpCount) + 1;
    labelText_.assign(entries * kLabelSlot, 0);
    labelLength_.assign(entries, 0);
    for (Operation k = 0; k <= model_.OpCount; ++k) {
        char* slot = labelText_.data() + static_cast<std::size_t>(k) * kLabelSlot;
        labelLength_[k] = static_cast<std::uint8_t>(Field(slot, k, '\t') - slot);
    }
}

// Writes the label of operation k (0 included) with a fixed-size copy, the
// slot being wider than any label; `to` needs a label slot of room.
char* TraceWriter::CopyLabel(char* to, Operation k) const {
    std::memcpy(to, labelText_.data() + static_cast<std::size_t>(k) * kLabelSlot, kLabelSlot);
    return to + labelLength_[k];
}

// Consecutive topological orders often share a long first part; its text is
// kept and only the rest is written anew.
void TraceWriter::WriteTopologicalLine(std::span<const Operation> topoOrder) {
    const Operation n = model_.OpCount;
    if (labelText_.empty()) PrepareLabels();
    if (shownTopo_.empty()) {
        const std::size_t entries = static_cast<std::size_t>(n) + 1;
        shownTopo_.assign(entries, 0);
        topoEnd_.assign(entries, 0);
        topoText_.assign((entries + 1) * kLabelSlot, 0);
    }
    const auto first =
        std::mismatch(topoOrder.begin() + 1, topoOrder.begin() + 1 + n, shownTopo_.begin() + 1);
    const auto same = static_cast<Operation>(first.first - topoOrder.begin()) - 1;
    std::size_t length = topoEnd_[same];
    char* text = topoText_.data();
    for (Operation r = same + 1; r <= n; ++r) {
        const Operation k = topoOrder[r];
        length = static_cast<std::size_t>(CopyLabel(text + length, k) - text);
        topoEnd_[r] = length;
        shownTopo_[r] = k;
    }
    out_.Put("\nTopologicznie:\t");
    out_.PutBlock({text, length});
    out_.Put('\n');
    out_.Flush();
    out_.Put('\n');
    out_.Flush();
}

void TraceWriter::PrepareTable() {
    const Operation n = model_.OpCount;
    if (labelText_.empty()) PrepareLabels();
    const std::size_t entries = static_cast<std::size_t>(n) + 1;
    rowText_.assign(entries * kRowSlot, 0);
    rowLength_.assign(entries, 0);
    fixedLength_.assign(entries, 0);
    shownNM_.assign(entries, 0);
    shownPM_.assign(entries, 0);
    shownR_.assign(entries, kNeverShown);
    shownQ_.assign(entries, kNeverShown);
    for (Operation k = 1; k <= n; ++k) {
        char* slot = RowSlot(k);
        fixedLength_[k] = static_cast<std::uint8_t>(FormatFixedFields(slot, k) - slot);
    }
    changedRows_.reserve(entries);
    rowMark_.assign(entries + 8, 0);  // whole words of marks
    rowStart_.assign(entries + 1, 0);
    // A whole slot of slack behind the last row, for the fixed-size copies.
    for (auto& image : tableImage_) image.assign((entries + 1) * kRowSlot, 0);
}

// A table row is "k M p NO PO NM PM R Q", tab-separated, ending in a line end.
// The first five fields never change during a run, so they are formatted once
// into the row's slot; the rest is written behind them again whenever one of
// its values changes.
char* TraceWriter::FormatFixedFields(char* at, Operation k) const {
    at = Field(at, k, '\t');
    at = Field(at, model_.M[k], '\t');
    at = Field(at, model_.p[k], '\t');
    at = Field(at, model_.NO[k], '\t');
    return Field(at, model_.PO[k], '\t');
}

void TraceWriter::FormatRowTail(Operation k, Time R, Time Q) {
    char* slot = RowSlot(k);
    char* at = slot + fixedLength_[k];
    at = CopyLabel(at, model_.NM[k]);
    at = CopyLabel(at, model_.PM[k]);
    at = Field(at, R, '\t');
    at = Field(at, Q, '\n');
    rowLength_[k] = static_cast<std::uint8_t>(at - slot);
    shownNM_[k] = model_.NM[k];
    shownPM_[k] = model_.PM[k];
    shownR_[k] = R;
    shownQ_[k] = Q;
}

// Copies a row with a fixed-size copy (most rows fit in half a slot), which
// beats a copy of the exact length; `to` needs a slot of room.
void TraceWriter::CopyRow(char* to, Operation k) {
    if (rowLength_[k] <= kRowSlot / 2) {
        std::memcpy(to, RowSlot(k), kRowSlot / 2);
    } else {
        std::memcpy(to, RowSlot(k), kRowSlot);
    }
}

// The rows of the new table in the image not used last time: runs of rows
// that did not change are copied from the last image in one piece, changed
// rows from their slots.
std::string_view TraceWriter::BuildTableImage() {
    const Operation n = model_.OpCount;
    const char* last = tableImage_[currentImage_].data();
    currentImage_ ^= 1;
    char* image = tableImage_[currentImage_].data();
    std::size_t* start = rowStart_.data();
    std::size_t length = 0;
    Operation from = 1;
    // Rows from ... to-1 are unchanged: one copy, and their offsets move.
    auto copyUnchanged = [&](Operation to) {
        const std::size_t begin = start[from];
        const std::size_t size = start[to] - begin;
        std::memcpy(image + length, last + begin, size);
        for (Operation k = from; k < to; ++k) start[k] = start[k] - begin + length;
        length += size;
    };
    for (const Operation k : changedRows_) {
        copyUnchanged(k);
        start[k] = length;
        CopyRow(image + length, k);
        length += rowLength_[k];
        from = k + 1;
    }
    copyUnchanged(n + 1);
    start[n + 1] = length;
    return {image, length};
}

// Puts into changedRows_, by increasing number, the rows whose NM, PM, R or Q
// differ from what the previous table showed.
void TraceWriter::CollectChangedRows(std::span<const Time> R, std::span<const Time> Q,
                                     std::optional<std::span<const Operation>> changed,
                                     bool first) {
    const Operation n = model_.OpCount;
    const Operation* NM = model_.NM.data();
    const Operation* PM = model_.PM.data();
    const Time* shownR = shownR_.data();
    const Time* shownQ = shownQ_.data();
    const Operation* shownNM = shownNM_.data();
    const Operation* shownPM = shownPM_.data();
    // One test of all four values: XOR is zero exactly where a value is
    // unchanged, so the OR of the four is zero only for an unchanged row. On
    // ta71 about 94% of rows are unchanged, and four branches each rarely
    // taken cost more than the arithmetic.
    auto differs = [&](Operation k) {
        return ((R[k] ^ shownR[k]) | (Q[k] ^ shownQ[k]) | (NM[k] ^ shownNM[k]) |
                (PM[k] ^ shownPM[k])) != 0;
    };
    changedRows_.clear();
    if (!changed || first) {
        for (Operation k = 1; k <= n; ++k) {
            if (differs(k)) changedRows_.push_back(k);
        }
        return;
    }
    // Only the rows named can differ; the rest is not even looked at. The
    // names come in no order: a mark per row, then one pass over the marks
    // read eight at a time as one word (a zero word skips eight rows), puts
    // them in order more cheaply than sorting the names.
    std::uint8_t* mark = rowMark_.data();
    for (const Operation k : *changed) mark[k] = differs(k);
    for (Operation k = 0; k <= n; k += 8) {
        std::uint64_t word;
        std::memcpy(&word, mark + k, sizeof word);
        if (word == 0) continue;
        for (Operation j = k; j < k + 8; ++j) {
            if (mark[j]) changedRows_.push_back(j);
            mark[j] = 0;
        }
    }
#ifndef NDEBUG
    std::vector<char> named(static_cast<std::size_t>(n) + 1, 0);
    for (const Operation k : *changed) named[k] = 1;
    for (Operation k = 1; k <= n; ++k) assert(named[k] || !differs(k));
#endif
}

void TraceWriter::WriteTable(std::span<const Time> R, std::span<const Time> Q,
                             std::optional<std::span<const Operation>> changed) {
    const bool first = rowText_.empty();
    if (first) PrepareTable();
    CollectChangedRows(R, Q, changed, first);
    for (const Operation k : changedRows_) FormatRowTail(k, R[k], Q[k]);

    out_.Put(kTableHeader);
    // The image stays untouched until the table after next, long after the
    // output has handed it over.
    out_.PutBlock(BuildTableImage());
    out_.Put("\n\n");
}

// A machine can hold more than JobCount operations when a job revisits it;
// the row still shows only its first JobCount positions.
void TraceWriter::FormatMachineRow(std::int32_t machine, std::string& text) const {
    const std::int32_t shown = std::min(model_.Placed(machine), model_.JobCount);
    text.clear();
    char number[24];
    for (std::int32_t j = 1; j <= shown; ++j) {
        text.append(number, Field(number, model_.PI(machine)[j], '\t'));
    }
    for (std::int32_t j = shown + 1; j <= model_.JobCount; ++j) text += "0\t";
    text += '\n';
}

void TraceWriter::WritePermutationBlock() {
    if (machineRow_.empty()) {
        machineRow_.resize(static_cast<std::size_t>(model_.MachineCount) + 1);
        shownPlaced_.assign(static_cast<std::size_t>(model_.MachineCount) + 1, -1);
    }
    for (std::int32_t i = 1; i <= model_.MachineCount; ++i) {
        // Sequences only grow, so an unchanged count means an unchanged row.
        if (model_.Placed(i) != shownPlaced_[i]) {
            FormatMachineRow(i, machineRow_[i]);
            shownPlaced_[i] = model_.Placed(i);
        }
        out_.Put(machineRow_[i]);
        out_.Flush();
    }
    out_.Put('\n');
    out_.Flush();
}

void TraceWriter::WriteStepSeparator() {
    out_.Put(kSeparator);
}

namespace {

// Without jobs every machine row is a bare line end, however many machines
// there are (up to 2^31 - 1): they go out a block at a time.
void PutEmptyMachineRows(TraceOutput& out, std::int32_t machineCount) {
    static const std::string kLineEnds(64 * 1024, '\n');
    for (auto left = static_cast<std::size_t>(machineCount); left > 0;) {
        const std::size_t part = std::min(left, kLineEnds.size());
        out.PutBlock(std::string_view(kLineEnds).substr(0, part));
        left -= part;
    }
}

}  // namespace

void TraceWriter::WriteClosingSection() {
    out_.Put(model_.InstanceName);
    out_.Put(", permutacja koncowa PI:\n");
    // The rows of the last permutation block, not flushed line by line. The
    // counter is 64 bits: an int compared with MachineCount = 2^31 - 1 would
    // overflow instead of ending.
    if (model_.JobCount == 0) {
        PutEmptyMachineRows(out_, model_.MachineCount);
    } else {
        std::string row;
        for (std::int64_t i = 1; i <= model_.MachineCount; ++i) {
            FormatMachineRow(static_cast<std::int32_t>(i), row);
            out_.Put(row);
        }
    }
    out_.Put("\nFunkcja celu Cmax = ");
    out_.PutNumber(model_.Cmax);
    out_.Put('\n');
    out_.Flush();
    out_.Put('\n');
    out_.Flush();
    out_.Put(kSeparator);
}

}  // namespace jobshop
