#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "model/grid.h"
#include "model/layfile.h"
#include "operation/trn.h"
#include "operation/trnfile.h"
#include "operation/trnlist.h"
#include "operation/trnres.h"
#include "operation/trnquery.h"
#include "platform/fio.h"
#include "platform/msg.h"
#include "shell/ewin.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

void Put8(Bytes& b, u32 v) { b.push_back(u8(v)); }
void PutAll(Bytes& b, std::initializer_list<u32> values) {
  for (u32 v : values) Test_Put32(b, v);
}

// Even an empty list writes its tag and count, so empty means a failure.
Bytes SaveSection() {
  Bytes b = Test_SaveSection(TrnList_SaveSection);
  EXPECT_FALSE(b.empty()) << "the section could not be written";
  return b;
}

int LoadSection(const Bytes& b, u16 version) { return Test_LoadSection(b, TrnList_LoadSection, version); }

u32 WalkCount() {
  u32 n = 0;
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) ++n;
  return n;
}

// One train of today's form, written field by field from the section's
// table. On the track, in service, holding a reservation, blocked with a
// retry limit, a running sound, three cells and two vehicles (one of a user
// set).
struct CurrentTrain {
  u32 index = 0, line = 3, curLine = 4, number = 12;
  u32 lastCell = 2, vehicleCount = 2;
  u32 flags = TRN_IN_SERVICE | TRN_RESERVED | TRN_BLOCKED | TRN_FLAGGED_START;
  u32 textLen = 3;
  u32 vehicleIndex1 = 5;
  u32 retryLimit = 2;
  u32 accel = 50, brake = 100;
};

void PutCurrentTrain(Bytes& b, const CurrentTrain& c) {
  PutAll(b, {c.index, c.line, c.curLine, c.number, c.lastCell, u32(-1), c.vehicleCount, 7, 2, c.flags});
  if (c.flags & TRN_IN_SERVICE) PutAll(b, {8, 3});
  for (u32 i = 0; i < 6; ++i) {
    if (i == 0) PutAll(b, {0x7F081E00u, 7, 0x8002, 0x01091500u, 8, 1});
    else PutAll(b, {0, 0, 0, 0, 0, 0});
  }
  PutAll(b, {120000, 40000, 60000, 50000, 0, 70000});        // speeds and caps
  PutAll(b, {15, 10, c.accel, c.brake});                      // countdown, decrement, accel, brake
  PutAll(b, {20, 40, 0, u32(-1)});                            // stop times, remaining wait, at stop
  PutAll(b, {2, 2, 1, 1, 0, 1});                              // types, categories, props, path option
  if (c.flags & TRN_RESERVED) Test_Put32(b, 6);                    // reserved cells
  PutAll(b, {10, 96, 1, 0, 0});                               // sub-cell, tail, direction
  Test_Put32(b, c.textLen);
  for (u32 i = 0; i < c.textLen && i < 3; ++i) Test_Put16(b, u"Zug"[i % 3]);
  Test_Put32(b, c.retryLimit);
  if ((c.flags & (TRN_DEPOT_WAIT | TRN_BLOCKED)) && i32(c.retryLimit) >= 1) Test_Put32(b, 1);
  PutAll(b, {30, 1});  // horn countdown, running sound
  for (u32 i = 0; i <= c.lastCell && i < 4; ++i) {
    Test_Put16(b, 600 - i);  // x
    Test_Put16(b, 700);      // y
    Put8(b, 0);         // level
    Test_Put16(b, 1);        // marked
    if (i < c.lastCell) Test_Put16(b, i == 0 ? 1 : 0x80);
  }
  // Vehicle 0: set 0x123, index 4; vehicle 1: user set 0x80000007.
  PutAll(b, {0x123, 4});
  Test_Put16(b, 0);
  PutAll(b, {0x8000, 64});
  PutAll(b, {0x80000007u, c.vehicleIndex1});
  Test_Put16(b, 0);
  PutAll(b, {0, 32});
}

Bytes CurrentSection(std::initializer_list<CurrentTrain> trains) {
  Bytes b;
  PutAll(b, {TRN_SECTION_TAG, u32(trains.size())});
  for (const CurrentTrain& c : trains) PutCurrentTrain(b, c);
  return b;
}

TrainRec Template(u32 line, i32 number) {
  TrainRec t;
  std::memset(&t, 0, sizeof t);
  t.Line = t.CurLine = line;
  t.Number = number;
  t.LastCell = 2;
  t.VehicleCount = 2;
  t.MaxSpeed = 100000;
  t.Accel = 40;
  t.Brake = 80;
  return t;
}

class TrnFileTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Wire_InstallHooks();
    Fio_InitBuffers();
  }
  static void TearDownTestSuite() { Fio_FreeBuffers(); }
  void SetUp() override {
    ASSERT_EQ(0, Grid_Init());
    TrnList_Clear();
  }
  void TearDown() override {
    EXPECT_FALSE(Fio_IsReadOpen());
    EXPECT_FALSE(Fio_IsWriteOpen());
    EXPECT_EQ(WalkCount(), Trn_GetCount());
    TrnList_Clear();
    Grid_Exit();
  }

  // A layout with trains in many states: off the track, on it in each list,
  // set aside, paused, with and without text. (A train waiting for its stop
  // sound is read back as moving on; it has a test of its own.)
  void BuildTrains() {
    const u32 flags[] = {0, TRN_AT_STOP, TRN_AT_STOP, TRN_REVERSE_WAIT, TRN_HELD, TRN_SET_ASIDE, TRN_PAUSED,
                         TRN_BLOCKED | TRN_IN_SERVICE, TRN_IN_SERVICE | TRN_RESERVED, TRN_OFF_TRACK};
    const i32 waits[] = {0, 7, 3, 5, 0, 12, 0, 0, 4, 0};
    for (int i = 0; i < 10; ++i) {
      TrainRec tmpl = Template(u32(1 + i % 3), 10 + i);
      TrainCompositionEntry comp[2] = {{0x4560u + u32(i), 0x8000}, {0x80000011u, 0}};
      wstr text = i % 2 ? W16("train text") : wstr();
      tmpl.TextLen = i32(text.size());
      ASSERT_EQ(0, TrnList_Create(comp, &tmpl, text.c_str(), 900, 900, 0));
      TrainRec* t = TrnList_Find(tmpl.Line, tmpl.Number);
      Trn_Vehicles(t)[0].Length = 64;
      Trn_Vehicles(t)[1].Length = 40;
      if (flags[i] & TRN_OFF_TRACK) continue;
      TrainCell* c = Trn_Cells(t);
      for (u32 k = 0; k <= t->LastCell; ++k) {
        c[k] = {i32(1000 + i * 10 - i32(k)), 2000, -i % 2, nullptr, k < 2 ? 1u : TRN_NO_CODE, u8(k)};
        Grid_SetCell(c[k].X, c[k].Y, c[k].Level, CellCode(0x0100 + k));
      }
      t->StateFlags = flags[i];
      t->WaitLeft = waits[i];
      t->SubCellOffset = 9;
      t->DirX = 1;
      t->DirY = -1;
      t->DirZ = -(i % 2);
      t->RetryLimit = 3;
      t->RetryCount = 2;
      t->CurDepot = 4;
      t->CurPlace = 0x8001;
      t->TimeA[2] = 0x7F0A0000;
      t->DepotA[2] = 4;
      t->PlaceA[2] = 0x8001;
      t->HornCountdown = 77;
      t->NextRunSound = i % 2 ? 0u : u32(TRN_NONE);
      TrnList_EnterStateList(t);
      t->Speed = 33000;
    }
    TrnList_RefreshCellCodes(1);
  }
};

// ---------------------------------------------------------------- round trips

TEST_F(TrnFileTest, SectionRoundTripGivesTheSameRecordsAndBytes) {
  BuildTrains();
  const Bytes first = SaveSection();
  struct Snap {
    TrainRec fixed;
    std::vector<TrainCell> cells;
    wstr text;
    i32 wait;
  };
  std::vector<Snap> before;
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next)
    before.push_back({*t, std::vector<TrainCell>(Trn_Cells(t), Trn_Cells(t) + t->LastCell + 1),
                      t->TextLen ? wstr(t->Text, t->TextLen) : wstr(),
                      t->StateList == TRN_LIST_STOP ? TrnList_StopRemaining(t) : 0});

  Grid_Clear();
  ASSERT_EQ(0, LoadSection(first, LAY_VERSION));
  ASSERT_EQ(before.size(), Trn_GetCount());
  size_t i = 0;
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next, ++i) {
    const TrainRec& b = before[i].fixed;
    EXPECT_EQ(b.Line, t->Line);
    EXPECT_EQ(b.Number, t->Number);
    EXPECT_EQ(b.StateFlags & ~TRN_STOP_SOUND, t->StateFlags) << "the stop-sound wait is not kept";
    if (b.StateList == TRN_LIST_STOP_SOUND) {
      EXPECT_EQ(u32(TRN_LIST_MOVING), t->StateList);
    } else if (b.StateList >= TRN_LIST_RETRY) {
      EXPECT_GE(t->StateList, u32(TRN_LIST_RETRY));
    } else {
      EXPECT_EQ(b.StateList, t->StateList) << t->Number;
    }
    EXPECT_EQ(b.Speed, t->Speed);
    if (b.StateFlags & TRN_IN_SERVICE) {
      EXPECT_EQ(b.CurPlace, t->CurPlace);
    }
    EXPECT_EQ(b.PlaceA[2], t->PlaceA[2]);
    EXPECT_EQ(b.TextLen, t->TextLen);
    if (b.TextLen) {
      EXPECT_EQ(before[i].text, wstr(t->Text, t->TextLen));
    } else {
      EXPECT_EQ(nullptr, t->Text);
    }
    EXPECT_EQ(b.AccelStep, t->AccelStep);
    EXPECT_EQ(b.NextRunSound, t->NextRunSound);
    EXPECT_EQ(b.RetryCount * !!(b.StateFlags & TRN_BLOCKED), t->RetryCount);
    if (t->StateList == TRN_LIST_STOP) {
      EXPECT_EQ(before[i].wait, TrnList_StopRemaining(t));
    }
    if (t->StateFlags & TRN_SET_ASIDE) {
      EXPECT_EQ(b.WaitLeft, t->WaitLeft);
    }
    for (u32 k = 0; k <= t->LastCell; ++k) {
      EXPECT_EQ(before[i].cells[k].X, Trn_Cells(t)[k].X);
      EXPECT_EQ(before[i].cells[k].Level, Trn_Cells(t)[k].Level);
      EXPECT_EQ(before[i].cells[k].SavedCode == TRN_NO_CODE, Trn_Cells(t)[k].SavedCode == TRN_NO_CODE);
    }
    EXPECT_EQ(0x80000011u, Trn_Vehicles(t)[1].Vehicle);
    EXPECT_EQ(40u, Trn_Vehicles(t)[1].Length);
  }
  const Bytes second = SaveSection();
  EXPECT_EQ(first, second) << "saved again, the section has the same bytes";
  for (size_t k = 0; k < first.size() && k < second.size(); ++k)
    if (first[k] != second[k]) {
      ADD_FAILURE() << "first difference at " << k << ": " << int(first[k]) << " / " << int(second[k]);
      break;
    }
}

TEST_F(TrnFileTest, TodaysFormByteByByte) {
  const Bytes file = CurrentSection({CurrentTrain()});
  for (int x = 598; x <= 600; ++x) Grid_SetCell(x, 700, 0, 0x0100);
  ASSERT_EQ(0, LoadSection(file, LAY_VERSION));
  ASSERT_EQ(1u, Trn_GetCount());
  TrainRec* t = TrnList_GetFirst();
  EXPECT_EQ(3u, t->Line);
  EXPECT_EQ(4u, t->CurLine);
  EXPECT_EQ(12, t->Number);
  EXPECT_EQ(-1, t->SplitPos);
  EXPECT_EQ(8u, t->CurDepot);
  EXPECT_EQ(0x7F081E00u, t->TimeA[0]);
  EXPECT_EQ(0x8002u, t->PlaceA[0]);
  EXPECT_EQ(0x01091500u, t->TimeB[0]);
  EXPECT_EQ(70000u, t->SpeedCapC);
  EXPECT_EQ(18u, t->AccelStep);
  EXPECT_EQ(6u, t->ReservedCells);
  EXPECT_EQ(1u, t->RetryCount);
  EXPECT_EQ(0u, t->NextRunSound) << "a saved running sound is due at once";
  EXPECT_EQ(wstr(u"Zug"), wstr(t->Text, t->TextLen));
  EXPECT_GE(t->StateList, u32(TRN_LIST_RETRY));
  EXPECT_EQ(0xBF01, t->MarkerCode);
  EXPECT_EQ(598, Trn_Cells(t)[2].X);
  EXPECT_EQ(0x80, Trn_Cells(t)[1].CellFlags);
  EXPECT_EQ(0x1234u, Trn_Vehicles(t)[0].Vehicle);
  EXPECT_EQ(0x80000075u, Trn_Vehicles(t)[1].Vehicle);
  EXPECT_EQ(0x8000u, Trn_Vehicles(t)[0].VehFlags);

  TrnList_RefreshCellCodes(1);
  EXPECT_EQ(0xBF01, Grid_GetCell(599, 700, 0));
  EXPECT_EQ(0x0100, Trn_GetCellGraphic(599, 700, 0, 0xBF01));
  EXPECT_EQ(file, SaveSection()) << "the writer follows the same table";
}

TEST_F(TrnFileTest, WhatTheReaderDropsOrTakesFromTheState) {
  // Followed and user-driven are never saved.
  ASSERT_EQ(0, LoadSection(CurrentSection({}), LAY_VERSION));
  TrainRec tmpl = Template(1, 1);
  TrainCompositionEntry comp[2] = {{0x10, 0}, {0x11, 0}};
  ASSERT_EQ(0, TrnList_Create(comp, &tmpl, nullptr, 5, 5, 0));
  TrainRec* t = TrnList_GetFirst();
  t->StateFlags |= TRN_FOLLOWED | TRN_USER_DRIVEN;
  Trn_SetFollowed(t);
  Bytes saved = SaveSection();
  ASSERT_EQ(0, LoadSection(saved, LAY_VERSION));
  EXPECT_EQ(TRN_OFF_TRACK, TrnList_GetFirst()->StateFlags);
  EXPECT_EQ(nullptr, Trn_GetFollowed());
  EXPECT_EQ(nullptr, TrnList_GetFirst()->Text);

  // No retry count is written while the retry bits are clear, whatever the
  // limit; a train in the stop-sound wait loses that bit and enters the
  // list its other bits select.
  CurrentTrain c;
  c.flags = TRN_STOP_SOUND | TRN_AT_STOP;
  c.retryLimit = 5;
  ASSERT_EQ(0, LoadSection(CurrentSection({c}), LAY_VERSION));
  t = TrnList_GetFirst();
  EXPECT_EQ(TRN_AT_STOP, t->StateFlags);
  EXPECT_EQ(u32(TRN_LIST_STOP), t->StateList);
  EXPECT_EQ(0u, t->RetryCount);
}

// ---------------------------------------------------------------- damaged sections

TEST_F(TrnFileTest, CountsAndLengthsAreCheckedBeforeUse) {
  CurrentTrain ok;
  CurrentTrain second = ok;
  second.index = 1;
  second.number = 13;
  struct Case {
    const char* what;
    Bytes bytes;
    int result;
    u32 trains;  // whole trains kept
  };
  auto with = [&](void (*change)(CurrentTrain&)) {
    CurrentTrain bad = second;
    change(bad);
    return CurrentSection({ok, bad});
  };
  Bytes wrongTag = CurrentSection({ok});
  wrongTag[0] = 'X';
  Bytes hugeCount;
  PutAll(hugeCount, {TRN_SECTION_TAG, 0xFFFFFFF0u});
  Bytes cut = CurrentSection({ok, second});
  cut.resize(cut.size() - 3);
  std::vector<Case> cases = {
      {"wrong tag", wrongTag, 3, 0},
      {"a count no layout can hold", hugeCount, 3, 0},
      {"more trains announced than there are", CurrentSection({ok}), 0, 1},
      {"cut in the last vehicle", cut, 1, 1},
      {"index out of sequence", with([](CurrentTrain& c) { c.index = 5; }), 3, 1},
      {"201 cells", with([](CurrentTrain& c) { c.lastCell = 201; }), 3, 1},
      {"cell count near 2^32", with([](CurrentTrain& c) { c.lastCell = 0xFFFFFFFFu; }), 3, 1},
      {"201 vehicles", with([](CurrentTrain& c) { c.vehicleCount = 201; }), 3, 1},
      {"text longer than a train text", with([](CurrentTrain& c) { c.textLen = 0x7FFFFFFF; }), 3, 1},
      {"vehicle index 16", with([](CurrentTrain& c) { c.vehicleIndex1 = 16; }), 3, 1},
  };
  cases[2].bytes[4] = 2;  // announces two trains, holds one
  cases[2].result = 1;
  for (const Case& c : cases) {
    const int r = LoadSection(c.bytes, LAY_VERSION);
    EXPECT_EQ(c.result, r) << c.what;
    EXPECT_EQ(c.trains, Trn_GetCount()) << c.what;
    EXPECT_EQ(WalkCount(), Trn_GetCount()) << c.what << ": the count is the trains in the list";
    // What was kept is whole: it can be saved and read back.
    const Bytes kept = SaveSection();
    EXPECT_EQ(0, LoadSection(kept, LAY_VERSION)) << c.what;
  }
}

// ---------------------------------------------------------------- older forms

// Files 14389..14393: counts as bytes, the current depot place as a
// timetable reference, no SpeedCapB/C, cells in the 14389 position form with
// two u32 each, no direction fields, no retry and horn fields.
Bytes Form14389(u32 curIndex, u32 lastCellOffset = 1) {
  Bytes b;
  PutAll(b, {TRN_SECTION_TAG, 1});
  PutAll(b, {0, 2, 2, 5});  // index, line, current line, number
  Put8(b, 1);               // LastCell
  Put8(b, 0xFF);            // SplitPos -1
  Put8(b, 1);               // VehicleCount
  PutAll(b, {6, 2});        // home depot and place
  Test_Put32(b, curIndex);       // the timetable entry of the current place
  Test_Put32(b, TRN_IN_SERVICE);
  for (u32 i = 0; i < 6; ++i) {
    if (i == 1) PutAll(b, {0x7F0A1E2Au, 9, 0x8004, 0, 0, 0});  // seconds 0x2A are dropped
    else if (i == 2) PutAll(b, {0x7F0B0000u, 0, 3, 0, 0, 0});   // no depot: emptied
    else PutAll(b, {0, 0, 0, 0, 0, 0});
  }
  PutAll(b, {90000, 0, 50000, 40000});  // max, speed, target, cap A
  PutAll(b, {1, 10, 30, 60});
  PutAll(b, {5, 9, 0, 17});             // stop times, wait, at stop
  PutAll(b, {3, 3, 2, 2, 4, 1});
  PutAll(b, {0, 64});                   // sub-cell offset, tail offset
  Test_Put32(b, 2);
  Test_Put16(b, 'H');
  Test_Put16(b, 'i');
  // Cell 0: position, direction, mark, flags; cell 1: position, offset, mark.
  PutAll(b, {300, 400, 1, 0});
  Test_Put16(b, 1);
  Test_Put16(b, 1);
  PutAll(b, {0, 0, lastCellOffset, 0});
  Test_Put16(b, 1);
  Test_Put32(b, 0x1234);  // vehicle id
  Test_Put16(b, 0);
  PutAll(b, {0x8000, 64});
  return b;
}

TEST_F(TrnFileTest, Form14389) {
  Grid_SetCell(300, 400, 0, 0x0100);
  Grid_SetCell(299, 400, 0, 0x0100);
  ASSERT_EQ(0, LoadSection(Form14389(2), 14389));
  TrainRec* t = TrnList_GetFirst();
  ASSERT_NE(nullptr, t);
  EXPECT_EQ(-1, t->SplitPos);
  EXPECT_EQ(9u, t->CurDepot);
  EXPECT_EQ(4u, t->CurPlace) << "the place without its flag bit";
  EXPECT_EQ(0x7F0A1E00u, t->TimeA[1]);
  EXPECT_EQ(0u, t->TimeA[2]);
  EXPECT_EQ(0u, t->PlaceA[2]);
  EXPECT_EQ(0u, t->SpeedCapB);
  EXPECT_EQ(17u, t->AtStop);
  EXPECT_EQ(1, t->DirX);
  EXPECT_EQ(0, t->DirY);
  EXPECT_EQ(299, Trn_Cells(t)[1].X) << "the last cell lies behind the one before it";
  EXPECT_EQ(0, Trn_Cells(t)[1].Level);
  EXPECT_EQ(0x1234u, Trn_Vehicles(t)[0].Vehicle);
  EXPECT_EQ(TRN_NONE, t->NextRunSound);
  EXPECT_EQ(wstr(u"Hi"), wstr(t->Text, t->TextLen));

  // Entry 0 is the home place; a reference past the timetable is refused.
  ASSERT_EQ(0, LoadSection(Form14389(0), 14389));
  EXPECT_EQ(6u, TrnList_GetFirst()->CurDepot);
  EXPECT_EQ(3, LoadSection(Form14389(7), 14389));
  EXPECT_EQ(0u, Trn_GetCount());
}

// Files 14160..14340: two-letter tag and u16 counts, keys and home depot, the
// old timetables, speeds as u16 km/h, the decrement in 1024ths, an old target
// cell instead of the path option, a skipped u32 instead of the text, class
// words, and a byte after the fixed part; cells followed by five bytes.
Bytes Form14160(u32 extraFlags = 0, u32 targetX = 700) {
  Bytes b;
  Test_Put16(b, TRN_SECTION_OLD_TAG);
  Test_Put16(b, 1);
  for (u32 v : {0u, 1u, 1u, 8u}) Test_Put16(b, v);
  Put8(b, 1);
  Put8(b, 0);
  Put8(b, 1);
  Test_Put16(b, 3);  // home depot (place 1)
  Test_Put16(b, 0);  // current place: home
  Test_Put32(b, TRN_IN_SERVICE | 0x40 | extraFlags);  // with an old target cell
  // Timetable A: 6:30 at depot 3, then an empty one (hour 255), and one
  // without depot; timetable B: 7:05 at depot 2.
  for (u32 v : {30u, 6u}) Put8(b, v);
  Test_Put16(b, 3);
  for (u32 v : {0u, 255u}) Put8(b, v);
  Test_Put16(b, 3);
  for (u32 v : {0u, 8u}) Put8(b, v);
  Test_Put16(b, 0);
  for (u32 v : {5u, 7u}) Put8(b, v);
  Test_Put16(b, 2);
  for (int i = 0; i < 2; ++i) {
    Test_Put16(b, 0);
    Test_Put16(b, 0xFF00);
  }
  for (u32 v : {80u, 20u, 60u}) Test_Put16(b, v);  // max, speed, target in km/h
  PutAll(b, {4, 7 * 1024, 30, 60, 0xDEAD});   // countdown, decrement, accel, brake, skipped
  for (u32 v : {10u, 20u, 0u}) Test_Put16(b, v);   // stop times, wait
  PutAll(b, {0x80 | 0x4, 0x1});               // class words: category 2, flagged start
  PutAll(b, {targetX, 500});                  // old target cell
  Test_Put16(b, 12);                               // sub-cell offset
  Test_Put32(b, 64);                               // tail offset
  Test_Put32(b, 0);                                // instead of the text
  Put8(b, 0);                                 // after the fixed part
  PutAll(b, {700, 500, 1, 0});                // cell 0, direction (1, 0)
  Test_Put16(b, 1);
  Test_Put16(b, 100);  // flags above 63
  for (int i = 0; i < 5; ++i) Put8(b, 0xEE);
  PutAll(b, {700, 500, 1, 0});  // the last cell: one behind
  Test_Put16(b, 1);
  Test_Put16(b, 64001);  // a user vehicle of the u16 form
  Test_Put16(b, 0);
  PutAll(b, {0x7001, 64});
  return b;
}

TEST_F(TrnFileTest, Form14160) {
  Bytes b = Form14160();
  Grid_SetCell(700, 500, 0, 0x0100);
  Grid_SetCell(699, 500, 0, 0x0100);
  ASSERT_EQ(0, LoadSection(b, 14160));
  TrainRec* t = TrnList_GetFirst();
  ASSERT_NE(nullptr, t);
  EXPECT_EQ(8, t->Number);
  EXPECT_EQ(1u, t->HomePlace);
  EXPECT_EQ(3u, t->CurDepot);
  EXPECT_EQ(0x7F061E00u, t->TimeA[0]);
  EXPECT_EQ(0x8001u, t->PlaceA[0]) << "flagged timetable A of an old class";
  EXPECT_EQ(0u, t->TimeA[1]);
  EXPECT_EQ(0u, t->TimeA[2]);
  EXPECT_EQ(0x7F070500u, t->TimeB[0]);
  EXPECT_EQ(1u, t->PlaceB[0]);
  EXPECT_EQ(80000u, t->MaxSpeed);
  EXPECT_EQ(60000u, t->SpeedCapA);
  EXPECT_EQ(7u, t->StepDecrement);
  EXPECT_EQ(TRN_NONE, t->AtStop);
  EXPECT_EQ(1u, t->Type);
  EXPECT_EQ(2u, t->Category);
  EXPECT_EQ(1u, t->HomeCategory);
  EXPECT_EQ(TRN_IN_SERVICE | TRN_FLAGGED_START, t->StateFlags);
  EXPECT_EQ(1u, t->PathOption);
  EXPECT_EQ(12, t->SubCellOffset);
  EXPECT_EQ(nullptr, t->Text);
  EXPECT_EQ((100 & 63) | 128, Trn_Cells(t)[0].CellFlags);
  EXPECT_EQ(699, Trn_Cells(t)[1].X);
  EXPECT_EQ(0x80000000u | (4000u - 4000u) * 16 | 1u, Trn_Vehicles(t)[0].Vehicle);
  EXPECT_EQ(0x1u, Trn_Vehicles(t)[0].VehFlags) << "bits 0x7000 are never kept";
}

// Values of any size a file may hold: no arithmetic on them overflows (the
// sanitizers of the native build trap on any that would).
TEST_F(TrnFileTest, ExtremeValuesFromTheFileAreWorkedInRange) {
  Grid_SetCell(700, 500, 0, 0x0100);
  Grid_SetCell(699, 500, 0, 0x0100);
  Grid_SetCell(300, 400, 0, 0x0100);
  Grid_SetCell(299, 400, 0, 0x0100);
  CurrentTrain steep;
  steep.accel = 0x7FFFFFFFu;
  steep.brake = 0x80000000u;
  struct Case {
    const char* what;
    Bytes bytes;
    u16 version;
    int result;
  } cases[] = {
      {"acceleration and braking at the ends of 32 bits", CurrentSection({steep}), LAY_VERSION, 0},
      {"a last cell 2^31 cells behind the one before", Form14389(2, 0x80000000u), 14389, 3},
      // Read, and its train flagged: that cell lies off the grid.
      {"a last cell 2^31 - 1 cells ahead", Form14389(2, 0x7FFFFFFFu), 14389, -1},
      {"a reserving train's old target at -2^31", Form14160(TRN_RESERVED, 0x80000000u), 14160, 0},
      {"a reserving train's old target at 2^31 - 1", Form14160(TRN_RESERVED, 0x7FFFFFFFu), 14160, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, LoadSection(c.bytes, c.version)) << c.what;
  ASSERT_EQ(0, LoadSection(CurrentSection({steep}), LAY_VERSION));
  const TrainRec* t = TrnList_GetFirst();
  ASSERT_NE(nullptr, t);
  EXPECT_EQ(u32(i64(0x7FFFFFFF) * 9 / 25), t->AccelStep);
  EXPECT_EQ(u32(i64(INT32_MIN) * 9 / 25), t->BrakeStep);
}

// Files before 14160 (here 13576): u16 state, two speeds in km/h, the last
// cell as two signed bytes, vehicles as id, flag word and length / 8.
TEST_F(TrnFileTest, Form13576) {
  Bytes b;
  Test_Put16(b, TRN_SECTION_OLD_TAG);
  Test_Put16(b, 1);
  for (u32 v : {0u, 2u, 2u, 4u}) Test_Put16(b, v);
  Put8(b, 2);
  Put8(b, 1);
  Put8(b, 2);
  Test_Put16(b, 0);       // no home depot
  Test_Put16(b, 0);       // current place
  Test_Put16(b, 0x0004);  // at a stop
  for (int i = 0; i < 6; ++i) {
    Test_Put16(b, 0xFF00);  // empty entries
    Test_Put16(b, 0);
  }
  Test_Put16(b, 70);             // max 70 km/h
  Test_Put16(b, 30);             // speed 30 km/h
  Test_Put16(b, 3);              // countdown
  Put8(b, 10);              // decrement
  Test_Put16(b, 0);              // old target
  Test_Put16(b, 0);
  for (u32 v : {5u, 8u, 6u}) Test_Put16(b, v);  // stop times, wait
  Test_Put16(b, 0x3);            // one class word: type 3
  Test_Put32(b, 0);              // instead of the text
  Put8(b, 0);
  for (int i = 0; i < 2; ++i) {  // cells 0 and 1
    Test_Put16(b, 50 - i);
    Test_Put16(b, 60);
    Put8(b, 1);
    Put8(b, 0);
    Test_Put16(b, 0);
    Test_Put16(b, 1);  // mark
    Test_Put16(b, 3);  // flags
    for (int k = 0; k < 5; ++k) Put8(b, 0);
  }
  Put8(b, 1);  // the last cell, one behind the one before
  Put8(b, 0);
  Test_Put16(b, 5379);  // vehicles: id, flags, length / 8 in the low byte
  Test_Put16(b, 0x8000);
  Test_Put16(b, 0x0108);
  Test_Put16(b, 0x123);
  Test_Put16(b, 0);
  Test_Put16(b, 4);
  for (i32 x = 47; x <= 50; ++x) Grid_SetCell(x, 60, 0, 0x0100);
  ASSERT_EQ(0, LoadSection(b, 13576));
  TrainRec* t = TrnList_GetFirst();
  ASSERT_NE(nullptr, t);
  EXPECT_EQ(1, t->SplitPos);
  EXPECT_EQ(70000u, t->MaxSpeed);
  EXPECT_EQ(0u, t->Speed) << "a train at a stop does not move";
  EXPECT_EQ(30000u, t->TargetSpeed);
  EXPECT_EQ(u32(TRN_LIST_STOP), t->StateList);
  EXPECT_EQ(6, TrnList_StopRemaining(t));
  EXPECT_EQ(3u, t->Type);
  EXPECT_EQ(3u, t->HomeType);
  EXPECT_EQ(1u, t->PathOption);
  EXPECT_EQ(0, t->SubCellOffset);
  EXPECT_EQ(3, Trn_Cells(t)[0].CellFlags);
  EXPECT_EQ(48, Trn_Cells(t)[2].X);
  EXPECT_EQ(TRN_NO_CODE, Trn_Cells(t)[2].SavedCode);
  EXPECT_EQ(64u, Trn_Vehicles(t)[0].Length);
  EXPECT_EQ(32u, Trn_Vehicles(t)[1].Length);
  EXPECT_EQ(5379u, Trn_Vehicles(t)[0].Vehicle);
}

// The oldest files (13312): no split position, two skipped bytes after the
// home depot, class bits 0x100 and 0x200 dropped, and the cell marks carry
// the old cell codes, which go into the grid under a train on the track.
TEST_F(TrnFileTest, Form13312CarriesOldCellCodesInTheMarks) {
  Bytes b;
  Test_Put16(b, TRN_SECTION_OLD_TAG);
  Test_Put16(b, 1);
  for (u32 v : {0u, 1u, 1u, 1u}) Test_Put16(b, v);
  Put8(b, 1);  // LastCell
  Put8(b, 1);  // VehicleCount
  Test_Put16(b, 0);
  Test_Put16(b, 0);
  Put8(b, 0xAA);  // two skipped bytes
  Put8(b, 0xAA);
  Test_Put16(b, TRN_SET_ASIDE);
  for (int i = 0; i < 6; ++i) {
    Test_Put16(b, 0xFF00);
    Test_Put16(b, 0);
  }
  Test_Put16(b, 50);
  Test_Put16(b, 0);
  Test_Put16(b, 1);
  Put8(b, 10);
  Test_Put16(b, 0);
  Test_Put16(b, 0);
  for (u32 v : {0u, 0u, 0u}) Test_Put16(b, v);
  Test_Put16(b, 0x300 | 0x10);  // class word: type 8, bits 0x100 and 0x200 dropped
  Test_Put32(b, 0);
  Put8(b, 0);
  Test_Put16(b, 20);
  Test_Put16(b, 30);
  Put8(b, 1);
  Put8(b, 0);
  Test_Put16(b, 0);
  Test_Put16(b, 0x0100);  // an old cell code
  for (int k = 0; k < 5; ++k) Put8(b, 0);
  Put8(b, 1);
  Put8(b, 0);
  Test_Put16(b, 77);  // vehicle id and flag word; no length
  Test_Put16(b, 0);
  ASSERT_EQ(0, LoadSection(b, 0x3400));
  TrainRec* t = TrnList_GetFirst();
  ASSERT_NE(nullptr, t);
  EXPECT_EQ(0, t->SplitPos);
  EXPECT_EQ(30, t->WaitLeft) << "a train set aside of such a file waits 30 seconds";
  EXPECT_EQ(8u, t->Type);
  EXPECT_EQ(0u, t->PropFlags);
  EXPECT_EQ(1u, Trn_Cells(t)[0].SavedCode);
  EXPECT_EQ(Grid_ConvertFileCode(0x0100, 0x3400, nullptr), Grid_GetCell(20, 30, 0));
  EXPECT_EQ(0u, Trn_Vehicles(t)[0].Length);
}

TEST_F(TrnFileTest, OldClassCodes) {
  struct Case {
    u32 bits, type, category;
  } cases[] = {{0, 0, 0},  {0x3, 3, 1}, {0x2, 5, 1},  {0x8, 6, 1}, {0x18, 6, 1},
               {0x10, 8, 1}, {0x4, 1, 2}, {0x20, 1, 3}, {0x1, 1, 1}, {0x40 | 0x2, 5, 1}};
  for (const Case& c : cases) {
    u32 type = 99, category = 99;
    TrnList_OldClassCode(c.bits, &type, &category);
    EXPECT_EQ(c.type, type) << c.bits;
    EXPECT_EQ(c.category, category) << c.bits;
  }
  TrainRec t;
  std::memset(&t, 0, sizeof t);
  t.StateFlags = TRN_AT_PLACE;
  t.TimeB[0] = 0x7F010000;
  t.PlaceB[0] = 2;
  t.TimeA[0] = 0x7F010000;
  t.PlaceA[0] = 2;
  TrnList_ConvertOldClass(&t, 0x600 | 0x40 | 0x80, 0x4);
  EXPECT_EQ(12u, t.PropFlags);
  EXPECT_EQ(TRN_AT_PLACE | TRN_FLAGGED_START, t.StateFlags);
  EXPECT_EQ(0x8002u, t.PlaceB[0]);
  EXPECT_EQ(0x8002u, t.PlaceA[0]);
  EXPECT_EQ(1u, t.HomeType);
  EXPECT_EQ(2u, t.HomeCategory);
}

TEST_F(TrnFileTest, OldVehicleIdsAreRenumberedOnce) {
  EXPECT_EQ(5456u, TrnList_ConvertOldVehicleId(5379));
  EXPECT_EQ(29186u, TrnList_ConvertOldVehicleId(29188)) << "no chain to 29281";
  EXPECT_EQ(29281u, TrnList_ConvertOldVehicleId(29186));
  EXPECT_EQ(42016u, TrnList_ConvertOldVehicleId(41985)) << "the 48th pair";
  EXPECT_EQ(12345u, TrnList_ConvertOldVehicleId(12345));
}

// Until the graphics store answers, every vehicle is unknown: a vehicle of
// a sound length is marked missing (warning), one of no length fails.
TEST_F(TrnFileTest, AfterLoadWithoutCatalogue) {
  Grid_SetCell(600, 700, 0, 0x0100);
  ASSERT_EQ(0, LoadSection(CurrentSection({CurrentTrain()}), LAY_VERSION));
  TrainRec* t = TrnList_GetFirst();
  EXPECT_EQ(2, TrnList_AfterLoad(LAY_VERSION));
  EXPECT_TRUE(Trn_Vehicles(t)[0].VehFlags & TRN_VEH_MISSING);
  EXPECT_EQ(96u, t->TailOffset);
  const Bytes saved = SaveSection();
  ASSERT_EQ(0, LoadSection(saved, LAY_VERSION));
  EXPECT_FALSE(Trn_Vehicles(TrnList_GetFirst())[0].VehFlags & TRN_VEH_MISSING) << "0x1000 is never saved";

  Trn_Vehicles(TrnList_GetFirst())[1].Length = 0;
  EXPECT_EQ(1, TrnList_AfterLoad(LAY_VERSION));
  EXPECT_EQ(1, TrnList_AfterLoad(13575)) << "the oldest files take the length from the graphics";
}

// ---------------------------------------------------------------- with the layout

TEST_F(TrnFileTest, TrainsAreSavedAndLoadedWithTheLayout) {
  const wstr folder = Test_MakeTempFolder();
  ASSERT_FALSE(folder.empty());
  BuildTrains();
  // A layout in memory has been through the loader's after-load steps once;
  // without vehicle sets they settle the vehicles as missing.
  EXPECT_EQ(2, TrnList_AfterLoad(LAY_VERSION));
  TrnList_SetAllTrainSounds(1);
  TrnList_RefreshCellCodes(1);
  // A load counts every reservation again from the marks in the grid; these
  // trains claim cells that no mark backs, so they hold none after a load.
  TrnList_RefreshReservations();
  const Bytes section = SaveSection();
  const wstr name = u"trains.nt3";
  for (size_t i = 0; i <= name.size(); ++i) LayoutFileName[i] = i < name.size() ? name[i] : 0;
  ASSERT_EQ(0, Lay_WriteFile(folder.c_str(), nullptr));
  const u32 blocksSaved = g_gridBlockCount;

  TrnList_Clear();
  Grid_Clear();
  // No vehicle sets are loaded here: the vehicles are missing, a warning.
  ASSERT_EQ(LAY_LOAD_WARNINGS, Lay_LoadFile(name.c_str()));
  EXPECT_EQ(blocksSaved, g_gridBlockCount);
  EXPECT_EQ(10u, Trn_GetCount());
  TrnList_RefreshCellCodes(1);
  const TrainRec* t = TrnList_AtIndex(0);
  const TrainCell& head = Trn_Cells(t)[0];
  EXPECT_EQ(t->MarkerCode, Grid_GetCell(head.X, head.Y, head.Level));
  EXPECT_EQ(0x0100, Grid_GetCellNorm(head.X, head.Y, head.Level));
  EXPECT_EQ(section, SaveSection());
  EXPECT_EQ(0, Msg_InfoDepth());
}

TEST_F(TrnFileTest, ARefusedLoadKeepsTheTrainsInMemory) {
  const wstr folder = Test_MakeTempFolder();
  BuildTrains();
  const Bytes section = SaveSection();
  // A layout file whose train section ends early.
  const wstr name = u"cut.nt3";
  for (size_t i = 0; i <= name.size(); ++i) LayoutFileName[i] = i < name.size() ? name[i] : 0;
  ASSERT_EQ(0, Lay_WriteFile(folder.c_str(), nullptr));
  Bytes file = Test_ReadFile(folder + name);
  file.resize(file.size() - 40);
  ASSERT_TRUE(Test_WriteFile(folder + name, file));
  EXPECT_NE(0, Lay_LoadFile(name.c_str()));
  EXPECT_EQ(10u, Trn_GetCount());
  TrnList_RefreshCellCodes(1);
  EXPECT_EQ(section, SaveSection());
}

}  // namespace
