#include "crystallography/anomalous_table.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

constexpr std::size_t kPointBytes = 12;
constexpr float kElectronVoltAngstrom = 12400.0F;  // hc in eV·Å, as the tables' energies are read

std::uint32_t little_endian_u32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

float little_endian_float(const unsigned char* bytes) {
  std::uint32_t bits = little_endian_u32(bytes);
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::string damaged(std::string_view file_name) {
  return "File " + std::string(file_name) + " is damaged: it is not an anomalous dispersion table.";
}

double interpolate(double energy, float e0, float e1, float v0, float v1) {
  if (e1 == e0) return v1;
  const double slope = (static_cast<double>(v1) - v0) / (static_cast<double>(e1) - e0);
  return energy * slope + (v0 - slope * e0);
}

}  // namespace

namespace {

/// Walks the blocks' headers, checking each count against what is left, and
/// calls `block(symbol, first point, count)` for each; the damage message on failure.
template <typename Block>
std::string walk_blocks(std::string_view bytes, std::string_view file_name, Block&& block) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t position = 0;
  while (position < bytes.size()) {
    if (bytes.size() - position < 6) return damaged(file_name);
    const std::string_view symbol = bytes.substr(position, 2);
    const std::int32_t count = static_cast<std::int32_t>(little_endian_u32(data + position + 2));
    position += 6;
    if (count < 0 || static_cast<std::size_t>(count) > (bytes.size() - position) / kPointBytes)
      return damaged(file_name);
    block(symbol, data + position, static_cast<std::size_t>(count));
    position += static_cast<std::size_t>(count) * kPointBytes;
  }
  return {};
}

AnomalousElement decode_block(std::string_view symbol, const unsigned char* point, std::size_t count) {
  AnomalousElement element;
  element.symbol.assign(symbol);
  element.points.resize(count);
  for (AnomalousPoint& decoded : element.points) {
    decoded.energy_ev = little_endian_float(point);
    decoded.f_prime = little_endian_float(point + 4);
    decoded.f_second = little_endian_float(point + 8);
    point += kPointBytes;
  }
  return element;
}

std::string read_blocks(const std::filesystem::path& path, const std::vector<std::string>* symbols,
                        AnomalousTable& table) {
  const std::string name = path.filename().string();
  const auto file = MappedFile::open(path);
  if (!file) return "File " + name + " not found";
  AnomalousTable result;
  std::string error = walk_blocks(file->bytes(), name, [&](std::string_view symbol, const unsigned char* point,
                                                            std::size_t count) {
    if (symbols == nullptr ||
        std::find(symbols->begin(), symbols->end(), to_upper(trim(symbol))) != symbols->end())
      result.elements.push_back(decode_block(symbol, point, count));
  });
  if (error.empty()) table = std::move(result);
  return error;
}

}  // namespace

std::string parse_anomalous_table(std::string_view bytes, std::string_view file_name, AnomalousTable& table) {
  AnomalousTable result;
  std::string error = walk_blocks(bytes, file_name, [&](std::string_view symbol, const unsigned char* point,
                                                        std::size_t count) {
    result.elements.push_back(decode_block(symbol, point, count));
  });
  if (error.empty()) table = std::move(result);
  return error;
}

std::string read_anomalous_file(const std::filesystem::path& path, AnomalousTable& table) {
  return read_blocks(path, nullptr, table);
}

std::string read_anomalous_elements(const std::filesystem::path& path, const std::vector<std::string>& symbols,
                                    AnomalousTable& table) {
  std::vector<std::string> wanted;
  for (const std::string& symbol : symbols) wanted.push_back(to_upper(trim(symbol)));
  return read_blocks(path, &wanted, table);
}

const AnomalousElement* find_anomalous_element(const AnomalousTable& table, std::string_view symbol) {
  const std::string wanted = to_upper(trim(symbol));
  for (const AnomalousElement& element : table.elements)
    if (to_upper(trim(element.symbol)) == wanted) return &element;
  return nullptr;
}

std::optional<AnomalousValue> interpolate_anomalous(const AnomalousElement& element,
                                                    double wavelength_angstrom) {
  if (!(wavelength_angstrom > 0)) return std::nullopt;
  const float energy = kElectronVoltAngstrom / static_cast<float>(wavelength_angstrom);
  const auto& points = element.points;
  auto above = std::find_if(points.begin(), points.end(),
                            [&](const AnomalousPoint& p) { return p.energy_ev >= energy; });
  if (above == points.end()) return std::nullopt;
  if (above == points.begin()) return AnomalousValue{above->f_prime, above->f_second};
  const AnomalousPoint& below = *(above - 1);
  return AnomalousValue{
      interpolate(energy, below.energy_ev, above->energy_ev, below.f_prime, above->f_prime),
      interpolate(energy, below.energy_ev, above->energy_ev, below.f_second, above->f_second)};
}

void apply_anomalous_table(const AnomalousTable& table, const std::vector<double>& wavelengths,
                           std::vector<ScatteringType>& types) {
  const std::size_t count = std::min<std::size_t>(wavelengths.size(), 4);
  for (ScatteringType& type : types) {
    const AnomalousElement* element = find_anomalous_element(table, substring(trim(type.symbol), 0, 2));
    if (element == nullptr) continue;
    for (std::size_t j = 0; j < count; ++j) {
      if (auto value = interpolate_anomalous(*element, wavelengths[j])) {
        type.f_prime[j] = value->f_prime;
        type.f_second[j] = value->f_second;
      }
    }
  }
}

}  // namespace calvane
