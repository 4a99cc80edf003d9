#include "platform/fmt.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/test_util.h"

namespace {

// Each test sets the separator it needs and leaves the default behind.
class FmtTime : public ::testing::Test {
 protected:
  void TearDown() override { Dlg_SetTimeSeparator(DLG_TIME_SEPARATOR_DEFAULT); }
};

// ---------------------------------------------------------------- fixed point

TEST(FmtFixed, ParseTable) {
  struct Case {
    const char* text;
    char sep;
    i32 fixed2;
    i32 fixed3;
  } cases[] = {
      {"3", ',', 300, 3000},
      {"3,5", ',', 350, 3500},
      {",05", ',', 5, 50},
      {",5", ',', 50, 500},
      {"1,25", ',', 125, 1250},
      {"1,256", ',', 125, 1256},
      {"1,2567", ',', 125, 1256},  // digits beyond the precision are ignored
      {"7,", ',', 700, 7000},      // a separator without digits: fraction 0
      {"  12.5", '.', 1250, 12500},
      {"+4.1", '.', 410, 4100},
      {"3,5", '.', 300, 3000},  // another separator ends the number
      {"abc", ',', -1, -1},
      {"", ',', -1, -1},
      {",", ',', -1, -1},
      {"-5", ',', -1, -1},  // no negative values
      {"0", ',', 0, 0},
      {"999999999", ',', -1, -1},  // does not fit an i32
      {"21474836", ',', 2147483600, -1},
      {"2147483,647", ',', 214748360, 2147483647},
      {"2147483,648", ',', 214748360, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    wstr t = W16(c.text);
    EXPECT_EQ(Fmt_ParseFixed2Sep(t.c_str(), wch(c.sep)), c.fixed2);
    EXPECT_EQ(Fmt_ParseFixed3Sep(t.c_str(), wch(c.sep)), c.fixed3);
  }
}

TEST(FmtFixed, OnlyTheFirstCharactersCount) {
  // Fixed2 reads 9 characters, Fixed3 19.
  EXPECT_EQ(Fmt_ParseFixed2Sep(u"1234567,89", u','), 123456780);
  EXPECT_EQ(Fmt_ParseFixed2Sep((wstr(6, u' ') + u"1,5").c_str(), u','), 150);
  EXPECT_EQ(Fmt_ParseFixed2Sep((wstr(7, u' ') + u"1,5").c_str(), u','), 100);
  EXPECT_EQ(Fmt_ParseFixed2Sep((wstr(9, u' ') + u"1,5").c_str(), u','), -1);
  EXPECT_EQ(Fmt_ParseFixed3Sep((wstr(16, u' ') + u"1,5").c_str(), u','), 1500);
  EXPECT_EQ(Fmt_ParseFixed3Sep((wstr(17, u' ') + u"1,5").c_str(), u','), 1000);
  EXPECT_EQ(Fmt_ParseFixed3Sep((wstr(19, u' ') + u"1,5").c_str(), u','), -1);
  EXPECT_EQ(Fmt_ParseFixed3Sep(u"99999999999999999999", u','), -1);  // no overflow, just unreadable
}

TEST(FmtFixed, WriteAndReadBack) {
  wch buf[FMT_NUMBER_SIZE];
  EXPECT_EQ(Fmt_Fixed2Sep(buf, 5, u','), 4);
  EXPECT_EQ(wstr(buf), W16("0,05"));
  Fmt_Fixed3Sep(buf, 1250, u'.');
  EXPECT_EQ(wstr(buf), W16("1.250"));
  Fmt_Fixed2Sep(buf, 0xFFFFFFFFu, u'.');
  EXPECT_EQ(wstr(buf), W16("42949672.95"));
  Fmt_Fixed3Sep(buf, 0xFFFFFFFFu, 0);  // separator 0 would end the text: '.' instead
  EXPECT_EQ(wstr(buf), W16("4294967.295"));
  for (wch sep : {u'.', u','}) {
    for (u32 v : {0u, 1u, 9u, 10u, 99u, 100u, 101u, 999u, 1000u, 12345u, 99999999u, 2147483647u}) {
      // Fixed2 reads 9 characters: values up to 999999.99 come back.
      Fmt_Fixed2Sep(buf, v, sep);
      if (v <= 99999999u) {
        EXPECT_EQ(Fmt_ParseFixed2Sep(buf, sep), i32(v)) << v;
      }
      Fmt_Fixed3Sep(buf, v, sep);
      EXPECT_EQ(Fmt_ParseFixed3Sep(buf, sep), i32(v)) << v;
    }
  }
}

TEST(FmtFixed, LocaleFormsUseTheLocaleSeparator) {
  wch sep = Fmt_DecimalSeparator();
  ASSERT_NE(sep, 0);
  wch buf[FMT_NUMBER_SIZE], expect[FMT_NUMBER_SIZE];
  Fmt_Fixed2(buf, 12345);
  Fmt_Fixed2Sep(expect, 12345, sep);
  EXPECT_EQ(wstr(buf), wstr(expect));
  EXPECT_EQ(Fmt_ParseFixed2(buf), 12345);
  Fmt_Fixed3(buf, 12345);
  EXPECT_EQ(Fmt_ParseFixed3(buf), 12345);
  wstr text = u"3" + wstr(1, sep) + u"5";
  EXPECT_EQ(Fmt_ParseFixed2(text.c_str()), 350);
}

// ---------------------------------------------------------------- times

TEST_F(FmtTime, TimeOfDay) {
  struct Case {
    u32 sep;
    i32 seconds;
    const char* text;
  } cases[] = {
      {':', 3600, "1:00"},   {':', 3661, "1:01:01"}, {':', 0, "0:00"},        {':', 86399, "23:59:59"},
      {'.', 45240, "12.34"}, {0, 3600, "0100"},      {0, 3661, "010101"},     {0, 0, "0000"},
      {0, 86399, "235959"},  {':', 90000, "25:00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(Dlg_SetTimeSeparator(c.sep), 0);
    wch buf[FMT_NUMBER_SIZE];
    EXPECT_EQ(Fmt_TimeOfDay(buf, c.seconds), i32(std::string(c.text).size()));
    EXPECT_EQ(wstr(buf), W16(c.text));
  }
}

TEST_F(FmtTime, ParsePartsTable) {
  enum { H = 1, M = 2, S = 4 };
  struct Case {
    u32 sep;
    const char* text;
    int outs;
    i32 used, h, m, s;
  } cases[] = {
      {':', "12:34:56", H | M | S, 8, 12, 34, 56},
      {':', "12:34:56", H | M, 5, 12, 34, 0},  // without a second out only two numbers
      {':', "12:34", H | M | S, 5, 12, 34, 0},
      {':', "7", H | M | S, 1, 0, 7, 0},  // one number is the minute
      {':', "  7,8", H | M | S, 3, 0, 7, 0},
      {':', "5:30", M | S, 4, 0, 5, 30},  // minutes and seconds
      {':', "1:2:3", M | S, 3, 0, 1, 2},
      {':', "12: 34", H | M, 6, 12, 34, 0},  // blanks before a number, as "%u" reads
      {':', "12:", H | M | S, 2, 0, 12, 0},
      {':', "12:x", H | M | S, 2, 0, 12, 0},
      {':', "x", H | M | S, 0, 0, 0, 0},
      {':', "", H | M | S, 0, 0, 0, 0},
      {':', "-5", H | M | S, 0, 0, 0, 0},
      {':', "99999999999:1", H | M, 13, 2147483647, 1, 0},
      {'.', "8.15", H | M, 4, 8, 15, 0},
      {0, "7", H | M | S, 1, 0, 7, 0},
      {0, "07", H | M | S, 2, 0, 7, 0},
      {0, "730", H | M | S, 3, 7, 30, 0},
      {0, "0730", H | M | S, 4, 7, 30, 0},
      {0, "0730", M | S, 4, 0, 7, 30},  // mmss without an hour out
      {0, "12345", H | M | S, 5, 1, 23, 45},
      {0, "123456", H | M | S, 6, 12, 34, 56},
      {0, " 1234x", H | M, 5, 12, 34, 0},
      {0, "12:34", H | M | S, 2, 0, 12, 0},
      {0, "99999999999999999999999", H | M | S, 23, 2147483647, 99, 99},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " sep " + std::to_string(c.sep) + " outs " + std::to_string(c.outs));
    ASSERT_EQ(Dlg_SetTimeSeparator(c.sep), 0);
    i32 h = -1, m = -1, s = -1;
    wstr t = W16(c.text);
    i32 used = Fmt_ParseTimeParts(t.c_str(), (c.outs & H) ? &h : nullptr, (c.outs & M) ? &m : nullptr,
                                  (c.outs & S) ? &s : nullptr);
    EXPECT_EQ(used, c.used);
    if (c.outs & H) {
      EXPECT_EQ(h, c.h);
    }
    if (c.outs & M) {
      EXPECT_EQ(m, c.m);
    }
    if (c.outs & S) {
      EXPECT_EQ(s, c.s);
    }
  }
}

TEST_F(FmtTime, ParseTime) {
  struct Case {
    u32 sep;
    const char* text;
    i32 seconds, used;
  } cases[] = {
      {':', "7", 420, 1},          {0, "7", 420, 1},        {0, "1234", 45240, 4},
      {':', "12:34", 45240, 5},    {':', "1:01:01", 3661, 7}, {':', "   ", 0, 0},
      {':', "", 0, 0},             {':', "-3", 0, 0},
      {':', "99999999999:99999999999:99999999999", 2147483647, 35},
      {0, "99999999999999999999999", 2147483647, 23},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(Dlg_SetTimeSeparator(c.sep), 0);
    i32 used = -1;
    EXPECT_EQ(Fmt_ParseTime(W16(c.text).c_str(), &used), c.seconds);
    EXPECT_EQ(used, c.used);
    EXPECT_EQ(Fmt_ParseTime(W16(c.text).c_str(), nullptr), c.seconds);
  }
}

// What one writes the other reads, with and without a separator.
TEST_F(FmtTime, WrittenTimesReadBack) {
  for (u32 sep : {u32(':'), u32('.'), 0u}) {
    ASSERT_EQ(Dlg_SetTimeSeparator(sep), 0);
    for (i32 t = 0; t < 86400; t += 59) {
      wch buf[FMT_NUMBER_SIZE];
      Fmt_TimeOfDay(buf, t);
      ASSERT_EQ(Fmt_ParseTime(buf, nullptr), t) << t << " sep " << sep;
    }
  }
}

TEST_F(FmtTime, SeparatorSetter) {
  EXPECT_EQ(Dlg_GetTimeSeparator(), u':');
  EXPECT_EQ(Dlg_SetTimeSeparator(0), 0);
  EXPECT_EQ(Dlg_GetTimeSeparator(), 0);
  EXPECT_EQ(Dlg_SetTimeSeparator(u'h'), 0);
  EXPECT_EQ(Dlg_GetTimeSeparator(), u'h');
  for (u32 bad : {u32('5'), u32(' '), 9u, 0xD800u, 0x10000u}) {
    EXPECT_EQ(Dlg_SetTimeSeparator(bad), 1) << bad;
    EXPECT_EQ(Dlg_GetTimeSeparator(), u'h');
  }
}

}  // namespace
