// Feeds arbitrary bytes to the PNG loader. Whatever the input, loading must end in a sprite or
// in 0 with the number empty, without reading past the bytes, leaking or crashing.
#include "platform/platform.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = [] {
    StartSpriteSystem();
    EnablePngDecoding();
    return true;
  }();
  (void)started;
  if (LoadSpriteFromMemory(1, data, size, SpriteModeTexture) == 0) {
    if (GetSpriteWidth(1) != 0 || GetSpriteHeight(1) != 0) __builtin_trap();
    return 0;
  }
  // A loaded sprite is whole: every pixel readable, the top byte always 0.
  const int width = GetSpriteWidth(1);
  const int height = GetSpriteHeight(1);
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096) __builtin_trap();
  BeginPixelAccess(1);
  if ((ReadPixel(width - 1, height - 1) >> 24) != 0) __builtin_trap();
  EndPixelAccess();
  return 0;
}
