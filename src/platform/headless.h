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
