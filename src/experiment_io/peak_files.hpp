// Readers of observed peak lists: Bruker DIF1/DIF2, XFIT, WINFIT, Philips .di and column .prn files.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/observed.hpp"

namespace calvane {

/// The five entries of "Open an observed peaks file", in menu order.
enum class PeakFileKind { BrukerDif = 1, Xfit = 2, Winfit = 3, PhilipsDi = 4, Column = 5 };

struct PeakReading {
  ObservedPeakList list;
  long long peaks_in_file = 0;  // more than list.peaks.size() when the table was full
  std::string error;            // empty on success, else the one message to show
  bool ok() const { return error.empty(); }
};

/// A reading that failed with `message`.
PeakReading peak_failure(std::string message);

/// Every reader but the column one scales so that the strongest peak of the
/// file is 100; a list without a positive intensity is left as read.
void scale_to_strongest(ObservedPeakList& list);

PeakReading read_dif_peaks(std::string_view bytes, std::string_view file_name);
PeakReading read_xfit_peaks(const std::vector<std::string>& lines, std::string_view file_name);
PeakReading read_winfit_peaks(const std::vector<std::string>& lines, std::string_view file_name);
PeakReading read_di_peaks(std::string_view bytes, std::string_view file_name);
PeakReading read_column_peaks(const std::vector<std::string>& lines, std::string_view file_name);

/// Reads `path` with the reader of `kind`; the list's file name is `path` as given.
PeakReading read_peak_file(PeakFileKind kind, const std::filesystem::path& path);

/// The kind that the lower-cased name's extension selects, else `menu_kind`.
PeakFileKind peak_kind_from_name(std::string_view name, PeakFileKind menu_kind);

/// The WINFIT reader keeps at most this many peak lines.
inline constexpr int kMaxWinfitLines = 50;

/// The peak reader of a lower-case extension (".dif", ".txt", ".di", ".dat"
/// as Winfit, ".prn"); none for any other.
std::optional<PeakFileKind> peak_kind_of(const std::string& extension);

}  // namespace calvane
