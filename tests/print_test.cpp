#include "platform/print.h"

#include <gtest/gtest.h>

#include <string>

namespace {

typedef std::u16string wstr;

std::string Narrow(const wstr& s) {
  std::string out;
  for (char16_t c : s) out += c < 128 ? char(c) : '?';
  return out;
}

wstr Wide(const wch* fmt, ...) {
  wch buf[200];
  va_list ap;
  va_start(ap, fmt);
  const int n = Fmt_PrintV(buf, 200, fmt, ap);
  va_end(ap);
  EXPECT_EQ(size_t(n), wstr(buf).size());
  return buf;
}

// Each conversion with its flags, width, precision and size prefix, as the
// language files and file formats use them.
TEST(FmtPrint, ConversionsOfWideFormats) {
  struct Case {
    wstr got, want;
  } cases[] = {
      {Wide(u"%d|%i", -42, 7), u"-42|7"},
      {Wide(u"%5d|%-5d|%05d|%5d", 42, 42, -42, -42), u"   42|42   |-0042|  -42"},
      {Wide(u"%+d|% d|%+ d|% +d|%+d", 5, 5, 5, 5, -5), u"+5| 5|+5|+5|-5"},
      {Wide(u"%-+5d|%+05d", 3, 3), u"+3   |+0003"},
      {Wide(u"%x %X %04x %u", 255u, 255u, 10u, 4294967295u), u"ff FF 000a 4294967295"},
      {Wide(u"%d", int(0x80000000u)), u"-2147483648"},
      {Wide(u"%lld %I64u %llx", -5000000000LL, 18446744073709551615ULL, 0x123456789ULL),
       u"-5000000000 18446744073709551615 123456789"},
      {Wide(u"%ld %hd %lu", 7, 8, 9u), u"7 8 9"},
      {Wide(u"%*d|%-*d|%*d|", 4, 1, 4, 2, -4, 3), u"   1|2   |3   |"},
      {Wide(u"%.3s|%5s|%-5s|%*.*s|%.0s.", u"abcdef", u"ab", u"ab", 6, 2, u"xyz", u"abc"), u"abc|   ab|ab   |    xy|."},
      {Wide(u"%hs|%.2hs|%-4hs|", "narrow", "narrow", "ab"), u"narrow|na|ab  |"},
      {Wide(u"%s|%hs", static_cast<const wch*>(nullptr), static_cast<const char*>(nullptr)), u"(null)|(null)"},
      {Wide(u"%c|%3c|%-3c|%c", u'A', u'B', u'C', 0x20AC), u"A|  B|C  |\u20AC"},
      {Wide(u"%s", u"\u00E4\u20AC"), u"\u00E4\u20AC"},
      {Wide(u"100%%"), u"100%"},
      {Wide(u"%q%d", 1), u"%q1"},
      {Wide(u"end%"), u"end"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << Narrow(c.want);
}

TEST(FmtPrint, NarrowFormatsTakeNarrowStrings) {
  char buf[100];
  EXPECT_EQ(Fmt_PrintA(buf, 100, "%s|%5.2s|%c|%-3d|%hs", "abc", "xyz", 'z', 7, "h"), 17);
  EXPECT_EQ(std::string(buf), "abc|   xy|z|7  |h");
  EXPECT_EQ(Fmt_PrintA(buf, 100, "%s", static_cast<const char*>(nullptr)), 6);
  EXPECT_EQ(std::string(buf), "(null)");
}

// The output is cut at the buffer and always terminated; the result counts
// what was written.
TEST(FmtPrint, OutputIsCutAtTheBuffer) {
  wch buf[8];
  for (wch& c : buf) c = u'#';
  EXPECT_EQ(Fmt_Print(buf, 6, u"%s%d", u"abcd", 1234), 5);
  EXPECT_EQ(wstr(buf), u"abcd1");
  EXPECT_EQ(buf[6], u'#') << "nothing is written past the buffer";
  EXPECT_EQ(Fmt_Print(buf, 1, u"%s", u"abc"), 0);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(Fmt_Print(buf, 0, u"%s", u"abc"), 0);
  // Without a buffer the result is what was written: nothing, however long
  // the output would be.
  EXPECT_EQ(Fmt_Print(nullptr, 10, u"%s", u"abc"), 0);
  EXPECT_EQ(Fmt_Print(nullptr, 10, u"%s", u"a text longer than ten"), 0);
  EXPECT_EQ(Fmt_Print(buf, -3, u"%s", u"abc"), 0);
  EXPECT_EQ(Fmt_PrintA(nullptr, 10, "%d", 123456789), 0);
  char nbuf[4];
  EXPECT_EQ(Fmt_PrintA(nbuf, 4, "%5d", 1), 3);
  EXPECT_EQ(std::string(nbuf), "   ");
}

}  // namespace
