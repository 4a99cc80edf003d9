#include "model/grid.h"

#include <string.h>

#include "model/layver.h"
#include "operation/trnquery.h"
#include "platform/fio.h"
#include "platform/heap.h"

CellCode** g_gridDir;
u32 g_gridBlockCount;
int GridBlocksChanged;

static LayoutExtent g_gridExtent;
static GridViewHooks g_gridViews;
// Allocated blocks per block row, so that the writer walks only rows that
// hold blocks.
static u32 g_gridRowBlocks[GRID_BLOCKS_PER_ROW];

// ---------------------------------------------------------------- view hooks

void Grid_SetViewHooks(const GridViewHooks* hooks) { g_gridViews = hooks ? *hooks : GridViewHooks{}; }

i32 Grid_ViewLevelCheck(int slot, i32 x, i32 y, i32 level) {
  if (slot < 0 || slot > 5) return -5;
  const i32 v = g_gridViews.viewLevel ? g_gridViews.viewLevel(slot) : 0;
  if (level > v) return -5;
  for (i32 l = v; l > level; --l) {
    const CellCode c = Grid_GetCellChecked(x, y, l);
    if (c != 0xC001 && c != 0xC002) return -5;
  }
  return v;
}

void Grid_RedrawCell(i32 x, i32 y, i32 level, int mask) {
  if (g_gridViews.redrawCell) g_gridViews.redrawCell(x, y, level, mask);
}

void Grid_QueueRedraw(i32 x, i32 y, i32 level) {
  if (g_gridViews.queueRedraw) g_gridViews.queueRedraw(x, y, level);
}

void Grid_FlushRedraws(int full) {
  if (g_gridViews.flushRedraws) g_gridViews.flushRedraws(full);
}

void Grid_InvalidateViews(int mask) {
  if (g_gridViews.invalidateViews) g_gridViews.invalidateViews(mask);
}

enum : u32 {
  GRID_DIR_SLOTS = u32(GRID_BLOCK_COUNT) * GRID_LEVELS,
  GRID_TAG_NETZ = 0x5A54454Eu,  // bytes "NETZ"
  GRID_TAG_QUAD = 0x44415551u,  // bytes "QUAD"
  GRID_TAG_NP = 0x504Eu,        // bytes "NP"
  GRID_TAG_QU = 0x5551u         // bytes "QU"
};

// A code whose top four bits are 1000 never stands in a cell; in files it is a
// run of (low byte + 1) empty cells.
static inline bool Grid_IsRunCode(u32 code) { return (code & 0xF000) == 0x8000; }

// A train marker in a file from 13573 on: no writer puts one there (a cell
// under a train is stored as the code the train keeps), so it stands for no
// train and reads as the empty cell it shows as.
static inline bool Grid_IsForeignMarker(u32 code, u16 version) {
  return version >= LAYVER_COMPANIONS && Cell_IsTrainMarker(code);
}

static void Grid_SetNoExtent(void) {
  // Chosen so that growing by a point gives the box of that point.
  g_gridExtent.minX = GRID_EXTENT_GROW;
  g_gridExtent.minY = GRID_EXTENT_GROW;
  g_gridExtent.minLevel = 1;
  g_gridExtent.maxX = -1;
  g_gridExtent.maxY = -1;
  g_gridExtent.maxLevel = -5;
}

// ---------------------------------------------------------------- life

int Grid_Init(void) {
  if (g_gridDir) return 0;
  g_gridDir = (CellCode**)Heap_Alloc(GRID_DIR_SLOTS * u32(sizeof(CellCode*)));
  if (!g_gridDir) {
    Grid_Exit();
    return 6;
  }
  memset(g_gridDir, 0, size_t(GRID_DIR_SLOTS) * sizeof(CellCode*));
  g_gridBlockCount = 0;
  Grid_SetNoExtent();
  return 0;
}

void Grid_Exit(void) {
  if (!g_gridDir) return;
  Grid_Clear();
  Heap_Free(g_gridDir);
  g_gridDir = nullptr;
}

void Grid_Clear(void) {
  if (g_gridDir) {
    for (u32 i = 0; i < GRID_DIR_SLOTS && g_gridBlockCount; ++i) {
      if (!g_gridDir[i]) continue;
      Heap_Free(g_gridDir[i]);
      g_gridDir[i] = nullptr;
      g_gridBlockCount--;
      g_gridRowBlocks[i / GRID_LEVELS / GRID_BLOCKS_PER_ROW]--;
      GridBlocksChanged = 1;
    }
  }
  g_gridBlockCount = 0;
  memset(g_gridRowBlocks, 0, sizeof g_gridRowBlocks);
  Grid_SetNoExtent();
}

// ---------------------------------------------------------------- blocks

static inline u32 Grid_SlotIndex(i32 block, i32 level) { return u32(block) * GRID_LEVELS + u32(-level); }

static inline bool Grid_BlockInRange(i32 block, i32 level) {
  return block >= 0 && block < GRID_BLOCK_COUNT && level <= 0 && level >= -(GRID_LEVELS - 1);
}

int Grid_AllocBlock(i32 block, i32 level) {
  if (!Grid_BlockInRange(block, level)) return 4;
  CellCode*& slot = g_gridDir[Grid_SlotIndex(block, level)];
  if (slot) return 1;
  CellCode* p = (CellCode*)Heap_Alloc(GRID_BLOCK_CELLS * sizeof(CellCode));
  if (!p) return 3;
  for (int i = 0; i < GRID_BLOCK_CELLS; ++i) p[i] = CELL_EMPTY;
  slot = p;
  g_gridBlockCount++;
  g_gridRowBlocks[block / GRID_BLOCKS_PER_ROW]++;
  GridBlocksChanged = 1;
  return 0;
}

int Grid_FreeBlockIfEmpty(i32 block, i32 level) {
  if (!Grid_BlockInRange(block, level)) return 4;
  CellCode*& slot = g_gridDir[Grid_SlotIndex(block, level)];
  if (!slot) return 1;
  for (int i = 0; i < GRID_BLOCK_CELLS; ++i)
    if (slot[i] != CELL_EMPTY) return 3;
  Heap_Free(slot);
  slot = nullptr;
  g_gridBlockCount--;
  g_gridRowBlocks[block / GRID_BLOCKS_PER_ROW]--;
  GridBlocksChanged = 1;
  return 0;
}

// ---------------------------------------------------------------- cells

static inline i32 Grid_BlockOf(i32 x, i32 y) { return (y >> 6) * GRID_BLOCKS_PER_ROW + (x >> 6); }

static inline bool Grid_InGrid(i32 x, i32 y, i32 level) {
  return x >= 0 && x < GRID_SIZE && y >= 0 && y < GRID_SIZE && level <= 0 && level >= -(GRID_LEVELS - 1);
}

int Grid_SetCellNewBlock(i32 x, i32 y, i32 level, CellCode code) {
  int r = Grid_AllocBlock(Grid_BlockOf(x, y), level);
  if (r != 0 && r != 1) return 0;
  *Grid_CellPtr(x, y, level) = code;
  return 1;
}

CellCode Grid_GetCellChecked(i32 x, i32 y, i32 level) {
  if (!g_gridDir || !Grid_InGrid(x, y, level)) return CELL_EMPTY;
  return Grid_GetCell(x, y, level);
}

CellCode Grid_GetCellBelow(i32 x, i32 y, i32 level) {
  if (!g_gridDir || !Grid_InGrid(x, y, level < -(GRID_LEVELS - 1) ? 0 : level)) return CELL_EMPTY;
  for (; level >= -(GRID_LEVELS - 1); --level) {
    CellCode c = Grid_GetCell(x, y, level);
    if (c != CELL_EMPTY) return c;
  }
  return CELL_EMPTY;
}

CellCode Grid_GetCellNorm(i32 x, i32 y, i32 level) {
  CellCode c = Grid_GetCell(x, y, level);
  if (Cell_IsElement(c)) return CellCode(Cell_WithoutMark(c));
  if (Cell_IsTrainMarker(c)) return Trn_GetCellGraphic(x, y, level, c);
  return c;
}

void Grid_ClearCell(i32 x, i32 y, i32 level) {
  CellCode* p = Grid_CellPtr(x, y, level);
  if (!p || *p == CELL_EMPTY) return;
  *p = CELL_EMPTY;
  Grid_FreeBlockIfEmpty(Grid_BlockOf(x, y), level);
}

int Grid_SetCellRedraw(i32 x, i32 y, i32 level, CellCode code) {
  if (!Grid_SetCell(x, y, level, code)) return 0;
  Grid_RedrawCell(x, y, level, GRID_REDRAW_ALL);
  return 1;
}

CellCode Grid_NextInRow(i32* x, i32 y, i32 level) {
  const CellCode* p = Grid_CellPtr(*x, y, level);
  if (p) {
    ++*x;
    return *p;
  }
  *x = (*x + GRID_BLOCK_SIDE) & ~(GRID_BLOCK_SIDE - 1);
  return CELL_EMPTY;
}

int Grid_IsEmpty(void) { return g_gridBlockCount == 0; }

void Grid_GetMemoryStats(u32* blocks, u32* kilobytes, u32* blockWidth, u32* blockHeight) {
  if (blocks) *blocks = g_gridBlockCount;
  if (kilobytes) *kilobytes = g_gridBlockCount * 8;
  if (blockWidth) *blockWidth = GRID_BLOCK_SIDE;
  if (blockHeight) *blockHeight = GRID_BLOCK_SIDE;
}

// ---------------------------------------------------------------- extent

int Grid_ScanExtent(LayoutExtent* box) {
  LayoutExtent b = {GRID_SIZE, GRID_SIZE, 1, -1, -1, -5};
  bool found = false;
  if (g_gridDir && g_gridBlockCount) {
    for (int slot = 0; slot < GRID_LEVELS; ++slot) {
      const i32 level = -slot;
      for (i32 block = 0; block < GRID_BLOCK_COUNT; ++block) {
        const CellCode* p = g_gridDir[u32(block) * GRID_LEVELS + u32(slot)];
        if (!p) continue;
        const i32 x0 = (block % GRID_BLOCKS_PER_ROW) * GRID_BLOCK_SIDE;
        const i32 y0 = (block / GRID_BLOCKS_PER_ROW) * GRID_BLOCK_SIDE;
        const bool squareInside =
            found && x0 >= b.minX && x0 + 63 <= b.maxX && y0 >= b.minY && y0 + 63 <= b.maxY;
        const bool levelInside = found && level >= b.minLevel && level <= b.maxLevel;
        if (squareInside && levelInside) continue;
        // A block left with only empty cells adds nothing: the box is that of
        // the drawn cells, so it must not widen the level range either.
        if (squareInside) {
          for (int i = 0; i < GRID_BLOCK_CELLS; ++i) {
            if (p[i] == CELL_EMPTY) continue;
            if (level < b.minLevel) b.minLevel = level;
            if (level > b.maxLevel) b.maxLevel = level;
            break;
          }
          continue;
        }
        for (int row = 0; row < GRID_BLOCK_SIDE; ++row) {
          const CellCode* r = p + row * GRID_BLOCK_SIDE;
          int first = -1, last = -1;
          for (int col = 0; col < GRID_BLOCK_SIDE; ++col) {
            if (r[col] == CELL_EMPTY) continue;
            if (first < 0) first = col;
            last = col;
          }
          if (first < 0) continue;
          found = true;
          if (x0 + first < b.minX) b.minX = x0 + first;
          if (x0 + last > b.maxX) b.maxX = x0 + last;
          if (y0 + row < b.minY) b.minY = y0 + row;
          if (y0 + row > b.maxY) b.maxY = y0 + row;
          if (level < b.minLevel) b.minLevel = level;
          if (level > b.maxLevel) b.maxLevel = level;
        }
      }
    }
  }
  if (!found) {
    if (box) *box = LayoutExtent{0, 0, 0, 0, 0, 0};
    return 1;
  }
  if (box) *box = b;
  return 0;
}

int Grid_UpdateExtent(i32 mode, i32 x, i32 y, i32 level) {
  if (mode == GRID_EXTENT_GROW) {
    if (!Grid_InGrid(x, y, level)) return 2;
    LayoutExtent& e = g_gridExtent;
    if (x < e.minX) e.minX = x;
    if (y < e.minY) e.minY = y;
    if (level < e.minLevel) e.minLevel = level;
    if (x > e.maxX) e.maxX = x;
    if (y > e.maxY) e.maxY = y;
    if (level > e.maxLevel) e.maxLevel = level;
    return 0;
  }
  LayoutExtent b;
  if (Grid_ScanExtent(&b) != 0) {
    Grid_SetNoExtent();
    return 1;
  }
  g_gridExtent = b;
  return 0;
}

static GridObjectStores g_gridObjects;

void Grid_SetObjectStores(const GridObjectStores* stores) { g_gridObjects = stores ? *stores : GridObjectStores{}; }

int Grid_ObjectsExtent(LayoutExtent* box) {
  int (*const sources[3])(LayoutExtent*) = {g_gridObjects.texts, g_gridObjects.infoPoints, g_gridObjects.logPoints};
  LayoutExtent u = {GRID_SIZE, GRID_SIZE, 1, -1, -1, -5};
  bool any = false;
  for (auto source : sources) {
    LayoutExtent b;
    if (!source || source(&b) != 0) continue;
    any = true;
    if (b.minX < u.minX) u.minX = b.minX;
    if (b.minY < u.minY) u.minY = b.minY;
    if (b.minLevel < u.minLevel) u.minLevel = b.minLevel;
    if (b.maxX > u.maxX) u.maxX = b.maxX;
    if (b.maxY > u.maxY) u.maxY = b.maxY;
    if (b.maxLevel > u.maxLevel) u.maxLevel = b.maxLevel;
  }
  if (!any) return 1;
  if (box) *box = u;
  return 0;
}

int Grid_GetExtent(i32* minX, i32* minY, i32* minLevel, int withObjects, i32* maxLevel, i32* maxY, i32* maxX) {
  const bool gridEmpty = g_gridExtent.minX == GRID_EXTENT_GROW;
  LayoutExtent b = g_gridExtent;
  bool have = !gridEmpty;
  if (withObjects) {
    LayoutExtent o = {GRID_SIZE, GRID_SIZE, 1, -1, -1, -5};
    if (Grid_ObjectsExtent(&o) == 0) {
      if (gridEmpty) b = LayoutExtent{GRID_SIZE, GRID_SIZE, 1, -1, -1, -5};
      if (o.minX < b.minX) b.minX = o.minX;
      if (o.minY < b.minY) b.minY = o.minY;
      if (o.minLevel < b.minLevel) b.minLevel = o.minLevel;
      if (o.maxX > b.maxX) b.maxX = o.maxX;
      if (o.maxY > b.maxY) b.maxY = o.maxY;
      if (o.maxLevel > b.maxLevel) b.maxLevel = o.maxLevel;
      have = true;
    }
  }
  if (!have) return 1;
  if (minX) *minX = b.minX;
  if (minY) *minY = b.minY;
  if (minLevel) *minLevel = b.minLevel;
  if (maxLevel) *maxLevel = b.maxLevel;
  if (maxY) *maxY = b.maxY;
  if (maxX) *maxX = b.maxX;
  return 0;
}

// ---------------------------------------------------------------- positions

int Grid_WritePos(i32 x, i32 y, i32 level) {
  int r = Fio_WriteU16(u16(x));
  if (!r) r = Fio_WriteU16(u16(y));
  if (!r) r = Fio_WriteByte(u8(level));
  return r;
}

int Grid_ReadPos(i32* x, i32* y, i32* level, u16 version) {
  i32 px = 0, py = 0, pl = 0;
  int r;
  if (version >= LAYVER_POS_LEVEL) {
    u16 a, b;
    u8 c;
    if ((r = Fio_ReadU16(&a)) || (r = Fio_ReadU16(&b)) || (r = Fio_ReadByte(&c))) return r;
    px = i16(a);
    py = i16(b);
    pl = i8(c);
  } else if (version >= LAYVER_WIDE) {
    u32 a, b, c = 0;
    if ((r = Fio_ReadU32(&a)) || (r = Fio_ReadU32(&b))) return r;
    if (version >= LAYVER_LEVELS && (r = Fio_ReadU32(&c))) return r;
    px = i32(a);
    py = i32(b);
    pl = i32(c);
  } else {
    u16 a, b;
    if ((r = Fio_ReadU16(&a)) || (r = Fio_ReadU16(&b))) return r;
    px = a;
    py = b;
  }
  if (x) *x = px;
  if (y) *y = py;
  if (level) *level = pl;
  return 0;
}

// ---------------------------------------------------------------- old codes

// Cell numbering of the oldest files (before 13573). The values of codes
// 1..26, 460..686 and 750..761 are not known; such a code sets *unknown.
static u32 Grid_RecodeOldest(u32 code, int* unknown) {
  if (code == 0) return 0x8000;  // an empty run of one cell
  if (code == 0x4000) return CELL_TRAIN_FIRST;
  if (Grid_IsRunCode(code) || code >= 0xF000) return code;
  const u32 v = code & ~0xC00u;
  if (v >= 460) {
    if ((v <= 686) || (v >= 750 && v <= 761)) {
      *unknown = 1;
      return CELL_EMPTY;
    }
    if (v == 696) return 0xCD04;
    if (v == 708) return 0xC716;
    if (v == 715) return 0xD10A;
    if (v == 719) return 0xCC00;
    if (v >= 768 && v <= 803) return 0xD900 + 2 * (v - 768);
    return CELL_EMPTY;
  }
  u32 aside = 0;
  if (code & 0x800) aside = 0x800;
  else if (code & 0x400) aside = 0x400;
  u32 c = code & ~aside;
  bool marked = false;
  if (c >= 200 && c <= 399) c -= 200, marked = true;
  else if (c >= 400 && c <= 407) c -= 264, marked = true;
  else if (c >= 408 && c <= 415) c -= 304, marked = true;
  else if (c >= 416 && c <= 423) c -= 256, marked = true;
  else if (c >= 428 && c <= 443) c -= 84, marked = true;
  else if (c >= 424 && c <= 427) c -= 408;
  else if (c >= 444 && c <= 459) c -= 100;
  if (c < 200) {
    if (c < 27) {
      *unknown = 1;
      return CELL_EMPTY;
    }
    if (c <= 35) c += 12;
    else if (c <= 43) c -= 12;
    else if (c <= 75) c += 4;
    else if (c <= 95) c += 232;
    else if (c <= 103) {
    } else if (c <= 111) c += 120;
    else if (c <= 119) c += 16;
    else if (c <= 135) c += 208;
    else if (c <= 143) c += 152;
    else if (c <= 151) c += 160;
    else if (c <= 183) c += 16;
    else if (c <= 191) c += 112;
    else c += 8;
  }
  if (marked) c += 4608;
  if (aside == 0x800) c |= 0x4000;
  else if (aside == 0x400) c |= 0x2000;
  return c;
}

// Files before 14160: the variant bit 9 of several element shapes.
static u32 Grid_Recode3750(u32 code) {
  if (Grid_IsRunCode(code) || (code & ~0x6000u) >= 0x4000) return code;
  u32 aside = (code & 0x4000) ? 0x4000 : (code & 0x2000);
  u32 c = code & ~aside;
  if ((c >= 0x1000 && c <= 0x17FF) || (c & 0x200)) return code;
  const u32 s = Cell_Shape(c);
  if ((s >= 104 && s <= 111) || (s >= 136 && s <= 143) || (s >= 160 && s <= 167)) c |= 0x200;
  else if (s >= 16 && s <= 19) c = Cell_WithShape(c, s - 8) | 0x200;
  return c | aside;
}

// Files before 14162: depot and ramp shapes moved, old symbols became elements.
static u32 Grid_Recode3752(u32 code) {
  if ((code & ~0x6000u) < 0x2000) {
    u32 aside = (code & 0x4000) ? 0x4000 : (code & 0x2000);
    u32 c = code & ~aside;
    const u32 s = Cell_Shape(c);
    if (s == 212 || s == 214) c = Cell_WithShape(c, 138);
    else if (s == 213 || s == 215) c = Cell_WithShape(c, 139);
    else if (s >= 216 && s <= 219) c = Cell_WithShape(c, s - 76);
    else if (s == 220 || s == 222) c = Cell_WithShape(c, 142);
    else if (s == 221 || s == 223) c = Cell_WithShape(c, 143);
    if (s >= 224 && s <= 239 && aside == 0x2000) aside = 0x4000;
    return c | aside;
  }
  const u32 b = code & 1;
  const u32 c = code & ~1u;
  if (c == 0xCD42 || c == 0xCD44) return 0xCD40 | b;
  if (c == 0xCD50 || c == 0xCD52) return 0xCD4E | b;
  if (code >= 0xC606 && code <= 0xC60D) {
    static const u16 kC600[8] = {0x1CE0, 0x1CE0, 0x1CE1, 0x1CE1, 0x1CE2, 0x1CE3, 0x1CE8, 0x1CE8};
    return kC600[code - 0xC606];
  }
  if (c >= 0xC500 && c <= 0xC513) {
    static const u16 kC500[4] = {0x1CE5, 0x1CE7, 0x1CE4, 0x1CE6};
    return kC500[(code - 0xC500) & 3];
  }
  if (c >= 0xC100 && c <= 0xC44F) {
    const u32 base = 0x2000 + ((code >> 8) - 0xC1) * 0x400;
    const u32 d = code & 0xFF;
    switch (d) {
      case 22: return base + 224;
      case 24: return base + 225;
      case 26: return base + 226;
      case 27: return base + 227;
      case 28: return base + 231;
      case 29: return base + 229;
      case 30: return base + 228;
      case 31: return base + 230;
      case 32: case 34: case 36: case 38: return base + 344 + (d - 32) / 2;
      case 48: case 50: case 52: case 54: return base + 352 + (d - 48) / 2;
      case 70: return base + 232;
      default: return code;
    }
  }
  return code;
}

// Files before 14389: the ramp shapes 208..215 moved down.
static u32 Grid_Recode3835(u32 code) {
  if (!Cell_IsElement(code)) return code;
  const u32 aside = code & 0x4000;
  u32 c = code & ~aside;
  const u32 s = Cell_Shape(c);
  if (s >= 208 && s <= 215) c = Cell_WithShape(c, (c >= 0x1000 && c <= 0x17FF) ? s - 64 : s - 72);
  return c | aside;
}

// Files from 14346 to 14398: shapes 288..295 moved up by 104.
static u32 Grid_Recode383F(u32 code) {
  if (!Cell_IsElement(code)) return code;
  const u32 s = Cell_Shape(code);
  if (s >= 288 && s <= 295) return Cell_WithShape(code, s + 104);
  return code;
}

CellCode Grid_ConvertFileCode(CellCode code, u16 version, int* unknown) {
  int dummy = 0;
  if (!unknown) unknown = &dummy;
  u32 c = code;
  if (version < LAYVER_COMPANIONS) c = Grid_RecodeOldest(c, unknown);
  if (version < LAYVER_SECONDS) c = Grid_Recode3750(c);
  if (version < LAYVER_ELAPSED) c = Grid_Recode3752(c);
  if (version < LAYVER_WIDE) c = Grid_Recode3835(c);
  if (version < LAYVER_LINE_TEXTS && c == 0xCDB6) c = 0xCDB3;
  if (version < LAYVER_CODES_383F && version >= LAYVER_SIGNAL_STATE) c = Grid_Recode383F(c);
  if (version < LAYVER_LISTS && c >= 0xE000 && c <= 0xFC1F && !(version < LAYVER_DAYLIGHT && c >= 0xF000)) {
    const u32 d = c - 0xE000;
    c = 0xD900 + (d / 72) * 90 + d % 72;
  }
  return CellCode(c);
}

// ---------------------------------------------------------------- section

// One block as the file holds it: runs of empty cells, other codes as they are.
// At most one u16 per cell, handed to the stream in one call.
static int Grid_WriteBlock(const CellCode* p, i32 x0, i32 y0, i32 level) {
  u8 out[GRID_BLOCK_CELLS * 2];
  u32 n = 0;
  u32 run = 0;
  for (int i = 0; i < GRID_BLOCK_CELLS; ++i) {
    u32 c = p[i];
    // A run code standing in a cell would shift every later cell of the block
    // when read back: it is stored as the empty cell it stands for.
    if (c == CELL_EMPTY || Grid_IsRunCode(c)) {
      if (++run == 256) {
        out[n++] = 0xFF;
        out[n++] = 0x80;
        run = 0;
      }
      continue;
    }
    if (run) {
      out[n++] = u8(run - 1);
      out[n++] = 0x80;
      run = 0;
    }
    if (Cell_IsTrainMarker(c))
      c = Trn_GetCellGraphic(x0 + (i & 63), y0 + (i >> 6), level, CellCode(c));
    out[n++] = u8(c);
    out[n++] = u8(c >> 8);
  }
  if (run) {
    out[n++] = u8(run - 1);
    out[n++] = 0x80;
  }
  int r = Grid_WritePos(x0, y0, level);
  if (!r) r = Fio_WriteBlock(out, n);
  return r;
}

int Grid_WriteBlocks(void) {
  int r;
  if ((r = Fio_WriteU32(GRID_TAG_QUAD)) || (r = Fio_WriteU32(64)) || (r = Fio_WriteU32(64)) ||
      (r = Fio_WriteU32(GRID_LEVELS)) || (r = Fio_WriteU32(g_gridBlockCount)))
    return r;
  if (!g_gridDir || !g_gridBlockCount) return 0;
  for (i32 by = 0; by < GRID_BLOCKS_PER_ROW; ++by) {
    u32 left = g_gridRowBlocks[by];
    for (i32 bx = 0; bx < GRID_BLOCKS_PER_ROW && left; ++bx) {
      CellCode* const* slots = g_gridDir + u32(by * GRID_BLOCKS_PER_ROW + bx) * GRID_LEVELS;
      for (int s = 0; s < GRID_LEVELS; ++s) {
        if (!slots[s]) continue;
        --left;
        if ((r = Grid_WriteBlock(slots[s], bx * GRID_BLOCK_SIDE, by * GRID_BLOCK_SIDE, -s))) return r;
      }
    }
  }
  return 0;
}

int Grid_SaveSection(void) {
  const int r = Fio_WriteU32(GRID_TAG_NETZ);
  return r ? r : Grid_WriteBlocks();
}

// The oldest form: level 0 only, a grid 2048 cells wide filled row by row from
// (0, 0), in chunks of 16384 codes.
static int Grid_ReadOldestCells(u32 lastCount, u32 chunks, u16 version) {
  const u32 rowWidth = 2048;
  const u64 cellLimit = u64(rowWidth) * GRID_SIZE;
  u32 last = lastCount % 16384;
  if (last == 0) last = 16384;
  const u64 total = u64(chunks - 1) * 16384 + last;
  u64 pos = 0;
  for (u64 i = 0; i < total; ++i) {
    u16 code;
    int r = Fio_ReadU16(&code);
    if (r) return r;
    int unknown = 0;
    const u32 c = Grid_ConvertFileCode(code, version, &unknown);
    if (unknown) return 3;
    if (Grid_IsRunCode(c)) {
      pos += (c & 0xFF) + 1;
      continue;
    }
    if (pos >= cellLimit) return 3;
    if (!Grid_SetCell(i32(pos % rowWidth), i32(pos / rowWidth), 0, CellCode(c))) return 4;
    pos++;
  }
  return 0;
}

static int Grid_ReadQuad(u16 version) {
  int r;
  if (version >= LAYVER_LEVELS) {
    u32 tag;
    if ((r = Fio_ReadU32(&tag))) return r;
    if (tag != GRID_TAG_QUAD) return 3;
  } else {
    u16 tag;
    if ((r = Fio_ReadU16(&tag))) return r;
    if (tag != GRID_TAG_QU) return 3;
  }
  for (int i = 0; i < 2; ++i) {
    u32 side;
    if ((r = Fio_ReadField(&side, version < LAYVER_RETRY ? 2 : 4))) return r;
    if (side != GRID_BLOCK_SIDE) return 3;
  }
  if (version >= LAYVER_LEVELS) {
    u32 levels;
    if (version == LAYVER_LEVELS) {
      u16 l16;
      if ((r = Fio_ReadU16(&l16))) return r;
      levels = l16;
    } else if ((r = Fio_ReadU32(&levels))) {
      return r;
    }
    if (levels != GRID_LEVELS) return 3;
  }
  u32 count;
  if (version < LAYVER_WIDE) {
    u16 c16;
    if ((r = Fio_ReadU16(&c16))) return r;
    count = c16;
  } else if ((r = Fio_ReadU32(&count))) {
    return r;
  }
  if (count > GRID_DIR_SLOTS) return 3;

  for (u32 n = 0; n < count; ++n) {
    i32 x0, y0, level;
    if ((r = Grid_ReadPos(&x0, &y0, &level, version))) return r;
    if (x0 < 0 || x0 >= GRID_SIZE || y0 < 0 || y0 >= GRID_SIZE || (x0 & 63) || (y0 & 63) || level > 0 ||
        level < -(GRID_LEVELS - 1))
      return 3;
    if (Grid_AllocBlock(Grid_BlockOf(x0, y0), level) != 0) return 4;
    CellCode* p = Grid_CellPtr(x0, y0, level);
    u32 cell = 0;
    if (version >= LAYVER_LISTS) {
      // Today's files need no conversion: the common path stays short.
      while (cell < GRID_BLOCK_CELLS) {
        u16 code;
        if ((r = Fio_ReadU16(&code))) return r;
        if (Grid_IsRunCode(code)) {
          cell += (code & 0xFF) + 1u;
          continue;
        }
        if (code != CELL_EMPTY && !Grid_IsForeignMarker(code, version)) p[cell] = code;
        cell++;
      }
    } else {
      while (cell < GRID_BLOCK_CELLS) {
        u16 code;
        if ((r = Fio_ReadU16(&code))) return r;
        int unknown = 0;
        const u32 c = Grid_ConvertFileCode(code, version, &unknown);
        if (unknown) return 3;
        if (Grid_IsRunCode(c)) {
          cell += (c & 0xFF) + 1u;
          continue;
        }
        if (c != CELL_EMPTY && !Grid_IsForeignMarker(c, version)) p[cell] = CellCode(c);
        cell++;
      }
    }
  }
  return 0;
}

static int Grid_ReadSectionBody(u16 version) {
  int r;
  if ((r = LayVer_ReadTag(version, GRID_TAG_NETZ, GRID_TAG_NP))) return r;
  if (version < LAYVER_LEVELS) {
    u32 lastCount;
    u8 form;
    if ((r = Fio_ReadU32(&lastCount)) || (r = Fio_ReadByte(&form))) return r;
    if (form != 255) {
      if (form == 0) return 3;
      return Grid_ReadOldestCells(lastCount, form, version);
    }
    if (version < LAYVER_CODED) return 3;
  }
  return Grid_ReadQuad(version);
}

int Grid_LoadSection(u16 version) {
  if (!g_gridDir) return 4;
  Grid_Clear();
  int r = Grid_ReadSectionBody(version);
  GridBlocksChanged = 1;
  Grid_UpdateExtent(0, 0, 0, 0);
  return r;
}
