// A small track fixture for the reservation, reversing and joining tests:
// trains placed straight onto cells of the grid, with the cell codes they
// stand on, and the marker invariant that every test checks.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "model/dep.h"
#include "model/grid.h"
#include "model/hst.h"
#include "model/line.h"
#include "operation/dmsg.h"
#include "operation/pts.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
#include "operation/trnmove.h"

// Cell codes of the shapes the tests lay.
enum : CellCode {
  kFixH = 0,              // east-west
  kFixV = 1,              // north-south
  kFixCross = 32,         // crossing, a turnout without controller both ways
  kFixCornerTopRight = 8,     // east in, south out
  kFixCornerBottomRight = 9,  // south in, west out
  kFixCornerBottomLeft = 10,  // west in, north out
  kFixCornerTopLeft = 11,     // north in, east out
  kFixBuffer = 170            // a buffer stop for trains running west
};

struct TrnFixtureCell {
  i32 x, y;
};

class TrnFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, Grid_Init());
    Grid_Clear();
    TrnList_FreeAll();
    Pts_FreeAll();
    Dep_Clear();
    Hst_Clear();
    Dmsg_Clear();
  }
  void TearDown() override {
    TrnList_FreeAll();
    Pts_FreeAll();
    Dep_Clear();
    Hst_Clear();
    Dmsg_Clear();
    Grid_Clear();
  }

  void Put(i32 x, i32 y, CellCode code) {
    ASSERT_EQ(1, Grid_SetCell(x, y, 0, code));
    cells.push_back({x, y});
  }
  void Row(i32 x1, i32 x2, i32 y, CellCode code = kFixH) {
    for (i32 x = x1; x <= x2; ++x) Put(x, y, code);
  }
  void Column(i32 x, i32 y1, i32 y2, CellCode code = kFixV) {
    for (i32 y = y1; y <= y2; ++y) Put(x, y, code);
  }

  // A moving train of the given vehicles (lengths in pixels) whose head
  // stands at the first cell, heading (dx, dy), its further cells along the
  // list; the number of cells is what the length covers.
  TrainRec* Place(i32 number, const std::vector<u32>& lengths, const std::vector<TrnFixtureCell>& at, i32 dx, i32 dy,
                  u32 line = 1) {
    u32 total = 0;
    for (u32 l : lengths) total += l;
    const u32 lastCell = (total + 31) / 32;
    EXPECT_LE(lastCell, at.size());
    TrainRec tmpl;
    std::memset(&tmpl, 0, sizeof tmpl);
    tmpl.Line = tmpl.CurLine = line;
    tmpl.Number = number;
    tmpl.LastCell = lastCell;
    tmpl.VehicleCount = u32(lengths.size());
    tmpl.MaxSpeed = 40000;
    tmpl.PathOption = 1;
    tmpl.Category = tmpl.HomeCategory = 1;
    tmpl.Type = tmpl.HomeType = 1;
    std::vector<TrainCompositionEntry> comp;
    for (u32 l : lengths) comp.push_back({TRN_MISSING_VEHICLE | l, 0});
    EXPECT_EQ(0, TrnList_Create(comp.data(), &tmpl, nullptr, at[0].x, at[0].y, 0));
    TrainRec* t = TrnList_Find(line, number);
    TrainVehicle* v = Trn_Vehicles(t);
    for (u32 i = 0; i < t->VehicleCount; ++i) {
      v[i].Length = lengths[i];
      v[i].Vehicle = 0x100 + i;
    }
    t->TailOffset = total;
    t->DirX = dx;
    t->DirY = dy;
    t->StopSound = TRN_NONE;
    TrainCell* c = Trn_Cells(t);
    for (u32 i = 0; i <= lastCell; ++i) {
      const TrnFixtureCell p = i < at.size() ? at[i] : at.back();
      c[i].X = p.x;
      c[i].Y = p.y;
      c[i].Level = 0;
      c[i].SavedCode = i < lastCell ? 0u : u32(TRN_NO_CODE);
    }
    t->StateFlags = 0;
    TrnList_UnlinkOffTrack(t);
    TrnList_EnterStateList(t);
    TrnList_RefreshCellCodes(1);
    Trn_MarkVehicleStarts(t);
    return t;
  }

  static std::vector<TrnFixtureCell> Line(i32 x, i32 y, i32 dx, i32 dy, int n) {
    std::vector<TrnFixtureCell> v;
    for (int i = 0; i < n; ++i) v.push_back({x + dx * i, y + dy * i});
    return v;
  }

  static u32 Code(i32 x, i32 y) { return Grid_GetCell(x, y, 0); }
  static int Marked(i32 x, i32 y) {
    const u32 c = Code(x, y);
    return c < 0x8000 && (c & 0x4000) != 0;
  }

  // Every marker in the grid belongs to one slot of the train with that
  // marker; every slot with a saved code stands on a cell with its marker.
  void CheckMarkers() {
    for (const TrainRec* t = TrnList_GetFirst(); t; t = t->Next) ASSERT_EQ(1, Trn_CheckMarkers(t)) << t->Number;
    for (const TrnFixtureCell& p : cells) {
      const u32 now = Code(p.x, p.y);
      int owners = 0;
      for (const TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
        if (t->StateFlags & TRN_OFF_TRACK) continue;
        const TrainCell* c = Trn_Cells(t);
        for (u32 k = 0; k <= t->LastCell; ++k)
          if (c[k].SavedCode != TRN_NO_CODE && c[k].X == p.x && c[k].Y == p.y) {
            ++owners;
            ASSERT_EQ(t->MarkerCode, now) << "cell " << p.x << "," << p.y;
          }
      }
      if (now >= CELL_TRAIN_FIRST && now <= CELL_TRAIN_LAST) ASSERT_EQ(1, owners) << "cell " << p.x << "," << p.y;
      else ASSERT_EQ(0, owners) << "cell " << p.x << "," << p.y;
    }
  }

  std::vector<TrnFixtureCell> cells;
};
