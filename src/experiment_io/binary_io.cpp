#include "experiment_io/binary_io.hpp"

#include <algorithm>
#include <bit>

namespace calvane {

std::optional<std::uint64_t> ByteReader::unsigned_field(std::size_t offset, std::size_t count) const {
  if (!has(offset, count)) return std::nullopt;
  std::uint64_t value = 0;
  for (std::size_t i = count; i-- > 0;)
    value = (value << 8) | static_cast<unsigned char>(bytes_[offset + i]);
  return value;
}

std::optional<std::uint8_t> ByteReader::u8(std::size_t offset) const {
  auto value = unsigned_field(offset, 1);
  if (!value) return std::nullopt;
  return static_cast<std::uint8_t>(*value);
}

std::optional<std::int16_t> ByteReader::i16(std::size_t offset) const {
  auto value = unsigned_field(offset, 2);
  if (!value) return std::nullopt;
  return std::bit_cast<std::int16_t>(static_cast<std::uint16_t>(*value));
}

std::optional<std::int32_t> ByteReader::i32(std::size_t offset) const {
  auto value = unsigned_field(offset, 4);
  if (!value) return std::nullopt;
  return std::bit_cast<std::int32_t>(static_cast<std::uint32_t>(*value));
}

std::optional<float> ByteReader::f32(std::size_t offset) const {
  auto value = unsigned_field(offset, 4);
  if (!value) return std::nullopt;
  return std::bit_cast<float>(static_cast<std::uint32_t>(*value));
}

std::optional<double> ByteReader::f64(std::size_t offset) const {
  auto value = unsigned_field(offset, 8);
  if (!value) return std::nullopt;
  return std::bit_cast<double>(*value);
}

std::optional<std::string> ByteReader::text(std::size_t offset, std::size_t count) const {
  if (!has(offset, count)) return std::nullopt;
  return std::string(bytes_.substr(offset, count));
}

void ByteWriter::unsigned_field(std::uint64_t value, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    bytes_.push_back(static_cast<char>(value & 0xFF));
    value >>= 8;
  }
}

void ByteWriter::i16(std::int16_t value) { unsigned_field(std::bit_cast<std::uint16_t>(value), 2); }
void ByteWriter::i32(std::int32_t value) { unsigned_field(std::bit_cast<std::uint32_t>(value), 4); }
void ByteWriter::f32(float value) { unsigned_field(std::bit_cast<std::uint32_t>(value), 4); }
void ByteWriter::f64(double value) { unsigned_field(std::bit_cast<std::uint64_t>(value), 8); }

void ByteWriter::text(std::string_view text, std::size_t width, char pad) {
  std::string_view cut = text.substr(0, std::min(text.size(), width));
  bytes_.append(cut);
  bytes_.append(width - cut.size(), pad);
}

}  // namespace calvane
