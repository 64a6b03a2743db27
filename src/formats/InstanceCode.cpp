#include "formats/InstanceCode.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace jobshop {
namespace {

constexpr char kVersion = '1';
// Machines up to this count are written as the choices left to each job.
constexpr std::int32_t kMaxPermutationMachines = 64;

class BitWriter {
  public:
    // `value` (below 2^width, width <= 32) in `width` bits.
    void Bits(std::uint64_t value, int width) {
        for (int bit = width - 1; bit >= 0; --bit) {
            current_ = static_cast<std::uint8_t>((current_ << 1) | ((value >> bit) & 1));
            if (++filled_ == 8) {
                bytes_.push_back(current_);
                current_ = 0;
                filled_ = 0;
            }
        }
    }
    void Varint(std::uint64_t value) {
        do {
            const std::uint64_t group = value % 128;
            value /= 128;
            Bits(value > 0 ? 1 : 0, 1);
            Bits(group, 7);
        } while (value > 0);
    }
    std::vector<std::uint8_t> Finish() {
        if (filled_ > 0) Bits(0, 8 - filled_);
        return std::move(bytes_);
    }

  private:
    std::vector<std::uint8_t> bytes_;
    std::uint8_t current_ = 0;
    int filled_ = 0;
};

std::uint64_t ZigZag(std::int64_t n) {
    return n >= 0 ? static_cast<std::uint64_t>(2 * n) : static_cast<std::uint64_t>(-2 * n - 1);
}

// Bits that tell `count` choices apart (0 for one choice).
int BitsFor(std::uint64_t count) {
    int width = 0;
    while ((std::uint64_t{1} << width) < count) ++width;
    return width;
}

// The least value and the width of (value - least) over the machines or
// the times of every operation.
struct Spread {
    std::int64_t low = 0;
    int width = 0;
};
template <typename Field>
Spread SpreadOf(const Instance& instance, Field field) {
    std::int64_t low = std::numeric_limits<std::int64_t>::max();
    std::int64_t high = std::numeric_limits<std::int64_t>::min();
    for (const auto& job : instance.Jobs) {
        for (const JobStep& step : job) {
            low = std::min<std::int64_t>(low, field(step));
            high = std::max<std::int64_t>(high, field(step));
        }
    }
    if (low > high) return {};
    return {low, BitsFor(static_cast<std::uint64_t>(high - low + 1))};
}

bool IsPermutationPerJob(const Instance& instance) {
    const std::int32_t m = instance.MachineCount;
    if (m > kMaxPermutationMachines) return false;
    for (const auto& job : instance.Jobs) {
        std::vector<bool> seen(static_cast<std::size_t>(m) + 1);
        for (const JobStep& step : job) {
            if (step.M < 1 || step.M > m || seen[step.M]) return false;
            seen[step.M] = true;
        }
    }
    return true;
}

std::string Base64url(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k) group = (group << 8) | (k < n ? bytes[i + k] : 0);
        const std::size_t chars = (n * 8 + 5) / 6;
        for (std::size_t c = 0; c < chars; ++c) out += kAlphabet[(group >> (18 - 6 * c)) & 63];
    }
    return out;
}

}  // namespace

std::string InstanceCode(const Instance& instance) {
    BitWriter w;
    w.Varint(instance.InstanceName.size());
    for (const char c : instance.InstanceName) w.Bits(static_cast<std::uint8_t>(c), 8);
    w.Varint(static_cast<std::uint64_t>(instance.JobCount));
    w.Varint(static_cast<std::uint64_t>(instance.MachineCount));
    const bool permutation = IsPermutationPerJob(instance);
    w.Bits(permutation ? 1 : 0, 1);
    const Spread times = SpreadOf(instance, [](const JobStep& s) { return s.p; });
    w.Varint(ZigZag(times.low));
    w.Bits(static_cast<std::uint64_t>(times.width), 6);
    for (const auto& job : instance.Jobs) {
        for (const JobStep& step : job)
            w.Bits(static_cast<std::uint64_t>(step.p - times.low), times.width);
    }
    if (permutation) {
        std::vector<std::int32_t> left;
        for (const auto& job : instance.Jobs) {
            left.clear();
            for (std::int32_t m = 1; m <= instance.MachineCount; ++m) left.push_back(m);
            for (const JobStep& step : job) {
                const auto at = std::find(left.begin(), left.end(), step.M);
                w.Bits(static_cast<std::uint64_t>(at - left.begin()), BitsFor(left.size()));
                left.erase(at);
            }
        }
    } else {
        const Spread machines = SpreadOf(instance, [](const JobStep& s) { return s.M; });
        w.Varint(ZigZag(machines.low));
        w.Bits(static_cast<std::uint64_t>(machines.width), 6);
        for (const auto& job : instance.Jobs) {
            for (const JobStep& step : job) {
                w.Bits(static_cast<std::uint64_t>(step.M - machines.low), machines.width);
            }
        }
    }
    return kVersion + Base64url(w.Finish());
}

}  // namespace jobshop
