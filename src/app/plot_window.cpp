#include "app/plot_window.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "app/qpainter_canvas.hpp"

namespace calvane {

namespace {

MouseButton button_of(Qt::MouseButton button) {
  if (button == Qt::RightButton) return MouseButton::Right;
  if (button == Qt::MiddleButton) return MouseButton::Middle;
  return MouseButton::Left;
}

}  // namespace

/// The image area: paints the window image and the rubber box, passes the mouse on.
class PlotImage : public QWidget {
public:
  explicit PlotImage(Tfplecran& window) : QWidget(&window), window_(window) {
    setMouseTracking(true);
    setMinimumSize(400, 200);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawImage(0, 0, window_.image_);
    if (window_.rubber_box_.size() >= 2) {
      painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
      QPolygon box;
      for (const Point& p : window_.rubber_box_) box << QPoint(p.x, p.y);
      painter.drawPolyline(box);
    }
  }
  void resizeEvent(QResizeEvent*) override { window_.redraw(); }
  void mousePressEvent(QMouseEvent* event) override {
    window_.mouse_pressed(button_of(event->button()), event->pos().x(), event->pos().y());
  }
  void mouseMoveEvent(QMouseEvent* event) override { window_.mouse_moved(event->pos().x(), event->pos().y()); }
  void mouseReleaseEvent(QMouseEvent* event) override {
    window_.mouse_released(button_of(event->button()), event->pos().x(), event->pos().y());
  }

private:
  Tfplecran& window_;
};

Tfplecran::Tfplecran(Program& program, QWidget* parent) : QWidget(parent, Qt::Window), program_(program) {
  setWindowTitle("Diagrams");
  setObjectName("Tfplecran");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  view_ = new PlotImage(*this);
  layout->addWidget(view_, 1);
  readout_ = new QLabel;
  readout_->setFont(QFont("Monospace"));
  layout->addWidget(readout_);
  resize(1020, 420);
}

void Tfplecran::with_session(const std::function<void(PlotSession&)>& action) {
  // A handler that recomputes asks for a redraw from inside a session: the
  // session in progress draws the image itself.
  if (drawing_) return;
  const QSize size = view_->size();
  if (image_.size() != size) image_ = QImage(size, QImage::Format_RGB32);
  QPainter painter(&image_);
  QPainterCanvas canvas(painter, size.width(), size.height());
  PlotSession session{program_, program_.plot_state, canvas, plot_phases, recompute_full_range};
  drawing_ = true;
  action(session);
  drawing_ = false;
  painter.end();
  view_->update();
}

void Tfplecran::redraw() {
  if (!view_->isVisible() && !isVisible()) return;
  with_session([](PlotSession& session) { calvane::redraw(session); });
}

void Tfplecran::reset() {
  with_session([](PlotSession& session) { reset_diag(session); });
}

void Tfplecran::erase_observed() {
  with_session([](PlotSession& session) { efface_diagrammes_obs(session); });
}

void Tfplecran::mark_line(int line_index) {
  with_session([line_index](PlotSession& session) { mark_results_line(session, line_index); });
}

void Tfplecran::mouse_pressed(MouseButton button, int x, int y) {
  with_session([&](PlotSession& session) { OnMouseDown(session, button, x, y); });
}

void Tfplecran::mouse_moved(int x, int y) {
  rubber_box_.clear();
  with_session([&](PlotSession& session) { Image1_OnMouseMove(session, x, y, rubber_box_); });
  readout_->setText(QString::fromStdString(mouse_readout(program_.plot_state, program_.workspace, x, y)));
}

void Tfplecran::mouse_released(MouseButton button, int x, int y) {
  rubber_box_.clear();
  with_session([&](PlotSession& session) { ONMouseUp(session, button, x, y); });
}

}  // namespace calvane
