// The sound catalogue and playback: the wave files of the sound folder listed
// in "orba.skf" under numbers 1..9999, the 13 event slots, the vehicle sound
// ranges, and the playing of a request (message 1029) through the
// multimedia devices of the system.
//
// Owns the entries (ascending by number), the slots, the five range lists
// and the open devices' counter. The devices themselves are the platform
// half (Snd_Dev*, operation/sndplay_win32.cpp; natively a stand-in that
// records what it was asked). Promises: catalogue errors are reported one
// by one and never stop reading; playback never reports anything: a missing
// sound device is noted once and every later request plays nothing. Main
// thread only.
#pragma once
#include "platform/lng.h"
#include "platform/types.h"

enum { SND_SLOTS = 13, SND_NAME_MAX = 100, SND_NUMBER_MAX = 9999 };
// Event slots.
enum {
  SND_SLOT_ACTION = 0,  // ACL
  SND_SLOT_DISPATCH1 = 1,
  SND_SLOT_DISPATCH2 = 2,
  SND_SLOT_DISPATCH_FULL = 3,
  SND_SLOT_ALARM = 4,
  SND_SLOT_HORN = 5,    // THN
  SND_SLOT_RUN = 6,     // TBL
  SND_SLOT_START = 7,   // TST
  SND_SLOT_STOP = 8,    // TPS
  SND_SLOT_ARRIVAL = 9, // TAR
  SND_SLOT_LC1 = 10,
  SND_SLOT_LC2 = 11,
  SND_SLOT_LC_CLOSING = 12
};

struct SoundCatalogueEntry {
  SoundCatalogueEntry* Next;
  i32 Number;
  i32 Duration;  // ms, at least 1
  wch Name1[SND_NAME_MAX + 1];
  wch Name2[SND_NAME_MAX + 1];  // may be empty
};

// ---------------------------------------------------------------- catalogue
// Frees the entries and ranges, every slot -1.
void Snd_ClearCatalogue(void);
// Reads "orba.skf" of the sound folder and gives every train its sounds
// again. 0 read (errors reported on the way); 1 the file could not be
// opened (message 3920).
int Snd_LoadCatalogue(void);
// The entry, null for numbers outside 1..9999 or not listed.
const SoundCatalogueEntry* Snd_FindEntry(i32 number);
// Duration in ms, 0 when unknown.
u32 Snd_GetDuration(u32 number);
enum {
  SND_ADD_OK = 0,
  SND_ADD_BAD_NUMBER = 1,
  SND_ADD_LISTED = 2,
  SND_ADD_BAD_DURATION = 3,
  SND_ADD_NO_NAME = 4,
  SND_ADD_NAME1_LONG = 5,
  SND_ADD_NAME2_LONG = 6,
  SND_ADD_NO_MEMORY = 7
};
// Adds an entry in number order; name2 may be null.
int Snd_AddEntry(i32 number, i32 duration, const wch* name1, const wch* name2);
// The slot's number, -1 unassigned or out of 0..12.
i32 Snd_GetSlot(int slot);
void Snd_SetSlot(int slot, i32 number);
// The slot index of a keyword ("ACL".."LCY"), -1 none.
int Snd_SlotOfKeyword(const wch* keyword);

// ---------------------------------------------------------------- vehicle ranges
enum { SND_RANGE_OK = 0, SND_RANGE_OVERLAP = 1, SND_RANGE_NO_MEMORY = 2, SND_RANGE_BAD_LIST = 3 };
// Adds the range to the list of slot 5..9; refused when it shares a vehicle
// with a range of that list (overlaps or encloses it).
int Snd_AddRange(int slot, i32 fromSet, i32 fromIndex, i32 toSet, i32 toIndex, i32 number);
// The number of the first range of slot's list covering set s, index i; -1.
i32 Snd_FindRange(int slot, i32 s, i32 i);
// Range line forms: 0 malformed; 1 "%i-%i,%i-%i", 2 "%i-a,%i-a", 3 "%i-%i",
// 4 "%i-a"; the range in v[4] (from set, from index, to set, to index; -1
// any index). A range that breaks the order or the bounds gives 0.
int Snd_ParseRangeLine(const wch* line, i32 v[4]);
// For a vehicle (VehicleId split into set and index): 1 (nothing written)
// unless trains sound; else 0 and each out (may be null) the number of its
// range list or of its slot: horn 5, arrival 9, stop 8, start 7, running 6.
int Snd_GetVehicleSounds(i32 set, i32 index, u32* horn, u32* arrival, u32* stop, u32* start, u32* running);

// ---------------------------------------------------------------- reading helpers
// Reads the next line of the open read stream: leading characters below 33
// skipped, up to the next control character, at most 200 kept. 0 a line;
// 1 the end of the file; 2 a read error.
int Snd_ReadLine(wch* line);
// Shows a catalogue error: the file name, the line number (from 0 on) and
// the text, as warning 600.
void Snd_CatalogueError(TextId text, const wch* detail, i32 lineNo);
// The last error number shown by Snd_CatalogueError (tests), 0 none.
TextId Snd_LastCatalogueError(void);
u32 Snd_CatalogueErrorCount(void);

// ---------------------------------------------------------------- playback
// Plays request (wParam, lParam) of message 1029. 0 started; 1 nothing to
// play; 2 the file or device refused (closed again); 3 no sound device (this
// and every later request play nothing).
int Snd_Play(u32 wParam, u32 lParam);
// The end-of-play notification: closes the device.
void Snd_OnPlayEnd(u32 deviceId);
// Closes every open device.
void Snd_CloseAllDevices(void);
// 1 once playback found no sound device.
int Snd_DeviceMissing(void);
// Forgets a missing device (a new try at the next request; tests).
void Snd_ResetDevice(void);
// The alias of the last open attempt ("xxxV%05u").
const wch* Snd_LastAlias(void);

// ---------------------------------------------------------------- platform half
// The window that gets the end-of-play notifications (the frame).
void Snd_DevSetNotifyWindow(void* window);
enum { SND_DEV_OK = 0, SND_DEV_FILE = 1, SND_DEV_NO_DEVICE = 2 };
// Opens the wave file under the alias; 0 and *deviceId, 1 the file or the
// command was refused, 2 there is no wave output device.
int Snd_DevOpen(const wch* path, const wch* alias, u32* deviceId);
// Starts playing with a notification at the end; 0 ok, else refused.
int Snd_DevPlay(u32 deviceId);
void Snd_DevClose(u32 deviceId);
void Snd_DevCloseAll(void);
#ifndef _WIN32
// The native stand-in only: what open and play answer (SND_DEV_*; open
// starts as a machine without a device), the devices open now, the opens
// tried and the last path.
void Snd_DevStandIn(int openResult, int playResult);
u32 Snd_DevOpenCount(void);
u32 Snd_DevOpenAttempts(void);
const wch* Snd_DevLastPath(void);
#endif
