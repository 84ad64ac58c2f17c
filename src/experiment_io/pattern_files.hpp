// Readers of observed powder patterns: Bruker RAW (RAW, RAW1, RAW2) and the
// native .sim, Philips .rd, Rietveld .dat, CPI and CPD files.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calvane {

/// The six entries of "Open an observed diagram data file", in menu order.
enum class PatternFileKind { BrukerRaw = 1, PhilipsRd = 2, NativeSim = 3, Rietveld = 4, Cpi = 5, Cpd = 6 };

/// What one read of a pattern file yields, before it becomes an
/// ObservedPattern: 2θ and intensity of every point kept, and what the file
/// says about its radiation.
struct PatternReadingBuffer {
  std::vector<float> angles;       // 2θ, degrees
  std::vector<float> intensities;  // scaled to 0..100 once the read is complete
  std::vector<double> counts;      // the intensities as the file gives them, kept by the scaling
  double read_wavelength = 0;      // Å, 0 when the file reports none
  double alpha1 = 0, alpha2 = 0;   // Å
  double ratio = 0;                // Kα2/Kα1 intensity ratio
  std::string anode;               // "?" unknown, empty when not given
  std::string title;
  double first_angle = 0, last_angle = 0;  // degrees 2θ
  double highest = 0, lowest = 0;          // raw intensities before scaling
  std::string file_name;

  int point_count() const { return static_cast<int>(angles.size()); }
};

struct PatternReading {
  PatternReadingBuffer buffer;
  std::string error;  // empty on success, else the one message to show
  bool ok() const { return error.empty(); }
};

/// RAW, RAW1 and RAW2 layouts, chosen by the first four bytes; the native
/// .sim file is a RAW2 file.
PatternReading read_raw_pattern(std::string_view bytes, std::string_view file_name);
/// Philips .rd: counts stored as square roots times ten.
PatternReading read_rd_pattern(std::string_view bytes, std::string_view file_name);
/// Rietveld .dat text file. A file whose first line is empty carries no
/// wavelength: it is read all the same and reports 0.
PatternReading read_rietveld_pattern(const std::vector<std::string>& lines, std::string_view file_name);
/// CPI and CPD text files (one reader; of a CPD wavelength line only the
/// first number is the wavelength).
PatternReading read_cpi_pattern(const std::vector<std::string>& lines, std::string_view file_name);

/// True when a Rietveld file's first line is empty, so that the user must
/// give the wavelength (the "Lambda missing" window).
bool rietveld_lacks_wavelength(const std::vector<std::string>& lines);

/// Reads `path` with the reader of `kind`, whatever its extension.
PatternReading read_pattern_file(PatternFileKind kind, const std::filesystem::path& path);

/// The common conversion of every reader: intensities to 0..100 between the
/// lowest raw value (starting at 1 000 000) and the highest (starting at
/// `highest_start`). A pattern whose values are all equal becomes zeros.
void scale_pattern_intensities(PatternReadingBuffer& buffer, double highest_start);

/// (ratio × alpha2 + alpha1) / (1 + ratio): the intensity-weighted mean of
/// the Kα doublet that the files report.
double mean_doublet_wavelength(double alpha1, double alpha2, double ratio);

/// The pattern reader of a lower-case extension (".raw", ".rd", ".sim", ".dat"
/// as Rietveld, ".cpi", ".cpd"); none for any other.
std::optional<PatternFileKind> pattern_kind_of(const std::string& extension);

}  // namespace calvane
