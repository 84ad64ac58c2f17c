#include "app/colours_window.hpp"
#include "app/widget_text.hpp"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "app/qt_ui.hpp"
#include "flows/driver.hpp"
#include "flows/program.hpp"

namespace calvane {

namespace {

constexpr int kNameWidth = 120;

QColor qcolor(Rgb colour) { return QColor(colour.red, colour.green, colour.blue); }

QStringList choices(const char* const (&items)[3]) { return {items[0], items[1], items[2]}; }

void paint_box(QPushButton* box, Rgb colour) {
  box->setStyleSheet(QString("QPushButton { background-color: %1; border: 1px solid #606060; }"
                             "QPushButton:focus { border: 2px solid #3074d0; }")
                         .arg(qcolor(colour).name()));
  box->setToolTip(QString("(%1, %2, %3)").arg(colour.red).arg(colour.green).arg(colour.blue));
}

QPushButton* colour_box() {
  auto* box = new QPushButton;
  box->setFixedSize(32, 20);
  // Space on a focused box opens the colour dialog; Enter still means "Apply".
  box->setAutoDefault(false);
  return box;
}

QLabel* heading(const QString& text) {
  auto* label = new QLabel(text);
  label->setStyleSheet("font-weight: bold");
  return label;
}

void add_headings(QGridLayout* grid, const QStringList& captions) {
  for (int column = 0; column < captions.size(); ++column) grid->addWidget(heading(captions[column]), 0, column);
}

// One row of boxes into the grid at `row`, in the order name, colour, pen, style, draw.
void place(QGridLayout* grid, int row, const ColourRowWidgets& widgets) {
  int column = 0;
  for (QWidget* widget : std::initializer_list<QWidget*>{widgets.name, widgets.colour, widgets.pen, widgets.style,
                                                          widgets.draw})
    if (widget != nullptr) grid->addWidget(widget, row, column++);
}

void show_name(QLabel* label, const std::string& name) {
  const QString full = qt(name);
  label->setText(label->fontMetrics().elidedText(full, Qt::ElideMiddle, kNameWidth));
  label->setToolTip(full);
}

void show_row(const ColourRowWidgets& widgets, const ColourRow& row) {
  if (widgets.name != nullptr && row.name != "     Sum") show_name(widgets.name, row.name);
  paint_box(widgets.colour, row.colour);
  if (widgets.pen->text() != qt(row.pen_width)) widgets.pen->setText(qt(row.pen_width));
  if (widgets.style != nullptr) widgets.style->setCurrentIndex(row.style_index);
  if (widgets.draw != nullptr) widgets.draw->setChecked(row.draw);
}

void read_row(const ColourRowWidgets& widgets, ColourRow& row) {
  row.pen_width = widgets.pen->text().toStdString();
  if (widgets.style != nullptr) row.style_index = widgets.style->currentIndex();
  if (widgets.draw != nullptr) row.draw = widgets.draw->isChecked();
}

}  // namespace

ColoursWindow::ColoursWindow(Program& program, QWidget* parent) : QDialog(parent), program_(program) {
  setObjectName("ColoursWindow");
  setWindowTitle("Colours and styles");
  choose_colour = [this](Rgb current, const QString& title) -> std::optional<Rgb> {
    const QColor chosen = QColorDialog::getColor(qcolor(current), this, title);
    if (!chosen.isValid()) return std::nullopt;
    return Rgb{static_cast<std::uint8_t>(chosen.red()), static_cast<std::uint8_t>(chosen.green()),
               static_cast<std::uint8_t>(chosen.blue())};
  };

  auto* layout = new QVBoxLayout(this);
  auto* groups = new QHBoxLayout;
  groups->addWidget(build_calculated_group());
  groups->addWidget(build_observed_group());
  groups->addWidget(build_peaks_group());
  layout->addLayout(groups);

  auto* bottom = new QHBoxLayout;
  background_ = colour_box();
  text_ = colour_box();
  connect(background_, &QPushButton::clicked, this, &ColoursWindow::change_couleur_fond);
  connect(text_, &QPushButton::clicked, this, &ColoursWindow::change_couleur_fonte);
  bottom->addWidget(new QLabel("Background"));
  bottom->addWidget(background_);
  bottom->addSpacing(16);
  bottom->addWidget(new QLabel("Text"));
  bottom->addWidget(text_);
  bottom->addStretch(1);
  apply_ = new QPushButton("Apply");
  cancel_ = new QPushButton("Cancel");
  save_ = new QPushButton("Save ");
  connect(apply_, &QPushButton::clicked, this, &ColoursWindow::apply_colours);
  connect(cancel_, &QPushButton::clicked, this, &ColoursWindow::sortie);
  connect(save_, &QPushButton::clicked, this, &ColoursWindow::save_colour_choice);
  for (QPushButton* button : {apply_, cancel_, save_}) {
    button->setAutoDefault(false);
    bottom->addWidget(button);
  }
  apply_->setDefault(true);
  apply_->setShortcut(apply_keys());
  connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, &ColoursWindow::save_colour_choice);
  layout->addLayout(bottom);

  calvane::create_colours_form(form_, program_);
  refresh_from_model();
  phases_[0].colour->setFocus();  // the keyboard starts on the first phase's colour
}

ColourRowWidgets ColoursWindow::make_row(const QString& name, bool with_style, const QStringList& styles,
                                      bool with_draw) {
  ColourRowWidgets row;
  row.name = new QLabel(name);
  row.name->setFixedWidth(kNameWidth);
  row.colour = colour_box();
  row.pen = new QLineEdit("1");
  row.pen->setFixedWidth(36);
  if (with_style) {
    row.style = new QComboBox;
    row.style->addItems(styles);
  }
  if (with_draw) row.draw = new QCheckBox;
  return row;
}

QWidget* ColoursWindow::build_calculated_group() {
  auto* group = new QGroupBox("Calculated diagram options");
  auto* grid = new QGridLayout(group);
  add_headings(grid, {"Phase Name", "Col.", "Pen", "Style"});
  const QStringList styles = choices(kPhaseStyleChoices);
  for (int i = 0; i < kMaxPhases; ++i) {
    phases_[static_cast<std::size_t>(i)] = make_row({}, true, styles, false);
    place(grid, i + 1, phases_[static_cast<std::size_t>(i)]);
    connect(phases_[static_cast<std::size_t>(i)].colour, &QPushButton::clicked, this,
            [this, i] { modif_colo1(Group::Phase, i); });
  }
  sum_ = make_row(qt(form_.sum.name), true, styles, false);
  sum_.name->setTextFormat(Qt::PlainText);
  place(grid, kMaxPhases + 1, sum_);
  connect(sum_.colour, &QPushButton::clicked, this, &ColoursWindow::change_couleur_somme);
  // Drawn first, the sum lies under the phases and hides none of them.
  sum_under_ = new QCheckBox("Sum under the phases");
  sum_under_->setObjectName("sum_under");
  grid->addWidget(sum_under_, kMaxPhases + 2, 0, 1, 4);
  grid->setRowStretch(kMaxPhases + 3, 1);
  return group;
}

QWidget* ColoursWindow::build_observed_group() {
  auto* group = new QGroupBox("Observed profile options");
  auto* grid = new QGridLayout(group);
  add_headings(grid, {"Diag. name", "Col.", "Pen", "Style", "Draw"});
  const QStringList styles = choices(kPatternStyleChoices);
  for (int i = 0; i < kMaxObservedPatterns; ++i) {
    patterns_[static_cast<std::size_t>(i)] = make_row({}, true, styles, true);
    place(grid, i + 1, patterns_[static_cast<std::size_t>(i)]);
    connect(patterns_[static_cast<std::size_t>(i)].colour, &QPushButton::clicked, this,
            [this, i] { modif_colo1(Group::Pattern, i); });
  }
  grid->setRowStretch(kMaxObservedPatterns + 2, 1);
  return group;
}

QWidget* ColoursWindow::build_peaks_group() {
  auto* group = new QGroupBox("Observed reflections options");
  auto* grid = new QGridLayout(group);
  add_headings(grid, {"Name", "Col.", "Pen", "Draw"});
  for (int i = 0; i < kMaxObservedPeakLists; ++i) {
    peaks_[static_cast<std::size_t>(i)] = make_row({}, false, {}, true);
    place(grid, i + 1, peaks_[static_cast<std::size_t>(i)]);
    connect(peaks_[static_cast<std::size_t>(i)].colour, &QPushButton::clicked, this,
            [this, i] { modif_colo1(Group::Peaks, i); });
  }
  grid->setRowStretch(kMaxObservedPeakLists + 2, 1);
  return group;
}

void ColoursWindow::showEvent(QShowEvent* event) {
  init_active();
  QDialog::showEvent(event);
}

void ColoursWindow::init_active() {
  calvane::fill_colours_form(form_, program_.workspace);
  refresh_from_model();
  sum_under_->setChecked(program_.plot_state.sum_under_phases);
}

void ColoursWindow::pick(Rgb& colour, const QString& title) {
  sync_model_from_widgets();  // a typed pen width survives the repaint
  if (!choose_colour) return;
  if (const auto chosen = choose_colour(colour, title)) colour = *chosen;
  refresh_from_model();
}

void ColoursWindow::modif_colo1(Group group, int index) {
  const auto slot = static_cast<std::size_t>(index);
  switch (group) {
    case Group::Phase:
      pick(form_.phases[slot].colour, QString("Colour of phase %1").arg(index + 1));
      break;
    case Group::Pattern:
      pick(form_.patterns[slot].colour, QString("Colour of observed pattern %1").arg(index + 1));
      break;
    case Group::Peaks:
      pick(form_.peaks[slot].colour, QString("Colour of observed peak list %1").arg(index + 1));
      break;
  }
}

void ColoursWindow::change_couleur_fond() { pick(form_.background, "Background colour"); }

void ColoursWindow::change_couleur_fonte() { pick(form_.text, "Text colour"); }

void ColoursWindow::change_couleur_somme() { pick(form_.sum.colour, "Colour of the sum"); }

void ColoursWindow::apply_colours() {
  sync_model_from_widgets();
  if (!calvane::apply_colours(form_, program_)) return;
  if (program_.plot_state.sum_under_phases != sum_under_->isChecked()) {
    program_.plot_state.sum_under_phases = sum_under_->isChecked();
    if (sum_order_changed) sum_order_changed(sum_under_->isChecked());
  }
  recompute_all_phases(program_);
  program_.ui.refresh();
}

void ColoursWindow::sortie() {
  calvane::close_colours_window(form_, program_);
  hide();
  program_.ui.refresh();
}

void ColoursWindow::reject() { sortie(); }

void ColoursWindow::save_colour_choice() { calvane::save_colour_choice(program_); }

void ColoursWindow::sync_model_from_widgets() {
  for (std::size_t i = 0; i < kMaxPhases; ++i) read_row(phases_[i], form_.phases[i]);
  read_row(sum_, form_.sum);
  for (std::size_t i = 0; i < kMaxObservedPatterns; ++i) read_row(patterns_[i], form_.patterns[i]);
  for (std::size_t i = 0; i < kMaxObservedPeakLists; ++i) read_row(peaks_[i], form_.peaks[i]);
}

void ColoursWindow::refresh_from_model() {
  for (std::size_t i = 0; i < kMaxPhases; ++i) show_row(phases_[i], form_.phases[i]);
  show_row(sum_, form_.sum);
  for (std::size_t i = 0; i < kMaxObservedPatterns; ++i) show_row(patterns_[i], form_.patterns[i]);
  for (std::size_t i = 0; i < kMaxObservedPeakLists; ++i) show_row(peaks_[i], form_.peaks[i]);
  paint_box(background_, form_.background);
  paint_box(text_, form_.text);
}

}  // namespace calvane
