// The global report "report_cmp.txt": for every phase its space group, cell,
// anomalous-dispersion terms, asymmetric unit and reflection lines.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace calvane {

struct Workspace;

inline constexpr const char* kReportFileName = "report_cmp.txt";

/// The report's lines. `results` are the lines of the main window's results
/// list; `recorded_file_name`, when not empty, heads the report.
std::vector<std::string> build_global_report(const Workspace& workspace,
                                             const std::vector<std::string>& results,
                                             const std::string& recorded_file_name);

/// Writes the report to `path`, then the table of the last fit when there is
/// one; an empty text on success, else the reason.
std::string write_global_report(const std::filesystem::path& path, const Workspace& workspace,
                                const std::vector<std::string>& results,
                                const std::string& recorded_file_name);

}  // namespace calvane
