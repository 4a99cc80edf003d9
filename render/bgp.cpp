#include "render/bgp.h"

#include <cstring>

#include "model/layver.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"
#include "render/gfx.h"
#include "render/vehicles.h"

BackgroundSettings g_background;

namespace {
enum : TextId { TXT_BGP_FAILED = 5509, TXT_BGP_FILE = 5510 };
enum { MSG_BGP_FAILED = 625 };
enum : u16 { ZG_TAG = 0x475A };
// Largest picture side taken; far beyond any layout's need, small enough to
// keep the row arithmetic in range.
enum { BGP_MAX_SIDE = 32768 };

void FreePicture(void) {
  Heap_Free(g_background.pixels);
  g_background.pixels = nullptr;
  g_background.picWidth = g_background.picHeight = g_background.bits = 0;
  g_background.paletteCount = 0;
}

u32 Le32(const u8* p) { return u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24; }
u16 Le16(const u8* p) { return u16(p[0] | p[1] << 8); }
}  // namespace

void Bgp_Reset(void) {
  g_background.path[0] = 0;
  FreePicture();
}

int Bgp_SetPath(const wch* path) {
  if (!path || Str_Len(path) >= 260) return 1;
  Str_Copy(g_background.path, path);
  return 0;
}

int Bgp_SetArea(i32 x, i32 y, i32 width, i32 height) {
  if (x < 0 || x >= 32768 || y < 0 || y >= 32768 || width < 1 || height < 1) return 1;
  g_background.x = x;
  g_background.y = y;
  g_background.width = width;
  g_background.height = height;
  return 0;
}

i32 Bgp_GetMode(void) { return g_background.mode; }

int Bgp_SetMode(i32 mode) {
  if (mode < 1 || mode > 4) return 1;
  g_background.mode = mode;
  return 0;
}

const wch* Bgp_GetSettings(i32* x, i32* y, i32* width, i32* height, i32* picWidth, i32* picHeight, i32* bits) {
  const BackgroundSettings& b = g_background;
  const int none = b.path[0] == 0;
  if (x) *x = b.x;
  if (y) *y = b.y;
  if (width) *width = b.width;
  if (height) *height = b.height;
  if (picWidth) *picWidth = none ? -1 : b.picWidth;
  if (picHeight) *picHeight = none ? -1 : b.picHeight;
  if (bits) *bits = none ? -1 : b.bits;
  return b.path;
}

int Bgp_LoadPictureMemory(const u8* d, u32 size) {
  FreePicture();
  if (!d || size < 54) return 3;
  if (d[0] != 'B' || d[1] != 'M') return 3;
  u32 dataOffset = Le32(d + 10);
  u32 infoSize = Le32(d + 14);
  i32 w = i32(Le32(d + 18)), h = i32(Le32(d + 22));
  u16 planes = Le16(d + 26), bits = Le16(d + 28);
  u32 compression = Le32(d + 30), used = Le32(d + 46);
  if (infoSize < 40 || planes != 1 || compression != 0) return 3;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return 3;
  if (w <= 0 || h == 0 || w > BGP_MAX_SIDE || h > BGP_MAX_SIDE || h < -BGP_MAX_SIDE) return 3;
  u32 colours = used ? used : (bits < 16 ? 1u << bits : 0);
  if (colours > 256 || (bits < 16 && colours > (1u << bits) && used)) return 3;
  const u32 tableAt = 14 + infoSize;
  if (tableAt > size || (size - tableAt) / 4 < colours) return 4;
  const int topDown = h < 0;
  const u32 rows = u32(topDown ? -h : h);
  const u32 stride = ((u32(w) * bits + 31) / 32) * 4;
  if (dataOffset > size || u64(stride) * rows > u64(size - dataOffset)) return 4;
  u8* px = (u8*)Heap_Alloc(stride * rows);
  if (!px) return 5;
  memcpy(px, d + dataOffset, stride * rows);
  BackgroundSettings& b = g_background;
  for (u32 i = 0; i < colours; ++i) {
    const u8* e = d + tableAt + 4 * i;  // blue, green, red, 0
    b.palette[i] = u32(e[2]) | u32(e[1]) << 8 | u32(e[0]) << 16;
  }
  b.paletteCount = colours;
  b.pixels = px;
  b.stride = stride;
  b.topDown = topDown;
  b.picWidth = w;
  b.picHeight = i32(rows);
  b.bits = bits;
  return 0;
}

int Bgp_LoadPicture(void) {
  BackgroundSettings& b = g_background;
  FreePicture();
  if (!b.path[0]) return 1;
  int r = 2;
  i32 size = Fio_GetFileSize(b.path, FOLDER_FULLPATH);
  if (size > 0 && !Fio_IsReadOpen() && Fio_OpenRead(b.path, 0, FOLDER_FULLPATH) == 0) {
    u8* data = (u8*)Heap_Alloc(u32(size));
    if (!data) {
      r = 5;
    } else {
      u32 got = Fio_ReadBlock(data, u32(size));
      r = got == u32(size) ? Bgp_LoadPictureMemory(data, got) : 4;
      Heap_Free(data);
    }
    Fio_CloseRead();
  }
  if (r) {
    wch text[400];
    Fmt_Print(text, 400, u"%s %s:\"%s\"", Lng_GetText(TXT_BGP_FAILED), Lng_GetText(TXT_BGP_FILE), b.path);
    Msg_ErrorText(MSG_BGP_FAILED, text);
  }
  return r;
}

u32 Bgp_GetPixel(i32 x, i32 y) {
  const BackgroundSettings& b = g_background;
  if (!b.pixels || x < 0 || y < 0 || x >= b.picWidth || y >= b.picHeight) return 0xFF0000;
  const u32 row = b.topDown ? u32(y) : u32(b.picHeight - 1 - y);
  const u8* p = b.pixels + row * b.stride;
  auto entry = [&](u32 i) { return i < b.paletteCount ? b.palette[i] : 0u; };
  switch (b.bits) {
    case 32: {
      const u8* q = p + 4 * x;
      return u32(q[2]) | u32(q[1]) << 8 | u32(q[0]) << 16;
    }
    case 24: {
      const u8* q = p + 3 * x;
      return u32(q[2]) | u32(q[1]) << 8 | u32(q[0]) << 16;
    }
    case 8: return entry(p[x]);
    // The leftmost pixel stands in the high nibble and the high bit.
    case 4: return entry((x & 1) ? p[x / 2] & 15 : p[x / 2] >> 4);
    case 1: return entry((p[x / 8] >> (7 - (x & 7))) & 1);
    default: return 0xFF0000;
  }
}

u32 Map_BackgroundPixel(i32 i) {
  const BackgroundSettings& b = g_background;
  if (!b.pixels || b.picWidth <= 0 || i < 0) return 0xFF0000;
  return Bgp_GetPixel(i % b.picWidth, i / b.picWidth);
}

// The picture a layout load keeps aside until it is decided.
static BackgroundSettings s_asideBackground;

void Bgp_KeepLayoutGraphics(int step) {
  switch (step) {
    case BGP_SET_ASIDE:
      Bgp_KeepLayoutGraphics(BGP_DROP);
      s_asideBackground = g_background;
      g_background.pixels = nullptr;
      Bgp_Reset();
      Gfx_SetAsideVehicleSets();
      return;
    case BGP_PUT_BACK:
      FreePicture();
      g_background = s_asideBackground;
      s_asideBackground.pixels = nullptr;
      Gfx_PutBackVehicleSets();
      return;
    case BGP_DROP_ALL:
      Gfx_ResetLayoutGraphics();
      Bgp_KeepLayoutGraphics(BGP_DROP);
      return;
    default:
      Heap_Free(s_asideBackground.pixels);
      s_asideBackground.pixels = nullptr;
      Gfx_DropAsideVehicleSets();
      return;
  }
}

int Bgp_SaveSection(void) {
  int r;
  if ((r = Fio_WriteU16(ZG_TAG)) || (r = Gfx_WriteVehicleIdList())) return r;
  const BackgroundSettings& b = g_background;
  if (!b.path[0]) return Fio_WriteU32(0);
  if ((r = Fio_WriteU32(1)) || (r = Fio_WriteU32(0)) || (r = Fio_WriteU32(u32(b.x))) || (r = Fio_WriteU32(u32(b.y))) ||
      (r = Fio_WriteU32(u32(b.width))) || (r = Fio_WriteU32(u32(b.height))))
    return r;
  for (i32 i = 0;; ++i) {
    if ((r = Fio_WriteU16(b.path[i])) != 0) return r;
    if (!b.path[i]) return 0;
  }
}

int Bgp_LoadSection(u16 version) {
  Gfx_ResetLayoutGraphics();
  u16 tag;
  int r;
  if ((r = Fio_ReadU16(&tag)) != 0) return r;
  if (tag != ZG_TAG) return 3;
  if ((r = Gfx_ReadVehicleIdList(version)) != 0) return r;
  if (version < LAYVER_LINE_TEXTS) return 0;
  u32 flag;
  if ((r = Fio_ReadU32(&flag)) != 0) return r;
  if (flag == 0) return 0;
  if (flag != 1) return 3;
  u32 v[5];
  for (u32& w : v)
    if ((r = Fio_ReadU32(&w)) != 0) return r;
  if (i32(v[3]) < 1 || i32(v[4]) < 1) return 3;
  wch path[260];
  for (int i = 0;; ++i) {
    u16 c;
    if ((r = Fio_ReadU16(&c)) != 0) return r;
    if (i == 259 && c != 0) return 3;
    path[i] = c;
    if (!c) break;
  }
  // The area is kept as the file gives it; the path and sizes checked above.
  BackgroundSettings& b = g_background;
  Str_Copy(b.path, path);
  b.x = i32(v[1]);
  b.y = i32(v[2]);
  b.width = i32(v[3]);
  b.height = i32(v[4]);
  return 0;
}

int Gfx_WriteLayoutGraphicsSection(void) { return Bgp_SaveSection(); }

int Gfx_ReadLayoutGraphicsSection(u16 version) { return Bgp_LoadSection(version); }
