// Wiring of the plot window: each control, menu item, mouse action and
// dialog reaches the core, and the image and the widgets follow the state.
#include "app/plot_window.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <QAction>
#include <QClipboard>
#include <QWheelEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QUrl>

#include "app/app_helpers.hpp"
#include "app/difference_window.hpp"
#include "app/export_dialog.hpp"
#include "app/desktop_settings.hpp"
#include "app/metafile_dialog.hpp"
#include "app/print_dialog.hpp"
#include "app/tick_panel.hpp"
#include "app/windows.hpp"
#include "support/program_in_folder.hpp"
#include "util/files.hpp"

namespace calvane {
namespace {

// Where a reflection at `two_theta` and an intensity `y` (display units) stand on the image.
QPoint pixel(const PlotState& state, double two_theta, double y) {
  const Point p = to_pixels(state.mapping, two_theta, y);
  return {p.x, p.y};
}

int count_colour(const QImage& image, Rgb colour) {
  const QRgb wanted = qRgb(colour.red, colour.green, colour.blue);
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == wanted;
  return count;
}

struct PlotWindowTest : ::testing::Test, testing::ProgramInFolder {
  std::unique_ptr<PlotWindow> window;
  int plot_actions = 0, full_recomputations = 0;

  void SetUp() override {
    testing::application();
    program.workspace = testing::sample_plot_workspace();
    program.main_form.results = {"Results", "Phase 1 quartz.cry", "  1 line", "  2 line", "  3 line", "  4 line",
                                 "  5 line", "Phase 2 calcite.cry", "  1 line"};
    sync_plot_range(program.plot_state, program.workspace.settings);
    window = std::make_unique<PlotWindow>(program);
    // As the application wires it: the driver recomputes, then the Ui's redraw reaches the window.
    window->plot_phases = [this] { ++plot_actions; window->redraw(); };
    window->recompute_full_range = [this] { ++full_recomputations; };
    window->show();
    window->resize(1000, 520);
    QApplication::processEvents();
    window->redraw();
  }

  PlotState& state() { return program.plot_state; }
  Rgb quartz_colour() const { return program.workspace.phases[0].colour; }
  void trigger(const char* path) {
    QAction* item = window->action(path);
    ASSERT_TRUE(item != nullptr && item->isEnabled()) << path;
    item->trigger();
  }
  bool checked(const char* path) const { return window->action(path)->isChecked(); }
};

// Each control, menu item and mouse gesture reaches the plot state, and the image follows.
TEST_F(PlotWindowTest, ControlsAndMenusReachThePlotState) {
  const QImage before = window->image();
  EXPECT_GT(count_colour(before, quartz_colour()), 100);
  window->scale_control()->setValue(40);
  EXPECT_DOUBLE_EQ(state().intensity_scale, 4.0);
  EXPECT_NE(window->image(), before);
  window->shift_control()->setValue(40);  // the centre of 15..45 was 30
  EXPECT_EQ(state().theta2_min, 25.0);
  window->reset_button()->click();
  EXPECT_EQ(state().theta2_min, 15.0);

  trigger("&Drawing options/Y Scale/L&ogarithmic");
  EXPECT_EQ(state().y_mode, YMode::Logarithmic);
  trigger("&Drawing options/Y Scale/&Linear");
  program.workspace.settings.angle_scale = AngleScale::Q;
  trigger("&Drawing options/Y Scale/&Square root");  // refused in Q: the check marks follow the state
  EXPECT_TRUE(checked("&Drawing options/Y Scale/&Linear"));
  program.workspace.settings.angle_scale = AngleScale::TwoTheta;

  trigger("&Drawing options/&Ticks/&User");
  TickPanel* panel = window->tick_panel();
  ASSERT_TRUE(panel->isVisible());
  panel->minor_box()->setText("1");
  panel->major_box()->setText("2");
  QTest::mouseClick(panel->ok_button(), Qt::LeftButton);
  EXPECT_EQ(std::pair(state().major_tick, state().minor_tick), std::pair(2.0, 1.0));

  trigger("&Difference");
  DifferenceWindow* difference = window->difference_window();
  const QImage difference_before = difference->image();
  window->scale_control()->setValue(20);  // every later drawing redraws it
  EXPECT_TRUE(difference->isVisible() && difference->image() != difference_before);
  difference->close();
  EXPECT_FALSE(checked("&Difference"));
}

TEST_F(PlotWindowTest, DraggedBoxZoomsRightButtonUnzoomsAndAClickSelectsItsReflection) {
  QWidget* area = window->image_area();
  // Press over 25° at a quarter of the largest calculated value, release over 32° near the axis.
  const QPoint press = pixel(state(), 25, state().display_max / 4);
  const QPoint release = pixel(state(), 32, 0) - QPoint(0, 2);
  QTest::mousePress(area, Qt::LeftButton, {}, press);
  QTest::mouseMove(area, release);
  QTest::mouseRelease(area, Qt::LeftButton, {}, release);
  EXPECT_EQ(plot_actions, 1);
  // The redraw asked by the plot action while the zoom ran reached the image: the axis now starts near 25.
  EXPECT_NEAR(std::max(std::abs(state().theta2_min - 25), std::abs(state().mapping.x_origin - 25)), 0, 0.1);
  QTest::mousePress(area, Qt::RightButton, {}, QPoint(300, 100));
  QTest::mouseRelease(area, Qt::RightButton, {}, QPoint(300, 100));
  EXPECT_EQ(std::tuple(state().zoomed, full_recomputations), std::tuple(false, 1));

  QTest::mouseClick(area, Qt::LeftButton, {}, pixel(state(), 29.41, 0) - QPoint(0, 100));
  EXPECT_EQ(program.main_form.results_selected, 8);  // reflection 1 of phase 2
  QTest::mouseMove(area, pixel(state(), 30, 10));
  EXPECT_TRUE(window->readout()->text().startsWith("2Th=")) << window->readout()->text().toStdString();
}

TEST_F(PlotWindowTest, ExportsPrintAndDropReachTheirFiles) {
  const std::tuple<const char*, const char*, int> cases[] = {
      {"&Save image/&Bitmap format", "shot.bmp", 1}, {"&Save image/&JPEG format", "shot.jpg", 2},
      {"&Save image/&PNG format", "shot.png", 3},    {"&Save image/&SVG format", "shot.svg", 4},
      {"&Save image/P&DF format", "shot.pdf", 5}};
  for (const auto& [item, written, filter] : cases) {
    ui.choose_file("shot");  // resolved against the current folder
    trigger(item);
    // The bitmaps open in Qt's readers; the vector files are checked with their writers.
    const QString path = QString::fromStdString((folder / written).string());
    const bool readable = filter > 3 ? QFile(path).size() > 100 : !QImage(path).isNull();
    EXPECT_EQ(std::tuple(ui.save_requests.back().filter_index, readable), std::tuple(filter, true))
        << item;
  }
  trigger("&Save image/&EMF format");
  MetafileDialog* metafile = window->metafile_dialog();
  ASSERT_TRUE(metafile->isVisible());
  DesktopSettings settings(QString::fromStdString((folder / "calvane.ini").string()));
  metafile->remember_in(&settings);
  metafile->width_box()->setText("800");
  ui.choose_file("plot");
  QTest::mouseClick(metafile->create_button(), Qt::LeftButton);
  EXPECT_GT(std::filesystem::file_size(folder / "plot.emf"), 1000u);
  // The size made is the next run's default.
  MetafileDialog next(program);
  next.remember_in(&settings);
  EXPECT_EQ(next.width_box()->text(), "800");

  trigger("&Print");
  const auto pdf = folder / "printed.pdf";
  window->print_dialog()->preview = [&](QPrinter& printer, const PrintDialog::PagePainter& paint) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    paint(&printer);
    return true;
  };
  QTest::mouseClick(window->print_dialog()->print_button(), Qt::LeftButton);
  EXPECT_EQ(read_file_bytes(pdf).value_or("").substr(0, 5), "%PDF-");

  std::vector<QString> opened;
  window->open_path = [&](const QString& path) { opened.push_back(path); };
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile("/data/nacl.cry"), QUrl("https://example.org/x.cry")});
  QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(window.get(), &enter);
  QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(window.get(), &drop);
  EXPECT_EQ(opened, std::vector<QString>{"/data/nacl.cry"});
}

TEST_F(PlotWindowTest, ExportDialogClipboardAxisLegendAndNavigationAreWired) {
  trigger("&Save image/E&xport picture...");
  ExportDialog* dialog = window->export_dialog();
  ASSERT_TRUE(dialog->isVisible());
  DesktopSettings settings(QString::fromStdString((folder / "calvane.ini").string()));
  window->remember_in(&settings);
  dialog->set_choice({ExportUnit::Millimetres, 180, 90, 300, ExportBackground::White, "PNG"});
  EXPECT_EQ(dialog->size_label()->text(), "2126 × 1063 pixels");
  ui.choose_file("figure");
  QTest::mouseClick(dialog->export_button(), Qt::LeftButton);
  const QImage picture(QString::fromStdString((folder / "figure.png").string()));
  EXPECT_EQ(std::pair(picture.size(), picture.pixel(2, 2)), std::pair(QSize(2126, 1063), qRgb(255, 255, 255)));
  ExportDialog next(program);
  next.remember_in(&settings);
  EXPECT_EQ(std::pair(next.choice().dpi, next.choice().background), std::pair(300, ExportBackground::White));

  trigger("&Save image/&Copy to the clipboard");
  const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(copied, nullptr);
  EXPECT_TRUE(copied->hasImage() && copied->data("image/svg+xml").startsWith("<?xml"));

  trigger("&Drawing options/&Intensity axis");
  EXPECT_EQ(std::pair(state().intensity_axis, settings.value("plot/intensity_axis", 0)), std::pair(true, 1));
  QWidget* area = window->image_area();
  const LegendEntry quartz = state().legend_entries.at(0);
  QTest::mouseClick(area, Qt::LeftButton, {}, QPoint((quartz.left + quartz.right) / 2, quartz.top + 5));
  EXPECT_FALSE(program.workspace.phases[0].draw);

  const auto range = [this] { return std::pair(state().theta2_min, state().theta2_max); };
  const auto before = range();
  const QPoint centre = pixel(state(), 30, 0);
  QWheelEvent wheel(centre, area->mapToGlobal(centre), {}, {0, 120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
  QApplication::sendEvent(area, &wheel);
  EXPECT_LT(range().second - range().first, before.second - before.first);
  QTest::mousePress(area, Qt::MiddleButton, {}, centre);
  QTest::mouseMove(area, centre + QPoint(40, 0));
  QTest::mouseRelease(area, Qt::MiddleButton, {}, centre + QPoint(40, 0));
  EXPECT_LT(range().first, 30 - (range().second - range().first) / 2);  // the pattern moved right
  trigger("&Drawing options/&Back");
  trigger("&Drawing options/&Back");
  EXPECT_EQ(range(), before);
  EXPECT_TRUE(window->action("&Drawing options/&Forward")->isEnabled());
}

TEST_F(PlotWindowTest, TheSpacingAxisIsADrawingOptionThatIsRemembered) {
  DesktopSettings settings(QString::fromStdString((folder / "calvane.ini").string()));
  window->remember_in(&settings);
  const QImage in_two_theta = window->image();
  trigger("&Drawing options/&d-spacing axis");
  EXPECT_EQ(std::tuple(state().d_axis, checked("&Drawing options/&d-spacing axis"), settings.value("plot/d_axis", 0),
                       window->image() != in_two_theta),
            std::tuple(true, true, 1, true));
  PlotWindow later(program);  // a window opened later starts in d
  program.plot_state.d_axis = false;
  later.remember_in(&settings);
  EXPECT_TRUE(state().d_axis);
}

TEST_F(PlotWindowTest, AnObservedLoadResetsTheScale) {
  window->scale_control()->setValue(60);
  Windows windows(program, nullptr);
  windows.set_plot_window(window.get());
  ASSERT_TRUE(windows.on_observed_load);
  windows.on_observed_load(ObservedLoad{true, true, false});
  EXPECT_EQ(window->scale_control()->value(), 10);
}

TEST(PlotWindowPlace, BelowTheMainWindowAndOnTheScreen) {
  testing::application();
  testing::ScriptedUi ui;
  Program program{ui, std::filesystem::temp_directory_path()};
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  // A short main window: the plot starts where it ends. A tall one would push
  // the plot's control strip off the screen: the plot rises to the screen's bottom edge.
  for (const int main_height : {150, area.height() - 100}) {
    QWidget main_window;
    main_window.resize(700, main_height);
    PlotWindow plot(program, &main_window);
    plot.show();
    QApplication::processEvents();
    const QRect frame = plot.frameGeometry();
    EXPECT_TRUE(main_height == 150 ? frame.top() == area.top() + 150 && frame.bottom() <= area.bottom()
                                   : frame.top() < area.top() + main_height && frame.bottom() == area.bottom())
        << main_height << ": " << frame.top() << " to " << frame.bottom();
  }
}

}  // namespace
}  // namespace calvane
