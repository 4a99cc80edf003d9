#include "dialogs/dmsgdlg.h"

#include "operation/dmsg.h"
#include "platform/clip.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/print.h"
#include "platform/msg.h"
#include "shell/ewin.h"
#include "shell/vwin.h"

static const u32 kKinds1[] = {6, 11, 7, 4, 3, 5, 1, 2, 12, 8, 9};
static const u32 kKinds2[] = {10, 14, 15, 13, 26, 27, 17};
static const u32 kKinds3[] = {16, 18, 19, 20, 25, 21, 22, 23, 24, 28, 29};

static DmsgSoundOption s_sound;

void Dmsg_SetSoundOption(const DmsgSoundOption* option) { s_sound = option ? *option : DmsgSoundOption{}; }

u32 Dmsg_DialogKinds(u32 templateId, const u32** kinds) {
  switch (templateId) {
    case DMSG_DLG_KINDS1: *kinds = kKinds1; return sizeof kKinds1 / sizeof kKinds1[0];
    case DMSG_DLG_KINDS2: *kinds = kKinds2; return sizeof kKinds2 / sizeof kKinds2[0];
    case DMSG_DLG_KINDS3: *kinds = kKinds3; return sizeof kKinds3 / sizeof kKinds3[0];
  }
  *kinds = nullptr;
  return 0;
}

u32 Dmsg_BuildListBlock(wch* block, u32 units) {
  u32 at = 0;
  wch line[DMSG_LINE_WIDTH + 1];
  for (u32 i = 0; i < Dmsg_Count(); ++i) {
    if (at + 1 + DMSG_LINE_WIDTH + 1 + 1 > units) return 0;
    Dmsg_ListLine(i, line);
    block[at++] = wch(i + 1);
    for (u32 k = 0; k <= DMSG_LINE_WIDTH; ++k) block[at++] = line[k];
  }
  if (at + 1 > units) return 0;
  block[at++] = 0;
  return at;
}

u32 Dmsg_BuildListText(wch* text, u32 units) {
  u32 at = 0;
  wch line[DMSG_LINE_WIDTH + 1];
  for (u32 i = 0; i < Dmsg_Count(); ++i) {
    if (at + DMSG_LINE_WIDTH + 2 > units) return 0;
    Dmsg_ListLine(i, line);
    // The blanks that fill the line are not copied.
    i32 n = DMSG_LINE_WIDTH;
    while (n > 0 && line[n - 1] == u' ') --n;
    for (i32 k = 0; k < n; ++k) text[at++] = line[k];
    text[at++] = 0;
  }
  if (at + 1 > units) return 0;
  text[at++] = 0;
  return at;
}

// ---------------------------------------------------------------- option dialogs

int Dmsg_BuildOptionsDesc(DlgBuild* b) {
  const int o = Dmsg_GetOptions();
  Dfw_AddTitle(b, 4260, 45004, -1);
  Dfw_AddStatic(b, 190, 4261);
  const int which = (o & DMSG_OPT_STOP_ALL) ? 0 : (o & DMSG_OPT_STOP_KINDS) ? 1 : 2;
  for (int i = 0; i < 3; ++i) Dfw_AddRadio(b, u16(400 + i), u16(4264 + i), which == i ? DLG_BUTTON_CHECKED : 0);
  Dfw_AddCheck(b, 470, 4262, (o & DMSG_OPT_STOP_FULL) ? DLG_BUTTON_CHECKED : 0);
  Dfw_AddCheck(b, 471, 4263,
               u8((s_sound.get && s_sound.get() ? DLG_BUTTON_CHECKED : 0) | (s_sound.set ? 0 : DLG_BUTTON_DISABLED)));
  Dfw_AddButton(b, DLG_OK);
  Dfw_AddButton(b, DLG_CANCEL);
  Dfw_AddButton(b, DLG_HELP);
  return Dfw_BuildEnd(b);
}

void Dmsg_ReadOptionsDesc(const DlgDesc* desc) {
  int o = 0;
  if (Dfw_IsChecked(desc, 400)) o |= DMSG_OPT_STOP_ALL;
  else if (Dfw_IsChecked(desc, 401)) o |= DMSG_OPT_STOP_KINDS;
  if (Dfw_IsChecked(desc, 470)) o |= DMSG_OPT_STOP_FULL;
  Dmsg_SetOptions(o);
  if (s_sound.set) s_sound.set(Dfw_IsChecked(desc, 471));
}

int Dmsg_BuildKindsDesc(DlgBuild* b, u32 templateId) {
  const u32* kinds;
  const u32 n = Dmsg_DialogKinds(templateId, &kinds);
  const u16 title = templateId == DMSG_DLG_KINDS1 ? 4220 : templateId == DMSG_DLG_KINDS2 ? 4241 : 4240;
  const u16 help = templateId == DMSG_DLG_KINDS1 ? 45002 : templateId == DMSG_DLG_KINDS2 ? 45005 : 45003;
  Dfw_AddTitle(b, title, help, -1);
  for (u32 i = 0; i < n; ++i) {
    Dfw_AddStatic(b, u16(190 + i), u16(4500 + kinds[i]));
    const int setting = Dmsg_KindEnabled(kinds[i]);
    for (int s = 0; s < 3; ++s)
      Dfw_AddRadio(b, u16(400 + 3 * i + u32(s)), u16(4230 + s), setting == s ? DLG_BUTTON_CHECKED : 0);
  }
  Dfw_AddButton(b, DLG_OK);
  Dfw_AddButton(b, DLG_CANCEL);
  Dfw_AddButton(b, DLG_HELP);
  return Dfw_BuildEnd(b);
}

void Dmsg_ReadKindsDesc(const DlgDesc* desc, u32 templateId) {
  const u32* kinds;
  const u32 n = Dmsg_DialogKinds(templateId, &kinds);
  for (u32 i = 0; i < n; ++i)
    for (int s = 0; s < 3; ++s)
      if (Dfw_IsChecked(desc, i32(400 + 3 * i + u32(s)))) Dmsg_SetKindEnabled(kinds[i], s);
}

void Dmsg_ShowOptions(u32 templateId) {
  u8 bytes[600];
  DlgBuild b;
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  const int built = templateId == DMSG_DLG_OPTIONS ? Dmsg_BuildOptionsDesc(&b) : Dmsg_BuildKindsDesc(&b, templateId);
  if (built != 0) return;
  if (Dmsg_RunDialog(templateId, bytes) != DLG_RESULT_OK) return;
  if (templateId == DMSG_DLG_OPTIONS) Dmsg_ReadOptionsDesc(bytes);
  else Dmsg_ReadKindsDesc(bytes, templateId);
}

// ---------------------------------------------------------------- the list

int Dmsg_OnListEnd(int result, i32 entry) {
  const DispatcherMessage* e = entry >= 0 ? Dmsg_Get(u32(entry)) : nullptr;
  switch (result) {
    case DLG_RESULT_OK:
    case DLG_ID_LIST:
      if (e && g_activeViewSlot >= 0) Ewin_CentreOnCell(g_activeViewSlot, e->X, e->Y, e->Level);
      return 0;
    case DMSG_END_DELETE:
      if (e) Dmsg_Remove(u32(entry), 1);
      return Dmsg_Count() > 0;
    case DMSG_END_CLEAR:
      Dmsg_Clear();
      return 0;
  }
  return 0;
}

void Dmsg_ShowList(void) {
  for (;;) {
    if (Dmsg_Count() == 0) {
      Msg_WarnId(599, 4000);
      return;
    }
    const u32 units = (DMSG_LINE_WIDTH + 2) * DMSG_MAX_ENTRIES + 1;
    wch* block = static_cast<wch*>(Heap_Alloc(units * sizeof(wch)));
    if (!block) return;
    Dmsg_BuildListBlock(block, units);
    wch title[64];
    Fmt_Print(title, 64, Lng_GetText(4200), Dmsg_Count());
    u8 bytes[300];
    DlgBuild b;
    Dfw_BuildBegin(&b, bytes, sizeof bytes);
    Dfw_AddTitleString(&b, title, 45001, DLG_ID_LIST);
    for (u16 i = 0; i < 6; ++i) Dfw_AddStatic(&b, u16(190 + i), u16(4210 + i));
    static const u16 kButtons[8][2] = {{DMSG_END_DELETE, 4201}, {DMSG_END_CLEAR, 4202}, {DMSG_BTN_COPY, 4203},
                                       {DMSG_BTN_OPTIONS, 4204}, {DMSG_BTN_KINDS1, 4205}, {DMSG_BTN_KINDS2, 4206},
                                       {DMSG_BTN_KINDS3, 4207}, {DMSG_BTN_HELP, 4208}};
    for (const auto& k : kButtons) Dfw_AddCaption(&b, k[0], k[1], 0);
    Dfw_AddList(&b, DLG_ID_LIST, block, DLG_LIST_KEYED);
    Dfw_AddButton(&b, DLG_OK);
    Dfw_AddButton(&b, DLG_CANCEL);
    Dfw_AddButton(&b, DLG_HELP);
    Dfw_BuildEnd(&b);
    Dmsg_MarkSeen();
    const int result = Dmsg_RunDialog(DMSG_DLG_LIST, bytes);
    Heap_Free(block);
    i32 entry = -1;
    Dmsg_GetSelection(nullptr, &entry);
    if (!Dmsg_OnListEnd(result, entry)) return;
  }
}
