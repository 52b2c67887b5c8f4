// DrawParticle: draws nothing until the renderer lands.
#include "particles/particles.h"

int DrawParticle(Particle*) {
  return 1;
}
