#include "app/about_box.hpp"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/program_version.hpp"

namespace calvane {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutBox");
  setWindowTitle("About Calvane");
  auto* layout = new QVBoxLayout(this);
  text_ = new QLabel(
      "<h3>Calvane</h3>"
      "<p>Multi Phases version " + QString::fromUtf8(program_version().data(), static_cast<qsizetype>(program_version().size())) + "</p>"
      "<p>Simulation of X-ray and neutron powder diffraction patterns<br>"
      "of up to eight crystal phases, compared with observed patterns<br>"
      "and observed peak lists.</p>"
      "<p>X-ray form factors: International Tables for Crystallography, Vol. C, Table 6.1.1.4.<br>"
      "Anomalous dispersion: xraylib (Brcow.an); S. Sasaki, KEK Report 88-14 (1989) (Sasaki.an).<br>"
      "Neutron scattering lengths: Sears (1992), Neutron News 3, 26.</p>");
  text_->setTextFormat(Qt::RichText);
  text_->setAlignment(Qt::AlignCenter);
  layout->addWidget(text_);
  ok_ = new QPushButton("OK");
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(ok_, 0, Qt::AlignHCenter);
  setFixedSize(sizeHint());
}

}  // namespace calvane
