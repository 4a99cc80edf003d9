#include "operation/trnfollow.h"

#include "model/line.h"
#include "model/sched.h"
#include "model/tp.h"
#include "model/zugtext.h"
#include "operation/clock.h"
#include "operation/snd.h"
#include "operation/trn.h"
#include "operation/trnops.h"
#include "platform/lng.h"
#include "platform/print.h"

static u32 s_viewOptions;
static TrnFollowHooks g_followHooks;
static u32 s_straightCells, s_diagonalCells;

void Trn_SetViewOptions(u32 options) { s_viewOptions = options; }
u32 Trn_GetViewOptions(void) { return s_viewOptions; }

void Trn_SetFollowHooks(const TrnFollowHooks* hooks) { g_followHooks = hooks ? *hooks : TrnFollowHooks{}; }

static i32 Trn_Sign(i32 v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

static int Trn_ViewShows(const SndView& v, i32 x, i32 y) {
  return x >= v.originX && x < v.originX + v.visWidth && y >= v.originY && y < v.originY + v.visHeight;
}

static void Trn_FollowCentre(int slot, const SndView& v, const TrainCell& h, int keepLevel) {
  if (g_followHooks.centreOnCell) g_followHooks.centreOnCell(slot, h.X, h.Y, keepLevel ? v.level : h.Level);
}

// Bit 2 with the head in view: the view moves with the train so that the
// cursor comes onto the head.
static void Trn_FollowCellByCell(int slot, SndView v, const TrainCell& h) {
  const TrnFollowHooks& k = g_followHooks;
  if (!k.scroll || !k.setCursor) return;
  if (v.mode == 3) {
    const i32 scale = v.scale > 0 ? v.scale : 1;
    k.scroll(slot, (h.X - v.cursorX) / scale, (h.Y - v.cursorY) / scale);
    k.setCursor(slot, h.X, h.Y);
  } else {
    i32 cx = v.cursorX, cy = v.cursorY;
    while (cx != h.X || cy != h.Y) {
      const i32 sx = Trn_Sign(h.X - cx), sy = Trn_Sign(h.Y - cy);
      const i32 ox = v.originX, oy = v.originY;
      k.scroll(slot, sx, sy);
      if (!Snd_GetView(slot, &v) || (v.originX == ox && v.originY == oy)) break;
      cx += v.originX - ox;
      cy += v.originY - oy;
      k.setCursor(slot, cx, cy);
    }
  }
  if (k.showPosition) k.showPosition(slot);
}

int Trn_FollowStep(void) {
  TrainRec* t = Trn_GetFollowed();
  if (!t || !Trn_TakeFollowedMoved()) return 0;
  const i32 slot = g_followHooks.followedView ? g_followHooks.followedView() : -1;
  if (slot < 0) return 0;
  if (g_followHooks.retitle) g_followHooks.retitle(slot);
  SndView v;
  if (!Snd_GetView(slot, &v)) return 0;
  const TrainCell& h = Trn_Cells(t)[0];
  const int keepLevel = (s_viewOptions & TRN_VIEW_KEEP_LEVEL) != 0;
  if (v.level != h.Level && !keepLevel) {
    Trn_FollowCentre(slot, v, h, 0);
    return 1;
  }
  const int inside = Trn_ViewShows(v, h.X, h.Y);
  if (!inside) {
    Trn_FollowCentre(slot, v, h, keepLevel);
    return 1;
  }
  if (!(s_viewOptions & TRN_VIEW_CELL_BY_CELL)) return 0;
  Trn_FollowCellByCell(slot, v, h);
  return 1;
}

// ---------------------------------------------------------------- follow mode and distance

void Trn_CountFollowedCell(int diagonal) {
  if (diagonal) s_diagonalCells++;
  else s_straightCells++;
}

void TrnList_ResetFollowedDistance(void) { s_straightCells = s_diagonalCells = 0; }

u32 TrnList_FollowedId(i32* number) {
  const TrainRec* t = Trn_GetFollowed();
  if (number) *number = t ? t->Number : 0;
  return t ? t->Line : 0;
}

int TrnList_GetFollowMode(void) {
  const TrainRec* t = Trn_GetFollowed();
  if (!t) return 0;
  return (t->StateFlags & TRN_USER_DRIVEN) ? 2 : 1;
}

void TrnList_SetFollowMode(int mode) {
  TrainRec* t = Trn_GetFollowed();
  if (!t) return;
  if (mode == 1) t->StateFlags &= ~TRN_USER_DRIVEN;
  else t->StateFlags |= TRN_FOLLOWED | TRN_USER_DRIVEN;
}

i32 TrnList_FollowedDistance(void) {
  if (!Trn_GetFollowed()) return -1;
  const u32 scale = g_simRate.scale ? g_simRate.scale : u32(CLK_SCALE_DEFAULT);
  return i32((u64(s_straightCells) * 1000 + u64(s_diagonalCells) * 1414) / scale);
}

// ---------------------------------------------------------------- info line

enum : TextId {
  TXT_INFO_TRAIN = 16000, TXT_INFO_DRIVEN = 16001, TXT_INFO_FOLLOWED = 16002, TXT_INFO_STATE = 16003,
  TXT_INFO_SPEED = 16004, TXT_INFO_TARGET = 16005, TXT_INFO_RUNS_AS = 16006, TXT_INFO_CLASS = 16007,
  TXT_INFO_DISTANCE = 16008, TXT_INFO_KM = 16009, TXT_INFO_WAITS = 16010, TXT_INFO_WAITS_OWN = 16011,
  TXT_INFO_NEXT_INSERT = 16012
};

// A speed in m/h as km/h: whole, or with its three decimals.
static void Trn_FormatSpeed(u32 speed, wch* out, i32 size) {
  if (speed % 1000) Fmt_Print(out, size, u"%u.%03u", speed / 1000, speed % 1000);
  else Fmt_Print(out, size, u"%u", speed / 1000);
}

// "text time", "---" for no time.
static void Trn_FormatWaitTime(TextId text, PackedWeekTime t, wch* out, i32 size) {
  wch when[48];
  if (!t || Rule_FormatTimeOfDay(t, when, 48, 0)) Fmt_Print(when, 48, u"---");
  Fmt_Print(out, size, u"%s %s", Lng_GetText(text), when);
}

void TrnList_InfoLine(wch* out, i32 size) {
  if (size < 1) return;
  out[0] = 0;
  const TrainRec* t = Trn_GetFollowed();
  if (!t) return;
  wch line[LINE_NAME_SIZE], curLine[LINE_NAME_SIZE], first[64], target[32], speed[16];
  Lin_GetName(t->Line, line, 0);
  Lin_GetName(t->CurLine, curLine, 0);
  if (t->StateFlags & TRN_HELD) {
    const TrainCell& head = Trn_Cells(t)[0];
    int source = 0;
    const PackedWeekTime when = Tp_Query(head.X, head.Y, head.Level, &source);
    Trn_FormatWaitTime(source == 1 ? TXT_INFO_WAITS_OWN : TXT_INFO_WAITS, when, first, 64);
  } else if (t->StateFlags & TRN_OFF_TRACK) {
    Trn_FormatWaitTime(TXT_INFO_NEXT_INSERT, TrnList_NextTimetableTime(t, 1), first, 64);
  } else {
    Trn_FormatSpeed(t->Speed, speed, 16);
    Fmt_Print(first, 64, u"%s=%s", Lng_GetText(TXT_INFO_SPEED), speed);
  }
  Trn_FormatSpeed(t->TargetSpeed, speed, 16);
  Fmt_Print(target, 32, u"%s=%s", Lng_GetText(TXT_INFO_TARGET), speed);
  wch state[2];
  Zug_StateLetters(t->StateFlags, state, nullptr);
  i32 metres = TrnList_FollowedDistance();
  if (metres < 0) metres = 0;
  Fmt_Print(out, size, u"%s %s %s/%u. %s %s %s=%c%c %s=%c%c %s %s %s=%u.%03u%s", Lng_GetText(TXT_INFO_TRAIN),
            Lng_GetText((t->StateFlags & TRN_USER_DRIVEN) ? TXT_INFO_DRIVEN : TXT_INFO_FOLLOWED), line,
            u32(t->Number), Lng_GetText(TXT_INFO_RUNS_AS), curLine, Lng_GetText(TXT_INFO_CLASS),
            Zug_CategoryLetter(t->Category), Zug_TypeLetter(t->Type), Lng_GetText(TXT_INFO_STATE), state[0], state[1],
            first, target, Lng_GetText(TXT_INFO_DISTANCE), u32(metres) / 1000, u32(metres) % 1000,
            Lng_GetText(TXT_INFO_KM));
}
