#include "dialogs/dfw.h"

#include "model/line.h"
#include "platform/fmt.h"
#include "platform/lng.h"
#include "platform/print.h"
#include "platform/str.h"

// The platform half makes and frees the five brushes (dfw_win32.cpp; nothing natively).
void Dfw_PlatformBrushes(int create);

namespace {

const u8 kRecordSize[22] = {16, 16, 6, 8, 6, 6, 1, 1, 1, 1, 1, 1, 1, 1, 20, 24, 32, 16, 12, 24, 8, 8};

i32 g_level = -1;
void* g_slots[DFW_MAX_NESTING];

DfwNameStepper g_steppers[12];

// ---------------------------------------------------------------- pointers in u32 fields
#if UINTPTR_MAX > 0xFFFFFFFFu
// Addresses are interned: each distinct address gets one reference (its
// table index + 1) for the life of the process, found again by an open-
// addressing hash. Descriptors point at static memory and at the buffers of
// the dialog callers' frames, which recur, so the table stays small; when it
// is full a new address is refused rather than an old reference reused.
enum { PTR_SLOTS = 1 << 16, PTR_HASH = PTR_SLOTS * 2 };
const void* g_ptrs[PTR_SLOTS];
u32 g_ptrCount;
u32 g_ptrHash[PTR_HASH];  // reference or 0

u32 PtrIntern(const void* p) {
  if (!p) return 0;
  const uintptr_t v = reinterpret_cast<uintptr_t>(p);
  u32 h = u32((v >> 3) * 2654435761u ^ (v >> 32)) & (PTR_HASH - 1);
  for (;; h = (h + 1) & (PTR_HASH - 1)) {
    const u32 ref = g_ptrHash[h];
    if (ref == 0) break;
    if (g_ptrs[ref - 1] == p) return ref;
  }
  if (g_ptrCount >= PTR_SLOTS) return 0xFFFFFFFFu;
  g_ptrs[g_ptrCount++] = p;
  g_ptrHash[h] = g_ptrCount;
  return g_ptrCount;
}

void* PtrLookup(u32 ref) {
  return (ref == 0 || ref > g_ptrCount) ? nullptr : const_cast<void*>(g_ptrs[ref - 1]);
}
#else
u32 PtrIntern(const void* p) { return u32(reinterpret_cast<uintptr_t>(p)); }
void* PtrLookup(u32 ref) { return reinterpret_cast<void*>(uintptr_t(ref)); }
#endif

int InRange(i32 v, i32 lo, i32 hi) { return v >= lo && v <= hi; }

}  // namespace

// ---------------------------------------------------------------- records
u32 Dfw_RecordSize(int type) { return (type >= 0 && type <= 21) ? kRecordSize[type] : 0; }

u32 Dfw_Get16(const u8* rec, int offset) { return u32(rec[offset]) | u32(rec[offset + 1]) << 8; }

u32 Dfw_Get32(const u8* rec, int offset) {
  return u32(rec[offset]) | u32(rec[offset + 1]) << 8 | u32(rec[offset + 2]) << 16 | u32(rec[offset + 3]) << 24;
}

void Dfw_Set16(u8* rec, int offset, u32 value) {
  rec[offset] = u8(value);
  rec[offset + 1] = u8(value >> 8);
}

void Dfw_Set32(u8* rec, int offset, u32 value) {
  for (int i = 0; i < 4; ++i) rec[offset + i] = u8(value >> (8 * i));
}

void* Dfw_GetPtr(const u8* rec, int offset) { return PtrLookup(Dfw_Get32(rec, offset)); }

int Dfw_SetPtr(u8* rec, int offset, const void* p) {
  const u32 ref = PtrIntern(p);
  if (ref == 0xFFFFFFFFu && p) {
    Dfw_Set32(rec, offset, 0);
    return 1;
  }
  Dfw_Set32(rec, offset, ref);
  return 0;
}

i32 Dfw_ItemControl(const u8* rec) {
  switch (rec[0]) {
    case DLG_STATIC: case DLG_STATIC_STRING: case DLG_CAPTION: case DLG_CAPTION_DISABLED: case DLG_PICTURE:
    case DLG_PICTURE_VALUE: case DLG_PICTURE_CHOOSER: case DLG_LIST: case DLG_EDIT: case DLG_RADIO: case DLG_CHECK:
      return i32(Dfw_Get16(rec, 2));
  }
  return -1;
}

// Offset of the flags of a record type (width 1 but for lists); -1 none.
static int FlagsOffset(int type) {
  switch (type) {
    case DLG_PICTURE: return 16;
    case DLG_PICTURE_VALUE: return 19;
    case DLG_PICTURE_CHOOSER: return 28;
    case DLG_CELL_IMAGE: return 12;
    case DLG_LIST: return 8;
    case DLG_EDIT: return 12;
    case DLG_RADIO: case DLG_CHECK: return 6;
  }
  return -1;
}

u32 Dfw_ItemFlags(const u8* rec) {
  const int o = FlagsOffset(rec[0]);
  if (o < 0) return 0;
  return rec[0] == DLG_LIST ? Dfw_Get32(rec, o) : rec[o];
}

int Dfw_IsChecked(const DlgDesc* desc, i32 control) {
  const u8* r = Dfw_FindDescItem(desc, control);
  return r && (Dfw_ItemFlags(r) & DLG_BUTTON_CHECKED) ? 1 : 0;
}

void Dfw_SetItemFlags(u8* rec, u32 flags) {
  const int o = FlagsOffset(rec[0]);
  if (o < 0) return;
  if (rec[0] == DLG_LIST)
    Dfw_Set32(rec, o, flags);
  else
    rec[o] = u8(flags);
}

u8* Dfw_NextDescItem(const u8* rec) {
  const u32 n = Dfw_RecordSize(rec[0]);
  return n ? const_cast<u8*>(rec + n) : nullptr;
}

u8* Dfw_FindDescItem(const DlgDesc* desc, i32 control) {
  for (const u8* r = desc; r && Dfw_RecordSize(r[0]); r = Dfw_NextDescItem(r))
    if (Dfw_ItemControl(r) == control) return const_cast<u8*>(r);
  return nullptr;
}

u8* Dfw_FindDescType(const DlgDesc* desc, int type) {
  for (const u8* r = desc; r && Dfw_RecordSize(r[0]); r = Dfw_NextDescItem(r))
    if (r[0] == type) return const_cast<u8*>(r);
  return nullptr;
}

u32 Dfw_DescLength(const DlgDesc* desc) {
  const u8* r = desc;
  while (Dfw_RecordSize(r[0])) r = Dfw_NextDescItem(r);
  return u32(r - desc) + 1;
}

// ---------------------------------------------------------------- building
void Dfw_BuildBegin(DlgBuild* b, u8* storage, u32 size) {
  b->bytes = storage;
  b->size = size;
  b->used = 0;
  b->overflow = 0;
}

u8* Dfw_AddRecord(DlgBuild* b, int type) {
  const u32 n = Dfw_RecordSize(type);
  // One byte stays for the end record.
  if (n == 0 || b->overflow || b->used + n + 1 > b->size) {
    b->overflow = 1;
    return nullptr;
  }
  u8* r = b->bytes + b->used;
  for (u32 i = 0; i < n; ++i) r[i] = 0;
  r[0] = u8(type);
  b->used += n;
  return r;
}

int Dfw_BuildEnd(DlgBuild* b) {
  if (b->used < b->size) b->bytes[b->used] = DLG_END;
  else if (b->size) b->bytes[b->size - 1] = DLG_END;
  return b->overflow ? 1 : 0;
}

static u8* AddPtr(DlgBuild* b, u8* r, int offset, const void* p) {
  if (r && Dfw_SetPtr(r, offset, p)) b->overflow = 1;
  return r;
}

u8* Dfw_AddTitle(DlgBuild* b, u16 textId, u16 helpTopic, i32 focus) {
  u8* r = Dfw_AddRecord(b, DLG_TITLE);
  if (!r) return r;
  Dfw_Set16(r, 4, textId);
  Dfw_Set16(r, 8, helpTopic);
  Dfw_Set32(r, 12, u32(focus));
  return r;
}

u8* Dfw_AddTitleString(DlgBuild* b, const wch* title, u16 helpTopic, i32 focus) {
  u8* r = Dfw_AddRecord(b, DLG_TITLE_STRING);
  if (!r) return r;
  Dfw_Set16(r, 8, helpTopic);
  Dfw_Set32(r, 12, u32(focus));
  return AddPtr(b, r, 4, title);
}

u8* Dfw_AddStatic(DlgBuild* b, u16 control, u16 textId) {
  u8* r = Dfw_AddRecord(b, DLG_STATIC);
  if (!r) return r;
  Dfw_Set16(r, 2, control);
  Dfw_Set16(r, 4, textId);
  return r;
}

u8* Dfw_AddStaticString(DlgBuild* b, u16 control, const wch* text) {
  u8* r = Dfw_AddRecord(b, DLG_STATIC_STRING);
  if (!r) return r;
  Dfw_Set16(r, 2, control);
  return AddPtr(b, r, 4, text);
}

u8* Dfw_AddCaption(DlgBuild* b, u16 control, u16 textId, int disabled) {
  u8* r = Dfw_AddRecord(b, disabled ? DLG_CAPTION_DISABLED : DLG_CAPTION);
  if (!r) return r;
  Dfw_Set16(r, 2, control);
  Dfw_Set16(r, 4, textId);
  return r;
}

u8* Dfw_AddButton(DlgBuild* b, int type) {
  if (type < DLG_OK || type > DLG_HELP) {
    b->overflow = 1;
    return nullptr;
  }
  return Dfw_AddRecord(b, type);
}

u8* Dfw_AddPicture(DlgBuild* b, u16 control, i16 x, i16 y, u32 code, u32 extra, u8 flags, u16 nameControl) {
  u8* r = Dfw_AddRecord(b, DLG_PICTURE);
  if (!r) return r;
  Dfw_Set16(r, 2, control);
  Dfw_Set16(r, 4, u16(x));
  Dfw_Set16(r, 6, u16(y));
  Dfw_Set32(r, 8, code);
  Dfw_Set32(r, 12, extra);
  r[16] = flags;
  Dfw_Set16(r, 18, nameControl);
  return r;
}

u8* Dfw_AddValuePicture(DlgBuild* b, i16 x, i16 y, i16 height, u32 code, u8 value, u8 minimum, u8 maximum, u8 flags,
                        u16 nameControl) {
  u8* r = Dfw_AddRecord(b, DLG_PICTURE_VALUE);
  if (!r) return r;
  Dfw_Set16(r, 2, DLG_ID_RANGE_BAR);
  Dfw_Set16(r, 4, u16(x));
  Dfw_Set16(r, 6, u16(y));
  Dfw_Set16(r, 8, u16(height));
  Dfw_Set32(r, 12, code);
  r[16] = value;
  r[17] = minimum;
  r[18] = maximum;
  r[19] = flags;
  Dfw_Set16(r, 20, nameControl);
  return r;
}

u8* Dfw_AddChooser(DlgBuild* b, i16 x, i16 y, i16 height, u32 count, i32 current, i32 page, const u32* table,
                   u8 flags, u16 nameControl) {
  u8* r = Dfw_AddRecord(b, DLG_PICTURE_CHOOSER);
  if (!r) return r;
  Dfw_Set16(r, 2, DLG_ID_RANGE_BAR);
  Dfw_Set16(r, 4, u16(x));
  Dfw_Set16(r, 6, u16(y));
  Dfw_Set16(r, 8, u16(height));
  Dfw_Set32(r, 12, count);
  Dfw_Set32(r, 16, u32(current));
  Dfw_Set32(r, 20, u32(page));
  r[28] = flags;
  Dfw_Set16(r, 30, nameControl);
  return AddPtr(b, r, 24, table);
}

u8* Dfw_AddCellImage(DlgBuild* b, i16 x, i16 y, u32 code, const wch* symbols, u8 flags) {
  u8* r = Dfw_AddRecord(b, DLG_CELL_IMAGE);
  if (!r) return r;
  Dfw_Set16(r, 2, u16(x));
  Dfw_Set16(r, 4, u16(y));
  r[12] = flags;
  if (flags & DLG_CELL_SYMBOLS) return AddPtr(b, r, 8, symbols);
  Dfw_Set32(r, 8, code);
  return r;
}

u8* Dfw_AddList(DlgBuild* b, u16 control, wch* block, u32 flags) {
  u8* r = Dfw_AddRecord(b, DLG_LIST);
  if (!r) return r;
  Dfw_Set16(r, 2, control);
  Dfw_Set32(r, 8, flags);
  return AddPtr(b, r, 4, block);
}

u8* Dfw_AddEdit(DlgBuild* b, u16 control, wch* buffer, u32 size, u8 flags, i32 minimum, i32 maximum) {
  u8* r = Dfw_AddRecord(b, DLG_EDIT);
  if (!r) return r;
  Dfw_Set16(r, 2, control);
  Dfw_Set32(r, 8, size);
  r[12] = flags;
  Dfw_Set32(r, 16, u32(minimum));
  Dfw_Set32(r, 20, u32(maximum));
  return AddPtr(b, r, 4, buffer);
}

static u8* AddButtonRecord(DlgBuild* b, int type, u16 control, u16 textId, u8 flags) {
  u8* r = Dfw_AddRecord(b, type);
  if (!r) return r;
  Dfw_Set16(r, 2, control);
  Dfw_Set16(r, 4, textId);
  r[6] = flags;
  return r;
}

u8* Dfw_AddRadio(DlgBuild* b, u16 control, u16 textId, u8 flags) {
  return AddButtonRecord(b, DLG_RADIO, control, textId, flags);
}

u8* Dfw_AddCheck(DlgBuild* b, u16 control, u16 textId, u8 flags) {
  return AddButtonRecord(b, DLG_CHECK, control, textId, flags);
}

// ---------------------------------------------------------------- nesting and end codes
int g_dfwIgnoreNextButton;
int g_dfwIgnoreMovesUntilButton;

int Dfw_EnterNesting(void) {
  if (g_level >= DFW_MAX_NESTING - 1) return 1;
  if (++g_level == 0) Dfw_PlatformBrushes(1);
  g_slots[g_level] = nullptr;
  return 0;
}

void Dfw_LeaveNesting(void) {
  if (g_level < 0) return;
  g_slots[g_level] = nullptr;
  if (--g_level < 0) Dfw_PlatformBrushes(0);
}

i32 Dfw_NestingLevel(void) { return g_level; }

void Dfw_SetCurrentDialog(void* window) {
  if (g_level >= 0) g_slots[g_level] = window;
}

void* Dfw_CurrentDialog(void) {
  for (i32 i = g_level; i >= 0; --i)
    if (g_slots[i]) return g_slots[i];
  return nullptr;
}

int Dfw_IsAnyOpen(void) { return g_level >= 0; }

static int PassesThrough(i32 code) { return InRange(code, 103, 106) || InRange(code, 120, 137); }

int Dfw_MapEndCode(i32 endCode) {
  switch (endCode) {
    case DLG_ID_OK: return DLG_RESULT_OK;
    case DLG_ID_CANCEL: case DLG_ID_EXTRA: return DLG_RESULT_CANCEL;
    case DLG_ID_YES: return DLG_RESULT_YES;
    case DLG_ID_NO: return DLG_RESULT_NO;
  }
  return PassesThrough(endCode) ? endCode : DLG_RESULT_CANCEL;
}

int Dfw_EndKeepsInput(i32 endCode) {
  return endCode == DLG_ID_OK || endCode == DLG_ID_YES || endCode == DLG_ID_NO || PassesThrough(endCode);
}

void Dfw_NoteEndCode(i32 endCode) {
  g_dfwIgnoreNextButton = g_dfwIgnoreMovesUntilButton = endCode == 106 ? 1 : 0;
}

// ---------------------------------------------------------------- list item blocks
static wch* ListBlock(const u8* listRec) { return static_cast<wch*>(Dfw_GetPtr(listRec, 4)); }
static int ListKeyed(const u8* listRec) { return (Dfw_Get32(listRec, 8) & DLG_LIST_KEYED) != 0; }

// The start of item n (its key, for a keyed list); null past the end.
static wch* ItemStart(const u8* listRec, i32 n) {
  wch* p = ListBlock(listRec);
  if (!p || n < 0) return nullptr;
  const int keyed = ListKeyed(listRec);
  for (i32 i = 0;; ++i) {
    // The block ends with a zero unit where the next item (its key, in a
    // keyed list) would begin.
    if (*p == 0) return nullptr;
    if (i == n) return p;
    p += keyed + Str_Len(p + keyed) + 1;
  }
}

wch* Dfw_ListItemKeyed(const u8* listRec, i32 n, u16* key) {
  wch* p = ItemStart(listRec, n);
  if (!p) return nullptr;
  if (ListKeyed(listRec)) {
    if (key) *key = u16(*p);
    return p + 1;
  }
  if (key) *key = 0;
  return p;
}

wch* Dfw_ListItemText(const u8* listRec, i32 n) { return Dfw_ListItemKeyed(listRec, n, nullptr); }

i32 Dfw_ListItemCount(const u8* listRec) {
  i32 n = 0;
  while (ItemStart(listRec, n)) ++n;
  return n;
}

int Dfw_RemoveListItem(u8* listRec, i32 n) {
  wch* p = ItemStart(listRec, n);
  if (!p) return 1;
  const int keyed = ListKeyed(listRec);
  wch* next = p + keyed + Str_Len(p + keyed) + 1;
  // The rest up to and including the end item moves down.
  wch* end = next;
  while (*end != 0) end += keyed + Str_Len(end + keyed) + 1;
  end += 1;
  Mem_MoveWide(p, next, i32(end - next));
  return 0;
}

// Compares two items from their seventh character on; an item of six
// characters or fewer compares as empty there.
static int CompareTail(const wch* a, const wch* b) {
  const wch* ta = Str_Len(a) > 6 ? a + 6 : u"";
  const wch* tb = Str_Len(b) > 6 ? b + 6 : u"";
  return Str_CompareEx(ta, tb, STR_CMP_NOCASE | STR_CMP_SKIPBLANK);
}

// A bubble sort over the packed block: neighbours out of order are swapped by
// rotating the two texts in place, so items of any length keep every unit.
void Dfw_SortListItems(u8* listRec) {
  if (ListKeyed(listRec)) return;
  for (int swapped = 1; swapped;) {
    swapped = 0;
    wch* a = ListBlock(listRec);
    if (!a || !*a) return;
    for (;;) {
      const i32 la = Str_Len(a);
      wch* b = a + la + 1;
      if (!*b) break;
      const i32 lb = Str_Len(b);
      if (CompareTail(a, b) > 0) {
        // [a.. a0 b.. b0] -> [b.. b0 a.. a0]: three reversals.
        auto reverse = [](wch* lo, wch* hi) {
          for (--hi; lo < hi; ++lo, --hi) {
            wch t = *lo;
            *lo = *hi;
            *hi = t;
          }
        };
        wch* end = b + lb + 1;
        reverse(a, end);
        reverse(a, a + lb + 1);
        reverse(a + lb + 1, end);
        swapped = 1;
        a += lb + 1;  // a now is the moved item, behind b
      } else {
        a = b;
      }
    }
  }
}

wch Dfw_ItemInitial(const wch* item) {
  const wch* p = item;
  for (int markers = 0; markers < 2; ++markers) {
    const wch m = *p;
    const int skip = (m == 2 || m == 3) ? 3 : m == 5 ? 4 : m == 6 ? 5 : -1;
    if (skip < 0) break;
    ++p;
    for (int i = 0; i < skip && *p; ++i) ++p;
  }
  while (*p && *p <= 32) ++p;
  return Chr_Upper(*p);
}

i32 Dfw_FindItemByKey(const u8* listRec, i32 current, wch typed) {
  const wch c = Chr_Upper(typed);
  const i32 count = Dfw_ListItemCount(listRec);
  for (i32 i = current + 1; i < count; ++i)
    if (Dfw_ItemInitial(Dfw_ListItemText(listRec, i)) == c) return i;
  for (i32 i = 0; i <= current && i < count; ++i)
    if (Dfw_ItemInitial(Dfw_ListItemText(listRec, i)) == c) return i;
  return -1;
}

// ---------------------------------------------------------------- spin fields
i32 Dfw_KeyStep(int key, i32 kind) {
  i32 page = kind == DFW_SPIN_FIXED3 ? 1000 : kind == DFW_SPIN_WEEKDAY ? 2 : 10;
  switch (key) {
    case DFW_KEY_UP: return 1;
    case DFW_KEY_DOWN: return -1;
    case DFW_KEY_PAGE_UP: return page;
    case DFW_KEY_PAGE_DOWN: return -page;
  }
  return 0;
}

void Dfw_SetNameStepper(i32 kind, DfwNameStepper stepper) {
  if (kind >= 0 && kind < 12) g_steppers[kind] = stepper;
}

static int StepLine(wch* field, i32 step, i32 size) {
  if (size < LINE_NAME_SIZE) return 1;
  return Lin_StepName(field, step);
}

static DfwNameStepper Stepper(i32 kind) {
  if (kind == DFW_SPIN_LINE && !g_steppers[kind]) return StepLine;
  return (kind >= 0 && kind < 12) ? g_steppers[kind] : nullptr;
}

static i32 NamedCount(i32 kind) {
  switch (kind) {
    case DFW_SPIN_LINE: return i32(Lin_CountAndMax() & 0xFFFF);
    case DFW_SPIN_FIXED2: return 301;
    case DFW_SPIN_FIXED3: return 600001;
    case DFW_SPIN_WEEKDAY: return 7;
    case DFW_SPIN_NOTHING: return 10;
  }
  // Depots, timetable and Dwx points, signal installations and elements:
  // their owners count them; the bar's range only places its thumb.
  return 101;
}

void Dfw_SpinBarRange(const u8* editRec, i32* minimum, i32* maximum) {
  *minimum = 0;
  *maximum = 100;
  if (!(editRec[12] & DLG_EDIT_SPIN)) return;
  const i32 lo = i32(Dfw_Get32(editRec, 16)), hi = i32(Dfw_Get32(editRec, 20));
  if (lo != hi) {
    *minimum = lo;
    *maximum = hi;
    return;
  }
  switch (hi) {
    case DFW_SPIN_NOTHING: *minimum = 1; *maximum = 10; break;
    case DFW_SPIN_WEEKDAY: *minimum = 1; *maximum = 7; break;
    case DFW_SPIN_FIXED2: *maximum = 300; break;
    case DFW_SPIN_FIXED3: *maximum = 600000; break;
    case DFW_SPIN_RULE: break;
    default:
      if (hi == DFW_SPIN_LINE) *maximum = NamedCount(hi) - 1;
      break;
  }
}

// Reads a decimal integer after blanks; 0 and *ok 0 when there is none.
static i32 ReadInt(const wch* s, int* ok) {
  while (*s && *s <= 32) ++s;
  int neg = 0;
  if (*s == u'-' || *s == u'+') neg = *s++ == u'-';
  i64 v = 0;
  int digits = 0;
  for (; *s >= u'0' && *s <= u'9' && digits < 10; ++s, ++digits) v = v * 10 + (*s - u'0');
  while (*s && *s <= 32) ++s;
  *ok = digits > 0 && *s == 0;
  return i32(neg ? -v : v);
}

static i32 Wrap(i32 v, i32 lo, i32 hi) {
  if (v > hi) return lo;
  if (v < lo) return hi;
  return v;
}

// The weekday (1..7) whose name (text 17020 + n) the text holds, 0 when none.
static i32 WeekdayOfName(const wch* text) {
  for (i32 n = 1; n <= 7; ++n) {
    const wch* name = Lng_GetText(u16(17020 + n));
    if (name && *name && Str_CompareEx(text, name, STR_CMP_NOCASE | STR_CMP_SKIPBLANK) == 0) return n;
  }
  return 0;
}

// The new text of a token of the kind (a range kind 1..11, or lo < hi for a
// numeric range); width: the field width of numbers. 1 done, 0 nothing.
static int StepToken(i32 kind, i32 lo, i32 hi, i32 step, const wch* token, i32 width, wch* out, i32 outSize) {
  if (lo < hi) {
    int ok;
    i32 v = ReadInt(token, &ok);
    if (!ok) {
      v = lo;
    } else {
      const i64 w = i64(v) + step;
      v = w > hi ? lo : w < lo ? hi : i32(w);
    }
    if (width > 9) width = 9;
    if (width < 1) width = 1;
    Fmt_Print(out, outSize, u"%*i", width, v);
    return 1;
  }
  switch (kind) {
    case DFW_SPIN_FIXED2:
    case DFW_SPIN_FIXED3: {
      const int three = kind == DFW_SPIN_FIXED3;
      const i32 first = three ? 1 : 5, last = three ? 600000 : 300;
      i32 v = three ? Fmt_ParseFixed3(token) : Fmt_ParseFixed2(token);
      v = v < 0 ? first : Wrap(v + step, first, last);
      wch t[FMT_NUMBER_SIZE];
      if (three)
        Fmt_Fixed3(t, u32(v));
      else
        Fmt_Fixed2(t, u32(v));
      Fmt_Print(out, outSize, u"%s", t);
      return 1;
    }
    case DFW_SPIN_WEEKDAY: {
      i32 n = WeekdayOfName(token);
      n = n == 0 ? 1 : Wrap(n + step, 1, 7);
      Fmt_Print(out, outSize, u"%s", Lng_GetText(u16(17020 + n)));
      return 1;
    }
  }
  DfwNameStepper stepper = Stepper(kind);
  if (!stepper) return 0;
  wch field[64];
  Fmt_Print(field, 64, u"%s", token);
  if (stepper(field, step, 64) != 0) return 0;
  Fmt_Print(out, outSize, u"%s", field);
  return 1;
}

static int IsTokenStop(wch c) {
  return c == u',' || c == u'(' || c == u':' || c == u'&' || c == u'|' || c == u'!';
}

int Dfw_SpinText(const u8* editRec, wch* text, i32 textSize, i32* caret, int key) {
  if (editRec[0] != DLG_EDIT || !(editRec[12] & DLG_EDIT_SPIN) || (editRec[12] & DLG_EDIT_DISABLED)) return 0;
  if (key < DFW_KEY_UP || key > DFW_KEY_PAGE_DOWN) return 0;
  const i32 size = i32(Dfw_Get32(editRec, 8));
  i32 lo = i32(Dfw_Get32(editRec, 16)), hi = i32(Dfw_Get32(editRec, 20));
  i32 kind = lo == hi ? hi : 0;
  const i32 len = Str_Len(text);
  wch out[DFW_SPIN_TEXT_MAX + 1];

  if (size < 24) {
    // The whole text is the token.
    wch token[DFW_SPIN_TOKEN_MAX + 1];
    i32 n = 0;
    for (; n < DFW_SPIN_TOKEN_MAX && text[n]; ++n) token[n] = text[n];
    token[n] = 0;
    if (kind == DFW_SPIN_RULE) kind = DFW_SPIN_LINE;
    if (!StepToken(kind, lo, hi, Dfw_KeyStep(key, kind), token, size - 1, out, DFW_SPIN_TEXT_MAX + 1)) return 0;
    if (editRec[12] & DLG_EDIT_TRIM) Str_TrimLeft(out);
    if (Str_Len(out) >= textSize) return 0;
    Str_Copy(text, out);
    *caret = 0;
    return 1;
  }

  // Token mode: the field holds an expression; the token at the caret is stepped.
  const i32 at = *caret < 0 ? 0 : *caret > len ? len : *caret;
  if (at < len && (IsTokenStop(text[at]) || text[at] == u')')) return 0;
  i32 start = at;
  while (start > 0 && !IsTokenStop(text[start - 1])) --start;
  while (start < len && text[start] <= 32) ++start;
  if (kind == DFW_SPIN_RULE) {
    // An option's key letter and "=" lead its value.
    const wch* letters = Lng_GetText(DFW_TEXT_RULE_LETTERS);
    wch before = start > 0 ? text[start - 1] : 0;
    if (start + 1 < len && text[start + 1] == u'=') {
      before = Chr_Upper(text[start]);
      start += 2;
    }
    auto letter = [&](int i) { return Str_Len(letters) > i ? Chr_Upper(letters[i]) : wch(0xFFFF); };
    if (before == 0 || before == u'(' || before == letter(1)) {
      kind = DFW_SPIN_LINE;
    } else if (before == letter(0)) {
      lo = 0, hi = 23, kind = 0;
    } else if (before == u':') {
      lo = 0, hi = 59, kind = 0;
    } else if (before == u',') {
      i32 i = start;
      while (i < len && text[i] != u':' && text[i] != u'(' && text[i] != u')' && text[i] != u'!' && text[i] != u'&' &&
             text[i] != u'|')
        ++i;
      if (i < len && text[i] == u':')
        lo = 0, hi = 23, kind = 0;
      else
        kind = DFW_SPIN_LINE;
    } else if (before == letter(2)) {
      lo = 1, hi = 960, kind = 0;
    } else {
      return 0;  // letter 3 (kind 4) and any other character: nothing to step
    }
  }
  // A number is its digits ("8" of "8:05", "1" of "1-960"); a name its name
  // characters, a depot place reference also its colon.
  auto inToken = [&](wch c) {
    if (lo < hi) return c >= u'0' && c <= u'9';
    return Str_IsNameChar(c) || (kind == DFW_SPIN_PLACE && c == u':');
  };
  i32 tokenEnd = start;
  while (tokenEnd < len && inToken(text[tokenEnd])) ++tokenEnd;
  wch token[DFW_SPIN_TOKEN_MAX + 1];
  i32 n = 0;
  for (; n < DFW_SPIN_TOKEN_MAX && start + n < tokenEnd; ++n) token[n] = text[start + n];
  token[n] = 0;
  if (!StepToken(kind, lo, hi, Dfw_KeyStep(key, kind), token, size - 1, out, DFW_SPIN_TEXT_MAX + 1)) return 0;
  const wch* repl = out + Str_CountLeadingBlanks(out);
  const i32 rl = Str_Len(repl);
  const i32 newLen = len - (tokenEnd - start) + rl;
  if (newLen > size - 1 || newLen >= textSize) return 0;
  Mem_MoveWide(text + start + rl, text + tokenEnd, len - tokenEnd + 1);
  Mem_CopyWide(text + start, repl, rl);
  *caret = start;
  return 1;
}

// ---------------------------------------------------------------- reading back
u32 Dfw_ButtonReadBack(u32 flags, int exists, int checked) {
  if (!exists) return (flags & ~u32(DLG_BUTTON_CHECKED)) | DLG_BUTTON_DISABLED;
  return (flags & ~u32(DLG_BUTTON_CHECKED)) | (checked ? DLG_BUTTON_CHECKED : 0);
}

void Dfw_EditReadBack(u8* editRec, const wch* fieldText) {
  wch* buf = static_cast<wch*>(Dfw_GetPtr(editRec, 4));
  const i32 size = i32(Dfw_Get32(editRec, 8));
  if (!buf || size < 1) return;
  i32 i = 0;
  for (; fieldText && fieldText[i] && i < size - 1; ++i) buf[i] = fieldText[i];
  buf[i] = 0;
  if (editRec[12] & DLG_EDIT_TRIM) Str_TrimLeft(buf);
  if (editRec[12] & DLG_EDIT_ESCAPES) Str_UnescapeControls(buf);
}

void Dfw_EditInitialText(const u8* editRec, wch* text, i32 size) {
  const wch* buf = static_cast<const wch*>(Dfw_GetPtr(editRec, 4));
  const i32 bufSize = i32(Dfw_Get32(editRec, 8));
  if (size < 1) return;
  text[0] = 0;
  if (!buf || bufSize < 1) return;
  if (size > bufSize) size = bufSize;
  const wch* src = buf;
  if (editRec[12] & DLG_EDIT_TRIM) src += Str_CountLeadingBlanks(src);
  i32 i = 0;
  for (; src[i] && i < size - 1; ++i) text[i] = src[i];
  text[i] = 0;
  if (editRec[12] & DLG_EDIT_ESCAPES) Str_EscapeControls(text, size);
}

i32 Dfw_RemainingChars(const u8* editRec, i32 length) {
  const i32 n = i32(Dfw_Get32(editRec, 8)) - length - 1;
  return n < 0 ? 0 : n;
}
