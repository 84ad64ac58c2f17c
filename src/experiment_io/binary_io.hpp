// Little-endian byte fields of the instrument files: bounds-checked reads and a growing writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace calvane {

/// Reads fixed-offset fields of a little-endian file held in memory. Every
/// read past the end gives an empty optional instead of touching memory
/// outside the file.
class ByteReader {
public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  std::size_t size() const { return bytes_.size(); }
  bool has(std::size_t offset, std::size_t count) const {
    return offset <= bytes_.size() && count <= bytes_.size() - offset;
  }

  std::optional<std::uint8_t> u8(std::size_t offset) const;
  std::optional<std::int16_t> i16(std::size_t offset) const;
  std::optional<std::int32_t> i32(std::size_t offset) const;
  std::optional<float> f32(std::size_t offset) const;
  std::optional<double> f64(std::size_t offset) const;
  /// `count` characters; empty optional when the file is shorter.
  std::optional<std::string> text(std::size_t offset, std::size_t count) const;

private:
  std::optional<std::uint64_t> unsigned_field(std::size_t offset, std::size_t count) const;
  std::string_view bytes_;
};

/// Builds a little-endian file. Fields are appended in order; `pad_to`
/// fills with a byte up to an offset, so a layout reads as its table.
class ByteWriter {
public:
  void u8(std::uint8_t value) { bytes_.push_back(static_cast<char>(value)); }
  void i16(std::int16_t value);
  void i32(std::int32_t value);
  void f32(float value);
  void f64(double value);
  /// `text` cut or blank-padded to `width` characters.
  void text(std::string_view text, std::size_t width, char pad = ' ');
  void fill(std::size_t count, char byte) { bytes_.append(count, byte); }
  void pad_to(std::size_t offset, char byte) {
    if (bytes_.size() < offset) bytes_.append(offset - bytes_.size(), byte);
  }

  std::size_t size() const { return bytes_.size(); }
  const std::string& bytes() const { return bytes_; }
  std::string take() { return std::move(bytes_); }

private:
  void unsigned_field(std::uint64_t value, std::size_t count);
  std::string bytes_;
};

}  // namespace calvane
