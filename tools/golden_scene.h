// The golden picture: one fixed frame of the demo rendered without a window, and the PNG
// reading, writing and comparing that the golden test and the `golden` tool share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
  int width = 0;                // pixels, 0 for an empty picture
  int height = 0;               // pixels
  std::vector<uint32_t> pixels; // width x height, red in the low byte, top byte 0
};

struct PictureDifference {
  bool sizesDiffer = false; // then nothing else is compared
  int64_t count = 0;        // pixels that differ
  int left = 0, top = 0;    // bounding box of the differing pixels, inclusive,
  int right = -1;           // empty (right < left) when none differ
  int bottom = -1;
};

// ---- The scene ----
// Ground tiles, both icons and the explosion spawned at (100, 200) after SeedRandom(0),
// after one particle pass at a fixed virtual time. Starts and stops every subsystem it uses
// and leaves real time in force. Empty when the ground sprite could not be loaded.
Picture RenderGoldenScene();
std::string GoldenScenePath(); // the committed golden file in the source tree

// ---- Pictures ----
bool ReadPicture(const std::string& path, Picture& out); // 8-bit RGB(A) PNG; false on failure
bool WritePicture(const std::string& path, const Picture& picture); // 8-bit RGB PNG
PictureDifference ComparePictures(const Picture& a, const Picture& b);
// Picture a dimmed to a third, with every pixel that differs from b in full red.
Picture DifferencePicture(const Picture& a, const Picture& b);
