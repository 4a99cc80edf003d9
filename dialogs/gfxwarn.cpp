#include "dialogs/gfxwarn.h"

#include "dialogs/dfw.h"
#include "platform/lng.h"
#include "platform/msg.h"

int GfxWarn_BuildDesc(u32 number, const wch* caption, const wch* text, u8* bytes, u32 size) {
  DlgBuild b;
  Dfw_BuildBegin(&b, bytes, size);
  Dfw_AddTitleString(&b, caption, Msg_HelpTopic(number), -1);
  Dfw_AddStaticString(&b, 190, text);
  Dfw_AddButton(&b, DLG_OK);
  Dfw_AddCaption(&b, GFXWARN_ID_NO_MORE, GFXWARN_TXT_NO_MORE, 0);
  Dfw_AddButton(&b, DLG_HELP);
  return Dfw_BuildEnd(&b);
}

int GfxWarn_Show(u32 number, const wch* text) {
  wch caption[MSG_CAPTION_SIZE];
  Msg_Caption(caption, MSG_CAPTION_SIZE, Lng_GetText(MSG_TITLE_WARNING), number, 0);
  u8 bytes[GFXWARN_DESC_SIZE];
  if (GfxWarn_BuildDesc(number, caption, text, bytes, sizeof bytes)) return 0;
  return GfxWarn_Run(bytes) == GFXWARN_ID_NO_MORE;
}
