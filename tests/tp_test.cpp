#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/grid.h"
#include "model/line.h"
#include "model/tp.h"
#include "operation/clock.h"
#include "operation/dmsg.h"
#include "platform/clip.h"
#include "platform/str.h"
#include "shell/wire.h"
#include "tests/test_util.h"
#include "tests/trn_fixture.h"

namespace {

typedef std::vector<u8> Bytes;

const u32 kAnyLine[3] = {1, 0, 0};  // one group: any line, no options
// Weekday 1: 8:00:00 and 8:01:00.
const u8 kTwoDepartures[] = {1, 8, 0, 1, 254, 255, 0};
const PackedWeekTime kNoResets[TP_RESET_TIMES] = {0, 0, 0, 0, 0, 0};

void SetClock(int weekday, int hour, int minute, int second) {
  g_simClock.weekday = u8(weekday);
  g_simClock.hour = u8(hour);
  g_simClock.minute = u8(minute);
  g_simClock.second = u8(second);
}

int Make(i32 x, i32 y, const wch* name, u32 capacity = 2, u32 flags = 0, u32 dirMask = 0xFF) {
  return Tp_Create(x, y, 0, 0, kNoResets, capacity, 0, 1, dirMask, flags, name);
}

void Lists(i32 x, i32 y, const u8* schedule, u32 length, const u32* words = kAnyLine, u32 count = 3) {
  ASSERT_EQ(0, Tp_SetListsRaw(x, y, 0, schedule, length, words, count));
}

std::u16string NameAt(i32 x, i32 y, i32 level = 0) {
  const TimetablePoint* p = Tp_FindAtCell(x, y, level);
  return p ? std::u16string(p->Name) : std::u16string();
}

class TpTest : public TrnFixture {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    TrnFixture::SetUp();
    Lin_Init();
    Tp_Clear();
    Dmsg_Init();
    Dmsg_SetHooks(nullptr);
    Clk_Reset();
  }
  void TearDown() override {
    Tp_Clear();
    Lin_Exit();
    TrnFixture::TearDown();
  }
};

// ---------------------------------------------------------------- create, update, delete

TEST_F(TpTest, CreateAndUpdateResultCodes) {
  const PackedWeekTime badReset[TP_RESET_TIMES] = {1u << 24 | 23u << 16 | 60u << 8, 0, 0, 0, 0, 0};
  struct Case {
    const char* what;
    const wch* name;
    u32 capacity, queue, flags, extra;
    const PackedWeekTime* resets;
    int result;
  } cases[] = {
      {"blank name", u"   ", 2, 0, 0, 0, kNoResets, TP_NAME_EMPTY},
      {"name of 17 characters", u"ABCDEFGHIJKLMNOPQ", 2, 0, 0, 0, kNoResets, TP_NAME_BAD},
      {"capacity above 60", u"A", 61, 0, 0, 0, kNoResets, TP_CAPACITY_BAD},
      {"queue above capacity", u"A", 2, 3, 0, 0, kNoResets, TP_QUEUE_ABOVE_CAPACITY},
      {"reset 23:60", u"A", 2, 0, 0, 0, badReset, TP_RESET_BAD},
      {"extra above 600000", u"A", 2, 0, TP_F_EXTRA, 600001, kNoResets, TP_EXTRA_BAD},
      {"valid", u"  A", 60, 60, TP_F_EXTRA, 600000, kNoResets, TP_OK},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, Tp_Create(3, 4, 0, c.extra, c.resets, c.capacity, c.queue, 1, 0xFF, c.flags, c.name))
        << c.what;
    EXPECT_EQ(c.result == TP_OK ? 1u : 0u, Tp_Count()) << c.what;
  }
  // The name is found with and without leading blanks.
  EXPECT_EQ(Tp_FindByName(u"A"), Tp_FindByName(u"   A"));
  EXPECT_EQ(TP_NO_POINT, Tp_Update(9, 9, 0, 0, kNoResets, 2, 0, 1, 1, 0, u"A"));
  ASSERT_EQ(TP_OK, Make(20, 4, u"B"));
  EXPECT_EQ(TP_NAME_TAKEN, Tp_Update(20, 4, 0, 0, kNoResets, 2, 0, 1, 1, 0, u"a"));
  EXPECT_EQ(TP_OK, Tp_Update(20, 4, 0, 0, kNoResets, 5, 1, 7, 4, 0, u"0C"));
  // Renamed to "0C", the point moved to the head of the list by name.
  wch next[TP_NAME_MAX + 1];
  ASSERT_EQ(0, Tp_StepName(u"0C", next, 1));
  EXPECT_EQ(std::u16string(u"A"), std::u16string(next));
  EXPECT_EQ(7u, Tp_GetValue(20, 4, 0));
  EXPECT_EQ(1, Tp_Delete(50, 50, 0));
  EXPECT_EQ(0, Tp_Delete(20, 4, 0));
  EXPECT_EQ(1u, Tp_Count());
}

TEST_F(TpTest, MultiCellPointsJoinByNameAndKeepOrderOnDelete) {
  ASSERT_EQ(TP_OK, Make(1, 1, u"ST"));
  ASSERT_EQ(TP_OK, Make(2, 1, u"ST"));
  ASSERT_EQ(TP_OK, Make(3, 1, u"ST"));
  EXPECT_EQ(1u, Tp_Count());
  const u32 id = u32(Tp_IdAtCell(3, 1, 0));
  i32 x = 0, y = 0, level = 0;
  EXPECT_EQ(0, Tp_GetEntryById(id, 2, &x, nullptr, &level, &y));
  EXPECT_EQ(3, x);
  EXPECT_EQ(3, Tp_GetEntryById(id, 3, &x, nullptr, &level, &y));
  // Deleting the main cell makes the first extra cell the main cell.
  ASSERT_EQ(0, Tp_Delete(1, 1, 0));
  EXPECT_EQ(0, Tp_GetEntryById(id, 0, &x, nullptr, &level, &y));
  EXPECT_EQ(2, x);
  EXPECT_EQ(3, Tp_GetEntryById(id, 2, &x, nullptr, &level, &y));
  // A one-cell point created again under its own name gets a new id.
  ASSERT_EQ(TP_OK, Make(9, 9, u"ONE"));
  const i32 oldId = Tp_IdAtCell(9, 9, 0);
  ASSERT_EQ(TP_OK, Make(9, 9, u"ONE"));
  EXPECT_NE(oldId, Tp_IdAtCell(9, 9, 0));
  EXPECT_EQ(2u, Tp_Count());
}

TEST_F(TpTest, ReplaceThatCannotBeMadeKeepsTheOldPoint) {
  for (i32 x = 0; x < TP_MAX_CELLS; ++x) ASSERT_EQ(TP_OK, Make(x, 0, u"FULL"));
  ASSERT_EQ(TP_OK, Make(5, 5, u"OLD"));
  Lists(5, 5, kTwoDepartures, sizeof kTwoDepartures);
  // The cell would join a point that already has eight cells.
  EXPECT_EQ(TP_TOO_MANY_CELLS, Make(5, 5, u"FULL"));
  EXPECT_EQ(std::u16string(u"OLD"), NameAt(5, 5));
  EXPECT_EQ(sizeof kTwoDepartures, Tp_FindAtCell(5, 5, 0)->ScheduleLength);
  // A refused name leaves it as well.
  EXPECT_EQ(TP_NAME_EMPTY, Make(5, 5, u""));
  EXPECT_EQ(std::u16string(u"OLD"), NameAt(5, 5));
}

TEST_F(TpTest, ResetAt24IsMidnightOfTheNextWeekday) {
  struct Case {
    PackedWeekTime given, stored;
  } cases[] = {
      {1u << 24 | 24u << 16, 2u << 24},     // Monday 24:00 is Tuesday 0:00
      {64u << 24 | 24u << 16, 1u << 24},    // Sunday 24:00 is Monday 0:00
      {127u << 24 | 24u << 16, 127u << 24},  // every day stays every day
      {5u << 24 | 24u << 16, 10u << 24},
      {4u << 24 | 7u << 16 | 30u << 8 | 15, 4u << 24 | 7u << 16 | 30u << 8 | 15},
  };
  for (const Case& c : cases) {
    const PackedWeekTime resets[TP_RESET_TIMES] = {c.given, 0, 0, 0, 0, 0};
    ASSERT_EQ(TP_OK, Tp_Create(1, 1, 0, 0, resets, 2, 0, 1, 1, 0, u"R"));
    EXPECT_EQ(c.stored, Tp_FindAtCell(1, 1, 0)->Reset[0]) << std::hex << c.given;
  }
  const PackedWeekTime late[TP_RESET_TIMES] = {1u << 24 | 24u << 16 | 1, 0, 0, 0, 0, 0};
  EXPECT_EQ(TP_RESET_BAD, Tp_Create(1, 1, 0, 0, late, 2, 0, 1, 1, 0, u"R"));
}

TEST_F(TpTest, NamesStepAndFreeNames) {
  wch buf[TP_NAME_MAX + 1];
  EXPECT_EQ(1, Tp_StepName(u"X", buf, 1));
  EXPECT_EQ(std::u16string(u"X"), std::u16string(buf));
  ASSERT_EQ(0, Tp_MakeFreeName(buf));
  EXPECT_EQ(std::u16string(u"        TP_00001"), std::u16string(buf));
  ASSERT_EQ(TP_OK, Make(1, 1, buf));
  ASSERT_EQ(TP_OK, Make(2, 1, u"TP_00003"));
  // The next free id is 3, whose plain name is taken: a suffix follows.
  ASSERT_EQ(0, Tp_MakeFreeName(buf));
  EXPECT_EQ(std::u16string(u"     TP_00003_00"), std::u16string(buf));
  ASSERT_EQ(TP_OK, Make(3, 1, u"B"));
  const std::u16string order[3] = {u"B", u"TP_00001", u"TP_00003"};
  for (int n = -3; n <= 3; ++n) {
    ASSERT_EQ(0, Tp_StepName(u"TP_00001", buf, n));
    const int expect = n >= 1 ? (1 + n) % 3 : ((1 - (n < 0 ? -n : n)) % 3 + 3) % 3;
    EXPECT_EQ(order[expect], std::u16string(buf)) << n;
  }
}

// ---------------------------------------------------------------- section

Bytes SaveTp() { return Test_SaveSection(Tp_SaveSection); }

TEST_F(TpTest, SectionRoundTripKeepsPointsQueuesAndOccupants) {
  const PackedWeekTime resets[TP_RESET_TIMES] = {127u << 24 | 3u << 16, 0, 2u << 24 | 5u << 16 | 1, 0, 0, 0};
  ASSERT_EQ(TP_OK, Tp_Create(10, 20, -1, 1500, resets, 4, 0, 3, 8, TP_F_EXTRA | TP_F_SLOT5, u"North"));
  ASSERT_EQ(TP_OK, Tp_Create(11, 20, -1, 1500, resets, 4, 0, 4, 4, TP_F_EXTRA | TP_F_SLOT5, u"North"));
  ASSERT_EQ(TP_OK, Make(3, 3, u"South"));
  Lists(3, 3, kTwoDepartures, sizeof kTwoDepartures, nullptr, 0);
  // Two waiting trains at the two cells of North, a queued slot at South.
  u32 slot;
  i32 extra, speed;
  Tp_SetListsRaw(10, 20, -1, kTwoDepartures, sizeof kTwoDepartures, kAnyLine, 3);
  ASSERT_EQ(0, Tp_GetDetails(11, 20, -1, &slot, 0, 4, &extra, &speed, 7, 12));
  ASSERT_EQ(0, Tp_GetDetails(10, 20, -1, &slot, 0, 8, &extra, &speed, 7, 13));
  EXPECT_EQ(1500, extra);
  SetClock(1, 8, 0, 0);
  Tp_RecomputeNextTimes();
  SetClock(1, 7, 59, 59);
  Tp_RecomputeNextTimes();
  const Bytes first = SaveTp();
  ASSERT_EQ(0, Test_LoadSection(first, Tp_LoadSection, 0x3850));
  EXPECT_EQ(2u, Tp_Count());
  const TimetablePoint* n = Tp_FindByName(u"North");
  ASSERT_TRUE(n);
  EXPECT_EQ(1u, n->ExtraCells);
  EXPECT_EQ(2, n->Cells[0].Order);
  EXPECT_EQ(1, n->Cells[1].Order);
  EXPECT_EQ(13u, n->Cells[0].Occupant[1]);
  EXPECT_EQ(1500u, n->Extra);
  EXPECT_EQ(resets[2], n->Reset[2]);
  EXPECT_EQ(3u, n->WordCount);
  // The next departure is worked out again from the clock.
  EXPECT_EQ(Tim_PackWeekTime(1, 8, 0, 0), n->NextDeparture);
  EXPECT_EQ(first, SaveTp());
}

// One point in the form of an older file: a one-cell point at (4, 5) named
// "OLD" with the given widths.
Bytes OldSection(u16 version) {
  Bytes b;
  const bool wide = version >= 14389;
  if (wide) Test_Put32(b, 0x50544B54);
  else Test_Put16(b, 0x5045);
  if (version >= 14171) Test_Put32(b, 1);
  else Test_Put16(b, 1);
  // The position in the form of the file's version.
  if (version >= 14400) {
    Test_Put16(b, 4), Test_Put16(b, 5), b.push_back(0);
  } else if (version >= 14389) {
    Test_Put32(b, 4), Test_Put32(b, 5);
    if (version >= 14396) Test_Put32(b, 0);
  } else {
    Test_Put16(b, 4), Test_Put16(b, 5);
  }
  if (version < 14171) Test_Put16(b, 0);
  if (version >= 14392) Test_Put32(b, TP_F_EXTRA);
  else Test_Put16(b, TP_F_EXTRA);
  Test_Put16(b, 0x0C);  // directions
  if (version >= 14344) Test_Put32(b, 5);
  if (wide) Test_Put32(b, 0);
  else Test_Put16(b, 0);
  if (wide) {
    for (wch c : std::u16string(u"OLD")) Test_Put16(b, c);
    Test_Put16(b, 0);
  } else {
    const char name[16] = "OLD";
    b.insert(b.end(), name, name + 16);
  }
  if (wide) Test_Put32(b, 2500);
  else if (version >= 14170) Test_Put16(b, 3);  // whole units
  const u8 sched[] = {1, 8, 0, 254, 255};  // old form: no final 0, first byte any
  const u32 schedLength = wide ? 6 : 5;
  if (wide) Test_Put32(b, schedLength);
  else Test_Put16(b, schedLength);
  if (wide) {
    Test_Put32(b, 0);
    if (version >= 14405) Test_Put32(b, 0);
    if (version >= 14406) Test_Put32(b, 0), Test_Put32(b, 0);
  } else {
    Test_Put16(b, 0);
  }
  Test_Put16(b, 0);  // order
  Test_Put16(b, 0);  // extra cells
  Test_Put16(b, 1);  // queue count
  if (version >= 14165) {
    Test_Put16(b, wide ? 6 : 3);
    for (int i = 0; i < (wide ? 6 : 3); ++i) {
      if (wide) Test_Put32(b, i == 0 ? (127u << 24 | 6u << 16) : 0);
      else Test_Put16(b, i == 0 ? 0x0600 : 0xFF00);
    }
  }
  Test_Put16(b, 2);  // capacity
  if (version >= 14338) Test_Put32(b, 7 * 3600);
  if (wide) {
    const u8 s[] = {127, 8, 0, 254, 255, 0};
    b.insert(b.end(), s, s + 6);
  } else {
    b.insert(b.end(), sched, sched + 5);
  }
  return b;
}

TEST_F(TpTest, SectionReadsEveryOlderForm) {
  struct Case {
    u16 version;
    u32 kind, extra, queue;
  } cases[] = {
      {14416, 5, 2500, 1},
      {14405, 5, 2500, 1},
      {14396, 5, 2500, 1},
      {14389, 5, 2500, 1},
      {14350, 6, 3000, 1},  // kinds before 14370 were one lower
      {14340, 3, 3000, 1},  // kind from the old element (2, one lower)
      {14300, 3, 3000, 0},  // kind from the old element; no queue slots kept
      {14168, 3, 0, 0},     // no extra value yet
  };
  for (const Case& c : cases) {
    Grid_Clear();
    // An old timetable element of group 1 (shape 128) in code range 4096..6143.
    ASSERT_EQ(1, Grid_SetCell(4, 5, 0, 4096 + 128));
    ASSERT_EQ(0, Test_LoadSection(OldSection(c.version), Tp_LoadSection, c.version)) << c.version;
    const TimetablePoint* p = Tp_FindAtCell(4, 5, 0);
    ASSERT_TRUE(p) << c.version;
    EXPECT_EQ(std::u16string(u"OLD"), std::u16string(p->Name)) << c.version;
    EXPECT_EQ(c.kind, p->Cells[0].Kind) << c.version;
    EXPECT_EQ(0x0C, p->Cells[0].DirMask) << c.version;
    EXPECT_EQ(c.extra, p->Extra) << c.version;
    EXPECT_EQ(c.queue, u32(p->QueueCount)) << c.version;
    EXPECT_EQ(127u << 24 | 6u << 16, p->Reset[0]) << c.version;
    ASSERT_EQ(6u, p->ScheduleLength) << c.version;
    EXPECT_EQ(127, p->Schedule[0]) << c.version;
    EXPECT_EQ(0, p->Schedule[5]) << c.version;
    if (c.version < 14344) {
      EXPECT_EQ(152u, Grid_GetCell(4, 5, 0) & 0x1FFu) << c.version;
    }
  }
}

TEST_F(TpTest, SectionRefusesMalformedCounts) {
  EXPECT_EQ(3, Test_LoadSection(Bytes{'X', 'K', 'T', 'P', 0, 0, 0, 0}, Tp_LoadSection, 0x3850));
  // Capacity 61.
  Bytes b = OldSection(14416);
  const size_t capAt = b.size() - 6 - 4 - 2;
  ASSERT_EQ(2, b[capAt]);
  b[capAt] = 61;
  EXPECT_EQ(3, Test_LoadSection(b, Tp_LoadSection, 14416));
  // A queue count above the capacity.
  b[capAt] = 0;
  EXPECT_EQ(3, Test_LoadSection(b, Tp_LoadSection, 14416));
  // A name of 17 characters.
  Bytes n;
  Test_Put32(n, 0x50544B54);
  Test_Put32(n, 1);
  Test_Put16(n, 1), Test_Put16(n, 1), n.push_back(0);
  Test_Put32(n, 0), Test_Put16(n, 1), Test_Put32(n, 1), Test_Put32(n, 0);
  for (int i = 0; i < 17; ++i) Test_Put16(n, 'A');
  Test_Put16(n, 0);
  EXPECT_EQ(3, Test_LoadSection(n, Tp_LoadSection, 14416));
  // A cut section is the stream's end of file.
  Bytes cut = OldSection(14416);
  cut.resize(cut.size() - 3);
  EXPECT_EQ(1, Test_LoadSection(cut, Tp_LoadSection, 14416));
}

int WriteTextPart(void) { return Tp_WriteText(0); }

TEST_F(TpTest, TextListingNamesCellsQueueAndResets) {
  ASSERT_EQ(0, Test_LoadTexts());
  const PackedWeekTime resets[TP_RESET_TIMES] = {127u << 24 | 3u << 16, 0, 0, 0, 0, 0};
  ASSERT_EQ(TP_OK, Tp_Create(10, 20, 0, 0, resets, 2, 0, 1, 8, 0, u"North"));
  ASSERT_EQ(TP_OK, Tp_Create(11, 20, 0, 0, resets, 2, 0, 1, 8, 0, u"North"));
  ASSERT_EQ(TP_OK, Make(3, 3, u"South"));
  const Bytes b = Test_SaveSection(WriteTextPart);
  ASSERT_FALSE(b.empty());
  // The stream writes UTF-16 or 8-bit text: keep the letters.
  std::string text;
  for (u8 c : b)
    if (c) text += char(c);
  for (const char* part : {"Timetable points: 2", "Timetable point North", "Cells: 2", "   11,   20,+0",
                           "Queue: capacity 2, waiting departures 0", "Queue reset: ", "Rules: none",
                           "Timetable point South"})
    EXPECT_NE(std::string::npos, text.find(part)) << part << "\n" << text;
  EXPECT_LT(text.find("North"), text.find("South"));
}

// ---------------------------------------------------------------- clipboard
#ifndef _WIN32
// Natively only: the stand-in clipboard takes any window, while the system's
// wants a real one and is shared with every other test program.

class TpClipTest : public TpTest {
 protected:
  void SetUp() override {
    TpTest::SetUp();
    Clip_SetWindow(&window_);
    Clip_Empty();
  }
  void TearDown() override {
    Clip_SetWindow(nullptr);
    TpTest::TearDown();
  }
  int window_ = 0;
};

TEST_F(TpClipTest, CopyAndPasteMakeOnePointOfTheCopiedCells) {
  ASSERT_EQ(TP_OK, Make(10, 10, u"STA", 3));
  ASSERT_EQ(TP_OK, Make(12, 10, u"STA", 3));
  ASSERT_EQ(TP_OK, Make(40, 40, u"FAR"));
  Lists(10, 10, kTwoDepartures, sizeof kTwoDepartures);
  // A queued slot at the source: the pasted point starts without one.
  SetClock(1, 8, 0, 0);
  Tp_FindAtCell(10, 10, 0);
  {
    TimetablePoint* p = const_cast<TimetablePoint*>(Tp_FindAtCell(10, 10, 0));
    p->Queue[0] = 100;
    p->QueueCount = 1;
  }
  ASSERT_EQ(0, Tp_CopyToClip(0, 0, 0, 20, 20, 0));
  for (int round = 0; round < 2; ++round) {
    i32 line = 0;
    ASSERT_EQ(0, Tp_PasteFromClip(&line, 100 + round * 10, 0, 0)) << round;
    const TimetablePoint* p = Tp_FindAtCell(110 + round * 10, 10, 0);
    ASSERT_TRUE(p) << round;
    EXPECT_EQ(p, Tp_FindAtCell(112 + round * 10, 10, 0)) << round;
    EXPECT_EQ(0u, u32(p->QueueCount));
    for (int i = 0; i < TP_QUEUE_MAX; ++i) ASSERT_EQ(-1, p->Queue[i]);
    EXPECT_EQ(3u, u32(p->Capacity));
    ASSERT_EQ(sizeof kTwoDepartures, p->ScheduleLength);
    EXPECT_EQ(0, std::memcmp(p->Schedule, kTwoDepartures, sizeof kTwoDepartures));
    EXPECT_EQ(3u, p->WordCount);
    const std::u16string name(p->Name);
    EXPECT_EQ(16u, name.size());
    EXPECT_EQ(0u, name.find(u"_____COPY_T")) << U8(name);
  }
  EXPECT_NE(NameAt(110, 10), NameAt(120, 10));
  EXPECT_EQ(4u, Tp_Count());
}

TEST_F(TpClipTest, MalformedBlockStillRenamesWhatWasPasted) {
  ASSERT_EQ(TP_OK, Make(1, 1, u"A"));
  ASSERT_EQ(0, Tp_CopyToClip(0, 0, 0, 5, 5, 0));
  // Cut the block before its end line.
  // Header, record, schedule and rule line, then garbage for the end line.
  wch lines[4][200];
  for (int i = 0; i < 4; ++i) ASSERT_EQ(0, Clip_ReadLine(i, 200, lines[i])) << i;
  Clip_Empty();
  for (int i = 0; i < 4; ++i) Clip_AppendLine(lines[i]);
  Clip_AppendLine(u"nonsense");
  i32 line = 0;
  EXPECT_EQ(4, Tp_PasteFromClip(&line, 50, 0, 0));
  const TimetablePoint* p = Tp_FindAtCell(51, 1, 0);
  ASSERT_TRUE(p);
  EXPECT_EQ(0u, std::u16string(p->Name).find(u"_____COPY_T"));
  // A second paste of the same broken block never meets a temporary name.
  line = 0;
  EXPECT_EQ(4, Tp_PasteFromClip(&line, 60, 0, 0));
  for (const TimetablePoint* q = Tp_FindByName(u"A"); q; q = q->Next)
    EXPECT_NE(0u, std::u16string(q->Name).find(u"__W7QC2P5X_"));
  EXPECT_NE(NameAt(51, 1), NameAt(61, 1));
}
#endif

// ---------------------------------------------------------------- region

TEST_F(TpTest, RegionHooksActOnEachCell) {
  ASSERT_EQ(TP_OK, Make(10, 10, u"P"));
  ASSERT_EQ(TP_OK, Make(30, 10, u"P"));
  ASSERT_EQ(TP_OK, Make(12, 12, u"Q"));
  Tp_MoveInBox(0, 0, 0, 20, 20, 0, 5, 1, 0);
  EXPECT_EQ(std::u16string(u"P"), NameAt(15, 11));
  EXPECT_EQ(std::u16string(u"P"), NameAt(30, 10));  // outside the box: stays
  EXPECT_EQ(std::u16string(u"Q"), NameAt(17, 13));
  // The whole grid as a box is one walk over the points.
  Tp_DeleteInBox(0, 0, -4, 32767, 32767, 0);
  EXPECT_EQ(0u, Tp_Count());
  ASSERT_EQ(TP_OK, Make(10, 10, u"P"));
  ASSERT_EQ(TP_OK, Make(30, 10, u"P"));
  Tp_DeleteInBox(25, 0, 0, 35, 20, 0);
  EXPECT_EQ(std::u16string(u"P"), NameAt(10, 10));
  EXPECT_EQ(0u, u32(Tp_FindAtCell(10, 10, 0)->ExtraCells));
}

// ---------------------------------------------------------------- trains and clock

TEST_F(TpTest, GetDetailsAnswers) {
  ASSERT_EQ(TP_OK, Make(1, 1, u"A", 2, 0, 8));
  const u32 line5[3] = {1, 5, 0};
  Lists(1, 1, kTwoDepartures, sizeof kTwoDepartures, line5, 3);
  struct Case {
    const char* what;
    u32 flags, dir, line;
    int testOnly, result;
  } cases[] = {
      {"other direction", 0, 4, 5, 0, 1},
      {"other line, no refusal flag", 0, 8, 6, 0, 1},
      {"other line, flag 0x1", TP_F_REFUSE2, 8, 6, 0, 2},
      {"other line, flag 0x20", TP_F_REFUSE3, 8, 6, 0, 3},
      {"other line, flag 0x40", TP_F_REFUSE4, 8, 6, 0, 4},
      {"test only", 0, 8, 5, 1, 0},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(TP_OK, Tp_Update(1, 1, 0, 0, kNoResets, 2, 0, 1, 8, c.flags, u"A"));
    u32 slot = 9;
    i32 extra = 0, speed = 0;
    EXPECT_EQ(c.result, Tp_GetDetails(1, 1, 0, &slot, c.testOnly, c.dir, &extra, &speed, c.line, 1)) << c.what;
    EXPECT_EQ(0, Tp_FindAtCell(1, 1, 0)->Cells[0].Order) << c.what;
  }
  EXPECT_EQ(1, Tp_GetDetails(9, 9, 0, nullptr, 0, 0xFF, nullptr, nullptr, 5, 1));
  // A waiting train registers; a queued slot is taken instead of waiting.
  u32 slot = 0;
  EXPECT_EQ(0, Tp_GetDetails(1, 1, 0, &slot, 0, 8, nullptr, nullptr, 5, 1));
  EXPECT_EQ(1, Tp_FindAtCell(1, 1, 0)->Cells[0].Order);
  TimetablePoint* p = const_cast<TimetablePoint*>(Tp_FindAtCell(1, 1, 0));
  p->Queue[0] = 8 * 3600;
  p->Queue[1] = 9 * 3600;
  p->QueueCount = 2;
  EXPECT_EQ(6, Tp_GetDetails(1, 1, 0, &slot, 0, 8, nullptr, nullptr, 5, 2));
  EXPECT_EQ(8u * 3600, slot);
  EXPECT_EQ(0, p->Cells[0].Order);  // the train before it was cleared
  p->Flags |= TP_F_SLOT5;
  EXPECT_EQ(5, Tp_GetDetails(1, 1, 0, &slot, 0, 8, nullptr, nullptr, 5, 3));
  EXPECT_EQ(9u * 3600, slot);
  EXPECT_EQ(0u, u32(p->QueueCount));
  EXPECT_EQ(-1, p->Queue[0]);
}

// Holds a fixture train at its head cell as train movement does.
void Hold(TrainRec* t) {
  TrnList_UnlinkState(t);
  t->StateFlags |= TRN_HELD;
  TrnList_PushHeld(t);
}

TEST_F(TpTest, CheckAllReleasesWaitingTrainsInArrivalOrder) {
  Row(0, 20, 5);
  TrainRec* a = Place(1, {20}, Line(3, 5, -1, 0, 2), 1, 0);
  TrainRec* b = Place(2, {20}, Line(8, 5, -1, 0, 2), 1, 0);
  ASSERT_EQ(TP_OK, Make(3, 5, u"ST", 0));
  ASSERT_EQ(TP_OK, Make(8, 5, u"ST", 0));
  Lists(3, 5, kTwoDepartures, sizeof kTwoDepartures);
  Hold(b);
  Hold(a);
  ASSERT_EQ(0, Tp_GetDetails(8, 5, 0, nullptr, 0, 8, nullptr, nullptr, 1, 2));  // b first
  ASSERT_EQ(0, Tp_GetDetails(3, 5, 0, nullptr, 0, 8, nullptr, nullptr, 1, 1));
  SetClock(1, 7, 59, 59);
  Tp_RecomputeNextTimes();
  Tp_CheckAll();  // not yet
  EXPECT_TRUE(b->StateFlags & TRN_HELD);
  int source = -1;
  EXPECT_EQ(Tim_PackWeekTime(1, 8, 1, 0), Tp_Query(3, 5, 0, &source));
  EXPECT_EQ(0, source);
  SetClock(1, 8, 0, 0);
  Tp_CheckAll();
  EXPECT_FALSE(b->StateFlags & TRN_HELD);
  EXPECT_TRUE(a->StateFlags & TRN_HELD);
  const TimetablePoint* p = Tp_FindAtCell(3, 5, 0);
  EXPECT_EQ(1, p->Cells[0].Order);
  EXPECT_EQ(0, p->Cells[1].Order);
  EXPECT_EQ(0u, Dmsg_Count());
  // a's train leaves the held list before 8:01: its occupant is cleared
  // then; with nobody released and capacity 0 nothing is queued and no
  // message 27 comes, only message 13.
  TrnList_UnlinkHeld(a);
  a->StateFlags &= ~TRN_HELD;
  TrnList_EnterStateList(a);
  SetClock(1, 8, 1, 0);
  Tp_CheckAll();
  EXPECT_EQ(0, p->Cells[0].Order);
  EXPECT_EQ(0u, u32(p->QueueCount));
  ASSERT_EQ(1u, Dmsg_Count());
  EXPECT_EQ(13u, Dmsg_Get(0)->Kind);
  EXPECT_EQ(8u * 3600 + 60, Dmsg_Get(0)->Data);
}

TEST_F(TpTest, CheckAllQueuesUpToCapacityThenReports27) {
  struct Case {
    u32 capacity, flags;
    u32 queued, messages27, messages13;
  } cases[] = {
      {0, 0, 0, 0, 2},
      {2, 0, 2, 0, 2},
      {1, 0, 1, 1, 2},
      {1, TP_F_NO_MSG13, 1, 1, 0},
  };
  for (const Case& c : cases) {
    Tp_Clear();
    Dmsg_Clear();
    ASSERT_EQ(TP_OK, Make(1, 1, u"Q", c.capacity, c.flags));
    Lists(1, 1, kTwoDepartures, sizeof kTwoDepartures);
    SetClock(1, 7, 0, 0);
    Tp_RecomputeNextTimes();
    SetClock(1, 8, 0, 0);
    Tp_CheckAll();
    SetClock(1, 8, 1, 0);
    Tp_CheckAll();
    const TimetablePoint* p = Tp_FindAtCell(1, 1, 0);
    EXPECT_EQ(c.queued, u32(p->QueueCount)) << c.capacity;
    u32 n27 = 0, n13 = 0;
    for (u32 i = 0; i < Dmsg_Count(); ++i) {
      n27 += Dmsg_Get(i)->Kind == 27;
      n13 += Dmsg_Get(i)->Kind == 13;
    }
    EXPECT_EQ(c.messages27, n27) << c.capacity;
    EXPECT_EQ(c.messages13, n13) << c.capacity;
    if (c.queued) {
      EXPECT_EQ(8 * 3600, p->Queue[0]);
    }
  }
}

TEST_F(TpTest, ResetTimeEmptiesTheQueue) {
  const PackedWeekTime resets[TP_RESET_TIMES] = {1u << 24 | 24u << 16, 0, 0, 0, 0, 0};
  ASSERT_EQ(TP_OK, Tp_Create(1, 1, 0, 0, resets, 2, 0, 1, 0xFF, 0, u"R"));
  TimetablePoint* p = const_cast<TimetablePoint*>(Tp_FindAtCell(1, 1, 0));
  p->Queue[0] = 100;
  p->QueueCount = 1;
  SetClock(1, 0, 0, 0);  // Monday midnight: not the reset (that is Tuesday 0:00)
  Tp_CheckAll();
  EXPECT_EQ(1u, u32(p->QueueCount));
  SetClock(2, 0, 0, 0);
  Tp_CheckAll();
  EXPECT_EQ(0u, u32(p->QueueCount));
}

}  // namespace
