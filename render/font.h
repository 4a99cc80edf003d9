// Display fonts and the screen query of the palette Part: the eight kinds of
// display font, each kept as a font description (settable from the settings
// file and the font dialog) and as created font objects, and the screen's
// size and colour depth.
//
// Owns the eight FontDesc records and the twelve font objects (five of kind
// 1, one for each scale 1, 2, 4, 6, 8; one of each other kind). Callers only
// select the handles and never free them; Font_FreeAll deletes them at
// shutdown. A font that cannot be created leaves a null handle.
//
// The Windows build (font_win32.cpp) creates GDI fonts; the native build
// (font_posix.cpp) keeps the descriptions only and hands out null handles.
#pragma once
#include "platform/types.h"

typedef void* FontHandle;  // HFONT in the Windows build

enum { FONT_FACE_MAX = 32 };

// Font kinds in settings order.
enum {
  FONT_MAP_TEXT = 1,   // FontGSym0: texts on the grid, at scales 1, 2, 4, 6, 8
  FONT_MAP_LABEL = 2,  // FontGSymZ: train labels, object info texts
  FONT_FIX_E = 3,      // FontFixE
  FONT_VAR_E = 4,      // FontVarE
  FONT_FIX_S = 5,      // FontFixS
  FONT_STATUS = 6,     // FontVarS
  FONT_VAR_0 = 7,      // FontVar0
  FONT_FIX_DLG = 8     // FontFixDlg
};

struct FontDesc {
  i32 height, width, weight, charSet, pitchAndFamily, italic;
  wch face[FONT_FACE_MAX + 1];
};

// Setters: with use set the values are taken, else the kind's defaults; the
// kind's old font objects are deleted and new ones created.
void Font_SetMapTextFont(int use, i32 height, i32 width, const wch* face, i32 italic, i32 pitchAndFamily,
                         i32 charSet, i32 weight);
void Font_SetMapLabelFont(int use, i32 height, i32 width, const wch* face, i32 italic, i32 pitchAndFamily,
                          i32 charSet, i32 weight);
void Font_SetFixEFont(int use, i32 height, i32 width, const wch* face, i32 italic, i32 pitchAndFamily,
                      i32 charSet, i32 weight);
void Font_SetVarEFont(int use, i32 height, i32 width, const wch* face, i32 italic, i32 pitchAndFamily,
                      i32 charSet, i32 weight);
void Font_SetFixSFont(int use, i32 height, i32 width, const wch* face, i32 italic, i32 pitchAndFamily,
                      i32 charSet, i32 weight);
void Font_SetStatusFont(int use, i32 height, i32 width, const wch* face, i32 italic, i32 pitchAndFamily,
                        i32 charSet, i32 weight);
void Font_SetVar0Font(int use, i32 height, i32 width, const wch* face, i32 italic, i32 pitchAndFamily,
                      i32 charSet, i32 weight);
void Font_SetFixDlgFont(int use, i32 height, i32 width, const wch* face, i32 italic, i32 pitchAndFamily,
                        i32 charSet, i32 weight);

// Getters of the descriptions (face: room for FONT_FACE_MAX + 1 units); each
// out may be null.
void Font_GetMapTextFontParams(i32* height, i32* width, i32* weight, wch* face, i32* italic, i32* pitchAndFamily,
                               i32* charSet);
void Font_GetMapLabelFontParams(i32* height, i32* width, i32* weight, wch* face, i32* italic,
                                i32* pitchAndFamily, i32* charSet);
void Font_GetFixEFontParams(i32* height, i32* width, i32* weight, wch* face, i32* italic, i32* pitchAndFamily,
                            i32* charSet);
void Font_GetVarEFontParams(i32* height, i32* width, i32* weight, wch* face, i32* italic, i32* pitchAndFamily,
                            i32* charSet);
void Font_GetFixSFontParams(i32* height, i32* width, i32* weight, wch* face, i32* italic, i32* pitchAndFamily,
                            i32* charSet);
void Font_GetStatusFontParams(i32* height, i32* width, i32* weight, wch* face, i32* italic, i32* pitchAndFamily,
                              i32* charSet);
void Font_GetVar0FontParams(i32* height, i32* width, i32* weight, wch* face, i32* italic, i32* pitchAndFamily,
                            i32* charSet);
void Font_GetFixDlgFontParams(i32* height, i32* width, i32* weight, wch* face, i32* italic, i32* pitchAndFamily,
                              i32* charSet);

// Handles. Scale 1, 2, 4, 6 or 8; any other scale gives no font.
FontHandle Font_GetMapTextFontByScale(int scale);
FontHandle Font_GetMapLabelFont(void);
FontHandle Font_GetFixEFont(void);
FontHandle Font_GetVarEFont(void);
FontHandle Font_GetFixSFont(void);
FontHandle Font_GetStatusFont(void);
FontHandle Font_GetVar0Font(void);
FontHandle Font_GetFixDlgFont(void);

// Deletes the twelve font objects (the descriptions stay).
void Font_FreeAll(void);

// The screen: width and height in pixels (each out may be null); result
// BITSPIXEL x PLANES.
i32 Disp_GetScreenInfo(i32* width, i32* height);
// 1 when the screen is palette-based (raster capability RC_PALETTE).
int Disp_IsPaletteScreen(void);
#ifndef _WIN32
// Native build only: the screen the tests pretend to have (bits per pixel,
// palette flag). The default is a 1024 x 768 true-colour screen.
void Disp_SetNativeScreen(i32 bits, int palette);
#endif

// ---------------------------------------------------------------- platform half
// Implemented by font_win32.cpp / font_posix.cpp for font.cpp.
// A font object for a description at a scale (height and width multiplied);
// null when it cannot be made.
FontHandle Font_PlatformCreate(const FontDesc* desc, int scale);
void Font_PlatformDelete(FontHandle font);
// -MulDiv(points, LOGPIXELSY of the screen, 72).
i32 Font_PlatformPointHeight(int points);
// The default faces: 0 fixed-pitch, 1 proportional.
const wch* Font_PlatformDefaultFace(int proportional);
