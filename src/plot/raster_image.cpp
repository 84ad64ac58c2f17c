#include "plot/raster_image.hpp"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace calvane {

namespace {

void put_u16(std::string& out, unsigned value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void put_u32(std::string& out, std::uint32_t value) {
  put_u16(out, value & 0xFFFF);
  put_u16(out, value >> 16);
}

// libjpeg reports errors by calling error_exit, which must not return: jump back.
struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf back;
  char message[JMSG_LENGTH_MAX];
};

void jpeg_error_exit(j_common_ptr info) {
  auto* error = reinterpret_cast<JpegError*>(info->err);
  (*info->err->format_message)(info, error->message);
  std::longjmp(error->back, 1);
}

}  // namespace

std::string encode_bmp(const RgbImage& image) {
  const std::uint32_t row_size = (static_cast<std::uint32_t>(image.width) * 3 + 3) & ~3u;
  const std::uint32_t data_size = row_size * static_cast<std::uint32_t>(image.height);
  std::string out;
  out.reserve(54 + data_size);
  out += "BM";
  put_u32(out, 54 + data_size);
  put_u32(out, 0);
  put_u32(out, 54);  // offset of the pixels
  put_u32(out, 40);  // BITMAPINFOHEADER
  put_u32(out, static_cast<std::uint32_t>(image.width));
  put_u32(out, static_cast<std::uint32_t>(image.height));
  put_u16(out, 1);
  put_u16(out, 24);
  put_u32(out, 0);  // no compression
  put_u32(out, data_size);
  put_u32(out, 3780);  // 96 dots per inch in dots per metre
  put_u32(out, 3780);
  put_u32(out, 0);
  put_u32(out, 0);
  for (int y = image.height - 1; y >= 0; --y) {
    const std::size_t first = static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) * 3;
    for (int x = 0; x < image.width; ++x) {
      const std::size_t at = first + static_cast<std::size_t>(x) * 3;
      out.push_back(static_cast<char>(image.pixels[at + 2]));
      out.push_back(static_cast<char>(image.pixels[at + 1]));
      out.push_back(static_cast<char>(image.pixels[at]));
    }
    out.append(row_size - static_cast<std::uint32_t>(image.width) * 3, '\0');
  }
  return out;
}

std::string encode_jpeg(const RgbImage& image, int quality, std::string& error_text) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() <
          static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3) {
    error_text = "the picture is empty";
    return {};
  }
  jpeg_compress_struct info{};
  JpegError error{};
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = jpeg_error_exit;
  if (setjmp(error.back)) {
    jpeg_destroy_compress(&info);
    std::free(buffer);
    error_text = error.message;
    return {};
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(image.width);
  info.image_height = static_cast<JDIMENSION>(image.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(image.pixels.data() + info.next_scanline * stride);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

}  // namespace calvane
