#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/dmsgdlg.h"
#include "model/grid.h"
#include "model/line.h"
#include "model/tp.h"
#include "operation/clock.h"
#include "operation/dmsg.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/str.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

std::vector<int> g_sounds;
int g_stops;

void RecordSound(int slot) { g_sounds.push_back(slot); }
void RecordStop(void) { ++g_stops; }

class DmsgTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Wire_InstallHooks();
    ASSERT_EQ(0, Test_LoadTexts());
  }
  void SetUp() override {
    Dmsg_Init();
    const DmsgHooks hooks = {nullptr, RecordSound, RecordStop, nullptr};
    Dmsg_SetHooks(&hooks);
    g_sounds.clear();
    g_stops = 0;
    Clk_Reset();
    Tp_Clear();
    ASSERT_EQ(0, Grid_Init());
  }
  void TearDown() override {
    Dmsg_SetHooks(nullptr);
    Dmsg_Clear();
    Tp_Clear();
    Grid_Exit();
  }
};

TEST_F(DmsgTest, PostingResults) {
  struct Case {
    const char* what;
    u32 kind;
    i32 x, y;
    int result;
  } cases[] = {
      {"first", 5, 10, 10, DMSG_POSTED},
      {"same kind, same cell", 5, 10, 10, DMSG_DUPLICATE},
      {"same kind, other cell", 5, 11, 10, DMSG_POSTED},
      {"other kind, same cell", 6, 10, 10, DMSG_POSTED},
      {"kind 13 repeats", 13, 1, 1, DMSG_POSTED},
      {"kind 13 again", 13, 1, 1, DMSG_POSTED},
      {"kind 14 repeats", 14, 1, 1, DMSG_POSTED},
      {"kind 14 again", 14, 1, 1, DMSG_POSTED},
      {"kind 0", 0, 2, 2, DMSG_KIND_OFF},
      {"kind below 0", u32(-3), 2, 2, DMSG_KIND_OFF},
      {"kind 30", 30, 2, 2, DMSG_KIND_OFF},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, Dmsg_Post(c.kind, c.x, c.y, 0, 0, 1, 0, 0)) << c.what;
  EXPECT_EQ(7u, Dmsg_Count());
  ASSERT_EQ(0, Dmsg_SetKindEnabled(7, DMSG_OFF));
  EXPECT_EQ(DMSG_KIND_OFF, Dmsg_Post(7, 3, 3, 0, 0, 1, 0, 0));
  // Positions are clamped into the grid.
  ASSERT_EQ(DMSG_POSTED, Dmsg_Post(9, -5, 40000, -1, 0, 0, 0, 0));
  const DispatcherMessage* e = Dmsg_Get(Dmsg_Count() - 1);
  EXPECT_EQ(0, e->X);
  EXPECT_EQ(32767, e->Y);
  EXPECT_EQ(-1, e->Level);
}

TEST_F(DmsgTest, EntriesCarryTheClockAndTheTrain) {
  g_simClock.weekday = 3;
  g_simClock.hour = 14;
  g_simClock.minute = 5;
  g_simClock.second = 9;
  g_simClock.elapsedMinutes = 2 * 1440 + 14 * 60 + 5;
  ASSERT_EQ(DMSG_POSTED, Dmsg_Post(17, 4, 5, -2, 75, 12, 3, 4));
  const DispatcherMessage* e = Dmsg_Get(0);
  EXPECT_EQ(2u, e->Day);
  EXPECT_EQ(3, e->Weekday);
  EXPECT_EQ(14, e->Hour);
  EXPECT_EQ(5, e->Minute);
  EXPECT_EQ(9, e->Second);
  EXPECT_EQ(12u, e->Number);
  EXPECT_EQ(3u, e->CurLine);
  EXPECT_EQ(4u, e->Line);
  EXPECT_EQ(75u, e->Data);
}

TEST_F(DmsgTest, FullTableAndSoundSlots) {
  for (u32 i = 0; i < DMSG_MAX_ENTRIES; ++i) ASSERT_EQ(DMSG_POSTED, Dmsg_Post(13, 1, 1, 0, i, 0, 0, 0)) << i;
  EXPECT_EQ(DMSG_FULL, Dmsg_Post(13, 1, 1, 0, 0, 0, 0, 0));
  ASSERT_EQ(size_t(DMSG_MAX_ENTRIES), g_sounds.size());
  EXPECT_EQ(1, g_sounds[0]);
  EXPECT_EQ(2, g_sounds[1]);
  EXPECT_EQ(3, g_sounds.back());
  // Showing the list makes the next message a first one again.
  Dmsg_Remove(0, 1);
  Dmsg_MarkSeen();
  EXPECT_FALSE(Dmsg_HasNew());
  ASSERT_EQ(DMSG_POSTED, Dmsg_Post(13, 1, 1, 0, 0, 0, 0, 0));
  EXPECT_EQ(1, g_sounds.back());
  EXPECT_TRUE(Dmsg_HasNew());
  Dmsg_Remove(500, 1);  // beyond the count: nothing
  EXPECT_EQ(u32(DMSG_MAX_ENTRIES), Dmsg_Count());
}

// The indicator: the empty table is quiet, a full one calls whether seen or
// not, unseen messages call, seen ones are quiet in another colour.
TEST(DmsgIndicator, ColourAndCodesByTheTable) {
  struct Case {
    const char* what;
    u32 count;
    int hasNew;
    int colour;
    wch first;
  } cases[] = {
      {"empty", 0, 0, 101, 18},
      {"empty, the flag left from removed entries", 0, 1, 101, 18},
      {"one seen", 1, 0, 102, 18},
      {"one unseen", 1, 1, 103, 21},
      {"199 unseen", DMSG_MAX_ENTRIES - 1, 1, 103, 21},
      {"full, seen", DMSG_MAX_ENTRIES, 0, 104, 21},
      {"full, unseen", DMSG_MAX_ENTRIES, 1, 104, 21},
  };
  for (const Case& c : cases) {
    wch codes[4] = {9, 9, 9, 9};
    EXPECT_EQ(c.colour, Dmsg_IndicatorLook(c.count, c.hasNew, codes)) << c.what;
    EXPECT_EQ(wstr({c.first, wch(c.first + 1), wch(c.first + 2)}), wstr(codes)) << c.what;
  }
}

// Every change the indicator shows repaints it, and at that moment the
// table already tells the new look.
std::vector<int> g_looks;
void RecordLook(void) {
  wch codes[4];
  g_looks.push_back(Dmsg_IndicatorLook(Dmsg_Count(), Dmsg_HasNew(), codes));
}

TEST_F(DmsgTest, IndicatorRepaintsWithTheTable) {
  const DmsgHooks hooks = {RecordLook, RecordSound, RecordStop, nullptr};
  Dmsg_SetHooks(&hooks);
  g_looks.clear();
  ASSERT_EQ(DMSG_POSTED, Dmsg_Post(13, 1, 1, 0, 0, 0, 0, 0));
  Dmsg_MarkSeen();
  Dmsg_Remove(0, 1);
  for (u32 i = 0; i < DMSG_MAX_ENTRIES; ++i) ASSERT_EQ(DMSG_POSTED, Dmsg_Post(13, 1, 1, 0, i, 0, 0, 0)) << i;
  Dmsg_Clear();
  ASSERT_EQ(4u + DMSG_MAX_ENTRIES, g_looks.size());
  EXPECT_EQ((std::vector<int>{103, 102, 101}), std::vector<int>(g_looks.begin(), g_looks.begin() + 3));
  EXPECT_EQ(103, g_looks[3]);
  EXPECT_EQ(104, g_looks[2 + DMSG_MAX_ENTRIES]);
  EXPECT_EQ(101, g_looks.back());
}

TEST_F(DmsgTest, StopRules) {
  struct Case {
    int options, setting;
    bool full;
    int stops;
  } cases[] = {
      {0, DMSG_ON_STOP, false, 0},
      {DMSG_OPT_STOP_ALL, DMSG_ON, false, 1},
      {DMSG_OPT_STOP_KINDS, DMSG_ON, false, 0},
      {DMSG_OPT_STOP_KINDS, DMSG_ON_STOP, false, 1},
      {DMSG_OPT_STOP_FULL, DMSG_ON, false, 0},
      {DMSG_OPT_STOP_FULL, DMSG_ON, true, 1},
  };
  for (const Case& c : cases) {
    Dmsg_Clear();
    ASSERT_EQ(0, Dmsg_SetOptions(c.options));
    ASSERT_EQ(0, Dmsg_SetKindEnabled(11, c.setting));
    if (c.full) {
      for (u32 i = 0; i + 1 < DMSG_MAX_ENTRIES; ++i) ASSERT_EQ(DMSG_POSTED, Dmsg_Post(14, 0, 0, 0, 0, 0, 0, 0));
    }
    g_stops = 0;
    ASSERT_EQ(DMSG_POSTED, Dmsg_Post(11, 5, 5, 0, 0, 0, 0, 0));
    EXPECT_EQ(c.stops, g_stops) << c.options << " " << c.setting;
  }
  EXPECT_EQ(1, Dmsg_SetOptions(8));
  EXPECT_EQ(1, Dmsg_SetKindEnabled(0, 1));
  EXPECT_EQ(1, Dmsg_SetKindEnabled(30, 1));
  EXPECT_EQ(2, Dmsg_SetKindEnabled(3, 3));
  EXPECT_EQ(0, Dmsg_KindEnabled(30));
}

TEST_F(DmsgTest, LateTrainReplacesThePointsMessage13) {
  const PackedWeekTime none[TP_RESET_TIMES] = {0, 0, 0, 0, 0, 0};
  ASSERT_EQ(TP_OK, Tp_Create(20, 20, 0, 0, none, 2, 0, 1, 0xFF, 0, u"ST"));
  ASSERT_EQ(TP_OK, Tp_Create(21, 20, 0, 0, none, 2, 0, 1, 0xFF, 0, u"ST"));
  ASSERT_EQ(DMSG_POSTED, Dmsg_Post(13, 20, 20, 0, 3600, 0, 0, 0));
  ASSERT_EQ(DMSG_POSTED, Dmsg_Post(13, 20, 20, 0, 7200, 0, 0, 0));
  // The late train arrives at the second cell with the slot of 1:00.
  ASSERT_EQ(DMSG_POSTED, Dmsg_Post(26, 21, 20, 0, 3600, 5, 1, 1));
  ASSERT_EQ(2u, Dmsg_Count());
  EXPECT_EQ(7200u, Dmsg_Get(0)->Data);
  EXPECT_EQ(26u, Dmsg_Get(1)->Kind);
  ASSERT_EQ(DMSG_POSTED, Dmsg_Post(26, 21, 20, 0, 3600, 5, 1, 1));  // kind 26 may repeat
}

TEST_F(DmsgTest, DisplayTexts) {
  const std::u16string kind13 = Lng_GetText(4513);
  const std::u16string kind26 = Lng_GetText(4526);
  const PackedWeekTime none[TP_RESET_TIMES] = {0, 0, 0, 0, 0, 0};
  ASSERT_EQ(TP_OK, Tp_Create(20, 20, 0, 0, none, 2, 0, 1, 0xFF, 0, u"North"));
  struct Case {
    u32 kind;
    i32 x;
    u32 data;
    std::u16string text;
  } cases[] = {
      {13, 20, 0, kind13 + u" North"},
      {13, 99, 0, kind13 + u" ???"},
      {17, 0, 3725, std::u16string(Lng_GetText(4517)) + u" 1:02:05 "},
      // 26 at 9:30:00 for the slot of 9:00:00: half an hour late.
      {26, 0, 9 * 3600, u" 0:30:00 " + kind26 + u" ( 9:00)"},
      {26, 0, 9 * 3600 + 15, u" 0:29:45 " + kind26 + u" ( 9:00:15)"},
      {26, 0, 0xFFFFFFFFu, u"??:??:?? " + kind26 + u" (?\?:?\?)"},
      {40, 0, 0, Lng_GetText(4500)},
  };
  for (const Case& c : cases) {
    wch text[300];
    const i32 n = Dmsg_FormatText(c.kind, c.x, 20, nullptr, text, 300, c.data, 0, 30, 9, 0);
    EXPECT_EQ(c.text, std::u16string(text)) << c.kind;
    EXPECT_EQ(i32(c.text.size()) + 1, n) << c.kind;
  }
  wch time[9], text[300];
  Dmsg_FormatText(26, 0, 0, time, text, 300, 3600 + 2 * 60 + 3, 0, 0, 2, 0);
  EXPECT_EQ(std::u16string(u"01:02:03"), std::u16string(time));
  EXPECT_EQ(u" 0:57:57 " + kind26, std::u16string(text));
}

TEST_F(DmsgTest, ListLinesAreCutAtTheirWidth) {
  g_simClock.weekday = 2;
  g_simClock.hour = 7;
  g_simClock.minute = 4;
  g_simClock.second = 0;
  ASSERT_EQ(DMSG_POSTED, Dmsg_Post(5, 1, 1, 0, 0, 0, 0, 0));
  g_simClock.second = 9;
  g_simClock.elapsedMinutes = 3 * 1440 + 7 * 60 + 4;
  // A text longer than the line: every kind, with the longest data.
  for (u32 kind = 1; kind <= DMSG_KINDS; ++kind) Dmsg_Post(kind, 2, 2, 0, 0xFFFFFFFFu, 123, 0, 0);
  wch line[DMSG_LINE_WIDTH + 1];
  for (u32 i = 0; i < Dmsg_Count(); ++i) {
    Dmsg_ListLine(i, line);
    EXPECT_EQ(DMSG_LINE_WIDTH, Str_Len(line)) << i;
  }
  Dmsg_ListLine(0, line);
  const std::u16string first(line);
  const std::u16string weekday = std::u16string(Lng_GetText(17022)).substr(0, 3);
  EXPECT_EQ(u"  0 " + weekday + u"  7:04    -------- -------- ---- " + Lng_GetText(4505),
            first.substr(0, 40 + std::u16string(Lng_GetText(4505)).size()));
  Dmsg_ListLine(1, line);
  EXPECT_EQ(std::u16string(u"  3 "), std::u16string(line).substr(0, 4));
  EXPECT_EQ(std::u16string(u":09 "), std::u16string(line).substr(13, 4));
  EXPECT_EQ(std::u16string(u"123. "), std::u16string(line).substr(35, 5));
}

TEST_F(DmsgTest, SettingsKeys) {
  struct Case {
    const wch* allg;
    int result, options;
  } cases[] = {
      {u"S0", 0, DMSG_OPT_STOP_ALL},
      {u"XV", 0, DMSG_OPT_STOP_KINDS | DMSG_OPT_STOP_FULL},
      {u"00", 0, 0},
      {u"0V", 0, DMSG_OPT_STOP_FULL},
      {u"Q0", 1, DMSG_OPT_STOP_FULL},  // refused: unchanged
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, Dmsg_ParseOptionsKey(c.allg)) << U8(c.allg);
    EXPECT_EQ(c.options, Dmsg_GetOptions()) << U8(c.allg);
  }
  wch text[40];
  Dmsg_SetOptions(DMSG_OPT_STOP_KINDS | DMSG_OPT_STOP_FULL);
  Dmsg_FormatOptionsKey(text);
  EXPECT_EQ(std::u16string(u"XV"), std::u16string(text));
  // A shorter kinds key leaves the kinds behind it as they are.
  ASSERT_EQ(0, Dmsg_SetKindEnabled(29, DMSG_ON_STOP));
  EXPECT_EQ(0, Dmsg_ParseKindsKey(u"jBC"));
  Dmsg_FormatKindsKey(text);
  EXPECT_EQ(std::u16string(u"jBCBBBBBBBBBBBBBBBBBBBBBBBBBC"), std::u16string(text));
  EXPECT_EQ(1, Dmsg_ParseKindsKey(u"jBx"));
  EXPECT_EQ(DMSG_ON, Dmsg_KindEnabled(2));
  EXPECT_EQ(1, Dmsg_ParseKindsKey(u"BBBBBBBBBBBBBBBBBBBBBBBBBBBBBB"));  // 30 kinds
}

TEST_F(DmsgTest, RegionHooks) {
  ASSERT_EQ(DMSG_POSTED, Dmsg_Post(5, 10, 10, 0, 0, 0, 0, 0));
  ASSERT_EQ(DMSG_POSTED, Dmsg_Post(5, 32760, 10, 0, 0, 0, 0, 0));
  ASSERT_EQ(DMSG_POSTED, Dmsg_Post(5, 100, 100, -1, 0, 0, 0, 0));
  Dmsg_MoveInBox(0, 0, 0, 20, 20, 0, 5, 0, 0);
  EXPECT_EQ(15, Dmsg_Get(0)->X);
  // Moved off the grid: gone.
  Dmsg_MoveInBox(32000, 0, 0, 32767, 20, 0, 100, 0, 0);
  EXPECT_EQ(2u, Dmsg_Count());
  Dmsg_MoveInBox(0, 0, -1, 200, 200, -1, 0, 0, -4);
  EXPECT_EQ(1u, Dmsg_Count());
  Dmsg_DeleteInBox(0, 0, 0, 20, 20, 0);
  EXPECT_EQ(0u, Dmsg_Count());
}

// ---------------------------------------------------------------- dialogs (portable half)

TEST_F(DmsgTest, KindDialogsCoverEveryKindOnceAndReadBack) {
  int seen[DMSG_KINDS + 1] = {0};
  for (u32 t = DMSG_DLG_KINDS1; t <= DMSG_DLG_KINDS3; ++t) {
    const u32* kinds;
    const u32 n = Dmsg_DialogKinds(t, &kinds);
    ASSERT_LE(n, u32(DMSG_KINDS_MAX_PER_DIALOG));
    for (u32 i = 0; i < n; ++i) ++seen[kinds[i]];
  }
  for (int k = 1; k <= DMSG_KINDS; ++k) EXPECT_EQ(1, seen[k]) << k;
  // The movement dialog: kind 16 first. Its "stop" button checked reads back
  // as setting 2; the others keep theirs.
  ASSERT_EQ(0, Dmsg_SetKindEnabled(18, DMSG_OFF));
  u8 bytes[600];
  DlgBuild b;
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  ASSERT_EQ(0, Dmsg_BuildKindsDesc(&b, DMSG_DLG_KINDS3));
  EXPECT_TRUE(Dfw_ItemFlags(Dfw_FindDescItem(bytes, 401)) & DLG_BUTTON_CHECKED);  // 16 on
  EXPECT_TRUE(Dfw_ItemFlags(Dfw_FindDescItem(bytes, 403)) & DLG_BUTTON_CHECKED);  // 18 off
  Dfw_SetItemFlags(Dfw_FindDescItem(bytes, 401), 0);
  Dfw_SetItemFlags(Dfw_FindDescItem(bytes, 402), DLG_BUTTON_CHECKED);
  Dmsg_ReadKindsDesc(bytes, DMSG_DLG_KINDS3);
  EXPECT_EQ(DMSG_ON_STOP, Dmsg_KindEnabled(16));
  EXPECT_EQ(DMSG_OFF, Dmsg_KindEnabled(18));
  EXPECT_EQ(DMSG_ON, Dmsg_KindEnabled(19));
}

TEST_F(DmsgTest, OptionsDialogReadsBackTheStopRules) {
  u8 bytes[600];
  DlgBuild b;
  Dfw_BuildBegin(&b, bytes, sizeof bytes);
  ASSERT_EQ(0, Dmsg_SetOptions(DMSG_OPT_STOP_KINDS | DMSG_OPT_STOP_FULL));
  ASSERT_EQ(0, Dmsg_BuildOptionsDesc(&b));
  EXPECT_TRUE(Dfw_ItemFlags(Dfw_FindDescItem(bytes, 401)) & DLG_BUTTON_CHECKED);
  EXPECT_TRUE(Dfw_ItemFlags(Dfw_FindDescItem(bytes, 470)) & DLG_BUTTON_CHECKED);
  Dfw_SetItemFlags(Dfw_FindDescItem(bytes, 401), 0);
  Dfw_SetItemFlags(Dfw_FindDescItem(bytes, 400), DLG_BUTTON_CHECKED);
  Dfw_SetItemFlags(Dfw_FindDescItem(bytes, 470), 0);
  Dmsg_ReadOptionsDesc(bytes);
  EXPECT_EQ(DMSG_OPT_STOP_ALL, Dmsg_GetOptions());
}

TEST_F(DmsgTest, ListBlockAndEndCodes) {
  ASSERT_EQ(DMSG_POSTED, Dmsg_Post(5, 1, 1, 0, 0, 0, 0, 0));
  ASSERT_EQ(DMSG_POSTED, Dmsg_Post(6, 2, 2, 0, 0, 0, 0, 0));
  std::vector<wch> block((DMSG_LINE_WIDTH + 2) * 2 + 1);
  ASSERT_NE(0u, Dmsg_BuildListBlock(block.data(), u32(block.size())));
  EXPECT_EQ(0u, Dmsg_BuildListBlock(block.data(), u32(block.size()) - 1));  // one unit short
  u8 rec[12] = {DLG_LIST};
  Dfw_SetPtr(rec, 4, block.data());
  Dfw_Set32(rec, 8, DLG_LIST_KEYED);
  ASSERT_EQ(2, Dfw_ListItemCount(rec));
  u16 key = 0;
  const wch* second = Dfw_ListItemKeyed(rec, 1, &key);
  EXPECT_EQ(2, key);
  EXPECT_EQ(DMSG_LINE_WIDTH, Str_Len(second));
  // Delete shows the list again while entries are left; clear empties it.
  EXPECT_EQ(1, Dmsg_OnListEnd(DMSG_END_DELETE, 0));
  ASSERT_EQ(1u, Dmsg_Count());
  EXPECT_EQ(6u, Dmsg_Get(0)->Kind);
  EXPECT_EQ(0, Dmsg_OnListEnd(DMSG_END_DELETE, 0));
  EXPECT_EQ(0u, Dmsg_Count());
  ASSERT_EQ(DMSG_POSTED, Dmsg_Post(5, 1, 1, 0, 0, 0, 0, 0));
  EXPECT_EQ(0, Dmsg_OnListEnd(DMSG_END_CLEAR, 0));
  EXPECT_EQ(0u, Dmsg_Count());
  // An empty list is not shown: warning 599.
  Msg_ResetLast();
  Dmsg_ShowList();
  EXPECT_EQ(599u, Msg_LastNumber());
}

}  // namespace
