// The text listing ("dat"): the driver and its first part, the summary.
#include "model/dep.h"
#include "model/dwx.h"
#include "model/grid.h"
#include "model/hst.h"
#include "model/infp.h"
#include "model/layfile.h"
#include "model/lfst.h"
#include "model/line.h"
#include "model/rngp.h"
#include "model/tp.h"
#include "operation/clock.h"
#include "operation/ptsfile.h"
#include "operation/sigfile.h"
#include "platform/dfwfmt.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"

static LayExportOptions g_layExport = {0x9FFF, u' '};

void Lay_SetExportOptions(const LayExportOptions* options) {
  g_layExport = *options;
  if (g_layExport.separator < 32) g_layExport.separator = u' ';
}

void Lay_GetExportOptions(LayExportOptions* options) { *options = g_layExport; }

enum : u16 {
  LAY_EXPORT_SUMMARY = 0x0001,
  LAY_EXPORT_TIMETABLE_POINTS = 0x0010,
  LAY_EXPORT_LINES = 0x0002,
  LAY_EXPORT_DEPOTS = 0x0004,
  LAY_EXPORT_STOPS = 0x0800,
  LAY_EXPORT_TURNOUTS = 0x0020,
  LAY_EXPORT_SHUNTING = 0x0040,
  LAY_EXPORT_SIGNAL_INSTALLATIONS = 0x0080,
  LAY_EXPORT_DWX = 0x0100,
  LAY_EXPORT_SIGNAL_ELEMENTS = 0x0200,
  LAY_EXPORT_OPTION = 0x0400,
  LAY_EXPORT_LFST = 0x1000,
  LAY_EXPORT_UTF16 = 0x2000,
  LAY_EXPORT_ANSI = 0x4000
};

#define LAY_W(call)          \
  do {                       \
    const int r_ = (call);   \
    if (r_) return r_;       \
  } while (0)

int Lay_WriteReport(void) {
  wch info[20001];
  LAY_W(Fio_WriteFormat(Lng_GetText(11443), LayoutFileName));
  LAY_W(Fio_WriteCrLf());
  for (int slot = 0; slot < 2; ++slot) {
    if (Lng_GetGeneralInfo(slot, info) != 0) info[0] = 0;
    LAY_W(Fio_WriteString(Lng_GetText(slot == 0 ? 11440 : 11441)));
    LAY_W(Fio_WriteString(info));
    LAY_W(Fio_WriteCrLf());
  }
  const SimClock& c = g_simClock;
  const u32 days = c.elapsedMinutes / 1440, rest = c.elapsedMinutes % 1440;
  LAY_W(Fio_WriteFormat(u"%s %u %u:%02u\r\n", Lng_GetText(11446), days, rest / 60, rest % 60));
  if (Lng_GetGeneralInfo(2, info) != 0) info[0] = 0;
  LAY_W(Fio_WriteString(Lng_GetText(11442)));
  LAY_W(Fio_WriteString(info));
  LAY_W(Fio_WriteCrLf());
  LAY_W(Fio_WriteSeparator());
  wch time[64];
  Dfw_FormatTimeLocale(c.hour, c.minute, c.second, time);
  LAY_W(Fio_WriteFormat(u"\r\n%s: %s %s\r\n\r\n", Lng_GetText(11450), Lng_GetText(17020 + c.weekday), time));
  i32 x0, y0, l0, l1, y1, x1;
  if (!Grid_IsEmpty() && Grid_GetExtent(&x0, &y0, &l0, 1, &l1, &y1, &x1) == 0) {
    const u32 scale = g_simRate.scale ? g_simRate.scale : u32(CLK_SCALE_DEFAULT);
    const u32 w = u32(x1 - x0 + 1), h = u32(y1 - y0 + 1);
    LAY_W(Fio_WriteFormat(Lng_GetText(11451), scale));
    LAY_W(Fio_WriteCrLf());
    LAY_W(Fio_WriteFormat(Lng_GetText(11452), x0, x1, w, w / scale, (w * 1000 / scale) % 1000));
    LAY_W(Fio_WriteCrLf());
    LAY_W(Fio_WriteFormat(Lng_GetText(11453), y0, y1, h, h / scale, (h * 1000 / scale) % 1000));
    LAY_W(Fio_WriteCrLf());
    LAY_W(Fio_WriteFormat(Lng_GetText(11454), l0, l1, u32(l1 - l0 + 1)));
    LAY_W(Fio_WriteCrLf());
  }
  return Fio_WriteSeparator();
}

int Lay_WriteCellInfo(i32 x, i32 y, i32 level) {
  const u32 n = Info_GetLength(x, y, level);
  if (n == 0) return 0;
  wch* text = static_cast<wch*>(Heap_Alloc(n * sizeof(wch)));
  if (!text) return 4;
  int r = 0;
  if (Info_GetTextCopy(x, y, level, text) == 0) {
    text[n - 1] = 0;
    r = Fio_WriteString(text);
    if (!r) r = Fio_WriteCrLf();
  }
  Heap_Free(text);
  return r;
}

int Lay_ExportText(const wch* fileName) {
  const u16 sel = g_layExport.selection;
  const int boxes = Msg_InfoDepth();
  Msg_InfoOpen(Lng_GetText(11001), Lng_GetText(11000), 0, 0);
  int flags = FIO_WRITE_BOM;
  if (sel & LAY_EXPORT_ANSI) flags = FIO_ANSI;
  else if (sel & LAY_EXPORT_UTF16) flags = FIO_UTF16LE | FIO_WRITE_BOM;
  int r = 0;
  if (Fio_OpenWrite(fileName, flags, FOLDER_FULLPATH) != 0) {
    r = 3;
  } else {
    // The parts in the listing's order. The other modules' writers join as
    // they come: trains between the depots and the timetable points; log
    // points after the LFST points.
    const u16 option = sel & LAY_EXPORT_OPTION;
    if (sel & LAY_EXPORT_SUMMARY) r = Lay_WriteReport();
    if (!r && (sel & LAY_EXPORT_LINES)) r = Lin_ExportText(g_layExport.separator, option);
    if (!r && (sel & LAY_EXPORT_DEPOTS)) r = Dep_WriteReport(g_layExport.separator, option);
    if (!r && (sel & LAY_EXPORT_TIMETABLE_POINTS)) r = Tp_WriteText(option);
    if (!r && (sel & LAY_EXPORT_DWX)) r = Dwx_WriteReport(option);
    if (!r && (sel & LAY_EXPORT_TURNOUTS)) r = Pts_ExportText();
    if (!r && (sel & LAY_EXPORT_SHUNTING)) r = Rp_WriteText(option);
    if (!r && (sel & LAY_EXPORT_SIGNAL_INSTALLATIONS)) r = Sig_ExportInstallations(option);
    if (!r && (sel & LAY_EXPORT_SIGNAL_ELEMENTS)) r = Sig_ExportElements(option);
    if (!r && (sel & LAY_EXPORT_STOPS)) r = Hst_WriteText(option);
    if (!r && (sel & LAY_EXPORT_LFST)) r = Lfst_WriteText(option);
    if (r) {
      Fio_CancelWrite();
    } else {
      const int c = Fio_CloseWrite();
      if (c) {
        Fio_CancelWrite();
        r = c + 3;
      }
    }
  }
  while (Msg_InfoDepth() > boxes)
    if (Msg_InfoClose() < 0) break;
  return r;
}
