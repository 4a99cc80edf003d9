#include "dialogs/depdlg.h"

#include "model/dep.h"
#include "model/depref.h"
#include "model/infp.h"
#include "model/line.h"
#include "operation/clock.h"
#include "operation/sig.h"
#include "operation/sigclip.h"
#include "operation/trnops.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "shell/ewin.h"
#include "shell/vwin.h"

enum : u32 {
  TXT_DEP_CAPTION = 17700, TXT_DEP_DEPOTS = 17701, TXT_DEP_PLACES = 17702, TXT_DEP_HEADS = 17710,
  TXT_DEP_OPEN_LIST = 17720, TXT_DEP_TITLE = 17730, TXT_DEP_MIXED = 17740, TXT_WEEKDAY_FIRST = 17001,
  TXT_ERROR = 8000, TXT_NUMBER = 8040
};
enum : u16 { HELP_LIST_CENTRE = 41045, HELP_LIST = 41046, HELP_REF_ERROR = 41047 };

static u32 s_chosenDepot, s_chosenPlace;

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

// ---------------------------------------------------------------- the list

void Dep_BuildListBlock(const wch* rows, i32 count, wch* block) {
  // A key is one unit: rows past the last key are not listed.
  if (count > 0xFFFF) count = 0xFFFF;
  wch* out = block;
  for (i32 r = 0; r < count; ++r) {
    const wch* row = rows + r * DEP_ROW_UNITS;
    *out++ = wch(r + 1);
    *out++ = row[0];
    *out++ = row[1];
    *out++ = row[2];
    *out++ = u' ';
    for (const wch* t = row + DEP_ROW_KEYS; *t; ++t) *out++ = *t;
    *out++ = 0;
  }
  *out = 0;
}

void Dep_SetListChoice(const wch* rows, i32 row) {
  s_chosenDepot = s_chosenPlace = 0;
  if (!rows || row < 0) return;
  s_chosenDepot = rows[row * DEP_ROW_UNITS + 1];
  s_chosenPlace = rows[row * DEP_ROW_UNITS + 2];
}

u32 Dep_ListChoice(u32* place) {
  if (place) *place = s_chosenPlace;
  return s_chosenDepot;
}

int Dep_BuildListDesc(DlgBuild* b, wch* block, wch* title, wch* caption, int centre) {
  Dfw_AddTitleString(b, title, centre ? HELP_LIST_CENTRE : HELP_LIST, DLG_ID_LIST);
  Dfw_AddStaticString(b, DEP_LIST_CAPTION, caption);
  Dfw_AddStatic(b, DEP_LIST_HEADS, TXT_DEP_HEADS);
  Dfw_AddList(b, DLG_ID_LIST, block, DLG_LIST_KEYED);
  Dfw_AddButton(b, DLG_OK);
  Dfw_AddButton(b, DLG_CANCEL);
  Dfw_AddButton(b, DLG_HELP);
  return Dfw_BuildEnd(b);
}

// The rows the open list shows (the window half reads the choice from them).
static wch* s_listRows;

u32 Dep_ShowList(int centre) {
  u32 places = 0;
  const u32 depots = Dep_Count(&places);
  s_chosenDepot = s_chosenPlace = 0;
  if (g_activeViewSlot < 0 || depots == 0 || s_listRows) return 0;
  const u32 rowUnits = (depots + places) * DEP_ROW_UNITS + 2;
  wch* rows = static_cast<wch*>(Heap_Alloc(rowUnits * sizeof(wch)));
  wch* block = static_cast<wch*>(Heap_Alloc((places * (DEP_ROW_UNITS + 1) + 1) * sizeof(wch)));
  if (!rows || !block) {
    Heap_Free(rows);
    Heap_Free(block);
    return 0;
  }
  const i32 count = Dep_FormatListRows(rows);
  Dep_BuildListBlock(rows, count, block);
  const u32 weekday = (g_simClock.weekday >= 1 && g_simClock.weekday <= 7) ? g_simClock.weekday : 1;
  wch title[80], caption[120];
  Fmt_Print(title, 80, u"%s (%s)", Lng_GetText(TXT_DEP_TITLE), Lng_GetText(TXT_WEEKDAY_FIRST + weekday - 1));
  Fmt_Print(caption, 120, u"%s (%s %u %s %u)", Lng_GetText(TXT_DEP_CAPTION), Lng_GetText(TXT_DEP_DEPOTS), depots,
            Lng_GetText(TXT_DEP_PLACES), places);
  u8 bytes[200];
  DlgBuild b;
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  int result = DLG_RESULT_CANCEL;
  if (Dep_BuildListDesc(&b, block, title, caption, centre) == 0) {
    s_listRows = rows;
    result = Dep_RunDialog(DEP_DLG_LIST, bytes);
    s_listRows = nullptr;
  }
  Heap_Free(block);
  Heap_Free(rows);
  // A double click chooses as OK does.
  if (result != DLG_RESULT_OK && result != DLG_ID_LIST) s_chosenDepot = s_chosenPlace = 0;
  if (!s_chosenDepot) return 0;
  DepotPlaceInfo p;
  if (centre && g_activeViewSlot >= 0 && Dep_GetPlace(s_chosenDepot, s_chosenPlace, &p) == 0)
    Ewin_CentreOnCell(g_activeViewSlot, p.X, p.Y, p.Level);
  return s_chosenDepot;
}

const wch* Dep_OpenListRows(void) { return s_listRows; }

int Dep_ErrorOfferList(u32 msgNo, const wch* text, wch* chosen) {
  wch title[64];
  Fmt_Print(title, 64, u"%s %s%u", Lng_GetText(TXT_ERROR), Lng_GetText(TXT_NUMBER), msgNo);
  u8 bytes[120];
  DlgBuild b;
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  Dfw_AddTitleString(&b, title, HELP_REF_ERROR, -1);
  Dfw_AddStaticString(&b, 190, text);
  Dfw_AddCaption(&b, DEP_BTN_OPEN_LIST, TXT_DEP_OPEN_LIST, 0);
  Dfw_AddButton(&b, DLG_OK);
  Dfw_AddButton(&b, DLG_HELP);
  if (Dfw_BuildEnd(&b) != 0) return 0;
  if (Dep_RunDialog(DEP_DLG_REF_ERROR, bytes) != DEP_BTN_OPEN_LIST) return 0;
  const u32 depot = Dep_ShowList(0);
  if (!depot) return 0;
  return Dep_FormatName(depot, -i32(s_chosenPlace), chosen, nullptr) == 0;
}

// ---------------------------------------------------------------- the place dialog

enum : u32 {
  TXT_INFO_EDIT = 2200, TXT_INFO_NEW = 2201, TXT_NUMBER_TAKEN = 18008, TXT_DEPOT_LIMIT = 18019,
  TXT_DEL_AT_CELL = 18022, TXT_DEL_HOME = 18023, TXT_DEL_TIMETABLE = 18024, TXT_STORE_FAILED = 18026,
  TXT_DEL_RUNNING = 18043, TXT_WAIT_RANGE = 18091, TXT_PLACE_TITLE = 18259, TXT_PLACE_WORD = 18260,
  TXT_NEW_PLACE = 18261, TXT_LABEL_FIRST = 18230, TXT_BAD_SIGNAL_TEXT = 18027, TXT_JOIN_ASK = 18280, TXT_JOIN_ASK2 = 18281,
  TXT_NO_MEMORY = 8005
};
enum : u16 { HELP_PLACE = 41005 };
// Controls of template 63.
enum {
  PLACE_ID_REF = 140, PLACE_ID_SHORT = 141, PLACE_ID_WAIT = 142, PLACE_ID_COND = 143, PLACE_ID_LIST_A = 144,
  PLACE_ID_LIST_B = 145, PLACE_ID_USES = 210, PLACE_ID_EXIT = 400, PLACE_ID_SIDE = 402, PLACE_ID_FLAG = 405,
  PLACE_ID_OPTION = 470
};
enum : u32 { PLACE_OPT_CONDITION = 1, PLACE_OPT_SIDE_A = 0x4000, PLACE_OPT_SIDE_B = 0x2000, PLACE_OPT_FLAG = 0x8000 };
// Option bits 2, 4 and 8 are shown as check boxes that are checked when clear.
static const u32 kClearOptions[3] = {2, 4, 8};

// The two exit bits of an element orientation (the low two bits of its code).
static void Dep_ExitPair(u32 code, u32* first, u32* second) {
  static const u8 kPairs[4][2] = {{8, 4}, {2, 1}, {16, 32}, {64, 128}};
  *first = kPairs[code & 3][0];
  *second = kPairs[code & 3][1];
}

static void Dep_Copy(wch* dst, const wch* src, i32 size) {
  i32 n = 0;
  while (n < size - 1 && src && src[n]) dst[n] = src[n], ++n;
  dst[n] = 0;
}

int Dep_FillPlaceForm(DepPlaceForm* f, i32 x, i32 y, i32 level, u32 code) {
  *f = DepPlaceForm{};
  f->x = x, f->y = y, f->level = level, f->code = code, f->focus = -1;
  f->depot = Dep_FindAtPosition(x, y, level, &f->place);
  const DepotRec* d = f->depot ? Dep_Find(f->depot, 0, nullptr) : nullptr;
  DepotPlaceInfo p;
  if (!d || Dep_GetPlace(f->depot, f->place, &p)) {
    f->depot = f->place = 0;
    Fmt_Print(f->title, 80, u"%s", Lng_GetText(TXT_NEW_PLACE));
    Fmt_Print(f->ref, 24, u":1");
    return 0;
  }
  Dep_FormatName(f->depot, i32(f->place), f->ref, nullptr);
  Dep_Copy(f->shortName, d->Short, 8);
  Fmt_Print(f->title, 80, u"%s %s (%s) %s %u", Lng_GetText(TXT_PLACE_TITLE), d->Name, d->Short,
            Lng_GetText(TXT_PLACE_WORD), f->place);
  if (p.WaitMs) Fmt_Print(f->wait, 8, u"%u", p.WaitMs / 1000);
  Sig_FormatCondition(f->cond, DEP_FORM_COND, p.Cond, i32(p.CondCount));
  Sig_FormatList(f->listA, DEP_FORM_LIST, p.ListA, i32(p.ListACount));
  Sig_FormatList(f->listB, DEP_FORM_LIST, p.ListB, i32(p.ListBCount));
  f->directions = p.Directions;
  f->options = p.Options;
  // Trains of the place and of the whole depot: today, and today / the week.
  const u32 today = (g_simClock.weekday >= 1 && g_simClock.weekday <= 7) ? 1u << (g_simClock.weekday - 1) : 1u;
  for (int whole = 0; whole < 2; ++whole) {
    const u32 place = whole ? 0 : f->place;
    const u32 homes = TrnList_CountUses(f->depot, place, p.X, p.Y, p.Level, today, nullptr, nullptr, nullptr, nullptr);
    u32 a = 0, b = 0, weekA = 0, weekB = 0;
    TrnList_CountUses(f->depot, place, p.X, p.Y, p.Level, today, &a, &b, nullptr, nullptr);
    TrnList_CountUses(f->depot, place, p.X, p.Y, p.Level, 0x7F, &weekA, &weekB, nullptr, nullptr);
    Fmt_Print(f->uses[whole * 2], 24, u"%5u", homes);
    Fmt_Print(f->uses[whole * 2 + 1], 24, u"%5u/%u", a + b, weekA + weekB);
  }
  return 1;
}

int Dep_BuildPlaceDesc(DlgBuild* b, DepPlaceForm* f) {
  Dfw_AddTitleString(b, f->title, HELP_PLACE, f->focus);
  for (u16 i = 0; i < 12; ++i) Dfw_AddStatic(b, u16(190 + i), u16(TXT_LABEL_FIRST + i));
  for (u16 i = 0; i < 4; ++i) Dfw_AddStaticString(b, u16(PLACE_ID_USES + i), f->uses[i]);
  Dfw_AddEdit(b, PLACE_ID_REF, f->ref, 24, DLG_EDIT_SPIN | DLG_EDIT_TRIM, DFW_SPIN_PLACE, DFW_SPIN_PLACE);
  Dfw_AddEdit(b, PLACE_ID_SHORT, f->shortName, DEP_SHORT_MAX + 1, DLG_EDIT_TRIM, 0, 0);
  Dfw_AddEdit(b, PLACE_ID_WAIT, f->wait, 8, DLG_EDIT_TRIM, 0, 600);
  Dfw_AddEdit(b, PLACE_ID_COND, f->cond, DEP_FORM_COND, 0, 0, 0);
  Dfw_AddEdit(b, PLACE_ID_LIST_A, f->listA, DEP_FORM_LIST, 0, 0, 0);
  Dfw_AddEdit(b, PLACE_ID_LIST_B, f->listB, DEP_FORM_LIST, 0, 0, 0);
  u32 first, second;
  Dep_ExitPair(f->code, &first, &second);
  const u8 on = DLG_BUTTON_CHECKED;
  Dfw_AddRadio(b, PLACE_ID_EXIT, u16(TXT_LABEL_FIRST + 12), (f->directions & first) ? on : 0);
  Dfw_AddRadio(b, PLACE_ID_EXIT + 1, u16(TXT_LABEL_FIRST + 13),
               !(f->directions & first) && (f->directions & second) ? on : 0);
  const u32 side = f->options & (PLACE_OPT_SIDE_A | PLACE_OPT_SIDE_B);
  Dfw_AddRadio(b, PLACE_ID_SIDE, u16(TXT_LABEL_FIRST + 14), side == 0 ? on : 0);
  Dfw_AddRadio(b, PLACE_ID_SIDE + 1, u16(TXT_LABEL_FIRST + 15), (side & PLACE_OPT_SIDE_A) ? on : 0);
  Dfw_AddRadio(b, PLACE_ID_SIDE + 2, u16(TXT_LABEL_FIRST + 16), side == PLACE_OPT_SIDE_B ? on : 0);
  Dfw_AddRadio(b, PLACE_ID_FLAG, u16(TXT_LABEL_FIRST + 17), (f->options & PLACE_OPT_FLAG) ? 0 : on);
  Dfw_AddRadio(b, PLACE_ID_FLAG + 1, u16(TXT_LABEL_FIRST + 18), (f->options & PLACE_OPT_FLAG) ? on : 0);
  Dfw_AddCheck(b, PLACE_ID_OPTION, u16(TXT_LABEL_FIRST + 19), (f->options & PLACE_OPT_CONDITION) ? on : 0);
  for (u16 i = 0; i < 3; ++i)
    Dfw_AddCheck(b, u16(PLACE_ID_OPTION + 1 + i), u16(TXT_LABEL_FIRST + 20 + i),
                 (f->options & kClearOptions[i]) ? 0 : on);
  // The info text and train table dialogs are not in this build: their
  // buttons show, greyed.
  Dfw_AddCaption(b, DEP_BTN_INFO, u16(Info_GetLength(f->x, f->y, f->level) ? TXT_INFO_EDIT : TXT_INFO_NEW), 1);
  Dfw_AddCaption(b, DEP_BTN_PLACE_TRAINS, u16(TXT_LABEL_FIRST + 23), 1);
  Dfw_AddCaption(b, DEP_BTN_DEPOT_TRAINS, u16(TXT_LABEL_FIRST + 24), 1);
  Dfw_AddButton(b, DLG_OK);
  Dfw_AddButton(b, DLG_CANCEL);
  Dfw_AddButton(b, DLG_HELP);
  return Dfw_BuildEnd(b);
}

void Dep_ReadPlaceDesc(const DlgDesc* desc, DepPlaceForm* f) {
  u32 first, second;
  Dep_ExitPair(f->code, &first, &second);
  // Only the pair of the cell's orientation is the user's; the other
  // orientations' bits stay as they were.
  f->directions &= ~(first | second);
  if (Dfw_IsChecked(desc, PLACE_ID_EXIT)) f->directions |= first;
  else if (Dfw_IsChecked(desc, PLACE_ID_EXIT + 1)) f->directions |= second;
  u32 o = f->options & ~(PLACE_OPT_CONDITION | PLACE_OPT_SIDE_A | PLACE_OPT_SIDE_B | PLACE_OPT_FLAG | 2 | 4 | 8);
  if (Dfw_IsChecked(desc, PLACE_ID_SIDE + 1)) o |= PLACE_OPT_SIDE_A;
  else if (Dfw_IsChecked(desc, PLACE_ID_SIDE + 2)) o |= PLACE_OPT_SIDE_B;
  if (Dfw_IsChecked(desc, PLACE_ID_FLAG + 1)) o |= PLACE_OPT_FLAG;
  if (Dfw_IsChecked(desc, PLACE_ID_OPTION)) o |= PLACE_OPT_CONDITION;
  for (int i = 0; i < 3; ++i)
    if (!Dfw_IsChecked(desc, PLACE_ID_OPTION + 1 + i)) o |= kClearOptions[i];
  f->options = o;
}

// The name part of a reference (to ":" or the end, leading blanks gone) and
// its number (0 when none).
static u32 Dep_SplitRef(const wch* ref, wch* name) {
  while (*ref == u' ') ++ref;
  i32 n = 0;
  while (ref[n] && ref[n] != u':' && n < DEP_NAME_MAX + 4) name[n] = ref[n], ++n;
  while (n > 0 && name[n - 1] == u' ') --n;
  name[n] = 0;
  const wch* s = ref;
  while (*s && *s != u':') ++s;
  u32 number = 0;
  if (*s == u':')
    for (++s; *s == u' ';) ++s;
  for (; *s >= u'0' && *s <= u'9' && number < 1000; ++s) number = number * 10 + u32(*s - u'0');
  return number;
}

static int Dep_Again(DepPlaceForm* f, i32 focus) {
  f->focus = focus;
  return DEP_FORM_AGAIN;
}

int Dep_ApplyPlaceForm(DepPlaceForm* f) {
  // The waiting time in whole seconds; empty or not a number: none.
  i32 seconds = 0;
  {
    const wch* s = f->wait;
    while (*s == u' ') ++s;
    const int negative = *s == u'-';
    if (negative) ++s;
    i32 v = 0;
    int digits = 0;
    for (; *s >= u'0' && *s <= u'9' && v <= 100000; ++s, ++digits) v = v * 10 + (*s - u'0');
    if (digits) seconds = negative ? -v : v;
  }
  if (seconds < 0 || seconds > 600) {
    Msg_ErrorId(311, TXT_WAIT_RANGE);
    return Dep_Again(f, PLACE_ID_WAIT);
  }
  u32 cond[SIG_TOKENS_MAX];
  i32 listA[SIG_LIST_MAX], listB[SIG_LIST_MAX];
  const i32 condCount = f->cond[0] ? Sig_ParseCondition(f->cond, cond) : 0;
  const i32 countA = f->listA[0] ? Sig_ParseList(f->listA, listA) : 0;
  const i32 countB = f->listB[0] ? Sig_ParseList(f->listB, listB) : 0;
  if (condCount < 0 || countA < 0 || countB < 0) {
    Msg_ErrorId(323, TXT_BAD_SIGNAL_TEXT);
    return Dep_Again(f, condCount < 0 ? PLACE_ID_COND : countA < 0 ? PLACE_ID_LIST_A : PLACE_ID_LIST_B);
  }
  const u32 waitMs = u32(seconds) * 1000;
  wch name[DEP_NAME_MAX + 8];

  if (f->depot) {
    if (Dep_ResolvePlaceRef(f->ref, DEP_REF_OFFER_LIST | DEP_REF_ACCEPT_UNKNOWN, 327, nullptr, nullptr, 327) < 0)
      return Dep_Again(f, PLACE_ID_REF);
    u32 number = Dep_SplitRef(f->ref, name);
    if (number == 0) number = 1;
    const int r = Dep_StorePlace(f->depot, name, f->shortName, f->options, waitMs, listB, u32(countB), listA,
                                 u32(countA), cond, u32(condCount), f->directions, number, f->place);
    if (r == 0) return DEP_FORM_STORED;
    if (r == 4) {
      // An empty name deletes the place.
      static const u32 kRefusals[4][2] = {{324, TXT_DEL_AT_CELL}, {325, TXT_DEL_HOME}, {326, TXT_DEL_TIMETABLE},
                                          {335, TXT_DEL_RUNNING}};
      const int d = Dep_DeletePlace(f->depot, f->place);
      if (d == 0) return DEP_FORM_STORED;
      if (d >= 2 && d <= 5) Msg_ErrorId(kRefusals[d - 2][0], kRefusals[d - 2][1]);
      else Msg_ErrorId(323, TXT_STORE_FAILED);
      return Dep_Again(f, PLACE_ID_REF);
    }
    if (r == 9) {
      Msg_ErrorId(303, TXT_NUMBER_TAKEN);
      return Dep_Again(f, PLACE_ID_REF);
    }
    Msg_ErrorId(323, TXT_STORE_FAILED);
    return Dep_Again(f, r == 10 || r == 5 || r == 6 ? PLACE_ID_SHORT : PLACE_ID_REF);
  }

  i32 place = 0;
  const i32 depot = Dep_ResolvePlaceRef(f->ref, DEP_REF_EMPTY_IS_ERROR | DEP_REF_OFFER_LIST | DEP_REF_ACCEPT_UNKNOWN,
                                        314, nullptr, &place, 313);
  if (depot < 0) return Dep_Again(f, PLACE_ID_REF);
  u32 number = Dep_SplitRef(f->ref, name);
  if (number == 0) number = 1;
  if (Dep_FindByName(name, 0) > 0) {
    wch ask[120];
    Fmt_Print(ask, 120, u"%s \"%s\" %s", Lng_GetText(TXT_JOIN_ASK), name, Lng_GetText(TXT_JOIN_ASK2));
    if (Msg_Ask(316, ask, 0) != DLG_RESULT_YES) return DEP_FORM_ABANDONED;
  }
  const int r = Dep_SetPlaceAt(f->x, f->y, f->level, number, name);
  if (r == DEP_SET_NEW) {
    const i32 d = Dep_FindByName(name, number);
    const int s = d > 0 ? Dep_StorePlace(u32(d), name, f->shortName, f->options, waitMs, listB, u32(countB), listA,
                                         u32(countA), cond, u32(condCount), f->directions, number, number)
                        : 2;
    if (s == 0) return DEP_FORM_STORED;
    Msg_ErrorId(305, TXT_STORE_FAILED);
    return Dep_Again(f, s == 10 || s == 5 || s == 6 ? PLACE_ID_SHORT : PLACE_ID_REF);
  }
  if (r == DEP_SET_MOVED) {
    const i32 d = Dep_FindByName(name, number);
    if (d > 0) Dep_SetDirections(u32(d), number, f->directions);
    return DEP_FORM_STORED;
  }
  if (r == DEP_SET_LIMIT) Msg_ErrorId(315, TXT_DEPOT_LIMIT);
  else if (r == DEP_SET_NO_MEMORY) Msg_ErrorId(322, TXT_NO_MEMORY);
  else Msg_ErrorId(323, TXT_STORE_FAILED);
  return Dep_Again(f, PLACE_ID_REF);
}

int Dep_PlaceDialog(i32 x, i32 y, i32 level, u32 code) {
  if (g_activeViewSlot < 0) return 0;
  DepPlaceForm* f = static_cast<DepPlaceForm*>(Heap_Alloc(sizeof(DepPlaceForm)));
  if (!f) return 0;
  Dep_FillPlaceForm(f, x, y, level, code);
  int stored = 0;
  for (;;) {
    u8 bytes[900];
    DlgBuild b;
    Dfw_BuildBegin(&b, bytes, sizeof bytes);
    if (Dep_BuildPlaceDesc(&b, f) != 0) break;
    if (Dep_RunDialog(DEP_DLG_PLACE, bytes) != DLG_RESULT_OK) break;
    Dep_ReadPlaceDesc(bytes, f);
    const int r = Dep_ApplyPlaceForm(f);
    if (r == DEP_FORM_STORED) stored = 1;
    if (r != DEP_FORM_AGAIN) break;
  }
  Heap_Free(f);
  return stored;
}
