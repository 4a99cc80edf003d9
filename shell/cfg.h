// Settings file "orba.ini" ("orbaview.ini" in the viewer): the translation
// between the file's keys and the setters and getters of the modules that
// own each preference.
//
// Owns the file's place, the parser of its sections and keys, the key
// table in file order, the three language and help file names, the switch
// that writes the file at exit (key O), and the text of every key whose
// owner is not in this build yet: such a key is read, kept as it is and
// written back, so that no setting of the user's is lost.
//
// Promises: a malformed or refused key is skipped and named in the report;
// every other key keeps its value and the file is not replaced by defaults.
// Writing goes through the write stream (a new file beside the old one,
// moved over it when whole), so a failed write keeps the old file. When the
// program folder cannot be written (an install under Program Files) and no
// settings folder was given, the file lives in the user's application-data
// folder. A second instance never writes. Main thread.
#pragma once
#include "platform/types.h"

enum { CFG_PATH_MAX = 512, CFG_VALUE_MAX = 299 };

// The start-up step: the user file slots emptied, then Cfg_Locate.
void Cfg_Startup(void);
// Finds and reads the file, reports a bad one, writes a fresh one when none
// was found; hands the zoom set to the graphics store.
void Cfg_Locate(void);
// Every preference to its default, the colour table included.
void Cfg_SetDefaults(void);
void Cfg_DefaultColours(void);
// 0 ok; 1 no file; 3 one or more keys malformed or refused (the others are
// applied; Cfg_BadKeys names them). zoomSet: out, 1, 2 or 4.
int Cfg_ReadSettings(int* zoomSet);
// 0 ok; 3 second instance; else the write stream's first error.
int Cfg_WriteSettings(void);
// The names of the keys the last read refused, separated by ", ".
const wch* Cfg_BadKeys(void);
// The folder the file lives in (with its separator; OS_MAX_PATH units) and
// its name.
void Cfg_Folder(wch* folder);
const wch* Cfg_FileName(void);
// Key O: the file is written at exit.
int Cfg_WriteAtExit(void);
// The language and help file names (0 main texts, 1 second table, 2 help).
const wch* Cfg_LanguageFile(int which);
// Stores one of them (cut to CFG_PATH_MAX units).
void Cfg_SetLanguageFile(int which, const wch* name);

// ---------------------------------------------------------------- parser
// A settings text in memory (UTF-16; the reader decodes the file). The
// value of key in section, case ignored in both; surrounding blanks and
// one pair of enclosing double quotes are removed, like the system's
// profile reader. 1 found (buf holds at most size - 1 units), 0 missing.
int Cfg_FindValue(const wch* text, const wch* section, const wch* key, wch* buf, int size);
// 1 when the section has any key.
int Cfg_HasSection(const wch* text, const wch* section);
// Reads the keys from a text already in memory (the file's, or a test's).
int Cfg_ReadText(const wch* text, int* zoomSet);
// The settings of an earlier version when this version has none: looks in
// the recorded install folders of earlier versions (user values O385_PFAD
// ... O375_PFAD) and the oldest fixed folders, and records the program
// folder as O385_PFAD when it differs. 1 with the file's path in found
// (OS_MAX_PATH units) when one was found elsewhere, else 0.
int Cfg_FindOldSettings(wch* found);
