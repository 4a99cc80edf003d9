#include "render/title.h"

#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/tim.h"
#include "render/gfxfile.h"
#include "render/pal.h"

namespace {
u32* g_pixels;
i32 g_width, g_height;
}  // namespace

void Disp_CentreTitle(i32 w, i32 h, i32 x, i32 y, i32 width, i32 height, i32* outX, i32* outY) {
  *outX = width > w ? x + (width - w) / 2 : x;
  *outY = height > h ? y + (height - h) / 2 : y;
}

i32 Disp_FreeTitlePicture(void) {
  if (!g_pixels) return -1;
  Disp_PlatformFreeTitle();
  Heap_Free(g_pixels);
  g_pixels = nullptr;
  g_width = g_height = 0;
  return 0;
}

const u32* Disp_TitlePixels(i32* width, i32* height) {
  if (width) *width = g_width;
  if (height) *height = g_height;
  return g_pixels;
}

i32 Disp_LoadTitlePicture(i32 number) {
  if (number < -2) return -3;
  if (Fio_IsReadOpen()) return -1;
  if (Fio_OpenRead(u"orba.tbd", 0, FOLDER_PROGRAM) != 0) return -1;
  int format;
  u32 count;
  if (GfxFile_ReadTitleCount(&format, &count) != 0) {
    if (Fio_IsReadOpen()) Fio_CloseRead();
    return -2;
  }
  u32 n;
  if (number == -2) {
    n = count - 1;
  } else if (number == -1) {
    // A single picture needs no random choice (and the service may not be
    // asked for a number below 0 or 1).
    n = count >= 2 ? u32(Rnd_Next(i32(count - 1 > 0x7FFFFFFF ? 0x7FFFFFFF : count - 1))) : 0;
  } else {
    n = (count >= 1 && u32(number) < count - 1) ? u32(number) : 0;
  }
  GfxTitleImage img;
  int r = GfxFile_ReadTitlePicture(format, count, n, &img);
  if (Fio_IsReadOpen()) Fio_CloseRead();
  if (r) return -2;
  // Colour codes become colours; background pixels keep the background.
  if (format == '8') {
    u32 bg = Pal_ColourCodeToRgb(img.background) & 0xFFFFFF;
    for (u32 i = 0; i < u32(img.width) * img.height; ++i)
      img.pixels[i] = img.pixels[i] == img.background ? bg : Pal_ColourCodeToRgb(img.pixels[i]) & 0xFFFFFF;
  }
  Disp_FreeTitlePicture();
  g_pixels = img.pixels;
  g_width = img.width;
  g_height = img.height;
  i32 p = Disp_PlatformMakeTitle(g_pixels, g_width, g_height);
  if (p) {
    Disp_FreeTitlePicture();
    return p;
  }
  return i32(n);
}

i32 Disp_DrawTitlePicture(void* target, i32 x, i32 y, i32 width, i32 height) {
  if (!target) return -1;
  if (!g_pixels) return -2;
  i32 px, py;
  Disp_CentreTitle(g_width, g_height, x, y, width, height, &px, &py);
  return Disp_PlatformDrawTitle(target, px, py, g_width, g_height);
}
