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
uint32_t SpriteEpoch();               // changes whenever any sprite's pixels or key change

// ---- PNG decoding (png.cpp) ----
void ResetPngDecoding(); // PNG decoding off again, no error kept (as at process start)

// ---- Frame cap (present.cpp) ----
void ResetFrameCap(); // no cap set: the next OpenScreenInWindow sets 60
bool FrameCapSet();   // a cap was set since the last ResetFrameCap

// ---- Screen (screen.cpp) ----
uint32_t* ScreenBuffer(); // the back buffer as it is, without drawing held-back draws first
// The opaque copy, clipped to the screen and to rows top <= row < bottom.
void CopySpriteToScreen(const SpriteRecord& s, int x, int y, int top, int bottom);

// ---- Quads (quads.cpp) ----
void ResetQuadDevice(); // the rendering device is gone and no phase is open
uint32_t QuadEpoch();   // changes whenever a quad is made or the table emptied

// ---- Frame prefix cache (prefix.cpp) ----
// The draws at the front of a frame (the ground, the icons, then a run of particles that
// never change) usually repeat the previous frame's exactly. The cache keeps the back buffer
// as it stood after them, holds back draws while they match, and copies the kept picture in
// place of drawing them again. Every draw is described by a record; two equal records draw
// the same pixels onto the same picture.
enum : uint32_t { DrawKindSprite = 1, DrawKindQuad = 2 };
struct DrawRecord {
  const SpriteRecord* source; // the sprite copied, or the quad's texture
  uint32_t kind;              // DrawKindSprite or DrawKindQuad
  uint32_t generation;        // the source's generation at the draw
  int32_t x;                  // sprite copies: the position
  int32_t y;                  //
  float corners[8];           // quads: x, y of corners 0 to 3 on the screen
  int32_t blendSource;        // quads: the device's pair at the draw
  int32_t blendDestination;   //
  uint32_t alpha;             // quads: the vertex alpha
  uint32_t generalBlend;      // quads: 1 while the fast blend paths are off
};
bool HoldBackDraw(const DrawRecord& r); // true: the cache supplies this draw, skip it
void DrawHeldBackDraws();               // brings the back buffer up to date
void ScreenAboutToBeTouched(); // the same, and a frame touched from outside before its settled
                               // run keeps no picture
void StartFramePrefix();       // a frame has been presented; the next one begins
void ResetPrefixCache();       // forgets the kept picture
void DrawQuadRecord(const DrawRecord& r, int top, int bottom); // quads.cpp: rasterises a
                                                               // recorded quad draw in rows
                                                               // top <= row < bottom

// ---- Draw queue (bands.cpp) ----
void QueueDraw(const DrawRecord& r); // drawn in call order by the next FinishDraws
void FinishDraws();                  // draws the queue, on two threads when it is large
void DropQueuedDraws();              // forgets the queue (the screen is going away)
void StopDrawThreads();              // ends the worker thread, if one was started
void UseOneDrawThread(bool on);      // while set, the queue is drawn by this thread alone
void DrawEachAtOnce(bool on);        // while set, nothing is queued: each draw is made at once
void UseCornerTable(bool on);        // quads.cpp: RotateQuad looks its corners up
