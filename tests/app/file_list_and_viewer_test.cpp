// Wiring of the file-list panel and of the viewer path dialog: clicks reach
// the handlers and the model, and the model reaches the widgets.
#include <gtest/gtest.h>

#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <fstream>

#include "app/app_helpers.hpp"
#include "app/file_list_panel.hpp"
#include "app/qt_application.hpp"
#include "app/qt_ui.hpp"
#include "app/viewer_path_window.hpp"
#include "app/windows.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "flows/viewer_launch.hpp"

namespace calvane {
namespace {

namespace fs = std::filesystem;
using testing::click_row;

struct FileListAndViewer : ::testing::Test {
  testing::TempFolder folder;
  testing::ScriptedUi ui;
  Program program{ui, folder.path()};
  fs::path samples = folder / "samples";

  void SetUp() override {
    testing::application();
    folder.add_data_files();
    fs::create_directory(samples);
    for (const char* name : {"silicon.cry", "nacl.cry"})
      fs::copy_file(testing::source_folder("examples") / name, samples / name);
    std::ofstream(samples / "notes.txt") << "not a crystal";
  }
  static fs::path make_viewer(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "viewer";
    return path;
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
  EXPECT_EQ(panel.title()->text(), "Phases crystal data");
  ASSERT_EQ(panel.files()->count(), 2);
  EXPECT_EQ(panel.files()->item(0)->text(), "nacl.cry");

  click_row(panel.files(), 0);
  EXPECT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
  EXPECT_EQ(loads, 1);

  panel.open(FileListKind::ObservedPeaks);
  EXPECT_EQ(panel.title()->text(), "Observed peaks");
  ASSERT_EQ(panel.files()->count(), 1);
  EXPECT_EQ(panel.files()->item(0)->text(), "notes.txt");

  QTest::mouseClick(panel.cancel_button(), Qt::LeftButton);
  EXPECT_FALSE(program.file_list.visible);
  EXPECT_FALSE(panel.isVisible());
  EXPECT_EQ(closes, 1);
}

TEST_F(FileListAndViewer, ClickingAFolderOfTheTreeListsItAndMakesItCurrent) {
  FileListPanel panel(program);
  panel.open(FileListKind::CrystalData);
  panel.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
  EXPECT_EQ(panel.files()->count(), 0);  // the program folder holds no crystal
  auto* model = static_cast<QFileSystemModel*>(panel.folders()->model());
  // The tree shows the current folder; its subfolders come in as the model reads them.
  const QModelIndex current = model->index(QString::fromStdString(folder.path().string()));
  ASSERT_EQ(panel.folders()->currentIndex(), current);
  // The tree opens down to it and brings it into view once the model has read the folders.
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return panel.folders()->viewport()->rect().contains(panel.folders()->visualRect(current)); }));
  panel.folders()->expand(current);
  ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(current) > 0; }));
  const QModelIndex index = model->index(QString::fromStdString(samples.string()));
  panel.folders()->scrollTo(index);
  ASSERT_FALSE(panel.folders()->visualRect(index).isEmpty());
  QTest::mouseClick(panel.folders()->viewport(), Qt::LeftButton, {}, panel.folders()->visualRect(index).center());
  EXPECT_EQ(program.current_folder, samples);
  EXPECT_EQ(panel.files()->count(), 2);
  EXPECT_EQ(panel.folders()->currentIndex(), index);
}

TEST_F(FileListAndViewer, ViewerPathDialogRefusesAWrongFileThenStoresAndStarts) {
  const fs::path viewer = make_viewer(folder / "apps" / "lumiso2.exe");
  program.workspace.phases.emplace_back();
  program.workspace.crystal_file_name = (samples / "nacl.cry").string();

  QWidget main_window;
  Windows windows(program, &main_window);
  QtUi qt_ui;
  windows.attach(qt_ui);
  ViewerPathWindow* dialog = windows.viewer_path();
  ASSERT_NE(dialog, nullptr);

  launch_structure_viewer(program);  // no "lumipath.txt": the dialog is asked for
  ASSERT_EQ(ui.window_changes.back(), std::make_pair(WindowId::ViewerPath, true));
  qt_ui.show_window(WindowId::ViewerPath, true);
  ASSERT_TRUE(dialog->isVisible());

  testing::type_into(dialog->path_edit(), QString::fromStdString(viewer.string()));
  QTest::mouseClick(dialog->ok_button(), Qt::LeftButton);
  EXPECT_EQ(read_viewer_path(program), viewer.string());
  ASSERT_EQ(ui.started_programs.size(), 1u);
  EXPECT_EQ(ui.started_programs[0].second.back(), (samples / "nacl.cry").string());
  EXPECT_FALSE(dialog->isVisible());
}

TEST_F(FileListAndViewer, AutomaticSearchFillsTheTextBoxAndCancelCloses) {
  ViewerPathWindow dialog(program);
  program.viewer_path_form.visible = true;
  dialog.show();
  const fs::path viewer = make_viewer(folder / "deep" / "er" / "lumiso2.exe");
  dialog.set_search_roots({samples, folder.path()});
  QTest::mouseClick(dialog.search_button(), Qt::LeftButton);
  EXPECT_EQ(dialog.path_edit()->text().toStdString(), viewer.string());
  EXPECT_TRUE(dialog.ok_button()->isEnabled());
  QTest::mouseClick(dialog.cancel_button(), Qt::LeftButton);
  EXPECT_FALSE(program.viewer_path_form.visible);
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace calvane
