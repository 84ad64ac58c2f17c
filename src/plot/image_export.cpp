#include "plot/image_export.hpp"

#include <cmath>

#include "plot/emf_canvas.hpp"
#include "plot/plot_interaction.hpp"
#include "plot/plot_layout.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "workspace/program.hpp"

namespace calvane {

namespace {

std::optional<int> metafile_size(const std::string& text) {
  const auto value = parse_integer(text);
  // Larger than any screen or page would ever need; keeps the surface size sane.
  if (!value || *value < 20 || *value > 20000) return std::nullopt;
  return static_cast<int>(*value);
}

}  // namespace

std::string with_default_extension(const std::string& name, const std::string& extension) {
  // Only the file name counts: a dot in a folder name ("~/.local/plots",
  // "run.2024/plot") must not stop the extension being added.
  const std::size_t folder_end = name.find_last_of("/\\");
  const std::size_t file_start = folder_end == std::string::npos ? 0 : folder_end + 1;
  return name.find('.', file_start) == std::string::npos ? name + extension : name;
}

std::optional<std::filesystem::path> choose_output_file(Program& program, const FileDialogRequest& request,
                                                        const std::string& extension) {
  const auto chosen = program.ui.save_file(request);
  if (!chosen || chosen->path.empty()) return std::nullopt;
  const std::filesystem::path path = program.resolve(with_default_extension(chosen->path, extension));
  if (std::filesystem::exists(path) &&
      program.ui.confirm("This file already exists. Do you want to continue?") != Answer::Yes)
    return std::nullopt;
  return path;
}

bool has_plot_data(const Workspace& workspace) {
  return !workspace.phases.empty() || !workspace.observed_patterns.empty();
}

bool save_bytes(Program& program, const std::filesystem::path& path, const std::string& content) {
  const std::string problem = write_file_atomically(path, content);
  if (problem.empty()) return true;
  program.ui.warning("The file " + path.string() + " could not be written: " + problem);
  return false;
}

void Bitmapformat1Click(Program& program, const RgbImage& screen) {
  if (!has_plot_data(program.workspace)) return;
  const auto path =
      choose_output_file(program, {kPictureFilter, 1, program.current_folder.string(), ""}, ".bmp");
  if (path) save_bytes(program, *path, encode_bmp(screen));
}

void sauve_image_jpeg(Program& program, const RgbImage& screen) {
  if (!has_plot_data(program.workspace)) return;
  const auto path =
      choose_output_file(program, {kPictureFilter, 2, program.current_folder.string(), ""}, ".jpg");
  if (!path) return;
  std::string error;
  const std::string jpeg = encode_jpeg(screen, kJpegQuality, error);
  if (jpeg.empty()) {
    program.ui.warning("The JPEG image could not be made: " + error);
    return;
  }
  save_bytes(program, *path, jpeg);
}

std::string write_plot_metafile(const std::filesystem::path& path, const PlotState& state,
                                const Workspace& workspace, HklMode hkl_mode, int width, int height) {
  // libEMF writes the file as it goes; a temporary name keeps a failed write from leaving half a file.
  std::filesystem::path temporary = path;
  temporary += ".part";
  const PlotLayout layout = metafile_layout(width, height);
  {
    EmfCanvas canvas(temporary, layout.surface_width, layout.surface_height);
    if (!canvas.ok()) return "the file cannot be created";
    PlotState copy = state;
    dessine(copy, workspace, hkl_mode, canvas, layout);
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

void BitBtn1Click(Program& program, MetafileForm& form, const PlotState& state) {
  if (!has_plot_data(program.workspace)) return;
  const auto width = metafile_size(form.width);
  const auto height = metafile_size(form.height);
  if (!width || !height) {
    program.ui.warning("The width and the height must be whole numbers of pixels from 20 to 20000.");
    return;
  }
  const auto path =
      choose_output_file(program, {kMetafileFilter, 1, program.current_folder.string(), ""}, ".emf");
  if (!path) return;
  program.ui.set_busy(true);
  const std::string problem =
      write_plot_metafile(*path, state, program.workspace, hkl_mode_of(program), *width, *height);
  program.ui.set_busy(false);
  if (!problem.empty()) {
    program.ui.warning("The file " + path->string() + " could not be written: " + problem);
    return;
  }
  program.ui.information("The file " + path->string() + " was created");
  form.visible = false;
  program.ui.show_window(WindowId::ImageExport, false);
}

std::string print_heading(const std::string& date_time, const std::string& comment) {
  return trim("Calvane " + date_time + " : " + trim(comment));
}

void draw_printout(const PlotState& state, const Workspace& workspace, HklMode hkl_mode, Canvas& canvas,
                   double width_cm, double height_cm, const std::string& heading) {
  const PlotLayout layout = printer_layout(width_cm, height_cm);
  PlotState copy = state;
  dessine(copy, workspace, hkl_mode, canvas, layout);
  Font font;
  font.family = "Arial";
  font.size_points = 8;
  canvas.set_font(font);
  const int w = static_cast<int>(std::lround(width_cm * kPrinterUnitsPerCm));
  const auto length = static_cast<double>(heading.size());
  const int column = w / 2 - static_cast<int>(std::lround(length * 0.15 * kPrinterUnitsPerCm * 0.5));
  canvas.text({column, static_cast<int>(std::lround(0.2 * kPrinterUnitsPerCm))}, heading);
}

void ImpressionDiagramme1Click(Program& program, PrintForm& form) {
  program.main_form.page = MainPage::CrystalData;
  if (!has_plot_data(program.workspace)) {
    program.ui.warning("No calculated diagram!");
    return;
  }
  form.visible = true;
  program.ui.show_window(WindowId::Print, true);
}

std::optional<std::pair<double, double>> read_print_size(Program& program, const PrintForm& form) {
  const auto width = parse_double(form.width_cm);
  const auto height = parse_double(form.height_cm);
  if (!width || *width < 5 || *width > 28 || !height || *height < 5 || *height > 15) {
    program.ui.warning("The width must lie from 5 to 28 cm and the height from 5 to 15 cm.");
    return std::nullopt;
  }
  return std::pair{*width, *height};
}

}  // namespace calvane
