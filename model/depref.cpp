#include "model/depref.h"

#include "model/dep.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/print.h"
#include "platform/str.h"

static DepRefHooks g_depRefHooks;

// At most size - 1 units and the zero.
static void Dep_CopyText(wch* dst, const wch* src, i32 size) {
  i32 n = 0;
  while (n < size - 1 && src[n]) dst[n] = src[n], ++n;
  dst[n] = 0;
}

void Dep_SetRefHooks(const DepRefHooks* hooks) { g_depRefHooks = hooks ? *hooks : DepRefHooks{}; }

enum : u32 {
  TXT_PLACE_FLAG = 19000,
  TXT_PLACE_RANGE = 18007,
  TXT_RANGE_END = 18045,
  TXT_NAME_LONG = 18025,
  TXT_BAD_CHAR = 18020,
  TXT_EMPTY = 18018,
  TXT_NO_PLACE = 18021,
  TXT_LIST_LONG = 21077,
  TXT_LIST_TWICE = 21029
};

static int Dep_IsNameChar(wch c) {
  static const char kBad[] = "<>[]{}:;=?@\\^|~";
  if (c < 45) return 0;
  for (const char* b = kBad; *b; ++b)
    if (c == wch(*b)) return 0;
  return 1;
}

// Shows an error as the caller's flags ask; always -1.
static i32 Dep_RefError(wch* ref, int flags, u32 msgNo, const wch* text) {
  if (flags & DEP_REF_QUIET) return -1;
  if ((flags & DEP_REF_OFFER_LIST) && g_depRefHooks.errorOfferList) {
    wch chosen[DEP_REF_SIZE];
    chosen[0] = 0;
    if (g_depRefHooks.errorOfferList(msgNo, text, chosen) && chosen[0]) Dep_CopyText(ref, chosen, DEP_REF_SIZE);
    return -1;
  }
  Msg_ErrorText(msgNo, text);
  return -1;
}

static u32 Dep_ReadNumber(const wch** s, int* digits) {
  u32 v = 0;
  *digits = 0;
  while (**s >= u'0' && **s <= u'9') {
    if (v < 100000) v = v * 10 + u32(**s - u'0');
    ++*s, ++*digits;
  }
  return v;
}

i32 Dep_ResolvePlaceRef(wch* ref, int flags, u32 msgBadChar, i32* rangeEnd, i32* place, u32 msgEmpty) {
  if (place) *place = 0;
  if (rangeEnd) *rangeEnd = 0;
  const wch flag = Lng_GetText(TXT_PLACE_FLAG)[0];
  wch text[DEP_REF_MAX + 1];
  Dep_CopyText(text, ref, DEP_REF_MAX + 1);
  wch msg[160];
  const wch* s = text;
  while (*s == u' ') ++s;
  int flagged = 0;
  if (flag && *s == flag) flagged = 1, ++s;
  while (*s == u' ') ++s;
  wch name[DEP_REF_MAX + 1];
  i32 n = 0;
  while (*s && *s != u':' && !(flag && *s == flag)) name[n++] = *s++;
  while (n > 0 && name[n - 1] == u' ') --n;
  name[n] = 0;
  if (n == 0 && !*s) {
    if (!(flags & DEP_REF_EMPTY_IS_ERROR)) return 0;
    Fmt_Print(msg, 160, u"%s", Lng_GetText(TXT_EMPTY));
    return Dep_RefError(ref, flags, msgEmpty, msg);
  }
  for (i32 k = 0; k < n; ++k)
    if (!Dep_IsNameChar(name[k])) {
      Fmt_Print(msg, 160, u"%s \"%c\": \"%.17s...\"", Lng_GetText(TXT_BAD_CHAR), name[k], text);
      return Dep_RefError(ref, flags, msgBadChar, msg);
    }
  if (n > DEP_NAME_MAX) {
    Fmt_Print(msg, 160, u"%s: \"%.17s...\"", Lng_GetText(TXT_NAME_LONG), text);
    return Dep_RefError(ref, flags, 301, msg);
  }
  if (n == 0) {
    Fmt_Print(msg, 160, u"%s", Lng_GetText(TXT_EMPTY));
    return Dep_RefError(ref, flags, msgEmpty, msg);
  }
  u32 first = 0, last = 0;
  int hasNumber = 0;
  if (*s == u':') {
    ++s;
    while (*s == u' ') ++s;
    int digits = 0;
    first = Dep_ReadNumber(&s, &digits);
    hasNumber = digits > 0;
    if (!hasNumber || first < 1 || first > DEP_MAX_PLACES) {
      Fmt_Print(msg, 160, u"%s: \"%.23s%c%i...\"", Lng_GetText(TXT_PLACE_RANGE), name, u':', i32(first));
      return Dep_RefError(ref, flags, 302, msg);
    }
    if ((flags & DEP_REF_RANGE) && *s == u'-') {
      ++s;
      last = Dep_ReadNumber(&s, &digits);
      if (!digits || last <= first || last > DEP_MAX_PLACES) {
        Fmt_Print(msg, 160, u"%s: \"%.23s%c%i-%i...\"", Lng_GetText(TXT_RANGE_END), name, u':', i32(first),
                  i32(last));
        return Dep_RefError(ref, flags, 308, msg);
      }
    }
  }
  while (*s == u' ') ++s;
  if (flag && *s == flag) flagged = 1, ++s;
  while (*s == u' ') ++s;
  if (*s || (flagged && !(flags & DEP_REF_FLAG_LETTER))) {
    const wch bad = *s ? *s : flag;
    Fmt_Print(msg, 160, u"%s \"%c\": \"%.17s...\"", Lng_GetText(TXT_BAD_CHAR), bad, text);
    return Dep_RefError(ref, flags, msgBadChar, msg);
  }
  i32 depot = Dep_FindByName(name, 0);
  if (depot > 0 && hasNumber) {
    for (u32 p = first; p <= (last ? last : first); ++p)
      if (!Dep_Find(u32(depot), p, nullptr)) {
        depot = 0;
        break;
      }
  }
  if (depot <= 0) {
    if (flags & DEP_REF_ACCEPT_UNKNOWN) {
      if (place) *place = i32(first | (flagged ? 0x8000u : 0));
      if (rangeEnd) *rangeEnd = i32(last);
      return 0;
    }
    if (hasNumber) Fmt_Print(msg, 160, u"%s \"%.23s%c%u\"", Lng_GetText(TXT_NO_PLACE), name, u':', first);
    else Fmt_Print(msg, 160, u"%s \"%.16s\"", Lng_GetText(TXT_NO_PLACE), name);
    return Dep_RefError(ref, flags, 309, msg);
  }
  if (!hasNumber && !(flags & DEP_REF_WHOLE_DEPOT)) first = Dep_FirstPlaceNumber(u32(depot));
  if (place) *place = i32(first | (flagged ? 0x8000u : 0));
  if (rangeEnd) *rangeEnd = i32(last);
  return depot;
}

// ---------------------------------------------------------------- place lists

enum { DEP_LIST_ENTRY = 24, DEP_LIST_FLAGS = DEP_REF_OFFER_LIST | DEP_REF_WHOLE_DEPOT | DEP_REF_RANGE };

// 1 when the pair clashes with the list: given already, or of the same depot
// where either place is 0.
static int Dep_ListClash(const u32* list, i32 count, u32 depot, u32 place) {
  for (i32 i = 0; i + 1 < count; i += 2)
    if (list[i] == depot && (list[i + 1] == place || list[i + 1] == 0 || place == 0)) return 1;
  return 0;
}

// Replaces text[at, at + len) by what, while the text stays within its size.
static void Dep_ReplaceEntry(wch* text, i32 at, i32 len, const wch* what) {
  const i32 total = Str_Len(text), n = Str_Len(what);
  if (total - len + n > RULE_PLACE_LIST_TEXT) return;
  Mem_MoveWide(text + at + n, text + at + len, total - at - len + 1);
  Mem_CopyWide(text + at, what, n);
}

i32 Rule_ParsePlaceListCore(wch* text, u32* out, const u32* other, int quiet, i32 otherCount) {
  i32 count = 0;
  i32 pos = 0;
  const int flags = DEP_LIST_FLAGS | (quiet ? DEP_REF_QUIET : 0);
  for (;;) {
    while (text[pos] == u' ' || text[pos] == u',') ++pos;
    if (!text[pos]) break;
    const i32 at = pos;
    i32 len = 0;
    while (text[pos] > 32 && text[pos] != u',') ++pos, ++len;
    wch entry[DEP_LIST_ENTRY + 1];
    Dep_CopyText(entry, text + at, (len < DEP_LIST_ENTRY ? len : DEP_LIST_ENTRY) + 1);
    while (text[pos] && text[pos] != u',') ++pos;
    i32 place = 0, last = 0;
    const i32 depot = Dep_ResolvePlaceRef(entry, flags, 825, &last, &place, 825);
    if (depot <= 0) {
      if (quiet) continue;
      // The user picked the place meant from the list: it takes the entry's
      // place in the text.
      if (Str_CompareOs(entry, text + at, 0) != 0 && entry[0]) Dep_ReplaceEntry(text, at, len, entry);
      return -2;
    }
    const u32 from = u32(place) & 0x7FFF, to = last ? u32(last) : from;
    for (u32 p = from; p <= to; ++p) {
      if (count + 2 > RULE_PLACE_LIST_MAX) {
        if (quiet) return count;
        Msg_ErrorId(824, TXT_LIST_LONG);
        return -1;
      }
      if (!quiet && (Dep_ListClash(out, count, u32(depot), p) || (other && Dep_ListClash(other, otherCount, u32(depot), p)))) {
        wch msg[80];
        Fmt_Print(msg, 80, u"%s \"%.19s\"", Lng_GetText(TXT_LIST_TWICE), entry);
        Msg_ErrorText(Dep_ListClash(out, count, u32(depot), p) ? 832 : 773, msg);
        return -2;
      }
      out[count++] = u32(depot);
      out[count++] = p;
    }
  }
  return count;
}

i32 Rule_ParsePlaceList(wch* text, u32* out) { return Rule_ParsePlaceListCore(text, out, nullptr, 1, 0); }

i32 Rule_NormalisePlaceListInDialog(wch* text, u32* out, const u32* other, i32 otherCount) {
  return Rule_ParsePlaceListCore(text, out, other, 0, otherCount);
}
