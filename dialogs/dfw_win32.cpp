#include "dialogs/dfw_win32.h"

#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/osui.h"
#include "platform/print.h"
#include "platform/str.h"
#include "render/dc.h"
#include "render/font.h"
#include "render/gfx.h"
#include "render/map.h"
#include "render/pal.h"
#include "render/preview.h"
#include "render/symstr.h"
#include "shell/app.h"
#include "shell/shell_win32.h"
#include "shell/vwin.h"

namespace {

// The brushes of palette colours 0, 18, 11, 73 and 9.
enum { BR_DIALOG, BR_LIST, BR_EDIT, BR_READONLY, BR_STATIC, BR_COUNT };
const i32 kBrushColour[BR_COUNT] = {0, 18, 11, 73, 9};
HBRUSH g_brushes[BR_COUNT];

// One open dialog: its window, its descriptor and how it ended.
struct OpenDialog {
  HWND window;
  DlgDesc* desc;
  INT_PTR endCode;
};
OpenDialog g_open[DFW_MAX_NESTING + 2];

void (*g_help)(u32 topic);

OpenDialog* Find(HWND dialog) {
  for (OpenDialog& d : g_open)
    if (d.window == dialog && dialog) return &d;
  return nullptr;
}

OpenDialog* Remember(HWND dialog) {
  if (OpenDialog* d = Find(dialog)) return d;
  for (OpenDialog& d : g_open)
    if (!d.window) {
      d = OpenDialog{dialog, nullptr, 0};
      return &d;
    }
  return nullptr;
}

COLORREF Colour(i32 i) { return Pal_GetColour(i) & 0xFFFFFF; }

const wch* Text(u32 id) { return Lng_GetText(TextId(id)); }

void SetDialogFont(HWND dialog, int control) {
  HWND c = Os_GetDlgItem(dialog, control);
  FontHandle f = Font_GetFixDlgFont();
  if (c && f) Os_SendMessage(c, WM_SETFONT, WPARAM(f), FALSE);
}

void SetCaption(HWND dialog, int control, const wch* text) {
  SetDialogFont(dialog, control);
  Os_SetDlgItemText(dialog, control, text ? text : u"");
}

void Disable(HWND dialog, int control) {
  if (HWND c = Os_GetDlgItem(dialog, control)) Os_EnableWindow(c, FALSE);
}

// Buttons of the record types 6 to 13: control and text.
void ButtonOf(int type, int* control, u32* text) {
  static const int kControl[8] = {DLG_ID_OK, DLG_ID_OK, DLG_ID_OK, DLG_ID_CANCEL, DLG_ID_EXTRA, DLG_ID_YES, DLG_ID_NO, DLG_ID_HELP};
  static const u32 kText[8] = {DFW_TEXT_OK, DFW_TEXT_OK2, DFW_TEXT_OK2, DFW_TEXT_CANCEL, DFW_TEXT_EXTRA, DFW_TEXT_YES, DFW_TEXT_NO, DFW_TEXT_HELP};
  *control = kControl[type - DLG_OK];
  *text = kText[type - DLG_OK];
}

void InitEdit(HWND dialog, const u8* r) {
  const int id = int(Dfw_Get16(r, 2));
  HWND c = Os_GetDlgItem(dialog, id);
  if (!c) return;
  FontHandle f = (r[12] & DLG_EDIT_FIXED_FONT) ? Font_GetFixEFont() : Font_GetVarEFont();
  if (f) Os_SendMessage(c, WM_SETFONT, WPARAM(f), FALSE);
  const i32 size = i32(Dfw_Get32(r, 8));
  if (size > 0) {
    wch* text = static_cast<wch*>(Heap_Alloc(u32(size) * 2));
    if (text) {
      Dfw_EditInitialText(r, text, size);
      Os_SetWindowText(c, text);
      Heap_Free(text);
    }
  }
  const int combo = id >= DLG_ID_COMBO_FIRST && id <= DLG_ID_COMBO_LAST;
  if (combo) {
    Os_SendMessage(c, CB_SETEXTENDEDUI, TRUE, 0);
    Os_SendMessage(c, CB_LIMITTEXT, WPARAM(size > 0 ? size - 1 : 0), 0);
  } else {
    Os_SendMessage(c, EM_LIMITTEXT, WPARAM(size > 0 ? size - 1 : 0), 0);
  }
  if (r[12] & DLG_EDIT_DISABLED) Os_EnableWindow(c, FALSE);
}

void InitButton(HWND dialog, const u8* r) {
  const int id = int(Dfw_Get16(r, 2));
  const u32 textId = Dfw_Get16(r, 4);
  SetCaption(dialog, id, textId ? Text(textId) : u"      ");
  Os_CheckDlgButton(dialog, id, (r[6] & DLG_BUTTON_CHECKED) ? BST_CHECKED : BST_UNCHECKED);
  if (r[6] & DLG_BUTTON_DISABLED) Disable(dialog, id);
}

void InitSpinBars(HWND dialog, DlgDesc* desc) {
  for (int bar = DLG_ID_SPIN_FIRST; bar <= DLG_ID_SPIN_LAST; ++bar) {
    HWND b = Os_GetDlgItem(dialog, bar);
    if (!b) continue;
    const u8* r = Dfw_FindDescItem(desc, bar - DLG_ID_SPIN_OFFSET);
    if (!r || r[0] != DLG_EDIT) continue;
    i32 lo, hi;
    Dfw_SpinBarRange(r, &lo, &hi);
    if (lo >= hi)
      Os_EnableWindow(b, FALSE);
    else
      Os_SetScrollRange(b, SB_CTL, lo, hi, TRUE);
  }
}

// Focus for the control of the title record; 1 when it was set.
int SetInitialFocus(HWND dialog, i32 focus) {
  if (focus == -1) return 0;
  HWND c = Os_GetDlgItem(dialog, focus);
  if (!c) c = Os_GetNextDlgTabItem(dialog, nullptr, FALSE);
  if (!c) return 0;
  Os_SetFocus(c);
  const LRESULT code = Os_SendMessage(c, WM_GETDLGCODE, 0, 0);
  if (code & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON)) Os_SendMessage(dialog, DM_SETDEFID, WPARAM(Os_GetDlgCtrlID(c)), 0);
  return 1;
}

// The picture of a record of type 14, 15 or 16: its code and extra value.
void PictureOf(const u8* rec, u32* code, u32* extra) {
  switch (rec[0]) {
    case DLG_PICTURE: *code = Dfw_Get32(rec, 8); *extra = Dfw_Get32(rec, 12); return;
    case DLG_PICTURE_VALUE: *code = Dfw_Get32(rec, 12); *extra = rec[16]; return;
    default: {
      const u32* table = static_cast<const u32*>(Dfw_GetPtr(rec, 24));
      const i32 count = i32(Dfw_Get32(rec, 12)), cur = i32(Dfw_Get32(rec, 16));
      const u32 v = (table && cur >= 0 && cur < count) ? table[cur] : 0;
      *code = v & 0xFFFF;
      *extra = v >> 16;
    }
  }
}

// Draws a pixel buffer made by draw() of w x h at x, y into dc.
template <class F>
void DrawBuffer(HDC dc, i32 x, i32 y, i32 w, i32 h, u32 fill, F draw) {
  if (w <= 0 || h <= 0) return;
  u32* px = static_cast<u32*>(Heap_Alloc(u32(w * h) * 4));
  if (!px) return;
  for (i32 i = 0; i < w * h; ++i) px[i] = fill;
  SchBuf b = {px, w, h};
  draw(&b);
  Map_BlitToDC(dc, x, y, w, h, &b);
  Heap_Free(px);
}

void PaintCellImage(const u8* rec, HWND dialog, HDC dc) {
  i32 x, y;
  Dfw_DialogToPixel(dialog, i16(Dfw_Get16(rec, 2)), i16(Dfw_Get16(rec, 4)), &x, &y);
  const u8 flags = rec[12];
  if (flags & DLG_CELL_SHIFTED) x -= 4, y += 2;
  else y += 6;
  const u32 back = Map_RgbToBuf(Colour(flags & DLG_CELL_ALT_COLOURS ? 11 : 9));
  if (flags & DLG_CELL_SYMBOLS) {
    const wch* s = static_cast<const wch*>(Dfw_GetPtr(rec, 8));
    const i32 w = Map_MeasureSymbolString(s, nullptr);
    DrawBuffer(dc, x, y, w, 16, back, [&](SchBuf* b) {
      Map_DrawSymbolString(b, 0, 0, w, w / 8, back, Map_RgbToBuf(Colour(17)), Map_RgbToBuf(Colour(8)), s);
    });
    return;
  }
  u32 code = Dfw_Get32(rec, 8);
  if (code == 49152) return;
  if (code < 16384) code = code % 512 + 4096;
  const i32 frame = (flags & DLG_CELL_FRAME) ? 2 : 0;
  DrawBuffer(dc, x - frame, y - frame, 32 + 2 * frame, 16 + 2 * frame, Map_RgbToBuf(Colour(8)), [&](SchBuf* b) {
    SchBuf inner = *b;
    if (frame) {
      // The frame stays in the border; the cell fills the inside.
      u32* px = static_cast<u32*>(Heap_Alloc(32 * 16 * 4));
      if (!px) return;
      SchBuf cell = {px, 32, 16};
      Map_DrawCellPreview(&cell, 0, 0, MAP_TARGET_PREVIEW1, code, 0, 0);
      for (i32 j = 0; j < 16; ++j)
        for (i32 i = 0; i < 32; ++i) inner.pixels[(j + frame) * inner.width + i + frame] = px[j * 32 + i];
      Heap_Free(px);
    } else {
      Map_DrawCellPreview(b, 0, 0, MAP_TARGET_PREVIEW1, code, 0, 0);
    }
  });
}

int KeyOfVirtualKey(int vk) {
  switch (vk) {
    case VK_UP: return DFW_KEY_UP;
    case VK_DOWN: return DFW_KEY_DOWN;
    case VK_PRIOR: return DFW_KEY_PAGE_UP;
    case VK_NEXT: return DFW_KEY_PAGE_DOWN;
  }
  return 0;
}

INT_PTR Handled(HWND dialog, LRESULT result) {
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace

// The five brushes live while any dialog is open.
void Dfw_PlatformBrushes(int create) {
  for (int i = 0; i < BR_COUNT; ++i) {
    if (g_brushes[i]) Os_DeleteObject(g_brushes[i]);
    g_brushes[i] = create ? Os_CreateSolidBrush(Colour(kBrushColour[i])) : nullptr;
  }
}

void Dfw_SetHelpHook(void (*show)(u32 topic)) { g_help = show; }

void Dfw_ShowHelp(u32 topic) {
  if (g_help) g_help(topic);
}

// ---------------------------------------------------------------- runner
int Dfw_RunModal(HWND owner, u32 templateId, DLGPROC proc, DlgDesc* desc) {
  if (templateId == 0 || !proc) return DLG_RESULT_CANCEL;
  if (!owner && g_activeViewSlot >= 0 && g_activeViewSlot < MAP_VIEWS)
    owner = static_cast<HWND>(g_mapViews[g_activeViewSlot].window);
  if (!owner) owner = static_cast<HWND>(g_appFrame);
  if (!owner) return DLG_RESULT_CANCEL;
  if (Dfw_EnterNesting()) return DLG_RESULT_CANCEL;
  ++g_appModalDepth;
  const INT_PTR end = Os_DialogBoxParam(templateId, owner, proc, reinterpret_cast<LPARAM>(desc));
  --g_appModalDepth;
  Dfw_LeaveNesting();
  Dfw_NoteEndCode(i32(end));
  return Dfw_MapEndCode(i32(end));
}

void Dfw_EndDialog(HWND dialog, INT_PTR code) {
  if (OpenDialog* d = Remember(dialog)) d->endCode = code;
  Os_EndDialog(dialog, code);
}

INT_PTR CALLBACK DlgF_Einfach(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  DlgDesc* desc = Dfw_DialogDesc(dialog);
  switch (message) {
    case WM_INITDIALOG: return Dfw_InitFromDesc(dialog, reinterpret_cast<DlgDesc*>(lParam));
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == DLG_ID_HELP) {
        const u8* first = desc;
        if (first && g_help && (first[0] == DLG_TITLE || first[0] == DLG_TITLE_STRING)) g_help(Dfw_Get16(first, 8));
        return TRUE;
      }
      if (id == DLG_ID_OK || id == DLG_ID_CANCEL || id == DLG_ID_YES || id == DLG_ID_NO || id == DLG_ID_EXTRA ||
          (id >= 103 && id <= 105) || (id >= 120 && id <= 137)) {
        Dfw_EndDialog(dialog, id);
        return TRUE;
      }
      return FALSE;
    }
    case WM_DESTROY: Dfw_OnDestroy(dialog, desc); return FALSE;
    case WM_PAINT:
      if (!desc) return FALSE;
      Dfw_PaintDescPictures(dialog, desc);
      return TRUE;
    case WM_VSCROLL:
      if (!desc) return FALSE;
      Dfw_OnVScroll(dialog, desc, reinterpret_cast<HWND>(lParam), LOWORD(wParam), i16(HIWORD(wParam)));
      return TRUE;
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
      return reinterpret_cast<INT_PTR>(Dfw_CtlColor(reinterpret_cast<HDC>(wParam), message, reinterpret_cast<HWND>(lParam)));
    case WM_DRAWITEM: {
      const DRAWITEMSTRUCT* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      const u8* r = desc ? Dfw_FindDescItem(desc, i32(di->CtlID)) : nullptr;
      if (!r || r[0] != DLG_LIST) return FALSE;
      Dfw_DrawListItem(di, r);
      return TRUE;
    }
    case WM_MEASUREITEM: {
      // A list item is one row of symbol-string glyphs with a pixel above and below.
      MEASUREITEMSTRUCT* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (mi->CtlType != ODT_LISTBOX) return FALSE;
      mi->itemHeight = 18;
      return TRUE;
    }
    case WM_CHARTOITEM: {
      HWND list = reinterpret_cast<HWND>(lParam);
      u8* r = desc ? Dfw_FindDescItem(desc, Os_GetDlgCtrlID(list)) : nullptr;
      if (!r || r[0] != DLG_LIST) return FALSE;
      // Returned as it is (a control message): -2, the list has nothing more to do.
      Dfw_ListSelectByKey(dialog, r, wch(LOWORD(wParam)));
      return -2;
    }
    case WM_APP_DLGKEY2: return Handled(dialog, desc ? Dfw_SpinKey(desc, int(wParam)) : 0);
  }
  return FALSE;
}

// ---------------------------------------------------------------- filling and reading back
int Dfw_InitFromDesc(HWND dialog, DlgDesc* desc) {
  Dfw_SetCurrentDialog(dialog);
  if (OpenDialog* d = Remember(dialog)) {
    d->desc = desc;
    d->endCode = 0;
  }
  if (!desc) return 1;
  i32 focus = -1;
  u8* r = desc;
  for (; Dfw_RecordSize(r[0]); r = Dfw_NextDescItem(r)) {
    const int type = r[0];
    const int id = int(Dfw_Get16(r, 2));
    switch (type) {
      case DLG_TITLE:
        Os_SetWindowText(dialog, Text(Dfw_Get16(r, 4)));
        focus = i32(Dfw_Get32(r, 12));
        break;
      case DLG_TITLE_STRING: {
        const wch* s = static_cast<const wch*>(Dfw_GetPtr(r, 4));
        Os_SetWindowText(dialog, s ? s : u"");
        focus = i32(Dfw_Get32(r, 12));
        break;
      }
      case DLG_STATIC: {
        const u32 t = Dfw_Get16(r, 4);
        SetCaption(dialog, id, t ? Text(t) : u"");
        break;
      }
      case DLG_CAPTION: case DLG_CAPTION_DISABLED:
        SetCaption(dialog, id, Text(Dfw_Get16(r, 4)));
        if (type == DLG_CAPTION_DISABLED) Disable(dialog, id);
        break;
      case DLG_STATIC_STRING: SetCaption(dialog, id, static_cast<const wch*>(Dfw_GetPtr(r, 4))); break;
      case DLG_OK: case DLG_OK2: case DLG_OK2_DISABLED: case DLG_CANCEL: case DLG_EXTRA: case DLG_YES: case DLG_NO:
      case DLG_HELP: {
        int control;
        u32 text;
        ButtonOf(type, &control, &text);
        SetCaption(dialog, control, Text(text));
        if (type == DLG_OK2_DISABLED) Disable(dialog, control);
        break;
      }
      case DLG_PICTURE_CHOOSER: {
        const i32 count = i32(Dfw_Get32(r, 12));
        i32 cur = i32(Dfw_Get32(r, 16)), page = i32(Dfw_Get32(r, 20));
        if (cur >= count) cur = count - 1;
        if (cur < 0) cur = 0;
        if (page < 1 || page >= count) page = 1;
        Dfw_Set32(r, 16, u32(cur));
        Dfw_Set32(r, 20, u32(page));
        break;
      }
      case DLG_LIST: {
        const u32 flags = Dfw_Get32(r, 8);
        if (flags & DLG_LIST_DISABLED) {
          Disable(dialog, id);
        } else if (flags & DLG_LIST_FONT_ONLY) {
          SetDialogFont(dialog, id);
        } else {
          if (flags & DLG_LIST_SORT) Dfw_SortListItems(r);
          Dfw_FillList(dialog, r);
        }
        break;
      }
      case DLG_EDIT: InitEdit(dialog, r); break;
      case DLG_RADIO: case DLG_CHECK: InitButton(dialog, r); break;
    }
  }
  const int focused = SetInitialFocus(dialog, focus);
  InitSpinBars(dialog, desc);
  Dfw_InitRangeBar(dialog, desc);
  return focused ? 0 : 1;
}

void Dfw_ReadBackDesc(HWND dialog, DlgDesc* desc) {
  if (!desc) return;
  for (u8* r = desc; Dfw_RecordSize(r[0]); r = Dfw_NextDescItem(r)) {
    const int id = int(Dfw_Get16(r, 2));
    if (r[0] == DLG_EDIT) {
      const i32 size = i32(Dfw_Get32(r, 8));
      if (size < 1 || !Os_GetDlgItem(dialog, id)) continue;
      wch* text = static_cast<wch*>(Heap_Alloc(u32(size) * 2));
      if (!text) continue;
      Os_GetDlgItemText(dialog, id, text, size);
      Dfw_EditReadBack(r, text);
      Heap_Free(text);
    } else if (r[0] == DLG_RADIO || r[0] == DLG_CHECK) {
      const int exists = Os_GetDlgItem(dialog, id) != nullptr;
      r[6] = u8(Dfw_ButtonReadBack(r[6], exists, exists && Os_IsDlgButtonChecked(dialog, id) == BST_CHECKED));
    }
  }
}

void Dfw_OnDestroy(HWND dialog, DlgDesc* desc) {
  OpenDialog* d = Find(dialog);
  if (desc && d && Dfw_EndKeepsInput(i32(d->endCode))) Dfw_ReadBackDesc(dialog, desc);
  if (d) *d = OpenDialog{};
}

DlgDesc* Dfw_DialogDesc(HWND dialog) {
  const OpenDialog* d = Find(dialog);
  return d ? d->desc : nullptr;
}

// ---------------------------------------------------------------- lists
int Dfw_FillList(HWND dialog, u8* listRec) {
  const int id = int(Dfw_Get16(listRec, 2));
  Os_SendDlgItemMessage(dialog, id, LB_RESETCONTENT, 0, 0);
  for (i32 n = 0;; ++n) {
    wch* item = Dfw_ListItemText(listRec, n);
    if (!item) break;
    // The control holds the item's address; the drawing reads the item from it.
    const LRESULT r = Os_SendDlgItemMessage(dialog, id, LB_ADDSTRING, reinterpret_cast<LPARAM>(item), 0);
    if (r == LB_ERR || r == LB_ERRSPACE) {
      Msg_WarnId(DFW_MSG_LIST_FULL, DFW_TEXT_LIST_FULL);
      Os_SendDlgItemMessage(dialog, id, LB_SETCURSEL, 0, 0);
      return 1;
    }
  }
  Os_SendDlgItemMessage(dialog, id, LB_SETCURSEL, 0, 0);
  return 0;
}

int Dfw_DeleteListItem(HWND dialog, u8* listRec, i32 n) {
  if (Dfw_RemoveListItem(listRec, n)) return 1;
  const int id = int(Dfw_Get16(listRec, 2));
  Dfw_FillList(dialog, listRec);
  const i32 count = Dfw_ListItemCount(listRec);
  if (count > 0) Os_SendDlgItemMessage(dialog, id, LB_SETCURSEL, 0, WPARAM(n < count ? n : count - 1));
  return 0;
}

i32 Dfw_ListSelectByKey(HWND dialog, u8* listRec, wch typed) {
  const int id = int(Dfw_Get16(listRec, 2));
  const i32 current = i32(Os_SendDlgItemMessage(dialog, id, LB_GETCURSEL, 0, 0));
  const i32 i = Dfw_FindItemByKey(listRec, current, typed);
  if (i >= 0) Os_SendDlgItemMessage(dialog, id, LB_SETCURSEL, 0, WPARAM(i));
  return i;
}

void Dfw_DrawDottedFrame(HDC dc, const RECT* r) {
  int k = 0;
  for (i32 x = r->left; x < r->right; ++x, ++k)
    if (!(k & 1)) Map_InvertPixel(dc, x, r->top);
  for (i32 y = r->top + 1; y < r->bottom; ++y, ++k)
    if (!(k & 1)) Map_InvertPixel(dc, r->right - 1, y);
  for (i32 x = r->right - 2; x >= r->left; --x, ++k)
    if (!(k & 1)) Map_InvertPixel(dc, x, r->bottom - 1);
  for (i32 y = r->bottom - 2; y > r->top; --y, ++k)
    if (!(k & 1)) Map_InvertPixel(dc, r->left, y);
}

void Dfw_DrawListItem(const DRAWITEMSTRUCT* di, const u8* listRec) {
  if (di->itemID == UINT(-1)) return;
  if (di->itemAction == ODA_FOCUS) {
    Dfw_DrawDottedFrame(di->hDC, &di->rcItem);
    return;
  }
  const wch* item = reinterpret_cast<const wch*>(di->itemData);
  const int selected = (di->itemState & ODS_SELECTED) != 0;
  const u32 back = Map_RgbToBuf(selected ? GetSysColor(COLOR_HIGHLIGHT) : Colour(18));
  const u32 ink = Map_RgbToBuf(selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : Colour(16));
  const u32 second = Map_RgbToBuf(selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : Colour(17));
  const RECT& rc = di->rcItem;
  const i32 w = rc.right - rc.left, h = rc.bottom - rc.top;
  const int indent = (Dfw_Get32(listRec, 8) & DLG_LIST_INDENT) != 0;
  const i32 x = indent ? 16 : 8;
  const i32 width = indent ? -1 : w - x;
  const i32 cells = (w - x) / SYM_CELL;
  const i32 y = (h - SYM_HEIGHT) / 2;
  DrawBuffer(di->hDC, rc.left, rc.top, w, h, back, [&](SchBuf* b) {
    if (item && cells > 0) Map_DrawSymbolString(b, x, y, width, cells, back, second, ink, item);
  });
  // The characters of the item are text in the symbol font over their cells.
  struct Chars {
    HDC dc;
    i32 x, y, cells;
    u32 back, ink, second;
  } chars = {di->hDC, rc.left + x, rc.top + y, cells, back, ink, second};
  if (item)
    Map_WalkSymbolString(item, [](void* p, u32 code, i32 cell, i32, int highlight) {
      const Chars* c = static_cast<const Chars*>(p);
      if (code > SYM_BLANK && cell < c->cells)
        Map_DrawGlyph(c->dc, c->x + cell * SYM_CELL, c->y, Map_RgbToBuf(c->back), Map_RgbToBuf(highlight ? c->second : c->ink), code);
    }, &chars);
  if (di->itemState & ODS_FOCUS) Dfw_DrawDottedFrame(di->hDC, &rc);
}

// ---------------------------------------------------------------- colours
static int InRange(int v, int lo, int hi) { return v >= lo && v <= hi; }

HBRUSH Dfw_CtlColor(HDC dc, UINT message, HWND control) {
  const int id = control ? Os_GetDlgCtrlID(control) : 0;
  auto paint = [&](i32 text, i32 back, int brush) {
    Os_SetTextColor(dc, Colour(text));
    Os_SetBkColor(dc, Colour(back));
    return g_brushes[brush];
  };
  if (message == WM_CTLCOLORDLG) return g_brushes[BR_DIALOG];
  if (message == WM_CTLCOLORSTATIC) {
    if (InRange(id, 190, 269) || InRange(id, 400, 499) || InRange(id, 1040, 1071) || InRange(id, 1088, 1119))
      return paint(8, 9, BR_STATIC);
    if (InRange(id, 140, 179) || InRange(id, 1152, 1167)) return paint(72, 73, BR_READONLY);
  }
  if (message == WM_CTLCOLORLISTBOX || InRange(id, 1120, 1151)) return paint(16, 18, BR_LIST);
  if (message == WM_CTLCOLOREDIT || InRange(id, 1152, 1167)) return paint(10, 11, BR_EDIT);
  if (message == WM_CTLCOLORMSGBOX) return g_brushes[BR_EDIT];
  if (message == WM_CTLCOLORBTN) return paint(8, 9, BR_STATIC);
  return nullptr;
}

// ---------------------------------------------------------------- spin fields and bars
void Dfw_InitRangeBar(HWND dialog, DlgDesc* desc) {
  HWND bar = Os_GetDlgItem(dialog, DLG_ID_RANGE_BAR);
  if (!bar) return;
  const u8* r = desc ? Dfw_FindDescItem(desc, DLG_ID_RANGE_BAR) : nullptr;
  i32 lo = 0, hi = 100, pos = 0;
  if (r && r[0] == DLG_PICTURE_CHOOSER) {
    hi = i32(Dfw_Get32(r, 12)) - 1;
    pos = i32(Dfw_Get32(r, 16));
  } else if (r && r[0] == DLG_PICTURE_VALUE) {
    lo = r[17], hi = r[18], pos = r[16];
  }
  if (hi <= lo) {
    Os_EnableWindow(bar, FALSE);
    return;
  }
  SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, lo, hi, 1, pos, 0};
  Os_SetScrollInfo(bar, SB_CTL, &si, TRUE);
}

void Dfw_OnVScroll(HWND dialog, DlgDesc* desc, HWND bar, int code, int position) {
  const int barId = bar ? Os_GetDlgCtrlID(bar) : 0;
  if (InRange(barId, DLG_ID_SPIN_FIRST, DLG_ID_SPIN_LAST)) {
    const int editId = barId - DLG_ID_SPIN_OFFSET;
    HWND edit = Os_GetDlgItem(dialog, editId);
    if (!edit || !Os_IsWindowEnabled(edit)) return;
    Os_SetFocus(edit);
    int vk = 0;
    switch (code) {
      case SB_LINEUP: vk = VK_UP; break;
      case SB_LINEDOWN: vk = VK_DOWN; break;
      case SB_PAGEUP: case SB_TOP: vk = VK_PRIOR; break;
      case SB_PAGEDOWN: case SB_BOTTOM: vk = VK_NEXT; break;
    }
    if (vk) Dfw_SpinKey(desc, vk);
    return;
  }
  if (barId != DLG_ID_RANGE_BAR) return;
  u8* r = Dfw_FindDescItem(desc, DLG_ID_RANGE_BAR);
  if (!r) return;
  i32 pos;
  if (r[0] == DLG_PICTURE_CHOOSER) {
    const i32 count = i32(Dfw_Get32(r, 12)), step = i32(Dfw_Get32(r, 20)), last = count - 1;
    if (count < 1) return;
    pos = i32(Dfw_Get32(r, 16));
    switch (code) {
      case SB_LINEUP: pos = pos <= 0 ? last : pos - 1; break;
      case SB_LINEDOWN: pos = pos >= last ? 0 : pos + 1; break;
      case SB_PAGEUP: pos = pos <= 0 ? last : (pos - step < 0 ? 0 : pos - step); break;
      case SB_PAGEDOWN: pos = pos >= last ? 0 : (pos + step > last ? last : pos + step); break;
      case SB_THUMBTRACK: pos = position; break;
      case SB_TOP: pos = 0; break;
      case SB_BOTTOM: pos = last; break;
      default: return;
    }
    if (pos < 0) pos = 0;
    if (pos > last) pos = last;
    Dfw_Set32(r, 16, u32(pos));
  } else if (r[0] == DLG_PICTURE_VALUE) {
    const i32 lo = r[17], hi = r[18];
    pos = r[16];
    switch (code) {
      case SB_LINEUP: pos = pos <= lo ? hi : pos - 1; break;
      case SB_LINEDOWN: pos = pos >= hi ? lo : pos + 1; break;
      case SB_PAGEUP: case SB_TOP: pos = lo; break;
      case SB_PAGEDOWN: case SB_BOTTOM: pos = hi; break;
      case SB_THUMBTRACK: pos = position; break;
      default: return;
    }
    if (pos < lo) pos = lo;
    if (pos > hi) pos = hi;
    r[16] = u8(pos);
  } else {
    return;
  }
  HDC dc = Os_GetDC(dialog);
  if (dc) {
    Dfw_PaintPictureItem(r, dialog, dc);
    Os_ReleaseDC(dialog, dc);
  }
  Os_SetScrollPos(bar, SB_CTL, pos, TRUE);
}

int Dfw_SpinKey(DlgDesc* desc, int virtualKey) {
  const int key = KeyOfVirtualKey(virtualKey);
  HWND focus = Os_GetFocus();
  if (!key || !desc || !focus) return 0;
  const int id = Os_GetDlgCtrlID(focus);
  if (!InRange(id, DLG_ID_EDIT_FIRST, DLG_ID_EDIT_LAST)) return 0;
  const u8* r = Dfw_FindDescItem(desc, id);
  if (!r || r[0] != DLG_EDIT || !(r[12] & DLG_EDIT_SPIN) || (r[12] & DLG_EDIT_DISABLED)) return 0;
  wch text[DFW_SPIN_TEXT_MAX + 1];
  Os_SendMessage(focus, WM_GETTEXT, DFW_SPIN_TEXT_MAX + 1, reinterpret_cast<LPARAM>(text));
  DWORD start = 0;
  Os_SendMessage(focus, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  i32 caret = i32(start);
  if (!Dfw_SpinText(r, text, DFW_SPIN_TEXT_MAX + 1, &caret, key)) return 0;
  Os_SetWindowText(focus, text);
  Os_SendMessage(focus, EM_SETSEL, WPARAM(caret), LPARAM(caret));
  return 1;
}

void Dfw_ShowRemainingChars(HWND dialog, DlgDesc* desc, int editControl, int targetControl) {
  const u8* r = desc ? Dfw_FindDescItem(desc, editControl) : nullptr;
  HWND edit = Os_GetDlgItem(dialog, editControl);
  if (!r || r[0] != DLG_EDIT || !edit) return;
  const i32 length = i32(Os_SendMessage(edit, WM_GETTEXTLENGTH, 0, 0));
  wch text[80];
  Fmt_Print(text, 80, u"%u %s", u32(Dfw_RemainingChars(r, length)), Text(DFW_TEXT_CHARS_LEFT));
  Os_SetDlgItemText(dialog, targetControl, text);
}

int Dfw_ControlRect(HWND dialog, int control, RECT* rect) {
  HWND c = Os_GetDlgItem(dialog, control);
  if (!c) return 1;
  Os_GetWindowRect(c, rect);
  POINT a = {rect->left, rect->top}, b = {rect->right, rect->bottom};
  Os_ScreenToClient(dialog, &a);
  Os_ScreenToClient(dialog, &b);
  *rect = RECT{a.x, a.y, b.x, b.y};
  return 0;
}

void Dfw_DialogToPixel(HWND dialog, i32 x, i32 y, i32* px, i32* py) {
  RECT r = {x, y, x, y};
  Os_MapDialogRect(dialog, &r);
  *px = r.left;
  *py = r.top;
}

// ---------------------------------------------------------------- pictures
void Dfw_PaintPictureItem(const u8* rec, HWND dialog, HDC dc) {
  if (rec[0] != DLG_PICTURE && rec[0] != DLG_PICTURE_VALUE && rec[0] != DLG_PICTURE_CHOOSER) return;
  i32 x, y;
  Dfw_DialogToPixel(dialog, i16(Dfw_Get16(rec, 4)), i16(Dfw_Get16(rec, 6)), &x, &y);
  const u8 flags = u8(Dfw_ItemFlags(rec));
  const i32 width = (flags & DLG_PIC_SMALL) ? 32 : 96;
  const i32 clear = rec[0] == DLG_PICTURE ? 0 : i16(Dfw_Get16(rec, 8));
  u32 code, extra;
  PictureOf(rec, &code, &extra);
  i32 above = Map_PieceImageHeight(code, i32(extra));
  const i32 below = above < 0 ? 16 : 0;
  if (above < 0) above = -16 - above;
  above -= 16;  // rows above the picture's own cell
  if (clear > above) above = clear;
  const u32 back = Map_RgbToBuf(Colour(127));
  DrawBuffer(dc, x, y - above, width, above + 16 + below, back, [&](SchBuf* b) {
    Map_DrawPieceImage(b, 0, above, (flags & DLG_PIC_SMALL) ? 0 : 1, 0, i32(extra), code);
  });
  if (flags & DLG_PIC_NAME) {
    const int nameControl =
        int(Dfw_Get16(rec, rec[0] == DLG_PICTURE ? 18 : rec[0] == DLG_PICTURE_VALUE ? 20 : 30));
    if (InRange(nameControl, DLG_ID_STATIC_FIRST, DLG_ID_STATIC_LAST)) {
      wch name[OS_MAX_PATH];
      name[0] = 0;
      Gfx_ElementFileName(GraphicCode(code), 0, 0, 1, name, i32(extra));
      Os_SetDlgItemText(dialog, nameControl, name);
    }
  }
}

static void PaintAll(HWND dialog, DlgDesc* desc, HDC dc) {
  for (const u8* r = desc; Dfw_RecordSize(r[0]); r = Dfw_NextDescItem(r)) {
    if (r[0] == DLG_CELL_IMAGE)
      PaintCellImage(r, dialog, dc);
    else
      Dfw_PaintPictureItem(r, dialog, dc);
  }
}

void Dfw_PaintDescPictures(HWND dialog, DlgDesc* desc) {
  PAINTSTRUCT ps;
  HDC dc = Os_BeginPaint(dialog, &ps);
  if (dc && desc) PaintAll(dialog, desc, dc);
  Os_EndPaint(dialog, &ps);
}

void Dfw_RepaintDescPictures(HWND dialog, DlgDesc* desc) {
  HDC dc = Os_GetDC(dialog);
  if (!dc) return;
  if (desc) PaintAll(dialog, desc, dc);
  Os_ReleaseDC(dialog, dc);
}
