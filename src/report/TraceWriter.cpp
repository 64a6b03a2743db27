#include "report/TraceWriter.h"

#include <algorithm>

namespace jobshop {
namespace {

constexpr std::string_view kSeparator =
    "**********************************************************\n\n";

}  // namespace

void TraceWriter::WriteSortedList() {
    out_.Put("Nierosnace czasy wykonania:\n");
    for (Operation t = 1; t <= model_.OpCount; ++t) {
        const Operation k = model_.InsertionOrder[t];
        out_.PutNumber(k);
        out_.Put('(');
        out_.PutNumber(model_.p[k]);
        out_.Put(")\t");
    }
    out_.Put("\n\n");
}

void TraceWriter::WriteTopologicalLine(std::span<const Operation> topoOrder) {
    out_.Put("\nTopologicznie:\t");
    for (Operation r = 1; r <= model_.OpCount; ++r) {
        out_.PutNumber(topoOrder[r]);
        out_.Put('\t');
    }
    out_.Put('\n');
    out_.Flush();
    out_.Put('\n');
    out_.Flush();
}

void TraceWriter::WriteTable(std::span<const Time> R, std::span<const Time> Q) {
    out_.Put("Lp\tM\tp\tNO\tPO\tNM\tPM\tR\tQ\n");
    for (Operation k = 1; k <= model_.OpCount; ++k) {
        for (const Time field :
             {Time{k}, Time{model_.M[k]}, Time{model_.p[k]}, Time{model_.NO[k]}, Time{model_.PO[k]},
              Time{model_.NM[k]}, Time{model_.PM[k]}, R[k]}) {
            out_.PutNumber(field);
            out_.Put('\t');
        }
        out_.PutNumber(Q[k]);
        out_.Put('\n');
    }
    out_.Put("\n\n");
}

// A machine can hold more than JobCount operations when a job revisits it;
// the row still shows only its first JobCount positions.
void TraceWriter::WriteMachineRow(std::int32_t machine) {
    const std::int32_t shown = std::min(model_.Placed(machine), model_.JobCount);
    for (std::int32_t j = 1; j <= shown; ++j) {
        out_.PutNumber(model_.PI(machine)[j]);
        out_.Put('\t');
    }
    for (std::int32_t j = shown + 1; j <= model_.JobCount; ++j) out_.Put("0\t");
    out_.Put('\n');
}

void TraceWriter::WritePermutationBlock() {
    for (std::int32_t i = 1; i <= model_.MachineCount; ++i) {
        WriteMachineRow(i);
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
    for (std::int32_t i = 1; i <= model_.MachineCount; ++i) WriteMachineRow(i);
    out_.Put("\nFunkcja celu Cmax = ");
    out_.PutNumber(model_.Cmax);
    out_.Put('\n');
    out_.Flush();
    out_.Put('\n');
    out_.Flush();
    out_.Put(kSeparator);
}

}  // namespace jobshop
