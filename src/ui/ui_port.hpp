// The Ui port: what the core needs of a person or of the desktop.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/message_sink.hpp"

namespace calvane {

enum class Answer { Yes, No, Cancel };

/// The answers to the question whether to save changed work before it is closed.
enum class SaveChoice { Save, Discard, Cancel };

/// The program's windows, in the order they are created at start.
enum class WindowId {
  Main,
  About,
  Print,
  Polarisation,
  Plot,
  MultipleWavelength,
  Difference,
  LambdaFromFile,
  SpaceGroup,
  CifBlocks,
  Colours,
  ImageExport,
  ViewerPath,
};

/// A file dialog: the filter text in the program's "caption|pattern|..." form,
/// the 1-based filter index, the folder and name offered.
struct FileDialogRequest {
  std::string filter;
  int filter_index = 1;
  std::string folder;
  std::string file_name;
};

struct FileDialogResult {
  std::string path;
  int filter_index = 1;  // the filter the user left selected
};

class Ui : public MessageSink {
public:
  // warning(): a modal box with an OK button; notice(): a short note the
  // user may dismiss; beep(): the system bell.

  /// Modal message box with an information sign and an OK button: the news
  /// that something the user asked for was done.
  virtual void information(std::string_view text) = 0;
  /// Modal confirmation box with Yes, No and Cancel.
  virtual Answer confirm(std::string_view text) = 0;
  /// Modal question with Save, Discard and Cancel, Save the default.
  virtual SaveChoice ask_to_save(std::string_view text) = 0;
  virtual void set_busy(bool busy) = 0;

  virtual std::optional<FileDialogResult> open_file(const FileDialogRequest& request) = 0;
  virtual std::optional<FileDialogResult> save_file(const FileDialogRequest& request) = 0;

  virtual void show_window(WindowId window, bool visible) = 0;
  /// Refresh every window from its presentation model.
  virtual void refresh() = 0;
  virtual void redraw_plot() = 0;
  /// Starts an outside program with an argument list (never through a shell),
  /// without waiting. False when it could not be started.
  virtual bool start_program(const std::string& program, const std::vector<std::string>& arguments) = 0;
  virtual void show_text_file(const std::string& path) = 0;
  virtual void open_help(int topic) = 0;
  virtual int screen_width() = 0;
  /// Lets pending window messages through during a long search.
  virtual void process_events() = 0;
  /// Ends the program: closes the main window.
  virtual void quit() = 0;
};

}  // namespace calvane
