// The renderer workloads shared by the peer benchmarks and the picture comparison: the ground
// tiles plus N explosions' worth of 64 x 64 quads at seeded random places, and the other ways
// of drawing the same frame (a plain scalar loop, pixman, Mesa through EGL, and the limits).
#pragma once

#include <cstdint>
#include <vector>

// ---- The workload ----
// One quad draw: the quad number (which is its sprite), where it is drawn, its blend pair,
// its angle (0: unrotated) and its absolute corners 0..3 as our quad operations place them.
struct WorkloadQuad {
  int quad;
  int x;
  int y;
  int source;
  int destination;
  int angle;
  float cornerX[4];
  float cornerY[4];
};
struct Workload {
  std::vector<WorkloadQuad> quads;
};
constexpr int FrameWidth = 600;
constexpr int FrameHeight = 580;
constexpr int QuadsPerExplosion = 34;

bool StartWorkloadScene(); // headless window, screen, the sprite set and its quads; false
                           // when the sprite set could not be made
void StopWorkloadScene();  // releases everything StartWorkloadScene made
Workload MakeWorkload(int explosions, uint32_t seed); // needs the scene for the corners
void DrawWorkloadOurs(const Workload& w);             // the frame, into ScreenPixels()

// ---- Peers: each draws the same frame into a buffer of its own ----
void DrawWorkloadScalar(const Workload& w, uint32_t* frame); // per-pixel reference loop
void TouchFrameOnce(uint32_t* frame);                        // writes every pixel once
void CopyFrame(const uint32_t* from, uint32_t* to);          // memcpy of a whole frame

// pixman: false when the peer is not built in. The variant picks the operators.
enum PixmanVariant : int {
  PixmanMultiplyAdd = 0, // MULTIPLY with keyed texels transparent, ADD with squared texels
  PixmanInReverseAdd = 1 // IN_REVERSE of white through a component-alpha mask, ADD as above
};
bool StartPixmanPeer(); // prepares the textures from the scene's sprites
void DrawWorkloadPixman(const Workload& w, PixmanVariant variant);
const uint32_t* PixmanFrame();
void StopPixmanPeer();

// Mesa through EGL without a display: false when not built in or no context could be made.
bool StartGlPeer();
void DrawWorkloadGl(const Workload& w); // ends with glFinish
void ReadGlFrame(uint32_t* frame);      // top byte cleared, rows top first
void StopGlPeer();
