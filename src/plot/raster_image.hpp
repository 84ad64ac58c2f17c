// A plain RGB picture and its encodings as a Windows bitmap and as a JPEG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace calvane {

struct RgbImage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> pixels;  // red, green, blue per pixel, rows from the top
};

/// A 24-bit uncompressed Windows bitmap (BITMAPINFOHEADER, rows bottom-up, padded to 4 bytes).
std::string encode_bmp(const RgbImage& image);

/// A baseline JPEG (JFIF) with libjpeg at `quality` (0..100). Empty with
/// `error` set when libjpeg refuses the picture.
std::string encode_jpeg(const RgbImage& image, int quality, std::string& error);

}  // namespace calvane
