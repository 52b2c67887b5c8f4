// The particle list's cursor rules and the guarantees of the per-frame pass.
#include "particles/particles.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Test procedures: a node's particle carries its id in `sprite` and the value its update
// returns in `opacity`; every call is logged as +id (update) or -id (draw).
std::vector<int> Log;

int LoggedUpdate(Particle* p) {
  Log.push_back(p->sprite);
  return p->opacity;
}

int LoggedDraw(Particle* p) {
  Log.push_back(-p->sprite);
  return 0;
}

class ParticleListTest : public ::testing::Test {
protected:
  void SetUp() override {
    CreateParticleList();
    Log.clear();
  }
  void TearDown() override { FreeParticleList(); }

  // Appends a node with the given id whose update returns keep.
  static ParticleNode* Add(int id, int keep) {
    ParticleNode* n = AddParticleNode();
    n->update = LoggedUpdate;
    n->draw = LoggedDraw;
    n->particle.sprite = id;
    n->particle.opacity = keep;
    return n;
  }

  static std::vector<int> Ids() {
    std::vector<int> ids;
    for (const ParticleNode* n = ParticleList.first; n != nullptr; n = n->next) {
      ids.push_back(n->particle.sprite);
      // Every link must point back.
      if (n->next != nullptr) {
        EXPECT_EQ(n->next->previous, n);
      }
    }
    if (ParticleList.first != nullptr) {
      EXPECT_EQ(ParticleList.first->previous, nullptr);
      EXPECT_EQ(ParticleList.last->next, nullptr);
    }
    return ids;
  }
};

TEST_F(ParticleListTest, NewNodesAreZeroFilledAndAppendedInOrder) {
  ParticleNode* a = AddParticleNode();
  EXPECT_EQ(a->particle.x, 0.0f);
  EXPECT_EQ(a->particle.lifetime, 0);
  EXPECT_EQ(a->update, nullptr);
  a->particle.sprite = 1;
  AddParticleNode()->particle.sprite = 2;
  AddParticleNode()->particle.sprite = 3;
  EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(ParticleList.current, ParticleList.last);
}

TEST_F(ParticleListTest, AddWithNullCursorInsertsAtTheFront) {
  Add(1, 1);
  Add(2, 1);
  ResetParticleList();
  Add(0, 1);
  EXPECT_EQ(Ids(), (std::vector<int>{0, 1, 2}));
}

TEST_F(ParticleListTest, NextStopsAtTheEndAndKeepsTheCursor) {
  EXPECT_EQ(NextParticleNode(), nullptr);
  EXPECT_EQ(ParticleList.current, nullptr);
  Add(1, 1);
  Add(2, 1);
  ResetParticleList();
  EXPECT_EQ(NextParticleNode()->particle.sprite, 1);
  EXPECT_EQ(NextParticleNode()->particle.sprite, 2);
  EXPECT_EQ(NextParticleNode(), nullptr);
  EXPECT_EQ(ParticleList.current, ParticleList.last);
}

TEST_F(ParticleListTest, DeleteMovesTheCursorAsTheTableSays) {
  struct Row {
    const char* name;
    int size;             // nodes 1..size
    int deleted;          // the id deleted
    int currentAfter;     // id of the cursor afterwards, 0 for null
    int nextAfter;        // id NextParticleNode returns afterwards, 0 for null
    std::vector<int> ids; // the list afterwards
  };
  const Row rows[] = {
      {"only", 1, 1, 0, 0, {}},
      {"first", 3, 1, 0, 2, {2, 3}},
      {"last", 3, 3, 2, 0, {1, 2}},
      {"middle", 3, 2, 1, 3, {1, 3}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FreeParticleList();
    for (int id = 1; id <= row.size; ++id)
      Add(id, 1);
    ResetParticleList();
    while (NextParticleNode()->particle.sprite != row.deleted) {
    }
    DeleteCurrentParticleNode();
    const int current = ParticleList.current ? ParticleList.current->particle.sprite : 0;
    EXPECT_EQ(current, row.currentAfter);
    EXPECT_EQ(Ids(), row.ids);
    ParticleNode* next = NextParticleNode();
    EXPECT_EQ(next ? next->particle.sprite : 0, row.nextAfter);
  }
}

TEST_F(ParticleListTest, DeleteWithNullCursorDoesNothing) {
  DeleteCurrentParticleNode();
  Add(1, 1);
  ResetParticleList();
  DeleteCurrentParticleNode();
  EXPECT_EQ(Ids(), (std::vector<int>{1}));
}

TEST_F(ParticleListTest, PassOverAnEmptyListCallsNothing) {
  RunParticlePass();
  EXPECT_TRUE(Log.empty());
  EXPECT_EQ(ParticleList.current, nullptr);
}

TEST_F(ParticleListTest, PassUpdatesThenDrawsOrDeletesEachNodeInOrder) {
  struct Row {
    const char* name;
    std::vector<int> keep; // update result of nodes 1..n
    std::vector<int> log;  // +id update, -id draw
    std::vector<int> ids;  // survivors
  };
  const Row rows[] = {
      {"keeps all, any nonzero keeps", {1, 7, -1}, {1, -1, 2, -2, 3, -3}, {1, 2, 3}},
      {"deletes first", {0, 1, 1}, {1, 2, -2, 3, -3}, {2, 3}},
      {"deletes middle", {1, 0, 1}, {1, -1, 2, 3, -3}, {1, 3}},
      {"deletes last", {1, 1, 0}, {1, -1, 2, -2, 3}, {1, 2}},
      {"deletes only", {0}, {1}, {}},
      {"deletes every node", {0, 0, 0, 0}, {1, 2, 3, 4}, {}},
      {"deletes alternate", {0, 1, 0, 1, 0}, {1, 2, -2, 3, 4, -4, 5}, {2, 4}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FreeParticleList();
    Log.clear();
    for (size_t i = 0; i < row.keep.size(); ++i)
      Add(static_cast<int>(i) + 1, row.keep[i]);
    RunParticlePass();
    EXPECT_EQ(Log, row.log);
    EXPECT_EQ(Ids(), row.ids);
    // The pass leaves the cursor on the last node, or null with an empty list.
    EXPECT_EQ(ParticleList.current, ParticleList.last);
  }
}

TEST_F(ParticleListTest, AppendsAfterAPassGoToTheEnd) {
  struct Row {
    const char* name;
    std::vector<int> keep;
  };
  const Row rows[] = {{"nothing deleted", {1, 1}},
                      {"last deleted", {1, 0}},
                      {"first deleted", {0, 1}},
                      {"all deleted", {0, 0}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FreeParticleList();
    for (size_t i = 0; i < row.keep.size(); ++i)
      Add(static_cast<int>(i) + 1, row.keep[i]);
    RunParticlePass();
    std::vector<int> expected = Ids();
    for (int id = 10; id < 13; ++id) {
      Add(id, 1);
      expected.push_back(id);
    }
    EXPECT_EQ(Ids(), expected);
  }
}

} // namespace
