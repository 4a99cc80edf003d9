// The dialogs of the file commands: picture and text listing options, the
// layout protection code, the add-on file lists, the colour settings and the
// background picture. This half holds what the dialogs decide (which button
// stands for which option, what an entry must look like, how a list row
// reads and what name it gives back); shell/filedlg_win32.cpp runs the
// dialogs themselves. The native build has no dialogs: its commands answer
// as if the user cancelled.
// Main thread.
#pragma once
#include "dialogs/dfw.h"
#include "platform/types.h"

// ---------------------------------------------------------------- commands (filedlg_win32 / filedlg_posix)
// Picture options (command 394): the new cells-per-pixel scale after OK,
// else the dialog's result.
int File_PictureOptions(void* owner);
// Text listing options (command 395): the dialog's result.
int File_TextExportOptions(void* owner);
// Log options (command 396).
void File_LogOptions(void);
// Layout protection code (command 265).
void File_SetProtectCode(void);
// The user file lists (commands 480, 482, 481).
void File_ListUzg(void);
void File_ListUz1(void);
void File_ListNfz(void);
// The open dialog for one user file; kind 0 element graphics, 1 vehicle
// data, 2 vehicle graphics. buffer (OS_MAX_PATH units) gets the chosen path.
// 0 chosen, 1 not.
int File_ChooseUserFile(wch* buffer, int kind);
// The colour settings (command 432).
void File_ColourSettings(void);
// The system colour dialog started at colour; the chosen colour, or colour
// when cancelled.
u32 File_ChooseColour(void* owner, u32 colour);
// The background picture (command 389).
void File_BackgroundPicture(void);
// The prompt behind the layout protection hook: asks until the right code is
// entered (0) or the user cancels (1).
int File_AskCodePrompt(void);
// What button 121 of that question opens: the dispatcher messages' list.
void File_SetMessageListHook(void (*show)(void));
// The question of step 1 of the save-changes question: dispatcher messages
// are waiting. 1 go on, 0 stop.
int File_AskPendingMessages(void);

// ---------------------------------------------------------------- file dialog hook
// What the common file dialog's hook (DlgF_FileHook) is given: the second
// text, the help topic and the options button's command (null: none).
struct FileHookData {
  u16 second;
  u16 help;
  int (*options)(void* owner);
};
// The hook procedure (DlgF_FileHook) for OsFileDialog; null natively.
void* File_HookProc(void);

// ---------------------------------------------------------------- picture options
enum { FILE_PICTURE_KINDS = 6, FILE_PICTURE_SCALES = 5 };
// The kind button (0..5) that the export option word selects, and back.
int File_PictureKindButton(u32 options);
u32 File_PictureKindOptions(int button);
// The scale button (0..4: 1, 2, 4, 8, 16 cells per pixel) of a scale (the
// button of its power of two, the last for anything larger), and back.
int File_PictureScaleButton(int scale);
int File_PictureButtonScale(int button);

// ---------------------------------------------------------------- text listing options
enum { FILE_TEXT_CHECKS = 14, FILE_TEXT_UTF16 = 0x2000, FILE_TEXT_ANSI = 0x4000 };
// The option bit that check box 470 + i stands for.
u16 File_TextCheckBit(int i);
// The check boxes (bit i: box 470 + i) that the word sets.
u32 File_TextChecksOfWord(u16 word);
// The encoding button (0..2) of the word.
int File_TextEncodingOfWord(u16 word);
// The word of the boxes and the encoding button; the bits of the word that
// no control stands for are kept from old.
u16 File_TextWordOf(u32 checks, int encoding, u16 old);
// 1 when the word selects no section at all (error 251).
int File_TextNoSection(u16 word);
// The column separator of the entered character code: raised to 32 when below.
wch File_TextSeparator(i32 code);

// ---------------------------------------------------------------- run log options
// What the log options dialog edits besides the check and radio buttons:
// the log folder and the separator and comment characters as codes.
enum { FILE_LOG_CODE_MAX = 8 };
struct FileLogForm {
  wch folder[OS_MAX_PATH];
  wch separator[FILE_LOG_CODE_MAX];
  wch comment[FILE_LOG_CODE_MAX];
};
// The form from the run log's settings and the log folder.
void File_LogFormLoad(FileLogForm* form);
// The dialog's records for the form and the flags; focus: the control that
// takes the focus (-1 none). 0 built, 1 the storage was too small.
int File_LogBuildDesc(DlgBuild* b, FileLogForm* form, u32 flags, i32 focus);
// The flags that the read-back buttons stand for; the bits of old that no
// button stands for are kept.
u32 File_LogFlagsOfDesc(const DlgDesc* desc, u32 old);
// Stores the flags and the two codes in the run log's settings. 0 stored;
// else the message number (255 nothing to log, 256 separator, 257 comment
// character below 32) with the control to focus in *focus.
int File_LogStore(const FileLogForm* form, u32 flags, i32* focus);
// The entered folder, leading blanks removed and with a closing backslash,
// becomes the log folder: 0. An empty entry gives 1 and leaves it alone.
// 2 when it is too long to be a folder.
int File_LogSetFolder(const FileLogForm* form);

// ---------------------------------------------------------------- user file lists
enum { FILE_LIST_UZG = 0, FILE_LIST_UZ1 = 1, FILE_LIST_NFZ = 2 };
enum { FILE_LIST_ROW_MAX = 280 };
struct FileListKind {
  int slots;          // rows, slot n + 1 for row n
  u32 templateId;     // dialog template
  u16 title;          // title text
  int chooser;        // File_ChooseUserFile kind
  const wch* extension;
};
const FileListKind* File_ListKind(int list);
// The row's prefix ("%3u: ", "%c%2u: " or "%2u: ") into out (16 units).
void File_ListRowPrefix(int list, int row, wch* out);
// The row's text: prefix and name, or the prefix and text 11730 for an
// empty name (FILE_LIST_ROW_MAX units).
void File_ListRowText(int list, int row, const wch* name, wch* out);
// The name a row gives back (its text after the prefix): "\", "/" and ":"
// become blanks, leading blanks go, the name ends at the first "," or ";",
// trailing blanks go, and the extension is added when the name has no ".".
// out: FILE_LIST_ROW_MAX units.
void File_ListCleanName(const wch* text, const wch* extension, wch* out);
// The slot names of a list (slot 1..slots of the kind); 1 no such slot.
int File_ListGetName(int list, int slot, wch* buf);
int File_ListSetName(int list, int slot, const wch* name);
// Vehicle data file slots 1..100 (the list's own numbering): 1 outside.
int File_GetNfzName(int slot, wch* buf);
int File_SetNfzName(int slot, const wch* name);
// Row names back into the slots: flags[n] says whether row n is set;
// names[n] its cleaned name. 1 when any slot changed (ignoring case and
// leading blanks).
int File_ListStore(int list, const u8* flags, const wch (*names)[FILE_LIST_ROW_MAX]);
// The end of a list with OK: the rows' names are cleaned (in place) and
// stored, a change marks the layout modified, and the user graphics and
// the symbol definitions that follow them are loaded again and the views
// redrawn. 1 when a slot changed.
int File_ListFinish(int list, const u8* flags, wch (*names)[FILE_LIST_ROW_MAX]);

// ---------------------------------------------------------------- colour settings
enum { FILE_COLOUR_SLOTS = 137, FILE_COLOUR_TEXT_FIRST = 11510 };
// The palette entry of row n of the colour table; -1 outside.
i32 File_ColourSlot(int row);

// ---------------------------------------------------------------- background picture
// The four memory estimates in hundredths of a megabyte: with k = width x
// height / 1024, k x 4, k x 3, k x 2 and k x bits / 8, each x 100 / 1024.
void File_BgpEstimates(i32 width, i32 height, i32 bits, i32 out[4]);
// Reads the area's four fields (x, y, width, height). 0 ok; else the
// message number (291 unreadable, 292 x or y outside 0..32767, 293 width or
// height outside 1..32767) and the failing field's index 0..3 in *field.
int File_BgpReadArea(const wch* const texts[4], i32 out[4], int* field);
// The other side of the area that keeps the picture's ratio: the height of
// a width (byWidth 1) or the width of a height; -1 when the divisor is 0.
i32 File_BgpKeepRatio(i32 value, int byWidth, i32 picWidth, i32 picHeight);
