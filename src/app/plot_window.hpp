// Tfplecran: the plot window. It shows the image drawn by the core, redraws on
// resize, and hands mouse presses, moves and releases to the core's handlers
// (read-out, rubber box and zoom, right-button unzoom, click indexing).
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <vector>

#include "plot/canvas.hpp"
#include "plot/plot_interaction.hpp"
#include "workspace/program.hpp"

class QLabel;

namespace calvane {

class PlotImage;

class Tfplecran : public QWidget {
  Q_OBJECT

public:
  explicit Tfplecran(Program& program, QWidget* parent = nullptr);

  /// Redraws the image from the workspace (the Ui's redraw_plot).
  void redraw();
  const QImage& image() const { return image_; }
  /// The reset button: back to the full range and scale 1.
  void reset();
  /// "Erase" › "Observed diagrams".
  void erase_observed();
  /// A line of the results list was clicked: its angle is marked.
  void mark_line(int line_index);

  /// The driver's actions, set by the application.
  std::function<void()> plot_phases;
  std::function<void()> recompute_full_range;

private:
  friend class PlotImage;
  /// Runs `action` with a session drawing on the window image.
  void with_session(const std::function<void(PlotSession&)>& action);
  void mouse_pressed(MouseButton button, int x, int y);
  void mouse_moved(int x, int y);
  void mouse_released(MouseButton button, int x, int y);

  Program& program_;
  QImage image_;
  PlotImage* view_ = nullptr;
  QLabel* readout_ = nullptr;
  std::vector<Point> rubber_box_;
  bool drawing_ = false;  // a session holds the image's painter
};

}  // namespace calvane
