#include <windows.h>

#include "dialogs/dfw_win32.h"
#include "dialogs/dmsgdlg.h"
#include "operation/dmsg.h"
#include "platform/clip.h"
#include "platform/heap.h"
#include "platform/msg.h"
#include "shell/shell_win32.h"

namespace {

// The entry index behind list item n (its key - 1), -1 when none.
i32 EntryOfItem(const u8* listRec, i32 n) {
  u16 key = 0;
  if (n < 0 || !Dfw_ListItemKeyed(listRec, n, &key) || key == 0) return -1;
  return i32(key) - 1;
}

u8* ListRecord(HWND dialog) {
  DlgDesc* desc = Dfw_DialogDesc(dialog);
  return desc ? Dfw_FindDescItem(desc, DLG_ID_LIST) : nullptr;
}

void Disp_RememberSelection(HWND dialog) {
  const u8* r = ListRecord(dialog);
  const i32 item = i32(SendDlgItemMessageW(dialog, DLG_ID_LIST, LB_GETCURSEL, 0, 0));
  if (r && item >= 0) Dmsg_SetSelection(item, EntryOfItem(r, item));
}

void Disp_OnInit(HWND dialog, LPARAM lParam) {
  Dfw_InitFromDesc(dialog, reinterpret_cast<DlgDesc*>(lParam));
  const u8* r = ListRecord(dialog);
  const i32 count = r ? Dfw_ListItemCount(r) : 0;
  i32 item = 0;
  Dmsg_GetSelection(&item, nullptr);
  if (item >= count) item = count - 1;
  if (item < 0) item = 0;
  SendDlgItemMessageW(dialog, DLG_ID_LIST, LB_SETCURSEL, WPARAM(item), 0);
  Disp_RememberSelection(dialog);
}

void Disp_CopyList(void) {
  const u32 units = (DMSG_LINE_WIDTH + 1) * DMSG_MAX_ENTRIES + 2;
  wch* text = static_cast<wch*>(Heap_Alloc(units * sizeof(wch)));
  if (!text) return;
  if (Dmsg_BuildListText(text, units) && Clip_CopyText(text) == 0) Msg_WarnId(598, 8007);
  Heap_Free(text);
}

// The buttons that act inside the open list; 1 when handled.
int Disp_OnCommand(HWND dialog, int id, int notify) {
  if (id == DLG_ID_LIST) {
    if (notify == LBN_SELCHANGE) Disp_RememberSelection(dialog);
    if (notify == LBN_DBLCLK) {
      Disp_RememberSelection(dialog);
      Dfw_EndDialog(dialog, DLG_ID_LIST);
    }
    return 1;
  }
  switch (id) {
    case DLG_ID_OK:
      Disp_RememberSelection(dialog);
      Dfw_EndDialog(dialog, DLG_ID_OK);
      return 1;
    case 99:
    case DMSG_BTN_HELP: {
      i32 entry = -1;
      Dmsg_GetSelection(nullptr, &entry);
      const DispatcherMessage* e = entry >= 0 ? Dmsg_Get(u32(entry)) : nullptr;
      if (e) Dfw_ShowHelp(45500 + e->Kind);
      return 1;
    }
    case DMSG_BTN_COPY: Disp_CopyList(); return 1;
    case DMSG_BTN_OPTIONS: Dmsg_ShowOptions(DMSG_DLG_OPTIONS); return 1;
    case DMSG_BTN_KINDS1: Dmsg_ShowOptions(DMSG_DLG_KINDS1); return 1;
    case DMSG_BTN_KINDS2: Dmsg_ShowOptions(DMSG_DLG_KINDS2); return 1;
    case DMSG_BTN_KINDS3: Dmsg_ShowOptions(DMSG_DLG_KINDS3); return 1;
    case DMSG_END_DELETE:
    case DMSG_END_CLEAR:
      Disp_RememberSelection(dialog);
      Dfw_EndDialog(dialog, id);
      return 1;
  }
  return 0;
}

}  // namespace

// The dispatcher list: the framework's list with the buttons of its own.
INT_PTR CALLBACK DlgF_Disp(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Disp_OnInit(dialog, lParam);
      return FALSE;
    case WM_COMMAND:
      if (Disp_OnCommand(dialog, LOWORD(wParam), HIWORD(wParam))) return TRUE;
      break;
    case WM_APP_DLGKEY:
    case WM_APP_DLGKEY2:
      // The Delete key deletes the selected entry.
      if (wParam == VK_DELETE) {
        Disp_RememberSelection(dialog);
        Dfw_EndDialog(dialog, DMSG_END_DELETE);
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);
        return TRUE;
      }
      break;
  }
  return DlgF_Einfach(dialog, message, wParam, lParam);
}

int Dmsg_RunDialog(u32 templateId, DlgDesc* desc) {
  return Dfw_RunModal(nullptr, templateId, templateId == DMSG_DLG_LIST ? DlgF_Disp : DlgF_Einfach, desc);
}
