// The export dialog's size arithmetic and the export flow around the drawing.
#include "plot/export_size.hpp"

#include <gtest/gtest.h>

#include "flows/image_export_flows.hpp"
#include "support/plot_workspace.hpp"
#include "support/program_in_folder.hpp"
#include "util/files.hpp"

namespace calvane {
namespace {

TEST(ExportSize, MillimetresAtAResolutionRoundToWholePixels) {
  struct Case { ExportUnit unit; double width, height; int dpi; PixelSize expected; double scale; };
  const Case cases[] = {
      {ExportUnit::Millimetres, 180, 90, 300, {2126, 1063}, 300 / 96.0},  // 2125.98 × 1062.99
      {ExportUnit::Millimetres, 85, 60, 600, {2008, 1417}, 600 / 96.0},   // a journal column
      {ExportUnit::Millimetres, 50.8, 76.2, 96, {192, 288}, 1.0},
      {ExportUnit::Pixels, 1020, 300, 300, {1020, 300}, 1.0},  // pixels ignore the resolution
      {ExportUnit::Pixels, 799.6, 400.4, 72, {800, 400}, 1.0},
  };
  for (const Case& c : cases) {
    const ExportChoice choice{c.unit, c.width, c.height, c.dpi, ExportBackground::White, "PNG"};
    EXPECT_EQ(export_pixel_size(choice), c.expected) << c.width << " x " << c.height << " at " << c.dpi;
    EXPECT_DOUBLE_EQ(export_drawing_scale(choice), c.scale);
    EXPECT_EQ(export_choice_error(choice), "");
  }
}

TEST(ExportSize, ChoicesOutOfRangeAreRefusedWithTheirReason) {
  struct Case { ExportChoice choice; const char* reason; };
  const Case cases[] = {
      {{ExportUnit::Millimetres, 180, 90, 10, ExportBackground::White, "PNG"}, "resolution"},
      {{ExportUnit::Millimetres, 5, 90, 300, ExportBackground::White, "PNG"}, "at least 30 x 25 mm"},
      {{ExportUnit::Millimetres, 40, 30, 60, ExportBackground::White, "PNG"}, "94 x 71"},
      {{ExportUnit::Millimetres, 2000, 90, 600, ExportBackground::White, "PNG"}, "each side"},
      {{ExportUnit::Pixels, -5, 300, 96, ExportBackground::White, "PNG"}, "each side"},
      {{ExportUnit::Pixels, 800, 400, 96, ExportBackground::White, "TIFF"}, "\"TIFF\""},
  };
  for (const Case& c : cases) EXPECT_NE(export_choice_error(c.choice).find(c.reason), std::string::npos) << c.reason;
}

TEST(ExportSize, FormatsAreFoundByNameOrExtension) {
  for (const auto& [key, extension] : {std::pair{"SVG", ".svg"}, {".pdf", ".pdf"}, {"JPEG", ".jpg"}, {".jpeg", ".jpg"}})
    EXPECT_EQ(export_format(key).value_or(ExportFormat{"", "", "", false}).extension, std::string_view(extension))
        << key;
  EXPECT_FALSE(export_format("gif"));
}

struct PictureExport : ::testing::Test, testing::ProgramInFolder {
  std::vector<std::filesystem::path> rendered;
  PictureRenderer render = [this](const std::filesystem::path& path) {
    rendered.push_back(path);
    return write_file_atomically(path, "picture");
  };
  PictureExport() {
    testing::set_grid(program.workspace, 10, 50, 41);
    testing::add_phase(program.workspace, "/d/quartz.cry", 26.6, 100);
  }
};

TEST_F(PictureExport, WritesTheChosenFileWithTheFormatsExtension) {
  ExportChoice choice;
  choice.format = "SVG";
  ui.choose_file("figure");
  EXPECT_TRUE(export_plot_picture(program, choice, render));
  EXPECT_EQ(rendered, std::vector{folder / "figure.svg"});
  EXPECT_TRUE(std::filesystem::exists(folder / "figure.svg"));
  EXPECT_EQ(ui.busy_depth, 0);
}

TEST_F(PictureExport, NothingIsWrittenForABadChoiceACancelOrAFailure) {
  ExportChoice bad;
  bad.dpi = 5;
  EXPECT_FALSE(export_plot_picture(program, bad, render));
  EXPECT_NE(ui.last_warning().find("resolution"), std::string::npos);
  ui.cancel_file_dialog();
  EXPECT_FALSE(export_plot_picture(program, ExportChoice{}, render));
  EXPECT_TRUE(rendered.empty());
  ui.choose_file("figure");
  EXPECT_FALSE(export_plot_picture(program, ExportChoice{}, [](const auto&) { return std::string("disk full"); }));
  EXPECT_NE(ui.last_warning().find("disk full"), std::string::npos);
  program.workspace.phases.clear();
  EXPECT_FALSE(export_plot_picture(program, ExportChoice{}, render));
  EXPECT_EQ(ui.last_warning(), "No calculated diagram!");
}

}  // namespace
}  // namespace calvane
