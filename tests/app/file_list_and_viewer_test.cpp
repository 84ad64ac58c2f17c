// Wiring of the file-list panel and of the viewer path dialog: clicks reach
// the handlers and the model, and the model reaches the widgets.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <fstream>

#include "app/app_helpers.hpp"
#include "app/file_list_panel.hpp"
#include "app/qt_ui.hpp"
#include "app/viewer_path_window.hpp"
#include "app/windows.hpp"
#include "flows/viewer_launch.hpp"
#include "support/program_in_folder.hpp"

namespace calvane {
namespace {

namespace fs = std::filesystem;
using testing::click_row;

struct FileListAndViewer : ::testing::Test, testing::ProgramInFolder {
  fs::path samples = folder / "samples";

  void SetUp() override {
    testing::application();
    folder.add_data_files();
    fs::create_directory(samples);
    for (const char* name : {"silicon.cry", "nacl.cry"})
      fs::copy_file(testing::source_folder("examples") / name, samples / name);
    std::ofstream(samples / "notes.txt") << "not a crystal";
  }
};

TEST_F(FileListAndViewer, PanelOpensOnAKindAndAClickLoadsTheFile) {
  FileListPanel panel(program);
  int loads = 0, closes = 0;
  QObject::connect(&panel, &FileListPanel::loaded, [&loads] { ++loads; });
  QObject::connect(&panel, &FileListPanel::closed, [&closes] { ++closes; });
  program.current_folder = samples;
  panel.open(FileListKind::CrystalData);
  panel.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
  ASSERT_EQ(panel.files()->count(), 2);

  click_row(panel.files(), 0);
  EXPECT_EQ(std::tuple(program.workspace.phase_count(), loads), std::tuple(1, 1)) << ui.last_warning();
  QTest::mouseClick(panel.cancel_button(), Qt::LeftButton);
  EXPECT_EQ(std::tuple(panel.isVisible(), closes), std::tuple(false, 1));
}

TEST_F(FileListAndViewer, ViewerPathDialogStoresThePathAndStarts) {
  fs::create_directories(folder / "apps");
  const fs::path viewer = folder.write("apps/lumiso2.exe", "viewer");
  program.workspace.phases.emplace_back();
  program.workspace.crystal_file_name = (samples / "nacl.cry").string();

  QWidget main_window;
  Windows windows(program, &main_window);
  QtUi qt_ui;
  windows.attach(qt_ui);
  ViewerPathWindow* dialog = windows.viewer_path();
  launch_structure_viewer(program);  // no "lumipath.txt": the dialog is asked for
  qt_ui.show_window(WindowId::ViewerPath, true);
  ASSERT_TRUE(dialog->isVisible());

  testing::type_into(dialog->path_edit(), QString::fromStdString(viewer.string()));
  QTest::mouseClick(dialog->ok_button(), Qt::LeftButton);
  EXPECT_EQ(std::tuple(ui.started_programs.size(), dialog->isVisible()), std::tuple(std::size_t{1}, false));
}

}  // namespace
}  // namespace calvane
