#include "operation/sig.h"

#include <cstring>
#include <initializer_list>

#include "model/dep.h"
#include "model/grid.h"
#include "model/layfile.h"
#include "model/line.h"
#include "operation/clock.h"
#include "operation/pts.h"
#include "operation/sigeval.h"
#include "operation/sigtime.h"
#include "operation/trnquery.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/print.h"
#include "platform/str.h"

enum { SIG_BUCKETS = 64 };
enum : TextId { TXT_NAME_LETTERS = 14140 };

static SignalInstallation* s_installations;  // name order
static SignalElement* s_elements;            // name order
static SignalInstallation* s_instHash[SIG_BUCKETS];
static SignalElement* s_elemHash[SIG_BUCKETS];
static SignalElement* s_posHash10[SIG_BUCKETS];
static SignalElement* s_posHash[SIG_BUCKETS];
static SignalInstallation* s_scheduled;
static SignalElement* s_delayed;
static SignalElement* s_blink;
static u32 s_installationCount, s_elementCount;
static u32 s_idCursor = 1;

static int Sig_CompareNames(const wch* a, const wch* b) {
  return Str_CompareEx(a, b, STR_CMP_NOCASE | STR_CMP_SKIPBLANK);
}

static void Sig_CopyName(wch* dst, const wch* src) {
  i32 n = src ? Str_Len(src) : 0;
  if (n > i32(SIG_NAME_UNITS) - 1) n = SIG_NAME_UNITS - 1;
  if (n) Mem_CopyWide(dst, src, n);
  dst[n] = 0;
}

// ---------------------------------------------------------------- lists and hashes

static SignalElement** Sig_PosBucket(const SignalElement* e) {
  return (e->Type == 10 ? s_posHash10 : s_posHash) + (u32(e->X) & 63);
}

static void Sig_UnlinkElementHashes(SignalElement* e) {
  for (SignalElement** p = Sig_PosBucket(e); *p; p = &(*p)->PosNext)
    if (*p == e) {
      *p = e->PosNext;
      break;
    }
  for (SignalElement** p = &s_elemHash[e->Id & 63]; *p; p = &(*p)->IdNext)
    if (*p == e) {
      *p = e->IdNext;
      break;
    }
}

static void Sig_LinkElementHashes(SignalElement* e) {
  SignalElement** b = Sig_PosBucket(e);
  e->PosNext = *b;
  *b = e;
  e->IdNext = s_elemHash[e->Id & 63];
  s_elemHash[e->Id & 63] = e;
}

static void Sig_UnlinkElementByName(SignalElement* e) {
  for (SignalElement** p = &s_elements; *p; p = &(*p)->Next)
    if (*p == e) {
      *p = e->Next;
      return;
    }
}

static void Sig_LinkElementByName(SignalElement* e) {
  SignalElement** p = &s_elements;
  while (*p && Sig_CompareNames((*p)->Name, e->Name) < 0) p = &(*p)->Next;
  e->Next = *p;
  *p = e;
}

static void Sig_UnlinkDelayed(SignalElement* e) {
  for (SignalElement** p = &s_delayed; *p; p = &(*p)->NextDelayed)
    if (*p == e) {
      *p = e->NextDelayed;
      return;
    }
}

static void Sig_UnlinkBlink(SignalElement* e) {
  if (!e->OnBlinkList) return;
  for (SignalElement** p = &s_blink; *p; p = &(*p)->NextBlink)
    if (*p == e) {
      *p = e->NextBlink;
      break;
    }
  e->OnBlinkList = 0;
}

static void Sig_UnlinkInstallation(SignalInstallation* a) {
  for (SignalInstallation** p = &s_installations; *p; p = &(*p)->Next)
    if (*p == a) {
      *p = a->Next;
      break;
    }
  for (SignalInstallation** p = &s_instHash[a->Id & 63]; *p; p = &(*p)->HashNext)
    if (*p == a) {
      *p = a->HashNext;
      break;
    }
  for (SignalInstallation** p = &s_scheduled; *p; p = &(*p)->NextScheduled)
    if (*p == a) {
      *p = a->NextScheduled;
      break;
    }
}

// Puts the installation into its hash chain, the scheduled list (with a
// fresh next switching time) and its place in name order.
static void Sig_LinkInstallation(SignalInstallation* a) {
  a->HashNext = s_instHash[a->Id & 63];
  s_instHash[a->Id & 63] = a;
  if (a->Schedule) {
    Sig_ComputeNextSwitch(a);
    a->NextScheduled = s_scheduled;
    s_scheduled = a;
  }
  SignalInstallation** p = &s_installations;
  while (*p && Sig_CompareNames((*p)->Name, a->Name) < 0) p = &(*p)->Next;
  a->Next = *p;
  *p = a;
}

static void Sig_FreeInstallation(SignalInstallation* a) {
  if (a->Schedule) Heap_Free(a->Schedule);
  if (a->Text) Heap_Free(a->Text);
  if (a->Dependents) Heap_Free(a->Dependents);
  Heap_Free(a);
}

static void Sig_FreeElement(SignalElement* e) {
  if (e->Rules) Heap_Free(e->Rules);
  if (e->Pairs) Heap_Free(e->Pairs);
  Heap_Free(e);
}

// ---------------------------------------------------------------- life

void Sig_Init(void) { Sig_Clear(); }
void Sig_Free(void) { Sig_Clear(); }

void Sig_Clear(void) {
  while (s_installations) {
    SignalInstallation* a = s_installations;
    s_installations = a->Next;
    Sig_FreeInstallation(a);
  }
  while (s_elements) {
    SignalElement* e = s_elements;
    s_elements = e->Next;
    Sig_FreeElement(e);
  }
  std::memset(s_instHash, 0, sizeof s_instHash);
  std::memset(s_elemHash, 0, sizeof s_elemHash);
  std::memset(s_posHash10, 0, sizeof s_posHash10);
  std::memset(s_posHash, 0, sizeof s_posHash);
  s_scheduled = nullptr;
  s_delayed = nullptr;
  s_blink = nullptr;
  s_installationCount = s_elementCount = 0;
  s_idCursor = 1;
}

// ---------------------------------------------------------------- finding

SignalInstallation* Sig_FirstInstallation(void) { return s_installations; }
SignalElement* Sig_FirstElement(void) { return s_elements; }
SignalInstallation* Sig_FirstScheduled(void) { return s_scheduled; }
SignalElement* Sig_FirstDelayed(void) { return s_delayed; }
SignalElement** Sig_BlinkListHead(void) { return &s_blink; }

SignalInstallation* Sig_FindInstallation(u32 id) {
  for (SignalInstallation* a = s_instHash[id & 63]; a; a = a->HashNext)
    if (a->Id == id) return a;
  return nullptr;
}

SignalElement* Sig_FindElementById(u32 id) {
  for (SignalElement* e = s_elemHash[id & 63]; e; e = e->IdNext)
    if (e->Id == id) return e;
  return nullptr;
}

SignalElement* Sig_FindElementAt(i32 x, i32 y, i32 level, int type10) {
  for (SignalElement* e = (type10 ? s_posHash10 : s_posHash)[u32(x) & 63]; e; e = e->PosNext)
    if (e->X == x && e->Y == y && e->Level == level) return e;
  return nullptr;
}

void Sig_ForEachElement(void (*fn)(SignalElement*, void*), void* ctx) {
  for (SignalElement** hash : {s_posHash, s_posHash10})
    for (int b = 0; b < SIG_BUCKETS; ++b)
      for (SignalElement* e = hash[b]; e;) {
        SignalElement* next = e->PosNext;
        fn(e, ctx);
        e = next;
      }
}

// ---------------------------------------------------------------- ids and names

static int Sig_IdUsed(u32 id) { return Sig_FindInstallation(id) || Sig_FindElementById(id); }

u32 Sig_NextFreeId(void) {
  if (s_installationCount + s_elementCount >= SIG_ID_MAX) return 0;
  u32 id = s_idCursor;
  if (id < 1 || id > SIG_ID_MAX) id = 1;
  while (Sig_IdUsed(id)) id = id >= SIG_ID_MAX ? 1 : id + 1;
  s_idCursor = id;
  return id;
}

u32 Sig_ShapeTypeRange(u32 code, u32* minStyle, u32* maxStyle) {
  u32 type = 0, hi = 0;
  if (code <= 16383) {
    const u32 shape = Cell_Shape(code) >> 3;
    const int narrow = code >= 7168 && code <= 8191;
    if (shape == 49) type = 10, hi = 11;
    else if (shape >= 50 && shape <= 52) type = 3, hi = 173;
    else if (shape >= 53 && shape <= 54) type = 2, hi = 185;
    else if (shape >= 55 && shape <= 56) type = 1, hi = 191;
    else if (shape >= 57 && shape <= 58) type = 4, hi = 23;
    if (narrow && type >= 1 && type <= 3) {
      if (minStyle) *minStyle = 6;
      if (maxStyle) *maxStyle = 11;
      return type;
    }
  }
  if (minStyle) *minStyle = 0;
  if (maxStyle) *maxStyle = hi;
  return type;
}

void Sig_DefaultName(wch* out, u32 type, u32 id) {
  const wch* letters = Lng_GetText(TXT_NAME_LETTERS);
  const i32 n = Str_Len(letters);
  const i32 index = type == 0 ? 0 : type == 10 ? 1 : i32(type) + 1;
  const wch letter = index < n ? letters[index] : wch(u"ICMDKL"[index < 6 ? index : 0]);
  Fmt_Print(out, SIG_NAME_UNITS, u"%c%u", unsigned(letter), unsigned(id));
}

i32 Sig_FindByName(const wch* name) {
  for (SignalInstallation* a = s_installations; a; a = a->Next)
    if (Sig_CompareNames(a->Name, name) == 0) return i32(a->Id);
  for (SignalElement* e = s_elements; e; e = e->Next)
    if (Sig_CompareNames(e->Name, name) == 0) return -i32(e->Id);
  return 0;
}

int Sig_MakeUniqueElementName(wch* buffer, u32 type) {
  const u32 id = Sig_NextFreeId();
  if (!id) return 1;
  Sig_DefaultName(buffer, type, id);
  if (!Sig_FindByName(buffer)) return 0;
  const wch letter = buffer[0];
  for (unsigned k = 0; k < 100; ++k) {
    Fmt_Print(buffer, SIG_NAME_UNITS, u"%c_%06u_%02u", unsigned(letter), unsigned(id), k);
    if (!Sig_FindByName(buffer)) return 0;
  }
  return 1;
}

int Sig_NameRefused(const wch* name) {
  if (!name) return 0;
  const i32 n = Str_Len(name);
  if (n > i32(SIG_NAME_UNITS) - 1) return 1;
  for (i32 i = 0; i < n; ++i)
    if (!Str_IsNameChar(name[i])) return 1;
  return 0;
}

// ---------------------------------------------------------------- counts and queries

u32 Sig_GetInstallationCount(void) { return s_installationCount; }

u32 Sig_GetElementCount(u32* type10) {
  if (type10) {
    u32 n = 0;
    for (SignalElement* e = s_elements; e; e = e->Next) n += e->Type == 10;
    *type10 = n;
  }
  return s_elementCount;
}

static void Sig_FillInstallationData(const SignalInstallation* a, SignalInstallationData* out) {
  std::memset(out, 0, sizeof *out);
  Sig_CopyName(out->Name, a->Name);
  out->Flags = a->Flags;
  out->Text = a->Text;
  out->TextLength = a->TextLength;
  if (a->Schedule) {
    out->Duration = a->Schedule->Duration;
    out->Kind = u8(a->Schedule->Kind);
    out->ScheduleBytes = i32(a->Schedule->ByteCount);
    out->Schedule = a->Schedule->Bytes;
  }
  out->Limit = a->Limit;
  out->Maximum = a->Maximum;
  out->Count = a->Count;
}

u8 Sig_EnumInstallations(i32 id, SignalInstallationData* out, u32* outId) {
  static const SignalInstallation* cursor;
  const SignalInstallation* a;
  if (id == -1) a = s_installations;
  else if (id == -2) a = cursor ? cursor->Next : nullptr;
  else a = Sig_FindInstallation(u32(id));
  // A cursor whose record was deleted must not be followed: it is checked
  // against the list.
  if (id == -2 && cursor) {
    const SignalInstallation* p = s_installations;
    while (p && p != cursor) p = p->Next;
    if (!p) a = nullptr;
  }
  cursor = a;
  if (!a) return 0;
  if (out) Sig_FillInstallationData(a, out);
  if (outId) *outId = a->Id;
  return a->State;
}

// 1 when the element names the installation in its tokens, either list (by
// absolute value), or through its linked element's tokens.
static int Sig_TokensName(const SignalElement* e, u32 id) {
  for (i32 i = 0; i < e->TokenCount; ++i)
    if (e->Tokens[i] == id) return 1;
  return 0;
}

static int Sig_ListsName(const SignalElement* e, u32 id) {
  for (i32 i = 0; i < e->List1Count; ++i)
    if (u32(e->List1[i] < 0 ? -e->List1[i] : e->List1[i]) == id) return 1;
  for (i32 i = 0; i < e->List2Count; ++i)
    if (u32(e->List2[i] < 0 ? -e->List2[i] : e->List2[i]) == id) return 1;
  return 0;
}

static int Sig_ElementRefers(const SignalElement* e, u32 id) {
  return Sig_TokensName(e, id) || Sig_ListsName(e, id) || (e->Linked && Sig_TokensName(e->Linked, id));
}

u32 Sig_EnumElements(u32 id, i32* x, i32* y, i32* level, const SignalElement** out) {
  static const SignalElement* cursor;
  const SignalElement* e = s_elements;
  if (*x != -1 && cursor) {
    const SignalElement* p = s_elements;
    while (p && p != cursor) p = p->Next;
    e = p ? p->Next : nullptr;
  }
  for (; e; e = e->Next)
    if (id == 0 || Sig_ElementRefers(e, id)) break;
  cursor = e;
  if (!e) return 0;
  *x = e->X;
  if (y) *y = e->Y;
  if (level) *level = e->Level;
  if (out) *out = e;
  return e->Id;
}

int Sig_GetElementData(i32 x, i32 y, i32 level, SignalElementData* out) {
  const SignalElement* e = Sig_FindElementAt(x, y, level, 0);
  if (!e) e = Sig_FindElementAt(x, y, level, 1);
  if (!e) return 1;
  std::memset(out, 0, sizeof *out);
  out->List2Count = e->List2Count;
  std::memcpy(out->List2, e->List2, sizeof out->List2);
  out->List1Count = e->List1Count;
  std::memcpy(out->List1, e->List1, sizeof out->List1);
  out->ExtraValue = e->ExtraValue;
  out->Value = e->Value;
  out->LinkedId = e->LinkedId;
  std::memcpy(out->Tokens, e->Tokens, sizeof out->Tokens);
  out->TokenCount = e->TokenCount;
  out->PairCount = e->PairCount;
  out->Pairs = e->Pairs;
  out->RuleCount = e->RuleCount;
  out->Rules = e->Rules;
  out->Delay = e->Delay1;
  out->Flags = e->Flags;
  out->Type = e->Type;
  out->State = e->State;
  Sig_CopyName(out->Name, e->Name);
  out->Id = e->Id;
  return 0;
}

u8 Sig_GetInstallationName(u32 id, wch* buffer) {
  const SignalInstallation* a = Sig_FindInstallation(id);
  if (!a) {
    if (buffer) buffer[0] = 0;
    return 0;
  }
  if (buffer) Sig_CopyName(buffer, a->Name);
  return a->State;
}

u8 Sig_GetInstallationState(u32 id) {
  const SignalInstallation* a = Sig_FindInstallation(id);
  return a ? a->State : 0;
}

int Sig_GetElementName(u32 id, wch* buffer) {
  const SignalElement* e = Sig_FindElementById(id);
  if (!e) return 1;
  Sig_CopyName(buffer, e->Name);
  return 0;
}

int Sig_GetElementPosById(u32 id, i32* x, i32* y, i32* level) {
  const SignalElement* e = Sig_FindElementById(id);
  if (!e) return 1;
  if (x) *x = e->X;
  if (y) *y = e->Y;
  if (level) *level = e->Level;
  return 0;
}

u32 Sig_PrevInstallationId(u32 id) {
  const SignalInstallation* prev = nullptr;
  for (const SignalInstallation* a = s_installations; a; prev = a, a = a->Next)
    if (a->Id == id) return prev ? prev->Id : 0;
  return 0;
}

u32 Sig_GetElementField(i32 x, i32 y, i32 level) {
  const SignalElement* e = Sig_FindElementAt(x, y, level, 1);
  return e ? e->State : 6;
}

int Sig_SetElementState(i32 x, i32 y, i32 level, u32 state) {
  SignalElement* e = Sig_FindElementAt(x, y, level, 0);
  if (!e) e = Sig_FindElementAt(x, y, level, 1);
  if (!e) return 1;
  e->State = state;
  return 0;
}

u32 Sig_CountInstallationUsers(u32 id, u32* type10Users) {
  u32 n = 0, n10 = 0;
  for (const SignalElement* e = s_elements; e; e = e->Next) {
    if (!Sig_ElementRefers(e, id)) continue;
    if (e->Type == 10) n10++;
    else if (e->Type >= 1 && e->Type <= 4) n++;
  }
  if (type10Users) *type10Users = n10;
  return n;
}

u32 Sig_ReferringElementCount(u32 id, u32* type10Users, int dependentsFlag) {
  const SignalInstallation* a = Sig_FindInstallation(id);
  if (type10Users) *type10Users = 0;
  if (!a) return 0;
  if (dependentsFlag && a->DependentCount > 0) return 1;
  return Sig_CountInstallationUsers(id, type10Users);
}

u32 Sig_CountInstallationElements(u32 id) {
  u32 n = 0;
  for (const SignalElement* e = s_elements; e; e = e->Next)
    if ((e->Type == 2 || e->Type == 3) && e->LinkedId == id) n++;
  return n;
}

// The spin of both name lists: the records in name order as an array walk.
template <class R>
static int Sig_Spin(R* first, u32 count, const wch* name, wch* field, i32 n) {
  if (!first || count == 0) return 1;
  i32 index = -1, i = 0;
  for (R* r = first; r; r = r->Next, ++i)
    if (Sig_CompareNames(r->Name, name) == 0) {
      index = i;
      break;
    }
  R* r = first;
  if (index >= 0) {
    const i64 target = ((i64(index) + n) % i64(count) + count) % i64(count);
    for (i64 k = 0; k < target && r->Next; ++k) r = r->Next;
  }
  Sig_CopyName(field, r->Name);
  return 0;
}

int Sig_SpinInstallationName(const wch* name, wch* field, i32 n) {
  return Sig_Spin(s_installations, s_installationCount, name, field, n);
}

int Sig_SpinElementName(const wch* name, wch* field, i32 n) {
  return Sig_Spin(s_elements, s_elementCount, name, field, n);
}

// ---------------------------------------------------------------- resolution and dependents

static SignalInstallation* Sig_ResolveId(i32 id) {
  const u32 a = u32(id < 0 ? -id : id);
  return (a >= 1 && a <= SIG_ID_MAX) ? Sig_FindInstallation(a) : nullptr;
}

static void Sig_ResolveOne(SignalElement* e) {
  for (i32 i = 0; i < e->TokenCount; ++i)
    e->Operands[i] = (e->Tokens[i] >= 1 && e->Tokens[i] <= SIG_ID_MAX) ? Sig_FindInstallation(e->Tokens[i]) : nullptr;
  for (i32 i = 0; i < e->List1Count; ++i) e->List1Inst[i] = Sig_ResolveId(e->List1[i]);
  for (i32 i = 0; i < e->List2Count; ++i) e->List2Inst[i] = Sig_ResolveId(e->List2[i]);
  e->Linked = nullptr;
  if ((e->Type == 2 || e->Type == 3) && e->LinkedId) e->Linked = Sig_FindElementById(e->LinkedId);
  if (!e->Linked) e->LinkedId = 0;
}

void Sig_ResolveRefs(SignalElement* e) {
  if (e) {
    Sig_ResolveOne(e);
    return;
  }
  for (SignalElement* p = s_elements; p; p = p->Next) Sig_ResolveOne(p);
}

static int Sig_RebuildOne(SignalInstallation* a) {
  u32 n = 0;
  for (SignalElement* e = s_elements; e; e = e->Next)
    if (Sig_TokensName(e, a->Id) || (e->Linked && Sig_TokensName(e->Linked, a->Id))) n++;
  if (n == 0) {
    if (a->Dependents) Heap_Free(a->Dependents);
    a->Dependents = nullptr;
    a->DependentCount = a->DependentRoom = 0;
    return 0;
  }
  if (n > a->DependentRoom) {
    SignalElement** block = static_cast<SignalElement**>(Heap_Alloc(n * u32(sizeof(SignalElement*))));
    if (!block) {
      a->DependentCount = 0;
      return 1;
    }
    if (a->Dependents) Heap_Free(a->Dependents);
    a->Dependents = block;
    a->DependentRoom = n;
  }
  u32 k = 0;
  for (SignalElement* e = s_elements; e; e = e->Next)
    if (Sig_TokensName(e, a->Id) || (e->Linked && Sig_TokensName(e->Linked, a->Id))) a->Dependents[k++] = e;
  a->DependentCount = k;
  return 0;
}

int Sig_RebuildDependents(SignalInstallation* inst) {
  if (inst) return Sig_RebuildOne(inst);
  int failed = 0;
  for (SignalInstallation* a = s_installations; a; a = a->Next) failed |= Sig_RebuildOne(a);
  return failed;
}

// Dependents of every installation the element names directly or through
// its linked element.
static void Sig_RebuildNamedBy(const SignalElement* e) {
  if (!e) return;
  for (i32 i = 0; i < e->TokenCount; ++i)
    if (e->Operands[i]) Sig_RebuildOne(e->Operands[i]);
  if (e->Linked)
    for (i32 i = 0; i < e->Linked->TokenCount; ++i)
      if (e->Linked->Operands[i]) Sig_RebuildOne(e->Linked->Operands[i]);
}

// ---------------------------------------------------------------- installations

u32 Sig_CreateInstallation(u32 id) {
  if (id == 0) id = Sig_NextFreeId();
  if (id == 0 || id > SIG_ID_MAX || Sig_IdUsed(id)) return 0;
  SignalInstallation* a = static_cast<SignalInstallation*>(Heap_Alloc(sizeof(SignalInstallation)));
  if (!a) return 0;
  std::memset(a, 0, sizeof *a);
  a->Id = id;
  a->State = SIG_FREE;
  a->Maximum = 1;
  a->Limit = 1;
  Sig_LinkInstallation(a);
  s_installationCount++;
  return id;
}

int Sig_SetInstallation(u32 id, const SignalInstallationData* d) {
  if (id < 1 || id > SIG_ID_MAX) return 2;
  SignalInstallation* a = Sig_FindInstallation(id);
  // Names stay unique for new installations too, since every lookup by name
  // takes the first.
  const i32 other = Sig_FindByName(d->Name);
  if (other > 0 && u32(other) != id) return 3;
  if (other < 0) return 4;
  if (Sig_NameRefused(d->Name)) return 5;
  if (d->Maximum < 1) return 11;
  if (d->Limit < 1) return 12;
  if (d->Count > d->Maximum || d->Count < 0) return 13;
  if (d->Limit > d->Maximum) return 14;
  const int hasSchedule = d->Schedule && d->ScheduleBytes > 0;
  if (d->TextLength < 0 || d->TextLength > i32(SIG_TEXT_MAX) || (d->TextLength > 0 && !d->Text) ||
      d->ScheduleBytes < 0 || (hasSchedule && d->Schedule[d->ScheduleBytes - 1] != 0))
    return 15;
  if (!a) {
    if (!Sig_CreateInstallation(id)) return 1;
    a = Sig_FindInstallation(id);
  }
  SignalSchedule* schedule = nullptr;
  wch* text = nullptr;
  if (hasSchedule) {
    schedule = static_cast<SignalSchedule*>(Heap_Alloc(u32(sizeof(SignalSchedule)) + u32(d->ScheduleBytes)));
    if (!schedule) return 1;
    schedule->Kind = d->Kind;
    schedule->ByteCount = u32(d->ScheduleBytes);
    schedule->Duration = d->Duration;
    schedule->Next = 0;
    std::memcpy(schedule->Bytes, d->Schedule, u32(d->ScheduleBytes));
  }
  if (d->TextLength > 0) {
    text = static_cast<wch*>(Heap_Alloc(u32(d->TextLength) * 2));
    if (!text) {
      if (schedule) Heap_Free(schedule);
      return 1;
    }
    std::memcpy(text, d->Text, u32(d->TextLength) * 2);
    text[d->TextLength - 1] = 0;
  }
  Sig_UnlinkInstallation(a);
  a->Flags = u8(hasSchedule ? (d->Flags | 1) : (d->Flags & ~1u));
  a->Maximum = d->Maximum;
  a->Limit = d->Limit;
  a->Count = d->Count;
  if (a->Schedule) Heap_Free(a->Schedule);
  a->Schedule = schedule;
  if (a->Text) Heap_Free(a->Text);
  a->Text = text;
  a->TextLength = text ? d->TextLength : 0;
  Sig_CopyName(a->Name, d->Name);
  Sig_LinkInstallation(a);
  Sig_SetInstallationState(a, a->Count >= a->Limit ? SIG_OCCUPIED : SIG_FREE);
  Lay_MarkModified();
  return 0;
}

int Sig_DeleteInstallation(u32 id) {
  SignalInstallation* a = Sig_FindInstallation(id);
  if (!a) return 1;
  for (const SignalElement* e = s_elements; e; e = e->Next)
    if (Sig_TokensName(e, id)) return 2;
  if (Pts_CountInstallationUse(id) > 0) return 2;
  Sig_UnlinkInstallation(a);
  s_installationCount--;
  Sig_FreeInstallation(a);
  Sig_ReplaceIdInElements(id, 0);
  Dep_OnElementDeleted(id);
  Pts_OnInstallationDeleted(id);
  Lay_MarkModified();
  return 0;
}

static i32 Sig_ReplaceInList(i32* list, i32 count, u32 oldId, u32 newId) {
  i32 k = 0;
  for (i32 i = 0; i < count; ++i) {
    i32 v = list[i];
    if (v == i32(oldId)) v = i32(newId);
    else if (v == -i32(oldId)) v = -i32(newId);
    if (v == 0 && newId == 0) continue;
    list[k++] = v;
  }
  return k;
}

void Sig_ReplaceIdInElements(u32 oldId, u32 newId) {
  for (SignalElement* e = s_elements; e; e = e->Next) {
    for (i32 i = 0; i < e->TokenCount; ++i)
      if (e->Tokens[i] == oldId) e->Tokens[i] = newId;
    e->List1Count = Sig_ReplaceInList(e->List1, e->List1Count, oldId, newId);
    e->List2Count = Sig_ReplaceInList(e->List2, e->List2Count, oldId, newId);
  }
  Sig_ResolveRefs(nullptr);
  Sig_RebuildDependents(nullptr);
}

// ---------------------------------------------------------------- elements

int Sig_CreateElement(i32 x, i32 y, i32 level, u32 state, u32 code) {
  const u32 type = Sig_ShapeTypeRange(code, nullptr, nullptr);
  if (type == 0) return 3;
  const u32 id = Sig_NextFreeId();
  if (!id) return 2;
  SignalElement* e = static_cast<SignalElement*>(Heap_Alloc(sizeof(SignalElement)));
  if (!e) return 2;
  std::memset(e, 0, sizeof *e);
  e->X = x;
  e->Y = y;
  e->Level = level;
  e->State = state;
  e->Type = type;
  e->Id = id;
  e->Switch1.Hour = e->Switch2.Hour = SIG_HOUR_NONE;
  Sig_LinkElementHashes(e);
  Sig_LinkElementByName(e);
  s_elementCount++;
  return 0;
}

// Adds a stored element read from a file or pasted: the record is linked
// as it is (the loader resolves everything at the end).
SignalElement* Sig_AddLoadedElement(const SignalElement* src) {
  SignalElement* e = static_cast<SignalElement*>(Heap_Alloc(sizeof(SignalElement)));
  if (!e) return nullptr;
  *e = *src;
  e->Next = e->NextDelayed = e->PosNext = e->IdNext = e->NextBlink = nullptr;
  e->OnBlinkList = 0;
  Sig_LinkElementHashes(e);
  Sig_LinkElementByName(e);
  if (e->Flags & SIG_F_DELAYED) {
    e->NextDelayed = s_delayed;
    s_delayed = e;
  }
  s_elementCount++;
  return e;
}

// Links a loaded installation (state recomputed, schedule linked).
void Sig_AddLoadedInstallation(SignalInstallation* a) {
  a->State = a->Count < a->Limit ? SIG_FREE : SIG_OCCUPIED;
  Sig_LinkInstallation(a);
  s_installationCount++;
}

void Sig_RenumberInstallation(SignalInstallation* a, u32 newId) {
  Sig_UnlinkInstallation(a);
  a->Id = newId;
  Sig_LinkInstallation(a);
}

static u32* Sig_CopyWords(const u32* src, i32 n) {
  if (!src || n <= 0) return nullptr;
  u32* block = static_cast<u32*>(Heap_Alloc(u32(n) * 4));
  if (block) std::memcpy(block, src, u32(n) * 4);
  return block;
}

int Sig_SetElement(i32 x, i32 y, i32 level, const SignalElementData* d) {
  SignalElement* e = Sig_FindElementAt(x, y, level, d->Type == 10);
  if (!e) return 1;
  if (Sig_NameRefused(d->Name)) return 5;
  const int wantRules = (d->Flags & 3) && d->RuleCount > 0 && d->Rules;
  const int wantPairs = (d->Flags & 12) && d->PairCount > 0 && d->Pairs;
  u32* rules = wantRules ? Sig_CopyWords(d->Rules, d->RuleCount) : nullptr;
  u32* pairs = wantPairs ? Sig_CopyWords(d->Pairs, d->PairCount) : nullptr;
  if ((wantRules && !rules) || (wantPairs && !pairs)) {
    if (rules) Heap_Free(rules);
    if (pairs) Heap_Free(pairs);
    return 2;
  }
  // The installations named before lose this element as a dependent after
  // the change: they are rebuilt together with the new ones.
  SignalInstallation* before[SIG_TOKENS_MAX * 2];
  u32 nBefore = 0;
  for (i32 i = 0; i < e->TokenCount; ++i)
    if (e->Operands[i]) before[nBefore++] = e->Operands[i];
  if (e->Linked)
    for (i32 i = 0; i < e->Linked->TokenCount; ++i)
      if (e->Linked->Operands[i]) before[nBefore++] = e->Linked->Operands[i];

  if (e->Rules) Heap_Free(e->Rules);
  if (e->Pairs) Heap_Free(e->Pairs);
  e->Rules = rules;
  e->RuleCount = rules ? d->RuleCount : 0;
  e->Pairs = pairs;
  e->PairCount = pairs ? d->PairCount : 0;
  e->List1Count = d->List1Count < 0 ? 0 : d->List1Count > i32(SIG_LIST_MAX) ? i32(SIG_LIST_MAX) : d->List1Count;
  std::memcpy(e->List1, d->List1, u32(e->List1Count) * 4);
  e->List2Count = d->List2Count < 0 ? 0 : d->List2Count > i32(SIG_LIST_MAX) ? i32(SIG_LIST_MAX) : d->List2Count;
  std::memcpy(e->List2, d->List2, u32(e->List2Count) * 4);
  e->TokenCount =
      d->TokenCount < 0 ? 0 : d->TokenCount > i32(SIG_TOKENS_MAX) ? i32(SIG_TOKENS_MAX) : d->TokenCount;
  std::memcpy(e->Tokens, d->Tokens, u32(e->TokenCount) * 4);
  e->ExtraValue = (d->Flags & SIG_F_EXTRA) ? d->ExtraValue : 0;
  e->Value = d->Value;
  e->LinkedId = d->LinkedId;
  e->PasteLinkId = d->PasteLinkId;
  e->PasteId = d->PasteId;
  e->Delay1 = e->Delay2 = d->Delay;
  e->Switch1.Hour = e->Switch2.Hour = SIG_HOUR_NONE;
  e->Amount1 = e->Amount2 = 0;
  const u32 oldFlags = e->Flags;
  e->Flags = d->Flags;
  if ((oldFlags ^ e->Flags) & SIG_F_DELAYED) {
    Sig_UnlinkDelayed(e);
    if (e->Flags & SIG_F_DELAYED) {
      e->NextDelayed = s_delayed;
      s_delayed = e;
    }
  }
  Sig_UnlinkElementByName(e);
  Sig_CopyName(e->Name, d->Name);
  Sig_LinkElementByName(e);
  Sig_ResolveRefs(e);
  for (u32 i = 0; i < nBefore; ++i) Sig_RebuildOne(before[i]);
  Sig_RebuildNamedBy(e);
  // Elements linked to this one depend through it too.
  for (SignalElement* p = s_elements; p; p = p->Next)
    if (p->Linked == e) Sig_RebuildNamedBy(p);
  Sig_UpdateAspect(e);
  Sig_UpdateLinkedAspects(e);
  Lay_MarkModified();
  return 0;
}

static void Sig_RemoveElement(SignalElement* e) {
  Sig_UnlinkElementHashes(e);
  Sig_UnlinkElementByName(e);
  Sig_UnlinkDelayed(e);
  Sig_UnlinkBlink(e);
  s_elementCount--;
  for (SignalElement* p = s_elements; p; p = p->Next)
    if (p->Linked == e || p->LinkedId == e->Id) {
      p->Linked = nullptr;
      p->LinkedId = 0;
    }
}

int Sig_DeleteElementAt(i32 x, i32 y, i32 level) {
  int found = 0;
  for (int type10 = 0; type10 < 2; ++type10) {
    SignalElement* e = Sig_FindElementAt(x, y, level, type10);
    if (!e) continue;
    found = 1;
    Sig_RemoveElement(e);
    Sig_FreeElement(e);
  }
  if (!found) return 1;
  Sig_RebuildDependents(nullptr);
  return 0;
}

// ---------------------------------------------------------------- region hooks

static int Sig_Between(i32 v, i32 a, i32 b) { return a <= b ? (v >= a && v <= b) : (v >= b && v <= a); }

int Sig_InBox(i32 x, i32 y, i32 level, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  return Sig_Between(x, x1, x2) && Sig_Between(y, y1, y2) && Sig_Between(level, level1, level2);
}

// Elements inside a box, collected first, since moving one rehashes it.
static u32 Sig_CollectInBox(SignalElement** out, u32 room, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  u32 n = 0;
  for (SignalElement* e = s_elements; e && n < room; e = e->Next)
    if (Sig_InBox(e->X, e->Y, e->Level, x1, y1, level1, x2, y2, level2)) out[n++] = e;
  return n;
}

static SignalElement** Sig_BoxBuffer(u32* room) {
  *room = s_elementCount ? s_elementCount : 1;
  return static_cast<SignalElement**>(Heap_Alloc(*room * u32(sizeof(SignalElement*))));
}

void Sig_MoveBlock(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 dx, i32 dy, i32 dz) {
  u32 room = 0;
  SignalElement** list = Sig_BoxBuffer(&room);
  if (!list) return;
  const u32 n = Sig_CollectInBox(list, room, x1, y1, level1, x2, y2, level2);
  for (u32 i = 0; i < n; ++i) {
    Sig_UnlinkElementHashes(list[i]);
    list[i]->X += dx;
    list[i]->Y += dy;
    list[i]->Level += dz;
    Sig_LinkElementHashes(list[i]);
  }
  Heap_Free(list);
}

void Sig_ScaleBlock(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32 originX, i32 originY, i32 denY,
                    i32 numY, i32 denX, i32 numX) {
  u32 room = 0;
  SignalElement** list = Sig_BoxBuffer(&room);
  if (!list) return;
  const u32 n = Sig_CollectInBox(list, room, x1, y1, level1, x2, y2, level2);
  for (u32 i = 0; i < n; ++i) {
    SignalElement* e = list[i];
    i32 nx = e->X, ny = e->Y;
    Trn_ScaleRegionPos(originX, originY, e->X, &ny, &nx, denY, numY, denX, numX, e->Level, e->Y);
    Sig_UnlinkElementHashes(e);
    e->X = nx;
    e->Y = ny;
    Sig_LinkElementHashes(e);
  }
  Heap_Free(list);
}

void Sig_DeleteInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2) {
  u32 room = 0;
  SignalElement** list = Sig_BoxBuffer(&room);
  if (!list) return;
  const u32 n = Sig_CollectInBox(list, room, x1, y1, level1, x2, y2, level2);
  for (u32 i = 0; i < n; ++i) Sig_RemoveElement(list[i]);
  for (u32 i = 0; i < n; ++i) Sig_FreeElement(list[i]);
  Heap_Free(list);
  if (n) {
    Sig_ResolveRefs(nullptr);
    Sig_RebuildDependents(nullptr);
  }
}

// ---------------------------------------------------------------- line and depot hooks

void Sig_OnLineDeleted(u32 lineId) {
  for (SignalElement* e = s_elements; e; e = e->Next) {
    if (!e->Rules) continue;
    e->RuleCount = Lin_ListRemove(e->Rules, e->RuleCount, lineId, 0);
    if (e->RuleCount <= 0) {
      Heap_Free(e->Rules);
      e->Rules = nullptr;
      e->RuleCount = 0;
      e->Flags &= ~SIG_F_RULES;
    }
  }
}

int Sig_OnLineCopied(u32 oldId, u32 newId) {
  int failed = 0;
  static u32 grown[LINE_LIST_MAX];
  for (SignalElement* e = s_elements; e; e = e->Next) {
    if (!e->Rules || !Lin_ListContains(e->Rules, e->RuleCount, oldId)) continue;
    i32 n = 0;
    const int r = Lin_ListAddBeside(e->Rules, e->RuleCount, grown, &n, newId, oldId);
    if (r == -2 || r == -3) failed = 1;
    if (n <= e->RuleCount) continue;
    u32* block = Sig_CopyWords(grown, n);
    if (!block) {
      failed = 1;
      continue;
    }
    Heap_Free(e->Rules);
    e->Rules = block;
    e->RuleCount = n;
  }
  return failed;
}

int Sig_FindElementInRect(u32 lineId, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, i32* x, i32* y,
                          i32* level, wch* name, u32* type) {
  static const SignalElement* cursor;
  const SignalElement* e = s_elements;
  if (*x == -1 && cursor) {
    const SignalElement* p = s_elements;
    while (p && p != cursor) p = p->Next;
    e = p ? p->Next : nullptr;
  }
  for (; e; e = e->Next)
    if (e->Rules && Lin_ListContains(e->Rules, e->RuleCount, lineId) &&
        Sig_InBox(e->X, e->Y, e->Level, x1, y1, level1, x2, y2, level2))
      break;
  cursor = e;
  if (!e) return 0;
  *x = e->X;
  if (y) *y = e->Y;
  if (level) *level = e->Level;
  if (name) Sig_CopyName(name, e->Name);
  if (type) *type = e->Type;
  return 1;
}

void Sig_OnDepotPlaceDeleted(u32 depot, u32 place) {
  for (SignalElement* e = s_elements; e; e = e->Next) {
    if (!e->Pairs) continue;
    e->PairCount = Lin_PairListRemove(e->Pairs, e->PairCount, depot, place);
    if (e->PairCount <= 0) {
      Heap_Free(e->Pairs);
      e->Pairs = nullptr;
      e->PairCount = 0;
      e->Flags &= ~SIG_F_PLACES;
    }
  }
}

void Sig_OnDepotPlaceStored(u32 depot, u32 place, u32 newPlace) {
  for (SignalElement* e = s_elements; e; e = e->Next)
    for (i32 i = 0; e->Pairs && i + 1 < e->PairCount; i += 2)
      if (e->Pairs[i] == depot && (e->Pairs[i + 1] & 0x7FFF) == place)
        e->Pairs[i + 1] = (e->Pairs[i + 1] & 0x8000) | newPlace;
}
