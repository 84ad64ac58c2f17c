// The plot's files open in real readers: Qt's image reader, QtSvg and pdftoppm.
#include "app/image_export_qt.hpp"

#include "app/qpainter_canvas.hpp"

#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "emf_header.hpp"
#include <QApplication>
#include <QImageReader>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>

#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "util/files.hpp"
#include "workspace/program.hpp"

namespace calvane {
namespace {

void ensure_application() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "test_app";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

// Two phases (quartz and calcite peaks at their strongest Cu Kα lines), an
// observed pattern, an observed peak list and hkl labels on quartz.
Workspace sample_workspace() {
  Workspace w;
  w.settings.two_theta_low = 15;
  w.settings.two_theta_high = 45;
  for (int k = 0; k < 1200; ++k) w.profile_x.push_back(15 + k * 30.0 / 1199);
  struct Peak {
    double centre, height;
  };
  auto profile = [&](std::initializer_list<Peak> peaks) {
    std::vector<float> values;
    for (double x : w.profile_x) {
      double v = 0;
      for (const Peak& p : peaks) v += p.height / (1 + std::pow((x - p.centre) / 0.12, 2));
      values.push_back(static_cast<float>(v));
    }
    return values;
  };
  PhaseData quartz;
  quartz.file_name = "/data/quartz.cry";
  quartz.colour = w.styles.phase_colours[0];
  quartz.show_hkl = true;
  quartz.profile = profile({{20.86, 22}, {26.64, 100}, {36.54, 8}, {39.46, 8}, {40.29, 4}, {42.45, 6}});
  for (auto [h, k, l, t] : {std::tuple{1, 0, 0, 20.86},
                            {1, 0, 1, 26.64},
                            {1, 1, 0, 36.54},
                            {1, 0, 2, 39.46},
                            {1, 1, 1, 40.29},
                            {2, 0, 0, 42.45}}) {
    Reflection r;
    r.h = h;
    r.k = k;
    r.l = l;
    r.two_theta = t;
    quartz.reflections.push_back(r);
  }
  PhaseData calcite;
  calcite.file_name = "/data/calcite.cry";
  calcite.colour = w.styles.phase_colours[1];
  calcite.pen_style = 1;
  calcite.profile = profile({{23.06, 8}, {29.41, 100}, {35.97, 14}, {39.40, 18}, {43.15, 18}});
  w.phases = {quartz, calcite};
  ObservedPattern observed;
  observed.file_name = "mixture.raw";
  for (int i = 0; i <= 1500; ++i) {
    const double x = 15 + i * 0.02;
    double v = 3 + 60 / (1 + std::pow((x - 26.64) / 0.15, 2)) + 100 / (1 + std::pow((x - 29.41) / 0.15, 2));
    observed.points.push_back({x, v});
  }
  w.observed_patterns.push_back(observed);
  ObservedPeakList peaks;
  peaks.file_name = "/data/mixture.dif";
  peaks.peaks = {{0, 0, 0, 26.64, 60}, {0, 0, 0, 29.41, 100}, {0, 0, 0, 39.44, 20}};
  w.observed_peaks.push_back(peaks);
  return w;
}

PlotState state_of(const Workspace& w) {
  PlotState state;
  sync_plot_range(state, w.settings);
  return state;
}

struct QtExport : ::testing::Test {
  void SetUp() override { ensure_application(); }
  testing::TempFolder folder;
  Workspace workspace = sample_workspace();
  PlotState state = state_of(workspace);
};

// Bounding box of the pixels that differ from white.
QRect inked(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != qRgb(255, 255, 255)) box |= QRect(x, y, 1, 1);
  return box;
}

TEST_F(QtExport, TurnedTextRisesFromItsAnchor) {
  // A label turned by 90 degrees reads upwards: it lies above its anchor and
  // its glyphs stand to the right of the anchor column, as a Windows font
  // with an escapement of 900 draws it.
  QImage image(200, 200, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  QPainterCanvas canvas(painter, 200, 200);
  texte_oriente(canvas, {100, 150}, "1-10", 90);
  painter.end();
  const QRect box = inked(image);
  ASSERT_FALSE(box.isNull());
  EXPECT_LE(box.bottom(), 151);
  EXPECT_LT(box.top(), 140);
  EXPECT_GE(box.left(), 99);
  EXPECT_LE(box.right(), 100 + 14);
  EXPECT_GT(box.height(), box.width());
}

TEST_F(QtExport, RasterFilesOpenInQtsImageReader) {
  for (const char* name : {"plot.png", "plot.bmp", "plot.jpg"}) {
    const auto path = folder / name;
    ASSERT_EQ(render_plot_to_file(path, state, workspace, HklMode::AlongTop, 1000, 400), "") << name;
    QImageReader reader(QString::fromStdString(path.string()));
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull()) << name << ": " << reader.errorString().toStdString();
    EXPECT_EQ(image.size(), QSize(1000, 400)) << name;
    // The top-right corner holds only background (224, 236, 255); JPEG may shift it a little.
    const QColor corner = image.pixelColor(995, 395);
    EXPECT_NEAR(corner.red(), 224, 6) << name;
    EXPECT_NEAR(corner.blue(), 255, 6) << name;
  }
  // Keep the PNG where a person can look at it.
  render_plot_to_file("plot_sample.png", state, workspace, HklMode::AlongTop, 1200, 450);
}

TEST_F(QtExport, SvgOpensInQtSvg) {
  const auto path = folder / "plot.svg";
  ASSERT_EQ(render_plot_to_file(path, state, workspace, HklMode::AtProfile, 900, 350), "");
  QSvgRenderer renderer(QString::fromStdString(path.string()));
  EXPECT_TRUE(renderer.isValid());
  EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 900, 350));
  const std::string text = *read_file_bytes(path);
  EXPECT_NE(text.find("quartz"), std::string::npos);
  EXPECT_NE(text.find("Observeded peaks"), std::string::npos);
}

bool pdf_renders(const std::filesystem::path& pdf, const std::filesystem::path& stem, QImage& page) {
  const QString tool = QStandardPaths::findExecutable("pdftoppm");
  if (tool.isEmpty()) return false;
  QProcess process;
  process.start(tool, {"-png", "-r", "72", "-singlefile", QString::fromStdString(pdf.string()),
                       QString::fromStdString(stem.string())});
  if (!process.waitForFinished(30000) || process.exitCode() != 0) return false;
  page = QImage(QString::fromStdString(stem.string() + ".png"));
  return !page.isNull();
}

TEST_F(QtExport, PdfOpensInPdftoppm) {
  if (QStandardPaths::findExecutable("pdftoppm").isEmpty())
    GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  const auto path = folder / "plot.pdf";
  ASSERT_EQ(render_plot_to_file(path, state, workspace, HklMode::AlongTop, 960, 384), "");
  QImage page;
  ASSERT_TRUE(pdf_renders(path, folder / "page", page));
  // 960 × 384 pixels at 96 per inch are 10 × 4 inches: 720 × 288 at 72 dots per inch.
  EXPECT_NEAR(page.width(), 720, 2);
  EXPECT_NEAR(page.height(), 288, 2);
}

TEST_F(QtExport, MetafileByExtensionHasTheAskedSize) {
  const auto path = folder / "plot.emf";
  ASSERT_EQ(render_plot_to_file(path, state, workspace, HklMode::AlongTop, 1040, 356), "");
  testing::expect_metafile_header(path);
}

TEST_F(QtExport, UnknownKindsAndSizesAreRefused) {
  EXPECT_NE(render_plot_to_file(folder / "plot.tif", state, workspace, HklMode::AlongTop, 800, 300), "");
  EXPECT_NE(render_plot_to_file(folder / "plot.png", state, workspace, HklMode::AlongTop, 0, 300), "");
  EXPECT_FALSE(std::filesystem::exists(folder / "plot.tif"));
}

TEST_F(QtExport, SaveImageOffersPngSvgAndPdf) {
  testing::ScriptedUi ui;
  Program program{ui, folder.path()};
  program.workspace = workspace;
  const QImage screen = render_plot_image(state, workspace, HklMode::AlongTop, 800, 300);
  ui.choose_file("shot");
  sauve_image_png(program, screen);
  ui.choose_file("vector");
  sauve_image_svg(program, state, 800, 300);
  ui.choose_file("document");
  sauve_image_pdf(program, state, 800, 300);
  ASSERT_EQ(ui.save_requests.size(), 3u);
  EXPECT_EQ(ui.save_requests[0].filter_index, 3);
  EXPECT_EQ(ui.save_requests[2].filter_index, 5);
  EXPECT_EQ(QImage(QString::fromStdString((folder / "shot.png").string())).size(), QSize(800, 300));
  EXPECT_TRUE(QSvgRenderer(QString::fromStdString((folder / "vector.svg").string())).isValid());
  EXPECT_EQ(read_file_bytes(folder / "document.pdf")->substr(0, 5), "%PDF-");
}

TEST_F(QtExport, PrintoutHasTheChosenSizeAtThePrintersResolution) {
  if (QStandardPaths::findExecutable("pdftoppm").isEmpty())
    GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  testing::ScriptedUi ui;
  Program program{ui, folder.path()};
  program.workspace = workspace;
  PrintForm form;
  form.comment = "quartz and calcite";
  form.width_cm = "20";
  form.height_cm = "8";
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setPageSize(QPageSize(QPageSize::A4));
  const auto pdf = folder / "printed.pdf";
  printer.setOutputFileName(QString::fromStdString(pdf.string()));
  ASSERT_TRUE(print_plot(program, state, form, printer));
  QImage page;
  ASSERT_TRUE(pdf_renders(pdf, folder / "printed", page));
  EXPECT_GT(page.width(), page.height());  // landscape
  // Find the axis: the longest dark horizontal run. 20 cm less the 120-unit
  // margin (1.02 cm) is 18.98 cm, 538 points at 72 per inch.
  int longest = 0;
  for (int y = 0; y < page.height(); ++y) {
    int run = 0;
    for (int x = 0; x < page.width(); ++x) {
      run = qGray(page.pixel(x, y)) < 100 ? run + 1 : 0;
      longest = std::max(longest, run);
    }
  }
  EXPECT_NEAR(longest, 538, 6);
}

}  // namespace
}  // namespace calvane
