// Every graphics file reader: the background picture (BMP), the base strip
// "orba.gzg", element records, combined element files, vehicle files,
// vehicle zoom records and files, and the title picture file. The first byte
// picks the reader, the next ones its arguments; the rest is the file. A
// record or a vehicle set read well is written back by the project's writer
// and reads again as the same.
#include <cstring>
#include <vector>

#include "platform/fio.h"
#include "platform/heap.h"
#include "render/bgp.h"
#include "render/gfxfile.h"
#include "tests/fuzz/fuzz_util.h"

namespace {
u8 g_base[GFX_BASE_PICTURES][16][8];

bool SamePictures(const GfxPicture& a, const GfxPicture& b) {
  return a.layer == b.layer && a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height &&
         memcmp(a.pixels, b.pixels, size_t(a.width) * size_t(a.height) * 4) == 0;
}

bool SameRecords(const GfxElementRecord& a, const GfxElementRecord& b) {
  if (a.zoom != b.zoom || a.versionHalf != b.versionHalf || a.flags != b.flags || a.count != b.count ||
      memcmp(a.offsets, b.offsets, sizeof a.offsets) != 0 || a.placeKind != b.placeKind ||
      memcmp(a.box, b.box, sizeof a.box) != 0 || a.placeValue != b.placeValue ||
      memcmp(a.kept, b.kept, sizeof a.kept) != 0 || memcmp(a.name, b.name, sizeof a.name) != 0)
    return false;
  for (u16 i = 0; i < a.count; ++i)
    if (!SamePictures(a.pictures[i], b.pictures[i])) return false;
  return true;
}

void Picture(const u8* d, size_t n) {
  if (Bgp_LoadPictureMemory(d, u32(n)) != 0) {
    FUZZ_CHECK(g_background.pixels == nullptr, 0);
    return;
  }
  const i32 w = g_background.picWidth, h = g_background.picHeight;
  FUZZ_CHECK(w > 0 && h > 0, w);
  for (i32 i = 0; i < 4096 && i < w * h; ++i) FUZZ_CHECK(Map_BackgroundPixel(i) == Bgp_GetPixel(i % w, i / w), i);
  Bgp_GetPixel(w, 0);
  Bgp_GetPixel(0, h);
  Bgp_Reset();
}

void ElementRecord(int zoom, const u8* d, size_t n) {
  if (Fio_OpenReadMemory(d, u32(n)) != 0) return;
  GfxElementRecord rec;
  const int r = GfxFile_ReadElementRecord(zoom, &rec);
  Fio_CloseRead();
  if (r != GFXR_OK) return;
  const FuzzBytes again = Fuzz_Written([&] { return GfxFile_WriteElementRecord(&rec); });
  if (!again.empty()) {
    GfxElementRecord back;
    FUZZ_CHECK(Fio_OpenReadMemory(again.data(), u32(again.size())) == 0, 0);
    const int r2 = GfxFile_ReadElementRecord(zoom, &back);
    Fio_CloseRead();
    FUZZ_CHECK(r2 == GFXR_OK, r2);
    FUZZ_CHECK(SameRecords(rec, back), 0);
    GfxFile_FreeElementRecord(&back);
  }
  GfxFile_FreeElementRecord(&rec);
}

u32 Le32(const u8* p) { return u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24; }

void Combined(int user, int zoom, const u8* d, size_t n) {
  GfxCombinedFile file;
  if (GfxFile_OpenCombinedMemory(d, u32(n), user ? "UZX" : "GZX", zoom, &file) != 0) return;
  for (u32 i = 0; i < file.indexCount && i < 16; ++i) {
    const u8* e = file.data + 4 + 24 * i;
    FUZZ_CHECK(4 + 24 * (i + 1) <= file.size, i);
    GfxElementRecord rec;
    if (GfxFile_ReadCombined(&file, Le32(e), Le32(e + 4), Le32(e + 8), Le32(e + 12), &rec) == GFXR_OK)
      GfxFile_FreeElementRecord(&rec);
  }
  GfxFile_FreeCombined(&file);
}

bool SameSets(const GfxVehicleSet& a, const GfxVehicleSet& b, int user) {
  if (a.number != b.number || a.count != b.count || a.flags != b.flags) return false;
  if (user ? (a.textLength != b.textLength || memcmp(a.texts, b.texts, a.textLength * 2) != 0)
           : a.textNumber != b.textNumber)
    return false;
  for (u16 i = 0; i < a.count; ++i) {
    const GfxVehicle &x = a.vehicles[i], &y = b.vehicles[i];
    if (x.index != y.index || x.length != y.length || x.a != y.a || x.b != y.b || x.c != y.c ||
        x.flags != y.flags || x.markerCount != y.markerCount || x.pixelCount != y.pixelCount ||
        memcmp(x.markers, y.markers, sizeof x.markers[0] * x.markerCount) != 0 ||
        memcmp(x.pixels, y.pixels, size_t(x.pixelCount) * 4) != 0)
      return false;
  }
  return true;
}

void VehicleSet(u16 number, int user, const u8* d, size_t n) {
  GfxVehicleSet set;
  if (GfxFile_ReadVehicleSetMemory(d, u32(n), number, user, &set) != GFXV_OK) return;
  const FuzzBytes again = Fuzz_Written([&] { return GfxFile_WriteVehicleFile(&set, 1, user, GFX_FZG_CURRENT); });
  if (!again.empty()) {
    GfxVehicleSet back;
    const int r = GfxFile_ReadVehicleSetMemory(again.data(), u32(again.size()), number, user, &back);
    FUZZ_CHECK(r == GFXV_OK, r);
    FUZZ_CHECK(SameSets(set, back, user), 0);
    GfxFile_FreeVehicleSet(&back);
  }
  GfxFile_FreeVehicleSet(&set);
}

void ZoomRecord(int combined, int zoom, u32 id, u32 length, u32 flags, const u8* d, size_t n) {
  if (Fio_OpenReadMemory(d, u32(n)) != 0) return;
  GfxVehicleZoom rec;
  const int r = combined ? GfxFile_ReadVehicleZoomCombined(zoom, id, length, flags, &rec)
                         : GfxFile_ReadVehicleZoomRecord(zoom, length, flags, &rec);
  if (Fio_IsReadOpen()) Fio_CloseRead();
  if (r == 0) GfxFile_FreeVehicleZoom(&rec);
}

void Title(const u8* d, size_t n) {
  for (u32 k = 0; k < 4; ++k) {
    if (Fio_OpenReadMemory(d, u32(n)) != 0) return;
    int format = 0;
    u32 count = 0;
    if (GfxFile_ReadTitleCount(&format, &count) != 0 || k >= count) {
      if (Fio_IsReadOpen()) Fio_CloseRead();
      return;
    }
    GfxTitleImage img;
    memset(&img, 0, sizeof img);
    if (GfxFile_ReadTitlePicture(format, count, k, &img) == 0) GfxFile_FreeTitleImage(&img);
    if (Fio_IsReadOpen()) Fio_CloseRead();
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
  Fuzz_Init();
  if (size < 8) return 0;
  const u8 pick = data[0];
  const int zoom = 1 << (data[1] % 3);
  const u32 arg = Le32(data + 2);
  const u8* d = data + 8;
  const size_t n = size - 8;
  switch (pick % 8) {
    case 0: Picture(d, n); break;
    case 1:
      if (Fio_OpenReadMemory(d, u32(n)) == 0) {
        GfxFile_ReadBase(g_base);
        if (Fio_IsReadOpen()) Fio_CloseRead();
      }
      break;
    case 2: ElementRecord(zoom, d, n); break;
    case 3: Combined(data[1] & 8, zoom, d, n); break;
    case 4: VehicleSet(u16(arg), data[1] & 8, d, n); break;
    case 5:
    case 6: ZoomRecord(pick % 8 == 6, zoom == 4 ? 4 : 2, arg, 8 + (data[6] % 32) * 8, data[7], d, n); break;
    default: Title(d, n); break;
  }
  FUZZ_CHECK(!Fio_IsReadOpen() && !Fio_IsWriteOpen(), pick);
  return 0;
}
