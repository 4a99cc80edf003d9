// The picture generator's drawing library: every code the program draws has
// its pictures at every zoom, inside the limits the files allow; track art
// ends where the connection table says; signal aspects differ in colour;
// vehicles fit the vehicle file; and the same build draws the same pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/fio.h"
#include "platform/heap.h"
#include "model/mcs.h"
#include "render/gfxfile.h"
#include "tests/test_util.h"
#include "tools/gfxgen/art_anim.h"
#include "tools/gfxgen/art_base.h"
#include "tools/gfxgen/art_canvas.h"
#include "tools/gfxgen/art_element.h"
#include "tools/gfxgen/art_picture.h"
#include "tools/gfxgen/art_symbol.h"
#include "tools/gfxgen/art_track.h"
#include "tools/gfxgen/art_vehicle.h"

namespace {

const int kZooms[3] = {1, 2, 4};

void RenderElement(u32 code, int zoom, ApcPicture* out) {
  ApcSpec spec;
  ApcDraw draw = Ael_Prepare(code, &spec);
  Apc_Render(&spec, draw, code, zoom, out);
}

void RenderSymbol(u32 code, int zoom, ApcPicture* out) {
  ApcSpec spec;
  ApcDraw draw = Asy_Prepare(code, &spec);
  Apc_Render(&spec, draw, code, zoom, out);
}

// The limits the element picture record puts on every placement, and the
// only marker values a picture may hold.
::testing::AssertionResult PictureFits(const ApcPicture& p, int zoom) {
  if (p.zoom != zoom) return ::testing::AssertionFailure() << "zoom " << p.zoom;
  if (p.placements.empty() || p.placements.size() > 3)
    return ::testing::AssertionFailure() << p.placements.size() << " placements";
  bool drawn = false;
  for (const ApcPlacement& pl : p.placements) {
    if (pl.layer < 1 || pl.layer > 5) return ::testing::AssertionFailure() << "layer " << pl.layer;
    if (pl.w < 1 || pl.h < 1 || pl.px.size() != size_t(pl.w) * size_t(pl.h))
      return ::testing::AssertionFailure() << "size " << pl.w << "x" << pl.h;
    if (pl.x < -32 * zoom || pl.x + pl.w > 64 * zoom || pl.y < -16 * zoom || pl.y + pl.h > 96 * zoom)
      return ::testing::AssertionFailure() << "box " << pl.x << "," << pl.y << " " << pl.w << "x" << pl.h;
    for (u32 v : pl.px) {
      if ((v >> 24) == 0xC0) return ::testing::AssertionFailure() << "run word as pixel";
      if ((v & 0x80000000u) && v != CNV_TRANSPARENT && v != CNV_DARKEN)
        return ::testing::AssertionFailure() << "marker " << std::hex << v;
      if (v != CNV_TRANSPARENT && v != CNV_DARKEN) drawn = true;
    }
  }
  if (!drawn) return ::testing::AssertionFailure() << "nothing drawn";
  return ::testing::AssertionSuccess();
}

// A colour whatever lighting tag it carries (markers never match).
bool HasColour(const ApcPicture& p, u32 colour) {
  for (const ApcPlacement& pl : p.placements)
    for (u32 v : pl.px)
      if (!(v & 0x80000000u) && (v & 0xFFFFFFu) == colour) return true;
  return false;
}

// The pixels of a picture whose lighting tag kind (bits 28..30) is kind.
int TaggedPixels(const ApcPicture& p, u32 kind) {
  int n = 0;
  for (const ApcPlacement& pl : p.placements)
    for (u32 v : pl.px)
      if (!(v & 0x80000000u) && ((v >> 28) & 7) == kind) ++n;
  return n;
}

}  // namespace

// ---------------------------------------------------------------- canvas
TEST(GfxgenCanvas, DrawsInsideTheShapeAndLeavesTheRestTransparent) {
  for (int zoom : kZooms) {
    Canvas c;
    Cnv_Init(&c, zoom, 0, 0, 32, 16);
    Cnv_Rect(&c, 8, 4, 8, 4, Cnv_Rgb(200, 10, 20));
    std::vector<u32> px(size_t(c.pw * c.ph));
    Cnv_Export(&c, px.data());
    for (int y = 0; y < c.ph; ++y)
      for (int x = 0; x < c.pw; ++x) {
        // Rows count from the top: units 4..8 upward are rows (16-8)z..(16-4)z.
        bool inside = x >= 8 * zoom && x < 16 * zoom && y >= 8 * zoom && y < 12 * zoom;
        EXPECT_EQ(px[size_t(y * c.pw + x)], inside ? Cnv_Rgb(200, 10, 20) : CNV_TRANSPARENT)
            << "zoom " << zoom << " at " << x << "," << y;
      }
  }
}

TEST(GfxgenCanvas, ShadowAloneBecomesTheDarkenMarker) {
  Canvas c;
  Cnv_Init(&c, 2, 0, 0, 8, 8);
  Cnv_ShadowRect(&c, 0, 0, 4, 8);
  Cnv_Rect(&c, 2, 0, 2, 8, Cnv_Rgb(1, 2, 3));
  std::vector<u32> px(size_t(c.pw * c.ph));
  Cnv_Export(&c, px.data());
  EXPECT_EQ(px[0], CNV_DARKEN);              // shadow only
  EXPECT_EQ(px[5], Cnv_Rgb(1, 2, 3));        // colour over the shadow
  EXPECT_EQ(px[12], CNV_TRANSPARENT);        // nothing
}

TEST(GfxgenCanvas, ThinLinesStayUnbrokenAtZoomOne) {
  // A one-pixel diagonal must leave no column empty over its length.
  Canvas c;
  Cnv_Init(&c, 1, 0, 0, 32, 16);
  Cnv_Line(&c, 0, 0, 32, 16, 1.0f, Cnv_Rgb(255, 255, 255));
  std::vector<u32> px(size_t(c.pw * c.ph));
  Cnv_Export(&c, px.data());
  for (int x = 1; x < 31; ++x) {
    int n = 0;
    for (int y = 0; y < 16; ++y) n += px[size_t(y * 32 + x)] != CNV_TRANSPARENT;
    EXPECT_GE(n, 1) << "column " << x;
  }
}

// ---------------------------------------------------------------- element pictures
TEST(GfxgenElements, EveryShapeTheStoreLoadsHasAPictureInEveryBankAndZoom) {
  // The shape ranges whose records the graphics store reads for each of the
  // class bases 0, 4096, 7168 and 8192.
  static const int ranges[][2] = {{128, 135}, {136, 151}, {152, 159}, {160, 167}, {168, 175}, {176, 183},
                                  {184, 191}, {192, 199}, {200, 207}, {208, 210}, {216, 255}, {256, 259},
                                  {260, 263}, {264, 271}, {392, 399}, {400, 423}, {424, 439}, {440, 455},
                                  {456, 471}, {496, 503}, {504, 511}};
  std::vector<u32> codes(size_t(Ael_ListCodes(nullptr, 0)));
  Ael_ListCodes(codes.data(), int(codes.size()));
  std::set<u32> listed(codes.begin(), codes.end());
  for (u32 base : {0u, 4096u, 7168u, 8192u})
    for (const auto& r : ranges)
      for (int s = r[0]; s <= r[1]; ++s) EXPECT_TRUE(listed.count(base + u32(s))) << base + u32(s);
  for (u32 code : codes) {
    if ((code & ~0x1FFu) != 4096) continue;  // the banks share their drawings
    for (int zoom : kZooms) {
      ApcPicture p;
      RenderElement(code, zoom, &p);
      EXPECT_TRUE(PictureFits(p, zoom)) << "code " << code << " zoom " << zoom;
    }
  }
}

TEST(GfxgenElements, SignalAspectsShowTheirOwnLampColour) {
  // Shape groups: 50 clear, 51 expect stop, 52 stop (three-aspect main);
  // 53/54 distant; 55/56 two-aspect main; 57/58 dwarf.
  struct Case {
    int group;
    u32 lit;
    u32 notLit;
  };
  const u32 green = Ael_AspectColour(400), yellow = Ael_AspectColour(408), red = Ael_AspectColour(416);
  ASSERT_NE(green, red);
  ASSERT_NE(green, yellow);
  ASSERT_NE(yellow, red);
  const Case cases[] = {{50, green, red}, {51, yellow, green}, {52, red, green}, {53, green, yellow},
                        {54, yellow, green}, {55, green, red},  {56, red, green}, {58, red, green}};
  for (const Case& k : cases)
    for (int d = 0; d < 8; ++d)
      for (int zoom : kZooms) {
        ApcPicture p;
        RenderElement(u32(4096 + k.group * 8 + d), zoom, &p);
        EXPECT_TRUE(HasColour(p, k.lit)) << "group " << k.group << " dir " << d << " zoom " << zoom;
        EXPECT_FALSE(HasColour(p, k.notLit)) << "group " << k.group << " dir " << d << " zoom " << zoom;
      }
}

// Crossings and platforms join like vertical track: the crossing's road
// runs across the cell in the ground layer below the vehicles, with the rails
// showing through it; the platforms leave the track between them clear.
TEST(GfxgenElements, CrossingAndPlatformsLieAlongTheirTrack) {
  ASSERT_EQ(Atk_ConnectionIndex(260), Atk_ConnectionIndex(1));
  for (int zoom : kZooms) {
    ApcPicture p;
    RenderElement(4096 + 260, zoom, &p);
    ASSERT_EQ(p.placements.size(), 2u) << "zoom " << zoom;
    const ApcPlacement& road = p.placements[0];
    EXPECT_EQ(road.layer, 3) << "the road lies below the vehicles";
    EXPECT_EQ(p.placements[1].layer, 2);
    EXPECT_EQ(road.w, 32 * zoom) << "the road crosses the whole cell";
    EXPECT_LT(road.h, 32 * zoom / 2 + 2 * zoom) << "and is no wider than half the cell";
    for (int s = 261; s <= 263; ++s) {
      RenderElement(u32(4096 + s), zoom, &p);
      for (const ApcPlacement& pl : p.placements)
        for (int y = 0; y < pl.h; ++y)
          for (int x = 0; x < pl.w; ++x) {
            int col = pl.x + x;  // from the cell's left edge, zoom pixels
            if (col >= 13 * zoom && col < 19 * zoom) {
              ASSERT_EQ(pl.px[size_t(y * pl.w + x)], CNV_TRANSPARENT)
                  << "shape " << s << " zoom " << zoom << " covers the track at column " << col;
            }
          }
    }
  }
}

// Night: lit signal lamps, windows, street lamps and headlights carry the
// lighting tags of the shading rule (red and white lamps are lamps; coloured
// aspects never darken; windows are windows of a class).
TEST(GfxgenElements, LampsAndWindowsCarryLightingTags) {
  for (int zoom : kZooms) {
    ApcPicture p;
    RenderElement(4096 + 416, zoom, &p);  // stop aspect: a red lamp
    EXPECT_GT(TaggedPixels(p, 5), 0) << "zoom " << zoom;
    RenderElement(4096 + 400, zoom, &p);  // clear aspect: green never darkens
    EXPECT_GT(TaggedPixels(p, 4), 0) << "zoom " << zoom;
    RenderElement(4096 + 456, zoom, &p);  // dwarf signal, white lamps
    EXPECT_GT(TaggedPixels(p, 5), 0) << "zoom " << zoom;
    for (int s = 136; s <= 151; ++s) {  // depot sheds in every style and axis
      RenderElement(u32(4096 + s), zoom, &p);
      EXPECT_GT(TaggedPixels(p, 6), 0) << "depot " << s << " zoom " << zoom;
    }
    int houses = 0, stations = 0, lamps = 0;
    for (u32 code = 51200; code <= 51343; ++code) {
      RenderSymbol(code, zoom, &p);
      houses += TaggedPixels(p, 6) > 0;
    }
    for (u32 code = 50944; code <= 50981; ++code) {
      RenderSymbol(code, zoom, &p);
      stations += TaggedPixels(p, 6) > 0;
    }
    for (u32 code = 52992; code <= 53065; ++code) {
      RenderSymbol(code, zoom, &p);
      lamps += TaggedPixels(p, 5) > 0;
    }
    EXPECT_EQ(houses, 144) << "every house has lit windows, zoom " << zoom;
    EXPECT_GT(stations, 0) << "zoom " << zoom;
    EXPECT_GT(lamps, 0) << "street lamps, zoom " << zoom;
  }
}

// The retaining walls of the curves stand at the edge of their track bed
// inside their own cell (they floated beside the cell before); the platforms
// with a clock keep their departure board in a placement of its own, the
// second, which the compositor leaves out where the platform goes on.
TEST(GfxgenElements, CurveWallsStayInTheirCellAndBoardsAreTheirOwnPlacement) {
  for (int zoom : kZooms)
    for (int s = 496; s <= 503; ++s) {
      ApcPicture p;
      RenderElement(u32(4096 + s), zoom, &p);
      for (const ApcPlacement& pl : p.placements) {
        EXPECT_GE(pl.x, 0) << "shape " << s << " zoom " << zoom;
        EXPECT_LE(pl.x + pl.w, 32 * zoom) << "shape " << s << " zoom " << zoom;
        EXPECT_GE(pl.y, 0) << "shape " << s << " zoom " << zoom;
        EXPECT_LE(pl.y + pl.h, 19 * zoom) << "a low wall, shape " << s << " zoom " << zoom;
      }
    }
  for (int zoom : kZooms)
    for (int s = 261; s <= 263; ++s) {
      ApcPicture p;
      RenderElement(u32(4096 + s), zoom, &p);
      ASSERT_EQ(p.placements.size(), s == 261 ? 1u : 2u) << "shape " << s << " zoom " << zoom;
      EXPECT_EQ(p.placements.back().layer, 2);
      if (s != 261) {
        EXPECT_GE(p.placements[1].x, 16 * zoom) << "the board stands on the right-hand platform";
      }
    }
}

// Ramps (and the cuttings in front of portals that face away, drawn the
// same way) lie on their own cell seen from above: on diagonal track they
// reached into the neighbouring cells before.
TEST(GfxgenElements, RampsStayInsideTheirCell) {
  std::vector<int> shapes;
  for (int s = 184; s <= 191; ++s) shapes.push_back(s);
  for (int s = 232; s <= 239; ++s) shapes.push_back(s);
  for (u16 base : kAelClassBases)
    for (int s : shapes)
      for (int zoom : kZooms) {
        ApcPicture p;
        RenderElement(u32(base + s), zoom, &p);
        int inside = 0, outside = 0;
        for (const ApcPlacement& pl : p.placements)
          for (int y = 0; y < pl.h; ++y)
            for (int x = 0; x < pl.w; ++x) {
              if (pl.px[size_t(y * pl.w + x)] == CNV_TRANSPARENT) continue;
              const int col = pl.x + x, row = pl.y + pl.h - 1 - y;  // row up from the cell bottom
              if (col >= 0 && col < 32 * zoom && row >= 0 && row < 16 * zoom) ++inside;
              else ++outside;
            }
        EXPECT_EQ(outside, 0) << "shape " << s << " bank " << base << " zoom " << zoom;
        EXPECT_GT(inside, 32 * zoom * 16 * zoom / 8) << "shape " << s << " bank " << base << " zoom " << zoom;
      }
}

// The element drawings share the set's style: the edge of a drawing is a
// darker shade of the surface it bounds (flat polygons without outlines
// had edges as light as their middles), and no outline is pure black.
TEST(GfxgenElements, ElementsHaveADarkOutlineThatIsNotBlack) {
  struct Case {
    int shape;
    const char* what;
  };
  const Case cases[] = {{136, "depot shed"},       {137, "depot shed along the track"},
                        {152, "clock point"},      {168, "buffer stop"},
                        {172, "diagonal buffer"},  {128, "sound board"},
                        {176, "speed board"},      {192, "shunting board"},
                        {200, "Dwx diamond"},      {264, "stop sign"},
                        {256, "girders"},          {260, "level crossing"},
                        {392, "ten-state signal"}, {400, "main signal"},
                        {424, "distant signal"},   {440, "two-aspect signal"},
                        {456, "dwarf signal"}};
  auto lum = [](u32 v) { return int(((v >> 16) & 255) * 3 + ((v >> 8) & 255) * 6 + (v & 255)); };
  for (const Case& k : cases)
    for (int zoom : {2, 4}) {
      ApcPicture p;
      RenderElement(u32(4096 + k.shape), zoom, &p);
      int edges = 0, darker = 0, black = 0;
      for (const ApcPlacement& pl : p.placements) {
        auto at = [&](int x, int y) {
          return x < 0 || y < 0 || x >= pl.w || y >= pl.h ? CNV_TRANSPARENT : pl.px[size_t(y * pl.w + x)];
        };
        for (int y = 0; y < pl.h; ++y)
          for (int x = 0; x < pl.w; ++x) {
            const u32 v = at(x, y);
            if (v & 0x80000000u) continue;
            if (((v >> 16) & 255) <= 24 && ((v >> 8) & 255) <= 24 && (v & 255) <= 24) ++black;
            // An edge of something at least three pixels across: drawn
            // inward, nothing outward.
            static const int dx[4] = {1, -1, 0, 0}, dy[4] = {0, 0, 1, -1};
            for (int d = 0; d < 4; ++d) {
              const u32 out = at(x + dx[d], y + dy[d]), in1 = at(x - dx[d], y - dy[d]),
                        in2 = at(x - 2 * dx[d], y - 2 * dy[d]);
              if (!(out & 0x80000000u) || (in1 & 0x80000000u) || (in2 & 0x80000000u)) continue;
              ++edges;
              if (lum(v) < lum(in1) || lum(v) < lum(in2)) ++darker;
              break;
            }
          }
      }
      EXPECT_EQ(black, 0) << k.what << " zoom " << zoom;
      ASSERT_GT(edges, 0) << k.what << " zoom " << zoom;
      EXPECT_GE(darker * 100 / edges, 60) << k.what << " zoom " << zoom << ": " << darker << " of " << edges
                                          << " edge pixels darker than inside";
    }
}

TEST(GfxgenElements, PicturesAreTransparentAwayFromTheirObject) {
  // A stop board stands beside the track: the cell's opposite side stays
  // clear so the ground shows through.
  ApcPicture p;
  RenderElement(4096 + 264, 2, &p);  // stop, trains going up: board on the right
  ASSERT_EQ(p.placements.size(), 1u);
  const ApcPlacement& pl = p.placements[0];
  EXPECT_GE(pl.x, 2 * 14) << "nothing left of the track";
  // A buffer stop is drawn on its stub only.
  RenderElement(4096 + 169, 1, &p);  // stub from the top: the lower half is free
  for (const ApcPlacement& q : p.placements) EXPECT_GE(q.y, 4) << "buffer stop reaches the near border";
}

// ---------------------------------------------------------------- picture codes
TEST(GfxgenSymbols, EveryPictureCodeRangeIsFilledAtEveryZoom) {
  static const u32 ranges[][2] = {{49154, 49158}, {49408, 49487}, {49664, 49743}, {49920, 49999}, {50176, 50255},
                                  {50452, 50469}, {50688, 50701}, {50944, 50981}, {51200, 51343}, {51456, 51463},
                                  {51712, 51721}, {51968, 52077}, {52224, 52293}, {52480, 52679}, {52736, 52761},
                                  {52992, 53065}, {53248, 53253}, {53504, 53605}, {53760, 53849}, {54016, 54177},
                                  {54272, 54417}, {54528, 54713}, {54784, 54831}, {55040, 55057}, {55296, 55313}};
  for (const auto& r : ranges)
    for (u32 code = r[0]; code <= r[1]; ++code) ASSERT_TRUE(Asy_HasPicture(code)) << code;
  EXPECT_FALSE(Asy_HasPicture(49152));  // the empty cell is never drawn
  EXPECT_FALSE(Asy_HasPicture(55552));  // user graphics have their own placeholders
  // Every code, and every sub-picture of the codes picked by cell parity,
  // drawn in full at every zoom: a shape drawn at zoom 1 can still come out
  // empty at a larger zoom (the drawing goes through the zoom's own pixels).
  std::vector<u32> codes(size_t(Asy_ListCodes(nullptr, 0)));
  Asy_ListCodes(codes.data(), int(codes.size()));
  for (u32 code : codes) {
    const int parts = Asy_PartCount(code);
    for (int part = parts > 1 ? 1 : 0; part <= (parts > 1 ? parts : 0); ++part)
      for (int zoom : kZooms) {
        ApcSpec spec;
        u32 drawCode;
        ApcDraw draw = Asy_PreparePart(code, part, &spec, &drawCode);
        ApcPicture p;
        Apc_Render(&spec, draw, drawCode, zoom, &p);
        EXPECT_TRUE(PictureFits(p, zoom)) << "code " << code << " part " << part << " zoom " << zoom;
      }
  }
}

// An info point mark and a log point mark on one cell: the compositor moves
// the info mark half a cell down and the log mark half a cell up. Each mark
// keeps to its half of the cell, so both stay whole either way.
TEST(GfxgenSymbols, InfoAndLogMarksStayWholeInOneCell) {
  for (int zoom : kZooms)
    for (u32 code : {0xC003u, 0xC004u, 0xC005u}) {
      ApcPicture p;
      RenderSymbol(code, zoom, &p);
      const int shift = code == 0xC003u ? -8 * zoom : 8 * zoom;  // y up from the cell bottom
      for (const ApcPlacement& pl : p.placements) {
        if (Apc_IsEmpty(&pl)) continue;
        for (int moved : {0, shift}) {
          EXPECT_GE(pl.y + moved, 0) << code << " zoom " << zoom << " moved " << moved;
          EXPECT_LE(pl.y + moved + pl.h, 16 * zoom) << code << " zoom " << zoom << " moved " << moved;
          EXPECT_GE(pl.x, 0);
          EXPECT_LE(pl.x + pl.w, 32 * zoom);
        }
      }
    }
}

TEST(GfxgenSymbols, AllCodesFitAtZoomOne) {
  std::vector<u32> codes(size_t(Asy_ListCodes(nullptr, 0)));
  Asy_ListCodes(codes.data(), int(codes.size()));
  for (u32 code : codes) {
    ApcPicture p;
    RenderSymbol(code, 1, &p);
    EXPECT_TRUE(PictureFits(p, 1)) << "code " << code;
  }
}

// ---------------------------------------------------------------- buildings
namespace {

// A picture's pixels over the whole drawing box of the cell frame at zoom
// (x from -16, y up from -8, 64 x 56 units), transparent where nothing is.
struct Frame {
  int zoom = 1, w = 0, h = 0;
  std::vector<u32> px;
  u32 At(int x, int y) const {  // cell-frame pixel, y up
    const int fx = x + 16 * zoom, fy = y + 8 * zoom;
    return fx < 0 || fy < 0 || fx >= w || fy >= h ? CNV_TRANSPARENT : px[size_t(fy) * size_t(w) + size_t(fx)];
  }
};

Frame FrameOf(const ApcPicture& p) {
  Frame f;
  f.zoom = p.zoom, f.w = 64 * p.zoom, f.h = 56 * p.zoom;
  f.px.assign(size_t(f.w) * size_t(f.h), CNV_TRANSPARENT);
  for (const ApcPlacement& pl : p.placements)
    for (int r = 0; r < pl.h; ++r)
      for (int c = 0; c < pl.w; ++c) {
        const u32 v = pl.px[size_t(r) * size_t(pl.w) + size_t(c)];
        const int fx = pl.x + c + 16 * p.zoom, fy = pl.y + pl.h - 1 - r + 8 * p.zoom;
        if (v != CNV_TRANSPARENT && fx >= 0 && fy >= 0 && fx < f.w && fy < f.h) f.px[size_t(fy) * size_t(f.w) + size_t(fx)] = v;
      }
  return f;
}

bool Drawn(u32 v) { return !(v & 0x80000000u); }

const int kNone = -(1 << 20);

int Luma(u32 v) { return int((v >> 16) & 255) * 3 + int((v >> 8) & 255) * 6 + int(v & 255); }  // x10

// The highest drawn pixel of column x, or kNone.
int TopOf(const Frame& f, int x) {
  for (int y = 48 * f.zoom - 1; y >= -8 * f.zoom; --y)
    if (Drawn(f.At(x, y))) return y;
  return kNone;
}

// The silhouette of a picture (which pixels are drawn), for telling drawings apart.
std::vector<bool> Silhouette(u32 code) {
  ApcPicture p;
  RenderSymbol(code, 1, &p);
  const Frame f = FrameOf(p);
  std::vector<bool> m(f.px.size());
  for (size_t i = 0; i < m.size(); ++i) m[i] = Drawn(f.px[i]);
  return m;
}

struct BuildingFamily {
  u32 first, last;
  const char* name;
};
const BuildingFamily kBuildings[] = {
    {51200, 51343, "house"}, {54016, 54177, "town building"}, {52224, 52293, "industry"}, {50944, 50981, "station"}};

}  // namespace

// Every building is bounded by a dark outline: seen from above, the first
// pixel of each column is a deep shade, but never pure black, so the
// outline keeps the hue of its surface by day, dusk and night.
TEST(GfxgenBuildings, EveryBuildingHasADarkOutlineAtItsTop) {
  for (const BuildingFamily& fam : kBuildings)
    for (u32 code = fam.first; code <= fam.last; ++code)
      for (int zoom : {1, 2}) {
        ApcPicture p;
        RenderSymbol(code, zoom, &p);
        const Frame f = FrameOf(p);
        int columns = 0;
        for (int x = -16 * zoom; x < 48 * zoom; ++x) {
          const int top = TopOf(f, x);
          if (top < -8 * zoom) continue;
          ++columns;
          const u32 v = f.At(x, top) & 0xFFFFFFu;
          EXPECT_LT(Luma(v), 1000) << fam.name << " " << code << " zoom " << zoom << " column " << x << " colour "
                                   << std::hex << v;
          EXPECT_NE(v, 0u) << fam.name << " " << code << " zoom " << zoom << " column " << x << ": pure black";
        }
        EXPECT_GT(columns, 4 * zoom) << fam.name << " " << code;
      }
}

// Families of many codes take turns through their drawings: two neighbouring
// codes never share a silhouette, and industry and station buildings each
// have a dozen distinct drawings (they had a handful for dozens of codes).
TEST(GfxgenBuildings, NeighbouringCodesAreDifferentDrawings) {
  for (const BuildingFamily& fam : kBuildings) {
    std::set<std::vector<bool>> distinct;
    std::vector<bool> previous;
    for (u32 code = fam.first; code <= fam.last; ++code) {
      std::vector<bool> m = Silhouette(code);
      if (code > fam.first) {
        EXPECT_NE(m, previous) << fam.name << " " << code << " looks like the code before";
      }
      distinct.insert(m);
      previous = std::move(m);
    }
    if (fam.first == 52224 || fam.first == 50944) {
      EXPECT_GE(distinct.size(), 12u) << fam.name;
    }
  }
}

// The door of a building takes the place of a ground-floor window: no
// window lies under it or touches its top (the door was once painted over a
// window). A smoking chimney stands on the roof: its column is whole from
// the chimney's top down to the ground, and it rises above the roof beside it.
TEST(GfxgenBuildings, DoorsStandBesideWindowsAndChimneysOnTheRoof) {
  const u32 door = 0x603E28u;  // the door colour of the buildings
  int doors = 0, chimneys = 0;
  for (const BuildingFamily& fam : kBuildings)
    for (u32 code = fam.first; code <= fam.last; ++code)
      for (int zoom : kZooms) {
        ApcPicture p;
        RenderSymbol(code, zoom, &p);
        const Frame f = FrameOf(p);
        for (int x = -16 * zoom; x < 48 * zoom; ++x) {
          int doorTop = kNone;
          for (int y = -8 * zoom; y < 48 * zoom; ++y)
            if (Drawn(f.At(x, y)) && (f.At(x, y) & 0xFFFFFFu) == door) doorTop = std::max(doorTop, y);
          if (doorTop < -8 * zoom) continue;
          ++doors;
          for (int y = -8 * zoom; y <= doorTop + zoom; ++y) {
            const u32 v = f.At(x, y);
            EXPECT_FALSE(Drawn(v) && ((v >> 28) & 7) == 6)
                << "window under or on the door: code " << code << " zoom " << zoom << " column " << x << " row " << y;
          }
        }
        ArtEffects fx;
        if (zoom != 1 || !Asy_Effects(code, &fx) || !fx.smoke) continue;
        ++chimneys;
        const int top = TopOf(f, fx.smokeX);
        EXPECT_LE(std::abs(top - fx.smokeY), 2) << "the smoke leaves the chimney's top, code " << code;
        int bottom = top;
        for (int y = top; y >= -8; --y)
          if (Drawn(f.At(fx.smokeX, y))) bottom = y;
        for (int y = top; y >= bottom; --y)
          ASSERT_TRUE(Drawn(f.At(fx.smokeX, y))) << "gap under the chimney, code " << code << " row " << y;
        EXPECT_LT(TopOf(f, fx.smokeX + fx.smokeWidth + 1), top - 1) << "the chimney rises above the roof, code " << code;
      }
  EXPECT_GT(doors, 0);
  EXPECT_GT(chimneys, 40);
}

// Platforms, walls and hedges along a row of cells join without a seam:
// the outline runs along their long sides only, so a picture's first and
// last columns are alike wherever the band runs on into the next cell.
TEST(GfxgenBuildings, BandsAlongACellJoinTheNextCellWithoutASeam) {
  const u32 codes[] = {50452, 50453, 50460, 50461, 50464, 50465, 50468, 50469, 50691, 50692, 55040, 55041, 55048};
  for (u32 code : codes)
    for (int zoom : kZooms) {
      ApcPicture p;
      RenderSymbol(code, zoom, &p);
      const Frame f = FrameOf(p);
      int rows = 0;
      for (int y = -8 * zoom; y < 48 * zoom; ++y) {
        const u32 first = f.At(0, y), last = f.At(32 * zoom - 1, y);
        rows += Drawn(first);
        EXPECT_EQ(first, last) << "code " << code << " zoom " << zoom << " row " << y;
      }
      EXPECT_GT(rows, 0) << "code " << code << " reaches the cell's sides";
    }
}

// ---------------------------------------------------------------- track ground
namespace {

// Whether the ground row's mask shows track at a connector of the cell
// (zoom 2, 64 x 32, top row first).
bool TrackAt(const u8* m, int connector) {
  struct Spot {
    int x0, x1, y0, y1;
  };
  static const Spot spots[8] = {
      {30, 33, 0, 1},   {30, 33, 30, 31},  // up, down: the middle of the top and bottom rows
      {0, 1, 15, 16},   {62, 63, 15, 16},  // left, right
      {60, 63, 29, 31}, {0, 3, 0, 2},      // down-right, up-left corners
      {0, 3, 29, 31},   {60, 63, 0, 2}};   // down-left, up-right
  const Spot& s = spots[connector];
  for (int y = s.y0; y <= s.y1; ++y)
    for (int x = s.x0; x <= s.x1; ++x)
      if (m[y * 64 + x] != ATK_MASK_NONE) return true;
  return false;
}

// Connectors the train movement uses for a shape: the side a train comes in
// by and the side it leaves by, for every entry of its row.
std::set<int> TableConnectors(int shape) {
  std::set<int> out;
  int idx = Atk_ConnectionIndex(shape);
  for (int d = 2; d <= 9; ++d) {
    int r, cls;
    if (Atk_Connection(idx, d, &r, &cls) != 0) continue;
    out.insert(Atk_DirectionConnector(d) ^ 1);
    if (r != 0) out.insert(Atk_DirectionConnector(r == 1 ? d : r));
  }
  return out;
}

}  // namespace

TEST(GfxgenTrack, GroundEndsWhereTheConnectionTableSays) {
  static AtkGround g;
  ASSERT_EQ(Atk_BuildGround(&g), 0);
  // A readable sample first: shape, then its connectors.
  struct Row {
    int shape;
    std::set<int> connectors;
  };
  const Row sample[] = {
      {0, {ATK_LEFT, ATK_RIGHT}},
      {1, {ATK_UP, ATK_DOWN}},
      {2, {ATK_UPLEFT, ATK_DOWNRIGHT}},
      {3, {ATK_DOWNLEFT, ATK_UPRIGHT}},
      {8, {ATK_DOWN, ATK_LEFT}},
      {24, {ATK_DOWN, ATK_UPLEFT}},
      {28, {ATK_LEFT, ATK_DOWNRIGHT}},
      {32, {ATK_UP, ATK_DOWN, ATK_LEFT, ATK_RIGHT}},
      {48, {ATK_LEFT, ATK_RIGHT, ATK_DOWNRIGHT}},
      {72, {ATK_UP, ATK_DOWN, ATK_UPLEFT, ATK_UPRIGHT}},
      {168, {ATK_DOWN}},
      {171, {ATK_LEFT}},
  };
  for (const Row& r : sample) EXPECT_EQ(TableConnectors(r.shape), r.connectors) << "shape " << r.shape;
  // Then every track shape of the ground: track shows at exactly its connectors.
  std::vector<int> shapes;
  for (int s = 0; s < 96; ++s) shapes.push_back(s);
  for (int s = 168; s <= 175; ++s) shapes.push_back(s);
  for (int s = 272; s <= 303; ++s) shapes.push_back(s);
  for (int s = 260; s <= 263; ++s) shapes.push_back(s);  // crossing and platforms
  for (int s : shapes) {
    // 34..37 run like 29..32 but the compositor gives them the ground rows of
    // the slip crossings 12..15: their ground cannot follow their connections.
    if (s >= 34 && s <= 37) continue;
    std::set<int> want = TableConnectors(s);
    if (want.empty()) continue;
    u8 m[64 * 32];
    Atk_RenderRow(&g, Atk_GroundRow(s), 2, m);
    for (int c = 0; c < 8; ++c)
      EXPECT_EQ(TrackAt(m, c), want.count(c) == 1) << "shape " << s << " connector " << c;
  }
}

// Sleepers of straight track at zoom 2 are all equally wide: along the
// centre line of the track every sleeper covers the same number of pixels
// (before, they alternated between one and two pixels).
TEST(GfxgenTrack, SleepersAtZoomTwoAreEven) {
  static AtkGround g;
  ASSERT_EQ(Atk_BuildGround(&g), 0);
  const struct {
    int shape, a, b;
  } straights[] = {{0, ATK_LEFT, ATK_RIGHT}, {1, ATK_UP, ATK_DOWN}, {2, ATK_UPLEFT, ATK_DOWNRIGHT},
                   {3, ATK_DOWNLEFT, ATK_UPRIGHT}};
  for (const auto& t : straights) {
    u8 m[64 * 32];
    Atk_RenderRow(&g, Atk_GroundRow(t.shape), 2, m);
    float ax, av, bx, bv;
    Atk_ConnectorPoint(t.a, &ax, &av);
    Atk_ConnectorPoint(t.b, &bx, &bv);
    // Pixel positions of the ends (column, row from the top) at zoom 2.
    const float c0 = ax * 2, r0 = (16 - av / 2) * 2, c1 = bx * 2, r1 = (16 - bv / 2) * 2;
    const int steps = int(std::max(std::fabs(c1 - c0), std::fabs(r1 - r0)));
    std::vector<int> runs;
    int run = 0;
    for (int k = 0; k < steps; ++k) {
      const float f = (float(k) + 0.5f) / float(steps);
      const int c = int(c0 + (c1 - c0) * f), r = int(r0 + (r1 - r0) * f);
      const bool sleeper = c >= 0 && c < 64 && r >= 0 && r < 32 && m[r * 64 + c] == ATK_MASK_SLEEPER;
      if (sleeper) ++run;
      if ((!sleeper || k + 1 == steps) && run) runs.push_back(run), run = 0;
    }
    ASSERT_GE(runs.size(), 4u) << "shape " << t.shape;
    // The first and last may be cut by the cell's border.
    std::set<int> widths(runs.begin() + 1, runs.end() - 1);
    std::string all;
    for (int w : runs) all += std::to_string(w) + " ";
    EXPECT_EQ(1u, widths.size()) << "shape " << t.shape << ": sleeper widths " << all;
  }
}

TEST(GfxgenTrack, PathsJoinTheirConnectorPoints) {
  float xv[200];
  for (int a = 0; a < 8; ++a)
    for (int b = 0; b <= 8; ++b) {
      if (a == b) continue;
      int n = Atk_PathLine(a, b, xv, 100);
      ASSERT_GE(n, 2);
      float ax, av, bx, bv;
      Atk_ConnectorPoint(a, &ax, &av);
      Atk_ConnectorPoint(b, &bx, &bv);
      EXPECT_NEAR(xv[0], ax, 1e-3) << a << "-" << b;
      EXPECT_NEAR(xv[1], av, 1e-3) << a << "-" << b;
      EXPECT_NEAR(xv[2 * n - 2], bx, 1e-3) << a << "-" << b;
      EXPECT_NEAR(xv[2 * n - 1], bv, 1e-3) << a << "-" << b;
    }
}

TEST(GfxgenTrack, TablesStayWithinTheirRanges) {
  static AtkGround g;
  ASSERT_EQ(Atk_BuildGround(&g), 0);
  EXPECT_GE(g.pieceCount, 2);
  EXPECT_LE(g.pieceCount, ATK_PIECES_MAX);  // the glyphs follow from 88 on
  for (const auto& row : g.stripTable)
    for (u8 p : row) EXPECT_LT(p, g.pieceCount);
  for (const auto& row : g.shapeTable) {
    bool ended = false;
    for (u8 p : row) {
      if (p == 255) ended = true;
      else {
        EXPECT_FALSE(ended) << "pattern after the end mark";
        EXPECT_LT(p, ATK_STRIP_PATTERNS);
      }
    }
  }
  // Rows the compositor maps codes to are never empty for track shapes.
  for (int s = 0; s < 96; ++s) EXPECT_NE(g.shapeTable[Atk_GroundRow(s)][0], 255) << "shape " << s;
  // Diagonal ground reaches over the border: the edge rows name it.
  EXPECT_EQ(Atk_EdgeRowFromBelow(2), 105);   // falling diagonal below: its top-left end
  EXPECT_EQ(Atk_EdgeRowFromBelow(3), 106);
  EXPECT_EQ(Atk_EdgeRowFromAbove(3), 108);
  EXPECT_EQ(Atk_EdgeRowFromAbove(2), 109);
  EXPECT_EQ(Atk_EdgeRowFromBelow(0), -1);
  EXPECT_EQ(Atk_EdgeRowFromBelow(33), 107);  // both diagonals
}

TEST(GfxgenTrack, BaseFileKeepsMasksAndGlyphsApart) {
  static AtkGround g;
  static GfxBaseFile f;
  ASSERT_EQ(Atk_BuildGround(&g), 0);
  Abs_BuildBase(&g, &f);
  for (int b = 0; b < GFX_BASE_BLOCKS; ++b) EXPECT_EQ(f.eightBit[b], 1);
  for (u8 m : {ATK_MASK_CORE, ATK_MASK_BALLAST, ATK_MASK_RAIL, ATK_MASK_SLEEPER})
    EXPECT_EQ(GfxFile_MapBaseByte(Abs_ByteOfMask(m)), m);
  // Piece n at zoom 1 is picture n; its zoom-2 quarters lie where the
  // compositor looks for them.
  for (int n = 0; n < g.pieceCount; ++n)
    for (int r = 0; r < 16; ++r)
      for (int c = 0; c < 8; ++c) {
        ASSERT_EQ(GfxFile_MapBaseByte(f.pixels[n][r][c]), g.piece1[n][r][c]);
        ASSERT_EQ(GfxFile_MapBaseByte(f.pixels[Abs_Zoom2Picture(n, 0)][r][c]), g.piece2[n][16 + r][c]);
        ASSERT_EQ(GfxFile_MapBaseByte(f.pixels[Abs_Zoom2Picture(n, 3)][r][c]), g.piece2[n][r][8 + c]);
      }
  EXPECT_EQ(Abs_Zoom2Picture(0, 0), 144);
  EXPECT_EQ(Abs_Zoom2Picture(0, 2), 152);
  EXPECT_EQ(Abs_Zoom2Picture(5, 1), 163);
  // Glyphs: bit 2 set on ink, nothing else; code 32 is blank, the arrows not.
  int ink31 = 0;
  for (int k = 0; k < ABS_GLYPHS; ++k)
    for (int r = 0; r < 16; ++r)
      for (int c = 0; c < 8; ++c) {
        u8 v = GfxFile_MapBaseByte(f.pixels[ABS_GLYPH_FIRST + k][r][c]);
        EXPECT_TRUE(v == 0 || (v & 4)) << "glyph " << k;
        if (k == 32) {
          EXPECT_EQ(v, 0);
        }
        if (k == 31 && v) ++ink31;
      }
  EXPECT_GT(ink31, 8);
}

// ---------------------------------------------------------------- vehicles
TEST(GfxgenVehicles, RequiredSetsAndCatalogueFitTheVehicleFile) {
  for (u16 set : {40321, 40320, 40310, 40740, 40510, 20020, 20010, 20001, 6256}) {
    const AvhSet* s = Avh_FindSet(set);
    ASSERT_NE(s, nullptr) << set;
    ASSERT_GE(s->count, 1);
    EXPECT_EQ(s->vehicles[0].index, 0);
  }
  std::set<int> kinds;
  u16 last = 0;
  for (int i = 0; i < Avh_SetCount(); ++i) {
    const AvhSet* s = Avh_Set(i);
    EXPECT_GT(s->number, last) << "sets ascending";
    last = s->number;
    ASSERT_LE(s->count, GFX_SET_VEHICLES);
    std::set<int> indexes;
    for (int k = 0; k < s->count; ++k) {
      const AvhVehicle& v = s->vehicles[k];
      kinds.insert(v.kind);
      EXPECT_TRUE(indexes.insert(v.index).second) << "index twice in set " << s->number;
      EXPECT_TRUE(v.length >= 8 && v.length <= 256 && v.length % 2 == 0) << v.name;
      EXPECT_TRUE(v.a >= 2 && v.a <= 14 && v.b >= 4 && v.b <= 16 && v.c >= 2 && v.c <= 14) << v.name;
      for (int m = 0; m < v.markerCount; ++m) {
        EXPECT_LT(v.markers[m].position, v.length) << v.name;
        EXPECT_TRUE(v.markers[m].value >= 4 && v.markers[m].value <= 13) << v.name;
      }
      for (int zoom : kZooms) {
        std::vector<u32> px;
        Avh_Render(&v, zoom, &px);
        u32 want = GfxFile_VehiclePixelCount(v.length, v.a, v.b, v.c, v.flags);
        EXPECT_EQ(px.size(), size_t(want) * size_t(zoom) * size_t(zoom)) << v.name << " zoom " << zoom;
        // The first side view is drawn, and not only in its first row.
        size_t side = size_t(v.length) * v.a * size_t(zoom) * size_t(zoom), drawn = 0;
        for (size_t i = 0; i < side && i < px.size(); ++i) drawn += px[i] != CNV_TRANSPARENT;
        EXPECT_GT(drawn, side / 4) << v.name << " zoom " << zoom;
      }
    }
  }
  for (int k : {AVH_STEAM, AVH_DIESEL_HOOD, AVH_ELECTRIC, AVH_COACH, AVH_BOX, AVH_TANK, AVH_FLAT, AVH_HOPPER,
                AVH_EMU_HEAD, AVH_TRAM_HEAD})
    EXPECT_TRUE(kinds.count(k)) << "kind " << k;
  // The catalogue a user expects: thirty sets, a hundred and fifty vehicles,
  // every kind drawn by some vehicle.
  int vehicles = 0;
  for (int i = 0; i < Avh_SetCount(); ++i) vehicles += Avh_Set(i)->count;
  EXPECT_GE(Avh_SetCount(), 30);
  EXPECT_GE(vehicles, 150);
  EXPECT_EQ(int(kinds.size()), int(AVH_KINDS));
}

TEST(GfxgenVehicles, SecondSideIsTheMirrorOfTheFirst) {
  const AvhVehicle& v = Avh_FindSet(40740)->vehicles[0];
  std::vector<u32> a, b;
  int w, h, w2, h2;
  Avh_View(&v, AVH_SIDE_1, 2, &a, &w, &h);
  Avh_View(&v, AVH_SIDE_2, 2, &b, &w2, &h2);
  ASSERT_EQ(w, w2);
  ASSERT_EQ(h, h2);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) ASSERT_EQ(a[size_t(y * w + x)], b[size_t(y * w + w - 1 - x)]);
}

// The band under the roof belongs to the insulated wagon in any colour, and
// a box wagon never has it, not even in the insulated wagon's white: the
// pixels that show the body are the same whatever the body's colour.
TEST(GfxgenVehicles, AWagonIsDrawnByItsKindNotByItsColour) {
  const AvhVehicle* insulated = nullptr;
  for (int i = 0; i < Avh_SetCount() && !insulated; ++i)
    for (int k = 0; k < Avh_Set(i)->count; ++k)
      if (Avh_Set(i)->vehicles[k].kind == AVH_INSULATED) insulated = &Avh_Set(i)->vehicles[k];
  ASSERT_NE(insulated, nullptr);
  auto bodyPixels = [&](int kind, u32 body) {
    AvhVehicle v = *insulated;
    v.kind = kind;
    v.body = body;
    std::vector<u32> px;
    int w, h;
    Avh_View(&v, AVH_SIDE_1, 2, &px, &w, &h);
    std::vector<bool> shown;
    for (u32 p : px) shown.push_back(p == body);
    return shown;
  };
  const u32 white = Cnv_Rgb(236, 236, 232), brown = Cnv_Rgb(120, 70, 44);
  EXPECT_EQ(bodyPixels(AVH_BOX, white), bodyPixels(AVH_BOX, brown));
  EXPECT_EQ(bodyPixels(AVH_INSULATED, white), bodyPixels(AVH_INSULATED, brown));
  EXPECT_NE(bodyPixels(AVH_INSULATED, white), bodyPixels(AVH_BOX, white)) << "the band is drawn";
}

// ---------------------------------------------------------------- the same pixels every run
TEST(GfxgenDeterminism, DrawingTwiceGivesTheSamePixels) {
  for (u32 code : {4096u + 400u, 4096u + 216u, 4096u + 264u}) {
    ApcPicture a, b;
    RenderElement(code, 4, &a);
    RenderElement(code, 4, &b);
    ASSERT_EQ(a.placements.size(), b.placements.size());
    for (size_t i = 0; i < a.placements.size(); ++i) EXPECT_EQ(a.placements[i].px, b.placements[i].px) << code;
  }
  for (u32 code : {51210u, 53760u, 49408u}) {
    ApcPicture a, b;
    RenderSymbol(code, 2, &a);
    RenderSymbol(code, 2, &b);
    ASSERT_EQ(a.placements.size(), b.placements.size());
    for (size_t i = 0; i < a.placements.size(); ++i) EXPECT_EQ(a.placements[i].px, b.placements[i].px) << code;
  }
  static AtkGround g1, g2;
  ASSERT_EQ(Atk_BuildGround(&g1), 0);
  ASSERT_EQ(Atk_BuildGround(&g2), 0);
  EXPECT_EQ(memcmp(&g1, &g2, sizeof g1), 0);
}

// ---------------------------------------------------------------- through the file library
TEST(GfxgenFiles, GeneratedRecordReadsBackUnchanged) {
  Heap_Init();
  Fio_InitBuffers();
  for (int zoom : kZooms) {
    ApcPicture p;
    RenderElement(4096 + 416, zoom, &p);
    GfxElementRecord rec;
    memset(&rec, 0, sizeof rec);
    rec.zoom = u8(zoom);
    rec.flags = 2;
    rec.count = u16(p.placements.size());
    for (size_t i = 0; i < p.placements.size(); ++i) {
      const ApcPlacement& pl = p.placements[i];
      rec.pictures[i] = GfxPicture{i16(pl.layer), i16(pl.x), i16(pl.y), i16(pl.w), i16(pl.h),
                                   const_cast<u32*>(pl.px.data())};
    }
    ASSERT_EQ(Fio_OpenWriteMemory(), 0);
    ASSERT_EQ(GfxFile_WriteElementRecord(&rec), 0);
    ASSERT_EQ(Fio_CloseWrite(), 0);
    u32 size = 0;
    u8* bytes = Fio_TakeWriteMemory(&size);
    ASSERT_NE(bytes, nullptr);
    ASSERT_EQ(Fio_OpenReadMemory(bytes, size), 0);
    GfxElementRecord back;
    ASSERT_EQ(GfxFile_ReadElementRecord(zoom, &back), 0) << "zoom " << zoom;
    Fio_CloseRead();
    Heap_Free(bytes);
    ASSERT_EQ(back.count, rec.count);
    for (int i = 0; i < back.count; ++i) {
      const GfxPicture& q = back.pictures[i];
      EXPECT_EQ(q.x, rec.pictures[i].x);
      EXPECT_EQ(q.y, rec.pictures[i].y);
      ASSERT_EQ(q.width * q.height, rec.pictures[i].width * rec.pictures[i].height);
      for (int k = 0; k < q.width * q.height; ++k) ASSERT_EQ(q.pixels[k], rec.pictures[i].pixels[k]);
    }
    GfxFile_FreeElementRecord(&back);
  }
}

TEST(GfxgenFiles, TheBuildWroteEveryPictureFile) {
  wstr dir = Test_DataFolder();
  for (const char* name : {"orba.gzg", "orba.fx1", "orba.fx2", "orba.fx4", "orba.fw1", "orba.fw2", "orba.fw4",
                           "orba.fzg", "orba.fz2", "orba.fz4", "orba.tbd"})
    EXPECT_TRUE(Test_FileExists(dir + W16(name))) << name;
  Heap_Init();
  Fio_InitBuffers();
  GfxCombinedFile f;
  ASSERT_EQ(GfxFile_LoadCombined((dir + W16("orba.fw2")).c_str(), FOLDER_FULLPATH, "GZX", 2, &f), 0);
  GfxElementRecord rec;
  EXPECT_EQ(GfxFile_ReadCombined(&f, 4096 + 416, 0, 0, 0, &rec), 0);
  GfxFile_FreeElementRecord(&rec);
  EXPECT_EQ(GfxFile_ReadCombined(&f, 416, 0, 0, 0, &rec), 0);
  GfxFile_FreeElementRecord(&rec);
  GfxFile_FreeCombined(&f);
  GfxVehicleSet set;
  ASSERT_EQ(GfxFile_LoadVehicleSet((dir + W16("orba.fzg")).c_str(), FOLDER_FULLPATH, 6256, 0, &set), 0);
  EXPECT_GE(set.count, 1);
  GfxFile_FreeVehicleSet(&set);
}

// The animated pictures and the shipped definitions that cycle through
// them: every picture a step names was built at every zoom, every animated
// code has a definition, every picture differs from the resting one, and
// what each picture draws lies inside the definition's area (the cells
// redrawn when the step changes), so no step leaves pixels behind.
namespace {

struct ShippedDefinition {
  i32 top, height, left, width;
  u32 code;
  std::vector<McsStep> steps;
};

std::vector<ShippedDefinition> ReadShippedDefinitions() {
  const std::vector<u8> bytes = Test_ReadFile(Test_DataFolder() + u"orba.bnm");
  std::vector<wstr> lines(1);
  for (u8 b : bytes) {
    if (b == '\n') lines.emplace_back();
    else if (b != '\r') lines.back() += char16_t(b);
  }
  std::vector<ShippedDefinition> defs;
  size_t i = 0;
  while (i < lines.size()) {
    const wstr& l = lines[i++];
    if (l.empty() || l[0] == u';') continue;
    if (l == u"END") break;
    i32 h[7];
    EXPECT_EQ(0, Mcs_ParseHeader(l.c_str(), 0, h)) << U8(l);
    ShippedDefinition d = {h[0], h[1], h[2], h[3], u32(h[5]), {}};
    for (i32 k = 0; k < h[4] && i < lines.size(); ++k) {
      McsStep st;
      EXPECT_EQ(0, Mcs_ParseStep(lines[i].c_str(), &st)) << U8(lines[i]);
      ++i;
      d.steps.push_back(st);
    }
    defs.push_back(d);
  }
  return defs;
}

}  // namespace

TEST(GfxgenAnimation, ShippedDefinitionsNameBuiltPictures) {
  Heap_Init();
  Fio_InitBuffers();
  const std::vector<ShippedDefinition> defs = ReadShippedDefinitions();
  ASSERT_FALSE(defs.empty());
  std::set<u32> defined;
  for (const ShippedDefinition& d : defs) defined.insert(d.code);
  std::vector<u32> animated(size_t(Aan_ListCodes(nullptr, 0)));
  Aan_ListCodes(animated.data(), int(animated.size()));
  for (u32 code : animated) {
    EXPECT_TRUE(defined.count(code)) << code << " is animated but has no definition";
    EXPECT_TRUE(Asy_HasPicture(code)) << code;
  }
  for (int zoom : {1, 2, 4}) {
    GfxCombinedFile f;
    const wstr name = Test_DataFolder() + u"orba.fx" + char16_t('0' + zoom);
    ASSERT_EQ(0, GfxFile_LoadCombined(name.c_str(), FOLDER_FULLPATH, "GZX", zoom, &f));
    for (const ShippedDefinition& d : defs)
      for (const McsStep& st : d.steps) {
        GfxElementRecord rec;
        EXPECT_EQ(0, GfxFile_ReadCombined(&f, d.code, 0, 0, u32(st.Picture), &rec))
            << d.code << " picture " << st.Picture << " zoom " << zoom;
        GfxFile_FreeElementRecord(&rec);
      }
    // One past the last picture is not there: the store's loader stops
    // at the first missing variant.
    for (u32 code : animated) {
      GfxElementRecord rec;
      EXPECT_EQ(GFXR_NOT_PRESENT, GfxFile_ReadCombined(&f, code, 0, 0, u32(Aan_FrameCount(code) + 1), &rec)) << code;
    }
    GfxFile_FreeCombined(&f);
  }
}

TEST(GfxgenAnimation, EveryPictureDiffersAndStaysInsideItsArea) {
  const std::vector<ShippedDefinition> defs = ReadShippedDefinitions();
  std::vector<u32> animated(size_t(Aan_ListCodes(nullptr, 0)));
  Aan_ListCodes(animated.data(), int(animated.size()));
  for (u32 code : animated) {
    const ShippedDefinition* d = nullptr;
    for (const ShippedDefinition& x : defs)
      if (x.code == code) d = &x;
    ASSERT_NE(nullptr, d) << code;
    const int bottom = d->top + d->height - 1;
    std::vector<std::vector<u32>> seen;
    for (int frame = 0; frame <= Aan_FrameCount(code); ++frame) {
      ApcSpec spec;
      ApcDraw draw = Asy_Prepare(code, &spec);
      ApcPicture pic;
      Aan_SetFrame(frame);
      Apc_Render(&spec, draw, code, 1, &pic);
      Aan_SetFrame(0);
      std::vector<u32> all;
      for (const ApcPlacement& p : pic.placements) {
        if (Apc_IsEmpty(&p)) continue;
        EXPECT_GE(p.x, 32 * d->left) << code << " frame " << frame;
        EXPECT_LE(p.x + p.w, 32 * (d->left + d->width)) << code << " frame " << frame;
        EXPECT_GE(p.y, -16 * bottom) << code << " frame " << frame;
        EXPECT_LE(p.y + p.h, 16 - 16 * d->top) << code << " frame " << frame;
        all.push_back(u32(p.x) << 16 | u32(p.y & 0xFFFF));
        all.insert(all.end(), p.px.begin(), p.px.end());
      }
      for (size_t k = 0; k < seen.size(); ++k) EXPECT_NE(seen[k], all) << code << " frames " << k << " and " << frame;
      seen.push_back(all);
    }
  }
}

// ---------------------------------------------------------------- ways
namespace {

// Calls put(x, y, colour) for every opaque pixel of a picture moved by
// (ox, oy) pixels that falls inside a window of W x H pixels (bottom row
// first).
template <typename Put>
void PutPicture(const ApcPicture& p, int ox, int oy, int W, int H, Put put) {
  for (const ApcPlacement& pl : p.placements)
    for (int r = 0; r < pl.h; ++r)
      for (int c = 0; c < pl.w; ++c) {
        const u32 v = pl.px[size_t(r) * size_t(pl.w) + size_t(c)];
        const int x = pl.x + c + ox, y = pl.y + pl.h - 1 - r + oy;
        if (v == CNV_TRANSPARENT || x < 0 || y < 0 || x >= W || y >= H) continue;
        put(x, y, v);
      }
}

// Three cells of one picture in a row (across) or a column, put together in
// the compositor's order for the middle cell: its own picture, then the
// neighbour after it and, across, the one before it (without neighbours:
// its own picture alone). The middle cell's window, zoom-z pixels, bottom
// row first.
std::vector<u32> ComposeMiddleOfThree(u32 code, int zoom, bool across, bool neighbours) {
  ApcPicture p;
  RenderSymbol(code, zoom, &p);
  const int W = 32 * zoom, H = 16 * zoom;
  std::vector<u32> win(size_t(W * H), CNV_TRANSPARENT);
  // Cell offsets in cells: +1 is to the right, or one row further down.
  for (int k : {0, 1, -1}) {
    if (k != 0 && !neighbours) continue;
    if (!across && k < 0) continue;  // the row above never draws its ground into this cell
    const int ox = across ? k * W : 0, oy = across ? 0 : -k * H;
    PutPicture(p, ox, oy, W, H, [&](int x, int y, u32 v) { win[size_t(y * W + x)] = v; });
  }
  return win;
}

}  // namespace

// A straight way of many cells runs on without a seam: in the middle cell
// of three, put together as the compositor does, the neighbours change no
// pixel of the cell's own picture; and where the surface has a rhythm of its
// own (dashes, setts), each pixel equals the one a dash period further
// along, over the cell borders too.
TEST(GfxgenWays, StraightWaysRunOnOverCellBordersAtEveryZoom) {
  struct Case {
    u32 code;
    bool across, rhythm;
  };
  // Asphalt with its dashed line, narrow, setts, gravel, earth, streets.
  const Case cases[] = {{49408, true, true},   {49409, true, true},   {49410, false, true},
                        {49411, false, true},  {49664, true, true},   {49922, false, false},
                        {50176, true, false},  {52480, true, true},   {52482, false, true},
                        {52560, true, true},   {52562, false, true}};
  for (const Case& cs : cases)
    for (int zoom : kZooms) {
      const std::vector<u32> win = ComposeMiddleOfThree(cs.code, zoom, cs.across, true);
      const std::vector<u32> own = ComposeMiddleOfThree(cs.code, zoom, cs.across, false);
      const int W = 32 * zoom, H = 16 * zoom;
      int drawn = 0, changed = 0, mismatched = 0;
      // Eight ground units along: 8 columns across, 4 rows up a column.
      const int step = cs.across ? 8 * zoom : 4 * zoom;
      for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
          const int x2 = cs.across ? (x + step) % W : x, y2 = cs.across ? y : (y + step) % H;
          const u32 a = win[size_t(y * W + x)], b = win[size_t(y2 * W + x2)];
          drawn += a != CNV_TRANSPARENT;
          changed += a != own[size_t(y * W + x)];
          mismatched += a != b;
        }
      EXPECT_GT(drawn, W * H / 5) << cs.code << " zoom " << zoom;
      EXPECT_EQ(changed, 0) << cs.code << " zoom " << zoom;
      if (cs.rhythm) {
        EXPECT_EQ(mismatched, 0) << cs.code << " zoom " << zoom;
      }
    }
}

namespace {

// The pixels of one sub-picture of a code inside its own cell, bottom row
// first (32z x 16z).
std::vector<u32> PartInCell(u32 code, int part, int zoom) {
  ApcSpec spec;
  u32 drawCode;
  ApcDraw draw = Asy_PreparePart(code, part, &spec, &drawCode);
  ApcPicture p;
  Apc_Render(&spec, draw, drawCode, zoom, &p);
  const int W = 32 * zoom, H = 16 * zoom;
  std::vector<u32> cell(size_t(W * H), CNV_TRANSPARENT);
  for (const ApcPlacement& pl : p.placements)
    for (int r = 0; r < pl.h; ++r)
      for (int c = 0; c < pl.w; ++c) {
        const int x = pl.x + c, y = pl.y + pl.h - 1 - r;
        if (x >= 0 && y >= 0 && x < W && y < H) cell[size_t(y * W + x)] = pl.px[size_t(r) * size_t(pl.w) + size_t(c)];
      }
  return cell;
}

}  // namespace

// Water: the four pictures a lake's cells take by position differ, ripples
// run on over the borders between them, and a shore piece carries the same
// ripples as the open water beside it, so a lake shows no grid of cells.
TEST(GfxgenWater, RipplesRunOverCellBordersAndShoresKeepThem) {
  const u32 open = 54272, shoreTop = 54273;
  for (int zoom : kZooms) {
    const int W = 32 * zoom, H = 16 * zoom;
    std::vector<u32> parts[4];
    for (int k = 0; k < 4; ++k) parts[k] = PartInCell(open, k + 1, zoom);
    for (int a = 0; a < 4; ++a)
      for (int b = a + 1; b < 4; ++b) EXPECT_NE(parts[a], parts[b]) << "parts " << a + 1 << " and " << b + 1;
    // Parts 1 and 2 lie side by side (x parity), 1 above 3 (y parity): a
    // crest on the last column of a cell goes on in the first of the next.
    std::map<u32, int> count;
    for (u32 v : parts[0]) ++count[v];
    u32 water = 0;
    for (const auto& kv : count)
      if (kv.second > count[water]) water = kv.first;
    int across = 0;
    for (int pair = 0; pair < 2; ++pair)
      for (int y = 0; y < H; ++y) {
        const u32 l = parts[2 * pair][size_t(y * W + W - 1)], r = parts[2 * pair + 1][size_t(y * W)];
        across += l != water && l == r;
      }
    EXPECT_GT(across, 0) << "zoom " << zoom;
    // The shore takes the top rows; below them the water is the open water's.
    for (int k = 1; k <= 4; ++k) {
      const std::vector<u32> shore = PartInCell(shoreTop, k, zoom);
      EXPECT_NE(shore, parts[k - 1]);
      for (int y = 0; y < 8 * zoom; ++y)
        for (int x = 0; x < W; ++x)
          ASSERT_EQ(shore[size_t(y * W + x)], parts[k - 1][size_t(y * W + x)]) << "part " << k << " zoom " << zoom;
    }
  }
}

namespace {

// A piece of way on the grid: cell column, row (rows count downward) and
// the picture code.
struct WayCell {
  int cx, cy;
  u32 code;
};

// The pixels of one cell's window (zoom z, bottom row first): with
// `compositor`, only the pictures the compositor draws there for ground
// pictures (the cell's own, then its row, then the rows below), a pixel
// that one of them paints over in another colour counted in *clash; else
// every picture of the piece that reaches into the window.
std::vector<u32> WayWindow(const std::vector<WayCell>& cells, int wx, int wy, int zoom, bool compositor,
                           int* clash) {
  static const int order[][2] = {{0, 0}, {1, 0}, {-1, 0}, {1, 1}, {-1, 1}, {0, 1},
                                 {1, 2}, {-1, 2}, {0, 2}, {1, 3}, {-1, 3}, {0, 3}};
  const int W = 32 * zoom, H = 16 * zoom;
  std::vector<u32> win(size_t(W * H), CNV_TRANSPARENT);
  for (const auto& o : order)
    for (const WayCell& wc : cells) {
      const bool inOrder = wc.cx == wx + o[0] && wc.cy == wy + o[1];
      if (compositor ? !inOrder : (o[0] || o[1])) continue;
      static std::map<std::pair<u32, int>, ApcPicture> drawn;
      const auto key = std::make_pair(wc.code, zoom);
      if (!drawn.count(key)) RenderSymbol(wc.code, zoom, &drawn[key]);
      const ApcPicture& p = drawn[key];
      const int ox = (wc.cx - wx) * W, oy = (wy - wc.cy) * H;
      PutPicture(p, ox, oy, W, H, [&](int x, int y, u32 v) {
        u32& t = win[size_t(y * W + x)];
        if (compositor && t != CNV_TRANSPARENT && t != v) ++*clash;
        if (compositor || t == CNV_TRANSPARENT) t = v;
      });
    }
  return win;
}

}  // namespace

// Ways of several cells join as one: around every cell of a diagonal, a
// bend and a junction, what the compositor draws into each window (the row
// above never draws its ground there) is the whole of the way, and no two
// pictures give one pixel different colours.
TEST(GfxgenWays, DiagonalsBendsAndJunctionsJoinInEveryWindow) {
  const std::vector<WayCell> pieces[] = {
      {{0, 3, 49426}, {1, 2, 49426}, {2, 1, 49426}, {3, 0, 49426}},  // rising to the right
      {{0, 0, 49427}, {1, 1, 49427}, {2, 2, 49427}, {3, 3, 49427}},  // falling to the right
      {{0, 1, 49408}, {1, 1, 49412}, {1, 2, 49410}, {1, 3, 49410}},  // a straight into a bend down
      {{0, 1, 52480}, {1, 1, 52488}, {2, 1, 52480}, {1, 0, 52482}, {1, 2, 52482}},  // streets crossing
      {{0, 2, 49408}, {1, 2, 49477}, {2, 1, 49426}, {3, 0, 49426}},  // an eighth curve into a diagonal
  };
  int n = 0;
  for (const auto& piece : pieces) {
    ++n;
    for (int zoom : kZooms)
      for (int wy = 0; wy <= 3; ++wy)
        for (int wx = 0; wx <= 3; ++wx) {
          int clash = 0;
          const std::vector<u32> ideal = WayWindow(piece, wx, wy, zoom, false, &clash);
          const std::vector<u32> shown = WayWindow(piece, wx, wy, zoom, true, &clash);
          EXPECT_EQ(clash, 0) << "piece " << n << " zoom " << zoom << " cell " << wx << "," << wy;
          int missing = 0;
          for (size_t i = 0; i < ideal.size(); ++i) missing += ideal[i] != shown[i];
          EXPECT_EQ(missing, 0) << "piece " << n << " zoom " << zoom << " cell " << wx << "," << wy;
        }
  }
}
