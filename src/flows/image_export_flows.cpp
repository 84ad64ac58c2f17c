#include "flows/image_export_flows.hpp"

#include "flows/plot_interaction.hpp"
#include "flows/program.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

std::optional<int> metafile_size(const std::string& text) {
  const auto value = parse_integer(text);
  // Larger than any screen or page would ever need; keeps the surface size sane.
  if (!value || *value < 20 || *value > 20000) return std::nullopt;
  return static_cast<int>(*value);
}

}  // namespace

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

bool save_bytes(Program& program, const std::filesystem::path& path, const std::string& content) {
  const std::string problem = write_file_atomically(path, content);
  if (problem.empty()) return true;
  program.ui.warning("The file " + path.string() + " could not be written: " + problem);
  return false;
}

void save_bitmap_image(Program& program, const RgbImage& screen) {
  if (!has_plot_data(program.workspace)) return;
  const auto path =
      choose_output_file(program, {kPictureFilter, 1, program.current_folder.string(), ""}, ".bmp");
  if (path) save_bytes(program, *path, encode_bmp(screen));
}

void save_jpeg_image(Program& program, const RgbImage& screen) {
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

bool export_plot_picture(Program& program, const ExportChoice& choice, const PictureRenderer& render) {
  if (!has_plot_data(program.workspace)) {
    program.ui.warning("No calculated diagram!");
    return false;
  }
  const std::string fault = export_choice_error(choice);
  if (!fault.empty()) {
    program.ui.warning("The picture cannot be exported: " + fault + ".");
    return false;
  }
  const ExportFormat format = *export_format(choice.format);
  const auto path = choose_output_file(program, {format.filter, 1, program.current_folder.string(), ""},
                                       format.extension);
  if (!path) return false;
  program.ui.set_busy(true);
  const std::string problem = render(*path);
  program.ui.set_busy(false);
  if (!problem.empty()) {
    program.ui.warning("The file " + path->string() + " could not be written: " + problem);
    return false;
  }
  return true;
}

void create_metafile(Program& program, MetafileForm& form, const PlotState& state) {
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

void open_print_dialog(Program& program, PrintForm& form) {
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
