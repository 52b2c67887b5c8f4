// A headless window with an open 600 x 580 screen, an empty sprite and quad table and the
// frame cap of the demo, on virtual time; the shell's globals and the particle list cleared.
#pragma once

#include "particles/particles.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "random/random.h"
#include "shell/shell.h"

#include <gtest/gtest.h>

#include <vector>

class ShellTest : public ::testing::Test {
protected:
  static constexpr uint32_t StartMs = 10'000'000;

  void SetUp() override {
    UseVirtualClock(StartMs, 0);
    SetVirtualFrameTicks(16'000);
    Shell = ShellState{};
    ResetRandomGenerator();
    ASSERT_NE(OpenHeadlessScreen(), 0);
    SetFrameCap(1000);
    CreateParticleList();
    Wind = WindVector{1, -1};
  }
  void TearDown() override {
    FreeParticleList();
    CloseHeadlessScreen();
    SetVirtualFrameTicks(0);
    UseRealClock();
  }

  // The nodes of the particle list, front to back.
  static std::vector<const ParticleNode*> Nodes() {
    std::vector<const ParticleNode*> nodes;
    for (const ParticleNode* n = ParticleList.first; n != nullptr; n = n->next)
      nodes.push_back(n);
    return nodes;
  }
};
