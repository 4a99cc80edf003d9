// Shared ground of the fuzz targets (libFuzzer, tools/fuzz.sh): the modules
// started as the program starts them, the texts and graphics the build made
// as the program folder, a work folder of this process for the files a
// target writes, and the checks that stop a run with a report.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/types.h"

typedef std::vector<u8> FuzzBytes;

// Once per process: hooks, file buffers, the shipped texts, the grid and the
// record stores; the build's data folder becomes the program folder and the
// work folder every other folder. Ends the process when it cannot start.
void Fuzz_Init(void);
// The work folder and the build's data folder, with trailing separators.
const std::u16string& Fuzz_WorkFolder(void);
std::u16string Fuzz_DataFolder(void);
// Whole files in the work folder; an empty result for a missing file.
void Fuzz_WriteFile(const char16_t* name, const u8* data, size_t size);
FuzzBytes Fuzz_ReadFile(const char16_t* name);
// A failed check: the text on stderr, then abort(), which libFuzzer reports
// as a crash with the input that caused it.
[[noreturn]] void Fuzz_Fail(const char* what, int value);
#define FUZZ_CHECK(cond, value) \
  do {                          \
    if (!(cond)) Fuzz_Fail(#cond, int(value)); \
  } while (0)

// Two byte strings that must be equal; else a failed check that shows where
// they part.
void Fuzz_CheckSame(const FuzzBytes& a, const FuzzBytes& b, const char* what);

// Empties every module of the layout, as the loader does before it reads.
void Fuzz_ClearLayout(void);
// The start example with its train (vehicle sets from the shipped
// "orba.fzg") and a background picture: a layout that has something in every
// section. Ends the process when it cannot be built.
void Fuzz_BuildLayout(void);
// That background picture, read from memory (a load reads only its path).
void Fuzz_LoadPicture(void);
// The layout in memory as the save writes it (into name in the work
// folder); ends the process when it cannot be saved.
FuzzBytes Fuzz_SaveLayout(const char16_t* name);
// The bytes a writer gives (through a memory write stream); empty on a
// failure.
FuzzBytes Fuzz_Written(const std::function<int(void)>& write);
// The reader's result over bytes in memory.
int Fuzz_LoadSection(const u8* data, size_t size, int (*load)(u16 version), u16 version);
// A version of the layout file from two bytes: every version the readers know,
// LAY_VERSION_OLDEST..LAY_VERSION.
u16 Fuzz_Version(const u8* two);
// UTF-16 text from bytes (pairs, little-endian), with its final 0.
std::u16string Fuzz_Text(const u8* data, size_t size);

// The cells the clipboard blocks paste onto: signal shapes and turnout
// pieces, the level-0 cells near the origin; the grid is emptied first.
void Fuzz_ClipCells(void);
// Records on those cells, every kind the blocks carry: installations with a
// text and a schedule, main, distant and counting elements with lists and a
// condition, turnout controllers of several kinds. Ends the process when
// they cannot be made.
void Fuzz_ClipRecords(void);
