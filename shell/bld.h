// Track-building tools of the editor. So far the end point of the last drawn
// track line, which the layout file's general section stores so that the
// next line can start there.
#pragma once
#include "platform/types.h"

void Bld_GetLastLineEnd(i32* x, i32* y);
void Bld_SetLastLineEnd(i32 x, i32 y);
