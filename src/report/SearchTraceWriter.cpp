#include "report/SearchTraceWriter.h"

#include "report/Decimal.h"

namespace jobshop {
namespace {

constexpr std::string_view kSeparator =
    "**********************************************************\n\n";

std::string_view StatusText(MoveStatus status) {
    switch (status) {
        case MoveStatus::kAllowed:
            return "dozwolony";
        case MoveStatus::kTabu:
            return "tabu";
        case MoveStatus::kAspirated:
            return "tabu, aspiracja";
        case MoveStatus::kCycle:
            return "cykl";
    }
    return "";
}

}  // namespace

std::string_view SearchStopText(SearchStop stop) {
    switch (stop) {
        case SearchStop::kIterations:
            return "limit iteracji";
        case SearchStop::kTime:
            return "limit czasu";
        case SearchStop::kLowerBound:
            return "Cmax rowny dolnemu ograniczeniu, harmonogram optymalny";
        case SearchStop::kNoMove:
            return "sciezka krytyczna nie daje zadnego ruchu";
        case SearchStop::kObserver:
            return "przerwano";
    }
    return "";
}

SearchTraceWriter::SearchTraceWriter(const Model& model, TraceOutput& out)
    : model_(model), out_(out), table_(model, out) {}

std::uint64_t SearchTraceWriter::LeastIterationBytes(const Model& model) {
    // Per row: Lp, M, p, NO and PO as they are, NM, PM, R and Q one digit,
    // nine fields; the header and the two empty lines after the table.
    std::uint64_t bytes = std::string_view("Lp\tM\tp\tNO\tPO\tNM\tPM\tR\tQ\n").size() + 2;
    for (Operation k = 1; k <= model.OpCount; ++k) {
        bytes += DecimalLength(k) + DecimalLength(model.M[k]) + DecimalLength(model.p[k]) +
                 DecimalLength(model.NO[k]) + DecimalLength(model.PO[k]) + 4 + 9;
        // Its place in the machine sequences: the number and a tab.
        bytes += DecimalLength(k) + 1;
    }
    return bytes + static_cast<std::uint64_t>(model.MachineCount);
}

void SearchTraceWriter::PutMove(TraceOutput& out, const CandidateMove& move) {
    switch (move.kind) {
        case MoveKind::kSwap:
            out.PutNumber(move.a);
            out.Put('-');
            out.PutNumber(move.b);
            return;
        case MoveKind::kForward:
            out.PutNumber(move.a);
            out.Put('>');
            out.PutNumber(move.b);
            return;
        case MoveKind::kBackward:
            out.PutNumber(move.b);
            out.Put('<');
            out.PutNumber(move.a);
            return;
    }
}

// Every machine's sequence, all its operations, a line each.
void SearchTraceWriter::PutSequences() {
    for (std::int32_t i = 1; i <= model_.MachineCount; ++i) {
        const Operation* row = model_.Placed(i) > 0 ? model_.PI(i) : nullptr;
        for (std::int32_t j = 1; j <= model_.Placed(i); ++j) {
            out_.PutNumber(row[j]);
            out_.Put('\t');
        }
        out_.Put('\n');
    }
}

void SearchTraceWriter::PutSeparator() {
    out_.Put(kSeparator);
    out_.Flush();
}

void SearchTraceWriter::SearchStarted(const Model&, const SearchStart& start) {
    out_.Put("Poprawa harmonogramu: przeszukiwanie z lista tabu\nInstancja:\t");
    out_.Put(model_.InstanceName);
    out_.Put("\nStart: harmonogram wstawiania, Cmax = ");
    out_.PutNumber(start.cmax);
    out_.Put("\nDolne ograniczenie:\t");
    if (start.lowerBound) {
        out_.PutNumber(*start.lowerBound);
    } else {
        out_.Put("brak (ujemne czasy wykonania)");
    }
    out_.Put("\nZiarno:\t");
    out_.Put(std::to_string(start.seed));
    out_.Put("\nKadencja tabu:\t");
    out_.PutNumber(start.tenureMin);
    out_.Put('\t');
    out_.PutNumber(start.tenureMax);
    out_.Put("\nFaza bez poprawy:\t");
    out_.PutNumber(start.stallLimit);
    out_.Put("\nPula elitarna:\t");
    out_.PutNumber(start.poolSize);
    out_.Put("\n\nPI:\n");
    PutSequences();
    out_.Put('\n');
    PutSeparator();
}

void SearchTraceWriter::IterationEvaluated(const Model&, const SearchIteration& it) {
    out_.Put("Iteracja ");
    out_.PutNumber(it.iteration);
    out_.Put("\tCmax = ");
    out_.PutNumber(it.cmax);
    out_.Put("\tNajlepszy Cmax = ");
    out_.PutNumber(it.best);
    out_.Put("\n\n");
    table_.WriteTable(it.R, it.Q);

    const CriticalPath& path = *it.path;
    out_.Put("Sciezka krytyczna:");
    for (const Operation k : path.ops) {
        out_.Put('\t');
        out_.PutNumber(k);
    }
    out_.Put("\nBloki:\nBlok\tM\tOperacje\n");
    for (std::size_t b = 0; b < path.blocks.size(); ++b) {
        out_.PutNumber(static_cast<std::int64_t>(b) + 1);
        out_.Put('\t');
        out_.PutNumber(model_.M[path.ops[path.blocks[b].first]]);
        for (std::int32_t i = path.blocks[b].first; i <= path.blocks[b].last; ++i) {
            out_.Put('\t');
            out_.PutNumber(path.ops[i]);
        }
        out_.Put('\n');
    }
    out_.Put("\nRuchy:\nRuch\tBlok\tOszacowanie\tCmax\tStatus\n");
    for (const CandidateMove& move : it.moves) {
        PutMove(out_, move);
        out_.Put('\t');
        out_.PutNumber(move.block + 1);
        out_.Put('\t');
        out_.PutNumber(move.bound);
        out_.Put('\t');
        if (move.status == MoveStatus::kCycle) {
            out_.Put('-');
        } else {
            out_.PutNumber(move.cmax);
        }
        out_.Put('\t');
        out_.Put(StatusText(move.status));
        out_.Put('\n');
    }
    out_.Put('\n');
    if (it.rule == ChoiceRule::kNone) {
        out_.Put("Brak ruchu: ");
        out_.Put(it.moves.empty() ? "sciezka krytyczna nie daje zadnego ruchu\n"
                                  : "kazdy ruch zamyka cykl\n");
        out_.Put('\n');
        PutSeparator();
        return;
    }
    out_.Put("Wybrany ruch:\t");
    PutMove(out_, it.moves[it.chosen]);
    if (it.rule == ChoiceRule::kOldestTabu) {
        out_.Put("\t(wszystkie ruchy tabu: ten, ktorego zakaz konczy sie najwczesniej)");
    }
    out_.Put('\n');
}

void SearchTraceWriter::MoveApplied(const Model&, const AppliedMove& applied) {
    out_.Put("Cmax po ruchu = ");
    out_.PutNumber(applied.move.cmax);
    out_.Put("\nLista tabu:");
    for (const TabuEntry& entry : applied.tabu) {
        out_.Put('\t');
        out_.PutNumber(entry.a);
        out_.Put('-');
        out_.PutNumber(entry.b);
        out_.Put(" (");
        out_.PutNumber(entry.until);
        out_.Put(')');
    }
    out_.Put("\nNajlepszy Cmax = ");
    out_.PutNumber(applied.best);
    if (applied.improved) out_.Put(" (nowy)");
    out_.Put("\n\nPI:\n");
    PutSequences();
    out_.Put('\n');
    PutSeparator();
}

void SearchTraceWriter::Restarted(const Model&, const SearchRestart& restart) {
    out_.Put("Koniec fazy po iteracji ");
    out_.PutNumber(restart.iteration);
    out_.Put(": najlepszy Cmax fazy = ");
    out_.PutNumber(restart.phaseBest);
    out_.Put("\nNowy start: ");
    if (restart.kind == RestartKind::kRandomStart) {
        out_.Put("losowy harmonogram aktywny (pula elitarna: ");
        out_.PutNumber(restart.poolSize);
        out_.Put(')');
    } else {
        out_.Put("w drodze od harmonogramu elitarnego ");
        out_.PutNumber(restart.from + 1);
        out_.Put(" do ");
        out_.PutNumber(restart.towards + 1);
    }
    out_.Put(", Cmax = ");
    out_.PutNumber(restart.cmax);
    out_.Put("\n\nPI:\n");
    PutSequences();
    out_.Put('\n');
    PutSeparator();
}

void SearchTraceWriter::SearchFinished(const Model&, const SearchResult& result) {
    out_.Put(model_.InstanceName);
    out_.Put(", najlepsza permutacja PI:\n");
    PutSequences();
    out_.Put("\nFunkcja celu Cmax = ");
    out_.PutNumber(result.best);
    out_.Put("\nZnaleziona w iteracji:\t");
    out_.PutNumber(result.bestIteration);
    out_.Put("\nIteracji:\t");
    out_.PutNumber(result.iterations);
    out_.Put("\nKoniec:\t");
    out_.Put(SearchStopText(result.stop));
    out_.Put("\n\n");
    PutSeparator();
}

}  // namespace jobshop
