// The one global particle list: a doubly linked list with a cursor, and the per-frame pass.
#include "particles/particles.h"

#include "platform/platform.h"

#include <cstdlib>
#include <cstring>

ParticleListState ParticleList{};
WindVector Wind{};

namespace {

// Run numbers are never used twice in a process, so a picture the renderer kept for an
// earlier list or an earlier run can never be taken for the present one.
uint64_t LastRunNumber = 0;

// The run keeps only its first `count` nodes, the last of them `last`, under a new number.
void CutSettledRun(int32_t count, ParticleNode* last) {
  ParticleListState& l = ParticleList;
  l.settledCount = count;
  l.settledLast = count > 0 ? last : nullptr;
  l.settledRun = ++LastRunNumber;
}

void ResetListState() {
  ParticleList = ParticleListState{};
  CutSettledRun(0, nullptr);
}

// A node may join the run when nothing but its record could change what it draws: the
// plain procedures, no expiry (so the clock plays no part), the run's quad.
bool MaySettle(const ParticleNode* n) {
  const ParticleListState& l = ParticleList;
  const Particle& p = n->particle;
  if (n->update != UpdateParticle || n->draw != DrawParticle) return false;
  if (p.lifetime != 0 || p.sprite == 0) return false;
  return l.settledLast == nullptr || l.settledLast->particle.sprite == p.sprite;
}

bool SameWind(const WindVector& a, const WindVector& b) {
  return a.x == b.x && a.y == b.y;
}

// The settled run at the front: the renderer supplies what it kept of it; the rest of the
// run is drawn as usual. The quad and blend settings that the skipped draws would have left
// are made again from the last skipped node, whose draw would have made them last.
void DrawSettledRun() {
  ParticleListState& l = ParticleList;
  const int supplied = BeginSettledDraws(l.settledRun, l.settledCount);
  if (supplied > 0) {
    ParticleNode* lastSkipped = nullptr;
    if (l.handedRun == l.settledRun && l.handedCount == supplied) {
      lastSkipped = l.handedLast;
    } else {
      lastSkipped = l.first;
      for (int i = 1; i < supplied; ++i)
        lastSkipped = lastSkipped->next;
    }
    PrepareParticleQuad(&lastSkipped->particle);
    l.current = lastSkipped;
    l.currentIndex = supplied - 1;
  }
  while (l.currentIndex < l.settledCount - 1) {
    ParticleNode* n = NextParticleNode();
    n->update(&n->particle); // a settled record stays as it is
    n->draw(&n->particle);
  }
  EndSettledDraws();
  l.handedLast = l.settledLast;
  l.handedCount = l.settledCount;
  l.handedRun = l.settledRun;
}

} // namespace

void CreateParticleList() {
  ResetListState();
}

void ForgetSettledParticles() {
  CutSettledRun(0, nullptr);
}

ParticleNode* AddParticleNode() {
  // One zero-filled allocation per node; an out-of-memory abort is the only way this fails.
  auto* n = static_cast<ParticleNode*>(std::calloc(1, sizeof(ParticleNode)));
  if (n == nullptr) std::abort();
  ParticleListState& l = ParticleList;
  if (l.current == nullptr) {
    n->next = l.first;
    n->previous = nullptr;
    if (l.first != nullptr) l.first->previous = n;
  } else {
    n->previous = l.current;
    n->next = l.current->next;
    if (n->next != nullptr) n->next->previous = n;
    l.current->next = n;
  }
  const int32_t index = l.current == nullptr ? 0 : l.currentIndex + 1;
  l.current = n;
  l.currentIndex = index;
  if (n->previous == nullptr) l.first = n;
  if (n->next == nullptr) l.last = n;
  if (index < l.settledCount) CutSettledRun(index, n->previous);
  return n;
}

void ResetParticleList() {
  ParticleList.current = nullptr;
  ParticleList.currentIndex = -1;
}

ParticleNode* NextParticleNode() {
  ParticleListState& l = ParticleList;
  if (l.current == nullptr) {
    l.current = l.first;
    if (l.current != nullptr) l.currentIndex = 0;
    return l.current;
  }
  if (l.current->next == nullptr) return nullptr;
  l.current = l.current->next;
  ++l.currentIndex;
  return l.current;
}

// The cursor moves to the predecessor (null for the first node), so that the next step of
// the walk yields the node that followed the deleted one.
void DeleteCurrentParticleNode() {
  ParticleListState& l = ParticleList;
  ParticleNode* n = l.current;
  if (n == nullptr) return;
  if (n->previous != nullptr) {
    n->previous->next = n->next;
  } else {
    l.first = n->next;
  }
  if (n->next != nullptr) {
    n->next->previous = n->previous;
  } else {
    l.last = n->previous;
  }
  l.current = n->previous;
  const int32_t index = l.currentIndex;
  l.currentIndex = index - 1;
  if (index < l.settledCount) CutSettledRun(index, n->previous);
  std::free(n);
}

// Every node is updated and then drawn or deleted, front to back. Nodes right behind the
// settled run that have come to rest join it.
void RunParticlePass() {
  ParticleListState& l = ParticleList;
  ResetParticleList();
  if (l.settledCount > 0 && !SameWind(l.settledWind, Wind)) ForgetSettledParticles();
  if (l.settledCount > 0) DrawSettledRun();
  bool joining = true;
  for (ParticleNode* n = NextParticleNode(); n != nullptr; n = NextParticleNode()) {
    bool unchanged = false; // only asked of a node that may join the run
    int keep = 0;
    if (joining && l.currentIndex == l.settledCount && MaySettle(n)) {
      const Particle before = n->particle;
      keep = n->update(&n->particle);
      unchanged = std::memcmp(&before, &n->particle, sizeof(Particle)) == 0;
    } else {
      keep = n->update(&n->particle);
    }
    if (keep != 0) {
      if (unchanged) {
        if (l.settledCount == 0) l.settledWind = Wind;
        l.settledLast = n;
        ++l.settledCount;
      } else {
        joining = false;
      }
      n->draw(&n->particle);
    } else {
      joining = false;
      DeleteCurrentParticleNode();
    }
  }
}

void FreeParticleList() {
  ParticleNode* n = ParticleList.first;
  while (n != nullptr) {
    ParticleNode* next = n->next;
    std::free(n);
    n = next;
  }
  ResetListState();
}

int CountParticleNodes() {
  int count = 0;
  for (const ParticleNode* n = ParticleList.first; n != nullptr; n = n->next)
    ++count;
  return count;
}
