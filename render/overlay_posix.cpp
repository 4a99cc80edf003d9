#include <vector>

#include "render/overlay.h"

// Natively there is no device context: the drawing calls are recorded in
// order, so that the tests can check what a pass drew and where.

static std::vector<MapOverlayCall> g_calls;

static void Record(int op, void* dc, i32 x1, i32 y1, i32 x2, i32 y2, u32 colour, FontHandle font = nullptr,
                   const wch* text = nullptr, int n = 0) {
  MapOverlayCall c = {};
  c.op = op;
  c.dc = dc;
  c.x1 = x1, c.y1 = y1, c.x2 = x2, c.y2 = y2;
  c.colour = colour & 0xFFFFFFu;
  c.font = font;
  for (int i = 0; text && i < n && i < int(sizeof c.text / sizeof c.text[0]) - 1; ++i) c.text[i] = text[i];
  g_calls.push_back(c);
}

void Map_OverlayFillRect(void* dc, i32 x1, i32 y1, i32 x2, i32 y2, u32 colour) {
  Record(MAP_OVL_FILL, dc, x1, y1, x2, y2, colour);
}
void Map_OverlayFrameRect(void* dc, i32 x1, i32 y1, i32 x2, i32 y2, u32 colour) {
  Record(MAP_OVL_FRAME, dc, x1, y1, x2, y2, colour);
}
void Map_OverlayLine(void* dc, i32 x1, i32 y1, i32 x2, i32 y2, u32 colour) {
  Record(MAP_OVL_LINE, dc, x1, y1, x2, y2, colour);
}
void Map_OverlaySetPixel(void* dc, i32 x, i32 y, u32 colour) { Record(MAP_OVL_PIXEL, dc, x, y, x, y, colour); }
void Map_OverlayDrawBox(void* dc, i32 left, i32 top, i32 right, i32 bottom, u32 brush) {
  Record(MAP_OVL_BOX, dc, left, top, right, bottom, brush);
}
void Map_OverlayDrawText(void* dc, i32 x, i32 y, FontHandle font, u32 colour, const wch* text, int n) {
  Record(MAP_OVL_TEXT, dc, x, y, x, y, colour, font, text, n);
}

void Map_OverlayMeasureText(void* dc, FontHandle font, const wch* text, int n, i32* width, i32* height) {
  (void)dc, (void)font, (void)text;
  *width = n > 0 ? n * MAP_NATIVE_CHAR_WIDTH : 0;
  *height = MAP_NATIVE_CHAR_HEIGHT;
}

void Map_ClearAllWindows(void) {}

void Map_OverlayClearCalls(void) { g_calls.clear(); }
int Map_OverlayCallCount(void) { return int(g_calls.size()); }
const MapOverlayCall* Map_OverlayCall(int i) {
  return (i >= 0 && i < int(g_calls.size())) ? &g_calls[size_t(i)] : nullptr;
}
