#include "experiment_io/xrdml_reader.hpp"

#include <charconv>
#include <pugixml.hpp>

#include "experiment_io/measured_values.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

// Elements are matched by local name: files of every schema version use
// their own default namespace, and some write a prefix.
bool named(const pugi::xml_node& node, std::string_view local) {
  std::string_view name = node.name();
  auto colon = name.rfind(':');
  if (colon != std::string_view::npos) name = name.substr(colon + 1);
  return name == local;
}

pugi::xml_node child(const pugi::xml_node& parent, std::string_view local) {
  for (pugi::xml_node node : parent.children())
    if (named(node, local)) return node;
  return {};
}

double number_in(const pugi::xml_node& node) { return parse_double(trim(node.child_value())).value_or(0); }

// The 2θ axis of one scan: from start to end in equal steps, or listed.
std::string read_positions(const pugi::xml_node& points, std::size_t count, MeasuredScan& scan) {
  for (pugi::xml_node positions : points.children()) {
    if (!named(positions, "positions") || std::string_view(positions.attribute("axis").value()) != "2Theta")
      continue;
    if (pugi::xml_node list = child(positions, "listPositions")) {
      if (auto error = parse_number_list(list.child_value(), scan.x); !error.empty())
        return "2Theta list: " + error;
      if (scan.x.size() != count)
        return "2Theta lists " + std::to_string(scan.x.size()) + " positions for " + std::to_string(count) +
               " counts";
      return {};
    }
    pugi::xml_node start = child(positions, "startPosition"), end = child(positions, "endPosition");
    if (!start || !end) return "the 2Theta positions give neither start and end nor a list";
    equally_spaced(number_in(start), number_in(end), count, scan.x);
    return {};
  }
  return "no 2Theta positions";
}

std::string read_scan(const pugi::xml_node& scan_node, MeasuredScan& scan) {
  pugi::xml_node points = child(scan_node, "dataPoints");
  if (!points) return "a scan has no <dataPoints>";
  pugi::xml_node counts = child(points, "counts");
  if (!counts) counts = child(points, "intensities");
  if (!counts) return "a scan has neither <counts> nor <intensities>";
  if (auto error = parse_number_list(counts.child_value(), scan.counts); !error.empty())
    return "counts: " + error;
  if (scan.counts.empty()) return "a scan holds no counts";
  return read_positions(points, scan.counts.size(), scan);
}

void read_radiation(const pugi::xml_node& measurement, MeasuredScan& scan) {
  if (pugi::xml_node used = child(measurement, "usedWavelength")) {
    scan.alpha1 = number_in(child(used, "kAlpha1"));
    scan.alpha2 = number_in(child(used, "kAlpha2"));
    scan.ratio = number_in(child(used, "ratioKAlpha2KAlpha1"));
  }
  pugi::xpath_node anode = measurement.select_node(".//*[local-name()='anodeMaterial']");
  if (anode) scan.anode = trim(anode.node().child_value());
}

}  // namespace

bool looks_like_xrdml(std::string_view head) {
  return head.find("xrdMeasurements") != std::string_view::npos;
}

MeasuredReading read_xrdml(std::string_view bytes, std::string_view /*file_name*/) {
  pugi::xml_document document;
  pugi::xml_parse_result parsed = document.load_buffer(bytes.data(), bytes.size());
  if (!parsed)
    return measured_failure("XML error at byte " + std::to_string(parsed.offset) + ": " +
                            parsed.description());
  pugi::xml_node root = document.document_element();
  if (!named(root, "xrdMeasurements")) return measured_failure("the root element is not <xrdMeasurements>");
  MeasuredReading reading;
  if (pugi::xml_node sample = child(root, "sample")) reading.title = trim(child(sample, "id").child_value());
  int number = 0;
  for (pugi::xml_node measurement : root.children()) {
    if (!named(measurement, "xrdMeasurement")) continue;
    for (pugi::xml_node scan_node : measurement.children()) {
      if (!named(scan_node, "scan")) continue;
      MeasuredScan scan;
      read_radiation(measurement, scan);
      scan.name = "scan " + std::to_string(++number);
      if (const char* axis = scan_node.attribute("scanAxis").value(); *axis)
        scan.name += std::string(" (") + axis + ")";
      if (auto error = read_scan(scan_node, scan); !error.empty())
        return measured_failure("scan " + std::to_string(number) + ": " + error);
      reading.scans.push_back(std::move(scan));
    }
  }
  if (reading.scans.empty()) return measured_failure("the file holds no <scan>");
  return reading;
}

}  // namespace calvane
