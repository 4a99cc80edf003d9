// The file commands' dialogs on Windows: each command builds its dialog's
// descriptor, runs it, and hands what came back to the decisions of
// shell/filedlg.cpp. The procedures DlgF_DateiListe, DlgF_SetFarben and
// DlgF_SetHgrBitmap add their own behaviour and pass everything else to the
// generic procedure; DlgF_FileHook is the common file dialog's hook.
#include <windows.h>
#include <commdlg.h>
#include <cderr.h>

#include "dialogs/dfw_win32.h"
#include "model/genl.h"
#include "model/layfile.h"
#include "model/layprot.h"
#include "model/logp.h"
#include "operation/clock.h"
#include "platform/fio.h"
#include "platform/fmt.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/os.h"
#include "platform/osui.h"
#include "platform/print.h"
#include "platform/str.h"
#include "render/bgp.h"
#include "render/ovw.h"
#include "render/pal.h"
#include "resources/resid.h"
#include "shell/app.h"
#include "shell/ewin.h"
#include "shell/file.h"
#include "shell/filedlg.h"
#include "shell/menu.h"
#include "shell/userfiles.h"

#ifdef ORBA_VIEWER
static const int kViewer = 1;
#else
static const int kViewer = 0;
#endif

// Help topics of the dialogs.
enum : u16 {
  HELP_PICTURE = 42010, HELP_TEXT = 42011, HELP_COLOURS = 42012, HELP_LISTS = 42013, HELP_BACKGROUND = 42014,
  HELP_CODE = 42015, HELP_CHOOSER = 42016, HELP_BGP_CHOOSER = 42009, HELP_COLOUR_CHOOSER = 42020
};

// The first checked button of the controls first..first + n - 1, as an
// index from 0; -1 when none.
static int File_CheckedIndex(const DlgDesc* desc, i32 first, int n) {
  for (int i = 0; i < n; ++i)
    if (Dfw_IsChecked(desc, first + i)) return i;
  return -1;
}

// The rows of the file and colour lists are names, not symbol strings: they
// are drawn in the dialog's own font, in the list colours of the framework.
// A numbered row's number (up to its ": ") is set right-aligned in a column
// of its own, since the blanks that align it in the text do not in a
// proportional font.
static int File_DrawTextRow(HWND dialog, const DRAWITEMSTRUCT* di, int numbered) {
  if (di->CtlType != ODT_LISTBOX || di->CtlID != DLG_ID_LIST) return 0;
  if (di->itemID == UINT(-1)) return 1;
  if (di->itemAction == ODA_FOCUS) {
    DrawFocusRect(di->hDC, &di->rcItem);
    return 1;
  }
  const int selected = (di->itemState & ODS_SELECTED) != 0;
  const COLORREF back = selected ? GetSysColor(COLOR_HIGHLIGHT) : Pal_GetColour(18) & 0xFFFFFF;
  const COLORREF ink = selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : Pal_GetColour(16) & 0xFFFFFF;
  HBRUSH brush = CreateSolidBrush(back);
  FillRect(di->hDC, &di->rcItem, brush);
  DeleteObject(brush);
  const wch* item = reinterpret_cast<const wch*>(di->itemData);
  if (item) {
    HGDIOBJ old = SelectObject(di->hDC, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    SetBkMode(di->hDC, TRANSPARENT);
    SetTextColor(di->hDC, ink);
    RECT r = di->rcItem;
    r.left += 4;
    const UINT format = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    i32 split = 0;
    if (numbered)
      while (item[split] && !(item[split] == u':' && item[split + 1] == u' ')) ++split;
    if (numbered && item[split]) {
      SIZE column = {};
      GetTextExtentPoint32W(di->hDC, L"W00:", 4, &column);
      RECT n = r;
      n.right = r.left + column.cx;
      DrawTextW(di->hDC, reinterpret_cast<const wchar_t*>(item), split + 1, &n, format | DT_RIGHT);
      r.left = n.right + 4;
      item += split + 2;
    }
    DrawTextW(di->hDC, reinterpret_cast<const wchar_t*>(item), -1, &r, format | DT_LEFT | DT_END_ELLIPSIS);
    SelectObject(di->hDC, old);
  }
  if (di->itemState & ODS_FOCUS) DrawFocusRect(di->hDC, &di->rcItem);
  return 1;
}

// ---------------------------------------------------------------- file dialog hook
static void File_HookInit(HWND child, const FileHookData* data) {
  if (!data) return;
  Os_SetDlgItemText(child, 190, data->second ? Lng_GetText(data->second) : u"");
  HWND options = Os_GetDlgItem(child, DLG_ID_EXTRA);
  if (!options) return;
  Os_SetWindowText(options, Lng_GetText(11024));
  ShowWindow(options, data->options ? SW_SHOW : SW_HIDE);
}

UINT_PTR CALLBACK DlgF_FileHook(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const OPENFILENAMEW* o = reinterpret_cast<const OPENFILENAMEW*>(lParam);
      SetWindowLongPtrW(child, GWLP_USERDATA, o ? LONG_PTR(o->lCustData) : 0);
      File_HookInit(child, o ? reinterpret_cast<const FileHookData*>(o->lCustData) : nullptr);
      return TRUE;
    }
    case WM_COMMAND: {
      const FileHookData* data = reinterpret_cast<const FileHookData*>(GetWindowLongPtrW(child, GWLP_USERDATA));
      if (LOWORD(wParam) == DLG_ID_EXTRA && data && data->options) {
        data->options(GetParent(child));
        return TRUE;
      }
      return FALSE;
    }
    case WM_NOTIFY: {
      const NMHDR* h = reinterpret_cast<const NMHDR*>(lParam);
      const FileHookData* data = reinterpret_cast<const FileHookData*>(GetWindowLongPtrW(child, GWLP_USERDATA));
      if (h && h->code == UINT(CDN_HELP) && data) Dfw_ShowHelp(data->help);
      return FALSE;
    }
  }
  return FALSE;
}

void* File_HookProc(void) { return reinterpret_cast<void*>(&DlgF_FileHook); }

// ---------------------------------------------------------------- picture options
int File_PictureOptions(void* owner) {
  u8 bytes[400];
  DlgBuild b;
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  Dfw_AddTitle(&b, 11300, HELP_PICTURE, -1);
  Dfw_AddStatic(&b, 190, 11312);
  Dfw_AddStatic(&b, 191, 11313);
  const int kind = File_PictureKindButton(g_ovwExport.options);
  const int scale = File_PictureScaleButton(g_ovwExport.scale);
  for (int i = 0; i < FILE_PICTURE_KINDS; ++i)
    Dfw_AddRadio(&b, u16(400 + i), u16(11301 + i), i == kind ? DLG_BUTTON_CHECKED : 0);
  for (int i = 0; i < FILE_PICTURE_SCALES; ++i)
    Dfw_AddRadio(&b, u16(406 + i), u16(11307 + i), i == scale ? DLG_BUTTON_CHECKED : 0);
  Dfw_AddButton(&b, DLG_OK);
  Dfw_AddButton(&b, DLG_CANCEL);
  Dfw_AddButton(&b, DLG_HELP);
  if (Dfw_BuildEnd(&b)) return DLG_RESULT_CANCEL;
  const int r = Dfw_RunModal(static_cast<HWND>(owner), IDD_PICTURE_OPTIONS, DlgF_Einfach, bytes);
  if (r != DLG_RESULT_OK) return r;
  g_ovwExport.options = File_PictureKindOptions(File_CheckedIndex(bytes, 400, FILE_PICTURE_KINDS));
  g_ovwExport.scale = File_PictureButtonScale(File_CheckedIndex(bytes, 406, FILE_PICTURE_SCALES));
  return g_ovwExport.scale;
}

// ---------------------------------------------------------------- text listing options
int File_TextExportOptions(void* owner) {
  LayExportOptions o;
  Lay_GetExportOptions(&o);
  u16 word = o.selection;
  wch separator[8];
  Fmt_Print(separator, 8, u"%u", u32(o.separator));
  for (;;) {
    u8 bytes[600];
    DlgBuild b;
    Dfw_BuildBegin(&b, bytes, sizeof bytes);
    Dfw_AddTitle(&b, 11320, HELP_TEXT, 470);
    Dfw_AddStatic(&b, 190, 11335);
    Dfw_AddStatic(&b, 191, 11336);
    Dfw_AddStatic(&b, 192, 11337);
    const u32 checks = File_TextChecksOfWord(word);
    for (int i = 0; i < FILE_TEXT_CHECKS; ++i)
      Dfw_AddCheck(&b, u16(470 + i), u16(11321 + i), (checks >> i) & 1 ? DLG_BUTTON_CHECKED : 0);
    Dfw_AddEdit(&b, 141, separator, 6, DLG_EDIT_TRIM, 32, 65535);
    const int encoding = File_TextEncodingOfWord(word);
    for (int i = 0; i < 3; ++i)
      Dfw_AddRadio(&b, u16(400 + i), u16(11338 + i), i == encoding ? DLG_BUTTON_CHECKED : 0);
    Dfw_AddButton(&b, DLG_OK);
    Dfw_AddButton(&b, DLG_CANCEL);
    Dfw_AddButton(&b, DLG_HELP);
    if (Dfw_BuildEnd(&b)) return DLG_RESULT_CANCEL;
    const int r = Dfw_RunModal(static_cast<HWND>(owner), IDD_TEXT_OPTIONS, DlgF_Einfach, bytes);
    if (r != DLG_RESULT_OK) return r;
    u32 now = 0;
    for (int i = 0; i < FILE_TEXT_CHECKS; ++i)
      if (Dfw_IsChecked(bytes, 470 + i)) now |= 1u << i;
    const int enc = File_CheckedIndex(bytes, 400, 3);
    word = File_TextWordOf(now, enc < 0 ? 0 : enc, word);
    if (File_TextNoSection(word)) {
      Msg_ErrorId(251, 11129);
      continue;
    }
    i32 code = 32;
    Str_TrimLeft(separator);
    if (!Str_ToI32(separator, &code)) code = 32;
    o.selection = word;
    o.separator = File_TextSeparator(code);
    Lay_SetExportOptions(&o);
    return r;
  }
}

// ---------------------------------------------------------------- log options
void File_LogOptions(void) {
  FileLogForm form;
  File_LogFormLoad(&form);
  u32 flags = 0;
  Logp_GetSettings(&flags, nullptr, nullptr, nullptr);
  i32 focus = 140;
  for (;;) {
    u8 bytes[400];
    DlgBuild b;
    Dfw_BuildBegin(&b, bytes, sizeof bytes);
    if (File_LogBuildDesc(&b, &form, flags, focus)) return;
    if (Dfw_RunModal(nullptr, IDD_LOG_OPTIONS, DlgF_Einfach, bytes) != DLG_RESULT_OK) return;
    flags = File_LogFlagsOfDesc(bytes, flags);
    if (const int error = File_LogStore(&form, flags, &focus)) {
      static const TextId kTexts[3] = {11129, 11145, 11146};
      Msg_ErrorId(u32(error), kTexts[error - 255]);
      continue;
    }
    if (File_LogSetFolder(&form) == 1) {
      // The file dialogs never change the working folder, so it is still
      // the one the program started in.
      Msg_WarnId(258, 11128);
      wch cwd[OS_MAX_PATH];
      if (Os_GetCwd(cwd, OS_MAX_PATH - 1) == 0) {
        Str_Copy(form.folder, cwd);
        File_LogSetFolder(&form);
      }
    }
    return;
  }
}

// ---------------------------------------------------------------- protection code
// The code dialog (prompt 1: the prompt of a save, else the setting
// dialog) with the entry; the dialog's result.
static int File_RunCodeDialog(int prompt, wch* entry) {
  u8 bytes[200];
  DlgBuild b;
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  Dfw_AddTitle(&b, prompt ? 11760 : 11765, HELP_CODE, 140);
  Dfw_AddStatic(&b, 190, prompt ? 11761 : 11767);
  Dfw_AddStatic(&b, 191, prompt ? 11762 : 11766);
  Dfw_AddEdit(&b, 140, entry, LAY_CODE_MAX + 5, DLG_EDIT_TRIM, 0, 0);
  Dfw_AddStatic(&b, 192, prompt ? 11684 : 11768);
  Dfw_AddButton(&b, DLG_OK);
  Dfw_AddButton(&b, DLG_CANCEL);
  Dfw_AddButton(&b, DLG_HELP);
  if (Dfw_BuildEnd(&b)) return DLG_RESULT_CANCEL;
  return Dfw_RunModal(nullptr, prompt ? IDD_CODE_PROMPT : IDD_CODE, DlgF_Einfach, bytes);
}

int File_AskCodePrompt(void) {
  wch entry[LAY_CODE_MAX + 5] = {0};
  for (;;) {
    if (File_RunCodeDialog(1, entry) != DLG_RESULT_OK) return 1;
    switch (Lay_CheckProtectCode(entry)) {
      case 0: return 0;
      case 1: Msg_ErrorId(271, 11140); break;
      case 2: Msg_ErrorId(272, 11140); break;
      case 3: Msg_ErrorId(273, 11140); break;
      default: Msg_ErrorId(274, 11140); break;
    }
  }
}

void File_SetProtectCode(void) {
  if (kViewer) {
    Msg_ErrorId(235, 8008);
    return;
  }
  if (Lay_HasProtectCode() && Lay_AskProtectCode() != 0) return;
  wch entry[LAY_CODE_MAX + 5];
  Lay_GetProtectCode(entry);
  for (;;) {
    if (File_RunCodeDialog(0, entry) != DLG_RESULT_OK) return;
    switch (Lay_SetProtectCode(entry)) {
      case 0: Menu_SetWindowTitles(-1); return;
      case 1: Msg_ErrorId(275, 11140); break;
      case 2: Msg_ErrorId(276, 11140); break;
      default: Msg_ErrorId(277, 11140); break;
    }
  }
}

// ---------------------------------------------------------------- user file lists
// The rows of the list while its dialog is open.
struct FileListState {
  int list;
  int current;
  u8 flags[USERFILE_ELEMENT_SLOTS];
  wch names[USERFILE_ELEMENT_SLOTS][FILE_LIST_ROW_MAX];
  wch block[USERFILE_ELEMENT_SLOTS * FILE_LIST_ROW_MAX + 1];
};
static FileListState* g_fileList;

static void File_ListButtons(HWND dialog) {
  const int sel = int(Os_SendMessage(Os_GetDlgItem(dialog, DLG_ID_LIST), LB_GETCURSEL, 0, 0));
  if (sel >= 0 && g_fileList) g_fileList->current = sel;
  const int set = g_fileList && g_fileList->current >= 0 && g_fileList->flags[g_fileList->current];
  if (HWND empty = Os_GetDlgItem(dialog, 121)) Os_EnableWindow(empty, set ? TRUE : FALSE);
}

INT_PTR CALLBACK DlgF_DateiListe(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const int r = Dfw_InitFromDesc(dialog, reinterpret_cast<DlgDesc*>(lParam));
      if (g_fileList) Os_SendMessage(Os_GetDlgItem(dialog, DLG_ID_LIST), LB_SETCURSEL, WPARAM(g_fileList->current), 0);
      File_ListButtons(dialog);
      return r;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == DLG_ID_LIST) {
        if (HIWORD(wParam) == LBN_SELCHANGE) File_ListButtons(dialog);
        if (HIWORD(wParam) == LBN_DBLCLK) Dfw_EndDialog(dialog, DLG_ID_LIST);
        return TRUE;
      }
      if (LOWORD(wParam) == 99) {
        const DlgDesc* desc = Dfw_DialogDesc(dialog);
        if (desc) Dfw_ShowHelp(Dfw_Get16(desc, 8));
        return TRUE;
      }
      return DlgF_Einfach(dialog, message, wParam, lParam);
    case WM_CHARTOITEM: {
      const INT_PTR r = DlgF_Einfach(dialog, message, wParam, lParam);
      File_ListButtons(dialog);
      return r;
    }
    case WM_DRAWITEM:
      if (File_DrawTextRow(dialog, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), 1)) return TRUE;
      break;
  }
  return DlgF_Einfach(dialog, message, wParam, lParam);
}

// The name part of a chosen path: the slots hold names that the program
// looks up in its own folders.
static void File_NameOnly(const wch* path, wch* out) {
  const wch* name = path;
  for (const wch* p = path; *p; ++p)
    if (*p == u'\\' || *p == u'/' || *p == u':') name = p + 1;
  i32 n = 0;
  for (; name[n] && n < FILE_LIST_ROW_MAX - 1; ++n) out[n] = name[n];
  out[n] = 0;
}

static void File_ListRun(int list) {
  const FileListKind* k = File_ListKind(list);
  FileListState* st = static_cast<FileListState*>(Heap_Alloc(sizeof(FileListState)));
  if (!k || !st) {
    if (st) Heap_Free(st);
    Msg_ErrorId(195, 8005);
    return;
  }
  Mem_Fill(st, 0, sizeof *st);
  st->list = list;
  for (int row = 0; row < k->slots; ++row) {
    File_ListGetName(list, row + 1, st->names[row]);
    st->flags[row] = st->names[row][0] ? 1 : 0;
  }
  for (;;) {
    wch* at = st->block;
    for (int row = 0; row < k->slots; ++row) {
      File_ListRowText(list, row, st->flags[row] ? st->names[row] : nullptr, at);
      at += Str_Len(at) + 1;
    }
    *at = 0;
    u8 bytes[200];
    DlgBuild b;
    Dfw_BuildBegin(&b, bytes, sizeof bytes);
    Dfw_AddTitle(&b, k->title, HELP_LISTS, DLG_ID_LIST);
    Dfw_AddList(&b, DLG_ID_LIST, st->block, 0);
    Dfw_AddCaption(&b, 120, 11653, 0);
    Dfw_AddCaption(&b, 121, 11654, 0);
    Dfw_AddButton(&b, DLG_OK);
    Dfw_AddButton(&b, DLG_CANCEL);
    Dfw_AddButton(&b, DLG_HELP);
    if (Dfw_BuildEnd(&b)) break;
    g_fileList = st;
    const int r = Dfw_RunModal(nullptr, k->templateId, DlgF_DateiListe, bytes);
    g_fileList = nullptr;
    const int row = st->current;
    if (r == 120 || r == DLG_ID_LIST) {
      wch path[OS_MAX_PATH];
      if (File_ChooseUserFile(path, k->chooser) == 0) {
        File_NameOnly(path, st->names[row]);
        st->flags[row] = 1;
      } else {
        st->names[row][0] = 0;
        st->flags[row] = 0;
      }
      continue;
    }
    if (r == 121) {
      st->names[row][0] = 0;
      st->flags[row] = 0;
      continue;
    }
    if (r == DLG_RESULT_OK) File_ListFinish(list, st->flags, st->names);
    break;
  }
  Heap_Free(st);
}

void File_ListUzg(void) { File_ListRun(FILE_LIST_UZG); }
void File_ListUz1(void) { File_ListRun(FILE_LIST_UZ1); }
void File_ListNfz(void) { File_ListRun(FILE_LIST_NFZ); }

// ---------------------------------------------------------------- colour settings
struct FileColourState {
  u32 colours[FILE_COLOUR_SLOTS];
  int current;
  HBRUSH brushes[2];
};
static FileColourState* g_fileColours;
static int g_fileColourLast;

static void File_ColourText(HWND dialog, int control, u32 c) {
  wch text[120];
  Fmt_Print(text, 120, u"%s %u,%u,%u", Lng_GetText(11502), c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  Os_SetDlgItemText(dialog, control, text);
}

static void File_ColourShow(HWND dialog) {
  FileColourState* st = g_fileColours;
  if (!st) return;
  const int sel = int(Os_SendMessage(Os_GetDlgItem(dialog, DLG_ID_LIST), LB_GETCURSEL, 0, 0));
  if (sel >= 0 && sel < FILE_COLOUR_SLOTS) st->current = sel;
  g_fileColourLast = st->current;
  const u32 now = st->colours[st->current] & 0xFFFFFF;
  const u32 def = Pal_DefaultColour(File_ColourSlot(st->current)) & 0xFFFFFF;
  File_ColourText(dialog, 200, now);
  File_ColourText(dialog, 201, def);
  for (HBRUSH& br : st->brushes)
    if (br) DeleteObject(br);
  st->brushes[0] = CreateSolidBrush(now);
  st->brushes[1] = CreateSolidBrush(def);
  if (HWND b = Os_GetDlgItem(dialog, 121)) Os_EnableWindow(b, now != def ? TRUE : FALSE);
  for (int box = IDC_COLOUR_BOX; box <= IDC_DEFAULT_BOX; ++box)
    if (HWND w = Os_GetDlgItem(dialog, box)) InvalidateRect(w, nullptr, TRUE);
}

static void File_ColourChoose(HWND dialog) {
  FileColourState* st = g_fileColours;
  st->colours[st->current] = File_ChooseColour(dialog, st->colours[st->current]);
  File_ColourShow(dialog);
}

static void File_ColourDefault(HWND dialog) {
  FileColourState* st = g_fileColours;
  st->colours[st->current] = Pal_DefaultColour(File_ColourSlot(st->current));
  File_ColourShow(dialog);
}

INT_PTR CALLBACK DlgF_SetFarben(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  FileColourState* st = g_fileColours;
  switch (message) {
    case WM_INITDIALOG: {
      const int r = Dfw_InitFromDesc(dialog, reinterpret_cast<DlgDesc*>(lParam));
      HWND list = Os_GetDlgItem(dialog, DLG_ID_LIST);
      if (int(Os_SendMessage(list, LB_GETCOUNT, 0, 0)) < FILE_COLOUR_SLOTS) Msg_ErrorId(290, 11117);
      if (st) Os_SendMessage(list, LB_SETCURSEL, WPARAM(st->current), 0);
      File_ColourShow(dialog);
      return r;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam), code = HIWORD(wParam);
      if (!st) break;
      if ((id == IDC_COLOUR_BOX && code == STN_CLICKED) || (id == 120 && code == BN_CLICKED) ||
          (id == DLG_ID_LIST && code == LBN_DBLCLK)) {
        File_ColourChoose(dialog);
        return TRUE;
      }
      if ((id == IDC_DEFAULT_BOX && code == STN_DBLCLK) || (id == 121 && code == BN_CLICKED)) {
        File_ColourDefault(dialog);
        return TRUE;
      }
      if (id == DLG_ID_LIST) {
        if (code == LBN_SELCHANGE) File_ColourShow(dialog);
        return TRUE;
      }
      if (id == 122) {
        Dfw_EndDialog(dialog, 122);
        return TRUE;
      }
      break;
    }
    case WM_CTLCOLORSTATIC: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (st && (id == IDC_COLOUR_BOX || id == IDC_DEFAULT_BOX) && st->brushes[id - IDC_COLOUR_BOX])
        return reinterpret_cast<INT_PTR>(st->brushes[id - IDC_COLOUR_BOX]);
      break;
    }
    case WM_DRAWITEM:
      if (File_DrawTextRow(dialog, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), 0)) return TRUE;
      break;
    case WM_DESTROY:
      if (st)
        for (HBRUSH& br : st->brushes) {
          if (br) DeleteObject(br);
          br = nullptr;
        }
      break;
  }
  return DlgF_Einfach(dialog, message, wParam, lParam);
}

void File_ColourSettings(void) {
  FileColourState* st = static_cast<FileColourState*>(Heap_Alloc(sizeof(FileColourState)));
  wch* block = static_cast<wch*>(Heap_Alloc(FILE_COLOUR_SLOTS * 80 * 2 + 2));
  if (!st || !block) {
    Heap_Free(st);
    Heap_Free(block);
    Msg_ErrorId(290, 11117);
    return;
  }
  Mem_Fill(st, 0, sizeof *st);
  wch* at = block;
  for (int row = 0; row < FILE_COLOUR_SLOTS; ++row) {
    st->colours[row] = Pal_GetColour(File_ColourSlot(row));
    Fmt_Print(at, 80, u"%s", Lng_GetText(TextId(FILE_COLOUR_TEXT_FIRST + row)));
    at += Str_Len(at) + 1;
  }
  *at = 0;
  st->current = g_fileColourLast;
  u8 bytes[200];
  DlgBuild b;
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  Dfw_AddTitle(&b, 11500, HELP_COLOURS, DLG_ID_LIST);
  Dfw_AddStatic(&b, 190, 11501);
  Dfw_AddList(&b, DLG_ID_LIST, block, 0);
  Dfw_AddCaption(&b, 120, 11505, 0);
  Dfw_AddCaption(&b, 121, 11506, 0);
  Dfw_AddCaption(&b, 122, 11507, 0);
  Dfw_AddButton(&b, DLG_OK);
  Dfw_AddButton(&b, DLG_CANCEL);
  Dfw_AddButton(&b, DLG_HELP);
  int r = DLG_RESULT_CANCEL;
  if (Dfw_BuildEnd(&b) == 0) {
    g_fileColours = st;
    r = Dfw_RunModal(nullptr, IDD_COLOURS, DlgF_SetFarben, bytes);
    g_fileColours = nullptr;
  }
  if (r != DLG_RESULT_CANCEL) {
    for (int row = 0; row < FILE_COLOUR_SLOTS; ++row) {
      const i32 slot = File_ColourSlot(row);
      Pal_SetColour(slot, r == 122 ? Pal_DefaultColour(slot) : st->colours[row]);
    }
    File_RedrawAllViews();
  }
  Heap_Free(block);
  Heap_Free(st);
}

u32 File_ChooseColour(void* owner, u32 colour) {
  COLORREF custom[16];
  for (int i = 0; i < 16; ++i) custom[i] = Pal_GetColour(134 + i) & 0xFFFFFF;
  CHOOSECOLORW c = {};
  c.lStructSize = sizeof c;
  c.hwndOwner = static_cast<HWND>(owner);
  c.rgbResult = colour & 0xFFFFFF;
  c.lpCustColors = custom;
  c.Flags = CC_FULLOPEN | CC_RGBINIT;
  const int ran = SimRunFlag;
  SimRunFlag = 0;
  ++g_appModalDepth;
  const BOOL ok = ChooseColorW(&c);
  --g_appModalDepth;
  SimRunFlag = ran;
  if (!ok) return colour;
  for (int i = 0; i < 16; ++i) Pal_SetColour(134 + i, custom[i]);
  return c.rgbResult;
}

// ---------------------------------------------------------------- background picture
// The picture's pixel size while its dialog is open (the ratio kept).
struct FileBgpState {
  i32 picWidth, picHeight;
  int keepRatio;
};
static FileBgpState g_fileBgp;
static int g_fileBgpKeep = 1;

static void File_BgpShowLength(HWND dialog, int field) {
  wch text[16], fixed[24], line[80];
  Os_GetDlgItemText(dialog, field, text, 16);
  i32 cells = 0;
  Str_TrimLeft(text);
  if (!Str_ToI32(text, &cells) || cells < 0) cells = 0;
  const u32 scale = g_simRate.scale ? g_simRate.scale : u32(CLK_SCALE_DEFAULT);
  Fmt_Fixed3(fixed, u32(i64(cells) * 1000 / scale));
  Fmt_Print(line, 80, u"= %s %s", fixed, Lng_GetText(11839));
  Os_SetDlgItemText(dialog, field == 143 ? 199 : 201, line);
}

static void File_BgpFieldChanged(HWND dialog, int field) {
  if (GetFocus() == Os_GetDlgItem(dialog, field) && IsDlgButtonChecked(dialog, 470) == BST_CHECKED) {
    wch text[16];
    Os_GetDlgItemText(dialog, field, text, 16);
    Str_TrimLeft(text);
    i32 v;
    if (Str_ToI32(text, &v)) {
      const i32 other = File_BgpKeepRatio(v, field == 143, g_fileBgp.picWidth, g_fileBgp.picHeight);
      if (other >= 0) {
        Fmt_Print(text, 16, u"%i", other);
        Os_SetDlgItemText(dialog, field == 143 ? 144 : 143, text);
        File_BgpShowLength(dialog, field == 143 ? 144 : 143);
      }
    }
  }
  File_BgpShowLength(dialog, field);
}

INT_PTR CALLBACK DlgF_SetHgrBitmap(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const int r = Dfw_InitFromDesc(dialog, reinterpret_cast<DlgDesc*>(lParam));
      File_BgpShowLength(dialog, 143);
      File_BgpShowLength(dialog, 144);
      return r;
    }
    case WM_COMMAND:
      if ((LOWORD(wParam) == 143 || LOWORD(wParam) == 144) && HIWORD(wParam) == EN_CHANGE) {
        File_BgpFieldChanged(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
  }
  return DlgF_Einfach(dialog, message, wParam, lParam);
}

void File_BackgroundPicture(void) {
  int changed = 0, focus = 141;
  i32 area[4];
  Bgp_GetSettings(&area[0], &area[1], &area[2], &area[3], nullptr, nullptr, nullptr);
  wch fields[4][12];
  for (int i = 0; i < 4; ++i) Fmt_Print(fields[i], 12, u"%i", area[i]);
  int mode = Bgp_GetMode();
  if (mode < 1 || mode > 4) mode = 1;
  for (;;) {
    i32 pw, ph, bits;
    const wch* path = Bgp_GetSettings(nullptr, nullptr, nullptr, nullptr, &pw, &ph, &bits);
    const int loaded = g_background.pixels != nullptr;
    g_fileBgp = FileBgpState{loaded ? pw : 0, loaded ? ph : 0, g_fileBgpKeep};
    wch size[80], memory[4][16];
    if (loaded) {
      Fmt_Print(size, 80, u"%i x %i %s", pw, ph, Lng_GetText(11832));
      i32 est[4];
      File_BgpEstimates(pw, ph, bits, est);
      for (int i = 0; i < 4; ++i) Fmt_Fixed2(memory[i], u32(est[i]));
    } else {
      size[0] = 0;
      for (auto& m : memory) Str_Copy(m, u"---");
    }
    const int shown = (Genl_GetKeptFlags() & GENL_FLAG_BACKGROUND) ? 1 : 0;
    u8 bytes[700];
    DlgBuild b;
    Dfw_BuildBegin(&b, bytes, sizeof bytes);
    Dfw_AddTitle(&b, 11820, HELP_BACKGROUND, focus);
    Dfw_AddStatic(&b, 190, 11821);
    Dfw_AddStaticString(&b, 191, path && path[0] ? path : Lng_GetText(11730));
    Dfw_AddStaticString(&b, 192, size);
    for (int i = 0; i < 4; ++i) {
      Dfw_AddStatic(&b, u16(193 + i), u16(11822 + i));
      Dfw_AddEdit(&b, u16(141 + i), fields[i], 12, DLG_EDIT_TRIM, 0, 32767);
    }
    Dfw_AddCheck(&b, 470, 11830, g_fileBgpKeep ? DLG_BUTTON_CHECKED : 0);
    Dfw_AddCheck(&b, 471, 11831, u8((shown ? DLG_BUTTON_CHECKED : 0) | (path && path[0] ? 0 : DLG_BUTTON_DISABLED)));
    Dfw_AddStatic(&b, 197, 11836);
    for (int i = 0; i < 4; ++i) Dfw_AddRadio(&b, u16(400 + i), u16(11826 + i), mode == i + 1 ? DLG_BUTTON_CHECKED : 0);
    Dfw_AddStatic(&b, 198, 11833);
    for (int i = 0; i < 4; ++i) Dfw_AddStaticString(&b, u16(202 + i), memory[i]);
    Dfw_AddCaption(&b, 120, 11834, 0);
    Dfw_AddCaption(&b, 121, 11835, 0);
    Dfw_AddButton(&b, DLG_OK);
    Dfw_AddButton(&b, DLG_CANCEL);
    Dfw_AddButton(&b, DLG_HELP);
    if (Dfw_BuildEnd(&b)) return;
    const int r = Dfw_RunModal(nullptr, IDD_BACKGROUND, DlgF_SetHgrBitmap, bytes);
    focus = 141;
    const int m = File_CheckedIndex(bytes, 400, 4);
    if (r != DLG_RESULT_CANCEL && m >= 0) mode = m + 1;
    if (r == 121) {
      Bgp_Reset();
      Genl_SetKeptFlags(Genl_GetKeptFlags() & ~u32(GENL_FLAG_BACKGROUND));
      changed = 1;
      break;
    }
    if (r == 120) {
      wch chosen[OS_MAX_PATH];
      if (File_FileDialog(11840, 11841, HELP_BGP_CHOOSER, 0, nullptr, FOLDER_PICTURES, path, chosen, u"bmp", 11842) == 2 &&
          Bgp_SetPath(chosen) == 0 && Bgp_LoadPicture() == 0) {
        changed = 1;
        // A new picture covers as many cells as it has pixels, until the
        // user gives another size.
        Fmt_Print(fields[2], 12, u"%i", g_background.picWidth);
        Fmt_Print(fields[3], 12, u"%i", g_background.picHeight);
      }
      continue;
    }
    if (r != DLG_RESULT_OK) break;
    const wch* texts[4] = {fields[0], fields[1], fields[2], fields[3]};
    i32 values[4];
    int field = 0;
    if (const int error = File_BgpReadArea(texts, values, &field)) {
      Msg_ErrorId(u32(error), error == 291 ? 8006 : 18009);
      focus = 141 + field;
      continue;
    }
    g_fileBgpKeep = Dfw_IsChecked(bytes, 470);
    const int nowShown = Dfw_IsChecked(bytes, 471);
    if (nowShown != shown) {
      const u32 f = Genl_GetKeptFlags();
      Genl_SetKeptFlags(nowShown ? (f | GENL_FLAG_BACKGROUND) : (f & ~u32(GENL_FLAG_BACKGROUND)));
      changed = 1;
    }
    i32 old[4];
    Bgp_GetSettings(&old[0], &old[1], &old[2], &old[3], nullptr, nullptr, nullptr);
    if (mode != Bgp_GetMode() || old[0] != values[0] || old[1] != values[1] || old[2] != values[2] || old[3] != values[3])
      changed = 1;
    Bgp_SetMode(mode);
    Bgp_SetArea(values[0], values[1], values[2], values[3]);
    if (path && path[0] && Bgp_LoadPicture() != 0) continue;
    break;
  }
  if (changed) {
    Ewin_SetModified();
    File_RedrawAllViews();
  }
}

// ---------------------------------------------------------------- waiting dispatcher messages
static void (*g_fileMessageList)(void);
void File_SetMessageListHook(void (*show)(void)) { g_fileMessageList = show; }

int File_AskPendingMessages(void) {
  wch title[80];
  Fmt_Print(title, 80, u"%s %s%u", Lng_GetText(8010), Lng_GetText(8040), 298u);
  u8 bytes[120];
  DlgBuild b;
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  Dfw_AddTitleString(&b, title, u16(Msg_HelpTopic(298)), 120);
  Dfw_AddStatic(&b, 190, 11241);
  Dfw_AddCaption(&b, 120, 11242, 0);
  Dfw_AddCaption(&b, 121, 11243, 0);
  Dfw_AddButton(&b, DLG_CANCEL);
  if (Dfw_BuildEnd(&b)) return 0;
  const int r = Dfw_RunModal(nullptr, IDD_PENDING_MESSAGES, DlgF_Einfach, bytes);
  if (r == 120) return 1;
  if (r == 121 && g_fileMessageList) g_fileMessageList();
  return 0;
}
