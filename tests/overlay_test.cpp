// Overlay passes of a view (which passes run, which cells they visit, label
// boxes and cut lengths, grid text cells, the cursor mark) as the native
// platform half records their drawing calls; the locked back-buffer
// operations; the shading of colours; the paint of a maximised view; the
// background picture read by index.
#include <string>
#include <vector>

#include "model/logp.h"
#include "operation/trnquery.h"
#include "render/bgp.h"
#include "render/daylight.h"
#include "render/disp.h"
#include "render/objtext.h"
#include "render/overlay.h"
#include "tests/render_fixture.h"
#include "tools/render/demo_layout.h"

namespace {

typedef std::u16string wstr;

// ---------------------------------------------------------------- decisions

TEST(OverlayDecisions, PassesByViewModeMasksAndPause) {
  const int C = MAP_PASS_CURSOR, T = MAP_PASS_TEXTS, O = MAP_PASS_OBJECTS, R = MAP_PASS_TRAINS;
  struct {
    int mode, texts;
    u32 objects, trains;
    int pause, passes;
    const char* what;
  } cases[] = {
      {MAP_MODE_PICTURE, 1, 192 | 1, 24 | 1, 0, T | O | R | C, "everything in a picture view"},
      {MAP_MODE_PICTURE, 1, 192 | 1, 24 | 1, 1, C, "the pause switch leaves the cursor only"},
      {MAP_MODE_PICTURE, 0, 192, 24, 0, C, "texts off, no object or train bits"},
      {MAP_MODE_SCHEMATIC, 1, 192 | 32, 24 | 2, 0, O | R | C, "no grid texts in a schematic view"},
      {MAP_MODE_OVERVIEW, 1, 192 | 63, 24 | 3, 0, C, "an overview map gets the cursor only"},
      {MAP_MODE_PICTURE, 1, 128 | 1, 16 | 1, 0, T | C, "schematic-only masks"},
      {MAP_MODE_SCHEMATIC, 0, 64 | 1, 8 | 1, 0, C, "picture-only masks"},
      {MAP_MODE_SCHEMATIC, 0, 0x8000 | 4, 0, 0, O | C, "a mask of 128 or more reaches schematic views"},
      {MAP_MODE_PICTURE, 0, 64 | 16, 8 | 2, 0, O | R | C, "any of the kind bits"},
      {MAP_MODE_PICTURE, 0, 64 | 128, 8 | 4, 0, C, "no kind bit: the box bit alone is no pass"},
  };
  for (auto& c : cases) EXPECT_EQ(c.passes, Map_OverlayPasses(c.mode, c.texts, c.objects, c.trains, c.pause)) << c.what;
}

TEST(OverlayDecisions, CellRangeTakesTheCellsBeforeTheOriginOfAScrolledView) {
  struct {
    i32 ox, oy, offX, offY, w, h;
    MapCellRange want;
  } cases[] = {
      {100, 200, 0, 0, 10, 5, {100, 200, 110, 205}},
      {100, 200, 8, 0, 10, 5, {99, 200, 110, 205}},
      {100, 200, 0, 4, 10, 5, {100, 199, 110, 205}},
      {0, 0, 8, 4, 10, 5, {0, 0, 10, 5}},                    // nothing before cell 0
      {100, 200, -8, -4, 10, 5, {100, 200, 110, 205}},        // a negative offset shows no more
      {32760, 32765, 0, 0, 20, 20, {32760, 32765, 32767, 32767}},  // the grid's last cell
  };
  for (auto& c : cases) {
    MapCellRange r = Map_OverlayCellRange(c.ox, c.oy, c.offX, c.offY, c.w, c.h);
    EXPECT_EQ(c.want.x1, r.x1) << c.ox << "," << c.offX;
    EXPECT_EQ(c.want.y1, r.y1) << c.oy << "," << c.offY;
    EXPECT_EQ(c.want.x2, r.x2);
    EXPECT_EQ(c.want.y2, r.y2);
  }
}

TEST(OverlayDecisions, LabelLengthCutsOnlyForSettingsOneToThirtyThree) {
  struct {
    int length;
    i32 setting;
    int shown;
  } cases[] = {{40, 10, 10}, {40, 0, 40}, {40, 34, 40}, {40, 33, 33}, {40, 1, 1}, {5, 10, 5}, {40, -1, 40}};
  for (auto& c : cases) EXPECT_EQ(c.shown, Map_LabelLength(c.length, c.setting)) << c.setting;
}

TEST(OverlayDecisions, LabelBoxIsCentredAndAtLeastAsWideAsHigh) {
  struct {
    i32 x, y, tw, th;
    MapLabelBox want;
  } cases[] = {
      {100, 50, 30, 12, {86, 50, 117, 61}},  // w 30: left 100 - 14
      {100, 50, 31, 12, {85, 50, 117, 61}},  // w 31: left 100 - 15
      {100, 50, 4, 12, {95, 50, 108, 61}},   // narrower than high: w 12
      {0, 0, 0, 0, {0, 0, 1, -1}},           // nothing measured
  };
  for (auto& c : cases) {
    MapLabelBox b = Map_LabelBoxAt(c.x, c.y, c.tw, c.th);
    EXPECT_EQ(c.want.left, b.left) << c.tw;
    EXPECT_EQ(c.want.top, b.top);
    EXPECT_EQ(c.want.right, b.right) << c.tw;
    EXPECT_EQ(c.want.bottom, b.bottom);
  }
}

// ---------------------------------------------------------------- shading

TEST(OverlayShading, WindowsLightByTheirClassAndShowTheirSecondColour) {
  // Colour codes 80, 85, 90 are windows of classes 0, 1, 2; 100, 105, 110
  // the same classes in the second lit colour.
  struct {
    u32 code, flags, want;
  } cases[] = {
      {80, 16, 0xB09000}, {85, 32, 0xB09000}, {90, 64, 0xB09000},
      {100, 16, 0xA0AC9C}, {105, 32, 0xA0AC9C}, {110, 64, 0xA0AC9C},
      {85, 16, 0}, {100, 32, 0}, {90, 32 | 16, 0},  // another class lit: the colour as it is
  };
  for (auto& c : cases) {
    const u32 pixel = Pal_ColourCodeToBgr(c.code);
    const u32 want = c.want ? c.want : (pixel & 0xFFFFFFu);
    EXPECT_EQ(want, Map_ShadeColour(pixel, c.flags)) << c.code << " with " << c.flags;
  }
  EXPECT_EQ(0x80B09000u, Map_ShadeColour(0xE0000000u | 0x123456, 16)) << "bit 31 stays with a lit window";
  EXPECT_EQ(0x00123456u, Map_ShadeColour(0x4F123456u, 1 | 8 | 16)) << "kind 4 is never shaded";
}

TEST(OverlayShading, RgbColoursAreShadedInBufferOrder) {
  const u32 rgb = 0x00183060u;  // red 0x60, green 0x30, blue 0x18
  const u32 m = (0x60 + 0x30 + 0x18) / 8;
  EXPECT_EQ(m << 16 | m << 8 | m, Map_ShadeRgb(rgb, 1));
  EXPECT_EQ(rgb, Map_ShadeRgb(rgb, 0));
  EXPECT_EQ(rgb, Map_ShadeRgb(rgb, 24)) << "lamps and windows do not touch a plain colour";
  g_daylight.elapsed = 30;
  g_daylight.span = 120;
  // Dusk a quarter through: each channel moves a quarter toward the grey.
  EXPECT_EQ(u32(0x60 - (0x60 - m) / 4) | u32(0x30 - (0x30 - m) / 4) << 8 | u32(0x18 - (0x18 - i32(m)) / 4) << 16,
            Map_ShadeRgb(rgb, 4));
  Disp_ResetDaylight();
}

// ---------------------------------------------------------------- passes

i32 g_active = -1, g_followed = -1;
int g_clockRepaints = 0;

struct OverlayView : RenderStore {
  int windows[MAP_VIEWS] = {};
  int dcs[MAP_VIEWS] = {};  // natively any non-null pointer is a device context

  void SetUp() override {
    RenderStore::SetUp();
    Disp_ResetOptions();
    Disp_ResetDaylight();
    Logp_Clear();
    g_active = g_followed = -1;
    g_clockRepaints = 0;
    MapShellHooks hooks = {[] { return g_active; }, [] { return g_followed; }, [] { ++g_clockRepaints; }};
    Map_SetShellHooks(&hooks);
#ifndef _WIN32
    Map_OverlayClearCalls();
#endif
  }
  void TearDown() override {
    Map_SetShellHooks(nullptr);
    Trn_SetFollowed(nullptr);
    Logp_Clear();
    Disp_ResetOptions();
    Disp_ResetDaylight();
    RenderStore::TearDown();
  }
  MapView& Open(int v, int mode, int scale, i32 ox = 10, i32 oy = 4, i32 level = 0, i32 w = 320, i32 h = 160) {
    EXPECT_EQ(0, Map_OpenView(v, &windows[v], mode, scale, ox, oy, level, w, h));
    MapView& m = g_mapViews[v];
    m.memDC = &dcs[v];
    m.ready = 1;
    m.cursorX = ox + 1;
    m.cursorY = oy + 1;
    return m;
  }
#ifndef _WIN32
  static std::vector<MapOverlayCall> Calls(int op = 0) {
    std::vector<MapOverlayCall> out;
    for (int i = 0; i < Map_OverlayCallCount(); ++i)
      if (!op || Map_OverlayCall(i)->op == op) out.push_back(*Map_OverlayCall(i));
    return out;
  }
#endif
};

TEST_F(OverlayView, CellToPixelByViewMode) {
  MapView& p = Open(0, MAP_MODE_PICTURE, 2, 10, 4);
  p.pixOffX = 8;
  p.pixOffY = 4;
  Open(1, MAP_MODE_SCHEMATIC, 4, 10, 4).pixOffX = 8;
  Open(2, MAP_MODE_OVERVIEW, 4, 100, 40);
  struct {
    int v;
    i32 x, y, px, py;
  } cases[] = {
      {0, 12, 5, (2 * 32 + 8) * 2, (16 + 4) * 2}, {0, 9, 4, (-32 + 8) * 2, 4 * 2}, {0, -1, 5, -1, 40},
      {1, 12, 5, (2 * 16 + 8) / 4, 16 / 4},     {2, 112, 47, 3, 1},               {3, 12, 5, -1, -1},
      {-1, 12, 5, -1, -1},
  };
  for (auto& c : cases) {
    i32 x = c.x, y = c.y;
    Map_CellToPixel(c.v, &x, &y);
    EXPECT_EQ(c.px, x) << "view " << c.v << " cell " << c.x;
    EXPECT_EQ(c.py, y) << "view " << c.v << " cell " << c.y;
  }
}

TEST_F(OverlayView, PaintOfAMaximisedViewRepaintsTheClockFields) {
  MapView& m = Open(0, MAP_MODE_PICTURE, 1);
  m.showState = 1;
  Map_OnViewPaint(0);
  EXPECT_EQ(0, g_clockRepaints);
  m.showState = 3;
  Map_OnViewPaint(0);
  EXPECT_EQ(1, g_clockRepaints);
  Map_OnViewPaint(1);  // no window
  EXPECT_EQ(1, g_clockRepaints);
  Map_SetShellHooks(nullptr);
  Map_OnViewPaint(0);  // no hook: nothing to call
  EXPECT_EQ(-1, Map_ActiveView());
  EXPECT_EQ(-1, Map_FollowedView());
}

// What the passes draw, as the native platform half records it (the
// Windows test draws into a real device context).
#ifndef _WIN32

TEST_F(OverlayView, CursorMarkResultsInTheirOrder) {
  TrainRec* followed = reinterpret_cast<TrainRec*>(&dcs[5]);  // only compared, never read
  struct {
    int v;
    i32 active, followedView;
    int trainFollowed, window, ready, cursor, dc, result;
  } cases[] = {
      {0, 1, -1, 0, 1, 1, 1, 1, MAP_CURSOR_NOT_ACTIVE},
      {0, 0, 0, 1, 1, 1, 1, 1, MAP_CURSOR_FOLLOWED},
      {0, 0, 0, 0, 1, 1, 1, 1, MAP_CURSOR_DRAWN},  // the followed view without a train
      {7, 7, -1, 0, 1, 1, 1, 1, MAP_CURSOR_BAD_VIEW},
      {0, 0, -1, 0, 0, 1, 1, 1, MAP_CURSOR_NO_WINDOW},
      {0, 0, -1, 0, 1, 0, 1, 1, MAP_CURSOR_NOT_READY},
      {0, 0, -1, 0, 1, 1, 0, 1, MAP_CURSOR_NONE},
      {0, 0, -1, 0, 1, 1, 1, 0, MAP_CURSOR_NO_DC},
      {0, 0, 1, 1, 1, 1, 1, 1, MAP_CURSOR_DRAWN},  // another view follows the train
  };
  for (auto& c : cases) {
    MapView& m = Open(0, MAP_MODE_PICTURE, 1);
    g_active = c.active;
    g_followed = c.followedView;
    Trn_SetFollowed(c.trainFollowed ? followed : nullptr);
    if (!c.window) m.window = nullptr;
    m.ready = c.ready;
    if (!c.cursor) m.cursorY = -1;
    if (!c.dc) m.memDC = nullptr;
    Map_OverlayClearCalls();
    EXPECT_EQ(c.result, Map_PaintCursorMark(c.v)) << "case with result " << c.result;
    EXPECT_EQ(c.result == MAP_CURSOR_DRAWN ? 1 : 0, Map_OverlayCallCount());
    Trn_SetFollowed(nullptr);
    m.window = &windows[0];
    Map_CloseView(0);
  }
}

TEST_F(OverlayView, CursorRectangleOverTheCursorCell) {
  g_active = 0;
  MapView& p = Open(0, MAP_MODE_PICTURE, 2, 10, 4);
  p.cursorX = 13;
  p.cursorY = 6;
  ASSERT_EQ(MAP_CURSOR_DRAWN, Map_PaintCursorMark(0));
  auto f = Calls(MAP_OVL_FRAME);
  ASSERT_EQ(1u, f.size());
  EXPECT_EQ(&dcs[0], f[0].dc);
  EXPECT_EQ(3 * 64, f[0].x1);
  EXPECT_EQ(2 * 32, f[0].y1);
  EXPECT_EQ(4 * 64 - 1, f[0].x2);
  EXPECT_EQ(3 * 32 - 1, f[0].y2);
  EXPECT_EQ(Pal_GetColour(106), f[0].colour);

  // At night the picture view's cursor is shaded; a schematic one is not.
  g_sprOptions.lighting = 1;
  g_daylight.phase = DAYLIGHT_NIGHT;
  Map_OverlayClearCalls();
  Map_PaintCursorMark(0);
  EXPECT_EQ(Map_ShadeRgb(Pal_GetColour(106), 1), Calls(MAP_OVL_FRAME)[0].colour);
  EXPECT_NE(Pal_GetColour(106), Map_ShadeRgb(Pal_GetColour(106), 1));
  Map_CloseView(0);

  MapView& s = Open(0, MAP_MODE_SCHEMATIC, 4, 10, 4);
  s.cursorX = 13;
  s.cursorY = 6;
  Map_OverlayClearCalls();
  ASSERT_EQ(MAP_CURSOR_DRAWN, Map_PaintCursorMark(0));
  f = Calls(MAP_OVL_FRAME);
  ASSERT_EQ(1u, f.size());
  EXPECT_EQ(3 * 4, f[0].x1);
  EXPECT_EQ(2 * 4, f[0].y1);
  EXPECT_EQ(3 * 4 + 3, f[0].x2) << "a square of 16 / scale";
  EXPECT_EQ(2 * 4 + 3, f[0].y2);
  EXPECT_EQ(Pal_GetColour(106), f[0].colour);
}

TEST_F(OverlayView, OverviewCrossIsClippedAtZeroAndTheGridsLastPixel) {
  g_active = 0;
  struct {
    i32 origin, cursor, scale;
    i32 lo, centre, hi;
  } cases[] = {
      {1000, 1040, 4, 5, 10, 15},           // the whole cross
      {1000, 1000, 4, 0, 0, 5},             // at the left and top edge
      {32700, 32767, 1, 62, 67, 67},        // at the grid's end
      {32000, 32760, 8, 90, 95, 95},        // (32767 - 32000) / 8 = 95
  };
  for (auto& c : cases) {
    MapView& m = Open(0, MAP_MODE_OVERVIEW, c.scale, c.origin, c.origin);
    m.cursorX = m.cursorY = c.cursor;
    Map_OverlayClearCalls();
    ASSERT_EQ(MAP_CURSOR_DRAWN, Map_PaintCursorMark(0));
    auto l = Calls(MAP_OVL_LINE);
    ASSERT_EQ(2u, l.size());
    EXPECT_EQ(c.lo, l[0].x1) << c.cursor;
    EXPECT_EQ(c.hi, l[0].x2) << c.cursor;
    EXPECT_EQ(c.centre, l[0].y1);
    EXPECT_EQ(c.centre, l[0].y2);
    EXPECT_EQ(c.centre, l[1].x1);
    EXPECT_EQ(c.lo, l[1].y1);
    EXPECT_EQ(c.hi, l[1].y2);
    EXPECT_EQ(Pal_GetColour(107), l[0].colour);
    Map_CloseView(0);
  }
}

TEST_F(OverlayView, GridTextCellDrawsBackgroundCharactersAndGlyphs) {
  int dc = 0;
  MapTextCell cell = {{u'A', u' ', u'B', 5}, SPR_NO_COLOUR, 0x00123456u};
  Map_DrawGridTextCell(&dc, 2, 100, 50, 0, &cell);
  auto fills = Calls(MAP_OVL_FILL), texts = Calls(MAP_OVL_TEXT), pixels = Calls(MAP_OVL_PIXEL);
  ASSERT_EQ(1u, fills.size());
  EXPECT_EQ(100, fills[0].x1);
  EXPECT_EQ(50, fills[0].y1);
  EXPECT_EQ(100 + 64 - 1, fills[0].x2);
  EXPECT_EQ(50 + 32 - 1, fills[0].y2);
  EXPECT_EQ(0x123456u, fills[0].colour);
  ASSERT_EQ(2u, texts.size()) << "the blank is not drawn";
  EXPECT_EQ(wstr(u"A"), wstr(texts[0].text));
  EXPECT_EQ(100 + 8, texts[0].x1) << "the first centred at 4 x scale";
  EXPECT_EQ(50, texts[0].y1);
  EXPECT_EQ(wstr(u"B"), wstr(texts[1].text));
  EXPECT_EQ(100 + 8 + 2 * 16, texts[1].x1);
  EXPECT_EQ(Pal_GetColour(105), texts[0].colour) << "the default colour";
  EXPECT_EQ(Font_GetMapTextFontByScale(2), texts[0].font);
  // Character 5 is a glyph in the fourth character cell (x 148..163).
  ASSERT_GT(pixels.size(), 0u);
  for (auto& p : pixels) {
    EXPECT_GE(p.x1, 100 + 48);
    EXPECT_LT(p.x1, 100 + 64);
    EXPECT_GE(p.y1, 50);
    EXPECT_LT(p.y1, 50 + 32);
    EXPECT_EQ(Pal_GetColour(105), p.colour);
  }
  EXPECT_TRUE(fills[0].dc == &dc && texts[0].dc == &dc);

  // No background: no fill; a run colour; shaded.
  Map_OverlayClearCalls();
  MapTextCell plain = {{u'x', u'y', u'z', u'w'}, 0x00183060u, SPR_NO_COLOUR};
  Map_DrawGridTextCell(&dc, 1, 0, 0, 1, &plain);
  EXPECT_EQ(0u, Calls(MAP_OVL_FILL).size());
  ASSERT_EQ(4u, Calls(MAP_OVL_TEXT).size());
  EXPECT_EQ(Map_ShadeRgb(0x00183060u, 1), Calls(MAP_OVL_TEXT)[3].colour);
  EXPECT_EQ(4 + 24, Calls(MAP_OVL_TEXT)[3].x1);
}

TEST_F(OverlayView, GridTextShadingOfLowerLevels) {
  EXPECT_EQ(0u, Map_GridTextShading(0, 0)) << "daylight off";
  EXPECT_EQ(24u, Map_GridTextShading(0, -1)) << "a lower start level adds 8 and 16";
  EXPECT_EQ(120u, Map_GridTextShading(-1, -2));
  g_sprOptions.lighting = 1 | 2;
  EXPECT_EQ(121u | 24u, Map_GridTextShading(-1, -1));
  g_daylight.phase = DAYLIGHT_NIGHT;
  EXPECT_EQ(u32(DAYLIGHT_NIGHT | 24), Map_GridTextShading(0, -3));
  // A default-coloured text below the view's level at night is palette 105
  // darkened.
  int dc = 0;
  MapTextCell cell = {{u'A', 32, 32, 32}, SPR_NO_COLOUR, SPR_NO_COLOUR};
  Map_DrawGridTextCell(&dc, 1, 0, 0, Map_GridTextShading(0, -1), &cell);
  const u32 c105 = Pal_GetColour(105), m = ((c105 & 255) + (c105 >> 8 & 255) + (c105 >> 16 & 255)) / 8;
  EXPECT_EQ(m | m << 8 | m << 16, Calls(MAP_OVL_TEXT)[0].colour);
}

TEST_F(OverlayView, LabelBoxAndText) {
  int dc = 0;
  const wstr text = u"12345";
  Map_DrawLabel(&dc, 200, 40, text.c_str(), 3, 159, 160, 0);
  auto boxes = Calls(MAP_OVL_BOX), texts = Calls(MAP_OVL_TEXT);
  ASSERT_EQ(1u, boxes.size());
  ASSERT_EQ(1u, texts.size());
  const i32 tw = 3 * MAP_NATIVE_CHAR_WIDTH, th = MAP_NATIVE_CHAR_HEIGHT;  // 18 x 12
  const MapLabelBox b = Map_LabelBoxAt(200, 40, tw, th);
  EXPECT_EQ(b.left - 1, boxes[0].x1);
  EXPECT_EQ(b.top, boxes[0].y1);
  EXPECT_EQ(b.right + 1, boxes[0].x2);
  EXPECT_EQ(b.bottom + 1, boxes[0].y2);
  EXPECT_EQ(200 - 8 - 1, boxes[0].x1);
  EXPECT_EQ(Pal_GetColour(160), boxes[0].colour);
  EXPECT_EQ(wstr(u"123"), wstr(texts[0].text));
  EXPECT_EQ(202, texts[0].x1);
  EXPECT_EQ(40, texts[0].y1);
  EXPECT_EQ(Pal_GetColour(159), texts[0].colour);
  EXPECT_EQ(Font_GetMapLabelFont(), texts[0].font);
  Map_OverlayClearCalls();
  Map_DrawLabel(&dc, 200, 40, text.c_str(), 5, 159, 160, 1);
  EXPECT_EQ(0u, Calls(MAP_OVL_BOX).size()) << "box switched off";
  EXPECT_EQ(1u, Calls(MAP_OVL_TEXT).size());
}

TEST_F(OverlayView, TrainLabelsAtTheHeadCellCutAndPlacedByViewMode) {
  for (i32 x = 10; x <= 20; ++x) Grid_SetCell(x, 6, 0, 4096);
  TrainRec* t = demo::PlaceTrain(15, 6, 0, 1, 0, 3, 2, 0, 4711, 6);
  ASSERT_NE(nullptr, t);
  Disp_SetTrainTextMode(24 | 2, 0);
  MapView& p = Open(0, MAP_MODE_PICTURE, 2, 10, 4);
  Map_PaintTrainLabels(0);
  auto texts = Calls(MAP_OVL_TEXT);
  ASSERT_EQ(1u, texts.size()) << "one label, at the head";
  EXPECT_EQ(wstr(u"4711."), wstr(texts[0].text));
  // The head's next cell lies to the left: x offset SubCellOffset (6), y 0.
  EXPECT_EQ((5 * 32) * 2 + 6 * 2 + 2, texts[0].x1);
  EXPECT_EQ(2 * 16 * 2, texts[0].y1);
  EXPECT_EQ(1u, Calls(MAP_OVL_BOX).size());
  EXPECT_EQ(p.memDC, texts[0].dc);

  // ZugTxteZei 3 cuts; train-text bit 4 takes the box away.
  Disp_SetTrainTextMode(24 | 2 | 4, 3);
  Map_OverlayClearCalls();
  Map_PaintTrainLabels(0);
  ASSERT_EQ(1u, Calls(MAP_OVL_TEXT).size());
  EXPECT_EQ(wstr(u"471"), wstr(Calls(MAP_OVL_TEXT)[0].text));
  EXPECT_EQ(0u, Calls(MAP_OVL_BOX).size());
  Map_CloseView(0);

  // A schematic view puts it at 8 / scale from the cell's corner.
  Open(0, MAP_MODE_SCHEMATIC, 2, 10, 4);
  Map_OverlayClearCalls();
  Map_PaintTrainLabels(0);
  ASSERT_EQ(1u, Calls(MAP_OVL_TEXT).size());
  EXPECT_EQ(5 * 16 / 2 + 4 + 2, Calls(MAP_OVL_TEXT)[0].x1);
  EXPECT_EQ(2 * 16 / 2, Calls(MAP_OVL_TEXT)[0].y1);
}

TEST_F(OverlayView, ObjectInfoOfLogPointsIncludingLowerLevelsAndTheColumnBeforeTheOrigin) {
  ASSERT_EQ(0, Logp_Set(13, 6, 0, 255, u"Signalbox North", 0));
  ASSERT_EQ(0, Logp_Set(14, 7, -1, 255, u"Below", LOGP_F_OFF));
  Grid_SetCell(14, 7, 0, 0xC001);  // the level below shows through
  ASSERT_EQ(0, Logp_Set(9, 5, 0, 255, u"Before", 0));
  Disp_SetObjectTextMode(192 | SPR_OT_LOG, 0);
  MapView& p = Open(0, MAP_MODE_PICTURE, 1, 10, 4);
  Map_PaintObjectInfo(0);
  auto texts = Calls(MAP_OVL_TEXT), boxes = Calls(MAP_OVL_BOX);
  ASSERT_EQ(2u, texts.size());
  EXPECT_EQ(wstr(u"Signalbox North"), wstr(texts[0].text));
  EXPECT_EQ(3 * 32 + 16 + 2, texts[0].x1) << "the middle of the cell";
  EXPECT_EQ(2 * 16 + 8, texts[0].y1) << "odd x: 8 lower";
  EXPECT_EQ(Pal_GetColour(180), texts[0].colour);
  ASSERT_EQ(2u, boxes.size());
  EXPECT_EQ(Pal_GetColour(181), boxes[0].colour);
  EXPECT_EQ(wstr(u"Below"), wstr(texts[1].text));
  EXPECT_EQ(4 * 32 + 16 + 2, texts[1].x1);
  EXPECT_EQ(3 * 16, texts[1].y1) << "even x";
  EXPECT_EQ(Pal_GetColour(182), texts[1].colour);

  // Scrolled by a few pixels, the column before the origin shows too.
  p.pixOffX = 4;
  Disp_SetObjectTextMode(192 | SPR_OT_LOG | 0x8000, 6);
  Map_OverlayClearCalls();
  Map_PaintObjectInfo(0);
  texts = Calls(MAP_OVL_TEXT);
  ASSERT_EQ(3u, texts.size());
  EXPECT_EQ(wstr(u"Before"), wstr(texts[0].text)) << "row 5 comes before row 6";
  EXPECT_EQ(-32 + 4 + 16 + 2, texts[0].x1);
  EXPECT_EQ(wstr(u"Signal"), wstr(texts[1].text)) << "ObjTxteZei 6 cuts";
  EXPECT_EQ(0u, Calls(MAP_OVL_BOX).size()) << "bit 15 takes the boxes away";

  // Schematic view: 8 / scale, no row offset.
  Map_CloseView(0);
  Open(0, MAP_MODE_SCHEMATIC, 1, 10, 4);
  Map_OverlayClearCalls();
  Map_PaintObjectInfo(0);
  texts = Calls(MAP_OVL_TEXT);
  ASSERT_EQ(2u, texts.size());
  EXPECT_EQ(3 * 16 + 8 + 2, texts[0].x1);
  EXPECT_EQ(2 * 16, texts[0].y1);
}

TEST_F(OverlayView, PassesNeedAMemoryDeviceContext) {
  ASSERT_EQ(0, Logp_Set(13, 6, 0, 255, u"L", 0));
  MapView& p = Open(0, MAP_MODE_PICTURE, 1, 10, 4);
  p.memDC = nullptr;
  Map_PaintObjectInfo(0);
  Map_PaintTrainLabels(0);
  Map_PaintGridTexts(0);
  Map_PaintObjectInfo(-1);
  Map_PaintObjectInfo(MAP_VIEWS);
  Map_PaintObjectInfo(3);  // not open
  EXPECT_EQ(0, Map_OverlayCallCount());
}

TEST_F(OverlayView, PaintOverlaysRunsTheSelectedPassesThenTheCursor) {
  ASSERT_EQ(0, Logp_Set(13, 6, 0, 255, u"L", 0));
  g_active = 0;
  Open(0, MAP_MODE_PICTURE, 1, 10, 4);
  Disp_SetObjectTextMode(192 | SPR_OT_LOG, 0);
  Map_PaintOverlays(0);
  auto calls = Calls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(MAP_OVL_BOX, calls[0].op);
  EXPECT_EQ(MAP_OVL_TEXT, calls[1].op);
  EXPECT_EQ(MAP_OVL_FRAME, calls.back().op) << "the cursor comes last";

  Disp_SetDisplayPause(1);
  Map_OverlayClearCalls();
  Map_PaintOverlays(0);
  calls = Calls();
  ASSERT_EQ(1u, calls.size()) << "the pause switch leaves the cursor only";
  EXPECT_EQ(MAP_OVL_FRAME, calls[0].op);

  Disp_SetDisplayPause(0);
  Disp_SetObjectTextMode(128 | SPR_OT_LOG, 0);  // schematic views only
  Map_OverlayClearCalls();
  Map_PaintOverlays(0);
  EXPECT_EQ(1u, Calls().size());
  Map_OverlayClearCalls();
  Map_PaintOverlays(1);  // not open
  EXPECT_EQ(0, Map_OverlayCallCount());
}

#endif  // _WIN32

// ---------------------------------------------------------------- back buffer

const u32 kOld = 0x00ABCDEFu;

struct LockedBuffer : RenderStore {
  int window = 0;
  const i32 W = 12, H = 8;
  void SetUp() override {
    RenderStore::SetUp();
    ASSERT_EQ(0, Map_OpenView(0, &window, MAP_MODE_PICTURE, 1, 0, 0, 0, W, H));
    // A failed resize leaves a larger client size than the buffer has.
    g_mapViews[0].clientWidth = 3 * W;
    g_mapViews[0].clientHeight = 3 * H;
    Fill();
  }
  void Fill() {
    MapView& m = g_mapViews[0];
    for (i32 i = 0; i < W * H; ++i) m.back[i] = kOld;
    m.dirty = 0;
  }
  // Each pixel its own value: row * 100 + column.
  void Number() {
    MapView& m = g_mapViews[0];
    for (i32 y = 0; y < H; ++y)
      for (i32 x = 0; x < W; ++x) m.back[y * W + x] = u32(y * 100 + x);
    m.dirty = 0;
  }
  u32 At(i32 x, i32 y) { return g_mapViews[0].back[y * W + x]; }
  // The positions that differ from kOld, as "x,y" strings in row order.
  std::vector<std::string> Written() {
    std::vector<std::string> out;
    for (i32 y = 0; y < H; ++y)
      for (i32 x = 0; x < W; ++x)
        if (At(x, y) != kOld) out.push_back(std::to_string(x) + "," + std::to_string(y));
    return out;
  }
};

TEST_F(LockedBuffer, SetPixelClipsAtAllFourEdgesAndSetsDirtyOnlyWhenWritten) {
  struct {
    i32 x, y;
    int written;
  } cases[] = {{-1, 3, 0}, {3, -1, 0}, {12, 3, 0}, {3, 8, 0}, {30, 20, 0},  // inside the client, past the buffer
               {0, 0, 1},  {11, 0, 1}, {0, 7, 1},  {11, 7, 1}};
  for (auto& c : cases) {
    Fill();
    Map_LockedSetPixel(0, c.x, c.y, 7);
    EXPECT_EQ(c.written, g_mapViews[0].dirty) << c.x << "," << c.y;
    EXPECT_EQ(size_t(c.written), Written().size()) << c.x << "," << c.y;
    if (c.written) {
      EXPECT_EQ(7u, At(c.x, c.y));
    }
  }
  Fill();
  Map_LockedSetPixel(-1, 0, 0, 7);
  Map_LockedSetPixel(MAP_VIEWS, 0, 0, 7);
  Map_LockedSetPixel(2, 0, 0, 7);  // not open
  EXPECT_EQ(0u, Written().size());
}

TEST_F(LockedBuffer, LinesStepFromTheSmallerEndAndClip) {
  typedef std::vector<std::string> S;
  struct {
    int vertical;
    i32 at, a, b;
    int step;
    S want;
  } cases[] = {
      {1, 3, 10, -3, 4, {"3,1", "3,5"}},                   // -3, 1, 5, 9: 9 is past the bottom
      {1, 0, 0, 7, 3, {"0,0", "0,3", "0,6"}},
      {1, 11, 7, 7, 1, {"11,7"}},
      {1, 12, 0, 7, 1, {}},                                // the column right of the buffer
      {1, -1, 0, 7, 1, {}},
      {0, 2, 20, -5, 5, {"0,2", "5,2", "10,2"}},           // -5, 0, 5, 10, 15, 20
      {0, 7, 3, 6, 0, {"3,7", "4,7", "5,7", "6,7"}},       // step 0 counts as 1
      {0, 8, 0, 11, 1, {}},                                // the row below the buffer
      {0, 0, 12, 30, 1, {}},                               // right of the buffer
  };
  for (auto& c : cases) {
    Fill();
    if (c.vertical)
      Map_LockedVLine(0, c.at, c.a, c.step, 9, c.b);
    else
      Map_LockedHLine(0, c.a, c.at, c.step, 9, c.b);
    EXPECT_EQ(c.want, Written()) << (c.vertical ? "vertical " : "horizontal ") << c.at << " " << c.a << ".." << c.b;
    EXPECT_EQ(c.want.empty() ? 0 : 1, g_mapViews[0].dirty) << c.at;
  }
}

TEST_F(LockedBuffer, FillRectClipsAndSetsDirty) {
  Map_LockedFillRect(0, 10, 6, 5, 100, 100);
  EXPECT_EQ((std::vector<std::string>{"10,6", "11,6", "10,7", "11,7"}), Written());
  EXPECT_EQ(1, g_mapViews[0].dirty);
  Fill();
  Map_LockedFillRect(0, -4, -7, 5, 2, 1);  // x -4..1, y -7..2
  EXPECT_EQ((std::vector<std::string>{"0,0", "1,0", "0,1", "1,1", "0,2", "1,2"}), Written());
  Fill();
  Map_LockedFillRect(0, 1, 2, 5, -7, -4);  // corners crossed: empty
  EXPECT_EQ(0u, Written().size());
  Fill();
  Map_LockedFillRect(0, -2147483647 - 1, -2147483647 - 1, 5, 2147483647, 2147483647);
  EXPECT_EQ(size_t(W * H), Written().size()) << "the whole buffer, whatever the rectangle";
  Fill();
  Map_LockedFillRect(0, 20, 20, 5, 30, 30);
  EXPECT_EQ(0u, Written().size());
  EXPECT_EQ(1, g_mapViews[0].dirty) << "a fill sets dirty";
}

TEST_F(LockedBuffer, ShiftMovesBothWaysAndKeepsTheUncoveredStrip) {
  auto old = [](i32 x, i32 y) { return u32(y * 100 + x); };
  struct {
    i32 dx, dy;
    const char* what;
  } cases[] = {{3, 0, "right"}, {-2, 0, "left"}, {0, 2, "down"}, {0, -3, "up"}, {2, -1, "right and up"},
               {-1, 1, "left and down"}};
  // The rectangle x 2..9, y 1..6.
  const i32 x1 = 2, y1 = 1, x2 = 9, y2 = 6;
  for (auto& c : cases) {
    Number();
    Map_LockedShiftBuffer(0, x1, y1, c.dy, c.dx, y2, x2);
    EXPECT_EQ(0, g_mapViews[0].dirty) << c.what;
    int wrong = 0;
    for (i32 y = 0; y < H; ++y)
      for (i32 x = 0; x < W; ++x) {
        u32 want = old(x, y);
        if (x >= x1 && x <= x2 && y >= y1 && y <= y2) {
          // Across first, then down: a pixel comes from (x - dx, y - dy),
          // each axis only when that lies in the rectangle; on an axis
          // where it does not, the pixel was uncovered and keeps its own.
          const i32 sx = (x - c.dx >= x1 && x - c.dx <= x2) ? x - c.dx : x;
          const i32 sy = (y - c.dy >= y1 && y - c.dy <= y2) ? y - c.dy : y;
          want = old(sx, sy);
        }
        wrong += At(x, y) != want;
      }
    EXPECT_EQ(0, wrong) << c.what;
  }
  // A shift as long as the rectangle, or none at all, moves nothing.
  for (i32 d : {8, -8, 0}) {
    Number();
    Map_LockedShiftBuffer(0, x1, y1, 0, d, y2, x2);
    Map_LockedShiftBuffer(0, x1, y1, d == 8 ? 6 : 0, 0, y2, x2);
    int moved = 0;
    for (i32 y = 0; y < H; ++y)
      for (i32 x = 0; x < W; ++x) moved += At(x, y) != old(x, y);
    EXPECT_EQ(0, moved) << d;
  }
  // An empty rectangle moves nothing; one reaching past the buffer is
  // clipped to it.
  Number();
  Map_LockedShiftBuffer(0, x2, y1, 1, 1, y2, x1);
  int moved = 0;
  for (i32 y = 0; y < H; ++y)
    for (i32 x = 0; x < W; ++x) moved += At(x, y) != old(x, y);
  EXPECT_EQ(0, moved) << "x2 < x1";
  Number();
  Map_LockedShiftBuffer(0, -5, -5, 0, 1, 100, 100);
  EXPECT_EQ(old(0, 3), At(0, 3)) << "the uncovered column keeps its pixel";
  EXPECT_EQ(old(0, 3), At(1, 3));
  EXPECT_EQ(old(10, 3), At(11, 3));
}

TEST_F(LockedBuffer, ClearAllWindowsLeavesTheBackBuffers) {
  Map_ClearAllWindows();
  EXPECT_EQ(0u, Written().size());
  EXPECT_EQ(0, g_mapViews[0].dirty);
}

// ---------------------------------------------------------------- background picture

TEST(OverlayBackground, PixelByIndexRowByRowFromTheTop) {
  Bgp_Reset();
  EXPECT_EQ(0xFF0000u, Map_BackgroundPixel(0)) << "no picture";
  // 4-bit 3 x 2, stored bottom row first: bottom 1 2 3, top 4 5 6.
  std::vector<u32> table(16);
  for (u32 i = 0; i < 16; ++i) table[i] = i * 0x010203u;
  std::vector<u8> bmp = Test_Bmp(4, 3, 2, table, {0x12, 0x30, 0, 0, 0x45, 0x60, 0, 0});
  ASSERT_EQ(0, Bgp_LoadPictureMemory(bmp.data(), u32(bmp.size())));
  const u32 want[6] = {4, 5, 6, 1, 2, 3};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(table[want[i]], Map_BackgroundPixel(i)) << i;
  EXPECT_EQ(0xFF0000u, Map_BackgroundPixel(6));
  EXPECT_EQ(0xFF0000u, Map_BackgroundPixel(-1));
  // 24-bit 2 x 1: bytes blue, green, red give a COLORREF.
  bmp = Test_Bmp(24, 2, 1, {}, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0, 0});
  ASSERT_EQ(0, Bgp_LoadPictureMemory(bmp.data(), u32(bmp.size())));
  EXPECT_EQ(0x112233u, Map_BackgroundPixel(0));
  EXPECT_EQ(0x445566u, Map_BackgroundPixel(1));
  Bgp_Reset();
}

}  // namespace
