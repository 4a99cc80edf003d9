// Object texts of cells (which kind wins, unreadable data, colours, column
// offset) and the grid text glyphs drawn from the terrain masks.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "model/dep.h"
#include "model/grid.h"
#include "model/logp.h"
#include "operation/pts.h"
#include "operation/sig.h"
#include "platform/fio.h"
#include "platform/heap.h"
#include "render/cellin.h"
#include "render/disp.h"
#include "render/objtext.h"
#include "render/schem.h"
#include "render/terrain.h"
#include "tests/test_util.h"

namespace {

typedef std::u16string wstr;

struct ObjTextTest : ::testing::Test {
  static void SetUpTestSuite() {
    Heap_Init();
    Fio_InitBuffers();
  }
  void SetUp() override {
    // Each test starts with the base folders in its own temporary folder:
    // the data folder is named again for every test.
    Fio_SetFolderPath(0, Test_DataFolder().c_str());
    ASSERT_EQ(0, Grid_Init());
    Grid_Clear();
    Logp_Clear();
    Dep_Clear();
  }
  void TearDown() override {
    Pts_FreeAll();
    Logp_Clear();
    Dep_Clear();
    Grid_Clear();
  }
  // A depot place at the cell on a depot shape.
  static void PlaceDepot(i32 x, i32 y, const wch* name, u32 number) {
    ASSERT_TRUE(Grid_SetCell(x, y, 0, CellCode(4096 + 137)));
    DepotPlace p;
    std::memset(&p, 0, sizeof p);
    p.X = x;
    p.Y = y;
    p.Level = 0;
    p.Number = number;
    p.Directions = 3;
    wch shortName[5];
    Dep_MakeShortName(name, shortName);
    ASSERT_EQ(0, Dep_InsertPlace(7, name, shortName, &p));
  }
  // The first signal shape of the track table, 0 when there is none.
  static u32 SignalCode(void) {
    for (u32 s = 96; s < 512; ++s)
      if (Map_PieceOwner(4096 + s) == MAP_OWNER_SIGNAL || Map_PieceOwner(4096 + s) == MAP_OWNER_SIGNAL10)
        return 4096 + s;
    return 0;
  }
};

TEST_F(ObjTextTest, KindsColoursAndTheFirstMatchingKind) {
  PlaceDepot(11, 20, u"Yard", 3);
  ASSERT_EQ(0, Logp_Set(11, 20, 0, 255, u"  Both", LOGP_F_ENTER));
  ASSERT_EQ(0, Logp_Set(12, 20, 0, 255, u"Off", LOGP_F_ENTER | LOGP_F_OFF));
  ASSERT_EQ(0, Logp_Set(14, 20, 0, 255, u"Plain", 0));
  ASSERT_TRUE(Grid_SetCell(13, 20, 0, CellCode(4096 + 137)));  // a depot shape without a place
  wch yard[24];
  ASSERT_EQ(0, Dep_FormatName(7, -3, yard, nullptr));
  ASSERT_TRUE(Grid_SetCell(16, 20, 0, 48));
  ASSERT_TRUE(Grid_SetCell(17, 20, 0, 48));
  ASSERT_EQ(0, Pts_SetById(16, 20, 0, 0, 4, 8, 16, 0, 4711, PTS_KIND_CYCLIC, 0));
  struct Case {
    i32 x;
    u32 flags;
    int found, kind, text, offset;
    wstr name;
    const char* what;
  } cases[] = {
      {11, SPR_OT_DEPOT | SPR_OT_LOG, 1, SPR_OT_DEPOT, 175, 8, yard, "a depot place comes before a log point"},
      {11, SPR_OT_LOG, 1, SPR_OT_LOG, 180, 8, u"Both", "only the log flag: the log point, blanks cut"},
      {12, SPR_OT_LOG, 1, SPR_OT_LOG, 182, 0, u"Off", "a point switched off has its own colours"},
      {14, SPR_OT_LOG, 1, SPR_OT_LOG, 180, 0, u"Plain", "a log point whose flags are 0 is still one"},
      {13, 63, 1, SPR_OT_DEPOT, 175, 8, u"?", "a depot shape without its place: ?"},
      {11, 0, 0, 0, 0, 0, u"", "no flag, no text"},
      {11, SPR_OT_TIMETABLE | SPR_OT_DWX | SPR_OT_TURNOUT, 0, 0, 0, 0, u"", "kinds the cell does not hold"},
      {15, 63, 0, 0, 0, 0, u"", "an empty cell"},
      {16, 63, 1, SPR_OT_TURNOUT, 159, 0, u"4711", "a turnout controller: its id"},
      {17, SPR_OT_TURNOUT, 0, 0, 0, 0, u"", "a turnout piece without a controller"},
  };
  for (const Case& c : cases) {
    SprObjectText t;
    std::memset(&t, 0x55, sizeof t);
    ASSERT_EQ(c.found, Spr_CellObjectTextFor(c.x, 20, 0, c.flags, &t)) << c.what;
    if (!c.found) continue;
    EXPECT_EQ(c.kind, t.kind) << c.what;
    EXPECT_EQ(c.name, wstr(t.text)) << c.what;
    EXPECT_EQ(c.text, t.textColour) << c.what;
    EXPECT_EQ(c.text + 1, t.boxColour) << c.what;
    EXPECT_EQ(c.offset, t.columnOffset) << c.what;
  }
}

TEST_F(ObjTextTest, UnreadableSignalIsAQuestionMarkAndOutsideTheGridIsNothing) {
  const u32 code = SignalCode();
  ASSERT_NE(0u, code) << "the track table knows signal shapes";
  ASSERT_TRUE(Grid_SetCell(5, 5, 0, CellCode(code)));
  SprObjectText t;
  ASSERT_EQ(1, Spr_CellObjectTextFor(5, 5, 0, SPR_OT_SIGNAL, &t));
  EXPECT_EQ(wstr(u"?"), wstr(t.text));
  EXPECT_EQ(161, t.textColour);
  EXPECT_EQ(8, t.columnOffset);
  EXPECT_EQ(0, Spr_CellObjectTextFor(5, 5, 0, SPR_OT_LOG, &t));
  for (auto p : {std::vector<i32>{-1, 5, 0}, {5, 32768, 0}, {5, 5, 1}, {5, 5, -5}})
    EXPECT_EQ(0, Spr_CellObjectTextFor(p[0], p[1], p[2], 63, &t)) << p[0] << "," << p[1] << "," << p[2];
  // The display options' word decides when no flags are given.
  u32 word;
  i32 row;
  Disp_GetObjectTextMode(&word, &row);
  Disp_SetObjectTextMode(SPR_OT_SIGNAL, row);
  EXPECT_EQ(1, Spr_CellObjectText(5, 5, 0, &t));
  Disp_SetObjectTextMode(0, row);
  EXPECT_EQ(0, Spr_CellObjectText(5, 5, 0, &t));
  Disp_SetObjectTextMode(word, row);
}

// Glyphs: pixels where mask bits 2-3 are set, as 1 x 1 at scale 1 and as
// blocks of scale / 2 of the zoom-2 mask above.
TEST_F(ObjTextTest, GridGlyphsFromTheTerrainMasks) {
  ASSERT_EQ(0, Spr_LoadTerrainMasks());
  std::vector<u32> px(128 * 128);
  SchBuf b = {px.data(), 128, 128};
  int drawnAny = 0;
  for (u32 ch = 0; ch < 32; ++ch) {
    for (int scale : {1, 2, 4}) {
      const u8* m = Spr_TerrainMask(88 + int(ch), scale == 1 ? 1 : 2);
      std::fill(px.begin(), px.end(), 0u);
      const int set = Spr_DrawGridGlyph(&b, 3, 5, scale, 0xABCDEF, ch);
      if (!m) {
        EXPECT_EQ(0, set) << "no mask, no glyph";
        continue;
      }
      const int w = scale == 1 ? 8 : 16, block = scale == 1 ? 1 : scale / 2;
      int expect = 0;
      for (int r = 0; r < 2 * w; ++r)
        for (int c = 0; c < w; ++c) {
          const bool on = (m[r * w + c] & 0x0C) != 0;
          expect += on ? block * block : 0;
          for (int k = 0; k < block * block; ++k)
            ASSERT_EQ(on ? 0xABCDEFu : 0u, px[(5 + r * block + k / block) * 128 + 3 + c * block + k % block])
                << "char " << ch << " scale " << scale << " at " << c << "," << r;
        }
      EXPECT_EQ(expect, set) << ch << " " << scale;
      drawnAny += set;
    }
  }
  EXPECT_GT(drawnAny, 0) << "the font has ink";
  std::fill(px.begin(), px.end(), 0u);
  for (u32 ch : {32u, 65u, 0xFFFFu}) EXPECT_EQ(0, Spr_DrawGridGlyph(&b, 0, 0, 1, 1, ch)) << ch;
  // Clipped at the buffer's edges.
  SchBuf small = {px.data(), 4, 4};
  Spr_DrawGridGlyph(&small, -2, -3, 2, 7, 0);
  for (size_t i = 16; i < px.size(); ++i) ASSERT_EQ(0u, px[i]) << "nothing past the small buffer";
  Spr_FreeTerrainMasks();
}

}  // namespace

namespace {

// A signal element's name in the colours of its shape's kind.
TEST_F(ObjTextTest, SignalElementsShowTheirNameInTheirKindsColours) {
  ASSERT_EQ(0, Grid_Init());
  Sig_Clear();
  struct {
    u32 code;
    int colour;
  } cases[] = {{392, 161}, {400, 165}, {408, 167}, {416, 163}, {0x4000 | 448, 163}};
  for (auto& c : cases) {
    Grid_Clear();
    Sig_Clear();
    ASSERT_TRUE(Grid_SetCell(7, 7, 0, CellCode(c.code)));
    ASSERT_EQ(0, Sig_CreateElement(7, 7, 0, 0, c.code & ~0x4000u));
    SprObjectText t;
    ASSERT_EQ(1, Spr_CellObjectTextFor(7, 7, 0, SPR_OT_SIGNAL, &t)) << c.code;
    wch name[SIG_NAME_UNITS];
    ASSERT_EQ(0, Sig_GetElementName(Sig_FirstElement()->Id, name));
    EXPECT_EQ(wstr(name), wstr(t.text)) << c.code;
    EXPECT_EQ(c.colour, t.textColour) << c.code;
  }
  Sig_Clear();
  Grid_Clear();
}

}  // namespace
