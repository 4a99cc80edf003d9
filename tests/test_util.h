// Shared helpers of the tests: UTF-16 literals, a folder of its own for each
// test program, a fresh temporary folder per test that is also set as every
// base data folder, and whole-file access for building damaged files byte by
// byte.
#pragma once
#include <string>
#include <vector>

#include "platform/types.h"

typedef std::u16string wstr;

// Test programs run side by side (CTest -j, many copies at once) and must
// never write into one folder: each process makes a folder of its own under
// the system's temporary folder at start (tests/test_main.cpp), works in it
// as its current folder and as folders 0..6 of the file layer, and removes it
// at the end; kept when a test failed, for a look at its files. 0 ok.
int Test_BeginProcess(void);
void Test_EndProcess(bool keep);
// That folder, with trailing separator (made on first use).
wstr Test_ProcessFolder(void);
// A new empty folder (with trailing separator) inside the process's folder;
// set as folders 0..6 of the file layer so that names resolve there. Empty,
// with the test failed, when no folder could be made.
wstr Test_MakeTempFolder(void);
// The end of each test (tests/test_main.cpp): the folders it made are
// removed, unless kept because it failed; when it made any, the process's
// folder is again folders 0..6.
void Test_EndTest(bool keep);
// Windows only: starts GoogleTest's own thread before the first test and
// waits until it runs (tests/test_main_win32.cpp says why). 0 ok, 1 when it
// did not start within 20 seconds.
int Test_StartFrameworkThread(void);
// Writes or reads a whole file in that folder (or any full path).
bool Test_WriteFile(const wstr& path, const std::vector<u8>& bytes);
std::vector<u8> Test_ReadFile(const wstr& path);
bool Test_FileExists(const wstr& path);
// The folder holding the data files the build made (language files, ...).
wstr Test_DataFolder(void);
// The file buffers and the shipped language texts ("orba.lng" from the data
// folder, which becomes folder 0); the result of the load, 0 ok.
int Test_LoadTexts(void);
// ASCII/UTF-8 to UTF-16 for readable test tables.
wstr W16(const char* utf8);
std::string U8(const wstr& s);

// The smallest valid sections of today's layout file for hand-made files:
// "GENL" (no marks, no names, empty texts, scale 64) and "LIND" (no lines).
std::vector<u8> Test_MinimalGenl(void);
std::vector<u8> Test_MinimalLind(void);
// The same in the older forms of files before the wide sections (version
// below 14389): "GN" with the fields of that version, and "LI" with no lines.
std::vector<u8> Test_MinimalGenlOld(u16 version);
std::vector<u8> Test_MinimalLindOld(void);

// A section written by a module's writer into memory, and bytes read back
// by its reader; the reader's result is returned.
std::vector<u8> Test_SaveSection(int (*save)(void));
int Test_LoadSection(const std::vector<u8>& bytes, int (*load)(u16 version), u16 version);
// A clipboard of text lines in memory for the tests of clipboard blocks:
// append and read as the platform's lines do (read: 0, 1 cut to size - 1, 3
// no such line).
std::vector<wstr>& Test_ClipLines(void);
int Test_ClipAppend(const wch* line);
int Test_ClipRead(i32 n, i32 size, wch* buf);
// Little-endian values appended to bytes built by hand.
void Test_Put16(std::vector<u8>& b, u32 v);
void Test_Put32(std::vector<u8>& b, u32 v);
// A Windows BMP of w x h (40-byte information header, no compression) with
// the given stored rows, each padded by the caller, and colour table entries
// given as COLORREF; used: the header's used-colours count.
std::vector<u8> Test_Bmp(u16 bits, i32 w, i32 h, const std::vector<u32>& table, const std::vector<u8>& rows,
                         u32 used = 0);
