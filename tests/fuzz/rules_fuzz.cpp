// Rule texts and weekly schedules, as files, dialogs and pastes give them:
// the packed schedule bytes, the 24 hour lines of the schedule editor, rule
// texts in every parse mode and week-time texts. The first byte picks the
// reader. What reads well is written by the project's writer and reads back
// as the same.
#include <cstring>
#include <memory>
#include <string>

#include "model/line.h"
#include "model/rule.h"
#include "model/sched.h"
#include "platform/fmt.h"
#include "platform/heap.h"
#include "platform/tim.h"
#include "tests/fuzz/fuzz_util.h"

namespace {
typedef u8 DayBuffers[7][TIM_DAY_SIZE];

DayBuffers* Days(int n) {
  static std::unique_ptr<DayBuffers[]> days(new DayBuffers[2]);
  return &days[n];
}

u8 g_merged[TIM_SCHEDULE_MAX];
wch g_lines[2][RULE_HOUR_LINES * RULE_HOUR_LINE];
u32 g_words[2][RULE_WORDS_MAX];

void Schedule(const u8* d, size_t n) {
  const i32 len = Tim_ScheduleCheck(d, i32(n));
  if (len < 0) return;
  FUZZ_CHECK(Tim_ScheduleLength(d) == len, len);
  FUZZ_CHECK(Tim_ScheduleCompare(d, d) == 0, len);
  for (u32 bit = 1; bit <= 64; bit <<= 1) {
    Tim_ScheduleNext(d, bit, 12, 1, 30, 30);
    Tim_ScheduleContains(d, bit, 0, 0, 0);
  }
  DayBuffers& days = *Days(0);
  FUZZ_CHECK(Tim_ScheduleExpand(d, days) == TIM_OK, 0);
  const i32 m = Tim_ScheduleMerge(days, g_merged, TIM_SCHEDULE_MAX);
  FUZZ_CHECK(m > 0 && Tim_ScheduleCheck(g_merged, m) == m, m);
  DayBuffers& again = *Days(1);
  FUZZ_CHECK(Tim_ScheduleExpand(g_merged, again) == TIM_OK, 0);
  for (int day = 0; day < 7; ++day) {
    const i32 a = Tim_ScheduleCheck(days[day], TIM_DAY_SIZE);
    FUZZ_CHECK(a > 0 && memcmp(days[day], again[day], size_t(a)) == 0, day);
  }
}

// The text as hour lines: one line per text line, each cut to its slot.
void ToLines(const std::u16string& text, wch* lines) {
  memset(lines, 0, sizeof(wch) * RULE_HOUR_LINES * RULE_HOUR_LINE);
  size_t line = 0, col = 0;
  for (char16_t c : text) {
    if (c == u'\n') {
      if (++line == RULE_HOUR_LINES) return;
      col = 0;
    } else if (col + 1 < RULE_HOUR_LINE) {
      lines[line * RULE_HOUR_LINE + col++] = c;
    }
  }
}

void HourLines(const std::u16string& text) {
  ToLines(text, g_lines[0]);
  u8* out = (*Days(0))[0];
  i32 hour = 0, count = 0;
  if (Rule_ParseSchedule(g_lines[0], &hour, out, &count) != RULE_SCHED_OK) return;
  FUZZ_CHECK(count > 0 && Tim_ScheduleCheck(out, count) == count, count);
  DayBuffers& days = *Days(1);
  FUZZ_CHECK(Tim_ScheduleExpand(out, days) == TIM_OK, 0);
  u32 mask = 0;
  Rule_ScheduleToLines(days, 1, &mask, g_lines[1]);
  FUZZ_CHECK(mask == 127, mask);
  static u8 back[TIM_DAY_SIZE];
  i32 backCount = 0;
  const int r = Rule_ParseSchedule(g_lines[1], &hour, back, &backCount);
  FUZZ_CHECK(r == RULE_SCHED_OK, r);
  FUZZ_CHECK(backCount == count && memcmp(back, out, size_t(count)) == 0, backCount);
}

void RuleText(int mode, int lenient, int perLine, const std::u16string& text) {
  const i32 n = Rule_ParseCore(text.c_str(), g_words[0], mode, lenient, 0, nullptr);
  if (n <= 0) return;
  wch* printed = nullptr;
  FUZZ_CHECK(Rule_FormatAll(g_words[0], perLine, n, &printed) == 0 && printed, n);
  const i32 m = Rule_ParseCore(printed, g_words[1], mode, lenient, 0, nullptr);
  Heap_Free(printed);
  FUZZ_CHECK(m == n, m);
  FUZZ_CHECK(memcmp(g_words[0], g_words[1], size_t(n) * 4) == 0, n);
  static wch cut[RULE_TEXT_SIZE];
  Rule_FormatCore(cut, RULE_TEXT_SIZE, g_words[0], perLine, n);
}

void WeekTime(const std::u16string& text) {
  i32 end = 0;
  u32 out = 0;
  Dlg_ParseWeekTime(text.c_str(), nullptr, nullptr, 1, 1, &end, &out);
  FUZZ_CHECK(end >= 0 && size_t(end) <= text.size(), end);
  i32 used = 0;
  Rule_ReadWeekdayList(text.c_str(), &used, 1);
  FUZZ_CHECK(used >= 0 && size_t(used) <= text.size(), used);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
  Fuzz_Init();
  static bool lines = false;
  if (!lines) {
    // Lines the rule texts may name.
    for (const char16_t* name : {u"IC", u"RE", u"S1", u"12"}) FUZZ_CHECK(Lin_Create(name, 0, 0) == 0, 0);
    Dlg_SetTimeSeparator(u':');
    lines = true;
  }
  if (size < 1) return 0;
  const u8 pick = data[0];
  const std::u16string text = Fuzz_Text(data + 1, size - 1).c_str();
  switch (pick % 4) {
    case 0: Schedule(data + 1, size - 1); break;
    case 1: HourLines(text); break;
    case 2: RuleText(1 + (pick >> 2) % 4, (pick >> 4) & 1, (pick >> 5) & 1, text); break;
    default: WeekTime(text); break;
  }
  return 0;
}
