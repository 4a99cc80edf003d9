// Scene helpers of the picture generator: the oblique view of the layout
// (ground x to the right, ground depth v away from the viewer shown at half
// height, height z straight up) and the small objects that many pictures
// share: boxes, roofs, posts, boards, trees, lamps.
//
// Owns nothing; every helper draws into the canvas it is given. Units are
// zoom-1 pixels of ground: a cell is 32 wide and 32 deep (16 rows on screen).
#pragma once
#include "platform/types.h"
#include "tools/gfxgen/art_canvas.h"

// Screen point (zoom-1 units, y up from the cell bottom) of a ground point.
inline float Asc_Sx(float x) { return x; }
inline float Asc_Sy(float v, float z) { return v * 0.5f + z; }

// Direction of a connector as a unit ground vector (x, v).
void Asc_DirVector(int connector, float* dx, float* dv);

// A box standing on the ground: its ground outline (n points, counter-
// clockwise seen from above), walls from z0 to z1, the top face in top.
// Only the walls that face the viewer are drawn.
void Asc_Prism(Canvas* c, const float* xv, int n, float z0, float z1, u32 wall, u32 top);
// A box with sides along the axes.
void Asc_Box(Canvas* c, float x, float v, float w, float d, float z0, float z1, u32 wall, u32 top);
// A pitched roof over the box (x, v, w, d) from eaves height z0, ridge along
// x (alongX) or along v, rising by rise.
void Asc_GableRoof(Canvas* c, float x, float v, float w, float d, float z0, float rise, bool alongX, u32 roof);
// Shadow of an object's footprint on the ground, cast a little to the right.
void Asc_Shadow(Canvas* c, float x, float v, float w, float d, float height);
// A post at ground (x, v) up to height, one pixel wide at zoom 1.
void Asc_Post(Canvas* c, float x, float v, float height, u32 colour);
// A flat board centred at ground (x, v) at height z (its bottom), w x h.
void Asc_Board(Canvas* c, float x, float v, float z, float w, float h, u32 face, u32 frame);
// A broadleaf or conifer tree standing at ground (x, v).
void Asc_Tree(Canvas* c, float x, float v, float size, int kind, u32 seed);
void Asc_Bush(Canvas* c, float x, float v, float size, u32 seed);
// A polygon lying flat on the ground at height z (n ground points).
void Asc_Flat(Canvas* c, const float* xv, int n, float z, u32 colour, float alpha = 1.0f);
// A band of the given width along a ground polyline (n points), flat at z.
void Asc_FlatBand(Canvas* c, const float* xv, int n, float width, float z, u32 colour);
// A simple deterministic hash for parameter choices.
u32 Asc_Hash(u32 a, u32 b = 0);

// A board facing the viewer in the crafted style, placed on whole zoom-1
// units: a dark outline (a darker shade of the face) and, where the zoom
// leaves room for it, one highlight along its top and left and one shade
// along its bottom and right, each one pixel wide.
void Asc_Panel(Canvas* c, float x, float y, float w, float h, u32 face);
// A round plate in the same style: the outline and a highlight on its upper
// left.
void Asc_Disc(Canvas* c, float cx, float cy, float r, u32 face);
