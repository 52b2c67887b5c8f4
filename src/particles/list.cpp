// The one global particle list: a doubly linked list with a cursor, and the per-frame pass.
#include "particles/particles.h"

#include <cstdlib>

ParticleListState ParticleList{};
WindVector Wind{};

void CreateParticleList() {
  ParticleList = ParticleListState{};
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
  l.current = n;
  if (n->previous == nullptr) l.first = n;
  if (n->next == nullptr) l.last = n;
  return n;
}

void ResetParticleList() {
  ParticleList.current = nullptr;
}

ParticleNode* NextParticleNode() {
  ParticleListState& l = ParticleList;
  if (l.current == nullptr) {
    l.current = l.first;
    return l.current;
  }
  if (l.current->next == nullptr) return nullptr;
  l.current = l.current->next;
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
  std::free(n);
}

void RunParticlePass() {
  ResetParticleList();
  for (ParticleNode* n = NextParticleNode(); n != nullptr; n = NextParticleNode()) {
    if (n->update(&n->particle) != 0) {
      n->draw(&n->particle);
    } else {
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
  ParticleList = ParticleListState{};
}

int CountParticleNodes() {
  int count = 0;
  for (const ParticleNode* n = ParticleList.first; n != nullptr; n = n->next)
    ++count;
  return count;
}
