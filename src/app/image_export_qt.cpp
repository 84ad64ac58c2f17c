#include "app/image_export_qt.hpp"

#include <cmath>
#include <functional>

#include <QBuffer>
#include <QDateTime>
#include <QMimeData>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QSvgGenerator>

#include "app/qpainter_canvas.hpp"
#include "flows/plot_interaction.hpp"
#include "plot/plot_layout.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/program.hpp"

namespace calvane {

namespace {

std::string bytes_of(const QByteArray& array) {
  return std::string(array.constData(), static_cast<std::size_t>(array.size()));
}

QByteArray png_bytes(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

// How one picture is drawn: its size in pixels, the pixels one layout pixel
// takes, its resolution and background.
struct Surface {
  int width = 0, height = 0;
  double scale = 1.0;
  double dpi = kScreenDpi;
  bool white = false;

  int layout_width() const { return static_cast<int>(std::lround(width / scale)); }
  int layout_height() const { return static_cast<int>(std::lround(height / scale)); }
};

void draw_on(QPainter& painter, PlotState& state, const Workspace& workspace, HklMode hkl_mode,
             const Surface& surface) {
  painter.scale(surface.scale, surface.scale);
  QPainterCanvas canvas(painter, surface.layout_width(), surface.layout_height());
  PlotLayout layout = screen_layout(canvas.width(), canvas.height());
  layout.white_background = surface.white;
  draw_plot(state, workspace, hkl_mode, canvas, layout);
}

QByteArray svg_bytes(PlotState& state, const Workspace& workspace, HklMode hkl_mode, const Surface& surface) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(QSize(surface.width, surface.height));
  generator.setViewBox(QRect(0, 0, surface.width, surface.height));
  generator.setResolution(static_cast<int>(std::lround(surface.dpi)));
  generator.setTitle("Diffraction diagram");
  QPainter painter(&generator);
  draw_on(painter, state, workspace, hkl_mode, surface);
  painter.end();
  return bytes;
}

QByteArray pdf_bytes(PlotState& state, const Workspace& workspace, HklMode hkl_mode, const Surface& surface) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setResolution(static_cast<int>(std::lround(surface.dpi)));
  const double points_per_pixel = 72.0 / surface.dpi;
  writer.setPageSize(QPageSize(QSizeF(surface.width * points_per_pixel, surface.height * points_per_pixel),
                               QPageSize::Point));
  writer.setPageMargins(QMarginsF(0, 0, 0, 0));
  writer.setTitle("Diffraction diagram");
  QPainter painter(&writer);
  draw_on(painter, state, workspace, hkl_mode, surface);
  painter.end();
  return bytes;
}

QImage raster_image(PlotState& state, const Workspace& workspace, HklMode hkl_mode, const Surface& surface) {
  QImage image(surface.width, surface.height, QImage::Format_RGB32);
  image.fill(Qt::white);
  const int dots_per_metre = static_cast<int>(std::lround(surface.dpi / 0.0254));
  image.setDotsPerMeterX(dots_per_metre);
  image.setDotsPerMeterY(dots_per_metre);
  QPainter painter(&image);
  draw_on(painter, state, workspace, hkl_mode, surface);
  painter.end();
  return image;
}

std::string extension_of(const std::filesystem::path& path) { return to_lower(path.extension().string()); }

void save_document(Program& program, int filter_index, const std::string& extension,
                   const std::function<QByteArray()>& make) {
  if (!has_plot_data(program.workspace)) return;
  const auto path = choose_output_file(
      program, {kSaveImageFilter, filter_index, program.current_folder.string(), ""}, extension);
  if (path) save_bytes(program, *path, bytes_of(make()));
}

}  // namespace

QImage render_plot_image(PlotState& state, const Workspace& workspace, HklMode hkl_mode, int width,
                         int height) {
  return raster_image(state, workspace, hkl_mode, {width, height});
}

RgbImage to_rgb_image(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  RgbImage out{rgb.width(), rgb.height(), {}};
  out.pixels.reserve(static_cast<std::size_t>(rgb.width()) * static_cast<std::size_t>(rgb.height()) * 3);
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* line = rgb.constScanLine(y);
    out.pixels.insert(out.pixels.end(), line, line + static_cast<std::ptrdiff_t>(rgb.width()) * 3);
  }
  return out;
}

std::string render_plot_to_file(const std::filesystem::path& path, const PlotState& state,
                                const Workspace& workspace, HklMode hkl_mode, int width, int height) {
  if (width < 40 || height < 80 || width > 20000 || height > 20000)
    return "the size must lie from 40 × 80 to 20000 × 20000";
  PlotState copy = state;
  const std::string extension = extension_of(path);
  std::string content;
  if (extension == ".emf")
    return write_plot_metafile(path, copy, workspace, hkl_mode, width - 20, height - 56);
  if (extension == ".svg") {
    content = bytes_of(svg_bytes(copy, workspace, hkl_mode, {width, height}));
  } else if (extension == ".pdf") {
    content = bytes_of(pdf_bytes(copy, workspace, hkl_mode, {width, height}));
  } else {
    const QImage image = render_plot_image(copy, workspace, hkl_mode, width, height);
    if (extension == ".png") {
      content = bytes_of(png_bytes(image));
    } else if (extension == ".bmp") {
      content = encode_bmp(to_rgb_image(image));
    } else if (extension == ".jpg" || extension == ".jpeg") {
      std::string error;
      content = encode_jpeg(to_rgb_image(image), kJpegQuality, error);
      if (content.empty()) return error;
    } else {
      return "unknown image kind \"" + extension + "\" (png, svg, pdf, emf, bmp or jpg)";
    }
  }
  return write_file_atomically(path, content);
}

std::string export_plot_to_file(const std::filesystem::path& path, const PlotState& state,
                                const Workspace& workspace, HklMode hkl_mode, const ExportChoice& choice) {
  const std::string fault = export_choice_error(choice);
  if (!fault.empty()) return fault;
  const PixelSize size = export_pixel_size(choice);
  const Surface surface{size.width, size.height, export_drawing_scale(choice), static_cast<double>(choice.dpi),
                        choice.background == ExportBackground::White};
  PlotState copy = state;
  const std::string extension = export_format(choice.format)->extension;
  std::string content;
  if (extension == ".emf") {
    // The metafile's own layout adds its margins around the plot it is asked for.
    return write_plot_metafile(path, copy, workspace, hkl_mode, surface.layout_width() - 20,
                               surface.layout_height() - 56, surface.white);
  }
  if (extension == ".svg") {
    content = bytes_of(svg_bytes(copy, workspace, hkl_mode, surface));
  } else if (extension == ".pdf") {
    content = bytes_of(pdf_bytes(copy, workspace, hkl_mode, surface));
  } else {
    const QImage image = raster_image(copy, workspace, hkl_mode, surface);
    if (extension == ".png") {
      content = bytes_of(png_bytes(image));
    } else if (extension == ".bmp") {
      content = encode_bmp(to_rgb_image(image));
    } else {
      std::string error;
      content = encode_jpeg(to_rgb_image(image), kJpegQuality, error);
      if (content.empty()) return error;
    }
  }
  return write_file_atomically(path, content);
}

QMimeData* plot_mime_data(const PlotState& state, const Workspace& workspace, HklMode hkl_mode, int width,
                          int height) {
  auto* data = new QMimeData;
  PlotState copy = state;
  data->setImageData(raster_image(copy, workspace, hkl_mode, {width, height}));
  copy = state;
  data->setData("image/svg+xml", svg_bytes(copy, workspace, hkl_mode, {width, height}));
  return data;
}

void save_png_image(Program& program, const QImage& screen) {
  save_document(program, 3, ".png", [&] { return png_bytes(screen); });
}

void save_svg_image(Program& program, const PlotState& state, int width, int height) {
  PlotState copy = state;
  save_document(program, 4, ".svg",
                [&] { return svg_bytes(copy, program.workspace, hkl_mode_of(program), {width, height}); });
}

void save_pdf_image(Program& program, const PlotState& state, int width, int height) {
  PlotState copy = state;
  save_document(program, 5, ".pdf",
                [&] { return pdf_bytes(copy, program.workspace, hkl_mode_of(program), {width, height}); });
}

bool print_plot(Program& program, const PlotState& state, const PrintForm& form, QPrinter& printer) {
  const auto size = read_print_size(program, form);
  if (!size) return false;
  printer.setPageOrientation(QPageLayout::Landscape);
  QPainter painter;
  if (!painter.begin(&printer)) {
    program.ui.warning("The printer could not be started.");
    return false;
  }
  // The plot is laid out in units of 1/117.66 cm; scaling them to the printer's
  // real resolution makes the chosen centimetres the printed size.
  const double device_units_per_cm = printer.resolution() / 2.54;
  painter.scale(device_units_per_cm / kPrinterUnitsPerCm, device_units_per_cm / kPrinterUnitsPerCm);
  const PlotLayout layout = printer_layout(size->first, size->second);
  QPainterCanvas canvas(painter, layout.surface_width, layout.surface_height, kPrinterUnitsPerCm * 2.54);
  const std::string now = QDateTime::currentDateTime().toString("dd/MM/yyyy hh:mm:ss").toStdString();
  draw_printout(state, program.workspace, hkl_mode_of(program), canvas, size->first, size->second,
                print_heading(now, form.comment));
  return painter.end();
}

}  // namespace calvane
