#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "report/TraceOutput.h"

namespace jobshop::testing {

// Discards everything and counts the bytes: measures formatting without the
// disk.
class NullSink final : public ByteSink {
  public:
    bool Write(std::span<const std::string_view> parts) override {
        for (const std::string_view part : parts) written += part.size();
        return true;
    }
    std::uint64_t written = 0;
};

// Keeps every write it receives as one string, so tests can see where the
// output's writes fall.
class RecordingSink final : public ByteSink {
  public:
    bool Write(std::span<const std::string_view> parts) override {
        std::string write;
        for (const std::string_view part : parts) write += part;
        writes.push_back(std::move(write));
        return true;
    }
    std::vector<std::string> writes;
};

}  // namespace jobshop::testing
