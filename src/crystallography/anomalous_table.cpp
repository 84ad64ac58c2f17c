#include "crystallography/anomalous_table.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "util/file_cache.hpp"
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

std::string parse_anomalous_table(std::string_view bytes, std::string_view file_name, AnomalousTable& table) {
  AnomalousTable result;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t position = 0;
  while (position < bytes.size()) {
    if (bytes.size() - position < 6) return damaged(file_name);
    AnomalousElement element;
    element.symbol.assign(bytes.substr(position, 2));
    const std::int32_t count = static_cast<std::int32_t>(little_endian_u32(data + position + 2));
    position += 6;
    if (count < 0 || static_cast<std::size_t>(count) > (bytes.size() - position) / kPointBytes)
      return damaged(file_name);
    element.points.resize(static_cast<std::size_t>(count));
    for (AnomalousPoint& point : element.points) {
      point.energy_ev = little_endian_float(data + position);
      point.f_prime = little_endian_float(data + position + 4);
      point.f_second = little_endian_float(data + position + 8);
      position += kPointBytes;
    }
    result.elements.push_back(std::move(element));
  }
  table = std::move(result);
  return {};
}

namespace {

// Read at every computation; decoded again only when the file changed.
struct DecodedAnomalousFile {
  std::string error;
  std::shared_ptr<const AnomalousTable> table;
};

DecodedAnomalousFile decoded_anomalous_file(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  static FileCache<DecodedAnomalousFile> cache;
  const auto decoded = cache.get(path, [&name](const std::filesystem::path& file) -> std::optional<DecodedAnomalousFile> {
    auto bytes = read_file_bytes(file);
    if (!bytes) return std::nullopt;
    AnomalousTable table;
    DecodedAnomalousFile result;
    result.error = parse_anomalous_table(*bytes, name, table);
    result.table = std::make_shared<const AnomalousTable>(std::move(table));
    return result;
  });
  if (!decoded) return {"File " + name + " not found", nullptr};
  return *decoded;
}

}  // namespace

std::string read_anomalous_file(const std::filesystem::path& path, AnomalousTable& table) {
  const DecodedAnomalousFile decoded = decoded_anomalous_file(path);
  if (decoded.error.empty() && decoded.table) table = *decoded.table;
  return decoded.error;
}

std::shared_ptr<const AnomalousTable> shared_anomalous_table(const std::filesystem::path& path, std::string& error) {
  DecodedAnomalousFile decoded = decoded_anomalous_file(path);
  error = decoded.error;
  return error.empty() ? decoded.table : nullptr;
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
