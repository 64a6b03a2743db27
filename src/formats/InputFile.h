#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "formats/Loader.h"
#include "model/Model.h"

namespace jobshop {

// Reading input files from the file system. Every reader is bounded: it
// reads no more than it needs or is allowed, so an endless device, a pipe
// kept open or a huge file ends the reading with a reason instead of
// filling the memory or waiting for ever.

// LoadInstance from a file, with the same rules and refusals, read only as
// far as the tokens need (see LoadInstanceFrom): a file that never ends (a
// pipe kept open, an endless device) is read only up to the last pair or the
// first bad token. A file that cannot be opened or read is refused as such
// (kCannotOpen).
[[nodiscard]] std::optional<LoadError> LoadInstanceFile(const std::filesystem::path& path,
                                                        Model& model);

// How much of a whole text file may be read.
struct TextLimits {
    std::uint64_t maxBytes = std::uint64_t{64} << 20;
    // A pipe or device that sends nothing for this long while it stays open
    // is taken as endless.
    int idleMilliseconds = 10'000;
};

// Why a text file could not be read.
struct TextFileError {
    enum class Kind {
        kCannotOpen,  // `error` says why (an errno value)
        kNotText,     // `byte`, a control byte no text file holds, stands on `line`
        kTooLarge,    // more than TextLimits::maxBytes
        kIdle,        // nothing arrived for TextLimits::idleMilliseconds
    };
    Kind kind = Kind::kCannotOpen;
    int error = 0;
    std::int64_t line = 0;
    unsigned char byte = 0;
};

// The whole content of a text file, read until its end within `limits`, or
// why not. Reading stops at the first byte that cannot stand in a text (NUL
// and the control bytes other than tab, line end, vertical tab, form feed and
// carriage return), so binary input ends it at once.
[[nodiscard]] std::optional<TextFileError> ReadTextFile(const std::filesystem::path& path,
                                                        std::string& text,
                                                        const TextLimits& limits = {});

}  // namespace jobshop
