#include "operation/sigfile.h"

#include <cstring>

#include "model/dep.h"
#include "model/cellcode.h"
#include "model/grid.h"
#include "model/layver.h"
#include "model/line.h"
#include "operation/clock.h"
#include "operation/sigtime.h"
#include "operation/trnquery.h"
#include "platform/fio.h"
#include "platform/heap.h"

enum : u16 { SIG_TAG_OLD = 0x4953 };
// Bounds of what a file may announce: a rule or pair list longer than the
// longest rule text could give is damage, not data.
enum : u32 { SIG_FILE_WORDS_MAX = 0x10000, SIG_SCHEDULE_MAX = TIM_SCHEDULE_MAX };

// ---------------------------------------------------------------- writing

static int Sig_WriteName(const wch* name) {
  int r;
  for (i32 i = 0; i < i32(SIG_NAME_UNITS) - 1 && name[i]; ++i)
    if ((r = Fio_WriteU16(name[i]))) return r;
  return Fio_WriteU16(0);
}

static int Sig_WriteWords(const u32* words, i32 n) {
  int r;
  if ((r = Fio_WriteU32(u32(n)))) return r;
  for (i32 i = 0; i < n; ++i)
    if ((r = Fio_WriteU32(words[i]))) return r;
  return 0;
}

static int Sig_WriteSwitch(const SignalSwitch& s, i32 amount) {
  int r;
  if ((r = Fio_WriteByte(s.Hour))) return r;
  if (s.Hour >= SIG_HOUR_NONE) return 0;
  if ((r = Fio_WriteByte(s.Minute)) || (r = Fio_WriteByte(s.Second)) || (r = Fio_WriteByte(s.Weekday)) ||
      (r = Fio_WriteU32(u32(amount))))
    return r;
  return 0;
}

int Sig_SaveSection(void) {
  int r;
  if ((r = Fio_WriteU32(SIG_TAG_SIGS)) || (r = Fio_WriteU32(Sig_GetInstallationCount()))) return r;
  for (const SignalInstallation* a = Sig_FirstInstallation(); a; a = a->Next) {
    if ((r = Fio_WriteU32(a->Id)) || (r = Sig_WriteName(a->Name)) || (r = Fio_WriteU32(a->Flags)) ||
        (r = Fio_WriteU32(u32(a->Count))) || (r = Fio_WriteU32(u32(a->Maximum))) || (r = Fio_WriteU32(u32(a->Limit))))
      return r;
    if (a->Flags & 1) {
      const SignalSchedule* s = a->Schedule;
      const u32 n = s ? s->ByteCount : 0;
      if ((r = Fio_WriteU32(s ? (s->Kind & 0xFF) : 0)) || (r = Fio_WriteU32(n)) ||
          (r = Fio_WriteU32(s ? s->Duration : 0)))
        return r;
      if (n && (r = Fio_WriteBlock(s->Bytes, n))) return r;
    }
    if ((r = Fio_WriteU32(u32(a->TextLength)))) return r;
    for (i32 i = 0; i < a->TextLength; ++i)
      if ((r = Fio_WriteU16(a->Text[i]))) return r;
  }
  u32 type10 = 0;
  if ((r = Fio_WriteU32(SIG_TAG_SIGE)) || (r = Fio_WriteU32(Sig_GetElementCount(&type10)))) return r;
  for (const SignalElement* e = Sig_FirstElement(); e; e = e->Next) {
    if ((r = Fio_WriteU32(e->Flags)) || (r = Grid_WritePos(e->X, e->Y, e->Level)) || (r = Fio_WriteU32(e->Id)) ||
        (r = Sig_WriteName(e->Name)) || (r = Fio_WriteU32(e->State)) || (r = Sig_WriteWords(e->Tokens, e->TokenCount)) ||
        (r = Fio_WriteU32(e->LinkedId)) || (r = Fio_WriteU32(e->Value)))
      return r;
    if ((e->Flags & SIG_F_EXTRA) && (r = Fio_WriteU32(e->ExtraValue))) return r;
    if ((r = Sig_WriteWords(reinterpret_cast<const u32*>(e->List1), e->List1Count)) ||
        (r = Sig_WriteWords(reinterpret_cast<const u32*>(e->List2), e->List2Count)))
      return r;
    if (e->Flags & SIG_F_DELAYED) {
      if ((r = Fio_WriteU32(u32(e->Delay1))) || (r = Fio_WriteU32(u32(e->Delay2))) ||
          (r = Sig_WriteSwitch(e->Switch1, e->Amount1)) || (r = Sig_WriteSwitch(e->Switch2, e->Amount2)))
        return r;
    }
    if ((e->Flags & 3) && (r = Sig_WriteWords(e->Rules, e->Rules ? e->RuleCount : 0))) return r;
    if ((e->Flags & 12) && (r = Sig_WriteWords(e->Pairs, e->Pairs ? e->PairCount : 0))) return r;
  }
  return 0;
}

// ---------------------------------------------------------------- reading helpers

// A zero-ended name of at most 21 units with its zero; 3 when longer.
static int Sig_ReadName(wch* out) {
  int r;
  for (u32 n = 0;; ++n) {
    u16 c;
    if ((r = Fio_ReadU16(&c))) return r;
    if (n >= SIG_NAME_UNITS) return 3;
    out[n] = c;
    if (c == 0) return 0;
  }
}

static int Sig_ReadIds(i32* ids, i32* count, u32 max) {
  int r;
  u32 n;
  if ((r = Fio_ReadU32(&n))) return r;
  if (n > max) return 3;
  for (u32 i = 0; i < n; ++i) {
    u32 v;
    if ((r = Fio_ReadU32(&v))) return r;
    ids[i] = i32(v);
  }
  *count = i32(n);
  return 0;
}

// A list of words into a new heap block (null for 0 words).
static int Sig_ReadBlock(u32** out, i32* count) {
  int r;
  u32 n;
  if ((r = Fio_ReadU32(&n))) return r;
  if (n > SIG_FILE_WORDS_MAX) return 3;
  *count = 0;
  *out = nullptr;
  if (n == 0) return 0;
  u32* block = static_cast<u32*>(Heap_Alloc(n * 4));
  if (!block) return 4;
  for (u32 i = 0; i < n; ++i)
    if ((r = Fio_ReadU32(&block[i]))) {
      Heap_Free(block);
      return r;
    }
  *out = block;
  *count = i32(n);
  return 0;
}

static int Sig_ReadSwitch(SignalSwitch* s, i32* amount) {
  int r;
  s->Weekday = s->Minute = s->Second = 0;
  *amount = 0;
  if ((r = Fio_ReadByte(&s->Hour))) return r;
  if (s->Hour >= SIG_HOUR_NONE) return 0;
  u32 a;
  if ((r = Fio_ReadByte(&s->Minute)) || (r = Fio_ReadByte(&s->Second)) || (r = Fio_ReadByte(&s->Weekday)) ||
      (r = Fio_ReadU32(&a)))
    return r;
  *amount = i32(a);
  // A switch of a time that cannot come would wait for ever.
  if (s->Hour > 23 || s->Minute > 59 || s->Second > 59 || s->Weekday < 1 || s->Weekday > 7) s->Hour = SIG_HOUR_NONE;
  return 0;
}

// Counts and limits as the setter would accept them: a file never brings
// an installation whose counting could leave 0..maximum.
static void Sig_BoundCounts(SignalInstallation* a) {
  if (a->Maximum < 1) a->Maximum = 1;
  if (a->Limit < 1) a->Limit = 1;
  if (a->Limit > a->Maximum) a->Limit = a->Maximum;
  if (a->Count < 0) a->Count = 0;
  if (a->Count > a->Maximum) a->Count = a->Maximum;
}

static SignalInstallation* Sig_NewInstallation(void) {
  SignalInstallation* a = static_cast<SignalInstallation*>(Heap_Alloc(sizeof(SignalInstallation)));
  if (a) std::memset(a, 0, sizeof *a);
  return a;
}

static void Sig_DropInstallation(SignalInstallation* a) {
  if (a->Schedule) Heap_Free(a->Schedule);
  if (a->Text) Heap_Free(a->Text);
  Heap_Free(a);
}

static void Sig_DropElement(SignalElement* e) {
  if (e->Rules) Heap_Free(e->Rules);
  if (e->Pairs) Heap_Free(e->Pairs);
  e->Rules = e->Pairs = nullptr;
}

// The schedule block of n bytes, read from the stream; 3 for a schedule
// without its end (readers walk it to its zero).
static int Sig_ReadSchedule(SignalInstallation* a, u32 kind, u32 n, u32 duration) {
  if (n == 0 || n > SIG_SCHEDULE_MAX) return 3;
  SignalSchedule* s = static_cast<SignalSchedule*>(Heap_Alloc(u32(sizeof(SignalSchedule)) + n));
  if (!s) return 4;
  s->Kind = kind & 0xFF;
  s->ByteCount = n;
  s->Duration = duration;
  s->Next = 0;
  a->Schedule = s;
  if (Fio_ReadBlock(s->Bytes, n) != n) return 1;
  return s->Bytes[n - 1] == 0 ? 0 : 3;
}

// The element's type from its cell (the grid section is read first); an
// element on a cell without a signal shape keeps type 0.
static u32 Sig_TypeAtCell(i32 x, i32 y, i32 level) {
  u32 code = Grid_GetCellChecked(x, y, level);
  if (Cell_IsTrainMarker(code)) code = Trn_GetCellGraphic(x, y, level, u16(code));
  else code = Cell_Normalised(code);
  return Sig_ShapeTypeRange(code, nullptr, nullptr);
}

// Adds a read element unless the cell already holds one of its kind (a
// type-10 element and another element may share a cell in any order).
static int Sig_KeepElement(SignalElement* e) {
  if (Sig_FindElementAt(e->X, e->Y, e->Level, e->Type == 10)) {
    Sig_DropElement(e);
    return 0;
  }
  if (!Sig_AddLoadedElement(e)) {
    Sig_DropElement(e);
    return 4;
  }
  return 0;
}

static int Sig_FinishLoad(void) {
  Sig_ResolveRefs(nullptr);
  return Sig_RebuildDependents(nullptr) ? 4 : 0;
}

// ---------------------------------------------------------------- the current form

static int Sig_ReadInstallation(void) {
  int r;
  u32 id, flags, count, maximum, limit;
  wch name[SIG_NAME_UNITS];
  if ((r = Fio_ReadU32(&id)) || (r = Sig_ReadName(name)) || (r = Fio_ReadU32(&flags)) || (r = Fio_ReadU32(&count)) ||
      (r = Fio_ReadU32(&maximum)) || (r = Fio_ReadU32(&limit)))
    return r;
  if (id < 1 || id > SIG_ID_MAX || Sig_FindInstallation(id)) return 3;
  SignalInstallation* a = Sig_NewInstallation();
  if (!a) return 4;
  a->Id = id;
  std::memcpy(a->Name, name, sizeof name);
  a->Flags = u8(flags);
  a->Count = i32(count);
  a->Maximum = i32(maximum);
  a->Limit = i32(limit);
  Sig_BoundCounts(a);
  if (flags & 1) {
    u32 kind, n, duration;
    if ((r = Fio_ReadU32(&kind)) || (r = Fio_ReadU32(&n)) || (r = Fio_ReadU32(&duration)) ||
        (r = Sig_ReadSchedule(a, kind, n, duration))) {
      Sig_DropInstallation(a);
      return r;
    }
  }
  u32 textLength;
  if ((r = Fio_ReadU32(&textLength))) {
    Sig_DropInstallation(a);
    return r;
  }
  if (textLength > SIG_TEXT_MAX) {
    Sig_DropInstallation(a);
    return 3;
  }
  if (textLength) {
    a->Text = static_cast<wch*>(Heap_Alloc(textLength * 2));
    if (!a->Text) {
      Sig_DropInstallation(a);
      return 4;
    }
    a->TextLength = i32(textLength);
    for (u32 i = 0; i < textLength; ++i) {
      u16 c;
      if ((r = Fio_ReadU16(&c))) {
        Sig_DropInstallation(a);
        return r;
      }
      a->Text[i] = c;
    }
    a->Text[textLength - 1] = 0;
  }
  Sig_AddLoadedInstallation(a);
  return 0;
}

static int Sig_ReadElement(u16 version) {
  int r;
  SignalElement e;
  std::memset(&e, 0, sizeof e);
  u32 tokens = 0;
  if ((r = Fio_ReadU32(&e.Flags)) || (r = Grid_ReadPos(&e.X, &e.Y, &e.Level, version)) || (r = Fio_ReadU32(&e.Id)) ||
      (r = Sig_ReadName(e.Name)) || (r = Fio_ReadU32(&e.State)) || (r = Fio_ReadU32(&tokens)))
    return r;
  if (tokens > SIG_TOKENS_MAX) return 3;
  for (u32 i = 0; i < tokens; ++i)
    if ((r = Fio_ReadU32(&e.Tokens[i]))) return r;
  e.TokenCount = i32(tokens);
  if ((r = Fio_ReadU32(&e.LinkedId)) || (r = Fio_ReadU32(&e.Value))) return r;
  if ((e.Flags & SIG_F_EXTRA) && version >= LAYVER_EXTRA && (r = Fio_ReadU32(&e.ExtraValue))) return r;
  if ((r = Sig_ReadIds(e.List1, &e.List1Count, SIG_LIST_MAX)) || (r = Sig_ReadIds(e.List2, &e.List2Count, SIG_LIST_MAX)))
    return r;
  e.Switch1.Hour = e.Switch2.Hour = SIG_HOUR_NONE;
  if (e.Flags & SIG_F_DELAYED) {
    u32 d1, d2;
    if ((r = Fio_ReadU32(&d1))) return r;
    d2 = d1;
    if (version >= LAYVER_SPLIT_DELAYS && (r = Fio_ReadU32(&d2))) return r;
    e.Delay1 = i32(d1);
    e.Delay2 = i32(d2);
    if ((r = Sig_ReadSwitch(&e.Switch1, &e.Amount1))) return r;
    if (version >= LAYVER_SPLIT_DELAYS) {
      if ((r = Sig_ReadSwitch(&e.Switch2, &e.Amount2))) return r;
    } else {
      e.Switch2 = e.Switch1;
      e.Amount2 = -e.Amount1;
    }
  }
  if (e.Id < 1 || e.Id > SIG_ID_MAX || Sig_FindElementById(e.Id) || Sig_FindInstallation(e.Id)) return 3;
  if ((e.Flags & 3) && (r = Sig_ReadBlock(&e.Rules, &e.RuleCount))) return r;
  if ((e.Flags & 12) && (r = Sig_ReadBlock(&e.Pairs, &e.PairCount))) {
    Sig_DropElement(&e);
    return r;
  }
  e.Type = Sig_TypeAtCell(e.X, e.Y, e.Level);
  return Sig_KeepElement(&e);
}

static int Sig_LoadCurrent(u16 version) {
  int r;
  u32 tag, count;
  if ((r = Fio_ReadU32(&tag))) return r;
  if (tag != SIG_TAG_SIGS) return 3;
  if ((r = Fio_ReadU32(&count))) return r;
  if (count > SIG_ID_MAX) return 3;
  for (u32 i = 0; i < count; ++i)
    if ((r = Sig_ReadInstallation())) return r;
  if ((r = Fio_ReadU32(&tag))) return r;
  if (tag != SIG_TAG_SIGE) return 3;
  if ((r = Fio_ReadU32(&count))) return r;
  if (count > SIG_ID_MAX) return 3;
  for (u32 i = 0; i < count; ++i)
    if ((r = Sig_ReadElement(version))) return r;
  return Sig_FinishLoad();
}

// ---------------------------------------------------------------- the older form

namespace {

// A signal cell of the old numbering in today's, with the element's style.
struct OldCell {
  u32 code;
  u32 style;
};

OldCell Sig_ConvertOldCell(u32 code) {
  const u32 low = Cell_Shape(code), high = Cell_WithoutShape(code);
  const int classA = Cell_ClassIn(code, 4, 5);
  const int narrow = Cell_Class(code) == 7;
  u32 n = low, style = 0;
  if (low >= 304 && low <= 307) {
    static const u32 to[4] = {394, 392, 396, 398};
    n = to[low - 304], style = 6;
  } else if (low >= 288 && low <= 295) n = low + 104;
  else if (low >= 296 && low <= 303) n = low + 96, style = 3;
  else if (low >= 312 && low <= 327) n = low + 128, style = 42;
  else if (low >= 328 && low <= 343) n = low + 112, style = narrow ? 6 : 0;
  else if (low >= 344 && low <= 359) n = classA ? low + 96 : low + 112, style = classA ? 12 : 0;
  else if (low >= 360 && low <= 375) n = low + 80, style = 6;
  else if (low >= 376 && low <= 391) n = low + 64, style = 9;
  else if (low >= 392 && low <= 407) n = classA ? low + 48 : low + 64, style = classA ? 15 : 4;
  else if (low >= 408 && low <= 423) n = classA ? low + 32 : low + 48, style = classA ? 18 : 2;
  else if (low >= 424 && low <= 439) n = classA ? low + 16 : low + 32, style = classA ? 21 : 6;
  return OldCell{high | n, style};
}

// Files of 14346..14389: only the two oldest groups moved; main signal
// styles were renumbered.
OldCell Sig_ConvertLateCell(u32 code, u32 state) {
  const u32 low = Cell_Shape(code), high = Cell_WithoutShape(code);
  if (low >= 288 && low <= 295) return OldCell{high | (low + 104), state};
  if (low >= 296 && low <= 303) return OldCell{high | (low + 96), state + 3};
  return OldCell{code, state};
}

u32 Sig_MapMainStyle(u32 s) { return s < 24 ? s : s <= 35 ? s + 18 : s - 12; }

struct OldElement {
  SignalElement e;
  u32 installation;  // index of its installation in the section
};

}  // namespace

// Converts the cell of an old element (level 0, under a train its saved
// code) and gives the element its style and type.
static void Sig_ConvertElementCell(SignalElement* e, u16 version, u32* oldLow) {
  u32 raw = Grid_GetCellChecked(e->X, e->Y, e->Level);
  const int underTrain = Cell_IsTrainMarker(raw);
  u32 code = underTrain ? Trn_GetCellGraphic(e->X, e->Y, e->Level, u16(raw)) : raw;
  *oldLow = Cell_IsElement(code) ? Cell_Shape(code) : 0;
  if (Cell_IsElement(code)) {
    OldCell c;
    if (version < LAYVER_SIGNAL_STATE) c = Sig_ConvertOldCell(code);
    else c = Sig_ConvertLateCell(code, e->State);
    e->State = c.style;
    code = c.code;
    if (underTrain) Trn_SetCellGraphic(e->X, e->Y, e->Level, u16(code), u16(raw));
    else if (raw != code) Grid_SetCell(e->X, e->Y, e->Level, CellCode(code));
  }
  e->Type = Sig_ShapeTypeRange(Cell_Normalised(code), nullptr, nullptr);
  if (version >= LAYVER_SIGNAL_STATE && e->Type == 1) e->State = Sig_MapMainStyle(e->State);
}

// An old element's flags: before LAYVER_ELEMENT_POS only its 0x80 bit.
static int Sig_ReadOldElementFlags(u16 version, u32* flags) {
  int r;
  if (version < LAYVER_COMPANIONS) {
    u8 b;
    if ((r = Fio_ReadByte(&b))) return r;
    *flags = b & 0x80;
  } else if (version < LAYVER_SIGNAL_COUNTS32) {
    u16 w;
    if ((r = Fio_ReadU16(&w))) return r;
    *flags = (w & 0x8000) ? 0x80 : 0;
  } else if (version < LAYVER_ELEMENT_POS) {
    u8 b;
    if ((r = Fio_ReadByte(&b))) return r;
    *flags = b & 0x80;
  } else {
    u32 w;
    if ((r = Fio_ReadU32(&w))) return r;
    *flags = w & 0xFF;
  }
  return 0;
}

// The delay of an old delayed element and its one pending switch, whose
// weekday these files did not keep.
static int Sig_ReadOldDelay(SignalElement* e) {
  int r;
  u32 delay;
  u8 hour;
  if ((r = Fio_ReadU32(&delay)) || (r = Fio_ReadByte(&hour))) return r;
  e->Delay1 = e->Delay2 = i32(delay);
  if (hour >= SIG_HOUR_NONE) return 0;
  u8 minute, second;
  u32 amount;
  if ((r = Fio_ReadByte(&minute)) || (r = Fio_ReadByte(&second)) || (r = Fio_ReadU32(&amount))) return r;
  SignalSwitch s = {0, hour, minute, second};
  // The weekday: today, or tomorrow when that time has passed today.
  const SimClock& c = g_simClock;
  const u32 now = u32(c.hour) * 3600 + c.minute * 60 + c.second, at = u32(hour) * 3600 + minute * 60 + second;
  s.Weekday = at > now ? c.weekday : u8(c.weekday >= 7 ? 1 : c.weekday + 1);
  if (hour > 23 || minute > 59 || second > 59) s.Hour = SIG_HOUR_NONE;
  const i32 a = i32(amount);
  if (a >= 0) {
    e->Switch1 = s;
    e->Amount1 = a;
    e->Switch2 = s;
  } else {
    e->Switch2 = s;
    e->Amount2 = -a;
  }
  return 0;
}

static int Sig_ReadOldElement(u16 version, SignalElement* e, u32 installationId, u32 instFlags) {
  int r;
  std::memset(e, 0, sizeof *e);
  u32 flags = 0;
  if ((r = Sig_ReadOldElementFlags(version, &flags))) return r;
  if ((r = Grid_ReadPos(&e->X, &e->Y, &e->Level, version < LAYVER_ELEMENT_POS ? version : u16(LAYVER_WIDE)))) return r;
  if (version < LAYVER_ELEMENT_POS) e->Level = 0;
  e->Switch1.Hour = e->Switch2.Hour = SIG_HOUR_NONE;
  if (version >= LAYVER_SIGNAL_STATE) {
    if ((r = Fio_ReadU32(&e->State))) return r;
    if ((flags & SIG_F_DELAYED) && (r = Sig_ReadOldDelay(e))) return r;
  }
  if (flags & 3) {
    // Rule words of files before 14389 are packed in a form no converter
    // reads any more; such a section is refused rather than read wrongly.
    if (version < LAYVER_WIDE) return 3;
    if ((r = Sig_ReadBlock(&e->Rules, &e->RuleCount))) return r;
  }
  if (flags & 12) {
    if (version < LAYVER_WIDE) {
      u32 n;
      if ((r = Fio_ReadU32(&n))) return r;
      if (n > SIG_FILE_WORDS_MAX / 2) return 3;
      u16* old = static_cast<u16*>(Heap_Alloc(n ? n * 2 : 2));
      e->Pairs = static_cast<u32*>(Heap_Alloc(n ? n * 8 : 8));
      if (!old || !e->Pairs) {
        if (old) Heap_Free(old);
        return 4;
      }
      for (u32 i = 0; i < n && !r; ++i) r = Fio_ReadU16(&old[i]);
      if (!r) e->PairCount = Lin_PairListFromOld(old, i32(n), e->Pairs);
      Heap_Free(old);
      if (r) return r;
    } else if ((r = Sig_ReadBlock(&e->Pairs, &e->PairCount))) {
      return r;
    }
  }
  u32 oldLow = 0;
  Sig_ConvertElementCell(e, version, &oldLow);
  const i32 id = i32(installationId);
  if (e->Type == 1 || e->Type == 4) {
    e->TokenCount = 1;
    e->Tokens[0] = installationId;
  }
  if (e->Type == 10 || (e->Type == 1 && !(flags & 0x80))) {
    e->List1Count = 1;
    e->List1[0] = (e->Type == 10 && !(oldLow >= 296 && oldLow <= 303)) ? -id : id;
  }
  if (oldLow >= 304 && oldLow <= 307) {
    e->List2Count = 1;
    e->List2[0] = -id;
  }
  if (instFlags & 2) flags |= SIG_F_COUNT_AMOUNT;
  e->Flags = flags & ~0xC0u;
  return 0;
}

// The id of an old installation: a missing id gets a free one, and in the
// oldest files an installation read earlier under a repeated id moves to a
// new one.
static int Sig_ReadOldId(u16 version, u32* out) {
  int r;
  u32 id = 0;
  if ((r = Fio_ReadField(&id, version < LAYVER_SIGNAL_STATE ? 2 : 4))) return r;
  if (id > SIG_ID_MAX) return 3;
  if (id == 0 && version >= LAYVER_HOME) return 3;
  if (id == 0) {
    id = Sig_NextFreeId();
    if (!id) return 4;
  } else if (Sig_FindInstallation(id)) {
    if (version >= LAYVER_HOME) return 3;
    const u32 moved = Sig_NextFreeId();
    if (!moved) return 4;
    Sig_RenumberInstallation(Sig_FindInstallation(id), moved);
    Sig_ReplaceIdInElements(id, moved);
  }
  *out = id;
  return 0;
}

// The number of elements, kept per element kind in older files.
static int Sig_ReadOldElementCount(u16 version, u32* elements) {
  int r;
  *elements = 0;
  if (version < LAYVER_SIGNAL_COUNTS32) {
    u8 b[4];
    if (Fio_ReadBlock(b, 4) != 4) return 1;
    *elements = u32(b[0]) + b[1] + b[2] + b[3];
  } else if (version < LAYVER_SIGNAL_STATE) {
    for (int i = 0; i < 4; ++i) {
      u16 w;
      if ((r = Fio_ReadU16(&w))) return r;
      *elements += w;
    }
  } else if ((r = Fio_ReadU32(elements))) {
    return r;
  }
  return *elements > SIG_ID_MAX ? 3 : 0;
}

// The head of an old installation's schedule; its bytes follow the
// elements.
struct SigOldSchedule {
  u32 kind, n, duration;
  int old;  // stored without its closing byte and with no weekday mask
};

// Flags, count, maximum and limit of an old installation, and the head of
// its schedule when it has one.
static int Sig_ReadOldInstallation(u16 version, SignalInstallation* a, SigOldSchedule* s) {
  int r = 0;
  if (version >= LAYVER_SIGNAL_COUNTS32) {
    u32 flags, c, m, l;
    if ((r = Fio_ReadU32(&flags)) || (r = Fio_ReadU32(&c)) || (r = Fio_ReadU32(&m)) || (r = Fio_ReadU32(&l))) return r;
    a->Flags = u8(flags);
    a->Count = i32(c);
    a->Maximum = i32(m);
    a->Limit = i32(l);
  } else {
    u8 b[4];
    u16 w;
    if (Fio_ReadBlock(b, 4) != 4 || (r = Fio_ReadU16(&w))) return r ? r : 1;
    a->Flags = b[0];
    a->Count = b[1];
    a->Maximum = b[2];
    a->Limit = b[3];
  }
  Sig_BoundCounts(a);
  if (!(a->Flags & 1)) return 0;
  if (version >= LAYVER_SIGNAL_COUNTS32) {
    if ((r = Fio_ReadU32(&s->kind))) return r;
  } else {
    u8 b = 0;
    if ((r = Fio_ReadByte(&b))) return r;
    s->kind = b;
  }
  if (version >= LAYVER_WIDE) {
    if ((r = Fio_ReadU32(&s->n))) return r;
  } else {
    u16 w = 0;
    if ((r = Fio_ReadU16(&w))) return r;
    s->n = u32(w) + 1;
    s->old = 1;
  }
  if (version >= LAYVER_SECONDS) {
    if ((r = Fio_ReadU32(&s->duration))) return r;
  } else {
    u16 minutes = 0, unused = 0;
    if ((r = Fio_ReadU16(&minutes)) || (r = Fio_ReadU16(&unused))) return r;
    s->duration = u32(minutes) * 60;
  }
  return s->n == 0 || s->n > SIG_SCHEDULE_MAX ? 3 : 0;
}

// The elements of installation id; an element on the cell of the one read
// just before it (last, across installations) is a copy and is dropped.
static int Sig_ReadOldElements(u16 version, u32 id, u32 instFlags, u32 elements, i32 last[3]) {
  int r;
  for (u32 i = 0; i < elements; ++i) {
    SignalElement e;
    if ((r = Sig_ReadOldElement(version, &e, id, instFlags))) {
      Sig_DropElement(&e);
      return r;
    }
    const int same = e.X == last[0] && e.Y == last[1] && e.Level == last[2];
    last[0] = e.X, last[1] = e.Y, last[2] = e.Level;
    if (same) {
      Sig_DropElement(&e);
      continue;
    }
    e.Id = Sig_NextFreeId();
    if (!e.Id) {
      Sig_DropElement(&e);
      return 4;
    }
    Sig_DefaultName(e.Name, e.Type, e.Id);
    if ((r = Sig_KeepElement(&e))) return r;
  }
  return 0;
}

// The schedule bytes of an old installation whose head was read.
static int Sig_ReadOldScheduleBytes(SignalInstallation* a, const SigOldSchedule& h) {
  SignalSchedule* s = static_cast<SignalSchedule*>(Heap_Alloc(u32(sizeof(SignalSchedule)) + h.n + 1));
  if (!s) return 4;
  s->Kind = h.kind & 0xFF;
  s->Duration = h.duration;
  s->Next = 0;
  const u32 stored = h.old ? h.n - 1 : h.n;
  if (Fio_ReadBlock(s->Bytes, stored) != stored) {
    Heap_Free(s);
    return 1;
  }
  if (h.old) {
    // The first stored byte of these files is no weekday mask.
    if (stored) s->Bytes[0] = 127;
    s->Bytes[stored] = 0;
  }
  s->ByteCount = h.n;
  if (s->Bytes[h.n - 1] != 0) {
    Heap_Free(s);
    return 3;
  }
  a->Schedule = s;
  return 0;
}

static int Sig_LoadOld(u16 version) {
  int r;
  u16 tag, skip;
  if ((r = Fio_ReadU16(&tag)) || (r = Fio_ReadU16(&skip))) return r;
  if (tag != SIG_TAG_OLD) return 3;
  u32 count;
  if ((r = Fio_ReadField(&count, version < LAYVER_SIGNAL_STATE ? 2 : 4))) return r;
  if (count > SIG_ID_MAX) return 3;
  i32 last[3] = {-1, -1, 1};
  for (u32 k = 0; k < count; ++k) {
    u32 id, elements;
    if ((r = Sig_ReadOldId(version, &id)) || (r = Sig_ReadOldElementCount(version, &elements))) return r;
    u8 skipByte;
    if ((r = Fio_ReadByte(&skipByte))) return r;
    SignalInstallation* a = Sig_NewInstallation();
    if (!a) return 4;
    a->Id = id;
    SigOldSchedule sched = {0, 0, 0, 0};
    if ((r = Sig_ReadOldInstallation(version, a, &sched))) {
      Heap_Free(a);
      return r;
    }
    const u32 instFlags = a->Flags;
    a->Flags &= u8(~2u);
    if (instFlags & 2) Dep_MarkConditionUsers(id);
    // Linked now, so that the ids its elements take are not its own; the
    // schedule and the name follow, and it is linked again then.
    Sig_AddLoadedInstallation(a);
    if ((r = Sig_ReadOldElements(version, id, instFlags, elements, last))) return r;
    if ((a->Flags & 1) && (r = Sig_ReadOldScheduleBytes(a, sched))) return r;
    Sig_DefaultName(a->Name, 0, id);
    Sig_RenumberInstallation(a, id);
  }
  return Sig_FinishLoad();
}

int Sig_LoadSection(u16 version) {
  Sig_Clear();
  return version >= LAYVER_SIGNAL_LISTS ? Sig_LoadCurrent(version) : Sig_LoadOld(version);
}

// ---------------------------------------------------------------- orphan tiles

i32 Sig_RemoveOrphanSignalTiles(void) {
  LayoutExtent box;
  if (Grid_ScanExtent(&box) != 0 || box.minX >= GRID_EXTENT_GROW) return 0;
  i32 changed = 0;
  for (i32 level = box.minLevel; level <= box.maxLevel; ++level)
    for (i32 y = box.minY; y <= box.maxY; ++y)
      for (i32 x = box.minX; x <= box.maxX; ++x) {
        const u32 raw = Grid_GetCellChecked(x, y, level);
        const int underTrain = Cell_IsTrainMarker(raw);
        const u32 code = underTrain ? Trn_GetCellGraphic(x, y, level, u16(raw)) : raw;
        if (!Cell_IsElement(code)) continue;
        const u32 low = Cell_Shape(code);
        if (low < 288 || low > 439) continue;
        if (Sig_FindElementAt(x, y, level, 0) || Sig_FindElementAt(x, y, level, 1)) continue;
        u32 track;
        if (low >= 304 && low <= 307) track = low - 304;
        else {
          static const u32 byLow3[8] = {1, 1, 0, 0, 2, 2, 3, 3};
          track = byLow3[low & 7];
        }
        const u32 next = Cell_WithShape(code, track);
        if (underTrain) Trn_SetCellGraphic(x, y, level, u16(next), u16(raw));
        else Grid_SetCell(x, y, level, CellCode(next));
        changed++;
      }
  return changed;
}
