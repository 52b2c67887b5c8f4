// SpawnExplosion: one scorch, then eleven groups of a glow and two smoke puffs, with the
// random draws in a fixed order so that every explosion is reproducible from the seed.
#include "particles/particles.h"

#include "platform/platform.h"
#include "random/random.h"
#include "sprites/sprites.h"

namespace {

ParticleNode* AddExplosionNode() {
  ParticleNode* n = AddParticleNode();
  n->update = UpdateParticle;
  n->draw = DrawParticle;
  return n;
}

} // namespace

void SpawnExplosion(int32_t x, int32_t y) {
  Particle& scorch = AddExplosionNode()->particle;
  scorch.sprite = SpriteScorch;
  scorch.blendSource = BlendZero;
  scorch.blendDestination = BlendSrcColor;
  scorch.x = static_cast<float>(x);
  scorch.y = static_cast<float>(y);
  scorch.width = 64;
  scorch.height = 64;
  scorch.angle = RandomUpTo(359);

  for (int group = 0; group < 11; ++group) {
    Particle& glow = AddExplosionNode()->particle;
    glow.sprite = SpriteGlow;
    glow.blendSource = BlendSrcColor;
    glow.blendDestination = BlendOne;
    glow.x = static_cast<float>(x);
    glow.y = static_cast<float>(y);
    glow.velocityX = static_cast<float>(RandomUpTo(6) - 3.0);
    glow.velocityY = static_cast<float>(RandomUpTo(6) - 3.0);
    glow.drag = 1.1f;
    glow.bornAt = static_cast<int32_t>(GetTickCount());
    glow.lifetime = RandomUpTo(50) + 100;
    glow.width = 64;
    glow.height = 64;

    for (int puff = 0; puff < 2; ++puff) {
      Particle& smoke = AddExplosionNode()->particle;
      smoke.sprite = SpriteSmoke;
      smoke.blendSource = BlendZero;
      smoke.blendDestination = BlendSrcColor;
      smoke.x = static_cast<float>(x + (RandomUpTo(10) - 5.0));
      smoke.y = static_cast<float>(y + (RandomUpTo(10) - 5.0));
      smoke.velocityX = static_cast<float>(RandomUpTo(20) - 10.0);
      smoke.velocityY = static_cast<float>(RandomUpTo(20) - 10.0);
      smoke.opacity = 60;
      smoke.fadeStep = 2;
      smoke.drag = 1.28f;
      smoke.windFactor = 0.2f;
      smoke.bornAt = static_cast<int32_t>(GetTickCount());
      smoke.lifetime = RandomUpTo(2500) + 500;
      smoke.width = 64;
      smoke.height = 64;
      smoke.angle = RandomUpTo(359);
    }
  }
}
