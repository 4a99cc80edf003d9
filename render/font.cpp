#include "render/font.h"

#include "platform/str.h"

namespace {

struct FontDefault {
  i32 height;  // 0: 8 point
  i32 width, weight, pitchAndFamily;
  int proportional;
};

// Kinds 1..8.
const FontDefault kDefaults[9] = {
    {0, 0, 0, 0, 0},       {-14, 7, 100, 0x31, 0}, {0, 0, 700, 0x20, 1}, {-12, 0, 500, 1, 0},
    {0, 0, 100, 0x20, 1},  {-12, 0, 500, 1, 0},    {0, 0, 700, 0x20, 1}, {0, 0, 400, 0x20, 1},
    {0, 0, 100, 0x20, 1}};

const int kMapScales[5] = {1, 2, 4, 6, 8};

FontDesc g_desc[9];
int g_descSet[9];
// Kind 1 at its five scales in slots 0..4, kinds 2..8 in slots 5..11.
FontHandle g_handles[12];

void SetDefault(int kind) {
  const FontDefault& d = kDefaults[kind];
  FontDesc& f = g_desc[kind];
  f.height = d.height ? d.height : Font_PlatformPointHeight(8);
  f.width = d.width;
  f.weight = d.weight;
  f.pitchAndFamily = d.pitchAndFamily;
  f.charSet = 0;
  f.italic = 0;
  const wch* face = Font_PlatformDefaultFace(d.proportional);
  i32 n = Str_Len(face);
  if (n > FONT_FACE_MAX) n = FONT_FACE_MAX;
  Mem_CopyWide(f.face, face, n);
  f.face[n] = 0;
  g_descSet[kind] = 1;
}

const FontDesc& Desc(int kind) {
  if (!g_descSet[kind]) SetDefault(kind);
  return g_desc[kind];
}

void DeleteKind(int kind) {
  int first = kind == 1 ? 0 : kind + 3, last = kind == 1 ? 4 : kind + 3;
  for (int i = first; i <= last; ++i) {
    if (g_handles[i]) Font_PlatformDelete(g_handles[i]);
    g_handles[i] = nullptr;
  }
}

void SetKind(int kind, int use, i32 height, i32 width, const wch* face, i32 italic, i32 pitch, i32 charSet,
             i32 weight) {
  DeleteKind(kind);
  if (!use) {
    SetDefault(kind);
  } else {
    FontDesc& f = g_desc[kind];
    f.height = height;
    f.width = width;
    f.weight = weight;
    f.pitchAndFamily = pitch;
    f.charSet = charSet;
    f.italic = italic;
    i32 n = face ? Str_Len(face) : 0;
    if (n > FONT_FACE_MAX) n = FONT_FACE_MAX;
    if (n) Mem_CopyWide(f.face, face, n);
    f.face[n] = 0;
    g_descSet[kind] = 1;
  }
  if (kind == 1) {
    for (int i = 0; i < 5; ++i) g_handles[i] = Font_PlatformCreate(&g_desc[1], kMapScales[i]);
  } else {
    g_handles[kind + 3] = Font_PlatformCreate(&g_desc[kind], 1);
  }
}

void GetKind(int kind, i32* height, i32* width, i32* weight, wch* face, i32* italic, i32* pitch, i32* charSet) {
  const FontDesc& f = Desc(kind);
  if (height) *height = f.height;
  if (width) *width = f.width;
  if (weight) *weight = f.weight;
  if (face) Str_Copy(face, f.face);
  if (italic) *italic = f.italic;
  if (pitch) *pitch = f.pitchAndFamily;
  if (charSet) *charSet = f.charSet;
}

}  // namespace

#define FONT_SETTER(Name, kind)                                                                             \
  void Name(int use, i32 height, i32 width, const wch* face, i32 italic, i32 pitch, i32 charSet, i32 weight) { \
    SetKind(kind, use, height, width, face, italic, pitch, charSet, weight);                                \
  }
#define FONT_GETTER(Name, kind)                                                                          \
  void Name(i32* height, i32* width, i32* weight, wch* face, i32* italic, i32* pitch, i32* charSet) {      \
    GetKind(kind, height, width, weight, face, italic, pitch, charSet);                                  \
  }

FONT_SETTER(Font_SetMapTextFont, 1)
FONT_SETTER(Font_SetMapLabelFont, 2)
FONT_SETTER(Font_SetFixEFont, 3)
FONT_SETTER(Font_SetVarEFont, 4)
FONT_SETTER(Font_SetFixSFont, 5)
FONT_SETTER(Font_SetStatusFont, 6)
FONT_SETTER(Font_SetVar0Font, 7)
FONT_SETTER(Font_SetFixDlgFont, 8)
FONT_GETTER(Font_GetMapTextFontParams, 1)
FONT_GETTER(Font_GetMapLabelFontParams, 2)
FONT_GETTER(Font_GetFixEFontParams, 3)
FONT_GETTER(Font_GetVarEFontParams, 4)
FONT_GETTER(Font_GetFixSFontParams, 5)
FONT_GETTER(Font_GetStatusFontParams, 6)
FONT_GETTER(Font_GetVar0FontParams, 7)
FONT_GETTER(Font_GetFixDlgFontParams, 8)

FontHandle Font_GetMapTextFontByScale(int scale) {
  for (int i = 0; i < 5; ++i)
    if (kMapScales[i] == scale) return g_handles[i];
  return nullptr;
}
FontHandle Font_GetMapLabelFont(void) { return g_handles[5]; }
FontHandle Font_GetFixEFont(void) { return g_handles[6]; }
FontHandle Font_GetVarEFont(void) { return g_handles[7]; }
FontHandle Font_GetFixSFont(void) { return g_handles[8]; }
FontHandle Font_GetStatusFont(void) { return g_handles[9]; }
FontHandle Font_GetVar0Font(void) { return g_handles[10]; }
FontHandle Font_GetFixDlgFont(void) { return g_handles[11]; }

void Font_FreeAll(void) {
  for (int kind = 1; kind <= 8; ++kind) DeleteKind(kind);
}
