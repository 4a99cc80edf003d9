#include "operation/ptsfile.h"

#include "model/cellcode.h"
#include "model/grid.h"
#include "model/dep.h"
#include "model/layver.h"
#include "model/line.h"
#include "model/rule.h"
#include "model/zugtext.h"
#include "operation/pts.h"
#include "operation/trnquery.h"
#include "platform/fio.h"
#include "platform/fmt.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/print.h"
#include "platform/str.h"
#include "platform/tim.h"

enum : u32 {
  PTS_FILE_MAX = 0x40000,        // controllers of one section: one for each id and part
  PTS_FILE_LIST_MAX = 0x10000,   // words of one line or place list read from a file
  PTS_OLD_LIST_MAX = 2400,       // u16 words of one old list
  PTS_OLD_NO_TIME = 0xFF00,      // high byte 255: no reset time
  PTS_EVERY_DAY = 0x7Fu << 24    // the weekday bits of an old reset time
};

// ---------------------------------------------------------------- connectors

int Pts_TileConnections(u32 code, u32 words[4]) {
  struct Row {
    u16 shape;
    u8 w[4];
  };
  static const Row kRows[] = {
      {12, {1, 32, 2, 16}},  {13, {1, 128, 2, 64}}, {14, {4, 32, 8, 16}},  {15, {4, 64, 8, 128}},
      {16, {1, 16, 2, 32}},  {17, {2, 32, 1, 16}},  {18, {1, 64, 2, 128}}, {19, {2, 128, 1, 64}},
      {20, {8, 32, 4, 16}},  {21, {4, 16, 8, 32}},  {22, {4, 128, 8, 64}}, {23, {8, 64, 4, 128}},
      {48, {4, 8, 16, 0}},   {49, {4, 8, 128, 0}},  {50, {8, 4, 32, 0}},   {51, {8, 4, 64, 0}},
      {52, {2, 1, 128, 0}},  {53, {2, 1, 32, 0}},   {54, {1, 2, 64, 0}},   {55, {1, 2, 16, 0}},
      {56, {64, 128, 8, 0}}, {57, {64, 128, 1, 0}}, {58, {128, 64, 4, 0}}, {59, {128, 64, 2, 0}},
      {60, {16, 32, 1, 0}},  {61, {16, 32, 4, 0}},  {62, {32, 16, 2, 0}},  {63, {32, 16, 8, 0}},
      {64, {2, 32, 128, 0}}, {65, {1, 16, 64, 0}},  {66, {8, 64, 32, 0}},  {67, {4, 128, 16, 0}},
      {68, {32, 8, 2, 0}},   {69, {16, 4, 1, 0}},   {70, {128, 2, 4, 0}},  {71, {64, 1, 8, 0}},
      {72, {2, 1, 32, 128}}, {73, {1, 2, 16, 64}},  {74, {8, 4, 64, 32}},  {75, {4, 8, 128, 16}},
      {76, {32, 16, 8, 2}},  {77, {16, 32, 4, 1}},  {78, {128, 64, 2, 4}}, {79, {64, 128, 1, 8}},
      {80, {4, 8, 2, 0}},    {81, {4, 8, 1, 0}},    {82, {8, 4, 1, 0}},    {83, {8, 4, 2, 0}},
      {84, {2, 1, 8, 0}},    {85, {2, 1, 4, 0}},    {86, {1, 2, 4, 0}},    {87, {1, 2, 8, 0}},
      {88, {1, 2, 64, 32}},  {89, {1, 2, 16, 128}}, {90, {4, 8, 16, 64}},  {91, {4, 8, 128, 32}},
      {92, {32, 16, 8, 1}},  {93, {32, 16, 2, 4}},  {94, {64, 128, 8, 2}}, {95, {64, 128, 1, 4}},
  };
  if (!Cell_IsElement(code)) {
    words[0] = words[1] = words[2] = words[3] = 0;
    return 1;
  }
  u32 s = Cell_Shape(code);
  if (s >= 472 && s <= 495) s = 72 + (s - 472) % 8;
  for (const Row& r : kRows)
    if (r.shape == s) {
      for (int i = 0; i < 4; ++i) words[i] = r.w[i];
      return 0;
    }
  return 1;
}

void Pts_ExpandOldMask(u32 words[4], u32 oldMask) {
  static const u32 kTypes[5] = {3, 12, 16, 96, 0x380};
  words[0] = words[1] = words[2] = words[3] = 0;
  for (int b = 0; b < 5; ++b)
    if (oldMask & (1u << b)) words[0] |= kTypes[b];
  if (oldMask & 0x20) words[1] |= 0x3FF;
  if (oldMask & 0x40) words[2] |= 0x3FF;
  static const u32 kStates[4] = {1, 2, 4, 8};
  for (int b = 0; b < 4; ++b)
    if (oldMask & (0x100u << b)) words[3] |= kStates[b];
}

// ---------------------------------------------------------------- writing

static int Pts_WriteLists(const TurnoutController* c) {
  const PtsByLineData* d = Pts_KindData<PtsByLineData>(c);
  int r;
  for (int i = 0; i < 3; ++i)
    if ((r = Fio_WriteU32(d->LineCount[i]))) return r;
  for (int i = 0; i < 3; ++i)
    if ((r = Fio_WriteU32(d->PlaceCount[i]))) return r;
  if ((r = Fio_WriteU32(d->RecordFlags))) return r;
  const u32* w = reinterpret_cast<const u32*>(d + 1);
  u32 total = 0;
  for (int i = 0; i < 3; ++i) total += d->LineCount[i] + d->PlaceCount[i];
  for (u32 k = 0; k < total; ++k)
    if ((r = Fio_WriteU32(w[k]))) return r;
  return 0;
}

static int Pts_WriteKindData(const TurnoutController* c) {
  int r = 0;
  switch (c->Kind) {
    case PTS_KIND_CYCLIC: {
      const PtsCyclicData* d = Pts_KindData<PtsCyclicData>(c);
      for (int i = 0; i < 3; ++i)
        if ((r = Fio_WriteU16(u16(d->Count[i])))) return r;
      if ((r = Fio_WriteU16(u16(d->Counter)))) return r;
      for (int i = 0; i < 3; ++i) {
        if ((r = Fio_WriteU32(d->ResetTime[i]))) return r;
        if (d->ResetTime[i] && (r = Fio_WriteU16(d->ResetValue[i]))) return r;
      }
      return 0;
    }
    case PTS_KIND_RANDOM: {
      const PtsRandomData* d = Pts_KindData<PtsRandomData>(c);
      const u16 v[6] = {u16(d->Weight[0]), u16(d->Weight[1]), u16(d->Weight[2]), u16(d->RandPos), 0, 0};
      for (u16 x : v)
        if ((r = Fio_WriteU16(x))) return r;
      return 0;
    }
    case PTS_KIND_BY_TRAIN: {
      const PtsByTrainData* d = Pts_KindData<PtsByTrainData>(c);
      for (int b = 0; b < 3; ++b)
        for (int m = 0; m < PTS_MASKS_PER_BRANCH; ++m)
          if ((r = Fio_WriteU32(d->Masks[b][m]))) return r;
      return 0;
    }
    case PTS_KIND_BY_SIGNALS: {
      const PtsBySignalsData* d = Pts_KindData<PtsBySignalsData>(c);
      for (int i = 0; i < 3; ++i) {
        if ((r = Fio_WriteU32(d->List[i].Count))) return r;
        for (u32 k = 0; k < d->List[i].Count; ++k)
          if ((r = Fio_WriteU32(d->List[i].Ids[k]))) return r;
      }
      return Fio_WriteByte(u8(d->Priority));
    }
    default:
      return Pts_IsLineKind(c->Kind) ? Pts_WriteLists(c) : 0;
  }
}

int Pts_SaveSection(void) {
  int r;
  if ((r = Fio_WriteU32(PTS_TAG))) return r;
  u32 count = 0;
  for (const TurnoutController* c = Pts_First(); c; c = c->Next) ++count;
  if ((r = Fio_WriteU32(count))) return r;
  for (const TurnoutController* c = Pts_First(); c; c = c->Next) {
    if ((r = Grid_WritePos(c->X, c->Y, c->Level)) || (r = Fio_WriteU32(c->Id)) || (r = Fio_WriteByte(u8(c->Kind))) ||
        (r = Fio_WriteU16(u16(c->EntryDir))) || (r = Fio_WriteU16(u16(c->Exit1))) ||
        (r = Fio_WriteU16(u16(c->Exit2))) || (r = Fio_WriteU16(u16(c->Exit3))) || (r = Fio_WriteU32(c->Option)) ||
        (r = Fio_WriteU16(u16(c->Part))) || (r = Fio_WriteU32(c->FacingCap1)) ||
        (r = Fio_WriteU32(c->TrailingCap1)) || (r = Fio_WriteU32(c->FacingCap2)) ||
        (r = Fio_WriteU32(c->TrailingCap2)))
      return r;
    if (c->Exit3 && ((r = Fio_WriteU32(c->FacingCap3)) || (r = Fio_WriteU32(c->TrailingCap3)))) return r;
    if ((r = Pts_WriteKindData(c))) return r;
  }
  return 0;
}

// ---------------------------------------------------------------- reading


// An old reset time: high byte 255 none, else hour and minute on every day.
static u32 Pts_OldResetTime(u32 w) {
  if ((w & 0xFF00) == PTS_OLD_NO_TIME) return 0;
  return PTS_EVERY_DAY | ((w >> 8) & 0xFF) << 16 | (w & 0xFF) << 8;
}

static int Pts_ReadCyclic(PtsCyclicData* d, u16 v) {
  int r;
  if (v < LAYVER_NAMED) {
    u8 c1, c2, a, b;
    if ((r = Fio_ReadByte(&c1)) || (r = Fio_ReadByte(&c2)) || (r = Fio_ReadByte(&a)) || (r = Fio_ReadByte(&b)))
      return r;
    d->Count[0] = c1;
    d->Count[1] = c2;
    d->Count[2] = 0;
    d->Counter = 0;
    if (a) d->Counter = a + d->Count[1];
    if (b) d->Counter = b;
    return 0;
  }
  for (int i = 0; i < 3; ++i)
    if ((r = Fio_ReadField(&d->Count[i], 2))) return r;
  if ((r = Fio_ReadField(&d->Counter, 2))) return r;
  if (v < LAYVER_SHUNTING) {
    const int announced = (d->Counter & 0x8000) != 0;
    d->Counter &= 0x7FFF;
    if (announced) {
      u32 t, value;
      if ((r = Fio_ReadField(&t, 2)) || (r = Fio_ReadField(&value, 2))) return r;
      d->ResetTime[0] = Pts_OldResetTime(t);
      d->ResetValue[0] = d->ResetTime[0] ? u16(value) : 0;
    }
    return 0;
  }
  for (int i = 0; i < 3; ++i) {
    u32 t = 0, value = 0;
    if (v < LAYVER_WIDE) {
      if ((r = Fio_ReadField(&t, 2)) || (r = Fio_ReadField(&value, 2))) return r;
      t = Pts_OldResetTime(t);
    } else {
      if ((r = Fio_ReadU32(&t))) return r;
      if (t && (r = Fio_ReadField(&value, 2))) return r;
    }
    d->ResetTime[i] = t;
    d->ResetValue[i] = t ? u16(value) : 0;
  }
  return 0;
}

static int Pts_ReadSignals(PtsBySignalsData* d, u16 v) {
  int r;
  if (v < LAYVER_SIGNAL_LISTS) {
    for (int i = 0; i < 3; ++i) {
      u32 id;
      if ((r = Fio_ReadField(&id, 2))) return r;
      d->List[i].Count = id ? 1 : 0;
      d->List[i].Ids[0] = id;
    }
    u8 prio, unused;
    u32 skip;
    if ((r = Fio_ReadByte(&prio)) || (r = Fio_ReadByte(&unused)) || (r = Fio_ReadField(&skip, 2))) return r;
    d->Priority = prio;
    return 0;
  }
  for (int i = 0; i < 3; ++i) {
    if ((r = Fio_ReadU32(&d->List[i].Count))) return r;
    if (d->List[i].Count > PTS_SIGNAL_MAX) return 3;
    for (u32 k = 0; k < d->List[i].Count; ++k)
      if ((r = Fio_ReadU32(&d->List[i].Ids[k]))) return r;
  }
  u8 prio;
  if ((r = Fio_ReadByte(&prio))) return r;
  d->Priority = prio;
  return 0;
}

// The six lists of kinds 21..23 into words (counts[6] words, line lists
// first); *words is allocated (null when all are empty). Files before 14389
// keep u16 lists: place lists of depot ids, line lists of (line, flags)
// entries, each of which becomes a group of its one line.
static int Pts_ReadLists(u16 v, u32 counts[6], u32* recordFlags, u32** words) {
  int r;
  *words = nullptr;
  *recordFlags = 0;
  if (v < LAYVER_SHUNTING) return 3;
  const int wide = v >= LAYVER_WIDE;
  for (int i = 0; i < 6; ++i) {
    if ((r = Fio_ReadField(&counts[i], wide ? 4 : 2))) return r;
    if (counts[i] > (wide ? u32(PTS_FILE_LIST_MAX) : u32(PTS_OLD_LIST_MAX))) return 3;
  }
  if (wide && (r = Fio_ReadU32(recordFlags))) return r;
  u32 total = 0;
  for (int i = 0; i < 6; ++i) total += wide ? counts[i] : (i < 3 ? counts[i] / 2 * 3 : counts[i] * 2);
  if (!total) return 0;
  u32* w = static_cast<u32*>(Heap_Alloc(total * 4));
  if (!w) return 4;
  u32 at = 0;
  for (int i = 0; i < 6 && !r; ++i) {
    if (wide) {
      for (u32 k = 0; k < counts[i] && !r; ++k) r = Fio_ReadU32(&w[at++]);
      if (!r && (i < 3 ? Lin_ListCountGroups(w + at - counts[i], i32(counts[i])) < 0 : (counts[i] & 1))) r = 3;
      continue;
    }
    const u32 n = counts[i];
    u32 out = 0;
    for (u32 k = 0; k < n && !r; ++k) {
      u32 value = 0;
      if ((r = Fio_ReadField(&value, 2))) break;
      if (i >= 3) {
        w[at + out++] = value;
        w[at + out++] = 0;
      } else if (k % 2 == 0) {
        w[at + out++] = 1;
        w[at + out++] = value;
        w[at + out++] = 0;
      }
    }
    if (i < 3 && (n & 1)) r = 3;
    counts[i] = out;
    at += out;
  }
  if (r) {
    Heap_Free(w);
    return r;
  }
  *words = w;
  return 0;
}

// The fixed part of a record in the file's form, old kinds renumbered.
static int Pts_ReadFixed(TurnoutController* f, u16 v) {
  int r;
  Mem_Fill(f, 0, sizeof *f);
  if ((r = Grid_ReadPos(&f->X, &f->Y, &f->Level, v))) return r;
  if (f->X < 0 || f->X >= GRID_SIZE || f->Y < 0 || f->Y >= GRID_SIZE || f->Level < -4 || f->Level > 0) return 3;
  if (v <= LAYVER_U16_IDS_LAST) {
    if ((r = Fio_ReadField(&f->Id, 2))) return r;
  } else if ((r = Fio_ReadU32(&f->Id))) {
    return r;
  }
  if (f->Id > PTS_ID_MAX) return 3;
  u8 kind;
  if ((r = Fio_ReadByte(&kind))) return r;
  f->Kind = kind;
  if (v < LAYVER_CONNECTORS) {
    u8 unused;
    if ((r = Fio_ReadByte(&unused))) return r;
    u32 code = Grid_GetCell(f->X, f->Y, f->Level);
    if (Cell_IsTrainMarker(code)) code = Trn_GetCellGraphic(f->X, f->Y, f->Level, u16(code));
    if (!Cell_IsElement(code) || Cell_IsReserved(code)) code = CELL_EMPTY;
    // A cell that holds no turnout piece gives a controller without
    // connectors, never stack contents.
    u32 w[4] = {0, 0, 0, 0};
    Pts_TileConnections(code, w);
    f->EntryDir = w[0], f->Exit1 = w[1], f->Exit2 = w[2], f->Exit3 = w[3];
  } else if ((r = Fio_ReadField(&f->EntryDir, 2)) || (r = Fio_ReadField(&f->Exit1, 2)) ||
             (r = Fio_ReadField(&f->Exit2, 2)) || (r = Fio_ReadField(&f->Exit3, 2))) {
    return r;
  }
  if (v >= LAYVER_KINDS && (r = Fio_ReadU32(&f->Option))) return r;
  if (v >= LAYVER_SHUNTING) {
    if ((r = Fio_ReadField(&f->Part, 2))) return r;
    if (f->Part > PTS_PARTS) return 3;
  }
  if (v >= LAYVER_SPEED_CAPS) {
    u32* caps[6] = {&f->FacingCap1, &f->TrailingCap1, &f->FacingCap2, &f->TrailingCap2, &f->FacingCap3,
                    &f->TrailingCap3};
    for (int i = 0; i < (f->Exit3 ? 6 : 4); ++i)
      if ((r = Fio_ReadU32(caps[i]))) return r;
  }
  if (v < LAYVER_NAMED) {
    static const u32 kOld[][2] = {{4, 21}, {5, 22}, {6, 11}, {132, 31}, {133, 32}};
    for (const auto& m : kOld)
      if (f->Kind == m[0]) {
        f->Kind = m[1];
        break;
      }
  }
  return 0;
}

// The kind data into the record's data (the record holds zeroed data of its
// kind; the lists of kinds 21..23 come through words).
static int Pts_ReadKindData(TurnoutController* f, void* data, u16 v) {
  int r;
  switch (f->Kind) {
    case PTS_KIND_CYCLIC:
      return Pts_ReadCyclic(static_cast<PtsCyclicData*>(data), v);
    case PTS_KIND_RANDOM: {
      PtsRandomData* d = static_cast<PtsRandomData*>(data);
      u32 zero;
      for (int i = 0; i < 3; ++i)
        if ((r = Fio_ReadField(&d->Weight[i], 2))) return r;
      if ((r = Fio_ReadField(&d->RandPos, 2)) || (r = Fio_ReadField(&zero, 2)) || (r = Fio_ReadField(&zero, 2)))
        return r;
      return 0;
    }
    case PTS_KIND_BY_TRAIN: {
      PtsByTrainData* d = static_cast<PtsByTrainData*>(data);
      if (v < LAYVER_WIDE) {
        u32 old, skip;
        for (int b = 0; b < 3; ++b) {
          if ((r = Fio_ReadField(&old, 2))) return r;
          Pts_ExpandOldMask(d->Masks[b], old);
        }
        if ((r = Fio_ReadField(&skip, 2)) || (r = Fio_ReadField(&skip, 2))) return r;
        return 0;
      }
      for (int b = 0; b < 3; ++b)
        for (int m = 0; m < PTS_MASKS_PER_BRANCH; ++m)
          if ((r = Fio_ReadU32(&d->Masks[b][m]))) return r;
      return 0;
    }
    case PTS_KIND_BY_SIGNALS:
      return Pts_ReadSignals(static_cast<PtsBySignalsData*>(data), v);
  }
  return 0;
}

int Pts_LoadSection(u16 version) {
  const u16 v = version;
  int r;
  Pts_FreeAll();
  if (v >= LAYVER_WIDE) {
    u32 tag;
    if ((r = Fio_ReadU32(&tag))) return r;
    if (tag != PTS_TAG) return 3;
  } else {
    u32 tag;
    if ((r = Fio_ReadField(&tag, 2))) return r;
    if (tag != PTS_TAG_OLD) return 3;
  }
  u32 count;
  if ((r = Fio_ReadField(&count, v >= LAYVER_SHUNTING ? 4 : 2))) return r;
  if (count > PTS_FILE_MAX) return 3;
  TurnoutController* prev = nullptr;
  u32 partOption = 0;
  for (u32 k = 0; k < count; ++k) {
    TurnoutController f;
    if ((r = Pts_ReadFixed(&f, v))) return r;
    if (f.Kind == 31 || f.Kind == 32) return 4;
    // A kind without rules has no known data to read past.
    if (!Pts_IsLineKind(f.Kind) && f.Kind != PTS_KIND_DISPATCH && f.Kind != PTS_KIND_BRANCH1 &&
        f.Kind != PTS_KIND_BRANCH2 && f.Kind != PTS_KIND_BRANCH3 && !Pts_KindDataSize(f.Kind))
      return 3;
    // The kind data goes into a block of its own first: the record is made
    // only for a cell that still holds a turnout piece.
    union {
      PtsCyclicData cyclic;
      PtsRandomData random;
      PtsByTrainData byTrain;
      PtsBySignalsData bySignals;
    } data;
    Mem_Fill(&data, 0, sizeof data);
    u32 counts[6] = {0}, recordFlags = 0;
    u32* words = nullptr;
    if (Pts_IsLineKind(f.Kind)) r = Pts_ReadLists(v, counts, &recordFlags, &words);
    else r = Pts_ReadKindData(&f, &data, v);
    if (r) return r;
    u32 low = 0, high = 0;
    const int cls = Pts_ShapeClass(Grid_GetCellNorm(f.X, f.Y, f.Level), &low, &high);
    if (f.Part == 1) partOption = f.Option;
    else if (f.Part > 1) f.Option = partOption;
    if (v < LAYVER_KIND_RANGE && (f.Option < low || f.Option > high)) f.Option = low;
    TurnoutController* c = nullptr;
    if (cls) {
      u32 total = 0;
      for (int i = 0; i < 6; ++i) total += counts[i];
      c = Pts_CreateBehind(&f, v < LAYVER_FILE_ORDER ? nullptr : prev, total);
      if (!c) {
        if (words) Heap_Free(words);
        return 4;
      }
      if (Pts_IsLineKind(c->Kind)) {
        PtsByLineData* d = Pts_KindData<PtsByLineData>(c);
        d->RecordFlags = recordFlags;
        for (int i = 0; i < 3; ++i) d->LineCount[i] = counts[i], d->PlaceCount[i] = counts[3 + i];
        if (total) Mem_Copy(d + 1, words, i32(total * 4));
      } else {
        Mem_Copy(c + 1, &data, i32(Pts_KindDataSize(c->Kind)));
      }
    }
    if (words) Heap_Free(words);
    prev = c;
  }
  Pts_SortById();
  if (v < LAYVER_HOME) Pts_GiveMissingIds();
  return 0;
}

// ---------------------------------------------------------------- clipboard block

enum {
  PTS_CLIP_LINE = 200,             // a main or kind line
  PTS_CLIP_SIGNAL_LINE = 1260,     // a signal list
  PTS_CLIP_LIST_LINE = RULE_TEXT_SIZE  // a line or place list of kinds 21..23
};

static PtsClipLines s_clip;

void Pts_SetClipLines(const PtsClipLines* lines) { s_clip = lines ? *lines : PtsClipLines{}; }

static int Pts_ClipAppend(const wch* line) { return s_clip.appendLine ? s_clip.appendLine(line) : 2; }

// Line n into buf; 0 read (a cut line counts as read), else none.
static int Pts_ClipRead(i32 n, i32 size, wch* buf) {
  buf[0] = 0;
  if (!s_clip.readLine) return 2;
  const int r = s_clip.readLine(n, size, buf);
  return r == 1 ? 0 : r;
}

static int Pts_CopyKindLines(const TurnoutController* c) {
  wch line[PTS_CLIP_LIST_LINE];
  int r = 0;
  switch (c->Kind) {
    case PTS_KIND_CYCLIC: {
      const PtsCyclicData* d = Pts_KindData<PtsCyclicData>(c);
      // The reset times with the values they set, as the record keeps them.
      Fmt_Print(line, PTS_CLIP_LINE, u"%u,%u,%u,%x,%x,%x,%x,%x,%x", d->Count[0], d->Count[1], d->Count[2],
                d->ResetTime[0], u32(d->ResetValue[0]), d->ResetTime[1], u32(d->ResetValue[1]), d->ResetTime[2],
                u32(d->ResetValue[2]));
      return Pts_ClipAppend(line);
    }
    case PTS_KIND_RANDOM: {
      const PtsRandomData* d = Pts_KindData<PtsRandomData>(c);
      Fmt_Print(line, PTS_CLIP_LINE, u"%u,%u,%u", d->Weight[0], d->Weight[1], d->Weight[2]);
      return Pts_ClipAppend(line);
    }
    case PTS_KIND_BY_TRAIN: {
      const PtsByTrainData* d = Pts_KindData<PtsByTrainData>(c);
      line[0] = 0;
      for (int b = 0; b < 3; ++b)
        for (int m = 0; m < PTS_MASKS_PER_BRANCH; ++m) {
          wch piece[12];
          Fmt_Print(piece, 12, u"%x,", d->Masks[b][m]);
          Str_Append(line, piece);
        }
      return Pts_ClipAppend(line);
    }
    case PTS_KIND_BY_SIGNALS: {
      const PtsBySignalsData* d = Pts_KindData<PtsBySignalsData>(c);
      Fmt_Print(line, PTS_CLIP_LINE, u"%u,%u,%u,%x", d->List[0].Count, d->List[1].Count, d->List[2].Count,
                d->Priority);
      if ((r = Pts_ClipAppend(line))) return r;
      for (int i = 0; i < 3; ++i) {
        if (!d->List[i].Count) continue;
        // The ids themselves: the names of signal elements and
        // installations come with the signal expressions.
        line[0] = 0;
        for (u32 k = 0; k < d->List[i].Count; ++k) {
          wch piece[16];
          Fmt_Print(piece, 16, k ? u" %i" : u"%i", i32(d->List[i].Ids[k]));
          Str_Append(line, piece);
        }
        if ((r = Pts_ClipAppend(line))) return r;
      }
      return 0;
    }
    default:
      break;
  }
  if (!Pts_IsLineKind(c->Kind)) return 0;
  const PtsByLineData* d = Pts_KindData<PtsByLineData>(c);
  Fmt_Print(line, PTS_CLIP_LINE, u"%u,%u,%u,%u,%u,%u", d->LineCount[0], d->LineCount[1], d->LineCount[2],
            d->PlaceCount[0], d->PlaceCount[1], d->PlaceCount[2]);
  if ((r = Pts_ClipAppend(line))) return r;
  const u32* w = reinterpret_cast<const u32*>(d + 1);
  for (int i = 0; i < 6; ++i) {
    const u32 n = i < 3 ? d->LineCount[i] : d->PlaceCount[i - 3];
    if (n) {
      if (i < 3) Rule_Format(line, PTS_CLIP_LIST_LINE, w, 0, 0, i32(n));
      else Rule_FormatPairList(line, PTS_CLIP_LIST_LINE, w, 0, i32(n));
      if ((r = Pts_ClipAppend(line))) return r;
    }
    w += n;
  }
  return 0;
}

int Pts_CopyToClip(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  const i32 xl = x1 < x2 ? x1 : x2, xh = x1 < x2 ? x2 : x1;
  const i32 yl = y1 < y2 ? y1 : y2, yh = y1 < y2 ? y2 : y1;
  const i32 ll = level1 < level2 ? level1 : level2, lh = level1 < level2 ? level2 : level1;
  int r;
  if ((r = Pts_ClipAppend(u"WEI_A"))) return r;
  for (const TurnoutController* c = Pts_First(); c; c = c->Next) {
    if (!Geo_InBox3(c->X, c->Y, c->Level, lh, yh, xh, ll, yl, xl)) continue;
    wch line[PTS_CLIP_LINE];
    Fmt_Print(line, PTS_CLIP_LINE, u"%x,%x,%i,%i,%u,%x,%x,%x,%x,%x,%i,%i,%i,%i,%i,%i", u32(c->X), u32(c->Y), c->Level,
              i32(c->Part), c->Kind, c->EntryDir, c->Exit1, c->Exit2, c->Exit3, c->Option, i32(c->FacingCap1),
              i32(c->TrailingCap1), i32(c->FacingCap2), i32(c->TrailingCap2), i32(c->FacingCap3),
              i32(c->TrailingCap3));
    if ((r = Pts_ClipAppend(line)) || (r = Pts_CopyKindLines(c))) return r;
  }
  return Pts_ClipAppend(u"WEI_E");
}

// Reads the kind lines of a pasted controller from *at on and applies them:
// 0, 1 the setter refused the counts, weights or masks (the controller
// would keep none), 2 a list could not be read or set, 4 malformed. With c
// null the lines are only read past.
static int Pts_PasteKindLines(TurnoutController* c, u32 kind, i32* at) {
  static wch line[PTS_CLIP_LIST_LINE];
  i64 v[12];
  const i32 x = c ? c->X : 0, y = c ? c->Y : 0, level = c ? c->Level : 0;
  if (kind == PTS_KIND_CYCLIC) {
    if (Pts_ClipRead((*at)++, PTS_CLIP_LINE, line) || !Str_ScanFields(line, 9, "uuuxxxxxx", v)) return 4;
    if (!c) return 0;
    const u32 counts[3] = {u32(v[0]), u32(v[1]), u32(v[2])};
    const u64 total = u64(v[0]) + u64(v[1]) + u64(v[2]);
    u32 times[3], starts[3];
    for (int i = 0; i < 3; ++i) {
      // The block keeps the values each reset time sets; the setter takes
      // the start they stand for.
      times[i] = u32(v[3 + 2 * i]);
      const u64 value = u64(v[4 + 2 * i]);
      starts[i] = times[i] && value >= 1 && value <= total ? u32(total - value) : 0;
    }
    return Pts_SetCyclic(x, y, level, counts, 0, times, starts, i32(c->Part)) ? 1 : 0;
  }
  if (kind == PTS_KIND_RANDOM) {
    if (Pts_ClipRead((*at)++, PTS_CLIP_LINE, line) || !Str_ScanFields(line, 3, "uuu", v)) return 4;
    const u32 weights[3] = {u32(v[0]), u32(v[1]), u32(v[2])};
    return c && Pts_SetWeights(x, y, level, weights, i32(c->Part)) ? 1 : 0;
  }
  if (kind == PTS_KIND_BY_TRAIN) {
    if (Pts_ClipRead((*at)++, PTS_CLIP_LINE, line) || !Str_ScanFields(line, 12, "xxxxxxxxxxxx", v)) return 4;
    u32 masks[12];
    for (int i = 0; i < 12; ++i) masks[i] = u32(v[i]);
    return c && Pts_SetClassMasks(x, y, level, masks, i32(c->Part)) ? 1 : 0;
  }
  if (kind == PTS_KIND_BY_SIGNALS) {
    if (Pts_ClipRead((*at)++, PTS_CLIP_LINE, line) || !Str_ScanFields(line, 4, "uuux", v)) return 4;
    u32 counts[3] = {u32(v[0]), u32(v[1]), u32(v[2])};
    const u32 priority = u32(v[3]);
    static i32 ids[3][PTS_SIGNAL_MAX];
    int bad = 0;
    for (int i = 0; i < 3; ++i) {
      if (!counts[i]) continue;
      if (Pts_ClipRead((*at)++, PTS_CLIP_SIGNAL_LINE, line)) return 4;
      u32 n = 0;
      const wch* s = line;
      while (*s && n < PTS_SIGNAL_MAX) {
        while (*s == ' ') ++s;
        if (!*s) break;
        i64 one;
        wch token[16];
        i32 len = 0;
        while (s[len] && s[len] != ' ' && len < 15) token[len] = s[len], ++len;
        token[len] = 0;
        s += len;
        if (!Str_ScanFields(token, 1, "i", &one)) {
          bad = 1;
          break;
        }
        ids[i][n++] = i32(one);
      }
      if (n != counts[i]) bad = 1;
    }
    if (!c) return 0;
    if (bad) return 2;
    const i32* lists[3] = {ids[0], ids[1], ids[2]};
    return Pts_SetElementLists(x, y, level, priority, counts, lists, i32(c->Part)) ? 2 : 0;
  }
  if (!Pts_IsLineKind(kind)) return 0;
  if (Pts_ClipRead((*at)++, PTS_CLIP_LINE, line) || !Str_ScanFields(line, 6, "uuuuuu", v)) return 4;
  u32 counts[6];
  u32* words = static_cast<u32*>(Heap_Alloc(6 * RULE_WORDS_MAX * 4));
  if (!words) return 2;
  u32 total = 0;
  int bad = 0;
  for (int i = 0; i < 6; ++i) {
    counts[i] = 0;
    if (!v[i]) continue;
    if (Pts_ClipRead((*at)++, PTS_CLIP_LIST_LINE, line)) {
      Heap_Free(words);
      return 4;
    }
    const i32 n = i < 3 ? Rule_Parse(line, RULE_MODE_SIGNAL, words + total)
                        : Rule_ParsePairList(line, words + total, RULE_WORDS_MAX);
    if (n < 0) bad = 1;
    else counts[i] = u32(n), total += u32(n);
  }
  int r = 0;
  if (c && (bad || Pts_SetPositionLists(x, y, level, words, counts, i32(c->Part)))) r = 2;
  Heap_Free(words);
  return r;
}

int Pts_PasteFromClip(i32* lineNo, i32 dx, i32 dy, i32 dz) {
  wch line[PTS_CLIP_LINE];
  i32 at = *lineNo;
  if (Pts_ClipRead(at++, PTS_CLIP_LINE, line) || Str_CompareEx(line, u"WEI_A", 0) != 0) return 4;
  int result = 0;
  for (;;) {
    if (Pts_ClipRead(at++, PTS_CLIP_LINE, line)) return 4;
    i64 v[16];
    if (!Str_ScanFields(line, 16, "xxiiuxxxxxiiiiii", v)) {
      if (Str_CompareEx(line, u"WEI_E", 0) != 0) return 4;
      break;
    }
    TurnoutController f;
    Mem_Fill(&f, 0, sizeof f);
    f.X = i32(v[0]) + dx;
    f.Y = i32(v[1]) + dy;
    f.Level = i32(v[2]) + dz;
    f.Part = u32(v[3]);
    f.Kind = u32(v[4]);
    f.EntryDir = u32(v[5]);
    f.Exit1 = u32(v[6]);
    f.Exit2 = u32(v[7]);
    f.Exit3 = u32(v[8]);
    f.Option = u32(v[9]);
    u32* caps[6] = {&f.FacingCap1, &f.TrailingCap1, &f.FacingCap2, &f.TrailingCap2, &f.FacingCap3, &f.TrailingCap3};
    for (int i = 0; i < 6; ++i) *caps[i] = u32(v[10 + i]);
    f.Id = Pts_NextFreeId();
    TurnoutController* c = nullptr;
    const int inGrid = f.X >= 0 && f.X < GRID_SIZE && f.Y >= 0 && f.Y < GRID_SIZE && f.Level >= -4 && f.Level <= 0;
    if (!inGrid || f.Part > PTS_PARTS || !f.Id || Pts_Create(&f, &c) != PTS_OK) {
      c = nullptr;
      if (inGrid) Grid_SetCell(f.X, f.Y, f.Level, CELL_EMPTY);
      result |= 1;
    }
    // A controller whose kind data is malformed or refused would stay with
    // none, which no copy of it could give back: it goes again, as one that
    // could not be created.
    const int r = Pts_PasteKindLines(c, f.Kind, &at);
    if (c && (r == 4 || r == 1)) {
      Pts_DeleteAt(f.X, f.Y, f.Level, i32(f.Part));
      if (r == 1) Grid_SetCell(f.X, f.Y, f.Level, CELL_EMPTY);
    }
    if (r == 4) return 4;
    result |= r;
  }
  *lineNo = at;
  return result;
}

// ---------------------------------------------------------------- text listing

enum : TextId {
  PTS_TXT_HEADING = 15000,
  PTS_TXT_STATS = 15001,  // 15001 the count of all, 15002..15013 those of Pts_GetStats
  PTS_TXT_KIND = 15040,
  PTS_TXT_CONTROLLER = 15041,
  PTS_TXT_EMPTY_LIST = 15045,
  PTS_TXT_BRANCH3 = 15048,
  PTS_TXT_CELL = 15049,
  PTS_TXT_KIND_NAMES = 15050,  // + kind
  PTS_TXT_PIECE = 15080,
  PTS_TXT_TWO = 15081,
  PTS_TXT_PART = 15082,
  PTS_TXT_THREE = 15084,
  PTS_TXT_COUNTS2 = 15085,
  PTS_TXT_COUNTS3 = 15086,
  PTS_TXT_START = 15087,
  PTS_TXT_NO_RESET = 15088,
  PTS_TXT_RESETS = 15089,
  PTS_TXT_RESET_AT = 15090,
  PTS_TXT_RESET_START = 15091,
  PTS_TXT_WEIGHTS2 = 15093,
  PTS_TXT_WEIGHTS3 = 15094,
  PTS_TXT_SIGNAL_LIST = 15095,
  PTS_TXT_MASKS = 15100,  // + branch - 1
  PTS_TXT_NO_MASK = 15120,
  PTS_TXT_STATE1 = 15121,  // state bits 1, 4, 2, 8
};

enum { PTS_LISTING_LINE = 512 };

static int Pts_Write(const wch* text) { return Fio_WriteString(text); }

static int Pts_WriteLine(const wch* text) {
  int r = Fio_WriteString(text);
  if (!r) r = Fio_WriteCrLf();
  return r;
}

int Pts_FormatMasks(wch* out, i32 size, const u32 masks[4]) {
  out[0] = 0;
  if (!masks[0] && !masks[1] && !masks[2] && !masks[3]) {
    Fmt_Print(out, size, u"%s\r\n", Lng_GetText(PTS_TXT_NO_MASK));
    return 0;
  }
  i32 len = 0;
  auto add = [&](const wch* piece) {
    const i32 n = Str_Len(piece);
    if (len + n + 1 > size) return;
    Mem_CopyWide(out + len, piece, n);
    len += n;
    out[len] = 0;
  };
  for (u32 cat = 1; cat <= 3; ++cat)
    for (u32 type = 1; type <= 32; ++type) {
      const u32 bit = type == 32 ? 1u << 31 : 1u << (type - 1);
      if (!(masks[cat - 1] & bit)) continue;
      const wch piece[4] = {Zug_CategoryLetter(cat), Zug_TypeLetter(type == 32 ? 0 : type), u',', 0};
      add(piece);
    }
  static const u32 kStates[4] = {PTS_STATE_PLACE_FLAGGED, PTS_STATE_PLACE, PTS_STATE_SERVICE_FLAGGED,
                                 PTS_STATE_SERVICE};
  for (int i = 0; i < 4; ++i)
    if (masks[3] & kStates[i]) {
      add(Lng_GetText(TextId(PTS_TXT_STATE1 + i)));
      add(u",");
    }
  // The last separator becomes the line end.
  if (len > 0 && out[len - 1] == u',') out[--len] = 0;
  add(u"\r\n");
  return 0;
}

static int Pts_ExportLists(const TurnoutController* c) {
  const PtsByLineData* d = Pts_KindData<PtsByLineData>(c);
  const u32* w = reinterpret_cast<const u32*>(d + 1);
  const u32* lines[3];
  const u32* places[3];
  const u32* at = w;
  for (int i = 0; i < 3; ++i) lines[i] = at, at += d->LineCount[i];
  for (int i = 0; i < 3; ++i) places[i] = at, at += d->PlaceCount[i];
  int r = 0;
  for (int b = 0; b < (c->Exit3 ? 3 : 2) && !r; ++b) {
    if (b == 2 && (r = Pts_WriteLine(Lng_GetText(PTS_TXT_BRANCH3)))) return r;
    r = d->LineCount[b] ? Rule_PrintText(lines[b], i32(d->LineCount[b])) : Pts_WriteLine(Lng_GetText(PTS_TXT_EMPTY_LIST));
    if (!r)
      r = d->PlaceCount[b] ? Rule_PrintPositions(places[b], i32(d->PlaceCount[b]))
                           : Pts_WriteLine(Lng_GetText(PTS_TXT_EMPTY_LIST));
  }
  return r;
}

int Pts_ExportOne(const TurnoutController* c) {
  wch line[PTS_LISTING_LINE];
  int r;
  Fmt_Print(line, PTS_LISTING_LINE, u"%s%i%c", Lng_GetText(PTS_TXT_CONTROLLER), i32(c->Id), u':');
  if ((r = Pts_WriteLine(line))) return r;
  Fmt_Print(line, PTS_LISTING_LINE, u"%s %5i,%5i,%+i\r\n", Lng_GetText(PTS_TXT_CELL), c->X, c->Y, c->Level);
  if ((r = Pts_Write(line))) return r;
  const TextId piece = c->Part ? PTS_TXT_PART : c->Exit3 ? PTS_TXT_THREE : PTS_TXT_TWO;
  Fmt_Print(line, PTS_LISTING_LINE, u"%s %s", Lng_GetText(PTS_TXT_PIECE), Lng_GetText(piece));
  if ((r = Pts_WriteLine(line))) return r;
  Fmt_Print(line, PTS_LISTING_LINE, u"%s %s", Lng_GetText(PTS_TXT_KIND), Lng_GetText(TextId(PTS_TXT_KIND_NAMES + c->Kind)));
  if ((r = Pts_WriteLine(line))) return r;
  switch (c->Kind) {
    case PTS_KIND_CYCLIC: {
      const PtsCyclicData* d = Pts_KindData<PtsCyclicData>(c);
      const u32 total = d->Count[0] + d->Count[1] + d->Count[2];
      if (c->Exit3) Fmt_Print(line, PTS_LISTING_LINE, Lng_GetText(PTS_TXT_COUNTS3), d->Count[0], d->Count[1], d->Count[2]);
      else Fmt_Print(line, PTS_LISTING_LINE, Lng_GetText(PTS_TXT_COUNTS2), d->Count[0], d->Count[1]);
      if ((r = Pts_WriteLine(line))) return r;
      Fmt_Print(line, PTS_LISTING_LINE, u"%s %u, ", Lng_GetText(PTS_TXT_START), total - d->Counter);
      if ((r = Pts_Write(line))) return r;
      int any = 0;
      for (int i = 0; i < 3; ++i) {
        if (!d->ResetTime[i]) continue;
        if (!any++ && (r = Pts_Write(Lng_GetText(PTS_TXT_RESETS)))) return r;
        wch time[FMT_NUMBER_SIZE];
        const u32 t = d->ResetTime[i];
        Fmt_TimeOfDay(time, i32(((t >> 16) & 0xFF) * 3600 + ((t >> 8) & 0xFF) * 60 + (t & 0xFF)));
        Fmt_Print(line, PTS_LISTING_LINE, u" %s %s %s %u,", Lng_GetText(PTS_TXT_RESET_AT), time,
                  Lng_GetText(PTS_TXT_RESET_START), total - d->ResetValue[i]);
        if ((r = Pts_Write(line))) return r;
      }
      if (!any && (r = Pts_Write(Lng_GetText(PTS_TXT_NO_RESET)))) return r;
      if ((r = Fio_WriteCrLf())) return r;
      break;
    }
    case PTS_KIND_RANDOM: {
      const PtsRandomData* d = Pts_KindData<PtsRandomData>(c);
      if (c->Exit3) Fmt_Print(line, PTS_LISTING_LINE, Lng_GetText(PTS_TXT_WEIGHTS3), d->Weight[0], d->Weight[1], d->Weight[2]);
      else Fmt_Print(line, PTS_LISTING_LINE, Lng_GetText(PTS_TXT_WEIGHTS2), d->Weight[0], d->Weight[1]);
      if ((r = Pts_WriteLine(line))) return r;
      break;
    }
    case PTS_KIND_BY_TRAIN: {
      const PtsByTrainData* d = Pts_KindData<PtsByTrainData>(c);
      for (int b = 0; b < (c->Exit3 ? 3 : 2); ++b) {
        if ((r = Pts_Write(Lng_GetText(TextId(PTS_TXT_MASKS + b)))) || (r = Pts_Write(u" "))) return r;
        Pts_FormatMasks(line, PTS_LISTING_LINE, d->Masks[b]);
        if ((r = Pts_Write(line))) return r;
      }
      break;
    }
    case PTS_KIND_BY_SIGNALS: {
      const PtsBySignalsData* d = Pts_KindData<PtsBySignalsData>(c);
      for (int i = 0; i < (c->Exit3 ? 3 : 2); ++i) {
        Fmt_Print(line, PTS_LISTING_LINE, u"%s %i:\r\n", Lng_GetText(PTS_TXT_SIGNAL_LIST), i + 1);
        if ((r = Pts_Write(line))) return r;
        // The ids; the names of signal elements come with the signal
        // expressions.
        line[0] = 0;
        for (u32 k = 0; k < d->List[i].Count; ++k) {
          wch piece[16];
          Fmt_Print(piece, 16, k ? u" %i" : u"%i", i32(d->List[i].Ids[k]));
          Str_Append(line, piece);
        }
        if ((r = Pts_WriteLine(line))) return r;
      }
      break;
    }
    default:
      if (Pts_IsLineKind(c->Kind) && (r = Pts_ExportLists(c))) return r;
  }
  return Fio_WriteSeparator();
}

int Pts_ExportText(void) {
  u32 n[12];
  const u32 total = Pts_GetStats(&n[0], &n[1], &n[2], &n[3], &n[4], &n[5], &n[6], &n[7], &n[8], &n[9], &n[10], &n[11]);
  int r;
  if ((r = Pts_WriteLine(Lng_GetText(PTS_TXT_HEADING)))) return r;
  wch line[PTS_LISTING_LINE];
  for (int i = 0; i < 13; ++i) {
    Fmt_Print(line, PTS_LISTING_LINE, Lng_GetText(TextId(PTS_TXT_STATS + i)), i == 0 ? total : n[i - 1]);
    if ((r = Pts_WriteLine(line))) return r;
  }
  for (const TurnoutController* c = Pts_First(); c; c = c->Next)
    if ((r = Pts_ExportOne(c))) return r;
  return 0;
}
