// Qt side of the plot's exports: the window image, PNG, SVG and PDF
// documents, rendering to a file by extension, and printing.
#pragma once

#include <QImage>
#include <filesystem>
#include <string>

#include "plot/draw_plot.hpp"
#include "plot/export_size.hpp"
#include "flows/image_export_flows.hpp"
#include "plot/plot_state.hpp"
#include "plot/raster_image.hpp"

class QMimeData;
class QPrinter;

namespace calvane {

struct Program;
struct Workspace;

/// The "Save image" filter with the PNG, SVG and PDF entries after the bitmap and JPEG ones.
inline constexpr const char* kSaveImageFilter =
    "Bitmaps (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg|PNG (*.png)|*.png|SVG (*.svg)|*.svg|PDF (*.pdf)|*.pdf";

/// The plot drawn on a new `width` × `height` image (the state is updated as by the window's drawing).
QImage render_plot_image(PlotState& state, const Workspace& workspace, HklMode hkl_mode, int width,
                         int height);

RgbImage to_rgb_image(const QImage& image);

/// The plot as a file whose kind follows the extension of `path`: png, bmp,
/// jpg (quality 50), svg, pdf or emf; the surface is `width` × `height`
/// pixels (for emf the metafile dialog's size is `width` − 20 by `height` − 56).
/// The window's state is left alone. Empty on success, else the reason.
std::string render_plot_to_file(const std::filesystem::path& path, const PlotState& state,
                                const Workspace& workspace, HklMode hkl_mode, int width, int height);

/// The plot drawn again for the export dialog's choice: the chosen size in
/// pixels, the layout at that size over the drawing scale (so that text keeps
/// its printed size at the chosen resolution), the chosen background, the
/// file's kind from the choice's format. The window's state is left alone.
/// Empty on success, else the reason.
std::string export_plot_to_file(const std::filesystem::path& path, const PlotState& state,
                                const Workspace& workspace, HklMode hkl_mode, const ExportChoice& choice);

/// The plot at `width` × `height` for the clipboard: as an image and as SVG.
QMimeData* plot_mime_data(const PlotState& state, const Workspace& workspace, HklMode hkl_mode, int width,
                          int height);

/// "&PNG format", "&SVG format", "&PDF format" of "Save image": PNG copies the
/// window image, SVG and PDF draw the plot again at the image's size.
void save_png_image(Program& program, const QImage& screen);
void save_svg_image(Program& program, const PlotState& state, int width, int height);
void save_pdf_image(Program& program, const PlotState& state, int width, int height);

/// Prints the plot on `printer` (already chosen in the printer dialog): landscape,
/// at the printer's own resolution so that the centimetres of `form` are the printed size.
bool print_plot(Program& program, const PlotState& state, const PrintForm& form, QPrinter& printer);

}  // namespace calvane
