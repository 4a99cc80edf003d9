// Texts on the grid: joining and splitting runs, the section, the region
// hooks, the extent and the search.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/grid.h"
#include "model/txt.h"
#include "platform/str.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

TxtCell Cell(const wch* chars, u32 text = TXT_DEFAULT_COLOUR, u32 back = TXT_DEFAULT_COLOUR) {
  TxtCell c = {};
  for (int i = 0; i < 4 && chars[i]; ++i) c.Chars[i] = chars[i];
  c.TextColour = text;
  c.BackColour = back;
  return c;
}

// Every run as "x,y,level:text" in list order.
std::string Runs() {
  std::string s;
  for (const TextRun* r = Txt_First(); r; r = r->Next) {
    s += std::to_string(r->X) + "," + std::to_string(r->Y) + "," + std::to_string(r->Level) + ":";
    s += U8(wstr(r->Chars, r->Chars + r->Length)) + " ";
  }
  return s;
}

class TxtTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Grid_Init());
    Txt_Clear();
  }
  void TearDown() override {
    Txt_Clear();
    Grid_Exit();
  }
  static int Set(i32 x, i32 y, i32 level, const wch* chars, u32 text = TXT_DEFAULT_COLOUR) {
    const TxtCell c = Cell(chars, text);
    return Txt_Set(x, y, level, &c);
  }
};

TEST_F(TxtTest, MergeAndSplitScenario) {
  struct Step {
    i32 x;
    const wch* chars;
    u32 colour;
    int result;
    const char* runs;
  } steps[] = {
      {10, u"ABCD", 1, TXT_SET_ADDED, "10,5,0:ABCD "},
      {12, u"IJKL", 2, TXT_SET_ADDED, "10,5,0:ABCD 12,5,0:IJKL "},
      {11, u"EF", 3, TXT_SET_ADDED, "10,5,0:ABCDEF  IJKL "},
      {11, u"    ", 4, TXT_SET_BLANKED, "10,5,0:ABCD 12,5,0:IJKL "},
      {11, u"    ", 4, TXT_SET_NOTHING, "10,5,0:ABCD 12,5,0:IJKL "},
      {12, u"ijkl", 5, TXT_SET_REPLACED, "10,5,0:ABCD 12,5,0:ijkl "},
      {10, u"", 5, TXT_SET_BLANKED, "12,5,0:ijkl "},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(s.result, Set(s.x, 5, 0, s.chars, s.colour)) << s.runs;
    EXPECT_EQ(s.runs, Runs());
    if (s.x == 11 && s.result == TXT_SET_ADDED) {
      EXPECT_EQ(3u, Txt_First()->TextColour) << "colours of the last write";
    }
    if (s.result == TXT_SET_BLANKED && Txt_Count() == 2) {
      EXPECT_EQ(3u, Txt_First()->Next->TextColour) << "both halves keep the joined run's colours";
    }
  }
  TxtCell got;
  ASSERT_EQ(0, Txt_GetRunAt(12, 5, 0, &got));
  EXPECT_EQ(wstr(u"ijkl"), wstr(got.Chars));
  EXPECT_EQ(1, Txt_GetRunAt(13, 5, 0, &got));
}

TEST_F(TxtTest, LastColumnNeverJoinsToTheRight) {
  EXPECT_EQ(TXT_SET_ADDED, Set(32767, 1, 0, u"end"));
  EXPECT_EQ(TXT_SET_ADDED, Set(32766, 1, 0, u"pre"));
  EXPECT_EQ("32766,1,0:pre end  ", Runs());
  EXPECT_EQ(TXT_SET_NOTHING, Set(32768, 1, 0, u"off"));
}

TEST_F(TxtTest, MiddleBlankSplitsAndOrderIsKept) {
  for (i32 x = 0; x < 5; ++x) Set(x, 3, 0, u"abcd");
  Set(2, 3, -1, u"low");
  Set(0, 1, 0, u"top");
  EXPECT_EQ(TXT_SET_BLANKED, Set(2, 3, 0, u""));
  EXPECT_EQ("0,1,0:top  0,3,0:abcdabcd 2,3,-1:low  3,3,0:abcdabcd ", Runs());
}

TEST_F(TxtTest, SectionRebuildsTheRuns) {
  Set(3, 4, 0, u"Main", 0x112233);
  Set(4, 4, 0, u" St.", 0x112233);
  Set(9, 4, -2, u"x");
  const Bytes b = Test_SaveSection(Txt_SaveSection);
  Txt_Clear();
  ASSERT_EQ(0, Test_LoadSection(b, Txt_LoadSection, 0x3850));
  EXPECT_EQ("3,4,0:Main St. 9,4,-2:x    ", Runs());
  EXPECT_EQ(b, Test_SaveSection(Txt_SaveSection));
}

TEST_F(TxtTest, ReaderChecksRunsAndReadsOlderForms) {
  struct Case {
    u16 x;
    u32 length;
    int result;
  } cases[] = {{5, 0, 3}, {5, 6, 3}, {32767, 8, 3}, {32767, 4, 0}};
  for (const Case& c : cases) {
    Bytes b = {'Z', 'K', 'T', 'N', 1, 0, 0, 0};
    Test_Put16(b, c.x), Test_Put16(b, 1), b.push_back(0);
    Test_Put32(b, c.length), Test_Put32(b, 0), Test_Put32(b, 1), Test_Put32(b, 2);
    for (u32 i = 0; i < c.length; ++i) Test_Put16(b, 'q');
    EXPECT_EQ(c.result, Test_LoadSection(b, Txt_LoadSection, 0x3850)) << c.x << " " << c.length;
  }
  // 14200: u16 tag, u32 count and length, a u16, 8-bit characters.
  Bytes old;
  Test_Put16(old, 0x4B5A);
  Test_Put32(old, 1);
  Test_Put16(old, 2), Test_Put16(old, 3);
  Test_Put32(old, 8);
  Test_Put16(old, 0);
  old.insert(old.end(), {'O', 'l', 'd', ' ', 'T', 'e', 'x', 't'});
  ASSERT_EQ(0, Test_LoadSection(old, Txt_LoadSection, 14200));
  EXPECT_EQ("2,3,0:Old Text ", Runs());
  EXPECT_EQ(TXT_DEFAULT_COLOUR, Txt_First()->TextColour);
  // 14000: u16 count and length.
  Bytes older;
  Test_Put16(older, 0x4B5A);
  Test_Put16(older, 1);
  Test_Put16(older, 2), Test_Put16(older, 3);
  Test_Put16(older, 4);
  Test_Put16(older, 0);
  older.insert(older.end(), {'a', 'b', 'c', 'd'});
  ASSERT_EQ(0, Test_LoadSection(older, Txt_LoadSection, 14000));
  EXPECT_EQ("2,3,0:abcd ", Runs());
}

TEST_F(TxtTest, ExtentCoversEveryRun) {
  for (i32 x = 0; x < 3; ++x) Set(x, 1, 0, u"long");  // widest run, ends at 2
  Set(40, 9, -1, u"far");                            // short, ends further right
  i32 e[6];
  ASSERT_EQ(0, Txt_GetExtent(&e[0], &e[1], &e[2], &e[3], &e[4], &e[5]));
  EXPECT_EQ(0, e[0]);
  EXPECT_EQ(1, e[1]);
  EXPECT_EQ(-1, e[2]);
  EXPECT_EQ(0, e[3]);
  EXPECT_EQ(9, e[4]);
  EXPECT_EQ(40, e[5]);
}

TEST_F(TxtTest, MoveDeleteAndFindInRect) {
  for (i32 x = 0; x < 6; ++x) Set(x, 2, 0, u"abcd");
  // The box holds columns 2..3: the run is split at its edges.
  EXPECT_EQ(0, Txt_MoveInBox(2, 2, 0, 3, 2, 0, 0, 3, 0));
  EXPECT_EQ("0,2,0:abcdabcd 4,2,0:abcdabcd 2,5,0:abcdabcd ", Runs());
  const i32 first[6] = {0, 0, 0, 4, 2, 0}, inside[6] = {0, 0, 0, 5, 5, 0}, narrow[6] = {0, 0, 0, 3, 5, 0};
  EXPECT_EQ(1, Txt_FindInRect(first, inside)) << "a run crossing the first box but inside the second";
  EXPECT_EQ(2, Txt_FindInRect(first, narrow));
  const i32 none[6] = {20, 20, 0, 30, 30, 0};
  EXPECT_EQ(0, Txt_FindInRect(none, inside));
  EXPECT_EQ(0, Txt_DeleteInBox(0, 2, 0, 4, 2, 0));
  EXPECT_EQ("5,2,0:abcd 2,5,0:abcdabcd ", Runs());
}

TEST_F(TxtTest, TransformKeepsLettersTogetherAndInsideTheGrid) {
  Set(10, 10, 0, u"ABCD");
  Set(11, 10, 0, u"EFGH");
  Set(12, 10, 0, u"IJKL");
  // Doubled around (10, 10): the middle cell 11 goes to 12; the row starts
  // at 11.
  EXPECT_EQ(0, Txt_TransformInBox(10, 10, 0, 12, 10, 0, 1, 2, 1, 2));
  EXPECT_EQ("11,10,0:ABCDEFGHIJKL ", Runs());
  Txt_Clear();
  for (i32 x = 32765; x < 32768; ++x) Set(x, 3, 0, u"zzzz");
  // Scaled by 3 from x 32700: far off the grid; nothing is written outside.
  EXPECT_EQ(0, Txt_TransformInBox(32700, 3, 0, 32767, 3, 0, 1, 1, 1, 3));
  for (const TextRun* r = Txt_First(); r; r = r->Next) EXPECT_LE(r->X + r->Length / 4, 32768) << Runs();
}

TEST_F(TxtTest, SearchInReadingOrder) {
  Set(0, 1, 0, u"one ");
  Set(1, 1, 0, u"two ");
  Set(0, 1, -1, u"two");
  Set(5, 0, -2, u"two");
  i32 x, y, level;
  // From (0, 1, 0): level 0 from the cell, levels below too; (0, 1, -1) is
  // first in reading order... after the higher level at the same cell.
  ASSERT_EQ(0, Txt_FindNextFrom(0, 1, 0, 0, 0, u"two", &x, &y, &level));
  EXPECT_EQ(0, x);
  EXPECT_EQ(1, y);
  EXPECT_EQ(-1, level);
  // From level -2: the levels above are searched from the next cell on.
  ASSERT_EQ(0, Txt_FindNextFrom(0, 1, -2, 0, 0, u"two", &x, &y, &level));
  EXPECT_EQ(1, x);
  EXPECT_EQ(0, level);
  EXPECT_EQ(1, Txt_FindNextFrom(2, 1, 0, 0, 0, u"two", &x, &y, &level));
}

}  // namespace
