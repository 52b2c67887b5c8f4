// The golden scene, rendered the way a frame of the demo draws it, and PNG files for it
// through libpng's simplified interface.
#include "golden_scene.h"

#include "particles/particles.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "random/random.h"
#include "sprites/sprites.h"

#include <png.h>

#include <algorithm>

#ifndef EXPLOSIONS_SOURCE_DIR
#error "EXPLOSIONS_SOURCE_DIR must name the source tree"
#endif

namespace {

constexpr uint32_t SceneMilliseconds = 1'000'000; // the fixed virtual time of the scene

// The frame's drawing in the frame loop's order, without the random advance, the
// presentation and the event drain, which change nothing in the picture.
void DrawSceneFrame() {
  const int tileW = GetSpriteWidth(SpriteGround);
  const int tileH = GetSpriteHeight(SpriteGround);
  for (int y = 0; y < 600; y += tileH)
    for (int x = 0; x < 600; x += tileW)
      DrawSprite(SpriteGround, x, y);
  BeginQuads();
  SetQuadSize(SpriteSmoke, 50, 50);
  SetBlendFactors(BlendZero, BlendSrcColor);
  DrawQuad(SpriteSmoke, 5, 5, 255);
  SetBlendFactors(BlendSrcColor, BlendOne);
  DrawQuad(SpriteGlow, 75, 5, 255);
  RunParticlePass();
  EndQuads();
}

} // namespace

Picture RenderGoldenScene() {
  UseVirtualClock(SceneMilliseconds, 0);
  OpenHeadlessScreen();
  EnablePngDecoding();
  LoadSpriteSet();
  MakePaleSmoke();
  CreateSpriteQuads();

  Picture picture;
  if (GetSpriteWidth(SpriteGround) > 0 && GetSpriteHeight(SpriteGround) > 0 &&
      ScreenPixels() != nullptr) {
    CreateParticleList();
    Wind = {1, -1};
    SeedRandom(0);
    SpawnExplosion(100, 200);
    DrawSceneFrame();
    picture.width = ScreenWidth();
    picture.height = ScreenHeight();
    picture.pixels.assign(ScreenPixels(), ScreenPixels() + picture.width * picture.height);
    FreeParticleList();
  }

  CloseHeadlessScreen();
  UseRealClock();
  return picture;
}

std::string GoldenScenePath() {
  return std::string(EXPLOSIONS_SOURCE_DIR) + "/tests/platform/golden/scene.png";
}

bool ReadPicture(const std::string& path, Picture& out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return false;
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) {
    png_image_free(&image);
    return false;
  }
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.pixels.resize(static_cast<size_t>(out.width) * out.height);
  for (size_t i = 0; i < out.pixels.size(); ++i)
    out.pixels[i] = rgb[3 * i] | rgb[3 * i + 1] << 8 | rgb[3 * i + 2] << 16;
  return true;
}

bool WritePicture(const std::string& path, const Picture& picture) {
  if (picture.width <= 0 || picture.height <= 0) return false;
  std::vector<png_byte> rgb(picture.pixels.size() * 3);
  for (size_t i = 0; i < picture.pixels.size(); ++i) {
    rgb[3 * i] = picture.pixels[i] & 0xFF;
    rgb[3 * i + 1] = (picture.pixels[i] >> 8) & 0xFF;
    rgb[3 * i + 2] = (picture.pixels[i] >> 16) & 0xFF;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

PictureDifference ComparePictures(const Picture& a, const Picture& b) {
  PictureDifference d;
  if (a.width != b.width || a.height != b.height) {
    d.sizesDiffer = true;
    return d;
  }
  d.left = a.width;
  d.top = a.height;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      const size_t i = static_cast<size_t>(y) * a.width + x;
      if ((a.pixels[i] & 0xFFFFFF) == (b.pixels[i] & 0xFFFFFF)) continue;
      ++d.count;
      d.left = std::min(d.left, x);
      d.top = std::min(d.top, y);
      d.right = std::max(d.right, x);
      d.bottom = std::max(d.bottom, y);
    }
  if (d.count == 0) d.left = d.top = 0;
  return d;
}

Picture DifferencePicture(const Picture& a, const Picture& b) {
  Picture out = a;
  const bool comparable = a.width == b.width && a.height == b.height;
  for (size_t i = 0; i < out.pixels.size(); ++i) {
    const uint32_t p = a.pixels[i];
    if (comparable && (p & 0xFFFFFF) != (b.pixels[i] & 0xFFFFFF)) {
      out.pixels[i] = 0x0000FF;
      continue;
    }
    out.pixels[i] = (p & 0xFF) / 3 | ((p >> 8) & 0xFF) / 3 << 8 | ((p >> 16) & 0xFF) / 3 << 16;
  }
  return out;
}
