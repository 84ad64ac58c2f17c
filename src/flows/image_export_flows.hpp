// Saving the plot as an image or a metafile and printing it: the dialogs around the drawing.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "plot/export_size.hpp"
#include "plot/image_export.hpp"
#include "ui/ui_port.hpp"

namespace calvane {

struct Program;

/// The save dialog, the default extension and the overwrite question. None
/// when the dialog is cancelled, the name is empty, or the answer is not Yes.
std::optional<std::filesystem::path> choose_output_file(Program& program, const FileDialogRequest& request,
                                                        const std::string& extension);

/// "&Bitmap format": the window image as it stands.
void save_bitmap_image(Program& program, const RgbImage& screen);

/// "&JPEG format": the window image at quality 50.
void save_jpeg_image(Program& program, const RgbImage& screen);

/// Writes `content` to `path` through a temporary file; one message on failure.
bool save_bytes(Program& program, const std::filesystem::path& path, const std::string& content);

/// "Create" of the metafile dialog.
void create_metafile(Program& program, MetafileForm& form, const PlotState& state);

/// Draws the picture into a file: empty on success, else the reason.
using PictureRenderer = std::function<std::string(const std::filesystem::path&)>;

/// The export dialog's "Export...": checks the choice (one message naming the
/// fault), asks for the file with the format's filter and extension and the
/// overwrite question, and writes it through `render`. True when a file was written.
bool export_plot_picture(Program& program, const ExportChoice& choice, const PictureRenderer& render);

/// "&Print": brings the main window's "Crystal Data" page forward; with neither a
/// calculated nor an observed pattern shows "No calculated diagram!", else opens the print dialog.
void open_print_dialog(Program& program, PrintForm& form);

/// The print dialog's sizes, checked against their ranges; one message when a box is wrong.
std::optional<std::pair<double, double>> read_print_size(Program& program, const PrintForm& form);

}  // namespace calvane
