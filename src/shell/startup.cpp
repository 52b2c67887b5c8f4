// Start-up and shutdown of the demo: the window, the screen, the sprite set and the first
// explosion, and their release in reverse dependency order.
#include "particles/particles.h"
#include "platform/platform.h"
#include "shell/shell.h"
#include "sprites/sprites.h"

namespace {

constexpr uint32_t MainWindowFlags = 0x00CA0000 | WindowCentred; // title, menu, minimise box

} // namespace

// Nothing here tests a result: a window that fails to open leaves no screen, and the frame
// loop then draws into nothing and still runs.
void StartUp(int argc, char** argv) {
  Shell = ShellState{};
  StartWindowSystem(argc, argv);
  CreateParticleList();
  Wind = WindVector{1, -1};
  StartSpriteSystem();
  StartQuadSystem();
  EnablePngDecoding();
  const intptr_t window = OpenMainWindow(0, 0, 0, 600, 600, MainWindowFlags, "");
  OpenScreenInWindow(window, 0, 0, 600, 580, 0, 0, 0);
  SetControlParent(CurrentWindowHandle());
  AddPushButton(0, 0, 580, 600, 20, "Next Explosion");
  SetFrameCap(1000);
  LoadSpriteSet();
  MakePaleSmoke();
  CreateSpriteQuads();
  // The generator is not seeded yet: it seeds itself from the tick, so this one explosion
  // differs from run to run.
  SpawnExplosion(30, 30);
}

void ShutDown() {
  FreeAllQuads();
  StopSpriteSystem();
  CloseMainWindow();
  StopWindowSystem();
}

int RunDemo(int argc, char** argv) {
  StartUp(argc, argv);
  RunFrameLoop();
  ShutDown();
  return 0;
}
