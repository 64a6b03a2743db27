#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "driver/TraceDestination.h"
#include "report/TraceOutput.h"

namespace jobshop::testing {

// Discards a run's trace and counts its bytes: measures formatting without
// the disk.
class NullDestination final : public TraceDestination {
  public:
    std::unique_ptr<TraceSink> Open(const std::string&, FileSink::Mode) override {
        return std::make_unique<Sink>(written);
    }
    std::uint64_t written = 0;

  private:
    class Sink final : public TraceSink {
      public:
        explicit Sink(std::uint64_t& written) : written_(written) {}
        bool Write(std::span<const std::string_view> parts) override {
            for (const std::string_view part : parts) written_ += part.size();
            return true;
        }
        bool Close() override { return true; }

      private:
        std::uint64_t& written_;
    };
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

// Takes a run's trace without a file: counts its bytes and keeps only its
// last bytes and the first bytes of the closing section, so a trace of any
// size costs nothing to check.
class CountingDestination final : public TraceDestination {
  public:
    static constexpr std::size_t kKept = 512;

    std::unique_ptr<TraceSink> Open(const std::string& traceFileName,
                                    FileSink::Mode mode) override {
        name = traceFileName;
        if (mode == FileSink::Mode::kTruncate) {
            bytes = 0;
            tail.clear();
        }
        appending = mode == FileSink::Mode::kAppend;
        closingHead.clear();
        return std::make_unique<Sink>(*this);
    }

    std::string name;
    std::uint64_t bytes = 0;  // since the trace was last emptied
    std::string tail;         // the last kKept bytes
    std::string closingHead;  // the first kKept bytes appended
    bool appending = false;

  private:
    class Sink final : public TraceSink {
      public:
        explicit Sink(CountingDestination& to) : to_(to) {}
        bool Write(std::span<const std::string_view> parts) override {
            for (const std::string_view part : parts) to_.Take(part);
            return true;
        }
        bool Close() override { return true; }

      private:
        CountingDestination& to_;
    };

    void Take(std::string_view part) {
        bytes += part.size();
        if (appending && closingHead.size() < kKept) {
            closingHead += part.substr(0, kKept - closingHead.size());
        }
        tail += part.substr(part.size() - std::min(part.size(), kKept));
        if (tail.size() > kKept) tail.erase(0, tail.size() - kKept);
    }
};

}  // namespace jobshop::testing
