#include "plot/emf_canvas.hpp"

#include <cstdio>

#include <libEMF/emf.h>

#include "util/loaded_library.hpp"

namespace calvane {

namespace {

// libEMF, loaded at the first metafile rather than at every start of
// calvane-sim. Its functions keep their Win32 names.
struct Gdi {
  decltype(&::CreateEnhMetaFileA) CreateEnhMetaFileA;
  decltype(&::CloseEnhMetaFile) CloseEnhMetaFile;
  decltype(&::DeleteEnhMetaFile) DeleteEnhMetaFile;
  decltype(&::SetBkMode) SetBkMode;
  decltype(&::DeleteObject) DeleteObject;
  decltype(&::CreatePen) CreatePen;
  decltype(&::SelectObject) SelectObject;
  decltype(&::CreateFontA) CreateFontA;
  decltype(&::SetTextColor) SetTextColor;
  decltype(&::CreateSolidBrush) CreateSolidBrush;
  decltype(&::GetStockObject) GetStockObject;
  decltype(&::Rectangle) Rectangle;
  decltype(&::MoveToEx) MoveToEx;
  decltype(&::LineTo) LineTo;
  decltype(&::Polyline) Polyline;
  decltype(&::TextOutA) TextOutA;
  bool loaded = false;
  LoadedLibrary library{"libEMF.so.1"};

  Gdi() {
    LoadedLibrary& l = library;
    loaded = l.find("CreateEnhMetaFileA", CreateEnhMetaFileA) &&
           l.find("CloseEnhMetaFile", CloseEnhMetaFile) &&
           l.find("DeleteEnhMetaFile", DeleteEnhMetaFile) &&
           l.find("SetBkMode", SetBkMode) &&
           l.find("DeleteObject", DeleteObject) &&
           l.find("CreatePen", CreatePen) &&
           l.find("SelectObject", SelectObject) &&
           l.find("CreateFontA", CreateFontA) &&
           l.find("SetTextColor", SetTextColor) &&
           l.find("CreateSolidBrush", CreateSolidBrush) &&
           l.find("GetStockObject", GetStockObject) &&
           l.find("Rectangle", Rectangle) &&
           l.find("MoveToEx", MoveToEx) &&
           l.find("LineTo", LineTo) &&
           l.find("Polyline", Polyline) &&
           l.find("TextOutA", TextOutA);
  }
};

const Gdi& gdi() {
  static const Gdi functions;
  return functions;
}

COLORREF colour_ref(Rgb colour) { return RGB(colour.red, colour.green, colour.blue); }

int pen_style_code(LineStyle style) {
  switch (style) {
    case LineStyle::Dashed:
      return PS_DASH;
    case LineStyle::Dotted:
      return PS_DOT;
    case LineStyle::Solid:
      break;
  }
  return PS_SOLID;
}

// Font height in metafile pixels for a size in points on a 96 dots-per-inch surface.
int font_height(int points) { return -(points * 96 + 36) / 72; }

}  // namespace

struct EmfCanvas::Device {
  HDC dc = 0;
  HPEN pen = 0;
  HFONT font = 0;
  Pen selected_pen;
  Font selected_font;
  bool pen_valid = false, font_valid = false;
};

EmfCanvas::EmfCanvas(const std::filesystem::path& path, int width, int height)
    : device_(std::make_unique<Device>()), width_(width), height_(height) {
  // The frame is given in hundredths of a millimetre; at 96 pixels per inch a pixel is 2540/96 of them.
  RECT frame{0, 0, static_cast<LONG>(width * 2540 / 96), static_cast<LONG>(height * 2540 / 96)};
  if (!gdi().loaded) return;
  device_->dc = gdi().CreateEnhMetaFileA(0, path.string().c_str(), &frame, "Calvane\0Diffraction diagram\0");
  if (device_->dc) gdi().SetBkMode(device_->dc, TRANSPARENT);
}

EmfCanvas::~EmfCanvas() { finish(); }

bool EmfCanvas::ok() const { return device_->dc != 0; }

bool EmfCanvas::finish() {
  if (!device_->dc) return false;
  HENHMETAFILE metafile = gdi().CloseEnhMetaFile(device_->dc);
  device_->dc = 0;
  if (device_->pen) gdi().DeleteObject(device_->pen);
  if (device_->font) gdi().DeleteObject(device_->font);
  device_->pen = 0;
  device_->font = 0;
  if (!metafile) return false;
  gdi().DeleteEnhMetaFile(metafile);
  return true;
}

void EmfCanvas::select_pen() {
  if (device_->pen_valid && device_->selected_pen == pen()) return;
  HPEN created = gdi().CreatePen(pen_style_code(pen().style), pen().width, colour_ref(pen().colour));
  gdi().SelectObject(device_->dc, created);
  if (device_->pen) gdi().DeleteObject(device_->pen);
  device_->pen = created;
  device_->selected_pen = pen();
  device_->pen_valid = true;
}

void EmfCanvas::select_font() {
  if (device_->font_valid && device_->selected_font == font()) return;
  const Font& f = font();
  HFONT created = gdi().CreateFontA(font_height(f.size_points), 0, f.escapement_tenths, f.escapement_tenths,
                              FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, f.family.c_str());
  gdi().SelectObject(device_->dc, created);
  if (device_->font) gdi().DeleteObject(device_->font);
  device_->font = created;
  device_->selected_font = f;
  device_->font_valid = true;
  gdi().SetTextColor(device_->dc, colour_ref(f.colour));
}

void EmfCanvas::fill_rectangle(int left, int top, int right, int bottom, Rgb colour) {
  if (!device_->dc) return;
  // A rectangle without outline: GDI leaves out its right and bottom edges, which the +1 puts back.
  HBRUSH brush = gdi().CreateSolidBrush(colour_ref(colour));
  gdi().SelectObject(device_->dc, brush);
  gdi().SelectObject(device_->dc, gdi().GetStockObject(NULL_PEN));
  gdi().Rectangle(device_->dc, left, top, right + 1, bottom + 1);
  gdi().SelectObject(device_->dc, gdi().GetStockObject(NULL_BRUSH));
  gdi().DeleteObject(brush);
  device_->pen_valid = false;
}

void EmfCanvas::rectangle(int left, int top, int right, int bottom) {
  if (!device_->dc) return;
  select_pen();
  gdi().SelectObject(device_->dc, gdi().GetStockObject(NULL_BRUSH));
  gdi().Rectangle(device_->dc, left, top, right + 1, bottom + 1);
}

void EmfCanvas::line(Point from, Point to) {
  if (!device_->dc) return;
  select_pen();
  gdi().MoveToEx(device_->dc, from.x, from.y, nullptr);
  gdi().LineTo(device_->dc, to.x, to.y);
}

void EmfCanvas::polyline(const std::vector<Point>& points) {
  if (!device_->dc || points.size() < 2) return;
  select_pen();
  std::vector<POINT> device_points;
  device_points.reserve(points.size());
  for (const Point& p : points) device_points.push_back(POINT{p.x, p.y});
  gdi().Polyline(device_->dc, device_points.data(), static_cast<INT>(device_points.size()));
}

void EmfCanvas::text(Point at, std::string_view text) {
  if (!device_->dc || text.empty()) return;
  select_font();
  gdi().SetTextColor(device_->dc, colour_ref(font().colour));
  gdi().TextOutA(device_->dc, at.x, at.y, std::string(text).c_str(), static_cast<INT>(text.size()));
}

}  // namespace calvane
