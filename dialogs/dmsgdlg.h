// The dispatcher message dialogs: the list (template 130, procedure
// DlgF_Disp) and the options dialog (131) with the three kind dialogs (132,
// 133, 134), over the entry table and settings of operation/dmsg.
//
// The portable half builds the descriptors and the list's item block, reads
// the user's choices back and acts on the list's end codes; the window half
// (dmsgdlg_win32) runs the templates. Natively no dialog runs: every one
// ends as cancelled. Main thread only.
#pragma once
#include "dialogs/dfw.h"
#include "platform/types.h"

enum {
  DMSG_DLG_LIST = 130,
  DMSG_DLG_OPTIONS = 131,
  DMSG_DLG_KINDS1 = 132,
  DMSG_DLG_KINDS2 = 133,
  DMSG_DLG_KINDS3 = 134
};
// End codes of the list besides OK and cancel: delete the selected entry,
// clear the list, the option buttons.
enum { DMSG_END_DELETE = 121, DMSG_END_CLEAR = 122, DMSG_BTN_HELP = 120, DMSG_BTN_COPY = 104,
       DMSG_BTN_OPTIONS = 123, DMSG_BTN_KINDS1 = 124, DMSG_BTN_KINDS2 = 125, DMSG_BTN_KINDS3 = 126 };
enum { DMSG_KINDS_MAX_PER_DIALOG = 11 };

// The kinds a kind dialog shows, in its order; the count.
u32 Dmsg_DialogKinds(u32 templateId, const u32** kinds);

// The list's keyed item block (key = entry index + 1, one line per entry)
// into block (units long); the units used, 0 when it does not fit.
u32 Dmsg_BuildListBlock(wch* block, u32 units);
// The list text as zero-separated lines ended by an empty one (what the copy
// button puts on the clipboard), into text (units long).
u32 Dmsg_BuildListText(wch* text, u32 units);

// Descriptors of the option and kind dialogs filled from the settings, and
// their read-back after OK.
int Dmsg_BuildOptionsDesc(DlgBuild* b);
void Dmsg_ReadOptionsDesc(const DlgDesc* desc);
int Dmsg_BuildKindsDesc(DlgBuild* b, u32 templateId);
void Dmsg_ReadKindsDesc(const DlgDesc* desc, u32 templateId);

// What the list's end code does; 1 when the list is shown again.
int Dmsg_OnListEnd(int result, i32 entry);

// The list dialog: warning 599 for an empty list, else the list until it
// is closed. The option dialog and the kind dialogs (templates 131..134).
void Dmsg_ShowList(void);
void Dmsg_ShowOptions(u32 templateId);

// The window half: runs template templateId over desc; the dialog result
// (DLG_RESULT_* or a passed-through code). Natively DLG_RESULT_CANCEL.
int Dmsg_RunDialog(u32 templateId, DlgDesc* desc);
// The message-sound option (sound option bit 2) the options dialog shows;
// the sound module installs the pair (without it: off, not stored).
struct DmsgSoundOption {
  int (*get)(void);
  void (*set)(int on);
};
void Dmsg_SetSoundOption(const DmsgSoundOption* option);
