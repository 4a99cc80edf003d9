#include "operation/trnfile.h"

#include "model/grid.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
#include "operation/trnramp.h"
#include "operation/trnres.h"
#include "operation/trnstep.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/str.h"

// File versions at which the record changed.
enum : u16 {
  V13312 = 0x3400,
  V13568 = 0x3500,
  V13572 = 0x3504,
  V13573 = 0x3505,
  V13574 = 0x3506,
  V13575 = 0x3507,
  V13576 = 0x3508,
  V13577 = 0x3509,
  V14160 = 0x3750,
  V14162 = 0x3752,
  V14171 = 0x375B,
  V14339 = 0x3803,
  V14341 = 0x3805,
  V14343 = 0x3807,
  V14369 = 0x3821,
  V14389 = 0x3835,
  V14390 = 0x3836,
  V14394 = 0x383A,
  V14396 = 0x383C,
  V14397 = 0x383D,
  V14398 = 0x383E,
  V14405 = 0x3845
};

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
  const u32 shape = code > 32767 ? code : (code & 0x1FF);
  return shape >= 184 && shape <= 191;
}

// ---------------------------------------------------------------- writing

static int TrnFile_Put32(int* r, u32 v) {
  if (!*r) *r = Fio_WriteU32(v);
  return *r;
}
static int TrnFile_Put16(int* r, u32 v) {
  if (!*r) *r = Fio_WriteU16(u16(v));
  return *r;
}

static i32 TrnFile_RemainingWait(const TrainRec* t) {
  switch (t->StateList) {
    case TRN_LIST_STOP: return TrnList_StopRemaining(t);
    case TRN_LIST_REVERSE_WAIT: return TrnList_ReverseWaitRemaining(t);
    case TRN_LIST_STOP_SOUND: return TrnList_StopSoundRemaining(t);
    default: return (t->StateFlags & TRN_SET_ASIDE) ? t->WaitLeft : 0;
  }
}

static int TrnFile_WriteTrain(const TrainRec* t, u32 index) {
  int r = 0;
  const u32 flags = t->StateFlags & ~(TRN_FOLLOWED | TRN_USER_DRIVEN);
  TrnFile_Put32(&r, index);
  TrnFile_Put32(&r, t->Line);
  TrnFile_Put32(&r, t->CurLine);
  TrnFile_Put32(&r, u32(t->Number));
  TrnFile_Put32(&r, t->LastCell);
  TrnFile_Put32(&r, u32(t->SplitPos));
  TrnFile_Put32(&r, t->VehicleCount);
  TrnFile_Put32(&r, t->HomeDepot);
  TrnFile_Put32(&r, t->HomePlace);
  TrnFile_Put32(&r, flags);
  if (flags & TRN_IN_SERVICE) {
    TrnFile_Put32(&r, t->CurDepot);
    TrnFile_Put32(&r, t->CurPlace);
  }
  for (int i = 0; i < TRN_TIMETABLE_ENTRIES; ++i) {
    TrnFile_Put32(&r, t->TimeA[i]);
    TrnFile_Put32(&r, t->DepotA[i]);
    TrnFile_Put32(&r, t->PlaceA[i]);
    TrnFile_Put32(&r, t->TimeB[i]);
    TrnFile_Put32(&r, t->DepotB[i]);
    TrnFile_Put32(&r, t->PlaceB[i]);
  }
  const u32 speeds[] = {t->MaxSpeed,  t->Speed,         t->TargetSpeed,      t->SpeedCapA, t->SpeedCapB,
                        t->SpeedCapC, u32(t->StepCountdown), t->StepDecrement, t->Accel,     t->Brake,
                        t->StopTimeMin, t->StopTimeMax, u32(TrnFile_RemainingWait(t)), t->AtStop,
                        t->Type,      t->HomeType,      t->Category,         t->HomeCategory, t->PropFlags,
                        t->PathOption};
  for (u32 v : speeds) TrnFile_Put32(&r, v);
  if (flags & TRN_RESERVED) TrnFile_Put32(&r, t->ReservedCells);
  TrnFile_Put32(&r, u32(t->SubCellOffset));
  TrnFile_Put32(&r, t->TailOffset);
  TrnFile_Put32(&r, u32(t->DirX));
  TrnFile_Put32(&r, u32(t->DirY));
  TrnFile_Put32(&r, u32(t->DirZ));
  const i32 textLen = t->Text && t->TextLen > 0 ? t->TextLen : 0;
  TrnFile_Put32(&r, u32(textLen));
  for (i32 i = 0; i < textLen; ++i) TrnFile_Put16(&r, t->Text[i]);
  TrnFile_Put32(&r, u32(t->RetryLimit));
  if ((flags & (TRN_DEPOT_WAIT | TRN_BLOCKED)) && t->RetryLimit >= 1) TrnFile_Put32(&r, t->RetryCount);
  TrnFile_Put32(&r, u32(t->HornCountdown));
  TrnFile_Put32(&r, t->NextRunSound == TRN_NONE ? u32(TRN_NONE) : 1u);
  if (r) return r;

  const TrainCell* c = Trn_Cells(t);
  for (u32 i = 0; i <= t->LastCell && !r; ++i) {
    r = Grid_WritePos(c[i].X, c[i].Y, c[i].Level);
    TrnFile_Put16(&r, c[i].SavedCode == TRN_NO_CODE ? 0xFFFF : 1);
    if (i < t->LastCell) TrnFile_Put16(&r, c[i].CellFlags);
  }
  const TrainVehicle* v = Trn_Vehicles(t);
  for (u32 i = 0; i < t->VehicleCount && !r; ++i) {
    const u32 id = v[i].Vehicle;
    TrnFile_Put32(&r, ((id & 0x7FFFFFFFu) >> 4) | (id & 0x80000000u));
    TrnFile_Put32(&r, id & 15);
    TrnFile_Put16(&r, 0);
    TrnFile_Put32(&r, v[i].VehFlags & ~TRN_VEH_UNSAVED);
    TrnFile_Put32(&r, v[i].Length);
  }
  return r;
}

int TrnList_SaveSection(void) {
  int r = Fio_WriteU32(TRN_SECTION_TAG);
  if (!r) r = Fio_WriteU32(Trn_GetCount());
  u32 index = 0;
  for (const TrainRec* t = TrnList_GetFirst(); t && !r; t = t->Next) r = TrnFile_WriteTrain(t, index++);
  return r;
}

// ---------------------------------------------------------------- reading helpers

// Reads an unsigned value of 1, 2 or 4 bytes.
static int TrnFile_Get(u32* out, int bytes) {
  int r;
  if (bytes == 4) return Fio_ReadU32(out);
  if (bytes == 2) {
    u16 v;
    if ((r = Fio_ReadU16(&v))) return r;
    *out = v;
    return 0;
  }
  u8 b;
  if ((r = Fio_ReadByte(&b))) return r;
  *out = b;
  return 0;
}

static int TrnFile_Skip(u32 bytes) {
  u8 b;
  for (u32 i = 0; i < bytes; ++i) {
    const int r = Fio_ReadByte(&b);
    if (r) return r;
  }
  return 0;
}

// Reads a field of the given width into var; the first failing read ends the
// calling reader with the stream's code (r must be declared there).
#define TRN_GET(var, bytes)               \
  do {                                    \
    u32 v_ = 0;                           \
    if ((r = TrnFile_Get(&v_, bytes))) return r; \
    var = v_;                             \
  } while (0)

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

static int TrnFile_ReadTimetables(TrainRec* f, u16 v) {
  int r;
  if (v >= V14389) {
    for (int i = 0; i < TRN_TIMETABLE_ENTRIES; ++i) {
      TRN_GET(f->TimeA[i], 4);
      TRN_GET(f->DepotA[i], 4);
      TRN_GET(f->PlaceA[i], 4);
      TRN_GET(f->TimeB[i], 4);
      TRN_GET(f->DepotB[i], 4);
      TRN_GET(f->PlaceB[i], 4);
    }
  } else {
    for (int table = 0; table < 2; ++table)
      for (int i = 0; i < 3; ++i) {
        u32 minute, hour, depot;
        TRN_GET(minute, 1);
        TRN_GET(hour, 1);
        TRN_GET(depot, 2);
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
  }
  for (int i = 0; i < TRN_TIMETABLE_ENTRIES; ++i) {
    f->TimeA[i] &= ~0xFFu;
    f->TimeB[i] &= ~0xFFu;
    if (!f->DepotA[i]) f->TimeA[i] = f->PlaceA[i] = 0;
    if (!f->DepotB[i]) f->TimeB[i] = f->PlaceB[i] = 0;
  }
  return 0;
}

// The speeds and stepping fields.
static int TrnFile_ReadSpeeds(TrainRec* f, u16 v, TrnOldState* old) {
  int r;
  if (v < V14160) {
    u32 a, b, target;
    TRN_GET(a, 2);
    TRN_GET(b, 2);
    f->MaxSpeed = a * 1000;
    f->Speed = f->SpeedCapA = f->TargetSpeed = b * 1000;
    TRN_GET(f->StepCountdown, 2);
    TRN_GET(f->StepDecrement, 1);
    if (b == 0 || (f->StateFlags & ~0x3471u)) {
      f->Speed = 0;
      f->StepInterval = 1;
    }
    f->Accel = f->Brake = 0;
    TRN_GET(target, 2);
    old->targetX = i32(target);
    TRN_GET(target, 2);
    old->targetY = i32(target);
    return 0;
  }
  if (v <= V14341) {
    TRN_GET(f->MaxSpeed, 2);
    TRN_GET(f->Speed, 2);
    TRN_GET(f->TargetSpeed, 2);
    f->MaxSpeed *= 1000;
    f->Speed *= 1000;
    f->TargetSpeed *= 1000;
    if (v >= V14341) {
      u32 cap;
      TRN_GET(cap, 2);
      f->SpeedCapA = cap == 10000 ? 0 : cap * 1000;
    } else {
      f->SpeedCapA = f->TargetSpeed;
    }
    TRN_GET(f->StepCountdown, 4);
    TRN_GET(f->StepDecrement, 4);
    f->StepDecrement /= 1024;
    TRN_GET(f->Accel, 4);
    TRN_GET(f->Brake, 4);
    return TrnFile_Skip(4);
  }
  TRN_GET(f->MaxSpeed, 4);
  TRN_GET(f->Speed, 4);
  TRN_GET(f->TargetSpeed, 4);
  TRN_GET(f->SpeedCapA, 4);
  if (v >= V14390) TRN_GET(f->SpeedCapB, 4);
  if (v >= V14398) TRN_GET(f->SpeedCapC, 4);
  TRN_GET(f->StepCountdown, 4);
  TRN_GET(f->StepDecrement, 4);
  TRN_GET(f->Accel, 4);
  TRN_GET(f->Brake, 4);
  return 0;
}

// The fixed part up to the cells, into f (not yet a record of its own).
static int TrnFile_ReadFixed(TrainRec* f, u16 v, u32 index, TrnOldState* old) {
  int r;
  const int wide = v >= V14389 ? 4 : 2;
  u32 fileIndex;
  TRN_GET(fileIndex, wide);
  if (fileIndex != (wide == 2 ? (index & 0xFFFF) : index)) return 3;
  TRN_GET(f->Line, wide);
  TRN_GET(f->CurLine, wide);
  TRN_GET(f->Number, wide);
  const int small = v < V14394 ? 1 : 4;
  TRN_GET(f->LastCell, small);
  if (v >= V13568) {
    u32 split;
    TRN_GET(split, small);
    f->SplitPos = small == 1 ? i32(i8(split)) : i32(split);
  }
  TRN_GET(f->VehicleCount, small);
  if (f->LastCell >= TRN_MAX_CELLS || f->VehicleCount > TRN_MAX_VEHICLES) return 3;
  if (v >= V14389) {
    TRN_GET(f->HomeDepot, 4);
    TRN_GET(f->HomePlace, 4);
  } else {
    TRN_GET(f->HomeDepot, 2);
    f->HomePlace = f->HomeDepot ? 1 : 0;
  }
  if (v < V14394) TRN_GET(old->curIndex, v >= V14389 ? 4 : 2);
  if (v < V13572 && (r = TrnFile_Skip(2))) return r;
  TRN_GET(f->StateFlags, v < V14160 ? 2 : 4);
  f->StateFlags &= ~TRN_STOP_SOUND;
  if (v < V14396) {
    old->oldTarget = (f->StateFlags & TRN_OLD_TARGET) != 0;
    f->StateFlags &= ~TRN_OLD_TARGET;
  }
  if (v >= V14394 && (f->StateFlags & TRN_IN_SERVICE)) {
    TRN_GET(f->CurDepot, 4);
    TRN_GET(f->CurPlace, 4);
  }
  if ((r = TrnFile_ReadTimetables(f, v))) return r;
  if (v < V14394 && (f->StateFlags & TRN_IN_SERVICE)) {
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
  if ((r = TrnFile_ReadSpeeds(f, v, old))) return r;
  const int half = v >= V14389 ? 4 : 2;
  TRN_GET(f->StopTimeMin, half);
  TRN_GET(f->StopTimeMax, half);
  TRN_GET(f->WaitLeft, half);
  if (v < V13575 && (f->StateFlags & TRN_SET_ASIDE)) f->WaitLeft = 30;
  if (v >= V14339) TRN_GET(f->AtStop, 4);
  else f->AtStop = TRN_NONE;
  if (v >= V14389) {
    TRN_GET(f->Type, 4);
    TRN_GET(f->HomeType, 4);
    TRN_GET(f->Category, 4);
    TRN_GET(f->HomeCategory, 4);
    TRN_GET(f->PropFlags, 4);
    TRN_GET(f->PathOption, 4);
  } else {
    const int w = v >= V14160 ? 4 : 2;
    u32 first, second;
    TRN_GET(first, w);
    if (v < V13575) first &= ~0x100u;
    if (v < V13568) first &= ~0x200u;
    if (v >= V13577) TRN_GET(second, w);
    else second = first;
    TrnList_ConvertOldClass(f, first, second);
    if (v >= V14162) TRN_GET(f->PathOption, 4);
    else f->PathOption = 1;
  }
  if (v >= V14160 && (v < V14162 || (v < V14396 && old->oldTarget))) {
    TRN_GET(old->targetX, 4);
    TRN_GET(old->targetY, 4);
  }
  if (v >= V14162 && (f->StateFlags & TRN_RESERVED)) TRN_GET(f->ReservedCells, 4);
  if (v >= V14160) {
    TRN_GET(f->SubCellOffset, v >= V14389 ? 4 : 2);
    TRN_GET(f->TailOffset, 4);
  }
  if (v >= V14396) {
    TRN_GET(f->DirX, 4);
    TRN_GET(f->DirY, 4);
    TRN_GET(f->DirZ, 4);
  }
  if (v < V14171) {
    if ((r = TrnFile_Skip(4))) return r;
  } else {
    u32 len;
    TRN_GET(len, 4);
    if (len > TRN_MAX_TEXT) return 3;
    f->TextLen = i32(len);  // the units follow; the caller reads them
  }
  return 0;
}

// The text of TextLen units (8-bit characters before 14389) into a block of
// its own; f->TextLen becomes the number of units kept.
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
  if (v >= V14389) {
    for (u32 i = 0; i < n && !r; ++i) {
      u16 unit;
      r = Fio_ReadU16(&unit);
      text[i] = wch(unit);
    }
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
  int r;
  if (v >= V14397) {
    TRN_GET(f->RetryLimit, 4);
    if ((f->StateFlags & (TRN_DEPOT_WAIT | TRN_BLOCKED)) && f->RetryLimit >= 1) TRN_GET(f->RetryCount, 4);
  }
  f->NextRunSound = TRN_NONE;
  if (v >= V14405) {
    u32 flag;
    TRN_GET(f->HornCountdown, 4);
    TRN_GET(flag, 4);
    f->NextRunSound = flag == TRN_NONE ? u32(TRN_NONE) : 0u;
  }
  if (v < V14389 && (r = TrnFile_Skip(1))) return r;
  return 0;
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
  if (v <= V13312) {
    const CellCode code = Grid_ConvertFileCode(CellCode(mark % 16384), v, nullptr);
    if (!(t->StateFlags & TRN_OFF_TRACK) && TrnFile_InGrid(c->X, c->Y, c->Level) &&
        !Grid_SetCell(c->X, c->Y, c->Level, code))
      return 4;
    mark = 1;
  } else if (v < V13573) {
    mark = 1;
  }
  c->SavedCode = mark;
  return 0;
}

static int TrnFile_ReadCells(TrainRec* t, u16 v) {
  int r;
  TrainCell* c = Trn_Cells(t);
  for (u32 i = 0; i <= t->LastCell; ++i) {
    TrainCell& s = c[i];
    const int last = i == t->LastCell && i > 0;
    u32 mark = 0xFFFF, flags = 0;
    if (v >= V14396) {
      if ((r = Grid_ReadPos(&s.X, &s.Y, &s.Level, v))) return r;
      TRN_GET(mark, 2);
      if (i < t->LastCell) TRN_GET(flags, 2);
    } else if (v >= V14160) {
      if ((r = Grid_ReadPos(&s.X, &s.Y, &s.Level, V14389))) return r;
      u32 a, b;
      TRN_GET(a, 4);
      TRN_GET(b, 4);
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
      TRN_GET(mark, 2);
      if (!last) TRN_GET(flags, 2);
      if (!last && v < V14389 && (r = TrnFile_Skip(5))) return r;
    } else if (!last) {
      if ((r = Grid_ReadPos(&s.X, &s.Y, &s.Level, v))) return r;
      u32 a, b;
      TRN_GET(a, 1);
      TRN_GET(b, 1);
      if (i == 0) {
        t->DirX = i8(a);
        t->DirY = i8(b);
        t->DirZ = 0;
      }
      if ((r = TrnFile_Skip(2))) return r;
      TRN_GET(mark, 2);
      if (v >= V13574) TRN_GET(flags, 2);
      if ((r = TrnFile_Skip(5))) return r;
    } else {
      u32 a, b;
      TRN_GET(a, 1);
      TRN_GET(b, 1);
      s.X = c[i - 1].X - i8(a);
      s.Y = c[i - 1].Y - i8(b);
      s.Level = 0;
      mark = 0xFFFF;
    }
    if (v < V13574) flags = 0;
    else if (v < V14390 && flags > 63) flags = (flags & 63) | 128;
    s.CellFlags = u8(flags);
    s.GridWord = nullptr;
    if ((r = TrnFile_TakeMark(t, &s, mark, v))) return r;
  }
  return 0;
}

static int TrnFile_ReadVehicles(TrainRec* t, u16 v) {
  int r;
  TrainVehicle* veh = Trn_Vehicles(t);
  for (u32 i = 0; i < t->VehicleCount; ++i) {
    TrainVehicle& e = veh[i];
    e.Word0 = e.Word1 = 0;
    if (v < V14160) {
      u32 id, flags;
      TRN_GET(id, 2);
      TRN_GET(flags, 2);
      e.Vehicle = TrnFile_OldVehicle16(id);
      e.VehFlags = flags & ~TRN_VEH_UNSAVED;
      e.Length = 0;
      if (v >= V13576) {
        u32 len;
        TRN_GET(len, 2);
        e.Length = (len & 0xFF) * 8;
      }
      continue;
    }
    if (v >= V14405) {
      u32 set, index;
      TRN_GET(set, 4);
      TRN_GET(index, 4);
      if (index > 15) return 3;
      e.Vehicle = ((set << 4) & 0x7FFFFFF0u) | (set & 0x80000000u) | index;
    } else if (v >= V14341) {
      TRN_GET(e.Vehicle, 4);
    } else {
      u32 id;
      TRN_GET(id, 2);
      e.Vehicle = TrnFile_OldVehicle16(id);
    }
    // A list of u16 values ended by a 0, not kept.
    u32 words = 0;
    for (;;) {
      u32 w;
      TRN_GET(w, 2);
      if (w == 0) break;
      if (++words >= TRN_MAX_VEHICLE_WORDS) return 3;
    }
    TRN_GET(e.VehFlags, 4);
    e.VehFlags &= ~TRN_VEH_UNSAVED;
    TRN_GET(e.Length, 4);
  }
  return 0;
}

// Levels of a train of a file before 14396: the running count of the ramps
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
      step(Grid_GetCellChecked(x, y, level) & ~0x4000u);
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
    CellCode code = Grid_GetCell(c[i].X, c[i].Y, level);
    if (code < 0x8000) code &= ~0x4000;
    if (code > 16383) bad = 1;
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
  u32 tag, count;
  if (v < V14389) {
    TRN_GET(tag, 2);
    if (tag != TRN_SECTION_OLD_TAG) return 3;
  } else {
    TRN_GET(tag, 4);
    if (tag != TRN_SECTION_TAG) return 3;
  }
  TRN_GET(count, v < V14343 ? 2 : 4);
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
    if (v < V14396) {
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
  if (v < V13573) e->Vehicle = TrnList_ConvertOldVehicleId(e->Vehicle);
  if (v >= V13576) {
    if (Trn_CatalogueVehicleLength(e->Vehicle) == 0) {
      if (v < V14369) {
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
    if (v < V13576) return 1;
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
    if (version < V13574) Trn_MarkVehicleStarts(t);
    if (version <= V14405) t->TailOffset = Trn_TotalLength(t);
  }
  return result;
}
