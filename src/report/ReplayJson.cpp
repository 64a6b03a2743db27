#include "report/ReplayJson.h"

#include <charconv>
#include <cstdint>
#include <span>
#include <vector>

#include "report/Decimal.h"

namespace jobshop {

std::size_t Utf8SequenceLength(std::string_view s) {
    const auto byte = [&s](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    // The second byte's range excludes overlong forms, surrogates and code
    // points above U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    }
    return length;
}

namespace {

class JsonText {
  public:
    explicit JsonText(std::string& out) : out_(out) {}

    void Raw(std::string_view text) { out_ += text; }
    void Number(Time value) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        out_.append(digits, end);
    }
    template <class T>
    void Numbers(std::span<const T> values) {
        out_ += '[';
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (i > 0) out_ += ',';
            Number(values[i]);
        }
        out_ += ']';
    }
    // Field changes as [gap, delta, gap, delta, ...]: the gap is the
    // operation number minus the one before it in the list (the first counts
    // from 0), the delta the new value minus the old one.
    void Changes(const ReplayRecording::FieldChanges& changes) {
        out_ += '[';
        Operation previous = 0;
        for (std::size_t i = 0; i < changes.size(); ++i) {
            if (i > 0) out_ += ',';
            Number(changes[i].first - previous);
            out_ += ',';
            Number(changes[i].second);
            previous = changes[i].first;
        }
        out_ += ']';
    }

  private:
    std::string& out_;
};

void WriteSteps(JsonText& json, const ReplayRecording& r) {
    json.Raw("\"steps\":[");
    for (std::size_t t = 0; t < r.steps.size(); ++t) {
        const ReplayRecording::Step& s = r.steps[t];
        json.Raw(t > 0 ? ",\n{\"op\":" : "\n{\"op\":");
        json.Number(s.op);
        json.Raw(",\"machine\":");
        json.Number(s.machine);
        json.Raw(",\"position\":");
        json.Number(s.position);
        json.Raw(",\"estimates\":");
        json.Numbers(std::span<const Time>(s.estimates));
        json.Raw("}");
    }
    json.Raw("],\n");
}

void WriteEvaluations(JsonText& json, const ReplayRecording& r) {
    json.Raw("\"evaluations\":{\"snapshotEvery\":");
    json.Number(ReplayRecording::kSnapshotEvery);
    json.Raw(",\n\"snapshots\":[");
    for (std::size_t s = 0; s < r.snapshots.size(); ++s) {
        const ReplayRecording::Snapshot& snap = r.snapshots[s];
        // Operation k at index k-1, like "operations".
        const auto from1 = [](const std::vector<Time>& v) {
            return std::span<const Time>(v).subspan(1);
        };
        json.Raw(s > 0 ? ",\n{\"R\":" : "\n{\"R\":");
        json.Numbers(from1(snap.R));
        json.Raw(",\"Q\":");
        json.Numbers(from1(snap.Q));
        json.Raw(",\"level\":");
        json.Numbers(from1(snap.Level));
        json.Raw("}");
    }
    json.Raw("],\n\"changes\":[");
    for (std::size_t e = 0; e < r.changes.size(); ++e) {
        json.Raw(e > 0 ? ",\n[" : "\n[");
        json.Changes(r.changes[e].R);
        json.Raw(",");
        json.Changes(r.changes[e].Q);
        json.Raw(",");
        json.Changes(r.changes[e].Level);
        json.Raw("]");
    }
    json.Raw("]}");
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x80) {
            const std::size_t length = Utf8SequenceLength(bytes.substr(i));
            if (length == 0) {
                out += "\\ufffd";
                ++i;
            } else {
                out.append(bytes.substr(i, length));
                i += length;
            }
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == '<') {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
    out += '"';
}

ReplayCounts CountReplay(const Model& model) {
    ReplayCounts counts;
    std::vector<std::int32_t> placed(static_cast<std::size_t>(model.MachineCount) + 1, 0);
    counts.evaluations = 1;  // the finished schedule's
    for (Operation t = 1; t <= model.OpCount; ++t) {
        const std::int32_t positions = ++placed[model.M[model.InsertionOrder[t]]];
        if (positions == 1) continue;
        ++counts.evaluations;
        counts.estimates += static_cast<std::uint64_t>(positions);
    }
    counts.snapshots =
        static_cast<std::uint64_t>((counts.evaluations + ReplayRecording::kSnapshotEvery - 1) /
                                   ReplayRecording::kSnapshotEvery);
    return counts;
}

std::uint64_t ReplayJsonLowerBound(const Model& model) {
    const Operation n = model.OpCount;
    const std::int32_t m = model.MachineCount;
    const auto length = [](Time value) {
        return static_cast<std::uint64_t>(DecimalLength(value)) + 1;
    };
    if (n == 0) return 0;
    // Every machine's sequence, empty or not.
    std::uint64_t bytes = 3 * static_cast<std::uint64_t>(m);
    bool negative = false;
    for (Operation k = 1; k <= n; ++k) negative = negative || model.p[k] < 0;
    // Heads and tails along each job alone; with a negative time none is sure.
    std::vector<Time> head(static_cast<std::size_t>(n) + 2, 0), tail(head);
    for (Operation k = 1; k <= n; ++k) {
        head[k] = ((k - 1) % m != 0 ? head[k - 1] : 0) + model.p[k];
    }
    for (Operation k = n; k >= 1; --k) tail[k] = (k % m != 0 ? tail[k + 1] : 0) + model.p[k];
    const auto sure = [negative](Time value) { return negative ? Time{0} : value; };
    std::uint64_t snapshot = 0;
    for (Operation k = 1; k <= n; ++k) {
        snapshot += length(sure(head[k])) + length(sure(tail[k])) + length((k - 1) % m + 1);
        // "operations", "order" and the sequences.
        bytes += 2 + length(model.M[k]) + length(model.p[k]) + 2 * length(k);
    }
    std::vector<std::int32_t> placed(static_cast<std::size_t>(m) + 1, 0);
    for (Operation t = 1; t <= n; ++t) {
        const Operation k = model.InsertionOrder[t];
        const Operation jobLast = ((k - 1) / m + 1) * m;
        const std::int32_t positions = ++placed[model.M[k]];
        bytes += kReplayStepFrame + length(k) + length(model.M[k]) + 2;
        if (positions == 1) continue;
        bytes += static_cast<std::uint64_t>(positions) * length(sure(head[jobLast]));
    }
    return bytes + CountReplay(model).snapshots * snapshot;
}

std::string ReplayJson(const ReplayRecording& r) {
    std::string out;
    JsonText json(out);
    json.Raw("{\"format\":\"jobshop-replay\",\"version\":1,\n\"name\":");
    AppendJsonString(out, r.name);
    json.Raw(",\"jobs\":");
    json.Number(r.jobs);
    json.Raw(",\"machines\":");
    json.Number(r.machines);
    json.Raw(",\n\"operations\":[");
    for (std::size_t k = 1; k < r.M.size(); ++k) {
        json.Raw(k > 1 ? ",[" : "[");
        json.Number(r.M[k]);
        json.Raw(",");
        json.Number(r.p[k]);
        json.Raw("]");
    }
    json.Raw("],\n\"order\":");
    json.Numbers(std::span<const Operation>(r.order));
    json.Raw(",\n");
    WriteSteps(json, r);
    json.Raw("\"sequences\":[");
    for (std::size_t i = 0; i < r.sequences.size(); ++i) {
        if (i > 0) json.Raw(",");
        json.Numbers(std::span<const Operation>(r.sequences[i]));
    }
    json.Raw("],\n\"cmax\":");
    json.Number(r.cmax);
    json.Raw(",\n");
    WriteEvaluations(json, r);
    json.Raw("}\n");
    return out;
}

}  // namespace jobshop
