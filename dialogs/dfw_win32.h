// The dialog framework, window half: the runner of every modal dialog
// (Dfw_RunModal), the generic dialog procedure DlgF_Einfach, and the
// operations that dialogs with procedures of their own call: filling a
// dialog from its descriptor and reading the input back, lists, colours,
// spin fields and scroll bars, pictures.
//
// A dialog ends through Dfw_EndDialog, which records its end code: only an
// end that keeps input (Dfw_EndKeepsInput: OK, Yes, No and the passed-
// through codes) copies the fields into the caller's buffers and flags when
// the dialog is destroyed; Cancel, the extra button and a closed dialog
// leave them as they were.
//
// Owns the five brushes (palette colours 0, 18, 11, 73, 9; alive while any
// dialog is open), the descriptor and end code of each open dialog and the
// help hook. Main thread only.
#pragma once
#include <windows.h>

#include "dialogs/dfw.h"

// A DlgResult; 1 for template 0, no procedure, no owner (none given, no view,
// no frame), the eleventh nested dialog or a dialog that could not be made.
int Dfw_RunModal(HWND owner, u32 templateId, DLGPROC proc, DlgDesc* desc);
INT_PTR CALLBACK DlgF_Einfach(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Ends the dialog with the code (remembered for Dfw_OnDestroy).
void Dfw_EndDialog(HWND dialog, INT_PTR code);

// WM_INITDIALOG work: sets the current level's window, keeps the descriptor
// for the dialog and fills it. 0 when it set the focus itself, else 1.
int Dfw_InitFromDesc(HWND dialog, DlgDesc* desc);
// Copies the fields of the edit, radio and check records into the caller's
// buffers and flags.
void Dfw_ReadBackDesc(HWND dialog, DlgDesc* desc);
// WM_DESTROY work: Dfw_ReadBackDesc when a descriptor is given and the
// dialog ended with a code that keeps input; forgets the dialog.
void Dfw_OnDestroy(HWND dialog, DlgDesc* desc);
// The descriptor kept for an open dialog, null when none.
DlgDesc* Dfw_DialogDesc(HWND dialog);

// Fills the list control of the record from its item block and selects the
// first item. The control keeps each item by its address in the block. A
// refused item: warning 770 (text 8140), no further items. 0 all added, 1 refused.
int Dfw_FillList(HWND dialog, u8* listRec);
// Removes item n from the block and fills the control again (the addresses
// of the items behind it moved); the item now at n, or the last, is
// selected. 1 no such item, else 0.
int Dfw_DeleteListItem(HWND dialog, u8* listRec, i32 n);
// WM_CHARTOITEM: selects the item found by the typed character; the index
// selected, -1 when none (nothing changes).
i32 Dfw_ListSelectByKey(HWND dialog, u8* listRec, wch typed);
void Dfw_DrawListItem(const DRAWITEMSTRUCT* item, const u8* listRec);
void Dfw_DrawDottedFrame(HDC dc, const RECT* rect);
// The brush for a control-colour message (after setting the colours), null
// for the system default.
HBRUSH Dfw_CtlColor(HDC dc, UINT message, HWND control);

void Dfw_InitRangeBar(HWND dialog, DlgDesc* desc);
void Dfw_OnVScroll(HWND dialog, DlgDesc* desc, HWND bar, int code, int position);
// Steps the focused spin field by a key (VK_UP, VK_DOWN, VK_PRIOR, VK_NEXT);
// 1 handled, 0 not (no spin field focused, disabled, nothing to step).
int Dfw_SpinKey(DlgDesc* desc, int virtualKey);
// "%u %s": the characters still free in the edit field and text 8202.
void Dfw_ShowRemainingChars(HWND dialog, DlgDesc* desc, int editControl, int targetControl);
// A control's rectangle in the dialog's client coordinates; 0 ok, 1 no control.
int Dfw_ControlRect(HWND dialog, int control, RECT* rect);
void Dfw_DialogToPixel(HWND dialog, i32 x, i32 y, i32* px, i32* py);

void Dfw_PaintDescPictures(HWND dialog, DlgDesc* desc);
void Dfw_RepaintDescPictures(HWND dialog, DlgDesc* desc);
void Dfw_PaintPictureItem(const u8* rec, HWND dialog, HDC dc);

// What the help button shows (the help front end installs it); without one
// the button does nothing.
void Dfw_SetHelpHook(void (*show)(u32 topic));
// Opens the help at the topic (nothing without the hook).
void Dfw_ShowHelp(u32 topic);
