#include "app/plot_window.hpp"

#include <QHideEvent>
#include <QMoveEvent>

#include <algorithm>
#include <cmath>

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QToolTip>
#include <QWheelEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QUrl>
#include <QVBoxLayout>

#include "app/desktop_settings.hpp"
#include "app/difference_window.hpp"
#include "app/export_dialog.hpp"
#include "app/image_export_qt.hpp"
#include "app/metafile_dialog.hpp"
#include "app/print_dialog.hpp"
#include "app/qpainter_canvas.hpp"
#include "app/tick_panel.hpp"
#include "flows/plot_follow_up.hpp"
#include "plot/plot_hover.hpp"

namespace calvane {

namespace {

MouseButton button_of(Qt::MouseButton button) {
  if (button == Qt::RightButton) return MouseButton::Right;
  if (button == Qt::MiddleButton) return MouseButton::Middle;
  return MouseButton::Left;
}

constexpr int kActivatedHeight = 320;  // the window's height when shown before any drawing

}  // namespace

/// The image area: paints the window image and the rubber box, passes the mouse on.
class PlotImage : public QWidget {
public:
  explicit PlotImage(PlotWindow& window) : QWidget(&window), window_(window) {
    setObjectName("plot_image");
    setMouseTracking(true);
    setMinimumSize(300, 150);
    setCursor(Qt::CrossCursor);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawImage(0, 0, window_.image_);
    if (window_.rubber_box_.size() >= 2) {
      painter.setPen(QPen(to_qcolor(window_.program_.workspace.styles.text), 1));
      QPolygon box;
      for (const Point& p : window_.rubber_box_) box << QPoint(p.x, p.y);
      painter.drawPolyline(box);
    }
  }
  void resizeEvent(QResizeEvent*) override { window_.redraw(); }
  void mousePressEvent(QMouseEvent* event) override {
    const QPoint at = event->pos();
    if (window_.navigation_pressed(event->button(), event->modifiers(), at.x(), at.y())) return;
    window_.mouse_pressed(button_of(event->button()), at.x(), at.y());
  }
  void wheelEvent(QWheelEvent* event) override {
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) window_.wheel_turned(static_cast<int>(event->position().x()), steps);
    event->accept();
  }
  void mouseMoveEvent(QMouseEvent* event) override { window_.mouse_moved(event->pos().x(), event->pos().y()); }
  void mouseReleaseEvent(QMouseEvent* event) override {
    window_.mouse_released(button_of(event->button()), event->pos().x(), event->pos().y());
  }

private:
  PlotWindow& window_;
};

PlotWindow::PlotWindow(Program& program, QWidget* parent) : QWidget(parent, Qt::Window), program_(program) {
  setWindowTitle("Diffraction diagram");
  setObjectName("PlotWindow");
  setAcceptDrops(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 0, 2, 2);
  layout->setSpacing(2);
  auto* bar = new QMenuBar;
  build_menus(bar);
  layout->setMenuBar(bar);
  view_ = new PlotImage(*this);
  layout->addWidget(view_, 1);
  ticks_ = new TickPanel;
  layout->addWidget(ticks_);
  layout->addWidget(build_control_strip());
  connect(ticks_, &TickPanel::accepted, this, &PlotWindow::read_user_ticks);
  connect(ticks_, &TickPanel::cancelled, this, &PlotWindow::cancel_ticks);

  difference_ = new DifferenceWindow(program_, this);
  connect(difference_, &DifferenceWindow::closed, this, [this] { refresh_controls(); });
  metafile_ = new MetafileDialog(program_, this);
  print_ = new PrintDialog(program_, this);
  export_ = new ExportDialog(program_, this);
  export_->render = [this](const std::filesystem::path& path, const ExportChoice& choice) {
    return export_plot_to_file(path, program_.plot_state, program_.workspace, hkl_mode_of(program_), choice);
  };
  resize(1020, 420);
  refresh_controls();
}

QWidget* PlotWindow::image_area() const { return view_; }

QAction* PlotWindow::add_item(QMenu* menu, const QString& path, const QString& caption,
                             const std::function<void()>& work) {
  QAction* item = menu->addAction(caption);
  connect(item, &QAction::triggered, this, [work] { work(); });
  actions_[path] = item;
  return item;
}

void PlotWindow::build_menus(QMenuBar* bar) {
  build_drawing_options_menu(bar);
  QAction* print = bar->addAction("&Print");
  connect(print, &QAction::triggered, this, [this] { open_print_dialog(); });
  actions_["&Print"] = print;
  build_save_menu(bar);
  QAction* difference = bar->addAction("&Difference");
  difference->setCheckable(true);
  connect(difference, &QAction::triggered, this, [this] { show_difference(); });
  actions_["&Difference"] = difference;
  QAction* help_item = bar->addAction("&Help");
  connect(help_item, &QAction::triggered, this, [this] { help(); });
  actions_["&Help"] = help_item;
}

void PlotWindow::build_drawing_options_menu(QMenuBar* bar) {
  QMenu* options = bar->addMenu("&Drawing options");
  QMenu* ticks = options->addMenu("&Ticks");
  auto* tick_group = new QActionGroup(this);
  for (QAction* item : {add_item(ticks, "&Drawing options/&Ticks/&Default ", "&Default ",
                                 [this] { choose_default_ticks(); }),
                        add_item(ticks, "&Drawing options/&Ticks/&User", "&User", [this] { choose_user_ticks(); })}) {
    item->setCheckable(true);
    tick_group->addAction(item);
  }
  QAction* axis = add_item(options, "&Drawing options/&Intensity axis", "&Intensity axis", [] {});
  axis->setCheckable(true);
  axis->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
  connect(axis, &QAction::toggled, this, [this](bool shown) { show_intensity_axis(shown); });
  QAction* spacing = add_item(options, "&Drawing options/&d-spacing axis", "&d-spacing axis", [] {});
  spacing->setCheckable(true);
  connect(spacing, &QAction::toggled, this, [this](bool shown) { show_d_axis(shown); });
  QAction* back = add_item(options, "&Drawing options/&Back", "&Back", [this] { go_back(); });
  QAction* forward = add_item(options, "&Drawing options/&Forward", "&Forward", [this] { go_forward(); });
  back->setShortcuts({QKeySequence(QKeySequence::Back), QKeySequence(Qt::Key_Backspace)});
  forward->setShortcut(QKeySequence::Forward);
  for (QAction* item : {axis, back, forward}) {
    item->setShortcutContext(Qt::WindowShortcut);
    addAction(item);
  }
  QMenu* y_scale = options->addMenu("Y Scale");
  auto* y_group = new QActionGroup(this);
  const QString y_items[] = {"&Linear", "L&ogarithmic", "&Square root"};
  for (int mode = 0; mode < 3; ++mode) {
    QAction* item = add_item(y_scale, "&Drawing options/Y Scale/" + y_items[mode], y_items[mode],
                             [this, mode] { choose_y_mode(mode); });
    item->setCheckable(true);
    y_group->addAction(item);
  }
}

void PlotWindow::build_save_menu(QMenuBar* bar) {
  QMenu* save = bar->addMenu("&Save image");
  QAction* picture = add_item(save, "&Save image/E&xport picture...", "E&xport picture...",
                              [this] { open_export_dialog(); });
  QAction* copy = add_item(save, "&Save image/&Copy to the clipboard", "&Copy to the clipboard",
                           [this] { copy_plot(); });
  // The keys work with the menu closed: the actions also belong to the window.
  picture->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  copy->setShortcut(QKeySequence::Copy);
  for (QAction* item : {picture, copy}) {
    item->setShortcutContext(Qt::WindowShortcut);
    addAction(item);
  }
  save->addSeparator();
  add_item(save, "&Save image/&Bitmap format", "&Bitmap format", [this] { save_bitmap_image(); });
  add_item(save, "&Save image/&JPEG format", "&JPEG format", [this] { save_jpeg_image(); });
  add_item(save, "&Save image/&EMF format", "&EMF format", [this] { save_metafile_image(); });
  save->addSeparator();
  add_item(save, "&Save image/&PNG format", "&PNG format", [this] { save_png_image(); });
  add_item(save, "&Save image/&SVG format", "&SVG format", [this] { save_svg_image(); });
  add_item(save, "&Save image/P&DF format", "P&DF format", [this] { save_pdf_image(); });
}

QWidget* PlotWindow::build_control_strip() {
  auto* strip = new QWidget;
  auto* column = new QVBoxLayout(strip);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(2);
  auto* row = new QHBoxLayout;
  scale_ = new QScrollBar(Qt::Horizontal);
  scale_->setObjectName("scale");
  scale_->setRange(10, 500);
  scale_->setSingleStep(5);
  scale_->setPageStep(5);
  scale_->setToolTip("Modifiy the scale");
  scale_->setFixedWidth(160);
  shift_ = new QScrollBar(Qt::Horizontal);
  shift_->setObjectName("shift");
  shift_->setRange(0, 180);
  shift_->setPageStep(1);
  shift_->setToolTip("Shift the diagram");
  reset_button_ = new QPushButton("Reset");
  reset_button_->setObjectName("reset");
  reset_button_->setToolTip("Reset diagram");
  readout_ = new QLineEdit;
  readout_->setObjectName("readout");
  readout_->setReadOnly(true);
  readout_->setFocusPolicy(Qt::NoFocus);
  readout_->setFont(QFont("Monospace"));
  readout_->setStyleSheet("background-color: aqua; color: black;");
  readout_->setFixedWidth(260);
  row->addWidget(new QLabel("Scale"));
  row->addWidget(scale_);
  row->addWidget(new QLabel("Shift"));
  row->addWidget(shift_, 1);
  row->addWidget(reset_button_);
  row->addWidget(readout_);
  column->addLayout(row);
  status_ = new QLabel;
  status_->setObjectName("status");
  column->addWidget(status_);
  connect(scale_, &QScrollBar::valueChanged, this, [this](int position) {
    // A dragged thumb lands anywhere; the control moves in steps of 5.
    if (!refreshing_) change_intensity_scale(5 * ((position + 2) / 5));
  });
  connect(shift_, &QScrollBar::valueChanged, this, [this](int position) {
    if (!refreshing_) shift_plot(position);
  });
  connect(reset_button_, &QPushButton::clicked, this, &PlotWindow::reset_zoom);
  return strip;
}

QAction* PlotWindow::action(const QString& path) const {
  const auto found = actions_.find(path);
  return found == actions_.end() ? nullptr : found->second;
}

void PlotWindow::with_session(const std::function<void(PlotSession&)>& action, bool draws) {
  // A handler that recomputes asks for a redraw from inside a session: the
  // session in progress draws the image again once the handler is done.
  if (drawing_) {
    redraw_requested_ = true;
    return;
  }
  const QSize size = view_->size();
  if (size.isEmpty()) return;
  if (image_.size() != size) image_ = QImage(size, QImage::Format_RGB32);
  if (ticks_->isVisible()) ticks_->sync(program_.plot_state.tick_dialog);
  {
    QPainter painter(&image_);
    QPainterCanvas canvas(painter, size.width(), size.height());
    PlotSession session{program_, program_.plot_state, canvas, plot_phases, recompute_full_range};
    struct Guard {
      bool& flag;
      ~Guard() { flag = false; }
    } guard{drawing_};
    drawing_ = true;
    redraw_requested_ = false;
    action(session);
    if (redraw_requested_) calvane::redraw(session);
  }
  refresh_controls(draws);
  view_->update();
}

void PlotWindow::refresh_controls(bool redraw_difference) {
  const PlotState& state = program_.plot_state;
  refreshing_ = true;
  scale_->setValue(state.scale_position);
  shift_->setValue(state.shift_position);
  refreshing_ = false;
  status_->setVisible(state.status.visible);
  status_->setText(QString::fromStdString(state.status.text));
  status_->setStyleSheet(state.status.red ? "color: red;" : "color: black;");
  readout_->setText(QString::fromStdString(state.readout));
  ticks_->refresh(state.tick_dialog);
  actions_.at("&Drawing options/&Ticks/&Default ")->setChecked(state.default_ticks);
  actions_.at("&Drawing options/&Ticks/&User")->setChecked(!state.default_ticks);
  actions_.at("&Drawing options/Y Scale/&Linear")->setChecked(state.y_mode == YMode::Linear);
  actions_.at("&Drawing options/Y Scale/L&ogarithmic")->setChecked(state.y_mode == YMode::Logarithmic);
  actions_.at("&Drawing options/Y Scale/&Square root")->setChecked(state.y_mode == YMode::SquareRoot);
  actions_.at("&Difference")->setChecked(state.difference_open);
  {
    const QSignalBlocker block(actions_.at("&Drawing options/&Intensity axis"));
    actions_.at("&Drawing options/&Intensity axis")->setChecked(state.intensity_axis);
  }
  {
    // d stands in for θ or 2θ only: the Q plot keeps its own axis.
    QAction* spacing = actions_.at("&Drawing options/&d-spacing axis");
    const QSignalBlocker block(spacing);
    spacing->setChecked(state.d_axis);
    spacing->setEnabled(program_.workspace.settings.angle_scale != AngleScale::Q);
  }
  actions_.at("&Drawing options/&Back")->setEnabled(!state.back_views.empty());
  actions_.at("&Drawing options/&Forward")->setEnabled(!state.forward_views.empty());
  if (state.difference_open) {
    if (!difference_->isVisible()) {
      difference_->initialise(frameGeometry());
      difference_->show();
      redraw_difference = true;
    }
    if (redraw_difference) difference_->draw_difference();
  } else if (difference_->isVisible()) {
    difference_->hide();
  }
}

void PlotWindow::redraw() {
  if (!isVisible()) return;
  with_session([](PlotSession& session) { calvane::redraw(session); });
}

void PlotWindow::reset_zoom() {
  const PlotView before = current_view(program_.plot_state);
  with_session([](PlotSession& session) { calvane::reset_zoom(session); });
  record_view_change(program_.plot_state, before);
  refresh_controls(false);
  program_.ui.refresh();
}

void PlotWindow::erase_observed() {
  with_session([](PlotSession& session) { erase_observed_patterns(session); });
}

void PlotWindow::mark_line(int line_index) {
  with_session([line_index](PlotSession& session) { mark_results_line(session, line_index); });
}

void PlotWindow::after_observed_load(const ObservedLoad& load) {
  if (!calvane::after_observed_load(program_.plot_state, load, program_.workspace.settings.angle_scale)) return;
  refresh_controls(false);  // the scale control, also while the window is hidden
  redraw();
}

void PlotWindow::after_total_data_load(const TotalDataLoad& load) {
  if (!calvane::after_total_data_load(program_.plot_state, load, program_.workspace.settings)) return;
  refresh_controls(false);
  redraw();
}

bool PlotWindow::show_dialog(WindowId window, bool visible) {
  QWidget* dialog = nullptr;
  switch (window) {
    case WindowId::Difference:
      program_.plot_state.difference_open = visible;
      refresh_controls();
      return true;
    case WindowId::Print:
      dialog = print_;
      break;
    case WindowId::ImageExport:
      dialog = metafile_;
      break;
    default:
      return false;
  }
  if (!visible) {
    dialog->hide();
    return true;
  }
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
  return true;
}

void PlotWindow::change_intensity_scale(int position) {
  with_session([position](PlotSession& session) { calvane::change_intensity_scale(session, position); });
}

void PlotWindow::shift_plot(int position) {
  with_session([position](PlotSession& session) { calvane::shift_plot(session, position); });
}

void PlotWindow::choose_y_mode(int mode) {
  with_session([mode](PlotSession& session) { calvane::choose_y_mode(session, static_cast<YMode>(mode)); });
}

void PlotWindow::choose_user_ticks() {
  with_session([](PlotSession& session) { calvane::choose_user_ticks(session); });
  ticks_->focus_minor();
}

void PlotWindow::choose_default_ticks() {
  with_session([](PlotSession& session) { calvane::choose_default_ticks(session); });
}

void PlotWindow::read_user_ticks() {
  ticks_->sync(program_.plot_state.tick_dialog);
  with_session([](PlotSession& session) { calvane::read_user_ticks(session); });
  if (ticks_->isVisible()) ticks_->focus_minor();
}

void PlotWindow::cancel_ticks() {
  with_session([](PlotSession& session) { calvane::cancel_ticks(session); });
}

void PlotWindow::show_difference() {
  with_session([](PlotSession& session) { calvane::show_difference(session); });
}

void PlotWindow::save_bitmap_image() { calvane::save_bitmap_image(program_, to_rgb_image(image_)); }

void PlotWindow::save_jpeg_image() { calvane::save_jpeg_image(program_, to_rgb_image(image_)); }

void PlotWindow::save_metafile_image() {
  if (!has_plot_data(program_.workspace)) return;
  show_dialog(WindowId::ImageExport, true);
}

void PlotWindow::save_png_image() { calvane::save_png_image(program_, image_); }

void PlotWindow::save_svg_image() {
  calvane::save_svg_image(program_, program_.plot_state, image_.width(), image_.height());
}

void PlotWindow::save_pdf_image() {
  calvane::save_pdf_image(program_, program_.plot_state, image_.width(), image_.height());
}

void PlotWindow::open_print_dialog() {
  calvane::open_print_dialog(program_, print_->form());
  program_.ui.refresh();  // the main window's page changed
  if (print_->form().visible) show_dialog(WindowId::Print, true);
}

void PlotWindow::help() {
  program_.current_folder = program_.program_folder;
  program_.ui.open_help(0);
}

void PlotWindow::place_at_creation() {
  const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const int top = area.top() + (parentWidget() != nullptr ? parentWidget()->frameGeometry().height() : 0);
  // As high as the screen would run off its bottom edge; the window stops there instead.
  const int height = std::max(kActivatedHeight, area.bottom() + 1 - top);
  move(area.left(), top);
  resize(area.width() - 4, height);
  keep_on_screen();
}

void PlotWindow::keep_on_screen() {
  // Below a tall main window the plot's control strip would fall off the
  // screen; the window then rises until its bottom edge is on the screen.
  const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QRect frame = frameGeometry();
  if (frame.bottom() > area.bottom()) move(frame.left(), std::max(area.top(), area.bottom() + 1 - frame.height()));
}

void PlotWindow::showEvent(QShowEvent* event) {
  if (!placed_) {
    placed_ = true;
    place_at_creation();
  }
  if (difference_was_open_) {
    difference_was_open_ = false;
    difference_->show();
  }
  QWidget::showEvent(event);
}

void PlotWindow::hideEvent(QHideEvent* event) {
  // The difference window belongs to the plot: it goes with it, and comes
  // back with it when it was open.
  difference_was_open_ = difference_->isVisible();
  difference_->hide();
  QWidget::hideEvent(event);
}

void PlotWindow::moveEvent(QMoveEvent* event) {
  // The difference window follows the plot window as it moves.
  if (difference_->isVisible() && event->oldPos() != event->pos())
    difference_->move(difference_->pos() + event->pos() - event->oldPos());
  QWidget::moveEvent(event);
}

bool PlotWindow::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) {
    if (!program_.plot_state.status.visible) resize(width(), kActivatedHeight);
    if (parentWidget() != nullptr) move(parentWidget()->frameGeometry().left(), frameGeometry().top());
    keep_on_screen();
  }
  return QWidget::event(event);
}

void PlotWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!event->mimeData()->hasUrls()) return;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) {
      event->acceptProposedAction();
      return;
    }
  }
}

void PlotWindow::dropEvent(QDropEvent* event) {
  if (!event->mimeData()->hasUrls()) return;
  event->acceptProposedAction();
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile() && open_path) open_path(url.toLocalFile());
}

void PlotWindow::mouse_pressed(MouseButton button, int x, int y) {
  with_session([&](PlotSession& session) { on_mouse_down(session, button, x, y); }, false);
}

void PlotWindow::mouse_moved(int x, int y) {
  rubber_box_.clear();
  if (panning_) {
    const int dx = x - pan_x_;
    pan_x_ = x;
    with_session([dx](PlotSession& session) { pan_by(session, dx); });
    return;
  }
  with_session([&](PlotSession& session) { on_mouse_move(session, x, y, rubber_box_); }, false);
  // Resting on a reflection names it; elsewhere the values at the cursor.
  const PlotState& state = program_.plot_state;
  if (!state.pressed && state.status.visible)
    QToolTip::showText(view_->mapToGlobal(QPoint(x, y)),
                       QString::fromStdString(hover_text(state, program_.workspace, hkl_mode_of(program_), x, y)),
                       view_);
}

void PlotWindow::mouse_released(MouseButton button, int x, int y) {
  rubber_box_.clear();
  if (panning_) {
    panning_ = false;
    record_view_change(program_.plot_state, pan_start_);
    refresh_controls();
    program_.ui.refresh();
    return;
  }
  if (legend_clicked_) {
    legend_clicked_ = false;
    return;
  }
  const PlotView before = current_view(program_.plot_state);
  with_session([&](PlotSession& session) { on_mouse_up(session, button, x, y); });
  record_view_change(program_.plot_state, before);
  refresh_controls(false);
  program_.ui.refresh();  // the angle fields or the selected results line changed
}

}  // namespace calvane
