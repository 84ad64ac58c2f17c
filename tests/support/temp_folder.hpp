// A fresh folder under the system temporary folder, removed with its content at the end of a test.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

namespace calvane::testing {

class TempFolder {
public:
  TempFolder() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() / ("calvane-test-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / std::string(name); }

  /// Copies the program's data files (the repository's data/ folder) into the folder.
  void add_data_files() const {
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(CALVANE_SOURCE_DIR) / "data"))
      std::filesystem::copy_file(entry.path(), path_ / entry.path().filename(),
                                 std::filesystem::copy_options::overwrite_existing);
  }

  /// Writes a file in the folder and returns its path.
  std::filesystem::path write(std::string_view name, std::string_view content) const {
    std::filesystem::path file = path_ / std::string(name);
    std::ofstream out(file, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return file;
  }

private:
  std::filesystem::path path_;
};

/// The repository's data/ and examples/ folders (set by the build).
inline std::filesystem::path source_folder(std::string_view sub) {
  return std::filesystem::path(CALVANE_SOURCE_DIR) / std::string(sub);
}

}  // namespace calvane::testing
