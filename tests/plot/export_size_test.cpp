// The export dialog's size arithmetic.
#include "plot/export_size.hpp"

#include <gtest/gtest.h>

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
      {{ExportUnit::Pixels, 800, 400, 96, ExportBackground::White, "TIFF"}, "\"TIFF\""},
  };
  for (const Case& c : cases) EXPECT_NE(export_choice_error(c.choice).find(c.reason), std::string::npos) << c.reason;
}

}  // namespace
}  // namespace calvane
