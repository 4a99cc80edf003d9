#include "model/prlb.h"

#include "model/grid.h"
#include "model/layfile.h"
#include "model/layver.h"
#include "operation/trnquery.h"
#include "platform/clip.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/print.h"
#include "platform/str.h"

enum : u32 { PRELL_TAG = 0x424C5250 };  // "PRLB"
enum : u16 { PRELL_TAG_OLD = 0x4250 };  // "PB"
enum { PRELL_LINE = 200 };

static PointStore s_stops;

static BufferStop* Prell_At(i32 x, i32 y, i32 level) {
  return reinterpret_cast<BufferStop*>(Pobj_Find(&s_stops, x, y, level));
}

void Prell_Init(void) { Pobj_Reset(&s_stops); }
void Prell_Clear(void) { Pobj_FreeAll(&s_stops); }
void Prell_Free(void) { Prell_Clear(); }

u32 Prell_Count(u32* maximum) {
  if (maximum) *maximum = PRELL_MAX;
  return s_stops.Count;
}

const BufferStop* Prell_Find(i32 x, i32 y, i32 level) { return Prell_At(x, y, level); }

int Prell_Create(i32 x, i32 y, i32 level, u32 value, u32 kind) {
  if (s_stops.Count >= PRELL_MAX) return 1;
  BufferStop* b = static_cast<BufferStop*>(Heap_Alloc(sizeof(BufferStop)));
  if (!b) return 1;
  b->Head = PointHead{nullptr, nullptr, x, y, level};
  b->Value = value;
  b->Kind = kind;
  Pobj_Push(&s_stops, &b->Head);
  return 0;
}

int Prell_Delete(i32 x, i32 y, i32 level) {
  BufferStop* b = Prell_At(x, y, level);
  if (!b) return 1;
  Pobj_Unlink(&s_stops, &b->Head);
  Heap_Free(b);
  Lay_MarkModified();
  return 0;
}

int Prell_Set(i32 x, i32 y, i32 level, u32 kind, u32 value) {
  Prell_Delete(x, y, level);
  const int r = Prell_Create(x, y, level, value, kind);
  if (!r) Lay_MarkModified();
  return r;
}

i32 Prell_GetValue(i32 x, i32 y, i32 level) {
  const BufferStop* b = Prell_At(x, y, level);
  return b ? i32(b->Value) : -1;
}

u32 Prell_GetKind(i32 x, i32 y, i32 level) {
  const BufferStop* b = Prell_At(x, y, level);
  return b ? b->Kind : 0;
}

int Prell_SetKind(i32 x, i32 y, i32 level, u32 kind) {
  BufferStop* b = Prell_At(x, y, level);
  if (!b) return 1;
  b->Kind = kind;
  return 0;
}

int Prell_IsCode(u32 code, u32* minKind, u32* maxKind) {
  if (!Cell_HasShapeIn(code, 168, 175)) return 0;
  if (minKind) *minKind = 0;
  if (maxKind) *maxKind = Cell_ClassIn(code, 4, 5) ? 11 : Cell_ClassIn(code, 6, 7) ? 7 : 3;
  return 1;
}

i32 Prell_KindFromGrid(i32 x, i32 y) {
  const u32 code = Grid_GetCellNorm(x, y, 0);
  if (!Prell_IsCode(code, nullptr, nullptr)) return -1;
  return Cell_ClassIn(code, 4, 5) ? 4 : 0;
}

// ---------------------------------------------------------------- region hooks

void Prell_MoveInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dlevel) {
  Pobj_MoveInBox(&s_stops, x1, y1, level1, x2, y2, level2, dx, dy, dlevel);
}

void Prell_TransformInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 denY, i32 numY, i32 denX,
                          i32 numX) {
  Pobj_TransformInBox(&s_stops, x1, y1, level1, x2, y2, level2, numX, denX, numY, denY);
}

void Prell_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  for (PointHead* p = s_stops.First; p;) {
    PointHead* next = p->Next;
    if (Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) Prell_Delete(p->X, p->Y, p->Level);
    p = next;
  }
}

int Prell_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  wch line[PRELL_LINE];
  int r = Clip_AppendLine(u"PRELL_A");
  for (const PointHead* p = s_stops.First; p && !r; p = p->Next) {
    if (!Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) continue;
    const BufferStop* b = reinterpret_cast<const BufferStop*>(p);
    Fmt_Print(line, PRELL_LINE, u"%x,%x,%i,%x,%x", unsigned(p->X), unsigned(p->Y), int(p->Level),
              unsigned(b->Value), unsigned(b->Kind));
    r = Clip_AppendLine(line);
  }
  return r ? r : Clip_AppendLine(u"PRELL_E");
}

int Prell_PasteFromClip(u32* line, i32 dx, i32 dy, i32 dlevel) {
  wch buf[PRELL_LINE];
  u32 n = *line;
  if (Clip_ReadLine(i32(n++), PRELL_LINE, buf) != 0) return 2;
  int result = 0;
  for (;;) {
    if (Clip_ReadLine(i32(n++), PRELL_LINE, buf) != 0) return 2;
    u32 f[5];
    i32 end;
    if (Pobj_ParseFields(buf, "xxixx", f, &end) || buf[end]) break;
    const i32 x = i32(f[0]) + dx, y = i32(f[1]) + dy, level = i32(f[2]) + dlevel;
    if (x < 0 || x >= GRID_SIZE || y < 0 || y >= GRID_SIZE || level < -4 || level > 0) return 2;
    if (Prell_Create(x, y, level, f[3], f[4])) {
      Grid_SetCell(x, y, level, CELL_EMPTY);
      result = 1;
    }
  }
  if (Str_CompareOs(buf, u"PRELL_E", 0) != 0) return 2;
  *line = n;
  return result;
}

// ---------------------------------------------------------------- replace

// The class part of a shape code and its twin in the variant bit, where
// the class has one.
static int Prell_ClassMatches(u32 cellPart, u32 shapePart) {
  if (cellPart == shapePart) return 1;
  const int twinned = shapePart < 4096 || (shapePart >= 7168 && shapePart <= 12287);
  return twinned && cellPart == (shapePart ^ CELL_VARIANT_BIT);
}

// The class of an element code for the replace command's class mask: 1 for
// 4096..6143, 2 for 7168..8191, 3 for 8192..12799, else 0 (the graphics
// store's classes, which this layer cannot ask).
static u32 Prell_CodeClass(u32 code) {
  if (code >= 4096 && code <= 6143) return 1;
  if (code >= 7168 && code <= 8191) return 2;
  if (code >= 8192 && code <= 12799) return 3;
  return 0;
}

i32 Prell_ReplaceCodesInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, int exact, u32 dirMask,
                            u32 shapeOrClassMask, int byClassMask, u32 newKind, u32 oldKind) {
  if (!byClassMask && shapeOrClassMask >= 16384) return -1;
  const u32 shapePart = shapeOrClassMask & ~0x1FFu;
  i32 changed = 0;
  for (PointHead* p = s_stops.First; p; p = p->Next) {
    if (!Pobj_InBox(p, x1, y1, level1, x2, y2, level2)) continue;
    BufferStop* b = reinterpret_cast<BufferStop*>(p);
    const u32 code = Grid_GetCellNorm(p->X, p->Y, p->Level);
    if (!(dirMask & (1u << (code & 7)))) continue;
    const u32 c = Cell_WithoutMark(code);
    if (byClassMask ? !(shapeOrClassMask & (1u << Prell_CodeClass(c))) : !Prell_ClassMatches(Cell_WithoutShape(c), shapePart))
      continue;
    u32 from = oldKind, to = newKind;
    if (!exact) {
      if (b->Kind == (oldKind & ~3u)) from = oldKind & ~3u, to = newKind & ~3u;
      else if (b->Kind == (oldKind | 3u)) from = oldKind | 3u, to = newKind | 3u;
      else continue;
    }
    if (b->Kind != from) continue;
    u32 lo, hi;
    if (!Prell_IsCode(code, &lo, &hi) || from < lo || from > hi || to < lo || to > hi) continue;
    if (b->Kind != to) {
      b->Kind = to;
      ++changed;
    }
  }
  return changed;
}

// ---------------------------------------------------------------- section

int Prell_SaveSection(void) {
  int r;
  if ((r = Fio_WriteU32(PRELL_TAG)) || (r = Fio_WriteU32(s_stops.Count))) return r;
  for (const PointHead* p = s_stops.First; p; p = p->Next) {
    const BufferStop* b = reinterpret_cast<const BufferStop*>(p);
    if ((r = Grid_WritePos(p->X, p->Y, p->Level)) || (r = Fio_WriteU32(b->Value)) || (r = Fio_WriteU32(b->Kind)))
      return r;
  }
  return 0;
}

// Kinds converted from older files are kept inside the range the cell's
// element allows; a kind outside it would select no picture and no
// behaviour.
static u32 Prell_ClampKind(i32 x, i32 y, i32 level, u32 kind) {
  u32 lo, hi;
  if (!Prell_IsCode(Grid_GetCellNorm(x, y, level), &lo, &hi)) return kind;
  return kind < lo ? lo : kind > hi ? hi : kind;
}

int Prell_LoadSection(u16 version) {
  int r;
  Prell_Clear();
  if (version >= LAYVER_PRELL_SECTION) {
    if ((r = LayVer_ReadTag(version, PRELL_TAG, PRELL_TAG_OLD))) return r;
    u32 count;
    if ((r = Fio_ReadU32(&count))) return r;
    if (count > PRELL_MAX) return 3;
    for (u32 k = 0; k < count; ++k) {
      i32 x, y, level;
      if ((r = Grid_ReadPos(&x, &y, &level, version))) return r;
      if (x < 0 || x >= GRID_SIZE || y < 0 || y >= GRID_SIZE || level < -4 || level > 0) return 3;
      u32 value, kind;
      if ((r = Fio_ReadField(&value, LayVer_WordBytes(version)))) return r;
      const i32 derived = Prell_KindFromGrid(x, y);
      if (version >= LAYVER_PRELL_KIND) {
        if ((r = Fio_ReadU32(&kind))) return r;
        if (version < LAYVER_WIDE && derived == 4) kind = Prell_ClampKind(x, y, level, kind + 4);
      } else {
        kind = derived < 0 ? 0 : u32(derived);
      }
      if (Prell_Create(x, y, level, value, kind)) return 4;
    }
  }
  if (version < LAYVER_PRELL_FILL) {
    i32 minX, minY, maxX, maxY;
    if (Grid_GetExtent(&minX, &minY, nullptr, 0, nullptr, &maxY, &maxX) == 0)
      for (i32 y = minY; y <= maxY; ++y)
        for (i32 x = minX; x <= maxX; ++x) {
          const i32 kind = Prell_KindFromGrid(x, y);
          if (kind < 0 || Prell_At(x, y, 0)) continue;
          if (Prell_Create(x, y, 0, 0, u32(kind))) return 4;
        }
  }
  return 0;
}
