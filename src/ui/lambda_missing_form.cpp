#include "ui/lambda_missing_form.hpp"

#include "util/text.hpp"

namespace calvane {

namespace {

// Kα1, Kα2 and the intensity-weighted mean Kα of the five anodes, in Å,
// in the order of the anode list.
struct AnodeLines {
  double alpha1, alpha2, mean;
};
constexpr AnodeLines kAnodeLines[5] = {
    {0.7093, 0.71359, 0.7107},   // Mo
    {1.54056, 1.54439, 1.5418},  // Cu
    {1.78897, 1.79285, 1.7902},  // Co
    {1.93339, 1.9373, 1.93604},  // Fe
    {2.2897, 2.29361, 2.2909},   // Cr
};

}  // namespace

void clicklistbox(LambdaMissingForm& form, int index) {
  if (index < 0 || index >= static_cast<int>(LambdaMissingForm::kAnodes.size())) return;
  const AnodeLines& lines = kAnodeLines[index];
  form.anode_index = index;
  form.anode = LambdaMissingForm::kAnodes[static_cast<std::size_t>(index)];
  form.lambda1 = fixed(lines.alpha1, 8, 5);
  form.lambda2 = fixed(lines.alpha2, 8, 5);
  form.lambda = fixed(lines.mean, 8, 5);
}

void open_lambda_missing(LambdaMissingForm& form, std::string file_path) {
  form = LambdaMissingForm{};
  form.visible = true;
  form.file_path = std::move(file_path);
}

}  // namespace calvane
