// Draws the 340-quad workload with our renderer and with every peer, and prints for each peer
// how many pixels differ from ours, the bounding box of the differences and the largest
// channel difference. Rasterisation and rounding rules differ between renderers, so
// differences along quad edges are expected; the report says how many and where.
// With a folder argument it also writes every picture there as a binary PPM file.
#include "workload.h"

#include "platform/platform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* Folder = nullptr; // where the pictures go, or null

void WritePicture(const char* name, const uint32_t* pixels) {
  if (Folder == nullptr) return;
  const std::string path = std::string(Folder) + "/" + name + ".ppm";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  std::fprintf(f, "P6\n%d %d\n255\n", FrameWidth, FrameHeight);
  for (int i = 0; i < FrameWidth * FrameHeight; ++i) {
    const unsigned char rgb[3] = {static_cast<unsigned char>(pixels[i]),
                                  static_cast<unsigned char>(pixels[i] >> 8),
                                  static_cast<unsigned char>(pixels[i] >> 16)};
    std::fwrite(rgb, 1, 3, f);
  }
  std::fclose(f);
}

void Report(const char* peer, const char* file, const uint32_t* ours, const uint32_t* theirs) {
  WritePicture(file, theirs);
  long count = 0;
  long large = 0; // pixels off by more than 8 in some channel: placement, not rounding
  int x0 = FrameWidth, y0 = FrameHeight, x1 = -1, y1 = -1, largest = 0;
  for (int y = 0; y < FrameHeight; ++y)
    for (int x = 0; x < FrameWidth; ++x) {
      const uint32_t a = ours[y * FrameWidth + x] & 0xFFFFFF;
      const uint32_t b = theirs[y * FrameWidth + x] & 0xFFFFFF;
      if (a == b) continue;
      ++count;
      x0 = std::min(x0, x);
      y0 = std::min(y0, y);
      x1 = std::max(x1, x);
      y1 = std::max(y1, y);
      int most = 0;
      for (int shift = 0; shift < 24; shift += 8)
        most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                       static_cast<int>((b >> shift) & 0xFF)));
      largest = std::max(largest, most);
      large += most > 8;
    }
  if (count == 0)
    std::printf("%-22s identical\n", peer);
  else
    std::printf("%-22s %7ld pixels differ (%.2f%%), %ld by more than 8, within x %d..%d, "
                "y %d..%d, largest channel difference %d\n",
                peer, count, 100.0 * static_cast<double>(count) / (FrameWidth * FrameHeight), large,
                x0, x1, y0, y1, largest);
}

} // namespace

int main(int argc, char** argv) {
  if (argc > 1) Folder = argv[1];
  if (!StartWorkloadScene()) {
    std::fprintf(stderr, "peers_diff: the sprite set could not be made\n");
    StopWorkloadScene();
    return 1;
  }
  const Workload w = MakeWorkload(340 / QuadsPerExplosion, 2026);
  DrawWorkloadOurs(w);
  const std::vector<uint32_t> ours(ScreenPixels(), ScreenPixels() + FrameWidth * FrameHeight);
  std::vector<uint32_t> theirs(ours.size());
  WritePicture("ours", ours.data());
  std::printf("Pixels differing from ours, ground plus 340 quads, %dx%d:\n", FrameWidth,
              FrameHeight);

  DrawWorkloadScalar(w, theirs.data());
  Report("scalar loop", "scalar", ours.data(), theirs.data());

  if (StartPixmanPeer()) {
    DrawWorkloadPixman(w, PixmanMultiplyAdd);
    Report("pixman multiply/add", "pixman_multiply", ours.data(), PixmanFrame());
    DrawWorkloadPixman(w, PixmanInReverseAdd);
    Report("pixman in_reverse/add", "pixman_in_reverse", ours.data(), PixmanFrame());
    StopPixmanPeer();
  } else {
    std::printf("%-22s not built in\n", "pixman");
  }

  if (StartGlPeer()) {
    DrawWorkloadGl(w);
    ReadGlFrame(theirs.data());
    Report("llvmpipe (EGL)", "llvmpipe", ours.data(), theirs.data());
    StopGlPeer();
  } else {
    std::printf("%-22s not available\n", "llvmpipe (EGL)");
  }
  StopWorkloadScene();
  return 0;
}
