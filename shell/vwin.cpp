#include "shell/vwin.h"

#include "model/mcs.h"
#include "operation/trn.h"
#include "platform/heap.h"
#include "platform/str.h"
#include "render/cursor.h"
#include "render/map.h"
#include "render/overlay.h"
#include "resources/resid.h"
#include "shell/cmd.h"
#include "shell/menu.h"

VwinSlot g_vwinSlots[VWIN_SLOTS];
i32 g_activeViewSlot = -1;
i32 g_lastViewSlot = -1;
i32 g_followedViewSlot = -1;
int g_vwinFullWidth;
VwinFrameHooks g_vwinFrameHooks;

static int g_vwinFrameRate = 25;
static volatile u32 g_vwinRefreshInterval = 1000 / 25;

// The open view of a slot, or null.
static MapView* OpenView(int slot) {
  if (slot < 0 || slot >= VWIN_SLOTS || !g_mapViews[slot].window) return nullptr;
  return &g_mapViews[slot];
}

static i32 Clamp(i64 v, i64 lo, i64 hi) { return i32(v < lo ? lo : v > hi ? hi : v); }

void Vwin_ClearSlots(void) {
  for (int i = 0; i < VWIN_SLOTS; ++i) {
    Map_CloseView(i);
    g_mapViews[i].showState = VWIN_SHOW_NORMAL;
    VwinSlot& s = g_vwinSlots[i];
    s = VwinSlot{};
    s.rectLeft = -1;
    s.scrollBarsShown = 1;
  }
  g_activeViewSlot = g_lastViewSlot = g_followedViewSlot = -1;
}

// ---------------------------------------------------------------- zoom

namespace {
struct ZoomCommand {
  int mode, scale;
};
// Commands 344..359 in order.
const ZoomCommand kZoomCommands[CMD_ZOOM_LAST - CMD_ZOOM_FIRST + 1] = {
    {1, 8}, {1, 6}, {1, 4}, {1, 2}, {1, 1}, {2, 1}, {2, 2}, {2, 4},
    {2, 8}, {3, 1}, {3, 2}, {3, 4}, {3, 8}, {3, 16}, {3, 32}, {3, 64}};
}  // namespace

int Vwin_ZoomMenuId(int mode, int scale) {
  for (int i = 0; i <= CMD_ZOOM_LAST - CMD_ZOOM_FIRST; ++i)
    if (kZoomCommands[i].mode == mode && kZoomCommands[i].scale == scale) return CMD_ZOOM_FIRST + i;
  return -1;
}

int Vwin_ZoomOfMenuId(int id, int* mode, int* scale) {
  if (id < CMD_ZOOM_FIRST || id > CMD_ZOOM_LAST) return 1;
  *mode = kZoomCommands[id - CMD_ZOOM_FIRST].mode;
  *scale = kZoomCommands[id - CMD_ZOOM_FIRST].scale;
  return 0;
}

static int IsPowerOfTwo(int v, int max) { return v >= 1 && v <= max && (v & (v - 1)) == 0; }

int Vwin_ValidScale(int mode, int scale) {
  switch (mode) {
    case MAP_MODE_PICTURE: return scale == 1 || (scale >= 2 && scale <= 8 && scale % 2 == 0);
    case MAP_MODE_SCHEMATIC: return IsPowerOfTwo(scale, 8);
    case MAP_MODE_OVERVIEW: return IsPowerOfTwo(scale, 64);
    default: return 0;
  }
}

// Picture scales in zoom order, the closest view first.
static const int kPictureScales[5] = {8, 6, 4, 2, 1};

int Vwin_ZoomStep(int mode, int scale, int in, int* newMode, int* newScale) {
  if (!Vwin_ValidScale(mode, scale)) return 5;
  int m = mode, s = scale;
  if (mode == MAP_MODE_PICTURE) {
    int i = 0;
    while (kPictureScales[i] != scale) ++i;
    if (in) {
      if (i == 0) return 5;
      s = kPictureScales[i - 1];
    } else if (i == 4) {
      m = MAP_MODE_SCHEMATIC, s = 1;
    } else {
      s = kPictureScales[i + 1];
    }
  } else if (mode == MAP_MODE_SCHEMATIC) {
    if (in)
      scale == 1 ? (m = MAP_MODE_PICTURE, s = 1) : (s = scale / 2);
    else
      scale == 8 ? (m = MAP_MODE_OVERVIEW, s = 1) : (s = scale * 2);
  } else {
    if (in)
      scale == 1 ? (m = MAP_MODE_SCHEMATIC, s = 8) : (s = scale / 2);
    else if (scale == 64)
      return 5;
    else
      s = scale * 2;
  }
  *newMode = m;
  *newScale = s;
  return 0;
}

static i32 CeilDiv(i64 a, i64 b) { return a <= 0 ? 0 : i32((a + b - 1) / b); }

void Vwin_SizeInCells(int mode, int scale, i32 width, i32 height, i32* cols, i32* rows) {
  i64 s = scale < 1 ? 1 : scale;
  switch (mode) {
    case MAP_MODE_PICTURE:
      *cols = CeilDiv(width, 32 * s);
      *rows = CeilDiv(height, 16 * s);
      break;
    case MAP_MODE_SCHEMATIC:
      *cols = CeilDiv(i64(width) * s, 16);
      *rows = CeilDiv(i64(height) * s, 16);
      break;
    case MAP_MODE_OVERVIEW:
      *cols = width <= 0 ? 0 : i32(width * s);
      *rows = height <= 0 ? 0 : i32(height * s);
      break;
    default:
      *cols = *rows = 0;
  }
}

i32 Vwin_ZoomOrigin(i32 cursor, i32 origin, i32 newCells, i32 oldCells) {
  i64 d = oldCells - 1;
  if (d < 1) d = 1;
  return i32(cursor + (i64(origin) - cursor) * newCells / d);
}

i32 Vwin_ClampOrigin(i32 origin, i32 cells) {
  i64 hi = i64(VWIN_GRID_CELLS) - cells;
  return Clamp(origin, 0, hi < 0 ? 0 : hi);
}

void Vwin_TrackingLimits(i32 frameW, i32 frameH, i32 hscrollH, i32 captionH, i32* minW, i32* minH, i32* maxW,
                         i32* maxH) {
  *minW = 2 * frameW + 128;
  *minH = 2 * frameH + hscrollH + captionH + 64;
  *maxW = 2 * frameW + 8191;
  *maxH = 2 * frameH + hscrollH + captionH + 8191;
}

// ---------------------------------------------------------------- frame rate

int Vwin_FrameRate(int n) {
  int rate = g_vwinFrameRate;
  if (n == -2)
    rate = 25;
  else if (n == -3)
    rate = rate > 1 ? rate - 1 : 1;
  else if (n == -4)
    rate = rate < 60 ? rate + 1 : 60;
  else if (n >= 1 && n <= 60)
    rate = n;
  if (rate != g_vwinFrameRate) {
    g_vwinFrameRate = rate;
    g_vwinRefreshInterval = u32(1000 / rate);
    if (g_vwinFrameHooks.frameRateChanged) g_vwinFrameHooks.frameRateChanged();
  }
  return g_vwinFrameRate;
}

u32 Vwin_RefreshInterval(void) { return g_vwinRefreshInterval; }

// ---------------------------------------------------------------- activation

int Vwin_ActivationTarget(int n) {
  if (n >= 0 && n < VWIN_SLOTS) return OpenView(n) ? n : -2;
  if (n == -1) return -1;
  if (n == -2 || n == -3) {
    // Cyclically after (or before) the active view; without one from slot 0
    // forward or slot 5 backward.
    const int step = n == -2 ? 1 : VWIN_SLOTS - 1;
    int from = g_activeViewSlot;
    if (from < 0 || from >= VWIN_SLOTS) from = n == -2 ? VWIN_SLOTS - 1 : 0;
    for (int i = 1; i <= VWIN_SLOTS; ++i) {
      int s = (from + i * step) % VWIN_SLOTS;
      if (OpenView(s)) return s;
    }
    return -1;
  }
  if (n == -4) {
    if (OpenView(g_activeViewSlot)) return g_activeViewSlot;
    if (OpenView(g_lastViewSlot)) return g_lastViewSlot;
    for (int s = 0; s < VWIN_SLOTS; ++s)
      if (OpenView(s)) return s;
    return -1;
  }
  return -2;
}

void Vwin_NoteActivated(int slot) {
  if (!OpenView(slot)) return;
  Cur_SetActiveView(g_mapViews[slot].window);
  // Activated again: the view before it stays the last one.
  if (g_activeViewSlot == slot) return;
  if (g_lastViewSlot != g_activeViewSlot && g_activeViewSlot >= 0) g_lastViewSlot = g_activeViewSlot;
  g_activeViewSlot = slot;
}

void Vwin_NoteFrameActivated(void) {
  if (g_activeViewSlot >= 0) g_lastViewSlot = g_activeViewSlot;
  g_activeViewSlot = -1;
  Cur_SetActiveView(nullptr);
}

// ---------------------------------------------------------------- input

int Vwin_EdgeBitsOfHit(int hit) {
  enum { L = 1, R = 2, U = 4, D = 8 };
  switch (hit) {
    case 2:   // caption
    case 8:   // minimise box
    case 9:   // maximise box
    case 12:  // top border
      return U;
    case 3:   // system menu
    case 13:  // top-left corner
      return U | L;
    case 6:   // horizontal scroll bar
    case 15:  // bottom border
      return D;
    case 7:   // vertical scroll bar
    case 11:  // right border
      return R;
    case 10:  // left border
      return L;
    case 14:  // top-right corner
    case 20:  // close box
      return U | R;
    case 16:  // bottom-left corner
      return D | L;
    case 17:  // bottom-right corner
      return D | R;
    default:
      return 0;
  }
}

int Vwin_CharKey(u32 ch, int numPadDown, int mods, int inView, int* key, int* outMods) {
  if (ch == '+' || ch == '-' || ch == '=' || (inView && (ch == '*' || ch == '/'))) {
    // Typed on the numeric pad the character keeps Shift and Alt; typed
    // elsewhere it stands for itself.
    *key = int(0x100 | ch);
    *outMods = numPadDown ? mods & (CMD_MOD_SHIFT | CMD_MOD_ALT) : 0;
    return 1;
  }
  if (ch > 0xFFFF) return 0;
  u32 up = Chr_Upper(wch(ch));
  if (up < 91) return 0;  // letters and digits arrive as key-down
  *key = int(0x100 | up);
  *outMods = mods;
  return 1;
}

// ---------------------------------------------------------------- arrangement

void Vwin_FramePlacement(int fullWidth, i32 left, i32 width, i32* x, i32* frameWidth) {
  if (fullWidth) {
    *x = left;
    *frameWidth = width > 800 ? width : 800;
    return;
  }
  i32 half = (width - 800) / 2;
  *x = left + (half < 0 ? 0 : half);
  *frameWidth = 800;
}

int Vwin_ArrangeRects(int n, i32 x, i32 y, i32 width, i32 height, VwinRect* out) {
  if (n < 1 || n > VWIN_SLOTS) return 1;
  const i32 W2 = width / 2, H2 = height / 2, w = width / 3, m = width - 2 * w - 1;
  // Three columns w, m, w on one row.
  auto thirds = [&](VwinRect* r, i32 top, i32 h) {
    r[0] = {x, top, w, h};
    r[1] = {x + w, top, m, h};
    r[2] = {x + w + m, top, w, h};
  };
  auto halves = [&](VwinRect* r, i32 top, i32 h) {
    r[0] = {x, top, W2, h};
    r[1] = {x + W2, top, W2, h};
  };
  switch (n) {
    case 1: out[0] = {x, y, width, height}; break;
    case 2: halves(out, y, height); break;
    case 3: thirds(out, y, height); break;
    case 4:
      halves(out, y, H2);
      halves(out + 2, y + H2, H2);
      break;
    case 5:
      halves(out, y, H2);
      thirds(out + 2, y + H2, H2);
      break;
    default:
      thirds(out, y, H2);
      thirds(out + 3, y + H2, H2);
  }
  return 0;
}

VwinRect Vwin_DefaultRect(int slot, i32 x, i32 y, i32 width, i32 height) {
  VwinRect r;
  r.width = width * 2 / 3;
  r.height = height * 2 / 3;
  // Cascaded so that a new view never hides the one before it completely,
  // and never past the area's edge.
  i32 step = 24 * (slot < 0 ? 0 : slot % VWIN_SLOTS);
  i32 room = width - r.width < height - r.height ? width - r.width : height - r.height;
  if (step > room) step = room < 0 ? 0 : room;
  r.x = x + step;
  r.y = y + step;
  return r;
}

// ---------------------------------------------------------------- slots

int Vwin_FirstFreeSlot(void) {
  for (int s = 0; s < VWIN_SLOTS; ++s)
    if (!g_mapViews[s].window) return s;
  return -1;
}

int Vwin_OpenCount(void) {
  int n = 0;
  for (int s = 0; s < VWIN_SLOTS; ++s) n += g_mapViews[s].window != nullptr;
  return n;
}

int Vwin_SlotOfWindow(void* window) { return Map_ViewOfWindow(window); }

void Vwin_CloseAll(void) {
  for (int s = 0; s < VWIN_SLOTS; ++s)
    if (g_mapViews[s].window) Vwin_Close(s);
}

void Vwin_ReleaseSlot(int slot) {
  if (slot < 0 || slot >= VWIN_SLOTS) return;
  VwinSlot& s = g_vwinSlots[slot];
  if (s.history) Heap_Free(s.history);
  s.history = nullptr;
  s.historyCount[0] = s.historyCount[1] = 0;
  if (g_lastViewSlot == slot) g_lastViewSlot = -1;
  if (g_activeViewSlot == slot) {
    g_activeViewSlot = -1;
    Cur_SetActiveView(nullptr);
  }
  if (g_followedViewSlot == slot) {
    g_followedViewSlot = -1;
    if (Trn_GetFollowed()) TrnList_StopFollowing();
  }
  Menu_Enable(CMD_NEW_VIEW, -1, 0);
}

int Vwin_SizeBackBuffer(int slot, i32 width, i32 height) {
  MapView* m = OpenView(slot);
  if (!m) return 1;
  if (!m->back || m->backWidth != width || m->backHeight != height) {
    if (Map_ResizeView(slot, width, height) != 0) return 1;
  } else {
    m->clientWidth = width;
    m->clientHeight = height;
    Map_UpdateVisible(slot);
  }
  m->ready = 0;
  return 0;
}

// The whole client of an open view, to be painted again from the layout;
// the animated symbols follow what the view now shows.
static void InvalidateAll(int slot) {
  const MapView& m = g_mapViews[slot];
  Map_InvalidateRect(slot, 0, 0, m.clientHeight - 1, m.clientWidth - 1);
  Mcs_Revalidate(slot, nullptr);
}

static void CellsOf(const MapView& m, i32* cols, i32* rows) {
  Vwin_SizeInCells(m.mode, m.scale, m.clientWidth, m.clientHeight, cols, rows);
}

void Vwin_FitToClient(int slot) {
  MapView* m = OpenView(slot);
  if (!m) return;
  i32 cols, rows;
  CellsOf(*m, &cols, &rows);
  m->originX = Vwin_ClampOrigin(m->originX, cols);
  m->originY = Vwin_ClampOrigin(m->originY, rows);
  m->pixOffX = m->pixOffY = 0;
  Vwin_KeepCursorInView(slot);
  InvalidateAll(slot);
}

void Vwin_KeepCursorInView(int slot) {
  MapView* m = OpenView(slot);
  if (!m) return;
  i32 cols, rows;
  CellsOf(*m, &cols, &rows);
  i32 x = Clamp(m->cursorX, m->originX, i64(m->originX) + (cols > 0 ? cols - 1 : 0));
  i32 y = Clamp(m->cursorY, m->originY, i64(m->originY) + (rows > 0 ? rows - 1 : 0));
  x = Clamp(x, 0, VWIN_GRID_CELLS - 1);
  y = Clamp(y, 0, VWIN_GRID_CELLS - 1);
  if (x == m->cursorX && y == m->cursorY) return;
  m->cursorX = x;
  m->cursorY = y;
  m->dirty = 1;  // the cursor mark moves with the next frame
}

// ---------------------------------------------------------------- zoom of a view

int Vwin_SetZoom(int slot, int mode, int scale) {
  MapView* m = OpenView(slot);
  if (!m) return 1;
  int nm = mode, ns = scale;
  if (mode == VWIN_ZOOM_IN || mode == VWIN_ZOOM_OUT) {
    if (Vwin_ZoomStep(m->mode, m->scale, mode == VWIN_ZOOM_IN, &nm, &ns) != 0) return 5;
  } else {
    if (mode < MAP_MODE_PICTURE || mode > MAP_MODE_OVERVIEW) return 3;
    if (!Vwin_ValidScale(mode, scale)) return 4;
  }
  const int oldMode = m->mode, oldScale = m->scale;
  if (nm == oldMode && ns == oldScale) return 2;
  i32 oldCols, oldRows;
  CellsOf(*m, &oldCols, &oldRows);
  Menu_Check(Vwin_ZoomMenuId(oldMode, oldScale), slot, 0);
  m->ready = 0;
  m->mode = nm;
  m->scale = ns;
  if (Vwin_ResizeBuffers(slot, m->clientWidth, m->clientHeight, 0) != 0) {
    // The view stays as it was rather than half changed.
    m->mode = oldMode;
    m->scale = oldScale;
    Map_UpdateVisible(slot);
    Menu_Check(Vwin_ZoomMenuId(oldMode, oldScale), slot, 1);
    return 6;
  }
  Menu_Check(Vwin_ZoomMenuId(nm, ns), slot, 1);
  Menu_SetWindowTitles(slot + 1);
  i32 cols, rows;
  CellsOf(*m, &cols, &rows);
  m->originX = Vwin_ZoomOrigin(m->cursorX, m->originX, cols, oldCols);
  m->originY = Vwin_ZoomOrigin(m->cursorY, m->originY, rows, oldRows);
  if (cols > oldCols) {
    m->pixOffX = m->pixOffY = 0;
  }
  // Zooming in near the grid's end could push the view past it too.
  m->originX = Vwin_ClampOrigin(m->originX, cols);
  m->originY = Vwin_ClampOrigin(m->originY, rows);
  Vwin_KeepCursorInView(slot);
  InvalidateAll(slot);
  Vwin_PlatformShowPosition(slot);
  return 0;
}

int Vwin_ZoomIn(int slot) { return Vwin_SetZoom(slot, VWIN_ZOOM_IN, 0); }
int Vwin_ZoomOut(int slot) { return Vwin_SetZoom(slot, VWIN_ZOOM_OUT, 0); }

void Vwin_ToggleOverlay(void) {
  if (!OpenView(g_activeViewSlot)) return;
  g_vwinSlots[g_activeViewSlot].overlay ^= 1;
  Map_RedrawView(g_activeViewSlot);
}

void Vwin_ToggleScrollBars(void) {
  if (!OpenView(g_activeViewSlot)) return;
  VwinSlot& s = g_vwinSlots[g_activeViewSlot];
  s.scrollBarsShown ^= 1;
  Vwin_PlatformShowScrollBars(g_activeViewSlot, s.scrollBarsShown);
}

void Vwin_ToggleFullWidth(void) {
  g_vwinFullWidth ^= 1;
  Vwin_ArrangeWindows(0, 1);
}

// ---------------------------------------------------------------- scrolling

// Pixels that a move of the origin by cells shifts the window's content.
static i32 PixelsOfCells(const MapView& m, i32 cells, int vertical) {
  i64 s = m.scale < 1 ? 1 : m.scale;
  switch (m.mode) {
    case MAP_MODE_PICTURE: return Clamp(i64(cells) * (vertical ? 16 : 32) * s, -65536, 65536);
    case MAP_MODE_SCHEMATIC: return Clamp(i64(cells) * 16 / s, -65536, 65536);
    default: return cells / i32(s);
  }
}

// An overview map moves by whole pixels only when the cells are a multiple
// of its scale.
static int ShiftsWholePixels(const MapView& m, i32 mx, i32 my) {
  return m.mode != MAP_MODE_OVERVIEW || m.scale <= 1 || (mx % m.scale == 0 && my % m.scale == 0);
}

void Vwin_ScrollCells(int slot, i32 dx, i32 dy) {
  MapView* m = OpenView(slot);
  if (!m) return;
  i32 cols, rows;
  CellsOf(*m, &cols, &rows);
  i32 nx = Vwin_ClampOrigin(Clamp(i64(m->originX) + dx, 0, VWIN_GRID_CELLS), cols);
  i32 ny = Vwin_ClampOrigin(Clamp(i64(m->originY) + dy, 0, VWIN_GRID_CELLS), rows);
  i32 mx = nx - m->originX, my = ny - m->originY;
  if (mx || my) {
    m->originX = nx;
    m->originY = ny;
    const i32 px = -PixelsOfCells(*m, mx, 0), py = -PixelsOfCells(*m, my, 1);
    const i32 right = m->clientWidth - 1, bottom = m->clientHeight - 1;
    if (ShiftsWholePixels(*m, mx, my)) {
      // The buffer keeps what stays in view; the strips the move uncovers
      // are drawn at the paint that the window's scroll asks for, and until
      // then the view is not presented half drawn.
      m->ready = 0;
      Map_LockedShiftBuffer(slot, 0, 0, py, px, bottom, right);
    } else {
      InvalidateAll(slot);
    }
    Map_ScrollView(m->window, 0, 0, py, px, bottom, right);
    Mcs_Revalidate(slot, nullptr);
  }
  Vwin_KeepCursorInView(slot);
  Vwin_PlatformShowPosition(slot);
}

// One scroll-bar line: a cell, or in an overview map the block of a pixel.
static i32 LineCells(const MapView& m) { return m.mode == MAP_MODE_OVERVIEW && m.scale > 1 ? m.scale : 1; }

// Puts the cursor's x (or y) at pos and scrolls as far as needed to show it.
static void MoveCursorTo(int slot, int vertical, i32 pos) {
  MapView& m = g_mapViews[slot];
  i32 cols, rows;
  CellsOf(m, &cols, &rows);
  pos = Clamp(pos, 0, VWIN_GRID_CELLS - 1);
  i32 origin = vertical ? m.originY : m.originX, cells = vertical ? rows : cols;
  (vertical ? m.cursorY : m.cursorX) = pos;
  m.dirty = 1;
  i32 d = 0;
  if (pos < origin)
    d = pos - origin;
  else if (cells > 0 && pos > origin + cells - 1)
    d = pos - (origin + cells - 1);
  Vwin_ScrollCells(slot, vertical ? 0 : d, vertical ? d : 0);
}

void Vwin_OnScrollBar(int slot, int vertical, int request, i32 pos) {
  MapView* m = OpenView(slot);
  if (!m) return;
  i32 cols, rows;
  CellsOf(*m, &cols, &rows);
  const i32 line = LineCells(*m), cells = vertical ? rows : cols;
  const i32 page = cells - line > line ? cells - line : line;
  i32 d = 0;
  switch (request) {
    case VWIN_SB_LINE_BACK: d = -line; break;
    case VWIN_SB_LINE_ON: d = line; break;
    case VWIN_SB_PAGE_BACK: d = -page; break;
    case VWIN_SB_PAGE_ON: d = page; break;
    case VWIN_SB_THUMB_POSITION:
    case VWIN_SB_THUMB_TRACK: MoveCursorTo(slot, vertical, pos); return;
    case VWIN_SB_TOP: MoveCursorTo(slot, vertical, 0); return;
    case VWIN_SB_BOTTOM: MoveCursorTo(slot, vertical, VWIN_GRID_CELLS - 1); return;
    default: return;
  }
  Vwin_ScrollCells(slot, vertical ? 0 : d, vertical ? d : 0);
}

void Vwin_OnWheel(int slot, i32 delta, int ctrl) {
  MapView* m = OpenView(slot);
  if (!m || delta == 0) return;
  i32 d = delta > 0 ? -LineCells(*m) : LineCells(*m);
  Vwin_ScrollCells(slot, ctrl ? d : 0, ctrl ? 0 : d);
}
