// The platform layer: clocks, the window with its button and events, the screen with its
// back buffer and presentation, sprites with pixel access, and quads drawn by our own
// software renderer. Only the window back ends include Qt; everything else runs, and is
// tested, without a window.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Clock: every reading of time in the program goes through here ----
uint32_t GetTickCount();          // system tick in milliseconds, wrapping at 2^32
uint32_t timeGetTime();           // multimedia timer in milliseconds, wrapping at 2^32
int64_t ReadPerformanceCounter(); // high-resolution counter, in ticks
int64_t PerformanceFrequency();   // ticks per second of that counter (never 0)
void UseRealClock();              // real time from the monotonic clock (the default)
void UseVirtualClock(uint32_t startMs, int64_t startTicks); // stopped time, moved only by hand
bool ClockIsVirtual();                                      // true while virtual time is in force
void AdvanceVirtualClock(int64_t ticks);  // moves every virtual clock forward together
void SetVirtualMilliseconds(uint32_t ms); // sets both millisecond clocks; the counter stays
int64_t ReadWallNanoseconds();            // monotonic wall time for measurements; never virtual

// ---- Window, button and events (a Qt back end and a headless one implement these) ----
enum : int { EventClose = 16, EventButton = 13100 };
enum : uint32_t { WindowCentred = 1 };
void StartWindowSystem(int argc, char** argv); // prepares the window and control facilities
intptr_t OpenMainWindow(int number, int x, int y, int width, int height, uint32_t flags,
                        const char* title); // shows the window; returns its handle or 0
intptr_t CurrentWindowHandle();             // handle of the most recently opened window, or 0
void SetControlParent(intptr_t handle);     // later controls become children of this window
intptr_t AddPushButton(int number, int x, int y, int width, int height,
                       const char* text); // returns the button's handle or 0
int PollWindowEvent();                    // never waits: 0 when empty, else one event code
void SetMainWindowTitle(int number, const char* text); // nothing when there is no such window
void CloseMainWindow();                                // closes and destroys the window
void StopWindowSystem();                               // releases the window facilities
// Used by the screen only: where the back buffer is shown, and showing it.
int AttachScreenToWindow(intptr_t window, int x, int y, int width, int height); // 1 or 0
void ShowScreenImage(const uint32_t* pixels, int width, int height); // keeps it for repaints
void DetachScreen(); // the window repaints its client area without the screen

// ---- Screen, presentation and frame cap ----
int StartSpriteSystem(); // empty sprite table, default key black; 1 on success
void StopSpriteSystem(); // releases the renderer, every sprite and the screen
int OpenScreenInWindow(intptr_t window, int x, int y, int width, int height, int autoStretch,
                       int rightMargin, int bottomMargin); // back buffer filled black; 1 or 0
int SetFrameCap(int n);                    // period = frequency / (n + 1); 1, or 0 without counter
void PresentFrame(int waitForRaster);      // waits for the cap, then shows the back buffer
void SetVirtualFrameTicks(int64_t ticks);  // virtual time: least ticks between presentations
int32_t FrameCapPeriod();                  // counter ticks of the current cap's period
void DrawSprite(int sprite, int x, int y); // opaque, clipped copy into the back buffer
uint32_t* ScreenPixels();                  // the back buffer, row by row; null without a screen
int ScreenWidth();                         // 0 without a screen
int ScreenHeight();                        // 0 without a screen

// ---- Sprites and pixel access ----
// A pixel, and a Colour, is 32 bits: red in the low byte, then green, then blue, top byte 0.
using Colour = uint32_t;
enum : int { SpriteModePlain = 0, SpriteModeTexture = 4 };
enum : int { MaxSpriteNumber = 1023 }; // numbers outside 0..MaxSpriteNumber hold nothing
int EnablePngDecoding();               // makes PNG loadable; a second call changes nothing
int LoadSpriteFromMemory(int sprite, const unsigned char* bytes, size_t size,
                         int mode = SpriteModePlain);       // never reads past size; 0 on failure
const char* LastSpriteLoadError();                          // why the last load failed, or ""
int DuplicateSprite(int source, int destination, int mode); // exact copy, default black key
void SetSpriteColourKey(int sprite, int red, int green, int blue); // the transparent colour
int GetSpriteWidth(int sprite);               // 0 when the number holds nothing
int GetSpriteHeight(int sprite);              // 0 when the number holds nothing
void BeginPixelAccess(int sprite);            // closes an open access first, and then opens none
Colour ReadPixel(int x, int y);               // 0xFFFFFFFF when no access is open
void WritePixel(int x, int y, Colour colour); // nothing when no access is open
void EndPixelAccess();

// ---- Quads: textured rectangles blended into the back buffer ----
enum : int {
  BlendZero = 1,
  BlendOne = 2,
  BlendSrcColor = 3,
  BlendInvSrcColor = 4,
  BlendSrcAlpha = 5,
  BlendInvSrcAlpha = 6,
  BlendDestAlpha = 7,
  BlendInvDestAlpha = 8,
  BlendDestColor = 9,
  BlendInvDestColor = 10,
  BlendSrcAlphaSat = 11,
  BlendBothSrcAlpha = 12,
  BlendBothInvSrcAlpha = 13
};
enum : int { MaxQuadNumber = 1023 };       // numbers outside 0..MaxQuadNumber hold nothing
int StartQuadSystem();                     // empty quad table, no phase open; 1 on success
intptr_t CreateQuad(int quad, int sprite); // from a texture sprite; nonzero handle, or 0
int BeginQuads();                          // opens the frame's quad phase; 1, or 0 on failure
void EndQuads();                           // closes the phase; nothing when none is open
void SetQuadSize(int quad, int width, int height);  // the unrotated width x height rectangle
void RotateQuad(int quad, int angle, int relative); // turns about the centre, in degrees
void SetBlendFactors(int source, int destination);  // nothing before the first BeginQuads
void DrawQuad(int quad, int x, int y, int opacity); // nothing outside an open phase
void DrawQuad(int quad, int x, int y);              // the same with opacity 255
void FreeAllQuads();                                // empties every slot
// A settled run: draws at the front of the frame's particles that repeat every frame exactly.
// The caller promises that the first `count` draws of run `run` are the same as in every
// earlier frame that used the same run number. BeginSettledDraws returns how many leading
// draws of the run the renderer already holds (0..count): the caller skips those, makes the
// rest, then calls EndSettledDraws. Once per frame; a second run in a frame gets 0.
int BeginSettledDraws(uint64_t run, int count);
void EndSettledDraws();
