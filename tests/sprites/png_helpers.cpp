#include "png_helpers.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace {

void AppendToVector(png_structp png, png_bytep data, png_size_t count) {
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + count);
}

void NoFlush(png_structp) {}

struct Cursor {
  const unsigned char* bytes;
  size_t size;
  size_t offset;
};

void ReadCursor(png_structp png, png_bytep out, png_size_t count) {
  auto* c = static_cast<Cursor*>(png_get_io_ptr(png));
  if (count > c->size - c->offset) png_error(png, "short");
  std::memcpy(out, c->bytes + c->offset, count);
  c->offset += count;
}

size_t RowBytes(const TestImage& image) {
  static const int channels[7] = {1, 0, 3, 1, 2, 0, 4};
  return (static_cast<size_t>(image.width) * channels[image.colourType] * image.bitDepth + 7) / 8;
}

} // namespace

std::vector<unsigned char> EncodePng(const TestImage& image) {
  std::vector<unsigned char> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, AppendToVector, NoFlush);
  png_set_IHDR(png, info, image.width, image.height, image.bitDepth, image.colourType,
               image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  for (size_t i = 0; i + 2 < image.palette.size(); i += 3)
    palette.push_back({image.palette[i], image.palette[i + 1], image.palette[i + 2]});
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!image.alphas.empty())
    png_set_tRNS(png, info, image.alphas.data(), static_cast<int>(image.alphas.size()), nullptr);
  png_write_info(png, info);
  std::vector<png_bytep> rows(image.height);
  std::vector<unsigned char> samples = image.samples;
  for (int y = 0; y < image.height; ++y)
    rows[y] = samples.data() + y * RowBytes(image);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

bool ReadRawPng(const unsigned char* bytes, size_t size, RawPng& out) {
  Cursor cursor{bytes, size, 0};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &cursor, ReadCursor);
  png_read_info(png, info);
  out.width = static_cast<int>(png_get_image_width(png, info));
  out.height = static_cast<int>(png_get_image_height(png, info));
  out.colourType = png_get_color_type(png, info);
  out.bitDepth = png_get_bit_depth(png, info);
  out.interlace = png_get_interlace_type(png, info);
  png_colorp palette = nullptr;
  int count = 0;
  if (png_get_PLTE(png, info, &palette, &count) != 0) {
    out.paletteSize = count;
    for (int i = 0; i < count; ++i)
      out.palette.insert(out.palette.end(), {palette[i].red, palette[i].green, palette[i].blue});
  }
  png_bytep alphas = nullptr;
  int alphaCount = 0;
  if (png_get_tRNS(png, info, &alphas, &alphaCount, nullptr) != 0) {
    out.transparencyCount = alphaCount;
    if (alphas != nullptr) out.transparency.assign(alphas, alphas + alphaCount);
  }
  // Pixels: palette indices kept as they are for colour type 3, RGBA otherwise.
  const bool indexed = out.colourType == PNG_COLOR_TYPE_PALETTE;
  if (!indexed) {
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  std::vector<unsigned char> data(rowBytes * out.height);
  std::vector<png_bytep> rows(out.height);
  for (int y = 0; y < out.height; ++y)
    rows[y] = data.data() + y * rowBytes;
  png_read_image(png, rows.data());
  png_destroy_read_struct(&png, &info, nullptr);
  for (int i = 0; i < out.width * out.height; ++i) {
    if (indexed) {
      const unsigned char index = data[i];
      out.indices.push_back(index);
      const unsigned char* c = &out.palette[index * 3];
      const uint32_t a = index < out.transparency.size() ? out.transparency[index] : 255;
      out.rgba.push_back(c[0] | c[1] << 8 | c[2] << 16 | a << 24);
    } else {
      const unsigned char* c = &data[i * 4];
      out.rgba.push_back(c[0] | c[1] << 8 | c[2] << 16 | static_cast<uint32_t>(c[3]) << 24);
    }
  }
  return true;
}
