// The renderer's shortcuts (the kept picture of the frame's unchanging front, the corner
// table) against the plain path: over a long run of the real frame loop with many
// explosions, every presented frame must be the same, also when something the kept picture
// depends on changes in the middle of the run.
#include "platform/quads.h"
#include "shell_fixture.h"
#include "sprites/sprites.h"

#include <cctype>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>

namespace {

constexpr int Frames = 240;
constexpr int DisturbAt = 190; // by then the first explosions have left their scorches
constexpr int PressEvery = 20;
constexpr int LastPress = 120; // the last explosions are gone before the end, so the run
                               // ends the frame

std::vector<uint64_t> FrameHashes;

// FNV-1a over the whole frame.
void HashPresentedFrame(const uint32_t* pixels, int width, int height) {
  uint64_t hash = 14695981039346656037ull;
  const auto* bytes = reinterpret_cast<const unsigned char*>(pixels);
  for (size_t i = 0; i < static_cast<size_t>(width) * height * 4; ++i) {
    hash ^= bytes[i];
    hash *= 1099511628211ull;
  }
  // The quads and the device as the frame left them: the next draws start from them.
  for (int q = 1; q <= SpriteScorch; ++q) {
    const Quad* quad = FindQuad(q);
    if (quad == nullptr) continue;
    unsigned char state[sizeof quad->vertices + 3 * sizeof(int16_t)];
    std::memcpy(state, quad->vertices, sizeof quad->vertices);
    std::memcpy(state + sizeof quad->vertices, &quad->width, sizeof(int16_t));
    std::memcpy(state + sizeof quad->vertices + 2, &quad->height, sizeof(int16_t));
    std::memcpy(state + sizeof quad->vertices + 4, &quad->angle, sizeof(int16_t));
    for (const unsigned char b : state) {
      hash ^= b;
      hash *= 1099511628211ull;
    }
  }
  const QuadDeviceState device = InspectQuadDevice();
  hash ^= static_cast<uint64_t>(device.blendSource) << 32 |
          static_cast<uint32_t>(device.blendDestination);
  FrameHashes.push_back(hash);
}

ParticleNode* NodeAt(int index) {
  ResetParticleList();
  ParticleNode* n = nullptr;
  for (int i = 0; i <= index; ++i)
    n = NextParticleNode();
  return n;
}

struct Disturbance {
  const char* name;
  std::function<void()> apply; // after frame DisturbAt
  std::function<void()> undo;  // after frame DisturbAt + 1, or null
};

const Disturbance Disturbances[] = {
    {"nothing", [] {}, nullptr},
    {"a scorch texel changes",
     [] {
       BeginPixelAccess(SpriteScorch);
       WritePixel(30, 30, 0x0000FF);
       EndPixelAccess();
     },
     nullptr},
    {"a ground texel changes",
     [] {
       BeginPixelAccess(SpriteGround);
       WritePixel(0, 0, 0xFFFFFF);
       EndPixelAccess();
     },
     nullptr},
    {"the scorch key changes", [] { SetSpriteColourKey(SpriteScorch, 255, 255, 255); }, nullptr},
    {"a settled node is deleted",
     [] {
       NodeAt(1);
       DeleteCurrentParticleNode();
     },
     nullptr},
    {"a scorch is inserted inside the settled run",
     [] {
       NodeAt(0);
       ParticleNode* n = AddParticleNode();
       n->update = UpdateParticle;
       n->draw = DrawParticle;
       n->particle = NodeAt(2)->particle;
       n->particle.x += 40;
       n->particle.angle = 77;
     },
     nullptr},
    {"a settled record is moved by hand",
     [] {
       NodeAt(0)->particle.y -= 25;
       ForgetSettledParticles();
     },
     nullptr},
    {"the wind turns",
     [] {
       Wind = WindVector{-3, 2};
     },
     nullptr},
    {"three frames cannot begin their quads", [] { SetBeginQuadsFailure(true); },
     [] { SetBeginQuadsFailure(false); }},
    {"the glow quad is left turned", [] { RotateQuad(SpriteGlow, 45, 1); }, nullptr},
    {"the ground is gone for three frames",
     [] {
       DuplicateSprite(SpriteGround, 40, SpriteModePlain),
           LoadSpriteFromMemory(SpriteGround, nullptr, 0);
     },
     [] { DuplicateSprite(40, SpriteGround, SpriteModePlain); }},
    {"the screen is read between frames", [] { ScreenPixels()[1000] = 0x123456; }, nullptr},
};

class ShortcutTest : public ShellTest, public ::testing::WithParamInterface<size_t> {
protected:
  void SetUp() override {
    ShellTest::SetUp();
    SetVirtualFrameTicks(40'000); // 40 ms frames: the first explosions settle within the run
    ASSERT_EQ(EnablePngDecoding(), 1);
    LoadSpriteSet();
    MakePaleSmoke();
    CreateSpriteQuads();
  }
  void TearDown() override {
    SetHeadlessPresentHook(nullptr);
    UsePlainRenderer(false);
    SetBeginQuadsFailure(false);
    ShellTest::TearDown();
  }

  // Runs the frames from a fresh start and returns every presented frame's hash.
  std::vector<uint64_t> Run(const Disturbance& d, bool plain) {
    FreeParticleList();
    CreateParticleList();
    ClearSpriteTableForRun();
    Shell = ShellState{};
    Wind = WindVector{1, -1};
    ResetRandomGenerator();
    UsePlainRenderer(plain);
    FrameHashes.clear();
    FrameHashes.reserve(Frames);
    SetHeadlessPresentHook(HashPresentedFrame);
    for (int frame = 1; frame <= Frames; ++frame) {
      if (frame % PressEvery == 1 && frame < LastPress) QueueHeadlessEvent(EventButton);
      if (frame == 100) {
        QueueHeadlessEvent(EventButton);
        QueueHeadlessEvent(EventButton);
      }
      RunFrame();
      if (frame == DisturbAt) d.apply();
      if (frame == DisturbAt + 3 && d.undo) d.undo();
    }
    SetHeadlessPresentHook(nullptr);
    return FrameHashes;
  }

  // Each run starts from the sprites as loaded, whatever the run before changed.
  static void ClearSpriteTableForRun() {
    LoadSpriteSet();
    MakePaleSmoke();
    CreateSpriteQuads();
  }
};

TEST_P(ShortcutTest, EveryFrameIsTheSameAsOnThePlainPath) {
  const Disturbance& d = Disturbances[GetParam()];
  const std::vector<uint64_t> plain = Run(d, true);
  const uint64_t usesBefore = KeptPictureUses();
  const std::vector<uint64_t> fast = Run(d, false);
  ASSERT_EQ(plain.size(), static_cast<size_t>(Frames));
  ASSERT_EQ(fast.size(), plain.size());
  for (size_t i = 0; i < plain.size(); ++i)
    ASSERT_EQ(fast[i], plain[i]) << "frame " << i + 1;
  // The shortcut was really taken, before and after the disturbance.
  EXPECT_GT(KeptPictureUses() - usesBefore, 20u);
  EXPECT_GT(ParticleList.settledCount, 3);
}

INSTANTIATE_TEST_SUITE_P(Disturbances, ShortcutTest,
                         ::testing::Range<size_t>(0, std::size(Disturbances)),
                         [](const ::testing::TestParamInfo<size_t>& param) {
                           std::string name;
                           for (const char* c = Disturbances[param.param].name; *c != 0; ++c)
                             if (std::isalnum(static_cast<unsigned char>(*c)) != 0) name += *c;
                           return name;
                         });

} // namespace
