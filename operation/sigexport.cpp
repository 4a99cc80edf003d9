// The signal chapters of the layout's text listing.
#include "model/dep.h"
#include "model/infp.h"
#include "model/rule.h"
#include "model/sched.h"
#include "operation/sigclip.h"
#include "operation/sigfile.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/print.h"
#include "platform/str.h"

enum {
  SIGX_INSTALLATIONS = 14000,
  SIGX_ELEMENTS = 14001,
  SIGX_NAME = 14020,
  SIGX_MAXIMUM = 14021,  // then limit and count
  SIGX_USERS = 14024,
  SIGX_COUNTING_USERS = 14025,
  SIGX_STATE_OTHER = 14030,
  SIGX_STATE_OCCUPIED = 14032,
  SIGX_STATE_FREE = 14033,
  SIGX_PLACES = 14050,
  SIGX_SCHEDULE = 14060,
  SIGX_SCHEDULE_FULL = 14061,
  SIGX_SCHEDULE_EMPTY = 14062,
  SIGX_SPAN = 14063,
  SIGX_SECONDS = 14064,
  SIGX_SPAN_OPEN = 14065,
  SIGX_NO_SCHEDULE = 14066,
  SIGX_TEXT = 14069,
  SIGX_RULES = 14070,     // 14071 reversed; 14072, 14073 without a list
  SIGX_PAIRS = 14074,     // 14075 reversed; 14076, 14077 without a list
  SIGX_ELEMENT = 14080,
  SIGX_CELL = 14081,
  SIGX_LIST1 = 14082,     // 14083 empty
  SIGX_LIST2 = 14084,     // 14085 empty
  SIGX_LINKED = 14086,
  SIGX_TYPE = 14090,      // + 1..4 the signal types, 14095 counting, 14096 no shape
  SIGX_FIXED = 14097,
};

enum { SIGX_LIST_TEXT = 840, SIGX_PAIR_TEXT = 8002 };

#define SIGX_W(call)       \
  do {                     \
    const int r_ = (call); \
    if (r_) return r_;     \
  } while (0)

// The chapter's head: its title with the count, a line end and a separator.
static int SigX_Head(u32 text, u32 count) {
  SIGX_W(Fio_WriteFormat(u"%s %u", Lng_GetText(text), count));
  SIGX_W(Fio_WriteCrLf());
  return Fio_WriteSeparator();
}

// The schedule with its kind and span, then the week's entries.
static int SigX_Schedule(const SignalInstallation* a) {
  const SignalSchedule* s = a->Schedule;
  if (!(a->Flags & 1) || !s) {
    SIGX_W(Fio_WriteString(Lng_GetText(SIGX_NO_SCHEDULE)));
    return Fio_WriteCrLf();
  }
  SIGX_W(Fio_WriteFormat(u"%s %s\r\n", Lng_GetText(SIGX_SCHEDULE),
                         Lng_GetText((s->Kind & 1) ? SIGX_SCHEDULE_FULL : SIGX_SCHEDULE_EMPTY)));
  if (s->Duration)
    SIGX_W(Fio_WriteFormat(u"%s %u %s\r\n", Lng_GetText(SIGX_SPAN), s->Duration, Lng_GetText(SIGX_SECONDS)));
  else SIGX_W(Fio_WriteFormat(u"%s\r\n", Lng_GetText(SIGX_SPAN_OPEN)));
  // The report reads up to a whole week's bytes: give it a zeroed copy, so
  // a short schedule ends where its bytes end.
  u8 bytes[TIM_SCHEDULE_MAX + 2] = {};
  const u32 n = s->ByteCount < u32(TIM_SCHEDULE_MAX) ? s->ByteCount : u32(TIM_SCHEDULE_MAX);
  for (u32 i = 0; i < n; ++i) bytes[i] = s->Bytes[i];
  return Rule_PrintSchedule(bytes);
}

// The depot places that refer to the installation, each with its cell.
static int SigX_Places(u32 id) {
  int any = 0;
  u32 depot = 0;
  for (u32 place = Dep_NextPlace(&depot); place; place = Dep_NextPlace(&depot)) {
    u32 index = 0;
    const DepotRec* d = Dep_Find(depot, place, &index);
    if (!d || !Dep_PlaceRefersTo(&d->Places[index], id)) continue;
    if (!any) SIGX_W(Fio_WriteString(Lng_GetText(SIGX_PLACES)));
    any = 1;
    const DepotPlace& p = d->Places[index];
    wch name[RULE_DEPOT_NAME_SIZE];
    if (Dep_FormatName(depot, i32(place), name, nullptr) != 0) name[0] = 0;
    SIGX_W(Fio_WriteFormat(u"\r\n %5i,%5i,%+i   %s", p.X, p.Y, p.Level, name));
  }
  return any ? Fio_WriteCrLf() : 0;
}

static int SigX_Installation(const SignalInstallation* a) {
  SIGX_W(Fio_WriteFormat(u"%s %s\r\n", Lng_GetText(SIGX_NAME), a->Name));
  const i32 values[3] = {a->Maximum, a->Limit, a->Count};
  for (u32 i = 0; i < 3; ++i)
    SIGX_W(Fio_WriteFormat(u"%s %3u\r\n", Lng_GetText(SIGX_MAXIMUM + i), u32(values[i])));
  const u32 state = a->State == SIG_OCCUPIED ? SIGX_STATE_OCCUPIED : a->State == SIG_FREE ? SIGX_STATE_FREE
                                                                                             : SIGX_STATE_OTHER;
  SIGX_W(Fio_WriteFormat(u"%s\r\n", Lng_GetText(state)));
  u32 counting = 0;
  const u32 users = Sig_CountInstallationUsers(a->Id, &counting);
  SIGX_W(Fio_WriteFormat(u"%s %u\r\n%s %u\r\n", Lng_GetText(SIGX_USERS), users, Lng_GetText(SIGX_COUNTING_USERS),
                         counting));
  SIGX_W(SigX_Schedule(a));
  if (a->TextLength > 0 && a->Text) {
    SIGX_W(Fio_WriteFormat(u"%s ", Lng_GetText(SIGX_TEXT)));
    SIGX_W(Fio_WriteString(a->Text));
    SIGX_W(Fio_WriteCrLf());
  }
  SIGX_W(SigX_Places(a->Id));
  return Fio_WriteCrLf();
}

int Sig_ExportInstallations(u16) {
  SIGX_W(SigX_Head(SIGX_INSTALLATIONS, Sig_GetInstallationCount()));
  for (const SignalInstallation* a = Sig_FirstInstallation(); a; a = a->Next) SIGX_W(SigX_Installation(a));
  return 0;
}

// One of the element's lists: the text with the count and the names, or
// the empty text.
static int SigX_List(u32 text, const i32* ids, i32 count) {
  if (count <= 0) return Fio_WriteFormat(u"%s\r\n", Lng_GetText(text + 1));
  wch names[SIGX_LIST_TEXT];
  Sig_FormatList(names, SIGX_LIST_TEXT, ids, count);
  return Fio_WriteFormat(u"%s %u %s\r\n", Lng_GetText(text), u32(count), names);
}

// The rule or depot-place list: which text follows the reversed flag and
// whether a list exists.
static int SigX_Serves(const SignalElement* e) {
  const int rulesReversed = (e->Flags & SIG_F_RULES_INVERTED) != 0;
  if (e->Rules && e->RuleCount > 0) {
    wch* text = nullptr;
    if (Rule_FormatAll(e->Rules, 0, e->RuleCount, &text) != 0) return 4;
    int r = Fio_WriteFormat(u"%s ", Lng_GetText(SIGX_RULES + u32(rulesReversed)));
    if (!r) r = Fio_WriteString(text);
    if (!r) r = Fio_WriteCrLf();
    Heap_Free(text);
    SIGX_W(r);
  } else {
    SIGX_W(Fio_WriteFormat(u"%s\r\n", Lng_GetText(SIGX_RULES + 2 + u32(rulesReversed))));
  }
  const int placesReversed = (e->Flags & SIG_F_PLACES_INVERTED) != 0;
  if (e->Pairs && e->PairCount > 0) {
    wch* text = static_cast<wch*>(Heap_Alloc(SIGX_PAIR_TEXT * sizeof(wch)));
    if (!text) return 4;
    Rule_FormatPairList(text, SIGX_PAIR_TEXT, e->Pairs, 1, e->PairCount);
    int r = Fio_WriteFormat(u"%s ", Lng_GetText(SIGX_PAIRS + u32(placesReversed)));
    if (!r) r = Fio_WriteString(text);
    if (!r) r = Fio_WriteCrLf();
    Heap_Free(text);
    return r;
  }
  return Fio_WriteFormat(u"%s\r\n", Lng_GetText(SIGX_PAIRS + 2 + u32(placesReversed)));
}

// The text of an info point on the element's cell, when there is one.
static int SigX_InfoText(const SignalElement* e) {
  const u32 n = Info_GetLength(e->X, e->Y, e->Level);
  if (n == 0) return 0;
  wch* text = static_cast<wch*>(Heap_Alloc(n * sizeof(wch)));
  if (!text) return 4;
  int r = 0;
  if (Info_GetTextCopy(e->X, e->Y, e->Level, text) == 0) {
    text[n - 1] = 0;
    r = Fio_WriteString(text);
    if (!r) r = Fio_WriteCrLf();
  }
  Heap_Free(text);
  return r;
}

static int SigX_Element(const SignalElement* e) {
  SIGX_W(Fio_WriteFormat(u"%s %s\r\n", Lng_GetText(SIGX_ELEMENT), e->Name));
  SIGX_W(Fio_WriteFormat(u"%s %5i,%5i,%+i\r\n", Lng_GetText(SIGX_CELL), e->X, e->Y, e->Level));
  const u32 type = e->Type >= 1 && e->Type <= 4 ? SIGX_TYPE + e->Type : e->Type == 10 ? SIGX_TYPE + 5 : SIGX_TYPE + 6;
  // Signals shown fixed whatever their state say so after their type.
  const int fixed = e->Type >= 1 && e->Type <= 3 && (e->Flags & SIG_F_FIXED);
  SIGX_W(Fio_WriteFormat(u"%s%s\r\n", Lng_GetText(type), fixed ? Lng_GetText(SIGX_FIXED) : u""));
  SIGX_W(SigX_List(SIGX_LIST1, e->List1, e->List1Count));
  SIGX_W(SigX_List(SIGX_LIST2, e->List2, e->List2Count));
  SIGX_W(SigX_Serves(e));
  if (e->Type == 2 || e->Type == 3)
    SIGX_W(Fio_WriteFormat(u"%s %s\r\n", Lng_GetText(SIGX_LINKED), e->Linked ? e->Linked->Name : u""));
  SIGX_W(SigX_InfoText(e));
  return Fio_WriteSeparator();
}

int Sig_ExportElements(u16) {
  SIGX_W(SigX_Head(SIGX_ELEMENTS, Sig_GetElementCount(nullptr)));
  for (const SignalElement* e = Sig_FirstElement(); e; e = e->Next) SIGX_W(SigX_Element(e));
  return 0;
}
