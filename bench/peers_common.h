// The renderer workloads shared by the peer benchmarks and the difference report: the demo's
// own sprites and blend pairs, ground tiles plus N quads at fixed random places, and the
// other ways of drawing them (a plain per-pixel loop, pixman, OpenGL ES on llvmpipe).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// ---- Workload ----
enum : int { BenchWidth = 600, BenchHeight = 580 };
enum : int { PairMultiply = 0, PairAdd = 1 }; // 1 / 3 and 3 / 2

struct WorkDraw {
  int quad; // quad and sprite number: 1, 2, 6, 7 or 8
  int pair; // PairMultiply or PairAdd
  int x;    // drawing point
  int y;
  int angle;        // degrees when rotated
  bool rotated;     // false: the unrotated 64 x 64 square of SetQuadSize
  float cornerX[4]; // screen corners 0..3 (drawing point added), as the renderer makes them
  float cornerY[4];
};

struct BenchTexture {
  std::vector<uint32_t> pixels; // red in the low byte
  int width;
  int height;
  uint32_t key; // the transparent value
};

struct Workload {
  std::vector<WorkDraw> draws;
  int64_t coveredPixels; // pixels inside the quads on screen, summed over the draws
};

void StartBenchScene();                     // headless window, screen, sprite set, quads
const Workload& GetWorkload(int quads);     // 34, 340 or 3400 quads (multiples of 34)
const BenchTexture& GetTexture(int sprite); // sprite 0 (ground) or a quad's sprite
const char* PairName(int pair);

// ---- Peers: each draws the ground and a workload into its own 600 x 580 buffer ----
struct Peer {
  virtual ~Peer() = default;
  virtual void Prepare(const Workload& w) = 0;            // once, outside the timing
  virtual void DrawFrame() = 0;                           // the whole frame, finished
  virtual void ReadFrame(std::vector<uint32_t>& out) = 0; // red in the low byte
  virtual bool Ready() const { return true; }             // false: it could not start
};

std::unique_ptr<Peer> MakeOursPeer();
std::unique_ptr<Peer> MakeScalarPeer();
enum : int { PixmanMultiplyAdd, PixmanInReverse, PixmanFastest };
std::unique_ptr<Peer> MakePixmanPeer(int variant); // null without pixman
std::unique_ptr<Peer> MakeGlPeer();                // null without EGL/GLES or no device

struct PeerEntry {
  std::string name;
  std::unique_ptr<Peer> (*make)();
};
const std::vector<PeerEntry>& PeerList(); // every peer built into this program
