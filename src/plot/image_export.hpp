// The plot leaving the program: the window image as a bitmap or JPEG, the
// plot redrawn as an enhanced metafile, and the printed page's drawing.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "plot/canvas.hpp"
#include "plot/draw_plot.hpp"
#include "plot/plot_state.hpp"
#include "plot/raster_image.hpp"

namespace calvane {

struct Workspace;

inline constexpr const char* kPictureFilter = "Bitmaps (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg";
inline constexpr const char* kMetafileFilter = "Windows Metafile (*emf)|*.emf";
inline constexpr int kJpegQuality = 50;

/// A chosen file name without any "." gets `extension` (".bmp"); one with a dot is kept as typed.
/// Dots in the folder part do not count.
std::string with_default_extension(const std::string& name, const std::string& extension);

/// Whether an export has anything to draw: a phase or an observed pattern.
bool has_plot_data(const Workspace& workspace);

/// The metafile dialog "Creation of an EMF image".
struct MetafileForm {
  bool visible = false;
  std::string width = "1020";  // "Width (in pixels)"
  std::string height = "300";  // "Height (in pixels)"
};

/// Draws the plot into an enhanced metafile of (width + 20) × (height + 56)
/// pixels at `path`, on white when `white_background`. Empty on success, else the reason.
std::string write_plot_metafile(const std::filesystem::path& path, const PlotState& state,
                                const Workspace& workspace, HklMode hkl_mode, int width, int height,
                                bool white_background = false);

/// The print dialog "Print the pattern".
struct PrintForm {
  bool visible = false;
  std::string comment;           // "Comment or title: "
  std::string width_cm = "28";   // 5..28
  std::string height_cm = "10";  // 5..15
};

/// "Calvane " + date and time + " : " + comment, trimmed of blanks.
std::string print_heading(const std::string& date_time, const std::string& comment);

/// The printed page in units of 1/117.66 cm: the heading centred over the
/// plot, then the plot of `width_cm` × `height_cm` with its legends below it.
void draw_printout(const PlotState& state, const Workspace& workspace, HklMode hkl_mode, Canvas& canvas,
                   double width_cm, double height_cm, const std::string& heading);

}  // namespace calvane
