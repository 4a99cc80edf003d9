#include "model/laylevels.h"

#include "model/grid.h"
#include "operation/trnramp.h"
#include "platform/clip.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"

namespace {

struct LevelPass {
  i32 failed;
  i32 converted;
};

// A place that could not be converted: counted, its position on the
// clipboard (emptied at the first one).
void Lay_LevelFailed(LevelPass* p, i32 x, i32 y, i32 level) {
  if (p->failed++ == 0) Clip_Empty();
  wch line[40];
  Fmt_Print(line, 40, u"%i,%i,%i", int(x), int(y), int(level));
  Clip_AppendLine(line);
}

int Lay_CellEmpty(i32 x, i32 y, i32 level) { return Grid_GetCell(x, y, level) == CELL_EMPTY; }

// Writes below the ground only into an empty cell (else *blocked is set);
// level 0 is always written. 0, or 1 when no block could be allocated.
int Lay_LevelWrite(i32 x, i32 y, i32 level, u32 code, int* blocked) {
  if (level < 0 && !Lay_CellEmpty(x, y, level)) {
    *blocked = 1;
    return 0;
  }
  return Grid_SetCell(x, y, level, CellCode(code)) ? 0 : 1;
}

// One ramp of len cells (start and end included) from (x, y); 0, or -1
// when a block could not be allocated.
int Lay_ConvertRamp(LevelPass* p, i32 x, i32 y, i32 len, i32 dx, i32 dy, u32 straightKind, u32 carry) {
  // The depth: the first level where the ends and the span between them
  // are free.
  i32 d = 1, s = len - 2, sx = x, sy = y, ex = x + (len - 1) * dx, ey = y + (len - 1) * dy;
  for (;;) {
    if (!Lay_CellEmpty(sx, sy, -d) || !Lay_CellEmpty(ex, ey, -d)) {
      Lay_LevelFailed(p, x, y, -d);
      return 0;
    }
    i32 blockedAt = -1;
    for (i32 i = 1; i <= s && blockedAt < 0; ++i)
      if (!Lay_CellEmpty(sx + i * dx, sy + i * dy, -d)) blockedAt = i;
    if (blockedAt < 0) break;
    if (blockedAt == 1 || blockedAt == s || d >= 4 || s < 2) {
      Lay_LevelFailed(p, x, y, -d);
      return 0;
    }
    ++d;
    s -= 2;
    sx += dx, sy += dy;
    ex -= dx, ey -= dy;
  }
  const u32 a = Cell_WithoutMark(Grid_GetCell(x, y, 0));
  const u32 b = Cell_WithoutMark(Grid_GetCell(x + (len - 1) * dx, y + (len - 1) * dy, 0));
  const u32 straight = Cell_WithShape(a, straightKind);
  const u32 pa = Trn_RampPartnerCode(b), pb = Trn_RampPartnerCode(a);
  i32 level = 0;
  int blocked = 0;
  for (i32 i = 0; i < len; ++i) {
    const i32 cx = x + i * dx, cy = y + i * dy;
    int e = 0;
    if (i < d) {
      e |= Lay_LevelWrite(cx, cy, level, a | carry, &blocked);
      --level;
      e |= Lay_LevelWrite(cx, cy, level, pb, &blocked);
    } else if (i < len - d) {
      e |= Lay_LevelWrite(cx, cy, level, straight | carry, &blocked);
    } else {
      e |= Lay_LevelWrite(cx, cy, level, pa, &blocked);
      ++level;
      e |= Lay_LevelWrite(cx, cy, level, b | carry, &blocked);
    }
    if (e) return -1;
  }
  if (blocked) Lay_LevelFailed(p, x, y, -d);
  ++p->converted;
  return 0;
}

}  // namespace

i32 Lay_ConvertLevels(void) {
  i32 minX, minY, maxX, maxY;
  if (Grid_GetExtent(&minX, &minY, nullptr, 0, nullptr, &maxY, &maxX) != 0) return 0;
  const int boxes = Msg_InfoDepth();
  Msg_InfoOpen(Lng_GetText(11860), nullptr, 0, 0);
  static const i32 kPass[7] = {0, 2, 4, 6, 8, 10, 32768};
  LevelPass p = {0, 0};
  i32 result = 0;
  for (int pass = 0; pass < 6 && result >= 0; ++pass) {
    for (i32 y = minY; y <= maxY && result >= 0; ++y) {
      if ((y & 63) == 0) {
        wch text[120];
        Fmt_Print(text, 120, u"%s %i %s %i %s %i", Lng_GetText(11861), int(kPass[pass + 1]), Lng_GetText(11862),
                  int(y), Lng_GetText(11863), int(p.converted));
        Msg_InfoUpdate(text);
      }
      for (i32 x = minX; x <= maxX && result >= 0; ++x) {
        const u32 c = Grid_GetCell(x, y, 0);
        if (!Cell_IsElement(c) || !Trn_RampDownClass(Cell_WithoutMark(c))) continue;
        const u32 dir = 1u << (c & 7);
        i32 x2 = x, y2 = y, steps = 0;
        const int walk = Trn_FindRampAlong(&x2, &y2, &steps, dir);
        if (walk != 0 && walk != 1) continue;
        // The walk's cells, both ends included.
        const i32 len = steps + 1;
        if (len < kPass[pass] || len >= kPass[pass + 1]) continue;
        const i32 dy = (dir & 0x52) ? 1 : 0;
        const i32 dx = (dir & 0x18) ? 1 : (dir & 0x40) ? -1 : 0;
        const u32 kind = dir == 0x08 ? 0 : dir == 0x10 ? 2 : dir == 0x40 ? 3 : 1;
        if (!(dy == 1 || (dy == 0 && dx == 1))) continue;
        const u32 carry = walk == 1 ? (c & CELL_RESERVED_BIT) : 0;
        if (Lay_ConvertRamp(&p, x, y, len, dx, dy, kind, carry) < 0) result = -1;
      }
    }
  }
  while (Msg_InfoDepth() > boxes)
    if (Msg_InfoClose() < 0) break;
  return result < 0 ? -1 : p.failed;
}
