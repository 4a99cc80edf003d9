#include "render/map.h"

static u32 g_mapRequests;

struct MapQueuedCell {
  i32 x, y, level;
};
static MapQueuedCell g_mapQueue[MAP_QUEUE_CELLS];
static int g_mapQueueCount;

void Map_RedrawCell(i32 x, i32 y, i32 level, int mask) { g_mapRequests++; }

void Map_InvalidateViews(int mask) { g_mapRequests++; }

void Map_QueueCellRedraw(i32 x, i32 y, i32 level) {
  if (g_mapQueueCount >= MAP_QUEUE_CELLS) return;
  g_mapQueue[g_mapQueueCount++] = MapQueuedCell{x, y, level};
}

void Map_FlushCellRedraws(int full) {
  for (int i = 0; i < g_mapQueueCount; ++i) {
    const MapQueuedCell& c = g_mapQueue[i];
    Map_RedrawCell(c.x, c.y, c.level, full ? MAP_REDRAW_ALL : MAP_REDRAW_PICTURE);
    // The picture of a cell reaches into the row above it.
    if (c.y >= 1) Map_RedrawCell(c.x, c.y - 1, c.level, MAP_REDRAW_PICTURE);
  }
  g_mapQueueCount = 0;
}

u32 Map_RedrawRequestCount(void) { return g_mapRequests; }
