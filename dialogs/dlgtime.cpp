#include "dialogs/dlgtime.h"

static wch g_timeSeparator = DLG_TIME_SEPARATOR_DEFAULT;

wch Dlg_GetTimeSeparator(void) { return g_timeSeparator; }

int Dlg_SetTimeSeparator(u32 code) {
  if (code != 0) {
    if (code > 0xFFFF || code <= 32 || (code >= u'0' && code <= u'9') || (code >= 0xD800 && code <= 0xDFFF))
      return 1;
  }
  g_timeSeparator = wch(code);
  return 0;
}
