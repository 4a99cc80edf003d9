#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/sched.h"
#include "platform/fio.h"
#include "platform/fmt.h"
#include "platform/heap.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "tests/test_util.h"

namespace {

typedef std::vector<u8> Bytes;

class SchedTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(0, Test_LoadTexts());
  }
  void SetUp() override {
    Dlg_SetTimeSeparator(u':');
    Msg_ResetLast();
    lines.assign(RULE_HOUR_LINES * RULE_HOUR_LINE, 0);
  }
  void SetLine(int h, const char* text) {
    wstr w = W16(text);
    for (size_t i = 0; i < RULE_HOUR_LINE; ++i) lines[h * RULE_HOUR_LINE + i] = i < w.size() ? w[i] : 0;
  }
  wstr Line(int h) const { return wstr(&lines[h * RULE_HOUR_LINE]); }
  // Parses the lines: the result code, with the bytes in out.
  int Parse(Bytes* out, i32* hour = nullptr) {
    static u8 buf[TIM_DAY_SIZE];
    i32 count = 0;
    const int r = Rule_ParseSchedule(lines.data(), hour, buf, &count);
    if (out) out->assign(buf, buf + (r == 0 ? count : 0));
    return r;
  }

  std::vector<wch> lines;
};

// ---------------------------------------------------------------- hour lines to bytes

TEST_F(SchedTest, HourLinesGiveTheBytesOfTheSchedule) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, const char*>> lines;
    Bytes bytes;
  } cases[] = {
      {"24 empty lines", {}, {127, 255, 0}},
      {"one hour, minutes ascending", {{7, "5, 20,45"}}, {127, 7, 5, 20, 45, 254, 255, 0}},
      {"equal hours 6 to 9 make one range", {{6, "0,30"}, {7, "0,30"}, {8, "0, 30"}, {9, "0,30"}},
       {127, 6, 0x89, 0, 30, 254, 255, 0}},
      {"a range ends where the entries change",
       {{6, "15"}, {7, "15"}, {8, "16"}},
       {127, 6, 0x87, 15, 254, 8, 16, 254, 255, 0}},
      {"an empty hour breaks a range", {{6, "15"}, {8, "15"}}, {127, 6, 15, 254, 8, 15, 254, 255, 0}},
      {"a minute with second 0 and then 30", {{5, "5,5:30"}}, {127, 5, 5, 0x80, 0x9E, 254, 255, 0}},
      {"a second alone", {{5, "5:30"}}, {127, 5, 5, 0x9E, 254, 255, 0}},
      {"two seconds of one minute", {{5, "5:10,5:30,6"}}, {127, 5, 5, 0x8A, 0x9E, 6, 254, 255, 0}},
      {"\"*\" copies the line before", {{3, "10"}, {4, "*"}}, {127, 3, 0x84, 10, 254, 255, 0}},
      {"\"#\" on hour 2 copies hour 0", {{0, "7"}, {1, "8"}, {2, " #"}}, {127, 0, 7, 254, 1, 8, 254, 2, 7, 254, 255, 0}},
      {"chains resolve", {{0, "7"}, {1, "*"}, {2, "*"}}, {127, 0, 0x82, 7, 254, 255, 0}},
  };
  for (const Case& c : cases) {
    SetUp();
    for (const auto& l : c.lines) SetLine(l.first, l.second);
    Bytes out;
    EXPECT_EQ(0, Parse(&out)) << c.what;
    EXPECT_EQ(c.bytes, out) << c.what;
    EXPECT_EQ(0u, Msg_LastNumber()) << c.what;
  }
}

TEST_F(SchedTest, BadHourLinesGiveTheirCodeMessageAndHour) {
  struct Case {
    const char* what;
    int hour;
    const char* line;
    int result;
    u32 message;
  } cases[] = {
      {"minute 60", 4, "5,60", RULE_SCHED_MINUTE, 862},
      {"second 60", 4, "5:60", RULE_SCHED_SECOND, 780},
      {"minutes falling", 4, "10,5", RULE_SCHED_ORDER, 863},
      {"second after a later second", 4, "5:30,5", RULE_SCHED_ORDER, 863},
      {"the same time twice", 4, "5,5", RULE_SCHED_ORDER, 863},
      {"\"*\" on hour 0", 0, "*", RULE_SCHED_REPEAT, 861},
      {"\"#\" on hour 1", 1, "#", RULE_SCHED_REPEAT, 861},
      {"not a time", 4, "5,x", RULE_SCHED_UNREADABLE, 864},
  };
  for (const Case& c : cases) {
    SetUp();
    SetLine(c.hour, c.line);
    i32 hour = -1;
    EXPECT_EQ(c.result, Parse(nullptr, &hour)) << c.what;
    EXPECT_EQ(c.hour, hour) << c.what;
    EXPECT_EQ(c.message, Msg_LastNumber()) << c.what;
  }
  // The unreadable entry is named with its hour.
  SetUp();
  SetLine(13, "5, 7q");
  EXPECT_EQ(RULE_SCHED_UNREADABLE, Parse(nullptr));
  EXPECT_NE(wstr(Msg_LastText()).find(u"q"), wstr::npos);
  EXPECT_NE(wstr(Msg_LastText()).find(u"13"), wstr::npos);
}

TEST_F(SchedTest, LinesFillingTheirWholeSlotStillEnd) {
  // 133 entries "m," fill the 400 units without a zero; the next line follows.
  wstr full;
  for (int m = 0; m < 60 && full.size() + 3 <= RULE_HOUR_LINE; ++m) full += W16((std::to_string(m) + ",").c_str());
  while (full.size() < RULE_HOUR_LINE) full += u' ';
  for (size_t i = 0; i < RULE_HOUR_LINE; ++i) lines[3 * RULE_HOUR_LINE + i] = full[i];
  SetLine(4, "59");
  Bytes out;
  ASSERT_EQ(0, Parse(&out));
  EXPECT_EQ(3, out[1]);
  EXPECT_EQ(60 + 1 + 1, std::find(out.begin(), out.end(), 254) - out.begin());
}

// ---------------------------------------------------------------- per-day buffers and back

TEST_F(SchedTest, LinesGoIntoTheDaysOfTheMaskAndComeBack) {
  static u8 days[7][TIM_DAY_SIZE];
  for (int d = 0; d < 7; ++d) {
    days[d][0] = u8(1 << d);
    days[d][1] = 255;
    days[d][2] = 0;
  }
  SetLine(6, "0,15:30,15:45,59");
  SetLine(7, "*");
  SetLine(22, "5");
  EXPECT_EQ(0, Rule_LinesToSchedule(lines.data(), 0x80, days)) << "a mask without days does nothing";
  EXPECT_EQ(255, days[0][1]);
  ASSERT_EQ(0, Rule_LinesToSchedule(lines.data(), 0x05, days));
  const Bytes monday(days[0], days[0] + 15);
  EXPECT_EQ(Bytes({1, 6, 0x87, 0, 15, 0x9E, 0xAD, 59, 254, 22, 5, 254, 255, 0, 0}), monday);
  EXPECT_EQ(4, days[2][0]);
  EXPECT_EQ(255, days[1][1]) << "Tuesday untouched";

  std::vector<wch> back(RULE_HOUR_LINES * RULE_HOUR_LINE, u'x');
  u32 mask = 0;
  EXPECT_EQ(9, Rule_ScheduleToLines(days, 1, &mask, back.data()));
  EXPECT_EQ(0x05u, mask) << "Wednesday holds the same";
  EXPECT_EQ(u"0,15:30,15:45,59", wstr(&back[6 * RULE_HOUR_LINE]));
  EXPECT_EQ(u"0,15:30,15:45,59", wstr(&back[7 * RULE_HOUR_LINE]));
  EXPECT_EQ(u"5", wstr(&back[22 * RULE_HOUR_LINE]));
  EXPECT_EQ(u"", wstr(&back[0]));
  EXPECT_EQ(u"", wstr(&back[8 * RULE_HOUR_LINE]));

  // The lines parse back to the same day.
  for (size_t i = 0; i < lines.size(); ++i) lines[i] = back[i];
  Bytes again;
  ASSERT_EQ(0, Parse(&again));
  EXPECT_EQ(Bytes(days[0] + 1, days[0] + 14), Bytes(again.begin() + 1, again.end()));

  // Without a separator the seconds are written as mmss.
  Dlg_SetTimeSeparator(0);
  Rule_ScheduleToLines(days, 3, nullptr, back.data());
  EXPECT_EQ(u"0,1530,1545,59", wstr(&back[6 * RULE_HOUR_LINE]));
}

TEST_F(SchedTest, LongLinesAreCutAtTheirLimit) {
  static u8 days[7][TIM_DAY_SIZE];
  // Hour 0 with every minute and every second of it: far more than a line.
  u8* p = days[0];
  *p++ = 1;
  *p++ = 0;
  for (int m = 0; m < 60; ++m) {
    *p++ = u8(m);
    for (int s = 0; s < 60; ++s) *p++ = u8(0x80 | s);
  }
  *p++ = 254;
  *p++ = 255;
  *p++ = 0;
  std::vector<wch> back(RULE_HOUR_LINES * RULE_HOUR_LINE, 0);
  const i32 n = Rule_ScheduleToLines(days, 1, nullptr, back.data());
  const wstr l(&back[0]);
  EXPECT_LE(l.size(), 393u);
  EXPECT_EQ(n, i32(std::count(l.begin(), l.end(), u',') + 1));
  EXPECT_EQ(u"0:00,0:01,0:02", l.substr(0, 14));
}

TEST_F(SchedTest, ReportOfASchedule) {
  const u8 s[] = {0x1F, 6, 0x88, 0, 30, 254, 23, 5, 0x80, 0x9E, 254, 255, 0x60, 255, 0};
  ASSERT_EQ(0, Fio_OpenWriteMemory());
  Fio_SetTextMode(FIO_ANSI);
  EXPECT_EQ(0, Rule_PrintSchedule(s));
  ASSERT_EQ(0, Fio_CloseWrite());
  u32 n = 0;
  u8* p = Fio_TakeWriteMemory(&n);
  ASSERT_NE(nullptr, p);
  const std::string text(reinterpret_cast<char*>(p), n);
  Heap_Free(p);
  EXPECT_EQ(
      "Monday-Friday\r\n 6- 8: 00,30\r\n   23: 05:00,05:30\r\n"
      "Saturday+Sunday\r\n(no times)\r\n",
      text);
}

// ---------------------------------------------------------------- weekday texts

TEST_F(SchedTest, WeekdayMaskTexts) {
  struct Case {
    u32 mask;
    const char* text;
  } cases[] = {{127, "every day"},
               {0, ""},
               {0x15, "Monday+Wednesday+Friday"},
               {0x0F, "Monday-Thursday"},
               {0x03, "Monday+Tuesday"},
               {0x6B, "Monday+Tuesday+Thursday+Saturday+Sunday"},
               {0x77, "Monday-Wednesday+Friday-Sunday"},
               {0x40, "Sunday"}};
  wch buf[200];
  for (const Case& c : cases) {
    EXPECT_EQ(0, Rule_WeekdayMaskText(c.mask, buf, 200)) << c.mask;
    EXPECT_EQ(W16(c.text), wstr(buf)) << c.mask;
  }
  EXPECT_EQ(1, Rule_WeekdayMaskText(0x15, buf, 10) & 0xFF) << "does not fit";
}

TEST_F(SchedTest, TimesOfDayWithTheirWeekdayPrefix) {
  struct Case {
    u32 time;
    int style;
    wch sep;
    const char* text;
  } cases[] = {
      {0x01081E05, 0, u':', "Mon:8:30:05"},
      {0x01081E05, RULE_TIME_NO_SECONDS, u':', "Mon:8:30"},
      {0x01081E00, RULE_TIME_TWO_DIGIT_HOURS, u':', "Mon:08:30"},
      {0x7F081E00, 0, u':', "8:30"},
      {0x7F081E00, RULE_TIME_EVERY_DAY, u':', "Daily:8:30"},
      {0x00081E00, 0, u':', "8:30"},
      {0x1F000000, RULE_TIME_DAYS_ONLY, u':', "Mon-Fri"},
      {0x05171E09, 0, u'.', "Mon+Wed.23.30.09"},
      {0x01081E05, 0, 0, "Mon083005"},
  };
  wch buf[100];
  for (const Case& c : cases) {
    Dlg_SetTimeSeparator(c.sep);
    EXPECT_EQ(0, Rule_FormatTimeOfDay(c.time, buf, 100, c.style)) << c.text;
    EXPECT_EQ(W16(c.text), wstr(buf)) << c.text;
  }
  Dlg_SetTimeSeparator(u':');
  EXPECT_EQ(1, Rule_FormatTimeOfDay(0x01081E05, buf, 12, 0));
}

TEST_F(SchedTest, WeekdayNamesAndLists) {
  EXPECT_EQ(3, Rule_ReadWeekdayName(u"wed-fri", 1));
  EXPECT_EQ(7, Rule_ReadWeekdayName(u"SUN:8:00", 1));
  EXPECT_EQ(0u, Msg_LastNumber());
  EXPECT_EQ(0, Rule_ReadWeekdayName(u"Funday", 0));
  EXPECT_EQ(0u, Msg_LastNumber()) << "no box unless asked";
  EXPECT_EQ(0, Rule_ReadWeekdayName(u"Funday", 1));
  EXPECT_EQ(819u, Msg_LastNumber());

  struct Case {
    const char* text;
    u32 mask;
    i32 consumed;
  } cases[] = {
      {"Mon", 0x01, 3},          {"Mon+Wed+Fri:8:00", 0x15, 11}, {"Tue-Thu", 0x0E, 7},
      {"Sat-Mon", 0x61, 7},      {"Mon-Wed+Sun)", 0x47, 11},     {"fri +Sat", 0x10, 3},
  };
  for (const Case& c : cases) {
    i32 used = -1;
    EXPECT_EQ(c.mask, Rule_ReadWeekdayList(W16(c.text).c_str(), &used, 1)) << c.text;
    EXPECT_EQ(c.consumed, used) << c.text;
  }
  Msg_ResetLast();
  EXPECT_EQ(0u, Rule_ReadWeekdayList(u"Mon-Wed-Fri", nullptr, 1));
  EXPECT_EQ(875u, Msg_LastNumber());
  EXPECT_EQ(0u, Rule_ReadWeekdayList(u"Mon+Xyz", nullptr, 1));
  EXPECT_EQ(819u, Msg_LastNumber());
}

// ---------------------------------------------------------------- week times

TEST_F(SchedTest, WeekTimeTexts) {
  struct Case {
    const char* text;
    int seconds;
    int result;
    u32 time;
    i32 end;
    u32 message;
  } cases[] = {
      {"8:30", 1, 0, 0x7F081E00, 4, 0},
      {" 8:30:15,", 1, 0, 0x7F081E0F, 8, 0},
      {"8:30:15", 0, 0, 0x7F081E00, 4, 0},  // without seconds the scan stops at ":"
      {"Mon:8:30", 1, 0, 0x01081E00, 8, 0},
      {"Mon-Fri:23:05-Sat", 1, 0, 0x1F170500, 13, 0},
      {"Sun:24:00", 1, 0, 0x01000000, 9, 0},  // 24:00 of Sunday is Monday 0:00
      {"Mon+Sun:24:00:00", 1, 0, 0x03000000, 16, 0},
      {"24:00", 1, 0, 0x7F000000, 5, 0},
      {"Tue", 1, -1, 0x02000000, 3, 0},
      {"Tue +Wed", 1, -1, 0x02000000, 4, 0},
      {"45", 1, 0, 0x7F002D00, 2, 0},  // one number is the minute
      {"25:00", 1, 1, 0, 0, 342},
      {"8:60", 1, 2, 0, 0, 344},
      {"8:00:60", 1, 3, 0, 0, 348},
      {"24:01", 1, 2, 0, 0, 345},
      {"x", 1, 1, 0, 0, 819},
      {"Mon-Tue-Wed:8:00", 1, 1, 0, 0, 875},
      {"", 1, 1, 0, 0, 356},
      {"8:30!", 1, 0, 0x7F081E00, 4, 0},  // the place flag letter ends it
  };
  for (const Case& c : cases) {
    Msg_ResetLast();
    u32 t = 0xDEAD;
    i32 end = -1;
    const int r = Dlg_ParseWeekTime(W16(c.text).c_str(), nullptr, nullptr, c.seconds, 1, &end, &t);
    EXPECT_EQ(c.result, r) << c.text;
    EXPECT_EQ(c.message, Msg_LastNumber()) << c.text;
    if (r <= 0) {
      EXPECT_EQ(c.time, t) << c.text;
      EXPECT_EQ(c.end, end) << c.text;
    } else {
      EXPECT_EQ(0xDEADu, t) << c.text;
    }
  }
  // Errors stay quiet unless asked for; the result is the same.
  Msg_ResetLast();
  EXPECT_EQ(2, Dlg_ParseWeekTime(u"8:60", nullptr, nullptr, 1, 0, nullptr, nullptr));
  EXPECT_EQ(0u, Msg_LastNumber());

  // Without a separator: digits only.
  Dlg_SetTimeSeparator(0);
  u32 t = 0;
  EXPECT_EQ(0, Dlg_ParseWeekTime(u"0830", nullptr, nullptr, 1, 1, nullptr, &t));
  EXPECT_EQ(0x7F081E00u, t);
  EXPECT_EQ(0, Dlg_ParseWeekTime(u"Wed083015", nullptr, nullptr, 1, 1, nullptr, &t));
  EXPECT_EQ(0x04081E0Fu, t);
}

TEST_F(SchedTest, WeekTimeFromSeparateFields) {
  u32 t = 0;
  EXPECT_EQ(0, Dlg_ParseWeekTime(u" 7", u"05", u"x", 1, 1, nullptr, &t));
  EXPECT_EQ(0x7F070500u, t) << "an unreadable second counts 0";
  EXPECT_EQ(0, Dlg_ParseWeekTime(u"7", u"5", u"9", 1, 1, nullptr, &t));
  EXPECT_EQ(0x7F070509u, t);
  Msg_ResetLast();
  EXPECT_EQ(1, Dlg_ParseWeekTime(u"", u"5", nullptr, 0, 1, nullptr, &t));
  EXPECT_EQ(341u, Msg_LastNumber());
  EXPECT_EQ(2, Dlg_ParseWeekTime(u"5", u"-", nullptr, 0, 1, nullptr, &t));
  EXPECT_EQ(343u, Msg_LastNumber());
  EXPECT_EQ(1, Dlg_ParseWeekTime(u"30", u"0", nullptr, 0, 1, nullptr, &t));
  EXPECT_EQ(342u, Msg_LastNumber());
}

}  // namespace
