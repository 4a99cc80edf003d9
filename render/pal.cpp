#include "render/pal.h"

#include "platform/check.h"

// The fixed colours, bytes R, G, B. 0..15 the classic sixteen (but 1, the
// water fill of the ground, is water blue), then the
// grounds, tracks, buildings, water and lamp colours the base pictures and
// the lighting tags name (29..32 are the lit window and lamp colours of the
// lighting ranges).
static const u8 kFixed[PAL_FIXED_ENTRIES][3] = {
    {0, 0, 0},       {56, 100, 160},  {0, 128, 0},     {128, 128, 0},   {0, 0, 128},     {128, 0, 128},
    {0, 128, 128},   {192, 192, 192}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},     {255, 255, 0},
    {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}, {96, 72, 48},    {120, 96, 64},
    {144, 120, 88},  {168, 144, 112}, {72, 104, 56},   {88, 128, 64},   {104, 152, 80},  {128, 176, 96},
    {64, 64, 72},    {88, 88, 96},    {112, 112, 120}, {136, 136, 144}, {160, 160, 168}, {252, 252, 168},
    {252, 48, 20},   {176, 144, 0},   {160, 172, 156}, {40, 80, 160},   {56, 104, 184},  {80, 128, 208},
    {112, 160, 224}, {200, 184, 152}, {216, 200, 168}, {232, 216, 184}, {136, 64, 40},   {160, 80, 48},
    {184, 96, 56},   {208, 112, 64},  {48, 48, 48},    {24, 24, 24},    {224, 224, 224}, {240, 240, 240},
    {200, 40, 40},   {40, 160, 40},   {40, 40, 200},   {220, 200, 40},  {192, 208, 192}, {104, 88, 72},
    {152, 136, 120}, {80, 96, 112},   {120, 136, 152}, {176, 120, 72},  {216, 168, 96},  {96, 48, 24},
    {248, 224, 128}, {168, 200, 232}, {232, 168, 200}, {144, 96, 160},  {255, 128, 0},   {255, 200, 120},
    {255, 240, 200}, {255, 255, 160}, {200, 255, 200}, {160, 200, 255}, {60, 120, 60},   {30, 60, 30},
    {140, 110, 60},  {190, 160, 110}, {70, 70, 40},    {255, 230, 120}, {255, 170, 60},  {200, 230, 255},
    {150, 200, 255}};

static u32 g_palette[PAL_ENTRIES];

static u32 Rgb(const u8* t) { return u32(t[0]) | u32(t[1]) << 8 | u32(t[2]) << 16; }

u32 Pal_FixedColour(i32 i) { return (i >= 0 && i < PAL_FIXED_ENTRIES) ? Rgb(kFixed[i]) : 0; }

i32 Pal_PartnerOf(i32 i) {
  switch (i) {
    case 8: return 9;
    case 9: return 8;
    case 10: return 11;
    case 11: return 10;
    case 12: return 13;
    case 13: return 12;
    case 16: return 18;
    case 18: return 16;
    case 32: return 33;
    case 33: return 32;
    case 34: return 32;
    case 40: return 32;
    case 41: return 32;
    case 37: return 38;
    case 38: return 37;
    case 46: return 0;
    case 125: return 126;
    case 126: return 125;
    default: return -1;
  }
}

// The fixed table spread over the palette; every entry differs from its
// partner because the fixed colours are all different.
static void Pal_Defaults(u32* out) {
  for (i32 i = 0; i < PAL_ENTRIES; ++i) out[i] = Rgb(kFixed[i % PAL_FIXED_ENTRIES]);
  // The fifteen ballast stone shades: close greys and grey-browns, so that
  // a track bed reads as one material at every zoom, not as coloured noise.
  static const u8 kStones[PAL_STONE_COUNT][3] = {{124, 120, 114}, {132, 128, 121}, {116, 112, 106}, {138, 133, 125}, {110, 106, 101},
                                    {128, 122, 114}, {136, 132, 127}, {120, 115, 108}, {142, 137, 130}, {112, 109, 104},
                                    {130, 124, 116}, {126, 123, 118}, {118, 114, 109}, {134, 128, 120}, {122, 118, 112}};
  for (i32 k = 0; k < PAL_STONE_COUNT; ++k) out[PAL_STONES + k] = Rgb(kStones[k]);
  // The terrain colours: the rails of each ground class (74..81), drawn
  // dark enough to read on the fills and beds under them; the sleepers of
  // the ballast classes (82 timber, 83 concrete, 84 old timber of the mixed
  // bed); the lane of waterways (85, a lighter water) and of the four road
  // classes (86..89, asphalt matched to the fills of classes 1-4).
  static const u8 kTerrain[16][3] = {{52, 50, 50},    {48, 52, 46},    {50, 52, 60},    {92, 78, 62},
                                     {66, 64, 64},    {70, 68, 66},    {72, 64, 56},    {68, 62, 56},
                                     {118, 86, 58},   {164, 158, 148}, {98, 74, 52},    {84, 130, 186},
                                     {104, 104, 108}, {112, 114, 108}, {100, 104, 116}, {168, 154, 128}};
  for (i32 k = 0; k < 16; ++k) out[PAL_RAILS + k] = Rgb(kTerrain[k]);
  // The overview and schematic classes (90..99): muted colours of the
  // things they stand for that sit together on the light background, the
  // track classes dark so that the network stands out, trains in signal red.
  static const u8 kOverview[PAL_OVERVIEW_CLASS_COUNT][3] = {{92, 76, 64},   {178, 112, 84}, {124, 124, 132}, {88, 128, 72}, {150, 160, 120},
                                      {64, 84, 132},  {128, 148, 104}, {60, 56, 54},   {72, 66, 60},  {214, 44, 36}};
  for (i32 k = 0; k < PAL_OVERVIEW_CLASS_COUNT; ++k) out[PAL_OVERVIEW_CLASSES + k] = Rgb(kOverview[k]);
  // The schematic ground is a dark slate the light track lines and the
  // symbol colours stand out on; the overview ground the light green of the
  // picture view, under which the dark track reads at once.
  static const u8 kSchematicGround[3] = {58, 62, 66}, kOverviewGround[3] = {176, 200, 176};
  out[PAL_SCHEMATIC_GROUND] = Rgb(kSchematicGround);
  out[PAL_OVERVIEW_GROUND] = Rgb(kOverviewGround);
  out[PAL_BACKGROUND] = 0x00B0C8B0;
  // A signal's state mark in the colour of its aspect, bright enough to
  // read as a dot on the schematic ground and beside the track line.
  static const u8 kMarks[3][3] = {{232, 48, 40}, {64, 208, 88}, {240, 204, 48}};
  out[PAL_SCH_MARK_STOP] = Rgb(kMarks[0]);
  out[PAL_SCH_MARK_CLEAR] = Rgb(kMarks[1]);
  out[PAL_SCH_MARK_EXPECT] = Rgb(kMarks[2]);
  // The dialogs' colours (dialog, static, edit, list and read-only field:
  // text over background), those of a Windows dialog: dark text on a light
  // face, white fields.
  static const struct {
    i32 entry;
    u32 colour;
  } kDialog[] = {{PAL_DIALOG_BACK, 0x00F0F0F0},   {PAL_STATIC_TEXT, 0x00000000},   {PAL_STATIC_BACK, 0x00F0F0F0},
                 {PAL_EDIT_TEXT, 0x00000000},     {PAL_EDIT_BACK, 0x00FFFFFF},     {PAL_LIST_TEXT, 0x00000000},
                 {PAL_LIST_BACK, 0x00FFFFFF},     {PAL_READONLY_TEXT, 0x00000000}, {PAL_READONLY_BACK, 0x00F0F0F0}};
  for (const auto& d : kDialog) out[d.entry] = d.colour;
}

void Pal_Reset(void) { Pal_Defaults(g_palette); }

u32 Pal_DefaultColour(i32 i) {
  u32 defaults[PAL_ENTRIES];
  Pal_Defaults(defaults);
  return (i >= 0 && i < PAL_ENTRIES) ? defaults[i] : defaults[0];
}

namespace {
struct PalInit {
  PalInit() { Pal_Reset(); }
} g_palInit;
}  // namespace

u32 Pal_GetColour(i32 i) { return (i >= 0 && i < PAL_ENTRIES) ? g_palette[i] : g_palette[0]; }

int Pal_SetColour(i32 i, u32 colour) {
  if (i < 0 || i >= PAL_ENTRIES) return PAL_SET_BAD_INDEX;
  colour &= 0xFFFFFF;
  i32 p = Pal_PartnerOf(i);
  if (p >= 0 && g_palette[p] == colour) {
    g_palette[i] = colour ^ 0xFFFFFF;
    ORBA_CHECK(g_palette[i] != g_palette[p]);
    return PAL_SET_ADJUSTED;
  }
  g_palette[i] = colour;
  ORBA_CHECK(p < 0 || g_palette[i] != g_palette[p]);
  return PAL_SET_OK;
}

u32 Pal_ColourCodeToRgb(u32 c) {
  c &= 0xFF;
  if (c == 126 || c == 127) return g_palette[PAL_BACKGROUND];
  if (c >= 249 && c <= 252) return Pal_SystemColour(int(c - 249));
  if (c == 253) return PAL_MARK_LEVEL_BACKGROUND;
  if (c == 254) return PAL_MARK_DARKEN;
  if (c == 255) return PAL_MARK_TRANSPARENT;
  if (c >= 128) return c <= 128 + 62 ? Pal_FixedColour(i32(c - 128)) | 0x40000000u : 0;
  if (c >= 64 && c <= 69) return Pal_FixedColour(i32(c)) | 0x40000000u;
  if (c == 75 || c == 76) return Pal_FixedColour(i32(c)) | 0x50000000u;
  if (c == 77 || c == 78) return Pal_FixedColour(i32(c)) | 0x51000000u;
  if (c >= 80 && c <= 83) return Pal_FixedColour(i32(c - 51)) | 0x60000000u;
  if (c >= 85 && c <= 88) return Pal_FixedColour(i32(c - 56)) | 0x61000000u;
  if (c >= 90 && c <= 93) return Pal_FixedColour(i32(c - 61)) | 0x62000000u;
  if (c >= 100 && c <= 103) return Pal_FixedColour(i32(c - 71)) | 0x64000000u;
  if (c >= 105 && c <= 108) return Pal_FixedColour(i32(c - 76)) | 0x65000000u;
  if (c >= 110 && c <= 113) return Pal_FixedColour(i32(c - 81)) | 0x66000000u;
  if (c > 78) return 0;
  return Pal_FixedColour(i32(c));
}

u32 Pal_ColourCodeToBgr(u32 code) {
  u32 v = Pal_ColourCodeToRgb(code);
  if (v & 0x80000000u) return v;
  return (v & 0xFF00FF00u) | ((v & 0xFF) << 16) | ((v >> 16) & 0xFF);
}
