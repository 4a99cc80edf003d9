#include "render/cursor.h"

#include "render/compose.h"
#include "render/map.h"

CursorState g_cursorState = {CUR_NORMAL, 0, 0, 0, 0};
static u32 g_curFlags = 9;
static int g_curSpeed = 55;
static void* g_curActiveView;

int Cur_SetState(int s) {
  CursorState& c = g_cursorState;
  int before = c.state;
  switch (s) {
    case CUR_NORMAL:
      c.state = s;
      if (c.waitCount == 0) c.shown = c.styleIndex;
      break;
    case CUR_FIXED:
      c.state = s;
      if (c.waitCount == 0) c.shown = CUR_IDX_FIXED;
      break;
    case CUR_WAIT_BEGIN:
      if (c.waitCount++ == 0) c.shown = CUR_IDX_WAIT;
      break;
    case CUR_WAIT_END:
      // An unmatched end must not leave the count below zero, or the next
      // begin would not show the wait cursor.
      if (c.waitCount > 0) c.waitCount--;
      if (c.waitCount == 0) c.shown = c.state == CUR_FIXED ? CUR_IDX_FIXED : c.styleIndex;
      break;
    default:
      return before;
  }
  Cur_Show(c.shown);
  return before;
}

int Cur_GetState(void) { return g_cursorState.state; }

void Cur_SetMode(int m) {
  if (m != CUR_STYLE_OWN && m != CUR_STYLE_ARROW) return;
  CursorState& c = g_cursorState;
  c.styleIndex = m == CUR_STYLE_OWN ? CUR_IDX_NORMAL : CUR_IDX_ARROW;
  if (c.state == CUR_NORMAL && c.waitCount == 0) c.shown = c.styleIndex;
}

int Cur_GetMode(void) { return g_cursorState.styleIndex == CUR_IDX_ARROW ? CUR_STYLE_ARROW : CUR_STYLE_OWN; }
u32 Cur_GetFlags(void) { return g_curFlags; }
void Cur_SetFlags(u32 word) { g_curFlags = word; }
int Cur_GetScrollSpeed(void) { return g_curSpeed; }

int Cur_SetScrollSpeed(int v) {
  if (v == -1) v = 55;
  if (v < 10 || v > 100) return 1;
  g_curSpeed = v;
  return 0;
}

int Cur_EdgeZone(i32 mx, i32 my, i32 width, i32 height) {
  if (mx < 0 || my < 0 || mx >= width || my >= height) return 0;
  int z = 0;
  if (mx < 16) z |= 1;
  else if (mx >= width - 16) z |= 2;
  if (my < 12) z |= 4;
  else if (my >= height - 12) z |= 8;
  return z;
}

int Cur_ChooseForView(const CurViewInput* in, int* index) {
  CursorState& c = g_cursorState;
  *index = c.shown;
  if (in->dialogOpen) {
    *index = CUR_IDX_NO;
    return 0;
  }
  if (in->hit == 2 || in->hit == 3) {
    *index = CUR_IDX_SIZE_WE;
    return in->hit;
  }
  if (in->hit == 4 || in->hit == 5) {
    *index = CUR_IDX_SIZE_NS;
    return in->hit;
  }
  if ((g_curFlags & 1) && in->activeView) {
    // Zones 1, 2, 4, 8, 5, 6, 9, 10 show own cursors 4, 5, 6, 7, 8, 11, 10, 9.
    static const struct {
      int zone, cursor;
    } zones[8] = {{1, 4}, {2, 5}, {4, 6}, {8, 7}, {5, 8}, {6, 11}, {9, 10}, {10, 9}};
    int z = Cur_EdgeZone(in->mx, in->my, in->width, in->height);
    for (const auto& e : zones)
      if (e.zone == z) {
        *index = e.cursor;
        return 1;
      }
  }
  if (in->boxShown) {
    i32 l = in->boxLeft, t = in->boxTop, r = in->boxRight, b = in->boxBottom;
    if (in->mx > l - 3 && in->mx < r + 3 && in->my > t - 3 && in->my < b + 3) {
      if (in->mx <= l + 3 && in->mx >= l - 3) return *index = CUR_IDX_SIZE_WE, 2;
      if (in->mx >= r - 3 && in->mx <= r + 3) return *index = CUR_IDX_SIZE_WE, 3;
      if (in->my <= t + 3 && in->my >= t - 3) return *index = CUR_IDX_SIZE_NS, 4;
      if (in->my >= b - 3 && in->my <= b + 3) return *index = CUR_IDX_SIZE_NS, 5;
    }
  }
  return 0;
}

void Cur_SetActiveView(void* window) { g_curActiveView = window; }

int Cur_BoxPixelRect(int v, i32* left, i32* top, i32* right, i32* bottom) {
  if (v < 0 || v >= MAP_VIEWS || !g_mapViews[v].window) return 0;
  const MapView& w = g_mapViews[v];
  const SprBox& b = g_sprBox;
  if (!b.shown || w.level < b.level1 || w.level > b.level2) return 0;
  // Cell (x, y) starts at this pixel of the view; 64 bits, as a box may lie
  // far outside the view.
  auto px = [&w](i64 cell, int across) -> i64 {
    i64 origin = across ? w.originX : w.originY, off = across ? w.pixOffX : w.pixOffY;
    i64 size = across ? 32 : 16;
    if (w.mode == MAP_MODE_PICTURE) return ((cell - origin) * size + off) * w.scale;
    if (w.mode == MAP_MODE_SCHEMATIC) return ((cell - origin) * 16 + off) / (w.scale < 1 ? 1 : w.scale);
    return (cell - origin) / (w.scale < 1 ? 1 : w.scale);
  };
  auto clamp = [](i64 p) -> i32 { return p < -1000000 ? -1000000 : p > 1000000 ? 1000000 : i32(p); };
  *left = clamp(px(b.x1, 1));
  *top = clamp(px(b.y1, 0));
  *right = clamp(px(i64(b.x2) + 1, 1) - 1);
  *bottom = clamp(px(i64(b.y2) + 1, 0) - 1);
  return 1;
}

int Cur_OnSetCursor(void* window, int hit) {
  if (!g_cursorState.initialised) return 0;
  CurViewInput in = {};
  in.hit = hit;
  const int v = Map_ViewOfWindow(window);
  // No mouse position: far outside every zone and edge.
  if (!Cur_PlatformMouse(window, &in.mx, &in.my, &in.width, &in.height)) in.mx = in.my = -1000000;
  in.activeView = v >= 0 && window == g_curActiveView;
  // Within the client only: a mouse outside it is in no zone.
  if (in.mx < 0 || in.my < 0 || in.mx >= in.width || in.my >= in.height) in.activeView = 0;
  in.boxShown = Cur_BoxPixelRect(v, &in.boxLeft, &in.boxTop, &in.boxRight, &in.boxBottom);
  int index = 0;
  int r = Cur_ChooseForView(&in, &index);
  Cur_Show(index);
  return r;
}

// ---------------------------------------------------------------- own cursor shapes

namespace {

struct Shape {
  u8* andMask;
  u8* xorMask;
  // Pixel states: outline (black) and fill (white); the rest transparent.
  void Black(int x, int y) {
    if (x < 0 || y < 0 || x > 31 || y > 31) return;
    andMask[y * 4 + x / 8] &= u8(~(0x80 >> (x & 7)));
    xorMask[y * 4 + x / 8] &= u8(~(0x80 >> (x & 7)));
  }
  void White(int x, int y) {
    if (x < 0 || y < 0 || x > 31 || y > 31) return;
    andMask[y * 4 + x / 8] &= u8(~(0x80 >> (x & 7)));
    xorMask[y * 4 + x / 8] |= u8(0x80 >> (x & 7));
  }
};

// The classic pointer: a white arrow with a black outline, tip at (0, 0).
void Pointer(Shape& s, int ox, int oy) {
  static const char* rows[] = {"B",           "BB",          "BWB",         "BWWB",        "BWWWB",
                               "BWWWWB",      "BWWWWWB",     "BWWWWWWB",    "BWWWWWWWB",   "BWWWWWWWWB",
                               "BWWWWWBBBBB", "BWWBWWB",     "BWB BWWB",    "BB  BWWB",    "B    BWWB",
                               "     BWWB",   "      BB"};
  for (int y = 0; y < 17; ++y)
    for (int x = 0; rows[y][x]; ++x) {
      if (rows[y][x] == 'B') s.Black(ox + x, oy + y);
      if (rows[y][x] == 'W') s.White(ox + x, oy + y);
    }
}

// Whether pixel (x, y) lies in a solid arrow pointing along (dx, dy) from
// the centre: a shaft 5 wide and a triangular head, 20 pixels long.
bool InArrow(int x, int y, int dx, int dy) {
  float len = (dx != 0 && dy != 0) ? 1.41421356f : 1.0f;
  float fx = float(x) - 15.5f, fy = float(y) - 15.5f;
  float u = (fx * float(dx) + fy * float(dy)) / len + 10.0f;  // 0 tail .. 20 tip
  float v = (fx * float(-dy) + fy * float(dx)) / len;
  if (v < 0) v = -v;
  if (u < 1.0f || u > 19.5f) return false;
  if (u < 11.0f) return v <= 2.5f;
  return v <= (19.5f - u) * 0.95f;
}

void Arrow(Shape& s, int dx, int dy, int* hx, int* hy) {
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      if (InArrow(x, y, dx, dy)) {
        s.White(x, y);
        continue;
      }
      bool edge = false;
      for (int k = 0; k < 8 && !edge; ++k) {
        static const int n[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
        edge = InArrow(x + n[k][0], y + n[k][1], dx, dy);
      }
      if (edge) s.Black(x, y);
    }
  // The hot spot at the tip.
  float len = (dx != 0 && dy != 0) ? 1.41421356f : 1.0f;
  *hx = int(15.5f + 9.0f * float(dx) / len);
  *hy = int(15.5f + 9.0f * float(dy) / len);
}

}  // namespace

int Cur_DrawShape(int n, u8 andMask[128], u8 xorMask[128], int* hotX, int* hotY) {
  if (n < 1 || n > 11) return 1;
  for (int i = 0; i < 128; ++i) andMask[i] = 0xFF, xorMask[i] = 0;
  Shape s{andMask, xorMask};
  *hotX = *hotY = 0;
  switch (n) {
    case 1: Pointer(s, 0, 0); break;  // normal
    case 2:                           // fixed: the pointer carrying a tile
      Pointer(s, 0, 0);
      for (int y = 18; y < 30; ++y)
        for (int x = 12; x < 30; ++x)
          if (y == 18 || y == 29 || x == 12 || x == 29) s.Black(x, y);
          else s.White(x, y);
      break;
    case 3:  // wait: an hourglass
      for (int y = 2; y < 30; ++y) {
        int half = y < 16 ? 13 - (y - 2) * 12 / 14 : 1 + (y - 16) * 12 / 13;
        for (int x = 15 - half - 1; x <= 16 + half + 1; ++x)
          if (y == 2 || y == 29 || x == 15 - half - 1 || x == 16 + half + 1) s.Black(x, y);
          else s.White(x, y);
      }
      for (int y = 20; y < 28; ++y)  // sand below
        for (int x = 15 - (y - 20); x <= 16 + (y - 20); ++x) s.Black(x, y);
      *hotX = 15;
      *hotY = 15;
      break;
    default: {  // 4..11: the edge-scroll directions
      static const int dir[8][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {-1, -1}, {1, 1}, {-1, 1}, {1, -1}};
      Arrow(s, dir[n - 4][0], dir[n - 4][1], hotX, hotY);
      break;
    }
  }
  return 0;
}
