// The table of embedded images, defined in the source file the build generates from assets/.
#pragma once

#include "sprites/sprites.h"

extern const EmbeddedImage EmbeddedImages[]; // in the order the build lists them
extern const int EmbeddedImagesCount;
