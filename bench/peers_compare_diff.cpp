// How far each peer's picture of the 340-quad workload is from ours: the number of pixels
// that differ, the largest channel difference and the bounding box of the differences.
// With a folder argument it also writes one PNG per peer, differing pixels in magenta over
// a dimmed copy of our picture.
#include "peers_common.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void WritePng(const std::string& path, const std::vector<uint32_t>& px) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, BenchWidth, BenchHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<unsigned char> row(BenchWidth * 3);
  for (int y = 0; y < BenchHeight; ++y) {
    for (int x = 0; x < BenchWidth; ++x) {
      const uint32_t p = px[static_cast<size_t>(y) * BenchWidth + x];
      row[x * 3] = p & 0xFF;
      row[x * 3 + 1] = (p >> 8) & 0xFF;
      row[x * 3 + 2] = (p >> 16) & 0xFF;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
}

} // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "";
  const int quads = argc > 2 ? std::atoi(argv[2]) : 340;
  const Workload& w = GetWorkload(quads);
  std::vector<uint32_t> ours, theirs;
  {
    std::unique_ptr<Peer> p = MakeOursPeer();
    p->Prepare(w);
    p->DrawFrame();
    p->ReadFrame(ours);
  }
  if (!folder.empty()) WritePng(folder + "/ours.png", ours);
  std::printf("Pixels differing from ours, ground + %d quads (%lld pixels covered by quads, "
              "%d on screen)\n",
              quads, static_cast<long long>(w.coveredPixels), BenchWidth * BenchHeight);
  std::printf("%-22s %10s %8s %8s  %s\n", "peer", "pixels", "share", "max diff",
              "bounding box (x0,y0)-(x1,y1)");
  for (const PeerEntry& entry : PeerList()) {
    if (entry.name == "ours" || entry.name.rfind("limit_", 0) == 0) continue;
    std::unique_ptr<Peer> p = entry.make();
    if (p == nullptr) continue;
    p->Prepare(w);
    if (!p->Ready()) {
      std::printf("%-22s could not start\n", entry.name.c_str());
      continue;
    }
    p->DrawFrame();
    p->ReadFrame(theirs);
    long long count = 0;
    int maxDiff = 0, x0 = BenchWidth, y0 = BenchHeight, x1 = -1, y1 = -1;
    std::vector<uint32_t> picture(ours.size());
    for (int y = 0; y < BenchHeight; ++y)
      for (int x = 0; x < BenchWidth; ++x) {
        const size_t i = static_cast<size_t>(y) * BenchWidth + x;
        const uint32_t a = ours[i] & 0xFFFFFF, b = theirs[i] & 0xFFFFFF;
        picture[i] = (a >> 2) & 0x3F3F3F;
        if (a == b) continue;
        ++count;
        for (int shift = 0; shift < 24; shift += 8)
          maxDiff = std::max(maxDiff, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                               static_cast<int>((b >> shift) & 0xFF)));
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
        picture[i] = 0xFF00FF;
      }
    char box[64] = "none";
    if (count > 0) std::snprintf(box, sizeof box, "(%d,%d)-(%d,%d)", x0, y0, x1, y1);
    std::printf("%-22s %10lld %7.2f%% %8d  %s\n", entry.name.c_str(), count,
                100.0 * static_cast<double>(count) / (BenchWidth * BenchHeight), maxDiff, box);
    if (!folder.empty()) {
      WritePng(folder + "/" + entry.name + ".png", theirs);
      WritePng(folder + "/" + entry.name + "-diff.png", picture);
    }
  }
  return 0;
}
