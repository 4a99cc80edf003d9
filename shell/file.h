// File commands: open, save (with numbered backups), save as, auto-save, new
// layout, the save-changes question, the exports' file choice, and the
// file-related options the settings file keeps.
//
// Owns the backup count, the auto-save interval and options, the recent-file
// options, the add-on options, and the
// layout-incomplete mark.
//
// Promises, so that no user's layout is lost:
// - a save writes beside the file and moves over it (the layout writer), and
//   a backup is a copy, so a failed save keeps the old file under its name;
// - a refused load keeps the layout in memory, its name and its modified
//   mark; a new empty layout follows only when the loader could not keep it;
// - every command that replaces the layout asks the save-changes question
//   first, and a failed or cancelled save stops it;
// - auto-save asks nothing: a save it cannot do silently waits for the next
//   interval; a failed Save As keeps the layout's previous name.
// Main thread.
#pragma once
#include "platform/lng.h"
#include "platform/types.h"

// ---------------------------------------------------------------- options
// Backup count 0..1000 (settings key Backup); the setter refuses others (1).
int File_GetBackupCount(void);
int File_SetBackupCount(int count);
// Auto-save: interval 0 (off) or 1..86399 seconds, options bit 1 only when
// modified, bit 2 counted in simulated seconds. A refused interval gives 1;
// a stored one reloads AutoSaveCountdown.
enum { FILE_AUTO_MODIFIED_ONLY = 1, FILE_AUTO_SIMULATED = 2 };
void File_GetAutoSave(i32* interval, u32* options);
int File_SetAutoSave(u32 options, i32 interval);
// Recent files shown: count 0..32 with the test flag (only existing files
// are read from the settings) in bit 15; -1 queries, flag | count sets.
enum { FILE_RECENT_TEST = 0x8000 };
int File_OptRecentFiles(int value);
// 1 set, 2 clear, else query; returns 1 on, 2 off.
int File_OptWarnDatN(int op);
// 1 set, 2 clear, else query; returns the flag.
int File_OptEmbedAddOns(int op);
// 1 or 2 stored, anything else queries.
int File_OptAddOnLoad(int value);
// The version of the loaded layout, 0 when none was loaded.
u16 File_LayoutVersion(void);
// 1 after a load gave 11 or more and the layout had to be replaced.
int File_LayoutIncomplete(void);

// ---------------------------------------------------------------- backups
// "%s.%03u.%s" of base, n and "nt2" into out (OS_MAX_PATH units); 1 when it
// would not fit.
int File_BackupName(const wch* base, u32 n, wch* out);
// Shifts the numbered backups of the layout file at path and copies the file
// to number 000; count backups are kept. quiet: no message, any trouble
// gives 1. 0 go on and save, 1 do not save.
int File_MakeBackups(const wch* path, int count, int quiet);

// ---------------------------------------------------------------- commands
// The common file dialog. title and second: texts of its caption and of the
// line below its controls; help: the help button's topic; options: what its
// options button runs (null: no button); save 0 open, 1 save; folder: where
// it starts (FolderIndex, or start path's folder when one is given); path
// out: the chosen full path (OS_MAX_PATH units). 2 when a file was chosen,
// else 1.
typedef int (*FileOptionsFn)(void* owner);
int File_FileDialog(TextId title, TextId second, u16 help, int save, FileOptionsFn options, int folder,
                    const wch* startPath, wch* path, const wch* defaultExtension, TextId filter);
// The open command; path (may be null or empty) is preselected.
void File_Open(const wch* path);
// Loads the file at path (full) without the dialog and the question: the
// command line's layout and the recent files after their question. The
// load's result (0 loaded).
int File_Load(const wch* path);
// 0 saved, else not saved.
int File_Save(void);
// 0 saved, 1 not saved.
int File_SaveAs(void);
// 0 saved, 1 nothing to do (off, unchanged, untitled, or not possible
// without a question), 2 the save failed.
int File_AutoSave(void);
// New empty layout after the save-changes question.
void File_New(void);
// The layout state of a new layout (clock, views, marks, name, flags).
void File_ResetLayoutState(void);
// 1 the caller may go on (saved, or the user chose not to), 0 stop.
int File_AskSaveChanges(void);
// A recent-file command 272..303: opens that entry after the question.
void File_OpenRecent(int id);
// Save the settings now (command 398 and at exit).
int File_SaveSettings(void);
// Language files (kind 1 the main texts, 0 the second table) and the help
// file, chosen in the open dialog (commands 464, 465, 466).
void File_ChooseLanguage(int kind);
void File_ChooseHelpFile(void);
// The exports (commands 261, 262).
void File_ExportText(void);
void File_ExportPicture(void);
// Draws every view anew and repaints the frame (colours, pictures and
// files under the views changed).
void File_RedrawAllViews(void);
// Empties the layout's user file lists.
void File_ClearFileLists(void);
// Loads the user element and vehicle graphics slots again from the names
// the layout now holds; a named file that is missing is reported.
void File_ReloadUserGraphics(void);
