// The frame window's status strip (control panel): the 41 fixed field
// rectangles of its 800-pixel design width and where each field lies in
// the frame as it is now.
//
// Owns StatusFieldTable and the two inputs of the field placement that the
// shell sets: the full-width setting (menu command 405) and the frame's
// client width. Only the x of a field follows a wide frame; y, width and
// height always keep their design values.
//
// Promises: a field number outside 0..40 returns -1 and writes nothing.
// Main thread.
#pragma once
#include "platform/types.h"

enum { STATUS_FIELDS = 41, STATUS_DESIGN_WIDTH = 800, STATUS_WIDE_MIN = 816 };

struct StatusField {
  i16 x, y, w, h;
};
extern const StatusField StatusFieldTable[STATUS_FIELDS];

// The frame window (HWND) that carries the strip; the shell sets it when the
// frame exists and clears it at shutdown. Null natively.
void Map_SetStatusWindow(void* frame);
void* Map_GetStatusWindow(void);

// Set by the shell whenever the full-width setting or the frame's client
// width changes.
void Map_SetFieldLayout(int fullWidth, i32 frameClientWidth);

// The x of status field n; its y, width and height through the optional
// out-parameters. With the full-width setting on and a client width W of at
// least 816 the x is (x * W - 16) / 800 + 8, divided toward zero. A field
// number outside 0..40 gives -1 and leaves the out-parameters untouched.
i32 Map_GetFieldRect(i32 n, i32* outY, i32* outWidth, i32* outHeight);

// Windows build only (status_win32.cpp). The strip's own painting on the
// frame window's WM_PAINT: the fills, the fixed labels, the piece pictures
// of the palette buttons and the dispatcher indicator; frame is the HWND.
void Map_PaintStatusStrip(void* frame);
// The same into a device context (HDC) of a client of width x height.
void Map_PaintStatusStripDC(void* dc, i32 width, i32 height);
// The dispatcher indicator in its field (Dmsg_IndicatorLook of the table as
// it is now); a device context of null takes the frame's own. Nothing
// natively.
void Map_PaintDispatcherIndicator(void* dc);
