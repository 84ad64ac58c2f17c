// Hand-made files for the reader tests: fields poked at the offsets of the
// instrument layouts, independently of the program's own writer.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace calvane::testing {

static_assert(std::endian::native == std::endian::little, "the layouts are built by copying host bytes");

class ByteLayout {
public:
  explicit ByteLayout(std::size_t size, char fill = '\0') : bytes_(size, fill) {}

  template <class T>
  ByteLayout& put(std::size_t offset, T value) {
    grow(offset + sizeof(T));
    std::memcpy(bytes_.data() + offset, &value, sizeof(T));
    return *this;
  }
  ByteLayout& text(std::size_t offset, std::string_view text) {
    grow(offset + text.size());
    bytes_.replace(offset, text.size(), text);
    return *this;
  }
  const std::string& bytes() const { return bytes_; }

private:
  void grow(std::size_t size) {
    if (bytes_.size() < size) bytes_.resize(size, '\0');
  }
  std::string bytes_;
};

template <class T>
T field_at(std::string_view bytes, std::size_t offset) {
  T value{};
  std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return value;
}

/// The lines of a text file as the line readers receive them.
inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace calvane::testing
