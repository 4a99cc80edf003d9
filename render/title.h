// Title picture: one of the pictures of "orba.tbd", shown while the program
// starts.
//
// Owns the picture read (its pixels, and in the Windows build a memory device
// context with a bitmap). The title picture is optional: any failure leaves
// the title window without picture.
#pragma once
#include "platform/types.h"

// number: -2 the last picture, -1 a random one (never the last, as the
// random service is asked for a number below count - 1; with one picture,
// picture 0), a number below count - 1 that picture, any other number
// picture 0. Result: the picture number read; -1 the file did not open;
// -2 format or read error; -3 bad arguments; -4 no device context; -5 no
// bitmap.
i32 Disp_LoadTitlePicture(i32 number);
// Copies the picture to target (an HDC) at x, y, centred in width x height
// where they are larger. -1 no target, -2 no picture, else 0.
i32 Disp_DrawTitlePicture(void* target, i32 x, i32 y, i32 width, i32 height);
// -1 when there was none, else 0.
i32 Disp_FreeTitlePicture(void);
// The picture read: size and COLORREF pixels, top row first (background
// pixels hold the background colour); null when none.
const u32* Disp_TitlePixels(i32* width, i32* height);
// Where a picture of w x h lands when centred in a box at x, y of
// width x height.
void Disp_CentreTitle(i32 w, i32 h, i32 x, i32 y, i32 width, i32 height, i32* outX, i32* outY);

// ---------------------------------------------------------------- platform half
// title_win32.cpp / title_posix.cpp: make the bitmap of the pixels (0, -4
// no device context, -5 no bitmap), draw it, free it.
i32 Disp_PlatformMakeTitle(const u32* colours, i32 width, i32 height);
i32 Disp_PlatformDrawTitle(void* target, i32 x, i32 y, i32 width, i32 height);
void Disp_PlatformFreeTitle(void);
