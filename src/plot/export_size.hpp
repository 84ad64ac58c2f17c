// The size, resolution, background and file kind of an exported picture of
// the plot: the choices of the export dialog and the arithmetic behind them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace calvane {

enum class ExportUnit { Pixels = 0, Millimetres = 1 };
enum class ExportBackground { Screen = 0, White = 1 };

/// One kind of picture file the plot can be exported as.
struct ExportFormat {
  const char* name;       // "PNG"
  const char* extension;  // ".png"
  const char* filter;     // save dialog filter
  bool vector;            // drawn as lines and text rather than pixels
};

/// PNG, SVG, PDF, EMF, BMP and JPEG, in the order the dialog offers them.
const std::vector<ExportFormat>& export_formats();
/// The format of a name ("PNG", case ignored) or extension (".png"); none for an unknown one.
std::optional<ExportFormat> export_format(const std::string& name_or_extension);

struct ExportChoice {
  ExportUnit unit = ExportUnit::Millimetres;
  double width = 180, height = 90;  // in the unit
  int dpi = 300;                    // dots per inch, for millimetres and for the file's resolution
  ExportBackground background = ExportBackground::White;
  std::string format = "PNG";
};

inline constexpr int kMinExportPixels = 100;
inline constexpr int kMaxExportPixels = 20000;
inline constexpr int kMinExportDpi = 30;
inline constexpr int kMaxExportDpi = 2400;
/// The screen's resolution the plot's pixel layout is made for.
inline constexpr double kScreenDpi = 96.0;

struct PixelSize {
  int width = 0, height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

/// The picture's size in pixels: pixels as given, millimetres at the
/// resolution (25.4 mm to the inch), each rounded to the nearest pixel.
PixelSize export_pixel_size(const ExportChoice& choice);

/// Why the choice cannot be exported (size or resolution out of range,
/// unknown format); empty when it can.
std::string export_choice_error(const ExportChoice& choice);

/// How many picture pixels one pixel of the plot's layout takes: the
/// resolution over the screen's for a size in millimetres, so that text and
/// lines keep their printed size; 1 for a size in pixels.
double export_drawing_scale(const ExportChoice& choice);

}  // namespace calvane
