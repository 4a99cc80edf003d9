// Graphics store: every picture the compositor draws from - the base picture
// strip read from "orba.gzg", the ElementGraphicsTable with the pictures of
// every element code, picture code and user graphic at zoom 1, 2 and 4 - with
// its start-up, the zoom set, the forgetting of layout graphics and the
// shutdown. The file layouts are render/gfxfile.h; the vehicle sets are
// render/vehicles.h.
//
// Owns the strip, the table and its slots with every pixel block, the zoom
// set, the display check result, the user graphic set folders and the kind
// query through which the layout and operation modules classify element
// shapes.
//
// Promises: the store is only changed on the main thread while drawing is
// suspended; the painters read it without locks. A failed start-up leaves
// only what Gfx_Free frees. Slot lookups check every index and give null or
// -1, never a pointer outside the table.
#pragma once
#include "platform/types.h"

typedef u32 GraphicCode;  // element code 0..16383 or picture code 16384..65535
// Graphic codes from here on are picture codes (symbols and user pictures).
enum : u32 { GFX_FIRST_PICTURE_CODE = 16384 };

enum {
  GFX_SLOTS = 13763,
  GFX_FIRST_ELEMENT_SLOT = 1815,
  GFX_LAST_ELEMENT_SLOT = 3862,
  GFX_USER_FIRST_CODE = 55552,
  GFX_USER_LAST_CODE = 65451,
  GFX_USER_SETS = 110,
  GFX_USER_SET_CODES = 90,
  GFX_USER_FIRST_SLOT = 3863,
  GFX_USER_ELEMENT_FILES = 60,
  GFX_STRIP_BYTES = 0x5A000,  // 16 rows of 720 pictures of 8 u32 pixels
  GFX_STRIP_ROW = 720 * 8     // pixels in one row of the strip
};

// Results of Gfx_Init.
enum {
  GFX_INIT_OK = 0,
  GFX_INIT_NO_BASE = 1,       // "orba.gzg" missing
  GFX_INIT_BAD_BASE = 2,      // "orba.gzg" damaged
  GFX_INIT_NO_VEHICLES = 4,   // a required vehicle set could not be loaded
  GFX_INIT_NO_MEMORY = 5,     // out of memory or element data unreadable
  GFX_INIT_LOW_COLOUR = 6     // ready, but the screen has < 15 bits or a palette
};

// One picture of a sub-picture record at one zoom.
struct GfxBlock {
  u32* pixels;  // width x height CellPixel, top row first; null when absent
  u16 layer, x, y, width, height;
};

struct GfxSubPicture {
  GfxBlock blocks[3][3];  // [picture 0..2][zoom index: 0 zoom 1, 1 zoom 2, 2 zoom 4]
  u32 flags;              // flags of the record last loaded (bit 9 cleared)
  i32 offsets[3][3];      // [zoom index][i], at that zoom
  u32 placeKind, placeValue, kept[2];
  u16 box[3][4];          // [zoom index] left, top, right, bottom; 65535 not set
  wch* name[3];           // per zoom index, Heap text or null
};

struct GfxVariant {
  i32 subCount;           // 1..4
  GfxSubPicture* sub[4];  // Heap records, made on first use; sub-picture 0
                          // and 1 share sub[0]
};

struct GfxSlot {
  i32 variantCount;       // >= 1
  GfxVariant* variants;
};

// Chimney smoke and clock of a picture record, carried by its placement
// block (record flags bit 2):
// - placeKind: bit 0 smoke, bit 1 light smoke (smoke on as well), bit 2 a
//   clock, bits 8-15 the clock flags (bit 0 digital, bit 1 24-hour, bit 2
//   minute hand, bit 3 second hand or seconds, bits 4 and 5 a slanted dial);
// - the box: the clock box at each zoom (left, bottom, right, top with y up
//   from the cell bottom; the zoom-1 box ends past its last pixel, the
//   zoom-2 and zoom-4 boxes on it, as the box spreads from zoom 1);
// - placeValue: the layer the clock is drawn in;
// - kept[0], kept[1]: the two hand colours (CellPixel);
// - the three offsets: x, y and width of the smoke source, written at zoom-4
//   scale, so the zoom-1 record holds four times the zoom-1 value.
// A record without a placement block has neither.
enum { GFX_FX_SMOKE = 1, GFX_FX_LIGHT_SMOKE = 2, GFX_FX_CLOCK = 4 };
struct GfxEffects {
  int smoke, lightSmoke;
  int smokeX, smokeY, smokeWidth;  // zoom 1, cell frame (y up)
  int clock, clockLayer, clockFlags;
  int clockX[3], clockY[3], clockSize[3];  // per zoom index, that zoom's pixels
  u32 handA, handB;
};
// The smoke and clock of a record; 1 when it has either, else 0 (*out zeroed).
int Gfx_PictureEffects(const struct GfxSubPicture* sp, GfxEffects* out);

extern GfxSlot** ElementGraphicsTable;  // GFX_SLOTS slot pointers or null
extern u32* GfxBaseStrip;               // 16 rows of GFX_STRIP_ROW pixels, or null

// ---------------------------------------------------------------- element kinds
// The layout and operation modules classify element shapes (stops, signals,
// turnouts, ...); the store asks through this query. Without one installed
// every shape counts as having no kind (state 0 only).
enum { GFX_KIND_TURNOUT = 1, GFX_KIND_HIDDEN = 2 };
struct GfxElementKind {
  int kind;              // 0 none; 1..10 the element kinds with states
  int flags;             // GFX_KIND_*
  i32 lowState, highState;
};
typedef int (*GfxKindQuery)(GraphicCode code, GfxElementKind* out);
void Gfx_SetKindQuery(GfxKindQuery query);
// The kind of a code (0 and state range 0..0 without one).
int Gfx_ElementKind(GraphicCode code, GfxElementKind* out);

// ---------------------------------------------------------------- life
int Gfx_Init(void);
void Gfx_Free(void);
void Gfx_ResetLayoutGraphics(void);
int Gfx_GetDisplayCheck(void);

// 0 done or unchanged, 2 zoom not 1, 2 or 4.
int Gfx_GetZoomSet(void);
int Gfx_SetZoomSet(int zoom, int progress);

int Gfx_AllocElementTable(void);  // 0 ok, 1 out of memory
void Gfx_FreeElementTable(void);
// which: -1 standard codes, -2 those and every user graphic set, 0..109 one
// set. 0 ok; 1 some record was faulty; 5 one user set of which no record was
// found.
int Gfx_LoadElementGraphics(int zoom, int which, int progress, int singleOnly);
// Reads one record into its slot (a rebuild after an edit): the single file
// first, then, unless singleOnly, the combined file of the code's kind.
// GFXR_* results: 1 no slot, 15 variant not 0..99, 16 sub-picture not 0..4,
// 3 found nowhere, else the reader's result.
int Gfx_ReadElementRecord(GraphicCode code, i32 state, i32 subPicture, int singleOnly, int zoom, i32 variant);
// Makes sure one picture of a graphic is in the store at a zoom, reading
// its record when it is missing: for a picture code the picture (the
// slot's variant 0..99, the animation steps of a multi-cell symbol) of
// sub-picture `variant`; for an element code the record of state
// `variant`. 0 there or read; else the result of Gfx_ReadElementRecord.
int Gfx_BuildElementGraphic(GraphicCode code, i32 variant, int zoom, i32 picture);
// mask bit 2: zoom-2 pictures, bit 4: zoom-4 pictures.
void Gfx_FreeZoomPictures(int mask);
// Reads the five blocks of the open "orba.gzg" into the strip; 0 or 2.
// Gfx_ReadBasePicture reads the next picture (mode GFX_BASE_PLANAR or
// GFX_BASE_8BIT) into picture number 0..719 of the strip; 0 or 2.
int Gfx_ReadBasePicture(int number, int mode);
int Gfx_LoadBaseFile(void);
// Picture n (0..719) of the strip: 8 x 16 pixels, row r at
// GfxBaseStrip + r * GFX_STRIP_ROW + n * 8; null without a strip.
const u32* Gfx_BasePicture(int n);

// ---------------------------------------------------------------- lookups
int Gfx_CodeClass(GraphicCode code);  // 1: 4096..6143, 2: 7168..8191, 3: 8192..12799, else 0
int Gfx_ElementBank(GraphicCode code);
i32 Gfx_ElementSlot(GraphicCode code, i32 state);
i32 Gfx_UserCodeSlot(GraphicCode code);
// The slot of any code (element codes in that state).
i32 Gfx_SlotOf(GraphicCode code, i32 state);
i32 Gfx_ElementVariantIndex(GraphicCode code, i32 state, i32* canonicalState);
GraphicCode Gfx_ElementDisplayCode(GraphicCode code, i32 state);
// The block of picture 0 of (code, state, sub-picture, zoom, variant).
const GfxBlock* Gfx_GetElementBitmap(GraphicCode code, i32 state, i32 subPicture, int zoom, i32 variant);
// The sub-picture record itself (all pictures and zooms); null as above.
const GfxSubPicture* Gfx_GetSubPicture(GraphicCode code, i32 state, i32 subPicture, i32 variant);
i32 Gfx_GetElementVariantCount(GraphicCode code);
i32 Gfx_GetSubPictureCount(GraphicCode code, i32 variant);

// Single-file name of a record: 0 standard, 1 user name of a set with a
// folder of its own, 3 user name with the set number part, 2 no name.
// zoom 0 leaves the extension off. name: room for OS_MAX_PATH units.
int Gfx_ElementFileName(GraphicCode code, i32 state, i32 subPicture, int zoom, wch* name, i32 variant);

// ---------------------------------------------------------------- user graphics
// The folder of a user graphic set's single files (with its separator);
// empty when the set has none configured.
const wch* Gfx_UserSetFolder(int set);
// 0 ok; 11 set out of range; 3 the file could not be read; 5 the
// placeholders could not be made again after a failure.
int Gfx_ImportUserGraphicSet(int set, const wch* path);
// 0 ok; 11 number out of range; 3 read failure; 12 not a "uz1" path;
// 5 failure with placeholders restored; 6 failure, placeholders not restored.
int Gfx_ImportUserElementFile(int file, const wch* path);
// Placeholders: 0 ok, 5 out of memory.
int Gfx_MakeUserSetPlaceholders(int set);
int Gfx_MakeUserElementPlaceholders(int file);
// User element file n (1..60): its shape and first state (six states).
void Gfx_UserElementStates(int file, i32* shape, i32* firstState);
