// ColoursWindow: the colours window. Colour, pen width and style of each phase,
// of the sum, of each observed pattern and peak list, and the plot's
// background and text colours. Its widgets mirror a ColoursForm.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <optional>

#include "flows/colours_window.hpp"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace calvane {

struct Program;

/// The widgets of one row of the window; those a row does not have stay null.
struct ColourRowWidgets {
  QLabel* name = nullptr;
  QPushButton* colour = nullptr;
  QLineEdit* pen = nullptr;
  QComboBox* style = nullptr;
  QCheckBox* draw = nullptr;
};

class ColoursWindow : public QDialog {
  Q_OBJECT

public:
  /// Which group a colour box belongs to.
  enum class Group { Phase, Pattern, Peaks };

  /// Runs the creation step: the defaults, then "couleurs.txt" of the program folder.
  explicit ColoursWindow(Program& program, QWidget* parent = nullptr);

  ColoursForm& form() { return form_; }
  void refresh_from_model();

  /// The colour dialog: the box's colour in, the chosen colour out, nothing
  /// when the user cancels. QColorDialog unless replaced (tests script it).
  std::function<std::optional<Rgb>(Rgb current, const QString& title)> choose_colour;
  /// "Apply" changed whether the sum is drawn under the phases (to remember it).
  std::function<void(bool under)> sum_order_changed;

  const ColourRowWidgets& phase_row(int index) const { return phases_[static_cast<std::size_t>(index)]; }
  const ColourRowWidgets& pattern_row(int index) const { return patterns_[static_cast<std::size_t>(index)]; }
  const ColourRowWidgets& peak_row(int index) const { return peaks_[static_cast<std::size_t>(index)]; }
  const ColourRowWidgets& sum_row() const { return sum_; }
  QCheckBox* sum_under_box() const { return sum_under_; }
  QPushButton* background_box() const { return background_; }
  QPushButton* text_box() const { return text_; }
  QPushButton* apply_button() const { return apply_; }
  QPushButton* cancel_button() const { return cancel_; }
  QPushButton* save_button() const { return save_; }

public slots:
  void modif_colo1(Group group, int index);
  void change_couleur_fond();
  void change_couleur_fonte();
  void change_couleur_somme();
  void apply_colours();
  void sortie();
  void save_colour_choice();
  /// On each showing: the boxes take the workspace's values.
  void init_active();

protected:
  void showEvent(QShowEvent* event) override;
  /// Escape and the window's close button act as "Cancel".
  void reject() override;

private:
  QWidget* build_calculated_group();
  QWidget* build_observed_group();
  QWidget* build_peaks_group();
  ColourRowWidgets make_row(const QString& name, bool with_style, const QStringList& styles, bool with_draw);
  void pick(Rgb& colour, const QString& title);
  void sync_model_from_widgets();

  Program& program_;
  ColoursForm form_;
  std::array<ColourRowWidgets, kMaxPhases> phases_{};
  ColourRowWidgets sum_{};
  std::array<ColourRowWidgets, kMaxObservedPatterns> patterns_{};
  std::array<ColourRowWidgets, kMaxObservedPeakLists> peaks_{};
  QCheckBox* sum_under_ = nullptr;
  QPushButton* background_ = nullptr;
  QPushButton* text_ = nullptr;
  QPushButton* apply_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* save_ = nullptr;
};

}  // namespace calvane
