// Overlay passes of a layout view and locked access to its back buffer.
//
// The paint thread of a view copies the back buffer into the view's memory
// device context (MapView.memDC) and then runs Map_PaintOverlays, which
// draws what is not part of the composed cells: texts written on the grid,
// train labels, object information and the cell cursor. The locked
// back-buffer operations let the rest of the renderer write single pixels,
// lines, rectangles and shifts under the view's buffer lock.
#pragma once
#include "platform/types.h"

// The passes of the paint thread in their order (text pass, the passes of
// the two display masks, the final cursor pass); nothing when the
// overlay-off switch is set, but for the cursor pass.
void Map_PaintOverlays(int v);
