// Train file section "ZUGD": every train of the layout with its fixed part,
// its cells and its vehicles, and enough of its running state (lists, waits,
// reservation, sub-cell position) that a saved running simulation continues
// where it stopped. Reads every older record form from version 0x3400 on and
// converts it; the vehicle pass after the whole layout is read.
//
// Owns the section's byte form and the conversions of old records; the
// records and lists belong to operation/trn and operation/trnlist.
//
// Promises: every count and length read (trains, cells, vehicles, text,
// timetable references) is checked before it is used; a refused read leaves
// only whole trains in the list, and the train count always equals them.
#pragma once
#include "operation/trn.h"
#include "platform/types.h"

enum : u32 { TRN_SECTION_TAG = 0x4447555A, TRN_SECTION_OLD_TAG = 0x555A };
// Trains one section may announce.
enum : u32 { TRN_MAX_TRAINS = 4000000 };

// Writes the section; 0 or the first stream error.
int TrnList_SaveSection(void);
// Clears all trains and reads the section of a file of that version: 0; a
// stream code 1 (end of data, also a block shorter than its count) or 2;
// 3 a wrong tag, a record index out of sequence, a vehicle index outside
// 0..15, or a count, length or reference out of range; 4 no memory; or minus
// the number of trains of a file before 14396 whose cells could not all be
// followed on the track.
int TrnList_LoadSection(u16 version);
// The reader as the layout loader's section table calls it: a negative
// result is no failure, its count is kept for TrnList_LoadFlaggedCount.
int TrnList_ReadSection(u16 version);
// Trains the last TrnList_ReadSection flagged as not convertible.
u32 TrnList_LoadFlaggedCount(void);

// The vehicle pass after the whole layout is read: 0; 1 a vehicle that cannot
// be resolved (the pass ends); 2 some vehicles were marked missing (0x1000).
int TrnList_AfterLoad(u16 version);

// The vehicle id of a file before 13573 in today's numbering.
u32 TrnList_ConvertOldVehicleId(u32 id);
// Type and category of an old class code (its low 6 bits).
void TrnList_OldClassCode(u32 bits, u32* type, u32* category);
// The two class words of a record before 14389 into Type, Category, their
// home values, PropFlags and the flagged-start bits.
void TrnList_ConvertOldClass(TrainRec* t, u32 first, u32 second);
