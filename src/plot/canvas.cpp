#include "plot/canvas.hpp"

namespace calvane {

void texte_oriente(Canvas& canvas, Point at, std::string_view text, int angle_degrees) {
  Font font = canvas.font();
  Font turned = font;
  turned.escapement_tenths = 10 * angle_degrees;
  canvas.set_font(turned);
  canvas.text(at, text);
  canvas.set_font(font);
}

}  // namespace calvane
