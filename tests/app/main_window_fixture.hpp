// A started main window over a temporary program folder, with a scripted Ui.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

#include "app/main_window.hpp"
#include "app/app_helpers.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"

namespace calvane::testing {

struct MainWindowFixture : ::testing::Test {
  TempFolder folder;
  ScriptedUi ui;
  Program program{ui, folder.path()};
  std::unique_ptr<MainWindow> window;

  void SetUp() override {
    application();
    folder.add_data_files();
    window = std::make_unique<MainWindow>(program);
    window->answer_next_open_dialog = [this](const std::string& path) {
      if (path.empty())
        ui.files.clear();
      else
        ui.choose_file(path);
    };
    ASSERT_TRUE(window->start());
  }

  // Opens example crystals through the menu, each becoming one more phase.
  void open(std::initializer_list<const char*> examples) {
    for (const char* example : examples) {
      const int before = program.workspace.phase_count();
      ui.choose_file(source_folder(std::string("examples/") + example).string());
      trigger("&File/Open a crystal data file/Calvan&e format (*.cry)");
      ASSERT_EQ(program.workspace.phase_count(), before + 1) << example << ": " << ui.last_warning();
    }
  }
  void trigger(const char* path) { window->action(path)->trigger(); }
};

}  // namespace calvane::testing
