#include "render/objtext.h"

#include "model/cellcode.h"
#include "model/dep.h"
#include "model/logp.h"
#include "model/tp.h"
#include "operation/pts.h"
#include "operation/sig.h"
#include "operation/sigeval.h"
#include "platform/print.h"
#include "render/cellin.h"
#include "render/compose.h"
#include "render/disp.h"
#include "render/schem.h"
#include "render/terrain.h"

static void SetText(SprObjectText* out, const wch* text) {
  int n = 0;
  for (; text && text[n] && n < SPR_OBJECT_TEXT_MAX; ++n) out->text[n] = text[n];
  out->text[n] = 0;
}

static int Result(SprObjectText* out, int kind, int textColour, const wch* text) {
  out->kind = kind;
  out->textColour = textColour;
  out->boxColour = textColour + 1;
  SetText(out, text ? text : u"?");
  return 1;
}

// Each kind: 1 when the cell holds it (the text, or null when its data
// cannot be read, and the colours given through the out record).

// A turnout piece with a turnout controller: the id bound to it.
static int TurnoutText(i32 x, i32 y, i32 level, u32 code, SprObjectText* out) {
  if (!Pts_ShapeClass(code, nullptr, nullptr)) return 0;
  const u32 id = Pts_GetBoundId(x, y, level);
  if (!id) return 0;
  wch text[12];
  Fmt_Print(text, 12, u"%u", id);
  return Result(out, SPR_OT_TURNOUT, 159, text);
}

// A signal element: its name ("?" for a signal shape without one), in the
// colours of its shape's kind (2, 3, 4: 163, 165, 167; type 10 161).
static int SignalText(i32 x, i32 y, i32 level, u32 code, SprObjectText* out) {
  const int owner = Map_PieceOwner(code);
  if (owner != MAP_OWNER_SIGNAL && owner != MAP_OWNER_SIGNAL10) return 0;
  const u32 normal = Cell_Normalised(code);
  const SignalElement* e = Sig_FindElementAt(x, y, level, owner == MAP_OWNER_SIGNAL10);
  const int kind = Sig_ShapeKind(normal);
  return Result(out, SPR_OT_SIGNAL, kind == 2 ? 163 : kind == 3 ? 165 : kind == 4 ? 167 : 161, e ? e->Name : nullptr);
}

// A timetable point: its name (169 with no queued departure, else 171).
static int TimetableText(i32 x, i32 y, i32 level, u32, SprObjectText* out) {
  const TimetablePoint* p = Tp_FindAtCell(x, y, level);
  if (!p) return 0;
  return Result(out, SPR_OT_TIMETABLE, p->QueueCount < 1 ? 169 : 171, p->Name);
}

// A Dwx point: its name, which the store cannot give yet.
static int DwxText(i32, i32, i32, u32 code, SprObjectText* out) {
  if (Map_PieceOwner(code) != MAP_OWNER_DWX) return 0;
  return Result(out, SPR_OT_DWX, 173, nullptr);
}

// A depot place (the class-136 shapes): its display name unpadded.
static int DepotText(i32 x, i32 y, i32 level, u32 code, SprObjectText* out) {
  if (code >= CELL_RESERVED_BIT || !Cell_HasShapeIn(code, 136, 151)) return 0;
  u32 place = 0;
  const u32 depot = Dep_FindAtPosition(x, y, level, &place);
  wch name[24];
  const int readable = depot != 0 && Dep_FormatName(depot, -i32(place), name, nullptr) == 0;
  return Result(out, SPR_OT_DEPOT, 175, readable ? name : nullptr);
}

// A log point: its name (182 when it is switched off).
static int LogText(i32 x, i32 y, i32 level, u32, SprObjectText* out) {
  const LogPoint* p = Logp_Find(x, y, level);
  if (!p) return 0;
  return Result(out, SPR_OT_LOG, (p->Flags & LOGP_F_OFF) ? 182 : 180, p->Name);
}

int Spr_CellObjectTextFor(i32 x, i32 y, i32 level, u32 flags, SprObjectText* out) {
  if (!(flags & 63) || x < 0 || y < 0 || x > 32767 || y > 32767 || level > 0 || level < -4) return 0;
  // A train's cell shows the object under the train.
  const u32 code = Spr_CellCode(x, y, level);
  typedef int (*KindText)(i32, i32, i32, u32, SprObjectText*);
  static const KindText kinds[6] = {TurnoutText, SignalText, TimetableText,
                                    DwxText, DepotText, LogText};
  SprObjectText rec = {};
  rec.columnOffset = (x & 1) ? 8 : 0;
  for (int k = 0; k < 6; ++k)
    if ((flags & (1u << k)) && kinds[k](x, y, level, code, &rec)) {
      *out = rec;
      return 1;
    }
  return 0;
}

int Spr_CellObjectText(i32 x, i32 y, i32 level, SprObjectText* out) {
  u32 word = 0;
  i32 row = 0;
  Disp_GetObjectTextMode(&word, &row);
  return Spr_CellObjectTextFor(x, y, level, word, out);
}

int Spr_DrawGridGlyph(SchBuf* dc, i32 x, i32 y, int scale, u32 colour, u32 character) {
  if (!dc || character >= 32) return 0;
  const int zoom = scale <= 1 ? 1 : 2;
  const u8* mask = Spr_TerrainMask(88 + int(character), zoom);
  if (!mask) return 0;
  const int w = 8 * zoom, h = 16 * zoom, block = scale <= 1 ? 1 : (scale / 2 > 1 ? scale / 2 : 1);
  int set = 0;
  for (int r = 0; r < h; ++r)
    for (int c = 0; c < w; ++c) {
      if (!(mask[r * w + c] & 0x0C)) continue;
      for (int by = 0; by < block; ++by)
        for (int bx = 0; bx < block; ++bx) {
          const i32 px = x + c * block + bx, py = y + r * block + by;
          if (px >= 0 && py >= 0 && px < dc->width && py < dc->height) {
            Map_BufSetPixel(dc, px, py, colour);
            ++set;
          }
        }
    }
  return set;
}
