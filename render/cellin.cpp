#include "render/cellin.h"

#include "model/dwx.h"
#include "model/hst.h"
#include "model/lfst.h"
#include "model/prlb.h"
#include "model/rngp.h"
#include "model/tp.h"
#include "operation/snd.h"
#include "operation/pts.h"
#include "operation/sigeval.h"
#include "operation/tracktab.h"
#include "operation/trnmove.h"
#include "render/gfx.h"

// The element classes of the track connection table that the shape takes in
// any of the eight directions of entry, as a bit set by class. Every cell of
// every redraw asks, so the 512 shapes are worked out once.
static u32 ShapeClasses(u32 code) {
  static u32 table[512];
  static bool built = false;
  if (!built) {
    for (u32 s = 0; s < 512; ++s) {
      u32 set = 0;
      for (int d = 0; d < 8; ++d) set |= 1u << (kTrackConnection[d][Trk_ShapeIndex(s)] >> 8 & 31);
      table[s] = set;
    }
    built = true;
  }
  return table[Cell_Shape(code)];
}

int Map_PieceOwner(u32 code) {
  if (code >= 32767) return MAP_OWNER_NONE;
  if (Hst_IsCode(code, nullptr, nullptr)) return MAP_OWNER_STOP;
  const u32 c = ShapeClasses(code);
  auto has = [c](int cls) { return (c >> cls) & 1; };
  if (has(TRK_CLASS_STOP) || has(TRK_CLASS_STOP_REVERSE)) return MAP_OWNER_STOP;
  if (has(TRK_CLASS_TP) || has(TRK_CLASS_TP_REVERSE)) return MAP_OWNER_TIMETABLE;
  if (has(TRK_CLASS_SHUNT)) return MAP_OWNER_SHUNTING;
  if (has(TRK_CLASS_DWX)) return MAP_OWNER_DWX;
  if (has(TRK_CLASS_LFST)) return MAP_OWNER_LFST;
  if (has(TRK_CLASS_TURNOUT1) || has(TRK_CLASS_TURNOUT2) || has(TRK_CLASS_TURNOUT3) ||
      has(TRK_CLASS_CONTROLLED) || has(TRK_CLASS_CONTROLLED_LEVEL))
    return MAP_OWNER_TURNOUT;
  if (has(TRK_CLASS_BUFFER)) return MAP_OWNER_BUFFER;
  if (has(TRK_CLASS_SOUND)) return MAP_OWNER_SOUND;
  // Signals by the type of their shape: the track classes of shape 49 (the
  // ten-state elements) are those of any marked cell.
  const u32 type = Sig_ShapeTypeRange(Cell_WithoutMark(code), nullptr, nullptr);
  if (type == 10) return MAP_OWNER_SIGNAL10;
  if (type >= 1 && type <= 4) return MAP_OWNER_SIGNAL;
  return MAP_OWNER_NONE;
}

i32 Map_PieceStateAt(i32 x, i32 y, i32 level, int* hasState, u32 code) {
  if (hasState) *hasState = code < 32767 ? 1 : 0;
  switch (Map_PieceOwner(code)) {
    case MAP_OWNER_STOP:
      return i32(Hst_GetKind(x, y, level, 0));
    case MAP_OWNER_TURNOUT:
      return i32(Pts_GetField(x, y, level, -1));
    case MAP_OWNER_TIMETABLE:
      return i32(Tp_GetValue(x, y, level));
    case MAP_OWNER_SHUNTING:
      return i32(Rp_GetKind(x, y, level, 0));
    case MAP_OWNER_DWX:
      return i32(Dwx_GetValue(x, y, level));
    case MAP_OWNER_LFST:
      return i32(Lfst_GetKind(x, y, level, 0));
    case MAP_OWNER_BUFFER:
      return i32(Prell_GetKind(x, y, level));
    case MAP_OWNER_SOUND:
      return i32(Snd_GetPointValue(x, y, level));
    case MAP_OWNER_SIGNAL10:
      return i32(Sig_GetElementField(x, y, level));
    case MAP_OWNER_SIGNAL:
      return i32(Sig_QueryElementState(x, y, level, nullptr, 0, Sig_ShapeKind(Cell_WithoutMark(code))));
  }
  return 0;
}

i32 Map_CellPictureVariant(i32 x, i32 y, u32 code) {
  if (code < 16384 || code > 65535) return 0;
  const i32 variant = 1 + (x & 1) + 2 * (y & 1);
  if (code == 49152) return variant;
  const i32 n = Gfx_GetSubPictureCount(code, 0);
  if (n < 2) return 0;
  return n >= variant ? variant : 5 - variant;
}
