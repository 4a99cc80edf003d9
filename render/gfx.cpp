#include "render/gfx.h"

#include <cstring>

#include "model/cellcode.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "platform/print.h"
#include "platform/str.h"
#include "render/bgp.h"
#include "render/disp.h"
#include "render/font.h"
#include "render/gfxfile.h"
#include "render/pal.h"
#include "render/vehicles.h"

GfxSlot** ElementGraphicsTable;
u32* GfxBaseStrip;

namespace {

enum : TextId {
  TXT_RESULT = 5501,
  TXT_RECORD_FAULTY = 5506,
  TXT_RECORD_ZOOM = 5507,
  TXT_RECORD_FILE = 5508,
  TXT_LOAD_ZOOM = 5620,
  TXT_LOAD_TITLE = 5621
};
enum { MSG_RECORD_FAULTY = 621 };

int g_zoomSet = 1;
int g_displayCheck;
GfxKindQuery g_kindQuery;
wch g_userSetFolder[GFX_USER_SETS][OS_MAX_PATH];
wch g_userElementFolder[GFX_USER_ELEMENT_FILES + 1][OS_MAX_PATH];

struct CodeRange {
  u32 first, last;
  i32 slot;
};

// Picture codes and their slots, in the order the loader walks them.
const CodeRange kPictureRanges[] = {
    {49152, 49158, 1808}, {49408, 49487, 1488}, {49664, 49743, 1568}, {49920, 49999, 1648},
    {50176, 50255, 1728}, {50452, 50469, 1470}, {50688, 50701, 1418}, {50944, 50981, 1432},
    {51200, 51343, 1190}, {51456, 51463, 1400}, {51712, 51721, 1408}, {51968, 52077, 992},
    {52224, 52293, 1102}, {52480, 52679, 792},  {52736, 52761, 766},  {52992, 53065, 692},
    {53248, 53253, 90},   {53504, 53605, 96},   {53760, 53849, 0},    {54016, 54177, 198},
    {54272, 54417, 360},  {54528, 54713, 506},  {54784, 54831, 1334}, {55040, 55057, 1382},
    {55296, 55313, 1172}, {55552, 65451, 3863}};
const int kPictureRangeCount = int(sizeof kPictureRanges / sizeof kPictureRanges[0]);

// Shapes of element codes that have pictures, per class base.
const u16 kShapeRanges[][2] = {{128, 135}, {136, 151}, {152, 159}, {160, 167}, {168, 175}, {176, 183},
                               {184, 191}, {192, 199}, {200, 207}, {208, 210}, {216, 255}, {256, 259},
                               {260, 263}, {264, 271}, {392, 399}, {400, 423}, {424, 439}, {440, 455},
                               {456, 471}, {496, 503}, {504, 511}};
const u32 kClassBases[4] = {0, 4096, 7168, 8192};

int ZoomIndex(int zoom) { return zoom == 4 ? 2 : zoom == 2 ? 1 : 0; }

// ---------------------------------------------------------------- slots

void InitSubPicture(GfxSubPicture* sp) {
  memset(sp, 0, sizeof *sp);
  for (auto& b : sp->box)
    for (u16& v : b) v = 65535;
}

void FreeSubZoom(GfxSubPicture* sp, int zi) {
  for (auto& pic : sp->blocks) {
    Heap_Free(pic[zi].pixels);
    memset(&pic[zi], 0, sizeof pic[zi]);
  }
  Heap_Free(sp->name[zi]);
  sp->name[zi] = nullptr;
}

void FreeSlot(GfxSlot* slot) {
  if (!slot) return;
  for (i32 v = 0; v < slot->variantCount; ++v)
    for (GfxSubPicture* sp : slot->variants[v].sub) {
      if (!sp) continue;
      for (int zi = 0; zi < 3; ++zi) FreeSubZoom(sp, zi);
      Heap_Free(sp);
    }
  Heap_Free(slot->variants);
  Heap_Free(slot);
}

// The variant of a slot, the slot made or grown as needed; null when memory
// is short.
GfxVariant* VariantFor(i32 slotIndex, i32 variant) {
  if (!ElementGraphicsTable || slotIndex < 0 || slotIndex >= GFX_SLOTS || variant < 0) return nullptr;
  GfxSlot*& slot = ElementGraphicsTable[slotIndex];
  if (!slot) {
    slot = (GfxSlot*)Heap_Alloc(sizeof(GfxSlot));
    if (!slot) return nullptr;
    slot->variantCount = 0;
    slot->variants = nullptr;
  }
  if (variant >= slot->variantCount) {
    GfxVariant* grown = (GfxVariant*)Heap_Realloc(slot->variants, u32(variant + 1) * sizeof(GfxVariant));
    if (!grown && !slot->variants) grown = (GfxVariant*)Heap_Alloc(u32(variant + 1) * sizeof(GfxVariant));
    if (!grown) return nullptr;
    for (i32 v = slot->variantCount; v <= variant; ++v) {
      grown[v].subCount = 1;
      for (GfxSubPicture*& sp : grown[v].sub) sp = nullptr;
    }
    slot->variants = grown;
    slot->variantCount = variant + 1;
  }
  return &slot->variants[variant];
}

wch* CopyName(const wch* s) {
  i32 n = Str_Len(s);
  if (n == 0) return nullptr;
  wch* c = (wch*)Heap_Alloc(u32(n + 1) * 2);
  if (c) Mem_CopyWide(c, s, n + 1);
  return c;
}

// Moves the record's pictures into the slot at its zoom. 0 or 14.
int StoreRecord(i32 slotIndex, i32 variant, i32 sub, GfxElementRecord* rec) {
  GfxVariant* v = VariantFor(slotIndex, variant);
  if (!v) return GFXR_NO_MEMORY;
  const int zi = ZoomIndex(rec->zoom);
  GfxSubPicture*& sp = v->sub[sub <= 1 ? 0 : sub - 1];
  if (!sp) {
    sp = (GfxSubPicture*)Heap_Alloc(sizeof(GfxSubPicture));
    if (!sp) return GFXR_NO_MEMORY;
    InitSubPicture(sp);
  }
  if (sub > v->subCount) v->subCount = sub;
  FreeSubZoom(sp, zi);
  for (u32 i = 0; i < rec->count; ++i) {
    GfxPicture& p = rec->pictures[i];
    sp->blocks[i][zi] = GfxBlock{p.pixels, u16(p.layer), u16(p.x), u16(p.y), u16(p.width), u16(p.height)};
    p.pixels = nullptr;
  }
  sp->flags = rec->flags;
  for (int k = 0; k < 3; ++k) sp->offsets[zi][k] = GfxFile_ScaledOffset(rec, k);
  if (rec->flags & 4) {
    sp->placeKind = rec->placeKind;
    sp->placeValue = rec->placeValue;
    sp->kept[0] = rec->kept[0];
    sp->kept[1] = rec->kept[1];
    // The box given at the record's zoom spreads to the larger zooms.
    const u32* b = rec->box;
    for (int z = zi; z < 3; ++z) {
      u32 f = 1u << (z - zi);
      u16* out = sp->box[z];
      if (f == 1) {
        for (int k = 0; k < 4; ++k) out[k] = u16(b[k]);
      } else {
        out[0] = u16(f * b[0]);
        out[1] = u16(f * b[1]);
        out[2] = u16(f * b[2] - 1);
        out[3] = u16(f * b[3] - 1);
      }
    }
  }
  sp->name[zi] = CopyName(rec->name);
  return 0;
}

// ---------------------------------------------------------------- placeholders

// Built-in 5 x 7 glyphs (rows top first, bit 4 the leftmost column).
struct Glyph {
  wch ch;
  u8 rows[7];
};
const Glyph kGlyphs[] = {
    {u'0', {14, 17, 19, 21, 25, 17, 14}}, {u'1', {4, 12, 4, 4, 4, 4, 14}},    {u'2', {14, 17, 1, 2, 4, 8, 31}},
    {u'3', {30, 1, 1, 14, 1, 1, 30}},     {u'4', {2, 6, 10, 18, 31, 2, 2}},   {u'5', {31, 16, 30, 1, 1, 17, 14}},
    {u'6', {6, 8, 16, 30, 17, 17, 14}},   {u'7', {31, 1, 2, 4, 8, 8, 8}},     {u'8', {14, 17, 17, 14, 17, 17, 14}},
    {u'9', {14, 17, 17, 15, 1, 2, 12}},   {u'.', {0, 0, 0, 0, 0, 12, 12}},    {u'U', {17, 17, 17, 17, 17, 17, 14}},
    {u'm', {0, 0, 26, 21, 21, 21, 21}},   {u'o', {0, 0, 14, 17, 17, 17, 14}}, {u'u', {0, 0, 17, 17, 17, 19, 13}},
    {u'-', {0, 0, 0, 14, 0, 0, 0}},       {u'+', {0, 4, 4, 31, 4, 4, 0}},     {u':', {0, 12, 12, 0, 12, 12, 0}},
    {u'/', {1, 1, 2, 4, 8, 16, 16}},      {u'*', {0, 21, 14, 31, 14, 21, 0}}, {u'#', {10, 31, 10, 10, 31, 10, 0}},
    {u'=', {0, 0, 31, 0, 31, 0, 0}},      {u'!', {4, 4, 4, 4, 4, 0, 4}}};

enum { PH_WIDTH = 30, PH_HEIGHT = 8 };

// Draws text with its last glyph ending at column endCol (inclusive);
// pixels outside the block are dropped.
void DrawLabel(u32* px, const wch* text, int endCol, u32 colour) {
  int n = Str_Len(text);
  int x0 = endCol + 1 - 5 * n;
  for (int i = 0; i < n; ++i) {
    const Glyph* g = nullptr;
    for (const Glyph& k : kGlyphs)
      if (k.ch == text[i]) g = &k;
    if (!g) continue;
    for (int r = 0; r < 7; ++r)
      for (int c = 0; c < 5; ++c) {
        if (!(g->rows[r] & (16 >> c))) continue;
        int x = x0 + 5 * i + c, y = r;
        if (x >= 0 && x < PH_WIDTH && y >= 0 && y < PH_HEIGHT) px[y * PH_WIDTH + x] = colour;
      }
  }
}

struct PlaceholderLabel {
  const wch* text;
  int endCol;
  u32 colour;
};

// A zoom-1 record of one 30 x 8 picture in layer 1 with the labels drawn on
// it. 0, or 5 when memory is short (nothing to free then).
int BuildPlaceholder(GfxElementRecord* rec, const PlaceholderLabel* labels, int count) {
  memset(rec, 0, sizeof *rec);
  rec->zoom = 1;
  rec->flags = 2;
  rec->count = 1;
  GfxPicture& p = rec->pictures[0];
  p.layer = 1;
  p.width = PH_WIDTH;
  p.height = PH_HEIGHT;
  p.pixels = (u32*)Heap_Alloc(PH_WIDTH * PH_HEIGHT * 4);
  if (!p.pixels) return 5;
  Asm_FillDwords(p.pixels, GFX_TRANSPARENT, PH_WIDTH * PH_HEIGHT);
  for (int i = 0; i < count; ++i) DrawLabel(p.pixels, labels[i].text, labels[i].endCol, labels[i].colour);
  return 0;
}

// Stores a built placeholder as the variant's record. 0 or 5.
int StoreBuiltPlaceholder(i32 slotIndex, i32 variant, GfxElementRecord* rec) {
  int r = StoreRecord(slotIndex, variant, 0, rec);
  GfxFile_FreeElementRecord(rec);
  return r ? 5 : 0;
}

// ---------------------------------------------------------------- record loading

struct LoadContext {
  int zoom;
  const GfxCombinedFile* combined;
  int singleOnly;
  int faulty;
  int found;
  int noSingleFolder;  // the zoom's folder of single element files is absent
};

int IsUserCode(GraphicCode code) { return code >= GFX_USER_FIRST_CODE && code <= GFX_USER_LAST_CODE; }

void ReportFaulty(GraphicCode code, i32 state, i32 sub, int zoom, i32 variant, int result) {
  wch name[OS_MAX_PATH];
  if (Gfx_ElementFileName(code, state, sub, zoom, name, variant) == 2) Str_Copy(name, u"???");
  wch text[600];
  Fmt_Print(text, 600, u"%s (%s%c)\r\n%s: \"%s\", %s=%i", Lng_GetText(TXT_RECORD_FAULTY),
            Lng_GetText(TXT_RECORD_ZOOM), wch('0' + zoom), Lng_GetText(TXT_RECORD_FILE), name,
            Lng_GetText(TXT_RESULT), result);
  Msg_WarnText(MSG_RECORD_FAULTY, text);
}

// Where a record's single file lies: its folder index and the name within.
int SingleFilePath(GraphicCode code, i32 state, i32 sub, int zoom, i32 variant, wch* path, int* folder) {
  wch name[OS_MAX_PATH];
  int r = Gfx_ElementFileName(code, state, sub, zoom, name, variant);
  if (r == 2) return 2;
  if (IsUserCode(code)) {
    const wch* dir = g_userSetFolder[(code - GFX_USER_FIRST_CODE) / GFX_USER_SET_CODES];
    if (!dir[0]) return 2;
    if (Str_Len(dir) + Str_Len(name) >= OS_MAX_PATH) return 2;
    Str_Copy(path, dir);
    Str_Append(path, name);
    *folder = FOLDER_FULLPATH;
    return 0;
  }
  Str_Copy(path, name);
  *folder = zoom == 4 ? FOLDER_ZOOM4F : zoom == 2 ? FOLDER_ZOOM2F : FOLDER_ZOOM1F;
  return 0;
}

// Loads one record into its slot: the single file first when asked, then
// the combined file. The record result (3 when neither has it).
int LoadRecord(LoadContext* ctx, GraphicCode code, i32 state, i32 sub, i32 variant, i32 slotIndex,
               i32 slotVariant) {
  GfxElementRecord rec;
  int r = GFXR_NOT_PRESENT;
  const int look = IsUserCode(code) || !ctx->noSingleFolder;
  if (look && (ctx->singleOnly || Disp_GetSingleFileGfx() || !ctx->combined)) {
    wch path[OS_MAX_PATH];
    int folder;
    if (SingleFilePath(code, state, sub, ctx->zoom, variant, path, &folder) == 0)
      r = Gfx_ReadSingleElementFile(path, folder, ctx->zoom, &rec);
  }
  if (r == GFXR_NOT_PRESENT && ctx->combined && !ctx->singleOnly)
    r = GfxFile_ReadCombined(ctx->combined, code, u32(state), u32(sub), u32(variant), &rec);
  if (r == 0) {
    r = StoreRecord(slotIndex, slotVariant, sub, &rec);
    GfxFile_FreeElementRecord(&rec);
  }
  if (r == 0) ctx->found++;
  if (r != 0 && r != GFXR_NOT_PRESENT) {
    ctx->faulty = 1;
    ReportFaulty(code, state, sub, ctx->zoom, variant, r);
  }
  return r;
}

// A picture code: its variants while found, each with its sub-pictures.
void LoadPictureCode(LoadContext* ctx, GraphicCode code, i32 slotIndex) {
  for (i32 v = 0; v < 100; ++v) {
    int any = 0;
    for (i32 sub = 0; sub <= 4; ++sub)
      if (LoadRecord(ctx, code, 0, sub, v, slotIndex, v) == 0) any = 1;
    if (!any && v > 0) break;
  }
}

void LoadElementCode(LoadContext* ctx, GraphicCode code) {
  GfxElementKind k;
  Gfx_ElementKind(code, &k);
  for (i32 state = k.lowState; state <= k.highState; ++state) {
    i32 canonical;
    i32 v = Gfx_ElementVariantIndex(code, state, &canonical);
    // Each variant is loaded from its first state (the canonical one), so
    // that every state's picture is there, not only state 0's.
    if (canonical != state) continue;
    i32 slot = Gfx_ElementSlot(code, state);
    if (slot < 0) continue;
    int subs = (k.kind >= 1 && k.kind <= 4) ? 4 : 0;
    for (i32 sub = 0; sub <= subs; ++sub) LoadRecord(ctx, code, state, sub, 0, slot, v);
  }
}

void ProgressOpen(int zoom) {
  wch line[200];
  Fmt_Print(line, 200, u"%s%c)", Lng_GetText(TXT_LOAD_ZOOM), wch('0' + zoom));
  Msg_InfoOpen(line, Lng_GetText(TXT_LOAD_TITLE), 0, 0);
}

void ProgressStep(u32 done, u32 total) {
  if (done % 184 != 0 || total == 0) return;
  wch line[32];
  Fmt_Print(line, 32, u"%u%%", done * 100 / total);
  Msg_InfoUpdate(line);
}

void FreeStrip(void) {
  Heap_Free(GfxBaseStrip);
  GfxBaseStrip = nullptr;
}

}  // namespace

// ================================================================ kinds

void Gfx_SetKindQuery(GfxKindQuery query) { g_kindQuery = query; }

int Gfx_ElementKind(GraphicCode code, GfxElementKind* out) {
  GfxElementKind k = {0, 0, 0, 0};
  if (g_kindQuery && code < GFX_FIRST_PICTURE_CODE) g_kindQuery(code, &k);
  if (k.kind <= 0 || k.highState < k.lowState) k = GfxElementKind{0, k.flags, 0, 0};
  if (out) *out = k;
  return k.kind;
}

// ================================================================ effects

int Gfx_PictureEffects(const GfxSubPicture* sp, GfxEffects* out) {
  memset(out, 0, sizeof *out);
  if (!sp || !(sp->flags & 4)) return 0;
  const u32 kind = sp->placeKind;
  if (kind & (GFX_FX_SMOKE | GFX_FX_LIGHT_SMOKE)) {
    out->smokeX = sp->offsets[0][0] / 4;
    out->smokeY = sp->offsets[0][1] / 4;
    out->smokeWidth = sp->offsets[0][2] / 4;
    // A source without width has no particles.
    out->smoke = out->smokeWidth > 0;
    out->lightSmoke = out->smoke && (kind & GFX_FX_LIGHT_SMOKE) ? 1 : 0;
  }
  if (kind & GFX_FX_CLOCK) {
    out->clockLayer = int(sp->placeValue);
    out->clockFlags = int((kind >> 8) & 0xFF);
    out->handA = sp->kept[0];
    out->handB = sp->kept[1];
    for (int zi = 0; zi < 3; ++zi) {
      const u16* b = sp->box[zi];
      const int z = 1 << zi;
      if (b[0] == 65535 || b[2] == 65535) {
        // No box of this zoom: the zoom-1 box scaled.
        out->clockX[zi] = out->clockX[0] * z;
        out->clockY[zi] = out->clockY[0] * z;
        out->clockSize[zi] = out->clockSize[0] * z;
        continue;
      }
      out->clockX[zi] = i16(b[0]);
      out->clockY[zi] = i16(b[1]);
      out->clockSize[zi] = int(i16(b[2])) - int(i16(b[0])) + (zi > 0 ? 1 : 0);
    }
    out->clock = out->clockLayer >= 1 && out->clockLayer <= 5 && out->clockSize[0] > 0;
  }
  return out->smoke || out->clock;
}

// ================================================================ lookups

int Gfx_CodeClass(GraphicCode code) {
  if (code >= 4096 && code <= 6143) return 1;
  if (code >= 7168 && code <= 8191) return 2;
  if (code >= 8192 && code <= 12799) return 3;
  return 0;
}

int Gfx_ElementBank(GraphicCode code) { return Gfx_CodeClass(code); }

i32 Gfx_ElementSlot(GraphicCode code, i32 state) {
  if (code >= GFX_FIRST_PICTURE_CODE) return -1;
  i32 shape = i32(Cell_Shape(code));
  if (shape < 96) return -1;
  GfxElementKind k;
  Gfx_ElementKind(code, &k);
  if (k.kind == 10 && !Disp_GetOptH()) return -1;
  if ((k.flags & GFX_KIND_HIDDEN) && !Disp_GetOptLwx()) return -1;
  if (k.flags & GFX_KIND_TURNOUT) {
    if (state >= 100) return -1;
  } else if (k.kind > 0 && k.kind != 4 && state >= 242) {
    return -1;
  }
  return Gfx_ElementBank(code) * 512 + GFX_FIRST_ELEMENT_SLOT + shape;
}

i32 Gfx_UserCodeSlot(GraphicCode code) {
  for (const CodeRange& r : kPictureRanges)
    if (code >= r.first && code <= r.last) return r.slot + i32(code - r.first);
  return -1;
}

i32 Gfx_SlotOf(GraphicCode code, i32 state) {
  return code < GFX_FIRST_PICTURE_CODE ? Gfx_ElementSlot(code, state) : Gfx_UserCodeSlot(code);
}

i32 Gfx_ElementVariantIndex(GraphicCode code, i32 state, i32* canonicalState) {
  GfxElementKind k;
  i32 v = 0, canon = 0;
  if (state < 0) state = 0;
  if (Gfx_ElementKind(code, &k) > 0) {
    if (k.kind == 4) {
      v = state >> 1;
      canon = state & ~1;
    } else if (state >= 242 && k.kind != 10) {
      v = canon = state;
    } else {
      v = state / 3;
      canon = 3 * v;
    }
  }
  if (canonicalState) *canonicalState = canon;
  return v;
}

GraphicCode Gfx_ElementDisplayCode(GraphicCode code, i32 state) {
  if (code >= GFX_FIRST_PICTURE_CODE) return 49152;
  GfxElementKind k;
  Gfx_ElementKind(code, &k);
  if (state < k.lowState || state > k.highState) return 49152;
  return Cell_WithShape(code, (code & 7) + 160);
}

const GfxSubPicture* Gfx_GetSubPicture(GraphicCode code, i32 state, i32 subPicture, i32 variant) {
  if (!ElementGraphicsTable || subPicture < 0 || subPicture > 4) return nullptr;
  i32 slotIndex = Gfx_SlotOf(code, state);
  if (slotIndex < 0) return nullptr;
  const GfxSlot* slot = ElementGraphicsTable[slotIndex];
  if (!slot) return nullptr;
  i32 v = code < GFX_FIRST_PICTURE_CODE ? Gfx_ElementVariantIndex(code, state, nullptr) : variant;
  if (v < 0 || v >= slot->variantCount) return nullptr;
  const GfxVariant& var = slot->variants[v];
  // A sub-picture beyond the count falls back to the first record.
  i32 i = (subPicture <= 1 || subPicture > var.subCount) ? 0 : subPicture - 1;
  // A missing record between loaded ones serves as the first too.
  return var.sub[i] ? var.sub[i] : var.sub[0];
}

const GfxBlock* Gfx_GetElementBitmap(GraphicCode code, i32 state, i32 subPicture, int zoom, i32 variant) {
  const GfxSubPicture* sp = Gfx_GetSubPicture(code, state, subPicture, variant);
  if (!sp) return nullptr;
  const GfxBlock* b = &sp->blocks[0][ZoomIndex(zoom)];
  return b->pixels ? b : nullptr;
}

i32 Gfx_GetElementVariantCount(GraphicCode code) {
  i32 s = Gfx_SlotOf(code, 0);
  if (s < 0 || !ElementGraphicsTable || !ElementGraphicsTable[s]) return 0;
  return ElementGraphicsTable[s]->variantCount;
}

i32 Gfx_GetSubPictureCount(GraphicCode code, i32 variant) {
  i32 s = Gfx_SlotOf(code, 0);
  if (s < 0 || !ElementGraphicsTable || !ElementGraphicsTable[s]) return 0;
  const GfxSlot* slot = ElementGraphicsTable[s];
  if (variant < 0 || variant >= slot->variantCount) return 0;
  i32 n = slot->variants[variant].subCount;
  return n >= 2 ? n : 0;
}

// ================================================================ file names

void Gfx_UserElementStates(int file, i32* shape, i32* firstState) {
  i32 sh = 0, st = 0;
  if (file >= 1 && file <= 20) {
    sh = 440;
    st = 72 + 6 * (file - 1);
  } else if (file >= 21 && file <= 40) {
    sh = 424;
    st = 66 + 6 * (file - 21);
  } else if (file >= 41 && file <= 60) {
    sh = 400;
    st = 54 + 6 * (file - 41);
  }
  if (shape) *shape = sh;
  if (firstState) *firstState = st;
}

// The user element file (1..60) of an element code in a state, 0 none.
static int UserElementFileOf(GraphicCode code, i32 state) {
  if (code >= GFX_FIRST_PICTURE_CODE) return 0;
  for (int f = 1; f <= GFX_USER_ELEMENT_FILES; f += 20) {
    i32 shape, first;
    Gfx_UserElementStates(f, &shape, &first);
    if (i32(code & 0x3FFF) != shape) continue;
    if (state >= first && state < first + 120) return f + (state - first) / 6;
  }
  return 0;
}

// Appends a part unless the name would reach OS_MAX_PATH units.
static void AppendPart(wch* name, const wch* part) {
  if (Str_Len(name) + Str_Len(part) < OS_MAX_PATH) Str_Append(name, part);
}

int Gfx_ElementFileName(GraphicCode code, i32 state, i32 subPicture, int zoom, wch* name, i32 variant) {
  wch part[32];
  name[0] = 0;
  if (code > 65535 || subPicture < 0 || subPicture > 4 || variant < 0 || variant > 99) return 2;
  int result = 0;
  int userElement = 0, userGraphic = IsUserCode(code);
  i32 userNumber = 0;
  if (code < GFX_FIRST_PICTURE_CODE) {
    int file = UserElementFileOf(code, state);
    if (file) {
      i32 shape, first;
      Gfx_UserElementStates(file, &shape, &first);
      int familyFirst = file <= 20 ? 1 : file <= 40 ? 21 : 41;
      i32 firstOfFamily;
      Gfx_UserElementStates(familyFirst, nullptr, &firstOfFamily);
      Fmt_Print(part, 32, u"u%02i", state - firstOfFamily);
      userElement = 1;
      userNumber = file;
      result = g_userElementFolder[file][0] ? 1 : 3;
    } else {
      static const wch kClassLetter[4] = {u's', u't', u'h', u'b'};
      Fmt_Print(part, 32, u"%c%03u", kClassLetter[Gfx_CodeClass(code)], Cell_Shape(code));
    }
  } else if (!userGraphic) {
    Fmt_Print(part, 32, u"%06u", code);
  } else {
    u32 place = (code - GFX_USER_FIRST_CODE) % GFX_USER_SET_CODES;
    i32 set = i32((code - GFX_USER_FIRST_CODE) / GFX_USER_SET_CODES);
    Fmt_Print(part, 32, u"u%02u", place);
    userNumber = set + 1;
    result = g_userSetFolder[set][0] ? 1 : 3;
  }
  AppendPart(name, part);
  if (variant > 0) {
    Fmt_Print(part, 32, u"-%02i", variant);
    AppendPart(name, part);
  }
  if (code < GFX_FIRST_PICTURE_CODE && !userElement) {
    Fmt_Print(part, 32, u"-%03i", state);
    AppendPart(name, part);
  }
  if (subPicture > 0) {
    part[0] = wch(u'a' + subPicture - 1);
    part[1] = 0;
    AppendPart(name, part);
  }
  if (result == 3) {
    Fmt_Print(part, 32, u"-%03i", userNumber - 1);
    AppendPart(name, part);
  }
  if (zoom) {
    int user = userGraphic || userElement;
    Fmt_Print(part, 32, u".%cz%c", user ? u'u' : u'g', wch('0' + (zoom == 4 ? 4 : zoom == 2 ? 2 : 1)));
    AppendPart(name, part);
  }
  return result;
}

// ================================================================ table

int Gfx_AllocElementTable(void) {
  if (ElementGraphicsTable) return 0;
  ElementGraphicsTable = (GfxSlot**)Heap_Alloc(GFX_SLOTS * sizeof(GfxSlot*));
  if (!ElementGraphicsTable) return 1;
  memset(ElementGraphicsTable, 0, GFX_SLOTS * sizeof(GfxSlot*));
  return 0;
}

void Gfx_FreeElementTable(void) {
  if (!ElementGraphicsTable) return;
  for (i32 i = 0; i < GFX_SLOTS; ++i) FreeSlot(ElementGraphicsTable[i]);
  Heap_Free(ElementGraphicsTable);
  ElementGraphicsTable = nullptr;
}

void Gfx_FreeZoomPictures(int mask) {
  if (ElementGraphicsTable) {
    for (i32 i = 0; i < GFX_SLOTS; ++i) {
      GfxSlot* slot = ElementGraphicsTable[i];
      if (!slot) continue;
      for (i32 v = 0; v < slot->variantCount; ++v)
        for (GfxSubPicture* sp : slot->variants[v].sub) {
          if (!sp) continue;
          if (mask & 2) FreeSubZoom(sp, 1);
          if (mask & 4) FreeSubZoom(sp, 2);
        }
    }
  }
  Gfx_FreeVehicleZoomPictures(mask);
}

int Gfx_ReadBasePicture(int number, int mode) {
  if (!GfxBaseStrip || number < 0 || number >= GFX_BASE_PICTURES) return 2;
  u8 codes[16][8];
  if (Gfx_DecodeBasePicture(&codes[0][0], 8, mode)) return 2;
  for (int row = 0; row < 16; ++row)
    for (int col = 0; col < 8; ++col)
      GfxBaseStrip[row * GFX_STRIP_ROW + number * 8 + col] = Pal_ColourCodeToBgr(codes[row][col]);
  return 0;
}

int Gfx_LoadBaseFile(void) {
  if (!GfxBaseStrip) return 2;
  for (int blk = 0; blk < GFX_BASE_BLOCKS; ++blk) {
    int mode;
    if (GfxFile_ReadBaseBlockHead(&mode)) return 2;
    for (int n = blk * GFX_BASE_PER_BLOCK; n < (blk + 1) * GFX_BASE_PER_BLOCK; ++n)
      if (Gfx_ReadBasePicture(n, mode)) return 2;
  }
  return 0;
}

const u32* Gfx_BasePicture(int n) {
  if (!GfxBaseStrip || n < 0 || n >= GFX_BASE_PICTURES) return nullptr;
  return GfxBaseStrip + n * 8;
}

int Gfx_LoadElementGraphics(int zoom, int which, int progress, int singleOnly) {
  if (zoom != 1 && zoom != 2 && zoom != 4) return 1;
  if (which < -2 || which >= GFX_USER_SETS || !ElementGraphicsTable) return 1;
  if (progress) ProgressOpen(zoom);
  LoadContext ctx = {zoom, nullptr, singleOnly, 0, 0, 0};
  // Without the folder no single file can be there: thousands of opens that
  // must fail are saved.
  wch dir[OS_MAX_PATH];
  const int singleFolder = zoom == 4 ? FOLDER_ZOOM4F : zoom == 2 ? FOLDER_ZOOM2F : FOLDER_ZOOM1F;
  ctx.noSingleFolder = 1;
  if (Fio_FolderPath(singleFolder, dir, OS_MAX_PATH) == 0) {
    i32 n = Str_Len(dir);
    if (n > 1 && (dir[n - 1] == u'\\' || dir[n - 1] == u'/')) dir[n - 1] = 0;
    ctx.noSingleFolder = Os_Access(dir, OS_ACCESS_EXISTS) != 0;
  }
  GfxCombinedFile file;
  memset(&file, 0, sizeof file);
  u32 done = 0, total = 0;
  if (which < 0) {
    for (int i = 1; i < kPictureRangeCount - 1; ++i) total += kPictureRanges[i].last - kPictureRanges[i].first + 1;
    total += 4 * 300;
    if (which == -2) total += GFX_USER_LAST_CODE - GFX_USER_FIRST_CODE + 1;
    wch name[16];
    Fmt_Print(name, 16, u"orba.fx%c", wch('0' + zoom));
    if (!singleOnly && GfxFile_LoadCombined(name, FOLDER_PROGRAM, "GZX", zoom, &file) == 0) ctx.combined = &file;
    // Picture codes from 49154 on; 49152 and 49153 are drawn without files.
    for (int i = 0; i < kPictureRangeCount - 1; ++i) {
      const CodeRange& r = kPictureRanges[i];
      for (u32 code = r.first < 49154 && r.last >= 49154 ? 49154 : r.first; code <= r.last; ++code) {
        LoadPictureCode(&ctx, code, r.slot + i32(code - r.first));
        ProgressStep(++done, total);
      }
    }
    GfxFile_FreeCombined(&file);
    ctx.combined = nullptr;
    Fmt_Print(name, 16, u"orba.fw%c", wch('0' + zoom));
    if (!singleOnly && GfxFile_LoadCombined(name, FOLDER_PROGRAM, "GZX", zoom, &file) == 0) ctx.combined = &file;
    for (u32 base : kClassBases)
      for (const auto& range : kShapeRanges)
        for (u32 shape = range[0]; shape <= range[1]; ++shape) {
          LoadElementCode(&ctx, base + shape);
          ProgressStep(++done, total);
        }
    GfxFile_FreeCombined(&file);
    ctx.combined = nullptr;
  } else {
    total = GFX_USER_SET_CODES;
  }
  if (which == -2 || which >= 0) {
    int first = which >= 0 ? which : 0, last = which >= 0 ? which : GFX_USER_SETS - 1;
    for (int set = first; set <= last; ++set) {
      if (!g_userSetFolder[set][0]) continue;
      // A user set's combined file lies in its folder, "UZX" kind.
      wch path[OS_MAX_PATH];
      GfxCombinedFile ufile;
      memset(&ufile, 0, sizeof ufile);
      if (Fmt_Print(path, OS_MAX_PATH, u"%sorba.ux%c", g_userSetFolder[set], wch('0' + zoom)) > 0 && !singleOnly &&
          GfxFile_LoadCombined(path, FOLDER_FULLPATH, "UZX", zoom, &ufile) == 0)
        ctx.combined = &ufile;
      for (u32 i = 0; i < GFX_USER_SET_CODES; ++i) {
        u32 code = GFX_USER_FIRST_CODE + u32(set) * GFX_USER_SET_CODES + i;
        LoadPictureCode(&ctx, code, Gfx_UserCodeSlot(code));
        ProgressStep(++done, total);
      }
      GfxFile_FreeCombined(&ufile);
      ctx.combined = nullptr;
    }
  }
  if (progress) Msg_InfoClose();
  if (ctx.faulty) return 1;
  if (which >= 0 && ctx.found == 0) return 5;
  return 0;
}

int Gfx_ReadElementRecord(GraphicCode code, i32 state, i32 subPicture, int singleOnly, int zoom, i32 variant) {
  if (zoom != 1 && zoom != 2 && zoom != 4) return GFXR_BAD_MAGIC;
  if (subPicture < 0 || subPicture > 4) return GFXR_BAD_SUBPICTURE;
  if (variant < 0 || variant > 99) return GFXR_BAD_VARIANT;
  i32 slot = Gfx_SlotOf(code, state);
  if (slot < 0 || !ElementGraphicsTable) return GFXR_NO_SLOT;
  i32 slotVariant = code < GFX_FIRST_PICTURE_CODE ? Gfx_ElementVariantIndex(code, state, nullptr) : variant;
  LoadContext ctx = {zoom, nullptr, singleOnly, 0, 0, 0};
  GfxCombinedFile file;
  memset(&file, 0, sizeof file);
  if (!singleOnly) {
    wch name[OS_MAX_PATH];
    int folder = FOLDER_PROGRAM;
    const char* magic = "GZX";
    if (IsUserCode(code)) {
      const wch* dir = g_userSetFolder[(code - GFX_USER_FIRST_CODE) / GFX_USER_SET_CODES];
      Fmt_Print(name, OS_MAX_PATH, u"%sorba.ux%c", dir, wch('0' + zoom));
      folder = FOLDER_FULLPATH;
      magic = "UZX";
      if (!dir[0]) name[0] = 0;
    } else {
      Fmt_Print(name, OS_MAX_PATH, u"orba.f%c%c", code < GFX_FIRST_PICTURE_CODE ? u'w' : u'x', wch('0' + zoom));
    }
    if (name[0] && GfxFile_LoadCombined(name, folder, magic, zoom, &file) == 0) ctx.combined = &file;
  }
  int r = LoadRecord(&ctx, code, code < GFX_FIRST_PICTURE_CODE ? state : 0, subPicture, code < GFX_FIRST_PICTURE_CODE ? 0 : variant, slot, slotVariant);
  GfxFile_FreeCombined(&file);
  return r;
}

int Gfx_BuildElementGraphic(GraphicCode code, i32 variant, int zoom, i32 picture) {
  if (zoom != 1 && zoom != 2 && zoom != 4) return GFXR_BAD_MAGIC;
  const int element = code < GFX_FIRST_PICTURE_CODE;
  // Reading a record loads a whole combined file: only a missing picture
  // is worth it.
  const GfxSubPicture* sp = element ? Gfx_GetSubPicture(code, variant, 0, 0) : Gfx_GetSubPicture(code, 0, variant, picture);
  if (sp && sp->blocks[0][ZoomIndex(zoom)].pixels) return 0;
  return element ? Gfx_ReadElementRecord(code, variant, 0, 0, zoom, 0)
                 : Gfx_ReadElementRecord(code, 0, variant, 0, zoom, picture);
}

// ================================================================ user graphics

const wch* Gfx_UserSetFolder(int set) { return (set >= 0 && set < GFX_USER_SETS) ? g_userSetFolder[set] : u""; }

int Gfx_MakeUserSetPlaceholders(int set) {
  if (set < 0 || set >= GFX_USER_SETS || !ElementGraphicsTable) return 5;
  wch setText[8], slotText[8];
  Fmt_Print(setText, 8, set >= 100 ? u"%03i" : u"%02i", set);
  const int wide = set >= 100 ? 2 : 0;
  for (int i = 0; i < GFX_USER_SET_CODES; ++i) {
    Fmt_Print(slotText, 8, u"%02i", i);
    const PlaceholderLabel labels[4] = {{u"U", 4, 0x00E6E6},
                                        {setText, 12 + wide, 0xFAFAC8},
                                        {u".", 16 + wide, 0x00E6E6},
                                        {slotText, 24 + wide, 0xC8FAFA}};
    GfxElementRecord rec;
    if (BuildPlaceholder(&rec, labels, 4)) return 5;
    // A user graphic's placeholder stands alone: other zooms and variants go.
    const i32 slot = GFX_USER_FIRST_SLOT + set * GFX_USER_SET_CODES + i;
    if (ElementGraphicsTable[slot]) {
      FreeSlot(ElementGraphicsTable[slot]);
      ElementGraphicsTable[slot] = nullptr;
    }
    if (StoreBuiltPlaceholder(slot, 0, &rec)) return 5;
  }
  return 0;
}

int Gfx_MakeUserElementPlaceholders(int file) {
  if (file < 1 || file > GFX_USER_ELEMENT_FILES || !ElementGraphicsTable) return 5;
  i32 shape, first;
  Gfx_UserElementStates(file, &shape, &first);
  static const wch* kKindLetter[3] = {u"o", u"m", u"u"};
  static const u32 kKindColour[3] = {0x60E060, 0xE0A060, 0x60A0E0};
  int family = (file - 1) / 20;
  wch number[8];
  Fmt_Print(number, 8, u"%02i", file);
  for (i32 s = first; s < first + 6; ++s) {
    i32 canonical;
    i32 v = Gfx_ElementVariantIndex(GraphicCode(shape), s, &canonical);
    if (canonical != s) continue;
    i32 slot = Gfx_ElementSlot(GraphicCode(shape), s);
    if (slot < 0) continue;
    // Only this variant changes: the slot's other states keep their pictures.
    GfxVariant* var = VariantFor(slot, v);
    if (!var) return 5;
    for (GfxSubPicture* sp : var->sub)
      if (sp)
        for (int zi = 0; zi < 3; ++zi) FreeSubZoom(sp, zi);
    const PlaceholderLabel labels[3] = {
        {u"U", 4, 0x00E6E6}, {kKindLetter[family], 10, kKindColour[family]}, {number, 21, 0xC8FAFA}};
    GfxElementRecord rec;
    if (BuildPlaceholder(&rec, labels, 3) || StoreBuiltPlaceholder(slot, v, &rec)) return 5;
  }
  return 0;
}

// The folder part of a path (up to and including its last separator).
static int FolderOf(const wch* path, wch* out) {
  i32 cut = 0;
  for (i32 i = 0; path[i]; ++i)
    if (path[i] == u'\\' || path[i] == u'/' || path[i] == u':') cut = i + 1;
  if (cut >= OS_MAX_PATH) return 1;
  Mem_CopyWide(out, path, cut);
  out[cut] = 0;
  return 0;
}

static int IsUz1Path(const wch* path) {
  wch ext[OS_MAX_PATH];
  if (Fio_GetExtension(path, ext) != 0) return 0;
  return Str_CompareOs(ext, u"uz1", 1) == 0;
}

int Gfx_ImportUserGraphicSet(int set, const wch* path) {
  if (set < 0 || set >= GFX_USER_SETS) return 11;
  if (Gfx_MakeUserSetPlaceholders(set)) return 5;
  g_userSetFolder[set][0] = 0;
  if (!path || !path[0]) return 3;
  // Graphic set files of the older kind are not read by this build.
  if (!IsUz1Path(path) || Str_Len(path) >= OS_MAX_PATH) return 3;
  FolderOf(path, g_userSetFolder[set]);
  int r = 0;
  for (int z = 1; z <= g_zoomSet && !r; z *= 2) r = Gfx_LoadElementGraphics(z, set, 0, 0);
  if (!r) return 0;
  g_userSetFolder[set][0] = 0;
  return Gfx_MakeUserSetPlaceholders(set) ? 5 : 3;
}

// Loads the pictures of user element file n at one zoom from its folder.
// *found counts the records loaded; 1 when a record was faulty, else 0.
static int LoadUserElementFileZoom(int file, int zoom, int* found) {
  i32 shape, first;
  Gfx_UserElementStates(file, &shape, &first);
  int failed = 0;
  for (i32 s = first; s < first + 6; ++s) {
    i32 canonical;
    i32 v = Gfx_ElementVariantIndex(GraphicCode(shape), s, &canonical);
    i32 slot = Gfx_ElementSlot(GraphicCode(shape), s);
    if (canonical != s || slot < 0) continue;
    wch name[OS_MAX_PATH], full[OS_MAX_PATH];
    if (Gfx_ElementFileName(GraphicCode(shape), s, 0, zoom, name, 0) == 2) continue;
    if (Str_Len(g_userElementFolder[file]) + Str_Len(name) >= OS_MAX_PATH) continue;
    Str_Copy(full, g_userElementFolder[file]);
    Str_Append(full, name);
    GfxElementRecord rec;
    int r = Gfx_ReadSingleElementFile(full, FOLDER_FULLPATH, zoom, &rec);
    if (r == 0) {
      r = StoreRecord(slot, v, 0, &rec);
      GfxFile_FreeElementRecord(&rec);
      if (!r) ++*found;
    }
    if (r != 0 && r != GFXR_NOT_PRESENT) {
      failed = 1;
      ReportFaulty(GraphicCode(shape), s, 0, zoom, 0, r);
    }
  }
  return failed;
}

int Gfx_ImportUserElementFile(int file, const wch* path) {
  if (file < 1 || file > GFX_USER_ELEMENT_FILES) return 11;
  if (Gfx_MakeUserElementPlaceholders(file)) return 6;
  g_userElementFolder[file][0] = 0;
  if (!path || !path[0]) return 3;
  if (!IsUz1Path(path)) return 12;
  if (Str_Len(path) >= OS_MAX_PATH) return 3;
  FolderOf(path, g_userElementFolder[file]);
  int failed = 0, found = 0;
  for (int z = 1; z <= g_zoomSet && !failed; z *= 2) failed = LoadUserElementFileZoom(file, z, &found);
  if (!failed && found) return 0;
  g_userElementFolder[file][0] = 0;
  return Gfx_MakeUserElementPlaceholders(file) ? 6 : (found || failed ? 5 : 3);
}

// ================================================================ life

int Gfx_GetDisplayCheck(void) { return g_displayCheck; }
int Gfx_GetZoomSet(void) { return g_zoomSet; }

void Gfx_ResetLayoutGraphics(void) {
  Bgp_Reset();
  Gfx_EmptyVehicleSets();
}

void Gfx_Free(void) {
  Gfx_ResetLayoutGraphics();
  Gfx_FreeElementTable();
  FreeStrip();
  Font_FreeAll();
  g_zoomSet = 1;
}

int Gfx_Init(void) {
  g_displayCheck = (Disp_GetScreenInfo(nullptr, nullptr) < 15 || Disp_IsPaletteScreen()) ? 1 : 0;
  Bgp_Reset();
  g_zoomSet = 1;
  GfxBaseStrip = (u32*)Heap_Alloc(GFX_STRIP_BYTES);
  if (!GfxBaseStrip) {
    Gfx_Free();
    return GFX_INIT_NO_MEMORY;
  }
  // The file holds its five blocks from the first byte: no header.
  int r = Fio_OpenRead(u"orba.gzg", 0, FOLDER_PROGRAM);
  if (r) return r == 1 ? GFX_INIT_NO_BASE : GFX_INIT_BAD_BASE;
  if (Gfx_AllocElementTable()) {
    Fio_CloseRead();
    Gfx_Free();
    return GFX_INIT_NO_MEMORY;
  }
  r = Gfx_LoadBaseFile();
  if (Fio_IsReadOpen()) Fio_CloseRead();
  if (r) return GFX_INIT_BAD_BASE;
  if (Gfx_LoadElementGraphics(1, -1, 0, 0) != 0) return GFX_INIT_NO_MEMORY;
  for (int s = 0; s < GFX_USER_SETS; ++s)
    if (Gfx_MakeUserSetPlaceholders(s)) return GFX_INIT_NO_MEMORY;
  for (int f = 1; f <= GFX_USER_ELEMENT_FILES; ++f) {
    int found = 0;
    if (Gfx_MakeUserElementPlaceholders(f)) return GFX_INIT_NO_MEMORY;
    if (g_userElementFolder[f][0] && LoadUserElementFileZoom(f, 1, &found)) return GFX_INIT_NO_MEMORY;
  }
  Gfx_EmptyVehicleSets();
  for (VehicleId id : kRequiredVehicleSets) {
    int v = Gfx_LoadVehicleSet(id, 0);
    if (v == VEH_LOAD_NO_MEMORY) return GFX_INIT_NO_MEMORY;
    if (v) return GFX_INIT_NO_VEHICLES;
  }
  return g_displayCheck ? GFX_INIT_LOW_COLOUR : GFX_INIT_OK;
}

int Gfx_SetZoomSet(int zoom, int progress) {
  if (zoom != 1 && zoom != 2 && zoom != 4) return 2;
  if (zoom == g_zoomSet) return 0;
  if (zoom > g_zoomSet) {
    for (int step = 2; step <= zoom; step *= 2) {
      if (step <= g_zoomSet) continue;
      Gfx_LoadElementGraphics(step, -2, progress, 0);
      for (int f = 1; f <= GFX_USER_ELEMENT_FILES; ++f) {
        int found = 0;
        if (g_userElementFolder[f][0]) LoadUserElementFileZoom(f, step, &found);
      }
      Gfx_LoadAllVehicleSetsZoom(step, 0, progress);
    }
    g_zoomSet = zoom;
    return 0;
  }
  g_zoomSet = zoom;
  int mask = 0;
  if (zoom < 4) mask |= 4;
  if (zoom < 2) mask |= 2;
  Gfx_FreeZoomPictures(mask);
  return 0;
}
