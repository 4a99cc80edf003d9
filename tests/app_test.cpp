// Start-up decisions: the command line, the start-up and start-error texts,
// the language of a Windows language id, the pacing arithmetic, the clock
// window's place, and the start example with its train running on it.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "model/dep.h"
#include "model/grid.h"
#include "model/hst.h"
#include "model/line.h"
#include "operation/clock.h"
#include "operation/dmsg.h"
#include "operation/pts.h"
#include "operation/trn.h"
#include "operation/trnlist.h"
#include "platform/fio.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "render/vehicles.h"
#include "shell/app.h"
#include "shell/ewin.h"
#include "shell/wire.h"
#include "tests/test_util.h"

namespace {

// ---------------------------------------------------------------- command line

struct Parsed {
  int bits;
  wstr program, file, settings;
  int scale;
  i32 title;
  int language;
};

Parsed Parse(const wstr& line) {
  wch program[APP_PATH_MAX], file[APP_PATH_MAX], settings[APP_PATH_MAX];
  Parsed p;
  p.scale = -1;
  p.title = -1;
  StartupLanguage = 0;
  p.bits = App_ParseCommandLine(line.c_str(), program, file, settings, &p.scale, &p.title);
  p.program = program;
  p.file = file;
  p.settings = settings;
  p.language = StartupLanguage;
  return p;
}

TEST(AppCommandLine, AcceptedLines) {
  struct Case {
    const char16_t* line;
    int bits;
    const char16_t *program, *file, *settings;
    int scale;
    i32 title;
    int language;
  } cases[] = {
      {u"orba.exe", 0, u"orba.exe", u"", u"", 0, -1, 0},
      {u"\"C:\\Program Files\\orba.exe\"", 0, u"C:\\Program Files\\orba.exe", u"", u"", 0, -1, 0},
      {u"\"C:\\a b\\orba.exe\"   /q", APP_SW_Q, u"C:\\a b\\orba.exe", u"", u"", 0, -1, 0},
      {u"orba.exe layout.nt3", APP_SW_FILE | APP_SW_N, u"orba.exe", u"layout.nt3", u"", 0, -1, 0},
      {u"orba.exe \"my layout.nt3\" -stop", APP_SW_FILE | APP_SW_N | APP_SW_STOP, u"orba.exe", u"my layout.nt3",
       u"", 0, -1, 0},
      {u"orba.exe x.nt3 /N", APP_SW_FILE | APP_SW_N, u"orba.exe", u"x.nt3", u"", 0, -1, 0},
      {u"orba.exe /TNR=2", APP_SW_TNR, u"orba.exe", u"", u"", 0, 2, 0},
      {u"orba.exe -tnr=0 /Stop", APP_SW_TNR | APP_SW_STOP, u"orba.exe", u"", u"", 0, 0, 0},
      {u"orba.exe /z=n2", APP_SW_Z, u"orba.exe", u"", u"", 2, -1, 0},
      {u"orba.exe / Z=N1", APP_SW_Z, u"orba.exe", u"", u"", 1, -1, 0},
      {u"orba.exe /I=\"D:\\cfg\\my.ini\"", APP_SW_I, u"orba.exe", u"", u"D:\\cfg\\my.ini", 0, -1, 0},
      {u"orba.exe /LD", APP_SW_LANG, u"orba.exe", u"", u"", 0, -1, 1},
      {u"orba.exe /les", APP_SW_LANG, u"orba.exe", u"", u"", 0, -1, 5},
      {u"orba.exe /LFR", APP_SW_LANG, u"orba.exe", u"", u"", 0, -1, 2},
      {u"orba.exe /lnl", APP_SW_LANG, u"orba.exe", u"", u"", 0, -1, 3},
      {u"orba.exe /LPL", APP_SW_LANG, u"orba.exe", u"", u"", 0, -1, 4},
      {u"orba.exe /LE", APP_SW_LANG, u"orba.exe", u"", u"", 0, -1, 0},
      {u"orba.exe\t/n\t/stop  /q /lpl /z=N1 /I=\"a.ini\" f.nt3",
       APP_SW_N | APP_SW_STOP | APP_SW_Q | APP_SW_LANG | APP_SW_Z | APP_SW_I | APP_SW_FILE, u"orba.exe", u"f.nt3",
       u"a.ini", 1, -1, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.line));
    const Parsed p = Parse(c.line);
    EXPECT_EQ(c.bits, p.bits);
    EXPECT_EQ(wstr(c.program), p.program);
    EXPECT_EQ(wstr(c.file), p.file);
    EXPECT_EQ(wstr(c.settings), p.settings);
    EXPECT_EQ(c.scale, p.scale);
    EXPECT_EQ(c.title, p.title);
    EXPECT_EQ(c.language, p.language);
  }
}

TEST(AppCommandLine, RefusedLines) {
  const char16_t* lines[] = {
      u"orba.exe a.nt3 b.nt3",          // two file names
      u"orba.exe /Q /TNR=2",            // Q with TNR=, either order, any case
      u"orba.exe /tnr=2 -q",
      u"orba.exe /Q /Q",                // repeated switches
      u"orba.exe /N -n",
      u"orba.exe /STOP /stop",
      u"orba.exe /TNR=1 /TNR=2",
      u"orba.exe /Z=N1 /Z=N2",
      u"orba.exe /I=\"a\" /I=\"b\"",
      u"orba.exe /LD /LE",              // a second language switch
      u"orba.exe /TNR=",                // not a number or negative
      u"orba.exe /TNR=x",
      u"orba.exe /TNR=-1",
      u"orba.exe /TNR=2a",
      u"orba.exe /TNR=99999999999",
      u"orba.exe /Z=N3",                // scale other than 1 and 2
      u"orba.exe /Z=N",
      u"orba.exe /Z=N12",
      u"orba.exe /Z=2",
      u"orba.exe /I=\"my file.ini\"",   // the word ends at the blank: no closing quote
      u"orba.exe /I=\"a.ini",
      u"orba.exe /I=a.ini",
      u"orba.exe /X",                   // unknown words
      u"orba.exe /QQ",
      u"orba.exe /",
      u"orba.exe \"unclosed.nt3",       // a file name without its closing quote
  };
  for (const char16_t* line : lines) {
    SCOPED_TRACE(U8(line));
    EXPECT_TRUE(Parse(line).bits & APP_SW_ERROR);
  }
}

TEST(AppCommandLine, LanguageSwitchChoosesTheUsageBoxLanguage) {
  EXPECT_TRUE(Parse(u"orba.exe /LD /X").bits & APP_SW_ERROR);
  EXPECT_EQ(1, StartupLanguage);
  // Without a language switch the language stays as it was.
  StartupLanguage = 3;
  wch program[APP_PATH_MAX], file[APP_PATH_MAX], settings[APP_PATH_MAX];
  int scale = 0;
  i32 title = 7;
  EXPECT_EQ(APP_SW_STOP, App_ParseCommandLine(u"orba.exe /STOP", program, file, settings, &scale, &title));
  EXPECT_EQ(3, StartupLanguage);
  EXPECT_EQ(7, title) << "an absent TNR= keeps the caller's number";
  StartupLanguage = 0;
}

TEST(AppCommandLine, OverLongNamesAreRefusedNotCopied) {
  const wstr longest(APP_PATH_MAX - 1, u'a');
  const wstr tooLong(APP_PATH_MAX, u'a');
  EXPECT_EQ(longest, Parse(u"orba.exe " + longest).file);
  EXPECT_EQ(longest, Parse(u"orba.exe \"" + longest + u"\"").file);
  EXPECT_EQ(longest, Parse(longest).program);
  EXPECT_EQ(longest, Parse(u"orba.exe /I=\"" + longest + u"\"").settings);
  for (const wstr& line : {u"orba.exe " + tooLong, u"orba.exe \"" + tooLong + u"\"", tooLong,
                           u"\"" + tooLong + u"\" /Q", u"orba.exe /I=\"" + tooLong + u"\""}) {
    const Parsed p = Parse(line);
    EXPECT_TRUE(p.bits & APP_SW_ERROR);
    EXPECT_LT(p.file.size() + p.program.size() + p.settings.size(), size_t(APP_PATH_MAX));
  }
}

// ---------------------------------------------------------------- texts

TEST(AppTexts, UsageTextAsListed) {
  EXPECT_EQ(wstr(u"\r\n"
                 u"Correct usage:  ORBAnnn.EXE [filename] [switches]\r\n"
                 u"Filename:  Load this layout file   xxx[.nt3]\r\n"
                 u"Switches: [N] [STOP] [Q | TNR=number] [Z=N1 | Z=N2] [I=\"filename\"] "
                 u"[LD | LE | LES | LFR | LNL | LPL]\r\n"
                 u"(all switches start with '/' or '-', e.g. /Q)\r\n"
                 u"N\t\t\tWithout start example\r\n"
                 u"STOP\t\t\tSet STOP status\r\n"
                 u"Q\t\t\tWithout title screen\r\n"
                 u"TNR=number\t\tShow title screen with that number (e.g. /TNR=2)\r\n"
                 u"Z=N1/N2\t\t\tFirst Edit window normal mode zoom factor=1 or 2\r\n"
                 u"I=\"filename\"\t\tUse this configuration (options) file\r\n"
                 u"Lx (x=D/E/ES/FR/NL/PL)\tThis message in German/English/Spanish/French/Dutch/Polish"),
            wstr(Lng_StartupText(0, 8)));
  for (int language = 1; language < 6; ++language) {
    const wstr usage = Lng_StartupText(language, 8);
    SCOPED_TRACE(language);
    EXPECT_EQ(0u, usage.find(u"\r\n"));
    EXPECT_NE(wstr::npos, usage.find(u"[LD | LE | LES | LFR | LNL | LPL]"));
    EXPECT_NE(wstr::npos, usage.find(u"\r\nZ=N1/N2\t\t\t"));
    EXPECT_NE(usage, wstr(Lng_StartupText(0, 8)));
  }
  EXPECT_EQ(wstr(Lng_StartupText(0, 7)), wstr(Lng_StartupText(6, 7)));
  EXPECT_EQ(wstr(u""), wstr(Lng_StartupText(1, 2)));
}

TEST(AppTexts, StartErrorBoxes) {
  struct Case {
    u32 code;
    int language;
    const char16_t *caption, *body;
  } cases[] = {
      {72, 0, u"Initialization error #72:", u"File incorrect: orba.lng\r\nprogram canceled"},
      {21, 0, u"Initialization error #21:", u"File not found: orba.gzg\r\nprogram canceled"},
      {23, 0, u"Initialization error #23:", u"File incorrect: orba.gzg\r\nprogram canceled"},
      {24, 0, u"Initialization error #24:", u"File incorrect: orba.fzg\r\nprogram canceled"},
      {71, 0, u"Initialization error #71:", u"File not found: orba.lng\r\nprogram canceled"},
      {74, 0, u"Initialization error #74:", u"File not found: orba.lnv\r\nprogram canceled"},
      {76, 0, u"Initialization error #76:", u"File incorrect: orba.lnv\r\nprogram canceled"},
      {80, 0, u"Initialization error #80:", u"PentiumPro CPU or newer needed\r\nprogram canceled"},
      {9, 0, u"Initialization error #9:", u"Out of memory\r\nprogram canceled"},
      {26, 0, u"Initialization error #26:", u"Out of memory\r\nprogram canceled"},
      {72, 1, u"Startfehler 72:", u"Datei defekt: orba.lng\r\nProgramm abgebrochen"},
      {14, 9, u"Initialization error #14:", u"Out of memory\r\nprogram canceled"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    wch caption[80], body[200];
    App_StartErrorText(c.code, c.language, caption, 80, body, 200);
    EXPECT_EQ(wstr(c.caption), wstr(caption));
    EXPECT_EQ(wstr(c.body), wstr(body));
  }
  wch caption[8], body[10];
  App_StartErrorText(72, 0, caption, 8, body, 10);
  EXPECT_EQ(wstr(u"Initial"), wstr(caption)) << "cut at the buffer";
  EXPECT_EQ(wstr(u"File inco"), wstr(body));
}

TEST(AppTexts, LanguageOfLangId) {
  struct Case {
    u16 id;
    int language;
  } cases[] = {{0x0407, 1}, {0x0C07, 1}, {0x040A, 5}, {0x0C0A, 5}, {0x040C, 2}, {0x080C, 2}, {0x0413, 3},
               {0x0813, 3}, {0x0415, 4}, {0x0409, 0}, {0x0809, 0}, {0x0410, 0}, {0x0000, 0}, {0x0007, 1}};
  for (const Case& c : cases) EXPECT_EQ(c.language, App_LanguageOfLangId(c.id)) << std::hex << c.id;
}

// ---------------------------------------------------------------- pacing

TEST(AppPacing, ElapsedTimeFillsTheBudget) {
  struct Case {
    i32 budget;
    u32 last, now;
    i32 wantBudget;
  } cases[] = {
      {0, 1000, 1020, 20},
      {-15, 1000, 1037, 22},           // the owed part of a portion is carried
      {0, 1000, 6000, 200},            // a pause of 5 s is capped
      {-19, 1000, 6000, 200},
      {0, 0xFFFFFFF0u, 0x10, 20},      // the tick count wrapped: exactly 20
      {190, 0xFFFFFFF0u, 0x10, 200},
      {0, 0, 123456789, 200},          // the first tick
      {5, 1000, 1000, 5},
  };
  for (const Case& c : cases) {
    i32 budget = c.budget;
    u32 last = c.last;
    App_AddElapsed(&budget, &last, c.now);
    EXPECT_EQ(c.wantBudget, budget) << c.last << " -> " << c.now;
    EXPECT_EQ(c.now, last);
  }
  // After 5 s the capped budget pays for 10 portions of 20 ms.
  i32 budget = 0;
  u32 last = 500;
  App_AddElapsed(&budget, &last, 5500);
  int portions = 0;
  while (budget >= 1) {
    budget -= 20;
    ++portions;
  }
  EXPECT_EQ(10, portions);
}

TEST(AppPacing, StepsPerPortion) {
  struct Case {
    int running, speed, bremsF, steps;
  } cases[] = {
      {1, 15, 450, 75}, {1, 2, 450, 1}, {1, 20, 450, 133}, {1, 10, 450, 33}, {1, 3, 450, 3},
      {1, 15, 69, 450},  // a factor below 70 divides by 1
      {1, 15, 5000, 6}, {1, 2, 5000, 1}, {0, 15, 450, 1}, {0, 1, 450, 1},
  };
  for (const Case& c : cases) {
    i32 acc = 0;
    EXPECT_EQ(c.steps, App_PortionSteps(c.running, c.speed, c.bremsF, &acc))
        << c.running << " " << c.speed << " " << c.bremsF;
    EXPECT_EQ(0, acc) << "only speed 1 uses the accumulator";
  }
  i32 acc = 0;
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(2, App_PortionSteps(1, 1, 450, &acc));
    EXPECT_EQ(0, acc);
  }
  acc = 7;
  EXPECT_EQ(2, App_PortionSteps(1, 1, 450, &acc));
  EXPECT_EQ(7, acc);
}

TEST(AppClock, OffTheWorkAreaIsCentredOnThatAxisOnly) {
  struct Case {
    i32 x, y, wantX, wantY;
  } cases[] = {
      {100, 50, 100, 50},     // inside stays
      {0, 0, 0, 0},           // the corners of the allowed range
      {660, 540, 660, 540},
      {661, 50, 330, 50},     // right of right - width: x centred, y kept
      {-1, 50, 330, 50},
      {100, 541, 100, 270},
      {100, -5000, 100, 270},
      {5000, 5000, 330, 270},
  };
  for (const Case& c : cases) {
    i32 x = c.x, y = c.y;
    App_PlaceClock(0, 0, 800, 600, 140, 60, &x, &y);
    EXPECT_EQ(c.wantX, x) << c.x << "," << c.y;
    EXPECT_EQ(c.wantY, y) << c.x << "," << c.y;
  }
  // A work area that does not start at 0 and an odd remainder: halving
  // rounds toward zero, also when the window is wider than the area.
  i32 x = -10, y = -10;
  App_PlaceClock(-1280, 30, 0, 1051, 141, 60, &x, &y);
  EXPECT_EQ(-1280 + (1280 - 141) / 2, x);
  EXPECT_EQ(30 + (1051 - 30 - 60) / 2, y);
  x = 0;
  y = 0;
  App_PlaceClock(0, 0, 101, 50, 140, 60, &x, &y);
  EXPECT_EQ(-19, x);
  EXPECT_EQ(-5, y);
}

// ---------------------------------------------------------------- start example

const i32 kLeft = 16380, kRight = 16389, kTop = 16375, kBottom = 16392;
typedef std::pair<i32, i32> Pos;

class AppStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Wire_InstallHooks();
    ASSERT_EQ(0, Test_LoadTexts());
    ASSERT_EQ(0, Grid_Init());
    Grid_Clear();
    TrnList_FreeAll();
    Dep_Clear();
    Hst_Clear();
    Pts_FreeAll();
    Lin_Init();
    Lin_Clear();
    Dmsg_Clear();
    Gfx_EmptyVehicleSets();
    Clk_Reset();
    Clk_ResetPhases();
    Clk_SetLayoutScale(64);
    ViaTimer = 0;
    Msg_ResetLast();
  }
  void TearDown() override {
    TrnList_FreeAll();
    Hst_Clear();
    Pts_FreeAll();
    Dep_Clear();
    Lin_Clear();
    Grid_Clear();
    Gfx_EmptyVehicleSets();
  }
  // Every cell of the example's box.
  static std::map<Pos, CellCode> Cells() {
    std::map<Pos, CellCode> m;
    for (i32 y = kTop - 2; y <= kBottom + 2; ++y)
      for (i32 x = kLeft - 3; x <= kRight + 2; ++x) {
        const CellCode c = Grid_GetCell(x, y, 0);
        if (c != CELL_EMPTY) m[{x, y}] = c;
      }
    return m;
  }
};

TEST_F(AppStartTest, LayoutCellsAndRecords) {
  ASSERT_EQ(0, App_BuildStartLayout());
  EXPECT_EQ(0u, Msg_Count());
  struct Cell {
    i32 x, y;
    CellCode code;
  } cells[] = {
      {16380, 16377, 1},     {16380, 16390, 1},     {16389, 16377, 1},     {16389, 16390, 1},
      {16382, 16375, 0},     {16387, 16375, 0},     {16382, 16392, 0},     {16387, 16392, 0},
      {16381, 16375, 543},   {16380, 16376, 539},   {16388, 16375, 540},   {16389, 16376, 536},
      {16380, 16391, 538},   {16381, 16392, 542},   {16389, 16391, 537},   {16388, 16392, 541},
      {16389, 16379, 264},   {16383, 16375, 266},   {16386, 16392, 267},   {16380, 16387, 265},
      {16389, 16380, 160},   {16389, 16381, 160},   {16379, 16383, 539},   {16379, 16384, 1},
      {16379, 16385, 137},   {16379, 16386, 137},   {16379, 16387, 137},   {16379, 16388, 538},
      {16380, 16382, 54},    {16380, 16389, 53},    {16384, 16380, 51210}, {16387, 16388, 51212},
      {16388, 16388, 51216}, {16385, 16382, 51222}, {16383, 16389, 54020}, {16386, 16383, 53760},
  };
  const auto all = Cells();
  for (const Cell& c : cells) {
    const auto it = all.find({c.x, c.y});
    ASSERT_NE(all.end(), it) << c.x << "," << c.y;
    EXPECT_EQ(c.code, it->second) << c.x << "," << c.y;
  }
  // Two columns of 14, two rows of 6, 8 corners, the siding of 6 and 6
  // symbols, nothing else.
  EXPECT_EQ(60u, all.size());

  struct Stop {
    i32 x, y;
    u32 kind;
    u8 dirMask;
    i64 typeMask;
  } stops[] = {{16389, 16379, 2, 1, 255}, {16383, 16375, 11, 4, 1}, {16386, 16392, 12, 8, 1023},
               {16380, 16387, 13, 2, 1}};
  EXPECT_EQ(4u, Hst_Count(nullptr));
  for (const Stop& s : stops) {
    u8 dirMask = 0;
    u32 flags = 99, pairs = 99, words = 99;
    EXPECT_EQ(s.typeMask, Hst_GetInfo(s.x, s.y, 0, &pairs, nullptr, &words, nullptr, nullptr, &dirMask, &flags));
    EXPECT_EQ(s.dirMask, dirMask);
    EXPECT_EQ(0u, flags);
    EXPECT_EQ(0u, pairs);
    EXPECT_EQ(0u, words);
    EXPECT_EQ(s.kind, Hst_GetKind(s.x, s.y, 0, 1));
  }

  u32 place = 0;
  const u32 depot = Dep_FindAtPosition(16379, 16386, 0, &place);
  ASSERT_NE(0u, depot);
  EXPECT_EQ(1u, place);
  u32 places = 0;
  EXPECT_EQ(1u, Dep_Count(&places));
  EXPECT_EQ(1u, places);
  const DepotRec* d = Dep_Find(depot, 0, nullptr);
  ASSERT_TRUE(d);
  EXPECT_EQ(wstr(Lng_GetText(1380)), wstr(d->Name));
  EXPECT_EQ(wstr(Lng_GetText(1381)), wstr(d->Short));
  DepotPlaceInfo info;
  ASSERT_EQ(0, Dep_GetPlace(depot, 1, &info));
  EXPECT_EQ(30000u, info.WaitMs);
  EXPECT_EQ(2u, info.Directions) << "trains leave the place southwards";

  // Two turnout controllers with their own ids: by line at the upper
  // turnout, with the depot in the list of the siding's branch; the asking
  // kind at the lower one.
  EXPECT_EQ(2u, Pts_GetStats(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr));
  struct Controller {
    i32 y;
    u32 kind, entry, exit1, exit2;
  } controllers[] = {{16382, PTS_KIND_BY_LINE1, 1, 2, 0x40}, {16389, PTS_KIND_DISPATCH, 2, 1, 0x20}};
  u32 ids[2];
  for (int i = 0; i < 2; ++i) {
    const Controller& want = controllers[i];
    const TurnoutController* c = Pts_Find(kLeft, want.y, 0, 0);
    ASSERT_TRUE(c) << want.y;
    EXPECT_EQ(want.kind, c->Kind);
    EXPECT_EQ(want.entry, c->EntryDir);
    EXPECT_EQ(want.exit1, c->Exit1);
    EXPECT_EQ(want.exit2, c->Exit2);
    EXPECT_EQ(0u, c->Exit3);
    ids[i] = c->Id;
  }
  EXPECT_NE(0u, ids[0]);
  EXPECT_NE(0u, ids[1]);
  EXPECT_NE(ids[0], ids[1]);
  for (int n = 1; n <= 6; ++n) {
    u32 count = 99;
    const u32* words = nullptr;
    ASSERT_EQ(0, Pts_GetPositionList(kLeft, 16382, 0, n, &count, &words, 0));
    if (n != 5) {
      EXPECT_EQ(0u, count) << "list " << n;
      continue;
    }
    ASSERT_EQ(2u, count);
    EXPECT_EQ(depot, words[0]);
    EXPECT_EQ(0u, words[1]) << "every place of the depot";
  }

  i32 minX, minY, minLevel, maxX, maxY, maxLevel;
  ASSERT_EQ(0, Grid_GetExtent(&minX, &minY, &minLevel, 0, &maxLevel, &maxY, &maxX));
  EXPECT_EQ(16379, minX);
  EXPECT_EQ(kTop, minY);
  EXPECT_EQ(kRight, maxX);
  EXPECT_EQ(kBottom, maxY);
  EXPECT_EQ(0, minLevel);
  EXPECT_EQ(0, maxLevel);
}

TEST_F(AppStartTest, RefusedLayoutChangesNothing) {
  // The depot names are taken: nothing is laid, one numbered message.
  DepotPlace p;
  std::memset(&p, 0, sizeof p);
  p.X = 10;
  p.Y = 10;
  p.Number = 1;
  ASSERT_EQ(0, Dep_InsertPlace(1, Lng_GetText(1380), u"Other", &p));
  ASSERT_EQ(1, Grid_SetCell(16384, 16384, 0, 5));
  EXPECT_EQ(1, App_BuildStartLayout());
  EXPECT_EQ(630u, Msg_LastNumber());
  EXPECT_EQ(1u, Msg_Count());
  EXPECT_EQ(1u, Dep_Count(nullptr));
  EXPECT_EQ(0u, Hst_Count(nullptr));
  EXPECT_EQ(0u, Pts_GetStats(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr));
  const auto all = Cells();
  ASSERT_EQ(1u, all.size());
  EXPECT_EQ(5, all.begin()->second);
}

TEST_F(AppStartTest, TheStartTrainsVehiclesCarryTheBitsALoadGivesThem) {
  // A load takes the turned picture and bits 3..5 of each vehicle from its
  // graphic; the start train once lacked them, so that its layout, saved and
  // loaded, came back with another train.
  ASSERT_EQ(0, App_BuildStartLayout());
  ASSERT_EQ(0, App_BuildStartTrain());
  const TrainRec* t = TrnList_GetFirst();
  ASSERT_TRUE(t);
  u32 withBits = 0;
  for (u32 i = 0; i < t->VehicleCount; ++i) {
    const TrainVehicle& v = Trn_Vehicles(t)[i];
    const u32 gfx = Gfx_GetVehicleFlags(v.Vehicle);
    EXPECT_EQ((gfx & TRN_VEH_PICTURE_TURNED) | (gfx & TRN_VEH_GFX_BITS), v.VehFlags) << i;
    withBits |= v.VehFlags;
  }
  EXPECT_NE(0u, withBits) << "the start vehicles have bits to carry";
}

TEST_F(AppStartTest, TrainLeavesTheDepotAndStopsAlongTheOval) {
  ASSERT_EQ(0, App_BuildStartLayout());
  const auto laid = Cells();
  ASSERT_EQ(0, App_BuildStartTrain());
  EXPECT_EQ(0u, Msg_Count());

  const i32 line = Lin_FindByName(Lng_GetText(1380));
  ASSERT_GT(line, 0);
  ASSERT_EQ(1u, Trn_GetCount());
  TrainRec* t = TrnList_Find(u32(line), 0);
  ASSERT_TRUE(t);
  EXPECT_EQ(1, t->Number);
  ASSERT_EQ(4u, t->VehicleCount);
  for (u32 i = 0; i < t->VehicleCount; ++i) EXPECT_FALSE(Trn_Vehicles(t)[i].VehFlags & TRN_VEH_MISSING);
  EXPECT_GT(t->TailOffset, 32u * 4) << "the vehicles' lengths were found";
  EXPECT_GE(t->LastCell, (t->TailOffset + 28 + 31) / 32);
  // Placed at its depot place, waiting to leave it southwards; no cell taken.
  EXPECT_TRUE(t->StateFlags & TRN_DEPOT_WAIT);
  EXPECT_FALSE(t->StateFlags & TRN_OFF_TRACK);
  EXPECT_EQ(16379, Trn_Cells(t)[0].X);
  EXPECT_EQ(16386, Trn_Cells(t)[0].Y);
  EXPECT_EQ(0, t->DirX);
  EXPECT_EQ(1, t->DirY);
  EXPECT_EQ(laid, Cells());

  // Run: the head's cells and the stops it makes, in order.
  std::vector<Pos> heads, stops;
  bool atStop = false;
  for (int tick = 0; tick < 100 * 60 * 5 && stops.size() < 3; ++tick) {
    Clk_Tick();
    if (t->StateFlags & (TRN_DEPOT_WAIT | TRN_OFF_TRACK)) continue;
    const TrainCell& h = Trn_Cells(t)[0];
    if (heads.empty() || heads.back() != Pos(h.X, h.Y)) heads.push_back({h.X, h.Y});
    const bool now = (t->StateFlags & TRN_AT_STOP) != 0;
    if (now && !atStop) stops.push_back({h.X, h.Y});
    atStop = now;
  }
  // Out of the siding through the lower turnout, east along the bottom, up
  // the right side, west along the top: a stop on each side.
  ASSERT_EQ(3u, stops.size()) << "stops made: " << stops.size() << ", cells entered: " << heads.size();
  EXPECT_EQ(Pos(16386, kBottom), stops[0]);
  EXPECT_EQ(Pos(kRight, 16379), stops[1]);
  EXPECT_EQ(Pos(16383, kTop), stops[2]);
  // Leaving the place, the head enters the next cell at once.
  const std::vector<Pos> start = {{16379, 16387}, {16379, 16388},
                                                  {kLeft, 16389},  {kLeft, 16390},  {kLeft, 16391},
                                                  {16381, kBottom}, {16382, kBottom}};
  ASSERT_GE(heads.size(), start.size());
  EXPECT_EQ(start, std::vector<Pos>(heads.begin(), heads.begin() + start.size()));

  // Every cell the train covers keeps the laid code under the train; every
  // other cell shows it.
  u32 marked = 0;
  for (const auto& kv : Cells()) {
    if (kv.second >= CELL_TRAIN_FIRST && kv.second <= CELL_TRAIN_LAST) {
      EXPECT_EQ(t->MarkerCode, kv.second);
      ++marked;
      continue;
    }
    EXPECT_EQ(laid.at(kv.first), kv.second) << kv.first.first << "," << kv.first.second;
  }
  u32 slots = 0;
  for (u32 k = 0; k <= t->LastCell; ++k) {
    const TrainCell& c = Trn_Cells(t)[k];
    if (c.SavedCode == TRN_NO_CODE) continue;
    ++slots;
    EXPECT_EQ(laid.at(Pos(c.X, c.Y)), c.SavedCode);
  }
  EXPECT_EQ(slots, marked);
  EXPECT_GE(marked, 8u) << "a train of four vehicles covers at least 8 cells";
}

// The start train circles the oval: between two passes of a cell on the
// right side it makes exactly the four stops of the oval, in order, twice.
TEST_F(AppStartTest, TrainCirclesTheOvalStoppingAtEveryStop) {
  ASSERT_EQ(0, App_BuildStartLayout());
  ASSERT_EQ(0, App_BuildStartTrain());
  TrainRec* t = TrnList_GetFirst();
  ASSERT_TRUE(t);
  EXPECT_FALSE(t->StateFlags & TRN_IN_SERVICE) << "the start train has no timetable";

  const Pos mark(kRight, 16385);
  std::vector<std::vector<Pos>> laps;  // the stops made after each pass of the mark
  Pos last(0, 0);
  bool atStop = false;
  int tick = 0;
  for (; tick < 100 * 60 * 20 && laps.size() < 3; ++tick) {
    Clk_Tick();
    if (t->StateFlags & (TRN_DEPOT_WAIT | TRN_OFF_TRACK)) continue;
    const TrainCell& h = Trn_Cells(t)[0];
    const Pos head(h.X, h.Y);
    if (head == mark && last != mark) laps.push_back({});
    last = head;
    const bool now = (t->StateFlags & TRN_AT_STOP) != 0;
    if (now && !atStop && !laps.empty()) laps.back().push_back(head);
    atStop = now;
  }
  ASSERT_EQ(3u, laps.size()) << "passes of the mark within " << tick << " ticks";
  const std::vector<Pos> lap = {{kRight, 16379}, {16383, kTop}, {kLeft, 16387}, {16386, kBottom}};
  EXPECT_EQ(lap, laps[0]);
  EXPECT_EQ(lap, laps[1]);
  EXPECT_TRUE(laps[2].empty());
  // The lower turnout was only ever passed from its branch side: no train
  // came up to it, so it posted nothing.
  EXPECT_EQ(0u, Dmsg_Count());
}

// Run the way the program runs it: the idle step with the simulation on, at
// the default speed step, for two simulated hours. The train keeps lapping:
// every stop of the oval is made again and again, and no stop is ever more
// than two simulated minutes after the one before.
TEST_F(AppStartTest, TrainKeepsLappingForTwoHoursOfIdleSteps) {
  ASSERT_EQ(0, App_BuildStartLayout());
  ASSERT_EQ(0, App_BuildStartTrain());
  TrainRec* t = TrnList_GetFirst();
  ASSERT_TRUE(t);
  ASSERT_EQ(0, Clk_SetSpeed(CLK_SPEED_DEFAULT));
  SimRunFlag = 1;
  std::map<Pos, int> made;
  bool atStop = false;
  long lastStop = 0, longestGap = 0;
  const long ticks = 100L * 3600 * 2;
  for (long tick = 1; tick <= ticks; ++tick) {
    App_IdleStep();
    const bool now = (t->StateFlags & TRN_AT_STOP) != 0;
    if (now && !atStop) {
      const TrainCell& h = Trn_Cells(t)[0];
      made[{h.X, h.Y}]++;
      if (tick - lastStop > longestGap) longestGap = tick - lastStop;
      lastStop = tick;
    }
    atStop = now;
  }
  SimRunFlag = 0;
  if (ticks - lastStop > longestGap) longestGap = ticks - lastStop;
  EXPECT_EQ(2, g_simClock.hour);
  EXPECT_EQ(0, g_simClock.minute);
  EXPECT_EQ(4u, made.size()) << "only the four stops of the oval";
  for (const Pos& stop : {Pos(kRight, 16379), Pos(16383, kTop), Pos(kLeft, 16387), Pos(16386, kBottom)})
    EXPECT_GE(made[stop], 40) << stop.first << "," << stop.second;
  EXPECT_LE(longestGap, 100L * 120) << "ticks without a stop";
  EXPECT_EQ(0u, Dmsg_Count());
}

// A train in service bound for the start depot is sent into the siding at
// the upper turnout; one bound elsewhere, or not in service, goes on round.
TEST_F(AppStartTest, UpperTurnoutSendsTrainsForTheDepotIntoTheSiding) {
  ASSERT_EQ(0, App_BuildStartLayout());
  u32 place = 0;
  const u32 depot = Dep_FindAtPosition(16379, 16386, 0, &place);
  ASSERT_NE(0u, depot);
  struct Case {
    u32 flags, depot, place, exit;
  } cases[] = {
      {TRN_IN_SERVICE, depot, 1, 0x40},
      {TRN_IN_SERVICE, depot, 7, 0x40},  // any place of the depot
      {TRN_IN_SERVICE, depot + 1, 1, 2},
      {0, depot, 1, 2},
  };
  for (const Case& c : cases) {
    TrainRec train;
    std::memset(&train, 0, sizeof train);
    train.StateFlags = c.flags;
    train.CurDepot = u16(c.depot);
    train.CurPlace = u16(c.place);
    u32 cap = 99;
    EXPECT_EQ(c.exit, Pts_ChooseExit(&train, kLeft, 16382, 0, &cap)) << c.flags << " " << c.depot << " " << c.place;
    EXPECT_EQ(0u, cap);
  }
}

TEST_F(AppStartTest, RefusedTrainLeavesNothing) {
  // No start example: no depot place to put the train on.
  EXPECT_EQ(1, App_BuildStartTrain());
  EXPECT_EQ(633u, Msg_LastNumber());
  EXPECT_EQ(0u, Lin_CountAndMax() & 0xFFFF);
  EXPECT_EQ(0u, Trn_GetCount());

  // A second start train: the line exists.
  ASSERT_EQ(0, App_BuildStartLayout());
  ASSERT_EQ(0, App_BuildStartTrain());
  Msg_ResetLast();
  EXPECT_EQ(1, App_BuildStartTrain());
  EXPECT_EQ(631u, Msg_LastNumber());
  EXPECT_EQ(1u, Lin_CountAndMax() & 0xFFFF);
  EXPECT_EQ(1u, Trn_GetCount());
}

TEST_F(AppStartTest, TrainWithoutItsVehiclesIsRefused) {
  ASSERT_EQ(0, App_BuildStartLayout());
  // A program folder without "orba.fzg": the sets cannot be loaded.
  Test_MakeTempFolder();
  EXPECT_EQ(1, App_BuildStartTrain());
  EXPECT_EQ(632u, Msg_LastNumber());
  EXPECT_EQ(0u, Lin_CountAndMax() & 0xFFFF);
  EXPECT_EQ(0u, Trn_GetCount());
  Fio_SetFolderPath(0, Test_DataFolder().c_str());
}

}  // namespace

// The modules of a real start: every file the build makes is read, and
// freeing leaves nothing that a second start would trip over.
TEST(AppModules, InitialiseWithTheBuiltDataFilesAndFreeTwice) {
  Fio_SetFolderPath(FOLDER_PROGRAM, Test_DataFolder().c_str());
  EXPECT_EQ(0u, App_InitModules());
  App_FreeModules();
  App_FreeModules();
  Fio_SetFolderPath(FOLDER_PROGRAM, Test_DataFolder().c_str());
  EXPECT_EQ(0u, App_InitModules());
  App_FreeModules();
}

// The running-time notice names the time only from 1504 seconds on.
TEST(AppModules, ExitNoticeText) {
  ASSERT_EQ(0, Test_LoadTexts());
  wch buf[400];
  App_ExitNoticeText(1503, buf, 400);
  EXPECT_EQ(wstr(Lng_GetText(1361)), wstr(buf));
  App_ExitNoticeText(3 * 3600 + 7 * 60 + 9, buf, 400);
  const wstr text = buf;
  EXPECT_NE(wstr::npos, text.find(u"3:07:09")) << U8(text);
  EXPECT_NE(wstr::npos, text.find(Lng_GetText(1361)));
}
