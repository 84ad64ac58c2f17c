#include "app/experiment_page_widget.hpp"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include "app/qt_ui.hpp"
#include "app/text_grid_table.hpp"
#include "app/widget_text.hpp"
#include "flows/driver.hpp"
#include "profile/wavelength_lines.hpp"
#include "ui/experiment_reading.hpp"
#include "ui/spectrum.hpp"

namespace calvane {

namespace {

// "CuKa1" shown as "Cu Kα1  1.54056 Å", "CuKmoy" as "Cu Kα mean", "CukBet" as "Cu Kβ1".
QString line_caption(const CharacteristicLine& line) {
  const QString item = QString::fromUtf8(line.item.data(), static_cast<qsizetype>(line.item.size()));
  const QString anode = item.left(2);
  const QString rest = item.mid(2);
  QString name = rest;
  if (rest == "Ka1" || rest == "Ka2") name = QString("Kα") + rest.back();
  if (rest == "Kmoy") name = "Kα mean";
  if (rest == "kBet") name = "Kβ1";
  return QString("%1 %2  %3 Å").arg(anode, name).arg(line.wavelength, 0, 'f', 5);
}

}  // namespace

ExperimentPage::ExperimentPage(Program& program, PageHandlers handlers, QWidget* parent)
    : QWidget(parent), program_(program), handlers_(std::move(handlers)) {
  setStatusTip("Show/Change the experimental data");
  auto* layout = new QGridLayout(this);
  build_wavelength_box(layout);
  build_range_box(layout);
  build_resolution_box(layout);

  spectrum_ = new QTableWidget(4, 3);
  spectrum_->setHorizontalHeaderLabels({"λ (Å)", "%", "μ/ρ"});
  spectrum_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  spectrum_->verticalHeader()->hide();
  spectrum_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  spectrum_->setFixedHeight(4 * 24 + 28);
  layout->addWidget(spectrum_, 3, 0);

  auto* warning = new QPlainTextEdit;
  warning->setReadOnly(true);
  warning->setPlainText(
      "Warning \n-------------\n\nΔ(2θ) is the reflection enlargement\ndue to the instrumental effect\n\n"
      "The peak of each phase can be enlarged\nby modifying the crystallite size\n(see \"Phases data\")");
  layout->addWidget(warning, 0, 1, 2, 1);

  auto* apply = new QPushButton("Apply");
  set_hint(apply, "Draw the diagrams");
  apply->setShortcut(apply_keys());
  connect(apply, &QPushButton::clicked, this,
          [this] { handlers_.act([this] { recompute_all_phases(program_, PlotSender::ExperimentApply); }); });
  layout->addWidget(apply, 4, 1, Qt::AlignRight);
  layout->setRowStretch(5, 1);
}

void ExperimentPage::build_wavelength_box(QGridLayout* layout) {
  auto* box = new QGroupBox("Wavelength");
  auto* form = new QFormLayout(box);
  line_list_ = new QComboBox;
  line_list_->addItem(qt(std::string(kMultipleLinesItem)));
  for (const CharacteristicLine& line : kCharacteristicLines) line_list_->addItem(line_caption(line));
  line_list_->addItem(QString("Cu Kα1+Kα2  %1 + %2 Å")
                          .arg(kCharacteristicLines[4].wavelength, 0, 'f', 5)
                          .arg(kCharacteristicLines[5].wavelength, 0, 'f', 5));
  line_list_->setCurrentIndex(-1);
  form->addRow("Line", line_list_);
  wavelength_ = small_edit(90);
  form->addRow("λ (Å)", wavelength_);
  default_wavelength_notice_ = new QLabel("The wavelength was set to the default value 1.5406");
  default_wavelength_notice_->setWordWrap(true);
  form->addRow(default_wavelength_notice_);
  layout->addWidget(box, 0, 0);
  connect(line_list_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    handlers_.act([this, index] {
      handlers_.follow(choose_wavelength_line(
          SpectrumView{program_.workspace, program_.main_form, program_.wavelength_form, program_.ui}, index));
      // A new line is seen at once: the phases are computed again at its wavelength
      // ("Multiple W.L." waits for its dialog).
      if (index > 0 && program_.workspace.phase_count() > 0) recompute_all_phases(program_, PlotSender::ExperimentApply);
    });
  });
  connect(wavelength_, &QLineEdit::textEdited, this, [this] {
    handlers_.act([this] { handlers_.follow(read_wavelength_field(program_.workspace, program_.main_form)); });
  });
}

void ExperimentPage::build_range_box(QGridLayout* layout) {
  auto* box = new QGroupBox("Angle range");
  auto* grid = new QGridLayout(box);
  range_low_ = small_edit(70);
  range_high_ = small_edit(70);
  range_low_caption_ = new QLabel;
  range_high_caption_ = new QLabel;
  grid->addWidget(range_low_caption_, 0, 0);
  grid->addWidget(range_low_, 0, 1);
  grid->addWidget(range_high_caption_, 1, 0);
  grid->addWidget(range_high_, 1, 1);
  scale_group_ = new QButtonGroup(this);
  const char* scales[] = {"θ", "2θ", "Q = 4π sin θ / λ (Å⁻¹)"};
  for (int i = 0; i < 3; ++i) {
    auto* button = new QRadioButton(scales[i]);
    scale_buttons_[static_cast<std::size_t>(i)] = button;
    scale_group_->addButton(button, i);
    grid->addWidget(button, i, 2);
  }
  connect(scale_group_, &QButtonGroup::idClicked, this, [this](int scale) {
    handlers_.act([this, scale] {
      handlers_.follow(change_angle_scale(program_.workspace.settings, program_.main_form.experiment,
                                          static_cast<AngleScale>(scale), program_.ui));
    });
  });
  for (auto [edit, side] : {std::pair{range_low_, RangeEndSide::Low}, std::pair{range_high_, RangeEndSide::High}})
    connect(edit, &QLineEdit::editingFinished, this, [this, side = side] {
      if (handlers_.refreshing()) return;
      handlers_.act([this, side] {
        read_range_end(program_.workspace.settings, program_.main_form.experiment, side, program_.ui);
      });
    });
  layout->addWidget(box, 1, 0);
}

void ExperimentPage::build_resolution_box(QGridLayout* layout) {
  auto* box = new QGroupBox(QString::fromUtf8(kResolutionCaption));
  auto* row = new QHBoxLayout(box);
  u_ = small_edit(84);
  v_ = small_edit(84);
  w_ = small_edit(84);
  for (auto [caption, edit] : {std::pair{"U", u_}, std::pair{"V", v_}, std::pair{"W", w_}}) {
    set_hint(edit, QString("%1 coefficient of the resolution curve (Rietveld)").arg(caption));
    row->addWidget(new QLabel(caption));
    row->addWidget(edit);
  }
  row->addStretch(1);
  layout->addWidget(box, 2, 0, 1, 2);
}

void ExperimentPage::sync_model_from_widgets() {
  ExperimentPageForm& experiment = program_.main_form.experiment;
  experiment.wavelength = wavelength_->text().toStdString();
  experiment.range_low = range_low_->text().toStdString();
  experiment.range_high = range_high_->text().toStdString();
  experiment.u = u_->text().toStdString();
  experiment.v = v_->text().toStdString();
  experiment.w = w_->text().toStdString();
}

void ExperimentPage::refresh_from_model() {
  const ExperimentPageForm& experiment = program_.main_form.experiment;
  line_list_->setCurrentIndex(experiment.line_index);
  set_text(wavelength_, experiment.wavelength);
  set_text(range_low_, experiment.range_low);
  set_text(range_high_, experiment.range_high);
  // "2q1" in the symbol font is 2θ1.
  auto caption = [&experiment](const std::string& text) {
    QString shown = qt(text);
    if (experiment.range_captions_in_symbol_font) shown.replace('q', QChar(0x03B8));
    return shown;
  };
  range_low_caption_->setText(caption(experiment.range_low_caption));
  range_high_caption_->setText(caption(experiment.range_high_caption));
  scale_group_->setExclusive(false);
  for (int i = 0; i < 3; ++i) scale_buttons_[static_cast<std::size_t>(i)]->setChecked(i == experiment.angle_scale_button);
  scale_group_->setExclusive(true);
  set_text(u_, experiment.u);
  set_text(v_, experiment.v);
  set_text(w_, experiment.w);
  default_wavelength_notice_->setVisible(experiment.default_wavelength_notice_visible);
  spectrum_->setVisible(experiment.spectrum_visible);
  show_text_grid(spectrum_, experiment.spectrum, 1);
}

}  // namespace calvane
