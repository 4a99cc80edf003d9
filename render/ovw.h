// Overview map: the third view mode, one back-buffer pixel for a block of
// scale x scale cells coloured by the most important thing in it.
//
// Owns the colour classes and their priority, the block rule, the painter
// of a rectangle, the single-cell update, scrolling and the cursor.
// Promises: writes only inside the view's back buffer, under its lock.
#pragma once
#include "platform/types.h"

// Palette class of a code (noDetail: ground detail off; level0: on level 0).
int Ovw_CellColour(u32 code, int noDetail, int level0);
// Priority rank of a class: higher wins; the background classes rank 0.
int Ovw_Priority(int cls);
// 53 box outline, 51/52 grid lines, else the background class.
int Ovw_MarkAt(i32 x, i32 y, i32 level, int view);
// Colour (bitmap order) of the block holding cell x, y in view v.
u32 Ovw_BlockColour(int v, i32 x, i32 y);
void Ovw_DrawCell(int v, i32 x, i32 y, u32 code, i32 level);
int Ovw_Paint(int v, i32 x1, i32 y1, i32 y2, i32 x2);
void Ovw_ScrollRight(int v, i32 n);
void Ovw_ScrollLeft(int v, i32 n);
void Ovw_ScrollDown(int v, i32 n);
void Ovw_ScrollUp(int v, i32 n);
void Ovw_SetCursorCentred(int v, i32* x, i32* y);
