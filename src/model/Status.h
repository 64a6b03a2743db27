#pragma once

#include <string>
#include <utility>

namespace jobshop {

// The outcome of a stage of the run. A failure carries the exact text the
// program prints on standard error; it travels back to the entry, which prints
// it and sets the exit status. Nothing below the entry exits the process.
class [[nodiscard]] Status {
  public:
    static Status Ok() { return Status(); }
    static Status Failure(std::string message) { return Status(std::move(message)); }

    bool ok() const { return !failed_; }
    const std::string& message() const { return message_; }

  private:
    Status() = default;
    explicit Status(std::string message) : failed_(true), message_(std::move(message)) {}

    bool failed_ = false;
    std::string message_;
};

}  // namespace jobshop
