#include "report/TraceWriter.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

namespace jobshop {
namespace {

constexpr std::string_view kSeparator =
    "**********************************************************\n\n";
constexpr std::string_view kTableHeader = "Lp\tM\tp\tNO\tPO\tNM\tPM\tR\tQ\n";

// Writes `value` and `end` at `out`; returns the position after them.
char* Field(char* out, std::int64_t value, char end) {
    out = std::to_chars(out, out + 20, value).ptr;
    *out = end;
    return out + 1;
}

// No R is this low, so every row is formatted for the first table.
constexpr Time kNeverShown = std::numeric_limits<Time>::min();

}  // namespace

TraceWriter::TraceWriter(const Model& model, TraceOutput& out) : model_(model), out_(out) {}

void TraceWriter::PutLabel(Operation k) {
    // Fixed-size copies: the label slot is wider than any label, and the
    // output advances only by the label's length.
    char* at = out_.Reserve(kLabelSlot);
    std::memcpy(at, labelText_.data() + static_cast<std::size_t>(k) * kLabelSlot, kLabelSlot);
    out_.Commit(at + labelLength_[k]);
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

void TraceWriter::WriteTopologicalLine(std::span<const Operation> topoOrder) {
    if (labelText_.empty()) {
        const std::size_t entries = static_cast<std::size_t>(model_.OpCount) + 1;
        labelText_.assign(entries * kLabelSlot, 0);
        labelLength_.assign(entries, 0);
        for (Operation k = 1; k <= model_.OpCount; ++k) {
            char* slot = labelText_.data() + static_cast<std::size_t>(k) * kLabelSlot;
            labelLength_[k] = static_cast<std::uint8_t>(Field(slot, k, '\t') - slot);
        }
    }
    out_.Put("\nTopologicznie:\t");
    for (Operation r = 1; r <= model_.OpCount; ++r) PutLabel(topoOrder[r]);
    out_.Put('\n');
    out_.Flush();
    out_.Put('\n');
    out_.Flush();
}

void TraceWriter::FormatRowTail(Operation k, Time R, Time Q) {
    char* slot = RowSlot(k);
    char* at = slot + fixedLength_[k];
    at = Field(at, model_.NM[k], '\t');
    at = Field(at, model_.PM[k], '\t');
    at = Field(at, R, '\t');
    at = Field(at, Q, '\n');
    rowLength_[k] = static_cast<std::uint8_t>(at - slot);
    shownNM_[k] = model_.NM[k];
    shownPM_[k] = model_.PM[k];
    shownR_[k] = R;
    shownQ_[k] = Q;
}

void TraceWriter::WriteTable(std::span<const Time> R, std::span<const Time> Q) {
    const Operation n = model_.OpCount;
    if (rowText_.empty()) {
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
            char* at = Field(slot, k, '\t');
            at = Field(at, model_.M[k], '\t');
            at = Field(at, model_.p[k], '\t');
            at = Field(at, model_.NO[k], '\t');
            at = Field(at, model_.PO[k], '\t');
            fixedLength_[k] = static_cast<std::uint8_t>(at - slot);
        }
    }

    out_.Put(kTableHeader);
    const Operation* NM = model_.NM.data();
    const Operation* PM = model_.PM.data();
    for (Operation k = 1; k <= n; ++k) {
        if (R[k] != shownR_[k] || Q[k] != shownQ_[k] || NM[k] != shownNM_[k] ||
            PM[k] != shownPM_[k]) {
            FormatRowTail(k, R[k], Q[k]);
        }
        // Most rows fit in half a slot; copy a fixed size either way.
        char* at = out_.Reserve(kRowSlot);
        const std::uint8_t length = rowLength_[k];
        if (length <= kRowSlot / 2) {
            std::memcpy(at, RowSlot(k), kRowSlot / 2);
        } else {
            std::memcpy(at, RowSlot(k), kRowSlot);
        }
        out_.Commit(at + length);
    }
    out_.Put("\n\n");
}

// A machine can hold more than JobCount operations when a job revisits it;
// the row still shows only its first JobCount positions.
std::string TraceWriter::MachineRowText(std::int32_t machine) const {
    const std::int32_t shown = std::min(model_.Placed(machine), model_.JobCount);
    std::string text;
    char number[24];
    for (std::int32_t j = 1; j <= shown; ++j) {
        text.append(number, Field(number, model_.PI(machine)[j], '\t'));
    }
    for (std::int32_t j = shown + 1; j <= model_.JobCount; ++j) text += "0\t";
    text += '\n';
    return text;
}

void TraceWriter::WritePermutationBlock() {
    if (machineRow_.empty()) {
        machineRow_.resize(static_cast<std::size_t>(model_.MachineCount) + 1);
        shownPlaced_.assign(static_cast<std::size_t>(model_.MachineCount) + 1, -1);
    }
    for (std::int32_t i = 1; i <= model_.MachineCount; ++i) {
        // Sequences only grow, so an unchanged count means an unchanged row.
        if (model_.Placed(i) != shownPlaced_[i]) {
            machineRow_[i] = MachineRowText(i);
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

void TraceWriter::WriteClosingSection() {
    out_.Put(model_.InstanceName);
    out_.Put(", permutacja koncowa PI:\n");
    // The rows of the last permutation block, not flushed line by line.
    for (std::int32_t i = 1; i <= model_.MachineCount; ++i) out_.Put(MachineRowText(i));
    out_.Put("\nFunkcja celu Cmax = ");
    out_.PutNumber(model_.Cmax);
    out_.Put('\n');
    out_.Flush();
    out_.Put('\n');
    out_.Flush();
    out_.Put(kSeparator);
}

}  // namespace jobshop
