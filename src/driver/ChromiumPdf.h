#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "driver/OutputFiles.h"

namespace jobshop {

// Printing pages to PDF with Debian's chromium, headless: the pages laid
// out exactly as the browser prints them.

// The package that provides the browser.
inline constexpr const char* kChromiumPackage = "chromium";

// The browser found on PATH (chromium, else chromium-browser), or nothing.
std::optional<std::filesystem::path> FindChromium();

// Prints the page `html` to `pdf` with `chromium`, in a profile of its own
// under `scratch`, which also holds its temporary files: a signal that ends
// the program ends the browser and takes them all away. Nothing on success,
// else why it failed, as one line.
std::optional<std::string> PrintToPdf(const std::filesystem::path& chromium,
                                      const std::filesystem::path& html,
                                      const std::filesystem::path& pdf, ScratchFolder& scratch);

}  // namespace jobshop
