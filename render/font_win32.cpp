// GDI half of the display fonts and the screen query.
#include <windows.h>

#include "render/font.h"
#include "render/pal.h"

FontHandle Font_PlatformCreate(const FontDesc* d, int scale) {
  return (FontHandle)CreateFontW(d->height * scale, d->width * scale, 0, 0, d->weight, DWORD(d->italic), 0, 0,
                                 DWORD(d->charSet), 0, 0, 0, DWORD(d->pitchAndFamily), (LPCWSTR)d->face);
}

void Font_PlatformDelete(FontHandle font) { DeleteObject((HGDIOBJ)font); }

i32 Font_PlatformPointHeight(int points) {
  HDC dc = GetDC(nullptr);
  int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return -MulDiv(points, dpi, 72);
}

const wch* Font_PlatformDefaultFace(int proportional) { return proportional ? u"Arial" : u"Courier New"; }

i32 Disp_GetScreenInfo(i32* width, i32* height) {
  HDC dc = GetDC(nullptr);
  if (!dc) return 0;
  if (width) *width = GetDeviceCaps(dc, HORZRES);
  if (height) *height = GetDeviceCaps(dc, VERTRES);
  i32 bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
  ReleaseDC(nullptr, dc);
  return bits;
}

int Disp_IsPaletteScreen(void) {
  HDC dc = GetDC(nullptr);
  if (!dc) return 0;
  int pal = (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) ? 1 : 0;
  ReleaseDC(nullptr, dc);
  return pal;
}

u32 Pal_SystemColour(int index) {
  static const int kIndex[4] = {COLOR_HIGHLIGHTTEXT, COLOR_HIGHLIGHT, COLOR_MENUTEXT, COLOR_MENU};
  return (index >= 0 && index < 4) ? u32(GetSysColor(kIndex[index])) : 0;
}
