#include "experiment_io/bruker_raw4_reader.hpp"

#include <cmath>

#include "experiment_io/binary_io.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

constexpr std::size_t kPreamble = 61;
constexpr std::size_t kRangeHeader = 160;

std::optional<std::uint32_t> u32(const ByteReader& file, std::size_t offset) {
  auto value = file.i32(offset);
  if (!value) return std::nullopt;
  return static_cast<std::uint32_t>(*value);
}

// Reads the range at `at`; on success `at` moves past its data records.
std::string read_range(const ByteReader& file, std::size_t& at, int number, MeasuredScan& scan) {
  const std::string where = "range " + std::to_string(number) + ": ";
  auto type_text = file.text(at + 32, 24);
  auto start = file.f64(at + 72), step = file.f64(at + 80);
  auto points = u32(file, at + 88), record = u32(file, at + 136), drives = u32(file, at + 140);
  if (!type_text || !start || !step || !points || !record || !drives)
    return where + "the file ends inside its header";
  if (!std::isfinite(*start) || !std::isfinite(*step)) return where + "its start or step is not a number";
  if (*record < 4) return where + "its data records are shorter than one count";
  const std::size_t data = at + kRangeHeader + *drives;
  if (!file.has(data, static_cast<std::size_t>(*points) * *record))
    return where + "the file ends before its " + std::to_string(*points) + " points";
  std::string name = type_text->substr(0, type_text->find('\0'));
  scan.name = "range " + std::to_string(number) + (trim(name).empty() ? "" : " (" + trim(name) + ")");
  scan.x.reserve(*points);
  scan.counts.reserve(*points);
  for (std::uint32_t k = 0; k < *points; ++k) {
    scan.x.push_back(*start + *step * k);
    scan.counts.push_back(*file.f32(data + static_cast<std::size_t>(k) * *record));
  }
  at = data + static_cast<std::size_t>(*points) * *record;
  return {};
}

}  // namespace

bool looks_like_raw4(std::string_view head) { return head.substr(0, 7) == "RAW4.00"; }

MeasuredReading read_bruker_raw4(std::string_view bytes, std::string_view /*file_name*/) {
  if (!looks_like_raw4(bytes)) return measured_failure("it does not start with \"RAW4.00\"");
  ByteReader file(bytes);
  MeasuredReading reading;
  std::size_t at = kPreamble;
  while (file.has(at, 8)) {
    const std::uint32_t type = *u32(file, at), length = *u32(file, at + 4);
    if (type == 0 || type == 160) {
      if (!file.has(at, kRangeHeader)) {
        // Zeros to the end are padding; anything else is a cut range.
        if (bytes.substr(at).find_first_not_of('\0') == std::string_view::npos) break;
        return measured_failure("range " + std::to_string(reading.scans.size() + 1) +
                                ": the file ends inside its header");
      }
      MeasuredScan scan;
      if (auto error = read_range(file, at, static_cast<int>(reading.scans.size()) + 1, scan); !error.empty())
        return measured_failure(error);
      reading.scans.push_back(std::move(scan));
      continue;
    }
    if (length < 8)
      return measured_failure("a segment of type " + std::to_string(type) + " at byte " + std::to_string(at) +
                              " has a length below 8");
    at += length;
  }
  if (reading.scans.empty()) return measured_failure("the file holds no range");
  return reading;
}

}  // namespace calvane
