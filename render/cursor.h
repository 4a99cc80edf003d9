// Mouse cursors of the layout views: the state word (40 normal, 41 fixed),
// the nested wait cursor that long operations begin (42) and end (43), the
// normal cursor's style, the edge-scroll options, and the choice of cursor
// over a view (edge-scroll zones, marked-box edges).
//
// Owns the CursorState and the CursorTable (Windows: the eleven own cursors
// of the resources and four system cursors). Wait cursors nest: only the
// first begin shows the wait cursor and only the last end takes it away.
// The choice over a view is portable (Cur_ChooseForView); setting the
// cursor is the Windows layer's.
#pragma once
#include "platform/types.h"

enum { CUR_NORMAL = 40, CUR_FIXED = 41, CUR_WAIT_BEGIN = 42, CUR_WAIT_END = 43 };
enum { CUR_STYLE_OWN = 51, CUR_STYLE_ARROW = 52 };
// CursorTable indexes.
enum {
  CUR_IDX_NORMAL = 0,
  CUR_IDX_FIXED = 1,
  CUR_IDX_ARROW = 2,
  CUR_IDX_WAIT = 3,
  CUR_IDX_EDGE_FIRST = 4,  // own cursors 4..11: left, right, top, bottom, top-left, bottom-right, bottom-left, top-right
  CUR_IDX_SIZE_WE = 12,
  CUR_IDX_SIZE_NS = 13,
  CUR_IDX_NO = 14,
  CUR_TABLE = 15
};

struct CursorState {
  int state;      // CUR_NORMAL or CUR_FIXED
  int waitCount;  // open wait cursors
  int styleIndex; // 0 for style 51, 2 for style 52
  int shown;      // index of the cursor shown
  int initialised;
};
extern CursorState g_cursorState;

// 40, 41, 42 or 43; any other value changes nothing. Returns the state word
// before the call.
int Cur_SetState(int s);
int Cur_GetState(void);
// Style 51 or 52; others ignored.
void Cur_SetMode(int m);
int Cur_GetMode(void);
u32 Cur_GetFlags(void);
void Cur_SetFlags(u32 word);
int Cur_GetScrollSpeed(void);
// -1 sets 55; 10..100 sets v; else 1 and nothing changes. 0 otherwise.
int Cur_SetScrollSpeed(int v);

// What a view shows for the mouse at (mx, my) of a client of w x h.
struct CurViewInput {
  int dialogOpen;     // a framework dialog is open
  int hit;            // hit code passed in (2..5 sizing)
  int activeView;     // the window is the active view
  i32 mx, my, width, height;
  int boxShown;       // the marked box is shown at the view's level
  i32 boxLeft, boxTop, boxRight, boxBottom;  // its pixel rectangle
};
// Returns the result code of Cur_OnSetCursor; *index the CursorTable index.
int Cur_ChooseForView(const CurViewInput* in, int* index);
// Edge-scroll zone bits of a mouse position (1 left, 2 right, 4 top, 8 bottom).
int Cur_EdgeZone(i32 mx, i32 my, i32 width, i32 height);
// The pixel rectangle of the marked box in view slot v: the top-left pixel
// of its first cell to the pixel before the top-left of the cell after its
// last. 0 when the box is not shown or the view's level lies outside the
// box's levels, else 1.
int Cur_BoxPixelRect(int v, i32* left, i32* top, i32* right, i32* bottom);
// The layout view that has the focus (the shell sets it; null: none). Only
// that view shows the edge-scroll cursors.
void Cur_SetActiveView(void* window);
// WM_SETCURSOR of a layout view window: chooses and sets the cursor and
// returns 0 for the state cursor, 1 for an edge-scroll zone, 2..5 for a box
// edge (or the hit code passed in); 0 before the cursors are loaded.
int Cur_OnSetCursor(void* window, int hit);
// Windows layer: the mouse in the window's client pixels and the client
// size; 0 when there is no mouse position to give (natively always).
int Cur_PlatformMouse(void* window, i32* mx, i32* my, i32* width, i32* height);

// Windows layer: loads the table (2 without a mouse), frees it, and sets the
// cursor of an index. Natively the table is empty and setting does nothing.
int Cur_Init(void);
void Cur_Free(void);
void Cur_Show(int index);

// The eleven own cursors are drawn by the program: own cursor n (1..11) as
// 32 x 32 monochrome masks (AND and XOR, 4 bytes a row, top row first, the
// leftmost pixel in the high bit) with its hot spot. 0 ok, 1 bad number.
int Cur_DrawShape(int n, u8 andMask[128], u8 xorMask[128], int* hotX, int* hotY);
