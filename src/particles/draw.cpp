// DrawParticle: sizes, turns and draws the particle's quad with the particle's blend pair.
#include "particles/particles.h"

#include "platform/platform.h"

#include <cmath>

// The quad is reset to angle 0 and the particle's size before any turn, so nothing of the
// previous particle drawn with the same quad carries over. Sprite 0 draws nothing and
// leaves the device alone; a sprite that names no quad still sets the blend pair.
int DrawParticle(Particle* p) {
  if (p->sprite == 0) return 1;
  PrepareParticleQuad(p);
  // Round to nearest with halves to even: the default rounding mode.
  const auto x = static_cast<int>(std::lrint(p->x));
  const auto y = static_cast<int>(std::lrint(p->y));
  DrawQuad(p->sprite, x, y, p->opacity);
  return 1;
}

void PrepareParticleQuad(const Particle* p) {
  const int q = p->sprite;
  if (q == 0) return;
  RotateQuad(q, 0, 0);
  SetQuadSize(q, p->width, p->height);
  if (p->angle != 0) RotateQuad(q, p->angle, 1);
  SetBlendFactors(p->blendSource, p->blendDestination);
}
