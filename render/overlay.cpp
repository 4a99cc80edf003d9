#include "render/overlay.h"

void Map_PaintOverlays(int v) { (void)v; }
