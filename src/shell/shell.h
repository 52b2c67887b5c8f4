// The demo shell: start-up and shutdown, the frame loop and the frame-rate meter.
#pragma once

#include <cstdint>

// The shell's globals: signed 32-bit, all 0 at process start.
struct ShellState {
  int32_t ExplosionCount;   // button presses handled so far; reseeds every frame
  int32_t QuitRequested;    // set to 1 by a close request
  int32_t FrameStart;       // timeGetTime() at the start of the current frame
  int32_t SmoothedRate;     // 40 times the smoothed frame rate
  int32_t FramesThisSecond; // frames shown since SecondStart
  int32_t FramesLastSecond; // FramesThisSecond at the last roll-over
  int32_t SecondStart;      // timeGetTime() at the last roll-over; 0 before the first
};
extern ShellState Shell;

int RunDemo(int argc, char** argv);  // start-up, frame loop, shutdown; returns the exit code
void StartUp(int argc, char** argv); // start-up steps up to the first explosion
void RunFrameLoop();                 // frames until a close request has been drained
void RunFrame();                     // one frame of the loop
void ShutDown();                     // quads, sprite system, window, in that order
void UpdateFrameMeter();             // smoothed rate, title and per-second count
// Called by RunFrameLoop after every frame's event drain; null (the default) calls nothing.
using FrameHook = void (*)();
void SetFrameHook(FrameHook hook);
