#include "experiment_io/gsas_reader.hpp"

#include <algorithm>

#include "experiment_io/measured_values.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

struct Bank {
  long long channels = 0;
  std::string bin_type, layout = "STD";
  double start = 0, step = 0;  // degrees 2θ
};

std::string read_bank_line(std::string_view line, Bank& bank) {
  NumberScanner scanner(line.substr(4));
  auto number = scanner.next_integer(), channels = scanner.next_integer(), records = scanner.next_integer();
  if (!number || !channels || !records || *channels <= 0)
    return "the BANK line needs its number, points and records";
  bank.channels = *channels;
  std::string_view rest = trim_view(scanner.rest());
  bank.bin_type = std::string(rest.substr(0, rest.find(' ')));
  if (bank.bin_type != "CONST" && bank.bin_type != "CONS")
    return {};  // time of flight, refused by the caller
  NumberScanner coefficients(rest.substr(bank.bin_type.size()));
  auto start = coefficients.next(), step = coefficients.next();
  if (!start || !step) return "the BANK line needs the start and step of a CONST bank";
  bank.start = *start / 100;
  bank.step = *step / 100;
  for (std::string_view word : {"FXYE", "FXY", "ESD", "ALT", "STD"})
    if (contains(coefficients.rest(), word)) {
      bank.layout = std::string(word);
      break;
    }
  return {};
}

// The fixed 8-character fields of an STD or ESD record.
std::string read_fixed_fields(std::string_view line, const Bank& bank, MeasuredScan& scan) {
  const bool esd = bank.layout == "ESD";
  for (std::size_t at = 0; at < line.size(); at += esd ? 16 : 8) {
    std::string_view field = line.substr(at, 8);
    if (trim_view(field).empty() || static_cast<long long>(scan.counts.size()) >= bank.channels) break;
    if (!esd) field = field.substr(std::min<std::size_t>(2, field.size()));
    auto value = parse_double(trim_view(field));
    if (!value) return "\"" + trim(field) + "\" is not an intensity";
    scan.x.push_back(bank.start + bank.step * static_cast<double>(scan.counts.size()));
    scan.counts.push_back(*value);
  }
  return {};
}

}  // namespace

bool looks_like_gsas_raw(std::string_view head) {
  for (const std::string& line : split_text_lines(head.substr(0, std::min<std::size_t>(head.size(), 8192))))
    if (line.starts_with("BANK ")) return true;
  return false;
}

MeasuredReading read_gsas_raw(const std::vector<std::string>& lines, std::string_view /*file_name*/) {
  MeasuredReading reading;
  if (!lines.empty()) reading.title = trim(lines[0]);
  Bank bank;
  MeasuredScan* scan = nullptr;
  std::vector<double> values;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const std::string at = "line " + std::to_string(i + 1) + ": ";
    if (line.starts_with("BANK")) {
      bank = Bank{};
      if (auto error = read_bank_line(line, bank); !error.empty()) return measured_failure(at + error);
      scan = &reading.scans.emplace_back();
      scan->name = "bank " + std::to_string(reading.scans.size());
      if (bank.bin_type != "CONST" && bank.bin_type != "CONS") scan->axis = ScanAxis::TimeOfFlight;
      if (bank.layout == "ALT")
        return measured_failure(at + "the ALT layout is not read; save the data as FXYE");
      continue;
    }
    if (!scan || line.starts_with("#") || trim_view(line).empty()) continue;
    if (scan->axis == ScanAxis::TimeOfFlight) continue;
    if (bank.layout == "FXY" || bank.layout == "FXYE") {
      if (!parse_data_line(line, false, values) || values.size() < 2)
        return measured_failure(at + "a point needs its 2theta and its intensity");
      scan->x.push_back(values[0] / 100);
      scan->counts.push_back(values[1]);
    } else if (auto error = read_fixed_fields(line, bank, *scan); !error.empty()) {
      return measured_failure(at + error);
    }
  }
  if (reading.scans.empty()) return measured_failure("the file holds no BANK line");
  for (const MeasuredScan& bank_scan : reading.scans)
    if (bank_scan.axis != ScanAxis::TimeOfFlight && bank_scan.counts.empty())
      return measured_failure(bank_scan.name + " holds no point");
  return reading;
}

}  // namespace calvane
