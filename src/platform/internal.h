// Shared between the platform layer's own files only; nothing outside src/platform uses it.
#pragma once

#include "platform/platform.h"

#include <vector>

// ---- Sprite table (sprites.cpp) ----
struct SpriteRecord {
  std::vector<Colour> pixels; // width x height, row by row from the top; empty: no sprite
  int width;                  // pixels, 0 when empty
  int height;                 // pixels, 0 when empty
  int mode;                   // SpriteModePlain or SpriteModeTexture
  Colour colourKey;           // the stored value that is transparent on quads
  uint32_t generation;        // changes whenever the pixels or the key change
};
SpriteRecord* FindSprite(int sprite); // null when the number is out of range or empty
SpriteRecord* SpriteSlot(int sprite); // the slot, empty or not; null when out of range
void ClearSpriteTable();              // releases every sprite and closes any pixel access
void TouchSprite(SpriteRecord& s);    // marks the pixels or key as changed
void ReleaseSprite(SpriteRecord& s);  // empties the slot, closing a pixel access open on it

// ---- PNG decoding (png.cpp) ----
void ResetPngDecoding(); // PNG decoding off again, no error kept (as at process start)

// ---- Frame cap (present.cpp) ----
void ResetFrameCap(); // no cap set: the next OpenScreenInWindow sets 60
bool FrameCapSet();   // a cap was set since the last ResetFrameCap

// ---- Quads (quads.cpp) ----
void ResetQuadDevice(); // the rendering device is gone and no phase is open
