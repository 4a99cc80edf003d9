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

enum : TextId { TXT_POSITION_LETTERS = 19010 };

void Zug_StateLetters(u32 flags, wch letters[2], u32 colours[2]) {
  const wch* position = Lng_GetText(TXT_POSITION_LETTERS);
  // The text may be shorter than its four letters: a missing one is a blank.
  auto positionLetter = [position](int k) {
    for (int i = 0; i < k; ++i)
      if (!position[i]) return u' ';
    return position[k] ? position[k] : u' ';
  };
  const int flagged = (flags & 0x8000) ? 1 : 0;
  u32 posColour = 152, stateColour = 0;
  wch pos = u' ';
  if (flags & 0x1) pos = positionLetter(flagged), posColour = 59;
  else if (flags & 0x400) pos = positionLetter(2 + flagged);
  TextId state = 19017;
  switch (flags & ~u32(0x4C731)) {
    case 0: state = 19011, stateColour = 58; break;
    case 2: state = 19012, stateColour = 60; break;
    case 4: state = 19013, stateColour = 62; break;
    case 8: state = 19014, stateColour = 61; break;
    case 128: state = 19015, stateColour = 64; break;
    case 130:
      // Paused off the track: the position column tells it is off the track.
      state = 19015, stateColour = 64;
      pos = Lng_GetText(19012)[0], posColour = 60;
      break;
    case 2048: state = 19016, stateColour = 65; break;
    case 4096:
    case 8192:
    case 12288: state = 19018, stateColour = 63; break;
    case 0x20000: state = 19019, stateColour = 184; break;
  }
  letters[0] = pos;
  letters[1] = Lng_GetText(state)[0] ? Lng_GetText(state)[0] : u' ';
  if (colours) colours[0] = posColour, colours[1] = stateColour;
}
