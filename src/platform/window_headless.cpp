// A window back end with no display: events come from a queue that tests and the recorder
// fill, and presented frames go to an optional hook.
#include "platform/headless.h"
#include "platform/platform.h"

#include <deque>

namespace {

struct HeadlessWindowState {
  bool open;               // a window is open
  bool hasButton;          // the push button exists
  intptr_t controlParent;  // window that new controls go into
  std::string title;       // the title text
  std::deque<int> events;  // queued event codes
  PresentHook presentHook; // receives every shown frame, or null
};
HeadlessWindowState Window{};

// The one window's handle; any nonzero value serves.
constexpr intptr_t MainWindowHandle = 1;
constexpr intptr_t ButtonHandle = 2;

} // namespace

void StartWindowSystem(int, char**) {
  const PresentHook hook = Window.presentHook;
  Window = HeadlessWindowState{};
  Window.presentHook = hook;
}

intptr_t OpenMainWindow(int number, int, int, int width, int height, uint32_t, const char* title) {
  if (number != 0 || width <= 0 || height <= 0) return 0;
  Window.open = true;
  Window.title = title != nullptr ? title : "";
  return MainWindowHandle;
}

intptr_t CurrentWindowHandle() {
  return Window.open ? MainWindowHandle : 0;
}

void SetControlParent(intptr_t handle) {
  Window.controlParent = handle;
}

intptr_t AddPushButton(int, int, int, int width, int height, const char*) {
  if (Window.controlParent != MainWindowHandle || !Window.open || width <= 0 || height <= 0)
    return 0;
  Window.hasButton = true;
  return ButtonHandle;
}

int PollWindowEvent() {
  if (Window.events.empty()) return 0;
  const int code = Window.events.front();
  Window.events.pop_front();
  return code;
}

void SetMainWindowTitle(int number, const char* text) {
  if (number != 0 || !Window.open) return;
  Window.title = text != nullptr ? text : "";
}

void CloseMainWindow() {
  Window.open = false;
  Window.hasButton = false;
}

void StopWindowSystem() {
  Window.events.clear();
}

int AttachScreenToWindow(intptr_t window, int, int, int width, int height) {
  return window == MainWindowHandle && Window.open && width > 0 && height > 0 ? 1 : 0;
}

void ShowScreenImage(const uint32_t* pixels, int width, int height) {
  if (Window.presentHook != nullptr) Window.presentHook(pixels, width, height);
}

void DetachScreen() {}

void QueueHeadlessEvent(int code) {
  Window.events.push_back(code);
}

int PendingHeadlessEvents() {
  return static_cast<int>(Window.events.size());
}

const std::string& HeadlessWindowTitle() {
  return Window.title;
}

bool HeadlessWindowOpen() {
  return Window.open;
}

void SetHeadlessPresentHook(PresentHook hook) {
  Window.presentHook = hook;
}

intptr_t OpenHeadlessScreen() {
  StartWindowSystem(0, nullptr);
  const intptr_t window = OpenMainWindow(0, 0, 0, 600, 600, WindowCentred, "");
  StartSpriteSystem();
  StartQuadSystem();
  return OpenScreenInWindow(window, 0, 0, 600, 580, 0, 0, 0) == 1 ? window : 0;
}

void CloseHeadlessScreen() {
  EndQuads();
  FreeAllQuads();
  StopSpriteSystem();
  CloseMainWindow();
  StopWindowSystem();
}
