// Two trains on a loop split into four blocks by main signals, run tick by
// tick for hours: each block is an installation that the signal at its
// entry counts in and a counting element behind it counts out, so a train
// never enters an occupied block; saved and reloaded, the layout runs on
// cell for cell as before.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "model/dep.h"
#include "model/grid.h"
#include "model/hst.h"
#include "model/layfile.h"
#include "model/line.h"
#include "operation/clock.h"
#include "operation/sig.h"
#include "operation/sigeval.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
#include "operation/trnquery.h"
#include "platform/fio.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

// The loop runs clockwise as in the timetable scenario: the top row east,
// the right column south, the bottom row west, the left column north.
enum : i32 { kLeft = 10, kRight = 30, kTop = 10, kBottom = 20 };
enum : CellCode {
  kHorizontal = 0,
  kVertical = 1,
  kCornerTopRight = 8,
  kCornerBottomRight = 9,
  kWestToNorthwest = 30,
  kNorthwestToNorth = 26,
  kCornerTopLeft = 11,
  kDepotPlace = 136,
  kMainNorth = 440,  // main signals, clear; + 8 shows stop
  kMainSouth = 441,
  kMainWest = 442,
  kMainEast = 443,
  kCountNorth = 392,  // counting elements
  kCountSouth = 393,
  kCountWest = 394,
  kCountEast = 395,
};

struct Cell {
  i32 x, y;
  bool operator<(const Cell& o) const { return x != o.x ? x < o.x : y < o.y; }
  bool operator==(const Cell& o) const { return x == o.x && y == o.y; }
};

// Block k begins at signal k and ends at signal k + 1; the counting element
// five cells behind signal k counts the train out of block k - 1 once its
// tail has left it.
const Cell kSignal[4] = {{14, kTop}, {kRight, 12}, {26, kBottom}, {kLeft, 17}};
const CellCode kSignalCode[4] = {kMainEast, kMainSouth, kMainWest, kMainNorth};
const Cell kCounter[4] = {{19, kTop}, {kRight, 17}, {21, kBottom}, {kLeft, 12}};
const CellCode kCounterCode[4] = {kCountEast, kCountSouth, kCountWest, kCountNorth};
// Each train starts from a place in a block of its own.
const Cell kPlace[2] = {{12, kTop}, {18, kBottom}};
const u32 kPlaceBlock[2] = {3, 2};

class SigScenarioTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Wire_InstallHooks();
    Fio_InitBuffers();
  }
  static void TearDownTestSuite() { Fio_FreeBuffers(); }
  void SetUp() override {
    ASSERT_EQ(0, Test_LoadTexts());
    folder = Test_MakeTempFolder();
    ASSERT_EQ(0, Grid_Init());
    Grid_Clear();
    TrnList_FreeAll();
    Dep_Clear();
    Hst_Clear();
    Sig_Clear();
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
    Sig_Clear();
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
    for (int k = 0; k < 4; ++k) {
      SignalInstallationData d = {};
      d.Name[0] = u'B';
      d.Name[1] = wch(u'0' + k);
      d.Limit = d.Maximum = 1;
      block[k] = Sig_CreateInstallation(0);
      ASSERT_EQ(0, Sig_SetInstallation(block[k], &d));
    }
    for (int k = 0; k < 4; ++k) {
      Put(kSignal[k].x, kSignal[k].y, kSignalCode[k]);
      ASSERT_EQ(0, Sig_CreateElement(kSignal[k].x, kSignal[k].y, 0, 0, kSignalCode[k]));
      SignalElementData s = {};
      s.Name[0] = u'S';
      s.Name[1] = wch(u'0' + k);
      s.Type = 1;
      s.TokenCount = 1;
      s.Tokens[0] = block[k];
      s.List1Count = 1;
      s.List1[0] = i32(block[k]);
      ASSERT_EQ(0, Sig_SetElement(kSignal[k].x, kSignal[k].y, 0, &s));
      Put(kCounter[k].x, kCounter[k].y, kCounterCode[k]);
      ASSERT_EQ(0, Sig_CreateElement(kCounter[k].x, kCounter[k].y, 0, 0, kCounterCode[k]));
      SignalElementData c = {};
      c.Name[0] = u'C';
      c.Name[1] = wch(u'0' + k);
      c.Type = 10;
      c.List1Count = 1;
      c.List1[0] = -i32(block[(k + 3) % 4]);
      ASSERT_EQ(0, Sig_SetElement(kCounter[k].x, kCounter[k].y, 0, &c));
    }
    for (int p = 0; p < 2; ++p) {
      Put(kPlace[p].x, kPlace[p].y, kDepotPlace);
      DepotPlace place;
      std::memset(&place, 0, sizeof place);
      place.X = kPlace[p].x;
      place.Y = kPlace[p].y;
      place.Number = 1;
      place.Directions = p == 0 ? 8 : 4;
      place.Options = 0x8000;  // later laps run through the place
      // A train leaves only into a free block, and counts itself in.
      place.CondCount = 1;
      place.Cond[0] = block[kPlaceBlock[p]];
      place.ListACount = 1;
      place.ListA[0] = i32(block[kPlaceBlock[p]]);
      ASSERT_EQ(0, Dep_InsertPlace(u32(p + 1), p == 0 ? u"East" : u"West", p == 0 ? u"E" : u"W", &place));
    }
    ASSERT_EQ(0, Lin_Create(u"L1", 0, 0, &line));
  }

  TrainRec* AddTrain(i32 number, u32 depot, u32 maxSpeed, u32 depart) {
    TrainRec tmpl;
    std::memset(&tmpl, 0, sizeof tmpl);
    tmpl.Line = tmpl.CurLine = line;
    tmpl.Number = number;
    tmpl.LastCell = 3;
    tmpl.VehicleCount = 2;
    tmpl.MaxSpeed = maxSpeed;
    tmpl.Accel = 50;
    tmpl.Brake = 100;
    tmpl.HomeDepot = depot;
    tmpl.HomePlace = 1;
    tmpl.Type = tmpl.HomeType = 1;
    tmpl.Category = tmpl.HomeCategory = 1;
    tmpl.PathOption = 1;
    tmpl.StopTimeMin = 20;
    tmpl.StopTimeMax = 40;
    tmpl.TimeB[0] = 1u << 24 | 6u << 16;
    tmpl.DepotB[0] = depot;
    tmpl.PlaceB[0] = 1;
    tmpl.TimeA[0] = 1u << 24 | depart;
    tmpl.DepotA[0] = depot;
    tmpl.PlaceA[0] = 1;
    const TrainCompositionEntry comp[2] = {{TRN_MISSING_VEHICLE | 32, 0}, {TRN_MISSING_VEHICLE | 32, 0}};
    const Cell& at = kPlace[depot - 1];
    EXPECT_EQ(TRN_CREATE_OK, TrnList_Create(comp, &tmpl, nullptr, at.x, at.y, 0));
    return TrnList_Find(line, number);
  }

  static bool OnTrack(const TrainRec* t) { return !(t->StateFlags & (TRN_OFF_TRACK | TRN_DEPOT_WAIT)); }
  static bool IsSignal(const Cell& c) {
    for (const Cell& s : kSignal)
      if (s == c) return true;
    return false;
  }
  // The code a loop cell may show: its own, or a signal's stop shape.
  bool Allowed(const Cell& c, u32 code) const {
    const u32 own = original.at(c);
    return code == own || (IsSignal(c) && code == own + 8);
  }

  // Markers belong to exactly one train that keeps a code the cell may
  // show; every other cell shows its own code (a signal either aspect).
  void CheckCells(i64 tick) {
    for (const auto& kv : original) {
      const CellCode now = Grid_GetCell(kv.first.x, kv.first.y, 0);
      int owners = 0;
      const TrainRec* owner = nullptr;
      for (const TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
        if (!OnTrack(t)) continue;
        const TrainCell* c = Trn_Cells(t);
        for (u32 k = 0; k <= t->LastCell; ++k) {
          if (c[k].SavedCode == TRN_NO_CODE || c[k].X != kv.first.x || c[k].Y != kv.first.y) continue;
          owners++;
          owner = t;
          ASSERT_TRUE(Allowed(kv.first, c[k].SavedCode)) << "tick " << tick << " saved " << c[k].SavedCode;
        }
      }
      if (now >= CELL_TRAIN_FIRST && now <= CELL_TRAIN_LAST) {
        ASSERT_EQ(1, owners) << "tick " << tick << " cell " << kv.first.x << "," << kv.first.y;
        ASSERT_EQ(owner->MarkerCode, now) << "tick " << tick;
      } else {
        ASSERT_EQ(0, owners) << "tick " << tick << " cell " << kv.first.x << "," << kv.first.y;
        ASSERT_TRUE(Allowed(kv.first, now)) << "tick " << tick << " cell " << kv.first.x << "," << kv.first.y;
      }
    }
  }

  // Runs the ticks, checking the cells and the signals at each: a head
  // enters a signal's cell only when that signal was clear the tick
  // before, and a train held at a stop signal goes on soon after it clears.
  void Run(i64 ticks, std::vector<TrainRec*> trains) {
    std::vector<u32> before(4);
    for (int k = 0; k < 4; ++k) before[k] = Grid_GetCell(kSignal[k].x, kSignal[k].y, 0);
    for (i64 tick = 1; tick <= ticks; ++tick) {
      Clk_Tick();
      ++now;
      CheckCells(now);
      if (HasFatalFailure()) return;
      for (size_t i = 0; i < trains.size(); ++i) {
        TrainRec* t = trains[i];
        Watch& w = watch[i];
        if (!OnTrack(t)) continue;
        const Cell head = {Trn_Cells(t)[0].X, Trn_Cells(t)[0].Y};
        if (!(head == w.head)) {
          entries[i]++;
          for (int k = 0; k < 4; ++k) {
            if (!(head == kSignal[k])) continue;
            ASSERT_EQ(u32(kSignalCode[k]), before[k]) << "train " << i << " ran into stop signal " << k << " at tick " << now;
            if (w.waitingAt == k) {
              ASSERT_GE(w.clearedTick, 0) << "train " << i << " left before its signal cleared";
              EXPECT_LE(now - w.clearedTick, 300) << "train " << i << " at signal " << k;
              stops++;
            }
            w.waitingAt = -1;
          }
          w.head = head;
        }
        if ((t->StateFlags & TRN_BLOCKED) && w.waitingAt < 0) {
          const Cell next = {head.x + t->DirX, head.y + t->DirY};
          for (int k = 0; k < 4; ++k)
            if (next == kSignal[k] && Grid_GetCell(next.x, next.y, 0) == kSignalCode[k] + 8) {
              w.waitingAt = k;
              w.clearedTick = -1;
            }
        }
      }
      for (int k = 0; k < 4; ++k) {
        const u32 code = Grid_GetCell(kSignal[k].x, kSignal[k].y, 0);
        for (Watch& w : watch)
          if (w.waitingAt == k && w.clearedTick < 0 && code == kSignalCode[k]) w.clearedTick = now;
        before[k] = code;
      }
    }
  }

  struct Watch {
    Cell head = {-1, -1};
    int waitingAt = -1;
    i64 clearedTick = -1;
  };
  Watch watch[2];
  i64 entries[2] = {0, 0};
  i64 now = 0;
  int stops = 0;
  std::map<Cell, CellCode> original;
  u32 block[4] = {};
  LineId line = 0;
  wstr folder;
};

TEST_F(SigScenarioTest, BlocksKeepTrainsApartForHours) {
  // The fast train catches up with the slow one again and again.
  TrainRec* fast = AddTrain(1, 1, 40000, 6u << 16 | 1u << 8);
  TrainRec* slow = AddTrain(2, 2, 12000, 6u << 16 | 1u << 8);
  ASSERT_TRUE(fast && slow);
  g_simClock.weekday = 1;
  g_simClock.hour = 5;
  g_simClock.minute = 59;
  g_simClock.second = 0;
  Run(100 * 3600 * 3, {fast, slow});  // three hours
  if (HasFatalFailure()) return;
  EXPECT_GT(entries[0], 1000) << "the fast train ran its laps";
  EXPECT_GT(entries[1], 500);
  EXPECT_GT(stops, 20) << "trains waited at stop signals and went on when they cleared";
  // Each block counts the trains inside it: at most one.
  for (u32 id : block) EXPECT_LE(Sig_FindInstallation(id)->Count, 1);

  // Saved in the middle of the traffic and reloaded, every block keeps its
  // count and every signal its aspect.
  u32 counts[4], aspects[4];
  for (int k = 0; k < 4; ++k) {
    counts[k] = u32(Sig_FindInstallation(block[k])->Count);
    aspects[k] = Grid_GetCell(kSignal[k].x, kSignal[k].y, 0);
    if (aspects[k] >= CELL_TRAIN_FIRST) aspects[k] = Trn_GetCellGraphic(kSignal[k].x, kSignal[k].y, 0, u16(aspects[k]));
  }
  const wstr name = W16("busy.nt3");
  std::memcpy(LayoutFileName, name.c_str(), (name.size() + 1) * 2);
  ASSERT_EQ(0, Lay_WriteFile(folder.c_str(), nullptr));
  ASSERT_EQ(0, Lay_LoadFile(name.c_str()));
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(counts[k], u32(Sig_FindInstallation(block[k])->Count)) << k;
    u32 aspect = Grid_GetCell(kSignal[k].x, kSignal[k].y, 0);
    if (aspect >= CELL_TRAIN_FIRST) aspect = Trn_GetCellGraphic(kSignal[k].x, kSignal[k].y, 0, u16(aspect));
    EXPECT_EQ(aspects[k], aspect) << k;
    EXPECT_EQ(1u, Sig_FindInstallation(block[k])->DependentCount) << "dependents rebuilt";
  }
}

// The train section keeps neither a moving train's step interval and
// countdown nor which retry list a blocked train waits in, so the layout is
// saved before the trains are put on the track: from there the reloaded
// layout must run cell for cell as the original.
TEST_F(SigScenarioTest, ReloadedLayoutRunsOnAlike) {
  AddTrain(1, 1, 40000, 6u << 16 | 1u << 8);
  AddTrain(2, 2, 12000, 6u << 16 | 1u << 8);
  g_simClock.weekday = 1;
  g_simClock.hour = 5;
  g_simClock.minute = 59;
  g_simClock.second = 0;
  for (int tick = 0; tick < 100 * 30; ++tick) Clk_Tick();  // to 5:59:30, before they are put in
  Clk_ResetPhases();
  const wstr name = W16("blocks.nt3");
  std::memcpy(LayoutFileName, name.c_str(), (name.size() + 1) * 2);
  ASSERT_EQ(0, Lay_WriteFile(folder.c_str(), nullptr));
  const SimClock clock = g_simClock;
  auto record = [this](std::vector<Cell>& out) {
    for (i64 tick = 0; tick < 100 * 60 * 20; ++tick) {
      Clk_Tick();
      for (i32 number : {1, 2}) {
        const TrainRec* t = TrnList_Find(line, number);
        out.push_back(t && OnTrack(t) ? Cell{Trn_Cells(t)[0].X, Trn_Cells(t)[0].Y} : Cell{-1, -1});
      }
    }
  };
  std::vector<Cell> first, second;
  record(first);
  ASSERT_EQ(0, Lay_LoadFile(name.c_str()));
  g_simClock = clock;
  Clk_ResetPhases();
  record(second);
  ASSERT_EQ(first.size(), second.size());
  size_t differ = 0;
  while (differ < first.size() && first[differ] == second[differ]) ++differ;
  EXPECT_EQ(first.size(), differ) << "first difference at tick " << differ / 2 << " train " << differ % 2 + 1;
  // The trains went round and met at signals in those twenty minutes.
  size_t moves = 0;
  for (size_t i = 2; i < first.size(); ++i) moves += !(first[i] == first[i - 2]);
  EXPECT_GT(moves, 300u);
}

}  // namespace
