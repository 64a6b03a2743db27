#include "report/TraceWriter.h"

#include <algorithm>
#include <bit>
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

// Chunks of the kept table and topological line (as a power of two): long,
// because the kernel copies a write's pieces one by one, and a table of 8
// pieces instead of 32 costs it about 5 ms less on ta71, while a row that
// changes its length moves no more than the rest of one chunk; few enough
// that a table goes out in one write.
int ChunkShift(Operation count) {
    constexpr int kMinShift = 8;  // 256 items
    constexpr std::int64_t kMaxChunks = 256;
    static_assert(kMaxChunks < TraceOutput::kMaxBlocks);
    int shift = kMinShift;
    while ((std::int64_t{1} << shift) * kMaxChunks < count) ++shift;
    return shift;
}

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

void TraceWriter::WriteTopologicalLine(std::span<const Operation> topoOrder) {
    const Operation n = model_.OpCount;
    if (labelText_.empty()) PrepareLabels();
    // The line's text is patched in place: the last line must have gone out.
    assert(!out_.HoldsBlocks());
    if (shownTopo_.empty()) {
        shownTopo_.assign(static_cast<std::size_t>(n) + 1, 0);
        topoLine_.Reset(n, ChunkShift(n));
    }
    // A step moves few operations to another level, and each move shifts only
    // the ranks between its old and new place: stretches of ranks that still
    // hold the same operations are passed over with one compare, and a
    // stretch that changed is written again from its first change on.
    // (The stretch bounds are 64-bit: n may come close to 2^31.)
    constexpr std::int64_t kStretch = 64;
    for (std::int64_t first = 1; first <= n; first += kStretch) {
        const std::int64_t end = std::min<std::int64_t>(first + kStretch, std::int64_t{n} + 1);
        if (std::memcmp(topoOrder.data() + first, shownTopo_.data() + first,
                        static_cast<std::size_t>(end - first) * sizeof(Operation)) == 0) {
            continue;
        }
        std::int64_t r = first;
        while (topoOrder[r] == shownTopo_[r]) ++r;
        std::copy(topoOrder.begin() + r, topoOrder.begin() + end, shownTopo_.begin() + r);
        topoLine_.Invalidate(static_cast<Operation>(r), static_cast<Operation>(end));
    }
    topoLine_.Rebuild([this](Operation r) {
        const Operation k = shownTopo_[r];
        return std::pair(Label(k), labelLength_[k]);
    });
    out_.Put("\nTopologicznie:\t");
    topoLine_.PutTo(out_);
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
    rOffset_.assign(entries, 0);
    qOffset_.assign(entries, 0);
    shownNM_.assign(entries, 0);
    shownPM_.assign(entries, 0);
    shownR_.assign(entries, kNeverShown);
    shownQ_.assign(entries, kNeverShown);
    for (Operation k = 1; k <= n; ++k) {
        char* slot = RowSlot(k);
        fixedLength_[k] = static_cast<std::uint8_t>(FormatFixedFields(slot, k) - slot);
    }
    changedRows_.reserve(entries);
    rowMarks_.assign(entries / 64 + 1, 0);
    table_.Reset(n, ChunkShift(n));
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
    const bool linksShown = model_.NM[k] == shownNM_[k] && model_.PM[k] == shownPM_[k];
    char* at;
    // Between two tables a row's R or its Q moves, hardly ever both or a
    // link: only the field that moved is formatted again, over its old text.
    if (linksShown && Q == shownQ_[k]) {
        at = Field(slot + rOffset_[k], R, '\t');
        if (at != slot + qOffset_[k]) {
            qOffset_[k] = static_cast<std::uint8_t>(at - slot);
            at = Field(at, Q, '\n');
        } else {
            at = slot + rowLength_[k];
        }
    } else if (linksShown && R == shownR_[k]) {
        at = Field(slot + qOffset_[k], Q, '\n');
    } else {
        at = CopyLabel(slot + fixedLength_[k], model_.NM[k]);
        at = CopyLabel(at, model_.PM[k]);
        rOffset_[k] = static_cast<std::uint8_t>(at - slot);
        at = Field(at, R, '\t');
        qOffset_[k] = static_cast<std::uint8_t>(at - slot);
        at = Field(at, Q, '\n');
    }
    rowLength_[k] = static_cast<std::uint8_t>(at - slot);
    shownNM_[k] = model_.NM[k];
    shownPM_[k] = model_.PM[k];
    shownR_[k] = R;
    shownQ_[k] = Q;
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
    // names come in no order: one bit per row, then one pass over the words
    // of bits, taking each set bit from the lowest, puts them in order more
    // cheaply than sorting the names.
    std::uint64_t* marks = rowMarks_.data();
    for (const Operation k : *changed) {
        marks[k >> 6] |= static_cast<std::uint64_t>(differs(k)) << (k & 63);
    }
    for (std::size_t w = 0; w < rowMarks_.size(); ++w) {
        for (std::uint64_t word = marks[w]; word != 0; word &= word - 1) {
            changedRows_.push_back(static_cast<Operation>(w * 64) + std::countr_zero(word));
        }
        marks[w] = 0;
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
    // The table's text is patched in place: the last table must have gone out.
    assert(!out_.HoldsBlocks());
    CollectChangedRows(R, Q, changed, first);
    for (const Operation k : changedRows_) {
        FormatRowTail(k, R[k], Q[k]);
        table_.Set(k, RowSlot(k), rowLength_[k]);
    }
    table_.Rebuild([this](Operation k) { return std::pair(RowSlot(k), rowLength_[k]); });
    out_.Put(kTableHeader);
    table_.PutTo(out_);
    out_.Put("\n\n");
}

// A machine can hold more than JobCount operations when a job revisits it;
// the row still shows only its first JobCount positions.
void TraceWriter::FormatMachineRow(std::int32_t machine, std::vector<char>& text) const {
    const std::int64_t jobs = model_.JobCount;
    const std::int64_t shown = std::min<std::int64_t>(model_.Placed(machine), jobs);
    // Room for fixed-size label copies, and the line end.
    text.resize(static_cast<std::size_t>(jobs + 1) * kLabelSlot);
    char* at = text.data();
    if (shown > 0) {
        const Operation* row = model_.PI(machine);
        for (std::int64_t j = 1; j <= shown; ++j) at = CopyLabel(at, row[j]);
    }
    for (std::int64_t j = shown; j < jobs; ++j) at = CopyLabel(at, 0);
    *at++ = '\n';
    text.resize(static_cast<std::size_t>(at - text.data()));
}

void TraceWriter::WritePermutationBlock() {
    if (labelText_.empty()) PrepareLabels();
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
        out_.Put({machineRow_[i].data(), machineRow_[i].size()});
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
        if (labelText_.empty()) PrepareLabels();
        std::vector<char> row;
        for (std::int64_t i = 1; i <= model_.MachineCount; ++i) {
            FormatMachineRow(static_cast<std::int32_t>(i), row);
            out_.Put({row.data(), row.size()});
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
