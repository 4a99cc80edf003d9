// A small layout run tick by tick: a loop with a depot place and two stops,
// a line, and trains of that line with insertion and departure times.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "model/dep.h"
#include "model/grid.h"
#include "model/hst.h"
#include "model/line.h"
#include "operation/clock.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
#include "operation/trnstep.h"
#include "shell/wire.h"

namespace {

// The loop runs clockwise: the top row east, the right column south, the
// bottom row west, the left column north; the bottom left corner is cut by
// one diagonal step.
enum : i32 { kLeft = 10, kRight = 30, kTop = 10, kBottom = 20 };
enum : CellCode {
  kHorizontal = 0,
  kVertical = 1,
  kCornerTopRight = 8,     // east in, south out
  kCornerBottomRight = 9,  // south in, west out
  kWestToNorthwest = 30,   // west in, north-west out
  kNorthwestToNorth = 26,  // north-west in, north out
  kCornerTopLeft = 11,     // north in, east out
  kDepotPlace = 136,       // east-west depot place
  kStopSouth = 265,        // a stop for trains running south
  kStopWest = 266          // a stop for trains running west
};
const CellPos kPlace = {13, kTop, 0};
const CellPos kStop1 = {kRight, 15, 0};
const CellPos kStop2 = {25, kBottom, 0};
enum : u32 { kMaxSpeed = 40000, kAccel = 50, kStopMin = 20, kStopMax = 40, kVehicleLength = 32 };

struct Key {
  i32 x, y;
  bool operator<(const Key& o) const { return x != o.x ? x < o.x : y < o.y; }
};

// What one train did, tick by tick.
struct Trace {
  i64 placedTick = -1, leftTick = -1, atSpeedTick = -1, inDepotTick = -1;
  std::vector<i64> entries;        // ticks at which the head entered a cell
  std::vector<u32> entryDecrement;  // StepDecrement after each entry
  std::vector<u32> entrySpeed;      // speed at each entry
  std::vector<Key> stopCells;
  std::vector<i64> stopTicks;       // how long each stop lasted
  i64 stopStart = -1;
  Key head = {-1, -1};
  i32 lastOffset = 0;
  u32 subSteps = 0;
};

class SimScenarioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Grid_Init());
    Grid_Clear();
    TrnList_FreeAll();
    Dep_Clear();
    Hst_Clear();
    Lin_Init();
    Lin_Clear();
    Clk_Reset();
    Clk_ResetPhases();
    Clk_SetLayoutScale(64);
    ViaTimer = 0;
    BuildLoop();
  }
  void TearDown() override {
    TrnList_FreeAll();
    Hst_Clear();
    Dep_Clear();
    Lin_Clear();
    Grid_Clear();
  }

  void Put(i32 x, i32 y, CellCode code) {
    ASSERT_EQ(1, Grid_SetCell(x, y, 0, code));
    original[{x, y}] = code;
  }
  void BuildLoop() {
    for (i32 x = kLeft + 1; x < kRight; ++x) {
      Put(x, kTop, kHorizontal);
      Put(x, kBottom, kHorizontal);
    }
    for (i32 y = kTop + 1; y < kBottom; ++y) {
      Put(kLeft, y, kVertical);
      Put(kRight, y, kVertical);
    }
    Put(kRight, kTop, kCornerTopRight);
    Put(kRight, kBottom, kCornerBottomRight);
    Put(kLeft + 1, kBottom, kWestToNorthwest);
    Put(kLeft, kBottom - 1, kNorthwestToNorth);
    Put(kLeft, kTop, kCornerTopLeft);
    Put(kPlace.x, kPlace.y, kDepotPlace);
    Put(kStop1.x, kStop1.y, kStopSouth);
    Put(kStop2.x, kStop2.y, kStopWest);

    DepotPlace place;
    std::memset(&place, 0, sizeof place);
    place.X = kPlace.x;
    place.Y = kPlace.y;
    place.Level = 0;
    place.Number = 1;
    place.Directions = 8;  // leaving east
    ASSERT_EQ(0, Dep_InsertPlace(1, u"Home", u"H", &place));
    ASSERT_EQ(0, Hst_Create(kStop1.x, kStop1.y, 0, 0, nullptr, 0, nullptr, 0, 0, 2, 0, 1));  // south, type 1
    ASSERT_EQ(0, Hst_Create(kStop2.x, kStop2.y, 0, 0, nullptr, 0, nullptr, 0, 0, 4, 0, 1));  // west, type 1
    ASSERT_EQ(0, Lin_Create(u"L1", 0, 0, &line));
  }

  // A train of two vehicles of one cell each, inserted at the place at
  // Monday insert and departing at depart (hour << 16 | minute << 8).
  TrainRec* AddTrain(i32 number, u32 lastCell, u32 insert, u32 depart) {
    TrainRec tmpl;
    std::memset(&tmpl, 0, sizeof tmpl);
    tmpl.Line = tmpl.CurLine = line;
    tmpl.Number = number;
    tmpl.LastCell = lastCell;
    tmpl.VehicleCount = 2;
    tmpl.MaxSpeed = kMaxSpeed;
    tmpl.Accel = kAccel;
    tmpl.Brake = 100;
    tmpl.HomeDepot = 1;
    tmpl.HomePlace = 1;
    tmpl.Type = tmpl.HomeType = 1;
    tmpl.Category = tmpl.HomeCategory = 1;
    tmpl.PathOption = 1;
    tmpl.StopTimeMin = kStopMin;
    tmpl.StopTimeMax = kStopMax;
    tmpl.TimeB[0] = 1u << 24 | insert;
    tmpl.DepotB[0] = 1;
    tmpl.PlaceB[0] = 1;
    tmpl.TimeA[0] = 1u << 24 | depart;
    tmpl.DepotA[0] = 1;
    tmpl.PlaceA[0] = 1;
    const TrainCompositionEntry comp[2] = {{TRN_MISSING_VEHICLE | kVehicleLength, 0},
                                           {TRN_MISSING_VEHICLE | kVehicleLength, 0}};
    EXPECT_EQ(TRN_CREATE_OK, TrnList_Create(comp, &tmpl, nullptr, kPlace.x, kPlace.y, 0));
    TrainRec* t = TrnList_Find(line, number);
    EXPECT_TRUE(t);
    return t;
  }

  static bool OnTrack(const TrainRec* t) { return !(t->StateFlags & (TRN_OFF_TRACK | TRN_DEPOT_WAIT)); }

  // Every grid word with a marker belongs to a cell of exactly one train,
  // which keeps the cell's own code; every other cell has its own code.
  void CheckCells(i64 tick) {
    for (const auto& kv : original) {
      const CellCode now = Grid_GetCell(kv.first.x, kv.first.y, 0);
      int owners = 0;
      const TrainRec* owner = nullptr;
      for (const TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
        if (!OnTrack(t)) continue;
        const TrainCell* c = Trn_Cells(t);
        for (u32 k = 0; k <= t->LastCell; ++k) {
          if (c[k].SavedCode == TRN_NO_CODE || c[k].X != kv.first.x || c[k].Y != kv.first.y || c[k].Level != 0)
            continue;
          owners++;
          owner = t;
          ASSERT_EQ(kv.second, c[k].SavedCode) << "tick " << tick << " cell " << kv.first.x << "," << kv.first.y;
        }
      }
      if (now >= CELL_TRAIN_FIRST && now <= CELL_TRAIN_LAST) {
        ASSERT_EQ(1, owners) << "tick " << tick << " cell " << kv.first.x << "," << kv.first.y;
        ASSERT_EQ(owner->MarkerCode, now) << "tick " << tick;
      } else {
        ASSERT_EQ(0, owners) << "tick " << tick << " cell " << kv.first.x << "," << kv.first.y;
        ASSERT_EQ(kv.second, now) << "tick " << tick << " cell " << kv.first.x << "," << kv.first.y;
      }
    }
  }

  void Observe(TrainRec* t, Trace& tr, i64 tick) {
    if (tr.placedTick < 0 && (t->StateFlags & TRN_DEPOT_WAIT)) tr.placedTick = tick;
    if (tr.leftTick < 0 && tr.placedTick >= 0 && OnTrack(t)) tr.leftTick = tick;
    if (tr.leftTick < 0 || tr.inDepotTick >= 0) return;
    if (t->StateFlags & TRN_OFF_TRACK) {
      tr.inDepotTick = tick;
      return;
    }
    if (tr.atSpeedTick < 0 && t->Speed == kMaxSpeed) tr.atSpeedTick = tick;
    const TrainCell& h = Trn_Cells(t)[0];
    const Key head = {h.X, h.Y};
    if (head.x != tr.head.x || head.y != tr.head.y) {
      tr.head = head;
      tr.entries.push_back(tick);
      tr.entryDecrement.push_back(t->StepDecrement);
      tr.entrySpeed.push_back(t->Speed);
    } else if (t->SubCellOffset != tr.lastOffset) {
      tr.subSteps++;
    }
    tr.lastOffset = t->SubCellOffset;
    const bool atStop = (t->StateFlags & TRN_AT_STOP) != 0;
    if (atStop && tr.stopStart < 0) {
      tr.stopStart = tick;
      tr.stopCells.push_back(head);
    } else if (!atStop && tr.stopStart >= 0) {
      tr.stopTicks.push_back(tick - tr.stopStart);
      tr.stopStart = -1;
    }
  }

  std::map<Key, CellCode> original;
  LineId line = 0;
};

TEST_F(SimScenarioTest, TrainsRunTheLoopByTimetable) {
  // Train 1 has the slots its length needs; train 2 was given far more slots
  // than it covers (as a template or an old file may give): its tail cells
  // must still be given back.
  TrainRec* t1 = AddTrain(1, 3, 6 << 16, 6 << 16 | 1 << 8);
  TrainRec* t2 = AddTrain(2, 9, 6 << 16 | 8 << 8, 6 << 16 | 8 << 8);
  ASSERT_TRUE(t1 && t2);
  ASSERT_EQ(2u * kVehicleLength, t1->TailOffset);
  g_simClock.weekday = 1;
  g_simClock.hour = 5;
  g_simClock.minute = 59;
  g_simClock.second = 0;

  Trace tr1, tr2;
  const i64 kTicks = 100 * 60 * 20;  // to 06:19
  for (i64 tick = 1; tick <= kTicks; ++tick) {
    Clk_Tick();
    Observe(t1, tr1, tick);
    Observe(t2, tr2, tick);
    CheckCells(tick);
    if (HasFatalFailure()) return;
  }

  for (const Trace* tr : {&tr1, &tr2}) {
    SCOPED_TRACE(tr == &tr1 ? "train 1" : "train 2");
    // Placed at its insertion minute (second 0), gone from the place within
    // the next second's retry.
    const i64 insertTick = tr == &tr1 ? 6000 : 6000 * 9;
    EXPECT_EQ(insertTick, tr->placedTick);
    ASSERT_GE(tr->leftTick, insertTick);
    EXPECT_LE(tr->leftTick, insertTick + 100);
    // At speed after speed / acceleration step ticks, to within one tick.
    const i64 want = (kMaxSpeed + kAccel * 9 / 25 - 1) / (kAccel * 9 / 25);
    ASSERT_GE(tr->atSpeedTick, 0);
    EXPECT_NEAR(double(want), double(tr->atSpeedTick - tr->leftTick), 1.0);
    // A whole lap: the 58 cells of the loop besides the place, then back into
    // the place.
    ASSERT_GE(tr->inDepotTick, 0) << "the train did not come back into its place";
    EXPECT_EQ(58u, tr->entries.size());
    // Cells crossed at full speed take 8 sub-steps of TickConstant / speed,
    // a diagonal cell 10/7 the time of a straight one.
    const double interval = double(TickConstant / kMaxSpeed);
    int straightCells = 0, diagonalCells = 0;
    for (size_t i = 1; i + 1 < tr->entries.size(); ++i) {
      if (tr->entrySpeed[i] != kMaxSpeed || tr->entrySpeed[i + 1] != kMaxSpeed) continue;
      const double ticks = double(tr->entries[i + 1] - tr->entries[i]);
      const double straight = 8 * interval / 10;
      if (tr->entryDecrement[i] == 7) {
        EXPECT_NEAR(straight * 10 / 7, ticks, 1.0) << "diagonal cell " << i;
        diagonalCells++;
      } else {
        EXPECT_EQ(10u, tr->entryDecrement[i]);
        EXPECT_NEAR(straight, ticks, 1.0) << "cell " << i;
        straightCells++;
      }
    }
    EXPECT_GT(straightCells, 20);
    EXPECT_EQ(1, diagonalCells);
    // The entry and seven sub-steps inside every cell crossed.
    EXPECT_EQ(7u * tr->entries.size(), tr->subSteps);
    // Both stops, each for a time within the train's stop times.
    ASSERT_EQ(2u, tr->stopTicks.size());
    EXPECT_EQ(kStop1.x, tr->stopCells[0].x);
    EXPECT_EQ(kStop1.y, tr->stopCells[0].y);
    EXPECT_EQ(kStop2.x, tr->stopCells[1].x);
    EXPECT_EQ(kStop2.y, tr->stopCells[1].y);
    for (i64 d : tr->stopTicks) {
      EXPECT_GT(d, i64(kStopMin) * 100);
      EXPECT_LE(d, i64(kStopMax + 1) * 100);
    }
  }
  // Both back in their place, off the track; the loop is as it was.
  EXPECT_TRUE(t1->StateFlags & TRN_OFF_TRACK);
  EXPECT_TRUE(t2->StateFlags & TRN_OFF_TRACK);
  for (const auto& kv : original) EXPECT_EQ(kv.second, Grid_GetCell(kv.first.x, kv.first.y, 0));
}

}  // namespace
