#include "driver/TraceDestination.h"

namespace jobshop {
namespace {

class FolderTrace final : public TraceSink {
  public:
    explicit FolderTrace(std::unique_ptr<FileSink> file) : file_(std::move(file)) {}
    bool Write(std::span<const std::string_view> parts) override { return file_->Write(parts); }
    bool Close() override { return file_->Close(); }

  private:
    std::unique_ptr<FileSink> file_;
};

}  // namespace

std::unique_ptr<TraceSink> FolderDestination::Open(const std::string& traceFileName,
                                                   FileSink::Mode mode) {
    std::unique_ptr<FileSink> file = FileSink::Open(folder_ / traceFileName, mode);
    if (!file) return nullptr;
    return std::make_unique<FolderTrace>(std::move(file));
}

}  // namespace jobshop
