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
#include "model/tp.h"
#include "operation/snd.h"
#include "operation/clock.h"
#include "operation/pts.h"
#include "operation/ptsfile.h"
#include "operation/sig.h"
#include "operation/sigeval.h"
#include "operation/trnlist.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "platform/str.h"
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
  Tp_Clear();
  Snd_ClearPoints();
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

void Fuzz_ClipCells(void) {
  Grid_Clear();
  const struct {
    i32 x, y;
    CellCode code;
  } cells[] = {{4, 4, 440}, {8, 4, 424}, {12, 4, 392}, {16, 4, 440}, {1, 10, 72}, {2, 10, 48}, {3, 10, 72},
               {4, 10, 48}, {5, 10, 88}};
  for (const auto& c : cells)
    if (Grid_SetCell(c.x, c.y, 0, c.code) != 1) Stop("no clipboard cells");
}

void Fuzz_ClipRecords(void) {
  Sig_Clear();
  Pts_FreeAll();
  static const u8 schedule[] = {127, 8, 15, 0x80 | 30, 254, 255, 0};
  u32 inst[3];
  const wch* names[] = {u"Alpha", u"Beta", u"Gamma"};
  for (int i = 0; i < 3; ++i) {
    SignalInstallationData d = {};
    Str_Copy(d.Name, names[i]);
    d.Limit = 1;
    d.Maximum = 2;
    d.Kind = 1;
    d.Duration = 60;
    if (i == 0) {
      d.Text = u"line\\one\nline two";
      d.TextLength = Str_Len(d.Text) + 1;
      d.Schedule = schedule;
      d.ScheduleBytes = sizeof schedule;
    }
    inst[i] = Sig_CreateInstallation(0);
    if (Sig_SetInstallation(inst[i], &d) != 0) Stop("no clipboard installation");
  }
  SignalElementData m = {};
  Str_Copy(m.Name, u"Main");
  m.Type = 1;
  const u32 cond[] = {inst[0], SIG_TOK_OR, SIG_TOK_OPEN, inst[1], SIG_TOK_AND, SIG_TOK_NOT, inst[2], SIG_TOK_CLOSE};
  m.TokenCount = 8;
  for (int i = 0; i < 8; ++i) m.Tokens[i] = cond[i];
  m.List1Count = 3;
  for (int i = 0; i < 3; ++i) m.List1[i] = (i & 1) ? i32(inst[i]) : -i32(inst[i]);
  m.List2Count = 1;
  m.List2[0] = -i32(inst[1]);
  m.Value = 5;
  if (Sig_CreateElement(4, 4, 0, 3, 440) != 0 || Sig_SetElement(4, 4, 0, &m) != 0) Stop("no main signal");
  SignalElementData dist = {};
  Str_Copy(dist.Name, u"Dist");
  dist.Type = 2;
  dist.LinkedId = Sig_FindElementAt(4, 4, 0, 0)->Id;
  if (Sig_CreateElement(8, 4, 0, 3, 424) != 0 || Sig_SetElement(8, 4, 0, &dist) != 0) Stop("no distant signal");
  SignalElementData cnt = {};
  Str_Copy(cnt.Name, u"Cnt");
  cnt.Type = 10;
  cnt.List1Count = 1;
  cnt.List1[0] = i32(inst[0]);
  if (Sig_CreateElement(12, 4, 0, 3, 392) != 0 || Sig_SetElement(12, 4, 0, &cnt) != 0) Stop("no counting element");
  const struct {
    i32 x;
    u32 kind;
  } turnouts[] = {{1, PTS_KIND_CYCLIC}, {2, PTS_KIND_RANDOM}, {3, PTS_KIND_BY_TRAIN}, {4, PTS_KIND_BY_SIGNALS}};
  for (const auto& t : turnouts) {
    u32 w[4];
    if (Pts_TileConnections(Grid_GetCell(t.x, 10, 0), w) != 0 ||
        Pts_SetById(t.x, 10, 0, 1, w[0], w[1], w[2], w[3], Pts_NextFreeId(), t.kind, 0) != 0)
      Stop("no turnout controller");
  }
  const u32 counts[3] = {2, 1, 3}, times[3] = {0x01070809, 0, 0x7F0C0000}, starts[3] = {4, 0, 5};
  const u32 weights[3] = {65535, 7, 0};
  u32 masks[12];
  for (u32 i = 0; i < 12; ++i) masks[i] = 0x10001u * (i + 1);
  const i32 l1[2] = {7, -9}, l3[1] = {4};
  const u32 sc[3] = {2, 0, 1};
  const i32* lists[3] = {l1, nullptr, l3};
  if (Pts_SetCyclic(1, 10, 0, counts, 2, times, starts, 0) != 0 || Pts_SetWeights(2, 10, 0, weights, 0) != 0 ||
      Pts_SetClassMasks(3, 10, 0, masks, 0) != 0 || Pts_SetElementLists(4, 10, 0, 0x21, sc, lists, 0) != 0)
    Stop("no turnout settings");
}
