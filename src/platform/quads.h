// The quad records and the software device's internals, shared by the platform layer's own
// files and by the renderer's tests and tools; nothing else in the program includes it.
#pragma once

#include "platform/internal.h"

#include <cstdint>

// ---- Records ----
// A transformed-and-lit corner: a screen offset, colours and one pair of texture coordinates.
struct QuadVertex {
  float x;           // pixels to the right of the point the quad is drawn at
  float y;           // pixels downwards
  float z;           // always 0
  float rhw;         // always 1
  uint32_t diffuse;  // ARGB, 0xFFFFFFFF in the table; a draw puts the opacity in its alpha
  uint32_t specular; // ARGB, always 0
  float u;           // texture coordinate: 0 at the left edge, 1 at the right
  float v;           // texture coordinate: 0 at the top edge, 1 at the bottom
};
static_assert(sizeof(QuadVertex) == 32, "a corner is 32 bytes");

// A textured rectangle: corners 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right of
// the unrotated quad. The texture is the sprite's own record, shared and never owned.
struct Quad {
  SpriteRecord* texture;  // the sprite whose pixels and key are shown; null: empty slot
  QuadVertex vertices[4]; // offsets from the drawing point
  int16_t width;          // kept width in pixels, read by RotateQuad
  int16_t height;         // kept height in pixels, read by RotateQuad
  int16_t angle;          // kept rotation in degrees, read by the relative RotateQuad
};

// ---- Lookup and inspection ----
const Quad* FindQuad(int quad); // null when the number is out of range or empty
struct QuadDeviceState {
  bool made;            // the first BeginQuads has made the device
  bool phaseOpen;       // between a successful BeginQuads and EndQuads
  int blendSource;      // the device's source factor code
  int blendDestination; // the device's destination factor code
};
QuadDeviceState InspectQuadDevice(); // a copy of the device state, for tests

// ---- Test hooks ----
void SetBeginQuadsFailure(bool fail); // while set, BeginQuads fails as if the scene could
                                      // not be begun; ResetQuadDevice clears it
void UseGeneralBlendOnly(bool on);    // while set, the demo's two pairs take the general
                                      // blend path instead of their fast ones
void UsePlainRenderer(bool on);       // while set, no shortcut is taken: no kept frame
                                      // prefix, no corner table, no draw queue and no second
                                      // thread; the picture is the same
uint64_t KeptPictureUses();           // frames whose front was copied from a kept picture
int QueuedDrawCount();                // draws waiting for the buffer to be needed
