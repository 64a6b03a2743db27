#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "report/TraceOutput.h"

namespace jobshop {

// Gathers the bytes of its writes into chunks of one size and hands each
// chunk to `take` once it is full, and the last one at Finish. Where every
// hand-over is costly (the web edition's trace crosses from WebAssembly to
// the page that way), a few large chunks cost far less than the many parts
// of the writes.
class ChunkSink final : public ByteSink {
  public:
    // Gets a chunk's bytes, valid during the call; false stops the writing.
    using Take = std::function<bool(std::string_view chunk)>;

    ChunkSink(std::size_t chunkSize, Take take);

    bool Write(std::span<const std::string_view> parts) override;
    // Hands over what is gathered (nothing if empty); false if `take` or an
    // earlier hand-over refused.
    bool Finish();

  private:
    bool HandOver();

    std::vector<char> chunk_;
    std::size_t used_ = 0;
    Take take_;
    bool failed_ = false;
};

}  // namespace jobshop
