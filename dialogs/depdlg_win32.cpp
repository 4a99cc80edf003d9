#include <windows.h>

#include "dialogs/depdlg.h"
#include "dialogs/dfw_win32.h"
#include "platform/lng.h"

namespace {

// The row behind the selected item (its key - 1), -1 when none.
i32 SelectedRow(HWND dialog) {
  DlgDesc* desc = Dfw_DialogDesc(dialog);
  const u8* r = desc ? Dfw_FindDescItem(desc, DLG_ID_LIST) : nullptr;
  const i32 item = i32(SendDlgItemMessageW(dialog, DLG_ID_LIST, LB_GETCURSEL, 0, 0));
  u16 key = 0;
  if (!r || item < 0 || !Dfw_ListItemKeyed(r, item, &key) || key == 0) return -1;
  return i32(key) - 1;
}

void Choose(HWND dialog, INT_PTR code) {
  Dep_SetListChoice(Dep_OpenListRows(), SelectedRow(dialog));
  Dfw_EndDialog(dialog, code);
}

// OK and a double click take the selected row's place.
int OnCommand(HWND dialog, int id, int notify) {
  if (id == DLG_ID_LIST && notify == LBN_DBLCLK) {
    Choose(dialog, DLG_ID_LIST);
    return 1;
  }
  if (id == DLG_ID_OK) {
    Choose(dialog, DLG_ID_OK);
    return 1;
  }
  return 0;
}

// The column heads are drawn as a row of the list is, so that they stand
// over the rows' cells.
void DrawHeads(HWND dialog, const DRAWITEMSTRUCT* di) {
  DlgDesc* desc = Dfw_DialogDesc(dialog);
  const u8* list = desc ? Dfw_FindDescItem(desc, DLG_ID_LIST) : nullptr;
  const u8* heads = desc ? Dfw_FindDescItem(desc, DEP_LIST_HEADS) : nullptr;
  if (!list || !heads) return;
  DRAWITEMSTRUCT row = *di;
  row.itemID = 0;
  row.itemAction = ODA_DRAWENTIRE;
  row.itemState = 0;
  row.itemData = reinterpret_cast<ULONG_PTR>(Lng_GetText(Dfw_Get16(heads, 4)));
  Dfw_DrawListItem(&row, list);
}

}  // namespace

// The depot list: the framework's owner-drawn list with rows 16 pixels high.
INT_PTR CALLBACK DlgF_DepotListe(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MEASUREITEM: {
      MEASUREITEMSTRUCT* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (mi->CtlType != ODT_LISTBOX) break;
      mi->itemHeight = 16;
      return TRUE;
    }
    case WM_DRAWITEM:
      if (wParam == DEP_LIST_HEADS) {
        DrawHeads(dialog, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      }
      break;
    case WM_COMMAND:
      if (OnCommand(dialog, LOWORD(wParam), HIWORD(wParam))) return TRUE;
      break;
  }
  return DlgF_Einfach(dialog, message, wParam, lParam);
}

int Dep_RunDialog(u32 templateId, DlgDesc* desc) {
  return Dfw_RunModal(nullptr, templateId, templateId == DEP_DLG_LIST ? DlgF_DepotListe : DlgF_Einfach, desc);
}
