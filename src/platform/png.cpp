// PNG decoding straight from memory into a numbered sprite. Every image becomes 8-bit RGB:
// palettes and greys are expanded, 16-bit samples reduced, and alpha dropped without any
// compositing, so each pixel keeps the colour it stores. Transparency chunks are ignored.
#include "platform/internal.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t MaxImageSide = 4096; // larger images are refused before anything is allocated
constexpr size_t MaxChunkBytes = size_t{1} << 20;        // least chunk allowance, for small files
constexpr size_t MaxLibpngAllocation = size_t{16} << 20; // one allocation by libpng, at most

struct PngState {
  bool enabled;      // EnablePngDecoding was called
  std::string error; // why the last load failed, "" after a success
};
PngState Png{};

// The bytes being decoded; libpng reads them through ReadFromMemory and never past size.
struct MemoryReader {
  const unsigned char* bytes;
  size_t size;
  size_t offset;
};

// The error message is kept in the reader's error slot before libpng jumps back.
struct DecodeContext {
  MemoryReader reader;
  char message[160];
};

void ReadFromMemory(png_structp png, png_bytep out, size_t count) {
  auto* context = static_cast<DecodeContext*>(png_get_io_ptr(png));
  MemoryReader& r = context->reader;
  if (count > r.size - r.offset) png_error(png, "image data ends early");
  std::memcpy(out, r.bytes + r.offset, count);
  r.offset += count;
}

void OnError(png_structp png, png_const_charp message) {
  auto* context = static_cast<DecodeContext*>(png_get_error_ptr(png));
  std::snprintf(context->message, sizeof context->message, "%s", message);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {} // warnings are not errors and print nothing

// libpng's own allocations (chunk buffers, rows, inflate state) never need more than this for
// an image we accept; a damaged length field asking for more gets nothing, which libpng
// turns into an error instead of a gigabyte allocation.
png_voidp Allocate(png_structp, png_alloc_size_t size) {
  return size <= MaxLibpngAllocation ? std::malloc(size) : nullptr;
}

void Release(png_structp, png_voidp p) {
  std::free(p);
}

// Decodes the whole image into rows of 8-bit RGB. Returns "" on success, else the reason.
// The one place that calls libpng; setjmp stays inside it, and nothing with a destructor
// lives across the jump except objects made before setjmp.
std::string Decode(const unsigned char* bytes, size_t size, std::vector<unsigned char>& rgb,
                   uint32_t& width, uint32_t& height) {
  if (bytes == nullptr || size < 8 || png_sig_cmp(bytes, 0, 8) != 0) return "not a PNG image";
  DecodeContext context{{bytes, size, 0}, {}};
  png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &context, OnError, OnWarning,
                                             nullptr, Allocate, Release);
  if (png == nullptr) return "out of memory";
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return "out of memory";
  }
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    rgb.clear();
    return context.message[0] != '\0' ? context.message : "decoding failed";
  }
  png_set_read_fn(png, &context, ReadFromMemory);
  png_set_user_limits(png, MaxImageSide, MaxImageSide);
  // No chunk can hold more than the whole file, so a length field beyond it is refused;
  // chunks we do not know are skipped without being stored.
  png_set_chunk_malloc_max(png, std::max<size_t>(size, MaxChunkBytes));
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
  png_read_info(png, info);
  width = png_get_image_width(png, info);
  height = png_get_image_height(png, info);
  if (width == 0 || height == 0 || width > MaxImageSide || height > MaxImageSide)
    png_error(png, "image too large");
  const int type = png_get_color_type(png, info);
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
  }
  png_set_strip_16(png);
  png_set_strip_alpha(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 3)
    png_error(png, "unexpected pixel layout");
  rgb.resize(static_cast<size_t>(width) * height * 3);
  rows.resize(height);
  for (uint32_t y = 0; y < height; ++y)
    rows[y] = rgb.data() + static_cast<size_t>(y) * width * 3;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return "";
}

} // namespace

int EnablePngDecoding() {
  Png.enabled = true;
  return 1;
}

const char* LastSpriteLoadError() {
  return Png.error.c_str();
}

int LoadSpriteFromMemory(int sprite, const unsigned char* bytes, size_t size, int mode) {
  FinishDraws(); // queued draws read the pixels as they are now
  SpriteRecord* slot = SpriteSlot(sprite);
  if (slot == nullptr) {
    Png.error = "sprite number out of range";
    return 0;
  }
  // Whatever the number held is released first, also when the new image fails.
  ReleaseSprite(*slot);
  if (!Png.enabled) {
    Png.error = "PNG decoding is not enabled";
    return 0;
  }
  std::vector<unsigned char> rgb;
  uint32_t width = 0;
  uint32_t height = 0;
  std::string error = Decode(bytes, size, rgb, width, height);
  if (!error.empty()) {
    Png.error = error;
    return 0;
  }
  slot->pixels.resize(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < slot->pixels.size(); ++i)
    slot->pixels[i] = static_cast<Colour>(rgb[3 * i] | rgb[3 * i + 1] << 8 | rgb[3 * i + 2] << 16);
  slot->width = static_cast<int>(width);
  slot->height = static_cast<int>(height);
  slot->mode = mode;
  slot->colourKey = 0x000000; // the default black
  TouchSprite(*slot);
  Png.error.clear();
  return 1;
}

void ResetPngDecoding() {
  Png = PngState{};
}
