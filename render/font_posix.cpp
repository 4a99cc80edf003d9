// Native stand-ins of the font objects and the screen: no fonts are made,
// and the screen is the one the tests set.
#include "render/font.h"
#include "render/pal.h"

static i32 g_screenBits = 32;
static int g_screenPalette = 0;

FontHandle Font_PlatformCreate(const FontDesc* desc, int scale) { return nullptr; }
void Font_PlatformDelete(FontHandle font) {}
// A 96 dots-per-inch screen.
i32 Font_PlatformPointHeight(int points) { return -((points * 96 + 36) / 72); }
const wch* Font_PlatformDefaultFace(int proportional) { return proportional ? u"Arial" : u"Courier New"; }

i32 Disp_GetScreenInfo(i32* width, i32* height) {
  if (width) *width = 1024;
  if (height) *height = 768;
  return g_screenBits;
}

int Disp_IsPaletteScreen(void) { return g_screenPalette; }

void Disp_SetNativeScreen(i32 bits, int palette) {
  g_screenBits = bits;
  g_screenPalette = palette;
}

u32 Pal_SystemColour(int index) {
  static const u32 kColours[4] = {0xFFFFFF, 0x6A240A, 0x000000, 0xF0F0F0};
  return (index >= 0 && index < 4) ? kColours[index] : 0;
}
