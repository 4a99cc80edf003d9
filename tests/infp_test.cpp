// Info points: the sorted store, texts, search, the section in its forms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/grid.h"
#include "model/infp.h"
#include "platform/str.h"
#include "shell/ewin.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

class InfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Grid_Init());
    Info_Clear();
  }
  void TearDown() override {
    Info_Clear();
    Grid_Exit();
  }
  static void Put(i32 x, i32 y, i32 level, const wch* text) {
    ASSERT_EQ(0, Info_Set(x, y, level, u32(Str_Len(text) + 1)));
    ASSERT_EQ(0, Info_SetText(x, y, level, text));
  }
  static wstr Text(i32 x, i32 y, i32 level) {
    const u32 n = Info_GetLength(x, y, level);
    if (!n) return u"(none)";
    std::vector<wch> b(n);
    Info_GetTextCopy(x, y, level, b.data());
    return wstr(b.data());
  }
  static std::string Order() {
    std::string s;
    i32 x = -1, y = -1, level = 1;
    for (u32 i = 0; i < Info_Count(); ++i) {
      if (!Info_Next(&x, &y, &level, 0)) break;
      s += std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(level) + " ";
    }
    return s;
  }
};

TEST_F(InfoTest, TextsSetCutAndDelete) {
  Put(1, 1, 0, u"A");
  EXPECT_EQ(2u, Info_GetLength(1, 1, 0));
  EXPECT_EQ(wstr(u"A"), Text(1, 1, 0));
  ASSERT_EQ(0, Info_Set(1, 1, 0, 3));
  EXPECT_EQ(0, Info_SetText(1, 1, 0, u"long text"));
  EXPECT_EQ(wstr(u"lo"), Text(1, 1, 0)) << "cut to the length, the last unit 0";
  EXPECT_EQ(0, Info_SetText(1, 1, 0, u"   "));
  EXPECT_EQ(0u, Info_GetLength(1, 1, 0)) << "a blank text deletes";
  EXPECT_EQ(1, Info_SetText(1, 1, 0, u"x"));
  EXPECT_EQ(nullptr, Info_Create(1, 1, 0, 1));
}

TEST_F(InfoTest, OrderSearchAndExtent) {
  Put(5, 7, -1, u"lower");
  Put(5, 7, 0, u"upper");
  Put(2, 9, 0, u"station north");
  Put(8, 1, -3, u"yard");
  EXPECT_EQ("8,1,-3 5,7,0 5,7,-1 2,9,0 ", Order());
  Info_MoveInBox(8, 1, -3, 8, 1, -3, 0, 20, 0);
  EXPECT_EQ("5,7,0 5,7,-1 2,9,0 8,21,-3 ", Order()) << "the list stays sorted after a move";
  i32 x = 5, y = 7, level = 0;
  ASSERT_EQ(1, Info_FindText(&x, &y, &level, STR_FIND_NOCASE, u"NORTH"));
  EXPECT_EQ(2, x);
  EXPECT_EQ(9, y);
  EXPECT_EQ(0, Info_FindText(&x, &y, &level, 0, u"upper")) << "no wrap";
  u32 total = 0;
  EXPECT_EQ(4u, Info_TotalTextLength(&total));
  EXPECT_EQ(6u + 6 + 14 + 5, total);
  i32 e[6];
  ASSERT_EQ(0, Info_GetExtent(&e[0], &e[1], &e[2], &e[3], &e[4], &e[5]));
  EXPECT_EQ(2, e[0]);
  EXPECT_EQ(7, e[1]);
  EXPECT_EQ(-3, e[2]);
  EXPECT_EQ(0, e[3]);
  EXPECT_EQ(21, e[4]);
  EXPECT_EQ(8, e[5]);
  const i32 src[6] = {0, 0, 0, 9, 9, -4}, dst[6] = {0, 0, 0, 9, 8, -4};
  EXPECT_EQ(2, Info_TestInBox(src, dst));
  const i32 empty[6] = {30, 30, 0, 40, 40, -4};
  EXPECT_EQ(0, Info_TestInBox(empty, dst));
}

TEST_F(InfoTest, OnePointCanBeSearched) {
  Put(3, 3, 0, u"only one");
  i32 x = 3, y = 3, level = 0;
  EXPECT_EQ(1, Info_FindText(&x, &y, &level, 0, u"one"));
  i32 nx = 3, ny = 3, nl = 0;
  EXPECT_EQ(1, Info_Next(&nx, &ny, &nl, 0));
}

TEST_F(InfoTest, SectionRoundTripWritesOnlyTheText) {
  ASSERT_EQ(0, Info_Set(4, 4, 0, 8));
  ASSERT_EQ(0, Info_SetText(4, 4, 0, u"abcdef"));
  ASSERT_EQ(0, Info_SetText(4, 4, 0, u"ab"));
  Put(1, 2, -1, u"x\\y");
  const Bytes b = Test_SaveSection(Info_SaveSection);
  // The first point (1, 2, -1): tag, count, pos 5, length 4, 4 units.
  ASSERT_EQ(8u + 5 + 4 + 8 + 5 + 4 + 16, b.size());
  const Bytes tail(b.end() - 16, b.end());
  EXPECT_EQ(Bytes({'a', 0, 'b', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), tail) << "no old text after the zero";
  ASSERT_EQ(0, Test_LoadSection(b, Info_LoadSection, 0x3850));
  EXPECT_EQ(wstr(u"x\\y"), Text(1, 2, -1));
  EXPECT_EQ(b, Test_SaveSection(Info_SaveSection));
}

TEST_F(InfoTest, ReaderBoundsLengthAndTerminates) {
  struct Case {
    u32 length;
    int result;
  } cases[] = {{1, 3}, {0x7FFFFFFF, 3}, {3, 0}};
  for (const Case& c : cases) {
    Bytes b = {'I', 'N', 'F', 'O', 1, 0, 0, 0, 1, 0, 1, 0, 0};
    Test_Put32(b, c.length);
    if (c.result == 0)
      for (int i = 0; i < 3; ++i) Test_Put16(b, 'z');  // no terminator in the file
    EXPECT_EQ(c.result, Test_LoadSection(b, Info_LoadSection, 0x3850)) << c.length;
  }
  EXPECT_EQ(wstr(u"zz"), Text(1, 1, 0));
  // The old form: u16 tag, count and length, 8-bit text.
  Bytes old;
  Test_Put16(old, 0x4649);
  Test_Put16(old, 1);
  Test_Put16(old, 6), Test_Put16(old, 7);
  Test_Put16(old, 4);
  old.insert(old.end(), {'a', 'b', 'c', 0});
  ASSERT_EQ(0, Test_LoadSection(old, Info_LoadSection, 14300));
  EXPECT_EQ(wstr(u"abc"), Text(6, 7, 0));
  Bytes cut(old.begin(), old.end() - 2);
  EXPECT_EQ(1, Test_LoadSection(cut, Info_LoadSection, 14300));
}

}  // namespace
