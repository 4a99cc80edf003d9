// Dates and times in the locale's form.
#include <gtest/gtest.h>

#include "platform/dfwfmt.h"
#include "platform/os.h"
#include "tests/test_util.h"

namespace {

TEST(DfwFmt, DatePatterns) {
  struct Case {
    const char* pattern;
    u32 d, m, y;
    const char* text;
  } cases[] = {{"M/d/yyyy", 5, 3, 2007, "3/5/2007"},   {"dd.MM.yyyy", 5, 3, 2007, "05.03.2007"},
               {"d/M/yy", 5, 3, 2007, "5/3/2007"},     {"yyyy-MM-dd", 25, 12, 1999, "1999-12-25"},
               {"dd. MMM", 1, 2, 2000, "01. 022"}};
  for (const Case& c : cases) {
    wch out[DFW_DATE_MAX + 1];
    Dfw_FormatDatePattern(W16(c.pattern).c_str(), c.d, c.m, c.y, out);
    EXPECT_EQ(W16(c.text), wstr(out)) << c.pattern;
  }
}

TEST(DfwFmt, TimeForms) {
  OsTimeLocale h24 = {1, u":", u"AM", u"PM", 1};
  OsTimeLocale h12 = {0, u".", u" am", u" pm", 0};
  struct Case {
    const OsTimeLocale* form;
    u32 h, m, s;
    const char* text;
  } cases[] = {{&h24, 0, 5, 9, "00:05:09"},   {&h24, 23, 59, 59, "23:59:59"}, {&h12, 0, 0, 0, "12.00.00 am"},
               {&h12, 12, 30, 0, "12.30.00 pm"}, {&h12, 13, 1, 2, "1.01.02 pm"}, {&h12, 11, 0, 0, "11.00.00 am"}};
  for (const Case& c : cases) {
    wch out[64];
    Dfw_FormatTimeWith(c.form, c.h, c.m, c.s, out);
    EXPECT_EQ(W16(c.text), wstr(out)) << c.text;
  }
}

}  // namespace
