#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "report/TraceOutput.h"

namespace jobshop {

// A trace opened for writing: its bytes go to Write, and Close ends it.
class TraceSink : public ByteSink {
  public:
    // False if the bytes may not all have arrived (a delayed write error).
    virtual bool Close() = 0;
};

// Where a run puts its trace. The program writes files into its folder; the
// fuzz target and tests count or keep the bytes instead.
class TraceDestination {
  public:
    virtual ~TraceDestination() = default;
    // The trace of that file name, created or emptied (kTruncate) or opened
    // for appending, created if missing (kAppend); nullptr if it cannot be.
    virtual std::unique_ptr<TraceSink> Open(const std::string& traceFileName,
                                            FileSink::Mode mode) = 0;
};

// Trace files in a folder of the file system.
class FolderDestination final : public TraceDestination {
  public:
    explicit FolderDestination(std::filesystem::path folder) : folder_(std::move(folder)) {}
    std::unique_ptr<TraceSink> Open(const std::string& traceFileName, FileSink::Mode mode) override;

  private:
    std::filesystem::path folder_;
};

}  // namespace jobshop
