// The title picture: a landscape with a train, shown while the program
// starts, in the 32-bit form of the title picture file.
//
// Owns: the drawing of the title picture.
#pragma once
#include <vector>

#include "platform/types.h"

enum { ATI_WIDTH = 480, ATI_HEIGHT = 240 };

// COLORREF words (red in the low byte), top row first.
void Ati_Render(std::vector<u32>* out);
