#include "plot/export_size.hpp"

#include <cmath>
#include <utility>

#include "util/text.hpp"

namespace calvane {

namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr std::pair<int, int> kMinExportMillimetres{30, 25};

int rounded_pixels(double value) {
  if (!std::isfinite(value) || value <= 0) return 0;
  if (value > 1e9) return 1'000'000'000;
  return static_cast<int>(std::lround(value));
}

}  // namespace

const std::vector<ExportFormat>& export_formats() {
  static const std::vector<ExportFormat> formats = {
      {"PNG", ".png", "PNG (*.png)|*.png", false},
      {"SVG", ".svg", "SVG (*.svg)|*.svg", true},
      {"PDF", ".pdf", "PDF (*.pdf)|*.pdf", true},
      {"EMF", ".emf", "Windows Metafile (*emf)|*.emf", true},
      {"BMP", ".bmp", "Bitmaps (*.bmp)|*.bmp", false},
      {"JPEG", ".jpg", "JPEG (*.jpg)|*.jpg", false},
  };
  return formats;
}

std::optional<ExportFormat> export_format(const std::string& name_or_extension) {
  const std::string key = to_lower(name_or_extension);
  for (const ExportFormat& format : export_formats())
    if (key == to_lower(format.name) || key == format.extension) return format;
  if (key == ".jpeg") return export_formats().back();
  return std::nullopt;
}

PixelSize export_pixel_size(const ExportChoice& choice) {
  if (choice.unit == ExportUnit::Pixels) return {rounded_pixels(choice.width), rounded_pixels(choice.height)};
  const double per_millimetre = choice.dpi / kMillimetresPerInch;
  return {rounded_pixels(choice.width * per_millimetre), rounded_pixels(choice.height * per_millimetre)};
}

std::string export_choice_error(const ExportChoice& choice) {
  if (!export_format(choice.format)) return "unknown picture format \"" + choice.format + "\"";
  if (choice.dpi < kMinExportDpi || choice.dpi > kMaxExportDpi)
    return "the resolution must lie from " + std::to_string(kMinExportDpi) + " to " + std::to_string(kMaxExportDpi) +
           " dpi";
  // The plot is laid out at the screen's resolution and scaled up: below this
  // size its titles and legends would have no room.
  if (choice.unit == ExportUnit::Millimetres && (choice.width < kMinExportMillimetres.first ||
                                                 choice.height < kMinExportMillimetres.second))
    return "a plot in millimetres must be at least " + std::to_string(kMinExportMillimetres.first) + " x " +
           std::to_string(kMinExportMillimetres.second) + " mm";
  const PixelSize size = export_pixel_size(choice);
  const auto fits = [](int pixels) { return pixels >= kMinExportPixels && pixels <= kMaxExportPixels; };
  if (!fits(size.width) || !fits(size.height))
    return "the picture would be " + std::to_string(size.width) + " x " + std::to_string(size.height) +
           " pixels; each side must lie from " + std::to_string(kMinExportPixels) + " to " +
           std::to_string(kMaxExportPixels);
  return {};
}

double export_drawing_scale(const ExportChoice& choice) {
  if (choice.unit == ExportUnit::Pixels) return 1.0;
  return choice.dpi / kScreenDpi;
}

}  // namespace calvane
