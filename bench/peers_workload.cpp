// Builds the workloads from the demo's sprites and the corner geometry of our RotateQuad.
#include "peers_common.h"

#include "platform/platform.h"
#include "platform/quads.h"
#include "random/random.h"
#include "sprites/sprites.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

struct BenchSceneState {
  bool started;
  std::map<int, Workload> workloads;
  std::map<int, BenchTexture> textures;
};
BenchSceneState Scene;

// Pixels whose centre lies inside one of the quad's two triangles, on screen.
int64_t CountCovered(const WorkDraw& d) {
  const float minX = std::min({d.cornerX[0], d.cornerX[1], d.cornerX[2], d.cornerX[3]});
  const float maxX = std::max({d.cornerX[0], d.cornerX[1], d.cornerX[2], d.cornerX[3]});
  const float minY = std::min({d.cornerY[0], d.cornerY[1], d.cornerY[2], d.cornerY[3]});
  const float maxY = std::max({d.cornerY[0], d.cornerY[1], d.cornerY[2], d.cornerY[3]});
  const int x0 = std::max(0, static_cast<int>(std::floor(minX)));
  const int x1 = std::min(BenchWidth - 1, static_cast<int>(std::ceil(maxX)));
  const int y0 = std::max(0, static_cast<int>(std::floor(minY)));
  const int y1 = std::min(BenchHeight - 1, static_cast<int>(std::ceil(maxY)));
  auto inside = [&](int a, int b, int c, float px, float py) {
    const float ax = d.cornerX[a], ay = d.cornerY[a], bx = d.cornerX[b], by = d.cornerY[b];
    const float cx = d.cornerX[c], cy = d.cornerY[c];
    const float e0 = (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    const float e1 = (cx - bx) * (py - by) - (cy - by) * (px - bx);
    const float e2 = (ax - cx) * (py - cy) - (ay - cy) * (px - cx);
    return (e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0);
  };
  int64_t n = 0;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      const float px = x + 0.5f, py = y + 0.5f;
      if (inside(0, 1, 2, px, py) || inside(1, 3, 2, px, py)) ++n;
    }
  return n;
}

WorkDraw MakeDraw(int quad, int pair, bool rotated) {
  WorkDraw d{};
  d.quad = quad;
  d.pair = pair;
  d.x = RandomUpTo(600);
  d.y = RandomUpTo(600);
  d.rotated = rotated;
  d.angle = rotated ? RandomUpTo(359) : 0;
  SetQuadSize(quad, 64, 64);
  if (rotated) RotateQuad(quad, d.angle, 0);
  const Quad* q = FindQuad(quad);
  for (int i = 0; i < 4; ++i) {
    d.cornerX[i] = q != nullptr ? q->vertices[i].x + static_cast<float>(d.x) : 0;
    d.cornerY[i] = q != nullptr ? q->vertices[i].y + static_cast<float>(d.y) : 0;
  }
  return d;
}

} // namespace

void StartBenchScene() {
  if (Scene.started) return;
  Scene.started = true;
  UseVirtualClock(10'000'000, 0);
  StartWindowSystem(0, nullptr);
  const intptr_t window = OpenMainWindow(0, 0, 0, 600, 600, WindowCentred, "bench");
  StartSpriteSystem();
  StartQuadSystem();
  EnablePngDecoding();
  OpenScreenInWindow(window, 0, 0, BenchWidth, BenchHeight, 0, 0, 0);
  LoadSpriteSet();
  MakePaleSmoke();
  CreateSpriteQuads();
  for (const int s : {0, 1, 2, 6, 7, 8}) {
    BenchTexture t{};
    t.width = GetSpriteWidth(s);
    t.height = GetSpriteHeight(s);
    const SpriteRecord* r = FindSprite(s);
    if (r != nullptr) {
      t.pixels = r->pixels;
      t.key = r->colourKey;
    }
    Scene.textures[s] = t;
  }
}

const BenchTexture& GetTexture(int sprite) {
  StartBenchScene();
  return Scene.textures[sprite];
}

const Workload& GetWorkload(int quads) {
  StartBenchScene();
  auto found = Scene.workloads.find(quads);
  if (found != Scene.workloads.end()) return found->second;
  Workload w{};
  SeedRandom(20261211);
  const int smokeQuads[3] = {1, 6, 7};
  while (static_cast<int>(w.draws.size()) < quads) {
    w.draws.push_back(MakeDraw(8, PairMultiply, true));
    for (int i = 0; i < 11; ++i)
      w.draws.push_back(MakeDraw(2, PairAdd, false));
    for (int i = 0; i < 22; ++i)
      w.draws.push_back(MakeDraw(smokeQuads[i % 3], PairMultiply, i % 2 == 0));
  }
  w.draws.resize(static_cast<size_t>(quads));
  for (const WorkDraw& d : w.draws)
    w.coveredPixels += CountCovered(d);
  return Scene.workloads[quads] = w;
}

const char* PairName(int pair) {
  return pair == PairMultiply ? "1/3" : "3/2";
}
