// Bitmap, metafile and picture exports and the printed page.
#include "flows/image_export_flows.hpp"

#include <algorithm>
#include <cstring>

#include <gtest/gtest.h>

#include "support/plot_workspace.hpp"
#include "util/files.hpp"
#include "support/program_in_folder.hpp"

namespace calvane {
namespace {

std::uint32_t u32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, 4);  // little-endian host, as the file formats
  return value;
}

RgbImage two_colour_image() {
  RgbImage image{30, 20, {}};
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) {
      const bool left = x < 15;
      image.pixels.insert(image.pixels.end(), {static_cast<std::uint8_t>(left ? 250 : 10), 20,
                                               static_cast<std::uint8_t>(left ? 10 : 240)});
    }
  return image;
}

struct ExportFixture : testing::ProgramInFolder {
  Workspace& workspace = program.workspace;
  PlotState state;

  ExportFixture() {
    Workspace& w = workspace;
    testing::set_grid(w, 10, 50, 401);
    PhaseData& quartz = testing::add_phase(w, "/d/quartz.cry", 26.6, 100);
    quartz.show_hkl = true;
    quartz.reflections = {testing::reflection(1, 0, 1, 26.6)};
    testing::add_phase(w, "/d/calcite.cry", 29.4, 60);
    ObservedPattern& pattern = testing::add_pattern(w, "scan.raw", {});
    for (int i = 0; i <= 400; ++i) pattern.points.push_back({10 + 0.1 * i, 5.0 + (i == 166 ? 95.0 : 0.0)});
    sync_plot_range(state, w.settings);
  }
};

struct Export : ::testing::Test, ExportFixture {};

TEST(ImageExport, DefaultExtensionOnlyWhenTheFileNameHasNoDot) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"plot.png", ".bmp", "plot.png"},
      {"my.plots/plot", ".jpg", "my.plots/plot.jpg"},
      {"/home/u/.local/run.7\\plot", ".svg", "/home/u/.local/run.7\\plot.svg"},
      {"plot.", ".emf", "plot."},
      {"dir/plot", ".emf", "dir/plot.emf"}};
  for (const auto& [name, extension, expected] : cases)
    EXPECT_EQ(with_default_extension(name, extension), expected);
}

TEST_F(Export, OutputFileNeedsANameAndYesToOverwrite) {
  const FileDialogRequest request{kPictureFilter, 1, "", ""};
  ui.cancel_file_dialog();
  EXPECT_FALSE(choose_output_file(program, request, ".bmp"));
  ui.choose_file("");
  EXPECT_FALSE(choose_output_file(program, request, ".bmp"));
  folder.write("old.bmp", "x");
  for (Answer answer : {Answer::No, Answer::Cancel, Answer::Yes}) {
    ui.choose_file("old");
    ui.answer(answer);
    EXPECT_EQ(choose_output_file(program, request, ".bmp"),
              answer == Answer::Yes ? std::optional(folder / "old.bmp") : std::nullopt);
  }
  ui.choose_file("new");
  EXPECT_EQ(choose_output_file(program, request, ".bmp"), folder / "new.bmp");
}

TEST_F(Export, BitmapHeaderAndPixelsButNothingWithoutPhaseOrPattern) {
  ui.choose_file("plot");
  save_bitmap_image(program, two_colour_image());
  EXPECT_EQ(std::tuple(ui.save_requests.back().filter, ui.save_requests.back().filter_index),
            std::tuple("Bitmaps (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg", 1));
  const std::string bytes = read_file_bytes(folder / "plot.bmp").value_or("");
  // 30 pixels × 3 bytes = 90, padded to 92 per row; 54-byte headers. The first
  // stored pixel is the bottom-left one, in blue-green-red order.
  ASSERT_EQ(bytes.size(), 54u + 92u * 20u);
  EXPECT_EQ(
      std::tuple(bytes.substr(0, 2), u32(bytes, 2), u32(bytes, 18), u32(bytes, 22), bytes.substr(54, 3)),
      std::tuple("BM", bytes.size(), 30u, 20u, std::string{10, 20, static_cast<char>(250)}));
  workspace.phases.clear();  // nothing to export: no dialog
  workspace.observed_patterns.clear();
  ui.choose_file("plot");
  save_bitmap_image(program, two_colour_image());
  EXPECT_EQ(ui.save_requests.size(), 1u);
}

TEST_F(Export, MetafileHasAValidRecordStructureAndWholePixels) {
  MetafileForm form;
  form.height = "3OO";
  create_metafile(program, form, state);
  EXPECT_EQ(std::tuple(ui.warnings.size(), ui.save_requests.size()), std::tuple(1u, 0u));
  form = MetafileForm{};
  form.visible = true;
  ui.choose_file("plot");
  create_metafile(program, form, state);
  EXPECT_EQ(ui.informations, std::vector<std::string>{"The file " + (folder / "plot.emf").string() + " was created"});
  // Only the refused height warned.
  EXPECT_EQ(std::tuple(ui.warnings.size(), form.visible, ui.busy_depth), std::tuple(1u, false, 0));
  const std::string bytes = read_file_bytes(folder / "plot.emf").value_or("");
  ASSERT_GE(bytes.size(), 108u);
  // ECMA-234 / [MS-EMF]: EMR_HEADER first, " EMF" signature at 40, nBytes at 48, nRecords at 52.
  EXPECT_EQ(std::tuple(u32(bytes, 0), u32(bytes, 40), u32(bytes, 48)),
            std::tuple(1u, 0x464D4520u, bytes.size()));
  std::size_t at = 0, records = 0, texts = 0, lines = 0;
  std::uint32_t last = 0;
  while (at + 8 <= bytes.size()) {
    const std::uint32_t type = u32(bytes, at), size = u32(bytes, at + 4);
    ASSERT_GE(size, 8u);
    ASSERT_EQ(size % 4, 0u);
    if (type == 83 || type == 84) ++texts;               // EMR_EXTTEXTOUTA/W
    if (type == 4 || type == 87 || type == 54) ++lines;  // EMR_POLYLINE, EMR_POLYLINE16, EMR_LINETO
    last = type;
    at += size;
    ++records;
  }
  EXPECT_EQ(std::tuple(at, records, last),
            std::tuple(bytes.size(), std::size_t{u32(bytes, 52)}, 14u));  // EMR_EOF
  EXPECT_GE(std::min(texts, lines), 5u);
  EXPECT_FALSE(std::filesystem::exists(folder / "plot.emf.part"));
}

TEST_F(Export, PrintDrawsBlackOnWhiteWithTriplePensUnderACentredHeading) {
  EXPECT_EQ(print_heading("06/12/2026 10:15:00", "  Quartz and calcite  "),
            "Calvane 06/12/2026 10:15:00 : Quartz and calcite");
  workspace.styles.background = Rgb{1, 2, 3};
  workspace.phases[0].pen_width = 2;
  const PlotLayout layout = printer_layout(28, 10);
  RecordingCanvas canvas(layout.surface_width, layout.surface_height);
  const std::string heading = print_heading("06/12/2026 10:15:00", "sample");
  draw_printout(state, workspace, HklMode::AlongTop, canvas, 28, 10, heading);
  const int pen = testing::polylines_in(canvas, workspace.phases[0].colour).at(0).pen.width;
  EXPECT_EQ(std::pair(canvas.operations[0].fill_colour, pen), std::pair(Rgb{255, 255, 255}, 6));
  // Centred: a longer heading starts further left.
  RecordingCanvas longer(layout.surface_width, layout.surface_height);
  const std::string long_heading = print_heading("06/12/2026 10:15:00", "a sample of quartz and calcite");
  draw_printout(state, workspace, HklMode::AlongTop, longer, 28, 10, long_heading);
  EXPECT_LT(testing::text_at(longer, long_heading).x, testing::text_at(canvas, heading).x);
  // The axis comes last, black and in a pen of width 2; the labels are black, not the last legend's colour.
  const auto lines = canvas.of_kind(DrawOperation::Kind::Line);
  const auto axis = std::find_if(lines.rbegin(), lines.rend(),
                                 [](const DrawOperation& line) { return line.points[0] == (Point{120, 1177}); });
  ASSERT_NE(axis, lines.rend());
  EXPECT_EQ(std::pair(axis->pen.width, canvas.texts(" 30.0")[0].font.colour), std::pair(2, Rgb{0, 0, 0}));
}

TEST_F(Export, PrintNothingToPrintGivesOneMessageAndSizesOutsideTheirRangesAreRefused) {
  PrintForm form;
  open_print_dialog(program, form);
  EXPECT_EQ(std::tuple(form.visible, program.main_form.page), std::tuple(true, MainPage::CrystalData));
  workspace.phases.clear();
  workspace.observed_patterns.clear();
  form.visible = false;
  open_print_dialog(program, form);
  EXPECT_EQ(std::tuple(ui.last_warning(), form.visible, read_print_size(program, form)),
            std::tuple(std::string("No calculated diagram!"), false, std::optional(std::pair{28.0, 10.0})));
  for (const auto& [width, height] : {std::pair{"29", "10"}, std::pair{"28", "4"}, std::pair{"x", "10"}}) {
    std::tie(form.width_cm, form.height_cm) = std::pair(width, height);
    EXPECT_FALSE(read_print_size(program, form)) << width << " " << height;
  }
}

TEST_F(Export, PictureGoesToTheChosenFileWithTheFormatsExtensionAndNothingIsWrittenOnAFault) {
  std::vector<std::filesystem::path> rendered;
  const PictureRenderer render = [&rendered](const std::filesystem::path& path) {
    rendered.push_back(path);
    return write_file_atomically(path, "picture");
  };
  ExportChoice choice;
  choice.format = "SVG";
  ui.choose_file("figure");
  EXPECT_TRUE(export_plot_picture(program, choice, render));
  EXPECT_EQ(std::tuple(rendered, std::filesystem::exists(folder / "figure.svg"), ui.busy_depth),
            std::tuple(std::vector{folder / "figure.svg"}, true, 0));
  choice.dpi = 5;
  EXPECT_FALSE(export_plot_picture(program, choice, render));
  EXPECT_NE(ui.last_warning().find("resolution"), std::string::npos);
  ui.cancel_file_dialog();
  EXPECT_TRUE(!export_plot_picture(program, ExportChoice{}, render) && rendered.size() == 1u);
  ui.choose_file("figure");
  EXPECT_FALSE(export_plot_picture(program, ExportChoice{}, [](const auto&) { return std::string("disk full"); }));
  EXPECT_NE(ui.last_warning().find("disk full"), std::string::npos);
  workspace.phases.clear();
  workspace.observed_patterns.clear();
  EXPECT_FALSE(export_plot_picture(program, ExportChoice{}, render));
  EXPECT_EQ(ui.last_warning(), "No calculated diagram!");
}

}  // namespace
}  // namespace calvane
