#include "model/zugtext.h"

#include "platform/lng.h"
#include "platform/str.h"

enum : TextId { TXT_TYPE_BASE = 19599, TXT_CATEGORY_BASE = 19614 };

wch Zug_CategoryLetter(u32 category) {
  if (category == 0) return u'*';
  if (category > ZUG_CATEGORY_MAX) return u'?';
  return Lng_GetText(TXT_CATEGORY_BASE + category)[0];
}

wch Zug_TypeLetter(u32 type) {
  if (type == 0) return u'*';
  if (type > ZUG_TYPE_MAX) return u'?';
  return Lng_GetText(TXT_TYPE_BASE + type)[0];
}

u32 Zug_CategoryFromLetter(wch c) {
  if (!c) return 0;
  for (u32 k = 1; k <= ZUG_CATEGORY_MAX; ++k)
    if (Chr_Upper(Lng_GetText(TXT_CATEGORY_BASE + k)[0]) == Chr_Upper(c)) return k;
  return 0;
}

u32 Zug_TypeFromLetter(wch c) {
  if (!c) return 0;
  for (u32 k = 1; k <= ZUG_TYPE_MAX; ++k)
    if (Lng_GetText(TXT_TYPE_BASE + k)[0] == c) return k;
  return 0;
}
