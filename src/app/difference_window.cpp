#include "app/difference_window.hpp"

#include <algorithm>

#include <QCloseEvent>
#include <QPainter>

#include "app/qpainter_canvas.hpp"
#include "flows/plot_interaction.hpp"

namespace calvane {

DifferenceWindow::DifferenceWindow(Program& program, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), program_(program) {
  setObjectName("DifferenceWindow");
  setWindowTitle("Difference ");
  resize(800, 200);
}

void DifferenceWindow::initialise(const QRect& plot_frame) {
  // The frame of this window sits above the plot's frame; the client area is what we resize.
  const int frame_extra = frameGeometry().height() - geometry().height();
  const int top = plot_frame.top() - 200 - std::max(0, frame_extra);
  setGeometry(plot_frame.left(), std::max(0, top), plot_frame.width(), 200);
}

void DifferenceWindow::draw_difference() {
  setWindowTitle(QString::fromStdString(difference_caption(program_.workspace)));
  const QSize size = this->size();
  if (size.isEmpty()) return;
  if (image_.size() != size) image_ = QImage(size, QImage::Format_RGB32);
  QPainter painter(&image_);
  QPainterCanvas canvas(painter, size.width(), size.height());
  calvane::draw_difference(program_.plot_state, canvas);
  painter.end();
  update();
}

void DifferenceWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, image_);
}

void DifferenceWindow::resizeEvent(QResizeEvent*) { draw_difference(); }

void DifferenceWindow::closeEvent(QCloseEvent* event) {
  ferme();
  event->accept();
}

void DifferenceWindow::ferme() {
  program_.plot_state.difference_open = false;
  hide();
  emit closed();
}

}  // namespace calvane
