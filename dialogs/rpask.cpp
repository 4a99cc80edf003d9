#include "dialogs/rpask.h"

#include "dialogs/dfw.h"
#include "operation/trn.h"
#include "render/map.h"
#include "shell/ewin.h"
#include "shell/vwin.h"

int RpAsk_BuildDesc(const RpQuestion* q, int following, u8* bytes, u32 size) {
  DlgBuild b;
  Dfw_BuildBegin(&b, bytes, size);
  Dfw_AddTitle(&b, RPASK_TXT_TITLE, 0, q->Default);
  Dfw_AddStatic(&b, 190, u16(q->Text));
  for (int answer = RP_ANSWER_REFUSE; answer <= RP_ANSWER_STOP_SIMULATION; ++answer) {
    int disabled = 0;
    if (answer == RP_ANSWER_TAKE) disabled = !q->TakeOffered;
    if (answer == RP_ANSWER_STOP_FOLLOWING) disabled = !following;
    if (answer == RP_ANSWER_FOLLOW) disabled = following;
    Dfw_AddCaption(&b, u16(answer), u16(RPASK_TXT_ANSWERS + answer - RP_ANSWER_REFUSE), disabled);
  }
  Dfw_AddButton(&b, DLG_HELP);
  return Dfw_BuildEnd(&b);
}

int RpAsk_Ask(const RpQuestion* q) {
  const i32 slot = g_followedViewSlot;
  if (slot >= 0 && slot < MAP_VIEWS && g_mapViews[slot].window && g_mapViews[slot].level != q->Level)
    Ewin_CentreOnCell(slot, q->X, q->Y, q->Level);
  u8 bytes[RPASK_DESC_SIZE];
  if (RpAsk_BuildDesc(q, Trn_GetFollowed() != nullptr, bytes, sizeof bytes)) return 0;
  const int code = RpAsk_Run(bytes);
  return code >= RP_ANSWER_REFUSE && code <= RP_ANSWER_STOP_SIMULATION ? code : 0;
}
