// The headless window back end: a window without a display, for tests and the recorder.
// Events are queued by hand, and the last shown image and title are kept for inspection.
#pragma once

#include <cstdint>
#include <string>

void QueueHeadlessEvent(int code);        // PollWindowEvent returns it, in queue order
int PendingHeadlessEvents();              // events queued and not yet polled
const std::string& HeadlessWindowTitle(); // the title last set, "" before any
bool HeadlessWindowOpen();                // true between OpenMainWindow and CloseMainWindow
// Called by ShowScreenImage with every presented frame; null turns it off.
using PresentHook = void (*)(const uint32_t* pixels, int width, int height);
void SetHeadlessPresentHook(PresentHook hook);
// For tests, benchmarks and tools that draw without the demo's start-up: a headless window
// with the 600 x 580 screen open at its top and the sprite and quad systems started. Returns
// the window's handle, or 0 when the screen could not be opened.
intptr_t OpenHeadlessScreen();
void CloseHeadlessScreen(); // ends any quad phase and releases everything, in shutdown order
