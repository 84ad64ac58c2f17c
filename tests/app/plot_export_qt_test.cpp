// The plot's files open in real readers: Qt's image reader and QtSvg.
#include "app/image_export_qt.hpp"

#include <gtest/gtest.h>

#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

#include "app/app_helpers.hpp"
#include "app/qpainter_canvas.hpp"
#include "support/temp_folder.hpp"
#include "util/files.hpp"

namespace calvane {
namespace {

struct QtExport : ::testing::Test {
  void SetUp() override {
    testing::application();
    sync_plot_range(state, workspace.settings);
  }
  testing::TempFolder folder;
  Workspace workspace = testing::sample_plot_workspace();
  PlotState state;
  std::string render(const char* name, HklMode mode, int width, int height) {
    return render_plot_to_file(folder / name, state, workspace, mode, width, height);
  }
};

TEST_F(QtExport, TurnedTextRisesFromItsAnchor) {
  // A label turned by 90 degrees reads upwards: it lies above its anchor and
  // its glyphs stand to the right of the anchor column, as a Windows font
  // with an escapement of 900 draws it.
  QImage image(200, 200, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  QPainterCanvas canvas(painter, 200, 200);
  write_turned_text(canvas, {100, 150}, "1-10", 90);
  painter.end();
  QRect box;  // the pixels that differ from white
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != qRgb(255, 255, 255)) box |= QRect(x, y, 1, 1);
  ASSERT_FALSE(box.isNull());
  EXPECT_TRUE(box.bottom() <= 151 && box.top() < 140 && box.left() >= 99 && box.right() <= 100 + 14 &&
              box.height() > box.width())
      << box.left() << "," << box.top() << " " << box.width() << "x" << box.height();
}

TEST_F(QtExport, EachKindOpensInItsReaderAndUnknownKindsAndSizesAreRefused) {
  for (const char* name : {"plot.png", "plot.bmp", "plot.jpg"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(render(name, HklMode::AlongTop, 1000, 400), "");
    QImageReader reader(QString::fromStdString((folder / name).string()));
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(image.size(), QSize(1000, 400));
    // The top-right corner holds only background (224, 236, 255); JPEG may shift it a little.
    const QColor corner = image.pixelColor(995, 395);
    EXPECT_LE(std::max(std::abs(corner.red() - 224), std::abs(corner.blue() - 255)), 6);
  }
  ASSERT_EQ(render("plot.svg", HklMode::AtProfile, 900, 350), "");
  QSvgRenderer renderer(QString::fromStdString((folder / "plot.svg").string()));
  EXPECT_EQ(std::tuple(renderer.isValid(), renderer.viewBox()), std::tuple(true, QRect(0, 0, 900, 350)));
  const std::string svg = *read_file_bytes(folder / "plot.svg");
  EXPECT_TRUE(svg.find("quartz") != std::string::npos && svg.find("Observed peaks") != std::string::npos);
  ASSERT_EQ(render("plot.emf", HklMode::AlongTop, 1040, 356), "");
  EXPECT_GT(std::filesystem::file_size(folder / "plot.emf"), 1000u);  // the metafile writer is tested below Qt

  EXPECT_NE(render("plot.tif", HklMode::AlongTop, 800, 300), "");
  EXPECT_NE(render("empty.png", HklMode::AlongTop, 0, 300), "");
  EXPECT_FALSE(std::filesystem::exists(folder / "plot.tif") || std::filesystem::exists(folder / "empty.png"));
}

}  // namespace
}  // namespace calvane
