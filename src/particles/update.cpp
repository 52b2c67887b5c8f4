// UpdateParticle: expiry and fading, then velocity, drag, position and wind. Every result is
// stored as a float in the order written; the arithmetic stays in single precision.
#include "particles/particles.h"

#include "platform/platform.h"
#include "sprites/sprites.h"

int UpdateParticle(Particle* p) {
  if (p->lifetime != 0) {
    // A wrapping difference, so expiry keeps working across the 2^32 wrap of the tick.
    const auto elapsed = static_cast<int32_t>(GetTickCount() - static_cast<uint32_t>(p->bornAt));
    if (elapsed > p->lifetime) {
      if (p->opacity == 0 || p->fadeStep == 0) return 0;
      if (p->sprite == SpriteSmoke) p->sprite = SpriteSmokePale;
      if (p->sprite == SpriteSmokePale && p->opacity < 10) p->sprite = SpriteSmokePaler;
      p->opacity -= p->fadeStep;
    }
  }
  p->velocityX = p->velocityX + p->accelerationX / 100.0f;
  p->velocityY = p->velocityY + p->accelerationY / 100.0f;
  if (p->drag != 0.0f) {
    p->velocityX = p->velocityX / p->drag;
    p->velocityY = p->velocityY / p->drag;
  }
  p->x = (p->x + p->velocityX) + p->windFactor * static_cast<float>(Wind.x);
  p->y = (p->y + p->velocityY) + p->windFactor * static_cast<float>(Wind.y);
  return 1;
}
