// The particle engine: the particle record, the one global list with its cursor and its
// per-frame pass, the update and draw procedures, and the explosion emitter.
#pragma once

#include <cstdint>

// ---- Records ----
struct Particle {
  int32_t sprite;           // quad number to draw (0: nothing is drawn)
  int32_t blendSource;      // source blend factor code of the draw
  int32_t blendDestination; // destination blend factor code of the draw
  float x;                  // pixels, top-left corner of the quad before rotation
  float y;                  // pixels, growing downwards
  float velocityX;          // pixels per update
  float velocityY;          // pixels per update
  float accelerationX;      // hundredths of a pixel per update, added to velocityX
  float accelerationY;      // hundredths of a pixel per update, added to velocityY
  float drag;               // the velocity is divided by it every update; 0: no drag
  int32_t bornAt;           // GetTickCount() when filled, milliseconds
  int32_t lifetime;         // milliseconds after bornAt until expiry; 0: never expires
  float windFactor;         // multiplier of Wind added to the position every update
  int32_t width;            // displayed quad width, pixels
  int32_t height;           // displayed quad height, pixels
  int32_t angle;            // rotation in whole degrees, clockwise on screen
  int32_t opacity;          // vertex alpha 0..255, also the fade counter
  int32_t fadeStep;         // subtracted from opacity per update after expiry; 0: delete
};

// A particle procedure: not 0 keeps the node, 0 has the pass delete it.
using ParticleProcedure = int (*)(Particle*);

struct ParticleNode {
  ParticleNode* next;       // toward the end of the list, null at the last node
  ParticleNode* previous;   // toward the front, null at the first node
  ParticleProcedure update; // called once per pass
  ParticleProcedure draw;   // called after a nonzero update
  Particle particle;        // the record the procedures change in place
};

// The global wind, in pixels per update before windFactor; start-up sets it to (1, -1).
struct WindVector {
  int32_t x;
  int32_t y;
};
extern WindVector Wind;

// The settled run is the stretch of nodes at the front of the list that no longer change:
// each is drawn by DrawParticle with the same quad, never expires, and its update leaves its
// record exactly as it was. Their draws repeat every frame, so the pass lets the renderer
// supply them from the picture it kept (BeginSettledDraws). The list operations shorten the
// run when they insert or delete inside it; whoever changes a record by hand calls
// ForgetSettledParticles.
struct ParticleListState {
  ParticleNode* first;       // null when empty
  ParticleNode* last;        // null when empty
  ParticleNode* current;     // the cursor: a node of the list, or null
  int32_t currentIndex = -1; // the cursor's position from the front, -1 when null
  ParticleNode* settledLast; // the last node of the settled run, null when it is empty
  int32_t settledCount;      // nodes in the settled run
  uint64_t settledRun;       // names the run; a new number whenever it is cut short
  WindVector settledWind;    // the wind the run's updates were checked with
  ParticleNode* handedLast;  // the run's last node when the renderer last saw all of it
  int32_t handedCount;       // and its length then
  uint64_t handedRun;        // and its number
};
extern ParticleListState ParticleList;

// ---- The list ----
void CreateParticleList();        // the list empty, cursor null (frees nothing)
ParticleNode* AddParticleNode();  // zero-filled node after the cursor; becomes the cursor
void ResetParticleList();         // cursor null: the next step yields the first node
ParticleNode* NextParticleNode(); // advances the cursor; null at the end (cursor stays)
void DeleteCurrentParticleNode(); // unlinks and frees the cursor's node; nothing if null
void RunParticlePass();           // update each node, then draw it or delete it
void FreeParticleList();          // frees every node; for tests and leak checks only
int CountParticleNodes();         // nodes in the list, front to back
void ForgetSettledParticles();    // empties the settled run; the next passes find it again

// ---- Particle procedures ----
int UpdateParticle(Particle* p); // expiry, fading, motion; 0 asks for deletion
int DrawParticle(Particle* p);   // sizes, rotates and draws the particle's quad; always 1
void PrepareParticleQuad(const Particle* p); // DrawParticle's quad and blend settings, no draw

// ---- The emitter ----
void SpawnExplosion(int32_t x, int32_t y); // appends 34 nodes using 166 random draws
