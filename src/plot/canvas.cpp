#include "plot/canvas.hpp"

namespace calvane {

int Canvas::text_width(std::string_view text) const {
  // Arial lower case averages about 5 pixels a character at 8 points on 96 dots per inch.
  return static_cast<int>(text.size()) * ((font().size_points * 5 + 4) / 8);
}

void write_turned_text(Canvas& canvas, Point at, std::string_view text, int angle_degrees) {
  Font font = canvas.font();
  Font turned = font;
  turned.escapement_tenths = 10 * angle_degrees;
  canvas.set_font(turned);
  canvas.text(at, text);
  canvas.set_font(font);
}

}  // namespace calvane
