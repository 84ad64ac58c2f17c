#include "experiment_io/bruker_brml_reader.hpp"

#include <algorithm>
#include <memory>
#include <pugixml.hpp>

#include "experiment_io/measured_values.hpp"
#include "experiment_io/zip_library.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

struct ArchiveCloser {
  const ZipLibrary* zip;
  void operator()(zip_t* archive) const { zip->discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

struct MemberCloser {
  const ZipLibrary* zip;
  void operator()(zip_file_t* member) const { zip->fclose(member); }
};

// A RawData member is at most this large uncompressed (a million points
// take about 40 MB of XML); a larger one is refused rather than inflated.
constexpr zip_uint64_t kLargestMember = 512ull << 20;

std::string read_member(const ZipLibrary& zip, zip_t* archive, zip_uint64_t index, std::string& error) {
  zip_stat_t stat;
  zip.stat_init(&stat);
  if (zip.stat_index(archive, index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) {
    error = "a member's size cannot be read";
    return {};
  }
  if (stat.size > kLargestMember) {
    error = std::string(stat.name) + " is larger than 512 MB";
    return {};
  }
  std::unique_ptr<zip_file_t, MemberCloser> member(zip.fopen_index(archive, index, 0), MemberCloser{&zip});
  std::string content(static_cast<std::size_t>(stat.size), '\0');
  if (!member || zip.fread(member.get(), content.data(), stat.size) != static_cast<zip_int64_t>(stat.size)) {
    error = std::string(stat.name) + " cannot be inflated";
    return {};
  }
  return content;
}

double attribute_number(const pugi::xml_node& root, const char* element) {
  const std::string path = std::string("//*[local-name()='") + element + "']";
  pugi::xpath_node node = root.select_node(path.c_str());
  return node ? node.node().attribute("Value").as_double(0) : 0;
}

// The position of the 2θ axis in a Datum line, and its start and step.
struct TwoThetaAxis {
  std::size_t field = 2;
  double start = 0, step = 0;
  bool found = false;
};

TwoThetaAxis two_theta_axis(const pugi::xml_node& route) {
  TwoThetaAxis axis;
  pugi::xpath_node_set infos = route.select_nodes(".//*[local-name()='ScanAxisInfo']");
  for (std::size_t i = 0; i < infos.size(); ++i) {
    pugi::xml_node info = infos[i].node();
    const std::string id = to_lower(info.attribute("AxisId").value());
    if (id != "twotheta" && id != "2theta") continue;
    axis.field = 2 + i;
    axis.start = parse_double(trim(info.child_value("Start"))).value_or(0);
    axis.step = parse_double(trim(info.child_value("Increment"))).value_or(0);
    axis.found = true;
  }
  return axis;
}

std::string read_route(const pugi::xml_node& route, MeasuredScan& scan) {
  const TwoThetaAxis axis = two_theta_axis(route);
  if (!axis.found) return "a data route scans no 2Theta axis";
  std::vector<double> values;
  for (pugi::xml_node datum : route.children("Datum")) {
    if (!parse_data_line(datum.child_value(), false, values) || values.empty())
      return "a <Datum> holds a value that is not a number";
    scan.x.push_back(values.size() > axis.field + 1
                         ? values[axis.field]
                         : axis.start + axis.step * static_cast<double>(scan.x.size()));
    scan.counts.push_back(values.back());
  }
  if (scan.counts.empty()) return "a data route holds no <Datum>";
  return {};
}

std::string read_raw_data(const std::string& xml, const std::string& member, MeasuredReading& reading) {
  pugi::xml_document document;
  if (pugi::xml_parse_result parsed = document.load_buffer(xml.data(), xml.size()); !parsed)
    return member + ": XML error at byte " + std::to_string(parsed.offset) + ": " + parsed.description();
  pugi::xml_node root = document.document_element();
  for (pugi::xpath_node route : root.select_nodes("//*[local-name()='DataRoute']")) {
    MeasuredScan scan;
    scan.name = member + " range " + std::to_string(reading.scans.size() + 1);
    scan.alpha1 = attribute_number(root, "WaveLengthAlpha1");
    scan.alpha2 = attribute_number(root, "WaveLengthAlpha2");
    scan.ratio = attribute_number(root, "WaveLengthRatio");
    if (auto error = read_route(route.node(), scan); !error.empty()) return member + ": " + error;
    reading.scans.push_back(std::move(scan));
  }
  return {};
}

bool is_raw_data_member(std::string_view name) {
  const std::string lower = to_lower(name);
  return lower.starts_with("experiment") && lower.find("/rawdata") != std::string::npos &&
         lower.ends_with(".xml");
}

}  // namespace

bool looks_like_zip(std::string_view head) { return head.substr(0, 4) == std::string_view("PK\x03\x04", 4); }

MeasuredReading read_bruker_brml(std::string_view bytes, std::string_view /*file_name*/) {
  std::string unloaded;
  const ZipLibrary* zip = zip_library(unloaded);
  if (zip == nullptr) return measured_failure(unloaded);
  zip_error_t zip_error;
  zip->error_init(&zip_error);
  zip_source_t* source = zip->source_buffer_create(bytes.data(), bytes.size(), 0, &zip_error);
  if (!source) return measured_failure("the ZIP archive cannot be opened");
  Archive archive(zip->open_from_source(source, ZIP_RDONLY, &zip_error), ArchiveCloser{zip});
  if (!archive) {
    zip->source_free(source);
    std::string why = zip->error_strerror(&zip_error);
    zip->error_fini(&zip_error);
    return measured_failure("not a readable ZIP archive (" + why + ")");
  }
  std::vector<std::pair<std::string, zip_uint64_t>> members;
  const zip_int64_t count = zip->get_num_entries(archive.get(), 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip->get_name(archive.get(), static_cast<zip_uint64_t>(i), 0);
    if (name && is_raw_data_member(name)) members.emplace_back(name, static_cast<zip_uint64_t>(i));
  }
  if (members.empty()) return measured_failure("the archive holds no Experiment*/RawData*.xml member");
  std::sort(members.begin(), members.end());
  MeasuredReading reading;
  for (const auto& [name, index] : members) {
    std::string error;
    const std::string xml = read_member(*zip, archive.get(), index, error);
    if (error.empty()) error = read_raw_data(xml, name, reading);
    if (!error.empty()) return measured_failure(error);
  }
  return reading;
}

}  // namespace calvane
