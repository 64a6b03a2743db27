#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace jobshop::testing {

// A fresh folder under `base` (default: the system's temporary folder),
// removed with all its content when the object goes.
class TempFolder {
  public:
    explicit TempFolder(const std::filesystem::path& base = std::filesystem::temp_directory_path());
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// The whole content of a file; empty if it cannot be read.
std::string ReadText(const std::filesystem::path& path);
// The names in a folder, sorted: what a run left behind.
std::vector<std::string> FolderContent(const std::filesystem::path& folder);
void WriteText(const std::filesystem::path& path, std::string_view text);

}  // namespace jobshop::testing
