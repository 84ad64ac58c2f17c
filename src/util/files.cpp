#include "util/files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

#include "util/file_cache.hpp"
#include "util/text.hpp"

namespace calvane {

std::optional<std::string> read_file_bytes(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  return std::move(content).str();
}

std::vector<std::string> split_text_lines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

std::optional<std::vector<std::string>> read_text_lines(const std::filesystem::path& path) {
  auto bytes = read_file_bytes(path);
  if (!bytes) return std::nullopt;
  return split_text_lines(*bytes);
}

std::optional<FileStamp> file_stamp(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  auto nanoseconds = [](const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
  };
  return FileStamp{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
                   static_cast<std::uint64_t>(status.st_size), nanoseconds(status.st_mtim),
                   nanoseconds(status.st_ctim)};
}

std::string write_file_atomically(const std::filesystem::path& path, std::string_view content) {
  std::filesystem::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  std::random_device seed;
  std::filesystem::path temporary =
      folder / ("." + path.filename().string() + ".tmp" + std::to_string(seed() % 1000000));
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return "cannot create " + temporary.string();
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.flush();
    if (!out) {
      out.close();
      remove_file_quietly(temporary);
      return "cannot write " + path.string();
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    remove_file_quietly(temporary);
    return "cannot write " + path.string() + ": " + error.message();
  }
  return {};
}

std::string overwrite_file(const std::filesystem::path& path, std::string_view content) {
  const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (file < 0) return "cannot create " + path.string() + ": " + std::strerror(errno);
  std::string reason;
  for (std::size_t done = 0; done < content.size() && reason.empty();) {
    const ssize_t written = ::write(file, content.data() + done, content.size() - done);
    if (written > 0)
      done += static_cast<std::size_t>(written);
    else if (written == 0)
      reason = "cannot write " + path.string();
    else if (errno != EINTR)
      reason = "cannot write " + path.string() + ": " + std::strerror(errno);
  }
  if (reason.empty() && ::ftruncate(file, static_cast<off_t>(content.size())) != 0)
    reason = "cannot write " + path.string() + ": " + std::strerror(errno);
  if (::close(file) != 0 && reason.empty())
    reason = "cannot write " + path.string() + ": " + std::strerror(errno);
  return reason;
}

std::optional<std::filesystem::path> find_file_ignoring_case(const std::filesystem::path& folder,
                                                             std::string_view name) {
  std::error_code error;
  std::filesystem::path exact = folder / std::string(name);
  if (std::filesystem::is_regular_file(exact, error)) return exact;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.is_regular_file(error) && equals_ignoring_case(entry.path().filename().string(), name))
      return entry.path();
  }
  return std::nullopt;
}

void remove_file_quietly(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::remove(path, error);
}

std::string file_name_of(std::string_view path) {
  std::size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace calvane
