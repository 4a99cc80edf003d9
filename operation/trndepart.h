// Timetabled departures, insertions and placing trains: once per simulated
// minute the trains whose insertion time (timetable B) has come are put onto
// their depot place and the trains whose departure time (timetable A) has
// come start service; the train commands use the same operations. Also the
// free train numbers of a line and what a Dwx or timetable point hands over
// to a train (line, kind, number, timetables).
//
// Owns no records; changes TrainRec fields and moves trains between the
// lists of operation/trnlist. A placed train occupies no cell and has no
// marker until it leaves its place (operation/trnmove). Main thread only.
#pragma once
#include "operation/trn.h"
#include "platform/types.h"

// DirectionCode steps: dx -1 for bits 4, 32, 64, +1 for 8, 16, 128, else 0;
// dy -1 for bits 1, 32, 128, +1 for 2, 16, 64, else 0.
i32 Trn_DirectionDx(u32 code);
i32 Trn_DirectionDy(u32 code);

// now = today's weekday bit << 24 | hh:mm:ss. The 1-based index of the first
// entry of timetable A whose time equals now's and whose mask holds today;
// 0 none.
int Trn_MatchDeparture(const TrainRec* t, u32 now);
// The same for timetable B: the 0-based index, -1 none.
int Trn_MatchInsertion(const TrainRec* t, u32 now);
// The per-minute passes (the clock calls them at second 0).
void Trn_TimetableDepartures(void);
void Trn_TimetableInsertions(void);

// Starts service toward the place of timetable A entry 1..6 (0: the home
// place); flagged sets 0x8000. A depot of 0 changes nothing.
void Trn_StartService(TrainRec* t, int entry, int flagged);
// 1 when the train is not in service, else ends it and 0.
int Trn_EndService(TrainRec* t);
// Places an off-track train at a depot place (depot -1: the place at the
// head cell, 0: the home place) to wait there until it can leave; 0 placed,
// 1 refused (no such place, or a track the train cannot use).
int Trn_PlaceAtDepotPlace(TrainRec* t, i32 depot, i32 place, int flagged);

// Free numbers of a line: the lowest (1 when 1 is free; else after the first
// gap; else the last + 1; 0 when the last is 999 or more) and the highest
// (999 when the line has none at or above 999; else just below the last gap;
// 0 none).
i32 TrnList_LowestFreeNumber(u32 line);
i32 TrnList_HighestFreeNumber(u32 line);

// The sum of the lengths of n vehicle entries from first.
u32 Trn_VehiclesLength(const TrainVehicle* first, u32 n);
// Takes over both timetables (six entries each); a depot below 1 stands for
// the home place (with the entry's 0x8000 bit), a time of 0 clears the entry.
void Trn_ApplyDwxTimetables(TrainRec* t, const u32* timesB, const u16* depotsB, const u16* placesA,
                            const u16* depotsA, const u32* timesA, const u16* placesB);
// Takes over line (0: own), type, category (0: home values), depot place,
// track kind, state flags and property flags from a Dwx or timetable point.
void Trn_ApplyDwx(TrainRec* t, u32 line, u32 type, u32 depotPlace, u32 pathOption, u32 flags, u32 propFlags,
                  u32 category);
// A new number (32767 lowest free, 32766 highest free): 0 done, 1 the same
// number, 2 no free number, 3 the number is taken.
int Trn_ApplyDwxNumber(TrainRec* t, i32 number, const CellPos* cell);
