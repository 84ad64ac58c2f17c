#include "plot/image_export.hpp"

#include <cmath>

#include "plot/emf_canvas.hpp"
#include "plot/plot_layout.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "model/workspace.hpp"

namespace calvane {


std::string with_default_extension(const std::string& name, const std::string& extension) {
  // Only the file name counts: a dot in a folder name ("~/.local/plots",
  // "run.2024/plot") must not stop the extension being added.
  const std::size_t folder_end = name.find_last_of("/\\");
  const std::size_t file_start = folder_end == std::string::npos ? 0 : folder_end + 1;
  return name.find('.', file_start) == std::string::npos ? name + extension : name;
}

bool has_plot_data(const Workspace& workspace) {
  return !workspace.phases.empty() || !workspace.observed_patterns.empty();
}

std::string write_plot_metafile(const std::filesystem::path& path, const PlotState& state,
                                const Workspace& workspace, HklMode hkl_mode, int width, int height,
                                bool white_background) {
  // libEMF writes the file as it goes; a temporary name keeps a failed write from leaving half a file.
  std::filesystem::path temporary = path;
  temporary += ".part";
  PlotLayout layout = metafile_layout(width, height);
  layout.white_background = white_background;
  {
    EmfCanvas canvas(temporary, layout.surface_width, layout.surface_height);
    if (!canvas.ok()) return "the file cannot be created";
    PlotState copy = state;
    draw_plot(copy, workspace, hkl_mode, canvas, layout);
    if (!canvas.finish()) {
      remove_file_quietly(temporary);
      return "the metafile could not be written";
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    remove_file_quietly(temporary);
    return error.message();
  }
  return {};
}

std::string print_heading(const std::string& date_time, const std::string& comment) {
  return trim("Calvane " + date_time + " : " + trim(comment));
}

void draw_printout(const PlotState& state, const Workspace& workspace, HklMode hkl_mode, Canvas& canvas,
                   double width_cm, double height_cm, const std::string& heading) {
  const PlotLayout layout = printer_layout(width_cm, height_cm);
  PlotState copy = state;
  draw_plot(copy, workspace, hkl_mode, canvas, layout);
  Font font;
  font.family = "Arial";
  font.size_points = 8;
  canvas.set_font(font);
  const int w = static_cast<int>(std::lround(width_cm * kPrinterUnitsPerCm));
  const auto length = static_cast<double>(heading.size());
  const int column = w / 2 - static_cast<int>(std::lround(length * 0.15 * kPrinterUnitsPerCm * 0.5));
  canvas.text({column, static_cast<int>(std::lround(0.2 * kPrinterUnitsPerCm))}, heading);
}

}  // namespace calvane
