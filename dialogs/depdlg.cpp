#include "dialogs/depdlg.h"

#include "model/dep.h"
#include "model/line.h"
#include "operation/clock.h"
#include "operation/sig.h"
#include "operation/trnops.h"
#include "platform/lng.h"
#include "platform/print.h"

enum : u32 { TXT_DEP_MIXED = 17740 };

i32 Dep_FormatListRows(wch* block) {
  const u32 today = (g_simClock.weekday >= 1 && g_simClock.weekday <= 7) ? 1u << (g_simClock.weekday - 1) : 1u;
  i32 rows = 0;
  wch* row = block;
  u32 last = 0;
  for (u32 depot = 0, place; (place = Dep_NextPlace(&depot)) != 0;) {
    const DepotRec* d = Dep_Find(depot, 0, nullptr);
    DepotPlaceInfo p;
    if (!d || Dep_GetPlace(depot, place, &p)) continue;
    row[0] = DEP_ROW_MARK;
    row[1] = wch(depot);
    row[2] = wch(place);
    row[3] = 0;
    wch wait[8], inst[SIG_NAME_UNITS + 8];
    if (p.WaitMs) Fmt_Print(wait, 8, u"%3i ", i32(p.WaitMs / 1000));
    else Fmt_Print(wait, 8, u"--- ");
    const i32 id = Dep_PlaceInstallation(depot, place);
    const SignalInstallation* s = id > 0 ? Sig_FindInstallation(u32(id)) : nullptr;
    Fmt_Print(inst, SIG_NAME_UNITS + 8, u"%s", id == -2 ? Lng_GetText(TXT_DEP_MIXED) : s ? s->Name : u"-----");
    u32 a = 0, b = 0, atCell = 0, weekA = 0, weekB = 0;
    const u32 home = TrnList_CountUses(depot, place, p.X, p.Y, p.Level, today, &a, &b, &atCell, nullptr);
    TrnList_CountUses(depot, place, p.X, p.Y, p.Level, 0x7F, &weekA, &weekB, nullptr, nullptr);
    Fmt_Print(row + DEP_ROW_KEYS, DEP_ROW_UNITS - DEP_ROW_KEYS, u"%-16s %-4s   %2i%c  %s %-20.20s %4i %4i %4i %4i %4i %4i",
              depot == last ? u"" : d->Name, d->Short, i32(place), wch(DEP_ROW_MARK), wait, inst, i32(home),
              i32(atCell), i32(b), i32(a), i32(weekB), i32(weekA));
    last = depot;
    row += DEP_ROW_UNITS;
    ++rows;
  }
  row[0] = row[1] = 0;
  return rows;
}

int Dep_StepPlaceField(wch* field, i32 step, i32 size) {
  wch out[24];
  if (Dep_NormalizePlaceRef(field, out, step)) return 1;
  i32 n = 0;
  while (n < size - 1 && out[n]) field[n] = out[n], ++n;
  field[n] = 0;
  return 0;
}

int Dep_StepLineField(wch* field, i32 step, i32 size) {
  if (size < LINE_NAME_SIZE) return 1;
  return Lin_StepName(field, step);
}
