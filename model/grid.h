// Grid store: the cell codes of the whole layout, 32768 x 32768 cells on five
// levels (0 ground, -1 .. -4 below), one 16-bit CellCode per cell.
//
// Owns the block directory (512 x 512 slots of five block pointers, slot index
// = -level), the blocks of 64 x 64 codes, the block count, the
// GridBlocksChanged flag and the stored LayoutExtent. Memory is spent only
// where something is drawn: a block is allocated on the first non-empty write
// and freed when Grid_ClearCell leaves it all empty.
//
// Promises: Grid_GetCell, Grid_CellPtr and Grid_SetCell do no range check (they
// run for every drawn cell) and expect x, y in 0..32767 and level in -4..0 and
// Grid_Init to have succeeded; every other operation checks what it is given.
// Cell addresses from Grid_CellPtr stay valid until the block is freed
// (Grid_ClearCell emptying it, Grid_Clear, a load).
//
// Also reads and writes the layout file's grid section "NETZ" with its "QUAD"
// blocks, converting the cell codes of every older file version, and the
// file form of a cell position used by every point module's section.
//
// Owns too the view hooks: the one way in which the model and the operation
// layer ask the views above them to redraw a changed cell (GridViewHooks).
#pragma once
#include "model/cellcode.h"

enum {
  GRID_SIZE = 32768,
  GRID_BLOCK_SIDE = 64,
  GRID_BLOCK_CELLS = 64 * 64,
  GRID_BLOCKS_PER_ROW = 512,
  GRID_BLOCK_COUNT = 512 * 512,
  GRID_LEVELS = 5,
  // Extent mode of Grid_UpdateExtent that grows the box by one point; also
  // the minimum x of an empty extent.
  GRID_EXTENT_GROW = 32769
};

struct CellPos {
  i32 x, y, level;
};

// Bounding box of the drawn cells; minX = GRID_EXTENT_GROW (32769) when the
// layout has none.
struct LayoutExtent {
  i32 minX, minY, minLevel;
  i32 maxX, maxY, maxLevel;
};

// The directory: GRID_BLOCK_COUNT x GRID_LEVELS block pointers, null where no
// block exists. Read by the inline cell paths below; changed only here.
extern CellCode** g_gridDir;
extern u32 g_gridBlockCount;
// Set whenever a block is allocated or freed and after a grid section was
// read; the application shell reads and clears it.
extern int GridBlocksChanged;

// ---------------------------------------------------------------- life
// 0 ok, 6 no memory (the store is then left as after Grid_Exit).
int Grid_Init(void);
void Grid_Exit(void);
void Grid_Clear(void);

// ---------------------------------------------------------------- cells
inline CellCode* Grid_CellPtr(i32 x, i32 y, i32 level) {
  CellCode* block = g_gridDir[u32((y >> 6) * GRID_BLOCKS_PER_ROW + (x >> 6)) * GRID_LEVELS + u32(-level)];
  return block ? block + ((y & 63) * 64 + (x & 63)) : nullptr;
}

inline CellCode Grid_GetCell(i32 x, i32 y, i32 level) {
  const CellCode* p = Grid_CellPtr(x, y, level);
  return p ? *p : CellCode(CELL_EMPTY);
}

// The part of Grid_SetCell that allocates a missing block.
int Grid_SetCellNewBlock(i32 x, i32 y, i32 level, CellCode code);

// 1 done, 0 the block could not be allocated (the cell stays unchanged).
// Writing CELL_EMPTY where no block exists does nothing; writing it into a
// block never frees the block (Grid_ClearCell does).
inline int Grid_SetCell(i32 x, i32 y, i32 level, CellCode code) {
  CellCode* p = Grid_CellPtr(x, y, level);
  if (p) {
    *p = code;
    return 1;
  }
  if (code == CELL_EMPTY) return 1;
  return Grid_SetCellNewBlock(x, y, level, code);
}

// CELL_EMPTY for any position outside the grid.
CellCode Grid_GetCellChecked(i32 x, i32 y, i32 level);
// The first non-empty code at x, y from level down to -4; CELL_EMPTY when
// all are empty or level < -4.
CellCode Grid_GetCellBelow(i32 x, i32 y, i32 level);
// The cell without the reservation bit 14 (codes below 0x8000); under a train
// the code the train keeps for the cell.
CellCode Grid_GetCellNorm(i32 x, i32 y, i32 level);
// Empties a non-empty cell and frees its block when all its cells are empty.
void Grid_ClearCell(i32 x, i32 y, i32 level);
// Grid_SetCell, then the cell is redrawn in every view (GRID_REDRAW_ALL);
// 1 or 0.
int Grid_SetCellRedraw(i32 x, i32 y, i32 level, CellCode code);
// Row scan: inside an existing block the code at *x, and *x moves on by one;
// over a missing block CELL_EMPTY, and *x moves to the next block's start.
CellCode Grid_NextInRow(i32* x, i32 y, i32 level);
int Grid_IsEmpty(void);
// Each out may be null: blocks, blocks x 8 kilobytes, 64, 64.
void Grid_GetMemoryStats(u32* blocks, u32* kilobytes, u32* blockWidth, u32* blockHeight);

// ---------------------------------------------------------------- view hooks
// The views (render/map) sit above the model; start-up installs these hooks
// (shell/wire). Without them every call does nothing.
// RedrawMask: which kinds of open view redraw the cell.
enum { GRID_REDRAW_PICTURE = 1, GRID_REDRAW_SCHEMATIC = 2, GRID_REDRAW_OVERVIEW = 8, GRID_REDRAW_ALL = 11 };
// InvalidateMask: the frame, every view, the picture views, the schematic views.
enum { GRID_INVALIDATE_FRAME = 1, GRID_INVALIDATE_VIEWS = 2, GRID_INVALIDATE_PICTURE = 4 };
struct GridViewHooks {
  // The cell is redrawn in every open view of a kind in mask that shows it.
  void (*redrawCell)(i32 x, i32 y, i32 level, int mask);
  // A moving train's cells: queued, then redrawn together (in every kind of
  // view when full, else in the picture views) with the cell above each.
  void (*queueRedraw)(i32 x, i32 y, i32 level);
  void (*flushRedraws)(int full);
  // Whole views are drawn anew (InvalidateMask).
  void (*invalidateViews)(int mask);
  // The current level of view slot 0..5 (render/map).
  i32 (*viewLevel)(int slot);
};
// Copies the hooks; null or a null member: that call does nothing.
void Grid_SetViewHooks(const GridViewHooks* hooks);
void Grid_RedrawCell(i32 x, i32 y, i32 level, int mask);
void Grid_QueueRedraw(i32 x, i32 y, i32 level);
void Grid_FlushRedraws(int full);
void Grid_InvalidateViews(int mask);
// Whether a cell of that level shows in view slot 0..5, whose level is V:
// V when level is V, or lies below it and every level from V down to level + 1
// holds a see-through code (0xC001 or 0xC002) at x, y; else -5 (also for a
// bad slot). Without the hook every view stands at level 0.
i32 Grid_ViewLevelCheck(int slot, i32 x, i32 y, i32 level);

// ---------------------------------------------------------------- blocks
// block = (y >> 6) * 512 + (x >> 6).
// 0 allocated (filled with CELL_EMPTY), 1 exists already, 3 no memory,
// 4 block or level out of range.
int Grid_AllocBlock(i32 block, i32 level);
// 0 freed, 1 no block, 3 a non-empty cell found, 4 out of range.
int Grid_FreeBlockIfEmpty(i32 block, i32 level);

// ---------------------------------------------------------------- extent
// The box of the non-empty cells of all blocks; 0, or 1 with all six values 0
// when no block holds a non-empty cell.
int Grid_ScanExtent(LayoutExtent* box);
// mode GRID_EXTENT_GROW: grows the stored box by the point (0; 2 and no change
// for a point outside the grid). Any other mode: recomputes the box (0, or 1
// and no extent).
int Grid_UpdateExtent(i32 mode, i32 x, i32 y, i32 level);
// The stored box, joined with the objects' box when withObjects is non-zero.
// 1 and nothing written when there is no box; else 0. Each out may be null.
int Grid_GetExtent(i32* minX, i32* minY, i32* minLevel, int withObjects, i32* maxLevel, i32* maxY, i32* maxX);
// Union of the boxes of texts on the grid, info points and log points;
// 1 and *box unchanged when none of them has objects.
int Grid_ObjectsExtent(LayoutExtent* box);
// The stores of objects beside the grid, each giving the box of its objects
// (0, or 1 when it has none), which start-up installs as each store offers
// it; a missing member counts as a store without objects.
struct GridObjectStores {
  int (*texts)(LayoutExtent* box);
  int (*infoPoints)(LayoutExtent* box);
  int (*logPoints)(LayoutExtent* box);
};
void Grid_SetObjectStores(const GridObjectStores* stores);

// ---------------------------------------------------------------- file
// "NETZ" and the "QUAD" blocks; 0 or the first failing write's code.
int Grid_SaveSection(void);
// The "QUAD" part: header, then every allocated block in block-row, column,
// level order. Only block rows that hold blocks are walked.
int Grid_WriteBlocks(void);
// Clears the grid and reads the section of a file of the given version;
// 0 ok, 3 bad tag or structure (also: a code of the oldest numbering whose
// recoding is unknown), 4 a block could not be allocated or comes twice,
// else the stream's code.
int Grid_LoadSection(u16 version);
// A cell code of a file of the given version in today's numbering. *unknown
// (may be null) is set to 1 for a code of the oldest numbering whose new value
// is not known.
CellCode Grid_ConvertFileCode(CellCode code, u16 version, int* unknown);
// The file form of a CellPos: u16 x, u16 y, one byte level.
int Grid_WritePos(i32 x, i32 y, i32 level);
// The file form of a CellPos in a file of the given version; each out may be
// null. 0 or the stream's code.
int Grid_ReadPos(i32* x, i32* y, i32* level, u16 version);
