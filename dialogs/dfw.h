// The dialog framework, portable half: dialog descriptors (DlgDesc), the
// nesting of modal dialogs, the mapping of end codes, the item blocks of
// lists, the stepping of spin fields and the rules of reading input back.
//
// A DlgDesc is a packed byte string of typed records (little-endian, no
// alignment), walked from its first record to the first whose type byte is
// above 21. Every caption is a language text number; edit fields, lists,
// choosers and string captions point at the caller's memory through u32
// fields. In the 32-bit program such a field holds the address itself, so the
// byte layout is the one every template's caller writes. A 64-bit build
// cannot keep an address in 32 bits: there the field holds a reference into
// the framework's table of pointers (Dfw_SetPtr interns an address once and
// gives the same reference for it ever after; 0 is null). Every reader and
// writer of such a field goes through Dfw_SetPtr and Dfw_GetPtr, so callers
// never see the difference.
//
// Owns the nesting level and its ten window slots, the pair of flags that
// tells whether the last dialog ended with code 106, the table of pointers
// (64-bit builds) and the steppers of named spin kinds. The window half
// (filling controls, the generic dialog procedure DlgF_Einfach, colours,
// painting) is dialogs/dfw_win32.h. Main thread only.
#pragma once
#include "platform/types.h"

typedef u8 DlgDesc;

enum {
  DLG_TITLE = 0,            // 16: u16@4 TextId, u16@8 help topic, i32@12 focus control (-1 none)
  DLG_TITLE_STRING = 1,     // 16: ptr@4 title, u16@8 help topic, i32@12 focus control
  DLG_STATIC = 2,           // 6: u16@2 control, u16@4 TextId (0 empty)
  DLG_STATIC_STRING = 3,    // 8: u16@2 control, ptr@4 string (null empty)
  DLG_CAPTION = 4,          // 6: u16@2 control, u16@4 TextId
  DLG_CAPTION_DISABLED = 5, // 6: as 4, control disabled
  DLG_OK = 6,               // 1: control 1, text 8100
  DLG_OK2 = 7,              // 1: control 1, text 8107
  DLG_OK2_DISABLED = 8,     // 1: control 1, text 8107, disabled
  DLG_CANCEL = 9,           // 1: control 2, text 8101
  DLG_EXTRA = 10,           // 1: control 8, text 8105
  DLG_YES = 11,             // 1: control 6, text 8102
  DLG_NO = 12,              // 1: control 7, text 8103
  DLG_HELP = 13,            // 1: control 100, text 8104
  DLG_PICTURE = 14,         // 20: u16@2 control, i16@4 x, i16@6 y, u32@8 code, u32@12 extra, u8@16 flags, u16@18 name control
  DLG_PICTURE_VALUE = 15,   // 24: u16@2 bar, i16@4 x, i16@6 y, i16@8 height, u32@12 code, u8@16 value, u8@17 min, u8@18 max, u8@19 flags, u16@20 name control
  DLG_PICTURE_CHOOSER = 16, // 32: u16@2 bar, i16@4 x, i16@6 y, i16@8 height, u32@12 count, i32@16 current, i32@20 page, ptr@24 table, u8@28 flags, u16@30 name control
  DLG_CELL_IMAGE = 17,      // 16: i16@2 x, i16@4 y, u32@8 code or ptr to a symbol string (flag 4), u8@12 flags
  DLG_LIST = 18,            // 12: u16@2 control, ptr@4 item block, u32@8 flags
  DLG_EDIT = 19,            // 24: u16@2 control, ptr@4 buffer, u32@8 size with the zero, u8@12 flags, i32@16 min, i32@20 max
  DLG_RADIO = 20,           // 8: u16@2 control, u16@4 TextId (0 six blanks), u8@6 flags
  DLG_CHECK = 21,           // 8: as 20
  DLG_END = 22
};

// Flags of picture records (types 14, 15, 16) and cell images (17).
enum { DLG_PIC_SMALL = 1, DLG_PIC_NAME = 2 };
enum { DLG_CELL_ALT_COLOURS = 1, DLG_CELL_FRAME = 2, DLG_CELL_SYMBOLS = 4, DLG_CELL_SHIFTED = 8 };
// List flags.
enum { DLG_LIST_SORT = 1, DLG_LIST_FONT_ONLY = 2, DLG_LIST_DISABLED = 4, DLG_LIST_KEYED = 8, DLG_LIST_INDENT = 16 };
// Edit field flags.
enum { DLG_EDIT_ESCAPES = 1, DLG_EDIT_DISABLED = 2, DLG_EDIT_SPIN = 4, DLG_EDIT_TRIM = 8, DLG_EDIT_FIXED_FONT = 16 };
// Radio button and check box flags.
enum { DLG_BUTTON_CHECKED = 1, DLG_BUTTON_DISABLED = 2 };

// DlgControlIds shared with every template.
enum {
  DLG_ID_OK = 1, DLG_ID_CANCEL = 2, DLG_ID_YES = 6, DLG_ID_NO = 7, DLG_ID_EXTRA = 8, DLG_ID_HELP = 100,
  DLG_ID_LIST = 106, DLG_ID_COMBO_FIRST = 110, DLG_ID_COMBO_LAST = 114,
  DLG_ID_EDIT_FIRST = 140, DLG_ID_EDIT_LAST = 179, DLG_ID_STATIC_FIRST = 190, DLG_ID_STATIC_LAST = 269,
  DLG_ID_SPIN_FIRST = 290, DLG_ID_SPIN_LAST = 329, DLG_ID_SPIN_OFFSET = 150, DLG_ID_RANGE_BAR = 340,
  DLG_ID_RADIO_FIRST = 400, DLG_ID_RADIO_LAST = 469, DLG_ID_CHECK_FIRST = 470, DLG_ID_CHECK_LAST = 499
};

// DlgResult.
enum { DLG_RESULT_CANCEL = 1, DLG_RESULT_OK = 2, DLG_RESULT_YES = 3, DLG_RESULT_NO = 4 };

// Texts of the framework.
enum {
  DFW_TEXT_OK = 8100, DFW_TEXT_CANCEL = 8101, DFW_TEXT_YES = 8102, DFW_TEXT_NO = 8103, DFW_TEXT_HELP = 8104,
  DFW_TEXT_EXTRA = 8105, DFW_TEXT_OK2 = 8107, DFW_TEXT_LIST_FULL = 8140, DFW_TEXT_CHARS_LEFT = 8202,
  DFW_TEXT_RULE_LETTERS = 21700
};
enum { DFW_MSG_LIST_FULL = 770 };

// ---------------------------------------------------------------- records
// Size of a record of the type; 0 for a type above 21 (the end).
u32 Dfw_RecordSize(int type);
inline int Dfw_ItemType(const u8* rec) { return rec[0]; }
u32 Dfw_Get16(const u8* rec, int offset);
u32 Dfw_Get32(const u8* rec, int offset);
void Dfw_Set16(u8* rec, int offset, u32 value);
void Dfw_Set32(u8* rec, int offset, u32 value);
// The pointer held by a u32 field; null for 0.
void* Dfw_GetPtr(const u8* rec, int offset);
// Stores p in the field; 0 ok, 1 the table of pointers is full (64-bit
// builds only; the field then holds null).
int Dfw_SetPtr(u8* rec, int offset, const void* p);
// The control id of a record of the types 2-5, 14-16 and 18-21; -1 for the rest.
i32 Dfw_ItemControl(const u8* rec);
// The flags of a list, edit field, button, picture or cell image record; 0 for the rest.
u32 Dfw_ItemFlags(const u8* rec);
void Dfw_SetItemFlags(u8* rec, u32 flags);
// 1 when the radio button or check box record of the control is checked
// (after the read-back: as the user left it); 0 also when there is none.
int Dfw_IsChecked(const DlgDesc* desc, i32 control);

// The next record, null when rec is the end record.
u8* Dfw_NextDescItem(const u8* rec);
// The first record carrying the control id, null when none.
u8* Dfw_FindDescItem(const DlgDesc* desc, i32 control);
// The first record of the type, null when none.
u8* Dfw_FindDescType(const DlgDesc* desc, int type);
// Bytes of the descriptor with its end record.
u32 Dfw_DescLength(const DlgDesc* desc);

// ---------------------------------------------------------------- building
// A descriptor is built into storage the caller owns (static or on the stack),
// record by record; each adder returns the record (zeroed but for its
// fields), null when the storage is full (then Dfw_BuildEnd reports it).
struct DlgBuild {
  u8* bytes;
  u32 size;
  u32 used;
  int overflow;
};
void Dfw_BuildBegin(DlgBuild* b, u8* storage, u32 size);
u8* Dfw_AddRecord(DlgBuild* b, int type);
// Writes the end record; 0 ok, 1 a record did not fit or a pointer could not be kept.
int Dfw_BuildEnd(DlgBuild* b);
u8* Dfw_AddTitle(DlgBuild* b, u16 textId, u16 helpTopic, i32 focus);
u8* Dfw_AddTitleString(DlgBuild* b, const wch* title, u16 helpTopic, i32 focus);
u8* Dfw_AddStatic(DlgBuild* b, u16 control, u16 textId);
u8* Dfw_AddStaticString(DlgBuild* b, u16 control, const wch* text);
u8* Dfw_AddCaption(DlgBuild* b, u16 control, u16 textId, int disabled);
// Types 6 to 13.
u8* Dfw_AddButton(DlgBuild* b, int type);
u8* Dfw_AddPicture(DlgBuild* b, u16 control, i16 x, i16 y, u32 code, u32 extra, u8 flags, u16 nameControl);
u8* Dfw_AddValuePicture(DlgBuild* b, i16 x, i16 y, i16 height, u32 code, u8 value, u8 minimum, u8 maximum, u8 flags,
                        u16 nameControl);
u8* Dfw_AddChooser(DlgBuild* b, i16 x, i16 y, i16 height, u32 count, i32 current, i32 page, const u32* table,
                   u8 flags, u16 nameControl);
// code: a cell code; with DLG_CELL_SYMBOLS give symbols instead.
u8* Dfw_AddCellImage(DlgBuild* b, i16 x, i16 y, u32 code, const wch* symbols, u8 flags);
u8* Dfw_AddList(DlgBuild* b, u16 control, wch* block, u32 flags);
u8* Dfw_AddEdit(DlgBuild* b, u16 control, wch* buffer, u32 size, u8 flags, i32 minimum, i32 maximum);
u8* Dfw_AddRadio(DlgBuild* b, u16 control, u16 textId, u8 flags);
u8* Dfw_AddCheck(DlgBuild* b, u16 control, u16 textId, u8 flags);

// ---------------------------------------------------------------- nesting and end codes
enum { DFW_MAX_NESTING = 10 };
// 0 counted, 1 refused (ten dialogs already open); the first level makes the brushes.
int Dfw_EnterNesting(void);
// Clears the slot of the current level and lowers it; at -1 frees the brushes.
void Dfw_LeaveNesting(void);
// The current level, -1 when no dialog is open.
i32 Dfw_NestingLevel(void);
// Stores the dialog window (HWND) in the current level's slot.
void Dfw_SetCurrentDialog(void* window);
// The window of the innermost open dialog, null when none.
void* Dfw_CurrentDialog(void);
int Dfw_IsAnyOpen(void);
// The DlgResult of an end code: 1 -> 2, 2 and 8 -> 1, 6 -> 3, 7 -> 4, 103..106 and
// 120..137 as they are, anything else (a failed dialog too) -> 1.
int Dfw_MapEndCode(i32 endCode);
// 1 when a dialog that ended with the code hands the user's input back: OK,
// Yes, No and the passed-through codes. Cancel, the extra button, a closed or
// a failed dialog leave the caller's buffers and flags as they were.
int Dfw_EndKeepsInput(i32 endCode);
// The pair of flags the view windows read: after a dialog that ended with code
// 106 they ignore the next mouse-button message, and mouse moves until one.
extern int g_dfwIgnoreNextButton;
extern int g_dfwIgnoreMovesUntilButton;
void Dfw_NoteEndCode(i32 endCode);

// ---------------------------------------------------------------- list item blocks
// A block holds UTF-16 items one after another, each ended by a zero unit;
// in a keyed list (flag 8) each item is preceded by its u16 key, which is
// never 0. The block ends with a zero unit where the next item would begin.
// Item n (from 0) of the list record's block, behind its key; null when the
// block ends before it. key, when given, receives the u16 key of a keyed list.
wch* Dfw_ListItemText(const u8* listRec, i32 n);
wch* Dfw_ListItemKeyed(const u8* listRec, i32 n, u16* key);
i32 Dfw_ListItemCount(const u8* listRec);
// Removes item n by moving the rest of the block over it; 1 no such item, else 0.
int Dfw_RemoveListItem(u8* listRec, i32 n);
// Sorts the block in place (not a keyed list): neighbours compared from their
// seventh character on, case and leading blanks ignored.
void Dfw_SortListItems(u8* listRec);
// The first significant character of an item: after its inline marker
// sequences and blanks, upper-cased.
wch Dfw_ItemInitial(const wch* item);
// WM_CHARTOITEM's choice: the index of the item after `current` (wrapping to
// the first, up to current) whose initial equals the typed character, upper-
// cased; -1 when none.
i32 Dfw_FindItemByKey(const u8* listRec, i32 current, wch typed);

// ---------------------------------------------------------------- spin fields
enum { DFW_KEY_UP = 1, DFW_KEY_DOWN = 2, DFW_KEY_PAGE_UP = 3, DFW_KEY_PAGE_DOWN = 4 };
// Range kinds named by equal minimum and maximum.
enum {
  DFW_SPIN_PLACE = 1, DFW_SPIN_LINE = 2, DFW_SPIN_RULE = 3, DFW_SPIN_NOTHING = 4, DFW_SPIN_TP = 5,
  DFW_SPIN_DWX = 6, DFW_SPIN_FIXED2 = 7, DFW_SPIN_FIXED3 = 8, DFW_SPIN_WEEKDAY = 9, DFW_SPIN_INSTALLATION = 10,
  DFW_SPIN_ELEMENT = 11
};
enum { DFW_SPIN_TEXT_MAX = 1200, DFW_SPIN_TOKEN_MAX = 20 };
// The step of a key for a range kind: +-1 for up and down, +-10 for the page
// keys (+-1000 for thousandths, +-2 for weekdays).
i32 Dfw_KeyStep(int key, i32 kind);
// The scroll range of a spin bar whose field has the record: the record's
// range, or for a named kind (minimum = maximum) the range of that kind.
void Dfw_SpinBarRange(const u8* editRec, i32* minimum, i32* maximum);
// Steps a name of a module: replace field (room for size units) by the name
// step places further, wrapping. 0 done, else the field is unchanged.
typedef int (*DfwNameStepper)(wch* field, i32 step, i32 size);
// Installs the stepper of a named kind (1, 2, 5, 6, 10, 11); null clears it.
void Dfw_SetNameStepper(i32 kind, DfwNameStepper stepper);
// The arithmetic of Dfw_SpinKey on a field's text: text (room for textSize
// units) and caret are in/out. 1 changed, 0 nothing to do (the text and the
// caret are then unchanged).
int Dfw_SpinText(const u8* editRec, wch* text, i32 textSize, i32* caret, int key);

// ---------------------------------------------------------------- reading back
// A button record's flags after read-back: a missing control reads back as
// disabled and unchecked; else the record's own disabled bit stays and the
// checked bit follows the control.
u32 Dfw_ButtonReadBack(u32 flags, int exists, int checked);
// The buffer contents of an edit record from the field's text: at most size -
// 1 characters, leading blanks trimmed with flag 8, escapes undone with flag 1.
void Dfw_EditReadBack(u8* editRec, const wch* fieldText);
// What an edit record's field shows at first: the buffer, leading blanks
// trimmed (flag 8) and escaped (flag 1), into text (room for size units).
// The caller's buffer itself is left alone until the input is read back.
void Dfw_EditInitialText(const u8* editRec, wch* text, i32 size);
// The characters still free in an edit field: size - length - 1, 0 at least.
i32 Dfw_RemainingChars(const u8* editRec, i32 length);
