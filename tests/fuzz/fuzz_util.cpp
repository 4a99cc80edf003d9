#include "tests/fuzz/fuzz_util.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "model/dep.h"
#include "model/grid.h"
#include "model/hst.h"
#include "model/layfile.h"
#include "model/line.h"
#include "operation/clock.h"
#include "operation/pts.h"
#include "operation/trnlist.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "render/bgp.h"
#include "render/vehicles.h"
#include "shell/app.h"
#include "shell/wire.h"

namespace {
std::u16string g_work;

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

void RemoveWork(void) {
  std::error_code ec;
  if (!g_work.empty()) std::filesystem::remove_all(std::filesystem::path(g_work), ec);
}

[[noreturn]] void Stop(const char* what) {
  fprintf(stderr, "fuzz start-up: %s\n", what);
  exit(2);
}
}  // namespace

void Fuzz_Fail(const char* what, int value) {
  fprintf(stderr, "fuzz check failed: %s (value %d)\n", what, value);
  fflush(stderr);
  abort();
}

void Fuzz_CheckSame(const FuzzBytes& a, const FuzzBytes& b, const char* what) {
  if (a == b) return;
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  fprintf(stderr, "%s: %zu and %zu bytes, first difference at %zu:\n", what, a.size(), b.size(), i);
  for (const FuzzBytes* s : {&a, &b}) {
    for (size_t k = i < 8 ? 0 : i - 8; k < s->size() && k < i + 24; ++k) fprintf(stderr, " %02x", (*s)[k]);
    fprintf(stderr, "\n");
  }
  Fuzz_Fail(what, int(i));
}

void Fuzz_Init(void) {
  if (!g_work.empty()) return;
  // The work folder belongs to this process alone and goes when it ends.
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  const std::string work = (base / ("orbafuzz_" + std::to_string(getpid()))).string();
  std::filesystem::create_directories(work, ec);
  if (ec) Stop("no work folder");
  g_work = Wide(work) + u'/';
  atexit(RemoveWork);

  Wire_InstallHooks();
  if (Fio_InitBuffers() != 0) Stop("no file buffers");
  Lng_Init();
  const std::u16string data = Fuzz_DataFolder();
  for (int i = 0; i <= 6; ++i) Fio_SetFolderPath(i, g_work.c_str());
  Fio_SetFolderPath(FOLDER_PROGRAM, data.c_str());
  if (Lng_LoadFile(u"orba.lng", 1) != 0 || Lng_LoadFile(u"orba.lnv", 0) != 0 || Lng_LoadLetterClasses() != 0)
    Stop("no language files in the data folder");
  if (Grid_Init() != 0) Stop("no grid");
  Lin_Init();
  Dep_Init();
  Hst_Init();
  Pts_Init();
  Clk_Reset();
  Clk_SetLayoutScale(64);
}

const std::u16string& Fuzz_WorkFolder(void) { return g_work; }

std::u16string Fuzz_DataFolder(void) { return Wide(ORBA_DATA_DIR) + u'/'; }

void Fuzz_WriteFile(const char16_t* name, const u8* data, size_t size) {
  const std::u16string path = g_work + name;
  const int h = Os_Create(path.c_str());
  if (h < 0) Stop("a file of the work folder cannot be made");
  if (size && Os_Write(h, data, u32(size)) != i32(size)) Stop("a file of the work folder cannot be written");
  Os_Close(h);
}

FuzzBytes Fuzz_ReadFile(const char16_t* name) {
  FuzzBytes out;
  const std::u16string path = g_work + name;
  const int h = Os_Open(path.c_str());
  if (h < 0) return out;
  u8 buf[65536];
  for (;;) {
    const i32 n = Os_Read(h, buf, sizeof buf);
    if (n <= 0) break;
    out.insert(out.end(), buf, buf + n);
  }
  Os_Close(h);
  return out;
}

void Fuzz_ClearLayout(void) {
  Grid_Clear();
  TrnList_Clear();
  Dep_Clear();
  Hst_Clear();
  Lin_Clear();
}

void Fuzz_BuildLayout(void) {
  Fuzz_ClearLayout();
  TrnList_FreeAll();
  Pts_FreeAll();
  Gfx_EmptyVehicleSets();
  Bgp_Reset();
  if (App_BuildStartLayout() != 0 || App_BuildStartTrain() != 0) Stop("the start example cannot be built");
  Fuzz_LoadPicture();
  LayoutFileVersion = LAY_VERSION;
}

void Fuzz_LoadPicture(void) {
  // A picture of 2 x 2 pixels, 24 bits.
  static const u8 bmp[] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0,
                           0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                           0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
  if (Bgp_SetPath(u"picture.bmp") || Bgp_SetArea(16000, 16000, 40, 30) ||
      Bgp_LoadPictureMemory(bmp, sizeof bmp) != 0)
    Stop("no background picture");
}

FuzzBytes Fuzz_SaveLayout(const char16_t* name) {
  const std::u16string full(name);
  if (full.size() >= OS_MAX_PATH) Stop("name too long");
  for (size_t i = 0; i <= full.size(); ++i) LayoutFileName[i] = i < full.size() ? full[i] : 0;
  const int r = Lay_WriteFile(g_work.c_str(), nullptr);
  if (r != LAY_SAVE_OK) Fuzz_Fail("the layout in memory cannot be saved", r);
  return Fuzz_ReadFile(name);
}

FuzzBytes Fuzz_Written(const std::function<int(void)>& write) {
  FuzzBytes out;
  if (Fio_OpenWriteMemory() != 0) return out;
  if (write() != 0 || Fio_CloseWrite() != 0) {
    Fio_CancelWrite();
    return out;
  }
  u32 n = 0;
  u8* m = Fio_TakeWriteMemory(&n);
  if (m) out.assign(m, m + n);
  Heap_Free(m);
  return out;
}

int Fuzz_LoadSection(const u8* data, size_t size, int (*load)(u16 version), u16 version) {
  if (Fio_OpenReadMemory(data, u32(size)) != 0) return -1000;
  const int r = load(version);
  if (Fio_IsReadOpen()) Fio_CloseRead();
  return r;
}

u16 Fuzz_Version(const u8* two) {
  const u32 span = LAY_VERSION - LAY_VERSION_OLDEST + 1;
  return u16(LAY_VERSION_OLDEST + (u32(two[0]) | u32(two[1]) << 8) % span);
}

std::u16string Fuzz_Text(const u8* data, size_t size) {
  std::u16string s;
  for (size_t i = 0; i + 1 < size; i += 2) s += char16_t(data[i] | data[i + 1] << 8);
  return s;
}
