// The depot dialogs: the list of all depot places (template 68, procedure
// DlgF_DepotListe), the error box of a place reference that offers that list
// (template 69) and the name steppers of the place and line fields. The rows,
// the descriptors and the acting on end codes are portable; the window half
// (depdlg_win32) runs the templates. Natively no dialog runs: every one ends
// as cancelled.
//
// Owns the place last chosen in the list. Main thread only.
#pragma once
#include "dialogs/dfw.h"
#include "platform/types.h"

enum { DEP_DLG_LIST = 68, DEP_DLG_REF_ERROR = 69 };
// The error box's button that opens the list.
enum { DEP_BTN_OPEN_LIST = 120 };
// The list's caption and its column heads.
enum { DEP_LIST_CAPTION = 190, DEP_LIST_HEADS = 191 };

// One row per place in list order, DEP_ROW_UNITS units each: a column mark
// (2), the depot number, the place number and 0 (the row's keys), then the
// row text with its zero: the long name padded to 16 (blank on the further
// places of a depot), the short name padded to 4, the place number, a column
// mark, the waiting time in seconds ("---" none), the signal installation
// of the place padded to 20 (its name; text 17740 when mixed; "-----" none),
// the trains of today (home, standing at the cell, timetable B and A) and the
// timetable B and A entries of the whole week. The block (room for
// (depots + places) x DEP_ROW_UNITS units) ends with two zero units. The
// rows written.
enum { DEP_ROW_UNITS = 101, DEP_ROW_KEYS = 4, DEP_ROW_MARK = 2 };
i32 Dep_FormatListRows(wch* block);

// The field steppers of the dialog framework for depot place references and
// line names (spin keys in those fields): 0 stepped, 1 nothing to step to.
int Dep_StepPlaceField(wch* field, i32 step, i32 size);
int Dep_StepLineField(wch* field, i32 step, i32 size);

// The list's keyed item block from rows rows of Dep_FormatListRows: each
// item keyed by its row index + 1, its text the row from its column mark on
// (the mark's three parameter units made non-zero, since an item ends at its
// first zero; at most 65535 rows, the most one-unit keys tell apart). block
// has room for rows x (DEP_ROW_UNITS + 1) + 1 units.
void Dep_BuildListBlock(const wch* rows, i32 count, wch* block);
// The depot and place of row index row (-1 none) into the module's choice;
// the window half calls it on OK and double click.
void Dep_SetListChoice(const wch* rows, i32 row);
// The rows of the list while it is open, null otherwise.
const wch* Dep_OpenListRows(void);
// The depot last chosen (0 none), its place in *place (may be null).
u32 Dep_ListChoice(u32* place);
// The list's descriptor over block: title, caption with the counts, column
// heads, the list, OK, Cancel and Help (topic 41045 with centre, else 41046).
int Dep_BuildListDesc(DlgBuild* b, wch* block, wch* title, wch* caption, int centre);
// The depot list: needs an active view and a depot. The chosen depot (0
// none; its place by Dep_ListChoice); with centre the active view is
// centred on the chosen place.
u32 Dep_ShowList(int centre);
// The error of a place reference with a button that opens the list: 1 when a
// place was picked there (its unpadded reference in chosen, 24 units).
int Dep_ErrorOfferList(u32 msgNo, const wch* text, wch* chosen);

// The window half: runs the template over desc; the dialog result
// (DLG_RESULT_* or a passed-through code). Natively DLG_RESULT_CANCEL.
int Dep_RunDialog(u32 templateId, DlgDesc* desc);

// ---------------------------------------------------------------- the place dialog
enum { DEP_DLG_PLACE = 63 };
// Its buttons: the info text of the cell, the train table of the place and
// of the depot (shown disabled while those dialogs are not in this build).
enum { DEP_BTN_INFO = 103, DEP_BTN_PLACE_TRAINS = 120, DEP_BTN_DEPOT_TRAINS = 121 };
enum { DEP_FORM_COND = 1260, DEP_FORM_LIST = 840 };
// What the dialog shows and the user edits: the fields' texts and the
// direction and option bits behind its radios and check boxes.
struct DepPlaceForm {
  i32 x, y, level;
  u32 code;          // element code at the cell
  u32 depot, place;  // the place at the cell, 0 for a new one
  wch ref[24];
  wch shortName[8];
  wch wait[8];
  wch cond[DEP_FORM_COND];
  wch listA[DEP_FORM_LIST];
  wch listB[DEP_FORM_LIST];
  wch title[80];
  wch uses[4][24];  // trains of the place and of the depot, today and the week
  u32 directions, options;
  i32 focus;        // control that gets the focus, -1 none
};
// The form of the cell's place (or of a new one). 1 when a place stands
// there, 0 for a new one.
int Dep_FillPlaceForm(DepPlaceForm* f, i32 x, i32 y, i32 level, u32 code);
// The descriptor over the form.
int Dep_BuildPlaceDesc(DlgBuild* b, DepPlaceForm* f);
// The radios and check boxes read back into the form's bits.
void Dep_ReadPlaceDesc(const DlgDesc* desc, DepPlaceForm* f);
// Stores the form as OK does: DEP_FORM_STORED, DEP_FORM_ABANDONED (the user
// declined to join an existing depot) or DEP_FORM_AGAIN (an error was shown;
// the dialog opens again with the focus on f->focus).
enum { DEP_FORM_STORED = 0, DEP_FORM_ABANDONED = 1, DEP_FORM_AGAIN = 2 };
int Dep_ApplyPlaceForm(DepPlaceForm* f);
// The property dialog of the depot place at the cell (or of a new place on a
// depot cell): 1 when something was stored, else 0. Needs an active view.
int Dep_PlaceDialog(i32 x, i32 y, i32 level, u32 code);
