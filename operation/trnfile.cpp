#include "operation/trnfile.h"

#include "model/cellcode.h"
#include "model/grid.h"
#include "model/layver.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
#include "operation/trnramp.h"
#include "operation/trnres.h"
#include "operation/trnstep.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/str.h"

// u16 values a vehicle entry may carry before its end mark.
enum { TRN_MAX_VEHICLE_WORDS = 65536 };

// ---------------------------------------------------------------- calls into later modules

// The layout's load-error flag of the application shell (LayoutLoadErrorFlag).
static void TrnFile_SetLoadErrorFlag(void) {}
// A train of an old file whose cells could not be followed on the track: its
// head goes to the clipboard as "%i,%i,%i" (Clip_AppendLine).
static void TrnFile_ReportUnconvertible(i32 x, i32 y, i32 level) {}
// Cell-code classes of the shell: a ramp leading one level down
// (Ewin_IsCodeClass216) and one leading one level up (Ewin_IsCodeClass184).
static int TrnFile_IsRampUp(u32 code) {
  const u32 shape = Cell_IsElement(code) ? Cell_Shape(code) : code;
  return shape >= 184 && shape <= 191;
}

// ---------------------------------------------------------------- writing

static i32 TrnFile_RemainingWait(const TrainRec* t) {
  switch (t->StateList) {
    case TRN_LIST_STOP: return TrnList_StopRemaining(t);
    case TRN_LIST_REVERSE_WAIT: return TrnList_ReverseWaitRemaining(t);
    case TRN_LIST_STOP_SOUND: return TrnList_StopSoundRemaining(t);
    default: return (t->StateFlags & TRN_SET_ASIDE) ? t->WaitLeft : 0;
  }
}

static void TrnFile_WriteFixed(FioFields* out, const TrainRec* t, u32 index, u32 flags) {
  const u32 head[] = {index,           t->Line,      t->CurLine,   u32(t->Number), t->LastCell,
                      u32(t->SplitPos), t->VehicleCount, t->HomeDepot, t->HomePlace,   flags};
  for (u32 v : head) Fio_PutField(out, v, 4);
  if (flags & TRN_IN_SERVICE) {
    Fio_PutField(out, t->CurDepot, 4);
    Fio_PutField(out, t->CurPlace, 4);
  }
  for (int i = 0; i < TRN_TIMETABLE_ENTRIES; ++i) {
    const u32 entry[] = {t->TimeA[i], t->DepotA[i], t->PlaceA[i], t->TimeB[i], t->DepotB[i], t->PlaceB[i]};
    for (u32 v : entry) Fio_PutField(out, v, 4);
  }
  const u32 speeds[] = {t->MaxSpeed,  t->Speed,         t->TargetSpeed,      t->SpeedCapA, t->SpeedCapB,
                        t->SpeedCapC, u32(t->StepCountdown), t->StepDecrement, t->Accel,     t->Brake,
                        t->StopTimeMin, t->StopTimeMax, u32(TrnFile_RemainingWait(t)), t->AtStop,
                        t->Type,      t->HomeType,      t->Category,         t->HomeCategory, t->PropFlags,
                        t->PathOption};
  for (u32 v : speeds) Fio_PutField(out, v, 4);
  if (flags & TRN_RESERVED) Fio_PutField(out, t->ReservedCells, 4);
  const u32 position[] = {u32(t->SubCellOffset), t->TailOffset, u32(t->DirX), u32(t->DirY), u32(t->DirZ)};
  for (u32 v : position) Fio_PutField(out, v, 4);
  const i32 textLen = t->Text && t->TextLen > 0 ? t->TextLen : 0;
  Fio_PutField(out, u32(textLen), 4);
  for (i32 i = 0; i < textLen; ++i) Fio_PutField(out, t->Text[i], 2);
  Fio_PutField(out, u32(t->RetryLimit), 4);
  if ((flags & (TRN_DEPOT_WAIT | TRN_BLOCKED)) && t->RetryLimit >= 1) Fio_PutField(out, t->RetryCount, 4);
  Fio_PutField(out, u32(t->HornCountdown), 4);
  Fio_PutField(out, t->NextRunSound == TRN_NONE ? u32(TRN_NONE) : 1u, 4);
}

static int TrnFile_WriteTrain(const TrainRec* t, u32 index) {
  FioFields out = {0};
  TrnFile_WriteFixed(&out, t, index, t->StateFlags & ~(TRN_FOLLOWED | TRN_USER_DRIVEN));
  const TrainCell* c = Trn_Cells(t);
  for (u32 i = 0; i <= t->LastCell && !out.error; ++i) {
    Fio_KeepCode(&out, Grid_WritePos(c[i].X, c[i].Y, c[i].Level));
    Fio_PutField(&out, c[i].SavedCode == TRN_NO_CODE ? 0xFFFF : 1, 2);
    if (i < t->LastCell) Fio_PutField(&out, c[i].CellFlags, 2);
  }
  const TrainVehicle* v = Trn_Vehicles(t);
  for (u32 i = 0; i < t->VehicleCount && !out.error; ++i) {
    const u32 id = v[i].Vehicle;
    Fio_PutField(&out, ((id & 0x7FFFFFFFu) >> 4) | (id & 0x80000000u), 4);
    Fio_PutField(&out, id & 15, 4);
    Fio_PutField(&out, 0, 2);
    Fio_PutField(&out, v[i].VehFlags & ~TRN_VEH_UNSAVED, 4);
    Fio_PutField(&out, v[i].Length, 4);
  }
  return out.error;
}

int TrnList_SaveSection(void) {
  int r = Fio_WriteU32(TRN_SECTION_TAG);
  if (!r) r = Fio_WriteU32(Trn_GetCount());
  u32 index = 0;
  for (const TrainRec* t = TrnList_GetFirst(); t && !r; t = t->Next) r = TrnFile_WriteTrain(t, index++);
  return r;
}

// ---------------------------------------------------------------- reading helpers

// What the reader of one old record keeps beside the record.
struct TrnOldState {
  int oldTarget;  // bit 0x40 was set
  i32 targetX, targetY;
  u32 curIndex;  // timetable-A entry of an old train in service
};

static u32 TrnFile_OldVehicle16(u32 value) {
  if (value >= 64000) return (((value >> 4) - 4000) * 16) | (value & 7) | 0x80000000u;
  return value;
}

// ---------------------------------------------------------------- old classes

void TrnList_OldClassCode(u32 bits, u32* type, u32* category) {
  bits &= 63;
  u32 ty = 1, cat = 1;
  if (bits == 0) ty = cat = 0;
  else if ((bits & 3) == 3) ty = 3;
  else if (bits & 0x2) ty = 5;
  else if (bits & 0x8) ty = 6;
  else if (bits & 0x10) ty = 8;
  else if (bits & 0x4) cat = 2;
  else if (bits & 0x20) cat = 3;
  if (type) *type = ty;
  if (category) *category = cat;
}

void TrnList_ConvertOldClass(TrainRec* t, u32 first, u32 second) {
  TrnList_OldClassCode(first, &t->Type, &t->Category);
  TrnList_OldClassCode(second, &t->HomeType, &t->HomeCategory);
  t->PropFlags = ((first & 0x200) ? 4u : 0u) | ((first & 0x400) ? 8u : 0u);
  if (first & 0x40) {
    if (t->StateFlags & TRN_AT_PLACE) t->StateFlags |= TRN_FLAGGED_START;
    for (int i = 0; i < TRN_TIMETABLE_ENTRIES; ++i)
      if (t->TimeB[i]) t->PlaceB[i] |= 0x8000;
  }
  if (first & 0x80) {
    if (t->StateFlags & TRN_IN_SERVICE) t->StateFlags |= TRN_FLAGGED_START;
    for (int i = 0; i < TRN_TIMETABLE_ENTRIES; ++i)
      if (t->TimeA[i]) t->PlaceA[i] |= 0x8000;
  }
}

// ---------------------------------------------------------------- reading a record

// The three entries of each timetable of a file before the wide form: a
// minute, an hour and a depot each.
static int TrnFile_ReadOldTimetables(TrainRec* f) {
  FioFields in = {0};
  for (int table = 0; table < 2; ++table)
    for (int i = 0; i < 3; ++i) {
      const u32 minute = Fio_GetField(&in, 1);
      const u32 hour = Fio_GetField(&in, 1);
      const u32 depot = Fio_GetField(&in, 2);
      if (in.error) return in.error;
      u32 time = 0, place = 0;
      if (hour != 255 && depot != 0) {
        if (hour > 23 || minute > 59) return 3;
        time = (127u << 24) | (hour << 16) | (minute << 8);
        place = 1;
      }
      if (table == 0) {
        f->TimeA[i] = time;
        f->DepotA[i] = u16(time ? depot : 0);
        f->PlaceA[i] = u16(place);
      } else {
        f->TimeB[i] = time;
        f->DepotB[i] = u16(time ? depot : 0);
        f->PlaceB[i] = u16(place);
      }
    }
  return 0;
}

static int TrnFile_ReadTimetables(TrainRec* f, u16 v) {
  if (v >= LAYVER_WIDE) {
    FioFields in = {0};
    for (int i = 0; i < TRN_TIMETABLE_ENTRIES; ++i) {
      f->TimeA[i] = Fio_GetField(&in, 4);
      f->DepotA[i] = u16(Fio_GetField(&in, 4));
      f->PlaceA[i] = u16(Fio_GetField(&in, 4));
      f->TimeB[i] = Fio_GetField(&in, 4);
      f->DepotB[i] = u16(Fio_GetField(&in, 4));
      f->PlaceB[i] = u16(Fio_GetField(&in, 4));
    }
    if (in.error) return in.error;
  } else {
    const int r = TrnFile_ReadOldTimetables(f);
    if (r) return r;
  }
  for (int i = 0; i < TRN_TIMETABLE_ENTRIES; ++i) {
    f->TimeA[i] &= ~0xFFu;
    f->TimeB[i] &= ~0xFFu;
    if (!f->DepotA[i]) f->TimeA[i] = f->PlaceA[i] = 0;
    if (!f->DepotB[i]) f->TimeB[i] = f->PlaceB[i] = 0;
  }
  return 0;
}

// The speeds and stepping fields of a file before the u32 train fields.
static int TrnFile_ReadOldestSpeeds(TrainRec* f, TrnOldState* old) {
  FioFields in = {0};
  const u32 a = Fio_GetField(&in, 2);
  const u32 b = Fio_GetField(&in, 2);
  f->MaxSpeed = a * 1000;
  f->Speed = f->SpeedCapA = f->TargetSpeed = b * 1000;
  f->StepCountdown = i32(Fio_GetField(&in, 2));
  f->StepDecrement = Fio_GetField(&in, 1);
  old->targetX = i32(Fio_GetField(&in, 2));
  old->targetY = i32(Fio_GetField(&in, 2));
  if (in.error) return in.error;
  if (b == 0 || (f->StateFlags & ~0x3471u)) {
    f->Speed = 0;
    f->StepInterval = 1;
  }
  f->Accel = f->Brake = 0;
  return 0;
}

// The speeds and stepping fields.
static int TrnFile_ReadSpeeds(TrainRec* f, u16 v, TrnOldState* old) {
  if (v < LAYVER_SECONDS) return TrnFile_ReadOldestSpeeds(f, old);
  FioFields in = {0};
  if (v <= LAYVER_SPEED_CAP) {
    f->MaxSpeed = Fio_GetField(&in, 2) * 1000;
    f->Speed = Fio_GetField(&in, 2) * 1000;
    f->TargetSpeed = Fio_GetField(&in, 2) * 1000;
    if (v >= LAYVER_SPEED_CAP) {
      const u32 cap = Fio_GetField(&in, 2);
      f->SpeedCapA = cap == 10000 ? 0 : cap * 1000;
    } else {
      f->SpeedCapA = f->TargetSpeed;
    }
    f->StepCountdown = i32(Fio_GetField(&in, 4));
    f->StepDecrement = Fio_GetField(&in, 4) / 1024;
    f->Accel = Fio_GetField(&in, 4);
    f->Brake = Fio_GetField(&in, 4);
    Fio_SkipBytes(&in, 4);
    return in.error;
  }
  f->MaxSpeed = Fio_GetField(&in, 4);
  f->Speed = Fio_GetField(&in, 4);
  f->TargetSpeed = Fio_GetField(&in, 4);
  f->SpeedCapA = Fio_GetField(&in, 4);
  if (v >= LAYVER_SIGNAL_LISTS) f->SpeedCapB = Fio_GetField(&in, 4);
  if (v >= LAYVER_EXTRA) f->SpeedCapC = Fio_GetField(&in, 4);
  f->StepCountdown = i32(Fio_GetField(&in, 4));
  f->StepDecrement = Fio_GetField(&in, 4);
  f->Accel = Fio_GetField(&in, 4);
  f->Brake = Fio_GetField(&in, 4);
  return in.error;
}

// Index, lines, number, cell and vehicle counts and the home place.
static int TrnFile_ReadIdentity(TrainRec* f, u16 v, u32 index, TrnOldState* old) {
  FioFields in = {0};
  const int wide = LayVer_WordBytes(v);
  const u32 fileIndex = Fio_GetField(&in, wide);
  if (in.error) return in.error;
  if (fileIndex != (wide == 2 ? (index & 0xFFFF) : index)) return 3;
  f->Line = Fio_GetField(&in, wide);
  f->CurLine = Fio_GetField(&in, wide);
  f->Number = i32(Fio_GetField(&in, wide));
  const int small = v < LAYVER_TRAIN_FIELDS32 ? 1 : 4;
  f->LastCell = Fio_GetField(&in, small);
  if (v >= LAYVER_CODED) f->SplitPos = Fio_GetSignedField(&in, small);
  f->VehicleCount = Fio_GetField(&in, small);
  if (in.error) return in.error;
  if (f->LastCell >= TRN_MAX_CELLS || f->VehicleCount > TRN_MAX_VEHICLES) return 3;
  f->HomeDepot = u16(Fio_GetField(&in, wide));
  if (v >= LAYVER_WIDE) f->HomePlace = u16(Fio_GetField(&in, 4));
  else f->HomePlace = f->HomeDepot ? 1 : 0;
  if (v < LAYVER_TRAIN_FIELDS32) old->curIndex = Fio_GetField(&in, wide);
  if (v < LAYVER_DIR_WORD) Fio_SkipBytes(&in, 2);
  return in.error;
}

// The state flags, the current place and the timetables.
static int TrnFile_ReadPlaces(TrainRec* f, u16 v, TrnOldState* old) {
  FioFields in = {0};
  f->StateFlags = Fio_GetField(&in, v < LAYVER_SECONDS ? 2 : 4) & ~TRN_STOP_SOUND;
  if (v < LAYVER_LEVELS) {
    old->oldTarget = (f->StateFlags & TRN_OLD_TARGET) != 0;
    f->StateFlags &= ~TRN_OLD_TARGET;
  }
  if (v >= LAYVER_TRAIN_FIELDS32 && (f->StateFlags & TRN_IN_SERVICE)) {
    f->CurDepot = u16(Fio_GetField(&in, 4));
    f->CurPlace = u16(Fio_GetField(&in, 4));
  }
  if (in.error) return in.error;
  const int r = TrnFile_ReadTimetables(f, v);
  if (r) return r;
  if (v < LAYVER_TRAIN_FIELDS32 && (f->StateFlags & TRN_IN_SERVICE)) {
    // A reference into timetable A, 1-based; 0 is the home place.
    if (old->curIndex > TRN_TIMETABLE_ENTRIES) return 3;
    if (old->curIndex == 0) {
      f->CurDepot = f->HomeDepot;
      f->CurPlace = f->HomePlace;
    } else {
      f->CurDepot = f->DepotA[old->curIndex - 1];
      f->CurPlace = u16(f->PlaceA[old->curIndex - 1] & 0x7FFF);
    }
  }
  return 0;
}

// The stop times, the stop a train stands at and the classes.
static int TrnFile_ReadStopsAndClasses(TrainRec* f, u16 v) {
  FioFields in = {0};
  const int half = LayVer_WordBytes(v);
  f->StopTimeMin = u16(Fio_GetField(&in, half));
  f->StopTimeMax = u16(Fio_GetField(&in, half));
  f->WaitLeft = i32(Fio_GetField(&in, half));
  if (v < LAYVER_MARK99 && (f->StateFlags & TRN_SET_ASIDE)) f->WaitLeft = 30;
  f->AtStop = v >= LAYVER_AT_STOP ? Fio_GetField(&in, 4) : u32(TRN_NONE);
  if (v >= LAYVER_WIDE) {
    f->Type = Fio_GetField(&in, 4);
    f->HomeType = Fio_GetField(&in, 4);
    f->Category = Fio_GetField(&in, 4);
    f->HomeCategory = Fio_GetField(&in, 4);
    f->PropFlags = Fio_GetField(&in, 4);
    f->PathOption = Fio_GetField(&in, 4);
    return in.error;
  }
  const int w = v >= LAYVER_SECONDS ? 4 : 2;
  u32 first = Fio_GetField(&in, w);
  if (v < LAYVER_MARK99) first &= ~0x100u;
  if (v < LAYVER_CODED) first &= ~0x200u;
  const u32 second = v >= LAYVER_DAYLIGHT ? Fio_GetField(&in, w) : first;
  if (in.error) return in.error;
  TrnList_ConvertOldClass(f, first, second);
  f->PathOption = v >= LAYVER_ELAPSED ? Fio_GetField(&in, 4) : 1;
  return in.error;
}

// The old target, reservation, offsets, direction and the text's length.
static int TrnFile_ReadPosition(TrainRec* f, u16 v, TrnOldState* old) {
  FioFields in = {0};
  if (v >= LAYVER_SECONDS && (v < LAYVER_ELAPSED || (v < LAYVER_LEVELS && old->oldTarget))) {
    old->targetX = i32(Fio_GetField(&in, 4));
    old->targetY = i32(Fio_GetField(&in, 4));
  }
  if (v >= LAYVER_ELAPSED && (f->StateFlags & TRN_RESERVED)) f->ReservedCells = Fio_GetField(&in, 4);
  if (v >= LAYVER_SECONDS) {
    f->SubCellOffset = i32(Fio_GetField(&in, LayVer_WordBytes(v)));
    f->TailOffset = Fio_GetField(&in, 4);
  }
  if (v >= LAYVER_LEVELS) {
    f->DirX = i32(Fio_GetField(&in, 4));
    f->DirY = i32(Fio_GetField(&in, 4));
    f->DirZ = i32(Fio_GetField(&in, 4));
  }
  if (v < LAYVER_TRAIN_TEXT) {
    Fio_SkipBytes(&in, 4);
    return in.error;
  }
  const u32 len = Fio_GetField(&in, 4);
  if (in.error) return in.error;
  if (len > TRN_MAX_TEXT) return 3;
  f->TextLen = i32(len);  // the units follow; the caller reads them
  return 0;
}

// The fixed part up to the cells, into f (not yet a record of its own).
static int TrnFile_ReadFixed(TrainRec* f, u16 v, u32 index, TrnOldState* old) {
  int r;
  if ((r = TrnFile_ReadIdentity(f, v, index, old)) || (r = TrnFile_ReadPlaces(f, v, old)) ||
      (r = TrnFile_ReadSpeeds(f, v, old)) || (r = TrnFile_ReadStopsAndClasses(f, v)))
    return r;
  return TrnFile_ReadPosition(f, v, old);
}

// The text of TextLen units (8-bit characters before the wide form) into a
// block of its own; f->TextLen becomes the number of units kept.
static int TrnFile_ReadText(TrainRec* f, u16 v) {
  f->Text = nullptr;
  if (f->TextLen <= 0) {
    f->TextLen = 0;
    return 0;
  }
  const u32 n = u32(f->TextLen);
  wch* text = static_cast<wch*>(Heap_Alloc((n + 1) * sizeof(wch)));
  if (!text) return 4;
  int r = 0;
  if (v >= LAYVER_WIDE) {
    FioFields in = {0};
    for (u32 i = 0; i < n && !in.error; ++i) text[i] = wch(Fio_GetField(&in, 2));
    r = in.error;
  } else {
    char* bytes = static_cast<char*>(Heap_Alloc(n + 1));
    if (!bytes) {
      Heap_Free(text);
      return 4;
    }
    if (Fio_ReadBlock(bytes, n) != n) r = 1;
    bytes[n] = 0;
    if (!r) {
      // A zero byte ends the converted text early; the rest is dropped.
      const int units = Lng_AnsiToWide(bytes, text, i32(n + 1));
      f->TextLen = units > 1 ? units - 1 : 0;
    }
    Heap_Free(bytes);
  }
  if (r || f->TextLen == 0) {
    Heap_Free(text);
    return r;
  }
  f->Text = text;
  return 0;
}

// The rest of the fixed part after the text.
static int TrnFile_ReadTail(TrainRec* f, u16 v) {
  FioFields in = {0};
  if (v >= LAYVER_RETRY) {
    f->RetryLimit = i32(Fio_GetField(&in, 4));
    if ((f->StateFlags & (TRN_DEPOT_WAIT | TRN_BLOCKED)) && f->RetryLimit >= 1) f->RetryCount = Fio_GetField(&in, 4);
  }
  f->NextRunSound = TRN_NONE;
  if (v >= LAYVER_LISTS) {
    f->HornCountdown = i32(Fio_GetField(&in, 4));
    const u32 flag = Fio_GetField(&in, 4);
    f->NextRunSound = flag == TRN_NONE ? u32(TRN_NONE) : 0u;
  }
  if (v < LAYVER_WIDE) Fio_SkipBytes(&in, 1);
  return in.error;
}

static int TrnFile_InGrid(i32 x, i32 y, i32 level) {
  return x >= 0 && x < GRID_SIZE && y >= 0 && y < GRID_SIZE && level >= -4 && level <= 0;
}

// A cell mark as the record keeps it: 65535 none, else marked. Marks of the
// oldest files are old cell codes that go into the grid under the train.
static int TrnFile_TakeMark(TrainRec* t, TrainCell* c, u32 mark, u16 v) {
  if (mark >= 65535) {
    c->SavedCode = TRN_NO_CODE;
    return 0;
  }
  if (v <= LAYVER_OLDEST) {
    const CellCode code = Grid_ConvertFileCode(CellCode(mark % 16384), v, nullptr);
    if (!(t->StateFlags & TRN_OFF_TRACK) && TrnFile_InGrid(c->X, c->Y, c->Level) &&
        !Grid_SetCell(c->X, c->Y, c->Level, code))
      return 4;
    mark = 1;
  } else if (v < LAYVER_COMPANIONS) {
    mark = 1;
  }
  c->SavedCode = mark;
  return 0;
}

// One cell of a file between the u32 train fields and the levels: the head
// carries the direction, the last one its offset from the cell before.
static int TrnFile_ReadCell3750(TrainRec* t, u32 i) {
  TrainCell* c = Trn_Cells(t);
  TrainCell& s = c[i];
  const int last = i == t->LastCell && i > 0;
  FioFields in = {0};
  if (Fio_KeepCode(&in, Grid_ReadPos(&s.X, &s.Y, &s.Level, LAYVER_WIDE))) return in.error;
  const u32 a = Fio_GetField(&in, 4);
  const u32 b = Fio_GetField(&in, 4);
  if (in.error) return in.error;
  if (i == 0) {
    t->DirX = i32(a);
    t->DirY = i32(b);
    t->DirZ = 0;
  } else if (last) {
    // The offsets come from the file: a tail cell outside every position
    // a cell can have makes the record malformed.
    const i64 x = i64(c[i - 1].X) - i32(a), y = i64(c[i - 1].Y) - i32(b);
    if (x < INT32_MIN || x > INT32_MAX || y < INT32_MIN || y > INT32_MAX) return 3;
    s.X = i32(x);
    s.Y = i32(y);
    s.Level = 0;
  }
  return 0;
}

// One cell of the oldest files: byte directions and offsets.
static int TrnFile_ReadCellOldest(TrainRec* t, u32 i, u16 v, u32* mark, u32* flags) {
  TrainCell* c = Trn_Cells(t);
  TrainCell& s = c[i];
  FioFields in = {0};
  if (i == t->LastCell && i > 0) {
    const i32 a = Fio_GetSignedField(&in, 1);
    const i32 b = Fio_GetSignedField(&in, 1);
    s.X = c[i - 1].X - a;
    s.Y = c[i - 1].Y - b;
    s.Level = 0;
    *mark = 0xFFFF;
    return in.error;
  }
  if (Fio_KeepCode(&in, Grid_ReadPos(&s.X, &s.Y, &s.Level, v))) return in.error;
  const i32 a = Fio_GetSignedField(&in, 1);
  const i32 b = Fio_GetSignedField(&in, 1);
  if (i == 0 && !in.error) {
    t->DirX = a;
    t->DirY = b;
    t->DirZ = 0;
  }
  Fio_SkipBytes(&in, 2);
  *mark = Fio_GetField(&in, 2);
  if (v >= LAYVER_HOME) *flags = Fio_GetField(&in, 2);
  Fio_SkipBytes(&in, 5);
  return in.error;
}

static int TrnFile_ReadCells(TrainRec* t, u16 v) {
  int r;
  TrainCell* c = Trn_Cells(t);
  for (u32 i = 0; i <= t->LastCell; ++i) {
    TrainCell& s = c[i];
    const int last = i == t->LastCell && i > 0;
    u32 mark = 0xFFFF, flags = 0;
    FioFields in = {0};
    if (v >= LAYVER_LEVELS) {
      if ((r = Grid_ReadPos(&s.X, &s.Y, &s.Level, v))) return r;
      mark = Fio_GetField(&in, 2);
      if (i < t->LastCell) flags = Fio_GetField(&in, 2);
    } else if (v >= LAYVER_SECONDS) {
      if ((r = TrnFile_ReadCell3750(t, i))) return r;
      mark = Fio_GetField(&in, 2);
      if (!last) flags = Fio_GetField(&in, 2);
      if (!last && v < LAYVER_WIDE) Fio_SkipBytes(&in, 5);
    } else if ((r = TrnFile_ReadCellOldest(t, i, v, &mark, &flags))) {
      return r;
    }
    if (in.error) return in.error;
    if (v < LAYVER_HOME) flags = 0;
    else if (v < LAYVER_SIGNAL_LISTS && flags > 63) flags = (flags & 63) | 128;
    s.CellFlags = u8(flags);
    s.GridWord = nullptr;
    if ((r = TrnFile_TakeMark(t, &s, mark, v))) return r;
  }
  return 0;
}

// The vehicle id of an entry from the u32 train fields on.
static u32 TrnFile_GetVehicleId(FioFields* in, u16 v) {
  if (v >= LAYVER_LISTS) {
    const u32 set = Fio_GetField(in, 4);
    const u32 index = Fio_GetField(in, 4);
    if (index > 15) Fio_KeepCode(in, 3);
    return ((set << 4) & 0x7FFFFFF0u) | (set & 0x80000000u) | index;
  }
  if (v >= LAYVER_SPEED_CAP) return Fio_GetField(in, 4);
  return TrnFile_OldVehicle16(Fio_GetField(in, 2));
}

static int TrnFile_ReadVehicles(TrainRec* t, u16 v) {
  TrainVehicle* veh = Trn_Vehicles(t);
  FioFields in = {0};
  for (u32 i = 0; i < t->VehicleCount && !in.error; ++i) {
    TrainVehicle& e = veh[i];
    e.Word0 = e.Word1 = 0;
    if (v < LAYVER_SECONDS) {
      e.Vehicle = TrnFile_OldVehicle16(Fio_GetField(&in, 2));
      e.VehFlags = Fio_GetField(&in, 2) & ~TRN_VEH_UNSAVED;
      e.Length = v >= LAYVER_BOX ? (Fio_GetField(&in, 2) & 0xFF) * 8 : 0;
      continue;
    }
    e.Vehicle = TrnFile_GetVehicleId(&in, v);
    // A list of u16 values ended by a 0, not kept.
    for (u32 words = 0; !in.error && Fio_GetField(&in, 2) != 0;)
      if (++words >= TRN_MAX_VEHICLE_WORDS) Fio_KeepCode(&in, 3);
    e.VehFlags = Fio_GetField(&in, 4) & ~TRN_VEH_UNSAVED;
    e.Length = Fio_GetField(&in, 4);
  }
  return in.error;
}

// Levels of a train of a file before the levels: the running count of the ramps
// passed from the head (or from the old target back to the head). 0, or 1
// when a cell the train covers holds no track.
static int TrnList_ConvertOldLevels(TrainRec* t, const TrnOldState* old) {
  TrainCell* c = Trn_Cells(t);
  i32 level = 0;
  auto step = [&level](u32 code) {
    if (Trn_RampDownClass(code)) {
      if (level > -4) level--;
    } else if (TrnFile_IsRampUp(code)) {
      if (level < 0) level++;
    }
  };
  if (old->oldTarget) {
    i32 x = old->targetX, y = old->targetY;
    for (int n = 0; n < TRN_MAX_CELLS && (x != c[0].X || y != c[0].Y); ++n) {
      step(Cell_WithoutMark(Grid_GetCellChecked(x, y, level)));
      x += x < c[0].X ? 1 : x > c[0].X ? -1 : 0;
      y += y < c[0].Y ? 1 : y > c[0].Y ? -1 : 0;
    }
  }
  // Cells beyond the one that holds the end of the last vehicle carry none.
  const u32 covered = u32((i64(t->SubCellOffset) + t->TailOffset + 31) / 32);
  int bad = 0;
  for (u32 i = 0; i <= t->LastCell; ++i) {
    c[i].Level = level;
    if (i > 0 && i >= covered) continue;
    if (!TrnFile_InGrid(c[i].X, c[i].Y, level)) {
      bad = 1;
      continue;
    }
    const CellCode code = CellCode(Cell_Normalised(Grid_GetCell(c[i].X, c[i].Y, level)));
    if (!Cell_IsElement(code)) bad = 1;
    if (level < 0) {
      if (c[i].SavedCode == TRN_NO_CODE) c[i].SavedCode = 1;
      if (i == 0) t->DirZ = -1;
    }
    step(code);
  }
  if (bad) TrnFile_ReportUnconvertible(c[0].X, c[0].Y, c[0].Level);
  return bad;
}

// ---------------------------------------------------------------- reading the section

static u32 s_flaggedCount;

int TrnList_LoadSection(u16 version) {
  TrnList_Clear();
  const u16 v = version;
  int r;
  FioFields in = {0};
  const u32 tag = Fio_GetField(&in, LayVer_WordBytes(v));
  if (in.error) return in.error;
  if (tag != (v < LAYVER_WIDE ? u32(TRN_SECTION_OLD_TAG) : u32(TRN_SECTION_TAG))) return 3;
  const u32 count = Fio_GetField(&in, v < LAYVER_TRAIN_COUNT32 ? 2 : 4);
  if (in.error) return in.error;
  if (count > TRN_MAX_TRAINS) return 3;

  TrainRec* last = nullptr;
  u32 flagged = 0;
  for (u32 index = 0; index < count; ++index) {
    TrainRec f;
    Mem_Fill(&f, 0, i32(sizeof f));
    TrnOldState old = {0, 0, 0, 0};
    if ((r = TrnFile_ReadFixed(&f, v, index, &old))) return r;
    if ((r = TrnFile_ReadText(&f, v))) return r;
    if ((r = TrnFile_ReadTail(&f, v))) {
      if (f.Text) Heap_Free(f.Text);
      return r;
    }
    TrainRec* t = Trn_AllocRecord(f.LastCell, f.VehicleCount);
    if (!t) {
      if (f.Text) Heap_Free(f.Text);
      return 4;
    }
    Mem_Copy(t, &f, i32(sizeof f));
    t->Next = t->NextInState = t->MarkerLink = nullptr;
    t->StateList = TRN_LIST_NONE;
    t->MarkerCode = 0;
    if ((r = TrnFile_ReadCells(t, v)) || (r = TrnFile_ReadVehicles(t, v))) {
      Trn_FreeRecord(t);
      return r;
    }
    if (v < LAYVER_LEVELS) {
      if (old.oldTarget && (t->StateFlags & TRN_RESERVED)) {
        const TrainCell& head = Trn_Cells(t)[0];
        // Positions from the file may lie anywhere in 32 bits.
        const i64 dx = head.X > old.targetX ? i64(head.X) - old.targetX : i64(old.targetX) - head.X;
        const i64 dy = head.Y > old.targetY ? i64(head.Y) - old.targetY : i64(old.targetY) - head.Y;
        const i64 beyond = i64(t->ReservedCells) - (dx > dy ? dx : dy);
        if (beyond > 0) Trn_UnreserveBeyond(t, t->ReservedCells - u32(beyond), u32(beyond));
      }
      if (old.oldTarget) {
        t->ReservedCells = 0;
        t->StateFlags &= ~TRN_RESERVED;
      }
      if (!(t->StateFlags & TRN_OFF_TRACK) && TrnList_ConvertOldLevels(t, &old)) flagged++;
    }
    Trn_SetAccelSteps(t);
    TrnList_SetTrainSounds(t, 0);
    const u32 speed = t->Speed;
    const i32 countdown = t->StepCountdown;
    TrnList_EnterStateList(t);
    t->Speed = speed;
    t->StepCountdown = countdown;
    TrnList_LinkAfter(last, t);
    last = t;
  }
  return flagged ? -i32(flagged) : 0;
}

int TrnList_ReadSection(u16 version) {
  s_flaggedCount = 0;
  const int r = TrnList_LoadSection(version);
  if (r >= 0) return r;
  s_flaggedCount = u32(-r);
  return 0;
}

u32 TrnList_LoadFlaggedCount(void) { return s_flaggedCount; }

// ---------------------------------------------------------------- after the load

// Vehicle ids of the oldest files and their numbers today (each looked up
// once, no chains).
static const u16 kOldVehicleIds[][2] = {
    {5379, 5456},   {5380, 5457},   {5635, 5472},   {5636, 5473},   {5891, 5488},   {5892, 5489},
    {29186, 29281}, {29188, 29186}, {29954, 29936}, {30977, 30912}, {30978, 30896}, {30979, 30928},
    {30980, 30929}, {30981, 30977}, {31234, 31264}, {31235, 31265}, {31236, 31266}, {31237, 31267},
    {31297, 31312}, {31298, 31297}, {31299, 31313}, {31300, 31298}, {36097, 36128}, {36098, 36112},
    {36099, 36129}, {36100, 36098}, {36101, 36099}, {36102, 36113}, {36103, 36114}, {36865, 36848},
    {36866, 36832}, {36867, 36833}, {36868, 36865}, {36869, 36849}, {37120, 37104}, {37121, 37120},
    {37122, 37105}, {38657, 39585}, {38658, 39040}, {38659, 38960}, {38660, 38961}, {38661, 38962},
    {38662, 38963}, {39203, 39264}, {39204, 39265}, {41730, 41744}, {41731, 41745}, {41985, 42016}};

u32 TrnList_ConvertOldVehicleId(u32 id) {
  for (const auto& p : kOldVehicleIds)
    if (p[0] == id) return p[1];
  return id;
}

static u32 TrnFile_SetOf(u32 vehicle) { return vehicle & ~15u; }

// 0, 1 the pass fails, 2 the vehicle was marked missing.
static int TrnFile_ResolveVehicle(TrainVehicle* e, u16 v) {
  int result = 0;
  if (v < LAYVER_COMPANIONS) e->Vehicle = TrnList_ConvertOldVehicleId(e->Vehicle);
  if (v >= LAYVER_BOX) {
    if (Trn_CatalogueVehicleLength(e->Vehicle) == 0) {
      if (v < LAYVER_CATALOGUE) {
        const u32 entry = Trn_CatalogueIndexEntry(e->Vehicle);
        if (entry >= 0x10000) {
          Trn_CatalogueLoadVehicleSet(TrnFile_SetOf(entry));
          const u32 len = Trn_CatalogueVehicleLength(entry);
          // The translated id is a whole vehicle id (set << 4 | index): its
          // bit 0x80 is a bit of the set number, not a flag of the entry, so
          // a resolved translation always brings its length.
          if (len) {
            e->Vehicle = entry;
            e->Length = len;
          }
        }
      }
      if (Trn_CatalogueVehicleLength(e->Vehicle) == 0) Trn_CatalogueLoadVehicleSet(TrnFile_SetOf(e->Vehicle));
    }
    if (Trn_CatalogueVehicleLength(e->Vehicle) != e->Length) {
      if (e->Length < 1 || e->Length > 256) return 1;
      e->VehFlags |= TRN_VEH_MISSING;
      result = 2;
    }
  } else {
    const u32 entry = Trn_CatalogueIndexEntry(e->Vehicle);
    if (entry >= 0x10000) e->Vehicle = entry;
    Trn_CatalogueLoadVehicleSet(TrnFile_SetOf(e->Vehicle));
    e->Length = Trn_CatalogueVehicleLength(e->Vehicle);
    if (e->Length == 0) return 1;
  }
  const u32 gfx = Trn_CatalogueVehicleFlags(e->Vehicle);
  if (gfx == 65535) {
    if (v < LAYVER_BOX) return 1;
    if (e->Length < 1 || e->Length > 256) return 1;
    e->VehFlags |= TRN_VEH_MISSING;
    return 2;
  }
  if (gfx & 1) {
    if (!(e->VehFlags & TRN_VEH_PICTURE_TURNED)) e->VehFlags = (e->VehFlags & ~TRN_VEH_TURNED) | 1;
  } else {
    e->VehFlags &= ~1u;
  }
  e->VehFlags = (e->VehFlags & ~u32(TRN_VEH_GFX_OWN)) | (gfx & TRN_VEH_GFX_BITS);
  return result;
}

int TrnList_AfterLoad(u16 version) {
  int result = 0;
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    TrainVehicle* veh = Trn_Vehicles(t);
    for (u32 i = 0; i < t->VehicleCount; ++i) {
      const int r = TrnFile_ResolveVehicle(&veh[i], version);
      if (r == 1) {
        TrnFile_SetLoadErrorFlag();
        return 1;
      }
      if (r == 2) result = 2;
    }
    if (version < LAYVER_HOME) Trn_MarkVehicleStarts(t);
    if (version <= LAYVER_LISTS) t->TailOffset = Trn_TotalLength(t);
  }
  return result;
}
